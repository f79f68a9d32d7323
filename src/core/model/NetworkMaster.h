#pragma once
// The local-network master block (block 10: sixteen 12-byte poll entries and
// the line settings), the settings of the analog signals received over the
// network (169-byte records in the analog module layout) and their last online
// values, with the rules that keep signal positions consistent when an entry
// changes: chaining of positions, the service block's network signal table and
// the renumbering of everything that refers to moved signals.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/model/AnalogChannel.h"

namespace zul {

class ServiceBlock;
class DiscreteProcessing;
class FunctionBlocks;

class NetworkMaster {
 public:
  static constexpr int kMasterBlockNumber = 10;
  static constexpr int kMasterSize = 194;
  static constexpr int kEntries = 16;
  static constexpr int kEntrySize = 12;
  static constexpr int kLineSettingsByte = 193;
  static constexpr int kRecords = 8;
  static constexpr int kRecordSize = kAnalogRecordSize;  // 169
  static constexpr int kAnalogSignals = 48;
  static constexpr int kDiscreteSignals = 252;
  static constexpr int kOnlineTextSize = 7;
  static constexpr int kOnlineValueSize = kOnlineTextSize + 1;
  static constexpr int kF15BlockLen = 81;
  static constexpr int kReadFunction = 68;
  static constexpr int kAnswerDataOffset = 3;  // answers counted from the address byte
  static constexpr int kMaxCodeLimit = 16384;

  // Texts of a refused chaining, shown together under kChainCaption.
  static constexpr std::string_view kNoDiscreteAddresses = "не хватает свободных адресов лок. сети\n";
  static constexpr std::string_view kNoAnalogAddresses = " Не хватает адресов для аналоговых входов\n";
  static constexpr std::string_view kChainCaption = " Ошибка ввода ";

  using Record = std::array<uint8_t, kRecordSize>;

  // Signals an entry occupies.
  struct BlockSizes {
    int discrete = 0;
    int analog = 0;
    bool operator==(const BlockSizes&) const = default;
  };
  // Functions 1, 2: one discrete signal per output; 3, 4: one analog signal
  // and its four limit signals per output; anything else nothing.
  static BlockSizes SizesOf(int function, int outputs);

  struct ChainResult {
    bool ok = true;
    std::string message;  // the warnings of a refusal, empty when ok
  };

  // --- data -------------------------------------------------------------------
  std::array<uint8_t, kMasterSize> MasterBlock{};
  std::array<Record, kRecords> Records{};  // record r is block N + 1 + r (N analog modules)
  std::array<std::array<uint8_t, kOnlineTextSize>, kAnalogSignals> OnlineText{};
  std::array<uint8_t, kAnalogSignals> OnlineStatus{};
  std::array<int, kAnalogSignals> OnlineAlarm{};                 // status bits 2-0
  std::array<std::array<int, 3>, kAnalogSignals> OnlineFault{};  // status bits 7, 6, 5
  int MasterBlockLen = kMasterSize;
  int F15BlockLen = kF15BlockLen;
  int RecordLen = kRecordSize;

  // --- editing state of the network editors -------------------------------------
  int MasterUnchanged = 1;
  int BlockListChanged = 0;
  int LineUnchanged = 1;
  int NotRenumbered = 1;  // 0 once an edit or a deletion has moved signals
  std::array<int, kEntries> EntryError{};
  int OldDiscreteSize = 0;  // of the entry when its editor opened
  int EditMode = 0;         // 0 creating an entry, 1 correcting one
  int OutputsChanged = 0;
  int FunctionKindChanged = 0;  // 0, 1 or 4
  int DiscreteShift = 0;
  int AnalogShift = 0;
  int ShownOnlineSignal = -1;
  std::string ShownOnlineName;

  // --- master block bytes ---------------------------------------------------------
  // A function-68 answer: bytes 3..196 (block number first). Another function
  // leaves the block as it was; bytes a short answer lacks become 0.
  void StoreMasterAnswer(int function, const uint8_t* answer, size_t length);
  int GetMasterByte(int i) const;
  void SetMasterByte(int i, int v);
  // The answer's byte count, kept within the block.
  void SetMasterBlockLen(int byteCount);

