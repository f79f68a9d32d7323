#pragma once
// The scheme editors' printout: landscape pages through Qt's print preview
// (its print button reaches the printer), or straight into a PDF for tests
// and the pictures in the documentation.
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace zul {

using PagePainter = std::function<void(QPagedPaintDevice&)>;

// The preview "PrintPreview"; lastPage > 0 proposes pages 1..lastPage.
void PreviewLandscapePrint(QWidget* parent, const PagePainter& paint, int lastPage = 0);
// True when the file was written.
bool PrintLandscapePdf(const QString& path, const QString& title, const PagePainter& paint);

}  // namespace zul
