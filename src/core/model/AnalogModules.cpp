#include "core/model/AnalogModules.h"

#include <algorithm>

#include "core/model/Cp1251.h"

namespace zul {

namespace {

// Range tables of the ЛК-9 sensors, rows in the controller's order.
constexpr SensorRange kThermocoupleRanges[] = {{-120, 30}, {-50, 100}, {-50, 150}, {-50, 200}, {0, 100},
                                               {0, 150},   {0, 200},   {0, 300},   {0, 400},   {0, 600},
                                               {0, 800},   {50, 200},  {150, 400}};
constexpr SensorRange kXaRanges[] = {{-50, 200}, {0, 200},  {0, 300},   {0, 400},   {0, 600},   {0, 800},
                                     {0, 900},   {0, 1100}, {200, 600}, {200, 800}, {400, 900}, {600, 1100}};
constexpr SensorRange kMkRanges[] = {{-120, 30}, {-50, 100}, {0, 100}, {0, 150}, {0, 200}, {0, 300}};
constexpr SensorRange kPlatinumRhodiumRanges[] = {{0, 1300}, {500, 1300}};
constexpr SensorRange kReservedRanges[] = {{0, 0}, {0, 0}};
constexpr SensorRange kResistanceRanges[] = {
    {-200, -150}, {-200, -100}, {-200, -70}, {-200, 0},  {-200, 40},  {-200, 50}, {-200, 70}, {-200, 100},
    {-200, 150},  {-150, 0},    {-120, 30},  {-100, 50}, {-100, 200}, {-90, 50},  {-70, 180}, {-50, 0},
    {-50, 50},    {-50, 100},   {-50, 150},  {-50, 200}, {-50, 250},  {-50, 400}, {-50, 500}, {-30, 50},
    {-100, 500},  {-30, 20},    {-25, 25},   {-20, 50},  {-20, 30},   {0, 50},    {0, 100},   {0, 150},
    {0, 200},     {0, 300},     {0, 400},    {0, 500},   {100, 500},  {50, 200},  {100, 200}, {100, 300},
    {200, 300},   {200, 500},   {-200, 500}, {-50, 120}, {-10, 100},  {0, 120}};
constexpr SensorRange kNickelRanges[] = {{-50, 0}, {-50, 50}, {-50, 100}, {-50, 150}, {-50, 180}, {-25, 25},
                                         {0, 50},  {0, 100},  {0, 150},   {0, 180},   {50, 100}};

constexpr std::span<const SensorRange> kRangesBySensor[AnalogModules::kSensorTypes] = {
    kThermocoupleRanges,     // 0 ХК(L)
    kThermocoupleRanges,     // 1 XK(E)
    kXaRanges,               // 2 XA(K)
    kThermocoupleRanges,     // 3 ЖК(J)
    kMkRanges,               // 4 MK(T)
    kPlatinumRhodiumRanges,  // 5 ПП(S)
    kPlatinumRhodiumRanges,  // 6 ПП(R)
    kReservedRanges,         // 7
    kResistanceRanges,       // 8 Гр. 21
    {},                      // 9 Гр. 23: free scale
    kResistanceRanges,       // 10 100П
    kResistanceRanges,       // 11 50П
    kResistanceRanges,       // 12 Pt100
    kNickelRanges,           // 13 Ni
    {},                      // 14 100M: free scale
    {},                      // 15 50M: free scale
};

// Online status bits: bits 2-0 alarm state.
constexpr uint8_t kAlarmStateMask = 0x07;

// Calibration record: channel k's codes at 1 + 4k and 3 + 4k, current code at 29 + 2k.
constexpr int kCode1Offset = 1;
constexpr int kCode2Offset = 3;
constexpr int kCurrentCodeOffset = 29;

// Bytes [offset, offset + wanted) of the answer that it really holds.
std::span<const uint8_t> AnswerPart(std::span<const uint8_t> answer, size_t offset, size_t wanted) {
  if (answer.size() <= offset) return {};
  return answer.subspan(offset, std::min(wanted, answer.size() - offset));
}

template <size_t N>
void ClearAndCopy(std::array<uint8_t, N>& target, std::span<const uint8_t> source) {
  target.fill(0);
  std::copy_n(source.begin(), std::min(source.size(), N), target.begin());
}

bool ValidModule(int m) { return m >= 0 && m < AnalogModules::kModules; }

}  // namespace

AnalogModules::AnalogModules() { Unchanged.fill(1); }

void AnalogModules::ResetModuleState() {
  CurrentSlot = 0;
  Unchanged.fill(1);
}

void AnalogModules::SetRecordLength(int length) { RecordLength = std::clamp(length, 1, kRecordSize); }

// ---- module records

uint8_t AnalogModules::GetRecordByte(int m, int i) const {
  if (!ValidModule(m) || i < 0 || i >= kRecordSize) return 0;
  return Records[m][i];
}

void AnalogModules::SetRecordByte(int m, int i, uint8_t byte) {
  if (!ValidModule(m) || i < 0 || i >= kRecordSize) return;
  Records[m][i] = byte;
}

std::span<const uint8_t> AnalogModules::GetRecord(int m) const {
  if (!ValidModule(m)) return {};
  return Records[m];
}

void AnalogModules::LoadRecord(int m, std::span<const uint8_t> source) {
  if (!ValidModule(m)) return;
  ClearAndCopy(Records[m], source);
}

bool AnalogModules::StoreRecordAnswer(std::span<const uint8_t> answer) {
  if (answer.size() <= kAnswerDataOffset) return false;
  const int module = answer[kAnswerDataOffset] - 1;
  const int byteCount = answer[kAnswerDataOffset - 1];
  if (!ValidModule(module) || byteCount < 1) return false;
  SetRecordLength(byteCount);
  LoadRecord(module, AnswerPart(answer, kAnswerDataOffset, RecordLength));
  return true;
}

// ---- units table

uint8_t AnalogModules::GetUnitsByte(int i) const { return i >= 0 && i < kUnitsSize ? Units[i] : 0; }

void AnalogModules::SetUnitsByte(int i, uint8_t byte) {
  if (i >= 0 && i < kUnitsSize) Units[i] = byte;
}

void AnalogModules::LoadUnits(std::span<const uint8_t> source) { ClearAndCopy(Units, source); }

void AnalogModules::StoreUnitsAnswer(std::span<const uint8_t> answer) {
  size_t count = kUnitsSize;
  if (answer.size() > kAnswerDataOffset - 1) {
    // The byte count includes the block number.
    count = std::min<size_t>(count, std::max(answer[kAnswerDataOffset - 1] - 1, 0));
  }
  LoadUnits(AnswerPart(answer, kUnitsAnswerOffset, count));
}

std::string AnalogModules::GetUnitName(int k) const {
  if (k < 0 || k >= kUnits) return {};
  const uint8_t* name = Units.data() + k * kUnitNameWidth;
  size_t length = 0;
  while (length < kUnitNameWidth && name[length] != ' ' && name[length] != 0) ++length;
  return Cp1251ToUtf8(name, length);
}

void AnalogModules::SetUnitName(int k, std::string_view utf8) {
  if (k < 0 || k >= kUnits) return;
  SetTextField(Units.data() + k * kUnitNameWidth, kUnitNameWidth, utf8);
}

void AnalogModules::SetDefaultUnit(int k) {
  if (k < 0 || k >= kUnits) return;
  SetUnitName(k, kDefaultUnitNames[k]);
}

void AnalogModules::SetDefaultUnits() {
  for (int k = 0; k < kUnits; ++k) SetDefaultUnit(k);
}

std::vector<std::string> AnalogModules::FillUnitsList() const {
  std::vector<std::string> names;
  for (int k = 0; k < kUnits; ++k) names.push_back(GetUnitName(k));
  return names;
}

// ---- channel fields

uint8_t* AnalogModules::Channel(int m, int c) {
  return ValidModule(m) ? AnalogChannelOf(Records[m].data(), c) : nullptr;
}

const uint8_t* AnalogModules::Channel(int m, int c) const {
  return ValidModule(m) ? AnalogChannelOf(Records[m].data(), c) : nullptr;
}

#define ZUL_CHANNEL_BITS(Name)                                              \
  int AnalogModules::Get##Name(int m, int c) const {                        \
    const uint8_t* channel = Channel(m, c);                                 \
    return channel ? GetChannel##Name(channel) : 0;                         \
  }                                                                         \
  void AnalogModules::Set##Name(int m, int c, int value) {                  \
    if (uint8_t* channel = Channel(m, c)) SetChannel##Name(channel, value); \
  }
