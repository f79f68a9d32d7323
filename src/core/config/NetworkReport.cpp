#include "core/config/NetworkReport.h"

#include <algorithm>
#include <cstdio>

#include "core/config/Configuration.h"
#include "core/editing/LocalNetworkEditing.h"

namespace zul {

namespace {

std::string Join(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
  return line;
}

std::string Hex(int value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
  return buffer;
}

std::vector<int> Stops(std::initializer_list<int> widths) {
  std::vector<int> stops;
  int column = 0;
  for (int w : widths) stops.push_back(column += w);
  return stops;
}

const std::vector<std::string> kScalingTop{"  №",   "идентиф.", "технолог.", "размерн.", "  min",
                                           "  max", "уставка",  "уставка",   "уставка",  "уставка"};
const std::vector<std::string> kScalingBottom{"входа", "",     "позиция", "",    "шкалы",
                                              "шкалы", "  LL", "  L",     "  H", "  HH"};
constexpr std::initializer_list<int> kScalingWidths{7, 11, 11, 10, 11, 11, 11, 11, 11, 11};

}  // namespace

const std::vector<std::string>& BaudRateNames() {
  static const std::vector<std::string> names{"9600", "19200", "57600", "115200"};
  return names;
}

const std::vector<std::string>& FrameFormatNames() {
  static const std::vector<std::string> names{
      "2 стоп-бита без контр. четности", "1 стоп-бит с контр. нечетности", "1 стоп-бит с контр. четности",
      "1 стоп-бит без контр. четности"};
  return names;
}

std::vector<std::string> ScaledSignalRows(const Configuration& c) {
  const NetworkMaster& m = c.networkMaster;
  const int modules = c.service.GetAiCount();
  std::vector<std::string> rows;
  for (int k = 0; k < NetworkMaster::kEntries; ++k) {
    const NetworkAnalogSpan span = NetworkAnalogSpanOf(c, k);
    for (int a = span.first; a < span.first + span.count; ++a) {
      const int absolute = a + modules;
      // The identifier of the signal's first limit, as the signal base names it.
      const int limit = m.GetFirstDiscrete(k) + 4 * (a - span.first);
      rows.push_back(
          Join({std::to_string(absolute + 1), c.service.GetShortIdentifier(limit), m.GetPosition(a),
                c.analogModules.GetUnitName(m.GetUnitIndex(a)), m.GetScaleMin(a), m.GetScaleMax(a),
                m.GetSetpointLL(a), m.GetSetpointL(a), m.GetSetpointH(a), m.GetSetpointHH(a)}));
    }
  }
  return rows;
}

Report NetworkScalingReport(const Configuration& c, const std::string& title) {
  TableReportParts parts;
  parts.title = title;
  parts.caption = "Аналоговые входы локальной сети ModBus";
  parts.headerLines = {Join(kScalingTop), Join(kScalingBottom)};
  parts.rows = ScaledSignalRows(c);
  Report r = MakeTableReport(parts);
  r.tabStops = Stops(kScalingWidths);
  r.orientation = PageOrientation::Landscape;
  r.marginPoints = 29;
  return r;
}

namespace {

// The data type and byte order the entry's analog values arrive in.
std::string DataFormat(const NetworkMaster& m, int k) {
  const int f = m.GetFunction(k);
  if (f != 3 && f != 4) return "—";
  if (m.GetDataType(k) == 0) return "целочисл.";
  return m.GetByteOrder(k) == 0 ? "IEEE754 старш.рег." : "IEEE754 младш.рег.";
}

std::string Range(int first, int count) {
  return count <= 0 ? std::string("—") : std::to_string(first + 1) + "-" + std::to_string(first + count);
}

void AddEntries(const Configuration& c, std::vector<std::string>& rows) {
  const NetworkMaster& m = c.networkMaster;
  for (int k = 0; k < NetworkMaster::kEntries; ++k) {
    if (!m.EntryInUse(k)) {
      rows.push_back(Join({std::to_string(k + 1), "—"}));
      continue;
    }
    const NetworkMaster::BlockSizes size = m.GetBlockSizes(k);
    const int type = m.GetSlaveType(k);
    rows.push_back(
        Join({std::to_string(k + 1), MasterButtonCaption(m.GetFunction(k)),
              SlaveTypeNames()[static_cast<size_t>(type)], std::to_string(m.GetSlave(k)),
              Hex(m.GetStartAddress(k), 4), std::to_string(m.GetDataCount(k)),
              std::to_string(m.GetOutputs(k)), Range(m.GetFirstDiscrete(k), size.discrete),
              Range(m.GetFirstAnalog(k), size.analog), std::to_string(m.GetMaxCode(k)), DataFormat(m, k)}));
    if (!NetworkEntryValid(m, c.service, k))
      rows.push_back("\t" + std::string(kInvalidEntryHint) + ": сигналы сети начинаются с " +
                     std::to_string(c.service.FirstNetSignal() + 1) + " (аналог. с " +
                     std::to_string(c.service.GetAiCount() + 1) + ")");
  }
}

void AddFunction15(const Configuration& c, std::vector<std::string>& rows) {
  const Function15Blocks& f15 = c.function15Blocks;
  rows.push_back("Функциональные блоки MBM ф15");
  for (int b = 0; b < Function15Blocks::kEntries; ++b) {
    if (f15.IsEntryFree(b)) {
      rows.push_back(Join({std::to_string(b + 1), "—"}));
      continue;
    }
    rows.push_back(Join({std::to_string(b + 1), "Ф15", "", std::to_string(f15.GetSlave(b)),
                         Hex(f15.GetStartAddress(b), 4), std::to_string(f15.GetDataCount(b)),
                         std::to_string(f15.GetInputs(b))}));
    std::string flags;
    if (f15.GetAcknowledge(b)) flags += "Квитирование ";
    if (f15.GetReset(b)) flags += "Сброс";
    if (!flags.empty()) rows.push_back("\t" + flags);
  }
  for (int b = 0; b < Function15Blocks::kEntries; ++b) {
    if (f15.IsEntryFree(b)) continue;
    rows.emplace_back();
    rows.push_back("Входы блока " + std::to_string(b + 1) + " ф15 (номера дискр. сигналов)");
    // Eight inputs a line, each as "вход: сигнал".
    std::string line;
    const int inputs = std::min(f15.GetInputs(b), Function15Blocks::kInputs);
    for (int i = 0; i < inputs; ++i) {
      line += (i % 8 ? "\t" : "") + std::to_string(i + 1) + ": " + std::to_string(f15.GetInputSignal(b, i));
      if (i % 8 == 7 || i + 1 == inputs) {
        rows.push_back(line);
        line.clear();
      }
    }
  }
}

}  // namespace

Report NetworkReport(const Configuration& c, const std::string& title) {
  const NetworkMaster& m = c.networkMaster;
  TableReportParts parts;
  parts.title = title;
  parts.caption = "Локальная сеть RS-485 ModBus";
  parts.headerLines = {
      Join({"блок", "функция", "тип Slave", "адрес", "нач.адрес", "кол-во", "выходов", "дискр.", "аналог.",
            "макс.код", "тип данных,"}),
      Join({"", "", "", "Slave", "(Hex)", "данных", "", "сигналы", "сигналы", "", "порядок байтов"})};
  auto& rows = parts.rows;
  AddEntries(c, rows);
  rows.emplace_back();
  rows.push_back("Настройка обмена");
  rows.push_back("Скорость(бит/с):\t\t" + BaudRateNames()[static_cast<size_t>(m.GetBaudIndex())]);
  rows.push_back("Четность:\t\t" + FrameFormatNames()[static_cast<size_t>(m.GetFrameIndex())]);
  rows.emplace_back();
  AddFunction15(c, rows);
  rows.emplace_back();
  rows.push_back("Аналоговые входы локальной сети ModBus");
  rows.push_back(Join(kScalingTop));
  rows.push_back(Join(kScalingBottom));
  for (std::string& row : ScaledSignalRows(c)) rows.push_back(std::move(row));
  // An analog entry whose signals lie outside the network positions has no
  // scaling to list; say so rather than leave it out silently.
  for (int k = 0; k < NetworkMaster::kEntries; ++k) {
    const int f = m.GetFunction(k);
    if ((f == 3 || f == 4) && NetworkAnalogSpanOf(c, k).empty())
      rows.push_back("блок " + std::to_string(k + 1) + ": аналоговые сигналы не показаны, " +
                     kInvalidEntryHint);
  }
  Report r = MakeTableReport(parts);
  r.tabStops = Stops({7, 11, 11, 10, 11, 11, 11, 11, 11, 11, 14});
  r.orientation = PageOrientation::Landscape;
  r.marginPoints = 29;
  return r;
}

}  // namespace zul
