#pragma once
// The module composition of a simulated controller: which module type sits
// in each of the 16 slots, and the indication type. Modules are numbered
// within their group (discrete input, analog, relay) in slot order.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zul {

inline constexpr int kModuleSlots = 16;
inline constexpr int kMaxModuleType = 14;
inline constexpr int kRegulatorModuleType = 14;
inline constexpr int kProgrammableInputModuleType = 10;
inline constexpr int kThermoModuleType = 8;  // analog module with the reference channel

struct Composition {
  std::array<uint8_t, kModuleSlots> modules{};
  int indicationType = 1;

  static bool IsDiscreteInput(int type) { return type == 1 || type == 2 || type == 10 || type == 11; }
  static bool IsAnalog(int type) { return (type >= 6 && type <= 9) || type == 13; }
  static bool IsRelay(int type) { return type == 3 || type == 4 || type == 5 || type == 12; }

  int DiModules() const;
  int AiModules() const;
  int DoModules() const;
  int DiCount() const { return 12 * DiModules(); }
  int AiCount() const { return 6 * AiModules(); }
  int DoCount() const { return 8 * DoModules(); }
  bool Has(int type) const;

  // Type code of analog module `index` (0-based, slot order); 0 when there is none.
  int AnalogModuleType(int index) const;
  // Slot (1-based) of the `index`-th module of a group; 0 when there is none.
  int DiscreteModuleSlot(int index) const;
  int AnalogModuleSlot(int index) const;

  // "1,1,6,14" or "116E" -> slots 1..4, as zul new reads its --modules. False
  // (with a message) for more than 16 codes or a code outside 0..15.
  static bool Parse(const std::string& text, Composition* out, std::string* error);
  std::string ToString() const;
};

}  // namespace zul