ZUL_CHANNEL_BITS(UnitIndex)
ZUL_CHANNEL_BITS(ScaleKind)
ZUL_CHANNEL_BITS(DeadZone)
ZUL_CHANNEL_BITS(InputSignal)
ZUL_CHANNEL_BITS(RangeIndex)
#undef ZUL_CHANNEL_BITS

std::string AnalogModules::GetValueText(int m, int c, AnalogValue which) const {
  const uint8_t* channel = Channel(m, c);
  return channel ? GetChannelValueText(channel, which) : std::string();
}

bool AnalogModules::SetValueText(int m, int c, AnalogValue which, std::string_view text) {
  uint8_t* channel = Channel(m, c);
  return channel && SetChannelValueText(channel, which, text);
}

float AnalogModules::GetValue(int m, int c, AnalogValue which) const {
  const uint8_t* channel = Channel(m, c);
  return channel ? GetChannelValue(channel, which) : 0.0f;
}

void AnalogModules::SetValue(int m, int c, AnalogValue which, float value) {
  if (uint8_t* channel = Channel(m, c)) SetChannelValue(channel, which, value);
}

std::string AnalogModules::GetScaleMin(int m, int c) const {
  return GetValueText(m, c, AnalogValue::ScaleMin);
}
bool AnalogModules::SetScaleMin(int m, int c, std::string_view text) {
  return SetValueText(m, c, AnalogValue::ScaleMin, text);
}
std::string AnalogModules::GetScaleMax(int m, int c) const {
  return GetValueText(m, c, AnalogValue::ScaleMax);
}
bool AnalogModules::SetScaleMax(int m, int c, std::string_view text) {
  return SetValueText(m, c, AnalogValue::ScaleMax, text);
}
std::string AnalogModules::GetSetpointLL(int m, int c) const {
  return GetValueText(m, c, AnalogValue::SetpointLL);
}
bool AnalogModules::SetSetpointLL(int m, int c, std::string_view text) {
  return SetValueText(m, c, AnalogValue::SetpointLL, text);
}
std::string AnalogModules::GetSetpointL(int m, int c) const {
  return GetValueText(m, c, AnalogValue::SetpointL);
}
bool AnalogModules::SetSetpointL(int m, int c, std::string_view text) {
  return SetValueText(m, c, AnalogValue::SetpointL, text);
}
std::string AnalogModules::GetSetpointH(int m, int c) const {
  return GetValueText(m, c, AnalogValue::SetpointH);
}
bool AnalogModules::SetSetpointH(int m, int c, std::string_view text) {
  return SetValueText(m, c, AnalogValue::SetpointH, text);
}
std::string AnalogModules::GetSetpointHH(int m, int c) const {
  return GetValueText(m, c, AnalogValue::SetpointHH);
}
bool AnalogModules::SetSetpointHH(int m, int c, std::string_view text) {
  return SetValueText(m, c, AnalogValue::SetpointHH, text);
}

