#include "core/model/FunctionBlocks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "core/model/Cp1251.h"
#include "core/model/Float24.h"
#include "core/model/FloatText.h"

namespace zul {
namespace {

constexpr int kComparatorType = ftComparator + 1;
constexpr int kAlarmClock = 5;  // timer subtype T5

// Decimals of a Float24 shown as text: fewer as the magnitude grows.
int DecimalsFor(double v) {
  if (v > -10 && v <= 10) return 4;
  if ((v > 10 && v <= 100) || (v > -100 && v <= -10)) return 3;
  if ((v > 100 && v <= 1000) || (v > -1000 && v <= -100)) return 2;
  if ((v > 1000 && v <= 10000) || (v > -10000 && v <= -1000)) return 1;
  return 0;
}

int FloatOffset(int which) { return which == 1 ? 2 : which == 2 ? 6 : -1; }

int ResultAddressPos(int variant) { return variant == 1 ? 9 : variant == 2 ? 6 : -1; }

bool IsDiscreteOp(SignalRenumbering op) { return op <= SignalRenumbering::DiscreteInserted; }

}  // namespace

FunctionBlocks::FunctionBlocks() {
  PanelRecord.fill(-1);
  AlgStart.fill(kEmptyEntry);
  for (auto& row : AlgMembers) row.fill(kEmptyEntry);
  for (auto& name : AlgName) name.fill(' ');
}

// ---- sizes -------------------------------------------------------------------

void FunctionBlocks::SetTableSize(int size) {
  size = std::clamp(size, kPageRecords, kCapacity);
  TableSize = size - size % kPageRecords;
  AlgCount = std::min(AlgCount, TableSize);
}

void FunctionBlocks::SetIntegratorRecords(int count) {
  IntegratorRecords = std::clamp(count, 0, kMaxIntegratorRecords);
}

void FunctionBlocks::SetArithCount(int count) { ArithCount = std::clamp(count, 0, kMaxArithBlocks); }

int FunctionBlocks::FBLimit() const {
  int limit = TableSize - ArithCount;
  if (ArithCount != 0 && IntegratorRecords != 0) {
    limit -= 2;
  } else if (ArithCount == 0) {
    limit -= IntegratorRecords;
  }
  return limit;
}

int FunctionBlocks::RenumberBound() const {
  return TableSize - ArithCount - (IntegratorRecords != 0 ? 2 : 0);
}

void FunctionBlocks::RecountBlocks() {
  int count = 0;
  while (count < TableSize && GetTypeCode(count) >= 1 && GetTypeCode(count) <= 11) ++count;
  FBCount = count;
  int integrators = 0, arith = 0;
  for (int i = count; i < std::min(count + 26, TableSize); ++i) {
    if (GetTypeCode(i) != kTypeCalc) continue;
    if (GetSubtype(i) == 0) {
      ++integrators;
    } else {
      ++arith;
    }
  }
  SetIntegratorRecords(integrators);
  SetArithCount(arith);
}

int FunctionBlocks::CountInputs(int typeCode, int subtype) {
  switch (typeCode) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 7:
    case 9:
      return 4;
    case 5:
      return 2;
    case 6:
      return subtype == kAlarmClock ? 1 : 2;
    case 8:
      return 1;
    default:
      return 0;
  }
}

// ---- raw access ----------------------------------------------------------------

uint8_t* FunctionBlocks::Rec(int i) {
  return (i >= 0 && i < kCapacity) ? Table[static_cast<size_t>(i)].data() : nullptr;
}

const uint8_t* FunctionBlocks::Rec(int i) const {
  return (i >= 0 && i < kCapacity) ? Table[static_cast<size_t>(i)].data() : nullptr;
}

int FunctionBlocks::GetBits(int i, int pos, uint8_t mask, int shift) const {
  const uint8_t* r = Rec(i);
  if (!r || pos < 0 || pos >= kRecordSize) return 0;
  return (r[pos] & mask) >> shift;
}

