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
};

TEST(SetupCommandLine, ReadsSilentAndTheFolderToTheEndOfTheLine) {
  const CommandCase cases[] = {
      {"setup.exe", false, "", ""},
      {"\"C:\\My Downloads\\setup.exe\" /S", true, "", ""},
      {"setup.exe /S /D=C:\\Program Files\\Varistep Monitor  ", true,
       "C:\\Program Files\\Varistep Monitor", ""},
      // /D= takes the rest of the line: a switch after it is part of the folder.
      {"setup.exe /D=C:\\Tools /S", false, "C:\\Tools /S", ""},
      // Switches are case-sensitive, and whole words.
      {"setup.exe /s", false, "", ""},
      {"setup.exe /SS x/S", false, "", ""},
      {"\"C:\\Temp\\vsu1.tmp\\uninstall.exe\" /S _?=C:\\Program Files\\V", true, "",
       "C:\\Program Files\\V"},
      {"\"never closed /S", false, "", ""},
      {"", false, "", ""},
  };
  for (const CommandCase& c : cases) {
    const setup::Options options = setup::ParseCommandLine(c.line);
    EXPECT_EQ(options.silent, c.silent) << c.line;
    EXPECT_STREQ(options.folder.c_str(), c.folder) << c.line;
    EXPECT_STREQ(options.removing.c_str(), c.removing) << c.line;
  }
  // A folder too long for a path is dropped, never cut to another folder.
  const std::string longLine = "setup.exe /S /D=C:\\" + std::string(300, 'a');
  EXPECT_TRUE(setup::ParseCommandLine(longLine.c_str()).folder.empty());
  EXPECT_TRUE(setup::ParseCommandLine(nullptr).folder.empty());
}

struct FolderCase {
  const char* typed;
  FolderProblem problem;
  const char* folder;  // on kNone
};

TEST(SetupFolder, AcceptsFullPathsBelowARootAndRefusesTheRest) {
  const FolderCase cases[] = {
      {"C:\\Program Files\\Varistep Monitor\\", FolderProblem::kNone,
       "C:\\Program Files\\Varistep Monitor"},
      {"  d:\\Tools  ", FolderProblem::kNone, "d:\\Tools"},
      {"\\\\server\\share\\Varistep", FolderProblem::kNone, "\\\\server\\share\\Varistep"},
      {"C:\\.config", FolderProblem::kNone, "C:\\.config"},
      {"", FolderProblem::kEmpty, ""},
      {" \\ ", FolderProblem::kEmpty, ""},
      {"C:\\", FolderProblem::kNotFull, ""},
      {"C:Tools", FolderProblem::kNotFull, ""},
      {"Program Files\\Varistep", FolderProblem::kNotFull, ""},
      {"\\Tools", FolderProblem::kNotFull, ""},
      {"\\\\server\\share", FolderProblem::kNotFull, ""},
      {"\\\\\\share\\x", FolderProblem::kNotFull, ""},
      {"C:\\a<b", FolderProblem::kBadCharacter, ""},
      {"C:\\a/b", FolderProblem::kBadCharacter, ""},
      {"C:\\a:b", FolderProblem::kBadCharacter, ""},
      {"C:\\a\tb", FolderProblem::kBadCharacter, ""},
      {"C:\\a\\\\b", FolderProblem::kBadCharacter, ""},
      {"C:\\a\\..\\b", FolderProblem::kBadCharacter, ""},
      {"C:\\a\\.", FolderProblem::kBadCharacter, ""},
  };
  for (const FolderCase& c : cases) {
    ui::PathText folder("unchanged");
    EXPECT_EQ(setup::CheckFolder(c.typed, folder), c.problem) << c.typed;
    EXPECT_STREQ(folder.c_str(), c.problem == FolderProblem::kNone ? c.folder : "unchanged")
        << c.typed;
    EXPECT_NE(*setup::FolderProblemText(c.problem) == '\0', c.problem != FolderProblem::kNone);
  }
}

TEST(SetupFolder, LeavesRoomForTheLongestInstalledFileName) {
  // "\VaristepMonitor.exe.new" must still fit in a path of 259 characters.
  const std::string longest = "C:\\" + std::string(232, 'a');
  ui::PathText folder;
  ASSERT_EQ(setup::CheckFolder(longest.c_str(), folder), FolderProblem::kNone);
  for (const setup::InstalledFile& file : setup::kInstalledFiles) {
    ui::PathText path;
    EXPECT_TRUE(setup::JoinPath(folder.c_str(), file.name, path)) << file.name;
    EXPECT_LE(path.size() + std::strlen(setup::kNewFileSuffix), ui::PathText::Capacity());
  }
  EXPECT_EQ(setup::CheckFolder((longest + "a").c_str(), folder), FolderProblem::kTooLong);
}

TEST(SetupFolder, BrowseAddsTheProductFolderOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\Apps", "D:\\Apps\\Varistep Monitor"},
      {"D:\\", "D:\\Varistep Monitor"},
      {"D:\\Apps\\varistep monitor", "D:\\Apps\\varistep monitor"},
      {"D:\\My Varistep Monitor", "D:\\My Varistep Monitor\\Varistep Monitor"},
  };
  for (const auto& c : cases) {
    ui::PathText folder(c.first);
    setup::AppendProductFolder(folder);
    EXPECT_STREQ(folder.c_str(), c.second) << c.first;
  }
  EXPECT_EQ(setup::EstimatedSizeKB(0), 0u);
  EXPECT_EQ(setup::EstimatedSizeKB(1024), 1u);
  EXPECT_EQ(setup::EstimatedSizeKB(1025), 2u);
}

}  // namespace
