#include "core/model/DiscreteProcessing.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "core/model/ServiceBlock.h"

namespace zul {
namespace {

constexpr uint8_t kAlarmMask = 0xC0;
constexpr uint8_t kCellMask = 0x1F;
constexpr uint8_t kDelayTimeMask = 0x3F;
constexpr uint8_t kDelayUnitMask = 0x40;
constexpr uint8_t kArchiveMask = 0x80;
constexpr int kDelayByte = 9;
constexpr int kAlarmEmergency = 0x80;
constexpr int kAlarmWarning = 0x40;
constexpr int kDiscreteInputs = 12;   // per discrete input module
constexpr int kAnalogSetpoints = 24;  // per analog module: 6 channels x LL, L, H, HH

bool ValidIndex(int i) { return i >= 0 && i < DiscreteProcessing::kSignals; }

bool ParseInt(std::string_view text, int& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

// ---- record fields ----------------------------------------------------------------

int DiscreteProcessing::Get(int i, int k, uint8_t mask) const {
  if (!ValidIndex(i) || k < 0 || k >= kRecordSize) return 0;
  return Records[static_cast<size_t>(i)][static_cast<size_t>(k)] & mask;
}

void DiscreteProcessing::Set(int i, int k, uint8_t mask, int v) {
  if (!ValidIndex(i) || k < 0 || k >= kRecordSize) return;
  uint8_t& b = Records[static_cast<size_t>(i)][static_cast<size_t>(k)];
  b = static_cast<uint8_t>((b & ~mask) | (v & mask));
}

int DiscreteProcessing::GetContact(int i) const { return Get(i, 0, kContactNormallyOpen); }
void DiscreteProcessing::SetContact(int i, int v) { Set(i, 0, kContactNormallyOpen, v); }
int DiscreteProcessing::GetAlarmType(int i) const { return Get(i, 0, kAlarmMask); }
void DiscreteProcessing::SetAlarmType(int i, int v) { Set(i, 0, kAlarmMask, v); }
int DiscreteProcessing::GetCell(int i) const { return Get(i, 0, kCellMask); }
void DiscreteProcessing::SetCell(int i, int v) { Set(i, 0, kCellMask, v); }
int DiscreteProcessing::GetDelayUnit(int i) const { return Get(i, kDelayByte, kDelayUnitMask); }
void DiscreteProcessing::SetDelayUnit(int i, int v) { Set(i, kDelayByte, kDelayUnitMask, v); }
int DiscreteProcessing::GetDelayTime(int i) const { return Get(i, kDelayByte, kDelayTimeMask); }
void DiscreteProcessing::SetDelayTime(int i, int v) { Set(i, kDelayByte, kDelayTimeMask, v); }
int DiscreteProcessing::GetArchive(int i) const { return Get(i, kDelayByte, kArchiveMask); }
void DiscreteProcessing::SetArchive(int i, int v) { Set(i, kDelayByte, kArchiveMask, v); }
int DiscreteProcessing::GetByte(int i, int k) const { return Get(i, k, 0xFF); }
void DiscreteProcessing::SetByte(int i, int k, int v) { Set(i, k, 0xFF, v); }

const ProcessingRecord& DiscreteProcessing::Record(int i) const {
  static const ProcessingRecord kNone{};
  return ValidIndex(i) ? Records[static_cast<size_t>(i)] : kNone;
}

void DiscreteProcessing::SetRecord(int i, const ProcessingRecord& record) {
  if (ValidIndex(i)) Records[static_cast<size_t>(i)] = record;
}

bool DiscreteProcessing::IsRecordActive(int i) const {
  if (!ValidIndex(i)) return false;
  if (GetAlarmType(i) != 0 || GetDelayTime(i) != 0) return true;
  for (int m = 1; m <= 8; ++m)
    if (GetByte(i, m) != 0) return true;
  return false;
}

// ---- blocks ----------------------------------------------------------------------------

void DiscreteProcessing::LoadBlockFromAnswer(std::span<const uint8_t> answer) {
  LoadBlockFromFile(answer.size() > 4 ? answer.subspan(4) : std::span<const uint8_t>());
}

void DiscreteProcessing::LoadBlockFromFile(std::span<const uint8_t> bytes) {
  ExchangeBuf.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), ExchangeBuf.size()), ExchangeBuf.begin());
}

