#include "core/editing/LocalNetworkEditing.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/link/ModbusLink.h"

namespace zul {

namespace {

constexpr int kPauseBeforeBlockMs = 50;
constexpr int kFirstFunctionBlockPage = 68;
constexpr int kMaxSlaveAddress = 255;
constexpr int kMaxF15Slave = 32;
constexpr int kMaxF15Signal = 252;

std::optional<long> ParseNumber(std::string_view text, int base) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  long value = 0;
  const char* end = text.data() + text.size();
  const bool negative = text.front() == '-';
  const char* begin = text.data() + (negative ? 1 : 0);
  auto [ptr, ec] = std::from_chars(begin, end, value, base);
  if (ec != std::errc() || ptr != end || begin == end) return std::nullopt;
  return negative ? -value : value;
}

bool Blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string Hex4(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04X", value & 0xFFFF);
  return buffer;
}

bool AnalogFunction(int f) { return f == 3 || f == 4; }
bool DiscreteFunction(int f) { return f == 1 || f == 2; }

// A number that no rule accepts when the text is not one.
long NumberOr(std::string_view text, int base, long fallback) {
  return ParseNumber(text, base).value_or(fallback);
}

}  // namespace

const std::array<std::string, 16>& SlaveTypeNames() {
  static const std::array<std::string, 16> names = {
      "ЗУЛ-01", "ЛК-12",  "ЛК-40",  "ЛК-41",  "ЛК-13",  "ЗУЛ-05", "резерв", "резерв",
      "резерв", "резерв", "резерв", "резерв", "резерв", "резерв", "резерв", "другие "};
  return names;
}

bool IsReserveSlaveType(int type) { return type >= 6 && type <= 14; }

bool EntryInsideModuleSignals(const NetworkMaster& m, const ServiceBlock& s, int k) {
  return m.GetFirstDiscrete(k) < s.FirstNetSignal() || m.GetFirstAnalog(k) < s.GetAiCount();
}

bool NetworkEntryValid(const NetworkMaster& m, const ServiceBlock& s, int k) {
  const int f = m.GetFunction(k);
  if (f < 1 || f > 4 || EntryInsideModuleSignals(m, s, k)) return false;
  const NetworkMaster::BlockSizes size = m.GetBlockSizes(k);
  return m.GetFirstDiscrete(k) + size.discrete <= NetworkMaster::kDiscreteSignals &&
         m.GetFirstAnalog(k) + size.analog <= NetworkMaster::kAnalogSignals;
}

std::vector<int> DamagedNetworkEntries(const Configuration& c) {
  std::vector<int> damaged;
  for (int k = 0; k < NetworkMaster::kEntries; ++k)
    if (c.networkMaster.EntryInUse(k) && !NetworkEntryValid(c.networkMaster, c.service, k))
      damaged.push_back(k);
  return damaged;
}

std::string DamagedNetworkEntriesText(const Configuration& c) {
  const std::vector<int> damaged = DamagedNetworkEntries(c);
  if (damaged.empty()) return {};
  std::string numbers;
  for (int k : damaged) numbers += (numbers.empty() ? "" : ", ") + std::to_string(k + 1);
  return "Блоки локальной сети заданы неверно: " + numbers +
         ".\nИх сигналы не лежат после сигналов модулей (с " +
         std::to_string(c.service.FirstNetSignal() + 1) +
         ") или выходят за таблицы; исправьте или удалите их.";
}

std::string MasterButtonCaption(int function) {
  return function == 0 ? std::string() : "Ф" + std::to_string(function);
}

std::string Function15ButtonCaption(int function) { return function == 0 ? std::string() : "Ф15"; }

// --- the master entry editor -----------------------------------------------------------