void FunctionBlocks::SetBits(int i, int pos, uint8_t mask, int shift, int v) {
  uint8_t* r = Rec(i);
  if (!r || pos < 0 || pos >= kRecordSize) return;
  r[pos] = static_cast<uint8_t>((r[pos] & ~mask) | ((static_cast<unsigned>(v) << shift) & mask));
}

int FunctionBlocks::GetByte(int i, int pos) const { return GetBits(i, pos, 0xFF, 0); }
void FunctionBlocks::SetByte(int i, int pos, int v) { SetBits(i, pos, 0xFF, 0, v); }

std::span<const uint8_t, FunctionBlocks::kRecordSize> FunctionBlocks::Record(int i) const {
  static const std::array<uint8_t, kRecordSize> kNone{};
  const uint8_t* r = Rec(i);
  return std::span<const uint8_t, kRecordSize>(r ? r : kNone.data(), kRecordSize);
}

void FunctionBlocks::SetRecord(int i, std::span<const uint8_t, kRecordSize> bytes) {
  if (uint8_t* r = Rec(i)) std::memmove(r, bytes.data(), kRecordSize);
}

void FunctionBlocks::ClearRecord(int i) {
  if (uint8_t* r = Rec(i)) std::memset(r, 0, kRecordSize);
}

// ---- fields ----------------------------------------------------------------------

int FunctionBlocks::GetTypeCode(int i) const { return GetBits(i, 0, 0x0F, 0); }
void FunctionBlocks::SetTypeCode(int i, int code) { SetByte(i, 0, code & 0x0F); }
int FunctionBlocks::GetSubtype(int i) const { return GetBits(i, 0, 0xF0, 4); }
void FunctionBlocks::SetSubtype(int i, int v) { SetBits(i, 0, 0xF0, 4, v); }

int FunctionBlocks::InputPos(int i, int k) const {
  if (GetTypeCode(i) == kComparatorType) return k == 0 ? 7 : -1;
  return (k >= 0 && k < 4) ? 1 + 2 * k : -1;
}

int FunctionBlocks::GetInputSource(int i, int k) const { return GetBits(i, InputPos(i, k), 0x07, 0); }
void FunctionBlocks::SetInputSource(int i, int k, int v) { SetBits(i, InputPos(i, k), 0x07, 0, v); }
int FunctionBlocks::GetInputPolarity(int i, int k) const { return GetBits(i, InputPos(i, k), 0x08, 3); }
void FunctionBlocks::SetInputPolarity(int i, int k, int v) { SetBits(i, InputPos(i, k), 0x08, 3, v); }

int FunctionBlocks::GetInputNumber(int i, int k) const {
  int pos = InputPos(i, k);
  return pos < 0 ? 0 : GetByte(i, pos + 1);
}

void FunctionBlocks::SetInputNumber(int i, int k, int v) {
  int pos = InputPos(i, k);
  if (pos >= 0) SetByte(i, pos + 1, v);
}

int FunctionBlocks::GetAlarmType(int i) const { return GetBits(i, 9, 0xC0, 6); }
void FunctionBlocks::SetAlarmType(int i, int v) { SetBits(i, 9, 0xC0, 6, v); }
int FunctionBlocks::GetCell(int i) const { return GetBits(i, 9, 0x1F, 0); }
void FunctionBlocks::SetCell(int i, int v) { SetBits(i, 9, 0x1F, 0, v); }
int FunctionBlocks::GetArchive(int i) const { return GetBits(i, 9, 0x20, 5); }
void FunctionBlocks::SetArchive(int i, int v) { SetBits(i, 9, 0x20, 5, v); }

int FunctionBlocks::GetRelayByte(int i, int module) const {
  return (module >= 1 && module <= 5) ? GetByte(i, 9 + module) : 0;
}

void FunctionBlocks::SetRelayByte(int i, int module, int v) {
  if (module >= 1 && module <= 5) SetByte(i, 9 + module, v);
}