void DiscreteProcessing::UnpackBlock(int b) {
  if (b < 0 || b >= kBlocks) return;
  for (int r = 0; r < kBlockRecords; ++r)
    std::memcpy(Records[static_cast<size_t>(b * kBlockRecords + r)].data(),
                ExchangeBuf.data() + r * kRecordSize, kRecordSize);
}

void DiscreteProcessing::PackBlock(int b) {
  if (b < 0 || b >= kBlocks) return;
  ExchangeBuf.fill(0);
  for (int r = 0; r < kBlockRecords; ++r)
    std::memcpy(ExchangeBuf.data() + r * kRecordSize,
                Records[static_cast<size_t>(b * kBlockRecords + r)].data(), kRecordSize);
}

void DiscreteProcessing::SetRecordBlockLen(int len) { RecordBlockLen = std::clamp(len, 1, kBlockSize + 1); }

// ---- ranges -------------------------------------------------------------------------------

void DiscreteProcessing::RemoveRecords(int start, int count) {
  if (!ValidIndex(start) || count <= 0) return;
  for (int p = start; p < kSignals; ++p) {
    // Compare without forming p + count, which a huge count would overflow.
    Records[static_cast<size_t>(p)] =
        count <= kSignals - 1 - p ? Records[static_cast<size_t>(p + count)] : kEmptyRecord;
  }
}

void DiscreteProcessing::InsertRecords(int start, int count) {
  if (!ValidIndex(start) || count <= 0 || count >= kSignals) return;
  for (int p = kSignals - 1 - count; p >= start; --p)
    Records[static_cast<size_t>(p + count)] = Records[static_cast<size_t>(p)];
}

int DiscreteProcessing::ClearRecords(int start, int count) {
  for (int p = std::max(start, 0); p < kSignals && p - start < count; ++p)
    Records[static_cast<size_t>(p)] = kEmptyRecord;
  return start + count;
}

void DiscreteProcessing::CopyRecord(int from, int to) {
  if (ValidIndex(from) && ValidIndex(to))
    Records[static_cast<size_t>(to)] = Records[static_cast<size_t>(from)];
}

// ---- sensor types ------------------------------------------------------------------------------

void DiscreteProcessing::LoadSensorTypesFromAnswer(std::span<const uint8_t> answer) {
  SensorTypeBytes.fill(0);
  LoadSensorTypesFromFile(answer.size() > 4 ? answer.subspan(4) : std::span<const uint8_t>());
}

void DiscreteProcessing::LoadSensorTypesFromFile(std::span<const uint8_t> bytes) {
  SensorTypeBytes.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), SensorTypeBytes.size()), SensorTypeBytes.begin());
}

int DiscreteProcessing::GetSensorTypeByte(int k) const {
  return (k >= 0 && k < kSensorBytes) ? SensorTypeBytes[static_cast<size_t>(k)] : 0;
}

void DiscreteProcessing::SetSensorTypeByte(int k, int v) {
  if (k >= 0 && k < kSensorBytes) SensorTypeBytes[static_cast<size_t>(k)] = static_cast<uint8_t>(v);
}

void DiscreteProcessing::UnpackSensorTypes() {
  for (size_t s = 0; s < kSlots; ++s) {
    const unsigned word = SensorTypeBytes[2 * s] | (SensorTypeBytes[2 * s + 1] << 8);
    for (size_t j = 0; j < kSlots; ++j) SensorTypeMatrix[s][j] = (word >> j) & 1;
  }
}

int DiscreteProcessing::GetSensorType(int j, int s) const {
  if (j < 0 || j >= kSlots || s < 0 || s >= kSlots) return 0;
  return SensorTypeMatrix[static_cast<size_t>(s)][static_cast<size_t>(j)];
}

