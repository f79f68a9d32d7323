#pragma once
// Processing of the discrete signals: one 11-byte record per signal of the
// signal base (alarm, light-panel cell, contact type, relay outputs, delay,
// archiving), the sensor types of programmable discrete input modules, the
// working state of the discrete processing editor and the access flags.
//
// Signal indexes are 0..251. Accessors ignore an index outside the records
// (getters return 0), so a bad number can never write past the arrays.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "core/Interaction.h"

namespace zul {

// Byte 0: cell (bits 0-4), contact (bit 5), alarm type (bits 6-7);
// bytes 1-8: relay masks of modules 1-8; byte 9: delay time (bits 0-5),
// delay unit (bit 6), archive (bit 7); byte 10 reserved, kept as read.
using ProcessingRecord = std::array<uint8_t, 11>;

class DiscreteProcessing {
 public:
  static constexpr int kSignals = 252;
  static constexpr int kRecordSize = 11;
  static constexpr int kBlocks = 14;
  static constexpr int kBlockRecords = 18;
  static constexpr int kBlockSize = kBlockRecords * kRecordSize;  // 198
  static constexpr int kFirstBlockNumber = 12;
  static constexpr int kSensorBytes = 32;
  static constexpr int kSlots = 16;
  static constexpr int kSensorBlockNumber = 98;
  static constexpr uint8_t kContactNormallyOpen = 0x20;
  static constexpr ProcessingRecord kEmptyRecord = {kContactNormallyOpen, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

  // CheckValue kinds.
  static constexpr int kCheckDelayTime = 6;  // 0..60
  static constexpr int kCheckDelayUnit = 7;  // 1 or 10

  // --- record fields: bits in place, masked but not shifted ----------------
  int GetContact(int i) const;  // byte 0 & 0x20
  void SetContact(int i, int v);
  int GetAlarmType(int i) const;  // byte 0 & 0xC0
  void SetAlarmType(int i, int v);
  int GetCell(int i) const;  // byte 0 & 0x1F
  void SetCell(int i, int v);
  int GetDelayUnit(int i) const;  // byte 9 & 0x40
  void SetDelayUnit(int i, int v);
  int GetDelayTime(int i) const;  // byte 9 & 0x3F
  void SetDelayTime(int i, int v);
  int GetArchive(int i) const;  // byte 9 & 0x80
  void SetArchive(int i, int v);
  int GetByte(int i, int k) const;  // k = m (1..8) is the relay mask of module m
  void SetByte(int i, int k, int v);

  const ProcessingRecord& Record(int i) const;
  void SetRecord(int i, const ProcessingRecord& record);
  // An alarm, a delay or a relay output gives the signal a handler; contact
  // type and archiving alone do not.
  bool IsRecordActive(int i) const;

  // --- blocks ------------------------------------------------------------------
  // Data of a function-68 answer from its fifth byte on; whatever the answer
  // lacks of 198 bytes stays zero.
  void LoadBlockFromAnswer(std::span<const uint8_t> answer);
  void LoadBlockFromFile(std::span<const uint8_t> bytes);
  void UnpackBlock(int b);  // ExchangeBuf -> records 18b..18b+17
  void PackBlock(int b);    // records 18b..18b+17 -> ExchangeBuf
  std::span<const uint8_t, kBlockSize> ExchangeBuffer() const { return ExchangeBuf; }
  int GetRecordBlockLen() const { return RecordBlockLen; }
  void SetRecordBlockLen(int len);  // clamped to 1..199: a device cannot enlarge a block

  // --- ranges --------------------------------------------------------------------
  // Removes `count` records at `start`; the freed end becomes empty.
  void RemoveRecords(int start, int count);
  // Opens a gap of `count` records at `start`; the gap keeps its contents,
  // records pushed past 251 are lost.
  void InsertRecords(int start, int count);
  // Empties records start..start+count-1 (not past 251); returns start + count.
  int ClearRecords(int start, int count);
  void CopyRecord(int from, int to);

  // --- sensor types of programmable discrete input modules ------------------------
  void LoadSensorTypesFromAnswer(std::span<const uint8_t> answer);
  void LoadSensorTypesFromFile(std::span<const uint8_t> bytes);
  int GetSensorTypeByte(int k) const;
  void SetSensorTypeByte(int k, int v);
  std::span<const uint8_t, kSensorBytes> SensorTypes() const { return SensorTypeBytes; }
  void UnpackSensorTypes();
  int GetSensorType(int j, int s) const;  // sensor j (0..15) of slot word s (0..15)
  // Stores the matrix entry and rebuilds the slot's word from its entries.
  void SetSensorType(int j, int s, int v);
  int GetEditSlot() const { return EditSlot; }
  void SetEditSlot(int v) { EditSlot = v; }
  int GetSensorBlockLen() const { return SensorBlockLen; }
  void SetSensorBlockLen(int len);  // clamped to 1..33

  // --- new configuration ----------------------------------------------------------
  // Default processing for D discrete input modules followed by A analog
  // modules; with relay outputs the first 24 signals also get their defaults.
  void DefaultProcessing(int discreteModules, int analogModules, bool relayOutputs);
  // Signals 0..23: 5 s delay and output 1 of relay module 1.
  void ApplyRelayDefaults();

  // --- editor checks ----------------------------------------------------------------
  // True when `text` is acceptable for the kind (6 delay time, 7 delay unit).
  static bool IsValueValid(std::string_view text, int kind);
  // 0 when good; otherwise beeps, has the control painted red, shows
  // " Ошибка ввода ", paints it white again and returns 1.
  int CheckValue(std::string_view text, int kind, Interaction& ui,
                 const std::function<void(bool red)>& paint = {}) const;
  // "Конфигурация не задана. Будете создавать?": true when the user declines
  // (the editor then closes), false otherwise.
  bool AskCreateScheme(Interaction& ui) const;

  // --- state shared with the windows -------------------------------------------------
  std::array<int, kSlots + 1> ModuleSynced = MakeModuleSynced();
  int RebuildOnly = 0;
  int CutMode = 0;
  int EditorShown = 0;
  int Modified = 0;
  int ModifiedSaved = 0;
  int SchemeAssigned = 0;
  int PasswordChanging = 0;
  int AccessLevel = 0;  // 1 = full access
  int RowCount = 0;
  int CurSignal = -1;
  int CurRow = -1;
  int ClipState = -1;
  int EditIdMode = 0;
  int SelectedCount = 0;
  int InfoModule = 0;
  int InfoOutput = 0;
  std::array<int, kSignals> RowSelected{};
  int RebuildAfterDelete = 0;
  std::array<int, kSignals> RowSignal = MakeRowSignal();

 private:
  static constexpr std::array<int, kSlots + 1> MakeModuleSynced() {
    std::array<int, kSlots + 1> a{};
    for (int s = 1; s <= kSlots; ++s) a[static_cast<size_t>(s)] = 1;
    return a;
  }
  static constexpr std::array<int, kSignals> MakeRowSignal() {
    std::array<int, kSignals> a{};
    for (auto& v : a) v = -1;
    return a;
  }
  int Get(int i, int k, uint8_t mask) const;
  void Set(int i, int k, uint8_t mask, int v);

  int EditSlot = 0;
  std::array<uint8_t, kSensorBytes> SensorTypeBytes{};
  int RecordBlockLen = kBlockSize + 1;
  int SensorBlockLen = kSensorBytes + 1;
  std::array<ProcessingRecord, kSignals> Records{};
  std::array<uint8_t, kBlockSize> ExchangeBuf{};
  std::array<std::array<int, kSlots>, kSlots> SensorTypeMatrix{};
};

}  // namespace zul
