#include "ui/fb/MathBlocksWindow.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/editing/CalculationBlockEditing.h"

namespace zul {
namespace {
constexpr int kButtonsPerRow = 8;
}

MathBlocksWindow::MathBlocksWindow(const FunctionBlocks& fb, QWidget* parent) : QDialog(parent), fb_(fb) {
  setObjectName("FormMath");
  setWindowTitle(kMathBlocksCaption);
  setModal(true);
  GroupBox1 = new QGroupBox("Математические блоки", this);
  GroupBox1->setObjectName("GroupBox1");
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  ADelMath = PopupMenu1->addAction(kDeleteMathBlockText);
  ADelMath->setObjectName("ADelMath");
  ADelMath->setShortcut(QKeySequence("Ctrl+Delete"));
  connect(ADelMath, &QAction::triggered, this, [this] { deleteBlock(menuBlock_); });
  // Outside the menu the key deletes the block whose button has the focus.
  auto* key = new QShortcut(QKeySequence("Ctrl+Delete"), this);
  connect(key, &QShortcut::activated, this, [this] {
    for (size_t k = 0; k < Buttons.size(); ++k)
      if (Buttons[k]->hasFocus()) deleteBlock(static_cast<int>(k) + 1);
  });
  auto* grid = new QGridLayout(GroupBox1);
  for (int k = 1; k <= FunctionBlocks::kMaxArithBlocks; ++k) {
    auto* b = new QPushButton(GroupBox1);
    b->setObjectName(QString("ButMB%1").arg(k));
    b->setToolTip(QString("МБ%1").arg(k));
    b->setMinimumSize(84, 40);
    b->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(b, &QPushButton::clicked, this, [this, k] { clickBlock(k); });
    connect(b, &QPushButton::customContextMenuRequested, this, [this, k, b](QPoint at) {
      menuBlock_ = k;
      ADelMath->setEnabled(!b->text().isEmpty());
      PopupMenu1->popup(b->mapToGlobal(at));
    });
    grid->addWidget(b, (k - 1) / kButtonsPerRow, (k - 1) % kButtonsPerRow);
    Buttons[static_cast<size_t>(k - 1)] = b;
  }
  ButPrint = new QPushButton("Создание и печать файла .rtf", this);
  ButPrint->setObjectName("ButPrint");
  connect(ButPrint, &QPushButton::clicked, this, [this] {
    if (PrintReport) PrintReport();
  });
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButPrint);
  buttons->addStretch();
  buttons->addWidget(OK);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addLayout(buttons);
}

void MathBlocksWindow::Refresh() {
  const auto signs = MathBlockSigns(fb_);
  for (size_t k = 0; k < Buttons.size(); ++k) Buttons[k]->setText(QString::fromStdString(signs[k]));
}

void MathBlocksWindow::clickBlock(int k) {
  if (k < 1 || k > FunctionBlocks::kMaxArithBlocks || Buttons[static_cast<size_t>(k - 1)]->text().isEmpty())
    return;
  if (EditBlock) EditBlock(k);
  Refresh();
}

void MathBlocksWindow::deleteBlock(int k) {
  if (k < 1 || k > FunctionBlocks::kMaxArithBlocks || Buttons[static_cast<size_t>(k - 1)]->text().isEmpty())
    return;
  if (DeleteBlock) DeleteBlock(k);
  Refresh();
}

}  // namespace zul