MasterEditSession BeginMasterEdit(const Configuration& c, int k) {
  const NetworkMaster& m = c.networkMaster;
  const ServiceBlock& s = c.service;
  MasterEditSession session;
  session.entry = std::clamp(k, 0, NetworkMaster::kEntries - 1);
  k = session.entry;
  session.master = m.MasterBlock;
  session.signalCount = s.SignalCount;
  session.analogSignalCount = s.AnalogSignalCount;
  session.before = m.GetBlockSizes(k);
  MasterEntryForm& f = session.form;
  if (m.EntryInUse(k) && EntryInsideModuleSignals(m, s, k)) {
    session.refused = true;
    session.openMessage = kEntryInsideModulesText;
    return session;
  }
  if (m.EntryInUse(k)) {
    session.mode = 1;
    const int fn = m.GetFunction(k);
    const int type = m.GetSlaveType(k);
    f.slaveType = type;
    f.function = fn;
    f.outputs = std::to_string(m.GetOutputs(k));
    f.slave = std::to_string(m.GetSlave(k));
    f.startAddress = Hex4(m.GetStartAddress(k));
    f.dataCount = std::to_string(m.GetDataCount(k));
    f.firstDiscrete = m.GetFirstDiscrete(k);
    f.firstAnalog = m.GetFirstAnalog(k);
    f.maxCodeEnabled = AnalogFunction(fn);
    f.maxCode = f.maxCodeEnabled ? std::to_string(m.GetMaxCode(k)) : "00";
    const int dataType = m.GetDataType(k);
    if (type == kSlaveTypeOther && AnalogFunction(fn)) {
      f.dataType = dataType;
      f.dataTypeEnabled = true;
      if (dataType == 1) {
        f.byteOrder = m.GetByteOrder(k);
        f.byteOrderEnabled = true;
      }
    } else if (type == kSlaveTypeZul05 && fn == 3) {
      f.dataType = dataType;
      f.byteOrder = m.GetByteOrder(k);
    } else if ((type == kSlaveTypeZul05 && fn == 4) || (type >= 1 && type <= 4 && AnalogFunction(fn))) {
      f.dataType = dataType;
    }
    return session;
  }
  session.mode = 0;
  if (s.SignalCount > NetworkMaster::kDiscreteSignals - 1) {
    session.refused = true;
    session.openMessage = kNoFreeNetAddressesText;
    return session;
  }
  // Totals below the module signals would place the new entry among them.
  if (s.SignalCount < s.FirstNetSignal() || s.AnalogSignalCount < s.GetAiCount()) {
    session.refused = true;
    session.openMessage = kEntryInsideModulesText;
    return session;
  }
  if (s.AnalogSignalCount > NetworkMaster::kAnalogSignals - 1) session.openMessage = kNoFreeNetAnalogText;
  f.firstDiscrete = s.SignalCount;
  f.firstAnalog = s.AnalogSignalCount;
  return session;
}

void ChooseSlaveType(MasterEntryForm& f, int type, int discreteTotal) {
  f.dataType = -1;
  f.byteOrder = -1;
  f.dataTypeEnabled = false;
  f.byteOrderEnabled = false;
  if (type < 0 || type > 15 || IsReserveSlaveType(type)) {
    f.slaveType = -1;
    f.function = 0;
    f.outputs = f.dataCount = "0";
    f.maxCode = "0000";
    f.maxCodeEnabled = true;
    return;
  }
  f.slaveType = type;
  auto set = [&f](int function, const char* count, const char* maxCode, bool maxEnabled) {
    f.function = function;
    f.outputs = f.dataCount = count;
    f.maxCode = maxCode;
    f.maxCodeEnabled = maxEnabled;
  };
  switch (type) {
    case 0:
      set(1, "16", "0000", false);
      return;
    case 1:
      set(3, "1", "16384", true);
      break;
    case 2:
    case 3:
      set(3, "1", "8192", true);
      break;
    case 4:
      set(3, discreteTotal > NetworkMaster::kDiscreteSignals ? "0" : "6", "8192", true);
      break;
    default:  // ЗУЛ-05 and other devices
      set(1, "0", "0000", true);
      return;
  }
  f.dataType = 0;  // the analog sensors send integer codes
}

std::string ChooseFunction(MasterEntryForm& f, int function) {
  const int type = f.slaveType;
  f.function = function;
  if (type >= 1 && type <= 4) {
    if (DiscreteFunction(function)) {
      f.maxCodeEnabled = false;
      f.function = 0;
      return kFunctionNotAllowedText;
    }
    f.maxCodeEnabled = true;
    f.dataType = 0;
    f.dataTypeEnabled = false;
    f.byteOrder = -1;
    f.byteOrderEnabled = false;
    return {};
  }
  if (type == 0) {
    f.maxCodeEnabled = false;
    if (AnalogFunction(function)) {
      f.function = 0;
      return kFunctionNotAllowedText;
    }
    return {};
  }
  f.dataTypeEnabled = false;
  f.byteOrderEnabled = false;
  f.byteOrder = -1;
  if (type == kSlaveTypeZul05 && function == 3) {
    f.dataType = 1;
    f.byteOrder = 0;
  } else if (type == kSlaveTypeZul05 && function == 4) {
    f.dataType = 0;
  } else if (type == kSlaveTypeOther && AnalogFunction(function)) {
    f.dataType = 0;
    f.dataTypeEnabled = true;
  } else {
    f.dataType = -1;
  }
  return {};
}

