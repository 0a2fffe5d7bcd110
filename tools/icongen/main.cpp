// Writes the program's icons into a folder: icongen <folder>.
#include <cstdio>
#include <string>
#include <vector>

#include "IcoFile.h"
#include "SpiralPicture.h"

namespace {

struct IconFile {
  const char* name;
  int greenLevel;
};

// The application icon and the idle speed icon are the same all-yellow picture.
constexpr IconFile Icons[] = {
    {"application.ico", 0}, {"speed1.ico", 1}, {"speed2.ico", 2},
    {"speed3.ico", 3},      {"speed4.ico", 4}, {"speed5.ico", 5},
    {"speed6.ico", 6},      {"speed7.ico", 7}, {"speed-idle.ico", 0},
};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: icongen <output folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const IconFile& icon : Icons) {
    const std::vector<uint8_t> bytes = icongen::EncodeIcon(
        {icongen::DrawSpiral(32, icon.greenLevel), icongen::DrawSpiral(16, icon.greenLevel)});
    const std::string path = folder + "/" + icon.name;
    if (!WriteFile(path, bytes)) {
      std::fprintf(stderr, "icongen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
