// A list of at most N values in place, for the few lists the programs keep. Each has a known
// bound, so none of them needs the heap or the C++ library's containers.
#pragma once

#include <cstddef>
#include <initializer_list>

template <typename T, size_t N>
class FixedList {
 public:
  FixedList() = default;
  FixedList(std::initializer_list<T> values) {
    for (const T& value : values) push_back(value);
  }

  // False, and nothing kept, when the list is full.
  bool push_back(const T& value) {
    if (count_ >= N) return false;
    items_[count_++] = value;
    return true;
  }
  // Drops the first `n` values; the rest move to the front in order.
  void DropFront(size_t n) {
    if (n > count_) n = count_;
    for (size_t i = n; i < count_; ++i) items_[i - n] = items_[i];
    count_ -= n;
  }
  bool Contains(const T& value) const {
    for (size_t i = 0; i < count_; ++i) {
      if (items_[i] == value) return true;
    }
    return false;
  }
  void clear() { count_ = 0; }

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  static constexpr size_t Capacity() { return N; }

  T& operator[](size_t i) { return items_[i]; }
  const T& operator[](size_t i) const { return items_[i]; }
  T& back() { return items_[count_ - 1]; }
  const T& back() const { return items_[count_ - 1]; }
  T* begin() { return items_; }
  T* end() { return items_ + count_; }
  const T* begin() const { return items_; }
  const T* end() const { return items_ + count_; }

 private:
  T items_[N] = {};
  size_t count_ = 0;
};
