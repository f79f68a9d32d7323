#include "support/FakeSerialLine.h"

#include <algorithm>

#include "core/link/Crc16.h"

namespace zul::test {

Bytes WithCrc(Bytes frame) {
  size_t n = frame.size();
  frame.resize(n + 2);
  AppendCrc(frame.data(), n);
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

bool FakeSerialLine::Write(const uint8_t* data, size_t count) {
  if (failWrite) return false;
  written_.emplace_back(data, data + count);
  if (!replies_.empty()) {
    input_.insert(input_.end(), replies_.front().begin(), replies_.front().end());
    replies_.pop_front();
  }
  return true;
}

int FakeSerialLine::Read(uint8_t* buffer, size_t count, int byteTimeoutMs, bool answerBegun) {
  if (readError != 0) return readError;
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