std::string AnalogModules::GetPosition(int m, int c) const {
  const uint8_t* channel = Channel(m, c);
  return channel ? GetChannelPosition(channel) : std::string();
}

void AnalogModules::SetPosition(int m, int c, std::string_view utf8) {
  if (uint8_t* channel = Channel(m, c)) SetChannelPosition(channel, utf8);
}

void AnalogModules::SetChannelDefaults(int m, int c, int moduleType) {
  uint8_t* channel = Channel(m, c);
  if (!channel) return;
  // поз. + type digit + "10" + channel digit: поз.6101 is channel 1 of a ЛК-7.
  const std::string position = "поз." + std::string(1, std::to_string(moduleType)[0]) + "10" +
                               std::string(1, std::to_string(c + 1)[0]);
  SetChannelPosition(channel, position);
  const bool sensorModule = moduleType == kTypeLK9;
  SetChannelUnitIndex(channel, sensorModule ? 0 : 1);
  SetChannelScaleKind(channel, sensorModule ? 10 : 0);
  SetChannelRangeIndex(channel, sensorModule ? 30 : 0);  // row 30 of the 100П table is 0..100
  SetChannelValue(channel, AnalogValue::ScaleMin, 0);
  SetChannelValue(channel, AnalogValue::ScaleMax, 100);
  SetChannelValue(channel, AnalogValue::SetpointLL, 0);
  SetChannelValue(channel, AnalogValue::SetpointL, 0);
  SetChannelValue(channel, AnalogValue::SetpointH, 100);
  SetChannelValue(channel, AnalogValue::SetpointHH, 100);
}

void AnalogModules::SetModuleDefaults(int m, int moduleType) {
  if (!ValidModule(m)) return;
  Records[m][0] = static_cast<uint8_t>(m + 1);
  for (int c = 0; c < kChannels; ++c) SetChannelDefaults(m, c, moduleType);
}

