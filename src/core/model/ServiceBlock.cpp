#include "core/model/ServiceBlock.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "core/model/Cp1251.h"

namespace zul {

namespace {

// The two limit characters of an analog input's setpoint signal k (LL, L, H, HH).
struct LimitChars {
  const char* first;
  const char* second;
};
constexpr LimitChars kLimitChars[ServiceBlock::kLimitsPerAnalogInput] = {
    {"L", "L"}, {"L", " "}, {"H", " "}, {"H", "H"}};

bool ValidLimit(int limit) { return limit >= 0 && limit < ServiceBlock::kLimitsPerAnalogInput; }

// Bytes the answer actually carries after `offset`: bounded by the buffer and
// by the byte count (answer byte 2, which counts from answer byte 3 on).
size_t AnswerDataAvailable(std::span<const uint8_t> answer, size_t offset) {
  if (answer.size() <= offset || answer.size() < 3) return 0;
  const size_t counted = answer[2];
  const size_t countedEnd = 3 + counted;
  const size_t end = std::min(answer.size(), countedEnd);
  return end > offset ? end - offset : 0;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Digits with at most one decimal comma and an optional leading minus; at
// least one digit. The comma is this program's decimal separator.
bool ParseDecimal(std::string_view s, double* value) {
  std::string ascii(s);
  const bool negative = !ascii.empty() && ascii.front() == '-';
  if (negative) ascii.erase(0, 1);
  bool sawDigit = false;
  for (char& c : ascii) {
    if (c == ',') {
      c = '.';
    } else if (c >= '0' && c <= '9') {
      sawDigit = true;
    } else {
      return false;
    }
  }
  if (!sawDigit) return false;
  if (ascii.front() == '.') ascii.insert(0, "0");
  double v = 0;
  const auto [end, ec] =
      std::from_chars(ascii.data(), ascii.data() + ascii.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return false;
  *value = negative ? -v : v;
  return true;
}

}  // namespace

ServiceBlock::ModuleGroup ServiceBlock::GroupOf(int typeCode) {
  switch (typeCode) {
    case 1:
    case 2:
    case 10:
    case 11:
      return ModuleGroup::DiscreteInput;
    case 6:
    case 7:
    case 8:
    case 9:
    case 13:
      return ModuleGroup::Analog;
    case 3:
    case 4:
    case 5:
    case 12:
      return ModuleGroup::RelayOutput;
    default:
      return ModuleGroup::None;
  }
}

std::string ServiceBlock::IndicationName(int type) {
  switch (type) {
    case 0:
      return "12+ЖКИ(4х20)";
    case 1:
      return "24+ЖКИ(4х20)";
    case 2:
      return "ЖКД(640х480)";
    case 3:
      return "6+ЖКИ(4х20)";
    case 4:
      return "ЖКИ(4х20)";
    default:
      return {};
  }
}

int ServiceBlock::CellsOfIndicationType(int type) {
  switch (type) {
    case 0:
      return 12;
    case 1:
      return 24;
    case 2:
    case 4:
      return 192;
    case 3:
      return 6;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- identity

void ServiceBlock::DecodeIdentity(int functionCode, std::span<const uint8_t> answer) {
  if (functionCode != kIdentityFunction) return;
  const size_t n = std::min<size_t>(kIdentityBytes, AnswerDataAvailable(answer, kIdentityAnswerOffset));
  DecodeIdentityBytes(answer.subspan(std::min<size_t>(answer.size(), kIdentityAnswerOffset), n));
}

void ServiceBlock::LoadIdentity(std::span<const uint8_t> bytes) {
  DecodeIdentityBytes(bytes.first(std::min<size_t>(bytes.size(), kIdentityBytes)));
}

void ServiceBlock::DecodeIdentityBytes(std::span<const uint8_t> bytes) {
  Identity.fill(0);
  std::copy(bytes.begin(), bytes.end(), Identity.begin());
  DiModules = AiModules = DoModules = KeyModules = 0;
  for (int s = 0; s < kSlots; ++s) {
    ModuleType[s] = Identity[kIdFirstSlot + s];
    switch (GroupOf(ModuleType[s])) {
      case ModuleGroup::DiscreteInput:
        ++DiModules;
        break;
      case ModuleGroup::Analog:
        ++AiModules;
        break;
      case ModuleGroup::RelayOutput:
        ++DoModules;
        break;
      case ModuleGroup::None:
        break;
    }
    if (ModuleType[s] == 5) ++KeyModules;
  }
  GroupStart0 = 0;
  GroupStart1 = DiModules + 1;
  GroupStart2 = DiModules + AiModules + 1;
  SetSignalCount(Identity[kIdSignalCount]);
  SetAnalogSignalCount(Identity[kIdAnalogSignalCount]);
  RecountIO();
  IndicationType = Identity[kIdIndicationType];
  GetIndicationCells();
}

void ServiceBlock::RecountIO() {
  DiCount = kInputsPerDiModule * DiModules;
  AiCount = kInputsPerAiModule * AiModules;
  DoCount = kOutputsPerDoModule * DoModules;
}

int ServiceBlock::GetIndicationCells() {
  const int cells = CellsOfIndicationType(Identity[kIdIndicationType]);
  if (cells > 0) IndicationCells = cells;
  return IndicationCells;
}

void ServiceBlock::SetIndicationType(int type) {
  IndicationType = type;
  Identity[kIdIndicationType] = static_cast<uint8_t>(type);
}

bool ServiceBlock::CompositionFits() const {
  return AiModules <= kMaxAiModules && DoModules <= kMaxDoModules && FirstNetSignal() <= kSignals &&
         Identity[kIdSignalCount] <= kSignals && Identity[kIdAnalogSignalCount] <= kAnalogSignals;
}

void ServiceBlock::SetSignalCount(int v) { SignalCount = std::clamp(v, 0, kSignals); }

void ServiceBlock::SetAnalogSignalCount(int v) { AnalogSignalCount = std::clamp(v, 0, kAnalogSignals); }

// ---------------------------------------------------------------- identifiers

void ServiceBlock::ClearIdentifiers() {
  for (auto& row : Ident) row.fill(std::string());
  for (auto& row : OutIdent) row.fill(std::string());
}

void ServiceBlock::SetIdentCells(int signal, std::initializer_list<std::string> cells) {
  if (signal < 0 || signal >= kSignals) return;
  int c = 0;
  for (const auto& cell : cells) Ident[signal][c++] = cell;
}

void ServiceBlock::DefaultIdentifiers() {
  for (int m = 1; m <= DiModules; ++m) {
    for (int i = 1; i <= kInputsPerDiModule; ++i) {
      SetIdentCells((m - 1) * kInputsPerDiModule + i - 1,
                    {"D", "I", "_", std::to_string(m), "_", std::to_string(i), " ", " ", " ", " "});
    }
  }
  for (int a = 1; a <= AiModules; ++a) {
    for (int j = 1; j <= kInputsPerAiModule; ++j) {
      for (int k = 0; k < kLimitsPerAnalogInput; ++k) {
        const int signal = DiCount + (a - 1) * kInputsPerAiModule * kLimitsPerAnalogInput +
                           (j - 1) * kLimitsPerAnalogInput + k;
        SetIdentCells(signal, {"A", "I", std::to_string(a), "_", std::to_string(j), "_", kLimitChars[k].first,
                               kLimitChars[k].second, " ", " "});
      }
    }
  }
}

void ServiceBlock::DefaultOutputIdentifiers() {
  for (int r = 1; r <= DoModules; ++r) {
    for (int o = 1; o <= kOutputsPerDoModule; ++o) {
      const int output = (r - 1) * kOutputsPerDoModule + o - 1;
      if (output >= kOutputs) return;
      auto& cells = OutIdent[output];
      cells[0] = "D";
      cells[1] = "O";
      cells[2] = "_";
      cells[3] = std::to_string(r);
      cells[4] = "_";
      cells[5] = std::to_string(o);
    }
  }
}

void ServiceBlock::SetNetDiscreteIdentifier(int block, int input, int signal) {
  SetIdentCells(signal,
                {"D", "L", "D", "I", "_", std::to_string(block), "_", std::to_string(input), " ", " "});
}

void ServiceBlock::SetNetAnalogIdentifier(int block, int input, int limit, int signal) {
  if (!ValidLimit(limit)) return;
  SetIdentCells(signal, {"D", "L", "A", "I", std::to_string(block), "_", std::to_string(input), "_",
                         kLimitChars[limit].first, kLimitChars[limit].second});
}

void ServiceBlock::RebuildNetSignals(const std::array<int, kNetBlocks>& functions,
                                     const std::array<int, kNetBlocks>& outputs) {
  NetAnalogPerBlock.fill(0);
  NetDiscretePerBlock.fill(0);
  NetAnalogTotal = NetDiscreteTotal = NetBlocksUsed = 0;
  int signal = FirstNetSignal();
  for (int s = std::max(signal, 0); s < kSignals; ++s) Ident[s].fill(std::string());
  for (int b = 0; b < kNetBlocks; ++b) {
    // An entry's output count is one byte of the master block.
    const int n = std::clamp(outputs[b], 0, 255);
    if (functions[b] == 1 || functions[b] == 2) {
      NetDiscretePerBlock[b] = n;
      NetDiscreteTotal += n;
      ++NetBlocksUsed;
      for (int i = 1; i <= n; ++i) SetNetDiscreteIdentifier(b + 1, i, signal++);
    } else if (functions[b] == 3 || functions[b] == 4) {
      NetAnalogPerBlock[b] = n;
      NetAnalogTotal += n;
      ++NetBlocksUsed;
      for (int i = 1; i <= n; ++i) {
        for (int k = 0; k < kLimitsPerAnalogInput; ++k) SetNetAnalogIdentifier(b + 1, i, k, signal++);
      }
    }
  }
}

std::string ServiceBlock::JoinIdentCells(int signal, int first, int count) const {
  std::string joined;
  if (signal < 0 || signal >= kSignals) return joined;
  const int end = std::min(first + count, kIdentCells);
  for (int c = std::max(first, 0); c < end; ++c) joined += Ident[signal][c];
  return joined;
}

std::string ServiceBlock::GetIdentifier(int signal) const {
  return JoinIdentCells(signal, 0, kIdentUsedCells);
}

std::string ServiceBlock::GetShortIdentifier(int signal) const {
  return JoinIdentCells(signal, 0, kShortIdentCells);
}

std::string ServiceBlock::GetOutputIdentifier(int output) const {
  std::string joined;
  if (output < 0 || output >= kOutputs) return joined;
  for (const auto& cell : OutIdent[output]) joined += cell;
  return joined;
}

// ---------------------------------------------------------------- texts

std::string ServiceBlock::GetText(int signal) const {
  if (signal < 0 || signal >= kSignals) return {};
  return GetTextField(Text[signal].data(), kTextWidth);
}

void ServiceBlock::SetText(int signal, std::string_view text) {
  if (signal < 0 || signal >= kSignals) return;
  SetTextField(Text[signal].data(), kTextWidth, text);
}

std::string ServiceBlock::GetOutputText(int output) const {
  if (output < 0 || output >= kOutputs) return {};
  return GetTextField(OutText[output].data(), kTextWidth);
}

void ServiceBlock::SetOutputText(int output, std::string_view text) {
  if (output < 0 || output >= kOutputs) return;
  SetTextField(OutText[output].data(), kTextWidth, text);
}

void ServiceBlock::ClearTexts() {
  for (auto& row : Text) row.fill(0);
}

void ServiceBlock::DefaultText(int signal) {
  if (signal < 0 || signal >= kSignals) return;
  const std::string pattern = Utf8ToCp1251(kDefaultTextPattern);
  auto& row = Text[signal];
  std::copy_n(pattern.begin(), std::min<size_t>(pattern.size(), kTextWidth), row.begin());
  // The number overwrites the end of the pattern's zeros.
  const std::string number = std::to_string(signal + 1);
  std::copy(number.begin(), number.end(), row.end() - number.size());
}

int ServiceBlock::BlankTexts(int first, int count) {
  const long long end = static_cast<long long>(first) + count;
  for (long long r = std::max(first, 0); r < std::min<long long>(end, kSignals); ++r) Text[r].fill(' ');
  return static_cast<int>(
      std::clamp<long long>(end, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void ServiceBlock::DeleteTexts(int first, int count) {
  if (first < 0 || count <= 0 || count >= kExchangedTexts) return;
  for (int r = first; r + count <= kExchangedTexts - 1; ++r) Text[r] = Text[r + count];
}

void ServiceBlock::InsertTexts(int first, int count) {
  if (first < 0 || count <= 0 || count >= kExchangedTexts) return;
  for (int r = kExchangedTexts - 1 - count; r >= first; --r) Text[r + count] = Text[r];
}

// ---------------------------------------------------------------- text blocks

void ServiceBlock::LoadTextBlock(std::span<const uint8_t> answer) {
  const size_t available = AnswerDataAvailable(answer, kTextAnswerOffset);
  const size_t wanted = static_cast<size_t>(std::clamp(TextBlockLen - 1, 0, kTextBlockBytes));
  const size_t n = std::min(available, wanted);
  // Rows a short answer does not reach are empty, never an earlier block's texts.
  TextBuf.fill(0);
  std::copy_n(answer.begin() + kTextAnswerOffset, n, TextBuf.begin());
}

void ServiceBlock::LoadTextBlockRaw(std::span<const uint8_t> bytes) {
  const size_t wanted = static_cast<size_t>(std::clamp(TextBlockLen - 1, 0, kTextBlockBytes));
  TextBuf.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), wanted), TextBuf.begin());
}

void ServiceBlock::PutTextBlock(int block) {
  if (block < 0 || block >= kTextBlocks) return;
  for (int k = 0; k < kTextsPerBlock; ++k) {
    std::memcpy(Text[block * kTextsPerBlock + k].data(), TextBuf.data() + k * kTextWidth, kTextWidth);
  }
}

void ServiceBlock::FillTextBlock(int block) {
  if (block < 0 || block >= kTextBlocks) return;
  for (int k = 0; k < kTextsPerBlock; ++k) {
    std::memcpy(TextBuf.data() + k * kTextWidth, Text[block * kTextsPerBlock + k].data(), kTextWidth);
  }
}

void ServiceBlock::LoadOutputTextBlock(std::span<const uint8_t> bytes) {
  OutTextBuf.fill(0);
  std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), kOutTextBlockBytes), OutTextBuf.begin());
}

void ServiceBlock::PutOutputTextBlock(int block) {
  if (block < 0 || block >= kOutTextBlocks) return;
  for (int k = 0; k < kOutTextsPerBlock; ++k) {
    std::memcpy(OutText[block * kOutTextsPerBlock + k].data(), OutTextBuf.data() + k * kTextWidth,
                kTextWidth);
  }
}

void ServiceBlock::FillOutputTextBlock(int block) {
  if (block < 0 || block >= kOutTextBlocks) return;
  for (int k = 0; k < kOutTextsPerBlock; ++k) {
    std::memcpy(OutTextBuf.data() + k * kTextWidth, OutText[block * kOutTextsPerBlock + k].data(),
                kTextWidth);
  }
}

// ---------------------------------------------------------------- input checks

NumberTextError ServiceBlock::CheckNumberText(std::string_view text, int kind, double* value) {
  if (text.empty()) return NumberTextError::Empty;
  if (std::count(text.begin(), text.end(), ',') > 1 || text.back() == ',') return NumberTextError::Invalid;
  for (std::string_view banned : {"?", "Б", "б"}) {
    if (text.find(banned) != std::string_view::npos) return NumberTextError::Invalid;
  }
  const auto minus = std::count(text.begin(), text.end(), '-');
  if (minus > 1 || (minus == 1 && text.front() != '-')) return NumberTextError::Invalid;

  double v = 0;
  if (!ParseDecimal(TrimBlanks(text), &v)) return NumberTextError::Invalid;
  switch (kind) {
    case 0:
    case 1:
    case 2:
      if (v < -32767 || v > 32767) return NumberTextError::Invalid;
      break;
    case 5:
      if (text.find(',') != std::string_view::npos || v < 0 || v > 3) return NumberTextError::Invalid;
      break;
    default:
      break;
  }
  if (value) *value = v;
  return NumberTextError::None;
}

}  // namespace zul
