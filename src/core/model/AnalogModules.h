#pragma once
// Programming of the analog input modules (ЛК-7 .. ЛК-10): one 169-byte record
// of six channels per module, the controller-wide table of 16 unit names, the
// calibration codes and the last online values of the module under
// calibration.
//
// Module index m is 0..7, channel c 0..5. Every index and every length that
// comes from the line or a file is checked: an index out of range makes an
// operation do nothing (getters return 0 or an empty text), and a copy never
// takes more bytes than the answer holds or the array can keep.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/AnalogChannel.h"

namespace zul {

// One row of a sensor's range table, in degrees.
struct SensorRange {
  int Min;
  int Max;
};

// Entries of a range drop-down list and the entry to select (-1: empty list).
struct RangeList {
  std::vector<int> Items;
  int Selected = -1;
};

class AnalogModules {
 public:
  static constexpr int kModules = 8;
  static constexpr int kChannels = kAnalogChannelCount;
  static constexpr int kRecordSize = kAnalogRecordSize;
  static constexpr int kUnits = 16;
  static constexpr int kUnitNameWidth = 6;
  static constexpr int kUnitsSize = kUnits * kUnitNameWidth;  // 96
  static constexpr int kCalibrationChannels = 7;              // channel 6: the ЛК-9 reference
  static constexpr int kCalibrationSize = 43;
  static constexpr int kOnlineChannels = 7;
  static constexpr int kOnlineTextWidth = 7;
  static constexpr int kOnlineValueSize = 8;  // 7 text bytes and the status byte
  // Where the data start in function-68/71 answers ([address][function][count]...).
  static constexpr int kAnswerDataOffset = 3;
  static constexpr int kUnitsAnswerOffset = 4;  // after the block number
  static constexpr uint8_t kUnitsBlockNumber = 35;
  static constexpr int kCalibrationBlockBase = 59;  // block n + 59 for module n
  static constexpr int kReferenceSignalBase = 127;  // function 71 [n + 127][1]

  // Module type codes of the analog modules.
  static constexpr int kTypeLK7 = 6;
  static constexpr int kTypeLK8 = 7;
  static constexpr int kTypeLK9 = 8;  // sensor types and range tables
  static constexpr int kTypeLK10 = 9;
  static constexpr int kSensorTypes = 16;

  static constexpr std::array<std::string_view, 2> kScaleKindNames = {"линейная", "корневая"};
  // Input signal lists of ЛК-7 (pressure) and ЛК-10 (current) channels.
  static constexpr std::array<std::string_view, 5> kPressureSignalNames = {
      "20-100 кПа", "0,2-1 кгс/см2", "0,2-1 атм", "0,2-1 бар", "резерв"};
  static constexpr std::array<std::string_view, 3> kCurrentSignalNames = {"4 - 20 мА", "0 - 20 мА",
                                                                          "0 - 5 мА"};
  static constexpr std::array<std::string_view, kSensorTypes> kSensorTypeNames = {
      "ХК(L)",  "XK(E)",  "XA(K)", "ЖК(J)", "MK(T)", "ПП(S)", "ПП(R)", "резерв",
      "Гр. 21", "Гр. 23", "100П",  "50П",   "Pt100", "Ni",    "100M",  "50M"};
  static constexpr std::array<std::string_view, kUnits> kDefaultUnitNames = {
      "град.С", "%",    "МПа",   "КПа",  "кг/cм2", "атм", "об/мин", "1/с",
      "мм/с2",  "м3/ч", "нм3/ч", "кг/ч", "т/ч",    "м",   "резерв", "резерв"};
  // Alarm states of the online status byte, bits 2-0.
  static constexpr std::array<std::string_view, 7> kAlarmStateNames = {"норма", "L(L-H)", "H(L-H)", "L",
                                                                       "LL",    "H",      "HH"};

  AnalogModules();

