// bench_baseline.exe: the least a monitor can be on this platform, for the process-overhead and
// start-up comparisons: a modal dialog the monitor window's size whose 100 ms timer runs the
// irreducible tick (BaselineTick). No tray icon, no settings, no processor set-up. The monitor's
// Close command (32774), Escape and the close button end it.
#include <windows.h>

#include "BaselineIds.h"
#include "BaselineTick.h"

namespace {

constexpr UINT_PTR TickTimer = 16;
constexpr UINT PeriodMs = 100;
constexpr WORD CloseCommand = 32774;

bench::BaselineTick g_tick;

INT_PTR CALLBACK BaselineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_tick.SetUp(::GetDlgItem(dialog, IDC_BASELINE_CHART));
      ::SetTimer(dialog, TickTimer, PeriodMs, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wParam != TickTimer) return FALSE;
      g_tick.Tick();
      return TRUE;
    case WM_COMMAND: {
      WORD id = LOWORD(wParam);
      if (id != CloseCommand && id != IDCANCEL && id != IDOK) return FALSE;
      ::KillTimer(dialog, TickTimer);
      ::EndDialog(dialog, IDOK);
      return TRUE;
    }
    case WM_CLOSE:
      ::KillTimer(dialog, TickTimer);
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INT_PTR result =
      ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BASELINE), nullptr, &BaselineProc, 0);
  return result == -1 ? 1 : 0;
}
