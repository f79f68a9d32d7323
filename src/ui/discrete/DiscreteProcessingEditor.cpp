#include "ui/discrete/DiscreteProcessingEditor.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include "core/config/Configuration.h"
#include "core/config/InputInfo.h"
#include "core/link/ModbusLink.h"
#include "ui/discrete/InputIdentifierDialog.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/SchemePrinting.h"

namespace zul {

namespace {

using Element = DiscreteRowGeometry::Element;

const char* kNoSignal = "Не выбран № входа";
const char* kNoSignalOrFb = "Не выбран № входа или № ФБ";
const char* kNoRow = "Вход с таким номером не создан";
const char* kUnavailable = "Недоступная функция";
const char* kNoInputs = "Не создано ни одного входа";
const char* kNoSelection = "Нет выделенных входов";

}  // namespace

// Messages go to the program's boxes; the progress to the editor's own bar.
class DiscreteProcessingEditor::ProgressInteraction : public Interaction {
 public:
  ProgressInteraction(Interaction& base, QProgressBar* bar) : base_(base), bar_(bar) {}
  Answer Ask(const Message& m) override { return base_.Ask(m); }
  void Beep() override { base_.Beep(); }
  void Progress(int value, int maximum) override {
    bar_->setVisible(maximum > 0);
    if (maximum > 0) {
      bar_->setRange(0, maximum);
      bar_->setValue(std::clamp(value, 0, maximum));
      bar_->repaint();
    }
    base_.Progress(value, maximum);
  }

 private:
  Interaction& base_;
  QProgressBar* bar_;
};

// --- DiscreteSchemeView ----------------------------------------------------------------------

DiscreteSchemeView::DiscreteSchemeView(QGraphicsScene* scene, QWidget* parent)
    : QGraphicsView(scene, parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setDragMode(QGraphicsView::NoDrag);
  setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
}

std::pair<int, DiscreteSchemeView::Element> DiscreteSchemeView::HitTest(QPoint viewportPos) const {
  const QPointF p = mapToScene(viewportPos);
  const int row = static_cast<int>(p.y() / DiscreteRowGeometry::kRowHeight);
  if (p.y() < 0 || row >= rowCount) return {-1, Element::None};
  const Element e = DiscreteRowGeometry::ElementAt(row, p);
  return {e == Element::None ? -1 : row, e};
}

void DiscreteSchemeView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && Clicked) {
    const auto [row, element] = HitTest(event->position().toPoint());
    Clicked(row, element, event->modifiers());
  }
  QGraphicsView::mousePressEvent(event);
}

void DiscreteSchemeView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && DoubleClicked) {
    const auto [row, element] = HitTest(event->position().toPoint());
    if (row >= 0) DoubleClicked(row, element);
  }
}

void DiscreteSchemeView::contextMenuEvent(QContextMenuEvent* event) {
  if (ContextMenu) ContextMenu(HitTest(event->pos()).first, event->globalPos());
}

bool DiscreteSchemeView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip && Hint) {
    auto* help = static_cast<QHelpEvent*>(event);
    const auto [row, element] = HitTest(help->pos());
    const QString hint = row >= 0 ? Hint(row, element) : QString();
    if (hint.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), hint, viewport());
    return true;
  }
  return QGraphicsView::viewportEvent(event);
}

void DiscreteSchemeView::scrollContentsBy(int dx, int dy) {
  QGraphicsView::scrollContentsBy(dx, dy);
  if (Scrolled) Scrolled();
}

// --- DiscreteProcessingEditor ----------------------------------------------------------------------

DiscreteProcessingEditor::DiscreteProcessingEditor(Configuration& config, ModbusLink& port,
                                                   LinkWorker& worker, Interaction& ui,
                                                   const SignalDialogSet& dialogs, QWidget* parent)
    : QDialog(parent), c_(config), port_(port), worker_(worker), baseUi_(ui), dialogs_(dialogs) {
  setObjectName("FormPrgD");
  setWindowTitle("Программирование обработки дискретных входов");
  setModal(true);
  resize(1000, 640);
  undo_ = std::make_unique<SnapshotUndo<DiscreteSnapshot>>([this] { return CaptureDiscrete(c_); },
                                                           [this](const DiscreteSnapshot& s) {
                                                             RestoreDiscrete(c_, s);
                                                             Redraw();
                                                           });
  identifierDialog = new InputIdentifierDialog(c_, this);
  BuildActions();
  BuildLayout();
  ui_ = std::make_unique<ProgressInteraction>(baseUi_, ProgressBar1);
  PrintScheme = [this] {
    PreviewPrint(
        this, QPageLayout::Portrait, [this](QPagedPaintDevice& d) { PaintPrintout(d); }, 2);
  };
}

DiscreteProcessingEditor::~DiscreteProcessingEditor() = default;

