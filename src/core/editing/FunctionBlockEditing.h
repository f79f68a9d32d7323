#pragma once
// What the function block editor does to the configuration: create, insert
// and delete blocks, copy groups and insert the copies, alarms and relay
// outputs of a block, algorithm membership, the regulator references to block
// numbers, and the exchange of the table with the controller. The editor's
// window only asks and redraws; every rule that changes data lives here.
//
// Record indexes are 0-based, block numbers 1-based. An operation that stops
// half way leaves the table as it was before it.
#include <array>
#include <string>
#include <vector>

#include "core/editing/FunctionBlockForm.h"
#include "core/model/FunctionBlocks.h"
#include "core/model/Regulators.h"

namespace zul {

struct Configuration;
class Interaction;
class ModbusLink;
class ReserveBlocks;

inline constexpr const char* kAllBlocksCreatedText = "Все функциональные блоки созданы";
inline constexpr const char* kNoBlockSelectedText = "Не выбран ФБ";
inline constexpr const char* kNoSelectedBlocksText = "Нет выделенных ФБ";
inline constexpr const char* kDeleteQuestionText = "Удалить выделенные ФБ?";
inline constexpr const char* kDeleteQuestionCaption = "Подтвердите удаление ";
inline constexpr const char* kTooManyToInsertText =
    "количество вставляемых блоков превышает количество свободных";
inline constexpr const char* kCopiedWithGapText = "ФБ должны быть скопированы без разрыва";
inline constexpr const char* kUnavailableText = "Недоступная функция";
inline constexpr const char* kBlockNotCreatedText = "ФБ с таким номером не создан";
inline constexpr const char* kNoCellChosenText = "Не выбран № ячейки светового табло";
inline constexpr const char* kWrongCellText = "Неверно выбран № ячейки светового табло";
inline constexpr const char* kNoAlarmPanelText = "Панель сигн. для ФБ с таким номером не создана";
inline constexpr const char* kWrongBlockNumberText = "Неверно выбран № программируемого ФБ";
inline constexpr const char* kSendQuestionCaptionFB = "Подтвердите передачу данных";
inline constexpr const char* kUnchangedSendQuestion = "Данные не были изменены.Передавать?";
inline constexpr const char* kUnchangedRegulatorsQuestion =
    "Данные БД регуляторов не были изменены.Передавать?";
inline constexpr const char* kChangedCloseQuestion = "Данные были изменены. Передать в прибор?";
inline constexpr int kFirstFunctionBlockPage = 68;
inline constexpr int kPanelCellCount192 = 192;  // the light panel whose cells need no alarm type

// The function block table, the algorithms and the regulator loops as they
// were at one moment: what undo goes back to and what a cancelled dialog
// puts back.
// Kept compact (bytes, as the file keeps them): the history holds a hundred.
struct FunctionBlockSnapshot {
  int tableSize = FunctionBlocks::kCapacity;
  int algCount = 0;
  int changed = 0;
  int regChanged = 0;
  std::array<std::array<uint8_t, FunctionBlocks::kRecordSize>, FunctionBlocks::kCapacity> records{};
  std::array<uint8_t, FunctionBlocks::kCapacity + 1> algStart{};
  std::array<std::array<uint8_t, FunctionBlocks::kCapacity + 1>, FunctionBlocks::kCapacity + 1> algMembers{};
  std::array<uint8_t, FunctionBlocks::kCapacity * FunctionBlocks::kNameSize> names{};
  std::array<Regulators::Record, Regulators::RecordCount> loops{};

