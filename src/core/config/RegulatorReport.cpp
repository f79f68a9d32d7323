#include "core/config/RegulatorReport.h"

#include "core/config/Configuration.h"
#include "core/editing/RegulatorEditing.h"

namespace zul {

namespace {

std::string SetpointSource(const Regulators& r, int loop) {
  const int b = r.GetSPSource(loop);
  if (b == 0) return "нет";
  if (b == 1) return "собственное задание";
  if (b >= 8 && b <= 13) return "выход регулятора " + std::to_string(b - 7);
  if (b >= 16 && b <= 21) return "ПЗ № " + std::to_string(b - 15);
  return kUnknownText;
}

void AddParams(Report& report, const std::array<std::string, 6>& p) {
  report.AddCells({"", "KP " + p[0], "Ti " + p[1], "Td " + p[2]});
  report.AddCells({"", "OL " + p[3], "OH " + p[4], "OSF " + p[5]});
}

}  // namespace

Report RegulatorReport(const Configuration& c, const std::string& title) {
  const Regulators& r = c.regulators;
  Report report;
  report.tabStops = {4, 24, 44, 64};
  report.AddLine(title);
  report.AddEmptyLine();
  report.AddLine(std::string(10, ' ') + kRegulatorReportCaption);
  const auto panels = BuildLoopPanels(c);
  if (panels.empty()) {
    report.AddEmptyLine();
    report.AddLine("Контуры регулирования не запрограммированы");
  }
  for (const LoopPanel& p : panels) {
    report.AddEmptyLine();
    report.AddLine("Регулятор № " + std::to_string(p.record + 1) + "   " + LoopKindName(p.kind));
    report.AddCells({"", "PV", p.pv});
    report.AddCells({"", "SP", SetpointSource(r, p.record)});
    report.AddCells({"", "Выход", p.destination});
    if (p.kind == Regulators::KindTwoPosition) {
      report.AddCells({"", "ФБ " + p.fb, "OUT0 " + p.out0, "OUT1 " + p.out1});
    } else {
      report.AddCells({"", "Tип выхода", p.action == toInverse ? "обратный" : "прямой"});
      AddParams(report, p.params);
    }
    if (p.kind == Regulators::KindSingleLoop && r.GetFcOn(p.record) != 0) {
      report.AddCells({"", "FC: ФБ " + std::to_string(r.GetFcOn(p.record)),
                       "возврат ФБ " + std::to_string(r.GetFcReturn(p.record)),
                       "КВУ " + std::to_string(r.GetKvu(p.record)), "OUT " + r.GetFcOut(p.record)});
    }
    if (p.inner >= 0) {
      report.AddLine("Регулятор внутр. контура № " + std::to_string(p.inner + 1));
      report.AddCells({"", "PV", p.innerPv});
      report.AddCells({"", "Выход", p.innerDestination});
      report.AddCells({"", "Tип выхода", p.innerAction == toInverse ? "обратный" : "прямой"});
      AddParams(report, p.innerParams);
    }
    if (p.kind == Regulators::KindProgram) {
      for (size_t t = 0; t < p.times.size(); ++t) {
        report.AddCells(
            {"", "точка " + std::to_string(t + 1), "интервал " + p.times[t], "задание " + p.values[t]});
      }
    }
  }
  return report;
}

}  // namespace zul
