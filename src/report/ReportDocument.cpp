#include "report/ReportDocument.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

namespace zul {

namespace {

QFont ReportFont(const Report& report) {
  QFont font(QString::fromLatin1(kReportFontName));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(report.fontHalfPoints > 0 ? report.fontHalfPoints / 2.0 : 10.0);
  return font;
}

}  // namespace

QString WithRtfExtension(const QString& chosen) {
  const QString suffix = QFileInfo(chosen).suffix();
  if (suffix.isEmpty()) return chosen.endsWith('.') ? chosen + "rtf" : chosen + ".rtf";
  if (suffix.compare("rtf", Qt::CaseInsensitive) == 0) return chosen;
  return QString();
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