int FunctionBlocks::GetTimerDiskr(int i) const { return GetBits(i, 5, 0x03, 0); }
void FunctionBlocks::SetTimerDiskr(int i, int v) { SetBits(i, 5, 0x03, 0, v); }
int FunctionBlocks::GetTime(int i) const { return GetByte(i, 6); }
void FunctionBlocks::SetTime(int i, int v) { SetByte(i, 6, v); }
int FunctionBlocks::GetTimerSetpointKind(int i) const { return GetBits(i, 7, 0x10, 4); }
void FunctionBlocks::SetTimerSetpointKind(int i, int v) { SetBits(i, 7, 0x10, 4, v); }
int FunctionBlocks::GetTimerSetpointAddress(int i) const { return GetBits(i, 7, 0x0F, 0); }
void FunctionBlocks::SetTimerSetpointAddress(int i, int v) { SetBits(i, 7, 0x0F, 0, v); }
int FunctionBlocks::GetClockHour(int i) const { return GetBits(i, 5, 0xFC, 2); }
void FunctionBlocks::SetClockHour(int i, int v) { SetBits(i, 5, 0xFC, 2, v); }
int FunctionBlocks::GetClockMinute(int i) const { return GetByte(i, 4); }
void FunctionBlocks::SetClockMinute(int i, int v) { SetByte(i, 4, v); }
int FunctionBlocks::GetClockSecond(int i) const { return GetByte(i, 3); }
void FunctionBlocks::SetClockSecond(int i, int v) { SetByte(i, 3, v); }

int FunctionBlocks::GetComparatorAnalogNumber(int i) const { return GetBits(i, 1, 0x7F, 0); }
void FunctionBlocks::SetComparatorAnalogNumber(int i, int v) { SetBits(i, 1, 0x7F, 0, v); }
int FunctionBlocks::GetComparatorAnalogSource(int i) const { return GetBits(i, 1, 0x80, 7); }
void FunctionBlocks::SetComparatorAnalogSource(int i, int v) { SetBits(i, 1, 0x80, 7, v); }
int FunctionBlocks::GetHysteresis(int i) const { return GetBits(i, 5, 0x7C, 2); }
void FunctionBlocks::SetHysteresis(int i, int v) { SetBits(i, 5, 0x7C, 2, v); }
int FunctionBlocks::GetCondition(int i) const { return GetBits(i, 5, 0x80, 7); }
void FunctionBlocks::SetCondition(int i, int v) { SetBits(i, 5, 0x80, 7, v); }

int FunctionBlocks::GetCounterSetpoint(int i) const {
  return GetBits(i, 1, 0xF0, 4) | (GetBits(i, 3, 0x10, 4) << 4);
}

void FunctionBlocks::SetCounterSetpoint(int i, int v) {
  SetBits(i, 1, 0xF0, 4, v & 0x0F);
  // Bits 5-7 of byte 3 carry nothing and are written as 0.
  SetBits(i, 3, 0xF0, 4, (v >> 4) & 0x01);
}

int FunctionBlocks::GetX1Number(int i) const { return GetBits(i, 1, 0x7F, 0); }
void FunctionBlocks::SetX1Number(int i, int v) { SetBits(i, 1, 0x7F, 0, v); }
int FunctionBlocks::GetX1Source(int i) const { return GetBits(i, 1, 0x80, 7); }
void FunctionBlocks::SetX1Source(int i, int v) { SetBits(i, 1, 0x80, 7, v); }
int FunctionBlocks::GetX2Number(int i) const { return GetBits(i, 5, 0x7F, 0); }
void FunctionBlocks::SetX2Number(int i, int v) { SetBits(i, 5, 0x7F, 0, v); }
int FunctionBlocks::GetX2Source(int i) const { return GetBits(i, 5, 0x80, 7); }
void FunctionBlocks::SetX2Source(int i, int v) { SetBits(i, 5, 0x80, 7, v); }

