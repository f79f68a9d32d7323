#include "core/editing/DiscreteProcessingEditing.h"

#include <algorithm>
#include <cstdio>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/link/AnswerData.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

constexpr int kSignals = DiscreteProcessing::kSignals;
constexpr int kRelayBytes = 8;
constexpr int kAlarmShift = 6;
constexpr int kMaxDelay = 60;
constexpr int kLongUnit = 10;

bool IsTextBlock(int block) {
  return block >= ServiceBlock::kFirstTextBlockNumber &&
         block < ServiceBlock::kFirstTextBlockNumber + ServiceBlock::kTextBlocks;
}

// The discrete editor's blocks: the processing records and the signal texts.
bool OwnedByDiscreteEditor(int block) {
  return IsTextBlock(block) || (block >= DiscreteProcessing::kFirstBlockNumber &&
                                block < DiscreteProcessing::kFirstBlockNumber + DiscreteProcessing::kBlocks);
}

bool ValidSignal(int signal) { return signal >= 0 && signal < kSignals; }

void Warn(Interaction& ui, const char* text) { ui.Show(kCaptionWarning, text, Icon::Warning); }

void ClearMasks(ProcessingRecord& r) { std::fill(r.begin() + 1, r.begin() + 1 + kRelayBytes, 0); }

void ClearHandlerFields(ProcessingRecord& r) {
  r[0] &= DiscreteProcessing::kContactNormallyOpen;  // alarm and cell go, the contact stays
  ClearMasks(r);
  r[9] &= 0x80;  // delay unit and time go, archiving stays
}

void ClearRows(DiscreteProcessing& z) {
  z.RowSignal.fill(-1);
  z.RowCount = 0;
  z.CurRow = z.CurSignal = -1;
  z.RowSelected.fill(0);
  z.SelectedCount = 0;
}

void AppendRow(DiscreteProcessing& z, int signal) {
  if (z.RowCount >= kSignals) return;
  z.RowSignal[static_cast<size_t>(z.RowCount++)] = signal;
}

// Relay masks of modules beyond the configured ones are not drawn and not kept.
bool ClearAbsentMasks(ProcessingRecord& r, int relayModules) {
  bool cleared = false;
  for (int m = std::max(relayModules, 0) + 1; m <= kRelayBytes; ++m) {
    if (r[static_cast<size_t>(m)] != 0) cleared = true;
    r[static_cast<size_t>(m)] = 0;
  }
  return cleared;
}

void SelectSignals(DiscreteProcessing& z, const std::vector<int>& signals) {
  for (int s : signals) {
    const int row = RowOfSignal(z, s);
    if (row >= 0 && !z.RowSelected[static_cast<size_t>(row)]) {
      z.RowSelected[static_cast<size_t>(row)] = 1;
      ++z.SelectedCount;
    }
  }
  if (z.SelectedCount == 1 && signals.size() == 1) {
    z.CurRow = RowOfSignal(z, signals.front());
    z.CurSignal = signals.front();
  }
}

std::vector<int> PasteOver(Configuration& c, int first) {
  DiscreteProcessing& z = c.discreteProcessing;
  const int limit = SchemeSignalLimit(c.service);
  const int count = ClipboardCount(c);
  const int cells = LightPanelCells(c.service);
  const int relays = RelayModuleCount(c.service);
  std::vector<int> pasted;
  for (int k = 0; k < count && first + k < limit; ++k) {
    ProcessingRecord r{};
    const auto& copied = c.copyBlocks.ProcessingRecords[static_cast<size_t>(k)];
    std::copy(copied.begin(), copied.end(), r.begin());
    CorrectPasted(r, cells, relays);
    z.SetRecord(first + k, r);
    pasted.push_back(first + k);
  }
  z.Modified = 1;
  BuildScheme(c);
  SelectSignals(z, pasted);
  return pasted;
}

}  // namespace

// --- figures ---------------------------------------------------------------------------------

int OwnSignalCount(const ServiceBlock& s) {
  return ServiceBlock::kInputsPerDiModule * std::max(s.DiModules, 0) +
         ServiceBlock::kInputsPerAiModule * ServiceBlock::kLimitsPerAnalogInput * std::max(s.AiModules, 0);
}

