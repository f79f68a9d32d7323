#pragma once
// The controller's function block table (ordinary blocks, then the flow
// integrator records, then the arithmetic blocks), the algorithm names and
// groups that live only in the configuration file, and the state of the
// function block editor.
//
// Record indexes are 0-based; block numbers inside records are 1-based.
// Accessors ignore an index outside the table (getters return 0), so a bad
// number can never write past the arrays.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zul {

// Kinds of ordinary blocks; the type code in a record is the ordinal + 1.
enum TFBType {
  ftAND,
  ftANDInv,
  ftOR,
  ftORInv,
  ftGisterezis,
  ftTimer,
  ftTrigger,
  ftComparator,
  ftCounter,
};

// Where a block input takes its signal from.
enum InputSourceKind {
  srcDiscrete = 0,         // discrete input signal
  srcFBOutput = 1,         // output of a function block, or a КВУ number
  srcAnalogInvalid = 2,    // invalidity flag of an analog signal
  srcCoDeSys = 3,          // output of a CoDeSys algorithm
  srcDiscreteInvalid = 4,  // invalidity flag of a discrete signal
};

// The ten ways the signal tables change under the function blocks. `a` is the
// 0-based position of the first affected signal, `n` and `m` are counts.
enum class SignalRenumbering {
  DiscreteRemovedCleared,  // a+1..a+n -> 0, above -> -n
  DiscreteRemovedShift,    // >= a+1 -> -n
  DiscreteOneRemoved,      // a+1 -> 0
  DiscreteGroupRegrown,    // a+1..a+n -> 0, above -> +m
  DiscreteInserted,        // >= a+1 -> +n
  AnalogRemovedCleared,
  AnalogRemovedShift,
  AnalogOneRemoved,
  AnalogGroupRegrown,
  AnalogInserted,
};

class FunctionBlocks {
 public:
  static constexpr int kCapacity = 120;
  static constexpr int kRecordSize = 19;
  static constexpr int kPageRecords = 10;
  static constexpr int kPageSize = kPageRecords * kRecordSize;  // 190
  static constexpr int kNameSize = 100;
  static constexpr int kTextPageSize = kPageRecords * kNameSize;  // 1000
  static constexpr int kEmptyEntry = 255;                         // empty entry of the algorithm tables
  static constexpr int kTypeCalc = 12;                            // integrator and arithmetic records
  static constexpr int kMaxSourceNumber = 186;
  static constexpr int kMaxDiscreteSignals = 252;
  static constexpr int kMaxAnalogSignals = 48;
  static constexpr int kMaxArithBlocks = 24;
  static constexpr int kMaxIntegratorRecords = 2;
  // Alarm type, cell and archiving exist only for blocks 1..62.
  static constexpr int kAlarmBlocks = 62;

  FunctionBlocks();

  // --- sizes -------------------------------------------------------------
  int GetCapacity() const { return kCapacity; }
  int GetTableSize() const { return TableSize; }
  // 10..120 in whole pages (older files hold 60 records).
  void SetTableSize(int size);
  int GetPageCount() const { return TableSize / kPageRecords; }
  int GetIntegratorRecords() const { return IntegratorRecords; }
  void SetIntegratorRecords(int count);  // clamped to 0..2
  int GetArithCount() const { return ArithCount; }
  void SetArithCount(int count);  // clamped to 0..24
  // Records ordinary blocks may occupy.
  int FBLimit() const;
  // Upper bound of the records and FB-output numbers the renumbering visits.
  int RenumberBound() const;
  // Counts the leading ordinary blocks into FBCount and the calculation
  // records after them into IntegratorRecords and ArithCount.
  void RecountBlocks();

  // Inputs a block kind has: 4 for codes 1-4, 7, 9; 2 for 5; 2 for 6 (1 for
  // the alarm clock, subtype 5); 1 for 8; 0 for anything else.
  static int CountInputs(int typeCode, int subtype);

  // --- common fields -------------------------------------------------------
  int GetTypeCode(int i) const;
  void SetTypeCode(int i, int code);  // writes the whole of byte 0: subtype 0
  int GetSubtype(int i) const;
  void SetSubtype(int i, int v);
  // The subtype under the names each kind gives it.
  int GetTimerType(int i) const { return GetSubtype(i); }
  void SetTimerType(int i, int v) { SetSubtype(i, v); }
  int GetTriggerType(int i) const { return GetSubtype(i); }
  void SetTriggerType(int i, int v) { SetSubtype(i, v); }
  int GetSetpointAddress(int i) const { return GetSubtype(i); }  // comparator: 0 fixed, 1..10
  void SetSetpointAddress(int i, int v) { SetSubtype(i, v); }
  int GetOperation(int i) const { return GetSubtype(i); }  // arithmetic: 1..5
  void SetOperation(int i, int v) { SetSubtype(i, v); }