  // --- state the windows read and set directly ---
  int CurrentSlot = 0;  // module-table slot 1..16 being edited
  // 1: the module's record was not edited since the window was opened, the
  // file was opened or the record was last written.
  std::array<int, kModules> Unchanged{};
  int EditedUnit = 0;     // unit name being edited in the main window
  int CopiedModule = -1;  // module whose record was copied, -1: none
  int CopiedType = 0;     // its module type code
  // Calibration view.
  int CalibrationType = 0;       // module type code of the module under calibration
  int CalibrationChannel = 0;    // channel in calibration mode, 1-based; 0: none
  int CalibrationChanged = 0;    // calibration values were changed
  int CalibrationClosing = 0;    // the view is closing: its buttons are ignored
  int ReplacedUnitChannel = -1;  // channel whose unit text shows the raw signal unit
  std::array<std::string, kCalibrationChannels> CalibrationUnits{};

  // Back to the state after opening a file: slot 0, every module unchanged.
  void ResetModuleState();

  // Record length used to write and save records: 169, or the byte count of
  // the last record answer (never more than 169, never below 1).
  int GetRecordLength() const { return RecordLength; }
  void SetRecordLength(int length);
  int GetCalibrationRecordLength() const { return kCalibrationSize; }

  // --- module records ---
  uint8_t GetRecordByte(int m, int i) const;
  void SetRecordByte(int m, int i, uint8_t byte);
  // The whole 169-byte record (empty for a bad index): file and reference copy.
  std::span<const uint8_t> GetRecord(int m) const;
  // Clears record m and copies at most 169 bytes of the source into it.
  void LoadRecord(int m, std::span<const uint8_t> source);
  // A function-68 record answer: the module number from answer byte 3, the
  // record from answer byte 3 on. The byte count (answer byte 2) becomes the
  // record length. False, and nothing changed, for a module number outside
  // 1..8 or an answer without data.
  bool StoreRecordAnswer(std::span<const uint8_t> answer);

  // --- units table ---
  uint8_t GetUnitsByte(int i) const;
  void SetUnitsByte(int i, uint8_t byte);
  std::span<const uint8_t> GetUnits() const { return Units; }
  void LoadUnits(std::span<const uint8_t> source);  // clears, copies at most 96 bytes
  // A function-68 answer of block 35: clears the table, copies answer[4..99].
  void StoreUnitsAnswer(std::span<const uint8_t> answer);
  // A name ends at its first blank.
  std::string GetUnitName(int k) const;
  // Six characters at most, padded with blanks.
  void SetUnitName(int k, std::string_view utf8);
  void SetDefaultUnit(int k);
  void SetDefaultUnits();
  std::vector<std::string> FillUnitsList() const;  // the 16 names in order

  // --- channel fields ---
  int GetUnitIndex(int m, int c) const;
  void SetUnitIndex(int m, int c, int value);
  // Scale kind for ЛК-7, ЛК-8, ЛК-10; sensor type for ЛК-9.
  int GetScaleKind(int m, int c) const;
  void SetScaleKind(int m, int c, int value);
  int GetDeadZone(int m, int c) const;
  void SetDeadZone(int m, int c, int value);
  int GetInputSignal(int m, int c) const;
  void SetInputSignal(int m, int c, int value);
  int GetRangeIndex(int m, int c) const;
  void SetRangeIndex(int m, int c, int value);

  // Value texts (FormatAnalogValue); the setters return false, storing
  // nothing, for a text that is not a number.
  std::string GetScaleMin(int m, int c) const;
  bool SetScaleMin(int m, int c, std::string_view text);
  std::string GetScaleMax(int m, int c) const;
  bool SetScaleMax(int m, int c, std::string_view text);
  std::string GetSetpointLL(int m, int c) const;
  bool SetSetpointLL(int m, int c, std::string_view text);
  std::string GetSetpointL(int m, int c) const;
  bool SetSetpointL(int m, int c, std::string_view text);
  std::string GetSetpointH(int m, int c) const;
  bool SetSetpointH(int m, int c, std::string_view text);
  std::string GetSetpointHH(int m, int c) const;
  bool SetSetpointHH(int m, int c, std::string_view text);
  float GetValue(int m, int c, AnalogValue which) const;
  void SetValue(int m, int c, AnalogValue which, float value);

  std::string GetPosition(int m, int c) const;
  void SetPosition(int m, int c, std::string_view utf8);

  // Contents of a channel in a new configuration for a module of that type.
  void SetChannelDefaults(int m, int c, int moduleType);
  // Block number m + 1 and the defaults of all six channels.
  void SetModuleDefaults(int m, int moduleType);

