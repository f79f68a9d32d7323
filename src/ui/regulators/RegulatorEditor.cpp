#include "ui/regulators/RegulatorEditor.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "core/config/Configuration.h"
#include "core/link/ModbusLink.h"
#include "ui/link/LinkWorker.h"
#include "ui/regulators/ControlLoopDialog.h"
#include "ui/regulators/LoopPanelItem.h"
#include "ui/regulators/RegulatorOnlineView.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/SchemePrinting.h"

namespace zul {

RegulatorEditor::RegulatorEditor(ModbusLink& port, Configuration& config, Interaction& ui, LinkWorker& worker,
                                 ControlLoopDialog* loopDialog, RegulatorOnlineView* onlineView,
                                 QWidget* parent)
    : QDialog(parent),
      port_(port),
      config_(config),
      ui_(ui),
      worker_(worker),
      loopDialog_(loopDialog),
      onlineView_(onlineView) {
  setObjectName("FormReg");
  setWindowTitle("Программирование регуляторов");
  setModal(true);

  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* file = MainMenu1->addMenu("Файл");
  QMenu* port1 = MainMenu1->addMenu("Порт");
  QMenu* edit = MainMenu1->addMenu("Редактирование");
  AInPort = AddAction(port1, "AInPort", "Ввод с СОМ-порта", QKeySequence(Qt::Key_F9));
  AOutPort = AddAction(port1, "AOutPort", "Вывод на СОМ-порт", QKeySequence(Qt::Key_F10));
  ABReg = AddAction(edit, "ABReg", "Создать контур регулирования", {});
  AReg = AddAction(edit, "AReg", "Редактирование контура регулирования", {});
  ADelChoose = AddAction(edit, "ADelChoose", "Удалить", QKeySequence(Qt::Key_Delete));
  ADelete = AddAction(edit, "ADelete", "Удаление элементов", {});
  AChooseAll = AddAction(edit, "AChooseAll", "Выделить все", QKeySequence(Qt::CTRL | Qt::Key_A));
  ACopyGroup = AddAction(edit, "ACopyGroup", "Копировать ", QKeySequence(Qt::CTRL | Qt::Key_C));
  AInSertGroup =
      AddAction(edit, "AInSertGroup", "Вставить группу скопированных регуляторов (перед выбранным ) ", {});
  AAddGroup = AddAction(edit, "AAddGroup", "Добавить группу скопированных регуляторов",
                        QKeySequence(Qt::CTRL | Qt::Key_V));
  AOnLine = AddAction(edit, "AOnLine", "Показать в режиме on line", {});
  AClose = AddAction(file, "AClose", "Выход", QKeySequence(Qt::ALT | Qt::Key_X));
  // The main window's other commands have no meaning here.
  for (const char* text : {"Ввод текст. реквизитов", "Открыть файл конфигурации", "Сохранить как ...",
                           "Создание файла конфигурации", "Архивирование"})
    file->addAction(text)->setEnabled(false);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  PopupMenu1->addAction(AReg);
  PopupMenu1->addAction(ADelChoose);
  PopupMenu1->addAction(ADelete);
  PopupMenu1->addAction(AOnLine);
  PopupMenu3 = new QMenu(this);
  PopupMenu3->setObjectName("PopupMenu3");
  PopupMenu3->addAction(ABReg);
  PopupMenu3->addAction(AChooseAll);

  InformBut = new QPushButton("Входные сигналы", this);
  InformBut->setObjectName("InformBut");
  InformButMR = new QPushButton("Дискретные выходы", this);
  InformButMR->setObjectName("InformButMR");
  Button2 = new QPushButton("Печать", this);
  Button2->setObjectName("Button2");
  LabelFile = new QLabel("Режим работы с файлом", this);
  LabelFile->setObjectName("LabelFile");
  LabelFile->setStyleSheet("color: red");
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setMaximumWidth(160);
  ProgressBar1->hide();
  for (QPushButton* b : {InformBut, InformButMR, Button2}) b->setAutoDefault(false);

  scene = new QGraphicsScene(this);
  ScrollBox1 = new QGraphicsView(scene, this);
  ScrollBox1->setObjectName("ScrollBox1");
  ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // One panel high at least: two would not leave a small screen room for the buttons.
  ScrollBox1->setMinimumSize(LoopPanelItem::kStripWidth + 24, LoopPanelItem::kStripHeight + 4);
  ScrollBox1->viewport()->installEventFilter(this);

  auto* bar = new QHBoxLayout;
  bar->addWidget(InformBut);
  bar->addWidget(InformButMR);
  bar->addWidget(Button2);
  bar->addSpacing(20);
  bar->addWidget(LabelFile);
  bar->addStretch();
  bar->addWidget(ProgressBar1);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->addLayout(bar);
  layout->addWidget(ScrollBox1);

  connect(AInPort, &QAction::triggered, this, &RegulatorEditor::readFromController);
  connect(AOutPort, &QAction::triggered, this, &RegulatorEditor::writeToController);
  connect(ABReg, &QAction::triggered, this, &RegulatorEditor::createLoop);
  connect(AReg, &QAction::triggered, this, &RegulatorEditor::editLoop);
  connect(ADelChoose, &QAction::triggered, this, &RegulatorEditor::deleteSelected);
  connect(ADelete, &QAction::triggered, this, &RegulatorEditor::deleteSelected);
  connect(AChooseAll, &QAction::triggered, this, &RegulatorEditor::selectAll);
  connect(ACopyGroup, &QAction::triggered, this, &RegulatorEditor::copyGroup);
  connect(AInSertGroup, &QAction::triggered, this, &RegulatorEditor::insertGroup);
  connect(AAddGroup, &QAction::triggered, this, &RegulatorEditor::addGroup);
  connect(AOnLine, &QAction::triggered, this, &RegulatorEditor::showOnline);
  connect(AClose, &QAction::triggered, this, &RegulatorEditor::closeEditor);
  connect(InformBut, &QPushButton::clicked, this, &RegulatorEditor::inputsWindowWanted);
  connect(InformButMR, &QPushButton::clicked, this, &RegulatorEditor::outputsWindowWanted);
  connect(Button2, &QPushButton::clicked, this, &RegulatorEditor::print);
  Button2->setEnabled(false);
  resize(LoopPanelItem::kStripWidth + 60, 760);
}

QAction* RegulatorEditor::AddAction(QMenu* menu, const char* name, const QString& text,
                                    const QKeySequence& key) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  if (!key.isEmpty()) action->setShortcut(key);
  menu->addAction(action);
  addAction(action);
  return action;
}

