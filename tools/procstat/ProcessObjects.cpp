#include "ProcessObjects.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace procstat {

namespace {

// Object types in the low byte of an entry's `unique`, bit 0x80 masked off.
enum GdiType : unsigned {
  Dc = 0x01,
  Region = 0x04,
  Surface = 0x05,
  Palette = 0x08,
  Bitmap = 0x09,
  Font = 0x0a,
  Brush = 0x10,
  EnhMetaDc = 0x21,
  Metafile = 0x26,
  Pen = 0x30,
  MemoryDc = 0x41,
  EnhMetafile = 0x46,
  ExtPen = 0x50,
  MetaDc = 0x66,
};
constexpr unsigned StockBit = 0x80;

// Offsets in the 32-bit TEB and PEB and in the 64-bit ones that WoW64 keeps beside them.
constexpr uintptr_t TebPeb32 = 0x30;
constexpr uintptr_t TebGdiBatchCount = 0xf70;
constexpr uintptr_t Peb32GdiTable = 0x94;
constexpr uintptr_t Teb64Peb = 0x60;
constexpr uintptr_t Peb64GdiTable = 0xf8;

struct ThreadBasicInformation {
  LONG exitStatus;
  PVOID tebBaseAddress;
  PVOID uniqueProcess;
  PVOID uniqueThread;
  ULONG_PTR affinityMask;
  LONG priority;
  LONG basePriority;
};
using QueryThread = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

template <typename T>
bool ReadAt(HANDLE process, uint64_t address, T& value) {
  if (address == 0 || address > UINTPTR_MAX) return false;
  SIZE_T read = 0;
  return ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)),
                             &value, sizeof value, &read) != FALSE &&
         read == sizeof value;
}

// The TEB of one of the process's threads.
uint64_t FindTeb(DWORD processId) {
  auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  if (query == nullptr) return 0;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  uint64_t teb = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more && teb == 0;
       more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    if (thread == nullptr) continue;
    ThreadBasicInformation info = {};
    if (query(thread, 0, &info, sizeof info, nullptr) >= 0) {
      teb = reinterpret_cast<uintptr_t>(info.tebBaseAddress);
    }
    ::CloseHandle(thread);
  }
  ::CloseHandle(snapshot);
  return teb;
}

uint64_t FindGdiTable(HANDLE process, uint64_t teb) {
#ifdef _WIN64
  // The 64-bit build measures 64-bit programs: the thread's TEB is the 64-bit one.
  uint64_t peb = 0;
  uint64_t table = 0;
  if (!ReadAt(process, teb + Teb64Peb, peb)) return 0;
  if (!ReadAt(process, peb + Peb64GdiTable, table)) return 0;
  return table;
#else
  uint32_t teb64 = 0;
  if (!ReadAt(process, teb + TebGdiBatchCount, teb64)) return 0;
  uint64_t table = 0;
  if (teb64 != 0) {
    uint64_t peb64 = 0;
    if (!ReadAt(process, teb64 + Teb64Peb, peb64)) return 0;
    if (!ReadAt(process, peb64 + Peb64GdiTable, table)) return 0;
    return table;
  }
  uint32_t peb32 = 0;
  uint32_t table32 = 0;
  if (!ReadAt(process, teb + TebPeb32, peb32)) return 0;
  if (!ReadAt(process, uint64_t{peb32} + Peb32GdiTable, table32)) return 0;
  return table32;
#endif
}

struct WindowCount {
  DWORD processId;
  int count;
};

BOOL CALLBACK CountChild(HWND window, LPARAM state) {
  auto* counter = reinterpret_cast<WindowCount*>(state);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == counter->processId) ++counter->count;
  return TRUE;
}

// A window of the process with every child under it; EnumChildWindows already goes all the way
// down.
void CountTree(HWND window, WindowCount& counter) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != counter.processId) return;
  ++counter.count;
  ::EnumChildWindows(window, &CountChild, reinterpret_cast<LPARAM>(&counter));
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM state) {
  CountTree(window, *reinterpret_cast<WindowCount*>(state));
  return TRUE;
}

}  // namespace

