#include "setup/SetupRules.h"

#include <cstring>

#include "base/FormatText.h"
#include "base/ParseUnsigned.h"
#include "resources/Product.h"
#include "setup/SetupResource.h"

namespace setup {

const InstalledFile InstalledFiles[4] = {
    {product::MonitorFile, IDR_MONITOR_EXE},
    {product::DemoFile, IDR_DEMO_EXE},
    {product::HelpFile, IDR_README},
    {UninstallerName, IDR_UNINSTALLER},
};

// Help opens readme.htm from the current folder, so every shortcut starts in the install folder.
const Shortcut MenuShortcuts[4] = {
    {"Varistep Monitor.lnk", product::MonitorFile},
    {"Varistep Demo.lnk", product::DemoFile},
    {"Help.lnk", product::HelpFile},
    {"Uninstall.lnk", UninstallerName},
};

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The rest of the line without the spaces that end it; over-long folders are refused, not cut.
bool TakeRest(const char* text, PathText& out) {
  size_t length = std::strlen(text);
  while (length > 0 && IsSpace(text[length - 1])) --length;
  if (length > PathText::Capacity()) return false;
  out.Assign(text, length);
  return true;
}

// The longest name the folder must leave room for.
size_t LongestInstalledName() {
  size_t longest = 0;
  for (const InstalledFile& file : InstalledFiles) {
    if (std::strlen(file.name) > longest) longest = std::strlen(file.name);
  }
  for (const Shortcut& shortcut : MenuShortcuts) {
    if (std::strlen(shortcut.target) > longest) longest = std::strlen(shortcut.target);
  }
  return longest;
}

using Argument = FixedText<2 * 260>;

bool TakeNumber(const char* text, uint32_t& value) {
  return *text >= '0' && *text <= '9' && base::ParseUnsignedField(text, value);
}

// One argument, without quotes: false when it is none the programs know.
bool Take(const char* argument, Options& options) {
  if (StartsWith(argument, "/D=")) return TakeRest(argument + 3, options.folder);
  if (StartsWith(argument, "_?=")) return TakeRest(argument + 3, options.removing);
  if (std::strcmp(argument, "/S") == 0) return options.silent = true;
  if (std::strcmp(argument, "/NOLOGON") == 0) return options.noLogOn = true;
  if (StartsWith(argument, "/P=")) return TakeNumber(argument + 3, options.waiting);
  if (StartsWith(argument, "/H=")) return TakeNumber(argument + 3, options.pipe);
  return false;
}

bool IsDeviceName(const char* part, size_t length) {
  size_t base = 0;
  while (base < length && part[base] != '.') ++base;
  static const char* const Devices[] = {"con", "prn", "aux", "nul"};
  char lower[5] = {};
  if (base < 3 || base > 4) return false;
  for (size_t i = 0; i < base; ++i) lower[i] = Lower(part[i]);
  for (const char* device : Devices) {
    if (base == 3 && std::strncmp(lower, device, 3) == 0) return true;
  }
  return base == 4 && (std::strncmp(lower, "com", 3) == 0 || std::strncmp(lower, "lpt", 3) == 0) &&
         lower[3] >= '1' && lower[3] <= '9';
}

// A part Windows would store under another name (it drops a trailing dot or space), or opens as
// a device.
bool IsBadName(const char* part, size_t length) {
  return length == 0 || part[length - 1] == '.' || part[length - 1] == ' ' ||
         IsDeviceName(part, length);
}

}  // namespace

Options ParseCommandLine(const char* commandLine) {
  Options options;
  if (commandLine == nullptr) return options;
  const char* p = commandLine;
  while (IsSpace(*p)) ++p;
  if (*p == '"') {
    p = std::strchr(p + 1, '"');
    p = p == nullptr ? commandLine + std::strlen(commandLine) : p + 1;
  } else {
    while (*p != '\0' && !IsSpace(*p)) ++p;
  }
  for (;;) {
    while (IsSpace(*p)) ++p;
    if (*p == '\0') break;
    if (*p == '"') {
      // Quoted whole: the argument ends at the closing quote.
      const char* close = std::strchr(p + 1, '"');
      if (close == nullptr) {
        options.unknown = true;
        break;
      }
      const Argument argument(p + 1, static_cast<size_t>(close - p - 1));
      if (!Take(argument.c_str(), options)) options.unknown = true;
      p = close + 1;
      continue;
    }
    if (StartsWith(p, "/D=") || StartsWith(p, "_?=")) {
      if (!Take(p, options)) options.unknown = true;
      break;
    }
    const char* end = p;
    while (*end != '\0' && !IsSpace(*end)) ++end;
    const Argument argument(p, static_cast<size_t>(end - p));
    if (static_cast<size_t>(end - p) > Argument::Capacity() || !Take(argument.c_str(), options)) {
      options.unknown = true;
    }
    p = end;
  }
  return options;
}

