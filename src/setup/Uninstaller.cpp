// The uninstaller's part of Installer.h.
#include "setup/Installer.h"

#include <cstring>

#include "base/FormatText.h"
#include "resources/Product.h"
#include "resources/StringTable.h"
#include "setup/Places.h"
#include "setup/SetupResource.h"

namespace setup {

namespace {

// The installed uninstaller, moved beside the copy while it still runs.
constexpr const char* MovedUninstaller = "uninstall-installed.exe";

struct Removal {
  Progress& progress;
  int done;
  int total;
  RemovalTally tally;

  void Say(UINT verb, const char* what) {
    Report(progress, LoadText(verb).c_str(), what, done, total);
  }
};

// Deletes a file the setup made, read-only or not; one in use goes when Windows next starts.
void RemoveFile(const char* path, Removal& removal) {
  if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
  ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  if (::DeleteFileA(path)) {
    removal.Say(IDS_DELETED, path);
  } else if (DeleteAtNextStart(path)) {
    ++removal.tally.scheduled;
    removal.Say(IDS_DELETED_AT_NEXT_START, path);
  } else {
    ++removal.tally.left;
    removal.Say(IDS_COULD_NOT_DELETE, path);
  }
}

// Removes a folder only when it is empty: anything the user put there stays.
void RemoveFolder(const char* path, Removal& removal) {
  if (!IsFolder(path)) return;
  if (::RemoveDirectoryA(path)) {
    removal.Say(IDS_REMOVED, path);
  } else if (removal.tally.scheduled > 0 && IsNt()) {
    // Emptied at the next start, then removed (NT only; 9x leaves an empty folder).
    ::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

// Whether the file is the one the setup wrote, by the stamp in the Add/Remove entry.
bool IsAsWritten(const char* path, const char* name) {
  PathText recorded;
  FileStamp written;
  FileStamp now;
  return ReadString(HKEY_LOCAL_MACHINE, UninstallKey, name, recorded) &&
         ParseStamp(recorded.c_str(), written) && StampOf(path, now) && now.size == written.size &&
         now.crc == written.crc;
}

// Deletes a key with its subkeys (Windows NT deletes only a key without any).
void DeleteKeyTree(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char name[256];
  while (::RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) {
    PathText child;
    if (!JoinPath(path, name, child)) break;
    DeleteKeyTree(root, child.c_str());
    // A subkey that would not go ends the walk instead of being tried for ever.
    HKEY left = nullptr;
    if (::RegOpenKeyExA(root, child.c_str(), 0, KEY_READ, &left) == ERROR_SUCCESS) {
      ::RegCloseKey(left);
      break;
    }
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyA(root, path);
}

// An access list of its own for the temporary folder the copy runs from, on the NT family: the
// user, SYSTEM and Administrators, and no one else, nor what the temporary folder passes down,
// so that no other user can put a DLL beside the copy or replace it before it starts. The
// functions are looked up: Windows 9x has no access lists.
class PrivateAccess {
 public:
  // False when the list could not be made; `attributes` then stays null.
  bool Make();
  SECURITY_ATTRIBUTES* Attributes() { return made_ ? &attributes_ : nullptr; }

 private:
  SECURITY_ATTRIBUTES attributes_ = {};
  SECURITY_DESCRIPTOR descriptor_ = {};
  alignas(4) BYTE acl_[512] = {};
  alignas(4) BYTE user_[256] = {};
  bool made_ = false;
};

template <class Function>
bool Find(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return function != nullptr;
}

bool PrivateAccess::Make() {
  HMODULE advapi = ::GetModuleHandleA("advapi32.dll");  // imported, so loaded already
  BOOL(WINAPI * openToken)(HANDLE, DWORD, PHANDLE) = nullptr;
  BOOL(WINAPI * tokenInformation)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD) = nullptr;
  BOOL(WINAPI * allocateSid)
  (PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, PSID*) =
      nullptr;
  PVOID(WINAPI * freeSid)(PSID) = nullptr;
  DWORD(WINAPI * sidLength)(PSID) = nullptr;
  BOOL(WINAPI * initializeAcl)(PACL, DWORD, DWORD) = nullptr;
  BOOL(WINAPI * addAce)(PACL, DWORD, DWORD, PSID) = nullptr;
  BOOL(WINAPI * initializeDescriptor)(PSECURITY_DESCRIPTOR, DWORD) = nullptr;
  BOOL(WINAPI * setDacl)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL) = nullptr;
  BOOL(WINAPI * setControl)
  (PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL) = nullptr;
  if (advapi == nullptr || !Find(advapi, "OpenProcessToken", openToken) ||
      !Find(advapi, "GetTokenInformation", tokenInformation) ||
      !Find(advapi, "AllocateAndInitializeSid", allocateSid) || !Find(advapi, "FreeSid", freeSid) ||
      !Find(advapi, "GetLengthSid", sidLength) || !Find(advapi, "InitializeAcl", initializeAcl) ||
      !Find(advapi, "AddAccessAllowedAce", addAce) ||
      !Find(advapi, "InitializeSecurityDescriptor", initializeDescriptor) ||
      !Find(advapi, "SetSecurityDescriptorDacl", setDacl)) {
    return false;
  }
  // Windows 2000 and later pass inheritable entries down unless the list is protected; NT 4
  // neither does nor has the function.
  Find(advapi, "SetSecurityDescriptorControl", setControl);

  HANDLE token = nullptr;
  DWORD size = 0;
  if (!openToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const BOOL haveUser = tokenInformation(token, TokenUser, user_, sizeof user_, &size);
  ::CloseHandle(token);
  if (!haveUser) return false;
  PSID user = reinterpret_cast<TOKEN_USER*>(user_)->User.Sid;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID system = nullptr;
  PSID administrators = nullptr;
  bool ok = allocateSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system) &&
            allocateSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                        0, &administrators);
  PACL acl = reinterpret_cast<PACL>(acl_);
  ok = ok &&
       sizeof(ACL) + 3 * sizeof(ACCESS_ALLOWED_ACE) + sidLength(user) + sidLength(system) +
               sidLength(administrators) <=
           sizeof acl_ &&
       initializeAcl(acl, sizeof acl_, ACL_REVISION) &&
       addAce(acl, ACL_REVISION, GENERIC_ALL, user) &&
       addAce(acl, ACL_REVISION, GENERIC_ALL, system) &&
       addAce(acl, ACL_REVISION, GENERIC_ALL, administrators) &&
       initializeDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
       setDacl(&descriptor_, TRUE, acl, FALSE) &&
       (setControl == nullptr || setControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED));
  if (system != nullptr) freeSid(system);
  if (administrators != nullptr) freeSid(administrators);
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = &descriptor_;
  attributes_.bInheritHandle = FALSE;
  made_ = ok;
  return ok;
}

// A new folder in the temporary folder, made with the access list; never one that was there.
bool MakePrivateFolder(PathText& folder) {
  char temp[MAX_PATH] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return false;
  PrivateAccess access;
  if (IsNt() && !access.Make()) return false;
  DWORD seed = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[16];
    FormatText(name, sizeof name, "vsu%05lx.tmp", static_cast<unsigned long>(seed & 0xFFFFF));
    seed = seed * 1103515245u + 12345u;
    if (!JoinPath(temp, name, folder)) return false;
    if (::CreateDirectoryA(folder.c_str(), access.Attributes())) return true;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

PathText FolderOf(const char* path) {
  PathText folder(path);
  char* slash = std::strrchr(folder.data(), '\\');
  if (slash != nullptr) *slash = '\0';
  return folder;
}

}  // namespace

bool RunUninstallCopy(const char* folder, bool silent, int& status) {
  PathText own;
  if (!MakePrivateFolder(own)) return false;
  // Waiting in the install folder would keep it from being removed.
  ::SetCurrentDirectoryA(own.c_str());
  const PathText copy = Join(own.c_str(), UninstallerName);
  const PathText self = OwnPath();
  if (self.empty() || !::CopyFileA(self.c_str(), copy.c_str(), TRUE)) {
    ::RemoveDirectoryA(own.c_str());
    return false;
  }
  // The copy answers through a pipe whose writing end only it holds, so that a copy that ends
  // without answering is seen as a failure.
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  if (!::CreatePipe(&reading, &writing, &inherited, 0)) {
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(own.c_str());
    return false;
  }
  HANDLE ownReading = nullptr;
  ::DuplicateHandle(::GetCurrentProcess(), reading, ::GetCurrentProcess(), &ownReading, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
  ::CloseHandle(reading);
  FixedText<2 * MAX_PATH + 64> commandLine;
  FormatText(commandLine.data(), decltype(commandLine)::Capacity() + 1,
             "\"%s\"%s /P=%lu /H=%lu _?=%s", copy.c_str(), silent ? " /S" : "",
             static_cast<unsigned long>(::GetCurrentProcessId()),
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(writing)), folder);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // It runs in its own folder: a process working in the install folder would keep it.
  const bool started =
      ownReading != nullptr && ::CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr,
                                                TRUE, 0, nullptr, own.c_str(), &startup, &process);
  ::CloseHandle(writing);
  if (!started) {
    if (ownReading != nullptr) ::CloseHandle(ownReading);
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(own.c_str());
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  char answer = 0;
  DWORD read = 0;
  status = ::ReadFile(ownReading, &answer, 1, &read, nullptr) && read == 1
               ? answer
               : static_cast<char>(Failed);
  ::CloseHandle(ownReading);
  return true;
}

ExitStatus Uninstall(const char* folder, bool waiting, Progress& progress, PathText& later) {
  later.clear();
  // Closing, the log-on shortcut, each menu's shortcuts and folder, the files, the folder, the
  // entry.
  const int total = 1 + 1 + 2 * (CountOf(MenuShortcuts) + 1) + CountOf(InstalledFiles) + 1 + 1;
  Removal removal{progress, 0, total, {}};
  progress.Step(LoadText(IDS_CLOSING).c_str(), removal.done++, total);
  CloseRunningCopies();

  // Only the installed copy's folder: its shortcuts and entry belong to it.
  PathText installed;
  if (!InstalledFolder(installed) || !SameFolder(installed.c_str(), folder)) {
    removal.Say(IDS_NOT_THE_INSTALLED_COPY, folder);
    return Failed;
  }

  PathText startup;
  if (ShellFolder(CSIDL_STARTUP, startup)) {
    RemoveFile(Join(startup.c_str(), StartupShortcut).c_str(), removal);
  }
  ++removal.done;
  PathText menus[2];
  const int menuCount = MenuFolders(menus);
  for (int m = 0; m < 2; ++m) {
    for (const Shortcut& shortcut : MenuShortcuts) {
      if (m < menuCount) RemoveFile(Join(menus[m].c_str(), shortcut.name).c_str(), removal);
      ++removal.done;
    }
    if (m < menuCount) RemoveFolder(menus[m].c_str(), removal);
    ++removal.done;
  }
  for (const InstalledFile& file : InstalledFiles) {
    const PathText path = Join(folder, file.name);
    ++removal.done;
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (!IsAsWritten(path.c_str(), file.name)) {
      removal.Say(IDS_KEPT_CHANGED, path.c_str());
      continue;
    }
    if (waiting && std::strcmp(file.name, UninstallerName) == 0) {
      // The waiting uninstaller runs from this file. NT lets a running program's file move (on
      // the same drive), and the folder can go now; else it goes once that uninstaller has ended.
      const PathText moved = Join(FolderOf(OwnPath().c_str()).c_str(), MovedUninstaller);
      if (::MoveFileA(path.c_str(), moved.c_str())) {
        later = moved;
        removal.Say(IDS_DELETED, path.c_str());
      } else {
        later = path;
      }
      continue;
    }
    RemoveFile(path.c_str(), removal);
  }
  ++removal.done;
  if (!SameFolder(FolderOf(later.c_str()).c_str(), folder)) RemoveFolder(folder, removal);

  ++removal.done;
  if (!removal.tally.EntryGoes()) {
    removal.Say(IDS_ENTRY_KEPT, UninstallKey);
  } else if (::RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey) == ERROR_SUCCESS) {
    progress.Step(LoadText(IDS_ENTRY_REMOVED).c_str(), removal.done, total);
  } else {
    ++removal.tally.left;
    removal.Say(IDS_COULD_NOT_REMOVE, UninstallKey);
  }
  return removal.tally.Status();
}