int FunctionBlocks::GetResultAddress(int i, int variant) const {
  int pos = ResultAddressPos(variant);
  return pos < 0 ? 0 : GetByte(i, pos);
}

void FunctionBlocks::SetResultAddress(int i, int variant, int v) {
  int pos = ResultAddressPos(variant);
  if (pos >= 0) SetByte(i, pos, v);
}

std::string FunctionBlocks::GetFloatText(int i, int which) const {
  const uint8_t* r = Rec(i);
  int off = FloatOffset(which);
  if (!r || off < 0) return {};
  double v = Float24ToFloat(r + off);
  return FixedNotation(v, 7, DecimalsFor(v));
}

bool FunctionBlocks::SetFloatText(int i, std::string_view text, int which) {
  uint8_t* r = Rec(i);
  int off = FloatOffset(which);
  if (!r || off < 0) return false;
  std::optional<double> v = ParseDecimal(text);
  if (!v) return false;
  // Beyond float's range the cast itself would be undefined; Float24 saturates anyway.
  const double flt = std::numeric_limits<float>::max();
  FloatToFloat24(static_cast<float>(std::clamp(*v, -flt, flt)), r + off);
  return true;
}

// ---- pages ---------------------------------------------------------------------------

bool FunctionBlocks::LoadPage(int page, std::span<const uint8_t> bytes) {
  if (page < 0 || page >= GetPageCount()) return false;
  PageBuffer.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), PageBuffer.size()), PageBuffer.begin());
  for (int r = 0; r < kPageRecords; ++r)
    std::memcpy(Table[static_cast<size_t>(page * kPageRecords + r)].data(),
                PageBuffer.data() + r * kRecordSize, kRecordSize);
  return true;
}

bool FunctionBlocks::LoadPageFromAnswer(int page, std::span<const uint8_t> answer) {
  return LoadPage(page, answer.size() > 4 ? answer.subspan(4) : std::span<const uint8_t>());
}

bool FunctionBlocks::StorePage(int page) {
  if (page < 0 || page >= GetPageCount()) return false;
  PageBuffer.fill(0);
  for (int r = 0; r < kPageRecords; ++r)
    std::memcpy(PageBuffer.data() + r * kRecordSize,
                Table[static_cast<size_t>(page * kPageRecords + r)].data(), kRecordSize);
  return true;
}

void FunctionBlocks::SetPageByteCount(int count) { PageByteCount = std::clamp(count, 1, kPageSize + 1); }

bool FunctionBlocks::LoadTextPage(int page, std::span<const uint8_t> bytes) {
  if (page < 0 || page >= GetPageCount()) return false;
  TextPageBuffer.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), TextPageBuffer.size()), TextPageBuffer.begin());
  for (int r = 0; r < kPageRecords; ++r)
    std::memcpy(AlgName[static_cast<size_t>(page * kPageRecords + r)].data(),
                TextPageBuffer.data() + r * kNameSize, kNameSize);
  return true;
}

bool FunctionBlocks::StoreTextPage(int page) {
  if (page < 0 || page >= GetPageCount()) return false;
  TextPageBuffer.fill(0);
  for (int r = 0; r < kPageRecords; ++r)
    std::memcpy(TextPageBuffer.data() + r * kNameSize,
                AlgName[static_cast<size_t>(page * kPageRecords + r)].data(), kNameSize);
  return true;
}

// ---- algorithms -------------------------------------------------------------------------

std::string FunctionBlocks::GetAlgName(int i) const {
  if (i < 0 || i >= kCapacity) return {};
  return GetTextField(AlgName[static_cast<size_t>(i)].data(), kNameSize);
}

std::span<const uint8_t> FunctionBlocks::AlgNameBytes(int i) const {
  if (i < 0 || i >= kCapacity) return {};
  return AlgName[static_cast<size_t>(i)];
}

void FunctionBlocks::SetAlgName(int i, std::string_view text) {
  if (i < 0 || i >= kCapacity) return;
  SetTextField(AlgName[static_cast<size_t>(i)].data(), kNameSize, text);
}

