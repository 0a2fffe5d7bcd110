// The monitor window made modeless on a simulated processor, with every seam recorded: the
// shell's notification area, the message boxes, the dialogs that open (all through the tests'
// shell), the driver requests, the CPUID leaves and the settings store. Ticks are sent by hand, so
// nothing depends on real time.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/MonitorApp.h"
#include "app/Settings.h"
#include "monitor/MonitorDialog.h"
#include "resources/resource.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"
#include "support/TestShell.h"
#include "support/TestSupport.h"
#include "tray/HideToTray.h"
#include "tray/SystemTray.h"
#include "ui/App.h"
#include "ui/StartUp.h"

namespace monitor_test {

// A period no test outlives: the timer exists, but only the ticks a test sends arrive.
constexpr int32_t QuietTimer = 3600000;

constexpr COLORREF TraceColour = RGB(0, 255, 255);
constexpr COLORREF LimitColour = RGB(255, 255, 70);
constexpr COLORREF Black = RGB(0, 0, 0);

// ---- Settings in memory ----

using support::BoxCall;
using support::Boxes;
using support::MemoryStore;
using support::ShellCall;
using support::ShellOpenCall;
using support::ShellSeen;

inline const std::vector<std::string>& SixSettings() {
  static const std::vector<std::string> names = {"AlwaysOnTop", "SpdSenIcon", "AboutBox",
                                                 "StartMin",    "ShowMinMax", "Timer"};
  return names;
}

// ---- Everything the seams saw, in one order ----

struct Recorder {
  std::vector<int> dialogs;
  // Runs at the end of every dialog's WM_INITDIALOG but the monitor window's own.
  std::function<void(ui::Dialog&)> onDialog;
  // Runs at the end of the monitor window's WM_INITDIALOG (modal runs end it from here).
  std::function<void(ui::Dialog&)> onMonitor;
  // "about", "cpuid", "box" in the order they happened.
  std::vector<std::string> events;
  std::vector<uint32_t> cpuidLeaves;
  std::vector<HWND> shown;
};

inline Recorder& Seen() {
  static Recorder recorder;
  return recorder;
}

inline void RecordDialog(ui::Dialog& dialog);

// A fresh log for every seam, boxes included. The shell takes every notification while the
// taskbar is up; the event log notes when a box opened.
inline void ForgetAll() {
  Seen() = Recorder();
  support::ResetShell();
  ShellSeen().modelIcons = false;
  ShellSeen().onBox = [] { Seen().events.push_back("box"); };
  ShellSeen().onDialog = &RecordDialog;
}

inline void RecordDialog(ui::Dialog& dialog) {
  Recorder& seen = Seen();
  if (dialog.TemplateId() == IDD_MONITOR) {
    if (seen.onMonitor) seen.onMonitor(dialog);
    return;
  }
  seen.dialogs.push_back(dialog.TemplateId());
  if (dialog.TemplateId() == IDD_ABOUTBOX) seen.events.push_back("about");
  if (seen.onDialog) {
    seen.onDialog(dialog);
  } else {
    // Left open, a modal box would never return: answer it as the user would.
    ::PostMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

// Every window this thread makes visible, whoever asks for it: the moment a window gets the
// visible style through the window manager.
inline LRESULT CALLBACK WatchShowing(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (message->message == WM_WINDOWPOSCHANGED) {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(message->lParam);
      if ((pos->flags & SWP_SHOWWINDOW) != 0) Seen().shown.push_back(message->hwnd);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

inline bool WasShown(HWND window) {
  for (HWND shown : Seen().shown) {
    if (shown == window) return true;
  }
  return false;
}

// ---- Processor seams ----

class CountingCpuid : public CpuidSource {
 public:
  explicit CountingCpuid(CpuidSource& inner) : inner_(inner) {}
  CpuidResult Query(uint32_t leaf) override {
    Seen().cpuidLeaves.push_back(leaf);
    if (Seen().events.empty() || Seen().events.back() != "cpuid") Seen().events.push_back("cpuid");
    CpuidResult result = inner_.Query(leaf);
    if (leaf == LeafCurrentState && frequencyOverride != 0) result.eax = frequencyOverride;
    return result;
  }

  // Nonzero: the current-state leaf reports this frequency, whatever the step.
  uint32_t frequencyOverride = 0;

 private:
  CpuidSource& inner_;
};

// ---- Menus ----

inline std::string ItemText(HMENU menu, UINT position) {
  char text[128] = {};
  ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// The (sub-)menu holding a command and its position there; null when the menu lacks it.
inline HMENU FindCommand(HMENU menu, UINT command, int* position = nullptr) {
  if (menu == nullptr) return nullptr;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    HMENU sub = ::GetSubMenu(menu, i);
    if (sub != nullptr) {
      HMENU found = FindCommand(sub, command, position);
      if (found != nullptr) return found;
    } else if (::GetMenuItemID(menu, i) == command) {
      if (position != nullptr) *position = i;
      return menu;
    }
  }
  return nullptr;
}

inline bool IsSeparator(HMENU menu, int position) {
  MENUITEMINFOA item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE;
  if (!::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item)) return false;
  return (item.fType & MFT_SEPARATOR) != 0;
}

inline void CollectChecked(HMENU menu, std::vector<UINT>& checked) {
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    HMENU sub = ::GetSubMenu(menu, i);
    if (sub != nullptr) {
      CollectChecked(sub, checked);
    } else if ((::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0) {
      checked.push_back(::GetMenuItemID(menu, i));
    }
  }
}

inline bool IsGreyed(HMENU menu, UINT command) {
  int position = -1;
  HMENU holder = FindCommand(menu, command, &position);
  if (holder == nullptr) return false;
  return (::GetMenuState(holder, static_cast<UINT>(position), MF_BYPOSITION) &
          (MF_GRAYED | MF_DISABLED)) != 0;
}

// ---- The fixture ----

class MonitorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetAll();
    windows = support::WindowsXp;
    ui::StartUp();
    ui::SetMainWindow(nullptr);
    hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &WatchShowing, nullptr, ::GetCurrentThreadId());

    settings = support::DefaultSettings();
    settings.Timer = QuietTimer;
    UseProfile(sim::Profile::Default);
  }

  void TearDown() override {
    dialog.reset();
    // Every setting lives in the one section.
    for (const std::string& section : store.sections) EXPECT_EQ(section, "Settings");
    if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    ui::SetMainWindow(nullptr);
    ForgetAll();
  }

  void UseProfile(sim::Profile profile) { UseConfig(sim::ProfileConfig(profile)); }

  void UseConfig(const sim::SimConfig& config) {
    dialog.reset();
    cpuid.reset();
    pci.reset();
    port.reset();
    processor = std::make_unique<sim::SimProcessor>(config);
    port = std::make_unique<sim::SimDriverPort>(*processor);
    pci = std::make_unique<sim::SimPci>(*processor);
    cpuid = std::make_unique<CountingCpuid>(*processor);
  }

  monitor::Platform Platform() {
    return support::TestPlatform(cpuid.get(), port.get(), pci.get(), windows);
  }

  // Makes the window modelessly; false when set-up ended it.
  bool Open() {
    dialog.reset();
    platform = Platform();
    dialog = std::make_unique<monitor::MonitorDialog>(settings, store, platform);
    bool made = dialog->Create();
    if (made) {
      // The first showing's paint would otherwise blank the chart in the middle of a test.
      ::UpdateWindow(Window());
      support::Pump();
    }
    return made;
  }

  HWND Window() const { return dialog != nullptr ? dialog->Hwnd() : nullptr; }
  HMENU Popup() const { return dialog->tray.Popup(); }

  LRESULT Tick() { return ::SendMessageA(Window(), WM_TIMER, monitor::SampleTimer, 0); }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) Tick();
  }
  LRESULT Command(UINT id) { return ::SendMessageA(Window(), WM_COMMAND, id, 0); }
  LRESULT ClickChart() {
    return ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_CHART, STN_CLICKED),
                          reinterpret_cast<LPARAM>(dialog->chart.Hwnd()));
  }
  LRESULT Power(WPARAM event) { return ::SendMessageA(Window(), WM_POWERBROADCAST, event, 0); }

  // Pins the simulated processor to the step with this level (both window words = level).
  void PinLevel(uint32_t level) { processor->WriteMsr(MsrScalingWindow, level, level); }

  // The processor runs step 5 inside the scaling window 22..89.
  void RunStepFiveInsideAWindow() {
    PinLevel(44);
    processor->WriteMsr(MsrScalingWindow, 22, 89);
    ASSERT_EQ(processor->CurrentStep(), 5);
  }

  int ChartWidth() const { return dialog->chartModel.chartWidth; }
  int ChartHeight() const { return dialog->chartModel.chartRect.bottom; }

  COLORREF Pixel(int x, int y) const { return ::GetPixel(dialog->painter.chartDC, x, y); }
  int CountColour(COLORREF colour, int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (Pixel(x, y) == colour) ++count;
      }
    }
    return count;
  }

  std::vector<UINT> Checked() const {
    std::vector<UINT> checked;
    CollectChecked(Popup(), checked);
    return checked;
  }

  // Shell calls of one kind, from the given one on.
  static size_t ShellCount(DWORD message, size_t from = 0) {
    size_t count = 0;
    for (size_t i = from; i < ShellSeen().calls.size(); ++i) {
      if (ShellSeen().calls[i].message == message) ++count;
    }
    return count;
  }

  // The one box a failed set-up shows: OK only, over a window that was never shown.
  static void ExpectSetUpBox(const std::string& text, const std::string& caption) {
    ASSERT_EQ(Boxes().size(), 1u);
    const BoxCall& box = Boxes()[0];
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(box.ownerVisible);
    EXPECT_FALSE(box.owner != nullptr && WasShown(box.owner));
    EXPECT_EQ(support::NestedBoxes(), 0);
  }

  static HICON SpeedIcon(int id) {
    return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                           IMAGE_ICON, 16, 16, LR_SHARED));
  }

  app::AppSettings settings;
  MemoryStore store;
  std::unique_ptr<sim::SimProcessor> processor;
  std::unique_ptr<sim::SimDriverPort> port;
  std::unique_ptr<sim::SimPci> pci;
  std::unique_ptr<CountingCpuid> cpuid;
  // The Windows the program finds itself on.
  VersionFields windows = support::WindowsXp;
  monitor::Platform platform{};
  std::unique_ptr<monitor::MonitorDialog> dialog;

 private:
  HHOOK hook_ = nullptr;
};

}  // namespace monitor_test
