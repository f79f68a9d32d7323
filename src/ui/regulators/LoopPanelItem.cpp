#include "ui/regulators/LoopPanelItem.h"

#include <QPainter>

#include "ui/widgets/QtText.h"
#include "ui/widgets/SchemePrinting.h"

namespace zul {

namespace {

const QColor kSelectedStrip(166, 202, 240);
const QColor kPanelFill(250, 250, 240);
const QColor kBlockFill(255, 255, 210);
const QColor kInputFill(220, 240, 255);
const QColor kOutputFill(225, 255, 225);

const char* TypeName(TRegType t) {
  switch (t) {
    case rtPS:
      return "PS";
    case rtDPR:
      return "DPR";
    case rtPZ:
      return "PZ";
    default:
      return "PID";
  }
}

void Arrow(QPainter* p, QPointF from, QPointF to) {
  p->drawLine(from, to);
  const double dx = to.x() > from.x() ? -6 : 6;
  p->drawLine(to, to + QPointF(dx, -4));
  p->drawLine(to, to + QPointF(dx, 4));
}

void Box(QPainter* p, const QRectF& r, const QColor& fill) {
  p->setBrush(fill);
  p->drawRect(r);
  p->setBrush(Qt::NoBrush);
}

}  // namespace

LoopPanelItem::LoopPanelItem(const LoopPanel& panel, int place) : panel_(panel), place_(place) {
  setPos(0, kStripHeight * place);
}

QRectF LoopPanelItem::boundingRect() const { return QRectF(0, 0, kStripWidth, kStripHeight); }

QRectF LoopPanelItem::PanelRect() const {
  const bool cascade = panel_.inner >= 0;
  const double left = cascade ? 20 : 232;
  return QRectF(left, 15, kStripWidth - left - 8, kStripHeight - 25);
}

void LoopPanelItem::SetSelected(bool selected) {
  selected_ = selected;
  update();
}

void LoopPanelItem::paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) {
  p->setRenderHint(QPainter::Antialiasing, false);
  p->fillRect(boundingRect(), selected_ ? kSelectedStrip : QColor(Qt::white));
  p->setPen(QColor(200, 200, 200));
  p->drawLine(0, kStripHeight - 1, kStripWidth, kStripHeight - 1);

  const QRectF panel = PanelRect();
  p->setPen(Qt::black);
  Box(p, panel, kPanelFill);
  p->setFont(SceneFont(p->font(), 8, p->device()));

  const bool program = panel_.kind == Regulators::KindProgram;
  const double loopHeight = program ? panel.height() * 0.62 : panel.height();
  if (panel_.inner >= 0) {
    const double half = panel.width() / 2;
    PaintLoop(p, QRectF(panel.left(), panel.top(), half, loopHeight), panel_.record + 1, panel_.pv, panel_.sp,
              panel_.action, panel_.params, panel_.destination, true);
    PaintLoop(p, QRectF(panel.left() + half, panel.top(), half, loopHeight), panel_.inner + 1, panel_.innerPv,
              panel_.innerSp, panel_.innerAction, panel_.innerParams, panel_.innerDestination, true);
  } else {
    PaintLoop(p, QRectF(panel.left(), panel.top(), panel.width(), loopHeight), panel_.record + 1, panel_.pv,
              panel_.sp, panel_.action, panel_.params, panel_.destination,
              panel_.kind != Regulators::KindTwoPosition);
  }
  if (program)
    PaintProgram(p,
                 QRectF(panel.left(), panel.top() + loopHeight, panel.width(), panel.height() - loopHeight));
}