int SchemeSignalLimit(const ServiceBlock& s) {
  const int n = s.SignalCount > 0 ? s.SignalCount : OwnSignalCount(s);
  return std::clamp(n, 0, kSignals);
}

int LightPanelCells(const ServiceBlock& s) {
  return ServiceBlock::CellsOfIndicationType(s.Identity[ServiceBlock::kIdIndicationType]);
}

int RelayModuleCount(const ServiceBlock& s) { return std::clamp(s.DoModules, 0, kRelayBytes); }

// --- records ------------------------------------------------------------------------------

void CorrectCell(ProcessingRecord& r, int cells) {
  const int cell = CellOf(r);
  if (cells == 0 || (cells != kUnnumberedCells && cell > cells)) {
    r[0] &= DiscreteProcessing::kContactNormallyOpen;
  } else if (cells == kUnnumberedCells) {
    r[0] &= static_cast<uint8_t>(~0x1F);
  }
}

void CorrectPasted(ProcessingRecord& r, int cells, int relayModules) {
  if (cells == kUnnumberedCells || CellOf(r) > cells) r[0] &= static_cast<uint8_t>(~0x1F);
  if (relayModules <= 0) r[9] &= 0x80;
  ClearAbsentMasks(r, relayModules);
}

bool HasAlarm(const ProcessingRecord& r) { return AlarmTypeOf(r) != 0; }
bool HasDelay(const ProcessingRecord& r) { return DelayTimeOf(r) != 0; }
bool HasRelays(const ProcessingRecord& r) {
  return std::any_of(r.begin() + 1, r.begin() + 1 + kRelayBytes, [](uint8_t b) { return b != 0; });
}
int AlarmTypeOf(const ProcessingRecord& r) { return r[0] >> kAlarmShift; }
int CellOf(const ProcessingRecord& r) { return r[0] & 0x1F; }
int DelayTimeOf(const ProcessingRecord& r) { return r[9] & 0x3F; }
int DelayUnitOf(const ProcessingRecord& r) { return (r[9] & 0x40) ? kLongUnit : 1; }

void BuildScheme(Configuration& c) {
  DiscreteProcessing& z = c.discreteProcessing;
  ClearRows(z);
  z.SchemeAssigned = 1;
  const int cells = LightPanelCells(c.service);
  const int relays = RelayModuleCount(c.service);
  const int limit = SchemeSignalLimit(c.service);
  for (int i = 0; i < limit; ++i) {
    if (!z.IsRecordActive(i)) continue;
    ProcessingRecord r = z.Record(i);
    CorrectCell(r, cells);
    if (ClearAbsentMasks(r, relays)) z.Modified = 1;
    z.SetRecord(i, r);
    AppendRow(z, i);
  }
}

int RowOfSignal(const DiscreteProcessing& z, int signal) {
  if (!ValidSignal(signal)) return -1;
  for (int r = 0; r < z.RowCount && r < kSignals; ++r)
    if (z.RowSignal[static_cast<size_t>(r)] == signal) return r;
  return -1;
}

bool IsRowValid(const DiscreteProcessing& z, int row) {
  return row >= 0 && row < z.RowCount && row < kSignals && ValidSignal(z.RowSignal[static_cast<size_t>(row)]);
}

// --- selection ----------------------------------------------------------------------------

void SelectOnly(DiscreteProcessing& z, int row) {
  z.RowSelected.fill(0);
  z.SelectedCount = 0;
  z.CurRow = z.CurSignal = -1;
  if (!IsRowValid(z, row)) return;
  z.RowSelected[static_cast<size_t>(row)] = 1;
  z.SelectedCount = 1;
  z.CurRow = row;
  z.CurSignal = z.RowSignal[static_cast<size_t>(row)];
}

void ToggleSelected(DiscreteProcessing& z, int row) {
  if (!IsRowValid(z, row)) return;
  int& selected = z.RowSelected[static_cast<size_t>(row)];
  selected = selected ? 0 : 1;
  z.SelectedCount += selected ? 1 : -1;
  z.CurRow = z.CurSignal = -1;
  if (z.SelectedCount == 1) {
    const auto rows = SelectedRows(z);
    z.CurRow = rows.front();
    z.CurSignal = z.RowSignal[static_cast<size_t>(z.CurRow)];
  }
}

