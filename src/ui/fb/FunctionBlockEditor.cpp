#include "ui/fb/FunctionBlockEditor.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/config/Configuration.h"
#include "core/config/InformTables.h"
#include "core/config/MathBlockReport.h"
#include "core/link/ModbusLink.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/fb/AlgorithmsWindow.h"
#include "ui/fb/CalculationBlockDialog.h"
#include "ui/fb/FunctionBlockDialog.h"
#include "ui/fb/MathBlocksWindow.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/ReportPrinting.h"
#include "ui/widgets/SchemePrinting.h"

namespace zul {
namespace {

constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 3.0;
constexpr int kWheelStep = 10;
constexpr int kPageRowsHeight = kPrintRowsPerPage * kSchemeRowHeight + 10;  // 610

enum DialogMode { kCreate = 0, kEdit = 1, kInsert = 2 };

// The editor's own progress bar for its reads and writes; everything else
// goes to the program's boxes.
class EditorInteraction : public Interaction {
 public:
  EditorInteraction(Interaction& ui, QProgressBar* bar) : ui_(ui), bar_(bar) {}
  Answer Ask(const Message& message) override { return ui_.Ask(message); }
  void Beep() override { ui_.Beep(); }
  // Called on the UI thread: an exchange on the worker carries its progress here.
  void Progress(int value, int maximum) override {
    bar_->setVisible(maximum > 0);
    if (maximum > 0) bar_->setValue(value * bar_->maximum() / maximum);
  }

 private:
  Interaction& ui_;
  QProgressBar* bar_;
};

// One step of the history: the state on the other side of the change.
class SnapshotCommand : public QUndoCommand {
 public:
  SnapshotCommand(FunctionBlockEditor& editor, std::unique_ptr<FunctionBlockSnapshot> before,
                  const QString& text)
      : QUndoCommand(text), editor_(editor), other_(std::move(before)) {}
  void undo() override { editor_.PutBack(*other_); }
  void redo() override {
    if (first_) {
      first_ = false;  // the change itself has been made already
      return;
    }
    editor_.PutBack(*other_);
  }

 private:
  FunctionBlockEditor& editor_;
  std::unique_ptr<FunctionBlockSnapshot> other_;
  bool first_ = true;
};

}  // namespace

// ---- the view ------------------------------------------------------------------------------

FunctionBlockView::FunctionBlockView(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {
  setObjectName("ScrollBox1");
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setDragMode(QGraphicsView::NoDrag);
  setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
  setBackgroundBrush(Qt::white);
}

double FunctionBlockView::Zoom() const { return transform().m11(); }

void FunctionBlockView::SetZoom(double zoom) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  setTransform(QTransform::fromScale(zoom, zoom));
}

void FunctionBlockView::FitScheme() {
  const QRectF r = sceneRect();
  if (r.isEmpty()) return SetZoom(1.0);
  const QSize port = viewport()->size();
  SetZoom(std::min(port.width() / r.width(), port.height() / r.height()));
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
  verticalScrollBar()->setValue(verticalScrollBar()->minimum());
}

void FunctionBlockView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (event->modifiers() & Qt::ControlModifier) {
    SetZoom(Zoom() * std::pow(1.15, steps));
  } else {
    verticalScrollBar()->setValue(verticalScrollBar()->value() - steps * kWheelStep);
  }
  event->accept();
}

FunctionBlockItem* FunctionBlockView::ItemAt(QPoint pos) const {
  for (QGraphicsItem* item : items(pos)) {
    if (auto* block = dynamic_cast<FunctionBlockItem*>(item)) {
      if (block->shape().contains(block->mapFromScene(mapToScene(pos)))) return block;
    }
  }
  return nullptr;
}

void FunctionBlockView::mousePressEvent(QMouseEvent* event) {
  if (Clicked)
    Clicked(ItemAt(event->pos()), event->button(), event->modifiers(), event->globalPosition().toPoint());
  event->accept();
}

void FunctionBlockView::mouseDoubleClickEvent(QMouseEvent* event) {
  FunctionBlockItem* item = ItemAt(event->pos());
  if (item && DoubleClicked) DoubleClicked(item, item->PartAt(item->mapFromScene(mapToScene(event->pos()))));
  event->accept();
}

// ---- the editor ------------------------------------------------------------------------------

