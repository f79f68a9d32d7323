#pragma once
#include <cstddef>
#include <cstdint>

namespace zul {

// Modbus RTU CRC-16 (initial 0xFFFF, polynomial 0xA001 reflected, no final XOR).
// On the wire the low byte goes first.
uint16_t Crc16(const uint8_t* data, size_t count);

// Appends the CRC of frame[0..count) at frame[count], frame[count + 1].
void AppendCrc(uint8_t* frame, size_t count);

// True when the last two bytes of frame[0..count) are the CRC of the rest.
bool CrcMatches(const uint8_t* frame, size_t count);

}  // namespace zul
