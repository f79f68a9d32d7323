#pragma once
// One loop of the regulator editor's column: a 600 x 320 strip (light blue
// when selected) with the loop panel drawn on it: the controlled input, the
// setpoint, the regulator with its parameters (or the two-position levels),
// the program points and the mark where the output goes. A cascade draws its
// inner loop beside the outer one.
#include <QGraphicsItem>

#include "core/editing/RegulatorEditing.h"

namespace zul {

class LoopPanelItem : public QGraphicsItem {
 public:
  static constexpr int kStripWidth = 600;
  static constexpr int kStripHeight = 320;

  LoopPanelItem(const LoopPanel& panel, int place);

  const LoopPanel& Panel() const { return panel_; }
  int Place() const { return place_; }
  void SetSelected(bool selected);
  bool IsSelected() const { return selected_; }
  // Where the panel sits inside its strip.
  QRectF PanelRect() const;

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  void PaintLoop(QPainter* p, const QRectF& area, int number, const std::string& pv, const std::string& sp,
                 TTypeOut action, const std::array<std::string, 6>& params, const std::string& destination,
                 bool showSp) const;
  void PaintProgram(QPainter* p, const QRectF& area) const;

  LoopPanel panel_;
  int place_;
  bool selected_ = false;
};

}  // namespace zul
