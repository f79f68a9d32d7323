#include "core/model/Regulators.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/model/Float24.h"
#include "core/model/FloatText.h"

namespace zul {

namespace {

constexpr int kKP = 6;
constexpr int kTi = 9;
constexpr int kTd = 12;
constexpr int kOL = 15;
constexpr int kOH = 18;
constexpr int kdSP = 21;
constexpr int kKvu = 24;
constexpr int kFcOut = 25;

bool ValidRecord(int i) { return i >= 0 && i < Regulators::RecordCount; }
bool ValidByte(int b) { return b >= 0 && b < Regulators::RecordSize; }
bool ValidPoint(int t) { return t >= 0 && t < Regulators::ProgramPoints; }

int Word(const Regulators::Record& r, int offset) { return r[offset] | (r[offset + 1] << 8); }

void PutWord(Regulators::Record& r, int offset, int v) {
  r[offset] = static_cast<uint8_t>(v & 0xFF);
  r[offset + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

// Truncates toward zero, kept within what `lo`..`hi` can hold (a huge or
// non-finite value must not reach an integer conversion).
int TruncateInto(double v, int lo, int hi) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), static_cast<double>(lo), static_cast<double>(hi)));
}

}  // namespace

// --- loop record bytes -------------------------------------------------------

int Regulators::GetLoopByte(int i, int b) const { return ValidRecord(i) && ValidByte(b) ? Loops[i][b] : 0; }

void Regulators::SetLoopByte(int i, int b, int v) {
  if (ValidRecord(i) && ValidByte(b)) Loops[i][b] = static_cast<uint8_t>(v);
}

void Regulators::SetOutAction(int i, int v) { SetLoopByte(i, 3, (GetLoopByte(i, 3) & ~1) | (v & 1)); }

int Regulators::GetKvu(int i) const {
  int b = GetLoopByte(i, kKvu);
  return b != 0 ? b + KvuBase : 0;
}

void Regulators::SetKvu(int i, int v) { SetLoopByte(i, kKvu, v <= KvuBase ? v : v - KvuBase); }

int Regulators::GetKind(int i) const {
  int b = GetLoopByte(i, 1);
  int o = GetLoopByte(i, 2);
  int f = GetLoopByte(i, 3);
  if (b == 0) return f == 0 ? KindRepeater : KindTwoPosition;
  if ((b == 1 && o > 7) || (b >= 8 && b <= 13)) return KindCascade;
  if (b >= 16 && b <= 21) return KindProgram;
  // Any other byte names the kind itself; one beyond the list (a damaged file)
  // must not index the kind list.
  return b <= KindTwoPosition ? b : KindUnknown;
}

TRegType Regulators::GetRegType(int i) const {
  switch (GetKind(i)) {
    case KindRepeater:
      return rtPS;
    case KindTwoPosition:
      return rtDPR;
    default:
      return rtPID;
  }
}

// --- Float24 parameters ------------------------------------------------------

std::string Regulators::GetFloatText(int i, int offset, int precision, int decimals) const {
  if (!ValidRecord(i)) return FixedNotation(0.0, precision, decimals);
  return FixedNotation(Float24ToFloat(&Loops[i][offset]), precision, decimals);
}

bool Regulators::SetFloatText(int i, int offset, std::string_view text) {
  auto value = ParseDecimal(text);
  if (!value || !ValidRecord(i)) return false;
  // Float24 saturates far below the float limits; keep the cast defined.
  const double limit = std::numeric_limits<float>::max();
  FloatToFloat24(static_cast<float>(std::clamp(*value, -limit, limit)), &Loops[i][offset]);
  return true;
}

std::string Regulators::GetKP(int i) const { return GetFloatText(i, kKP, 7, 2); }
bool Regulators::SetKP(int i, std::string_view text) { return SetFloatText(i, kKP, text); }
std::string Regulators::GetTi(int i) const { return GetFloatText(i, kTi, 7, 2); }
bool Regulators::SetTi(int i, std::string_view text) { return SetFloatText(i, kTi, text); }
std::string Regulators::GetTd(int i) const { return GetFloatText(i, kTd, 7, 2); }
bool Regulators::SetTd(int i, std::string_view text) { return SetFloatText(i, kTd, text); }
std::string Regulators::GetOL(int i) const { return GetFloatText(i, kOL, 5, 2); }
bool Regulators::SetOL(int i, std::string_view text) { return SetFloatText(i, kOL, text); }
std::string Regulators::GetOH(int i) const { return GetFloatText(i, kOH, 5, 2); }
bool Regulators::SetOH(int i, std::string_view text) { return SetFloatText(i, kOH, text); }
std::string Regulators::GetdSP(int i) const { return GetFloatText(i, kdSP, 5, 2); }
bool Regulators::SetdSP(int i, std::string_view text) { return SetFloatText(i, kdSP, text); }
std::string Regulators::GetFcOut(int i) const { return GetFloatText(i, kFcOut, 7, 4); }
bool Regulators::SetFcOut(int i, std::string_view text) { return SetFloatText(i, kFcOut, text); }

// --- two-position outputs ----------------------------------------------------

float Regulators::GetOutPercent(int i, int offset) const {
  if (!ValidRecord(i)) return 0.0f;
  return static_cast<float>(Word(Loops[i], offset)) * 100.0f / FullScaleCode;
}

void Regulators::SetOutPercent(int i, int offset, float percent) {
  if (!ValidRecord(i)) return;
  // Divide rather than multiply by 0.01: a whole percent must not lose a code
  // to the binary error of 0.01.
  PutWord(Loops[i], offset, TruncateInto(static_cast<double>(percent) * FullScaleCode / 100.0, 0, 0xFFFF));
}

