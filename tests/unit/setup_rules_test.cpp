#include "setup/SetupRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using setup::FolderProblem;

struct CommandCase {
  const char* line;
  bool silent;
  const char* folder;
  const char* removing;
  bool unknown = false;
  bool noLogOn = false;
};

TEST(SetupCommandLine, ReadsSilentAndTheFolderToTheEndOfTheLine) {
  const CommandCase cases[] = {
      {"setup.exe", false, "", ""},
      {"\"C:\\My Downloads\\setup.exe\" /S", true, "", ""},
      {"setup.exe /S /D=C:\\Program Files\\Varistep Monitor  ", true,
       "C:\\Program Files\\Varistep Monitor", ""},
      // /D= takes the rest of the line: a switch after it is part of the folder.
      {"setup.exe /D=C:\\Tools /S", false, "C:\\Tools /S", ""},
      // Switches are case-sensitive, and whole words: anything else is refused, not ignored.
      {"setup.exe /s", false, "", "", true},
      {"setup.exe /SS x/S", false, "", "", true},
      {"\"C:\\Temp\\vsu1.tmp\\uninstall.exe\" /S _?=C:\\Program Files\\V", true, "",
       "C:\\Program Files\\V"},
      {"\"never closed /S", false, "", ""},
      {"", false, "", ""},
      // Quoted whole, as callers pass an argument with spaces; switches may follow.
      {"setup.exe /S \"/D=C:\\Tools\\with space\" /NOLOGON", true, "C:\\Tools\\with space", "",
       false, true},
      {"setup.exe /S \"/D=C:\\Tools", true, "", "", true},
  };
  for (const CommandCase& c : cases) {
    const setup::Options options = setup::ParseCommandLine(c.line);
    EXPECT_EQ(options.silent, c.silent) << c.line;
    EXPECT_STREQ(options.folder.c_str(), c.folder) << c.line;
    EXPECT_STREQ(options.removing.c_str(), c.removing) << c.line;
    EXPECT_EQ(options.unknown, c.unknown) << c.line;
    EXPECT_EQ(options.noLogOn, c.noLogOn) << c.line;
  }
  const setup::Options copy = setup::ParseCommandLine("u.exe /S /P=12 /H=452 _?=C:\\V");
  EXPECT_EQ(copy.waiting, 12u);
  EXPECT_EQ(copy.pipe, 452u);
  EXPECT_FALSE(copy.unknown);
  // A folder too long for a path is dropped, never cut to another folder.
  const std::string longLine = "setup.exe /S /D=C:\\" + std::string(300, 'a');
  EXPECT_TRUE(setup::ParseCommandLine(longLine.c_str()).folder.empty());
  EXPECT_TRUE(setup::ParseCommandLine(nullptr).folder.empty());
}

struct FolderCase {
  const char* typed;
  FolderProblem problem;
  const char* folder;  // on None
};

TEST(SetupFolder, AcceptsFullPathsBelowARootAndRefusesTheRest) {
  const FolderCase cases[] = {
      {"C:\\Program Files\\Varistep Monitor\\", FolderProblem::None,
       "C:\\Program Files\\Varistep Monitor"},
      {"  d:\\Tools  ", FolderProblem::None, "d:\\Tools"},
      {"\\\\server\\share\\Varistep", FolderProblem::None, "\\\\server\\share\\Varistep"},
      {"C:\\.config", FolderProblem::None, "C:\\.config"},
      {"", FolderProblem::Empty, ""},
      {" \\ ", FolderProblem::Empty, ""},
      {"C:\\", FolderProblem::NotFull, ""},
      {"C:Tools", FolderProblem::NotFull, ""},
      {"Program Files\\Varistep", FolderProblem::NotFull, ""},
      {"\\Tools", FolderProblem::NotFull, ""},
      {"\\\\server\\share", FolderProblem::NotFull, ""},
      {"\\\\\\share\\x", FolderProblem::NotFull, ""},
      {"C:\\a<b", FolderProblem::BadCharacter, ""},
      {"C:\\a/b", FolderProblem::BadCharacter, ""},
      {"C:\\a:b", FolderProblem::BadCharacter, ""},
      {"C:\\a\tb", FolderProblem::BadCharacter, ""},
      {"C:\\a\\\\b", FolderProblem::BadCharacter, ""},
      {"C:\\a\\..\\b", FolderProblem::BadCharacter, ""},
      {"C:\\a\\.", FolderProblem::BadCharacter, ""},
      // Windows drops a trailing dot or space, and takes device names for devices.
      {"C:\\Tools\\b.", FolderProblem::BadName, ""},
      {"C:\\Tools \\b", FolderProblem::BadName, ""},
      {"C:\\Tools\\a\\...", FolderProblem::BadName, ""},
      {"C:\\Tools\\CON", FolderProblem::BadName, ""},
      {"C:\\nul.txt\\a", FolderProblem::BadName, ""},
      {"C:\\Tools\\com1", FolderProblem::BadName, ""},
      {"C:\\Tools\\CONSOLE", FolderProblem::None, "C:\\Tools\\CONSOLE"},
  };
  for (const FolderCase& c : cases) {
    PathText folder("unchanged");
    EXPECT_EQ(setup::CheckFolder(c.typed, folder), c.problem) << c.typed;
    EXPECT_STREQ(folder.c_str(), c.problem == FolderProblem::None ? c.folder : "unchanged")
        << c.typed;
    EXPECT_NE(setup::FolderProblemText(c.problem) == 0, c.problem != FolderProblem::None);
  }
}