void DiscreteProcessingEditor::BuildActions() {
  struct Row {
    QAction** action;
    const char* name;
    const char* text;
    QKeySequence keys;
    void (DiscreteProcessingEditor::*handler)();
  };
  const Row rows[] = {
      {&AInPort, "AInPort", "Ввод с СОМ-порта", Qt::Key_F9, &DiscreteProcessingEditor::InPortClick},
      {&AOutPort, "AOutPort", "Вывод на СОМ-порт", Qt::Key_F10, &DiscreteProcessingEditor::OutPortClick},
      {&AOpenFile, "AOpenFile", "Открыть файл конфигурации", Qt::Key_F3,
       &DiscreteProcessingEditor::OpenFileClick},
      {&ASaveFile, "ASaveFile", "Сохранить как ...", Qt::Key_F2, nullptr},
      {&ACreatFile, "ACreatFile", "Создание файла конфигурации", Qt::Key_F4, nullptr},
      {&AParol, "AParol", "Замена пароля", Qt::Key_F8, nullptr},
      {&AVhod, "AVhod", "Создать обработчик входа", {}, &DiscreteProcessingEditor::CreatVhButClick},
      {&ABSign, "ABSign", "Добавить блок сигнализации", {}, &DiscreteProcessingEditor::CreatSignButClick},
      {&ABZader, "ABZader", "Добавить блок задержки", {}, &DiscreteProcessingEditor::CreatZaderButClick},
      {&ABVyh, "ABVyh", "Добавить  выход на реле", {}, &DiscreteProcessingEditor::CreatVyhButClick},
      {&ASign, "ASign", "Редактировать сигнализацию", {}, &DiscreteProcessingEditor::PMenu1SignClick},
      {&AZader, "AZader", "Редактировать задержку", {}, &DiscreteProcessingEditor::PMenu1ZaderClick},
      {&ABlVyh, "ABlVyh", "Редактировать выход на реле", {}, &DiscreteProcessingEditor::PMenu1VyhClick},
      {&AId, "AId", "Редактировать идентификатор входа", {}, &DiscreteProcessingEditor::PMenu1IdClick},
      {&AText, "AText", "Ввод текст. реквизитов", {}, &DiscreteProcessingEditor::PMenu2TextClick},
      {&AArhiv, "AArhiv", "Архивирование", {}, &DiscreteProcessingEditor::PMenu2ArhivClick},
      {&AInfAnalog, "AInfAnalog", "Информация о входе", {}, &DiscreteProcessingEditor::PMenu2InfClick},
      {&AInfVyh, "AInfVyh", "Информация о дискретном выходе", {}, &DiscreteProcessingEditor::InfVyhClick},
      {&ADelete, "ADelete", "Удаление входа", {}, &DiscreteProcessingEditor::PMenu2DelClick},
      {&ADelSign, "ADelSign", "Удалить сигнализацию", {}, &DiscreteProcessingEditor::DelSignClick},
      {&ADelZader, "ADelZader", "Удалить задержку", {}, &DiscreteProcessingEditor::DelZaderClick},
      {&ADelVyh, "ADelVyh", "Удалить выход на реле", {}, &DiscreteProcessingEditor::DelVyhClick},
      {&ACopy, "ACopy", "Копировать", QKeySequence("Ctrl+C"), &DiscreteProcessingEditor::PMenu2CopClick},
      {&AChange, "AChange", "Заменить паспорт входа", {}, &DiscreteProcessingEditor::PMenu2ChangeClick},
      {&AInsertPaspGroup, "AInsertPaspGroup", "Вставить", QKeySequence("Ctrl+V"),
       &DiscreteProcessingEditor::InsertPaspGroupClick},
      {&AInsertPaspGroupFrom, "AInsertPaspGroupFrom", "Вставить/заменить,  начиная c... ",
       QKeySequence("Ctrl+Alt+V"), &DiscreteProcessingEditor::InsertPaspGroupFromClick},
      {&ADelChoose, "ADelChoose", "Удалить", Qt::Key_Delete, &DiscreteProcessingEditor::DelChooseClick},
      {&ACut, "ACut", "Вырезать", QKeySequence("Ctrl+X"), &DiscreteProcessingEditor::CutClick},
      {&AChooseAll, "AChooseAll", "Выделить все", QKeySequence("Ctrl+A"),
       &DiscreteProcessingEditor::ChooseAllClick},
      {&ANomerVh, "ANomerVh", "Поиск обработчика входа по номеру в базе", QKeySequence("Ctrl+F"),
       &DiscreteProcessingEditor::PMenu3NVhClick},
      {&AFB, "AFB", "Функц. блоки", {}, &DiscreteProcessingEditor::PMenu1FBClick},
      {&APort, "APort", "Настройка СОМ порта", {}, &DiscreteProcessingEditor::PortClick},
      {&AClose, "AClose", "Выход", QKeySequence("Alt+X"), &DiscreteProcessingEditor::NCloseClick},
  };
  for (const Row& r : rows) {
    auto* a = new QAction(r.text, this);
    a->setObjectName(r.name);
    if (!r.keys.isEmpty()) a->setShortcut(r.keys);
    a->setShortcutContext(Qt::WindowShortcut);
    if (r.handler) connect(a, &QAction::triggered, this, r.handler);
    addAction(a);
    *r.action = a;
  }
  AUndo = undo_->Stack().createUndoAction(this, "Отменить");
  AUndo->setObjectName("AUndo");
  AUndo->setShortcut(QKeySequence::Undo);
  AUndo->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
  AUndo->setIconText("Отменить");
  ARedo = undo_->Stack().createRedoAction(this, "Повторить");
  ARedo->setObjectName("ARedo");
  ARedo->setShortcut(QKeySequence("Ctrl+Y"));
  ARedo->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
  ARedo->setIconText("Повторить");
  addAction(AUndo);
  addAction(ARedo);
}