void ClearSelection(DiscreteProcessing& z) {
  z.RowSelected.fill(0);
  z.SelectedCount = 0;
  z.ClipState = -1;
}

void SelectAll(DiscreteProcessing& z) {
  z.RowSelected.fill(0);
  for (int r = 0; r < z.RowCount && r < kSignals; ++r) z.RowSelected[static_cast<size_t>(r)] = 1;
  z.SelectedCount = std::clamp(z.RowCount, 0, kSignals);
  z.CurRow = z.CurSignal = -1;
}

std::vector<int> SelectedRows(const DiscreteProcessing& z) {
  std::vector<int> rows;
  for (int r = 0; r < z.RowCount && r < kSignals; ++r)
    if (z.RowSelected[static_cast<size_t>(r)]) rows.push_back(r);
  return rows;
}

// --- handlers ----------------------------------------------------------------------------------

CreateOutcome CreateHandler(Configuration& c, int signal, bool normallyOpen, bool archive, int row) {
  DiscreteProcessing& z = c.discreteProcessing;
  if (z.RowCount >= SchemeSignalLimit(c.service)) return CreateOutcome::AllCreated;
  if (!ValidSignal(signal) || signal >= SchemeSignalLimit(c.service)) return CreateOutcome::BadSignal;
  // A refused create leaves the existing row's contact and archiving alone.
  if (RowOfSignal(z, signal) >= 0) return CreateOutcome::AlreadyShown;
  if (row >= 0 && row < z.RowCount) return CreateOutcome::RowTaken;
  z.Modified = 1;
  z.SetContact(signal, normallyOpen ? DiscreteProcessing::kContactNormallyOpen : 0);
  z.SetArchive(signal, archive ? 0x80 : 0);
  AppendRow(z, signal);
  SelectOnly(z, z.RowCount - 1);
  return CreateOutcome::Created;
}

void GiveNewHandlerText(ServiceBlock& s, int signal) {
  if (signal < 0 || signal >= ServiceBlock::kSignals) return;
  const auto& text = s.Text[static_cast<size_t>(signal)];
  if (std::all_of(text.begin(), text.end(), [](uint8_t b) { return b == 0 || b == ' '; }))
    s.DefaultText(signal);
}

int ChangeIdentifier(Configuration& c, int row, int signal, bool normallyOpen, bool archive) {
  DiscreteProcessing& z = c.discreteProcessing;
  if (!IsRowValid(z, row) || !ValidSignal(signal) || signal >= SchemeSignalLimit(c.service)) return -1;
  const int old = z.RowSignal[static_cast<size_t>(row)];
  z.Modified = 1;
  z.SetContact(old, normallyOpen ? DiscreteProcessing::kContactNormallyOpen : 0);
  z.SetArchive(old, archive ? 0x80 : 0);
  if (signal != old) {
    const ProcessingRecord moved = z.Record(old);
    z.ClearRecords(old, 1);
    const int other = RowOfSignal(z, signal);
    if (other >= 0) {
      DeleteHandler(c, other);
      if (other < row) --row;
    }
    // Set after the delete, which clears the target's handler fields.
    z.SetRecord(signal, moved);
    z.RowSignal[static_cast<size_t>(row)] = signal;
  }
  SelectOnly(z, row);
  return row;
}

void DeleteHandler(Configuration& c, int row) {
  DiscreteProcessing& z = c.discreteProcessing;
  if (!IsRowValid(z, row)) return;
  z.Modified = 1;
  const int signal = z.RowSignal[static_cast<size_t>(row)];
  ProcessingRecord r = z.Record(signal);
  ClearHandlerFields(r);
  z.SetRecord(signal, r);
  for (int k = row; k + 1 < z.RowCount; ++k) {
    z.RowSignal[static_cast<size_t>(k)] = z.RowSignal[static_cast<size_t>(k + 1)];
    z.RowSelected[static_cast<size_t>(k)] = z.RowSelected[static_cast<size_t>(k + 1)];
  }
  --z.RowCount;
  z.RowSignal[static_cast<size_t>(z.RowCount)] = -1;
  z.RowSelected[static_cast<size_t>(z.RowCount)] = 0;
  z.CurRow = z.CurSignal = -1;
  z.ClipState = -1;
  z.SelectedCount = 0;
  z.RowSelected.fill(0);
  z.RebuildAfterDelete = 1;
}

