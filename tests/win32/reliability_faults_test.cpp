// The whole program, run in-process on the simulated processor, against a driver that refuses
// requests: every set-up request refused in turn for every profile that reaches the driver, then
// the requests made after set-up (the limit read, the policy writes, the Manual Selection write).
// Set-up failures must end the run with one box, status 1, no window and no icon left; later
// failures show their box and the program goes on, with never more than one tick box open.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ui/StartUp.h"
#include "monitor_fixture.h"

namespace monitor_test {
namespace {

constexpr const char* Refused = "Device does not support the requested API";

struct ProfileCase {
  const char* name;
  sim::Profile profile;
  VersionFields version;
};

// Every profile whose set-up talks to the driver, on the NT path and, for the sweep (which reads
// the dividers from PCI space there), on the 9x path too.
const ProfileCase Profiles[] = {
    {"default", sim::Profile::Default, {2, 5, 1}},
    {"sweep", sim::Profile::SweepOnly, {2, 5, 1}},
    {"sweep on 9x", sim::Profile::SweepOnly, {1, 4, 10}},
    {"serial disabled", sim::Profile::PsnDisabled, {2, 5, 0}},
    {"small cache", sim::Profile::SmallCache, {2, 5, 1}},
    {"one step", sim::Profile::OneStep, {2, 5, 1}},
    {"too many steps", sim::Profile::TooManySteps, {2, 5, 1}},
};

class ReliabilityFaults : public MonitorFixture {
 protected:
  void SetUp() override {
    MonitorFixture::SetUp();
    ResetStore();
  }

  // Settings already stored, so that start-up writes nothing and a write after the run can only
  // be the save at Close.
  void ResetStore() {
    store = MemoryStore();
    store.values = {{"AlwaysOnTop", 0}, {"SpdSenIcon", 0},     {"AboutBox", 0}, {"StartMin", 0},
                    {"ShowMinMax", 0},  {"Timer", QuietTimer}, {"Advanced", 1}};
  }

  void Fresh(const ProfileCase& profile) {
    ForgetAll();
    ResetStore();
    windows = profile.version;
    UseProfile(profile.profile);
  }

  // Runs the program; `whenUp` runs once set-up is complete (never after a failed set-up).
  int Run(std::function<void(monitor::MonitorDialog&)> whenUp = nullptr) {
    monitorSetUp = false;
    window = nullptr;
    Seen().onMonitor = [this, whenUp](ui::Dialog& made) {
      auto& monitor = static_cast<monitor::MonitorDialog&>(made);
      // The hook also runs at the end of a set-up that failed and ended the run.
      if (monitor.ExitCode() != 0) return;
      monitorSetUp = true;
      window = &monitor;
      if (whenUp) whenUp(monitor);
    };
    app::MonitorApp application;
    int status = application.Run(Platform(), store);
    mutexAfterRun = application.instanceMutex;
    window = nullptr;
    return status;
  }

  // Icons added and not taken back by the end of the run.
  static int IconsLeft() {
    return static_cast<int>(ShellCount(NIM_ADD)) - static_cast<int>(ShellCount(NIM_DELETE));
  }

  static bool MutexIsFree() {
    HANDLE probe = ::CreateMutexA(nullptr, FALSE, app::InstanceMutexName);
    bool free = probe != nullptr && ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (probe != nullptr) ::CloseHandle(probe);
    return free;
  }

