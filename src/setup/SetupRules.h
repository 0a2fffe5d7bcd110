// Portable: the rules of the setup program and its uninstaller that are not platform calls. What
// it installs, how it reads its command line, and which install folders it accepts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/FixedText.h"

namespace setup {

// How many entries a list has, for progress totals counted from the lists they count.
template <class T, size_t N>
constexpr int CountOf(const T (&)[N]) {
  return static_cast<int>(N);
}

// A file the setup puts in the install folder, from the resource that carries it.
struct InstalledFile {
  const char* name;
  int resource;
};
extern const InstalledFile InstalledFiles[4];
constexpr const char* UninstallerName = "uninstall.exe";
// A file is written beside its old copy first, under its name with this added.
constexpr const char* NewFileSuffix = ".new";

// A Start-menu shortcut and the installed file it starts.
struct Shortcut {
  const char* name;
  const char* target;
};
extern const Shortcut MenuShortcuts[4];
constexpr const char* MenuFolder = "Varistep Monitor";
constexpr const char* StartupShortcut = "Varistep Monitor.lnk";

// Installer conventions: /S runs silently with the defaults; /D=<folder> chooses the folder and,
// unquoted, runs to the end of the line; quoted whole ("/D=C:\My Folder") it ends at the quote.
// /NOLOGON declines log-on start. The uninstaller's copy in the temporary folder is started with
// /P=<id of the waiting uninstaller> /H=<its status pipe> _?=<the folder it removes>, last.
struct Options {
  bool silent = false;
  bool noLogOn = false;
  bool unknown = false;  // an argument it does not understand
  PathText folder;       // /D=, empty when not given
  PathText removing;     // _?=, empty when not given
  uint32_t waiting = 0;  // /P=
  uint32_t pipe = 0;     // /H=
};
// `commandLine` is the whole line, the program's own name first (quoted or not).
Options ParseCommandLine(const char* commandLine);

enum class FolderProblem { None, Empty, NotFull, BadCharacter, TooLong, BadName };
// Checks a folder the user typed or chose: a full path (drive or network share) below the root,
// without the characters no file name may hold, short enough for every installed file's path
// (and the new copy's, written first), and without a name Windows would change or take for a
// device (a part ending in a dot or a space, CON, NUL, COM1 and the like).
// On None, `folder` is the trimmed path without a trailing backslash.
FolderProblem CheckFolder(const char* typed, PathText& folder);
// The string-table text the folder page shows for a problem; 0 for none.
int FolderProblemText(FolderProblem problem);

// `folder`\`name`; false when the result would not fit in a path.
bool JoinPath(const char* folder, const char* name, PathText& path);

// A folder chosen with Browse gets the product's own folder below it, unless it is that folder.
void AppendProductFolder(PathText& folder);

// Add/Remove Programs' EstimatedSize: kilobytes, rounded up.
uint32_t EstimatedSizeKB(uint64_t bytes);

// The same folder, whatever the case of its letters and a trailing backslash.
bool SameFolder(const char* a, const char* b);

// What the setup wrote of a file, recorded so that the uninstaller deletes that file only:
// its size and CRC-32, as the text "<size> <crc in hex>".
struct FileStamp {
  uint32_t size = 0;
  uint32_t crc = 0;
};
uint32_t Crc32(const void* bytes, size_t size, uint32_t crc = 0);
using StampText = FixedText<24>;
StampText FormatStamp(const FileStamp& stamp);
bool ParseStamp(const char* text, FileStamp& stamp);

// Exit statuses of both programs.
enum ExitStatus { Done = 0, Cancelled = 1, Failed = 2, RestartNeeded = 3 };

// How a removal went, counted as it goes.
struct RemovalTally {
  int left = 0;       // could not be removed, nor scheduled for the next start
  int scheduled = 0;  // goes at the next start
  ExitStatus Status() const;
  // The Add/Remove entry goes once nothing is left but what the next start removes.
  bool EntryGoes() const;
};

// Windows 9x deletes a file at the next start from the [rename] section of WININIT.INI, one
// "NUL=<short path>" line each. Adds one to the file's text `ini` of `length` bytes, into `out`;
// false when it does not fit.
bool AddWininitDelete(const char* ini, size_t length, const char* shortPath, char* out,
                      size_t capacity, size_t& written);

// Whether the user may install: on the NT family, the nearest existing folder of the install
// folder and the machine's part of the registry must be writable. The system's answers come
// through this seam.
class RightsProbe {
 public:
  virtual ~RightsProbe() = default;
  virtual bool IsNt() const = 0;
  virtual bool Exists(const char* folder) const = 0;
  virtual bool MayWriteFolder(const char* folder) const = 0;
  virtual bool MayWriteMachineKeys() const = 0;
};
enum class RightsProblem { None, Folder, MachineKeys };
RightsProblem CheckRights(const RightsProbe& probe, const char* folder);

}  // namespace setup