FunctionBlockEditor::FunctionBlockEditor(Configuration& config, ModbusLink& link, LinkWorker& worker,
                                         const SignalDialogSet& dialogs, Interaction& ui, QWidget* parent)
    : QDialog(parent), config_(config), link_(link), worker_(worker), dialogs_(dialogs), ui_(ui) {
  setObjectName("FormFB");
  setWindowTitle(kFunctionBlockEditorCaption);
  setModal(true);
  resize(1000, 700);
  scene_ = new QGraphicsScene(this);
  view_ = new FunctionBlockView(scene_, this);
  blockDialog_ = new FunctionBlockDialog(ui, this);
  algorithmsWindow_ = new AlgorithmsWindow(config, ui, this);
  calcDialog_ = new CalculationBlockDialog(config, ui, this);
  mathWindow_ = new MathBlocksWindow(config.functionBlocks, this);
  mathWindow_->EditBlock = [this](int k) { editArithBlockNumber(k); };
  mathWindow_->DeleteBlock = [this](int k) { deleteArithBlock(k); };
  mathWindow_->PrintReport = [this] { MathBlocksReport(); };
  history_ = new QUndoStack(this);
  history_->setUndoLimit(kUndoSteps);

  InformBut = new QPushButton("Входные сигналы", this);
  InformBut->setObjectName("InformBut");
  InformButMR = new QPushButton("Дискретные выходы", this);
  InformButMR->setObjectName("InformButMR");
  ButMath = new QPushButton("Показать мат. блоки", this);
  ButMath->setObjectName("ButMath");
  ButPrint = new QPushButton("Печать", this);
  ButPrint->setObjectName("ButPrint");
  StSign = new QLabel("Сигнализация программируется только для ФБ с 1 по 62", this);
  StSign->setObjectName("StSign");
  LabelFile = new QLabel("Режим работы с файлом", this);
  LabelFile->setObjectName("LabelFile");
  LabelFile->setStyleSheet("color: red");
  ProgressBar1 = new QProgressBar(this);
  barUi_ = std::make_unique<EditorInteraction>(ui_, ProgressBar1);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, FunctionBlocks::kCapacity);
  ProgressBar1->setTextVisible(false);
  QSizePolicy keep = ProgressBar1->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  ProgressBar1->setSizePolicy(keep);
  ProgressBar1->hide();

  BuildMenus();

  auto* buttons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{InformBut, InformButMR, ButMath, ButPrint, StSign})
    buttons->addWidget(w);
  buttons->addStretch();
  buttons->addWidget(ProgressBar1);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu);
  layout->addWidget(ToolBar1);
  layout->addLayout(buttons);
  // The file's name on a line of its own: beside the buttons it widened the window past a small screen.
  layout->addWidget(LabelFile);
  layout->addWidget(view_, 1);

  connect(InformBut, &QPushButton::clicked, this, [this] {
    if (ShowInputs) ShowInputs();
  });
  connect(InformButMR, &QPushButton::clicked, this, [this] {
    if (ShowOutputs) ShowOutputs();
  });
  connect(ButPrint, &QPushButton::clicked, this, &FunctionBlockEditor::print);
  connect(ButMath, &QPushButton::clicked, this, &FunctionBlockEditor::showMathBlocks);
  blockDialog_->ShowInputs = [this] {
    if (ShowInputs) ShowInputs();
  };
  view_->Clicked = [this](FunctionBlockItem* item, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint g) {
    OnClick(item, b, m, g);
  };
  view_->DoubleClicked = [this](FunctionBlockItem* item, FunctionBlockItem::Part part) {
    OnDoubleClick(item, part);
  };
}

FunctionBlockEditor::~FunctionBlockEditor() = default;

QAction* FunctionBlockEditor::MakeAction(const char* name, const QString& text,
                                         void (FunctionBlockEditor::*handler)(), const QKeySequence& key) {
  auto* a = new QAction(text, this);
  a->setObjectName(name);
  if (!key.isEmpty()) {
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }
  connect(a, &QAction::triggered, this, handler);
  return a;
}

