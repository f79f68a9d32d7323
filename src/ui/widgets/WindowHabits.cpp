#include "ui/widgets/WindowHabits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace zul {
namespace {

bool IsEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<const QKeyEvent*>(event);
  return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
         (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

class WindowHabitsFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && w->isWindow() &&
        (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
      FitToScreen(w);
    if (IsEnter(event)) {
      auto* button = qobject_cast<QAbstractButton*>(w);
      if (button && button->hasFocus() && button->isEnabled()) {
        button->animateClick();
        return true;
      }
    }
    return false;
  }
};

// `text` with '&' before the first letter not yet `taken` (word starts first).
QString WithMnemonic(const QString& text, QString& taken) {
  if (text.contains('&')) {
    const qsizetype at = text.indexOf('&');
    if (at + 1 < text.size()) taken += text[at + 1].toLower();
    return text;
  }
  for (bool wordStartsOnly : {true, false}) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QChar c = text[i];
      if (!c.isLetterOrNumber() || taken.contains(c.toLower())) continue;
      if (wordStartsOnly && i > 0 && text[i - 1].isLetterOrNumber()) continue;
      taken += c.toLower();
      return text.left(i) + '&' + text.mid(i);
    }
  }
  return text;
}

void GiveMnemonics(QMenu* menu) {
  QString taken;
  for (QAction* a : menu->actions())
    if (a->text().contains('&')) WithMnemonic(a->text(), taken);
  for (QAction* a : menu->actions()) {
    if (a->isSeparator() || a->text().isEmpty()) continue;
    a->setText(WithMnemonic(a->text(), taken));
    if (a->menu()) GiveMnemonics(a->menu());
  }
}

}  // namespace

void GiveMnemonics(QMenuBar* bar) {
  QString taken;
  for (QAction* a : bar->actions()) {
    a->setText(WithMnemonic(a->text(), taken));
    if (a->menu()) GiveMnemonics(a->menu());
  }
}

void InstallWindowHabits(QApplication& app) {
  app.installEventFilter(new WindowHabitsFilter(&app));
  QApplication::setWindowIcon(ProgramIcon());
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(QPen(QColor("#1b3047"), 2));
    p.setBrush(QColor("#2d4f73"));
    p.drawRoundedRect(QRectF(6, 10, 52, 44), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#9fd39a"));
    p.drawRoundedRect(QRectF(12, 16, 40, 14), 2, 2);
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor("#1f3d1c"));
    p.drawText(QRectF(12, 16, 40, 14), Qt::AlignCenter, "ЗУЛ");
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#f2c14e"));
    for (int x : {16, 26, 36}) p.drawEllipse(QPointF(x, 40), 3, 3);
    p.setPen(QPen(QColor("#d9e3ee"), 2));
    for (int x : {14, 24, 40, 50}) p.drawLine(x, 50, x, 58);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#d9e3ee"));
    p.drawPolygon(QPolygonF({QPointF(44, 36), QPointF(52, 40), QPointF(44, 44)}));
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

void FitToScreen(QWidget* window) {
  QScreen* screen = window->screen();
  if (!screen) return;
  const QRect free = screen->availableGeometry();
  // The window manager's frame, where it is known already, needs room too.
  const QSize frame = (window->frameGeometry().size() - window->size()).expandedTo(QSize(0, 0));
  const QSize room = free.size() - frame;
  if (window->width() > room.width() || window->height() > room.height())
    window->resize(window->size().boundedTo(room));
  QRect at = window->frameGeometry();
  at.setSize(window->size() + frame);
  if (free.contains(at)) return;
  const int x = std::clamp(at.x(), free.left(), std::max(free.left(), free.right() + 1 - at.width()));
  const int y = std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() + 1 - at.height()));
  window->move(x, y);
}

FittingScrollArea::FittingScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setWidget(content);
}

QSize FittingScrollArea::sizeHint() const {
  const int frame = 2 * frameWidth();
  return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
}

QSize FittingScrollArea::minimumSizeHint() const { return {120, 80}; }

bool FittingScrollArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace zul
