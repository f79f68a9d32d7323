#include "core/link/Crc16.h"

#include <array>

namespace zul {
namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    table[i] = crc;
  }
  return table;
}

constexpr auto kTable = MakeTable();

}  // namespace

uint16_t Crc16(std::span<const uint8_t> data) {
  uint16_t crc = 0xFFFF;
  for (uint8_t byte : data) crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ byte) & 0xFF]);
  return crc;
}

void AppendCrc(std::span<uint8_t> frame) {
  if (frame.size() < 2) return;  // no room for a CRC
  const size_t count = frame.size() - 2;
  uint16_t crc = Crc16(frame.first(count));
  frame[count] = static_cast<uint8_t>(crc & 0xFF);
  frame[count + 1] = static_cast<uint8_t>(crc >> 8);
}

bool CrcMatches(std::span<const uint8_t> frame) {
  if (frame.size() < 2) return false;
  const size_t count = frame.size() - 2;
  uint16_t crc = Crc16(frame.first(count));
  return frame[count] == (crc & 0xFF) && frame[count + 1] == (crc >> 8);
}

}  // namespace zul