std::array<int, 2> ApplyAlarm(Configuration& c, int signal, int type, int cell, Interaction& ui) {
  DiscreteProcessing& z = c.discreteProcessing;
  const int cells = LightPanelCells(c.service);
  type = std::clamp(type, 0, 3);
  if (cell == 0 && cells != kUnnumberedCells) {
    Warn(ui, "Не выбран № ячейки светового табло");
    type = cell = 0;
  } else if (cell > cells || cell < 0) {
    Warn(ui, "Неверно выбран № ячейки светового табло");
    type = cell = 0;
  } else if (type == 0) {
    cell = 0;
  }
  if (cells == kUnnumberedCells) cell = 0;  // no numbered cells: the five bits stay clear
  z.SetAlarmType(signal, type << kAlarmShift);
  z.SetCell(signal, cell);
  return {type, cell};
}

std::array<int, 2> ApplyDelay(Configuration& c, int signal, std::string_view unitText,
                              std::string_view timeText, Interaction& ui) {
  DiscreteProcessing& z = c.discreteProcessing;
  auto number = [](std::string_view text) {
    int n = 0;
    for (char ch : text) {
      if (ch < '0' || ch > '9') return -1;
      n = std::min(n * 10 + (ch - '0'), 1000);
    }
    return text.empty() ? 0 : n;
  };
  int unit = number(unitText);
  int time = number(timeText);
  if (unit == 0) {
    Warn(ui, "Не задана дискретность времени задержки");
    time = 0;
  } else if (time == 0) {
    Warn(ui, "Не задана уставка времени задержки");
  } else if (z.CheckValue(timeText, DiscreteProcessing::kCheckDelayTime, ui) != 0 || time > kMaxDelay) {
    Warn(ui, "Не задана уставка времени задержки");
    time = 0;
  } else if (z.CheckValue(unitText, DiscreteProcessing::kCheckDelayUnit, ui) != 0) {
    Warn(ui, "Не задана дискретность времени задержки");
    unit = time = 0;
  }
  if (time < 0) time = 0;
  z.SetDelayUnit(signal, unit == kLongUnit ? 0x40 : 0);
  z.SetDelayTime(signal, time);
  return {unit, time};
}

void ApplyRelayMasks(Configuration& c, int signal, const std::array<int, 8>& masks) {
  const int n = RelayModuleCount(c.service);
  for (int m = 1; m <= n; ++m)
    c.discreteProcessing.SetByte(signal, m, masks[static_cast<size_t>(m - 1)] & 0xFF);
}

void RemoveAlarm(DiscreteProcessing& z, int signal) {
  z.SetAlarmType(signal, 0);
  z.SetCell(signal, 0);
}

void RemoveDelay(DiscreteProcessing& z, int signal) {
  z.SetDelayUnit(signal, 0);
  z.SetDelayTime(signal, 0);
}

void RemoveRelays(DiscreteProcessing& z, int signal) {
  for (int m = 1; m <= kRelayBytes; ++m) z.SetByte(signal, m, 0);
}

// --- group operations ---------------------------------------------------------------------

int CopySelected(Configuration& c) {
  DiscreteProcessing& z = c.discreteProcessing;
  int n = 0;
  for (int row : SelectedRows(z)) {
    const auto& r = z.Record(z.RowSignal[static_cast<size_t>(row)]);
    std::copy(r.begin(), r.end(), c.copyBlocks.ProcessingRecords[static_cast<size_t>(n++)].begin());
  }
  c.copyBlocks.CopiedRecordCount = n;
  z.ClipState = n == 1 ? 0 : -1;
  return n;
}

int ClipboardCount(const Configuration& c) { return std::clamp(c.copyBlocks.CopiedRecordCount, 0, kSignals); }

std::vector<int> PasteAfterLast(Configuration& c) {
  const DiscreteProcessing& z = c.discreteProcessing;
  int highest = -1;
  for (int r = 0; r < z.RowCount && r < kSignals; ++r)
    highest = std::max(highest, z.RowSignal[static_cast<size_t>(r)]);
  return PasteOver(c, highest + 1);
}

std::vector<int> PasteFrom(Configuration& c, int firstNumber) {
  if (firstNumber < 1 || firstNumber > SchemeSignalLimit(c.service)) return {};
  return PasteOver(c, firstNumber - 1);
}

