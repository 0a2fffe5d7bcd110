// Portable: the application name is the executable's file name without directory or extension.
#pragma once

#include "base/FixedText.h"

namespace ui {

PathText AppNameFromPath(const char* path);

}  // namespace ui
