// A text in a buffer of its own. Every text the programs show or gather has a known bound, so
// none of them needs the heap or the C++ library's string; a longer one is cut at the capacity.
#pragma once

#include <cstddef>
#include <cstring>

template <size_t N>
class FixedText {
 public:
  static_assert(N > 0, "room for the terminator");

  FixedText() = default;
  // Implicit, so that a text can be given as a literal, as the standard string allows.
  FixedText(const char* text) { Assign(text); }
  FixedText(const char* text, size_t length) { Assign(text, length); }
  template <size_t M>
  FixedText(const FixedText<M>& other) {
    Assign(other.c_str());
  }

  FixedText& operator=(const char* text) {
    Assign(text);
    return *this;
  }
  FixedText& operator+=(const char* text) {
    const size_t used = size();
    Copy(text, text == nullptr ? 0 : std::strlen(text), used);
    return *this;
  }

  void Assign(const char* text) { Assign(text, text == nullptr ? 0 : std::strlen(text)); }
  void Assign(const char* text, size_t length) { Copy(text, length, 0); }
  void clear() { text_[0] = '\0'; }

  const char* c_str() const { return text_; }
  // For a call that writes a terminated text into the buffer, at most Capacity() + 1 bytes.
  char* data() { return text_; }
  size_t size() const { return std::strlen(text_); }
  bool empty() const { return text_[0] == '\0'; }
  static constexpr size_t Capacity() { return N - 1; }

  friend bool operator==(const FixedText& a, const char* b) {
    return std::strcmp(a.text_, b == nullptr ? "" : b) == 0;
  }
  friend bool operator==(const char* a, const FixedText& b) { return b == a; }
  friend bool operator!=(const FixedText& a, const char* b) { return !(a == b); }
  friend bool operator!=(const char* a, const FixedText& b) { return !(b == a); }
  template <size_t M>
  bool operator==(const FixedText<M>& other) const {
    return *this == other.c_str();
  }
  template <size_t M>
  bool operator!=(const FixedText<M>& other) const {
    return !(*this == other.c_str());
  }

 private:
  void Copy(const char* text, size_t length, size_t at) {
    if (length > Capacity() - at) length = Capacity() - at;
    if (length > 0) std::memmove(text_ + at, text, length);
    text_[at + length] = '\0';
  }

  char text_[N] = {};
};

// The identification texts, captions and other short texts: the longest, the processor's brand
// name, is 48 characters.
using ShortText = FixedText<64>;
// A text of the string table, or a box's text made from one: LoadStringA is given 512 bytes.
using LongText = FixedText<512>;
// A path as the A functions of Windows take it: at most MAX_PATH bytes with the terminator.
using PathText = FixedText<260>;
