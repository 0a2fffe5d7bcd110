// Writes 16-colour icon files: each image is a square of palette indexes, index 0 transparent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace icongen {

// One square picture, row by row from the top, one palette index (0..15) per pixel.
struct IconImage {
  int size = 0;
  std::vector<uint8_t> pixels;
};

// The standard 16-colour VGA palette as red, green, blue.
struct Rgb {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
extern const Rgb VgaPalette[16];

// The bytes of an .ico file holding the images in the given order, 4 bits per pixel, with an AND
// mask that makes every index-0 pixel transparent.
std::vector<uint8_t> EncodeIcon(const std::vector<IconImage>& images);

}  // namespace icongen
