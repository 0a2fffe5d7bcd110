// Reads the committed icon files the way the system's icon loader does and checks the pictures:
// sizes, colour format, palette, transparency, and which parts are green at each speed level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string& IconFolder() {
  static const std::string folder = [] {
    std::string path = __FILE__;
    path.erase(path.find_last_of("/\\") + 1);
    return path + "../../src/resources/icons/";
  }();
  return folder;
}

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(IconFolder() + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Get16(const std::vector<uint8_t>& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8) : 0xFFFFFFFFu;
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return Get16(b, at) | Get16(b, at + 2) << 16;
}

constexpr uint8_t Green = 10;
constexpr uint8_t Yellow = 11;

// One decoded image: palette index per pixel, top row first, -1 where the mask is transparent.
struct Picture {
  int size = 0;
  std::vector<int> pixels;
  int Count(int index) const {
    int n = 0;
    for (int p : pixels) n += p == index ? 1 : 0;
    return n;
  }
};

// Decodes image `which` of a 16-colour icon file, checking every header field on the way.
Picture Decode(const std::vector<uint8_t>& file, int which, int expectedSize) {
  Picture picture;
  const size_t entry = 6 + 16 * static_cast<size_t>(which);
  EXPECT_EQ(file[entry], expectedSize);
  EXPECT_EQ(file[entry + 1], expectedSize);
  EXPECT_EQ(file[entry + 2], 16);
  EXPECT_EQ(Get16(file, entry + 4), 1u);
  EXPECT_EQ(Get16(file, entry + 6), 4u);
  const uint32_t bytes = Get32(file, entry + 8);
  const size_t at = Get32(file, entry + 12);
  const size_t size = static_cast<size_t>(expectedSize);
  const size_t colourRow = (size * 4 + 31) / 32 * 4;
  const size_t maskRow = (size + 31) / 32 * 4;
  EXPECT_EQ(bytes, 40 + 64 + size * (colourRow + maskRow));
  if (at + bytes > file.size()) {
    ADD_FAILURE() << "image " << which << " runs past the end of the file";
    return picture;
  }
  EXPECT_EQ(Get32(file, at), 40u);
  EXPECT_EQ(Get32(file, at + 4), size);
  EXPECT_EQ(Get32(file, at + 8), size * 2);
  EXPECT_EQ(Get16(file, at + 12), 1u);
  EXPECT_EQ(Get16(file, at + 14), 4u);
  EXPECT_EQ(Get32(file, at + 16), 0u);

  // The standard VGA palette, stored blue, green, red, 0.
  static const uint8_t Palette[16][3] = {
      {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
      {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
      {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  for (size_t i = 0; i < 16; ++i) {
    const size_t quad = at + 40 + 4 * i;
    EXPECT_EQ(file[quad + 2], Palette[i][0]) << "red of colour " << i;
    EXPECT_EQ(file[quad + 1], Palette[i][1]) << "green of colour " << i;
    EXPECT_EQ(file[quad], Palette[i][2]) << "blue of colour " << i;
  }

  const size_t colours = at + 40 + 64;
  const size_t mask = colours + size * colourRow;
  picture.size = expectedSize;
  picture.pixels.resize(size * size);
  for (size_t y = 0; y < size; ++y) {
    const size_t row = size - 1 - y;  // bottom-up
    for (size_t x = 0; x < size; ++x) {
      const uint8_t pair = file[colours + row * colourRow + x / 2];
      const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
      const bool transparent = (file[mask + row * maskRow + x / 8] & (0x80 >> (x % 8))) != 0;
      // Transparent pixels must be black in the colour bitmap, or they would show inverted.
      if (transparent) {
        EXPECT_EQ(index, 0) << "pixel " << x << "," << y;
      }
      picture.pixels[y * size + x] = transparent ? -1 : index;
    }
  }
  return picture;
}

struct IconFile {
  std::vector<uint8_t> bytes;
  Picture large;
  Picture small;
};

IconFile Load(const std::string& name) {
  IconFile icon;
  icon.bytes = ReadFile(name);
  EXPECT_GE(icon.bytes.size(), 6u + 32u) << name << " is missing or too short";
  if (icon.bytes.size() < 6 + 32) return icon;
  EXPECT_EQ(Get16(icon.bytes, 0), 0u);
  EXPECT_EQ(Get16(icon.bytes, 2), 1u);
  EXPECT_EQ(Get16(icon.bytes, 4), 2u);
  icon.large = Decode(icon.bytes, 0, 32);
  icon.small = Decode(icon.bytes, 1, 16);
  return icon;
}

const char* const SpeedFiles[] = {"speed1.ico", "speed2.ico", "speed3.ico", "speed4.ico",
                                  "speed5.ico", "speed6.ico", "speed7.ico"};

TEST(IconFiles, EveryIconIsTheSameSpiralInGreenAndYellowOnly) {
  const IconFile idle = Load("speed-idle.ico");
  ASSERT_FALSE(idle.large.pixels.empty());
  std::vector<std::string> names(std::begin(SpeedFiles), std::end(SpeedFiles));
  names.push_back("application.ico");
  for (const std::string& name : names) {
    const IconFile icon = Load(name);
    for (const Picture* picture : {&icon.large, &icon.small}) {
      const Picture& shape = picture == &icon.large ? idle.large : idle.small;
      ASSERT_EQ(picture->pixels.size(), shape.pixels.size()) << name;
      for (size_t i = 0; i < shape.pixels.size(); ++i) {
        const int p = picture->pixels[i];
        EXPECT_TRUE(p == -1 || p == Green || p == Yellow) << name << " pixel " << i;
        EXPECT_EQ(p == -1, shape.pixels[i] == -1) << name << " pixel " << i;
      }
    }
  }
  // The drawing is big enough to read, and leaves some background.
  EXPECT_GT(idle.large.Count(Yellow), 200);
  EXPECT_GT(idle.large.Count(-1), 300);
  EXPECT_GT(idle.small.Count(Yellow), 50);
}

TEST(IconFiles, IdleAndApplicationIconsAreTheAllYellowPicture) {
  const IconFile idle = Load("speed-idle.ico");
  const IconFile application = Load("application.ico");
  EXPECT_EQ(idle.large.Count(Green), 0);
  EXPECT_EQ(idle.small.Count(Green), 0);
  EXPECT_EQ(idle.bytes, application.bytes);
}

TEST(IconFiles, GreenGrowsFromTheCentreOutwardsWithTheSpeedLevel) {
  std::vector<IconFile> levels;
  for (const char* name : SpeedFiles) levels.push_back(Load(name));
  for (int big = 0; big < 2; ++big) {
    auto picture = [&](size_t level) -> const Picture& {
      return big ? levels[level].large : levels[level].small;
    };
    const int size = picture(0).size;
    ASSERT_GT(size, 0);
    // Level 1 colours only the innermost turn: every green pixel lies near the centre, while
    // yellow reaches the edges.
    const double centre = size / 2.0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        if (picture(0).pixels[static_cast<size_t>(y * size + x)] != Green) continue;
        EXPECT_LT(std::abs(x + 0.5 - centre), size / 4.0) << size << ": " << x << "," << y;
        EXPECT_LT(std::abs(y + 0.5 - centre), size / 4.0) << size << ": " << x << "," << y;
      }
    }
    EXPECT_GT(picture(0).Count(Green), 0);
    EXPECT_GT(picture(0).Count(Yellow), 0);
    // Each level keeps the green of the one below and adds to it.
    for (size_t level = 1; level < levels.size(); ++level) {
      EXPECT_GT(picture(level).Count(Green), picture(level - 1).Count(Green))
          << size << " level " << level + 1;
      for (size_t i = 0; i < picture(level).pixels.size(); ++i) {
        if (picture(level - 1).pixels[i] == Green) {
          EXPECT_EQ(picture(level).pixels[i], Green) << size << " level " << level + 1;
        }
      }
    }
    // The top level is green all over.
    EXPECT_EQ(picture(6).Count(Yellow), 0) << size;
  }
}

}  // namespace
