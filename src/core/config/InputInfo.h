#pragma once
// What the input information dialogs show about one signal beyond the own
// discrete inputs: a setpoint signal of an own analog input, or a signal of a
// network master block.
#include <string>

namespace zul {

struct Configuration;

struct InputInfo {
  enum class Kind { None, Analog, Network };
  Kind kind = Kind::None;
  std::string header;      // "5 (адрес 0x04)      AI1_1_LL"
  std::string text;        // the signal's text attribute
  int module = 0;          // analog module (1-based among them) or network master block (1-based)
  std::string moduleType;  // analog: the module type name (empty: leave the label)
  int slave = 0;           // network: slave address
  std::string slaveType;   // network: slave type name (empty: leave the label)
  int input = 0;           // channel 1..6, or input within the block (1-based)
  bool scaling = true;     // network: false for a discrete block (scaling hidden)
  int unitIndex = 0;
  std::string unit;
  std::string position;
  std::string scaleMin;
  std::string scaleMax;
  std::string setpointName;  // "уставка LL" ...
  std::string setpointValue;
};

// Kind::None for an own discrete input, a signal outside the base or a
// network signal no block holds.
InputInfo DescribeInput(const Configuration& c, int signal);

}  // namespace zul
