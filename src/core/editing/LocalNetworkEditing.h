#pragma once
// The rules of the local network editors, free of any window: the master
// entry editor's type and function choices and closing checks, storing an
// accepted entry with the chaining and renumbering that follow, the
// function-15 editor's checks, the scaling fields, the range of the discrete
// online view, and the network window's session (deleting entries, writing
// the network configuration on closing, or putting everything back).
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Interaction.h"
#include "core/model/NetworkMaster.h"

namespace zul {

struct Configuration;
class ModbusLink;

inline constexpr const char* kNetInputErrorCaption = " Ошибка ввода ";
inline constexpr const char* kNetProgrammingErrorText = "программирование закончено с ошибкой ";
inline constexpr const char* kF15ProgrammingErrorText = "программирование закончено с ошибкой";
inline constexpr const char* kNoFreeNetAddressesText = "нет свободных адресов лок.сети";
inline constexpr const char* kNoFreeNetAnalogText = "нет свободных адресов аналог.сигн.лок.сети";
inline constexpr const char* kFunctionNotAllowedText = "недопустимая функция";
inline constexpr const char* kValueNotGivenText = "значение не задано\n";
inline constexpr const char* kNetworkSendQuestion = "База  была изменена. Передать в прибор?";
inline constexpr const char* kNetworkSendCaption = "Подтвердите передачу данных ";
inline constexpr const char* kLineSettingsErrorText = "ошибка настроек обмена";

// The slave device types of the type list (index = type 0..15).
const std::array<std::string, 16>& SlaveTypeNames();
inline constexpr int kSlaveTypeOther = 15;
inline constexpr int kSlaveTypeZul05 = 5;
bool IsReserveSlaveType(int type);
// An entry in use whose function is 1..4 and whose signals lie within the
// tables, after the module signals; a damaged entry from a file or the line
// is shown as such.
bool NetworkEntryValid(const NetworkMaster& m, const ServiceBlock& s, int k);
// Positions inside the module signals: renumbering from there would move
// the modules' own records, texts and references.
bool EntryInsideModuleSignals(const NetworkMaster& m, const ServiceBlock& s, int k);
inline constexpr const char* kInvalidEntryHint = "блок задан неверно";
inline constexpr const char* kEntryInsideModulesText =
    "блок задан неверно: его сигналы лежат среди сигналов модулей\n";
// Entries in use that are damaged, 0-based, ascending.
std::vector<int> DamagedNetworkEntries(const Configuration& c);
// The warning a configuration with damaged entries opens with (empty when none).
std::string DamagedNetworkEntriesText(const Configuration& c);
// "Ф" and the function code, empty for a free entry.
std::string MasterButtonCaption(int function);
// "Ф15" for an entry in use, empty otherwise.
std::string Function15ButtonCaption(int function);

// --- the master entry editor -----------------------------------------------------------

// What the editor's fields hold. Texts as typed (the start address in
// hexadecimal); -1 for a list without a choice, function 0 for none.
struct MasterEntryForm {
  int slaveType = -1;
  int function = 0;
  std::string outputs = "00";
  std::string maxCode = "00";
  std::string startAddress = "0000";
  std::string dataCount = "00";
  std::string slave;
  int dataType = -1;   // 0 integer, 1 IEEE-754
  int byteOrder = -1;  // 0 high register first, 1 low register first
  int firstDiscrete = 0;
  int firstAnalog = 0;
  bool maxCodeEnabled = false;
  bool dataTypeEnabled = false;
  bool byteOrderEnabled = false;
};

// The editor of entry k as it opens.
struct MasterEditSession {
  int entry = 0;
  int mode = 0;             // 0 creating ("Создание"), 1 correcting ("Коррекция")
  bool refused = false;     // no free discrete addresses: the editor does not open
  std::string openMessage;  // shown before the editor opens (or instead of it)
  NetworkMaster::BlockSizes before;
  std::array<uint8_t, NetworkMaster::kMasterSize> master{};
  int signalCount = 0;
  int analogSignalCount = 0;
  MasterEntryForm form;  // the fields on opening
};
MasterEditSession BeginMasterEdit(const Configuration& c, int k);

// Choosing in the type, function and data type lists; a message to show
// comes back (empty when none).
void ChooseSlaveType(MasterEntryForm& form, int type, int discreteTotal);
std::string ChooseFunction(MasterEntryForm& form, int function);
void ChooseDataType(MasterEntryForm& form, int dataType);

// Which field an empty-field failure puts the stored value back into, and
// where the editor puts the focus after a failure.
enum class MasterField { None, Type, Function, Slave, Outputs, MaxCode, StartAddress, DataCount };
struct EntryCheck {
  std::vector<std::string> messages;  // each shown in its own warning box, in order
  MasterField emptyField = MasterField::None;
  MasterField focus = MasterField::None;
  bool ok() const { return messages.empty(); }
};
// The closing checks: the first missing or wrong field stops them, except the
// slave-type rules, which all report.
EntryCheck CheckMasterEntry(const MasterEntryForm& form);

struct MasterEditResult {
  bool accepted = false;
  std::vector<std::string> messages;  // chaining warnings of a refusal
  bool renumbered = false;
};
// Stores a checked form into entry k, lays out the following entries and,
// for a correction that changes the sizes, renumbers everything that refers
// to moved signals. A refusal puts the master block and the totals back as
// the session found them and flags the entry's error.
MasterEditResult ApplyMasterEdit(Configuration& c, const MasterEditSession& session,
                                 const MasterEntryForm& form);
// The editor closed with an error: everything back as it opened.
void AbandonMasterEdit(Configuration& c, const MasterEditSession& session);
// The editor cancelled (Escape, the title bar): everything back, no error.
void CancelMasterEdit(Configuration& c, const MasterEditSession& session);

// --- the function-15 editor --------------------------------------------------------------

struct Function15Form {
  std::string function = "00";
  int slaveIndex = -1;  // list index 0..31 (slave 1..32), -1 none chosen
  std::string inputs = "00";
  std::string startAddress = "0000";
  std::string dataCount = "00";
  std::array<std::string, 32> signalNumbers{};
  bool acknowledge = false;
  bool reset = false;
};
Function15Form FormOfFunction15Entry(const Configuration& c, int b);
// Signal fields the inputs count enables (none for an invalid count).
int EnabledSignalFields(std::string_view inputs);

struct Function15Check {
  bool ok = true;
  bool functionHint = false;  // " Ошибка ввода " beside the function code
  bool inputsBack = false;    // the stored inputs count goes back into its field
  std::vector<std::string> messages;
};
// The closing checks of entry b; with `store` and no error the entry takes
// the form. A free entry left with code 0 is not checked.
Function15Check CheckFunction15Entry(Configuration& c, int b, const Function15Form& form, bool store);

inline constexpr const char* kF15FinishQuestion = "Ошибка программирования \nЗакончить?";
inline constexpr const char* kF15FinishCaption = "Подтвердите окончание программирования";
inline constexpr const char* kF15SaveQuestion = "База  была изменена.Сохранить?";
inline constexpr const char* kF15SaveCaption = "Подтвердите сохранение базы данных";
// Block 11 to the controller (full access only; failures shown); once stored
// it is the reference copy and unchanged.
bool WriteFunction15Block(Configuration& c, ModbusLink& port, Interaction& ui);
// The reference copy back.
void RestoreFunction15Block(Configuration& c);

// --- scaling of network analog signals ---------------------------------------------------

// A scale or setpoint field (kind 0 minimum, 1 maximum, 2 setpoints): an
// empty text is an error too.
bool ScalingTextValid(std::string_view text, int kind);

// The network analog positions (counted from the first network analog
// signal) of entry k; empty for a free or discrete entry, or one whose
// positions pass the 48th.
struct NetworkAnalogSpan {
  int first = 0;
  int count = 0;
  bool empty() const { return count == 0; }
};
NetworkAnalogSpan NetworkAnalogSpanOf(const Configuration& c, int k);

// --- the discrete online view's range --------------------------------------------------

inline constexpr int kDiscreteOnlineRows = 12;
struct RangeCheck {
  bool ok = false;
  int field = 0;       // 0 start, 1 count: where the hint goes
  bool empty = false;  // the field was empty (the plain input hint)
  std::string hint;    // "Величина вне диапазона %g - %g" filled in
  int start = 0;
  int count = 0;
};
// The block's signals are first .. first + size - 1.
RangeCheck CheckDiscreteRange(std::string_view start, std::string_view count, int first, int size);
std::string OutOfRangeHint(double low, double high);

// --- the local network window ------------------------------------------------------------

// One showing of the local network window: what was there when it opened,
// so that closing can write what changed or put it all back.
class LocalNetworkSession {
 public:
  explicit LocalNetworkSession(Configuration& c);
  ~LocalNetworkSession();

