#include "dialogs/AboutDialog.h"

#include "resources/resource.h"

AboutDialog::AboutDialog(HWND owner, const ui::Shell* shell)
    : ui::Dialog(IDD_ABOUTBOX, owner, shell) {}
