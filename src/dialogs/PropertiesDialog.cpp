#include "dialogs/PropertiesDialog.h"

#include <commctrl.h>

#include "base/FormatText.h"
#include "resources/resource.h"
#include "ui/DataExchange.h"

namespace dialogs {

// OK and Cancel carry the ids 3 and 4, so they are mapped to the standard handling here; Enter
// reaches OK as the default button, Escape and the close box come as IDCANCEL.
const ui::MessageEntry<PropertiesDialog> PropertiesDialog::Messages[] = {
    {WM_COMMAND, IDC_PROPERTIES_OK, BN_CLICKED, &PropertiesDialog::OkCommand},
    {WM_COMMAND, IDC_PROPERTIES_CANCEL, BN_CLICKED, &PropertiesDialog::CancelCommand},
};

PropertiesDialog::PropertiesDialog(HWND owner, const ui::Shell* shell)
    : ui::Dialog(IDD_PROPERTIES, owner, shell) {}

PropertiesDialog::PropertiesDialog(const app::AppSettings& settings, HWND owner,
                                   const ui::Shell* shell)
    : ui::Dialog(IDD_PROPERTIES, owner, shell),
      AlwaysOnTop(settings.AlwaysOnTop),
      AboutBox(settings.AboutBox),
      Timer(static_cast<uint32_t>(settings.Timer)),
      ShowMinMax(settings.ShowMinMax),
      SpdSenIcon(settings.SpdSenIcon),
      StartMin(settings.StartMin) {}

void PropertiesDialog::SaveTo(app::AppSettings& settings) const {
  settings.AlwaysOnTop = AlwaysOnTop;
  settings.AboutBox = AboutBox;
  settings.Timer = static_cast<int32_t>(Timer);
  settings.ShowMinMax = ShowMinMax;
  settings.SpdSenIcon = SpdSenIcon;
  settings.StartMin = StartMin;
}

INT_PTR PropertiesDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = ui::RouteMessage(*this, Messages, message, wParam, lParam, handled);
  return handled ? result : ui::Dialog::HandleMessage(message, wParam, lParam, handled);
}

void PropertiesDialog::DoDataExchange(ui::DataExchange& dx) {
  dx.Control(IDC_INTERVAL_SPIN, intervalSpin);
  dx.Check(IDC_ALWAYS_ON_TOP, AlwaysOnTop);
  dx.Check(IDC_ABOUT_BOX, AboutBox);
  dx.UInt(IDC_INTERVAL, Timer);
  dx.Check(IDC_SHOW_MIN_MAX, ShowMinMax);
  dx.Check(IDC_SPDSEN_ICON, SpdSenIcon);
  dx.Check(IDC_START_MIN, StartMin);
}

BOOL PropertiesDialog::OnInitDialog() {
  ui::Dialog::OnInitDialog();
  HWND spin = intervalSpin.Hwnd();
  ::SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(IntervalMin),
                 static_cast<LPARAM>(IntervalMax));
  UDACCEL accel = {AccelSeconds, AccelIncrement};
  ::SendMessageA(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  // The buddy field follows the position, so this also rewrites the field.
  ::SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(LOWORD(Timer), 0));
  if (Timer > static_cast<uint32_t>(IntervalMax)) {
    // The spin control cannot hold a stored interval past its range: it would show another
    // number, and OK would then store that one although the user never touched the field.
    char text[16];
    FormatText(text, sizeof text, "%u", static_cast<unsigned>(Timer));
    ::SetDlgItemTextA(Hwnd(), IDC_INTERVAL, text);
  }
  return TRUE;
}

}  // namespace dialogs
