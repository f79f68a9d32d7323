#include "sim/SimulatedLine.h"

#include <algorithm>

namespace zul {

void SimulatedLine::AdvanceToUs(int64_t us) {
  int64_t ms = (us + 999) / 1000;
  if (ms > clock_.NowMs()) clock_.Advance(ms - clock_.NowMs());
}

bool SimulatedLine::Open() {
  if (failOpen || unplugged_) return false;
  open_ = true;
  return true;
}

bool SimulatedLine::Close() {
  open_ = false;
  incoming_.clear();
  return !unplugged_;
}

bool SimulatedLine::Purge() {
  if (unplugged_) return false;
  const int64_t now = NowUs();
  while (!incoming_.empty() && incoming_.front().atUs <= now) incoming_.pop_front();
  return true;
}

bool SimulatedLine::Write(std::span<const uint8_t> bytes) {
  if (!open_ || unplugged_) return false;
  written_.emplace_back(bytes.begin(), bytes.end());
  const int64_t sentUs = NowUs() + static_cast<int64_t>(bytes.size()) * CharUs();
  AdvanceToUs(sentUs);

  Reply reply = bus_.Deliver(bytes);
  int64_t at = sentUs + (turnaroundMs + reply.delayMs) * 1000LL;
  for (uint8_t byte : reply.bytes) {
    at += CharUs();
    incoming_.push_back({at, byte});
  }
  // A late answer may still be on its way while a newer one is sent.
  std::stable_sort(incoming_.begin(), incoming_.end(),
                   [](const Incoming& a, const Incoming& b) { return a.atUs < b.atUs; });
  return true;
}

int SimulatedLine::Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) {
  if (!open_ || unplugged_) return -1;
  const size_t count = buffer.size();
  if (count == 0) return 0;
  const int64_t start = NowUs();
  const int64_t deadline = start + ReadTotalTimeoutMs(count) * 1000LL;
  const int64_t gap = byteTimeoutMs * 1000LL;
  size_t n = 0;
  int64_t last = start;
  while (n < count && !incoming_.empty()) {
    int64_t at = std::max(incoming_.front().atUs, start);
    if (at > deadline || ((n > 0 || answerBegun) && at - last > gap)) break;
    buffer[n++] = incoming_.front().byte;
    incoming_.pop_front();
    last = at;
  }
  if (n == count) {
    AdvanceToUs(last);
  } else if (n == 0 && !answerBegun) {
    AdvanceToUs(deadline);
  } else {
    AdvanceToUs(std::min(deadline, last + gap));
  }
  return static_cast<int>(n);
}

}  // namespace zul
