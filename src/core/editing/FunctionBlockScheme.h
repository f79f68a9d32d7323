#pragma once
// What the scheme of the function block editor shows, apart from drawing:
// where each block stands (three a row, an algorithm starts a row), the
// algorithm labels, and the texts of a block's panel (input captions, kind
// captions, parameters). The report of the table uses the same captions.
#include <array>
#include <string>
#include <vector>

namespace zul {

struct Configuration;
class FunctionBlocks;

inline constexpr int kSchemeColumns = 3;
inline constexpr int kSchemeColumnWidth = 250;
inline constexpr int kSchemeRowHeight = 120;
inline constexpr int kSchemeTopMargin = 15;
inline constexpr int kSchemeLabelLine = 16;  // between names of algorithms without members
inline constexpr int kPanelWidth = 150;
inline constexpr int kPanelHeight = 110;

struct BlockPlace {
  int index = 0;  // record
  int row = 0;
  int column = 0;
  int x = 0;
  int y = 0;
};

struct AlgorithmLabel {
  int algorithm = 0;
  std::string name;
  int x = 8;
  int y = 0;
};

struct SchemeLayout {
  std::vector<BlockPlace> blocks;
  std::vector<AlgorithmLabel> labels;
  int rows = 0;
  int height = 0;  // bottom of the last panel + 20
};

SchemeLayout LayOutScheme(const FunctionBlocks& fb);

struct BlockPanelTexts {
  int number = 0;  // 1-based
  int kind = 0;    // TFBType ordinal
  int inputsDrawn = 0;
  std::array<bool, 4> inverse{};
  std::array<std::string, 4> captions{};
  std::array<std::string, 4> setReset{};
  std::array<bool, 4> linked{};  // input fed by the block just before
  std::string symbol;            // the kind's mark in the symbol box
  std::string triggerCaption;    // the trigger kind as the dialog names it
  std::string innerCaption;      // timer kind, condition, counter setpoint
  std::string panelCaption;      // the timer's time
  std::string hysteresisCaption;
  bool outputInverse = false;  // NAND, NOR
  bool hasAlarm = false;
  int alarmType = 0;
  int cell = 0;
  bool hasRelays = false;
  std::array<int, 5> relayMasks{};
};

// The captions of one configuration's signals, looked up once for a whole scheme.
class BlockCaptions {
 public:
  explicit BlockCaptions(const Configuration& c);
  // What an input of the given source and number shows; empty when the
  // number lies outside its table.
  std::string InputCaption(int source, int number) const;
  std::string AnalogCaption(int source, int number) const;
  BlockPanelTexts Panel(int index) const;
  // The kind as the block dialog lists it, e.g. "\"И\" (4 входа)".
  static std::string KindName(int kind);

 private:
  const Configuration& c_;
  std::vector<std::string> analog_;  // identifiers of the analog table, by number - 1
};

// "T=.. мс" and its kin: a time in units of the discreteness.
std::string TimeText(int discreteness, int time);

}  // namespace zul