  // Input k (0..3). A comparator's one discrete input (k = 0) lies in bytes
  // 7-8; every other kind has input k in bytes 1 + 2k and 2 + 2k.
  int GetInputSource(int i, int k) const;
  void SetInputSource(int i, int k, int v);
  int GetInputPolarity(int i, int k) const;  // 1 direct, 0 inverse
  void SetInputPolarity(int i, int k, int v);
  int GetInputNumber(int i, int k) const;
  void SetInputNumber(int i, int k, int v);

  int GetAlarmType(int i) const;  // byte 9 bits 6-7
  void SetAlarmType(int i, int v);
  int GetCell(int i) const;  // byte 9 bits 0-4
  void SetCell(int i, int v);
  int GetArchive(int i) const;  // byte 9 bit 5
  void SetArchive(int i, int v);
  int GetRelayByte(int i, int module) const;  // module 1..5: byte 9 + module
  void SetRelayByte(int i, int module, int v);

  int GetByte(int i, int pos) const;  // pos 0..18
  void SetByte(int i, int pos, int v);
  // The whole record, for copies and reference copies.
  std::span<const uint8_t, kRecordSize> Record(int i) const;
  void SetRecord(int i, std::span<const uint8_t, kRecordSize> bytes);
  void ClearRecord(int i);

  // --- timer and comparator -------------------------------------------------
  int GetTimerDiskr(int i) const;  // byte 5 bits 0-1
  void SetTimerDiskr(int i, int v);
  int GetTime(int i) const;  // byte 6
  void SetTime(int i, int v);
  int GetTimerSetpointKind(int i) const;  // byte 7 bit 4: 0 fixed, 1 corrected
  void SetTimerSetpointKind(int i, int v);
  int GetTimerSetpointAddress(int i) const;  // byte 7 bits 0-3
  void SetTimerSetpointAddress(int i, int v);
  int GetClockHour(int i) const;  // byte 5 bits 2-7
  void SetClockHour(int i, int v);
  int GetClockMinute(int i) const;  // byte 4
  void SetClockMinute(int i, int v);
  int GetClockSecond(int i) const;  // byte 3
  void SetClockSecond(int i, int v);

  int GetComparatorAnalogNumber(int i) const;  // byte 1 bits 0-6
  void SetComparatorAnalogNumber(int i, int v);
  int GetComparatorAnalogSource(int i) const;  // byte 1 bit 7: 1 = arithmetic block
  void SetComparatorAnalogSource(int i, int v);
  int GetHysteresis(int i) const;  // byte 5 bits 2-6
  void SetHysteresis(int i, int v);
  int GetCondition(int i) const;  // byte 5 bit 7: 0 L, 1 H
  void SetCondition(int i, int v);

  // Counter setpoint 0..31: bits 0-3 in byte 1 bits 4-7, bit 4 in byte 3 bit 4.
  int GetCounterSetpoint(int i) const;
  void SetCounterSetpoint(int i, int v);

  // --- arithmetic blocks ----------------------------------------------------
  int GetX1Number(int i) const;  // byte 1 bits 0-6
  void SetX1Number(int i, int v);
  int GetX1Source(int i) const;  // byte 1 bit 7: 1 = calculated value
  void SetX1Source(int i, int v);
  int GetX2Number(int i) const;  // byte 5 bits 0-6
  void SetX2Number(int i, int v);
  int GetX2Source(int i) const;  // byte 5 bit 7
  void SetX2Source(int i, int v);
  // Variant 1: byte 9 (sum, difference); variant 2: byte 6 (the others).
  int GetResultAddress(int i, int variant) const;
  void SetResultAddress(int i, int variant, int v);

  // Float24 at bytes 2-4 (which = 1) or 6-8 (which = 2), as text with a
  // decimal comma; the number of decimals follows the magnitude.
  std::string GetFloatText(int i, int which) const;
  // Accepts a decimal comma or point. False (nothing stored) for text that is
  // not a finite number.
  bool SetFloatText(int i, std::string_view text, int which);

