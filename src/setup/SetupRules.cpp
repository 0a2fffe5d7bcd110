#include "setup/SetupRules.h"

#include <cstring>

#include "setup/SetupResource.h"

namespace setup {

const InstalledFile kInstalledFiles[4] = {
    {"VaristepMonitor.exe", IDR_MONITOR_EXE},
    {"VaristepDemo.exe", IDR_DEMO_EXE},
    {"readme.htm", IDR_README},
    {kUninstallerName, IDR_UNINSTALLER},
};

// Help opens readme.htm from the current folder, so every shortcut starts in the install folder.
const Shortcut kMenuShortcuts[4] = {
    {"Varistep Monitor.lnk", "VaristepMonitor.exe"},
    {"Varistep Demo.lnk", "VaristepDemo.exe"},
    {"Help.lnk", "readme.htm"},
    {"Uninstall.lnk", kUninstallerName},
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
bool TakeRest(const char* text, ui::PathText& out) {
  size_t length = std::strlen(text);
  while (length > 0 && IsSpace(text[length - 1])) --length;
  if (length > ui::PathText::Capacity()) return false;
  out.Assign(text, length);
  return true;
}

// The longest name the folder must leave room for.
size_t LongestInstalledName() {
  size_t longest = 0;
  for (const InstalledFile& file : kInstalledFiles) {
    if (std::strlen(file.name) > longest) longest = std::strlen(file.name);
  }
  for (const Shortcut& shortcut : kMenuShortcuts) {
    if (std::strlen(shortcut.target) > longest) longest = std::strlen(shortcut.target);
  }
  return longest;
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
    if (StartsWith(p, "/D=")) {
      if (!TakeRest(p + 3, options.folder)) options.folder.clear();
      break;
    }
    if (StartsWith(p, "_?=")) {
      if (!TakeRest(p + 3, options.removing)) options.removing.clear();
      break;
    }
    const char* end = p;
    while (*end != '\0' && !IsSpace(*end)) ++end;
    if (end - p == 2 && p[0] == '/' && p[1] == 'S') options.silent = true;
    p = end;
  }
  return options;
}

FolderProblem CheckFolder(const char* typed, ui::PathText& folder) {
  if (typed == nullptr) typed = "";
  while (IsSpace(*typed)) ++typed;
  size_t length = std::strlen(typed);
  while (length > 0 && (IsSpace(typed[length - 1]) || typed[length - 1] == '\\')) --length;
  if (length == 0) return FolderProblem::kEmpty;

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
    if (end == nullptr || share == server || end == share + 1) return FolderProblem::kNotFull;
    below = static_cast<size_t>(end + 1 - typed);
  } else {
    return FolderProblem::kNotFull;
  }
  if (below >= length) return FolderProblem::kNotFull;

  // From the root's backslash on: the drive's colon and the share's leading \\ are checked above.
  for (size_t i = 2; i < length; ++i) {
    const char c = typed[i];
    if (static_cast<unsigned char>(c) < 32 || std::strchr("/:*?\"<>|", c) != nullptr) {
      return FolderProblem::kBadCharacter;
    }
    // An empty component ("C:\a\\b") or one of dots names no folder of its own.
    if (c == '\\' && i + 1 < length && typed[i + 1] == '\\') return FolderProblem::kBadCharacter;
    if (c == '.' && (typed[i - 1] == '\\') &&
        (i + 1 == length || typed[i + 1] == '\\' ||
         (typed[i + 1] == '.' && (i + 2 == length || typed[i + 2] == '\\')))) {
      return FolderProblem::kBadCharacter;
    }
  }
  if (length + 1 + LongestInstalledName() + std::strlen(kNewFileSuffix) >
      ui::PathText::Capacity()) {
    return FolderProblem::kTooLong;
  }
  folder.Assign(typed, length);
  return FolderProblem::kNone;
}

const char* FolderProblemText(FolderProblem problem) {
  switch (problem) {
    case FolderProblem::kNone:
      return "";
    case FolderProblem::kEmpty:
      return "Please choose a folder to install Varistep Monitor in.";
    case FolderProblem::kNotFull:
      return "Please give the full path of a folder, such as:\r\n\r\nC:\\Program Files\\Varistep "
             "Monitor";
    case FolderProblem::kBadCharacter:
      return "A folder name cannot contain any of these characters: / : * ? \" < > |, and no "
             "part of the path may be empty, . or ..";
    case FolderProblem::kTooLong:
      return "That folder's path is too long. Please choose a shorter one.";
  }
  return "";
}

bool JoinPath(const char* folder, const char* name, ui::PathText& path) {
  size_t folderLength = std::strlen(folder);
  while (folderLength > 0 && folder[folderLength - 1] == '\\') --folderLength;
  if (folderLength + 1 + std::strlen(name) > ui::PathText::Capacity()) return false;
  path.Assign(folder, folderLength);
  path += "\\";
  path += name;
  return true;
}

void AppendProductFolder(ui::PathText& folder) {
  size_t length = folder.size();
  while (length > 0 && folder.c_str()[length - 1] == '\\') --length;
  const size_t product = std::strlen(kMenuFolder);
  const char* last = folder.c_str() + length - (length >= product ? product : length);
  const bool named = length > product && last[-1] == '\\';
  bool same = named;
  for (size_t i = 0; same && i < product; ++i) same = Lower(last[i]) == Lower(kMenuFolder[i]);
  if (same) return;
  ui::PathText joined;
  if (JoinPath(ui::PathText(folder.c_str(), length).c_str(), kMenuFolder, joined))
    folder = joined.c_str();
}

uint32_t EstimatedSizeKB(uint64_t bytes) {
  const uint64_t kb = (bytes + 1023) / 1024;
  return kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(kb);
}

}  // namespace setup