void FunctionBlockEditor::BuildMenus() {
  using E = FunctionBlockEditor;
  AInPort = MakeAction("AInPort", "Ввод с СОМ-порта", &E::readFromController, Qt::Key_F9);
  AOutPort = MakeAction("AOutPort", "Вывод на СОМ-порт", &E::writeToController, Qt::Key_F10);
  APort = new QAction("Настройка СОМ порта", this);  // the port is set up in the main window
  APort->setObjectName("APort");
  ACreatFB = MakeAction("ACreatFB", "Создать функциональный блок ", &E::createBlock);
  AAddSign = MakeAction("AAddSign", "Добавить  блок сигнализации", &E::addAlarm);
  AAddVyh = MakeAction("AAddVyh", "Добавить  выход на реле", &E::addRelays);
  ACreatIntegr = MakeAction("ACreatIntegr", "Создать интегратор расхода", &E::createIntegrators);
  ACreatMath = MakeAction("ACreatMath", "Создать арифметический блок", &E::createArithBlock);
  AEditSign = MakeAction("AEditSign", "Редактировать сигнализацию", &E::editAlarm);
  AEditVyh = MakeAction("AEditVyh", "Редактировать выход на реле", &E::editRelays);
  AEditFB = MakeAction("AEditFB", "Редактирование ФБ", &E::editBlock);
  AEditIntegr = MakeAction("AEditIntegr", "Редактировать интегратор расхода", &E::editIntegrators);
  AEditMath = MakeAction("AEditMath", "Редактировать арифметический блок", &E::editArithBlock);
  ACopy = MakeAction("ACopy", "Копировать ", &E::copyBlocks, QKeySequence("Ctrl+C"));
  ADelete = MakeAction("ADelete", "Удалить", &E::deleteBlocks, QKeySequence(Qt::Key_Delete));
  AInsertFB = MakeAction("AInsertFB", "Вставить новый ФБ (перед выбранным ) ", &E::insertBlock);
  AInsertGroup =
      MakeAction("AInsertGroup", "Вставить группу скопированных ФБ (перед выбранным ) ", &E::insertCopies);
  ADelSign = MakeAction("ADelSign", "Удалить сигнализацию", &E::deleteAlarm);
  ADelVyh = MakeAction("ADelVyh", "Удалить выход на реле", &E::deleteRelays);
  AAddGroup =
      MakeAction("AAddGroup", "Добавить группу скопированных ФБ", &E::appendCopies, QKeySequence("Ctrl+V"));
  ACreatAlg = MakeAction("ACreatAlg", "Создание алгоритмов", &E::createAlgorithms);
  ASelectAll = MakeAction("ASelectAll", "Выделить все", &E::selectAll, QKeySequence("Ctrl+A"));
  AClose = new QAction("Закрыть", this);
  AClose->setObjectName("AClose");
  AClose->setShortcut(QKeySequence("Alt+X"));
  addAction(AClose);
  connect(AClose, &QAction::triggered, this, &QDialog::close);
  AUndo = MakeAction("AUndo", "Отменить", &E::undo, QKeySequence("Ctrl+Z"));
  ARedo = MakeAction("ARedo", "Повторить", &E::redo, QKeySequence("Ctrl+Y"));
  AFit = MakeAction("AFit", "Вся схема в окне", &E::fitScheme, QKeySequence("Ctrl+0"));
  AZoom100 = MakeAction("AZoom100", "Масштаб 1:1", &E::zoomOriginal, QKeySequence("Ctrl+1"));
  connect(history_, &QUndoStack::canUndoChanged, AUndo, &QAction::setEnabled);
  connect(history_, &QUndoStack::canRedoChanged, ARedo, &QAction::setEnabled);
  AUndo->setEnabled(false);
  ARedo->setEnabled(false);

  MainMenu = new QMenuBar(this);
  MainMenu->setObjectName("MainMenu1");
  QMenu* port = MainMenu->addMenu("   Порт");
  port->addActions({AInPort, AOutPort, APort});
  QMenu* create = MainMenu->addMenu("       Создание элементов схемы");
  create->addActions({ACreatFB, AAddSign, AAddVyh});
  QMenu* calc = MainMenu->addMenu("Создание расч. блоков");
  calc->addActions({ACreatIntegr, ACreatMath});
  QMenu* program = MainMenu->addMenu("                        Программирование     ");
  program->addActions({AEditSign, AEditVyh, AEditFB, AEditIntegr, AEditMath});
  QMenu* edit = MainMenu->addMenu("Правка");
  edit->addActions({AUndo, ARedo});
  edit->addSeparator();
  edit->addActions({AFit, AZoom100});

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
  ToolBar1->addActions(
      {AInPort, AOutPort, ACreatFB, AAddSign, AAddVyh, ACreatMath, AEditSign, AEditVyh, AEditFB, AEditMath});

  blockMenu_ = new QMenu(this);
  blockMenu_->setObjectName("PopupMenuFB");
  blockMenu_->addActions({AEditFB, ACopy, ADelete, AInsertFB, AInsertGroup});
  blockMenu_->addSeparator();
  blockMenu_->addActions({AAddSign, AEditSign, ADelSign});
  blockMenu_->addSeparator();
  blockMenu_->addActions({AAddVyh, AEditVyh, ADelVyh});
  backgroundMenu_ = new QMenu(this);
  backgroundMenu_->setObjectName("PopupMenuScheme");
  backgroundMenu_->addActions({ACreatFB, AAddGroup, ACreatAlg, ASelectAll});
}

bool FunctionBlockEditor::FileMode() const { return config_.service.FileMode != 0; }

int FunctionBlockEditor::Open() {
  Prepare();
  return exec();
}

void FunctionBlockEditor::Prepare() {
  view_->setFocus();
  std::fill(config_.functionBlocks.BlockSelected.begin(), config_.functionBlocks.BlockSelected.end(), 0);
  ACopy->setEnabled(false);
  history_->clear();
  Rebuild();
  LabelFile->setVisible(FileMode());
  if (FileMode() && FileLabelText) LabelFile->setText(FileLabelText());
  closing_ = false;
}

// ---- the scheme ------------------------------------------------------------------------------

