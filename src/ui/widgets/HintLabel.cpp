#include "ui/widgets/HintLabel.h"

#include <QApplication>
#include <QPalette>

namespace zul {

HintLabel::HintLabel(QWidget* parent, const QString& text) : QLabel(text, parent) {
  setObjectName("ErrorText");
  QPalette p = palette();
  p.setColor(QPalette::WindowText, Qt::red);
  setPalette(p);
  hide();
}

void HintLabel::enterEvent(QEnterEvent* event) {
  hide();
  QLabel::enterEvent(event);
}

QLabel* MakeCell(const QString& name, QWidget* parent, int minimumWidth) {
  auto* cell = new QLabel(parent);
  cell->setObjectName(name);
  cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  cell->setMinimumWidth(minimumWidth);
  cell->setAutoFillBackground(true);
  cell->setMargin(2);
  return cell;
}

void PaintCell(QLabel* cell, const QColor& background, const QColor& text) {
  QPalette p = QApplication::palette(cell);
  if (background.isValid()) p.setColor(QPalette::Window, background);
  if (text.isValid()) p.setColor(QPalette::WindowText, text);
  cell->setPalette(p);
}

}  // namespace zul
