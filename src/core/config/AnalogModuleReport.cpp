#include "core/config/AnalogModuleReport.h"

#include <cmath>
#include <vector>

#include "core/model/AnalogModules.h"

namespace zul {

namespace {

constexpr AnalogValue kSetpoints[] = {AnalogValue::SetpointLL, AnalogValue::SetpointL, AnalogValue::SetpointH,
                                      AnalogValue::SetpointHH};

template <size_t N>
std::string NameOf(const std::array<std::string_view, N>& names, int index) {
  return index >= 0 && static_cast<size_t>(index) < N ? std::string(names[static_cast<size_t>(index)]) : "";
}

std::string SelectedEntry(const RangeList& list) {
  return list.Selected >= 0 && static_cast<size_t>(list.Selected) < list.Items.size()
             ? std::to_string(list.Items[static_cast<size_t>(list.Selected)])
             : std::string();
}

bool HasInputSignal(int type) { return type == AnalogModules::kTypeLK7 || type == AnalogModules::kTypeLK10; }

}  // namespace

std::string AnalogModuleIdent(int moduleType) {
  switch (moduleType) {
    case AnalogModules::kTypeLK7:
      return "ЛК-7  ДКЖН.426439.007  ПО в.2.05  КС 3A7E";
    case AnalogModules::kTypeLK8:
      return "ЛК-8  ДКЖН.426439.008  ПО в.2.03  КС 51C2";
    case AnalogModules::kTypeLK9:
      return "ЛК-9  ДКЖН.426439.009  ПО в.3.01  КС 9F04";
    case AnalogModules::kTypeLK10:
      return "ЛК-10  ДКЖН.426439.010  ПО в.1.02  КС 0DB6";
    default:
      return {};
  }
}

Report AnalogModuleReport(const AnalogModules& mba, int module, int moduleType, const std::string& title,
                          const std::string& inputsText) {
  const int m = module - 1;
  const bool signal = HasInputSignal(moduleType);
  const bool lk9 = moduleType == AnalogModules::kTypeLK9;

  std::vector<std::string> top{"№", "технолог"}, bottom{"входа", "позиция"};
  std::vector<int> widths{6, 11};
  if (signal) {
    top.push_back("входной");
    bottom.push_back("сигнал");
    widths.push_back(15);
  }
  for (const char* t : {"шкала", "разм.", "min", "max", "уставка", "", "", ""}) top.emplace_back(t);
  for (const char* b : {"", "", "шкалы", "шкалы", "  LL", "  L", "  H", "  HH"}) bottom.emplace_back(b);
  for (int w : {10, 8, 11, 11, 11, 11, 11}) widths.push_back(w);

  TableReportParts parts;
  parts.title = title;
  parts.caption = "Модуль\t" + AnalogModuleIdent(moduleType) + "\t\tмодуль аналогового ввода\t" +
                  std::to_string(module) + "\t\t\t\tвходы " + inputsText;
  auto join = [](const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
    return line;
  };
  parts.headerLines = {join(top), join(bottom)};
  for (int c = 0; c < AnalogModules::kChannels; ++c) {
    std::vector<std::string> cells{std::to_string(c + 1), mba.GetPosition(m, c)};
    if (signal) {
      const int s = mba.GetInputSignal(m, c);
      cells.push_back(moduleType == AnalogModules::kTypeLK7 ? NameOf(AnalogModules::kPressureSignalNames, s)
                                                            : NameOf(AnalogModules::kCurrentSignalNames, s));
    }
    const int kind = mba.GetScaleKind(m, c);
    cells.push_back(lk9 ? NameOf(AnalogModules::kSensorTypeNames, kind)
                        : NameOf(AnalogModules::kScaleKindNames, kind));
    cells.push_back(mba.GetUnitName(mba.GetUnitIndex(m, c)));
    // A range chosen from a sensor's table is printed as the window's lists show it.
    if (lk9 && !AnalogModules::IsFreeRangeSensor(kind)) {
      const AnalogModules::RangeLists lists = AnalogModules::FillRangeLists(kind, mba.GetRangeIndex(m, c));
      for (const RangeList* list : {&lists.minima, &lists.maxima}) cells.push_back(SelectedEntry(*list));
    } else {
      for (AnalogValue v : {AnalogValue::ScaleMin, AnalogValue::ScaleMax})
        cells.push_back(FormatAnalogValue(mba.GetValue(m, c, v)));
    }
    for (AnalogValue v : kSetpoints) cells.push_back(FormatAnalogValue(mba.GetValue(m, c, v)));
    parts.rows.push_back(join(cells));
  }
  Report r = MakeTableReport(parts);
  int column = 0;
  for (int w : widths) r.tabStops.push_back(column += w);
  r.orientation = PageOrientation::Landscape;
  r.marginPoints = 29;
  return r;
}

}  // namespace zul