void FunctionBlockEditor::Rebuild() {
  FunctionBlocks& fb = config_.functionBlocks;
  fb.RecountBlocks();
  scene_->clear();
  items_.clear();
  const SchemeLayout layout = LayOutScheme(fb);
  const BlockCaptions captions(config_);
  items_.reserve(layout.blocks.size());
  for (const BlockPlace& place : layout.blocks) {
    auto* item = new FunctionBlockItem(captions.Panel(place.index), place.column > 0);
    item->setPos(place.x, place.y);
    item->SetChosen(fb.BlockSelected[static_cast<size_t>(place.index)] != 0);
    scene_->addItem(item);
    items_.push_back(item);
  }
  QFont bold = font();
  bold.setBold(true);
  // In scene pixels, so that a printer's resolution does not enlarge it.
  bold.setPixelSize(QFontInfo(bold).pixelSize());
  for (const AlgorithmLabel& label : layout.labels) {
    auto* text = scene_->addSimpleText(Q(label.name), bold);
    text->setBrush(kTeal);
    // The first row's label would reach above the scene and be cut off.
    text->setPos(label.x, std::max(0.0, label.y - QFontMetrics(bold).height() / 2.0));
    text->setData(0, label.algorithm);
  }
  scene_->setSceneRect(0, 0, kSchemeColumns * kSchemeColumnWidth, std::max(layout.height, 20));
  EnableBlockMenu();
}

FunctionBlockItem* FunctionBlockEditor::Item(int index) const {
  return index >= 0 && index < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(index)] : nullptr;
}

void FunctionBlockEditor::UpdateSelectionColours() {
  for (FunctionBlockItem* item : items_)
    item->SetChosen(config_.functionBlocks.BlockSelected[static_cast<size_t>(item->Index())] != 0);
  EnableBlockMenu();
}

std::vector<int> FunctionBlockEditor::Selection() const {
  std::vector<int> selected;
  for (FunctionBlockItem* item : items_)
    if (config_.functionBlocks.BlockSelected[static_cast<size_t>(item->Index())] != 0)
      selected.push_back(item->Index());
  return selected;
}

int FunctionBlockEditor::SelectedIndex() const {
  const auto selected = Selection();
  return selected.size() == 1 ? selected.front() : -1;
}

void FunctionBlockEditor::SelectOnly(int index) {
  auto& flags = config_.functionBlocks.BlockSelected;
  std::fill(flags.begin(), flags.end(), 0);
  if (Item(index)) flags[static_cast<size_t>(index)] = 1;
  config_.functionBlocks.SelectedRecord = index;
  UpdateSelectionColours();
}

void FunctionBlockEditor::ToggleSelection(int index) {
  if (!Item(index)) return;
  auto& flag = config_.functionBlocks.BlockSelected[static_cast<size_t>(index)];
  flag = flag ? 0 : 1;
  UpdateSelectionColours();
}

void FunctionBlockEditor::ClearSelection() { SelectOnly(-1); }

void FunctionBlockEditor::EnableBlockMenu() {
  const auto selected = Selection();
  const bool one = selected.size() == 1, many = selected.size() > 1;
  const int i = one ? selected.front() : -1;
  const FunctionBlocks& fb = config_.functionBlocks;
  const bool copied = HasCopiedBlocks(config_);
  ACopy->setEnabled(!selected.empty());
  // Del acts on the whole selection, so it stays with Copy.
  ADelete->setEnabled(!selected.empty());
  AEditFB->setEnabled(one);
  AInsertFB->setEnabled(one);
  AInsertGroup->setEnabled(one && copied);
  AAddGroup->setEnabled(copied);
  // Without a selection these still answer, with "Не выбран ФБ".
  AAddSign->setEnabled(!many && !HasAlarm(fb, i));
  AEditSign->setEnabled(one && HasAlarm(fb, i));
  ADelSign->setEnabled(one && HasAlarm(fb, i));
  AAddVyh->setEnabled(!many && !HasRelays(fb, i));
  AEditVyh->setEnabled(one && HasRelays(fb, i));
  ADelVyh->setEnabled(one && HasRelays(fb, i));
}

void FunctionBlockEditor::OnClick(FunctionBlockItem* item, Qt::MouseButton button,
                                  Qt::KeyboardModifiers modifiers, QPoint global) {
  if (button == Qt::LeftButton) {
    if (!item)
      ClearSelection();
    else if (modifiers & Qt::ControlModifier)
      ToggleSelection(item->Index());
    else
      SelectOnly(item->Index());
    return;
  }
  if (button != Qt::RightButton) return;
  if (item && config_.functionBlocks.BlockSelected[static_cast<size_t>(item->Index())] == 0)
    SelectOnly(item->Index());
  EnableBlockMenu();
  (item ? blockMenu_ : backgroundMenu_)->popup(global);
}

void FunctionBlockEditor::OnDoubleClick(FunctionBlockItem* item, FunctionBlockItem::Part part) {
  SelectOnly(item->Index());
  switch (part) {
    case FunctionBlockItem::Part::Symbol:
      return editBlock();
    case FunctionBlockItem::Part::Alarm:
      return editAlarm();
    case FunctionBlockItem::Part::Relay:
      return editRelays();
    default:
      return;
  }
}

// ---- changes and history ---------------------------------------------------------------------

void FunctionBlockEditor::Change(const QString& text, const std::function<bool()>& change) {
  auto before = std::make_unique<FunctionBlockSnapshot>(FunctionBlockSnapshot::Take(config_));
  if (change()) {
    history_->push(new SnapshotCommand(*this, std::move(before), text));
  } else {
    // Cancelled or refused: whatever was moved on the way goes back.
    before->Restore(config_);
  }
  Rebuild();
}

