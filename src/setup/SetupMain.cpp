// VaristepMonitor-<version>-setup.exe, and, built from the same code without the files to install,
// the uninstall.exe it writes.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <cstring>

#include "setup/Installer.h"
#include "setup/SetupRules.h"
#include "setup/SetupWizard.h"

namespace {

#ifdef VS_UNINSTALLER
constexpr bool kUninstaller = true;
#else
constexpr bool kUninstaller = false;
#endif

// A silent run shows nothing, and stops at the first step that fails.
class SilentProgress : public setup::Progress {
 public:
  void Step(const char*, int, int) override {}
  bool Retry(const char*) override { return false; }
};

int RunInstall(const setup::Options& options) {
  ui::PathText folder = setup::DefaultFolder();
  if (!options.folder.empty()) {
    // A folder the user gave stays in the box even when wrong, for the folder page to point out.
    ui::PathText checked;
    if (setup::CheckFolder(options.folder.c_str(), checked) == setup::FolderProblem::kNone) {
      folder = checked;
    } else if (options.silent) {
      return 2;
    } else {
      folder = options.folder;
    }
  }
  if (options.silent) {
    SilentProgress progress;
    return setup::Install(folder.c_str(), true, progress) ? 0 : 2;
  }
  setup::SetupWizard wizard(false, folder.c_str());
  return wizard.DoModal() == -1 ? 2 : wizard.ExitCode();
}

int RunUninstall(const setup::Options& options, const ui::PathText& self) {
  ui::PathText folder = options.removing;
  const bool copy = !folder.empty();
  if (!copy) {
    folder = self;
    char* slash = std::strrchr(folder.data(), '\\');
    if (slash != nullptr) *slash = '\0';
    if (setup::StartUninstallCopy(folder.c_str(), options.silent)) return 0;
    // No copy could be made: remove what can go from here; this file goes at the next start.
  }
  ui::PathText checked;
  if (setup::CheckFolder(folder.c_str(), checked) != setup::FolderProblem::kNone) return 2;
  int code = 0;
  if (options.silent) {
    SilentProgress progress;
    setup::Uninstall(checked.c_str(), progress);  // keeps the settings
  } else {
    setup::SetupWizard wizard(true, checked.c_str());
    code = wizard.DoModal() == -1 ? 2 : wizard.ExitCode();
  }
  if (copy) setup::RemoveSelfLater();
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const setup::Options options = setup::ParseCommandLine(::GetCommandLineA());
  ui::PathText self;
  const DWORD length = ::GetModuleFileNameA(nullptr, self.data(), MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  ::InitCommonControls();
  // Shortcuts are made through the shell's COM objects.
  const bool com = SUCCEEDED(::CoInitialize(nullptr));
  const int code = kUninstaller ? RunUninstall(options, self) : RunInstall(options);
  if (com) ::CoUninitialize();
  return code;
}
