#include "core/link/MbapLine.h"

#include <algorithm>

#include "core/link/Mbap.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

// Late answers to earlier tries a read passes over before it gives up.
constexpr int kMaxStaleAnswers = 8;

}  // namespace

bool MbapLine::Open() {
  waiting_ = false;
  rtu_.clear();
  taken_ = 0;
  return stream_.Open();
}

bool MbapLine::Purge() {
  rtu_.clear();
  taken_ = 0;
  return stream_.Purge();
}

bool MbapLine::Write(std::span<const uint8_t> bytes) {
  rtu_.clear();
  taken_ = 0;
  ++transaction_;
  const std::vector<uint8_t> adu = RtuToMbap(bytes, transaction_);
  if (adu.empty()) return false;
  // A broadcast (unit 0) is not answered.
  waiting_ = bytes[0] != 0;
  return stream_.Write(adu);
}

// 0 with the answer in rtu_, or a negative result for the read.
int MbapLine::ReceiveAnswer(int byteTimeoutMs, bool answerBegun) {
  for (int stale = 0; stale <= kMaxStaleAnswers; ++stale) {
    uint8_t header[kMbapHeaderSize];
    const int got = stream_.Read(header, byteTimeoutMs, answerBegun);
    if (got < 0) return got;
    if (got == 0) return 0;
    if (got < static_cast<int>(kMbapHeaderSize)) return -kResultTimeout;
    const size_t length = MbapLength(header);
    std::vector<uint8_t> adu(header, header + kMbapHeaderSize);
    MbapParse parse = ParseMbap(adu, kMaxAnswerLength);
    if (parse.status == MbapStatus::BadProtocol || parse.status == MbapStatus::BadLength) {
      stream_.Purge();  // the stream is out of step; nothing after this can be trusted
      return -kResultReceiveError;
    }
    adu.resize(kMbapHeaderSize - 1 + length);
    const int rest = static_cast<int>(length - 1);
    const int body =
        rest == 0 ? 0 : stream_.Read(std::span(adu).subspan(kMbapHeaderSize), byteTimeoutMs, true);
    if (body < 0) return body;
    if (body < rest) return -kResultTimeout;
    parse = ParseMbap(adu, kMaxAnswerLength);
    if (parse.frame.transaction != transaction_) continue;
    rtu_ = MbapToRtu(parse.frame);
    waiting_ = false;
    return 0;
  }
  return -kResultReceiveError;
}

int MbapLine::Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) {
  if (taken_ >= rtu_.size()) {
    if (!waiting_) return 0;  // the answer has been handed over whole, or none is due
    rtu_.clear();
    taken_ = 0;
    const int result = ReceiveAnswer(byteTimeoutMs, answerBegun);
    if (result < 0) return result;
  }
  const size_t count = std::min(buffer.size(), rtu_.size() - taken_);
  std::copy_n(rtu_.begin() + static_cast<std::ptrdiff_t>(taken_), count, buffer.begin());
  taken_ += count;
  return static_cast<int>(count);
}

}  // namespace zul
