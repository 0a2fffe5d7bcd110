// The system's shell and window-manager calls, as both programs put them into the platform table.
#pragma once

#include "ui/Shell.h"

namespace app {

ui::Shell SystemShell();

}  // namespace app
