#include "SpiralPicture.h"

#include <cstddef>
#include <cstdint>

namespace icongen {

namespace {

// Everything is laid out on a 32 x 32 grid (coordinates of pixel corners) and scaled for 16 x 16.
constexpr int kGrid = 32;

struct Point {
  int x;
  int y;
};

// The spiral is drawn the compass way: half circles alternately above and below one horizontal
// line, around two centres one pitch apart, each half circle one pitch wider than the one before.
// The odd half circles (1st, 3rd, ...) turn around the inner centre above the line, the even ones
// around the outer centre below it.
constexpr Point kInnerCentre{16, 16};
constexpr Point kOuterCentre{18, 16};
constexpr int kPitch = 2;
constexpr int kHalfCircles = 7;
constexpr int kLineWidth = 2;

// The tail leaves the last half circle where it ends, on the left, and runs straight down to the
// bottom edge.
constexpr Point kTailStart{kInnerCentre.x - kHalfCircles * kPitch, kInnerCentre.y};
constexpr Point kTailEnd{kTailStart.x, 30};

// Speed level from which each part is green: the innermost turn (two half circles) at level 1,
// then one more half circle per level, the tail last.
constexpr int kHalfCircleLevel[kHalfCircles] = {1, 1, 2, 3, 4, 5, 6};
constexpr int kTailLevel = kTopLevel;

// Geometry below works in quarter units of the grid so that every pixel centre of either image
// size has integer coordinates and the drawing comes out the same on every machine.
constexpr int kQuarter = 4;
constexpr int64_t kHalfWidth = kLineWidth * kQuarter / 2;

int64_t Square(int64_t value) {
  return value * value;
}

bool OnHalfCircle(int index, int64_t px, int64_t py) {
  const bool odd = index % 2 == 0;  // index 0 is the 1st half circle
  const Point centre = odd ? kInnerCentre : kOuterCentre;
  const int64_t dx = px - centre.x * kQuarter;
  const int64_t dy = py - centre.y * kQuarter;
  if (odd ? dy > 0 : dy < 0) return false;
  const int64_t radius = static_cast<int64_t>(index + 1) * kPitch * kQuarter;
  const int64_t distance = dx * dx + dy * dy;
  return distance >= Square(radius - kHalfWidth) && distance <= Square(radius + kHalfWidth);
}

// A vertical stroke; its band is closed on the left and open on the right so that it keeps one
// width where pixel centres fall exactly on its edges (the 16 x 16 image).
bool OnTail(int64_t px, int64_t py) {
  const int64_t x = kTailStart.x * kQuarter;
  return px >= x - kHalfWidth && px < x + kHalfWidth && py >= kTailStart.y * kQuarter &&
         py <= kTailEnd.y * kQuarter;
}

// The level of the part that covers a pixel centre, the innermost part winning where two touch;
// 0 when the pixel is background.
int PartLevelAt(int64_t px, int64_t py) {
  for (int i = 0; i < kHalfCircles; ++i) {
    if (OnHalfCircle(i, px, py)) return kHalfCircleLevel[i];
  }
  if (OnTail(px, py)) return kTailLevel;
  return 0;
}

}  // namespace

IconImage DrawSpiral(int size, int greenLevel) {
  IconImage image;
  image.size = size;
  image.pixels.assign(static_cast<size_t>(size * size), kTransparent);
  const int64_t step = static_cast<int64_t>(kQuarter) * kGrid / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int64_t px = x * step + step / 2;
      const int64_t py = y * step + step / 2;
      const int level = PartLevelAt(px, py);
      if (level == 0) continue;
      image.pixels[static_cast<size_t>(y * size + x)] = level <= greenLevel ? kGreen : kYellow;
    }
  }
  return image;
}

}  // namespace icongen