  // --- exchange and file ----------------------------------------------------
  // Page `page` (10 records) from 190 bytes; a shorter source fills the rest
  // with zeros. False when the page lies outside the table.
  bool LoadPage(int page, std::span<const uint8_t> bytes);
  // The same from a function-68 answer: its data starts at the fifth byte.
  bool LoadPageFromAnswer(int page, std::span<const uint8_t> answer);
  // Packs the page into PageBuf.
  bool StorePage(int page);
  std::span<const uint8_t, kPageSize> PageBuf() const { return PageBuffer; }
  int GetPageByteCount() const { return PageByteCount; }
  void SetPageByteCount(int count);  // clamped to 1..191

  bool LoadTextPage(int page, std::span<const uint8_t> bytes);
  bool StoreTextPage(int page);
  std::span<const uint8_t, kTextPageSize> TextPageBuf() const { return TextPageBuffer; }

  // --- algorithms -------------------------------------------------------------
  std::string GetAlgName(int i) const;
  // The name's bytes as stored (cp1251, blank padded); empty for a bad index.
  std::span<const uint8_t> AlgNameBytes(int i) const;
  void SetAlgName(int i, std::string_view text);
  int GetAlgCount() const { return AlgCount; }
  void SetAlgCount(int count);  // clamped to 0..TableSize
  int GetAlgStart(int block) const;
  void SetAlgStart(int block, int v);
  int GetAlgMember(int alg, int k) const;
  void SetAlgMember(int alg, int k, int v);
  // The file's algorithm section: TableSize start bytes, TableSize rows of
  // TableSize member bytes, the count.
  size_t AlgorithmDataSize() const;
  void StoreAlgorithmData(std::span<uint8_t> out) const;
  void LoadAlgorithmData(std::span<const uint8_t> in);
  // The controller keeps no algorithms: after a read they are all gone.
  void ResetAfterRead();

  // --- renumbering -------------------------------------------------------------
  // Follows a change of the signal tables in every block input (and the
  // comparator's analog value), and the analog numbers of the calculation
  // blocks; returns how many references changed.
  int RenumberSignals(SignalRenumbering op, int a, int n, int m = 0);
  // Opens room for a copied group b..c (n = c - b + 1) at record a, d being
  // FBCount before the insertion, and moves FB-output references with it.
  void InsertGap(int a, int b, int c, int d);

  // --- editor state -------------------------------------------------------------
  int CreateMode = 0;                            // block dialog: 0 create, 1 edit, 2 insert
  int CalcMode = 0;                              // calculation dialog mode 0..3
  int SelectedArith = -1;                        // arithmetic block chosen in the overview, -1 none
  int ArithToDelete = 0;                         // arithmetic block chosen for deletion
  int Changed = 0;                               // table changed since the last transfer
  int ChangedSaved = 0;                          // Changed kept while a dialog runs
  int RegChanged = 0;                            // regulator references changed
  int SchemeBuilt = 0;                           // editor flag: scheme drawn
  std::array<int, kCapacity + 1> PanelRecord{};  // panel -> record, -1 none
  std::array<std::array<int, 9>, kCapacity + 1> PanelInfo{};  // last four: linked block per input
  int FBCount = 0;
  int DeletePos = -1;
  int SelectedRecord = -1;
  int EditedPanel = -1;
  int InsertMode = 0;
  std::array<int, kCapacity + 1> BlockRow{};
  std::array<int, kCapacity + 1> BlockCol{};
  std::array<int, kCapacity + 1> BlockSelected{};

 private:
  uint8_t* Rec(int i);
  const uint8_t* Rec(int i) const;
  int GetBits(int i, int pos, uint8_t mask, int shift) const;
  void SetBits(int i, int pos, uint8_t mask, int shift, int v);
  int InputPos(int i, int k) const;  // byte of input k's source, -1 none
  static bool RenumberValue(SignalRenumbering op, int a, int n, int m, int limit, int& number);
  int RenumberCalculationAnalogs(SignalRenumbering op, int a, int n, int m);

  int TableSize = kCapacity;
  int IntegratorRecords = 0;
  int ArithCount = 0;
  int PageByteCount = kPageSize + 1;
  std::array<std::array<uint8_t, kRecordSize>, kCapacity> Table{};
  std::array<uint8_t, kPageSize> PageBuffer{};
  std::array<int, kCapacity + 1> AlgStart{};
  std::array<std::array<int, kCapacity + 1>, kCapacity + 1> AlgMembers{};
  std::array<std::array<uint8_t, kNameSize>, kCapacity> AlgName{};
  std::array<uint8_t, kTextPageSize> TextPageBuffer{};
  int AlgCount = 0;
};

}  // namespace zul
