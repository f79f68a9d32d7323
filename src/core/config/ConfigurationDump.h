#pragma once
// A configuration described as named fields: what `zul dump` prints, what
// `zul diff` and the verify command compare. Values are the model's own
// getters (texts, identifiers, scales and setpoints as the editors show them),
// so a difference reads in the same terms the windows use.
#include <string>
#include <string_view>
#include <vector>

namespace zul {

struct Configuration;

// A small tree of named values: numbers, texts, objects (keys in a fixed
// order) and arrays.
class DumpNode {
 public:
  enum class Kind { Number, Text, Object, Array };

  static DumpNode Number(long long value);
  static DumpNode Text(std::string value);
  static DumpNode Object();
  static DumpNode Array();

  // Object: appends a member; Array: appends an element. Returns *this.
  DumpNode& Add(std::string key, DumpNode value);
  DumpNode& Push(DumpNode value);

  Kind GetKind() const { return kind_; }
  long long GetNumber() const { return number_; }
  const std::string& GetText() const { return text_; }
  const std::vector<std::string>& Keys() const { return keys_; }  // object members, in order
  const std::vector<DumpNode>& Items() const { return items_; }   // members or elements
  // The member with that key, nullptr when there is none (or this is no object).
  const DumpNode* Find(std::string_view key) const;

 private:
  Kind kind_ = Kind::Object;
  long long number_ = 0;
  std::string text_;
  std::vector<std::string> keys_;
  std::vector<DumpNode> items_;
};

// Every block decoded. Top-level members: device, modules, counts, signals,
// outputs, units, analogModules, network, networkLine, networkAnalog,
// function15, functionBlocks, loops, programs, sensorTypes, algorithms.
DumpNode DumpConfiguration(const Configuration& config);

// One leaf of the tree: its path ("signals[3].text") and its value as text.
struct DumpField {
  std::string field;
  std::string value;
};
std::vector<DumpField> FlattenDump(const DumpNode& node);

// "field = value" lines, one per leaf.
std::string DumpText(const Configuration& config);

// A field whose value differs; a field only one side has shows "-" on the other.
struct FieldDifference {
  std::string field;
  std::string first;
  std::string second;
};
struct DiffOptions {
  // Leave out what only the file keeps and a controller never holds: the
  // device index, the output texts and the algorithms. For comparing a
  // configuration read from a controller with a file.
  bool deviceBlocksOnly = false;
};
std::vector<FieldDifference> DiffConfigurations(const Configuration& first, const Configuration& second,
                                                const DiffOptions& options = {});
// Whether a dump field is one only the file keeps (see DiffOptions).
bool IsFileOnlyField(std::string_view field);

// The short overview of `zul info`: label and value, in order.
std::vector<DumpField> ConfigurationSummary(const Configuration& config);

}  // namespace zul