int RegulatorEditor::Open() { return exec(); }

void RegulatorEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Regulators& r = config_.regulators;
  r.Selected.fill(0);
  r.CurReg = r.CurPanel = -1;
  AInSertGroup->setEnabled(false);
  AAddGroup->setEnabled(false);
  closing_ = false;
  const bool fileMode = config_.service.FileMode == 1;
  LabelFile->setVisible(fileMode);
  AInPort->setEnabled(!fileMode);
  AOutPort->setEnabled(!fileMode);
  if (fileMode)
    RebuildPanels();
  else
    readFromController();
}

// --- panels ----------------------------------------------------------------------

void RegulatorEditor::RebuildPanels() {
  scene->clear();
  items_.clear();
  Regulators& r = config_.regulators;
  r.PanelLoop.fill(-1);
  int place = 0;
  for (const LoopPanel& panel : BuildLoopPanels(config_)) {
    auto* item = new LoopPanelItem(panel, place);
    item->SetSelected(r.Selected[static_cast<size_t>(panel.record)] != 0);
    scene->addItem(item);
    items_.push_back(item);
    r.PanelLoop[static_cast<size_t>(place)] = panel.record;
    ++place;
  }
  r.PanelCount = place;
  Button2->setEnabled(!items_.empty());
  scene->setSceneRect(0, 0, LoopPanelItem::kStripWidth, std::max(1, place) * LoopPanelItem::kStripHeight);
}

