// A real monitor window set up on a simulated processor of four steps, whose commands open their
// dialogs with a script run inside each: what the dialog is handed, and what OK and Cancel leave.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/Settings.h"
#include "monitor/MonitorDialog.h"
#include "processor/MsrRequest.h"
#include "resources/resource.h"
#include "sim/SimDriverPort.h"
#include "sim/SimProcessor.h"
#include "support/TestShell.h"
#include "support/TestSupport.h"
#include "tray/SystemTray.h"
#include "ui/App.h"
#include "ui/Dialog.h"
#include "ui/StartUp.h"

namespace dialogs_commands_test {

using support::MemoryStore;

using support::Windows2000;
using support::WindowsXp;

// A press of a button, delivered by the dialog's own loop once it runs.
inline void PostClick(ui::Dialog& dialog, int id) {
  ::PostMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog.Hwnd(), id)));
}

// Four steps with levels 100, 66, 33, 0. The last runs at 600 MHz and 1.350 V with dividers 3
// and 6; the second at 1.1 V.
inline sim::SimConfig FourSteps() {
  sim::SimConfig c = sim::ProfileConfig(sim::Profile::Default);
  c.steps = {
      {100, 1000, 1600, 5, 10}, {66, 866, 1100, 4, 9}, {33, 733, 1400, 4, 8}, {0, 600, 1350, 3, 6}};
  c.reportedLastStep = 3;
  c.windowLower = 0;
  c.windowUpper = 100;
  return c;
}

class DialogCommandsTest : public ::testing::Test {
 protected:
  DialogCommandsTest() : processor(FourSteps()), port(processor), pci(processor) {}

  void SetUp() override {
    ui::StartUp();
    support::ResetShell();
    support::ShellSeen().modelIcons = false;
    settings = support::DefaultSettings();
  }

  void TearDown() override {
    monitor.reset();
    ui::SetMainWindow(nullptr);
    support::ResetShell();
  }

  void StartMonitor(VersionFields version = WindowsXp) {
    platform = support::TestPlatform(&processor, &port, &pci, version);
    monitor = std::make_unique<monitor::MonitorDialog>(settings, store, platform);
    ASSERT_TRUE(monitor->Create());
    ASSERT_EQ(monitor->ExitCode(), 0u);
    ASSERT_EQ(monitor->steps.lastStep, 3);
    ASSERT_TRUE(support::Boxes().empty());
  }

  // Runs a command of the monitor window; `script` acts inside the dialog it opens.
  void Command(UINT id, std::function<void(ui::Dialog&)> script) {
    support::ShellSeen().onDialog = std::move(script);
    ::SendMessageA(monitor->Hwnd(), WM_COMMAND, id, 0);
    support::ShellSeen().onDialog = nullptr;
  }

  bool Greyed(UINT id) const {
    return (::GetMenuState(monitor->tray.TrayMenu(), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
  }

  // Writes of the scaling-window register the driver saw.
  std::vector<MsrRequest> WindowWrites() const {
    std::vector<MsrRequest> writes;
    for (const auto& logged : port.Log()) {
      if (!logged.isRead && logged.request.msr == MsrScalingWindow)
        writes.push_back(logged.request);
    }
    return writes;
  }

  support::BoxRecording boxes;
  sim::SimProcessor processor;
  sim::SimDriverPort port;
  sim::SimPci pci;
  MemoryStore store;
  app::AppSettings settings;
  monitor::Platform platform = {};
  std::unique_ptr<monitor::MonitorDialog> monitor;
};

}  // namespace dialogs_commands_test
