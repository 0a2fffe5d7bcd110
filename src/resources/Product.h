// The product's names that the programs and the setup program share: the setup finds a running
// copy, and writes the files and keys, by the names the programs themselves use. Plain constants,
// for the portable rules and the resource scripts too.
#pragma once

// ID_CLOSE: the tray menu's Close command, which ends a copy and writes its settings.
#include "resource.h"

#define VS_PRODUCT_CAPTION "Varistep Monitor"

#ifndef RC_INVOKED
namespace product {

// The monitor window of either program: a dialog, with this caption.
constexpr const char* WindowClass = "#32770";
constexpr const char* WindowCaption = VS_PRODUCT_CAPTION;
// The hidden window a monitor in the tray is parked under.
constexpr const char* HiddenOwnerClass = "VaristepHiddenOwner";
// Settings live under HKEY_CURRENT_USER\Software\<company>\<program name>.
constexpr const char* CompanyKey = "Corvalith";
constexpr const char* MonitorName = "VaristepMonitor";
constexpr const char* DemoName = "VaristepDemo";
constexpr const char* MonitorFile = "VaristepMonitor.exe";
constexpr const char* DemoFile = "VaristepDemo.exe";
constexpr const char* HelpFile = "readme.htm";

}  // namespace product
#endif
