#pragma once
// What the regulator editor and its loop dialog do to the configuration:
// the loop panels the editor draws, the dialog's values with their presets and
// checks, storing them into the loop and program records, deleting loops with
// every link that points past them, and reading and writing blocks 32 and 33.
// The windows only show these values and ask the questions.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Interaction.h"
#include "core/model/Regulators.h"

namespace zul {

struct Configuration;
class ModbusLink;

inline constexpr const char* kAllLoopsCreatedText = "Все регуляторы созданы";
inline constexpr const char* kNoLoopsSelectedText = "Нет выделенных регуляторов";
inline constexpr const char* kLoopSendCaption = "Подтвердите передачу данных";
inline constexpr const char* kLoopSendQuestion = "Данные были изменены. Передать в прибор?";
inline constexpr const char* kLoopUnchangedQuestion = "Данные не были изменены.Передавать?";
inline constexpr const char* kNetworkPvText =
    "Аналоговый вход локальной сети не может\n быть регулируемым параметром";
inline constexpr const char* kNoProgrammedFbText = "Нет запрограммированных ФБ";
inline constexpr const char* kFcRefusalQuestion = "отказываетесь  от режима FC?";
inline constexpr const char* kFcRefusalCaption = "Подтвердите отказ";
inline constexpr const char* kFcOnlySingleLoopText = "Режим FC только для одноконт. рег.";
inline constexpr const char* kDacUsedText = "Такой выход ЦАП уже использован";
inline constexpr const char* kGeneratorUsedText = "Такой ПЗ уже использован";
inline constexpr const char* kNoLoopKindText = "Выберите тип контура регулирования";
inline constexpr const char* kLoopInputErrorText = " Ошибка ввода ";
// A PV scale whose every setpoint codes above 65535 (the scale lies far from zero).
inline constexpr const char* kSetpointNotStorableText = "Задание на этой шкале не помещается в 16 бит";
// What a record shows where its byte names nothing we know.
inline constexpr const char* kUnknownText = "—";

// The kind list of the loop dialog, and the names the online view shows.
std::string LoopKindName(int kind);
std::string LoopKindOnlineName(int kind);

// --- the controlled input ------------------------------------------------------

struct PvInput {
  bool valid = false;      // an own analog input (or, for the repeater, a calculation block)
  bool calcBlock = false;  // 49..54: "CDS Calc" n - 48
  std::string identifier;  // analog input identifier, or "CDS Calc N"
  std::string position;    // technological position
  std::string unit;
  double scaleMin = 0.0;
  double scaleMax = 0.0;
};
// Input n (1-based) of a loop of `kind`; invalid beyond the own analog inputs.
PvInput DescribePvInput(const Configuration& c, int n, int kind);

// --- the loop panels of the editor -----------------------------------------------

struct LoopPanel {
  int record = -1;  // loop record shown
  int inner = -1;   // cascade: the inner loop's record
  int kind = Regulators::KindUnknown;
  TRegType type = rtPID;
  TTypeOut action = toDirect;
  TTypeOut innerAction = toDirect;
  std::string pv, innerPv;                   // the PV input, as text
  std::string sp, innerSp;                   // the SP source byte; "SP" is drawn beside it for kinds 0..3
  std::array<std::string, 6> params{};       // KP, Ti, Td, OL, OH, dSP
  std::array<std::string, 6> innerParams{};  // the inner loop's
  std::string fb, out0, out1;                // two-position
  std::array<std::string, Regulators::ProgramPoints> times{}, values{};  // program loop
  std::string destination;  // "вых ЦАП №N" or "на рег N"
  std::string innerDestination;
};
// One panel per loop in use, in record order; a cascade's inner record is part
// of its outer loop's panel.
std::vector<LoopPanel> BuildLoopPanels(const Configuration& c);
int LoopsInUse(const Regulators& r);
// The record a new loop takes: the first not in use, -1 when all six are.
int FirstFreeLoop(const Regulators& r);

// --- the loop dialog's values ----------------------------------------------------

// The dialog's fields by their control names (EditKp, Edit7, EdOUT_FC, ...),
// plus the kind list and the two output-action lists.
struct LoopForm {
  int kind = -1;           // CBoxTReg, -1 none chosen
  int panelNumber = 0;     // LabNReg
  int outAction = 0;       // CBoxTOut
  int innerOutAction = 0;  // CBoxTOut1
  std::map<std::string, std::string> text;

