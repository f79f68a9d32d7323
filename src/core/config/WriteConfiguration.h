#pragma once
// Writing the whole configuration into a controller (F10, "Вывод на СОМ-порт").
//
// Usage (GUI, CLI, tests alike):
//   WriteResult r = WriteConfiguration(port, config, ui);
//
// The procedure checks the access level (config.discreteProcessing.AccessLevel),
// refuses a configuration opened from a short file whose empty blocks it would
// send, reads the controller's identity from config.service.CurrentDevice and
// compares its module composition with the configuration's
// (config.service.ModuleType), telling the user the outcome through `ui`. It
// then writes every block to that same controller with ModbusLink::WriteBlock,
// each after a 50 ms pause: the composition checked is the one written to.
// When the controller's analog or discrete-input module count differs, the
// signal base is adapted for the transfer only (network signals move).
//
// Whatever happens, the configuration in memory is afterwards exactly what it
// was before (identity and composition included), except: discreteProcessing.Modified is 0
// once the transfer started, reserveBlocks holds the pre-transfer snapshot, and
// (in device mode) the image holds every block the controller confirmed storing.
// Progress goes to ui.Progress as "block n of the blocks to send" and is
// hidden at the end.
#include <functional>
#include <string>
#include <vector>

namespace zul {

class Interaction;
class ModbusLink;
struct Configuration;

enum class WriteOutcome {
  Written,         // every block stored
  NoAccess,        // viewing access only: nothing sent
  IncompleteFile,  // opened from a short file whose empty blocks would be sent: nothing sent
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
  int discreteShift = 0;           // signals the network moved by for the transfer
  int analogShift = 0;             // analog inputs it moved by
  std::vector<int> emptyBlocks;    // IncompleteFile: the blocks the file left empty
  std::vector<int> writtenBlocks;  // block numbers stored, in order

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

inline constexpr const char* kIncompleteFileText = "Конфигурация открыта из неполного файла.\nПустые блоки: ";
inline constexpr const char* kIncompleteFileTail = ".\nВывод в прибор не производится.";
// "12-25, 32, 33": block numbers with runs shortened.
std::string BlockListText(const std::vector<int>& blocks);
std::string IncompleteFileText(const std::vector<int>& blocks);

// A selective write sends only the blocks `only` accepts (an empty filter
// sends all). It needs the controller's composition to be the configuration's:
// moving the signal base for some blocks and not others would mix two layouts.
using BlockFilter = std::function<bool(int block)>;
inline constexpr const char* kSelectiveWriteNeedsSameCompositionText =
    "Выборочная запись возможна только\nпри одинаковом составе модулей";

WriteResult WriteConfiguration(ModbusLink& port, Configuration& config, Interaction& ui,
                               const BlockFilter& only = {});

}  // namespace zul