  // --- ЛК-9 sensor ranges ---
  // Sensors 9, 14 and 15 have no table: their scale is typed within -200..200.
  static bool IsFreeRangeSensor(int sensorType);
  static constexpr int kFreeRangeMin = -200;
  static constexpr int kFreeRangeMax = 200;
  // The sensor's table in its own order (duplicates kept); empty for a sensor
  // without a table or a bad sensor type.
  static std::span<const SensorRange> GetSensorRanges(int sensorType);
  // Distinct minima in table order; selected: the minimum of the row the range
  // index designates (the first entry when it designates none).
  static RangeList FillRangeMinList(int sensorType, int rangeIndex);
  // Maxima of the rows with that minimum, in table order; selected: the entry
  // equal to the maximum of the designated row (the first when none is).
  static RangeList FillRangeMaxList(int sensorType, int minimum, int rangeIndex);
  // Both lists of a table range as the module window shows them (no maxima
  // without a selected minimum); the report prints their selected entries.
  struct RangeLists {
    RangeList minima;
    RangeList maxima;
  };
  static RangeLists FillRangeLists(int sensorType, int rangeIndex);
  // The last row with both values; `current` when no row has them.
  static int FindRangeIndex(int sensorType, int minimum, int maximum, int current);
  // The first row with that minimum, -1 when none has it.
  static int FirstRangeRow(int sensorType, int minimum);

  // The module window's choices on a ЛК-9 channel. A new sensor type takes the
  // free scale -200..200 or the first row of its table, range index 0; false
  // when the type is the stored one (nothing changes then).
  bool ChooseSensorType(int m, int c, int sensorType);
  // A minimum picked from the minimum list: returns the refilled maximum list
  // and stores the pair it shows and its range index.
  RangeList ChooseRangeMinimum(int m, int c, int minimum);
  // A maximum picked for the shown minimum: range index and scale maximum.
  void ChooseRangeMaximum(int m, int c, int minimum, int maximum);

  // --- online values of the module under calibration (channels 0..6) ---
  // Function-71 answer for channels 0..5 (8 bytes each from answer byte 3);
  // only whole entries the answer holds are taken.
  void StoreOnlineAnswer(std::span<const uint8_t> answer);
  // Function-71 answer for the reference channel 6.
  void StoreReferenceAnswer(std::span<const uint8_t> answer);
  std::string GetOnlineText(int k) const;  // the controller's 7 characters
  uint8_t GetOnlineStatus(int k) const;
  int GetAlarmState(int k) const;  // status bits 2-0

  // --- calibration codes ---
  // Function-68 answer of block n + 59: answer[3..45] into module m's record.
  void StoreCalibrationAnswer(int m, std::span<const uint8_t> answer);
  uint8_t GetCalibrationByte(int m, int i) const;
  int GetCalibrationCode1(int m, int k) const;  // 0 for k outside 0..6
  int GetCalibrationCode2(int m, int k) const;
  int GetCurrentCode(int m, int k) const;

  // --- copy and replace of a module's record ("Копировать базу модуля") ---
  // Copies record m into the 169-byte buffer and remembers module and type.
  void CopyModule(int m, int moduleType, std::span<uint8_t> buffer);
  // A copied record can replace one of a module of the same type only.
  bool CanReplaceModule(int moduleType) const;
  // Record m := the buffer's 169 bytes (module number byte included); the
  // module is marked edited. False when nothing was copied or m is bad.
  bool ReplaceModule(int m, std::span<const uint8_t> buffer);

 private:
  uint8_t* Channel(int m, int c);
  const uint8_t* Channel(int m, int c) const;
  std::string GetValueText(int m, int c, AnalogValue which) const;
  bool SetValueText(int m, int c, AnalogValue which, std::string_view text);
  int GetCalibrationWord(int m, int offset) const;

  std::array<std::array<uint8_t, kRecordSize>, kModules> Records{};
  std::array<uint8_t, kUnitsSize> Units{};
  std::array<std::array<uint8_t, kCalibrationSize>, kModules> Calibration{};
  std::array<std::array<uint8_t, kOnlineTextWidth>, kOnlineChannels> OnlineText{};
  std::array<uint8_t, kOnlineChannels> OnlineStatus{};
  int RecordLength = kRecordSize;
};

}  // namespace zul