  // "Удаление блока МВМ": false for a free entry.
  bool DeleteEntry(int k);
  // "Удаление блока МВМ Ф15".
  void DeleteFunction15Entry(int b);
  // A choice in the baud rate or frame format list (-1: none).
  void ChooseBaud(int index);
  void ChooseFrame(int index);

  bool NetworkChanged() const;
  bool Function15Changed() const;

  // Writes the network configuration: the analog records, the master block,
  // then the moved processing, text and function-block pages. False (message
  // shown) at the first failure.
  bool WriteNetwork(ModbusLink& port, Interaction& ui);
  // Everything the network edits moved goes back as the window found it.
  void RestoreNetwork();
  bool WriteFunction15(ModbusLink& port, Interaction& ui);
  void RestoreFunction15();

  enum class Verdict { Close, Stay };
  // What closing sends, decided by the questions before anything is sent.
  struct ClosePlan {
    bool stay = false;  // Cancel: the window stays
    bool writeNetwork = false;
    bool writeFunction15 = false;
    bool Writes() const { return writeNetwork || writeFunction15; }
  };
  // The closing questions (device mode: No puts the edits back, Yes without
  // full access is refused and puts them back too) or the file's change mark
  // (file mode). Asks on the caller's thread; sends nothing.
  ClosePlan PlanClose(Interaction& ui);
  // The writes the plan asked for. A write that fails keeps the edits and
  // the window (Stay): the next close offers to send what still differs.
  Verdict CarryOut(const ClosePlan& plan, ModbusLink& port, Interaction& ui);
  // Both in one go.
  Verdict Close(ModbusLink& port, Interaction& ui);

  // Blocks the network write sends, in order (for the progress bar and tests);
  // after a write that failed half-way, only those the controller's image
  // still shows different.
  std::vector<int> NetworkWriteBlocks() const;
  // A network write failed after the controller stored part of it.
  bool PartlyWritten() const { return partlyWritten_; }

 private:
  bool RecordsChanged() const;
  bool Renumbered() const;
  bool FunctionBlocksChanged() const;

  Configuration& c_;
  std::unique_ptr<Configuration> before_;
  int baud_ = 0;
  int frame_ = 0;
  bool lineChanged_ = false;
  bool partlyWritten_ = false;
};

inline constexpr const char* kNetworkPartlyWrittenText =
    "Локальная сеть передана в прибор не полностью: прибор хранит часть новых блоков.\n"
    "Изменения сохранены в окне; OK и \"Да\" передадут блоки, которые еще отличаются.";
inline constexpr const char* kNetworkNeedsWholeWriteText =
    "Прибор хранит часть новой конфигурации локальной сети, а изменения отменены.\n"
    "Восстановить согласованную конфигурацию прибора может только запись всей конфигурации (F10).";

}  // namespace zul