void DiscreteProcessingEditor::BuildLayout() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* file = MainMenu1->addMenu("Файл");
  file->setObjectName("MenuFile");
  file->addActions({AOpenFile, ASaveFile, ACreatFile});
  file->addSeparator();
  file->addAction(AClose);
  QMenu* port = MainMenu1->addMenu("Порт");
  port->setObjectName("MenuPort");
  port->addActions({AInPort, AOutPort, APort});
  QMenu* edit = MainMenu1->addMenu("Правка");
  edit->setObjectName("MenuEdit");
  edit->addActions({AUndo, ARedo});
  edit->addSeparator();
  edit->addActions(
      {ACut, ACopy, AInsertPaspGroup, AInsertPaspGroupFrom, AChange, ADelChoose, AChooseAll, ANomerVh});
  QMenu* scheme = MainMenu1->addMenu("Схема");
  scheme->setObjectName("MenuScheme");
  scheme->addActions({AVhod, AId, ADelete});
  scheme->addSeparator();
  scheme->addActions({ABSign, ASign, ADelSign, ABZader, AZader, ADelZader, ABVyh, ABlVyh, ADelVyh});
  scheme->addSeparator();
  scheme->addActions({AText, AArhiv, AInfAnalog, AFB});
  QMenu* parol = MainMenu1->addMenu("Пароль");
  parol->setObjectName("MenuParol");
  parol->addAction(AParol);

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  ToolBar1->addActions({AInPort, AOutPort, AOpenFile});
  ToolBar1->addSeparator();
  ToolBar1->addActions({AUndo, ARedo});
  ToolBar1->addSeparator();
  ToolBar1->addActions({AVhod, ABSign, ABZader, ABVyh, AFB});

  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  PopupMenu2->addActions({ACut, ACopy, AChange, ADelChoose});
  PopupMenu2->addSeparator();
  PopupMenu2->addActions({ABSign, ASign, ADelSign, ABZader, AZader, ADelZader, ABVyh, ABlVyh, ADelVyh});
  PopupMenu2->addSeparator();
  PopupMenu2->addActions({AId, AText, AArhiv, AInfAnalog, ADelete});
  PopupMenu3 = new QMenu(this);
  PopupMenu3->setObjectName("PopupMenu3");
  PopupMenu3->addActions({AVhod, AInsertPaspGroup, AInsertPaspGroupFrom, ANomerVh, AChooseAll});
  for (QMenu* m : {PopupMenu2, PopupMenu3})
    connect(m, &QMenu::aboutToShow, this, [this] { UpdateActions(); });

  LabelModif = new QLabel(" Исполнение", this);
  EditModif = new QLineEdit(this);
  EditModif->setObjectName("EditModif");
  EditModif->setReadOnly(true);
  EditModif->setFocusPolicy(Qt::NoFocus);
  EditModif->setMaximumWidth(160);
  TipModInd = new QLabel(this);
  TipModInd->setObjectName("TipModInd");
  LabelFile = new QLabel("Режим работы с файлом", this);
  LabelFile->setObjectName("LabelFile");
  LabelFile->setStyleSheet("color: red; font-weight: bold");
  LabelFile->hide();
  InformButMR = new QPushButton("Дискретные выходы", this);
  InformButMR->setObjectName("InformButMR");
  InformButMR->setAutoDefault(false);
  connect(InformButMR, &QPushButton::clicked, this, [this] {
    if (ShowRelayOutputs) ShowRelayOutputs();
  });
  Button1 = new QPushButton("Печать", this);
  Button1->setObjectName("Button1");
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &DiscreteProcessingEditor::Button1Click);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->hide();

  scene = new DiscreteSchemeScene(c_, this);
  ScrollBox1 = new DiscreteSchemeView(scene, this);
  ScrollBox1->setObjectName("ScrollBox1");
  ScrollBox1->Clicked = [this](int row, Element e, Qt::KeyboardModifiers m) { RowClicked(row, e, m); };
  ScrollBox1->DoubleClicked = [this](int row, Element e) { RowDoubleClicked(row, e); };
  ScrollBox1->ContextMenu = [this](int row, QPoint global) { ShowPopup(row, global); };
  ScrollBox1->Scrolled = [this] { EndTextEdit(true); };
  ScrollBox1->Hint = [this](int row, Element e) { return HintAt(row, e); };

  EditTextInPlace = new QLineEdit(ScrollBox1->viewport());
  EditTextInPlace->setObjectName("EditTextInPlace");
  EditTextInPlace->setMaxLength(ServiceBlock::kTextWidth);
  EditTextInPlace->hide();
  ScrollBox1->setFocus();
  EditTextInPlace->installEventFilter(this);

  auto* top = new QHBoxLayout;
  top->addWidget(LabelModif);
  top->addWidget(EditModif);
  top->addWidget(TipModInd);
  top->addSpacing(20);
  top->addWidget(LabelFile);
  top->addStretch();
  top->addWidget(InformButMR);
  top->addWidget(Button1);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(4, 0, 4, 4);
  v->setMenuBar(MainMenu1);
  v->addWidget(ToolBar1);
  v->addLayout(top);
  v->addWidget(ScrollBox1, 1);
  v->addWidget(ProgressBar1);
}

// --- opening, reading, writing, closing -----------------------------------------------------

int DiscreteProcessingEditor::Open() {
  // The editor's read shows its progress over the editor, so it starts once the editor is up.
  QTimer::singleShot(0, this, &DiscreteProcessingEditor::Prepare);
  return exec();
}

void DiscreteProcessingEditor::Prepare() {
  failed_ = false;
  EndTextEdit(false);
  ClearSelection(c_.discreteProcessing);
  undo_->Clear();
  AFB->setEnabled(static_cast<bool>(OpenFunctionBlocks));
  const bool file = c_.service.FileMode != 0;
  LabelFile->setVisible(file);
  // Before the read is posted: from then on the worker fills the records,
  // and the scheme's rebuild after it updates the actions again.
  UpdateActions();
  if (file)
    OpenFileClick();
  else
    InPortClick();
  c_.discreteProcessing.EditorShown = 1;
  ScrollBox1->verticalScrollBar()->setValue(0);
  ScrollBox1->setFocus();
}

void DiscreteProcessingEditor::showEvent(QShowEvent* event) { QDialog::showEvent(event); }

void DiscreteProcessingEditor::InPortClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (c_.service.FileMode) {
    OpenFileClick();
    return;
  }
  if (z.EditorShown && !z.RebuildOnly && !z.RebuildAfterDelete) {
    Exchange().RunFor(
        "Чтение обработки дискретных входов", ExchangeKind::Read,
        [this](Interaction& ui) { return ReadEditorBlocks(port_, c_, ui); },
        [this](const EditorReadResult& r) {
          if (!r.ok) {
            failed_ = failed_ || !r.stopped;  // a stop is the user's choice, not a fault
            return;
          }
          undo_->Clear();
          RebuildAfterRead();
        },
        ProgressIn::Steps);
    return;
  }
  RebuildAfterRead();
}