void FunctionBlocks::SetAlgCount(int count) { AlgCount = std::clamp(count, 0, TableSize); }

int FunctionBlocks::GetAlgStart(int block) const {
  return (block >= 0 && block <= kCapacity) ? AlgStart[static_cast<size_t>(block)] : kEmptyEntry;
}

void FunctionBlocks::SetAlgStart(int block, int v) {
  if (block >= 0 && block <= kCapacity) AlgStart[static_cast<size_t>(block)] = v;
}

int FunctionBlocks::GetAlgMember(int alg, int k) const {
  if (alg < 0 || alg > kCapacity || k < 0 || k > kCapacity) return kEmptyEntry;
  return AlgMembers[static_cast<size_t>(alg)][static_cast<size_t>(k)];
}

void FunctionBlocks::SetAlgMember(int alg, int k, int v) {
  if (alg < 0 || alg > kCapacity || k < 0 || k > kCapacity) return;
  AlgMembers[static_cast<size_t>(alg)][static_cast<size_t>(k)] = v;
}

size_t FunctionBlocks::AlgorithmDataSize() const {
  auto n = static_cast<size_t>(TableSize);
  return n + n * n + 1;
}

void FunctionBlocks::StoreAlgorithmData(std::span<uint8_t> out) const {
  const auto n = static_cast<size_t>(TableSize);
  size_t pos = 0;
  auto put = [&](int v) {
    if (pos < out.size()) out[pos] = static_cast<uint8_t>(v);
    ++pos;
  };
  for (size_t i = 0; i < n; ++i) put(AlgStart[i]);
  for (size_t r = 0; r < n; ++r)
    for (size_t k = 0; k < n; ++k) put(AlgMembers[r][k]);
  put(AlgCount);
}

void FunctionBlocks::LoadAlgorithmData(std::span<const uint8_t> in) {
  const auto n = static_cast<size_t>(TableSize);
  size_t pos = 0;
  // A short file leaves the missing entries empty.
  auto take = [&](int missing) { return pos < in.size() ? in[pos++] : (++pos, missing); };
  for (size_t i = 0; i < n; ++i) AlgStart[i] = take(kEmptyEntry);
  for (size_t r = 0; r < n; ++r)
    for (size_t k = 0; k < n; ++k) AlgMembers[r][k] = take(kEmptyEntry);
  SetAlgCount(take(0));
}

void FunctionBlocks::ResetAfterRead() {
  AlgCount = 0;
  const auto n = static_cast<size_t>(TableSize);
  for (size_t i = 0; i < n; ++i) {
    AlgStart[i] = kEmptyEntry;
    std::fill_n(AlgMembers[i].begin(), n, kEmptyEntry);
  }
  for (auto& name : AlgName) name.fill(' ');
}

// ---- renumbering ---------------------------------------------------------------------------

bool FunctionBlocks::RenumberValue(SignalRenumbering op, int a, int n, int m, int limit, int& number) {
  using R = SignalRenumbering;
  if (number == 0) return false;
  int result = number;
  switch (op) {
    case R::DiscreteRemovedCleared:
    case R::AnalogRemovedCleared:
      if (number >= a + 1 && number <= a + n) {
        result = 0;
      } else if (number >= a + n + 1) {
        result = number - n;
      }
      break;
    case R::DiscreteRemovedShift:
    case R::AnalogRemovedShift:
      if (number >= a + 1) result = number - n;
      break;
    case R::DiscreteOneRemoved:
    case R::AnalogOneRemoved:
      if (number == a + 1) result = 0;
      break;
    case R::DiscreteGroupRegrown:
    case R::AnalogGroupRegrown:
      if (number >= a + 1 && number <= a + n) {
        result = 0;
      } else if (number >= a + n + 1) {
        result = number + m;
      }
      break;
    case R::DiscreteInserted:
    case R::AnalogInserted:
      if (number >= a + 1) result = number + n;
      break;
  }
  // A signal moved out of the base takes its references with it.
  if (result < 1 || result > limit) result = 0;
  if (result == number) return false;
  number = result;
  return true;
}

