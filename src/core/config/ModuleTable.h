#pragma once
// What the main window's module table, execution line and counters show for
// the composition in the service block. No widgets here, so the texts can be
// checked without a window.
#include <array>
#include <string>

#include "core/model/ServiceBlock.h"

namespace zul {

inline constexpr const char* kNoAnalogForLk11Text = "Невозможно программировать ЛК-11 -  нет аналог. входов";
inline constexpr int kModuleRows = ServiceBlock::kSlots;

struct ModuleRowTexts {
  std::string type;
  std::string code;
  std::string inputs;
  std::string outputs;
  std::string button;
  bool enabled = false;  // the programming button
};

struct ModuleTableTexts {
  std::array<ModuleRowTexts, kModuleRows> rows;
  std::string stZul;   // "ЗУЛ-05-16 "
  std::string stZul1;  // codes of slots 1..8
  std::string stZul2;  // codes of slots 9..16
  int kVhA = 0;        // analog inputs
  int kVhD = 0;        // discrete inputs
  int allD = 0;        // processed discrete signals
  int kVyhS = 0;       // discrete outputs
  int allAn = 0;       // processed analog signals
  bool regulatorPresent = false;
  bool programmablePresent = false;
  bool noAnalogWarning = false;  // a ЛК-11 module without analog signals
};

// A module is numbered within its group (discrete input, analog, relay) by
// the modules of that group in the slots before it.
ModuleTableTexts BuildModuleTable(const ServiceBlock& serv);

// The type cell of a module type ("ЛК-1", ...); empty for types without a name.
std::string ModuleTypeText(int type);
// The name of an analog module type (6..9); empty for any other type.
std::string AnalogTypeText(int type);
// The 16 type codes, one upper-case hexadecimal digit each, slot 1 first.
std::string ModuleCodeLine(const ServiceBlock& serv);
// The module's number within its group (1-based) for the module in `slot` (1..16); 0 when the slot is empty.
int ModuleNumberInGroup(const ServiceBlock& serv, int slot);

}  // namespace zul