void ReplacePassport(Configuration& c, int signal) {
  DiscreteProcessing& z = c.discreteProcessing;
  if (!ValidSignal(signal) || ClipboardCount(c) == 0) return;
  ProcessingRecord r{};
  const auto& copied = c.copyBlocks.ProcessingRecords[0];
  std::copy(copied.begin(), copied.end(), r.begin());
  CorrectCell(r, LightPanelCells(c.service));
  ClearAbsentMasks(r, RelayModuleCount(c.service));
  z.SetRecord(signal, r);
  z.Modified = 1;
}

void DeleteSelected(Configuration& c) {
  DiscreteProcessing& z = c.discreteProcessing;
  for (int row : SelectedRows(z)) {
    const int signal = z.RowSignal[static_cast<size_t>(row)];
    ProcessingRecord r = z.Record(signal);
    ClearHandlerFields(r);
    z.SetRecord(signal, r);
  }
  z.Modified = 1;
  z.RebuildAfterDelete = 1;
  BuildScheme(c);
}

// --- identifier dialog ------------------------------------------------------------------------

int NetBlockDiscrete(const ServiceBlock& s, int k) {
  return k >= 1 && k <= ServiceBlock::kNetBlocks ? s.NetDiscretePerBlock[static_cast<size_t>(k - 1)] : 0;
}

int NetBlockAnalog(const ServiceBlock& s, int k) {
  return k >= 1 && k <= ServiceBlock::kNetBlocks ? s.NetAnalogPerBlock[static_cast<size_t>(k - 1)] : 0;
}

int NetBlockCount(const ServiceBlock& s) {
  for (int k = ServiceBlock::kNetBlocks; k >= 1; --k)
    if (NetBlockDiscrete(s, k) + NetBlockAnalog(s, k) > 0) return k;
  return 0;
}

bool HasNetworkSignals(const ServiceBlock& s) { return s.NetDiscreteTotal + s.NetAnalogTotal > 0; }

namespace {
int NetBlockFirst(const ServiceBlock& s, int k) {
  int p = OwnSignalCount(s);
  for (int j = 1; j < k; ++j)
    p += NetBlockDiscrete(s, j) + ServiceBlock::kLimitsPerAnalogInput * NetBlockAnalog(s, j);
  return p;
}
}  // namespace

int SignalOfSource(const ServiceBlock& s, const SignalSource& src) {
  const int setpoint = std::clamp(src.setpoint, 0, 3);
  int index;
  if (!src.network) {
    index = src.analog ? ServiceBlock::kInputsPerDiModule * s.DiModules + 24 * (src.module - 1) +
                             4 * (src.input - 1) + setpoint
                       : ServiceBlock::kInputsPerDiModule * (src.module - 1) + src.input - 1;
  } else {
    const int first = NetBlockFirst(s, src.module);
    index = src.analog ? first + 4 * (src.input - 1) + setpoint : first + src.input - 1;
  }
  return index >= 0 && index < SchemeSignalLimit(s) ? index : -1;
}

SignalSource SourceOfSignal(const ServiceBlock& s, int signal) {
  SignalSource src;
  const int firstAnalog = ServiceBlock::kInputsPerDiModule * s.DiModules;
  const int own = OwnSignalCount(s);
  if (signal < 0) return src;
  if (signal < firstAnalog) {
    src.module = signal / 12 + 1;
    src.input = signal % 12 + 1;
    return src;
  }
  if (signal < own) {
    const int r = signal - firstAnalog;
    src.analog = true;
    src.module = r / 24 + 1;
    src.input = (r % 24) / 4 + 1;
    src.setpoint = r % 4;
    return src;
  }
  src.network = true;
  const int blocks = NetBlockCount(s);
  for (int k = 1; k <= blocks; ++k) {
    const int first = NetBlockFirst(s, k);
    const int d = NetBlockDiscrete(s, k);
    const int a = NetBlockAnalog(s, k);
    const int size = d + 4 * a;
    if (signal >= first + size) continue;
    src.module = k;
    const int offset = signal - first;
    if (d > 0) {
      src.input = offset + 1;
    } else {
      src.analog = true;
      src.input = offset / 4 + 1;
      src.setpoint = offset % 4;
    }
    return src;
  }
  return src;
}

