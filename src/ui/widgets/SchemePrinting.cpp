#include "ui/widgets/SchemePrinting.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPaintDevice>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace zul {
namespace {

// A plain screen's resolution: what the scheme's point sizes were chosen for.
constexpr qreal kSceneDpi = 96;

void SetUpPrinter(QPrinter& printer, QPageLayout::Orientation orientation) {
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(orientation);
}

}  // namespace

void PreviewPrint(QWidget* parent, QPageLayout::Orientation orientation, const PagePainter& paint,
                  int lastPage) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer, orientation);
  if (lastPage > 0) printer.setFromTo(1, lastPage);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName("PrintPreview");
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&paint](QPrinter* p) { paint(*p); });
  preview.exec();
}

bool PrintPdf(const QString& path, const QString& title, QPageLayout::Orientation orientation,
              const PagePainter& paint) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setDocName(title);
  SetUpPrinter(printer, orientation);
  paint(printer);
  return QFileInfo::exists(path);
}

QFont SceneFont(QFont font, qreal points, const QPaintDevice* device) {
  const int dpi = device ? device->logicalDpiY() : 0;
  font.setPointSizeF(dpi > 0 ? points * kSceneDpi / dpi : points);
  return font;
}

}  // namespace zul