  // The end of a run whose set-up failed: one box with this text and caption, status 1, the
  // window never shown, no icon and no mutex left, and nothing saved.
  void ExpectSetUpFailure(int status, const std::string& text, const std::string& caption) {
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(monitorSetUp);
    ASSERT_NO_FATAL_FAILURE(ExpectSetUpBox(text, caption));
    EXPECT_EQ(IconsLeft(), 0);
    ASSERT_FALSE(ShellSeen().calls.empty());
    EXPECT_EQ(ShellSeen().calls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(mutexAfterRun, nullptr);
    EXPECT_TRUE(MutexIsFree());
  }

  void PostCommand(UINT id) { ::PostMessageA(window->Hwnd(), WM_COMMAND, id, 0); }

  // Dispatches messages until the processor has been sampled `ticks` more times. A guard of
  // several seconds per tick keeps a stopped timer from hanging the run; it is never the thing
  // being measured.
  static bool PumpTicks(int ticks) {
    size_t target = SampleCount() + static_cast<size_t>(ticks);
    DWORD started = ::GetTickCount();
    while (SampleCount() < target) {
      if (::GetTickCount() - started > 20000) return false;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      support::Pump();
    }
    return true;
  }

  static size_t SampleCount() {
    size_t count = 0;
    for (uint32_t leaf : Seen().cpuidLeaves) count += leaf == LeafCurrentState ? 1 : 0;
    return count;
  }

  bool monitorSetUp = false;
  monitor::MonitorDialog* window = nullptr;
  HANDLE mutexAfterRun = nullptr;
};

TEST_F(ReliabilityFaults, EachRefusedSetUpRequestEndsTheProgramCleanly) {
  int swept = 0;
  for (const ProfileCase& profile : Profiles) {
    SCOPED_TRACE(profile.name);
    // A clean run first: it tells how many requests set-up makes, and that it gets through.
    Fresh(profile);
    uint32_t setUpRequests = 0;
    int status = Run([&](monitor::MonitorDialog&) {
      setUpRequests = port->RequestCount();
      PostCommand(ID_CLOSE);
    });
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(Boxes().empty());
    ASSERT_GT(setUpRequests, 3u);
    EXPECT_EQ(IconsLeft(), 0);

    for (uint32_t k = 1; k <= setUpRequests; ++k) {
      SCOPED_TRACE("refused request " + std::to_string(k) + " of " + std::to_string(setUpRequests));
      Fresh(profile);
      const uint32_t lower = processor->WindowLower(), upper = processor->WindowUpper();
      port->RefuseRequest(k);
      status = Run([&](monitor::MonitorDialog&) { PostCommand(ID_CLOSE); });
      ExpectSetUpFailure(status, Refused, "Error");
      // Nothing follows but, when a sweep stopped midway, the write-back of the scaling window:
      // the processor is not left pinned. A refused write-back is not sent again.
      EXPECT_LE(port->RequestCount(), k + 1);
      const auto& log = port->Log();
      for (size_t i = 1; i < log.size(); ++i) {
        const MsrRequest &before = log[i - 1].request, &now = log[i].request;
        EXPECT_FALSE(log[i].isRead == log[i - 1].isRead && now.msr == before.msr &&
                     now.low == before.low && now.high == before.high)
            << "request " << i + 1 << " repeats the one before";
      }
      ASSERT_GE(log.size(), k);
      const MsrRequest& refused = log[k - 1].request;
      const bool writeBackRefused = !log[k - 1].isRead && refused.msr == MsrScalingWindow &&
                                    refused.low == lower && refused.high == upper;
      if (!writeBackRefused) {
        EXPECT_EQ(processor->WindowLower(), lower);
        EXPECT_EQ(processor->WindowUpper(), upper);
      }
      ++swept;
      if (HasFailure()) return;  // one broken case says enough
    }
  }
  // Seven profiles, two of them sweeping 101 levels; the count guards against a sweep that
  // silently stops early.
  EXPECT_GT(swept, 300);
  std::printf("set-up requests refused one at a time: %d\n", swept);
}

TEST_F(ReliabilityFaults, OtherSetUpFailuresEndTheProgramTheSameWay) {
  const std::string name = ui::AppName().c_str();
  struct Case {
    const char* what;
    sim::Profile profile;
    uint32_t openError;
    std::string text;
    std::string caption;
  };
  const Case cases[] = {
      {"wrong vendor", sim::Profile::WrongVendor, 0, "A Corvalith CPU was not found.",
       "Checking for a Corvalith CPU?"},
      {"no DeviceIoControl", sim::Profile::Default, 50,
       "Unable to open VxD, \n device does not support DeviceIOCTL\n", name},
      {"no driver", sim::Profile::Default, 2, "Unable to open VxD, Error code: 2\n", name},
      {"access denied", sim::Profile::Default, 5, "Unable to open VxD, Error code: 5\n", name},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh({c.what, c.profile, {2, 5, 1}});
    if (c.openError != 0) port->FailOpen(c.openError);
    int status = Run([&](monitor::MonitorDialog&) { PostCommand(ID_CLOSE); });
    ExpectSetUpFailure(status, c.text, c.caption);
    EXPECT_EQ(port->RequestCount(), 0u);
  }
}

TEST_F(ReliabilityFaults, RefusedLimitReadsNeverStackTheirBoxes) {
  store.values["ShowMinMax"] = 1;
  store.values["Timer"] = 1;
  int ticksInsideBoxes = 0;
  bool pumped = true;
  support::WhileBoxOpen() = [&](const BoxCall&) {
    // The box's own loop: ticks go on arriving, and their refused reads must not open more.
    size_t before = SampleCount();
    pumped = pumped && PumpTicks(5);
    ticksInsideBoxes += static_cast<int>(SampleCount() - before);
    EXPECT_EQ(window->LimitFailureBoxes(), 1);
    if (Boxes().size() == 3) PostCommand(ID_CLOSE);
  };
  int status = Run([&](monitor::MonitorDialog&) { port->RefuseRegister(MsrScalingWindow); });
  EXPECT_TRUE(pumped) << "the sampling timer stopped while a box was open";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(support::NestedBoxes(), 0);
  ASSERT_GE(Boxes().size(), 3u);
  for (const BoxCall& box : Boxes()) {
    EXPECT_EQ(box.text, Refused);
    EXPECT_EQ(box.caption, "Error");
  }
  EXPECT_GE(ticksInsideBoxes, 15);
  // The run ended normally and saved.
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(store.values["ShowMinMax"], 1);
  EXPECT_EQ(IconsLeft(), 0);
}

TEST_F(ReliabilityFaults, RefusedPolicyWritesShowTheirBoxAndTheProgramGoesOn) {
  std::vector<std::vector<UINT>> marks;
  support::WhileBoxOpen() = [&](const BoxCall&) {
    std::vector<UINT> checked;
    CollectChecked(window->tray.Popup(), checked);
    marks.push_back(checked);
  };
  bool performanceBefore = false;
  int status = Run([&](monitor::MonitorDialog&) {
    performanceBefore = processor->Performance();
    port->RefuseRegister(MsrScalingPolicy);
    PostCommand(ID_ECONOMY);
    PostCommand(ID_PERFORMANCE);
    PostCommand(ID_ECONOMY);
    PostCommand(ID_CLOSE);
  });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(Boxes().size(), 3u);
  for (const BoxCall& box : Boxes()) {
    EXPECT_EQ(box.text, Refused);
    EXPECT_EQ(box.caption, ui::AppName().c_str());
  }
  EXPECT_EQ(support::NestedBoxes(), 0);
  // The mark follows the user's choice even when the processor refused it.
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[0], std::vector<UINT>{ID_ECONOMY});
  EXPECT_EQ(marks[1], std::vector<UINT>{ID_PERFORMANCE});
  EXPECT_EQ(marks[2], std::vector<UINT>{ID_ECONOMY});
  EXPECT_EQ(processor->Performance(), performanceBefore);
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(IconsLeft(), 0);
}

TEST_F(ReliabilityFaults, RefusedManualSelectionWriteShowsTheErrorBoxAndKeepsTheWindow) {
  uint32_t lower = 0, upper = 0;
  int status = Run([&](monitor::MonitorDialog&) {
    lower = processor->WindowLower();
    upper = processor->WindowUpper();
    port->RefuseRegister(MsrScalingWindow);
    PostCommand(ID_MANUAL_SELECTION);
    PostCommand(ID_CLOSE);
  });
  EXPECT_EQ(status, 0);
  // Windows XP: the notice first, then the refusal.
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].caption, "Notice for Windows XP Users");
  EXPECT_EQ(Boxes()[1].text, Refused);
  EXPECT_EQ(Boxes()[1].caption, "Error");
  EXPECT_EQ(Seen().dialogs, std::vector<int>{IDD_MANUALSELECTION});
  EXPECT_EQ(processor->WindowLower(), lower);
  EXPECT_EQ(processor->WindowUpper(), upper);
  EXPECT_EQ(store.WrittenNames(), SixSettings());
  EXPECT_EQ(IconsLeft(), 0);
}

