#include "ui/fb/FunctionBlockItem.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include "core/model/FunctionBlocks.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/SchemePrinting.h"

namespace zul {
namespace {

void SetSmallFont(QPainter* p, int points, bool bold = false) {
  QFont f = SceneFont(QApplication::font(), points, p->device());
  f.setBold(bold);
  p->setFont(f);
}

constexpr int kInputStep = 24;

}  // namespace

FunctionBlockItem::FunctionBlockItem(const BlockPanelTexts& texts, bool linkedLeft)
    : texts_(texts), linkedLeft_(linkedLeft) {
  setAcceptedMouseButtons(Qt::NoButton);  // the view decides what a click does
}

void FunctionBlockItem::SetChosen(bool chosen) {
  if (chosen_ == chosen) return;
  chosen_ = chosen;
  update();
}

QRectF FunctionBlockItem::boundingRect() const { return {-100, 0, 350, kPanelHeight}; }

QPainterPath FunctionBlockItem::shape() const {
  QPainterPath path;
  path.addRect(0, 0, kSchemeColumnWidth, kPanelHeight);
  return path;
}

QRectF FunctionBlockItem::LinkMarkRect(int input) const {
  const double y = input * kInputStep + 20;
  // The short arrow stays on the panel: at the left of the first column it
  // would lie outside the scene.
  if (!linkedLeft_) return {0, y - 2, 12, 6};
  return {QPointF(-100, y - 2), QPointF(0, 109)};  // the route under the block before
}

FunctionBlockItem::Part FunctionBlockItem::PartAt(const QPointF& p) const {
  if (SymbolRect().contains(p)) return Part::Symbol;
  if (texts_.hasAlarm && AlarmRect().contains(p)) return Part::Alarm;
  if (texts_.hasRelays && RelayRect().contains(p)) return Part::Relay;
  return Part::Other;
}

void FunctionBlockItem::paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) {
  const QColor face = chosen_ ? kSelectedBlockColour : QApplication::palette().color(QPalette::Button);
  p->fillRect(QRectF(0, 0, kSchemeColumnWidth - 4, kPanelHeight), face);
  PaintPanel(p);
  PaintInputs(p);
  if (texts_.hasAlarm) PaintAlarm(p);
  if (texts_.hasRelays) PaintRelays(p);
}

void FunctionBlockItem::PaintPanel(QPainter* p) const {
  // The inner raised panel with the symbol, the kind caption and the number.
  const QRectF inner = SymbolRect();
  p->setPen(QPen(Qt::white, 1));
  p->drawLine(inner.topLeft(), inner.topRight());
  p->drawLine(inner.topLeft(), inner.bottomLeft());
  p->setPen(QPen(Qt::darkGray, 1));
  p->drawLine(inner.bottomLeft(), inner.bottomRight());
  p->drawLine(inner.topRight(), inner.bottomRight());
  PaintSymbol(p, QRectF(inner.x() + 6, inner.y() + 3, 18, 16));
  p->setPen(kTeal);
  SetSmallFont(p, 8, true);
  p->drawText(QRectF(inner.x(), inner.y() + 30, inner.width(), 20), Qt::AlignCenter, Q(texts_.innerCaption));
  const QRectF mark(inner.x() + 3, inner.y() + 70, 24, 18);
  p->fillRect(mark, Qt::white);
  p->setPen(Qt::black);
  p->drawRect(mark);
  SetSmallFont(p, 7, true);
  p->drawText(mark, Qt::AlignCenter, QString::number(texts_.number));
  // The output mark.
  if (texts_.outputInverse) {
    p->setPen(QPen(kTeal, 2));
    p->setBrush(Qt::NoBrush);
    p->drawEllipse(QRectF(141, 88, 9, 9));
  } else {
    p->fillRect(QRectF(141, 92, 9, 3), kTeal);
  }
  // The panel caption (the timer's time), centred under the inputs.
  if (!texts_.panelCaption.empty()) {
    p->setPen(Qt::black);
    SetSmallFont(p, 8);
    p->drawText(QRectF(0, 60, 112, 40), Qt::AlignCenter, Q(texts_.panelCaption));
  }
  if (!texts_.hysteresisCaption.empty()) {
    p->setPen(Qt::blue);
    SetSmallFont(p, 7);
    p->drawText(QPointF(0, 94 + 9), Q(texts_.hysteresisCaption));
  }
}

