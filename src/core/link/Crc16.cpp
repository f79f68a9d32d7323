#include "core/link/Crc16.h"

#include <array>

namespace zul {
namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    table[i] = crc;
  }
  return table;
}

constexpr auto kTable = MakeTable();

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t count) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < count; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF]);
  return crc;
}

void AppendCrc(uint8_t* frame, size_t count) {
  uint16_t crc = Crc16(frame, count);
  frame[count] = static_cast<uint8_t>(crc & 0xFF);
  frame[count + 1] = static_cast<uint8_t>(crc >> 8);
}

bool CrcMatches(const uint8_t* frame, size_t count) {
  if (count < 2) return false;
  uint16_t crc = Crc16(frame, count - 2);
  return frame[count - 2] == (crc & 0xFF) && frame[count - 1] == (crc >> 8);
}

}  // namespace zul