void ChooseDataType(MasterEntryForm& f, int dataType) {
  f.dataType = dataType;
  f.byteOrderEnabled = dataType == 1;
  f.byteOrder = dataType == 1 ? 0 : -1;
}

namespace {

// The rules of the slave type for n outputs, start address s and data count c.
void CheckTypeRules(const MasterEntryForm& f, long n, long s, long c, std::vector<std::string>& out) {
  const int type = f.slaveType;
  const int fn = f.function;
  const bool ieee = f.dataType == 1;
  const char* outputsError = "ошибка в количестве выходов блока\n";
  const char* countError = "ошибка в количестве данных в запросе\n";
  if (type == 0) {
    const bool outputsOk =
        (fn == 1 && n % 4 == 0 && n >= 0 && n <= 16) || (fn == 2 && n % 4 == 0 && n >= 0 && n <= 32);
    if (!outputsOk) out.emplace_back("ошибка в количестве выходов блока ЗУЛ-01\n");
    const bool startOk =
        (fn == 1 && (s == 0 || (s >= 0x10 && s <= 0x1F))) || (fn == 2 && s >= 0 && s <= 0x1F);
    if (!startOk) out.emplace_back("ошибка в начальном адресе данных в запросе блока ЗУЛ-01\n");
    if (c != n) out.emplace_back(countError);
    if (fn == 2 && s + c > 32) out.emplace_back("сумма нач адр и кол-ва данных в запросе >32(Dec)\n");
  } else if (type >= 1 && type <= 3) {
    if (n != 1) out.emplace_back(outputsError);
    if (s != 0) out.emplace_back("ошибка в начальном адресе данных в запросе\n");
    if (c != n) out.emplace_back(countError);
  } else if (type == 4) {
    if (!AnalogFunction(fn) || (n != 1 && n != 6 && n != 12)) out.emplace_back(outputsError);
    if (c != n) out.emplace_back(countError);
  } else if (type == kSlaveTypeZul05 || type == kSlaveTypeOther) {
    const bool quarter = n >= 0 && n % 4 == 0;
    const bool outputsOk = (fn == 1 && quarter && n <= 40) || (fn == 2 && quarter && n <= 192) ||
                           (AnalogFunction(fn) && n >= 0 && n <= 12);
    if (!outputsOk) out.emplace_back(outputsError);
    const bool floats =
        ieee && ((type == kSlaveTypeZul05 && fn == 3) || (type == kSlaveTypeOther && AnalogFunction(fn)));
    if (type == kSlaveTypeZul05 && fn == 3 && !ieee) {
      out.emplace_back(countError);
    } else if (c != (floats ? 2 * n : n)) {
      out.emplace_back(countError);
    }
  } else if (c != n) {
    out.emplace_back(countError);
  }
}

}  // namespace

EntryCheck CheckMasterEntry(const MasterEntryForm& f) {
  EntryCheck check;
  auto fail = [&check](const char* text, MasterField field, bool empty = false) {
    check.messages.emplace_back(text);
    check.focus = field;
    if (empty) check.emptyField = field;
    return check;
  };
  if (f.slaveType < 0 || IsReserveSlaveType(f.slaveType) || f.slaveType > 15)
    return fail("тип устройства не задан\n", MasterField::Type);
  if (f.function < 1 || f.function > 4) return fail("код функции не задан\n", MasterField::Function);
  if (Blank(f.slave)) return fail("адрес Slave в локальной сети не задан\n", MasterField::Slave, true);
  const long slave = NumberOr(f.slave, 10, -1);
  if (slave < 1 || slave > kMaxSlaveAddress)
    return fail("адрес Slave в локальной сети задан неверно\n", MasterField::Slave);
  if (Blank(f.outputs)) return fail("количество выходов блока не задано\n", MasterField::Outputs, true);
  if (Blank(f.maxCode)) return fail("макс.значение кода не задано\n", MasterField::MaxCode, true);
  if (Blank(f.startAddress))
    return fail("нач адр данных в запросе не задан\n", MasterField::StartAddress, true);
  if (Blank(f.dataCount))
    return fail("количество данных в запросе не задано\n", MasterField::DataCount, true);
  const long n = NumberOr(f.outputs, 10, -1);
  const long s = NumberOr(f.startAddress, 16, -1);
  const long c = NumberOr(f.dataCount, 10, -1);
  CheckTypeRules(f, n, s, c, check.messages);
  // Whatever the type, the fields must fit their bytes.
  if (check.messages.empty() && (n < 0 || n > 255 || s < 0 || s > 0xFFFF || c < 0 || c > 0xFFFF))
    check.messages.emplace_back("ошибка в количестве выходов блока\n");
  if (!check.messages.empty()) {
    check.focus = MasterField::Outputs;
    return check;
  }
  const long maxCode = NumberOr(f.maxCode, 10, -1);
  if (maxCode < 0 || maxCode > NetworkMaster::kMaxCodeLimit)
    return fail("ошибка в максимальном значении кода\n", MasterField::MaxCode);
  return check;
}