void DiscreteProcessing::SetSensorType(int j, int s, int v) {
  if (j < 0 || j >= kSlots || s < 0 || s >= kSlots) return;
  auto& row = SensorTypeMatrix[static_cast<size_t>(s)];
  row[static_cast<size_t>(j)] = v;
  unsigned word = 0;
  for (size_t k = 0; k < kSlots; ++k)
    if (row[k] == 1) word |= 1u << k;
  SensorTypeBytes[2 * static_cast<size_t>(s)] = static_cast<uint8_t>(word & 0xFF);
  SensorTypeBytes[2 * static_cast<size_t>(s) + 1] = static_cast<uint8_t>(word >> 8);
}

void DiscreteProcessing::SetSensorBlockLen(int len) { SensorBlockLen = std::clamp(len, 1, kSensorBytes + 1); }

// ---- new configuration ---------------------------------------------------------------------------

void DiscreteProcessing::DefaultProcessing(int discreteModules, int analogModules, bool relayOutputs) {
  ClearRecords(0, kSignals);
  const int d = std::max(discreteModules, 0);
  const int a = std::max(analogModules, 0);
  for (int g = 0; g < d; ++g) {
    for (int h = 0; h < kDiscreteInputs; ++h) {
      const int s = kDiscreteInputs * g + h;
      SetCell(s, g + 1);
      SetAlarmType(s, kAlarmEmergency);
    }
  }
  // Analog modules are numbered on after the discrete ones; their LL and HH
  // setpoints raise an emergency, L and H a warning.
  for (int k = 0; k < a; ++k) {
    for (int h = 0; h < kAnalogSetpoints; ++h) {
      const int s = kDiscreteInputs * d + kAnalogSetpoints * k + h;
      const bool middle = h % 4 == 1 || h % 4 == 2;
      SetCell(s, d + k + 1);
      SetAlarmType(s, middle ? kAlarmWarning : kAlarmEmergency);
    }
  }
  const int own = std::min(kDiscreteInputs * d + kAnalogSetpoints * a, kSignals);
  for (int s = 0; s < own; ++s) {
    SetContact(s, kContactNormallyOpen);
    SetArchive(s, kArchiveMask);
  }
  if (relayOutputs) ApplyRelayDefaults();
}

void DiscreteProcessing::ApplyRelayDefaults() {
  for (int s = 0; s < 24; ++s) {
    SetDelayUnit(s, 0);
    SetDelayTime(s, 5);
    SetByte(s, 1, 1);
  }
}

// ---- editor checks -----------------------------------------------------------------------------------

bool DiscreteProcessing::IsValueValid(std::string_view text, int kind) {
  if (text.empty()) return false;
  int v = 0;
  switch (kind) {
    case kCheckDelayTime:
      return ParseInt(text, v) && v >= 0 && v <= 60;
    case kCheckDelayUnit:
      return ParseInt(text, v) && (v == 1 || v == 10);
    default:
      return true;
  }
}

int DiscreteProcessing::CheckValue(std::string_view text, int kind, Interaction& ui,
                                   const std::function<void(bool red)>& paint) const {
  if (IsValueValid(text, kind)) return 0;
  ui.Beep();
  if (paint) paint(true);
  ui.Show(kCaptionError, std::string(ServiceBlock::kInputErrorText), Icon::Error);
  if (paint) paint(false);
  return 1;
}

bool DiscreteProcessing::AskCreateScheme(Interaction& ui) const {
  Message question{"Подтверждение", "Конфигурация не задана. Будете создавать?", Icon::Question,
                   Buttons::YesNo, Answer::Yes};
  if (ui.Ask(question) != Answer::Yes) return true;
  if (AccessLevel != 1)
    ui.Show(kCaptionWarning, "Ваш уровень доступа не позволяет создавать схему", Icon::Warning);
  return false;
}

}  // namespace zul
