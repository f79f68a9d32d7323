#include "core/config/InformTables.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFileLayout.h"
#include "core/link/ModbusLink.h"

namespace zul {

const SignalRow kSignalHeader = {"  № ", "Идентификатор ", "   Адрес", "Текст.реквизит", "вых на МР"};
const AnalogRow kAnalogHeader = {"  № ", "Идентификатор ", "   Адрес", "Технолог. поз."};
const OutputRow kOutputHeader0 = {"  №",          "Наименование",           "Адрес",          "Иденти-",
                                  "  Тип",        "Упр.-с блок./без блок.", "Квитирование c", "Квитирование ",
                                  " № входа вн.", "Сброс с центр.",         " Сброс с",       "№ входа вн."};
const OutputRow kOutputHeader1 = {
    "п/п",          std::string(12, ' '),     std::string(5, ' '), "фикатор",
    "выхода",       "  Сигн. -  свет/звук  ", "центр.пан.ЛК-14",   "с верхн.уров.",
    "квитирования", "панели ЛК-14",           "верхн.уров.",       "  сброса"};

namespace {

constexpr int kRelayMasksLooked = 5;  // relay modules 1..5 of a processing record
constexpr int kTextPauseMs = 50;
constexpr int kTextBytes = ServiceBlock::kTextWidth;

std::string Address(int index) {
  char buf[8];
  std::snprintf(buf, sizeof buf, " 0x%02X", static_cast<unsigned>(index & 0xFF));
  return buf;
}

const char* YesNo(int bit) { return bit ? "есть" : "нет"; }

int Clamp(int v, int hi) { return std::clamp(v, 0, hi); }

bool ProcessedByRelayModules(const Configuration& c, int signal) {
  for (int k = 1; k <= kRelayMasksLooked; ++k)
    if (c.discreteProcessing.GetByte(signal, k) != 0) return true;
  return false;
}

}  // namespace

std::vector<SignalRow> SignalRows(const Configuration& c, RelayColumn relay) {
  const ServiceBlock& s = c.service;
  const int count = Clamp(s.SignalCount, kInformSignalRows);
  std::vector<SignalRow> rows(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    SignalRow& r = rows[static_cast<size_t>(i)];
    r[0] = std::to_string(i + 1);
    r[1] = s.GetIdentifier(i);
    r[2] = Address(i);
    r[3] = s.GetText(i);
    if (relay == RelayColumn::Blank)
      r[4] = std::string(8, ' ');
    else
      r[4] = ProcessedByRelayModules(c, i) ? "       V" : "       -";
  }
  return rows;
}

std::vector<AnalogRow> AnalogRows(const Configuration& c) {
  const ServiceBlock& s = c.service;
  std::vector<AnalogRow> rows(kInformAnalogRows);
  const int modules = Clamp(s.AiModules, ServiceBlock::kMaxAiModules);
  for (int a = 0; a < modules; ++a) {
    for (int ch = 0; ch < ServiceBlock::kInputsPerAiModule; ++ch) {
      const int r = 6 * a + ch + 1;
      AnalogRow& row = rows[static_cast<size_t>(r - 1)];
      row[0] = std::to_string(r);
      row[1] = s.JoinIdentCells(s.DiCount + 24 * a + 4 * ch, 0, 5);
      row[2] = Address(r - 1);
      row[3] = c.analogModules.GetPosition(a, ch);
    }
  }
  // The network analog inputs, found by walking the network signals.
  int signal = s.DiCount + 24 * s.AiModules;
  for (int k = 0; k != s.NetAnalogTotal && signal >= 0 && signal < ServiceBlock::kSignals;) {
    const std::string& kind = s.Ident[static_cast<size_t>(signal)][2];
    if (kind == "A") {
      const int r = 6 * s.AiModules + k + 1;
      if (r < 1 || r > kInformAnalogRows) break;
      AnalogRow& row = rows[static_cast<size_t>(r - 1)];
      row[0] = std::to_string(r);
      row[1] = s.JoinIdentCells(signal, 0, 7);
      row[2] = Address(r - 1);
      row[3] = c.networkMaster.GetPosition(k);
      signal += ServiceBlock::kLimitsPerAnalogInput;
      ++k;
    } else if (kind == "D") {
      ++signal;
    } else {
      break;
    }
  }
  return rows;
}

std::vector<OutputRow> OutputRows(const Configuration& c) {
  const ServiceBlock& s = c.service;
  const RelayModules& mr = c.relayModules;
  const int count = Clamp(s.DoCount, kInformOutputRows);
  std::vector<OutputRow> rows(static_cast<size_t>(count));
  for (int o = 0; o < count; ++o) {
    OutputRow& r = rows[static_cast<size_t>(o)];
    r[0] = " " + std::to_string(o + 1);
    r[1] = s.GetOutputText(o);
    r[2] = Address(o);
    r[3] = s.GetOutputIdentifier(o);
    const int m = o / RelayModules::kOutputs;
    const int j = o % RelayModules::kOutputs;
    if (m >= s.DoModules) continue;
    const bool control = mr.GetOutputType(j, m) != 0;
    const bool mode = mr.GetMode(j, m) != 0;
    r[4] = control ? "управл." : "сигнал.";
    if (control)
      r[5] = mode ? "с   блокировкой" : "без блокировки";
    else
      r[5] = mode ? "звук(с гашением)" : "свет(п-вод в ровн)";
    r[6] = YesNo(mr.GetAckPanel(j, m));
    r[7] = YesNo(mr.GetAckTop(j, m));
    r[8] = std::to_string(mr.GetAckInput(j, m));
    r[9] = YesNo(mr.GetResetPanel(j, m));
    r[10] = YesNo(mr.GetResetTop(j, m));
    r[11] = std::to_string(mr.GetResetInput(j, m));
  }
  return rows;
}

// --- an edited signal text ----------------------------------------------------------

TextWrite SendEditedSignalText(Configuration& c, ModbusLink& port, Interaction& /*ui*/, int signal,
                               const std::function<void(int)>& progress) {
  ServiceBlock& s = c.service;
  if (s.TextChanged != 1) return TextWrite::Unchanged;
  if (s.FileMode == 1) {
    s.FileChanged = 1;
    return TextWrite::FileChanged;
  }
  if (!port.CheckWriteAccess()) return TextWrite::NoAccess;
  // The controller holds texts 0..191 only; blocks 52.. carry output texts.
  if (signal < 0 || signal >= ServiceBlock::kExchangedTexts) return TextWrite::MemoryOnly;

  auto step = [&](int value) {
    if (progress) progress(value);
  };
  step(0);
  port.Pause(kTextPauseMs);
  const int n = signal / ServiceBlock::kTextsPerBlock;
  s.FillTextBlock(n);
  const bool ok =
      port.WriteBlock(s.CurrentDevice, static_cast<uint8_t>(ServiceBlock::kFirstTextBlockNumber + n),
                      BlockPayload(s.TextBuf, s.TextBlockLen));
  step(ok ? 100 : 0);
  step(-1);
  if (!ok) return TextWrite::Failed;
  s.TextChanged = 0;
  return TextWrite::Written;
}

// --- copying and replacing groups of texts --------------------------------------------

int SignalOfTypedNumber(const Configuration& c, int number) {
  if (number < 1 || number > ServiceBlock::kSignals) return -1;
  const int shown = c.discreteProcessing.RowSignal[static_cast<size_t>(number - 1)];
  if (shown >= 0 && shown < ServiceBlock::kSignals) return shown;
  return number - 1;
}

namespace {

void CopyRow(const std::array<uint8_t, kTextBytes>& from, ReserveBlocks::TextRow& to) {
  to.fill(0);
  std::copy(from.begin(), from.end(), to.begin());
}

void PasteRow(const ReserveBlocks::TextRow& from, std::array<uint8_t, kTextBytes>& to) {
  std::copy(from.begin(), from.begin() + kTextBytes, to.begin());
}

bool Warn(Interaction& ui, const char* text) {
  ui.Show(kCaptionWarning, text, Icon::Warning);
  return false;
}

}  // namespace

bool CopySignalTexts(Configuration& c, Interaction& ui, int first, int last) {
  const int count = c.service.SignalCount;
  if (first < 1 || first > count) return Warn(ui, kWrongInputNumberText);
  const int from = SignalOfTypedNumber(c, first);
  if (last < 1 || last > count) return Warn(ui, kWrongInputNumberText);
  const int to = SignalOfTypedNumber(c, last);
  if (to < from) return Warn(ui, kWrongInputNumberText);
  for (int i = from; i <= to; ++i)
    CopyRow(c.service.Text[static_cast<size_t>(i)], c.copyBlocks.Texts[static_cast<size_t>(i)]);
  c.copyBlocks.FirstCopiedSignal = from;
  c.copyBlocks.LastCopiedSignal = to;
  return true;
}

bool CopyOutputTexts(Configuration& c, Interaction& ui, int first, int last) {
  const int count = std::min(c.service.DoCount, kInformOutputRows);
  if (first < 1 || first > count || last < 1 || last > count) return Warn(ui, kWrongOutputNumberText);
  const int from = first - 1;
  const int to = last - 1;
  for (int o = from; o <= to; ++o)
    CopyRow(c.service.OutText[static_cast<size_t>(o)], c.copyBlocks.OutTexts[static_cast<size_t>(o)]);
  c.copyBlocks.FirstCopiedOutput = from;
  c.copyBlocks.LastCopiedOutput = to;
  return true;
}

namespace {

// Rows first..last of the copy area go to rows d.. of `rows`, never past `end`.
template <typename Rows>
int Paste(const std::array<ReserveBlocks::TextRow, std::tuple_size_v<Rows>>& copied, int first, int last,
          int d, int end, Rows& rows) {
  const int size = static_cast<int>(rows.size());
  first = std::clamp(first, 0, size - 1);
  last = std::clamp(last, -1, size - 1);
  end = std::min(end, size);
  int replaced = 0;
  for (int i = first; i <= last; ++i) {
    const int target = d + i - first;
    if (target >= end) break;
    PasteRow(copied[static_cast<size_t>(i)], rows[static_cast<size_t>(target)]);
    ++replaced;
  }
  return replaced;
}

}  // namespace

int ReplaceSignalTexts(Configuration& c, Interaction& ui, int number) {
  if (number < 1 || number > c.service.SignalCount) {
    Warn(ui, kWrongInputNumberText);
    return -1;
  }
  const int replaced =
      Paste(c.copyBlocks.Texts, c.copyBlocks.FirstCopiedSignal, c.copyBlocks.LastCopiedSignal, number - 1,
            c.service.SignalCount, c.service.Text);
  if (replaced > 0) c.discreteProcessing.RebuildOnly = 1;
  return replaced;
}

int ReplaceOutputTexts(Configuration& c, Interaction& ui, int number) {
  if (number < 1 || number > c.service.DoCount) {
    Warn(ui, kWrongOutputNumberText);
    return -1;
  }
  const int replaced = Paste(c.copyBlocks.OutTexts, c.copyBlocks.FirstCopiedOutput,
                             c.copyBlocks.LastCopiedOutput, number - 1, c.service.DoCount, c.service.OutText);
  if (replaced > 0) c.discreteProcessing.RebuildOnly = 1;
  return replaced;
}

// --- output names from a configuration file ---------------------------------------------

namespace {

// Block lengths as the configuration in memory has them.
ZulBlockLengths LengthsInMemory(const Configuration& c) {
  ZulBlockLengths l;
  l.relayBlock = c.relayModules.GetBlockLength();
  l.masterBlock = c.networkMaster.MasterBlockLen;
  l.f15Block = c.networkMaster.F15BlockLen;
  l.recordBlock = c.discreteProcessing.GetRecordBlockLen();
  l.unitsBlock = c.service.UnitsBlockLen;
  l.textBlock = c.service.TextBlockLen;
  return l;
}

const char* SizeRefusal(uintmax_t bytes) {
  const uintmax_t kib = bytes / 1024;
  if (kib >= 19 && kib <= 34) return "Файл создан для ЗУЛ-05 на 120 ФБ";
  if (kib == 17) return "Файл создан для ЗУЛ на 60 ФБ";
  if (kib == 12) return "Файл создан для ЗУЛ на 40 ФБ";
  if (kib < 8) return "Файл не опознан";
  return nullptr;
}

bool ReadAt(std::ifstream& file, size_t offset, uint8_t* out, size_t count) {
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
  return static_cast<size_t>(file.gcount()) == count;
}

}  // namespace

NamesLoad LoadOutputNamesFromFile(Configuration& c, Interaction& ui, const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    ui.Show("Открытие файла", "Файл не удается открыть", Icon::Error);
    return NamesLoad::CannotOpen;
  }
  file.seekg(0, std::ios::end);
  const auto size = static_cast<uintmax_t>(std::max<std::streamoff>(file.tellg(), 0));
  if (const char* refusal = SizeRefusal(size)) {
    ui.Show(kCaptionWarning, refusal, Icon::Warning);
    return NamesLoad::Refused;
  }