void DiscreteProcessingEditor::RebuildAfterRead() {
  DiscreteProcessing& z = c_.discreteProcessing;
  z.RebuildOnly = 0;
  z.RebuildAfterDelete = 0;
  BuildScheme();
}

void DiscreteProcessingEditor::OpenFileClick() {
  undo_->Clear();
  BuildScheme();
  ScrollBox1->verticalScrollBar()->setValue(0);
}

void DiscreteProcessingEditor::BuildScheme() {
  zul::BuildScheme(c_);
  QString modif;
  for (int t : c_.service.ModuleType) modif += QString::number(t & 0x0F, 16).toUpper();
  EditModif->setText(modif);
  TipModInd->setText(Q(ServiceBlock::IndicationName(c_.service.Identity[ServiceBlock::kIdIndicationType])));
  setWindowTitle(Caption());
  Redraw();
}

QString DiscreteProcessingEditor::Caption() const {
  return QString("Программирование обработки дискретных входов ЗУЛ-05 устройство %1")
      .arg(c_.service.CurrentDevice + 1);
}

void DiscreteProcessingEditor::OutPortClick() {
  EndTextEdit(true);
  if (c_.service.FileMode) return Inform("Программа работает с файлом: в прибор ничего не передано");
  Exchange().RunFor(
      "Запись обработки дискретных входов", ExchangeKind::Write,
      [this](Interaction& ui) { return WriteProcessingRecords(port_, c_, ui); },
      [this](const EditorWriteResult& r) {
        if (r.outcome == EditorWriteOutcome::Written) setWindowTitle(Caption());
        if (r.outcome == EditorWriteOutcome::Failed) failed_ = true;
        if (r.outcome == EditorWriteOutcome::CloseEditor) done(failed_ ? kEditorFailed : kEditorClosed);
      },
      ProgressIn::Steps);
}

bool DiscreteProcessingEditor::CanClose() {
  EndTextEdit(true);
  DiscreteProcessing& z = c_.discreteProcessing;
  z.ClipState = -1;
  if (!z.Modified) return true;
  if (c_.service.FileMode) {
    c_.service.FileChanged = 1;
    return true;
  }
  const Answer a = ui_->Ask(
      Message{kConfirmTransferCaption, kChangedQuestion, Icon::Question, Buttons::YesNoCancel, Answer::No});
  if (a == Answer::Cancel) return false;
  if (a == Answer::Yes) {
    // The editor stays open while its records are written and closes after.
    Exchange().RunFor(
        "Запись обработки дискретных входов", ExchangeKind::Write,
        [this](Interaction& ui) { return WriteProcessingRecords(port_, c_, ui); },
        [this](const EditorWriteResult& r) {
          if (r.outcome == EditorWriteOutcome::Failed) failed_ = true;
          FinishClosing();
        },
        ProgressIn::Steps);
    return false;
  }
  z.Modified = 0;
  for (int i = 0; i < DiscreteProcessing::kSignals; ++i) {
    ProcessingRecord r{};
    const auto& kept = c_.reserveBlocks.ProcessingRecords[static_cast<size_t>(i)];
    std::copy(kept.begin(), kept.end(), r.begin());
    z.SetRecord(i, r);
  }
  return true;
}

void DiscreteProcessingEditor::NCloseClick() { reject(); }

BackgroundExchange DiscreteProcessingEditor::Exchange() { return BackgroundExchange(worker_, *ui_, this); }

void DiscreteProcessingEditor::reject() {
  if (CanClose()) FinishClosing();
}

void DiscreteProcessingEditor::FinishClosing() {
  undo_->Clear();
  QDialog::done(failed_ ? kEditorFailed : kEditorClosed);
}

void DiscreteProcessingEditor::closeEvent(QCloseEvent* event) {
  event->ignore();
  reject();
}

// --- drawing ----------------------------------------------------------------------------------------

void DiscreteProcessingEditor::Redraw() {
  scene->Sync();
  ScrollBox1->rowCount = c_.discreteProcessing.RowCount;
  UpdateActions();
}

void DiscreteProcessingEditor::ScrollToRow(int row) {
  if (row >= 0) ScrollBox1->ensureVisible(DiscreteRowGeometry::Strip(row), 0, 10);
}

void DiscreteProcessingEditor::UpdateActions() {
  const DiscreteProcessing& z = c_.discreteProcessing;
  const bool several = z.SelectedCount > 1;
  for (QAction* a : {ABSign, ABZader, ABVyh, ASign, AZader, ABlVyh, ADelSign, ADelZader, ADelVyh})
    a->setEnabled(!several);
  AChange->setEnabled(!several && z.ClipState == 0);
  AInfAnalog->setEnabled(z.CurSignal >= ServiceBlock::kInputsPerDiModule * c_.service.DiModules);
  AInsertPaspGroup->setEnabled(pasteEnabled_);
  AInsertPaspGroupFrom->setEnabled(pasteEnabled_);
}

// --- mouse -----------------------------------------------------------------------------------------------

void DiscreteProcessingEditor::RowClicked(int row, Element element, Qt::KeyboardModifiers modifiers) {
  EndTextEdit(true);
  DiscreteProcessing& z = c_.discreteProcessing;
  if (row < 0) {
    ClearSelection(z);
    z.CurRow = z.CurSignal = -1;
  } else if (modifiers & Qt::ControlModifier) {
    ToggleSelected(z, row);
  } else {
    SelectOnly(z, row);
    const int signal = z.CurSignal;
    if (element == Element::Contact)
      Edit("Тип контакта", [&] {
        z.SetContact(signal, z.GetContact(signal) ? 0 : DiscreteProcessing::kContactNormallyOpen);
        z.Modified = 1;
      });
    if (element == Element::Archive)
      Edit("Архивирование", [&] {
        z.SetArchive(signal, z.GetArchive(signal) ? 0 : 0x80);
        z.Modified = 1;
      });
  }
  Redraw();
}

