// Portable: the application name is the executable's file name without directory or extension.
#pragma once

#include <string>

namespace ui {

std::string AppNameFromPath(const std::string& path);

}  // namespace ui
