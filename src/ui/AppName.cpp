#include "ui/AppName.h"

namespace ui {

std::string AppNameFromPath(const std::string& path) {
  std::string::size_type slash = path.find_last_of("\\/:");
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string::size_type dot = file.rfind('.');
  if (dot != std::string::npos && dot > 0) file.erase(dot);
  return file;
}

}  // namespace ui