  static FunctionBlockSnapshot Take(const Configuration& c);
  void Restore(Configuration& c) const;
};

// --- regulator references to block numbers -------------------------------------

enum class RegulatorLink { FcOn, FcReturn, TwoPosition };
struct RegulatorReference {
  int regulator;  // 0-based loop record
  RegulatorLink link;
  int block;  // 1-based block number, never 0
};

// Every block a loop refers to: the FC-on and FC-return blocks of single-loop
// regulators, the switching block of two-position regulators.
std::vector<RegulatorReference> RegulatorReferences(const Regulators& reg);
// "Внимание!\nФБ<n> используется для..." naming the regulator (1-based).
std::string RegulatorWarningText(const RegulatorReference& ref);
// A block is inserted at number `first` (count blocks): references to it are
// warned about, every reference >= first moves up by count (beyond the table: 0).
void ShiftRegulatorsForInsert(Configuration& c, int first, int count, Interaction& ui);
// Block `block` is about to go: false (and the warning) when a loop refers to
// it; otherwise references above it move down one.
bool ReleaseRegulatorsForDelete(Configuration& c, int block, Interaction& ui);
// The block references of the loops as the reserve copy holds them.
void RestoreRegulatorReferences(Regulators& reg, const ReserveBlocks& reserve);

// --- creating, inserting, deleting ------------------------------------------------

// Room for one more block: false with "Все функциональные блоки созданы".
bool HasRoomForBlock(const FunctionBlocks& fb, Interaction& ui);
// Moves the calculation records up one place and clears the record after the
// last block; returns that record's index, -1 when the table is full (shown).
int PrepareBlockCreation(Configuration& c, Interaction& ui);
// Opens a one-record gap at `index` (records, FB-output references and
// algorithm members move up; the new block joins the algorithm of the block it
// comes before). The record at `index` is left empty for the dialog's values.
bool OpenGapForBlock(Configuration& c, int index);
// Inserts a block with the dialog's values before record `index`: the gap
// opens, the values are checked against the table as it was (the dialog
// showed that one), then the new block's own FB-output references to blocks
// from `index` + 1 on move up one, as every other reference did. The values
// get the numbers back as stored. False when there is no room.
bool InsertBlock(Configuration& c, int index, FunctionBlockValues& values);
// After a creation or insertion: recount, and blocks above 62 lose alarm,
// cell and archiving.
void FinishStructuralChange(Configuration& c);

// Deletes the selected blocks (indexes in any order) after the question;
// returns how many went. A block a regulator refers to stays, with a warning.
int DeleteSelectedBlocks(Configuration& c, std::vector<int> selected, Interaction& ui);
// Deletes block `index` without asking; false when a regulator keeps it.
bool DeleteBlock(Configuration& c, int index, Interaction& ui);

// --- copied groups --------------------------------------------------------------------

// The selected blocks into the copy area; returns how many were copied.
int CopyBlocksToClipboard(Configuration& c, const std::vector<int>& selected);
bool HasCopiedBlocks(const Configuration& c);

struct GroupInsertResult {
  bool inserted = false;
  int first = -1;  // index of the first copy
  int count = 0;
};
// Inserts the copied group before record `before`, or appends it when
// `before` is -1. Refuses (table unchanged) when there is no room or the copy
// has a gap.
GroupInsertResult InsertCopiedGroup(Configuration& c, int before, Interaction& ui);

// --- algorithms -----------------------------------------------------------------------

// Block `block` (1-based) leaves its algorithm; members above it move down;
// an emptied algorithm is removed.
void RemoveBlockFromAlgorithms(FunctionBlocks& fb, int block);
// Members >= first move up by n (beyond FBLimit: the entry empties).
void ShiftAlgorithmMembers(FunctionBlocks& fb, int first, int n);
// Inserts block numbers first..first+n-1 into algorithm `alg` before entry `pos`.
void AddAlgorithmMembers(FunctionBlocks& fb, int alg, int pos, int first, int n);
// AlgStart from the first entries of the rows.
void RebuildAlgorithmStarts(FunctionBlocks& fb);
// The algorithm (0-based) that lists block `block`, -1 none; `pos` gets its entry.
int AlgorithmOfBlock(const FunctionBlocks& fb, int block, int* pos = nullptr);

// --- alarm and relay outputs of a block -------------------------------------------------

bool BlockExists(const FunctionBlocks& fb, int index);
bool HasAlarm(const FunctionBlocks& fb, int index);
bool HasRelays(const FunctionBlocks& fb, int index);
// The refusals of "Добавить  блок сигнализации"; true when the alarm may be added.
bool CanAddAlarm(const Configuration& c, int index, Interaction& ui);
bool CanAddRelays(const Configuration& c, int index, Interaction& ui);
// Stores what the alarm dialog gave, with its checks: an unchosen or wrong
// cell is told and taken back.
void StoreBlockAlarm(Configuration& c, int index, int alarmType, int cell, Interaction& ui);
void ClearBlockAlarm(Configuration& c, int index);
// Relay masks of modules 1..5 (index 0..4); modules beyond the relay module
// count stay 0.
std::array<int, 5> BlockRelayMasks(const FunctionBlocks& fb, int index);
void StoreBlockRelays(Configuration& c, int index, const std::array<int, 5>& masks);
void ClearBlockRelays(Configuration& c, int index);

// --- the controller ---------------------------------------------------------------------

// Pages 68.. into the table; progress per page. On success the algorithms go
// (the controller keeps none). A failure is shown and keeps the pages read;
// ui.StopRequested() ends the read quietly before the next page, the same way.
bool ReadFunctionBlockTable(Configuration& c, ModbusLink& link, Interaction& ui);
// The pages with 50 ms pauses; success makes the table the reference copy.
bool WriteFunctionBlockTable(Configuration& c, ModbusLink& link, Interaction& ui);
// Block 32 (nothing without a regulator module); success refreshes the
// reserve copy of the loops. On failure the
// references stay as they are, so the table and the loops still agree.
bool WriteRegulatorLoops(Configuration& c, ModbusLink& link, Interaction& ui);
// Whether the pages (in file mode also the names and algorithms) differ from
// what the controller or the file holds.
bool FunctionBlockTableChanged(const Configuration& c);
// Whether block 32, whose regulator references the editor shifts, differs.
bool LoopBlockChanged(const Configuration& c);
// The table, the algorithms and (when they changed) the loop references from
// the reference copy: the "No" of the closing question.
void RestoreFunctionBlocksFromReference(Configuration& c);

}  // namespace zul
