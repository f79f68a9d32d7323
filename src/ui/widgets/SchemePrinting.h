#pragma once
// The scheme editors' printout: one printer set-up at printer resolution for
// Qt's print preview (its print button reaches the printer or a PDF file) and
// for the PDF files of the tests and of the pictures in the documentation.
#include <QFont>
#include <QPageLayout>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;
class QWidget;

namespace zul {

using PagePainter = std::function<void(QPagedPaintDevice&)>;

// The preview "PrintPreview"; lastPage > 0 proposes pages 1..lastPage.
void PreviewPrint(QWidget* parent, QPageLayout::Orientation orientation, const PagePainter& paint,
                  int lastPage = 0);
// The same printout into a PDF file; true when the file was written.
bool PrintPdf(const QString& path, const QString& title, QPageLayout::Orientation orientation,
              const PagePainter& paint);

// A scheme text of `points` as a plain screen shows it, measured in scene
// units on whatever device paints the scene: the scaling from the scene to a
// page then sizes it once, whatever the printer's resolution.
QFont SceneFont(QFont font, qreal points, const QPaintDevice* device);

}  // namespace zul