SourceLimits LimitsOf(const ServiceBlock& s, const SignalSource& src) {
  SourceLimits l;
  if (!src.network) {
    l.modules = std::max(1, src.analog ? s.AiModules : s.DiModules);
    l.inputs = src.analog ? ServiceBlock::kInputsPerAiModule : ServiceBlock::kInputsPerDiModule;
  } else {
    l.modules = std::max(1, NetBlockCount(s));
    l.inputs = std::max(1, src.analog ? NetBlockAnalog(s, src.module) : NetBlockDiscrete(s, src.module));
  }
  return l;
}

std::string SlaveTypeName(int type) {
  static constexpr std::array<const char*, 6> kNames = {"ЗУЛ-01", "ЛК-12", "ЛК-40",
                                                        "ЛК-41",  "ЛК-13", "ЗУЛ-05-"};
  if (type >= 0 && type < static_cast<int>(kNames.size())) return kNames[static_cast<size_t>(type)];
  if (type == 15) return "не определен";
  return {};
}

// --- undo ---------------------------------------------------------------------------------------

DiscreteSnapshot CaptureDiscrete(const Configuration& c) {
  DiscreteSnapshot s;
  for (int i = 0; i < kSignals; ++i) s.records[static_cast<size_t>(i)] = c.discreteProcessing.Record(i);
  s.texts = c.service.Text;
  s.rowSignal = c.discreteProcessing.RowSignal;
  s.rowCount = c.discreteProcessing.RowCount;
  return s;
}

void RestoreDiscrete(Configuration& c, const DiscreteSnapshot& s) {
  DiscreteProcessing& z = c.discreteProcessing;
  for (int i = 0; i < kSignals; ++i) z.SetRecord(i, s.records[static_cast<size_t>(i)]);
  c.service.Text = s.texts;
  z.RowSignal = s.rowSignal;
  z.RowCount = std::clamp(s.rowCount, 0, kSignals);
  z.RowSelected.fill(0);
  z.SelectedCount = 0;
  z.CurRow = z.CurSignal = -1;
  z.Modified = 1;
}

// --- exchanges ------------------------------------------------------------------------------------

namespace {

constexpr int kReadProgressMax = 120;
constexpr int kReadProgressStep = 5;
constexpr int kWriteProgressMax = 120;
constexpr int kWriteProgressStep = 12;
constexpr int kPauseBeforeBlockMs = 50;

class EditorReader {
 public:
  EditorReader(ModbusLink& port, Configuration& c, Interaction& ui) : port_(port), c_(c), ui_(ui) {}

  EditorReadResult Run() {
    ui_.Progress(0, kReadProgressMax);
    const bool ok = Identity() && Network() && Records() && Texts() && Units();
    ui_.Progress(0, 0);
    result_.ok = ok;
    return result_;
  }

 private:
  void Step() {
    progress_ = std::min(progress_ + kReadProgressStep, kReadProgressMax);
    ui_.Progress(progress_, kReadProgressMax);
  }
  int Device() const { return c_.service.CurrentDevice; }
  bool Read(int function, int block) {
    if (block >= 0 && ui_.StopRequested()) {
      result_.stopped = true;
      result_.block = block;
      return false;
    }
    Step();
    answer_.fill(0);
    const uint8_t data = static_cast<uint8_t>(block);
    int code = port_.Request(Device(), static_cast<uint8_t>(function), std::span(&data, block < 0 ? 0u : 1u),
                             answer_);
    if (code == kResultOk && function == ServiceBlock::kIdentityFunction &&
        !ServiceBlock::IsWholeIdentityAnswer(answer_))
      code = kResultReceiveError;
    if (function == 68) {
      ClearPastData(answer_);
      if (code == kResultOk && !CarriesBlockBytes(answer_)) code = kResultReceiveError;
      if (code == kResultOk && c_.service.FileMode == 0)
        c_.image.Store(block, BlockPayload(std::span(answer_).subspan(4), answer_[2]));
    }
    if (code == kResultOk) return true;
    port_.ShowError(Device(), code);
    result_.block = block;
    result_.code = code;
    return false;
  }
  int ByteCount() const { return answer_[2]; }