void DiscreteProcessingEditor::RowDoubleClicked(int row, Element element) {
  SelectOnly(c_.discreteProcessing, row);
  Redraw();
  switch (element) {
    case Element::Text:
      BeginTextEdit(row);
      break;
    case Element::Input:
      PMenu1IdClick();
      break;
    case Element::Alarm:
      PMenu1SignClick();
      break;
    case Element::Delay:
      PMenu1ZaderClick();
      break;
    case Element::Relays:
      PMenu1VyhClick();
      break;
    default:
      break;
  }
}

void DiscreteProcessingEditor::ShowPopup(int row, QPoint global) {
  if (EditTextInPlace->isVisible()) return;
  DiscreteProcessing& z = c_.discreteProcessing;
  if (row >= 0) {
    // A right click selects first, unless it hits the selection.
    if (!z.RowSelected[static_cast<size_t>(row)]) SelectOnly(z, row);
    Redraw();
    PopupMenu2->popup(global);
  } else {
    PopupMenu3->popup(global);
  }
}

QString DiscreteProcessingEditor::HintAt(int row, Element element) const {
  const DiscreteProcessing& z = c_.discreteProcessing;
  if (!IsRowValid(z, row)) return {};
  if (element == Element::Archive) return "Архивирование";
  if (element != Element::Input) return {};
  const int s = z.RowSignal[static_cast<size_t>(row)];
  return QString("номер входа  на схеме %1\nномер сигнала в базе %2 (адрес 0x%3)\n%4")
      .arg(row + 1)
      .arg(s + 1)
      .arg(QString("%1").arg(s, 2, 16, QChar('0')).toUpper())
      .arg(Q(c_.service.GetText(s)));
}

void DiscreteProcessingEditor::BeginTextEdit(int row) {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!IsRowValid(z, row)) return;
  textRow_ = row;
  const QRect r = ScrollBox1->mapFromScene(DiscreteRowGeometry::Text(row)).boundingRect();
  EditTextInPlace->setGeometry(r.adjusted(0, -2, 0, 2));
  EditTextInPlace->setText(Q(c_.service.GetText(z.RowSignal[static_cast<size_t>(row)])));
  for (QAction* a : {ADelChoose, ACopy, AInsertPaspGroup, AChooseAll, ACut}) a->setEnabled(false);
  EditTextInPlace->show();
  EditTextInPlace->setFocus();
  EditTextInPlace->selectAll();
}

void DiscreteProcessingEditor::EndTextEdit(bool keep) {
  if (!EditTextInPlace->isVisible()) return;
  EditTextInPlace->hide();
  for (QAction* a : {ADelChoose, ACopy, AChooseAll, ACut}) a->setEnabled(true);
  UpdateActions();
  const int row = textRow_;
  textRow_ = -1;
  const DiscreteProcessing& z = c_.discreteProcessing;
  if (!keep || !IsRowValid(z, row)) return;
  const int signal = z.RowSignal[static_cast<size_t>(row)];
  if (EditTextInPlace->text() == Q(c_.service.GetText(signal))) return;
  c_.service.TextChanged = 1;
  StoreText(signal, EditTextInPlace->text());
}

bool DiscreteProcessingEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditTextInPlace) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        EndTextEdit(true);
        return true;
      }
      if (key == Qt::Key_Escape) {
        EndTextEdit(false);
        return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      EndTextEdit(true);
    }
  }
  return QDialog::eventFilter(watched, event);
}

// --- checks -------------------------------------------------------------------------------------------

void DiscreteProcessingEditor::Warn(const char* text) { ui_->Show(kCaptionWarning, text, Icon::Warning); }

void DiscreteProcessingEditor::Inform(const char* text) { ui_->Show(kProgramTitle, text, Icon::Information); }

bool DiscreteProcessingEditor::NeedSignal(const char* text) {
  if (c_.discreteProcessing.CurSignal >= 0) return true;
  Warn(text);
  return false;
}

bool DiscreteProcessingEditor::NeedRow() {
  if (RowOfSignal(c_.discreteProcessing, c_.discreteProcessing.CurSignal) >= 0) return true;
  Warn(kNoRow);
  return false;
}

bool DiscreteProcessingEditor::NeedRows() {
  if (c_.discreteProcessing.RowCount > 0) return true;
  Warn(kNoInputs);
  return false;
}

bool DiscreteProcessingEditor::NeedSelection() {
  if (c_.discreteProcessing.SelectedCount > 0) return true;
  Warn(kNoSelection);
  return false;
}

void DiscreteProcessingEditor::Edit(const QString& text, const std::function<void()>& change) {
  undo_->Record(text, change);
  Redraw();
  ScrollBox1->setFocus();
}

// --- handlers and their blocks -----------------------------------------------------------------------

void DiscreteProcessingEditor::CreatVhButClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  z.Modified = 1;
  if (z.RowCount >= SchemeSignalLimit(c_.service)) {
    Warn("Все собственные входы созданы");
    return;
  }
  identifierDialog->PrepareCreate(z.RowCount + 1);
  identifierDialog->exec();
  if (identifierDialog->Cancelled()) {
    c_.service.TextChanged = 0;
    return;
  }
  const int signal = identifierDialog->ChosenSignal();
  if (signal < 0) {
    z.CurRow = z.CurSignal = -1;
    return;
  }
  const int row = identifierDialog->RowNumber() - 1;
  const QString text = identifierDialog->Text();
  CreateOutcome outcome = CreateOutcome::BadSignal;
  Edit("Создать обработчик входа", [&] {
    outcome = CreateHandler(c_, signal, identifierDialog->NormallyOpen(), identifierDialog->Archived(), row);
    if (outcome != CreateOutcome::Created) return;
    if (c_.service.TextChanged)
      SetSignalText(signal, text);
    else
      GiveNewHandlerText(c_.service, signal);
  });
  if (outcome == CreateOutcome::RowTaken || outcome == CreateOutcome::AlreadyShown) {
    // The existing row keeps its contact, archiving and text.
    c_.service.TextChanged = 0;
    const int taken = outcome == CreateOutcome::RowTaken ? row : RowOfSignal(z, signal);
    ui_->Show(kProgramTitle, kRowTakenText + std::to_string(taken + 1), Icon::None);
    return;
  }
  WriteTextNow(signal);
  ScrollToRow(RowOfSignal(z, signal));
}

