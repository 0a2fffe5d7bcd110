// What the stored settings do to the monitor window at set-up (StartMin, Advanced, AboutBox,
// Timer, AlwaysOnTop), and how the application's run reads them and writes them back.
#include <string>
#include <vector>

#include "monitor_fixture.h"

namespace monitor_test {
namespace {

class MonitorSettings : public MonitorFixture {
 protected:
  // Runs the whole program on the in-memory store; the monitor window is ended from its own
  // set-up with the given message.
  int RunEndingWith(UINT message, WPARAM wParam) {
    Seen().onMonitor = [message, wParam, this](ui::Dialog& window) {
      writesBeforeShown = store.writes.size();
      ::PostMessageA(window.Hwnd(), message, wParam, 0);
    };
    app::MonitorApp application;
    int status = application.Run(Platform(), store);
    runSettings = application;
    return status;
  }

  size_t writesBeforeShown = 0;
  app::AppSettings runSettings;
};

TEST_F(MonitorSettings, StartMinHidesTheWindowBeforeItIsShown) {
  settings.StartMin = 2;  // any nonzero value is on
  ASSERT_TRUE(Open());
  HWND window = Window();
  EXPECT_EQ(dialog->visible, FALSE);
  EXPECT_EQ(ItemText(Popup(), 0), "&Show Varistep Monitor");
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), tray::HiddenOwnerWindow.Hwnd());
  EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_FALSE(WasShown(window));
  // Hidden from the start, it still samples.
  EXPECT_NE(dialog->timerId, 0u);
}

TEST_F(MonitorSettings, StartMinOffShowsTheWindowOnTheDesktop) {
  settings.StartMin = 0;
  ASSERT_TRUE(Open());
  HWND window = Window();
  EXPECT_EQ(dialog->visible, TRUE);
  EXPECT_EQ(ItemText(Popup(), 0), "&Hide Varistep Monitor");
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
  EXPECT_NE(::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_TRUE(WasShown(window));
}

TEST_F(MonitorSettings, AdvancedKeepsBothDialogsWithASeparatorBeforeManualSelection) {
  settings.Advanced = 7;  // any nonzero value is on
  ASSERT_TRUE(Open());
  EXPECT_NE(FindCommand(Popup(), ID_CPU_INFORMATION), nullptr);
  int position = -1;
  HMENU mode = FindCommand(Popup(), ID_MANUAL_SELECTION, &position);
  ASSERT_NE(mode, nullptr);
  EXPECT_NE(mode, Popup());
  ASSERT_GE(position, 1);
  EXPECT_TRUE(IsSeparator(mode, position - 1));
  EXPECT_EQ(ItemText(mode, static_cast<UINT>(position)), "Manual &Selection...");
  EXPECT_EQ(::GetMenuItemCount(mode), 4);
}

TEST_F(MonitorSettings, AdvancedOffRemovesCpuInformationAndManualSelection) {
  settings.Advanced = 0;
  ASSERT_TRUE(Open());
  EXPECT_EQ(FindCommand(Popup(), ID_CPU_INFORMATION), nullptr);
  EXPECT_EQ(FindCommand(Popup(), ID_MANUAL_SELECTION), nullptr);
  // Everything else stays.
  int position = -1;
  HMENU mode = FindCommand(Popup(), ID_PERFORMANCE, &position);
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(::GetMenuItemCount(mode), 2);
  EXPECT_NE(FindCommand(Popup(), ID_PROPERTIES), nullptr);
  EXPECT_NE(FindCommand(Popup(), ID_CLOSE), nullptr);
}

TEST_F(MonitorSettings, NoAboutBoxUnlessAsked) {
  settings.AboutBox = 0;
  ASSERT_TRUE(Open());
  EXPECT_TRUE(Seen().dialogs.empty());
}

TEST_F(MonitorSettings, TimerStartsOnlyForAPositivePeriod) {
  for (int32_t period : {0, -1, -100000}) {
    SCOPED_TRACE(period);
    settings.Timer = period;
    ASSERT_TRUE(Open());
    EXPECT_EQ(dialog->timerId, 0u);
    // No timer of that id exists either.
    EXPECT_FALSE(::KillTimer(Window(), monitor::SampleTimer));
  }
  settings.Timer = 100;
  ASSERT_TRUE(Open());
  EXPECT_NE(dialog->timerId, 0u);
  EXPECT_TRUE(::KillTimer(Window(), dialog->timerId));
}

TEST_F(MonitorSettings, AlwaysOnTopDecidesTheTopmostStyle) {
  settings.AlwaysOnTop = 1;
  ASSERT_TRUE(Open());
  EXPECT_NE(::GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  settings.AlwaysOnTop = 0;
  ASSERT_TRUE(Open());
  EXPECT_EQ(::GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(MonitorSettings, FirstStartWritesSixDefaultsAndNeverAdvanced) {
  EXPECT_EQ(RunEndingWith(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)), 0);
  const std::vector<std::string> reads = {"Advanced", "AlwaysOnTop", "SpdSenIcon", "AboutBox",
                                          "StartMin", "ShowMinMax",  "Timer"};
  EXPECT_EQ(store.reads, reads);
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(writesBeforeShown, 6u);
  EXPECT_EQ(store.values.count("Advanced"), 0u);
  EXPECT_EQ(store.values["AlwaysOnTop"], 1);
  EXPECT_EQ(store.values["SpdSenIcon"], 0);
  EXPECT_EQ(store.values["AboutBox"], 0);
  EXPECT_EQ(store.values["StartMin"], 0);
  EXPECT_EQ(store.values["ShowMinMax"], 0);
  EXPECT_EQ(store.values["Timer"], 100);
  EXPECT_EQ(runSettings.Timer, 100);
  EXPECT_EQ(runSettings.AlwaysOnTop, 1);
}

TEST_F(MonitorSettings, EnterWritesTheSixSettingsBackEscapeWritesNothing) {
  store.values = {{"AlwaysOnTop", 0}, {"SpdSenIcon", 1}, {"AboutBox", 0}, {"StartMin", 0},
                  {"ShowMinMax", 1},  {"Timer", 250},    {"Advanced", 7}};
  EXPECT_EQ(RunEndingWith(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)), 0);
  EXPECT_TRUE(store.writes.empty());

  EXPECT_EQ(RunEndingWith(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)), 0);
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(store.values["Timer"], 250);
  EXPECT_EQ(store.values["SpdSenIcon"], 1);
  EXPECT_EQ(store.values["Advanced"], 7);
  for (const auto& write : store.writes) EXPECT_NE(write.first, "Advanced");
}

TEST_F(MonitorSettings, EscapeKeyAndCloseCommandEndTheRunAsCancelAndOk) {
  store.values = {{"AlwaysOnTop", 1}, {"SpdSenIcon", 0}, {"AboutBox", 0},
                  {"StartMin", 0},    {"ShowMinMax", 0}, {"Timer", QuietTimer}};
  EXPECT_EQ(RunEndingWith(WM_KEYDOWN, VK_ESCAPE), 0);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(RunEndingWith(WM_COMMAND, ID_CLOSE), 0);
  EXPECT_EQ(store.WrittenNames(), SixSettings());
}

TEST_F(MonitorSettings, SetUpFailureEndsTheRunWithStatusOneAndWritesNothingBack) {
  store.values = {{"AlwaysOnTop", 1}, {"SpdSenIcon", 0}, {"AboutBox", 0},
                  {"StartMin", 0},    {"ShowMinMax", 0}, {"Timer", QuietTimer}};
  UseProfile(sim::Profile::WrongVendor);
  HWND window = nullptr;
  Seen().onMonitor = [&](ui::Dialog& monitor) { window = monitor.Hwnd(); };
  app::MonitorApp application;
  EXPECT_EQ(application.Run(Platform(), store), 1);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(WasShown(window));
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_TRUE(store.writes.empty());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "A Corvalith CPU was not found.");
}

