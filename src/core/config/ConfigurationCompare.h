#pragma once
// The configuration in memory against the one a controller holds: the field
// differences of the dump, grouped by the part of the controller they are
// stored in, and the blocks that carry each part, so that a write can send
// only the parts that differ (the compare window, zul write --only-changed).
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/ConfigurationDump.h"
#include "core/config/WriteConfiguration.h"

namespace zul {

struct Configuration;

// Parts of the controller's configuration, each written as its own blocks.
enum class ConfigurationPart {
  Composition,  // identity and counts: read only, never written
  AnalogModules,
  Network,
  RelayOutputs,
  Function15,
  DiscreteSignals,
  SignalTexts,
  Regulators,
  Units,
  FunctionBlocks,
  SensorTypes,
};

struct PartDescription {
  ConfigurationPart part;
  const char* key;      // for the command line and logs
  const char* caption;  // for the window
  bool writable;
};
const std::vector<PartDescription>& ConfigurationParts();
const PartDescription& DescribePart(ConfigurationPart part);

// The part a dump field ("signals[3].alarmType") is stored in.
ConfigurationPart PartOfField(std::string_view field);
// Whether a block number belongs to a part, for a controller of that composition.
bool BlockBelongsTo(int block, ConfigurationPart part, const Configuration& config);

struct PartDifferences {
  ConfigurationPart part;
  std::vector<FieldDifference> fields;  // first: in memory, second: in the controller
};
// Differences of the fields the controller holds, in the order of ConfigurationParts().
// Blocks a controller is not asked for (without the module they serve) are left out.
std::vector<PartDifferences> CompareWithController(const Configuration& memory,
                                                   const Configuration& controller);

// The filter of a write that sends only these parts.
BlockFilter BlocksOfParts(const std::set<ConfigurationPart>& parts, const Configuration& config);
// The writable parts that differ.
std::set<ConfigurationPart> ChangedParts(const std::vector<PartDifferences>& differences);

}  // namespace zul