  std::string Get(const std::string& field) const;
  void Set(const std::string& field, const std::string& value) { text[field] = value; }
  // The field as an integer; nullopt when it is not one.
  std::optional<int> Int(const std::string& field) const;
};

// Every text field the dialog has, in the order the dialog lays them out.
const std::vector<std::string>& LoopFormFields();
// Field names of program point t (0..5): interval and setpoint.
std::string PointTimeField(int t);
std::string PointValueField(int t);

// The dialog as "Создать контур регулирования" resets it.
LoopForm BlankLoopForm(int ownNumber, int panelNumber);
// Choosing a kind: every group's fields back to their zeros, then the kind's presets.
void ApplyKindPresets(LoopForm& form, int kind, const Regulators& r);
// The dialog filled from loop record `loop` for programming it.
LoopForm LoopFormFromRecord(const Configuration& c, int loop, int panelNumber);

// The result of one check of the dialog.
struct LoopCheck {
  enum class Verdict { Ok, Note, Message, AskFcRefusal };
  Verdict verdict = Verdict::Ok;
  std::string field;  // the control the note is placed at (or to focus)
  std::string text;

  bool Passed() const { return verdict == Verdict::Ok; }
};

// The checks OK runs, in their order; the first failure is returned. The
// check with no programmed function blocks sets EdAdFB_OnFC to "00", as the
// dialog shows. `fcRefused`: the user has just given up the forced mode.
LoopCheck CheckLoopForm(const Configuration& c, LoopForm& form, bool fcRefused = false);
// The answer to the FC question: Yes clears the FC addresses and returns true
// (go on closing); No gives up this dialog's edits (the form back to the loop
// as its records hold it, the change mark as it was when the dialog opened,
// SavedRegModified) and keeps every other loop's edits; Cancel changes nothing.
bool AnswerFcRefusal(Configuration& c, LoopForm& form, Answer answer);

// Stores checked values into loop record "Регулятор №" - 1 (and its inner
// loop and program record).
void StoreLoopForm(Configuration& c, const LoopForm& form);

// --- deleting ------------------------------------------------------------------

// Deletes loop record `loop` with its cascade inner record and its program
// record, and corrects the links of the loops after it. Marks loops changed.
void DeleteLoop(Regulators& r, int loop);
// Deletes every selected loop; false (nothing deleted) when none is selected.
bool DeleteSelectedLoops(Regulators& r);

// --- copying --------------------------------------------------------------------

inline constexpr const char* kNoRoomText = "количество вставляемых блоков превышает количество свободных";

enum class PasteResult { Pasted, NothingCopied, NoRoom, DacUsed };
// Loop records flagged in `copied` (with their cascade inner loops and their
// programs) that a paste would add.
int CopiedLoopCount(const std::array<Regulators::Record, Regulators::RecordCount>& loops,
                    const std::array<int, Regulators::RecordCount>& copied);
// Adds copied loops after the loops in use: cascade links follow the new
// places, a program loop takes a free generator with a copy of its program.
// Nothing changes unless everything fits and no DAC output is used twice.
PasteResult AddCopiedLoops(Regulators& r,
                           const std::array<Regulators::Record, Regulators::RecordCount>& loops,
                           const std::array<Regulators::Record, Regulators::RecordCount>& programs,
                           const std::array<int, Regulators::RecordCount>& copied);

// --- the controller ------------------------------------------------------------

// Blocks 32 and 33 from the controller; a failure is shown and ends the read.
// Afterwards the records are the reference copy.
bool ReadRegulatorBlocks(ModbusLink& port, Configuration& c, Interaction& ui);
// The editor's write: the question when nothing changed, then block 32 and
// block 33, each kept as the reference copy once stored; a failure keeps the
// edits and their change mark. False when not everything was written.
bool WriteRegulatorBlocks(ModbusLink& port, Configuration& c, Interaction& ui);
inline constexpr const char* kRegulatorBlockNotWrittenText = "Блок № %d не записан в прибор";
// Whether blocks 32 and 33 as packed now differ from what the controller (or the file) holds.
bool RegulatorBlocksChanged(const Configuration& c);

enum class EditorClose { Close, Stay };
// Closing the editor: in file mode only the file is marked changed; with
// changes in device mode the send question.
EditorClose CloseRegulatorEditor(ModbusLink& port, Configuration& c, Interaction& ui);

// Puts loop and program records back from the reference copy.
void RestoreRegulatorReference(Configuration& c);

}  // namespace zul