MasterEditResult ApplyMasterEdit(Configuration& c, const MasterEditSession& session,
                                 const MasterEntryForm& f) {
  MasterEditResult result;
  const EntryCheck check = CheckMasterEntry(f);
  if (!check.ok()) {
    result.messages = check.messages;
    AbandonMasterEdit(c, session);
    return result;
  }
  if (f.firstDiscrete < c.service.FirstNetSignal() || f.firstAnalog < c.service.GetAiCount()) {
    result.messages.emplace_back(kEntryInsideModulesText);
    AbandonMasterEdit(c, session);
    return result;
  }
  NetworkMaster& m = c.networkMaster;
  const int k = session.entry;
  m.SetSlaveType(k, f.slaveType);
  m.SetFunction(k, f.function);
  m.SetSlave(k, static_cast<int>(NumberOr(f.slave, 10, 0)));
  m.SetOutputs(k, static_cast<int>(NumberOr(f.outputs, 10, 0)));
  m.SetMaxCode(k, static_cast<int>(NumberOr(f.maxCode, 10, 0)));
  m.SetStartAddress(k, static_cast<int>(NumberOr(f.startAddress, 16, 0)));
  m.SetDataCount(k, static_cast<int>(NumberOr(f.dataCount, 10, 0)));
  m.SetFirstDiscrete(k, f.firstDiscrete);
  m.SetFirstAnalog(k, f.firstAnalog);
  m.SetDataType(k, std::max(f.dataType, 0));
  m.SetByteOrder(k, std::max(f.byteOrder, 0));

  const NetworkMaster::ChainResult chain = m.ChainBlocks(k, c.service);
  if (!chain.ok) {
    result.messages.push_back(chain.message);
    AbandonMasterEdit(c, session);
    return result;
  }
  bool laterInUse = false;
  for (int j = k + 1; j < NetworkMaster::kEntries; ++j) laterInUse = laterInUse || m.EntryInUse(j);
  const NetworkMaster::BlockSizes after = m.GetBlockSizes(k);
  // A new entry among used ones opens room like a grown block does.
  const bool moves = session.mode == 1 ? after != session.before : laterInUse;
  if (moves) {
    m.RenumberAfterEdit(k, session.mode == 1 ? session.before : NetworkMaster::BlockSizes{}, c.service,
                        c.discreteProcessing, c.functionBlocks);
    result.renumbered = true;
  }
  m.RebuildNetSignals(c.service);
  m.MasterUnchanged = 0;
  m.BlockListChanged = 1;
  m.EntryError[static_cast<size_t>(k)] = 0;
  result.accepted = true;
  return result;
}

void CancelMasterEdit(Configuration& c, const MasterEditSession& session) {
  NetworkMaster& m = c.networkMaster;
  m.MasterBlock = session.master;
  c.service.SetSignalCount(session.signalCount);
  c.service.SetAnalogSignalCount(session.analogSignalCount);
}

void AbandonMasterEdit(Configuration& c, const MasterEditSession& session) {
  CancelMasterEdit(c, session);
  c.networkMaster.EntryError[static_cast<size_t>(session.entry)] = 1;
}

// --- the function-15 editor --------------------------------------------------------------

Function15Form FormOfFunction15Entry(const Configuration& c, int b) {
  const Function15Blocks& f15 = c.function15Blocks;
  Function15Form form;
  form.signalNumbers.fill("0");
  if (f15.IsEntryFree(b)) return form;
  form.function = std::to_string(f15.GetFunction(b));
  form.slaveIndex = f15.GetSlave(b) >= 1 && f15.GetSlave(b) <= kMaxF15Slave ? f15.GetSlave(b) - 1 : -1;
  form.inputs = std::to_string(f15.GetInputs(b));
  form.startAddress = Hex4(f15.GetStartAddress(b));
  form.dataCount = std::to_string(f15.GetDataCount(b));
  for (int i = 0; i < Function15Blocks::kInputs; ++i)
    form.signalNumbers[static_cast<size_t>(i)] = std::to_string(f15.GetInputSignal(b, i));
  form.acknowledge = f15.GetAcknowledge(b) != 0;
  form.reset = f15.GetReset(b) != 0;
  return form;
}

