// The input of every fuzz target, read as the bytes, words and small choices it hands out.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Reads the input front to back; past its end every read gives zeros.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w |= static_cast<uint32_t>(Byte()) << (8 * i);
    return w;
  }
  int32_t Int() { return static_cast<int32_t>(Word()); }
  // 0..n-1 from one byte.
  int Below(int n) { return n <= 0 ? 0 : Byte() % n; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace fuzz
