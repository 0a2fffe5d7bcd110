#include "SpiralPicture.h"

#include <cstddef>
#include <cstdint>

namespace icongen {

namespace {

// Everything is laid out on a 32 x 32 grid (coordinates of pixel corners) and scaled for 16 x 16.
constexpr int Grid = 32;

struct Point {
  int x;
  int y;
};

// The spiral is drawn the compass way: half circles alternately above and below one horizontal
// line, around two centres one pitch apart, each half circle one pitch wider than the one before.
// The odd half circles (1st, 3rd, ...) turn around the inner centre above the line, the even ones
// around the outer centre below it.
constexpr Point InnerCentre{16, 16};
constexpr Point OuterCentre{18, 16};
constexpr int Pitch = 2;
constexpr int HalfCircles = 7;
constexpr int LineWidth = 2;

// The tail leaves the last half circle where it ends, on the left, and runs straight down to the
// bottom edge.
constexpr Point TailStart{InnerCentre.x - HalfCircles * Pitch, InnerCentre.y};
constexpr Point TailEnd{TailStart.x, 30};

// Speed level from which each part is green: the innermost turn (two half circles) at level 1,
// then one more half circle per level, the tail last.
constexpr int HalfCircleLevel[HalfCircles] = {1, 1, 2, 3, 4, 5, 6};
constexpr int TailLevel = TopLevel;

// Geometry below works in quarter units of the grid so that every pixel centre of either image
// size has integer coordinates and the drawing comes out the same on every machine.
constexpr int Quarter = 4;
constexpr int64_t HalfWidth = LineWidth * Quarter / 2;

int64_t Square(int64_t value) {
  return value * value;
}

bool OnHalfCircle(int index, int64_t px, int64_t py) {
  const bool odd = index % 2 == 0;  // index 0 is the 1st half circle
  const Point centre = odd ? InnerCentre : OuterCentre;
  const int64_t dx = px - centre.x * Quarter;
  const int64_t dy = py - centre.y * Quarter;
  if (odd ? dy > 0 : dy < 0) return false;
  const int64_t radius = static_cast<int64_t>(index + 1) * Pitch * Quarter;
  const int64_t distance = dx * dx + dy * dy;
  return distance >= Square(radius - HalfWidth) && distance <= Square(radius + HalfWidth);
}

// A vertical stroke; its band is closed on the left and open on the right so that it keeps one
// width where pixel centres fall exactly on its edges (the 16 x 16 image).
bool OnTail(int64_t px, int64_t py) {
  const int64_t x = TailStart.x * Quarter;
  return px >= x - HalfWidth && px < x + HalfWidth && py >= TailStart.y * Quarter &&
         py <= TailEnd.y * Quarter;
}

// The level of the part that covers a pixel centre, the innermost part winning where two touch;
// 0 when the pixel is background.
int PartLevelAt(int64_t px, int64_t py) {
  for (int i = 0; i < HalfCircles; ++i) {
    if (OnHalfCircle(i, px, py)) return HalfCircleLevel[i];
  }
  if (OnTail(px, py)) return TailLevel;
  return 0;
}

}  // namespace

IconImage DrawSpiral(int size, int greenLevel) {
  IconImage image;
  image.size = size;
  image.pixels.assign(static_cast<size_t>(size * size), Transparent);
  const int64_t step = static_cast<int64_t>(Quarter) * Grid / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int64_t px = x * step + step / 2;
      const int64_t py = y * step + step / 2;
      const int level = PartLevelAt(px, py);
      if (level == 0) continue;
      image.pixels[static_cast<size_t>(y * size + x)] = level <= greenLevel ? Green : Yellow;
    }
  }
  return image;
}

}  // namespace icongen
