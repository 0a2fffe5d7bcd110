// Properties: five switches and the sampling interval, on the dialog's own copies, taken from the
// settings and given back only when the user confirms.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/Settings.h"
#include "ui/Dialog.h"
#include "ui/Window.h"

namespace dialogs {

class PropertiesDialog : public ui::Dialog {
 public:
  // The spin arrows stay within this range; typed values are not limited to it.
  static constexpr int IntervalMin = 0;
  static constexpr int IntervalMax = 10000;
  // One acceleration step: after a second of holding an arrow, steps of 10.
  static constexpr UINT AccelSeconds = 1;
  static constexpr UINT AccelIncrement = 10;

  // Without an owner the dialog is owned by the main window when it runs.
  explicit PropertiesDialog(HWND owner = nullptr, const ui::Shell* shell = nullptr);
  explicit PropertiesDialog(const app::AppSettings& settings, HWND owner = nullptr,
                            const ui::Shell* shell = nullptr);

  // The six values back into the settings ("Advanced" is not the dialog's).
  void SaveTo(app::AppSettings& settings) const;

  ui::Window intervalSpin;
  int32_t AlwaysOnTop = 0;
  int32_t AboutBox = 0;
  uint32_t Timer = 0;
  int32_t ShowMinMax = 0;
  int32_t SpdSenIcon = 0;
  int32_t StartMin = 0;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  BOOL OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

 private:
  static const ui::MessageEntry<PropertiesDialog> Messages[];
};

}  // namespace dialogs
