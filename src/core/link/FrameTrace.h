#pragma once
// Hex trace of every frame with direction and time, switched on by ZUL_TRACE=1
// (to stderr) or ZUL_TRACE=<file>. Off, it costs one branch per frame.
#include <cstdint>
#include <cstdio>
#include <cstddef>

namespace zul {

class FrameTrace {
 public:
  FrameTrace();  // reads ZUL_TRACE
  ~FrameTrace();
  FrameTrace(const FrameTrace&) = delete;
  FrameTrace& operator=(const FrameTrace&) = delete;

  bool Enabled() const { return out_ != nullptr; }
  void Sent(int64_t timeMs, const uint8_t* data, size_t count) {
    if (out_) Write(timeMs, '>', data, count);
  }
  void Received(int64_t timeMs, const uint8_t* data, size_t count) {
    if (out_) Write(timeMs, '<', data, count);
  }

 private:
  void Write(int64_t timeMs, char direction, const uint8_t* data, size_t count);
  std::FILE* out_ = nullptr;
  bool ownsFile_ = false;
};

}  // namespace zul
