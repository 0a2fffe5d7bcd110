#include "IcoFile.h"

namespace icongen {

const Rgb VgaPalette[16] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

namespace {

constexpr uint32_t HeaderSize = 40;
constexpr uint32_t PaletteSize = 16 * 4;

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Bitmap rows are padded to whole 32-bit words.
uint32_t ColourRowBytes(int size) {
  return (static_cast<uint32_t>(size) * 4 + 31) / 32 * 4;
}
uint32_t MaskRowBytes(int size) {
  return (static_cast<uint32_t>(size) + 31) / 32 * 4;
}

uint32_t BitmapBytes(int size) {
  return static_cast<uint32_t>(size) * (ColourRowBytes(size) + MaskRowBytes(size));
}

void PutImage(std::vector<uint8_t>& out, const IconImage& image) {
  const int size = image.size;
  // The header's height counts the colour bitmap and the mask together.
  Put32(out, HeaderSize);
  Put32(out, static_cast<uint32_t>(size));
  Put32(out, static_cast<uint32_t>(size) * 2);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits per pixel
  Put32(out, 0);  // no compression
  Put32(out, BitmapBytes(size));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (const Rgb& colour : VgaPalette) {
    out.push_back(colour.blue);
    out.push_back(colour.green);
    out.push_back(colour.red);
    out.push_back(0);
  }
  // Both bitmaps are stored bottom row first.
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(ColourRowBytes(size), 0);
    for (int x = 0; x < size; ++x) {
      uint8_t index = image.pixels[static_cast<size_t>(y * size + x)] & 0x0F;
      row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(MaskRowBytes(size), 0);
    for (int x = 0; x < size; ++x) {
      if (image.pixels[static_cast<size_t>(y * size + x)] == 0) {
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

}  // namespace

std::vector<uint8_t> EncodeIcon(const std::vector<IconImage>& images) {
  std::vector<uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon, not cursor
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const IconImage& image : images) {
    const uint32_t bytes = HeaderSize + PaletteSize + BitmapBytes(image.size);
    out.push_back(static_cast<uint8_t>(image.size));
    out.push_back(static_cast<uint8_t>(image.size));
    out.push_back(16);  // colours
    out.push_back(0);
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, bytes);
    Put32(out, offset);
    offset += bytes;
  }
  for (const IconImage& image : images) PutImage(out, image);
  return out;
}

}  // namespace icongen
