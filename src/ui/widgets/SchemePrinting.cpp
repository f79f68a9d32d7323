#include "ui/widgets/SchemePrinting.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace zul {

void PreviewLandscapePrint(QWidget* parent, const PagePainter& paint, int lastPage) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  if (lastPage > 0) printer.setFromTo(1, lastPage);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName("PrintPreview");
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&paint](QPrinter* p) { paint(*p); });
  preview.exec();
}

bool PrintLandscapePdf(const QString& path, const QString& title, const PagePainter& paint) {
  QPdfWriter pdf(path);
  pdf.setPageOrientation(QPageLayout::Landscape);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setResolution(150);
  pdf.setTitle(title);
  paint(pdf);
  return QFileInfo::exists(path);
}

}  // namespace zul