HWND g_runWindow = nullptr;
bool g_visibleWhenEnding = true;

// Ends the modal run only after its loop has gone idle at least once.
void CALLBACK CancelRun(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  g_visibleWhenEnding = (::GetWindowLongA(g_runWindow, GWL_STYLE) & WS_VISIBLE) != 0;
  ::PostMessageA(g_runWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(MonitorSettings, StartMinStaysHiddenThroughTheModalRun) {
  store.values = {{"AlwaysOnTop", 1}, {"SpdSenIcon", 0}, {"AboutBox", 0},
                  {"StartMin", 1},    {"ShowMinMax", 0}, {"Timer", QuietTimer}};
  g_runWindow = nullptr;
  g_visibleWhenEnding = true;
  Seen().onMonitor = [](ui::Dialog& monitor) {
    g_runWindow = monitor.Hwnd();
    ::SetTimer(nullptr, 0, 50, &CancelRun);
  };
  app::MonitorApp application;
  EXPECT_EQ(application.Run(Platform(), store), 0);
  ASSERT_NE(g_runWindow, nullptr);
  EXPECT_FALSE(WasShown(g_runWindow));
  EXPECT_FALSE(g_visibleWhenEnding);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(MonitorSettings, RunResultDecidesTheWriteBack) {
  app::AppSettings values;
  values.Timer = 321;
  for (intptr_t result :
       {intptr_t{IDCANCEL}, intptr_t{-1}, intptr_t{0}, intptr_t{monitor::SetupFailedResult}}) {
    EXPECT_FALSE(app::SaveSettingsAfterRun(store, values, result));
  }
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(app::SaveSettingsAfterRun(store, values, IDOK));
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(store.values["Timer"], 321);
}
}  // namespace
}  // namespace monitor_test