void DiscreteProcessingEditor::PMenu1IdClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!NeedSignal(kNoSignalOrFb)) return;
  const int row = z.CurRow >= 0 ? z.CurRow : RowOfSignal(z, z.CurSignal);
  if (row < 0) return;
  CopySelected(c_);
  z.EditIdMode = 1;
  identifierDialog->PrepareEdit(row + 1, z.CurSignal);
  identifierDialog->exec();
  z.EditIdMode = 0;
  if (identifierDialog->Cancelled()) {
    c_.service.TextChanged = 0;
    return;
  }
  const int signal = identifierDialog->ChosenSignal();
  if (signal < 0) {
    z.CurRow = z.CurSignal = -1;
    Redraw();
    return;
  }
  const QString text = identifierDialog->Text();
  const bool textChanged = c_.service.TextChanged;
  int shown = -1;
  Edit("Редактировать идентификатор входа", [&] {
    shown = ChangeIdentifier(c_, row, signal, identifierDialog->NormallyOpen(), identifierDialog->Archived());
    if (textChanged) SetSignalText(signal, text);
  });
  WriteTextNow(signal);
  pasteEnabled_ = false;
  UpdateActions();
  ScrollToRow(shown);
}

void DiscreteProcessingEditor::PMenu2DelClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  const int row = RowOfSignal(z, z.CurSignal);
  Edit("Удаление входа", [&] { DeleteHandler(c_, row); });
}

void DiscreteProcessingEditor::CreatSignButClick() {
  if (LightPanelCells(c_.service) == 0) return Warn(kUnavailable);
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  if (HasAlarm(c_.discreteProcessing.Record(c_.discreteProcessing.CurSignal)))
    return Inform("Для этого входа блок сигнализации уже создан");
  c_.discreteProcessing.Modified = 1;
  EditAlarm();
}

void DiscreteProcessingEditor::CreatZaderButClick() {
  if (RelayModuleCount(c_.service) == 0) return Warn(kUnavailable);
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  if (HasDelay(c_.discreteProcessing.Record(c_.discreteProcessing.CurSignal)))
    return Inform("Для этого входа блок задержки уже создан");
  c_.discreteProcessing.Modified = 1;
  EditDelay();
}

void DiscreteProcessingEditor::CreatVyhButClick() {
  if (RelayModuleCount(c_.service) == 0) return Warn(kUnavailable);
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  if (HasRelays(c_.discreteProcessing.Record(c_.discreteProcessing.CurSignal)))
    return Inform("Для этого входа выход на реле уже создан");
  c_.discreteProcessing.Modified = 1;
  EditRelays();
}

void DiscreteProcessingEditor::PMenu1SignClick() {
  if (!NeedSignal(kNoSignalOrFb)) return;
  if (!HasAlarm(c_.discreteProcessing.Record(c_.discreteProcessing.CurSignal)))
    return Warn("Панель сигн. для входа с таким номером не создана");
  EditAlarm();
}

void DiscreteProcessingEditor::PMenu1ZaderClick() {
  if (!NeedSignal(kNoSignalOrFb)) return;
  if (!HasDelay(c_.discreteProcessing.Record(c_.discreteProcessing.CurSignal)))
    return Warn("Панель задерж. для входа с таким номером не создана");
  EditDelay();
}

void DiscreteProcessingEditor::PMenu1VyhClick() {
  if (!NeedSignal(kNoSignalOrFb)) return;
  if (!HasRelays(c_.discreteProcessing.Record(c_.discreteProcessing.CurSignal)))
    return Warn("Панель МР для входа с таким номером не создана");
  EditRelays();
}

void DiscreteProcessingEditor::EditAlarm() {
  DiscreteProcessing& z = c_.discreteProcessing;
  const int signal = z.CurSignal;
  AlarmTypeDialog* d = dialogs_.alarmTypeDialog;
  Edit("Сигнализация", [&] {
    z.ModifiedSaved = z.Modified;
    d->Label2->setText(RecordHeader(signal, Q(c_.service.GetIdentifier(signal))));
    d->SetItemIndex(z.GetAlarmType(signal) >> 6);
    d->Edit1->setText(QString::number(z.GetCell(signal)).rightJustified(2, '0'));
    z.Modified = z.ModifiedSaved;
    d->exec();
    ApplyAlarm(c_, signal, d->ItemIndex(), SignalNumberDialog::Number(d->Edit1), *ui_);
  });
}

void DiscreteProcessingEditor::EditDelay() {
  DiscreteProcessing& z = c_.discreteProcessing;
  const int signal = z.CurSignal;
  DelayDialog* d = dialogs_.delayDialog;
  Edit("Задержка", [&] {
    z.ModifiedSaved = z.Modified;
    d->Label2->setText(RecordHeader(signal, Q(c_.service.GetIdentifier(signal))));
    d->EditDiskr->setText(QString::number(z.GetDelayUnit(signal) ? 10 : 1));
    d->EditT->setText(QString::number(z.GetDelayTime(signal)).rightJustified(2, '0'));
    z.Modified = z.ModifiedSaved;
    d->exec();
    ApplyDelay(c_, signal, d->EditDiskr->text().toStdString(), d->EditT->text().toStdString(), *ui_);
  });
}