int EnabledSignalFields(std::string_view inputs) {
  const long n = NumberOr(inputs, 10, 0);
  return static_cast<int>(std::clamp<long>(n, 0, Function15Blocks::kInputs));
}

Function15Check CheckFunction15Entry(Configuration& c, int b, const Function15Form& form, bool store) {
  Function15Blocks& f15 = c.function15Blocks;
  Function15Check check;
  const long f = NumberOr(form.function, 10, -1);
  if (f == 0 && f15.IsEntryFree(b)) return check;
  auto fail = [&check](std::string text) {
    check.ok = false;
    if (!text.empty()) check.messages.push_back(std::move(text));
  };
  // A used entry cannot be given code 0 here: deleting is the window's command.
  if (f != Function15Blocks::kFunctionCode) {
    check.functionHint = true;
    fail({});
  }
  if (form.slaveIndex < 0 || form.slaveIndex >= kMaxF15Slave) fail("адрес Slave в локальной сети не задан");
  const long inputs = NumberOr(form.inputs, 10, -1);
  if (Blank(form.inputs) || inputs <= 0) {
    check.inputsBack = true;
    fail(" Ошибка ввода ");
  } else if (inputs > Function15Blocks::kInputs) {
    fail("ошибка в количестве входов блока");
  }
  const long start = NumberOr(form.startAddress, 16, 0);
  if (start < 0 || start > 0xFFFF) fail("ошибка в начальном адресе данных в запросе");
  const long count = NumberOr(form.dataCount, 10, -1);
  if (count != inputs) fail("ошибка в количестве данных в запросе");
  const int enabled = static_cast<int>(std::clamp<long>(inputs, 0, Function15Blocks::kInputs));
  std::array<int, Function15Blocks::kInputs> numbers{};
  for (int i = 0; i < enabled; ++i) {
    const long signal = NumberOr(form.signalNumbers[static_cast<size_t>(i)], 10, -1);
    if (signal < 0 || signal > kMaxF15Signal) {
      fail("ошибка в адресе дискретного сигнала " + std::to_string(i + 1));
      break;
    }
    numbers[static_cast<size_t>(i)] = static_cast<int>(signal);
  }
  if (!check.ok || !store) return check;
  f15.SetFunction(b, Function15Blocks::kFunctionCode);
  f15.SetSlave(b, form.slaveIndex + 1);
  f15.SetInputs(b, static_cast<int>(inputs));
  f15.SetStartAddress(b, static_cast<int>(start));
  f15.SetDataCount(b, static_cast<int>(count));
  for (int i = 0; i < Function15Blocks::kInputs; ++i)
    f15.SetInputSignal(b, i, numbers[static_cast<size_t>(i)]);
  f15.SetAcknowledge(b, form.acknowledge ? 1 : 0);
  f15.SetReset(b, form.reset ? 1 : 0);
  return check;
}

bool WriteFunction15Block(Configuration& c, ModbusLink& port, Interaction& ui) {
  if (c.discreteProcessing.AccessLevel != kFullAccess) {
    ui.Show(kCaptionWarning, kNoWriteAccessText, Icon::Warning);
    return false;
  }
  Function15Blocks& f15 = c.function15Blocks;
  const auto block = f15.GetBlock();
  port.Pause(kPauseBeforeBlockMs);
  if (!port.WriteBlock(c.service.CurrentDevice, Function15Blocks::kBlockNumber,
                       BlockPayload(block.subspan(1), c.networkMaster.F15BlockLen)))
    return false;
  std::copy(block.begin(), block.end(), c.reserveBlocks.F15Block.begin());
  f15.Unchanged = 1;
  f15.ChangedInNetwork = 0;
  return true;
}

void RestoreFunction15Block(Configuration& c) {
  Function15Blocks& f15 = c.function15Blocks;
  f15.LoadBlock(c.reserveBlocks.F15Block);
  f15.Unchanged = 1;
  f15.ChangedInNetwork = 0;
}

// --- scaling -----------------------------------------------------------------------------

bool ScalingTextValid(std::string_view text, int kind) {
  return !Blank(text) && ServiceBlock::CheckNumberText(text, kind) == NumberTextError::None;
}

