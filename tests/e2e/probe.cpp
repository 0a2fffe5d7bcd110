// A small helper for end-to-end tests: Wine's windows inside the virtual desktop are not X
// windows, so this lists them from inside Wine, with their controls and what those show.
//
//   probe list                    every top-level window and its controls, one line each
//   probe wait <title> <ms>       waits until a visible top-level window has this title
//   probe gone <title> <ms>       waits until no visible top-level window has this title
//   probe command <title> <id>    posts WM_COMMAND id to the window with this title
//   probe rect <title>            prints the window's screen rectangle: left top right bottom
//   probe tray-drop <class> <id>  takes the icon <id> of the window of this class out of the
//                                 notification area, as a shell that ends loses every icon
//   probe broadcast <name>        sends the registered message <name> to every top-level window
//   probe handles <exe name>      kernel handles the running program holds, as the wineserver
//                                 lists them (GetProcessHandleCount gives 0 under Wine);
//                                 "handles self-check" proves the count follows ten events
//   probe cells <title> <id>      the rows of that window's list view control, its cells
//                                 tab-separated, read through the program's own memory
//   probe fits <title> <text>     whether the control showing <text> in that window is wide
//                                 enough for it in MS Sans Serif 8, the dialogs' font; prints
//                                 the text's width and the control's, exit status 0 when it fits
//   probe hold <path> <ms>        keeps the file open for reading, sharing reads only, as another
//                                 program using it would; prints "held" once it is open
//   probe acl <path>              the access list of a file or folder: "protected=<0|1>" and one
//                                 line per entry, "allow <SID>" or "deny <SID>"
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ProcessObjects.h"

namespace {

std::string TextOf(HWND hwnd) {
  char buffer[512] = {};
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &copied);
  std::string text(buffer);
  for (char& c : text) {
    if (c == '\n') c = '|';
    if (c == '\r') c = ' ';
  }
  return text;
}

std::string ClassOf(HWND hwnd) {
  char name[128] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}

LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(hwnd, message, wParam, 0, SMTO_ABORTIFHUNG, 2000, &result);
  return static_cast<LRESULT>(result);
}

int PrintAcl(const char* path) {
  unsigned char buffer[4096];
  DWORD needed = 0;
  if (!::GetFileSecurityA(path, DACL_SECURITY_INFORMATION, buffer, sizeof buffer, &needed)) {
    return 1;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ::GetSecurityDescriptorControl(buffer, &control, &revision);
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  if (!::GetSecurityDescriptorDacl(buffer, &present, &acl, &defaulted)) return 1;
  std::printf("protected=%d\n", (control & SE_DACL_PROTECTED) != 0 ? 1 : 0);
  if (!present || acl == nullptr) return 0;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(acl, i, &ace)) return 1;
    const auto* header = static_cast<ACE_HEADER*>(ace);
    PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(sid, &text)) return 1;
    std::printf("%s %s\n", header->AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow" : "deny", text);
    ::LocalFree(text);
  }
  return 0;
}

BOOL CALLBACK ListChild(HWND hwnd, LPARAM) {
  std::string cls = ClassOf(hwnd);
  RECT r;
  ::GetWindowRect(hwnd, &r);
  std::printf("  child id=%d class=\"%s\" text=\"%s\" visible=%d enabled=%d rect=%ld,%ld,%ld,%ld",
              ::GetDlgCtrlID(hwnd), cls.c_str(), TextOf(hwnd).c_str(),
              ::IsWindowVisible(hwnd) ? 1 : 0, ::IsWindowEnabled(hwnd) ? 1 : 0, r.left, r.top,
              r.right, r.bottom);
  if (cls == "ComboBox") {
    std::printf(" count=%ld selection=%ld", static_cast<long>(Ask(hwnd, CB_GETCOUNT)),
                static_cast<long>(Ask(hwnd, CB_GETCURSEL)));
  } else if (cls == "Button") {
    std::printf(" check=%ld", static_cast<long>(Ask(hwnd, BM_GETCHECK)));
  } else if (cls == "SysListView32") {
    std::printf(" items=%ld", static_cast<long>(Ask(hwnd, LVM_GETITEMCOUNT)));
  }
  std::printf("\n");
  return TRUE;
}