TEST(SetupFolder, LeavesRoomForTheLongestInstalledFileName) {
  // "\VaristepMonitor.exe.new" must still fit in a path of 259 characters.
  const std::string longest = "C:\\" + std::string(232, 'a');
  PathText folder;
  ASSERT_EQ(setup::CheckFolder(longest.c_str(), folder), FolderProblem::None);
  for (const setup::InstalledFile& file : setup::InstalledFiles) {
    PathText path;
    EXPECT_TRUE(setup::JoinPath(folder.c_str(), file.name, path)) << file.name;
    EXPECT_LE(path.size() + std::strlen(setup::NewFileSuffix), PathText::Capacity());
  }
  EXPECT_EQ(setup::CheckFolder((longest + "a").c_str(), folder), FolderProblem::TooLong);
}

TEST(SetupFolder, BrowseAddsTheProductFolderOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\Apps", "D:\\Apps\\Varistep Monitor"},
      {"D:\\", "D:\\Varistep Monitor"},
      {"D:\\Apps\\varistep monitor", "D:\\Apps\\varistep monitor"},
      {"D:\\My Varistep Monitor", "D:\\My Varistep Monitor\\Varistep Monitor"},
  };
  for (const auto& c : cases) {
    PathText folder(c.first);
    setup::AppendProductFolder(folder);
    EXPECT_STREQ(folder.c_str(), c.second) << c.first;
  }
  EXPECT_EQ(setup::EstimatedSizeKB(0), 0u);
  EXPECT_EQ(setup::EstimatedSizeKB(1024), 1u);
  EXPECT_EQ(setup::EstimatedSizeKB(1025), 2u);
  EXPECT_TRUE(setup::SameFolder("C:\\Tools\\Varistep", "c:\\tools\\VARISTEP\\"));
  EXPECT_FALSE(setup::SameFolder("C:\\Tools\\Varistep", "C:\\Tools\\Varistep2"));
}

TEST(SetupRecord, StampsAFileBySizeAndCrc) {
  // The CRC-32 check value of the text "123456789".
  EXPECT_EQ(setup::Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(setup::Crc32("6789", 4, setup::Crc32("12345", 5)), 0xCBF43926u);
  const setup::FileStamp stamp{151552, 0xCBF43926u};
  EXPECT_STREQ(setup::FormatStamp(stamp).c_str(), "151552 cbf43926");
  setup::FileStamp read;
  ASSERT_TRUE(setup::ParseStamp("151552 cbf43926", read));
  EXPECT_EQ(read.size, stamp.size);
  EXPECT_EQ(read.crc, stamp.crc);
  for (const char* bad : {"", "12", "12 x", "x 12", "12 34 56", "-1 5"}) {
    EXPECT_FALSE(setup::ParseStamp(bad, read)) << bad;
  }
}

TEST(SetupRemoval, StatusSaysWhatIsLeft) {
  setup::RemovalTally tally;
  EXPECT_EQ(tally.Status(), setup::Done);
  tally.scheduled = 1;
  EXPECT_EQ(tally.Status(), setup::RestartNeeded);
  EXPECT_TRUE(tally.EntryGoes());
  tally.left = 1;
  EXPECT_EQ(tally.Status(), setup::Failed);
  EXPECT_FALSE(tally.EntryGoes());
}

TEST(SetupRemoval, AddsToTheRenameSectionOfWininit) {
  const struct {
    const char* ini;
    const char* expected;
  } cases[] = {
      {"", "[rename]\r\nNUL=C:\\PROGRA~1\\X.EXE\r\n"},
      {"[Rename]\r\nNUL=C:\\A\r\n", "[Rename]\r\nNUL=C:\\PROGRA~1\\X.EXE\r\nNUL=C:\\A\r\n"},
      {"[other]\r\na=b", "[other]\r\na=b\r\n[rename]\r\nNUL=C:\\PROGRA~1\\X.EXE\r\n"},
  };
  for (const auto& c : cases) {
    char out[128];
    size_t written = 0;
    ASSERT_TRUE(setup::AddWininitDelete(c.ini, std::strlen(c.ini), "C:\\PROGRA~1\\X.EXE", out,
                                        sizeof out, written))
        << c.ini;
    EXPECT_EQ(std::string(out, written), c.expected) << c.ini;
  }
  char small[8];
  size_t written = 0;
  EXPECT_FALSE(setup::AddWininitDelete("", 0, "C:\\PROGRA~1\\X.EXE", small, sizeof small, written));
}

class FakeRights : public setup::RightsProbe {
 public:
  bool nt = true;
  const char* existing = "C:\\Program Files";
  bool folder = true;
  bool keys = true;
  mutable std::string asked;
  bool IsNt() const override { return nt; }
  bool Exists(const char* path) const override {
    return std::strcmp(path, existing) == 0 || std::strcmp(path, "C:\\") == 0;
  }
  bool MayWriteFolder(const char* path) const override {
    asked = path;
    return folder;
  }
  bool MayWriteMachineKeys() const override { return keys; }
};

TEST(SetupRights, AsksTheNearestFolderThatExistsAndTheMachineKeys) {
  FakeRights rights;
  EXPECT_EQ(setup::CheckRights(rights, "C:\\Program Files\\Varistep Monitor\\x"),
            setup::RightsProblem::None);
  EXPECT_EQ(rights.asked, "C:\\Program Files");
  rights.keys = false;
  EXPECT_EQ(setup::CheckRights(rights, "C:\\Program Files\\V"), setup::RightsProblem::MachineKeys);
  rights.folder = false;
  EXPECT_EQ(setup::CheckRights(rights, "C:\\Program Files\\V"), setup::RightsProblem::Folder);
  rights.nt = false;  // Windows 9x has no rights to check
  EXPECT_EQ(setup::CheckRights(rights, "C:\\Program Files\\V"), setup::RightsProblem::None);
}

}  // namespace
