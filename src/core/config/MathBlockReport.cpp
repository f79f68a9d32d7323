#include "core/config/MathBlockReport.h"

#include <string_view>

#include "core/config/Configuration.h"
#include "core/editing/CalculationBlockEditing.h"
#include "core/editing/FunctionBlockScheme.h"

namespace zul {
namespace {

// "Y=C1*X1-C2*X2": the formula part of the operation's item.
std::string Formula(int operation) {
  const std::string_view item = kCalcOperationItems[static_cast<size_t>(operation)];
  const size_t y = item.find("Y=");
  return std::string(y == std::string_view::npos ? item : item.substr(y));
}

// A number beyond what exists (a record from a file) shows as nothing.
std::string InputText(const Configuration& c, const BlockCaptions& captions, int source, int number) {
  if (number == 0) return "0";
  if (source == srcCalculatedValue)
    return number <= c.functionBlocks.GetArithCount() ? "расч. " + std::to_string(number) : std::string();
  if (number > c.service.AnalogSignalCount) return {};
  const std::string id = captions.AnalogCaption(0, number);
  return "ан. " + std::to_string(number) + (id.empty() ? "" : " " + id);
}

std::string ResultText(int y) {
  return y >= 1 && y <= FunctionBlocks::kMaxArithBlocks ? std::to_string(y) : std::string();
}

}  // namespace

Report MathBlockReport(const Configuration& c, const std::string& title) {
  const FunctionBlocks& fb = c.functionBlocks;
  const BlockCaptions captions(c);
  TableReportParts parts;
  parts.title = title;
  parts.caption = kMathBlocksReportCaption;
  parts.headerLines = {"  №\tБлок\tОперация\tX1\tC1\tX2\tC2\tY"};
  for (int k = 1; k <= FunctionBlocks::kMaxArithBlocks; ++k) {
    const int r = ArithRecord(fb, k);
    if (!IsArithRecord(fb, r)) continue;
    const int op = fb.GetOperation(r);
    const ArithControls uses = ControlsForOperation(op);
    parts.rows.push_back(
        " " + std::to_string(k) + "\tМБ" + std::to_string(k) + "\t" + OperationSign(op) + "  " + Formula(op) +
        "\t" + InputText(c, captions, fb.GetX1Source(r), fb.GetX1Number(r)) + "\t" + fb.GetFloatText(r, 1) +
        "\t" + (uses.x2 ? InputText(c, captions, fb.GetX2Source(r), fb.GetX2Number(r)) : "") + "\t" +
        (uses.c2 ? fb.GetFloatText(r, 2) : "") + "\t" + ResultText(ArithResult(fb, r)));
  }
  if (parts.rows.empty()) parts.rows.push_back("Арифметические блоки не созданы.");
  Report r = MakeTableReport(parts);
  r.tabStops = {5, 12, 44, 66, 78, 100, 112};
  r.orientation = PageOrientation::Landscape;
  r.fontHalfPoints = 16;
  r.AddEmptyLine();
  if (fb.GetIntegratorRecords() == 0) {
    r.AddLine("Интеграторы расхода не созданы.");
    return r;
  }
  const IntegratorValues v = LoadIntegratorValues(fb);
  r.AddLine(kCalcOperationItems[opIntegrator]);
  for (int j = 0; j < kIntegratorCount; ++j) {
    const std::string& number = v.numbers[static_cast<size_t>(j)];
    if (number == "0") continue;
    r.AddLine(" Интегратор расхода " + std::to_string(j + 1) + "\t" +
              InputText(c, captions, srcAnalogSignal, std::stoi(number)));
  }
  r.AddLine("Час начала суток: " + v.hour);
  return r;
}

}  // namespace zul