void FinishUninstall(const char* folder, const char* later) {
  if (later[0] == '\0') return;
  ::SetFileAttributesA(later, FILE_ATTRIBUTE_NORMAL);
  if (!::DeleteFileA(later)) DeleteAtNextStart(later);
  ::RemoveDirectoryA(folder);
}

void RemoveSettings() {
  PathText company;
  JoinPath("Software", product::CompanyKey, company);
  static const char* const Programs[] = {product::MonitorName, product::DemoName};
  for (const char* name : Programs) {
    PathText key;
    if (JoinPath(company.c_str(), name, key)) DeleteKeyTree(HKEY_CURRENT_USER, key.c_str());
  }
  // Another program of the company may keep its settings beside ours (Windows 98 would delete
  // them with the key).
  HKEY companyKey = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, company.c_str(), 0, KEY_READ, &companyKey) !=
      ERROR_SUCCESS) {
    return;
  }
  DWORD subkeys = 1;
  DWORD values = 1;
  const bool read =
      ::RegQueryInfoKeyA(companyKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  ::RegCloseKey(companyKey);
  if (read && subkeys == 0 && values == 0) ::RegDeleteKeyA(HKEY_CURRENT_USER, company.c_str());
}

void RemoveSelfLater() {
  const PathText self = OwnPath();
  if (self.empty() || !DeleteAtNextStart(self.c_str())) return;
  // Windows 9x removes no folders at the start: the empty one stays in the temporary folder.
  if (IsNt()) ::MoveFileExA(FolderOf(self.c_str()).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace setup
