// zul report: the reports of the information windows from a configuration
// file, as .rtf (and, on request, PDF).
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

#include "cli/Command.h"
#include "cli/ConsoleInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/InformTables.h"
#include "core/config/ZulFile.h"
#include "ui/widgets/ReportPrinting.h"

namespace zul::cli {

namespace {

std::optional<Report> ComposeReport(const QString& table, const Configuration& c, const std::string& title) {
  if (table == "inputs") return SignalReport(title, SignalRows(c, RelayColumn::Shown));
  if (table == "analog") return AnalogReport(title, AnalogRows(c), c.Serv.AnalogSignalCount);
  if (table == "outputs") return OutputReport(title, OutputRows(c));
  return std::nullopt;
}

}  // namespace

int RunReport(const QStringList& args) {
  QCommandLineParser parser;
  parser.addPositionalArgument("table", "inputs, analog or outputs");
  parser.addPositionalArgument("file", "configuration file (.zul)");
  parser.addOptions({{{"o", "output"}, "The .rtf report to write.", "OUT.rtf"},
                     {"pdf", "Also write the report as PDF.", "OUT.pdf"}});
  if (!parser.parse(QStringList{"zul report"} + args)) return UsageError("report", parser.errorText());
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 2) return UsageError("report", "needs the table and the configuration file");
  if (!parser.isSet("output")) return UsageError("report", "-o OUT.rtf is required");
  const QString rtf = WithRtfExtension(parser.value("output"));
  if (rtf.isEmpty()) return UsageError("report", "Неверно задано имя файла");

  Configuration config;
  ConsoleInteraction ui(AnswerPolicy::No);
  const QString file = positional[1];
  const ZulOpenResult opened = OpenZulFile(file.toStdString(), config, ui);
  if (opened != ZulOpenResult::Loaded && opened != ZulOpenResult::LoadedShort) return kExitFailure;
  const std::optional<Report> report = ComposeReport(
      positional[0], config, ReportTitle(true, QFileInfo(file).fileName().toStdString(), {}, {}));
  if (!report) return UsageError("report", "the table is inputs, analog or outputs");

  if (!SaveReport(*report, rtf.toStdString())) {
    std::fprintf(stderr, "zul report: cannot write %s\n", rtf.toLocal8Bit().constData());
    return kExitFailure;
  }
  if (parser.isSet("pdf") && !ExportReportPdf(*report, parser.value("pdf"))) {
    std::fprintf(stderr, "zul report: cannot write %s\n", parser.value("pdf").toLocal8Bit().constData());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace zul::cli
