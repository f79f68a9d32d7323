#pragma once
// Hex trace of every frame with direction and time, switched on by ZUL_TRACE=1
// (to stderr) or ZUL_TRACE=<file>. Off, it costs one branch per frame.
#include <cstdint>
#include <cstdio>
#include <cstddef>

namespace zul {

// Sees every frame the link sends and every answer it gets (the traffic
// monitor, zul poll). Called on the thread that runs the exchange.
class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  // `retry`: a repeated try of the same request.
  virtual void RequestSent(int64_t timeMs, const uint8_t* data, size_t count, bool retry) = 0;
  // What arrived for the last request (maybe nothing) and the link's result code of that try.
  virtual void AnswerReceived(int64_t timeMs, const uint8_t* data, size_t count, int result) = 0;
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
  void Request(int64_t timeMs, const uint8_t* data, size_t count, bool retry) {
    if (observer_) observer_->RequestSent(timeMs, data, count, retry);
  }
  void Answer(int64_t timeMs, const uint8_t* data, size_t count, int result) {
    if (observer_) observer_->AnswerReceived(timeMs, data, count, result);
  }
  void Sent(int64_t timeMs, const uint8_t* data, size_t count) {
    if (out_) Write(timeMs, '>', data, count);
  }
  void Received(int64_t timeMs, const uint8_t* data, size_t count) {
    if (out_) Write(timeMs, '<', data, count);
  }

 private:
  void Write(int64_t timeMs, char direction, const uint8_t* data, size_t count);
  std::FILE* out_ = nullptr;
  FrameObserver* observer_ = nullptr;
  bool ownsFile_ = false;
};

}  // namespace zul