BOOL CALLBACK ListTop(HWND hwnd, LPARAM) {
  RECT r;
  ::GetWindowRect(hwnd, &r);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  LONG exStyle = ::GetWindowLongA(hwnd, GWL_EXSTYLE);
  std::printf(
      "window hwnd=%p class=\"%s\" title=\"%s\" visible=%d topmost=%d enabled=%d "
      "rect=%ld,%ld,%ld,%ld pid=%lu\n",
      static_cast<void*>(hwnd), ClassOf(hwnd).c_str(), TextOf(hwnd).c_str(),
      ::IsWindowVisible(hwnd) ? 1 : 0, (exStyle & WS_EX_TOPMOST) ? 1 : 0,
      ::IsWindowEnabled(hwnd) ? 1 : 0, r.left, r.top, r.right, r.bottom, pid);
  ::EnumChildWindows(hwnd, ListChild, 0);
  return TRUE;
}

struct Search {
  const char* title;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  // The setup's pages put a space after their caption, where a subtitle would go.
  std::string text = TextOf(hwnd);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  // The shell's tooltip over the tray icon carries the same text as the window's caption.
  if (::IsWindowVisible(hwnd) && ClassOf(hwnd) != "tooltips_class32" && text == search->title) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindTitle(const char* title) {
  Search search = {title, nullptr};
  ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int WaitFor(const char* title, int ms, bool present) {
  for (int waited = 0;; waited += 100) {
    if ((FindTitle(title) != nullptr) == present) return 0;
    if (waited >= ms) return 1;
    ::Sleep(100);
  }
}

// SystemHandleInformation (16): every handle of every process, one 16-byte entry each on 32-bit.
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};

// Handles of one process from the wineserver's own list; -1 when it cannot be read.
long CountHandles(DWORD pid) {
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  std::string buffer(1 << 16, '\0');
  for (int attempt = 0; attempt < 12; ++attempt) {
    ULONG needed = 0;
    LONG status = query(16, &buffer[0], static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      ULONG count = 0;
      std::memcpy(&count, buffer.data(), sizeof count);
      const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
      long mine = 0;
      for (ULONG i = 0; i < count; ++i) mine += entries[i].ownerPid == pid ? 1 : 0;
      return mine;
    }
    buffer.resize(buffer.size() * 2);
  }
  return -1;
}

struct TextSearch {
  const char* text;
  HWND found;
};

BOOL CALLBACK FindChildText(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TextSearch*>(param);
  if (TextOf(hwnd) != search->text) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The dialogs' font is named in their templates; made here at 96 DPI in the same prefix, it maps
// to the same face the program gets, or to the same wider stand-in when Wine's fonts are missing.
int Fits(const char* title, const char* text) {
  HWND top = FindTitle(title);
  if (top == nullptr) return 2;
  TextSearch search = {text, nullptr};
  ::EnumChildWindows(top, FindChildText, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return 2;
  RECT client;
  ::GetClientRect(search.found, &client);
  HDC dc = ::GetDC(nullptr);
  HFONT font = ::CreateFontA(-::MulDiv(8, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                             FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size = {0, 0};
  ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  ::SelectObject(dc, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, dc);
  std::printf("%ld %ld\n", size.cx, client.right);
  return size.cx <= client.right ? 0 : 1;
}

// A list view answers LVM_GETITEMTEXT only with a record in its own process's memory.
int Cells(const char* title, int id) {
  HWND top = FindTitle(title);
  HWND list = top != nullptr ? ::GetDlgItem(top, id) : nullptr;
  if (list == nullptr) return 1;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(list, &pid);
  HANDLE process =
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return 1;
  constexpr int TextSize = 256;
  auto* remote = static_cast<char*>(
      ::VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + TextSize, MEM_COMMIT, PAGE_READWRITE));
  if (remote == nullptr) return 1;
  HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER));
  long columns = header != nullptr ? static_cast<long>(Ask(header, HDM_GETITEMCOUNT)) : 1;
  long rows = static_cast<long>(Ask(list, LVM_GETITEMCOUNT));
  for (long row = 0; row < rows; ++row) {
    std::string line;
    for (long column = 0; column < columns; ++column) {
      LVITEMA item = {};
      item.iSubItem = static_cast<int>(column);
      item.pszText = remote + sizeof(LVITEMA);
      item.cchTextMax = TextSize;
      char text[TextSize] = {};
      SIZE_T moved = 0;
      ::WriteProcessMemory(process, remote, &item, sizeof item, &moved);
      DWORD_PTR result = 0;
      ::SendMessageTimeoutA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, &result);
      ::ReadProcessMemory(process, remote + sizeof(LVITEMA), text, TextSize - 1, &moved);
      if (column > 0) line += '\t';
      line += text;
    }
    std::printf("%s\n", line.c_str());
  }
  ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  ::CloseHandle(process);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "list") {
    ::EnumWindows(ListTop, 0);
    return 0;
  }
  if (verb == "acl" && argc > 2) return PrintAcl(argv[2]);
  if (verb == "hold" && argc > 3) {
    HANDLE file = ::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    ::CloseHandle(file);
    return 0;
  }
  if (verb == "wait" && argc > 3) return WaitFor(argv[2], std::atoi(argv[3]), true);
  if (verb == "gone" && argc > 3) return WaitFor(argv[2], std::atoi(argv[3]), false);
  if (verb == "command" && argc > 3) {
    HWND hwnd = FindTitle(argv[2]);
    if (hwnd == nullptr) return 1;
    return ::PostMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[3])), 0) ? 0 : 1;
  }
  if (verb == "fits" && argc > 3) return Fits(argv[2], argv[3]);
  if (verb == "cells" && argc > 3) return Cells(argv[2], std::atoi(argv[3]));
  if (verb == "rect" && argc > 2) {
    HWND hwnd = FindTitle(argv[2]);
    if (hwnd == nullptr) return 1;
    RECT r;
    ::GetWindowRect(hwnd, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  if (verb == "tray-drop" && argc > 3) {
    HWND owner = ::FindWindowA(argv[2], nullptr);
    if (owner == nullptr) return 1;
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;  // the version-2 size Wine's shell accepts
    data.hWnd = owner;
    data.uID = static_cast<UINT>(std::atoi(argv[3]));
    return ::Shell_NotifyIconA(NIM_DELETE, &data) ? 0 : 1;
  }
  if (verb == "handles" && argc > 2 && std::strcmp(argv[2], "self-check") == 0) {
    // The count must follow handles made and closed: ten events in, ten out.
    DWORD self = ::GetCurrentProcessId();
    long before = CountHandles(self);
    HANDLE events[10];
    for (HANDLE& event : events) event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    long during = CountHandles(self);
    for (HANDLE event : events) ::CloseHandle(event);
    long after = CountHandles(self);
    std::printf("handles before=%ld during=%ld after=%ld\n", before, during, after);
    return during == before + 10 && after == before ? 0 : 1;
  }
  if (verb == "handles" && argc > 2) {
    DWORD pid = procstat::FindProcess(argv[2]);
    if (pid == 0) return 1;
    std::printf("pid=%lu handles=%ld\n", pid, CountHandles(pid));
    return 0;
  }
  if (verb == "broadcast" && argc > 2) {
    UINT message = ::RegisterWindowMessageA(argv[2]);
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)
               ? 0
               : 1;
  }
  std::fprintf(stderr,
               "usage: probe list | wait <title> <ms> | gone <title> <ms> | "
               "command <title> <id> | rect <title> | tray-drop <class> <id> | broadcast <name> | "
               "handles <exe> | cells <title> <id>\n");
  return 2;
}
