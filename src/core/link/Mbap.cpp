#include "core/link/Mbap.h"

#include "core/link/Crc16.h"

namespace zul {
namespace {

uint16_t Word(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void PutWord(std::vector<uint8_t>& out, size_t value) {
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  out.push_back(static_cast<uint8_t>(value & 0xFF));
}

}  // namespace

size_t MbapLength(std::span<const uint8_t> header) { return Word(header, 4); }

MbapParse ParseMbap(std::span<const uint8_t> bytes, size_t maxLength) {
  MbapParse result;
  if (bytes.size() < kMbapHeaderSize) return result;
  if (Word(bytes, 2) != 0) {
    result.status = MbapStatus::BadProtocol;
    return result;
  }
  const size_t length = MbapLength(bytes);
  if (length < kMbapMinLength || length > maxLength) {
    result.status = MbapStatus::BadLength;
    return result;
  }
  const size_t total = kMbapHeaderSize - 1 + length;
  if (bytes.size() < total) return result;
  result.status = MbapStatus::Ok;
  result.consumed = total;
  result.frame.transaction = Word(bytes, 0);
  result.frame.unit = bytes[6];
  result.frame.pdu.assign(bytes.begin() + kMbapHeaderSize,
                          bytes.begin() + static_cast<std::ptrdiff_t>(total));
  return result;
}

std::vector<uint8_t> EncodeMbap(const MbapFrame& frame) {
  std::vector<uint8_t> out;
  out.reserve(kMbapHeaderSize + frame.pdu.size());
  PutWord(out, frame.transaction);
  PutWord(out, 0);
  PutWord(out, frame.pdu.size() + 1);
  out.push_back(frame.unit);
  out.insert(out.end(), frame.pdu.begin(), frame.pdu.end());
  return out;
}

std::vector<uint8_t> RtuToMbap(std::span<const uint8_t> rtu, uint16_t transaction) {
  if (rtu.size() < 4) return {};
  MbapFrame frame;
  frame.transaction = transaction;
  frame.unit = rtu[0];
  frame.pdu.assign(rtu.begin() + 1, rtu.end() - 2);
  return EncodeMbap(frame);
}

std::vector<uint8_t> MbapToRtu(const MbapFrame& frame) {
  std::vector<uint8_t> rtu;
  rtu.reserve(frame.pdu.size() + 3);
  rtu.push_back(frame.unit);
  rtu.insert(rtu.end(), frame.pdu.begin(), frame.pdu.end());
  rtu.resize(rtu.size() + 2);
  AppendCrc(rtu);
  return rtu;
}

}  // namespace zul
