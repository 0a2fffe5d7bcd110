// The About box: the program's name and version on template 100, nothing else.
#pragma once

#include "ui/Dialog.h"

class AboutDialog : public ui::Dialog {
 public:
  // Without an owner the box is owned by the main window when it runs.
  explicit AboutDialog(HWND owner = nullptr, const ui::Shell* shell = nullptr);
};