NetworkAnalogSpan NetworkAnalogSpanOf(const Configuration& c, int k) {
  const NetworkMaster& m = c.networkMaster;
  if (k < 0 || k >= NetworkMaster::kEntries || !AnalogFunction(m.GetFunction(k))) return {};
  const int outputs = m.GetOutputs(k);
  const int first = m.GetFirstAnalog(k) - c.service.GetAiCount();
  if (outputs <= 0 || first < 0 || m.GetFirstAnalog(k) + outputs > NetworkMaster::kAnalogSignals) return {};
  return {first, outputs};
}

// --- the discrete online view's range --------------------------------------------------

std::string OutOfRangeHint(double low, double high) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "Величина вне диапазона %g - %g", low, high);
  return buffer;
}

RangeCheck CheckDiscreteRange(std::string_view startText, std::string_view countText, int first, int size) {
  RangeCheck r;
  if (Blank(startText)) {
    r.empty = true;
    return r;
  }
  const long start = NumberOr(startText, 10, -1);
  const int last = first + size - 1;
  if (start < first || start > last) {
    r.hint = OutOfRangeHint(first, last);
    return r;
  }
  r.field = 1;
  if (Blank(countText)) {
    r.empty = true;
    return r;
  }
  const long count = NumberOr(countText, 10, -1);
  // Never past the block's last signal.
  const long most = std::min<long>(kDiscreteOnlineRows, first + size - start);
  if (count < 1 || count > most) {
    r.hint = OutOfRangeHint(1, static_cast<double>(most));
    return r;
  }
  r.ok = true;
  r.start = static_cast<int>(start);
  r.count = static_cast<int>(count);
  return r;
}

// --- the local network window ------------------------------------------------------------

LocalNetworkSession::LocalNetworkSession(Configuration& c)
    : c_(c), before_(std::make_unique<Configuration>(c)) {
  NetworkMaster& m = c_.networkMaster;
  m.MasterUnchanged = 1;
  m.LineUnchanged = 1;
  m.NotRenumbered = 1;
  m.BlockListChanged = 0;
  c_.function15Blocks.Unchanged = 1;
  c_.function15Blocks.ChangedInNetwork = 0;
  baud_ = m.GetBaudIndex();
  frame_ = m.GetFrameIndex();
}

LocalNetworkSession::~LocalNetworkSession() = default;

bool LocalNetworkSession::DeleteEntry(int k) {
  return c_.networkMaster.DeleteBlock(k, c_.service, c_.discreteProcessing, c_.functionBlocks);
}

void LocalNetworkSession::DeleteFunction15Entry(int b) {
  c_.function15Blocks.ClearEntry(b);
  c_.function15Blocks.ChangedInNetwork = 1;
}

void LocalNetworkSession::ChooseBaud(int index) {
  baud_ = index;
  if (index >= 0 && index <= 3) c_.networkMaster.SetBaudIndex(index);
  lineChanged_ = true;
  c_.networkMaster.LineUnchanged = 0;
}

void LocalNetworkSession::ChooseFrame(int index) {
  frame_ = index;
  if (index >= 0 && index <= 3) c_.networkMaster.SetFrameIndex(index);
  lineChanged_ = true;
  c_.networkMaster.LineUnchanged = 0;
}

bool LocalNetworkSession::RecordsChanged() const {
  return c_.networkMaster.Records != before_->networkMaster.Records;
}

bool LocalNetworkSession::Renumbered() const { return c_.networkMaster.NotRenumbered == 0; }

bool LocalNetworkSession::FunctionBlocksChanged() const {
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    const auto now = c_.functionBlocks.Record(i);
    const auto was = before_->functionBlocks.Record(i);
    if (!std::equal(now.begin(), now.end(), was.begin())) return true;
  }
  return false;
}

bool LocalNetworkSession::NetworkChanged() const {
  // An OK that stored the same bytes again changed nothing; a line setting
  // left without a choice is still one to refuse.
  const bool lineIncomplete = lineChanged_ && (baud_ < 0 || baud_ > 3 || frame_ < 0 || frame_ > 3);
  return lineIncomplete || c_.networkMaster.MasterBlock != before_->networkMaster.MasterBlock ||
         RecordsChanged() || Renumbered();
}

bool LocalNetworkSession::Function15Changed() const {
  return c_.function15Blocks.ChangedInNetwork != 0 || c_.function15Blocks.Unchanged == 0;
}