void FunctionBlockEditor::PutBack(FunctionBlockSnapshot& other) {
  FunctionBlockSnapshot now = FunctionBlockSnapshot::Take(config_);
  other.Restore(config_);
  other = std::move(now);
  config_.functionBlocks.Changed = 1;
  Rebuild();
}

void FunctionBlockEditor::createAlgorithms() {
  int result = QDialog::Rejected;
  Change(ACreatAlg->text(), [&] {
    const FunctionBlockSnapshot before = FunctionBlockSnapshot::Take(config_);
    result = algorithmsWindow_->Open();
    const FunctionBlockSnapshot after = FunctionBlockSnapshot::Take(config_);
    const bool changed = after.algCount != before.algCount || after.algStart != before.algStart ||
                         after.algMembers != before.algMembers || after.names != before.names;
    // Algorithms live only in the file: a change must not be lost unsaved.
    if (changed && FileMode()) config_.service.FileChanged = 1;
    return changed;
  });
  if (result == AlgorithmsWindow::kFinishedWithError)
    ui_.Show(kCaptionError, kAlgorithmsEndedWithError, Icon::Error);
}

void FunctionBlockEditor::undo() { history_->undo(); }
void FunctionBlockEditor::redo() { history_->redo(); }

bool FunctionBlockEditor::RunBlockDialog(int index, int mode, FunctionBlockValues& values) {
  blockDialog_->Prepare(index + 1,
                        mode == kEdit     ? FunctionBlockDialog::Mode::Edit
                        : mode == kInsert ? FunctionBlockDialog::Mode::Insert
                                          : FunctionBlockDialog::Mode::Create,
                        values);
  config_.functionBlocks.CreateMode = mode;
  blockDialog_->exec();
  if (blockDialog_->Cancelled()) return false;
  values = blockDialog_->Values();
  return true;
}

bool FunctionBlockEditor::NeedsOneBlock(int& index) {
  index = SelectedIndex();
  if (index >= 0) return true;
  ui_.Show(kCaptionWarning, kNoBlockSelectedText, Icon::Warning);
  return false;
}

void FunctionBlockEditor::createBlock() {
  int created = -1;
  Change("Создание ФБ", [&] {
    const int index = PrepareBlockCreation(config_, ui_);
    if (index < 0) return false;
    FunctionBlockValues values = ValuesForKind(ftAND);
    if (!RunBlockDialog(index, kCreate, values)) return false;
    StoreBlockValues(config_, index, values, true);
    FinishStructuralChange(config_);
    created = index;
    return true;
  });
  if (created >= 0) {
    SelectOnly(created);
    if (FunctionBlockItem* item = Item(created)) view_->ensureVisible(item);
  }
}

void FunctionBlockEditor::editBlock() {
  int index = -1;
  if (!NeedsOneBlock(index)) return;
  Change("Редактирование ФБ", [&] {
    FunctionBlockValues values = LoadBlockValues(config_.functionBlocks, index);
    const int kind = values.kind;
    if (!RunBlockDialog(index, kEdit, values)) return false;
    StoreBlockValues(config_, index, values, values.kind != kind);
    config_.functionBlocks.RecountBlocks();
    return true;
  });
  SelectOnly(index);
}

void FunctionBlockEditor::insertBlock() {
  int index = -1;
  if (!NeedsOneBlock(index)) return;
  Change("Вставка ФБ", [&] {
    if (!HasRoomForBlock(config_.functionBlocks, ui_)) return false;
    ShiftRegulatorsForInsert(config_, index + 1, 1, ui_);
    FunctionBlockValues values = ValuesForKind(ftAND);
    if (!RunBlockDialog(index, kInsert, values)) return false;
    return InsertBlock(config_, index, values);
  });
  SelectOnly(index);
}

void FunctionBlockEditor::deleteBlocks() {
  const std::vector<int> selected = Selection();
  Change("Удаление ФБ", [&] { return DeleteSelectedBlocks(config_, selected, ui_) > 0; });
  ClearSelection();
}

void FunctionBlockEditor::copyBlocks() {
  CopyBlocksToClipboard(config_, Selection());
  EnableBlockMenu();
}

void FunctionBlockEditor::appendCopies() {
  GroupInsertResult result;
  Change("Добавление группы ФБ", [&] {
    result = InsertCopiedGroup(config_, -1, ui_);
    return result.inserted;
  });
  if (!result.inserted) return;
  auto& flags = config_.functionBlocks.BlockSelected;
  std::fill(flags.begin(), flags.end(), 0);
  for (int k = 0; k < result.count; ++k) flags[static_cast<size_t>(result.first + k)] = 1;
  UpdateSelectionColours();
  if (FunctionBlockItem* item = Item(result.first)) view_->ensureVisible(item);
}

