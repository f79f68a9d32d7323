#pragma once
// The report command every window shares: ask for the .rtf file (".rtf"
// appended to a bare name, another extension refused), save the report, ask
// "Печатать?" and print through a preview. And the same report as a Qt text
// document, for the preview, the printer and PDF export.
#include <QString>
#include <functional>

#include "core/report/RtfReport.h"
#include "ui/main/ZulFileDialogs.h"

class QObject;
class QPagedPaintDevice;
class QTextDocument;
class QWidget;

namespace zul {

class Interaction;

inline const QString kRtfFilter = QStringLiteral("Файлы типа .rtf (*.rtf);;Все файлы (*)");
inline const QString kReportDialogTitle = QStringLiteral("Создание  или замена файла .rtf ");

// QFileDialog with the .rtf filter (the save dialog DialSaveFile).
FileChooser QtReportFileChooser(QWidget* parent);

// A name without extension gets ".rtf"; ".rtf" is kept; any other extension
// gives an empty result.
QString WithRtfExtension(const QString& chosen);

// Prints a saved report (the preview with its print button in the program).
using ReportPrinter = std::function<void(const Report&)>;
ReportPrinter QtReportPrinter(QWidget* parent);

enum class ReportOutcome { Cancelled, Saved, Printed };

// The whole command after the report is composed. The file stays saved
// whatever the printing does.
ReportOutcome SaveAndPrintReport(const Report& report, const FileChooser& choose, Interaction& ui,
                                 const ReportPrinter& print);

// The report laid out as the printer gets it: the fixed-pitch font, the tab
// stops in character columns, one paragraph per line.
QTextDocument* BuildReportDocument(const Report& report, QObject* parent = nullptr);
// Page orientation and margins of the report.
void SetUpPrinter(const Report& report, QPagedPaintDevice& printer);
// Prints the report on the printer's pages, within the printer's margins.
void PrintReportDocument(const Report& report, QPagedPaintDevice& printer);
// The report as a PDF file; false when it cannot be written.
bool ExportReportPdf(const Report& report, const QString& path);

}  // namespace zul
