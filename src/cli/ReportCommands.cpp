// zul report: the reports of the information windows from a configuration
// file, as .rtf (and, on request, PDF).
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

#include "cli/Command.h"
#include "cli/ConsoleInteraction.h"
#include "core/config/AlgorithmReport.h"
#include "core/config/AnalogModuleReport.h"
#include "core/config/Configuration.h"
#include "core/config/FunctionBlockReport.h"
#include "core/config/InformTables.h"
#include "core/config/MathBlockReport.h"
#include "core/config/ModuleTable.h"
#include "core/config/NetworkReport.h"
#include "core/config/RegulatorReport.h"
#include "core/config/ZulFile.h"
#include "core/editing/DiscreteProcessingEditing.h"
#include "report/ReportDocument.h"

namespace zul::cli {

namespace {

std::optional<Report> ComposeReport(const QString& table, const Configuration& c, const std::string& title) {
  if (table == "inputs") return SignalReport(title, SignalRows(c, RelayColumn::Shown));
  if (table == "analog") return AnalogReport(title, AnalogRows(c), c.service.AnalogSignalCount);
  if (table == "outputs") return OutputReport(title, OutputRows(c));
  if (table == "discrete") return DiscreteSchemeReport(c, title);
  if (table == "network") return NetworkReport(c, title);
  if (table == "fb") return FunctionBlockReport(c, title);
  if (table == "regulators") return RegulatorReport(c, title);
  if (table == "algorithms") return AlgorithmTableReport(title, AlgorithmRows(c.functionBlocks));
  if (table == "math") return MathBlockReport(c, title);
  return std::nullopt;
}

// The programming report of analog module `number` (1..8), as its window writes it.
std::optional<Report> ComposeModuleReport(const QString& number, const Configuration& c,
                                          const std::string& title) {
  bool ok = false;
  const int module = number.toInt(&ok);
  if (!ok) return std::nullopt;
  const ModuleTableTexts table = BuildModuleTable(c.service);
  for (int slot = 1; slot <= ServiceBlock::kSlots; ++slot) {
    const int type = c.service.ModuleType[static_cast<size_t>(slot - 1)];
    if (ServiceBlock::GroupOf(type) != ServiceBlock::ModuleGroup::Analog ||
        ModuleNumberInGroup(c.service, slot) != module || module > AnalogModules::kModules) {
      continue;
    }
    return AnalogModuleReport(c.analogModules, module, type, title,
                              table.rows[static_cast<size_t>(slot - 1)].inputs);
  }
  return std::nullopt;
}

}  // namespace

int RunReport(const QStringList& args) {
  QCommandLineParser parser;
  parser.addPositionalArgument(
      "table",
      "inputs, analog, outputs, discrete (the processing scheme), network, fb, regulators, "
      "math (the calculation blocks), algorithms, or module N (an analog module's programming)");
  parser.addPositionalArgument("file", "configuration file (.zul)");
  parser.addOptions({{{"o", "output"}, "The .rtf report to write.", "OUT.rtf"},
                     {"pdf", "Also write the report as PDF.", "OUT.pdf"}});
  if (auto exit = ParseArguments(parser, "report", args)) return *exit;
  const QStringList positional = parser.positionalArguments();
  const bool module = !positional.isEmpty() && positional[0] == "module";
  if (positional.size() != (module ? 3 : 2)) return UsageError("report", "нужны таблица и файл конфигурации");
  if (!parser.isSet("output")) return UsageError("report", "не указан -o OUT.rtf");
  const QString rtf = WithRtfExtension(parser.value("output"));
  if (rtf.isEmpty()) return UsageError("report", "Неверно задано имя файла");

  Configuration config;
  ConsoleInteraction ui(AnswerPolicy::No);
  const QString& file = positional.back();
  const ZulOpenResult opened = OpenZulFile(file.toStdString(), config, ui);
  if (opened != ZulOpenResult::Loaded && opened != ZulOpenResult::LoadedShort) return kExitFailure;
  const std::string title = ReportTitle(true, QFileInfo(file).fileName().toStdString(), {}, {});
  const std::optional<Report> report = module ? ComposeModuleReport(positional[1], config, title)
                                              : ComposeReport(positional[0], config, title);
  if (!report) {
    return UsageError("report", module ? "в " + file + " нет аналогового модуля " + positional[1]
                                       : QString("таблица: inputs, analog, outputs, discrete, network, "
                                                 "fb, regulators, math, algorithms или module N"));
  }

  if (!SaveReport(*report, rtf.toStdString())) {
    std::fprintf(stderr, "zul report: не удается записать %s\n", rtf.toLocal8Bit().constData());
    return kExitFailure;
  }
  if (parser.isSet("pdf") && !ExportReportPdf(*report, parser.value("pdf"))) {
    std::fprintf(stderr, "zul report: не удается записать %s\n",
                 parser.value("pdf").toLocal8Bit().constData());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace zul::cli