// ---- ЛК-9 sensor ranges

bool AnalogModules::IsFreeRangeSensor(int sensorType) {
  return sensorType == 9 || sensorType == 14 || sensorType == 15;
}

std::span<const SensorRange> AnalogModules::GetSensorRanges(int sensorType) {
  if (sensorType < 0 || sensorType >= kSensorTypes) return {};
  return kRangesBySensor[sensorType];
}

RangeList AnalogModules::FillRangeMinList(int sensorType, int rangeIndex) {
  const auto rows = GetSensorRanges(sensorType);
  RangeList list;
  if (rows.empty()) return list;
  const bool designated = rangeIndex >= 0 && static_cast<size_t>(rangeIndex) < rows.size();
  list.Selected = 0;
  for (const SensorRange& row : rows) {
    if (std::find(list.Items.begin(), list.Items.end(), row.Min) != list.Items.end()) continue;
    list.Items.push_back(row.Min);
    if (designated && row.Min == rows[rangeIndex].Min)
      list.Selected = static_cast<int>(list.Items.size()) - 1;
  }
  return list;
}

AnalogModules::RangeLists AnalogModules::FillRangeLists(int sensorType, int rangeIndex) {
  RangeLists lists{FillRangeMinList(sensorType, rangeIndex), {}};
  if (lists.minima.Selected >= 0) {
    const int minimum = lists.minima.Items[static_cast<size_t>(lists.minima.Selected)];
    lists.maxima = FillRangeMaxList(sensorType, minimum, rangeIndex);
  }
  return lists;
}

RangeList AnalogModules::FillRangeMaxList(int sensorType, int minimum, int rangeIndex) {
  const auto rows = GetSensorRanges(sensorType);
  RangeList list;
  const bool designated = rangeIndex >= 0 && static_cast<size_t>(rangeIndex) < rows.size();
  for (const SensorRange& row : rows) {
    if (row.Min != minimum) continue;
    list.Items.push_back(row.Max);
    if (designated && row.Max == rows[rangeIndex].Max)
      list.Selected = static_cast<int>(list.Items.size()) - 1;
  }
  if (list.Selected < 0 && !list.Items.empty()) list.Selected = 0;
  return list;
}

int AnalogModules::FindRangeIndex(int sensorType, int minimum, int maximum, int current) {
  const auto rows = GetSensorRanges(sensorType);
  for (size_t i = rows.size(); i-- > 0;) {
    if (rows[i].Min == minimum && rows[i].Max == maximum) return static_cast<int>(i);
  }
  return current;
}

int AnalogModules::FirstRangeRow(int sensorType, int minimum) {
  const auto rows = GetSensorRanges(sensorType);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Min == minimum) return static_cast<int>(i);
  }
  return -1;
}

bool AnalogModules::ChooseSensorType(int m, int c, int sensorType) {
  uint8_t* channel = Channel(m, c);
  if (!channel || sensorType < 0 || sensorType >= kSensorTypes) return false;
  if (GetChannelScaleKind(channel) == sensorType) return false;
  SetChannelScaleKind(channel, sensorType);
  SetChannelRangeIndex(channel, 0);
  int minimum = kFreeRangeMin;
  int maximum = kFreeRangeMax;
  if (!IsFreeRangeSensor(sensorType)) {
    // What the refilled lists show with range index 0: the first row.
    const RangeList minima = FillRangeMinList(sensorType, 0);
    minimum = minima.Items[minima.Selected];
    const RangeList maxima = FillRangeMaxList(sensorType, minimum, 0);
    maximum = maxima.Items[maxima.Selected];
  }
  SetChannelValue(channel, AnalogValue::ScaleMin, static_cast<float>(minimum));
  SetChannelValue(channel, AnalogValue::ScaleMax, static_cast<float>(maximum));
  return true;
}

RangeList AnalogModules::ChooseRangeMinimum(int m, int c, int minimum) {
  uint8_t* channel = Channel(m, c);
  if (!channel) return {};
  const int sensorType = GetChannelScaleKind(channel);
  const int provisional = FirstRangeRow(sensorType, minimum);
  if (provisional < 0) return {};
  RangeList maxima = FillRangeMaxList(sensorType, minimum, provisional);
  const int maximum = maxima.Items[maxima.Selected];
  SetChannelRangeIndex(channel, FindRangeIndex(sensorType, minimum, maximum, GetChannelRangeIndex(channel)));
  SetChannelValue(channel, AnalogValue::ScaleMin, static_cast<float>(minimum));
  SetChannelValue(channel, AnalogValue::ScaleMax, static_cast<float>(maximum));
  return maxima;
}

