#pragma once
// Monotonic time in milliseconds, and sleeping on it. The link and the online
// views take a Clock so that timing rules can be checked without waiting.
#include <chrono>
#include <cstdint>
#include <thread>

namespace zul {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t NowMs() = 0;
  virtual void SleepMs(int64_t ms) = 0;
};

class SteadyClock : public Clock {
 public:
  int64_t NowMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void SleepMs(int64_t ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

// Time that moves only when someone sleeps or advances it.
class VirtualClock : public Clock {
 public:
  int64_t NowMs() override { return now_; }
  void SleepMs(int64_t ms) override {
    if (ms > 0) now_ += ms;
  }
  void Advance(int64_t ms) { SleepMs(ms); }

 private:
  int64_t now_ = 0;
};

}  // namespace zul
