#pragma once
// The report command every window shares: ask for the .rtf file (".rtf"
// appended to a bare name, another extension refused), save the report, ask
// "Печатать?" and print through a preview.
#include <QString>
#include <functional>

#include "core/report/RtfReport.h"
#include "report/ReportDocument.h"
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

// Prints a saved report (the preview with its print button in the program).
using ReportPrinter = std::function<void(const Report&)>;
ReportPrinter QtReportPrinter(QWidget* parent);

enum class ReportOutcome { Cancelled, Saved, Printed };

// The whole command after the report is composed. The file stays saved
// whatever the printing does.
ReportOutcome SaveAndPrintReport(const Report& report, const FileChooser& choose, Interaction& ui,
                                 const ReportPrinter& print);

}  // namespace zul
