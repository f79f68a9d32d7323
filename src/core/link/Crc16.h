#pragma once
#include <cstdint>
#include <span>

namespace zul {

// Modbus RTU CRC-16 (initial 0xFFFF, polynomial 0xA001 reflected, no final XOR).
// On the wire the low byte goes first.
uint16_t Crc16(std::span<const uint8_t> data);

// Writes the CRC of everything before the last two bytes of frame into those
// two bytes; frame holds the message plus room for its CRC.
void AppendCrc(std::span<uint8_t> frame);

// True when the last two bytes of frame are the CRC of the rest.
bool CrcMatches(std::span<const uint8_t> frame);

}  // namespace zul
