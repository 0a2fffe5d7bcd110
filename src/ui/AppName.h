// Portable: the application name is the executable's file name without directory or extension.
#pragma once

#include "ui/FixedText.h"

namespace ui {

// A path as the A functions of Windows take it: at most MAX_PATH bytes with the terminator.
using PathText = FixedText<260>;

PathText AppNameFromPath(const char* path);

}  // namespace ui
