#pragma once
// Writing the whole configuration into a controller (F10, "Вывод на СОМ-порт").
//
// Usage (GUI, CLI, tests alike):
//   WriteResult r = WriteConfiguration(port, config, ui);
//
// The procedure checks the access level (config.discreteProcessing.AccessLevel), reads
// the controller's identity from config.service.CurrentDevice and compares its
// module composition with the configuration's (config.service.ModuleType), telling
// the user the outcome through `ui`. It then writes every block to the device
// the configuration belongs to (service.ConfiguredDevice, which also becomes
// service.CurrentDevice) with ModbusLink::WriteBlock, each after a 50 ms pause.
// When the controller's analog or discrete-input module count differs, the
// signal base is adapted for the transfer only (network signals move).
//
// Whatever happens, the configuration in memory is afterwards exactly what it
// was before (identity and composition included), except: service.CurrentDevice
// is service.ConfiguredDevice once the compositions were accepted, discreteProcessing.Modified is 0
// once the transfer started, and reserveBlocks holds the pre-transfer snapshot.
// Progress goes to ui.Progress as "block n of the blocks to send" and is
// hidden at the end.
#include <string>

namespace zul {

class Interaction;
class ModbusLink;
struct Configuration;

enum class WriteOutcome {
  Written,         // every block stored
  NoAccess,        // viewing access only: nothing sent
  IdentityFailed,  // function 17 failed: nothing written
  NotSet,          // the configuration has no modules: nothing written
  Incompatible,    // the compositions cannot be matched: nothing written
  BlockFailed,     // WriteBlock failed on `block`; the blocks before it are stored
};

struct WriteResult {
  WriteOutcome outcome = WriteOutcome::NoAccess;
  int block = 0;  // the block that failed (BlockFailed)
  bool sameComposition = false;
  int blocksWritten = 0;
  int discreteShift = 0;  // signals the network moved by for the transfer
  int analogShift = 0;    // analog inputs it moved by

  bool ok() const { return outcome == WriteOutcome::Written; }
  std::string Describe() const;
};

inline constexpr const char* kConfigurationNotSetText =
    "Kонфигурация не задана";  // Latin K, as the device tool
inline constexpr const char* kConfigurationWrittenText = "Конфигурация передана в прибор";
inline constexpr const char* kCompositionMatchesText =
    "Передаваемая конфигурация\nсоответствует конфигурации прибора";
inline constexpr const char* kCompositionDiffersText =
    "Передаваемая конфигурация\nне соответствует конфигурации прибора";
inline constexpr const char* kCompositionRefusedText =
    "Передаваемая конфигурация\nне может быть передана в прибор ";

WriteResult WriteConfiguration(ModbusLink& port, Configuration& config, Interaction& ui);

}  // namespace zul