void FunctionBlockEditor::insertCopies() {
  int index = -1;
  if (!NeedsOneBlock(index)) return;
  GroupInsertResult result;
  Change("Вставка группы ФБ", [&] {
    result = InsertCopiedGroup(config_, index, ui_);
    return result.inserted;
  });
  if (!result.inserted) return;
  auto& flags = config_.functionBlocks.BlockSelected;
  std::fill(flags.begin(), flags.end(), 0);
  for (int k = 0; k < result.count; ++k) flags[static_cast<size_t>(result.first + k)] = 1;
  UpdateSelectionColours();
  if (FunctionBlockItem* item = Item(result.first)) view_->ensureVisible(item);
}

void FunctionBlockEditor::selectAll() {
  for (FunctionBlockItem* item : items_)
    config_.functionBlocks.BlockSelected[static_cast<size_t>(item->Index())] = 1;
  UpdateSelectionColours();
}

// ---- calculation blocks ------------------------------------------------------------------------

bool FunctionBlockEditor::RunCalculationDialog(CalcMode mode) {
  FunctionBlocks& fb = config_.functionBlocks;
  fb.RecountBlocks();
  fb.CalcMode = static_cast<int>(mode);
  bool stored = false;
  if (MayOpenCalculationDialog(fb, mode, ui_)) {
    Change(kCalculationDialogCaption, [&] {
      calcDialog_->Prepare(PrepareCalculationDialog(fb, mode));
      calcDialog_->exec();
      if (calcDialog_->Cancelled()) return false;
      const bool integrators = mode == CalcMode::CreateIntegrators || mode == CalcMode::EditIntegrators;
      stored = integrators
                   ? StoreIntegrators(config_, mode, calcDialog_->Integrators())
                   : StoreArithBlock(config_, mode, calcDialog_->RecordNumber(), calcDialog_->Arith());
      return stored;
    });
  }
  // A block chosen in the math blocks window serves one opening only.
  fb.SelectedArith = -1;
  if (stored && FileMode()) config_.service.FileChanged = 1;
  return stored;
}

void FunctionBlockEditor::createIntegrators() { RunCalculationDialog(CalcMode::CreateIntegrators); }
void FunctionBlockEditor::createArithBlock() { RunCalculationDialog(CalcMode::CreateArith); }
void FunctionBlockEditor::editIntegrators() { RunCalculationDialog(CalcMode::EditIntegrators); }
void FunctionBlockEditor::editArithBlock() { RunCalculationDialog(CalcMode::EditArith); }

void FunctionBlockEditor::editArithBlockNumber(int k) {
  config_.functionBlocks.SelectedArith = k;
  RunCalculationDialog(CalcMode::EditArith);
}

void FunctionBlockEditor::deleteArithBlock(int k) {
  bool deleted = false;
  Change(kDeleteMathBlockText, [&] { return deleted = DeleteArithBlock(config_, k, ui_); });
  if (deleted && FileMode()) config_.service.FileChanged = 1;
}

void FunctionBlockEditor::showMathBlocks() {
  config_.functionBlocks.RecountBlocks();
  config_.functionBlocks.SelectedArith = -1;
  mathWindow_->Refresh();
  mathWindow_->exec();
}

void FunctionBlockEditor::MathBlocksReport() {
  const std::string title = MainCaption ? MainCaption().toStdString() : std::string();
  SaveAndPrintReport(MathBlockReport(config_, title),
                     MathReportFile ? MathReportFile : QtReportFileChooser(this), ui_,
                     MathReportPrint ? MathReportPrint : QtReportPrinter(this));
}

// ---- alarms and relay outputs -------------------------------------------------------------------

bool FunctionBlockEditor::NoSchemeClosing() {
  if (!items_.empty()) return false;
  // Closing this way asks about the changes like any other close.
  if (config_.discreteProcessing.AskCreateScheme(ui_)) reject();
  return true;
}

bool FunctionBlockEditor::RunAlarmDialog(int index) {
  AlarmTypeDialog* d = dialogs_.alarmTypeDialog;
  if (!d) return false;
  const QString label = d->LabNVh->text();
  d->LabNVh->setText("ФБ №");
  d->Label2->setText(QString::number(index + 1));
  const FunctionBlocks& fb = config_.functionBlocks;
  d->SetItemIndex(fb.GetAlarmType(index));
  d->Edit1->setText(QString::number(fb.GetCell(index)));
  d->exec();
  d->LabNVh->setText(label);
  StoreBlockAlarm(config_, index, d->ItemIndex(), d->Edit1->text().toInt(), ui_);
  return true;
}

bool FunctionBlockEditor::RunRelayDialog(int index) {
  RelayOutputsDialog* d = dialogs_.relayOutputsDialog;
  if (!d) return false;
  const QString label = d->LabNVh->text();
  d->LabNVh->setText("ФБ №");
  d->Label2->setText(QString::number(index + 1));
  std::array<int, RelayOutputsDialog::kModules> masks{};
  const auto block = BlockRelayMasks(config_.functionBlocks, index);
  std::copy(block.begin(), block.end(), masks.begin());
  d->Prepare(std::clamp(config_.service.DoModules, 0, 5), masks);
  d->exec();
  d->LabNVh->setText(label);
  std::array<int, 5> stored{};
  std::copy_n(d->Masks().begin(), stored.size(), stored.begin());
  StoreBlockRelays(config_, index, stored);
  return true;
}