std::vector<int> LocalNetworkSession::NetworkWriteBlocks() const {
  std::vector<int> blocks;
  if (RecordsChanged() || Renumbered()) {
    for (int r = 0; r < NetworkMaster::kRecords - c_.service.AiModules; ++r)
      blocks.push_back(c_.service.AiModules + 1 + r);
  }
  blocks.push_back(NetworkMaster::kMasterBlockNumber);
  if (Renumbered()) {
    const int first = c_.service.FirstNetSignal();
    for (int b = first / DiscreteProcessing::kBlockRecords; b < DiscreteProcessing::kBlocks; ++b)
      blocks.push_back(DiscreteProcessing::kFirstBlockNumber + b);
    for (int t = first / ServiceBlock::kTextsPerBlock; t < ServiceBlock::kTextBlocks; ++t)
      blocks.push_back(ServiceBlock::kFirstTextBlockNumber + t);
    if (FunctionBlocksChanged()) {
      for (int p = 0; p < c_.functionBlocks.GetPageCount(); ++p)
        blocks.push_back(kFirstFunctionBlockPage + p);
    }
  }
  if (!partlyWritten_) return blocks;
  // The controller's image says which of them it already holds.
  const std::vector<int> changed = ChangedBlocks(c_);
  std::erase_if(blocks, [&changed](int b) { return !std::binary_search(changed.begin(), changed.end(), b); });
  return blocks;
}

bool LocalNetworkSession::WriteNetwork(ModbusLink& port, Interaction& ui) {
  if (c_.discreteProcessing.AccessLevel != kFullAccess) {
    ui.Show(kCaptionWarning, kNoWriteAccessText, Icon::Warning);
    return false;
  }
  if (lineChanged_ && (baud_ < 0 || baud_ > 3 || frame_ < 0 || frame_ > 3)) {
    ui.Show(kCaptionError, kLineSettingsErrorText, Icon::Error);
    return false;
  }
  NetworkMaster& m = c_.networkMaster;
  ServiceBlock& s = c_.service;
  ReserveBlocks& reserve = c_.reserveBlocks;
  const int device = s.CurrentDevice;
  const std::vector<int> blocks = NetworkWriteBlocks();
  const int total = static_cast<int>(blocks.size());
  int done = 0;
  auto write = [&](int block, std::span<const uint8_t> bytes) {
    port.Pause(kPauseBeforeBlockMs);
    const bool ok = port.WriteBlock(device, static_cast<uint8_t>(block), bytes);
    ui.Progress(++done, total);
    return ok;
  };
  ui.Progress(0, total);
  bool ok = true;
  for (int block : blocks) {
    if (block <= NetworkMaster::kRecords) {
      const size_t r = static_cast<size_t>(block - s.AiModules - 1);
      if (!(ok = write(block, BlockPayload(std::span(m.Records[r]).subspan(1), m.RecordLen)))) break;
      reserve.NetParts[r] = m.Records[r];
    } else if (block == NetworkMaster::kMasterBlockNumber) {
      if (!(ok = write(block, BlockPayload(std::span(m.MasterBlock).subspan(1), m.MasterBlockLen)))) break;
      reserve.MasterBlock = m.MasterBlock;
      reserve.SignalCount = s.SignalCount;
      reserve.AnalogSignalCount = s.AnalogSignalCount;
      m.MasterUnchanged = 1;
      m.LineUnchanged = 1;
    } else if (block < ServiceBlock::kFirstTextBlockNumber) {
      DiscreteProcessing& z = c_.discreteProcessing;
      const int b = block - DiscreteProcessing::kFirstBlockNumber;
      z.PackBlock(b);
      if (!(ok = write(block, BlockPayload(z.ExchangeBuffer(), z.GetRecordBlockLen())))) break;
      for (int i = b * DiscreteProcessing::kBlockRecords; i < (b + 1) * DiscreteProcessing::kBlockRecords;
           ++i)
        reserve.ProcessingRecords[static_cast<size_t>(i)] = z.Record(i);
    } else if (block < kFirstFunctionBlockPage) {
      const int t = block - ServiceBlock::kFirstTextBlockNumber;
      s.FillTextBlock(t);
      if (!(ok = write(block, BlockPayload(s.TextBuf, s.TextBlockLen)))) break;
      for (int i = t * ServiceBlock::kTextsPerBlock; i < (t + 1) * ServiceBlock::kTextsPerBlock; ++i) {
        auto& row = reserve.Texts[static_cast<size_t>(i)];
        std::copy(s.Text[static_cast<size_t>(i)].begin(), s.Text[static_cast<size_t>(i)].end(), row.begin());
      }
    } else {
      FunctionBlocks& fb = c_.functionBlocks;
      const int p = block - kFirstFunctionBlockPage;
      fb.StorePage(p);
      if (!(ok = write(block, BlockPayload(fb.PageBuf(), fb.GetPageByteCount())))) break;
      for (int i = p * FunctionBlocks::kPageRecords; i < (p + 1) * FunctionBlocks::kPageRecords; ++i) {
        const auto record = fb.Record(i);
        std::copy(record.begin(), record.end(), reserve.FBRecords[static_cast<size_t>(i)].begin());
      }
    }
  }
  ui.Progress(0, 0);
  if (!ok) {
    partlyWritten_ = partlyWritten_ || done > 1;
    return false;
  }
  partlyWritten_ = false;
  // What was written is the new starting point of this window.
  const Function15Blocks f15 = before_->function15Blocks;
  *before_ = c_;
  before_->function15Blocks = f15;
  m.NotRenumbered = 1;
  m.BlockListChanged = 0;
  lineChanged_ = false;
  return true;
}