FolderProblem CheckFolder(const char* typed, PathText& folder) {
  if (typed == nullptr) typed = "";
  while (IsSpace(*typed)) ++typed;
  size_t length = std::strlen(typed);
  while (length > 0 && (IsSpace(typed[length - 1]) || typed[length - 1] == '\\')) --length;
  if (length == 0) return FolderProblem::Empty;

  // Where the first folder below the root starts: after "X:\" or "\\server\share\".
  size_t below = 0;
  const bool drive = length >= 3 && Lower(typed[0]) >= 'a' && Lower(typed[0]) <= 'z' &&
                     typed[1] == ':' && typed[2] == '\\';
  if (drive) {
    below = 3;
  } else if (length >= 2 && typed[0] == '\\' && typed[1] == '\\') {
    // A server and a share, neither empty.
    const char* server = typed + 2;
    const char* share = static_cast<const char*>(std::memchr(server, '\\', length - 2));
    const char* end =
        share == nullptr
            ? nullptr
            : static_cast<const char*>(std::memchr(share + 1, '\\', length - (share + 1 - typed)));
    if (end == nullptr || share == server || end == share + 1) return FolderProblem::NotFull;
    below = static_cast<size_t>(end + 1 - typed);
  } else {
    return FolderProblem::NotFull;
  }
  if (below >= length) return FolderProblem::NotFull;

  // From the root's backslash on: the drive's colon and the share's leading \\ are checked above.
  for (size_t i = 2; i < length; ++i) {
    const char c = typed[i];
    if (static_cast<unsigned char>(c) < 32 || std::strchr("/:*?\"<>|", c) != nullptr) {
      return FolderProblem::BadCharacter;
    }
    // An empty component ("C:\a\\b") or one of dots names no folder of its own.
    if (c == '\\' && i + 1 < length && typed[i + 1] == '\\') return FolderProblem::BadCharacter;
    if (c == '.' && (typed[i - 1] == '\\') &&
        (i + 1 == length || typed[i + 1] == '\\' ||
         (typed[i + 1] == '.' && (i + 2 == length || typed[i + 2] == '\\')))) {
      return FolderProblem::BadCharacter;
    }
  }
  for (size_t start = below; start < length;) {
    size_t end = start;
    while (end < length && typed[end] != '\\') ++end;
    if (IsBadName(typed + start, end - start)) return FolderProblem::BadName;
    start = end + 1;
  }
  if (length + 1 + LongestInstalledName() + std::strlen(NewFileSuffix) > PathText::Capacity()) {
    return FolderProblem::TooLong;
  }
  folder.Assign(typed, length);
  return FolderProblem::None;
}

int FolderProblemText(FolderProblem problem) {
  return problem == FolderProblem::None ? 0 : IDS_FOLDER_PROBLEM + static_cast<int>(problem);
}

bool JoinPath(const char* folder, const char* name, PathText& path) {
  size_t folderLength = std::strlen(folder);
  while (folderLength > 0 && folder[folderLength - 1] == '\\') --folderLength;
  if (folderLength + 1 + std::strlen(name) > PathText::Capacity()) return false;
  path.Assign(folder, folderLength);
  path += "\\";
  path += name;
  return true;
}

void AppendProductFolder(PathText& folder) {
  size_t length = folder.size();
  while (length > 0 && folder.c_str()[length - 1] == '\\') --length;
  const size_t product = std::strlen(MenuFolder);
  const char* last = folder.c_str() + length - (length >= product ? product : length);
  const bool named = length > product && last[-1] == '\\';
  bool same = named;
  for (size_t i = 0; same && i < product; ++i) same = Lower(last[i]) == Lower(MenuFolder[i]);
  if (same) return;
  PathText joined;
  if (JoinPath(PathText(folder.c_str(), length).c_str(), MenuFolder, joined))
    folder = joined.c_str();
}