void LoopPanelItem::PaintLoop(QPainter* p, const QRectF& a, int number, const std::string& pv,
                              const std::string& sp, TTypeOut action,
                              const std::array<std::string, 6>& params, const std::string& destination,
                              bool showSp) const {
  const QFontMetricsF fm(p->font(), p->device());
  const double line = fm.height();
  const bool two = panel_.kind == Regulators::KindTwoPosition && number == panel_.record + 1;

  // Head: number and kind.
  QFont bold = p->font();
  bold.setBold(true);
  p->setFont(bold);
  const std::string kind = number == panel_.record + 1 ? LoopKindName(panel_.kind) : "внутр. контур";
  p->drawText(QRectF(a.left() + 6, a.top() + 4, a.width() - 12, line), Qt::AlignLeft,
              QString("Регулятор №%1   %2").arg(number).arg(Q(kind)));
  bold.setBold(false);
  p->setFont(bold);

  const double w = a.width();
  const QRectF input(a.left() + 0.03 * w, a.top() + 0.22 * a.height(), 0.28 * w, 2.4 * line);
  const QRectF block(a.left() + 0.38 * w, a.top() + 0.14 * a.height(), 0.30 * w, 8.4 * line);
  const QRectF output(a.left() + 0.74 * w, a.top() + 0.22 * a.height(), 0.24 * w, 2.4 * line);

  Box(p, input, kInputFill);
  p->drawText(input.adjusted(3, 1, -3, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
              QString("PV\n%1").arg(Q(pv)));
  Box(p, block, kBlockFill);
  Box(p, output, kOutputFill);
  p->drawText(output.adjusted(3, 1, -3, -1), Qt::AlignCenter | Qt::TextWordWrap, Q(destination));
  Arrow(p, QPointF(input.right(), input.center().y()), QPointF(block.left(), input.center().y()));
  Arrow(p, QPointF(block.right(), output.center().y()), QPointF(output.left(), output.center().y()));

  QStringList rows;
  rows << TypeName(number == panel_.record + 1 ? panel_.type : rtPID);
  if (two) {
    rows << QString("FB %1").arg(Q(panel_.fb)) << QString("OUT0 %1").arg(Q(panel_.out0))
         << QString("OUT1 %1").arg(Q(panel_.out1));
  } else {
    rows << (action == toInverse ? "обратный" : "прямой");
    const char* names[6] = {"KP", "Ti", "Td", "OL", "OH", "dSP"};
    for (int k = 0; k < 6; ++k) rows << QString("%1 %2").arg(names[k], Q(params[static_cast<size_t>(k)]));
  }
  for (int k = 0; k < rows.size(); ++k)
    p->drawText(QRectF(block.left() + 4, block.top() + 2 + k * line, block.width() - 6, line), Qt::AlignLeft,
                rows[k]);

  if (showSp && panel_.kind >= Regulators::KindRepeater && panel_.kind <= Regulators::KindProgram) {
    const QRectF spBox(block.left(), block.bottom() + line, block.width(), 1.4 * line);
    Box(p, spBox, kInputFill);
    p->drawText(spBox, Qt::AlignCenter, QString("SP  %1").arg(Q(sp)));
    Arrow(p, QPointF(spBox.center().x(), spBox.top()), QPointF(spBox.center().x(), block.bottom()));
  }
}

void LoopPanelItem::PaintProgram(QPainter* p, const QRectF& a) const {
  const QFontMetricsF fm(p->font(), p->device());
  const double line = fm.height();
  const double col = (a.width() - 70) / Regulators::ProgramPoints;
  p->drawText(QRectF(a.left() + 6, a.top() + 4, 64, line), Qt::AlignLeft, "точка");
  p->drawText(QRectF(a.left() + 6, a.top() + 4 + line, 64, line), Qt::AlignLeft, "время");
  p->drawText(QRectF(a.left() + 6, a.top() + 4 + 2 * line, 64, line), Qt::AlignLeft, "задание");
  for (int t = 0; t < Regulators::ProgramPoints; ++t) {
    const double x = a.left() + 70 + t * col;
    p->drawText(QRectF(x, a.top() + 4, col, line), Qt::AlignCenter, QString::number(t + 1));
    p->drawText(QRectF(x, a.top() + 4 + line, col, line), Qt::AlignCenter,
                Q(panel_.times[static_cast<size_t>(t)]));
    p->drawText(QRectF(x, a.top() + 4 + 2 * line, col, line), Qt::AlignCenter,
                Q(panel_.values[static_cast<size_t>(t)]));
  }
  p->drawRect(QRectF(a.left() + 4, a.top() + 2, a.width() - 8, 3 * line + 6));
}

}  // namespace zul