// --- program records ---------------------------------------------------------

int Regulators::GetProgByte(int p, int b) const {
  return ValidRecord(p) && ValidByte(b) ? Programs[p][b] : 0;
}

void Regulators::SetProgByte(int p, int b, int v) {
  if (ValidRecord(p) && ValidByte(b)) Programs[p][b] = static_cast<uint8_t>(v);
}

int Regulators::GetTime(int p, int t) const {
  return ValidRecord(p) && ValidPoint(t) ? Word(Programs[p], 1 + 4 * t) : 0;
}

void Regulators::SetTime(int p, int t, int v) {
  if (ValidRecord(p) && ValidPoint(t)) PutWord(Programs[p], 1 + 4 * t, v);
}

int Regulators::GetValue(int p, int t) const {
  return ValidRecord(p) && ValidPoint(t) ? Word(Programs[p], 3 + 4 * t) : 0;
}

void Regulators::SetValue(int p, int t, int v) {
  if (ValidRecord(p) && ValidPoint(t)) PutWord(Programs[p], 3 + 4 * t, v);
}

double Regulators::GetSetpoint(int p, int t, double scaleMin, double scaleMax) const {
  return GetValue(p, t) * (scaleMax - scaleMin) / FullScaleCode;
}

std::optional<double> Regulators::MaxStorableSetpoint(double scaleMin, double scaleMax) {
  const double span = scaleMax - scaleMin;
  if (!std::isfinite(span) || !(span > 0.0)) return std::nullopt;
  return MaxValueCode * span / FullScaleCode;
}

bool Regulators::SetSetpoint(int p, int t, double setpoint, double scaleMin, double scaleMax) {
  const double span = scaleMax - scaleMin;
  // An empty scale has no codes; storing 0 beats dividing by zero.
  if (span == 0.0) {
    SetValue(p, t, 0);
    return true;
  }
  const double code = std::trunc(setpoint / span * FullScaleCode);
  // The controller reads the code unsigned: a clamped code would be another setpoint.
  if (!std::isfinite(code) || code < 0.0 || code > MaxValueCode) return false;
  SetValue(p, t, static_cast<int>(code));
  return true;
}

// --- online state ------------------------------------------------------------

bool Regulators::StatusBit(int r, int bit) const {
  return ValidRecord(r) && ((RegStatus[r] >> bit) & 1) != 0;
}

void Regulators::StoreOnlineValues(const uint8_t* data, size_t count) {
  size_t values = std::min(count / 4, static_cast<size_t>(RecordCount * 3));
  for (size_t k = 0; k < values; ++k) {
    const uint8_t* v = data + 4 * k;
    uint32_t bits = (uint32_t{v[0]} << 24) | (uint32_t{v[1]} << 16) | (uint32_t{v[2]} << 8) | v[3];
    float f;
    std::memcpy(&f, &bits, sizeof f);
    RegValues[k / 3][k % 3] = f;
  }
}

void Regulators::StoreOnlineStatus(const uint8_t* data, size_t count) {
  std::copy_n(data, std::min(count, RegStatus.size()), RegStatus.begin());
}

// --- blocks ------------------------------------------------------------------

void Regulators::LoadFromAnswer(const uint8_t* answer, size_t length) {
  constexpr size_t kDataStart = 4;
  LoadFromFile(length > kDataStart ? answer + kDataStart : answer,
               length > kDataStart ? length - kDataStart : 0);
}

void Regulators::LoadFromFile(const uint8_t* bytes, size_t length) {
  RegBuf.fill(0);
  std::copy_n(bytes, std::min(length, RegBuf.size()), RegBuf.begin());
}

void Regulators::SetRegBlockLen(int byteCount) { RegBlockLen = std::clamp(byteCount, 1, BlockDataSize + 1); }

void Regulators::Unpack(int n) {
  auto* target = n == LoopBlockNumber ? &Loops : n == ProgramBlockNumber ? &Programs : nullptr;
  if (!target) return;
  for (int r = 0; r < RecordCount; ++r)
    std::copy_n(RegBuf.begin() + r * RecordSize, RecordSize, (*target)[r].begin());
}

void Regulators::Pack(int n) {
  RegBuf.fill(0);
  const auto* source = n == LoopBlockNumber ? &Loops : n == ProgramBlockNumber ? &Programs : nullptr;
  if (!source) return;
  for (int r = 0; r < RecordCount; ++r)
    std::copy((*source)[r].begin(), (*source)[r].end(), RegBuf.begin() + r * RecordSize);
}

void Regulators::RemoveRecords(std::array<Record, RecordCount>& records, int start, int count) {
  if (start < 0 || count <= 0) return;
  for (int p = start; p < RecordCount; ++p) {
    if (p + count < RecordCount)
      records[p] = records[p + count];
    else
      records[p].fill(0);
  }
}

int Regulators::ClearLoops(int start, int count) {
  for (int p = std::max(start, 0); p < start + count && p < RecordCount; ++p) Loops[p].fill(0);
  return start + count;
}

void Regulators::SetNewPrograms() {
  for (int p = 0; p < RecordCount; ++p) {
    for (int t = 0; t < ProgramPoints; ++t) {
      SetTime(p, t, 60);
      SetValue(p, t, (15 * t + 15) * FullScaleCode / 100);  // 15 % .. 90 %, truncated
    }
  }
  Pack(ProgramBlockNumber);
}

}  // namespace zul