uint32_t EstimatedSizeKB(uint64_t bytes) {
  const uint64_t kb = (bytes + 1023) / 1024;
  return kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(kb);
}

bool SameFolder(const char* a, const char* b) {
  size_t lengthA = std::strlen(a);
  size_t lengthB = std::strlen(b);
  while (lengthA > 0 && a[lengthA - 1] == '\\') --lengthA;
  while (lengthB > 0 && b[lengthB - 1] == '\\') --lengthB;
  if (lengthA != lengthB) return false;
  for (size_t i = 0; i < lengthA; ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

uint32_t Crc32(const void* bytes, size_t size, uint32_t crc) {
  const unsigned char* byte = static_cast<const unsigned char*>(bytes);
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= byte[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

StampText FormatStamp(const FileStamp& stamp) {
  StampText text;
  FormatText(text.data(), StampText::Capacity() + 1, "%lu %08lx",
             static_cast<unsigned long>(stamp.size), static_cast<unsigned long>(stamp.crc));
  return text;
}

bool ParseStamp(const char* text, FileStamp& stamp) {
  uint64_t size = 0;
  const char* p = text;
  for (; *p >= '0' && *p <= '9'; ++p) {
    size = size * 10 + static_cast<uint64_t>(*p - '0');
    if (size > 0xFFFFFFFFu) return false;
  }
  if (p == text || *p != ' ') return false;
  uint32_t crc = 0;
  const char* digits = ++p;
  for (; *p != '\0'; ++p) {
    const char c = Lower(*p);
    const bool decimal = c >= '0' && c <= '9';
    if (!decimal && !(c >= 'a' && c <= 'f')) return false;
    if (p - digits >= 8) return false;
    crc = (crc << 4) | static_cast<uint32_t>(decimal ? c - '0' : c - 'a' + 10);
  }
  if (p == digits) return false;
  stamp.size = static_cast<uint32_t>(size);
  stamp.crc = crc;
  return true;
}

ExitStatus RemovalTally::Status() const {
  if (left > 0) return Failed;
  return scheduled > 0 ? RestartNeeded : Done;
}

bool RemovalTally::EntryGoes() const {
  return left == 0;
}

bool AddWininitDelete(const char* ini, size_t length, const char* shortPath, char* out,
                      size_t capacity, size_t& written) {
  written = 0;
  static const char Section[] = "[rename]";
  const size_t sectionLength = sizeof Section - 1;
  // Where the new line goes: after the section's own line, or at the end in a new section.
  size_t at = length;
  bool found = false;
  for (size_t line = 0; line < length && !found;) {
    size_t end = line;
    while (end < length && ini[end] != '\n') ++end;
    if (end - line >= sectionLength) {
      bool same = true;
      for (size_t i = 0; same && i < sectionLength; ++i) same = Lower(ini[line + i]) == Section[i];
      if (same) {
        found = true;
        at = end < length ? end + 1 : end;
      }
    }
    line = end + 1;
  }
  const bool endsLine = at > 0 && ini[at - 1] == '\n';
  FixedText<300> added;
  if (at > 0 && !endsLine) added += "\r\n";
  if (!found) added += "[rename]\r\n";
  added += "NUL=";
  added += shortPath;
  added += "\r\n";
  const size_t total = length + added.size();
  if (total > capacity) return false;
  std::memcpy(out, ini, at);
  std::memcpy(out + at, added.c_str(), added.size());
  std::memcpy(out + at + added.size(), ini + at, length - at);
  written = total;
  return true;
}

RightsProblem CheckRights(const RightsProbe& probe, const char* folder) {
  if (!probe.IsNt()) return RightsProblem::None;
  PathText existing(folder);
  while (!probe.Exists(existing.c_str())) {
    char* slash = std::strrchr(existing.data(), '\\');
    if (slash == nullptr || slash[1] == '\0') break;
    // A drive's root keeps its backslash.
    if (slash > existing.data() && slash[-1] == ':')
      slash[1] = '\0';
    else
      *slash = '\0';
  }
  if (!probe.MayWriteFolder(existing.c_str())) return RightsProblem::Folder;
  if (!probe.MayWriteMachineKeys()) return RightsProblem::MachineKeys;
  return RightsProblem::None;
}

}  // namespace setup