void FunctionBlockEditor::addAlarm() {
  if (NoSchemeClosing()) return;
  const int index = SelectedIndex();
  if (!CanAddAlarm(config_, index, ui_)) return;
  Change("Сигнализация ФБ", [&] { return RunAlarmDialog(index); });
  SelectOnly(index);
}

void FunctionBlockEditor::editAlarm() {
  if (NoSchemeClosing()) return;
  int index = -1;
  if (!NeedsOneBlock(index)) return;
  if (!HasAlarm(config_.functionBlocks, index)) {
    ui_.Show(kCaptionWarning, kNoAlarmPanelText, Icon::Warning);
    return;
  }
  Change("Сигнализация ФБ", [&] { return RunAlarmDialog(index); });
  SelectOnly(index);
}

void FunctionBlockEditor::deleteAlarm() {
  int index = -1;
  if (!NeedsOneBlock(index) || !HasAlarm(config_.functionBlocks, index)) return;
  Change("Удаление сигнализации", [&] {
    ClearBlockAlarm(config_, index);
    return true;
  });
  SelectOnly(index);
}

void FunctionBlockEditor::addRelays() {
  if (NoSchemeClosing()) return;
  const int index = SelectedIndex();
  if (!CanAddRelays(config_, index, ui_)) return;
  Change("Выходы на реле ФБ", [&] { return RunRelayDialog(index); });
  SelectOnly(index);
}

void FunctionBlockEditor::editRelays() {
  if (NoSchemeClosing()) return;
  int index = -1;
  if (!NeedsOneBlock(index)) return;
  Change("Выходы на реле ФБ", [&] { return RunRelayDialog(index); });
  SelectOnly(index);
}

void FunctionBlockEditor::deleteRelays() {
  int index = -1;
  if (!NeedsOneBlock(index)) return;
  Change("Удаление выходов на реле", [&] {
    ClearBlockRelays(config_, index);
    return true;
  });
  SelectOnly(index);
}

// ---- the controller ----------------------------------------------------------------------------------

BackgroundExchange FunctionBlockEditor::Exchange() { return BackgroundExchange(worker_, *barUi_, this); }

void FunctionBlockEditor::readFromController() {
  if (FileMode()) return;
  Exchange().Run(
      "Чтение функциональных блоков", ExchangeKind::Read,
      [this](Interaction& ui) { ReadFunctionBlockTable(config_, link_, ui); },
      [this] {
        history_->clear();
        ClearSelection();
        Rebuild();
      });
}

void FunctionBlockEditor::writeToController() {
  if (FileMode()) return;
  if (!FunctionBlockTableChanged(config_) &&
      ui_.Ask(Message{kSendQuestionCaptionFB, kUnchangedSendQuestion, Icon::Question, Buttons::YesNo,
                      Answer::No}) != Answer::Yes)
    return;
  WriteInBackground(false, [this](bool written) {
    if (!written) return;
    setWindowTitle(QString("Программирование обработки функциональных блоков ЗУЛ-05 устройство %1")
                       .arg(config_.service.CurrentDevice + 1));
    if (!LoopBlockChanged(config_) &&
        ui_.Ask(Message{kSendQuestionCaptionFB, kUnchangedRegulatorsQuestion, Icon::Question, Buttons::YesNo,
                        Answer::No}) != Answer::Yes)
      return;
    Exchange().Run("Запись регуляторов", ExchangeKind::Write,
                   [this](Interaction& ui) { WriteRegulatorLoops(config_, link_, ui); });
  });
}

void FunctionBlockEditor::WriteInBackground(bool withLoops, std::function<void(bool written)> then) {
  Exchange().RunFor(
      "Запись функциональных блоков", ExchangeKind::Write,
      [this, withLoops](Interaction& ui) {
        const bool written = WriteFunctionBlockTable(config_, link_, ui);
        if (written && withLoops) WriteRegulatorLoops(config_, link_, ui);
        return written;
      },
      std::move(then));
}

// ---- closing -----------------------------------------------------------------------------------------

bool FunctionBlockEditor::AskToClose() {
  if (closing_ || (!FunctionBlockTableChanged(config_) && !LoopBlockChanged(config_))) return true;
  if (FileMode()) {
    config_.service.FileChanged = 1;
    return true;
  }
  const Answer a = ui_.Ask(Message{kSendQuestionCaptionFB, kChangedCloseQuestion, Icon::Question,
                                   Buttons::YesNoCancel, Answer::No});
  if (a == Answer::Cancel) return false;
  if (a == Answer::Yes) {
    // The editor stays open while the table is written and closes after.
    WriteInBackground(true, [this](bool) { FinishClosing(); });
    return false;
  }
  RestoreFunctionBlocksFromReference(config_);
  return true;
}

