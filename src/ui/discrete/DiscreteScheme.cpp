#include "ui/discrete/DiscreteScheme.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionGraphicsItem>
#include <array>

#include "core/config/Configuration.h"
#include "core/editing/DiscreteProcessingEditing.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/SchemePrinting.h"

namespace zul {

namespace {

bool printing = false;

const QColor kNumberColour(Qt::blue);
const QColor kTextColour(128, 0, 0);  // maroon
const QColor kAlarmColours[4] = {Qt::gray, QColor(230, 200, 0), QColor(220, 30, 30), QColor(40, 150, 40)};
const char* kAlarmShort[4] = {"нет", "предупр.", "аварийн.", "индик."};

void Panel(QPainter* p, const QRectF& r, const QColor& fill, bool sunken = false) {
  p->setPen(QPen(sunken ? Qt::darkGray : Qt::black, 1));
  p->setBrush(fill);
  p->drawRect(r);
}

void Switch(QPainter* p, const QRectF& r, bool down, const QString& glyph) {
  p->setPen(QPen(down ? Qt::black : Qt::gray, 1));
  p->setBrush(down ? QColor(200, 200, 200) : QColor(240, 240, 240));
  p->drawRect(r);
  p->setPen(down ? Qt::black : Qt::darkGray);
  p->drawText(r, Qt::AlignCenter, glyph);
}

}  // namespace

DiscreteRowGeometry::Element DiscreteRowGeometry::ElementAt(int row, QPointF p) {
  const std::array<std::pair<QRectF, Element>, 8> parts = {{{Text(row), Element::Text},
                                                            {Contact(row), Element::Contact},
                                                            {Archive(row), Element::Archive},
                                                            {Input(row), Element::Input},
                                                            {Alarm(row), Element::Alarm},
                                                            {Delay(row), Element::Delay},
                                                            {Relays(row), Element::Relays},
                                                            {Number(row), Element::Number}}};
  for (const auto& [rect, element] : parts)
    if (rect.contains(p)) return element;
  return Strip(row).contains(p) ? Element::Number : Element::None;
}

// --- DiscreteRowItem ------------------------------------------------------------------------

DiscreteRowItem::DiscreteRowItem(const Configuration& config, int row) : config_(config), row_(row) {
  setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

void DiscreteRowItem::SetPrinting(bool on) { printing = on; }

QRectF DiscreteRowItem::boundingRect() const { return DiscreteRowGeometry::Strip(row_); }

void DiscreteRowItem::paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) {
  using G = DiscreteRowGeometry;
  const DiscreteProcessing& z = config_.discreteProcessing;
  if (!IsRowValid(z, row_)) return;
  const int signal = z.RowSignal[static_cast<size_t>(row_)];
  const bool selected = !printing && z.RowSelected[static_cast<size_t>(row_)];
  const QColor face = QApplication::palette().color(QPalette::Button);
  p->fillRect(G::Strip(row_).adjusted(0, 1, 0, -1), selected ? kSelectedRowColour : face);

  const QFont small = SceneFont(QFont("Arial"), 8, p->device());
  p->setFont(small);
  p->setPen(kNumberColour);
  p->drawText(G::Number(row_), Qt::AlignLeft | Qt::AlignTop,
              QString("  № на схеме %1\n\n  № в базе %2").arg(row_ + 1).arg(signal + 1));
  QFont bold = small;
  bold.setBold(true);
  p->setFont(bold);
  p->setPen(kTextColour);
  p->drawText(G::Text(row_), Qt::AlignLeft | Qt::AlignVCenter, "  " + Q(config_.service.GetText(signal)));

  p->setFont(small);
  const ProcessingRecord& r = z.Record(signal);
  const bool open = r[0] & DiscreteProcessing::kContactNormallyOpen;
  Switch(p, G::Contact(row_), open, open ? "НР" : "НЗ");
  Switch(p, G::Archive(row_), r[9] & 0x80, "ARHIV");

  // The line runs from the input panel to the last block of the row.
  qreal end = G::Input(row_).right();
  if (HasAlarm(r)) end = G::Alarm(row_).left();
  if (HasDelay(r)) end = G::Delay(row_).left();
  if (HasRelays(r)) end = G::Relays(row_).left();
  const qreal mid = G::Input(row_).center().y();
  p->setPen(QPen(Qt::black, 2));
  p->drawLine(QPointF(G::Input(row_).right(), mid), QPointF(end, mid));

  Panel(p, G::Input(row_), selected ? kSelectedRowColour : QColor(255, 255, 225));
  p->setPen(Qt::black);
  p->setFont(bold);
  p->drawText(G::Input(row_), Qt::AlignCenter, Q(config_.service.GetIdentifier(signal)));
  p->setFont(small);
  PaintBlocks(p, signal);
}

void DiscreteRowItem::PaintBlocks(QPainter* p, int signal) const {
  using G = DiscreteRowGeometry;
  const ProcessingRecord& r = config_.discreteProcessing.Record(signal);
  if (HasAlarm(r)) {
    const int type = AlarmTypeOf(r);
    p->setPen(Qt::NoPen);
    p->setBrush(kAlarmColours[type]);
    const QRectF m = G::Marker(row_);
    p->drawPolygon(QPolygonF({m.topLeft(), m.bottomLeft(), QPointF(m.right(), m.center().y())}));
    Panel(p, G::Alarm(row_), QColor(255, 240, 240));
    p->setPen(Qt::black);
    p->drawText(G::Alarm(row_), Qt::AlignCenter,
                QString("%1\nячейка %2").arg(kAlarmShort[type]).arg(CellOf(r)));
  }
  if (HasDelay(r)) {
    Panel(p, G::Delay(row_), QColor(240, 240, 255));
    p->setPen(Qt::black);
    p->drawText(G::Delay(row_), Qt::AlignCenter,
                QString("T=%1\nx%2 c").arg(DelayTimeOf(r)).arg(DelayUnitOf(r)));
  }
  if (HasRelays(r)) {
    const QRectF box = G::Relays(row_);
    Panel(p, box, QColor(240, 255, 240));
    for (int m = 0; m < 8; ++m) {
      const QRectF cell(box.left() + 2 + 14 * m, box.top() + 4, 12, box.height() - 8);
      const bool active = r[static_cast<size_t>(m + 1)] != 0;
      p->setPen(Qt::black);
      p->setBrush(active ? QColor(0, 160, 0) : QColor(220, 220, 220));
      p->drawRect(cell);
      p->setPen(active ? Qt::white : Qt::darkGray);
      p->drawText(cell, Qt::AlignCenter, QString::number(m + 1));
    }
  }
}

// --- DiscreteSchemeScene -----------------------------------------------------------------------

DiscreteSchemeScene::DiscreteSchemeScene(const Configuration& config, QObject* parent)
    : QGraphicsScene(parent), config_(config) {
  using G = DiscreteRowGeometry;
  ShVh1 = addRect(0, 0, 3, G::kRowHeight, QPen(Qt::NoPen), QBrush(Qt::black));
  ShVh1->setPos(G::kInputColumn, 0);
  ShVh1->setData(0, "ShVh1");
  ShVyh1 = addRect(0, 0, 3, G::kRowHeight, QPen(Qt::NoPen), QBrush(Qt::black));
  ShVyh1->setPos(G::kOutputColumn, 0);
  ShVyh1->setData(0, "ShVyh1");
  // The columns run over the row strips.
  ShVh1->setZValue(1);
  ShVyh1->setZValue(1);
}

void DiscreteSchemeScene::Sync() {
  using G = DiscreteRowGeometry;
  const int count = std::clamp(config_.discreteProcessing.RowCount, 0, DiscreteProcessing::kSignals);
  while (static_cast<int>(rows_.size()) > count) {
    delete rows_.back();
    rows_.pop_back();
  }
  while (static_cast<int>(rows_.size()) < count) {
    rows_.push_back(new DiscreteRowItem(config_, static_cast<int>(rows_.size())));
    addItem(rows_.back());
  }
  const qreal height = G::SchemeHeight(count);
  ShVh1->setRect(0, 0, 3, height);
  ShVyh1->setRect(0, 0, 3, height);
  setSceneRect(0, 0, G::kRight + 8, height);
  for (DiscreteRowItem* item : rows_) item->update();
}

}  // namespace zul
