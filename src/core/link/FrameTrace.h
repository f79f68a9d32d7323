#pragma once
// Hex trace of every frame with direction and time, switched on by ZUL_TRACE=1
// (to stderr) or ZUL_TRACE=<file>. Off, it costs one branch per frame.
#include <cstdint>
#include <cstdio>
#include <span>

namespace zul {

// Sees every frame the link sends and every answer it gets (the traffic
// monitor, zul poll). Called on the thread that runs the exchange.
class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  // `retry`: a repeated try of the same request.
  virtual void RequestSent(int64_t timeMs, std::span<const uint8_t> bytes, bool retry) = 0;
  // What arrived for the last request (maybe nothing) and the link's result code of that try.
  virtual void AnswerReceived(int64_t timeMs, std::span<const uint8_t> bytes, int result) = 0;
};

class FrameTrace {
 public:
  FrameTrace();  // reads ZUL_TRACE
  ~FrameTrace();
  FrameTrace(const FrameTrace&) = delete;
  FrameTrace& operator=(const FrameTrace&) = delete;

  bool Enabled() const { return out_ != nullptr; }
  // One observer at a time; nullptr detaches it.
  void SetObserver(FrameObserver* observer) { observer_ = observer; }
  void Request(int64_t timeMs, std::span<const uint8_t> bytes, bool retry) {
    if (observer_) observer_->RequestSent(timeMs, bytes, retry);
  }
  void Answer(int64_t timeMs, std::span<const uint8_t> bytes, int result) {
    if (observer_) observer_->AnswerReceived(timeMs, bytes, result);
  }
  void Sent(int64_t timeMs, std::span<const uint8_t> bytes) {
    if (out_) Write(timeMs, '>', bytes);
  }
  void Received(int64_t timeMs, std::span<const uint8_t> bytes) {
    if (out_) Write(timeMs, '<', bytes);
  }

 private:
  void Write(int64_t timeMs, char direction, std::span<const uint8_t> bytes);
  std::FILE* out_ = nullptr;
  FrameObserver* observer_ = nullptr;
  bool ownsFile_ = false;
};

}  // namespace zul
