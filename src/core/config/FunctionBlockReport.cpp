#include "core/config/FunctionBlockReport.h"

#include <algorithm>

#include "core/config/Configuration.h"
#include "core/editing/FunctionBlockScheme.h"

namespace zul {
namespace {

const char* const kAlarmTypes[] = {"нет сигнализации", "предупредительная", "аварийная", "индикация"};

std::string Parameters(const BlockPanelTexts& t) {
  std::string p;
  auto add = [&p](const std::string& s) {
    if (s.empty()) return;
    if (!p.empty()) p += "; ";
    p += s;
  };
  add(t.innerCaption);
  add(t.triggerCaption);
  add(t.panelCaption);
  if (t.kind == ftComparator) {
    add(t.captions[2]);
    add(t.captions[3]);
    add(t.hysteresisCaption);
  }
  if (t.kind == ftTimer && t.innerCaption == "T5")
    add(t.captions[3] + " " + t.captions[2] + " " + t.captions[1]);
  return p;
}

std::string InputCell(const BlockPanelTexts& t, int k) {
  if (t.kind == ftComparator && k > 1) return {};
  if (t.kind == ftTimer && t.innerCaption == "T5" && k > 0) return {};
  std::string cell = t.setReset[static_cast<size_t>(k)];
  if (!cell.empty()) cell += ":";
  if (t.inverse[static_cast<size_t>(k)] && !(t.kind == ftComparator && k > 0)) cell += "НЕ ";
  return cell + t.captions[static_cast<size_t>(k)];
}

std::string Relays(const BlockPanelTexts& t) {
  std::string r;
  for (int m = 0; m < 5; ++m) {
    const int mask = t.relayMasks[static_cast<size_t>(m)];
    if (mask == 0) continue;
    if (!r.empty()) r += " ";
    r += "МР" + std::to_string(m + 1) + ":";
    for (int j = 0; j < 8; ++j)
      if (mask & (1 << j)) r += std::to_string(j + 1) + ",";
    r.pop_back();
  }
  return r.empty() ? "нет выхода на модуль реле" : r;
}

}  // namespace

Report FunctionBlockReport(const Configuration& c, const std::string& title) {
  const FunctionBlocks& fb = c.functionBlocks;
  const BlockCaptions captions(c);
  TableReportParts parts;
  parts.title = title;
  parts.caption = kFunctionBlocksCaption;
  parts.headerLines = {
      "  №\tИмя\tТип блока\tВход 1\tВход 2\tВход 3\tВход 4\tПараметры\tСигнализация\tВыходы на реле"};
  const int count = std::min(fb.FBCount, fb.GetTableSize());
  for (int i = 0; i < count; ++i) {
    const BlockPanelTexts t = captions.Panel(i);
    std::string alarm;
    if (t.hasAlarm)
      alarm = std::string(kAlarmTypes[std::clamp(t.alarmType, 0, 3)]) + ", ячейка " + std::to_string(t.cell);
    parts.rows.push_back(" " + std::to_string(t.number) + "\tФБ" + std::to_string(t.number) + "\t" +
                         BlockCaptions::KindName(t.kind) + "\t" + InputCell(t, 0) + "\t" + InputCell(t, 1) +
                         "\t" + InputCell(t, 2) + "\t" + InputCell(t, 3) + "\t" + Parameters(t) + "\t" +
                         alarm + "\t" + Relays(t));
  }
  Report r = MakeTableReport(parts);
  r.tabStops = {5, 12, 38, 56, 74, 92, 110, 150, 180};
  r.orientation = PageOrientation::Landscape;
  r.fontHalfPoints = 14;
  return r;
}

}  // namespace zul
