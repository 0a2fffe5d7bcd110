// Counts of a process's window-system objects that Wine does not report through the usual calls
// (GetGuiResources, GetProcessHandleCount and PrivateUsage all give 0 under Wine 8).
//
// GDI: Wine keeps every process's GDI objects in a handle table of 65536 entries that the process
// publishes in its PEB (GdiSharedHandleTable; under WoW64 in the 64-bit PEB, whose address the
// 32-bit TEB holds in GdiBatchCount). The table is read with ReadProcessMemory, so another
// process's objects are counted exactly as GetObjectType would see them there.
// USER: windows are counted across processes (top-level, their children, message-only windows).
// Menus can only be counted from inside the process that owns them.
#pragma once

#include <windows.h>

#include <string>

namespace procstat {

struct GdiCounts {
  int total = 0;  // live objects, stock objects excluded
  int dc = 0;     // display, memory and metafile device contexts
  int bitmap = 0;
  int brush = 0;
  int pen = 0;  // pens and extended pens
  int font = 0;
  int region = 0;
  int palette = 0;
  int other = 0;  // surfaces, metafiles
  int stock = 0;  // the process's stock objects, which never grow
};

// One table entry as Wine lays it out (24 bytes on every architecture).
struct GdiEntry {
  unsigned long long object;
  unsigned long owner;
  unsigned short
      unique;          // low byte: object type (0x80 marks a stock object); high byte: generation
  unsigned char type;  // 0 for a free entry
  unsigned char flags;
  unsigned long long user;
};
static_assert(sizeof(GdiEntry) == 24, "Wine's GDI handle table entry");

constexpr int GdiTableEntries = 0x10000;

// Adds one table entry to the counts; free entries add nothing.
void CountGdiEntry(const GdiEntry& entry, GdiCounts& counts);

// Reads the GDI handle table of a process; false when it cannot be found or read.
bool ReadGdiCounts(DWORD processId, GdiCounts& counts);

// Windows of the process: top-level and message-only windows and all their children.
int CountWindows(DWORD processId);

// Menus of the calling process (Wine accepts a handle's bare index from its own process).
int CountOwnMenus();

// The first process whose executable file name matches (letter case ignored); 0 when none runs.
DWORD FindProcess(const char* exeName);

// The one-line report: "gdi=N gdi_dc=N ... user_windows=N"; fields of GetGuiResources follow as
// gui_gdi and gui_user so the same line is meaningful on Windows.
std::string Describe(DWORD processId);

}  // namespace procstat