  std::array<uint8_t, 1 + kZulIdentitySize> head{};
  const std::vector<ZulSection> layout = ZulFileLayout(LengthsInMemory(c));
  constexpr int kBlocks = ServiceBlock::kOutTextBlocks;
  constexpr size_t kBytes = ServiceBlock::kOutTextBlockBytes;
  std::array<std::array<uint8_t, kBytes>, kBlocks> blocks{};
  bool complete = ReadAt(file, 0, head.data(), head.size());
  int found = 0;
  for (const ZulSection& section : layout) {
    const int n = section.key - ServiceBlock::kFirstOutTextBlockNumber;
    if (n < 0 || n >= kBlocks || section.key > 255) continue;
    const size_t count = std::min(section.length, kBytes);
    complete = complete && ReadAt(file, section.offset, blocks[static_cast<size_t>(n)].data(), count);
    ++found;
  }
  if (!complete || found != kBlocks) {
    // Everything is read before anything changes: a short file leaves the names alone.
    ui.Show(kCaptionWarning, "Файл не опознан", Icon::Warning);
    return NamesLoad::Refused;
  }

  for (int slot = 0; slot < ServiceBlock::kSlots; ++slot) {
    if (head[static_cast<size_t>(2 + slot)] != c.service.ModuleType[static_cast<size_t>(slot)]) {
      ui.Show(kCaptionWarning, "Рабочая конфигурация \nне соответствует конфигурации в файле", Icon::Warning);
      break;
    }
  }
  for (int n = 0; n < kBlocks; ++n) {
    c.service.LoadOutputTextBlock(blocks[static_cast<size_t>(n)]);
    c.service.PutOutputTextBlock(n);
  }
  for (int o = 0; o < ServiceBlock::kOutputs; ++o)
    CopyRow(c.service.OutText[static_cast<size_t>(o)], c.reserveBlocks.OutTexts[static_cast<size_t>(o)]);
  return NamesLoad::Loaded;
}