  // --- entries (k = 0..15; an index outside reads 0 and stores nothing) ------------
  int GetFunction(int k) const { return EntryByte(k, 0); }
  void SetFunction(int k, int v) { SetEntryByte(k, 0, v); }
  int GetOutputs(int k) const { return EntryByte(k, 1); }
  void SetOutputs(int k, int v) { SetEntryByte(k, 1, v); }
  int GetSlave(int k) const { return EntryByte(k, 2); }
  void SetSlave(int k, int v) { SetEntryByte(k, 2, v); }
  int GetStartAddress(int k) const { return EntryWord(k, 3); }
  void SetStartAddress(int k, int v) { SetEntryWord(k, 3, v); }
  int GetDataCount(int k) const { return EntryWord(k, 5); }
  void SetDataCount(int k, int v) { SetEntryWord(k, 5, v); }
  int GetSlaveType(int k) const { return EntryByte(k, 7) & 0x0F; }
  void SetSlaveType(int k, int v);
  int GetDataType(int k) const { return (EntryByte(k, 7) >> 4) & 1; }
  void SetDataType(int k, int v);  // also clears bits 7-6
  int GetByteOrder(int k) const { return (EntryByte(k, 7) >> 5) & 1; }
  void SetByteOrder(int k, int v);
  int GetFirstDiscrete(int k) const { return EntryByte(k, 8); }
  void SetFirstDiscrete(int k, int v) { SetEntryByte(k, 8, v); }
  int GetFirstAnalog(int k) const { return EntryByte(k, 9); }
  void SetFirstAnalog(int k, int v) { SetEntryByte(k, 9, v); }
  int GetMaxCode(int k) const { return EntryWord(k, 10); }
  void SetMaxCode(int k, int v) { SetEntryWord(k, 10, v); }
  bool EntryInUse(int k) const { return GetFunction(k) != 0; }
  BlockSizes GetBlockSizes(int k) const { return SizesOf(GetFunction(k), GetOutputs(k)); }
  // Every byte of entry k zero.
  void ClearEntry(int k);

  // Line settings in byte 193; bits 7-4 are written 0.
  int GetBaudIndex() const { return (MasterBlock[kLineSettingsByte] >> 2) & 3; }
  void SetBaudIndex(int v);
  int GetFrameIndex() const { return MasterBlock[kLineSettingsByte] & 3; }
  void SetFrameIndex(int v);

  // --- network analog records (r = 0..7, i = 0..168) ------------------------------
  // A function-68 answer: bytes 3..171 into record r (block number first).
  void StoreRecordAnswer(int function, const uint8_t* answer, size_t length, int r);
  int GetRecordByte(int r, int i) const;
  void SetRecordByte(int r, int i, int v);
  // Clears record r and fills it from file or reference-copy bytes.
  void LoadRecord(int r, const uint8_t* source, size_t length);
  void SetRecordLen(int byteCount);

  // --- settings of network analog signal a (0..47, counted from the first
  // network analog signal; channel a mod 6 of record a div 6) --------------------
  int GetUnitIndex(int a) const;
  void SetUnitIndex(int a, int v);
  // Values as the module windows show them, moved 0.000045 away from zero
  // first so that a value Float24 truncated toward zero (0,1 kept as
  // 0,099994) shows as the number typed.
  std::string GetScaleMin(int a) const { return GetValueText(a, AnalogValue::ScaleMin); }
  bool SetScaleMin(int a, std::string_view text) { return SetValueText(a, AnalogValue::ScaleMin, text); }
  std::string GetScaleMax(int a) const { return GetValueText(a, AnalogValue::ScaleMax); }
  bool SetScaleMax(int a, std::string_view text) { return SetValueText(a, AnalogValue::ScaleMax, text); }
  std::string GetSetpointLL(int a) const { return GetValueText(a, AnalogValue::SetpointLL); }
  bool SetSetpointLL(int a, std::string_view text) { return SetValueText(a, AnalogValue::SetpointLL, text); }
  std::string GetSetpointL(int a) const { return GetValueText(a, AnalogValue::SetpointL); }
  bool SetSetpointL(int a, std::string_view text) { return SetValueText(a, AnalogValue::SetpointL, text); }
  std::string GetSetpointH(int a) const { return GetValueText(a, AnalogValue::SetpointH); }
  bool SetSetpointH(int a, std::string_view text) { return SetValueText(a, AnalogValue::SetpointH, text); }
  std::string GetSetpointHH(int a) const { return GetValueText(a, AnalogValue::SetpointHH); }
  bool SetSetpointHH(int a, std::string_view text) { return SetValueText(a, AnalogValue::SetpointHH, text); }
  float GetValue(int a, AnalogValue which) const;
  std::string GetPosition(int a) const;
  void SetPosition(int a, std::string_view text);