// The tray icon is up while a set-up failure's box waits for its answer, so the user can still
// double-click it or pick its menu commands. None of that may show the half-made window, open a
// second box or keep the program from ending with status 1.
TEST_F(ReliabilityFaults, TrayUseDuringASetUpFailureBoxChangesNothing) {
  const UINT commands[] = {ID_SHOW_HIDE,  ID_PERFORMANCE,     ID_ECONOMY,          ID_ABOUT,
                           ID_PROPERTIES, ID_CPU_INFORMATION, ID_MANUAL_SELECTION, ID_CLOSE};
  // The policy read is the last set-up request: everything before it has worked.
  for (bool viaTray : {true, false}) {
    SCOPED_TRACE(viaTray ? "double click on the icon" : "menu commands");
    Fresh(Profiles[0]);
    port->RefuseRegister(MsrScalingPolicy);
    support::WhileBoxOpen() = [&](const BoxCall& box) {
      if (Boxes().size() > 1) return;
      HWND monitor = box.owner;
      HWND trayWindow =
          ::FindWindowExA(HWND_MESSAGE, nullptr, tray::CSystemTray::ClassName, nullptr);
      if (trayWindow == nullptr) trayWindow = ::FindWindowA(tray::CSystemTray::ClassName, nullptr);
      EXPECT_NE(trayWindow, nullptr);
      if (viaTray && trayWindow != nullptr) {
        ::SendMessageA(trayWindow, tray::TrayNotifyMessage, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
      } else {
        for (UINT id : commands) ::PostMessageA(monitor, WM_COMMAND, id, 0);
      }
      support::Pump();
    };
    int status = Run();
    ExpectSetUpFailure(status, Refused, "Error");
    EXPECT_TRUE(Seen().dialogs.empty());
    // The only writes the processor saw were set-up's.
    for (const auto& logged : port->Log()) {
      EXPECT_FALSE(!logged.isRead && logged.request.msr == MsrScalingPolicy)
          << "a policy write after a failed set-up";
    }
  }
}

// A refused policy write leaves its box open while the tray menu stays usable: choosing a policy
// again must not stack a second box on the first.
TEST_F(ReliabilityFaults, PolicyChosenAgainWhileItsBoxIsOpenDoesNotStackBoxes) {
  support::WhileBoxOpen() = [&](const BoxCall&) {
    if (Boxes().size() == 1) {
      PostCommand(ID_PERFORMANCE);
      PostCommand(ID_ECONOMY);
      support::Pump();
      PostCommand(ID_CLOSE);
    }
  };
  int status = Run([&](monitor::MonitorDialog&) {
    port->RefuseRegister(MsrScalingPolicy);
    PostCommand(ID_ECONOMY);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(support::NestedBoxes(), 0);
  // The later choices were still sent to the processor, and the mark follows the last one.
  size_t policyWrites = 0;
  for (const auto& logged : port->Log()) {
    if (!logged.isRead && logged.request.msr == MsrScalingPolicy) ++policyWrites;
  }
  EXPECT_EQ(policyWrites, 3u);
}

// A second copy started while the first one runs (here: from inside the first one's run, which
// holds the mutex) shows its message, reads no settings and leaves the first untouched.
TEST_F(ReliabilityFaults, SecondCopyDuringTheRunIsTurnedAway) {
  int secondStatus = -1;
  MemoryStore secondStore;
  int status = Run([&](monitor::MonitorDialog&) {
    app::MonitorApp second;
    secondStatus = second.Run(Platform(), secondStore);
    PostCommand(ID_CLOSE);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(secondStatus, 0);
  EXPECT_TRUE(secondStore.reads.empty());
  EXPECT_TRUE(secondStore.writes.empty());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Varistep Monitor is already running!");
  EXPECT_EQ(Boxes()[0].caption, ui::AppName().c_str());
  EXPECT_TRUE(MutexIsFree());
}

// The shell comes back (Explorer restarted): the icon is added again with the picture it showed
// last, not the one it was created with.
TEST_F(ReliabilityFaults, RestartedShellGetsTheLatestSpeedIcon) {
  store.values["SpdSenIcon"] = 1;
  HICON lastShown = nullptr;
  int status = Run([&](monitor::MonitorDialog& w) {
    PinLevel(0);  // the slowest step: the all-yellow picture
    for (int i = 0; i < 3; ++i) ::SendMessageA(w.Hwnd(), WM_TIMER, monitor::SampleTimer, 0);
    lastShown = w.tray.IconData().hIcon;
    ::SendMessageA(w.tray.Hwnd(), ui::TaskbarCreatedMessage(), 0, 0);
    PostCommand(ID_CLOSE);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(lastShown, SpeedIcon(152));
  std::vector<ShellCall> adds;
  for (const ShellCall& call : ShellSeen().calls) {
    if (call.message == NIM_ADD) adds.push_back(call);
  }
  ASSERT_EQ(adds.size(), 2u);
  EXPECT_EQ(adds[1].hIcon, lastShown);
  EXPECT_EQ(adds[1].tip, "Varistep Monitor");
  // The new shell's icon is taken away at the end like the first one was.
  EXPECT_EQ(ShellSeen().calls.back().message, static_cast<DWORD>(NIM_DELETE));
}

}  // namespace
}  // namespace monitor_test
