// The monitor window: the program's main window, run modally for the whole life of the process.
// Its only control is the stripchart; everything else it does comes from the tray menu.
#pragma once

#include <windows.h>

#include "app/Settings.h"
#include "monitor/ChartModel.h"
#include "monitor/ChartPainter.h"
#include "monitor/Platform.h"
#include "processor/DriverLink.h"
#include "processor/ProcessorInfo.h"
#include "processor/ProcessorState.h"
#include "processor/StepTable.h"
#include "tray/SystemTray.h"
#include "ui/Dialog.h"

namespace monitor {

// The modal result that tells start-up that set-up failed and the process ends with status 1.
constexpr INT_PTR SetupFailedResult = 3;
constexpr UINT SetupFailedExitCode = 1;
// SetWindowPos flags of the always-on-top switch: only the z-order changes.
constexpr UINT AlwaysOnTopFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
// Posted to itself: re-applies the hide after something showed the window while in the tray.
constexpr UINT StayHiddenMessage = WM_APP + 1;

// The words of a set-up failure's box, from the string table.
struct BoxText {
  LongText text;
  // Empty: an application message box, captioned with the application name. Otherwise a box
  // owned by the monitor window with this caption.
  LongText caption;
};
BoxText SetupFailureText(const SetupOutcome& outcome);

class MonitorDialog : public ui::Dialog {
  // First of the members: the tray and the dialogs keep a pointer to its shell table.
  Platform platform_;

 public:
  MonitorDialog(app::AppSettings& settings, app::SettingsStore& store, const Platform& platform,
                HWND parent = nullptr);
  ~MonitorDialog() override;

  // State shared with the tray, the dialogs and the tests.
  app::AppSettings* app;
  tray::CSystemTray tray;
  BOOL visible = FALSE;
  RECT fullWindowRect = {0, 0, 0, 0};
  ProcessorInfo processorInfo;
  StepTable steps;
  BOOL performancePolicy = FALSE;
  UINT policyCommand = 0;
  DriverLink driver;
  ui::Window chart;
  HICON icon;

  ProcessorState processor;
  ChartModel chartModel;
  ChartPainter painter;
  UINT_PTR timerId = 0;

  int32_t viewMode() const { return chartModel.viewMode; }
  // Exit status for the process: 1 after a set-up failure, else 0.
  UINT ExitCode() const { return exitCode_; }
  // Number of limit-read failure boxes open right now (never more than one).
  int LimitFailureBoxes() const { return limitBoxOpen_ ? 1 : 0; }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  // Message handlers.
  INT_PTR OnTimer(WPARAM id, LPARAM);
  INT_PTR OnPaint(WPARAM, LPARAM);
  INT_PTR OnChartClicked(WPARAM, LPARAM);
  INT_PTR OnClose(WPARAM, LPARAM);
  INT_PTR OnQueryDragIcon(WPARAM, LPARAM);
  INT_PTR OnDestroy(WPARAM, LPARAM);
  INT_PTR OnPowerBroadcast(WPARAM event, LPARAM);
  INT_PTR OnEndSession(WPARAM ending, LPARAM);
  INT_PTR OnWindowPosChanging(WPARAM, LPARAM position);
  INT_PTR OnShowWindow(WPARAM shown, LPARAM);
  INT_PTR OnStayHidden(WPARAM, LPARAM);
  INT_PTR OnShowHide(WPARAM, LPARAM);
  INT_PTR OnAbout(WPARAM, LPARAM);
  INT_PTR OnHelp(WPARAM, LPARAM);
  INT_PTR OnCloseCommand(WPARAM, LPARAM);
  INT_PTR OnPolicy(WPARAM command, LPARAM);
  INT_PTR OnCpuInformation(WPARAM, LPARAM);
  INT_PTR OnProperties(WPARAM, LPARAM);
  INT_PTR OnManualSelection(WPARAM, LPARAM);

  // Set-up steps.
  bool SetUpProcessor();
  void SetUpChart();
  Rect ChartClientRect() const;
  bool Fail(const SetupOutcome& outcome);

  void Hide();
  void Show();
  void StartTimer();
  void StopTimer();
  // The window's z-order as the AlwaysOnTop setting says.
  void PlaceOnTop();
  void ShowLimitFailure();
  // Greys the command's own tray item while its dialog runs, so the nested loop cannot start it
  // a second time.
  template <typename Run>
  void RunFromTray(UINT command, Run run) {
    tray.EnableMenuCommand(command, FALSE);
    run();
    tray.EnableMenuCommand(command, TRUE);
  }

  static const ui::MessageEntry<MonitorDialog> Messages[];

  app::SettingsStore* store_;
  UINT exitCode_ = 0;
  bool limitBoxOpen_ = false;
  bool policyBoxOpen_ = false;
};

}  // namespace monitor
