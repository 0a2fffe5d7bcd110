#include "ui/AppName.h"

namespace ui {

PathText AppNameFromPath(const char* path) {
  const char* file = path;
  const char* dot = nullptr;
  const char* end = path;
  for (; *end != '\0'; ++end) {
    if (*end == '\\' || *end == '/' || *end == ':') {
      file = end + 1;
      dot = nullptr;
    } else if (*end == '.') {
      dot = end;
    }
  }
  // A leading dot is part of the name, not an extension.
  if (dot == nullptr || dot == file) dot = end;
  return PathText(file, static_cast<size_t>(dot - file));
}

}  // namespace ui