void FunctionBlockEditor::reject() {
  if (AskToClose()) FinishClosing();
}

void FunctionBlockEditor::FinishClosing() {
  history_->clear();
  closing_ = false;
  QDialog::reject();
}

// ---- zoom and printing ---------------------------------------------------------------------------

void FunctionBlockEditor::fitScheme() { view_->FitScheme(); }
void FunctionBlockEditor::zoomOriginal() { view_->SetZoom(1.0); }

int FunctionBlockEditor::PageCount() const {
  const SchemeLayout layout = LayOutScheme(config_.functionBlocks);
  return (layout.rows + kPrintRowsPerPage - 1) / kPrintRowsPerPage;
}

void FunctionBlockEditor::PrintPages(QPagedPaintDevice& device, const std::function<void()>& betweenPages) {
  const int pages = PageCount();
  if (pages == 0) return;
  QPainter p(&device);
  for (int n = 0; n < pages; ++n) {
    if (n > 0) {
      if (betweenPages) betweenPages();
      device.newPage();
    }
    PaintPage(p, p.viewport(), n);
  }
}

void FunctionBlockEditor::PaintPage(QPainter& p, const QRectF& page, int n) {
  const SchemeLayout layout = LayOutScheme(config_.functionBlocks);
  // Printed as drawn, unselected and whatever the zoom of the window.
  for (FunctionBlockItem* item : items_) item->SetChosen(false);
  const double width = kSchemeColumns * kSchemeColumnWidth;
  QFont text = font();
  text.setPointSize(9);
  p.setFont(text);
  p.setPen(Qt::black);
  const double line = QFontMetricsF(text, p.device()).height();
  const QString mainCaption = MainCaption ? MainCaption() : QString();
  QStringList head;
  if (n == 0) {
    head << mainCaption << windowTitle();
    if (FileMode()) head << LabelFile->text();
  } else {
    head << mainCaption + "   страница " + QString::number(n + 1);
  }
  double y = page.top();
  for (const QString& h : head) {
    p.drawText(QPointF(page.left(), y + line), h);
    y += line;
  }
  QStringList relays{"Информация о модулях реле:"};
  QString pair;
  int inPair = 0;
  for (const BlockPlace& place : layout.blocks) {
    if (place.row / kPrintRowsPerPage != n) continue;
    const BlockPanelTexts& t = items_[static_cast<size_t>(place.index)]->Texts();
    QStringList outs;
    for (int m = 0; m < 5; ++m) {
      const int mask = t.relayMasks[static_cast<size_t>(m)];
      if (!mask) continue;
      QStringList bits;
      for (int j = 0; j < 8; ++j)
        if (mask & (1 << j)) bits << QString::number(j + 1);
      outs << QString("МР%1: %2").arg(m + 1).arg(bits.join(","));
    }
    const QString entry = "ФБ" + QString::number(t.number) + " " +
                          (outs.isEmpty() ? QString("нет выхода на модуль реле") : outs.join("; "));
    pair += (inPair ? "        " : "") + entry;
    if (++inPair == 2) {
      relays << pair;
      pair.clear();
      inPair = 0;
    }
  }
  if (!pair.isEmpty()) relays << pair;
  const double footer = relays.size() * line + line / 2;
  // The page's rows from the label above its first row to the bottom of its
  // last; the rows and labels of the pages around it stay out of the picture.
  const QRectF source(-8, n * kPrintRowsPerPage * kSchemeRowHeight - 8, width + 8, kPageRowsHeight + 10);
  std::vector<QGraphicsItem*> hidden;
  for (QGraphicsItem* item : scene_->items()) {
    if (item->parentItem() || !item->isVisible()) continue;
    const int row = static_cast<int>(item->sceneBoundingRect().center().y()) / kSchemeRowHeight;
    if (row / kPrintRowsPerPage == n) continue;
    item->hide();
    hidden.push_back(item);
  }
  const double available = page.bottom() - y - footer - line / 2;
  const double scale = std::min(page.width() / source.width(), available / source.height());
  const QRectF target(page.left(), y + line / 2, source.width() * scale, source.height() * scale);
  scene_->render(&p, target, source, Qt::KeepAspectRatio);
  for (QGraphicsItem* item : hidden) item->show();
  y = target.bottom() + line;
  for (const QString& r : relays) {
    p.drawText(QPointF(page.left(), y + line * 0.8), r);
    y += line;
  }
  UpdateSelectionColours();
}

bool FunctionBlockEditor::PrintToPdf(const QString& path) {
  if (items_.empty()) return false;
  return PrintPdf(path, kFunctionBlockEditorCaption, QPageLayout::Landscape,
                  [this](QPagedPaintDevice& d) { PrintPages(d); });
}

void FunctionBlockEditor::print() {
  if (items_.empty()) return;
  PreviewPrint(this, QPageLayout::Landscape, [this](QPagedPaintDevice& d) { PrintPages(d); });
}

}  // namespace zul