void DiscreteProcessingEditor::EditRelays() {
  DiscreteProcessing& z = c_.discreteProcessing;
  const int signal = z.CurSignal;
  RelayOutputsDialog* d = dialogs_.relayOutputsDialog;
  Edit("Выход на реле", [&] {
    z.ModifiedSaved = z.Modified;
    std::array<int, RelayOutputsDialog::kModules> masks{};
    for (int m = 0; m < RelayOutputsDialog::kModules; ++m)
      masks[static_cast<size_t>(m)] = z.GetByte(signal, m + 1);
    d->Label2->setText(RecordHeader(signal, Q(c_.service.GetIdentifier(signal))));
    d->Prepare(RelayModuleCount(c_.service), masks);
    d->ShowOutputInfo = [this] { InfVyhClick(); };
    z.Modified = z.ModifiedSaved;
    d->exec();
    ApplyRelayMasks(c_, signal, d->Masks());
  });
}

void DiscreteProcessingEditor::DelSignClick() {
  if (LightPanelCells(c_.service) == 0) return Warn(kUnavailable);
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  Edit("Удалить сигнализацию", [&] {
    RemoveAlarm(c_.discreteProcessing, c_.discreteProcessing.CurSignal);
    c_.discreteProcessing.Modified = 1;
  });
}

void DiscreteProcessingEditor::DelZaderClick() {
  if (RelayModuleCount(c_.service) == 0) return Warn(kUnavailable);
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  Edit("Удалить задержку", [&] {
    RemoveDelay(c_.discreteProcessing, c_.discreteProcessing.CurSignal);
    c_.discreteProcessing.Modified = 1;
  });
}

void DiscreteProcessingEditor::DelVyhClick() {
  if (RelayModuleCount(c_.service) == 0) return Warn(kUnavailable);
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  Edit("Удалить выход на реле", [&] {
    RemoveRelays(c_.discreteProcessing, c_.discreteProcessing.CurSignal);
    c_.discreteProcessing.Modified = 1;
  });
}

// --- text, archiving, information
// ---------------------------------------------------------------------------

void DiscreteProcessingEditor::SetSignalText(int signal, const QString& text) {
  c_.service.SetText(signal, text.toStdString());
  c_.discreteProcessing.Modified = 1;
}

void DiscreteProcessingEditor::WriteTextNow(int signal) {
  if (c_.service.FileMode || !c_.service.TextChanged) return;
  Exchange().Run(
      "Запись текста", ExchangeKind::Write,
      [this, signal](Interaction& ui) { WriteSignalTextBlock(port_, c_, signal, ui); }, {},
      ProgressIn::Steps);
}

void DiscreteProcessingEditor::StoreText(int signal, const QString& text) {
  Edit("Текстовый реквизит", [&] { SetSignalText(signal, text); });
  WriteTextNow(signal);
}

void DiscreteProcessingEditor::PMenu2TextClick() {
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  const int signal = c_.discreteProcessing.CurSignal;
  InputTextDialog* d = dialogs_.inputTextDialog;
  d->Label2->setText(RecordHeader(signal, Q(c_.service.GetIdentifier(signal))));
  d->EditText->setText(Q(c_.service.GetText(signal)));
  d->exec();
  if (c_.service.TextChanged) StoreText(signal, d->EditText->text());
}

void DiscreteProcessingEditor::PMenu2ArhivClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  const int signal = z.CurSignal;
  ArchivingDialog* d = dialogs_.archivingDialog;
  Edit("Архивирование", [&] {
    z.ModifiedSaved = z.Modified;
    d->Label2->setText(RecordHeader(signal, Q(c_.service.GetIdentifier(signal))));
    d->SetOn(z.GetArchive(signal) != 0);
    z.Modified = z.ModifiedSaved;
    d->exec();
    z.SetArchive(signal, d->On() ? 0x80 : 0);
  });
}

void DiscreteProcessingEditor::PMenu2InfClick() {
  if (!NeedSignal(kNoSignal) || !NeedRow()) return;
  const InputInfo info = DescribeInput(c_, c_.discreteProcessing.CurSignal);
  if (info.kind == InputInfo::Kind::Analog) {
    dialogs_.analogInputInfoDialog->Prepare(info);
    dialogs_.analogInputInfoDialog->exec();
  } else if (info.kind == InputInfo::Kind::Network) {
    dialogs_.networkInputInfoDialog->Prepare(info);
    dialogs_.networkInputInfoDialog->exec();
  }
}

void DiscreteProcessingEditor::InfVyhClick() {
  dialogs_.relayOutputInfoDialog->Prepare();
  dialogs_.relayOutputInfoDialog->exec();
}

// --- group operations
// ---------------------------------------------------------------------------------------

void DiscreteProcessingEditor::PMenu2CopClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!z.SchemeAssigned) {
    if (z.AskCreateScheme(*ui_)) reject();
    return;
  }
  if (!NeedRows() || !NeedSelection()) return;
  CopySelected(c_);
  pasteEnabled_ = true;
  UpdateActions();
}

void DiscreteProcessingEditor::PMenu2ChangeClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (z.ClipState != 0 || !NeedSignal(kNoSignal) || !NeedRow()) return;
  Edit("Заменить паспорт входа", [&] { ReplacePassport(c_, z.CurSignal); });
}

void DiscreteProcessingEditor::InsertPaspGroupClick() {
  if (!pasteEnabled_) return;
  std::vector<int> pasted;
  Edit("Вставить", [&] { pasted = PasteAfterLast(c_); });
  if (pasted.empty())
    return Inform("Нет свободных входов после последнего входа на схеме: ничего не вставлено");
  ScrollToRow(RowOfSignal(c_.discreteProcessing, pasted.front()));
}

void DiscreteProcessingEditor::InsertPaspGroupFromClick() {
  if (!pasteEnabled_) return;
  SignalNumberDialog* d = dialogs_.signalNumberDialog;
  d->Edit3->setText("1");
  const int result = d->Run("Вставить/заменить,  начиная c... ", SignalNumberDialog::Start);
  if (result == kDialogRefused || result == kDialogCancel) return;
  const int first = SignalNumberDialog::Number(d->Edit3);
  if (first > SchemeSignalLimit(c_.service) || first < 1) return Warn("Неверно задан № входа");
  std::vector<int> pasted;
  Edit("Вставить/заменить", [&] { pasted = PasteFrom(c_, first); });
  if (!pasted.empty()) ScrollToRow(RowOfSignal(c_.discreteProcessing, pasted.front()));
}

