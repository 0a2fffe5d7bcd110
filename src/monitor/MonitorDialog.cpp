#include "monitor/MonitorDialog.h"

#include "base/FormatText.h"
#include "dialogs/AboutDialog.h"
#include "resource.h"
#include "tray/HideToTray.h"
#include "ui/App.h"
#include "ui/DataExchange.h"

namespace monitor {

namespace {

constexpr UINT BalloonTimeoutSeconds = 10;

Rect ToRect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// The icon of each speed band: the fastest shows the whole spiral green, the slowest all yellow.
constexpr int SpeedIcons[SpeedBandCount] = {IDI_SPEED_7, IDI_SPEED_6, IDI_SPEED_5, IDI_SPEED_4,
                                            IDI_SPEED_3, IDI_SPEED_2, IDI_SPEED_1, IDI_SPEED_IDLE};

// The speed icons are shared resource icons, which live as long as the process: each is loaded
// once. Loading one again on every change of step costs about 0.1 ms under Wine, several times
// the rest of the tick.
HICON SpeedIconHandle(int band) {
  static HICON loaded[SpeedBandCount] = {};
  if (band < 0 || band >= SpeedBandCount) return nullptr;
  if (loaded[band] == nullptr) {
    loaded[band] = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                   MAKEINTRESOURCEA(SpeedIcons[band]), IMAGE_ICON,
                                                   16, 16, LR_SHARED));
  }
  return loaded[band];
}

}  // namespace

// WM_COMMAND entries match the command id and the notification code (0 for menus and clicks).
const ui::MessageEntry<MonitorDialog> MonitorDialog::Messages[] = {
    {WM_TIMER, 0, 0, &MonitorDialog::OnTimer},
    {WM_PAINT, 0, 0, &MonitorDialog::OnPaint},
    {WM_COMMAND, IDC_CHART, STN_CLICKED, &MonitorDialog::OnChartClicked},
    {WM_CLOSE, 0, 0, &MonitorDialog::OnClose},
    {WM_QUERYDRAGICON, 0, 0, &MonitorDialog::OnQueryDragIcon},
    {WM_POWERBROADCAST, 0, 0, &MonitorDialog::OnPowerBroadcast},
    {WM_ENDSESSION, 0, 0, &MonitorDialog::OnEndSession},
    {WM_DESTROY, 0, 0, &MonitorDialog::OnDestroy},
    {WM_WINDOWPOSCHANGING, 0, 0, &MonitorDialog::OnWindowPosChanging},
    {WM_SHOWWINDOW, 0, 0, &MonitorDialog::OnShowWindow},
    {StayHiddenMessage, 0, 0, &MonitorDialog::OnStayHidden},
    {WM_COMMAND, ID_SHOW_HIDE, 0, &MonitorDialog::OnShowHide},
    {WM_COMMAND, ID_ABOUT, 0, &MonitorDialog::OnAbout},
    {WM_COMMAND, ID_HELP, 0, &MonitorDialog::OnHelp},
    {WM_COMMAND, ID_CLOSE, 0, &MonitorDialog::OnCloseCommand},
    {WM_COMMAND, ID_PERFORMANCE, 0, &MonitorDialog::OnPolicy},
    {WM_COMMAND, ID_ECONOMY, 0, &MonitorDialog::OnPolicy},
    {WM_COMMAND, ID_CPU_INFORMATION, 0, &MonitorDialog::OnCpuInformation},
    {WM_COMMAND, ID_PROPERTIES, 0, &MonitorDialog::OnProperties},
    {WM_COMMAND, ID_MANUAL_SELECTION, 0, &MonitorDialog::OnManualSelection},
};

MonitorDialog::MonitorDialog(app::AppSettings& settings, app::SettingsStore& store,
                             const Platform& platform, HWND parent)
    : ui::Dialog(IDD_MONITOR, parent, &platform_.shell),
      platform_(platform),
      app(&settings),
      tray(platform_.shell, platform_.windows),
      driver(*platform.driverPort),
      icon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPLICATION_ICON))),
      store_(&store) {}

MonitorDialog::~MonitorDialog() {
  chart.Detach();
}

void MonitorDialog::DoDataExchange(ui::DataExchange& dx) {
  dx.Control(IDC_CHART, chart);
}

INT_PTR MonitorDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // After a failed set-up only the failure's box and the end of the run remain: commands that
  // were already queued, or come from the box's loop, find nothing to act on.
  if (exitCode_ != 0 && (message == WM_COMMAND || message == WM_TIMER)) {
    handled = true;
    return TRUE;
  }
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  if (handled) return result;
  return ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