  bool Identity() {
    if (!Read(ServiceBlock::kIdentityFunction, -1)) return false;
    ServiceBlock& s = c_.service;
    s.DecodeIdentity(ServiceBlock::kIdentityFunction, answer_);
    s.RecountIO();
    return true;
  }
  bool Network() {
    if (OwnSignalCount(c_.service) >= c_.service.SignalCount) return true;
    if (!Read(68, NetworkMaster::kMasterBlockNumber)) return false;
    c_.networkMaster.StoreMasterAnswer(68, answer_.data(), answer_.size());
    c_.networkMaster.SetMasterBlockLen(ByteCount());
    c_.networkMaster.RebuildNetSignals(c_.service);
    return true;
  }
  bool Records() {
    DiscreteProcessing& z = c_.discreteProcessing;
    for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
      if (!Read(68, DiscreteProcessing::kFirstBlockNumber + b)) return false;
      z.LoadBlockFromAnswer(answer_);
      z.UnpackBlock(b);
    }
    z.SetRecordBlockLen(ByteCount());
    for (int i = 0; i < kSignals; ++i) {
      const auto& r = z.Record(i);
      std::copy(r.begin(), r.end(), c_.reserveBlocks.ProcessingRecords[static_cast<size_t>(i)].begin());
    }
    return true;
  }
  bool Texts() {
    for (int n = 0; n < ServiceBlock::kTextBlocks; ++n) {
      if (!Read(68, ServiceBlock::kFirstTextBlockNumber + n)) return false;
      c_.service.LoadTextBlock(answer_);
      c_.service.PutTextBlock(n);
    }
    return true;
  }
  bool Units() {
    if (!Read(68, AnalogModules::kUnitsBlockNumber)) return false;
    c_.analogModules.StoreUnitsAnswer(answer_);
    return true;
  }

  ModbusLink& port_;
  Configuration& c_;
  Interaction& ui_;
  EditorReadResult result_;
  std::array<uint8_t, kAnswerBufferSize> answer_{};
  int progress_ = 0;
};

}  // namespace

EditorReadResult ReadEditorBlocks(ModbusLink& port, Configuration& c, Interaction& ui) {
  return EditorReader(port, c, ui).Run();
}

EditorWriteResult WriteProcessingRecords(ModbusLink& port, Configuration& c, Interaction& ui) {
  DiscreteProcessing& z = c.discreteProcessing;
  EditorWriteResult result;
  if (z.AccessLevel != 1) {
    Warn(ui, kNoAccessText);
    return result;
  }
  if (c.service.FileMode) {
    result.outcome = EditorWriteOutcome::FileMode;
    return result;
  }
  if (!z.SchemeAssigned) {
    result.outcome = z.AskCreateScheme(ui) ? EditorWriteOutcome::CloseEditor : EditorWriteOutcome::Declined;
    return result;
  }
  // Changed means: the records or texts differ from what the controller holds.
  if (!AnyChanged(c, OwnedByDiscreteEditor)) {
    const Answer a = ui.Ask(
        Message{kConfirmTransferCaption, kUnchangedQuestion, Icon::Question, Buttons::YesNo, Answer::No});
    if (a != Answer::Yes) {
      result.outcome = EditorWriteOutcome::Declined;
      return result;
    }
  }
  const int modified = z.Modified;
  z.Modified = 0;
  // The record blocks, then every text block that differs (a text undone after
  // it was written at once, say).
  std::vector<int> blocks;
  for (int b = 0; b < DiscreteProcessing::kBlocks; ++b)
    blocks.push_back(DiscreteProcessing::kFirstBlockNumber + b);
  for (int b : ChangedBlocks(c))
    if (IsTextBlock(b)) blocks.push_back(b);
  const BlockMap encoded = EncodeBlocks(c);
  int progress = 0;
  ui.Progress(0, kWriteProgressMax);
  for (int block : blocks) {
    port.Pause(kPauseBeforeBlockMs);
    if (!StoreBlock(port, c, block, encoded.at(block))) {
      ui.Progress(0, 0);
      z.Modified = modified ? modified : 1;  // the controller does not hold what memory holds
      char text[64];
      std::snprintf(text, sizeof text, kBlockNotWrittenText, block);
      ui.Show(kCaptionError, text, Icon::Error);
      result.outcome = EditorWriteOutcome::Failed;
      result.block = block;
      return result;
    }
    progress = std::min(progress + kWriteProgressStep, kWriteProgressMax);
    ui.Progress(progress, kWriteProgressMax);
  }
  ui.Progress(0, 0);
  for (int i = 0; i < kSignals; ++i) {
    const auto& r = z.Record(i);
    std::copy(r.begin(), r.end(), c.reserveBlocks.ProcessingRecords[static_cast<size_t>(i)].begin());
  }
  result.outcome = EditorWriteOutcome::Written;
  return result;
}