// --- reports -------------------------------------------------------------------------

std::string ReportTitle(bool fileMode, const std::string& fileName, const std::string& modules,
                        const std::string& device) {
  if (fileMode) return "Файл " + fileName;
  return "ЗУЛ-05HMI  " + modules + "  № " + device;
}

namespace {

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out += p;
  return out;
}

// Character columns of the tab stops. The outputs report repeats the tab
// counts of its header lines and rows, which differ: a header text runs over
// a stop where a shorter row text does not, so every column still lands on
// the same stop.
const std::vector<int> kSignalStops = {6, 22, 32, 48};
const std::vector<int> kAnalogStops = {6, 22, 32};
const std::vector<int> kOutputStops = {8,  16, 25,  31,  40,  48,  68,  72,  80,
                                       89, 96, 104, 110, 118, 126, 134, 144, 147};
constexpr int kOutputFontHalfPoints = 16;  // 8 pt: the outputs table fills a landscape page
constexpr int kOutputMarginPoints = 29;

}  // namespace

Report SignalReport(const std::string& title, const std::vector<SignalRow>& rows) {
  TableReportParts parts;
  parts.title = title;
  parts.caption = kSignalTableCaption;
  const SignalRow& h = kSignalHeader;
  parts.headerLines = {Join({h[0], "\t", h[1], "\t", h[2], "\t", h[3], "\t", h[4]})};
  for (const SignalRow& r : rows)
    parts.rows.push_back(
        Join({r[0], "\t", PadRight(r[1], 14), "\t", r[2], "\t", PadRight(r[3], 14), "\t", r[4]}));
  Report report = MakeTableReport(parts);
  report.tabStops = kSignalStops;
  return report;
}

