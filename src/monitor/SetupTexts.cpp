#include "monitor/SetupTexts.h"

#include <cstdio>

#include "resource.h"
#include "ui/App.h"

namespace monitor {

BoxText SetupFailureText(const SetupOutcome& outcome) {
  using Kind = SetupOutcome::Kind;
  switch (outcome.kind) {
    case Kind::WrongVendor:
      return {ui::LoadText(IDS_WRONG_VENDOR), ui::LoadText(IDS_WRONG_VENDOR_CAPTION)};
    case Kind::VaristepAbsent:
      return {ui::LoadText(IDS_VARISTEP_ABSENT), ui::LoadText(IDS_VARISTEP_ABSENT_CAPTION)};
    case Kind::OpenNotSupported:
      return {ui::LoadText(IDS_OPEN_NOT_SUPPORTED), ""};
    case Kind::OpenFailed: {
      char text[128];
      std::snprintf(text, sizeof text, ui::LoadText(IDS_OPEN_FAILED).c_str(),
                    static_cast<unsigned long>(outcome.openError));
      return {text, ""};
    }
    case Kind::RequestRefused:
      return {ui::LoadText(IDS_REQUEST_REFUSED), ui::LoadText(IDS_REQUEST_REFUSED_CAPTION)};
    case Kind::Ok:
      break;
  }
  return {};
}

void ShowRequestRefused(HWND owner) {
  ui::ShowMessageBox(owner, IDS_REQUEST_REFUSED, IDS_REQUEST_REFUSED_CAPTION, MB_OK);
}

}  // namespace monitor