void DiscreteProcessingEditor::DelChooseClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!NeedSelection()) return;
  if (!z.CutMode) {
    const Answer a =
        ui_->Ask(Message{"Подтвердите удаление ", "Удалить выделенные обработчики входного сигнала?",
                         Icon::Question, Buttons::YesNo, Answer::No});
    if (a != Answer::Yes) return;
  }
  Edit(z.CutMode ? "Вырезать" : "Удалить", [&] { DeleteSelected(c_); });
}

void DiscreteProcessingEditor::CutClick() {
  DiscreteProcessing& z = c_.discreteProcessing;
  if (!NeedSelection()) return;
  const Answer a =
      ui_->Ask(Message{"Подтвердите вырезание ", "Вырезать выделенные обработчики входного сигнала?",
                       Icon::Question, Buttons::YesNo, Answer::No});
  if (a != Answer::Yes) return;
  PMenu2CopClick();
  z.CutMode = 1;
  DelChooseClick();
  z.CutMode = 0;
}

void DiscreteProcessingEditor::ChooseAllClick() {
  SelectAll(c_.discreteProcessing);
  Redraw();
}

void DiscreteProcessingEditor::PMenu3NVhClick() {
  if (!NeedRows()) return;
  SignalNumberDialog* d = dialogs_.signalNumberDialog;
  d->EditNVh->setText("1");
  const int result = d->Run("Ввод номера  входа", SignalNumberDialog::Single);
  if (result == kDialogRefused || result == kDialogCancel) return;
  const int row = RowOfSignal(c_.discreteProcessing, SignalNumberDialog::Number(d->EditNVh) - 1);
  if (row < 0) return Warn("На схеме нет входа с таким номером");
  SelectOnly(c_.discreteProcessing, row);
  Redraw();
  ScrollToRow(row);
}

void DiscreteProcessingEditor::PMenu1FBClick() {
  if (!OpenFunctionBlocks) return;
  if (OpenFunctionBlocks() == kEditorFailed) ui_->Show(kCaptionError, kProgrammingFailedText, Icon::Error);
}

void DiscreteProcessingEditor::PortClick() {
  if (SetUpPort) SetUpPort();
}

// --- printing
// ---------------------------------------------------------------------------------------------------

void DiscreteProcessingEditor::Button1Click() {
  if (!c_.discreteProcessing.SchemeAssigned) return Warn("Схема не создана");
  if (PrintScheme) PrintScheme();
}

void DiscreteProcessingEditor::PaintPrintout(QPagedPaintDevice& device) {
  QPainter p(&device);
  PaintPages(p, p.viewport(), [&device] { return device.newPage(); });
}

QImage DiscreteProcessingEditor::PrintoutFirstPage(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  PaintPages(p, QRectF(QPointF(0, 0), QSizeF(size)), [] { return false; });
  return image;
}

void DiscreteProcessingEditor::PaintPages(QPainter& p, const QRectF& page,
                                          const std::function<bool()>& newPage) {
  using G = DiscreteRowGeometry;
  const DiscreteProcessing& z = c_.discreteProcessing;
  const int rows = std::max(z.RowCount, 0);
  const int schemePages = std::max(1, (rows + kRowsPerPage - 1) / kRowsPerPage);
  // Point sizes against the painter's device: the same size on paper at any resolution.
  QFont font("Arial");
  font.setPointSize(10);
  const qreal headLine = QFontMetricsF(font, p.device()).height() * 1.25;
  // Eleven rows and the heading fit the page whatever its shape.
  const qreal scale = std::min(page.width() / (G::kRight + 8),
                               (page.height() - headLine * 1.5) / (G::kRowHeight * kRowsPerPage));
  DiscreteRowItem::SetPrinting(true);
  for (DiscreteRowItem* item : scene->Rows()) item->setCacheMode(QGraphicsItem::NoCache);
  int pageNumber = 1;
  auto heading = [&] {
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(page.left(), page.top(), page.width(), headLine), Qt::AlignLeft,
               QString("   страница %1").arg(pageNumber));
  };
  bool more = true;
  for (int k = 0; k < schemePages && more; ++k, ++pageNumber) {
    if (k > 0) more = newPage();
    if (!more) break;
    heading();
    const int first = k * kRowsPerPage;
    const int count = std::min(kRowsPerPage, rows - first);
    if (count <= 0) continue;
    const QRectF source(0, G::Top(first), G::kRight + 8, G::kRowHeight * count);
    const QRectF target(page.left(), page.top() + headLine * 1.5, source.width() * scale,
                        source.height() * scale);
    scene->render(&p, target, source);
  }
  // The relay outputs of every printed row, on pages headed like the scheme's.
  qreal y = page.top() + headLine;
  auto line = [&](const QString& text) {
    if (!more) return;
    if (y + headLine > page.bottom()) {
      more = newPage();
      ++pageNumber;
      if (!more) return;
      heading();
      y = page.top() + headLine;
    }
    p.drawText(QRectF(page.left(), y, page.width(), headLine), Qt::AlignLeft, text);
    y += headLine;
  };
  if (more) more = newPage();
  if (more) heading();
  line("Информация о модулях реле:");
  for (int r = 0; r < rows; ++r) {
    const int s = z.RowSignal[static_cast<size_t>(r)];
    line(QString("  № на схеме %1,  № в базе %2:  %3").arg(r + 1).arg(s + 1).arg(Q(RelayOutputsText(c_, s))));
  }
  for (DiscreteRowItem* item : scene->Rows()) item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
  DiscreteRowItem::SetPrinting(false);
}

bool DiscreteProcessingEditor::PrintToPdf(const QString& path) {
  return PrintPdf(path, windowTitle(), QPageLayout::Portrait,
                  [this](QPagedPaintDevice& d) { PaintPrintout(d); });
}

}  // namespace zul
