#pragma once
// A report as a Qt text document: the page the printer and the PDF file get.
// Qt Gui only, so that the command-line client links it without the windows.
#include <QString>

#include "core/report/RtfReport.h"

class QObject;
class QPagedPaintDevice;
class QTextDocument;

namespace zul {

// A name without extension gets ".rtf"; ".rtf" is kept; any other extension
// gives an empty result.
QString WithRtfExtension(const QString& chosen);

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
