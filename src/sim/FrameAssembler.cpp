#include "sim/FrameAssembler.h"

#include "core/link/Crc16.h"
#include "sim/ControllerBlocks.h"

namespace zul {

size_t FrameAssembler::ExpectedLength(const std::vector<uint8_t>& head) {
  if (head.size() < 2) return 0;
  switch (head[1]) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
      return 8;
    case 14:
    case 17:
      return 4;
    case 68:
      return 5;
    case 70:
      return 11;
    case 71:
      return 6;
    case 15:
    case 16:
      return head.size() >= 7 ? 9 + static_cast<size_t>(head[6]) : 0;
    case 69: {
      if (head.size() < 3) return 0;
      int block = head[2];
      int length = block == 99 ? 2 : ControllerBlockLength(block);
      return length > 0 ? 4 + static_cast<size_t>(length) : 0;
    }
    default:
      return 0;
  }
}

std::vector<std::vector<uint8_t>> FrameAssembler::Feed(const uint8_t* data, size_t count, int64_t nowMs) {
  std::vector<std::vector<uint8_t>> frames = Tick(nowMs);
  for (size_t i = 0; i < count; ++i) {
    pending_.push_back(data[i]);
    size_t expected = ExpectedLength(pending_);
    bool whole = expected != 0 && pending_.size() == expected && CrcMatches(pending_);
    if (whole || pending_.size() >= kMaxFrame) {
      frames.push_back(std::move(pending_));
      pending_.clear();
    }
  }
  if (count > 0) lastByteMs_ = nowMs;
  return frames;
}

std::vector<std::vector<uint8_t>> FrameAssembler::Tick(int64_t nowMs) {
  std::vector<std::vector<uint8_t>> frames;
  if (!pending_.empty() && nowMs - lastByteMs_ >= gapMs_) {
    frames.push_back(std::move(pending_));
    pending_.clear();
  }
  return frames;
}

std::optional<int64_t> FrameAssembler::Deadline() const {
  if (pending_.empty()) return std::nullopt;
  return lastByteMs_ + gapMs_;
}

}  // namespace zul