bool WriteSignalTextBlock(ModbusLink& port, Configuration& c, int signal, Interaction& ui) {
  ServiceBlock& s = c.service;
  // Only the first 192 texts have device blocks; 40 + signal / 16 beyond them
  // would land in an output text block.
  if (s.FileMode || signal < 0 || signal >= ServiceBlock::kExchangedTexts) return false;
  const int n = signal / ServiceBlock::kTextsPerBlock;
  ui.Progress(0, 100);
  port.Pause(kPauseBeforeBlockMs);
  s.FillTextBlock(n);
  ui.Progress(20, 100);
  const bool ok = StoreBlock(port, c, ServiceBlock::kFirstTextBlockNumber + n, s.TextBuf);
  ui.Progress(0, 0);
  if (ok) s.TextChanged = 0;
  return ok;
}

// --- printout -------------------------------------------------------------------------------------

std::string RelayOutputsText(const Configuration& c, int signal) {
  const ProcessingRecord& r = c.discreteProcessing.Record(signal);
  std::string text;
  for (int m = 1; m <= kRelayBytes; ++m) {
    const int mask = r[static_cast<size_t>(m)];
    if (mask == 0) continue;
    text += "  модуль реле " + std::to_string(m) + ": выходы";
    for (int k = 0; k < 8; ++k)
      if (mask & (1 << k)) text += " " + std::to_string(k + 1);
  }
  return text.empty() ? "нет выхода на модуль реле" : text.substr(2);
}

Report DiscreteSchemeReport(const Configuration& c, const std::string& title) {
  static constexpr std::array<const char*, 4> kAlarms = {"нет сигнализации", "предупредительная", "аварийная",
                                                         "индикация"};
  Configuration copy = c;  // the drawing corrections must not change the caller's data
  BuildScheme(copy);
  const DiscreteProcessing& z = copy.discreteProcessing;
  TableReportParts parts;
  parts.title = title;
  parts.caption = "Программирование обработки дискретных входов";
  parts.headerLines = {"№ на\t№ в\tИдентификатор\tТекстовый\tКонтакт\tАрхив\tСигнализация\tЯчейка\tЗадержка",
                       "схеме\tбазе\t\tреквизит"};
  for (int row = 0; row < z.RowCount; ++row) {
    const int s = z.RowSignal[static_cast<size_t>(row)];
    const ProcessingRecord& r = z.Record(s);
    std::string delay =
        HasDelay(r) ? std::to_string(DelayTimeOf(r)) + " x " + std::to_string(DelayUnitOf(r)) + " с" : "-";
    parts.rows.push_back(
        std::to_string(row + 1) + "\t" + std::to_string(s + 1) + "\t" + copy.service.GetIdentifier(s) + "\t" +
        copy.service.GetText(s) + "\t" + (r[0] & DiscreteProcessing::kContactNormallyOpen ? "НР" : "НЗ") +
        "\t" + ((r[9] & 0x80) ? "да" : "нет") + "\t" + kAlarms[static_cast<size_t>(AlarmTypeOf(r))] + "\t" +
        (HasAlarm(r) ? std::to_string(CellOf(r)) : "-") + "\t" + delay);
  }
  parts.rows.emplace_back();
  parts.rows.emplace_back("Информация о модулях реле:");
  for (int row = 0; row < z.RowCount; ++row) {
    const int s = z.RowSignal[static_cast<size_t>(row)];
    parts.rows.push_back(std::to_string(row + 1) + "\t" + std::to_string(s + 1) + "\t" +
                         RelayOutputsText(copy, s));
  }
  Report report = MakeTableReport(parts);
  report.tabStops = {6, 12, 26, 42, 50, 57, 76, 84};
  report.orientation = PageOrientation::Landscape;
  report.fontHalfPoints = 18;
  return report;
}

}  // namespace zul