void LocalNetworkSession::RestoreNetwork() {
  ServiceBlock& s = c_.service;
  const int fileMode = s.FileMode, fileChanged = s.FileChanged, device = s.CurrentDevice;
  s = before_->service;
  s.FileMode = fileMode;
  s.FileChanged = fileChanged;
  s.CurrentDevice = device;
  const int access = c_.discreteProcessing.AccessLevel;
  c_.discreteProcessing = before_->discreteProcessing;
  c_.discreteProcessing.AccessLevel = access;
  c_.functionBlocks = before_->functionBlocks;
  c_.networkMaster = before_->networkMaster;
  c_.networkMaster.RebuildNetSignals(s);
  c_.networkMaster.MasterUnchanged = 1;
  c_.networkMaster.LineUnchanged = 1;
  c_.networkMaster.NotRenumbered = 1;
  lineChanged_ = false;
  baud_ = c_.networkMaster.GetBaudIndex();
  frame_ = c_.networkMaster.GetFrameIndex();
}

bool LocalNetworkSession::WriteFunction15(ModbusLink& port, Interaction& ui) {
  if (!WriteFunction15Block(c_, port, ui)) return false;
  before_->function15Blocks = c_.function15Blocks;
  return true;
}

void LocalNetworkSession::RestoreFunction15() { RestoreFunction15Block(c_); }

LocalNetworkSession::ClosePlan LocalNetworkSession::PlanClose(Interaction& ui) {
  ClosePlan plan;
  const bool fileMode = c_.service.FileMode == 1;
  const Message question{kNetworkSendCaption, kNetworkSendQuestion, Icon::Question, Buttons::YesNoCancel,
                         Answer::No};
  auto decide = [&](bool changed, bool& write, auto restore) {
    if (!changed || plan.stay) return;
    if (fileMode) {
      c_.service.FileChanged = 1;
      return;
    }
    switch (ui.Ask(question)) {
      case Answer::Yes:
        write = true;
        break;
      case Answer::No:
        restore();
        break;
      default:
        plan.stay = true;
    }
  };
  decide(NetworkChanged() || partlyWritten_, plan.writeNetwork, [this, &ui] {
    RestoreNetwork();
    if (partlyWritten_) ui.Show(kCaptionWarning, kNetworkNeedsWholeWriteText, Icon::Warning);
    partlyWritten_ = false;
  });
  decide(Function15Changed(), plan.writeFunction15, [this] { RestoreFunction15(); });
  if (plan.stay) return {true, false, false};
  // Without full access nothing is sent: what was never sent does not stay
  // either, or the totals would show a layout the controller does not have.
  if (plan.Writes() && c_.discreteProcessing.AccessLevel != kFullAccess) {
    ui.Show(kCaptionWarning, kNoWriteAccessText, Icon::Warning);
    if (plan.writeNetwork) RestoreNetwork();
    if (plan.writeFunction15) RestoreFunction15();
    return {};
  }
  return plan;
}

LocalNetworkSession::Verdict LocalNetworkSession::CarryOut(const ClosePlan& plan, ModbusLink& port,
                                                           Interaction& ui) {
  if (plan.writeNetwork && !WriteNetwork(port, ui)) {
    // The link's message has been shown; the edits stay for another try.
    if (partlyWritten_) ui.Show(kCaptionWarning, kNetworkPartlyWrittenText, Icon::Warning);
    return Verdict::Stay;
  }
  if (plan.writeFunction15 && !WriteFunction15(port, ui)) return Verdict::Stay;
  return Verdict::Close;
}

LocalNetworkSession::Verdict LocalNetworkSession::Close(ModbusLink& port, Interaction& ui) {
  const ClosePlan plan = PlanClose(ui);
  if (plan.stay) return Verdict::Stay;
  return CarryOut(plan, port, ui);
}

}  // namespace zul
