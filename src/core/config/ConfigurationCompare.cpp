#include "core/config/ConfigurationCompare.h"

#include <algorithm>

#include "core/config/Configuration.h"

namespace zul {
namespace {

constexpr int kRegulatorModuleType = 14;
constexpr int kProgrammableInputModuleType = 10;
constexpr int kFirstFunctionBlockPage = 68;
constexpr int kModuleBlocks = 8;  // blocks 1..8: analog module records, then network records

bool HasModule(const ServiceBlock& s, int type) {
  return std::find(s.ModuleType.begin(), s.ModuleType.end(), type) != s.ModuleType.end();
}

// The top-level member of a dump field: "signals" of "signals[3].text".
std::string_view Member(std::string_view field) { return field.substr(0, field.find_first_of("[.")); }

bool IsSignalTextField(std::string_view field) {
  return field.ends_with("].text") || field.ends_with("].identifier");
}

}  // namespace

const std::vector<PartDescription>& ConfigurationParts() {
  using P = ConfigurationPart;
  static const std::vector<PartDescription> parts = {
      {P::Composition, "composition", "Состав прибора", false},
      {P::AnalogModules, "analog", "Аналоговые модули", true},
      {P::Network, "network", "Локальная сеть", true},
      {P::RelayOutputs, "outputs", "Релейные выходы", true},
      {P::Function15, "function15", "Блоки функции 15", true},
      {P::DiscreteSignals, "signals", "Обработка дискретных сигналов", true},
      {P::SignalTexts, "texts", "Тексты сигналов", true},
      {P::Regulators, "regulators", "Регуляторы", true},
      {P::Units, "units", "Единицы измерения", true},
      {P::FunctionBlocks, "fb", "Функциональные блоки", true},
      {P::SensorTypes, "sensors", "Типы датчиков", true},
  };
  return parts;
}

const PartDescription& DescribePart(ConfigurationPart part) {
  for (const PartDescription& d : ConfigurationParts())
    if (d.part == part) return d;
  return ConfigurationParts().front();
}

ConfigurationPart PartOfField(std::string_view field) {
  using P = ConfigurationPart;
  const std::string_view m = Member(field);
  // A channel's unit name is the units table seen through its unit index.
  if ((m == "analogModules" || m == "networkAnalog") && field.ends_with(".unit")) return P::Units;
  if (m == "analogModules") return P::AnalogModules;
  if (m == "network" || m == "networkLine" || m == "networkAnalog") return P::Network;
  if (m == "outputs") return P::RelayOutputs;
  if (m == "function15") return P::Function15;
  if (m == "signals") return IsSignalTextField(field) ? P::SignalTexts : P::DiscreteSignals;
  if (m == "loops" || m == "programs") return P::Regulators;
  if (m == "units") return P::Units;
  if (m == "functionBlocks") return P::FunctionBlocks;
  if (m == "sensorTypes") return P::SensorTypes;
  return P::Composition;
}

namespace {

// The blocks of a part depend on the analog module count and the function-block pages.
bool BlockOfPart(int block, ConfigurationPart part, int analogModules, int pages) {
  using P = ConfigurationPart;
  const int analog = std::clamp(analogModules, 0, kModuleBlocks);
  switch (part) {
    case P::Composition:
      return false;
    case P::AnalogModules:
      return block >= 1 && block <= analog;
    case P::Network:
      return (block > analog && block <= kModuleBlocks) || block == NetworkMaster::kMasterBlockNumber;
    case P::RelayOutputs:
      return block == RelayModules::kBlockNumber;
    case P::Function15:
      return block == Function15Blocks::kBlockNumber;
    case P::DiscreteSignals:
      return block >= DiscreteProcessing::kFirstBlockNumber &&
             block < DiscreteProcessing::kFirstBlockNumber + DiscreteProcessing::kBlocks;
    case P::SignalTexts:
      return block >= ServiceBlock::kFirstTextBlockNumber &&
             block < ServiceBlock::kFirstTextBlockNumber + ServiceBlock::kTextBlocks;
    case P::Regulators:
      return block == Regulators::LoopBlockNumber || block == Regulators::ProgramBlockNumber;
    case P::Units:
      return block == AnalogModules::kUnitsBlockNumber;
    case P::FunctionBlocks:
      return block >= kFirstFunctionBlockPage && block < kFirstFunctionBlockPage + pages;
    case P::SensorTypes:
      return block == DiscreteProcessing::kSensorBlockNumber;
  }
  return false;
}

}  // namespace

bool BlockBelongsTo(int block, ConfigurationPart part, const Configuration& config) {
  return BlockOfPart(block, part, config.service.AiModules, config.functionBlocks.GetPageCount());
}

std::vector<PartDifferences> CompareWithController(const Configuration& memory,
                                                   const Configuration& controller) {
  std::vector<PartDifferences> grouped;
  for (const PartDescription& d : ConfigurationParts()) grouped.push_back({d.part, {}});
  const ServiceBlock& device = controller.service;
  for (FieldDifference& f : DiffConfigurations(memory, controller, DiffOptions{.deviceBlocksOnly = true})) {
    const ConfigurationPart part = PartOfField(f.field);
    // A controller without the module is never asked for these blocks.
    if (part == ConfigurationPart::Regulators && !HasModule(device, kRegulatorModuleType)) continue;
    if (part == ConfigurationPart::SensorTypes && !HasModule(device, kProgrammableInputModuleType)) continue;
    grouped[static_cast<size_t>(part)].fields.push_back(std::move(f));
  }
  std::erase_if(grouped, [](const PartDifferences& p) { return p.fields.empty(); });
  return grouped;
}

BlockFilter BlocksOfParts(const std::set<ConfigurationPart>& parts, const Configuration& config) {
  // The writer changes the configuration while it runs; the layout is fixed now.
  return [parts, analog = config.service.AiModules, pages = config.functionBlocks.GetPageCount()](int block) {
    return std::any_of(parts.begin(), parts.end(),
                       [&](ConfigurationPart part) { return BlockOfPart(block, part, analog, pages); });
  };
}

std::set<ConfigurationPart> ChangedParts(const std::vector<PartDifferences>& differences) {
  std::set<ConfigurationPart> parts;
  for (const PartDifferences& d : differences)
    if (DescribePart(d.part).writable) parts.insert(d.part);
  return parts;
}

}  // namespace zul