BOOL MonitorDialog::OnInitDialog() {
  ui::Dialog::OnInitDialog();
  HWND window = Hwnd();
  ui::SetMainWindow(window);
  ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

  tray.CreateTrayIcon(nullptr, tray::TrayNotifyMessage, LoadText(IDS_TOOLTIP).c_str(), icon,
                      IDR_TRAY_MENU, FALSE, nullptr, nullptr, 0, BalloonTimeoutSeconds);
  tray.SetDefaultMenuItem(0, TRUE);
  tray.SetCommandWindow(window);
  if (app->Advanced != 0) {
    tray.InsertMenuEntry(ID_MANUAL_SELECTION, MF_SEPARATOR | MF_BYCOMMAND);
  } else {
    tray.RemoveMenuCommand(ID_CPU_INFORMATION);
    tray.RemoveMenuCommand(ID_MANUAL_SELECTION);
  }
  visible = app->StartMin == 0 ? TRUE : FALSE;
  if (visible) {
    tray.SetMenuItemTextFromResource(0, IDS_HIDE_MONITOR);
  } else {
    tray::HideWindowToTray(platform_.shell, window);
    tray.SetMenuItemTextFromResource(0, IDS_SHOW_MONITOR);
  }
  PlaceOnTop();
  if (app->AboutBox != 0) {
    AboutDialog about(nullptr, &platform_.shell);
    about.DoModal();
  }

  if (SetUpProcessor()) {
    SetUpChart();
    if (app->Timer > 0) StartTimer();
  }
  if (exitCode_ == 0) {
    // Without Varistep the chart was never laid out, but the view cycle still sizes the window
    // from the chart's rectangle.
    if (!painter.Ready()) chartModel.chartRect = ChartClientRect();
    ::GetWindowRect(window, &fullWindowRect);
    chartModel.viewMode = FramedView;
    UpdateData(false);
  }
  return TRUE;
}

bool MonitorDialog::SetUpProcessor() {
  DriverPath path = ChooseDriverPath(platform_.windows, processor);
  SetupOutcome outcome = IdentifyProcessor(*platform_.cpuid, processorInfo, processor);
  if (!outcome.IsOk()) return Fail(outcome);
  outcome = OpenDriver(driver, path);
  if (!outcome.IsOk()) return Fail(outcome);
  outcome = ReadSerialNumber(driver, *platform_.cpuid, processorInfo);
  if (!outcome.IsOk()) return Fail(outcome);
  outcome = BuildStepTable(driver, *platform_.cpuid, platform_.pci, platform_.sleep, processor,
                           steps, processorInfo);
  if (!outcome.IsOk()) return Fail(outcome);
  bool performance = false;
  outcome = ReadPolicy(driver, performance);
  if (!outcome.IsOk()) return Fail(outcome);
  performancePolicy = performance ? TRUE : FALSE;
  policyCommand = performance ? ID_PERFORMANCE : ID_ECONOMY;
  tray.SetMenuCommandCheck(policyCommand, TRUE);
  return true;
}

BoxText SetupFailureText(const SetupOutcome& outcome) {
  using Kind = SetupOutcome::Kind;
  switch (outcome.kind) {
    case Kind::WrongVendor:
      return {LoadText(IDS_WRONG_VENDOR), LoadText(IDS_WRONG_VENDOR_CAPTION)};
    case Kind::VaristepAbsent:
      return {LoadText(IDS_VARISTEP_ABSENT), LoadText(IDS_VARISTEP_ABSENT_CAPTION)};
    case Kind::OpenNotSupported:
      return {LoadText(IDS_OPEN_NOT_SUPPORTED), ""};
    case Kind::OpenFailed: {
      char text[128];
      FormatLoadedText(text, sizeof text, LoadText(IDS_OPEN_FAILED).c_str(),
                       static_cast<unsigned long>(outcome.openError));
      return {text, ""};
    }
    case Kind::RequestRefused:
      return {LoadText(IDS_REQUEST_REFUSED), LoadText(IDS_REQUEST_REFUSED_CAPTION)};
    case Kind::Ok:
      break;
  }
  return {};
}