int FunctionBlocks::RenumberSignals(SignalRenumbering op, int a, int n, int m) {
  if (a < 0 || n < 0 || m < 0) return 0;
  const bool discrete = IsDiscreteOp(op);
  const int limit = discrete ? kMaxDiscreteSignals : kMaxAnalogSignals;
  int changed = 0;
  const int bound = std::min(RenumberBound(), kCapacity);
  for (int i = 0; i < bound; ++i) {
    const int type = GetTypeCode(i);
    const int inputs = CountInputs(type, GetSubtype(i));
    for (int k = 0; k < inputs; ++k) {
      const int source = GetInputSource(i, k);
      const bool matches =
          discrete ? (source == srcDiscrete || source == srcDiscreteInvalid) : source == srcAnalogInvalid;
      if (!matches) continue;
      int number = GetInputNumber(i, k);
      if (RenumberValue(op, a, n, m, limit, number)) {
        SetInputNumber(i, k, number);
        ++changed;
      }
    }
    // The comparator's analog value is an analog signal only when it does not
    // read an arithmetic block; those numbers do not move with the signals.
    if (!discrete && type == kComparatorType && GetComparatorAnalogSource(i) == 0) {
      int number = GetComparatorAnalogNumber(i);
      if (RenumberValue(op, a, n, m, limit, number)) {
        SetComparatorAnalogNumber(i, number);
        ++changed;
      }
    }
  }
  if (!discrete) changed += RenumberCalculationAnalogs(op, a, n, m);
  return changed;
}

// The integrators' numbers and the X1/X2 of arithmetic blocks whose source is
// an analog signal (a calculated value does not move with the signals).
int FunctionBlocks::RenumberCalculationAnalogs(SignalRenumbering op, int a, int n, int m) {
  constexpr int kIntegratorBytes = 12;
  constexpr int kSqrt = 5;
  int changed = 0;
  auto follow = [&](int number, auto store) {
    if (RenumberValue(op, a, n, m, kMaxAnalogSignals, number)) {
      store(number);
      ++changed;
    }
  };
  for (int i = 0; i < TableSize; ++i) {
    if (GetTypeCode(i) != kTypeCalc) continue;
    const int operation = GetOperation(i);
    if (operation == 0) {
      for (int pos = 1; pos <= kIntegratorBytes; ++pos)
        follow(GetByte(i, pos), [&](int v) { SetByte(i, pos, v); });
      continue;
    }
    if (operation > kSqrt) continue;
    if (GetX1Source(i) == 0) follow(GetX1Number(i), [&](int v) { SetX1Number(i, v); });
    if (operation < kSqrt && GetX2Source(i) == 0) follow(GetX2Number(i), [&](int v) { SetX2Number(i, v); });
  }
  return changed;
}

void FunctionBlocks::InsertGap(int a, int b, int c, int d) {
  const int n = c - b + 1;
  if (a < 0 || a >= TableSize || n <= 0) return;
  for (int i = TableSize - n - 1; i >= a; --i)
    Table[static_cast<size_t>(i + n)] = Table[static_cast<size_t>(i)];
  const int bound = RenumberBound();
  const int last = std::min(d + n, TableSize);
  for (int j = 0; j < last; ++j) {
    const int type = GetTypeCode(j);
    if (type == kTypeCalc) break;
    const int inputs = CountInputs(type, GetSubtype(j));
    for (int k = 0; k < inputs; ++k) {
      if (GetInputSource(j, k) != srcFBOutput) continue;
      int g = GetInputNumber(j, k);
      if (g <= 0 || g > bound || g <= a) continue;
      g += n;
      SetInputNumber(j, k, g > bound ? 0 : g);
    }
  }
}

}  // namespace zul
