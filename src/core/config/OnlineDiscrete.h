#pragma once
// Live state of one discrete module: the health of the 16 module slots, the
// 12 inputs and their validity flags of a discrete input module, the 8
// outputs of a relay module. Each is one bit-read request (function 1 or 2,
// start address and count high byte first); bits come least significant first
// from the answer's fourth byte on.
#include <array>
#include <cstdint>
#include <span>

namespace zul {

class ModbusLink;

struct BitRequest {
  uint8_t function = 0;
  int start = 0;
  int count = 0;
  std::array<uint8_t, 4> Data() const {
    return {static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start & 0xFF),
            static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count & 0xFF)};
  }
};

inline constexpr int kOnlineInputs = 12;
inline constexpr int kOnlineOutputs = 8;

BitRequest HealthRequest();                 // function 1 from 1016, 16 bits: bit s-1 = slot s faulty
BitRequest InputRequest(int module);        // function 2 from 12 (module-1), 12 bits (module 1-based)
BitRequest ValidityRequest(int module);     // function 1 from 1044 + 12 module, 12 bits: 1 = invalid
BitRequest OutputRequest(int relayModule);  // function 1 from 8 (r-1), 8 bits

// Bit `bit` of the answer's data; false for a bit the answer does not carry.
bool AnswerBit(std::span<const uint8_t> answer, int bit);

// One tick of the discrete input view. The requests run in order and the
// first failure skips the rest; `completed` says how many succeeded, and only
// their fields are meaningful.
struct InputModulePoll {
  int result = 0;  // the failed request's result code, 0 when all succeeded
  int completed = 0;
  bool faulty = false;
  std::array<bool, kOnlineInputs> on{};
  std::array<bool, kOnlineInputs> invalid{};
};
// slot: the module's slot 1..16 (health bit); module: its number among the
// discrete input modules, 1-based (input and validity addresses).
InputModulePoll PollInputModule(ModbusLink& port, int deviceIndex, int slot, int module);

struct OutputModulePoll {
  int result = 0;
  int completed = 0;
  bool faulty = false;
  std::array<bool, kOnlineOutputs> on{};
};
OutputModulePoll PollOutputModule(ModbusLink& port, int deviceIndex, int slot, int relayModule);

}  // namespace zul
