// VaristepMonitor-<version>-setup.exe, and, built from the same code without the files to install,
// the uninstall.exe it writes.
#include <windows.h>

#include <cstring>

#include "base/FormatText.h"
#include "setup/Installer.h"
#include "setup/Places.h"
#include "setup/SetupResource.h"
#include "setup/SetupRules.h"
#include "setup/SetupWizard.h"
#include "setup/SystemDlls.h"
#include "ui/App.h"

namespace {

#ifdef VS_UNINSTALLER
constexpr bool Uninstaller = true;
#else
constexpr bool Uninstaller = false;
#endif

// A silent run shows nothing, and stops at the first step that fails.
class SilentProgress : public setup::Progress {
 public:
  void Step(const char*, int, int) override {}
  bool Retry(const char*) override { return false; }
};

LongText Caption() {
  return LoadText(Uninstaller ? IDS_UNINSTALL_CAPTION : IDS_INSTALL_CAPTION);
}

void Tell(UINT text, UINT icon) {
  ui::SystemMessageBox(nullptr, LoadText(text).c_str(), Caption().c_str(), MB_OK | icon);
}

// A silent run waits its turn; the wizard says what it waits for.
bool TakeTurn(setup::SetupLock& lock, bool silent) {
  if (silent) return lock.Take(true);
  while (!lock.Take(false)) {
    if (ui::SystemMessageBox(nullptr, LoadText(IDS_BUSY).c_str(), Caption().c_str(),
                             MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) {
      return false;
    }
  }
  return true;
}

int RunInstall(const setup::Options& options) {
  setup::SetupLock lock;
  if (!TakeTurn(lock, options.silent)) return setup::Cancelled;
  PathText folder = setup::DefaultFolder();
  if (!options.folder.empty()) {
    // A folder the user gave stays in the box even when wrong, for the folder page to point out.
    PathText checked;
    if (setup::CheckFolder(options.folder.c_str(), checked) == setup::FolderProblem::None) {
      folder = checked;
    } else if (options.silent) {
      return setup::Failed;
    } else {
      folder = options.folder;
    }
  }
  const bool startAtLogOn = !options.noLogOn && setup::StartsAtLogOn();
  if (!options.silent) {
    setup::SetupWizard wizard(false, folder.c_str(), startAtLogOn, false);
    return wizard.DoModal() == -1 ? setup::Failed : wizard.ExitCode();
  }
  // Nothing is written unless all of it may be, into a folder of its own.
  const setup::SystemRights rights;
  if (setup::CheckRights(rights, folder.c_str()) != setup::RightsProblem::None) {
    return setup::Failed;
  }
  const setup::FolderUse use = setup::CheckInstallFolder(folder.c_str());
  if (use != setup::FolderUse::Free && use != setup::FolderUse::Ours) return setup::Failed;
  SilentProgress progress;
  return setup::Install(folder.c_str(), startAtLogOn, progress) ? setup::Done : setup::Failed;
}

PathText FolderOf(const PathText& path) {
  PathText folder = path;
  char* slash = std::strrchr(folder.data(), '\\');
  if (slash != nullptr) *slash = '\0';
  return folder;
}

// Tells the waiting uninstaller how it went, through the pipe it gave.
void Answer(uint32_t pipe, int status) {
  if (pipe == 0) return;
  HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(pipe));
  const char byte = static_cast<char>(status);
  DWORD written = 0;
  ::WriteFile(handle, &byte, 1, &written, nullptr);
  ::CloseHandle(handle);
}

int RunUninstall(const setup::Options& options, const PathText& self) {
  PathText folder = options.removing;
  const bool copy = !folder.empty();
  if (!copy) {
    folder = FolderOf(self);
    int status = setup::Failed;
    if (setup::RunUninstallCopy(folder.c_str(), options.silent, status)) return status;
    // No copy could be started: remove what can go from here; this file goes at the next start.
  }
  setup::SetupLock lock;
  HANDLE waiting =
      options.waiting != 0 ? ::OpenProcess(SYNCHRONIZE, FALSE, options.waiting) : nullptr;
  int status = setup::Failed;
  PathText later;
  PathText checked;
  if (!TakeTurn(lock, options.silent)) {
    status = setup::Cancelled;
  } else if (setup::CheckFolder(folder.c_str(), checked) != setup::FolderProblem::None) {
    status = setup::Failed;
  } else if (options.silent) {
    const setup::SystemRights rights;
    if (setup::CheckRights(rights, checked.c_str()) == setup::RightsProblem::None) {
      SilentProgress progress;
      status = setup::Uninstall(checked.c_str(), waiting != nullptr, progress, later);  // keeps
                                                                                        // settings
    }
  } else {
    setup::SetupWizard wizard(true, checked.c_str(), false, waiting != nullptr);
    status = wizard.DoModal() == -1 ? setup::Failed : wizard.ExitCode();
    later = wizard.Later();
  }
  Answer(options.pipe, status);
  if (waiting != nullptr) {
    ::WaitForSingleObject(waiting, 30000);
    ::CloseHandle(waiting);
  }
  setup::FinishUninstall(checked.c_str(), later.c_str());
  if (copy) setup::RemoveSelfLater();
  return status;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const setup::Options options = setup::ParseCommandLine(::GetCommandLineA());
  char missing[MAX_PATH] = {};
  if (!setup::LoadSystemDlls(missing)) {
    if (!options.silent) {
      LongText text = LoadText(IDS_DLL_MISSING);
      text += "\r\n\r\n";
      text += missing;
      ui::SystemMessageBox(nullptr, text.c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
    }
    return setup::Failed;
  }
  if (options.unknown) {
    // Refused, never ignored: a silent run would do something else than asked.
    if (!options.silent) Tell(IDS_UNKNOWN_ARGUMENT, MB_ICONERROR);
    return setup::Failed;
  }
  const PathText self = setup::OwnPath();
  if (self.empty()) return setup::Failed;
  setup::Dlls().InitCommonControls();
  // Shortcuts are made through the shell's COM objects.
  const bool com = SUCCEEDED(setup::Dlls().CoInitialize(nullptr));
  const int code = Uninstaller ? RunUninstall(options, self) : RunInstall(options);
  if (com) setup::Dlls().CoUninitialize();
  return code;
}
