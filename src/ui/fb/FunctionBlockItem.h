#pragma once
// One function block on the scheme: the panel with its kind's symbol, the
// input lines with captions and inversion circles, the parameters, the
// number mark, and beside it the alarm and relay panels. Drawn from the
// texts the core gives; it never changes the record.
#include <QGraphicsItem>

#include "core/editing/FunctionBlockScheme.h"

namespace zul {

inline const QColor kSelectedBlockColour(166, 202, 240);
inline const QColor kTeal(0, 128, 128);

class FunctionBlockItem : public QGraphicsItem {
 public:
  enum class Part { Other, Symbol, Alarm, Relay };
  // `linkedLeft`: the block before stands just left of this one, so a link
  // line is drawn across to it.
  FunctionBlockItem(const BlockPanelTexts& texts, bool linkedLeft);

  int Index() const { return texts_.number - 1; }
  const BlockPanelTexts& Texts() const { return texts_; }
  void SetChosen(bool chosen);
  bool Chosen() const { return chosen_; }
  // Which part of the block lies under a point in item coordinates.
  Part PartAt(const QPointF& p) const;

  // Where the link mark of input `input` is drawn, in item coordinates.
  QRectF LinkMarkRect(int input) const;
  static QRectF SymbolRect() { return {112, 8, 30, 97}; }
  static QRectF AlarmRect() { return {165, 10, 80, 40}; }
  static QRectF RelayRect() { return {165, 58, 80, 48}; }

  QRectF boundingRect() const override;
  QPainterPath shape() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  void PaintPanel(QPainter* p) const;
  void PaintInputs(QPainter* p) const;
  void PaintAlarm(QPainter* p) const;
  void PaintRelays(QPainter* p) const;
  void PaintSymbol(QPainter* p, const QRectF& r) const;

  BlockPanelTexts texts_;
  bool linkedLeft_;
  bool chosen_ = false;
};

}  // namespace zul
