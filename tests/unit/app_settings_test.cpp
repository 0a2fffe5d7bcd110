#include "app/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using support::MemoryStore;

TEST(Settings, FirstStartWritesSixDefaultsInOrderAndNeverAdvanced) {
  MemoryStore store;
  app::AppSettings s;
  app::LoadSettings(store, s);
  const std::vector<std::string> expected = {
      "read Settings/Advanced",    "read Settings/AlwaysOnTop",   "write Settings/AlwaysOnTop=1",
      "read Settings/SpdSenIcon",  "write Settings/SpdSenIcon=0", "read Settings/AboutBox",
      "write Settings/AboutBox=0", "read Settings/StartMin",      "write Settings/StartMin=0",
      "read Settings/ShowMinMax",  "write Settings/ShowMinMax=0", "read Settings/Timer",
      "write Settings/Timer=100"};
  EXPECT_EQ(store.log, expected);
  EXPECT_EQ(store.values.count("Advanced"), 0u);
  EXPECT_EQ(s.Advanced, 0);
  EXPECT_EQ(s.AlwaysOnTop, 1);
  EXPECT_EQ(s.Timer, 100);
}

TEST(Settings, SentinelsAreReplacedOtherValuesKeptUnchecked) {
  MemoryStore store;
  store.values = {{"Advanced", 7},   {"AlwaysOnTop", 255}, {"SpdSenIcon", 7}, {"AboutBox", 1},
                  {"StartMin", 255}, {"ShowMinMax", -3},   {"Timer", 0}};
  app::AppSettings s;
  app::LoadSettings(store, s);
  EXPECT_EQ(s.Advanced, 7);
  EXPECT_EQ(s.AlwaysOnTop, 1);
  EXPECT_EQ(store.values["AlwaysOnTop"], 1);
  EXPECT_EQ(s.SpdSenIcon, 7);
  EXPECT_EQ(s.AboutBox, 1);
  EXPECT_EQ(s.StartMin, 0);
  EXPECT_EQ(store.values["StartMin"], 0);
  EXPECT_EQ(s.ShowMinMax, -3);
  EXPECT_EQ(s.Timer, 100);
  EXPECT_EQ(store.values["Timer"], 100);
}

TEST(Settings, NegativeTimerIsKeptAndNotRewritten) {
  MemoryStore store;
  store.values = {{"AlwaysOnTop", 0}, {"SpdSenIcon", 0}, {"AboutBox", 0},
                  {"StartMin", 0},    {"ShowMinMax", 0}, {"Timer", -20}};
  app::AppSettings s;
  app::LoadSettings(store, s);
  EXPECT_EQ(s.Timer, -20);
  for (const auto& entry : store.log)
    EXPECT_EQ(entry.rfind("write", 0), std::string::npos) << entry;
}

TEST(Settings, SaveWritesSixInOrder) {
  MemoryStore store;
  app::AppSettings s;
  s.Advanced = 1;
  s.AlwaysOnTop = 0;
  s.SpdSenIcon = 1;
  s.AboutBox = 1;
  s.StartMin = 1;
  s.ShowMinMax = 1;
  s.Timer = 250;
  app::SaveSettings(store, s);
  const std::vector<std::string> expected = {
      "write Settings/AlwaysOnTop=0", "write Settings/SpdSenIcon=1", "write Settings/AboutBox=1",
      "write Settings/StartMin=1",    "write Settings/ShowMinMax=1", "write Settings/Timer=250"};
  EXPECT_EQ(store.log, expected);
}

TEST(Settings, OnlyTheConfirmResultWritesBack) {
  app::AppSettings s;
  s.Timer = 250;
  for (intptr_t result : {intptr_t{2}, intptr_t{0}, intptr_t{-1}}) {
    MemoryStore store;
    EXPECT_FALSE(app::SaveSettingsAfterRun(store, s, result));
    EXPECT_TRUE(store.log.empty());
  }
  MemoryStore store;
  EXPECT_TRUE(app::SaveSettingsAfterRun(store, s, 1));
  EXPECT_EQ(store.values["Timer"], 250);
  EXPECT_EQ(store.log.size(), 6u);
}

}  // namespace