// Shows the failure's box. A missing feature leaves the window up without data; every other
// failure ends the run before the window is shown, and takes the tray icon with it.
bool MonitorDialog::Fail(const SetupOutcome& outcome) {
  if (outcome.endsProcess) {
    // Settled before the box: while it waits for its answer, the icon could otherwise still be
    // double-clicked or its menu used on a window that is never to be shown.
    exitCode_ = SetupFailedExitCode;
    // The window is never to be shown, not even while the dialog manager takes it down.
    visible = FALSE;
    tray.RemoveTrayIcon();
  }
  const BoxText box = SetupFailureText(outcome);
  if (box.caption.empty()) {
    ui::AppMessageBox(&platform_.shell, box.text.c_str(), MB_OK);
  } else {
    ui::ShowMessageBox(&platform_.shell, Hwnd(), box.text.c_str(), box.caption.c_str(), MB_OK);
  }
  if (outcome.endsProcess) EndDialog(SetupFailedResult);
  return false;
}

Rect MonitorDialog::ChartClientRect() const {
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(chart.Hwnd(), &client);
  return ToRect(client);
}

void MonitorDialog::SetUpChart() {
  chartModel.SetUp(ChartClientRect(), steps);
  painter.SetUp(chart.Hwnd());
}

void MonitorDialog::StartTimer() {
  timerId = ::SetTimer(Hwnd(), SampleTimer, static_cast<UINT>(app->Timer), nullptr);
}

void MonitorDialog::PlaceOnTop() {
  ::SetWindowPos(Hwnd(), app->AlwaysOnTop != 0 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 AlwaysOnTopFlags);
}

void MonitorDialog::StopTimer() {
  if (timerId == 0) return;
  ::KillTimer(Hwnd(), timerId);
  timerId = 0;
}

INT_PTR MonitorDialog::OnTimer(WPARAM id, LPARAM) {
  if (id != SampleTimer) return FALSE;
  if (steps.lastStep < 0 || !painter.Ready()) return TRUE;
  const int32_t frequency = CurrentFrequencyMHz(*platform_.cpuid);
  ChartModel::TickStart start = chartModel.BeginTick(frequency, steps, app->SpdSenIcon != 0);
  if (start.blank) painter.Blank(chartModel.chartRect);
  if (start.label) painter.Label(chartModel.chartLabel, chartModel.chartLabelLength);
  if (start.speedBand != NoSpeedBand) tray.ChangeIcon(SpeedIconHandle(start.speedBand));
  bool limitFailed = false;
  if (app->ShowMinMax != 0) {
    const WindowReading window = driver.ReadWindow();
    limitFailed = !window.ok;
    chartModel.PlaceLimits(window.lower, window.upper, steps);
    painter.Limits(chartModel.upperLine, chartModel.lowerLine, chartModel.PointsToDraw());
  }
  painter.Trace(chartModel.frequencyLine, chartModel.PointsToDraw());
  chartModel.EndTick();
  // The box comes after the tick is complete: its message loop goes on dispatching ticks.
  if (limitFailed) ShowLimitFailure();
  return TRUE;
}

void MonitorDialog::ShowLimitFailure() {
  // Ticks that fail while the box is open are dropped rather than stacking boxes.
  if (limitBoxOpen_) return;
  limitBoxOpen_ = true;
  ui::ShowMessageBox(&platform_.shell, Hwnd(), IDS_REQUEST_REFUSED, IDS_REQUEST_REFUSED_CAPTION,
                     MB_OK);
  limitBoxOpen_ = false;
}

INT_PTR MonitorDialog::OnPaint(WPARAM, LPARAM) {
  HWND window = Hwnd();
  if (::IsIconic(window)) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window, &ps);
    ::SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(window, &client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon);
    ::EndPaint(window, &ps);
    return TRUE;
  }
  ::DefWindowProcA(window, WM_PAINT, 0, 0);
  if (painter.Ready()) {
    painter.Blank(chartModel.chartRect);
    chartModel.Blanked();
  }
  return TRUE;
}

INT_PTR MonitorDialog::OnChartClicked(WPARAM, LPARAM) {
  HWND window = Hwnd();
  ViewChange change =
      NextView(chartModel.viewMode, ToRect(fullWindowRect), chartModel.chartRect.Height());
  RECT current;
  ::GetWindowRect(window, &current);
  chartModel.viewMode = change.mode;
  LONG style = ::GetWindowLongA(window, GWL_STYLE);
  LONG frame = static_cast<LONG>(FrameStyle);
  ::SetWindowLongA(window, GWL_STYLE, change.frame ? (style | frame) : (style & ~frame));
  ::MoveWindow(window, current.left, current.top, change.width, change.height, TRUE);
  if (change.relayout && timerId != 0) {
    StopTimer();
    chartModel.Relayout(change.mode, steps);
    StartTimer();
  }
  return TRUE;
}

}  // namespace monitor