void CountGdiEntry(const GdiEntry& entry, GdiCounts& counts) {
  if (entry.type == 0) return;
  unsigned kind = entry.unique & 0xffu;
  if ((kind & StockBit) != 0) {
    ++counts.stock;
    return;
  }
  ++counts.total;
  switch (kind) {
    case Dc:
    case MemoryDc:
    case EnhMetaDc:
    case MetaDc:
      ++counts.dc;
      break;
    case Bitmap:
      ++counts.bitmap;
      break;
    case Brush:
      ++counts.brush;
      break;
    case Pen:
    case ExtPen:
      ++counts.pen;
      break;
    case Font:
      ++counts.font;
      break;
    case Region:
      ++counts.region;
      break;
    case Palette:
      ++counts.palette;
      break;
    default:  // surfaces and metafiles
      ++counts.other;
      break;
  }
}

bool ReadGdiCounts(DWORD processId, GdiCounts& counts) {
  counts = GdiCounts();
  uint64_t teb = FindTeb(processId);
  if (teb == 0) return false;
  HANDLE process = ::OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  bool ok = false;
  uint64_t table = FindGdiTable(process, teb);
  if (table != 0 && table <= UINTPTR_MAX) {
    std::vector<GdiEntry> entries(GdiTableEntries);
    SIZE_T read = 0;
    ok = ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(table)),
                             entries.data(), entries.size() * sizeof(GdiEntry), &read) != FALSE &&
         read == entries.size() * sizeof(GdiEntry);
    if (ok) {
      for (const GdiEntry& entry : entries) CountGdiEntry(entry, counts);
    }
  }
  ::CloseHandle(process);
  return ok;
}

int CountWindows(DWORD processId) {
  WindowCount counter = {processId, 0};
  ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&counter));
  // Message-only windows are not top-level windows of the desktop: walk them separately.
  for (HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
       window = ::FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
    CountTree(window, counter);
  }
  return counter.count;
}

int CountOwnMenus() {
  // User handles are even numbers from 0x20; their index is (handle - 0x20) / 2.
  int count = 0;
  for (uintptr_t handle = 0x20; handle < 0x10000; handle += 2) {
    if (::IsMenu(reinterpret_cast<HMENU>(handle))) ++count;
  }
  return count;
}

DWORD FindProcess(const char* exeName) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = ::Process32First(snapshot, &entry); more && found == 0;
       more = ::Process32Next(snapshot, &entry)) {
    if (::lstrcmpiA(entry.szExeFile, exeName) == 0) found = entry.th32ProcessID;
  }
  ::CloseHandle(snapshot);
  return found;
}

std::string Describe(DWORD processId) {
  GdiCounts gdi;
  bool gdiRead = ReadGdiCounts(processId, gdi);
  int windows = CountWindows(processId);
  DWORD guiGdi = 0;
  DWORD guiUser = 0;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process != nullptr) {
    guiGdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    guiUser = ::GetGuiResources(process, GR_USEROBJECTS);
    ::CloseHandle(process);
  }
  char line[512];
  if (gdiRead) {
    std::snprintf(line, sizeof line,
                  "gdi=%d gdi_dc=%d gdi_bitmap=%d gdi_brush=%d gdi_pen=%d gdi_font=%d "
                  "gdi_region=%d gdi_palette=%d gdi_other=%d gdi_stock=%d user_windows=%d "
                  "gui_gdi=%lu gui_user=%lu",
                  gdi.total, gdi.dc, gdi.bitmap, gdi.brush, gdi.pen, gdi.font, gdi.region,
                  gdi.palette, gdi.other, gdi.stock, windows, guiGdi, guiUser);
  } else {
    std::snprintf(line, sizeof line, "gdi=-1 user_windows=%d gui_gdi=%lu gui_user=%lu", windows,
                  guiGdi, guiUser);
  }
  return line;
}

}  // namespace procstat