void RegulatorEditor::clickPanel(int place) {
  Regulators& r = config_.regulators;
  r.Selected.fill(0);
  r.CurReg = r.CurPanel = -1;
  if (place >= 0 && place < static_cast<int>(items_.size())) {
    r.CurPanel = place;
    r.CurReg = items_[static_cast<size_t>(place)]->Panel().record;
    r.Selected[static_cast<size_t>(r.CurReg)] = 1;
  }
  for (LoopPanelItem* item : items_)
    item->SetSelected(r.Selected[static_cast<size_t>(item->Panel().record)] != 0);
}

void RegulatorEditor::FocusLoop(int loop) {
  for (size_t k = 0; k < items_.size(); ++k) {
    if (items_[k]->Panel().record == loop) {
      clickPanel(static_cast<int>(k));
      ScrollBox1->ensureVisible(items_[k]);
      return;
    }
  }
}

int RegulatorEditor::CurrentLoop() const { return config_.regulators.CurReg; }

bool RegulatorEditor::NeedSelection() {
  const auto& s = config_.regulators.Selected;
  if (std::find(s.begin(), s.end(), 1) != s.end()) return true;
  ui_.Show(kCaptionWarning, kNoLoopsSelectedText, Icon::Warning);
  return false;
}

bool RegulatorEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched != ScrollBox1->viewport()) return QDialog::eventFilter(watched, event);
  auto placeAt = [this](QPoint at) {
    const QPointF scenePos = ScrollBox1->mapToScene(at);
    // The strip around a panel is empty space: a click there clears the
    // selection even when the panels fill the view.
    for (size_t k = 0; k < items_.size(); ++k) {
      if (items_[k]->mapRectToScene(items_[k]->PanelRect()).contains(scenePos)) return static_cast<int>(k);
    }
    return -1;
  };
  if (event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) clickPanel(placeAt(mouse->position().toPoint()));
  } else if (event->type() == QEvent::MouseButtonDblClick) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    clickPanel(placeAt(mouse->position().toPoint()));
    if (CurrentLoop() >= 0) editLoop();
    return true;
  } else if (event->type() == QEvent::ContextMenu) {
    auto* menu = static_cast<QContextMenuEvent*>(event);
    const int place = placeAt(menu->pos());
    const bool onSelected = place >= 0 && items_[static_cast<size_t>(place)]->IsSelected();
    (onSelected ? PopupMenu1 : PopupMenu3)->popup(menu->globalPos());
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// --- the controller ------------------------------------------------------------------

void RegulatorEditor::readFromController() {
  if (config_.service.FileMode == 1) return;
  Exchange().Run(
      "Чтение регуляторов", ExchangeKind::ShortRead,
      [this](Interaction& ui) { ReadRegulatorBlocks(port_, config_, ui); }, [this] { RebuildPanels(); },
      ProgressIn::Steps);
}

void RegulatorEditor::writeToController() {
  if (config_.service.FileMode == 1) return;
  Exchange().Run(
      "Запись регуляторов", ExchangeKind::Write,
      [this](Interaction& ui) { WriteRegulatorBlocks(port_, config_, ui); }, [this] { RebuildPanels(); },
      ProgressIn::Steps);
}

BackgroundExchange RegulatorEditor::Exchange() { return BackgroundExchange(worker_, ui_, this); }

void RegulatorEditor::closeEditor() { close(); }

void RegulatorEditor::reject() { close(); }

void RegulatorEditor::closeEvent(QCloseEvent* event) {
  if (std::exchange(closeApproved_, false)) {
    event->accept();
    QDialog::done(2);
    return;
  }
  if (worker_.Busy()) {
    // A read or write still works on the loops: decide once it has ended.
    event->ignore();
    connect(&worker_, &LinkWorker::idle, this, &QWidget::close, Qt::SingleShotConnection);
    return;
  }
  const bool mayWrite = config_.service.FileMode != 1 && RegulatorBlocksChanged(config_);
  if (!mayWrite) {
    // Nothing goes to the controller.
    if (CloseRegulatorEditor(port_, config_, ui_) == EditorClose::Stay) {
      event->ignore();
      return;
    }
    event->accept();
    QDialog::done(2);
    return;
  }
  // The window stays while the loops are written and closes when that allows it.
  event->ignore();
  Exchange().RunFor(
      "Запись регуляторов", ExchangeKind::Write,
      [this](Interaction& ui) { return CloseRegulatorEditor(port_, config_, ui); },
      [this](EditorClose verdict) {
        if (verdict == EditorClose::Stay) return;
        closeApproved_ = true;
        close();
      },
      ProgressIn::Steps);
}

// --- loops ---------------------------------------------------------------------------

void RegulatorEditor::createLoop() {
  Regulators& r = config_.regulators;
  // The first free record: in a file with a gap that is not "loops in use + 1",
  // and that one would be a loop in use.
  const int loop = FirstFreeLoop(r);
  if (loop < 0) {
    ui_.Show(kCaptionWarning, kAllLoopsCreatedText, Icon::Warning);
    return;
  }
  const int saved = r.SavedRegModified = r.RegModified;
  r.ClearLoops(loop, 1);
  loopDialog_->PrepareCreation(loop + 1, static_cast<int>(items_.size()) + 1);
  r.RegModified = saved;
  if (loopDialog_->Run()) {
    StoreLoopForm(config_, loopDialog_->Form());
    r.RegModified = 1;
    if (config_.service.FileMode == 1) config_.service.FileChanged = 1;
  }
  RebuildPanels();
  FocusLoop(loop);
}

void RegulatorEditor::editLoop() {
  Regulators& r = config_.regulators;
  const int loop = CurrentLoop();
  if (loop < 0) {
    ui_.Show(kCaptionWarning, kNoLoopsSelectedText, Icon::Warning);
    return;
  }
  const int saved = r.SavedRegModified = r.RegModified;
  loopDialog_->PrepareProgramming(loop, r.CurPanel + 1);
  r.RegModified = saved;
  if (loopDialog_->Run()) {
    StoreLoopForm(config_, loopDialog_->Form());
    if (config_.service.FileMode == 1 && r.RegModified == 1) config_.service.FileChanged = 1;
  }
  RebuildPanels();
  FocusLoop(loop);
}

void RegulatorEditor::deleteSelected() {
  if (!NeedSelection()) return;
  DeleteSelectedLoops(config_.regulators);
  config_.regulators.CurReg = config_.regulators.CurPanel = -1;
  RebuildPanels();
}

void RegulatorEditor::selectAll() {
  Regulators& r = config_.regulators;
  for (LoopPanelItem* item : items_) {
    r.Selected[static_cast<size_t>(item->Panel().record)] = 1;
    item->SetSelected(true);
  }
}

void RegulatorEditor::copyGroup() {
  if (!NeedSelection()) return;
  Regulators& r = config_.regulators;
  config_.copyBlocks.RegulatorRecords[0] = r.Loops;
  config_.copyBlocks.RegulatorRecords[1] = r.Programs;
  copied_ = r.Selected;
  AInSertGroup->setEnabled(true);
  AAddGroup->setEnabled(true);
}

void RegulatorEditor::insertGroup() {
  const int count = CopiedLoopCount(config_.copyBlocks.RegulatorRecords[0], copied_);
  if (count > Regulators::RecordCount - LoopsInUse(config_.regulators)) {
    ui_.Show(kCaptionWarning, kNoRoomText, Icon::Warning);
    return;
  }
  // Loops keep their order in the controller's table, so a group goes after
  // the loops in use whichever panel is selected.
  addGroup();
}

void RegulatorEditor::addGroup() {
  const PasteResult result = AddCopiedLoops(config_.regulators, config_.copyBlocks.RegulatorRecords[0],
                                            config_.copyBlocks.RegulatorRecords[1], copied_);
  if (result == PasteResult::NoRoom) ui_.Show(kCaptionWarning, kNoRoomText, Icon::Warning);
  if (result == PasteResult::DacUsed) ui_.Show(kCaptionWarning, kDacUsedText, Icon::Warning);
  if (result == PasteResult::Pasted && config_.service.FileMode == 1) config_.service.FileChanged = 1;
  RebuildPanels();
}

void RegulatorEditor::showOnline() {
  if (!NeedSelection() || CurrentLoop() < 0) return;
  const int loop = CurrentLoop();
  if (onlineView_->Open(loop) == 6)
    ui_.Show(kCaptionError, "программирование закончено с ошибкой", Icon::Error);
}

// --- printing ------------------------------------------------------------------------

int RegulatorEditor::PageCount() const {
  return (static_cast<int>(items_.size()) + kLoopsPerPage - 1) / kLoopsPerPage;
}

void RegulatorEditor::PrintPages(QPagedPaintDevice& device) {
  const int pages = PageCount();
  if (pages == 0) return;
  QPainter p(&device);
  for (int n = 0; n < pages; ++n) {
    if (n > 0) device.newPage();
    PaintPage(p, p.viewport(), n);
  }
}

void RegulatorEditor::PaintPage(QPainter& p, const QRectF& page, int n) {
  QFont text = font();
  text.setPointSize(9);
  p.setFont(text);
  p.setPen(Qt::black);
  const double line = QFontMetricsF(text, p.device()).height();
  const QString mainCaption = MainCaption ? MainCaption() : QString();
  QStringList head;
  if (n == 0) {
    head << mainCaption << windowTitle();
    if (config_.service.FileMode == 1) head << LabelFile->text();
  } else {
    head << mainCaption + "   страница " + QString::number(n + 1);
  }
  double y = page.top();
  for (const QString& h : head) {
    p.drawText(QPointF(page.left(), y + line), h);
    y += line;
  }
  y += line / 2;
  // One scale for every panel, so the texts of all loops print alike.
  constexpr int kColumns = 2;
  constexpr double kGap = 10;
  const double cellWidth = LoopPanelItem::kStripWidth + kGap;
  const double cellHeight = LoopPanelItem::kStripHeight + kGap;
  const double scale = std::min(page.width() / (kColumns * cellWidth),
                                (page.bottom() - y) / (kLoopsPerPage / kColumns * cellHeight));
  // Printed as drawn, unselected.
  for (LoopPanelItem* item : items_) item->SetSelected(false);
  const int first = n * kLoopsPerPage;
  const int last = std::min(first + kLoopsPerPage, static_cast<int>(items_.size()));
  for (int k = first; k < last; ++k) {
    const LoopPanelItem* item = items_[static_cast<size_t>(k)];
    const QRectF source = item->mapRectToScene(item->PanelRect()).adjusted(-1, -1, 1, 1);
    const int cell = k - first;
    const QPointF at(page.left() + (cell % kColumns) * cellWidth * scale,
                     y + (cell / kColumns) * cellHeight * scale);
    scene->render(&p, QRectF(at, source.size() * scale), source, Qt::KeepAspectRatio);
  }
  const Regulators& r = config_.regulators;
  for (LoopPanelItem* item : items_)
    item->SetSelected(r.Selected[static_cast<size_t>(item->Panel().record)] != 0);
}

bool RegulatorEditor::PrintToPdf(const QString& path) {
  if (items_.empty()) return false;
  return PrintPdf(path, windowTitle(), QPageLayout::Landscape,
                  [this](QPagedPaintDevice& d) { PrintPages(d); });
}

void RegulatorEditor::print() {
  if (items_.empty()) return;
  PreviewPrint(this, QPageLayout::Landscape, [this](QPagedPaintDevice& d) { PrintPages(d); });
}

}  // namespace zul
