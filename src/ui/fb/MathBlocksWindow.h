#pragma once
// The math blocks window: one button per arithmetic block, captioned with its
// operation sign. A click programs the block, the button's menu deletes it;
// the editor does both (and keeps them in its undo history).
#include <QDialog>
#include <array>
#include <functional>

#include "core/model/FunctionBlocks.h"

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;

namespace zul {

class MathBlocksWindow : public QDialog {
  Q_OBJECT
 public:
  explicit MathBlocksWindow(const FunctionBlocks& fb, QWidget* parent = nullptr);

  // Captions every button from the table.
  void Refresh();
  // Button k (1-based) clicked / its menu's deletion chosen.
  void clickBlock(int k);
  void deleteBlock(int k);

  std::function<void(int)> EditBlock;
  std::function<void(int)> DeleteBlock;
  std::function<void()> PrintReport;

  QGroupBox* GroupBox1;
  std::array<QPushButton*, FunctionBlocks::kMaxArithBlocks> Buttons{};
  QMenu* PopupMenu1;
  QAction* ADelMath;
  QPushButton* ButPrint;
  QPushButton* OK;

 private:
  const FunctionBlocks& fb_;
  int menuBlock_ = 0;
};

}  // namespace zul
