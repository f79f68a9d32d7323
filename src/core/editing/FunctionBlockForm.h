#pragma once
// The values of the block dialog as the user typed and chose them, what a
// record fills them with, their checks on OK, and their storing into the
// record with the clamps and zeroings of out-of-range numbers.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zul {

struct Configuration;
class FunctionBlocks;

inline constexpr const char* kBlockDialogCaption = "Программирование функционального блока";
inline constexpr const char* kInputErrorNote = " Ошибка ввода ";
// The trigger kinds by subtype: reset priority, set priority.
inline constexpr const char* kTriggerKindNames[] = {"приоритет сброса       (R-S)",
                                                    "приоритет установки (S-R)"};

struct BlockInputValues {
  int polarity = 0;  // item index: 0 "инверсный", 1 "прямой"
  int source = 0;    // InputSourceKind
  std::string number = "0";
};

struct FunctionBlockValues {
  int kind = 0;  // TFBType ordinal
  bool archive = false;
  std::array<BlockInputValues, 4> inputs{};
  // timer (and the comparator's time)
  int timerKind = 0;
  int discreteness = 0;
  int timerSetpointKind = 0;  // 0 fixed, 1 corrected
  std::string time = "00";
  std::string timerAddress = "00";
  std::string hour = "00";
  std::string minute = "00";
  std::string second = "00";
  // trigger
  int triggerKind = 0;
  // comparator
  std::string analogNumber = "00";
  int analogSource = 0;  // 0 analog input, 1 arithmetic block
  int setpointKind = 0;  // 0 fixed, 1 corrected
  std::string setpoint = "00";
  std::string setpointAddress = "00";
  int condition = 0;
  std::string hysteresis = "00";
  // counter
  std::string counterSetpoint = "00";
};

// What choosing a kind resets the dialog to.
FunctionBlockValues ValuesForKind(int kind);
// The dialog pre-filled from record `index`.
FunctionBlockValues LoadBlockValues(const FunctionBlocks& fb, int index);

// Which controls a kind enables.
struct BlockControls {
  int inputs = 0;
  bool timer = false;      // timer kind, discreteness, time
  bool timerKind = false;  // the timer's own kind and setpoint kind
  bool alarmClock = false;
  bool trigger = false;
  bool comparator = false;
  bool counter = false;
  std::array<std::string, 4> inputLabels{};
};
BlockControls ControlsFor(const FunctionBlockValues& v);

enum class BlockField {
  Hour,
  Minute,
  Second,
  Time,
  TimerAddress,
  SetpointAddress,
  AnalogNumber,
  CounterSetpoint
};
struct FieldProblem {
  BlockField field;
  std::string note;     // the error note under the field: its text, a blank, the message
  std::string message;  // the message alone
  bool keepsOpen = true;
};
// The checks of OK in their order; the first that keeps the dialog open is
// the last of the list. Marks without refusal (empty analog number or
// counter setpoint) come before it.
std::vector<FieldProblem> CheckBlockValues(FunctionBlockValues& v);

// Stores the values into record `index`; `clearFirst` when editing changed
// the kind. Numbers out of range are zeroed or clamped, and the values get
// them back as stored.
void StoreBlockValues(Configuration& c, int index, FunctionBlockValues& v, bool clearFirst);

}  // namespace zul
