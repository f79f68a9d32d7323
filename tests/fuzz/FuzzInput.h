#pragma once
// Reads a fuzzer's bytes as a sequence of small decisions and byte runs; past
// the end everything reads as zero, so every input is a valid script.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zul::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::vector<uint8_t> Bytes(size_t count) {
    const size_t n = std::min(count, size_ - std::min(pos_, size_));
    std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }
  std::vector<uint8_t> Rest() { return Bytes(size_); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Stops the fuzzer with the input that broke a rule.
[[noreturn]] inline void Violated() { __builtin_trap(); }
inline void Require(bool rule) {
  if (!rule) Violated();
}

}  // namespace zul::fuzz
