#include "dialogs/AboutDialog.h"

#include "resources/resource.h"

AboutDialog::AboutDialog(HWND owner) : ui::Dialog(IDD_ABOUTBOX, owner) {}
