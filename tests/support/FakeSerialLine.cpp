#include "support/FakeSerialLine.h"

#include <algorithm>

#include "core/link/Crc16.h"

namespace zul::test {

Bytes WithCrc(Bytes frame) {
  frame.resize(frame.size() + 2);
  AppendCrc(frame);
  return frame;
}

bool FakeSerialLine::Open() {
  if (failOpen) return false;
  open_ = true;
  return true;
}

bool FakeSerialLine::Close() {
  if (failClose) return false;
  open_ = false;
  return true;
}

bool FakeSerialLine::Purge() {
  ++purges_;
  if (failPurge) return false;
  input_.clear();
  return true;
}

bool FakeSerialLine::Write(std::span<const uint8_t> bytes) {
  if (failWrite) return false;
  written_.emplace_back(bytes.begin(), bytes.end());
  if (!replies_.empty()) {
    input_.insert(input_.end(), replies_.front().begin(), replies_.front().end());
    replies_.pop_front();
  }
  return true;
}

int FakeSerialLine::Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) {
  if (readError != 0) return readError;
  const size_t count = buffer.size();
  size_t n = 0;
  while (n < count && !input_.empty()) {
    buffer[n++] = input_.front();
    input_.pop_front();
  }
  if (clock_ && n < count)
    clock_->Advance(n == 0 && !answerBegun ? ReadTotalTimeoutMs(count)
                                           : std::min(byteTimeoutMs, ReadTotalTimeoutMs(count)));
  return static_cast<int>(n);
}

}  // namespace zul::test
