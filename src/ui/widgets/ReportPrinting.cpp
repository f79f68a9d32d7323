#include "ui/widgets/ReportPrinting.h"

#include <QAbstractTextDocumentLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

#include "core/Interaction.h"

namespace zul {

namespace {

constexpr const char* kWrongNameCaption = "Cохранение данных в файл";  // the first letter is Latin
constexpr const char* kWrongNameText = "Неверно задано имя файла";
constexpr const char* kCannotCreateCaption = "Сохранение файла печати";
constexpr const char* kCannotCreateText = "Файл не удается создать.\nПовторить?";
constexpr const char* kPrintCaption = "Необходимость печати файла .rtf";
constexpr const char* kPrintText = "Печатать?";

QFont ReportFont(const Report& report) {
  QFont font(QString::fromLatin1(kReportFontName));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(report.fontHalfPoints > 0 ? report.fontHalfPoints / 2.0 : 10.0);
  return font;
}

}  // namespace

FileChooser QtReportFileChooser(QWidget* parent) {
  return [parent](const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title.isEmpty() ? kReportDialogTitle : request.title, QString(),
                       kRtfFilter);
    dialog.setObjectName("DialSaveFile");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.proposed.isEmpty()) dialog.selectFile(request.proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
  };
}

QString WithRtfExtension(const QString& chosen) {
  const QString suffix = QFileInfo(chosen).suffix();
  if (suffix.isEmpty()) return chosen.endsWith('.') ? chosen + "rtf" : chosen + ".rtf";
  if (suffix.compare("rtf", Qt::CaseInsensitive) == 0) return chosen;
  return QString();
}

ReportOutcome SaveAndPrintReport(const Report& report, const FileChooser& choose, Interaction& ui,
                                 const ReportPrinter& print) {
  FileDialogRequest request{true, kReportDialogTitle, QString()};
  for (;;) {
    const QString chosen = choose(request);
    if (chosen.isEmpty()) return ReportOutcome::Cancelled;
    const QString path = WithRtfExtension(chosen);
    if (path.isEmpty()) {
      ui.Show(kWrongNameCaption, kWrongNameText, Icon::Warning);
      request.proposed = chosen;
      continue;
    }
    if (SaveReport(report, path.toStdString())) break;
    const Answer again =
        ui.Ask({kCannotCreateCaption, kCannotCreateText, Icon::Question, Buttons::YesNo, Answer::Yes});
    if (again != Answer::Yes) return ReportOutcome::Cancelled;
    request.proposed = chosen;
  }
  const Answer a = ui.Ask({kPrintCaption, kPrintText, Icon::Question, Buttons::YesNo, Answer::Yes});
  if (a != Answer::Yes) return ReportOutcome::Saved;
  if (print) print(report);
  return ReportOutcome::Printed;
}

QTextDocument* BuildReportDocument(const Report& report, QObject* parent) {
  auto* doc = new QTextDocument(parent);
  const QFont font = ReportFont(report);
  doc->setDefaultFont(font);
  doc->setDocumentMargin(0);
  const qreal charWidth = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
  QList<QTextOption::Tab> tabs;
  int last = 0;
  for (int stop : report.tabStops) {
    if (stop <= last) continue;
    tabs.append(QTextOption::Tab(stop * charWidth, QTextOption::LeftTab));
    last = stop;
  }
  QTextBlockFormat block;
  block.setTabPositions(tabs);
  block.setLineHeight(100, QTextBlockFormat::SingleHeight);
  QTextCharFormat chars;
  chars.setFont(font);
  QTextCursor cursor(doc);
  cursor.setBlockFormat(block);
  cursor.setBlockCharFormat(chars);
  for (size_t i = 0; i < report.lines.size(); ++i) {
    if (i > 0) cursor.insertBlock(block, chars);
    cursor.insertText(QString::fromStdString(report.lines[i]), chars);
  }
  return doc;
}

void SetUpPrinter(const Report& report, QPagedPaintDevice& printer) {
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(report.orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait);
  if (report.marginPoints > 0) {
    const qreal m = report.marginPoints;
    printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Point);
  }
}

void PrintReportDocument(const Report& report, QPagedPaintDevice& printer) {
  std::unique_ptr<QTextDocument> doc(BuildReportDocument(report));
  // Laid out on the printer's page in screen units: the page's own margins
  // are the report's, not the 2 cm the document would add by itself.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  const QRectF body = printer.pageLayout().paintRect(QPageLayout::Point);
  doc->setPageSize(QSizeF(body.width() * dpi / 72.0, body.height() * dpi / 72.0));
  doc->print(&printer);
}

ReportPrinter QtReportPrinter(QWidget* parent) {
  return [parent](const Report& report) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(report, printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName("ReportPreview");
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report](QPrinter* p) { PrintReportDocument(report, *p); });
    preview.exec();
  };
}

bool ExportReportPdf(const Report& report, const QString& path) {
  {
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(QString::fromStdString(report.lines.empty() ? std::string() : report.lines.front()));
    SetUpPrinter(report, writer);
    PrintReportDocument(report, writer);
  }
  const QFileInfo written(path);
  return written.exists() && written.size() > 0;
}

}  // namespace zul
