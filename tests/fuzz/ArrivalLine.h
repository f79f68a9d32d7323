#pragma once
// A serial line on a virtual clock whose answers are written by the fuzzer:
// each write is answered by pieces of bytes that arrive after chosen pauses,
// so cut, split, late and overlong answers all come out of the same input.
// Reads follow the time-out rules of every line (total per read, silence
// between bytes, an answer already begun).
#include <deque>
#include <functional>
#include <vector>

#include "core/link/Clock.h"
#include "core/link/SerialLine.h"

namespace zul::fuzz {

struct Piece {
  int pauseMs = 0;  // from the end of the request, or of the previous piece
  std::vector<uint8_t> bytes;
};

class ArrivalLine : public SerialLine {
 public:
  explicit ArrivalLine(VirtualClock& clock) : clock_(clock) {}

  // Called with every frame written; returns the answer's pieces.
  std::function<std::vector<Piece>(const std::vector<uint8_t>& frame)> answer;

  void SetPortName(const std::string&) override {}
  void SetBaudRate(int) override {}
  void SetParity(Parity) override {}
  void SetStopBits(int) override {}
  bool Open() override { return open_ = true; }
  bool Close() override {
    open_ = false;
    return true;
  }
  bool IsOpen() const override { return open_; }
  bool Purge() override {
    while (!incoming_.empty() && incoming_.front().atMs <= clock_.NowMs()) incoming_.pop_front();
    return true;
  }
  bool Write(std::span<const uint8_t> bytes) override {
    const std::vector<uint8_t> frame(bytes.begin(), bytes.end());
    int64_t at = clock_.NowMs() + static_cast<int64_t>(bytes.size());
    clock_.Advance(static_cast<int64_t>(bytes.size()));  // about a millisecond a character
    if (answer) {
      for (const Piece& p : answer(frame)) {
        at += p.pauseMs;
        for (uint8_t b : p.bytes) incoming_.push_back({++at, b});
      }
    }
    return true;
  }
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override {
    const size_t count = buffer.size();
    if (count == 0) return 0;
    const int64_t start = clock_.NowMs();
    const int64_t deadline = start + ReadTotalTimeoutMs(count);
    size_t n = 0;
    int64_t last = start;
    while (n < count && !incoming_.empty()) {
      const int64_t at = std::max(incoming_.front().atMs, start);
      if (at > deadline || ((n > 0 || answerBegun) && at - last > byteTimeoutMs)) break;
      buffer[n++] = incoming_.front().byte;
      incoming_.pop_front();
      last = at;
    }
    int64_t end =
        n == count ? last : (n == 0 && !answerBegun ? deadline : std::min(deadline, last + byteTimeoutMs));
    if (end > clock_.NowMs()) clock_.Advance(end - clock_.NowMs());
    return static_cast<int>(n);
  }
  std::vector<std::string> AvailablePorts() const override { return {}; }

 private:
  struct Incoming {
    int64_t atMs;
    uint8_t byte;
  };
  VirtualClock& clock_;
  bool open_ = false;
  std::deque<Incoming> incoming_;
};

}  // namespace zul::fuzz
