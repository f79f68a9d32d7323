#pragma once
// The drawing of the discrete processing scheme: one item per row, painted
// from the configuration it does not own, and one geometry that serves the
// painting, the clicks and the printout.
#include <QColor>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QRectF>
#include <vector>

namespace zul {

struct Configuration;

// Where the elements of row r stand (scene pixels).
struct DiscreteRowGeometry {
  static constexpr int kRowHeight = 54;
  static constexpr int kLeft = 24;
  static constexpr int kInputColumn = 400;  // ShVh1
  static constexpr int kAlarmOffset = 158;
  static constexpr int kDelayOffset = 246;
  static constexpr int kRelayOffset = 314;
  static constexpr int kOutputColumn = kInputColumn + kRelayOffset + 8 * 14 + 16;  // ShVyh1
  static constexpr int kRight = kOutputColumn + 4;

  enum class Element { None, Number, Text, Contact, Archive, Input, Alarm, Delay, Relays };

  static QRectF Strip(int row) { return {kLeft, Top(row), kOutputColumn - kLeft, kRowHeight}; }
  static qreal Top(int row) { return kRowHeight * static_cast<qreal>(row); }
  static QRectF Number(int row) { return {kLeft + 2, Top(row) + 2, 202 - 4, kRowHeight - 4}; }
  static QRectF Text(int row) { return {kLeft + 96, Top(row) + 18, 226, 18}; }
  static QRectF Contact(int row) { return {kInputColumn - 50, Top(row) + 4, 44, 22}; }
  static QRectF Archive(int row) { return {kInputColumn - 50, Top(row) + 28, 44, 22}; }
  static QRectF Input(int row) { return {kInputColumn + 4, Top(row) + 8, 136, 38}; }
  static QRectF Alarm(int row) { return {kInputColumn + kAlarmOffset, Top(row) + 8, 80, 38}; }
  static QRectF Delay(int row) { return {kInputColumn + kDelayOffset, Top(row) + 8, 60, 38}; }
  static QRectF Relays(int row) { return {kInputColumn + kRelayOffset, Top(row) + 8, 8 * 14 + 4, 38}; }
  static QRectF Marker(int row) { return {kInputColumn + kAlarmOffset - 12, Top(row) + 21, 10, 12}; }
  static Element ElementAt(int row, QPointF p);
  // Scene height of a scheme of `rows` rows (the column shapes' height).
  static qreal SchemeHeight(int rows) { return kRowHeight * static_cast<qreal>(rows + 1); }
};

inline const QColor kSelectedRowColour(166, 202, 240);

// Row r of the scheme: number, text, switches, input panel, line and blocks.
class DiscreteRowItem : public QGraphicsItem {
 public:
  enum { Type = UserType + 82 };
  DiscreteRowItem(const Configuration& config, int row);
  int type() const override { return Type; }
  int Row() const { return row_; }
  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
  // The printout leaves the selection colour out.
  static void SetPrinting(bool printing);

 private:
  void PaintBlocks(QPainter* p, int signal) const;
  const Configuration& config_;
  int row_;
};

// The scene: the rows and the two column shapes; Sync() makes as many row
// items as the scheme has rows and repaints them.
class DiscreteSchemeScene : public QGraphicsScene {
  Q_OBJECT
 public:
  explicit DiscreteSchemeScene(const Configuration& config, QObject* parent = nullptr);
  void Sync();
  const std::vector<DiscreteRowItem*>& Rows() const { return rows_; }
  QGraphicsRectItem* ShVh1;
  QGraphicsRectItem* ShVyh1;

 private:
  const Configuration& config_;
  std::vector<DiscreteRowItem*> rows_;
};

}  // namespace zul
