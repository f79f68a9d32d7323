#pragma once
// The small red note an input check places under a field ("ErrorText");
// moving the mouse over it hides it. It floats over the dialog, outside its
// layout, and starts hidden.
#include <QLabel>

namespace zul {

class HintLabel : public QLabel {
 public:
  explicit HintLabel(QWidget* parent, const QString& text = QStringLiteral("ошибка"));

 protected:
  void enterEvent(QEnterEvent* event) override;
};

// A read-only text cell with a sunken frame, as the windows show values.
QLabel* MakeCell(const QString& name, QWidget* parent, int minimumWidth = 0);

// Background and text colour of a cell; an invalid colour keeps the normal one.
void PaintCell(QLabel* cell, const QColor& background, const QColor& text = QColor());

}  // namespace zul
