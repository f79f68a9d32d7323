#include "core/config/ModuleTable.h"

namespace zul {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr const char* kOnLine = "on line";
constexpr const char* kProgram = "программ.";
constexpr const char* kNone = "нет";

std::string HexDigit(int code) { return std::string(1, kHexDigits[code & 0x0F]); }

std::string CodesOf(const ServiceBlock& serv, int first, int count) {
  std::string s;
  for (int k = first; k < first + count; ++k) s += HexDigit(serv.ModuleType[static_cast<size_t>(k)]);
  return s;
}

// Identifier cells 0..5 of an output.
std::string OutputCells(const ServiceBlock& serv, int output) {
  std::string s;
  if (output < 0 || output >= ServiceBlock::kOutputs) return s;
  for (int c = 0; c < 6; ++c) s += serv.OutIdent[static_cast<size_t>(output)][static_cast<size_t>(c)];
  return s;
}

std::string Range(const std::string& first, const std::string& last) { return first + " - " + last; }

std::string DiscreteInputs(const ServiceBlock& serv, int module) {
  const int first = (module - 1) * ServiceBlock::kInputsPerDiModule;
  return Range(serv.JoinIdentCells(first, 0, 6),
               serv.JoinIdentCells(first + ServiceBlock::kInputsPerDiModule - 1, 0, 6));
}

std::string AnalogLimits(const ServiceBlock& serv, int module) {
  constexpr int kPerModule = ServiceBlock::kInputsPerAiModule * ServiceBlock::kLimitsPerAnalogInput;
  const int first = serv.DiCount + (module - 1) * kPerModule;
  return Range(serv.JoinIdentCells(first, 0, 5), serv.JoinIdentCells(first + kPerModule - 1, 0, 5));
}

std::string RelayOutputs(const ServiceBlock& serv, int module) {
  const int first = (module - 1) * ServiceBlock::kOutputsPerDoModule;
  return Range(OutputCells(serv, first), OutputCells(serv, first + ServiceBlock::kOutputsPerDoModule - 1));
}

}  // namespace

std::string ModuleTypeText(int type) {
  switch (type) {
    case 1:
      return "ЛК-1";
    case 2:
    case 10:
      return "ЛК-2";
    case 3:
      return "ЛК-4       вых 1-8 реле    220V AC  2A";
    case 4:
      return "ЛК-5       вых 1-4 реле    220V AC  2A\n             вых 5-8 ключи  220V AC  1A";
    case 5:
      return "ЛК-6       вых 1-8 ключи   220V AC  1A";
    case 6:
      return "ЛК-7";
    case 7:
      return "ЛК-8";
    case 8:
      return "ЛК-9";
    case 9:
      return "ЛК-10";
    case 12:
      return "ЛК-3       вых 1-8 реле    220V AC  2A";
    case 14:
      return "ЛК-11";
    default:
      return {};
  }
}

std::string AnalogTypeText(int type) { return type >= 6 && type <= 9 ? ModuleTypeText(type) : std::string(); }

std::string ModuleCodeLine(const ServiceBlock& serv) { return CodesOf(serv, 0, ServiceBlock::kSlots); }

int ModuleNumberInGroup(const ServiceBlock& serv, int slot) {
  if (slot < 1 || slot > ServiceBlock::kSlots) return 0;
  const auto group = ServiceBlock::GroupOf(serv.ModuleType[static_cast<size_t>(slot - 1)]);
  if (group == ServiceBlock::ModuleGroup::None) return 0;
  int n = 0;
  for (int s = 0; s < slot; ++s) {
    if (ServiceBlock::GroupOf(serv.ModuleType[static_cast<size_t>(s)]) == group) ++n;
  }
  return n;
}

ModuleTableTexts BuildModuleTable(const ServiceBlock& serv) {
  ModuleTableTexts t;
  t.stZul = "ЗУЛ-05-16 ";
  t.stZul1 = CodesOf(serv, 0, 8);
  t.stZul2 = CodesOf(serv, 8, 8);
  t.kVhA = ServiceBlock::kInputsPerAiModule * serv.AiModules;
  t.kVhD = ServiceBlock::kInputsPerDiModule * serv.DiModules;
  t.allD = serv.SignalCount;
  t.kVyhS = serv.DoCount;
  t.allAn = serv.AnalogSignalCount;

  for (int s = 1; s <= kModuleRows; ++s) {
    const int type = serv.ModuleType[static_cast<size_t>(s - 1)];
    ModuleRowTexts& row = t.rows[static_cast<size_t>(s - 1)];
    if (type == 0) continue;
    row.code = HexDigit(type);
    row.enabled = true;
    row.type = ModuleTypeText(type);
    const int module = ModuleNumberInGroup(serv, s);
    switch (type) {
      case 1:
      case 2:
        row.inputs = DiscreteInputs(serv, module);
        row.button = kOnLine;
        break;
      case 10:
        row.inputs = DiscreteInputs(serv, module);
        row.button = kProgram;
        t.programmablePresent = true;
        break;
      case 3:
      case 4:
      case 5:
      case 12:
        row.outputs = RelayOutputs(serv, module);
        row.button = kProgram;
        break;
      case 6:
      case 7:
      case 8:
      case 9:
        row.inputs = AnalogLimits(serv, module);
        row.button = kProgram;
        break;
      case 14:  // ЛК-11, the regulator module
        t.regulatorPresent = true;
        row.button = kProgram;
        if (serv.AnalogSignalCount == 0) {
          row.button = kNone;
          row.enabled = false;
          t.noAnalogWarning = true;
        }
        break;
      default:  // 11, 13 and codes without a module: nothing to program
        break;
    }
  }
  return t;
}

}  // namespace zul