void FunctionBlockItem::PaintSymbol(QPainter* p, const QRectF& r) const {
  p->setPen(QPen(Qt::black, 1));
  p->setBrush(Qt::white);
  p->drawRect(r);
  SetSmallFont(p, 7, true);
  p->drawText(r, Qt::AlignCenter, Q(texts_.symbol));
}

void FunctionBlockItem::PaintInputs(QPainter* p) const {
  for (int i = 0; i < texts_.inputsDrawn; ++i) {
    const size_t u = static_cast<size_t>(i);
    const double y = i * kInputStep + 20;
    p->fillRect(QRectF(0, y, 112, 3), kTeal);
    const bool inverse = texts_.inverse[u] && !(texts_.kind == ftComparator && i > 0);
    if (inverse) {
      p->setPen(QPen(kTeal, 2));
      p->setBrush(QApplication::palette().color(QPalette::Button));
      p->drawEllipse(QRectF(103, i * kInputStep + 16, 9, 9));
    }
    p->setPen(Qt::blue);
    SetSmallFont(p, 7);
    p->drawText(QRectF(0, i * kInputStep + 4, 94, 14), Qt::AlignLeft | Qt::AlignVCenter,
                Q(texts_.captions[u]));
    p->setPen(kTeal);
    p->drawText(QRectF(94, i * kInputStep + 5, 18, 12), Qt::AlignLeft | Qt::AlignVCenter,
                Q(texts_.setReset[u]));
    if (texts_.linked[u]) {
      // The link to the block just before: across to its output when it
      // stands to the left, a short arrow otherwise.
      p->setPen(QPen(Qt::black, 1));
      const QRectF mark = LinkMarkRect(i);
      const QPointF tip(mark.right(), y + 1);
      if (linkedLeft_) {
        // Under the alarm and relay panels of the block before.
        const QPointF route[] = {{-100, 93}, {-96, 93}, {-96, 108}, {-6, 108}, {-6, y + 1}, tip};
        p->drawPolyline(route, 6);
      } else {
        p->drawLine(QPointF(mark.left(), y + 1), tip);
      }
      p->setBrush(Qt::black);
      p->drawPolygon(QPolygonF({tip, tip + QPointF(-6, -3), tip + QPointF(-6, 3)}));
    }
  }
}

void FunctionBlockItem::PaintAlarm(QPainter* p) const {
  static const char* const kTypes[] = {"нет", "предупр.", "аварийная", "индикация"};
  p->setPen(QPen(Qt::black, 1));
  p->drawLine(QPointF(150, 93), QPointF(157, 93));
  p->drawLine(QPointF(157, 93), QPointF(157, 27));
  p->drawLine(QPointF(157, 27), QPointF(165, 27));
  const QRectF r = AlarmRect();
  const QColor fill = texts_.alarmType == 2   ? QColor(255, 120, 120)
                      : texts_.alarmType == 1 ? QColor(255, 230, 120)
                                              : QColor(200, 240, 200);
  p->setBrush(fill);
  p->drawRect(r);
  SetSmallFont(p, 7);
  p->drawText(r.adjusted(2, 1, -2, -20), Qt::AlignCenter, kTypes[std::clamp(texts_.alarmType, 0, 3)]);
  p->drawText(r.adjusted(2, 20, -2, -1), Qt::AlignCenter, QString("ячейка %1").arg(texts_.cell));
}

void FunctionBlockItem::PaintRelays(QPainter* p) const {
  p->setPen(QPen(Qt::black, 1));
  p->drawLine(QPointF(157, 93), QPointF(165, 93));
  const QRectF r = RelayRect();
  p->setBrush(Qt::white);
  p->drawRect(r);
  SetSmallFont(p, 6);
  int row = 0;
  for (int m = 0; m < 5; ++m) {
    const int mask = texts_.relayMasks[static_cast<size_t>(m)];
    if (mask == 0) continue;
    const double y = r.y() + 3 + row * 9;
    p->setPen(Qt::black);
    p->drawText(QRectF(r.x() + 2, y - 1, 16, 9), Qt::AlignLeft | Qt::AlignVCenter, QString("М%1").arg(m + 1));
    for (int j = 0; j < 8; ++j) {
      const QRectF cell(r.x() + 18 + j * 7, y, 6, 6);
      p->setBrush((mask >> j) & 1 ? QColor(220, 0, 0) : QColor(230, 230, 230));
      p->drawRect(cell);
    }
    ++row;
  }
}

}  // namespace zul
