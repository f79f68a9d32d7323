#pragma once
// What the discrete processing editor does to the configuration: the rows of
// its scheme, the selection, handlers and their alarm, delay and relay
// blocks, the group copy/paste/delete, the corrections a record gets when it
// is drawn or pasted, the signal chosen by the identifier dialog, snapshots
// for undo, and the exchanges of the editor (its read, its record write and
// the immediate text write). The window only draws and asks.
//
// Every signal or row number taken here is checked; an out-of-range number
// changes nothing.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/DiscreteProcessing.h"
#include "core/model/ServiceBlock.h"
#include "core/report/RtfReport.h"

namespace zul {

class Interaction;
class ModbusLink;
struct Configuration;

// Light-panel cell count of the displays that number no cells.
inline constexpr int kUnnumberedCells = 192;

inline constexpr const char* kNoAccessText = "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт";
inline constexpr const char* kConfirmTransferCaption = "Подтвердите передачу данных";
inline constexpr const char* kUnchangedQuestion = "Данные не были изменены.Передавать?";
inline constexpr const char* kChangedQuestion = "Данные были изменены. Передать в прибор?";

// --- figures of the scheme --------------------------------------------------------------
// 12 D + 24 A: the signals of the own modules.
int OwnSignalCount(const ServiceBlock& s);
// The signals of the base, or the own signals when the base reports none.
int SchemeSignalLimit(const ServiceBlock& s);
// Light-panel cells of the configured indication (0: none, 192: unnumbered).
int LightPanelCells(const ServiceBlock& s);
int RelayModuleCount(const ServiceBlock& s);  // 0..8

// --- records as the scheme shows them ------------------------------------------------------
// The cell rules of loading: a cell beyond the panel (or no panel) loses cell
// and alarm, an unnumbered panel loses the cell only.
void CorrectCell(ProcessingRecord& r, int cells);
// Pasted records: the cell beyond the panel or on an unnumbered panel is 0,
// no relay modules means no delay, masks of absent modules are 0.
void CorrectPasted(ProcessingRecord& r, int cells, int relayModules);
bool HasAlarm(const ProcessingRecord& r);
bool HasDelay(const ProcessingRecord& r);
bool HasRelays(const ProcessingRecord& r);
int AlarmTypeOf(const ProcessingRecord& r);  // 0..3
int CellOf(const ProcessingRecord& r);
int DelayTimeOf(const ProcessingRecord& r);
int DelayUnitOf(const ProcessingRecord& r);  // 1 or 10

// Rebuilds the rows from the records: one row per active record below the
// signal limit, ascending; corrects each record as it is drawn (a mask of an
// absent relay module is cleared and marks the data modified). Clears the
// selection, CurRow and CurSignal; sets SchemeAssigned.
void BuildScheme(Configuration& c);
int RowOfSignal(const DiscreteProcessing& z, int signal);  // -1: not on the scheme
bool IsRowValid(const DiscreteProcessing& z, int row);

// --- selection -----------------------------------------------------------------------------
void SelectOnly(DiscreteProcessing& z, int row);
// Ctrl+click: toggles the row; one selected row left becomes the current one.
void ToggleSelected(DiscreteProcessing& z, int row);
void ClearSelection(DiscreteProcessing& z);  // also ClipState
void SelectAll(DiscreteProcessing& z);
std::vector<int> SelectedRows(const DiscreteProcessing& z);

// --- handlers ----------------------------------------------------------------------------------
enum class CreateOutcome { Created, AlreadyShown, RowTaken, AllCreated, BadSignal };
inline constexpr const char* kRowTakenText = "существует вход с порядковым № ";
// Appends a row for `signal` with the contact type and archiving chosen; the
// record keeps its other bits. The new row becomes the only selected one.
// `row` is the 0-based row the identifier dialog named (-1: the next one); a
// row that already exists is refused with RowTaken, a signal that already has
// a row with AlreadyShown, and then nothing changes.
CreateOutcome CreateHandler(Configuration& c, int signal, bool normallyOpen, bool archive, int row = -1);
// A new handler whose text was not typed: a blank text gets the default one,
// a text the user gave the signal earlier stays.
void GiveNewHandlerText(ServiceBlock& s, int signal);
// The row shows `signal` instead: the old record (with the contact and
// archiving chosen) moves to the new signal and the old one is emptied; a
// row already showing the new signal is deleted first. Returns the row now
// showing the signal, or -1 when nothing changed.
int ChangeIdentifier(Configuration& c, int row, int signal, bool normallyOpen, bool archive);
// Clears alarm, cell, delay and masks of the row's signal and removes the row;
// the next read of the editor then only rebuilds, so the delete is not lost.
void DeleteHandler(Configuration& c, int row);

// Alarm dialog outcome (type 0..3, cell as typed): applies the cell rules,
// shows their warning and stores. Returns the stored {type, cell}.
std::array<int, 2> ApplyAlarm(Configuration& c, int signal, int type, int cell, Interaction& ui);
// Delay dialog outcome as typed: checks, warns and stores. Returns {unit, time}.
std::array<int, 2> ApplyDelay(Configuration& c, int signal, std::string_view unitText,
                              std::string_view timeText, Interaction& ui);
// Masks of relay modules 1..N from the outputs dialog.
void ApplyRelayMasks(Configuration& c, int signal, const std::array<int, 8>& masks);
void RemoveAlarm(DiscreteProcessing& z, int signal);
void RemoveDelay(DiscreteProcessing& z, int signal);
void RemoveRelays(DiscreteProcessing& z, int signal);

// --- group operations ---------------------------------------------------------------------
// Records of the selected rows (in row order) onto the clipboard; returns
// their number and sets ClipState.
int CopySelected(Configuration& c);
int ClipboardCount(const Configuration& c);
// Pastes after the highest signal on the scheme; returns the signals pasted.
// The scheme is rebuilt and the pasted rows selected.
std::vector<int> PasteAfterLast(Configuration& c);
// Pastes over the signals from `firstNumber` (1-based) on; empty when the
// number is beyond the base.
std::vector<int> PasteFrom(Configuration& c, int firstNumber);
// The first clipboard record replaces the signal's record, cell rules applied.
void ReplacePassport(Configuration& c, int signal);
// Clears alarm, delay and masks of every selected row's signal; rebuilds and,
// like DeleteHandler, makes the next read of the editor only rebuild.
void DeleteSelected(Configuration& c);

// --- the identifier dialog's signal --------------------------------------------------------
struct SignalSource {
  bool network = false;
  bool analog = false;
  int module = 1;    // own module (1-based among its kind) or network block (1-based)
  int input = 1;     // input / channel / block output (1-based)
  int setpoint = 0;  // 0 LL, 1 L, 2 H, 3 HH
  bool operator==(const SignalSource&) const = default;
};
// Discrete and analog inputs of network block k (1-based), from the service block.
int NetBlockDiscrete(const ServiceBlock& s, int k);
int NetBlockAnalog(const ServiceBlock& s, int k);
int NetBlockCount(const ServiceBlock& s);  // the last block with signals
bool HasNetworkSignals(const ServiceBlock& s);
// The signal index a source names; -1 beyond the base.
int SignalOfSource(const ServiceBlock& s, const SignalSource& src);
// The source of a signal (edit mode); network signals walk the blocks.
SignalSource SourceOfSignal(const ServiceBlock& s, int signal);
// Upper limits of the module and input fields of a source kind.
struct SourceLimits {
  int modules = 1;
  int inputs = 1;
};
SourceLimits LimitsOf(const ServiceBlock& s, const SignalSource& src);
std::string SlaveTypeName(int type);

// --- undo ---------------------------------------------------------------------------------------
// What an editor step can change: the records, the texts and the rows.
struct DiscreteSnapshot {
  std::array<ProcessingRecord, DiscreteProcessing::kSignals> records{};
  std::array<std::array<uint8_t, ServiceBlock::kTextWidth>, ServiceBlock::kSignals> texts{};
  std::array<int, DiscreteProcessing::kSignals> rowSignal{};
  int rowCount = 0;
  bool operator==(const DiscreteSnapshot&) const = default;
};
DiscreteSnapshot CaptureDiscrete(const Configuration& c);
// Puts the snapshot back; the selection is cleared.
void RestoreDiscrete(Configuration& c, const DiscreteSnapshot& s);

// --- exchanges ------------------------------------------------------------------------------------
struct EditorReadResult {
  bool ok = false;
  bool stopped = false;  // the user stopped it between two blocks (no message)
  int block = -1;        // the block that failed (-1 identity)
  int code = 0;
};
// Identity, the network master block when the base has network signals, the
// 14 record blocks, the text blocks and the analog module block; progress 120
// in steps of 5. A failure is shown and ends the read; ui.StopRequested()
// ends it quietly before the next block.
EditorReadResult ReadEditorBlocks(ModbusLink& port, Configuration& c, Interaction& ui);

enum class EditorWriteOutcome { Written, NoAccess, FileMode, CloseEditor, Declined, Failed };
struct EditorWriteResult {
  EditorWriteOutcome outcome = EditorWriteOutcome::NoAccess;
  int block = 0;  // the record block that failed
};
inline constexpr const char* kBlockNotWrittenText = "Блок № %d не записан в прибор";
// "Вывод на СОМ-порт": checks and questions, then the 14 record blocks; the
// reference copy takes the records when all were stored. A failure names the
// block and leaves Modified as it was.
EditorWriteResult WriteProcessingRecords(ModbusLink& port, Configuration& c, Interaction& ui);
// The text block of a signal, written at once (not in file mode); true when stored.
bool WriteSignalTextBlock(ModbusLink& port, Configuration& c, int signal, Interaction& ui);

// --- printout -------------------------------------------------------------------------------------
// The relay lines of the printout for one row's signal.
std::string RelayOutputsText(const Configuration& c, int signal);
// The scheme's rows as the printout lists them.
Report DiscreteSchemeReport(const Configuration& c, const std::string& title);

}  // namespace zul