void AnalogModules::ChooseRangeMaximum(int m, int c, int minimum, int maximum) {
  uint8_t* channel = Channel(m, c);
  if (!channel) return;
  const int sensorType = GetChannelScaleKind(channel);
  SetChannelRangeIndex(channel, FindRangeIndex(sensorType, minimum, maximum, GetChannelRangeIndex(channel)));
  SetChannelValue(channel, AnalogValue::ScaleMax, static_cast<float>(maximum));
}

// ---- online values

void AnalogModules::StoreOnlineAnswer(std::span<const uint8_t> answer) {
  const auto data = AnswerPart(answer, kAnswerDataOffset, kChannels * kOnlineValueSize);
  for (size_t k = 0; (k + 1) * kOnlineValueSize <= data.size(); ++k) {
    std::copy_n(data.begin() + k * kOnlineValueSize, kOnlineTextWidth, OnlineText[k].begin());
    OnlineStatus[k] = data[k * kOnlineValueSize + kOnlineTextWidth];
  }
}

void AnalogModules::StoreReferenceAnswer(std::span<const uint8_t> answer) {
  const auto data = AnswerPart(answer, kAnswerDataOffset, kOnlineValueSize);
  if (data.size() < kOnlineValueSize) return;
  std::copy_n(data.begin(), kOnlineTextWidth, OnlineText[kChannels].begin());
  OnlineStatus[kChannels] = data[kOnlineTextWidth];
}

std::string AnalogModules::GetOnlineText(int k) const {
  if (k < 0 || k >= kOnlineChannels) return {};
  const auto& text = OnlineText[k];
  const auto end = std::find(text.begin(), text.end(), 0);
  return Cp1251ToUtf8(text.data(), static_cast<size_t>(end - text.begin()));
}

uint8_t AnalogModules::GetOnlineStatus(int k) const {
  return k >= 0 && k < kOnlineChannels ? OnlineStatus[k] : 0;
}

int AnalogModules::GetAlarmState(int k) const { return GetOnlineStatus(k) & kAlarmStateMask; }

// ---- calibration codes

void AnalogModules::StoreCalibrationAnswer(int m, std::span<const uint8_t> answer) {
  if (!ValidModule(m)) return;
  ClearAndCopy(Calibration[m], AnswerPart(answer, kAnswerDataOffset, kCalibrationSize));
}

uint8_t AnalogModules::GetCalibrationByte(int m, int i) const {
  if (!ValidModule(m) || i < 0 || i >= kCalibrationSize) return 0;
  return Calibration[m][i];
}

int AnalogModules::GetCalibrationWord(int m, int offset) const {
  const auto word = static_cast<uint16_t>(Calibration[m][offset] | (Calibration[m][offset + 1] << 8));
  return static_cast<int16_t>(word);
}

int AnalogModules::GetCalibrationCode1(int m, int k) const {
  if (!ValidModule(m) || k < 0 || k >= kCalibrationChannels) return 0;
  return GetCalibrationWord(m, kCode1Offset + 4 * k);
}

int AnalogModules::GetCalibrationCode2(int m, int k) const {
  if (!ValidModule(m) || k < 0 || k >= kCalibrationChannels) return 0;
  return GetCalibrationWord(m, kCode2Offset + 4 * k);
}

int AnalogModules::GetCurrentCode(int m, int k) const {
  if (!ValidModule(m) || k < 0 || k >= kCalibrationChannels) return 0;
  return GetCalibrationWord(m, kCurrentCodeOffset + 2 * k);
}

// ---- copy and replace

void AnalogModules::CopyModule(int m, int moduleType, std::span<uint8_t> buffer) {
  if (!ValidModule(m)) return;
  std::copy_n(Records[m].begin(), std::min<size_t>(buffer.size(), kRecordSize), buffer.begin());
  CopiedModule = m;
  CopiedType = moduleType;
}

bool AnalogModules::CanReplaceModule(int moduleType) const {
  return CopiedModule >= 0 && CopiedType == moduleType;
}

bool AnalogModules::ReplaceModule(int m, std::span<const uint8_t> buffer) {
  if (!ValidModule(m) || CopiedModule < 0) return false;
  LoadRecord(m, buffer);
  Unchanged[m] = 0;
  return true;
}

}  // namespace zul