Report AnalogReport(const std::string& title, const std::vector<AnalogRow>& rows, int analogSignalCount) {
  TableReportParts parts;
  parts.title = title;
  parts.caption = kAnalogTableCaption;
  const AnalogRow& h = kAnalogHeader;
  parts.headerLines = {Join({h[0], "\t", h[1], "\t", h[2], "\t", h[3]})};
  const int count = std::clamp(analogSignalCount, 0, static_cast<int>(rows.size()));
  for (int i = 0; i < count; ++i) {
    const AnalogRow& r = rows[static_cast<size_t>(i)];
    parts.rows.push_back(Join({r[0], "\t", PadRight(r[1], 14), "\t", r[2], "\t", r[3]}));
  }
  Report report = MakeTableReport(parts);
  report.tabStops = kAnalogStops;
  return report;
}

Report OutputReport(const std::string& title, const std::vector<OutputRow>& rows) {
  TableReportParts parts;
  parts.title = title;
  parts.caption = kOutputTableCaption;
  std::string h0 = kOutputHeader0[0] + "  ";
  for (int k = 1; k <= 10; ++k) h0 += kOutputHeader0[static_cast<size_t>(k)] + "\t";
  h0 += "\t" + kOutputHeader0[11];
  std::string h1 = kOutputHeader1[0] + "\t\t";
  for (int k = 2; k <= 11; ++k) h1 += "\t" + kOutputHeader1[static_cast<size_t>(k)];
  parts.headerLines = {h0, h1};
  for (const OutputRow& r : rows) {
    std::string line = r[0] + "  " + PadRight(r[1], 18);
    for (int k = 2; k <= 5; ++k) line += "\t" + r[static_cast<size_t>(k)];
    for (int k = 6; k <= 11; ++k) line += "\t\t" + r[static_cast<size_t>(k)];
    parts.rows.push_back(std::move(line));
  }
  Report report = MakeTableReport(parts);
  report.tabStops = kOutputStops;
  report.orientation = PageOrientation::Landscape;
  report.marginPoints = kOutputMarginPoints;
  report.fontHalfPoints = kOutputFontHalfPoints;
  return report;
}

}  // namespace zul