  // Close a gap of n settings at a: each later signal moves n places down and
  // the last n of `positions` network positions get default settings.
  void RemoveAnalogSettings(int a, int n, int positions = kAnalogSignals);
  // Open a gap of n settings at a: each signal from a on moves n places up;
  // what passes `positions` is lost. The gap keeps its old settings.
  void InsertAnalogSettings(int a, int n, int positions = kAnalogSignals);
  // Default settings (blank name, unit 1, scale 0..100, LL 0, L 0, H 100, HH 100).
  void ResetSettings(int a, int n);
  // The same with the name поз.51 and a + 1 in two digits.
  void SetNewSettings(int a);
  // The network records of a new configuration with `aiModules` analog
  // modules: records 0..7-N cleared and numbered N+1.., every network position
  // with its new settings; the records past them cleared.
  void SetNewRecords(int aiModules);

  // --- online values ----------------------------------------------------------------
  // A function-71 answer: from byte 3, eight bytes (7 of text, 1 of status)
  // for each of `count` analog signals from absolute position `first` on.
  // Signals the answer or the table cannot hold are skipped.
  void StoreOnlineAnswer(const uint8_t* answer, size_t length, int count, int first);
  std::string GetOnlineText(int s) const;

  // --- rules over the whole network -------------------------------------------------
  // Lays out the positions of the entries after edited entry k. On an
  // overflow (a block ending past 252 discrete or 48 analog signals) the
  // entries are left as they were, entry k's function becomes 0 and the
  // warnings come back; otherwise the service block's signal totals follow.
  ChainResult ChainBlocks(int k, ServiceBlock& serv);
  // The service block's network signal table and identifiers from the entries.
  void RebuildNetSignals(ServiceBlock& serv) const;
  // After an accepted correction of entry k that changed its sizes from
  // `before` to those it has now (positions already chained): renumbers the
  // function blocks, moves the processing records, signal texts and network
  // analog settings, and marks the master block changed.
  void RenumberAfterEdit(int k, BlockSizes before, ServiceBlock& serv, DiscreteProcessing& zul,
                         FunctionBlocks& fb);
  // Deletes entry k: the later entries move down one place keeping the
  // positions laid out from k on, the service block's totals and network
  // table follow, and the processing records, texts, function block
  // references and network analog settings of the deleted signals go. False
  // (nothing changed) for a free entry.
  bool DeleteBlock(int k, ServiceBlock& serv, DiscreteProcessing& zul, FunctionBlocks& fb);

 private:
  int EntryByte(int k, int b) const;
  void SetEntryByte(int k, int b, int v);
  int EntryWord(int k, int b) const { return EntryByte(k, b) | (EntryByte(k, b + 1) << 8); }
  void SetEntryWord(int k, int b, int v);
  uint8_t* Channel(int a);
  const uint8_t* Channel(int a) const;
  std::string GetValueText(int a, AnalogValue which) const;
  bool SetValueText(int a, AnalogValue which, std::string_view text);
  void CopySettings(int from, int to);
  void DefaultSettings(int a, std::string_view position);
};

}  // namespace zul
