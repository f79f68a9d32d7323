#pragma once
// Modbus TCP's framing: the MBAP header (transaction id, protocol 0, length,
// unit id) in front of the PDU, no checksum. The link builds RTU frames; these
// turn one into the other, so everything above the line stays as it is.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zul {

inline constexpr size_t kMbapHeaderSize = 7;
// The length field counts the unit id and the PDU: at least the unit id and a function.
inline constexpr size_t kMbapMinLength = 2;

struct MbapFrame {
  uint16_t transaction = 0;
  uint8_t unit = 0;
  std::vector<uint8_t> pdu;  // function and data
};

enum class MbapStatus {
  Incomplete,  // more bytes are needed
  Ok,
  BadProtocol,  // protocol id not 0
  BadLength,    // length field below kMbapMinLength or above the limit
};

struct MbapParse {
  MbapStatus status = MbapStatus::Incomplete;
  size_t consumed = 0;  // bytes of a whole frame (Ok only)
  MbapFrame frame;
};

// The frame at the front of `bytes`; maxLength bounds the length field.
MbapParse ParseMbap(std::span<const uint8_t> bytes, size_t maxLength);
// The length field of a header in front of `bytes` (at least kMbapHeaderSize of them).
size_t MbapLength(std::span<const uint8_t> header);

std::vector<uint8_t> EncodeMbap(const MbapFrame& frame);

// An RTU frame (address, PDU, CRC) under an MBAP header: the address becomes
// the unit id, the checksum stays off the wire. Empty for a frame too short to hold a PDU.
std::vector<uint8_t> RtuToMbap(std::span<const uint8_t> rtu, uint16_t transaction);
// The RTU frame a frame stands for, checksum appended.
std::vector<uint8_t> MbapToRtu(const MbapFrame& frame);

}  // namespace zul
