#include "ui/main/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "serial/QtSerialLine.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/discrete/DiscreteProcessingEditor.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/ExchangeSettingsDialog.h"
#include "ui/link/PortDialog.h"
#include "ui/main/ClockWindow.h"
#include "ui/main/NewConfigurationDialog.h"
#include "ui/main/PasswordDialog.h"
#include "ui/modules/AnalogModuleWindow.h"
#include "ui/modules/CalibrationWindow.h"
#include "ui/modules/RelayModuleWindow.h"
#include "ui/modules/SensorTypesWindow.h"
#include "ui/network/Function15Editor.h"
#include "ui/network/LocalNetworkWindow.h"
#include "ui/network/NetworkMasterEditor.h"
#include "ui/network/NetworkScalingWindow.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/regulators/ControlLoopDialog.h"
#include "ui/regulators/RegulatorEditor.h"
#include "ui/regulators/RegulatorOnlineView.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/WindowHabits.h"

namespace zul {

namespace {

constexpr int kDevices = 31;

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  return Named(new QPushButton(text, parent), name);
}

QComboBox* DeviceList(const char* name, QWidget* parent) {
  auto* box = Named(new QComboBox(parent), name);
  for (int n = 1; n <= kDevices; ++n) box->addItem(QString::number(n));
  return box;
}

QLabel* Counter(const char* name, QWidget* parent) {
  QLabel* cell = MakeCell(name, parent, 44);
  cell->setObjectName(name);
  cell->setAlignment(Qt::AlignCenter);
  return cell;
}

}  // namespace

MainWindow::MainWindow(SerialLine& line, Clock& clock, Interaction& ui, ProgramOptions options,
                       QWidget* parent)
    : QMainWindow(parent), link(line, clock, ui), Worker(link, ui), ui_(ui), options_(std::move(options)) {
  setObjectName("Form1");
  setWindowTitle("Программатор ЗУЛ - 05-16_ФБ");
  link.BindAccessLevel(&discreteProcessing.AccessLevel);
  // Whatever window stores a block, the image of the controller follows it.
  link.OnBlockStored([this](int, int block, std::span<const uint8_t> bytes) {
    if (config.service.FileMode == 0) config.image.Store(block, bytes);
  });
  // The port's Qt object lives where its blocking waits run.
  if (auto* qtLine = dynamic_cast<QtSerialLine*>(&line)) Worker.AdoptLineObject(qtLine->ThreadObject());

  BuildMenus();
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  // Narrow margins: the whole table fits a 1280x720 screen.
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addWidget(BuildDevicePanel(), 0);
  layout->addWidget(BuildModuleGrid(), 1);
  // On a small screen the window may be smaller than its table: it scrolls,
  // while the editors of every day stay in a row below it.
  auto* window = new QWidget(this);
  auto* column = new QVBoxLayout(window);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  ScrollBox = Named(new FittingScrollArea(central, this), "ScrollBox");
  column->addWidget(ScrollBox, 1);
  column->addWidget(BuildEditorButtons());
  setCentralWidget(window);

  // loadFrom
  CBoxUstr->setCurrentIndex(0);
  service.CurrentDevice = 0;
  CBoxUstrZ->setCurrentIndex(0);
  service.ConfiguredDevice = 0;
  for (QWidget* w : EditorControls()) w->setEnabled(false);
  for (const ModuleRow& row : Rows) row.Prg->setEnabled(false);

  ChooseFile = QtFileChooser(this, options_.fileDirectory);
  CreateWindows();
  commissioningMenus = new CommissioningMenus(*this);
  BuildChrome();
}

// The worker ends before the windows and the configuration its jobs use.
MainWindow::~MainWindow() { Worker.Shutdown(); }

void MainWindow::BuildMenus() {
  const struct {
    QAction** action;
    const char* name;
    const char* text;
    QKeySequence key;
    QStyle::StandardPixmap icon;
    void (MainWindow::*handler)();
  } actions[] = {
      {&ACreatFile,
       "ACreatFile",
       "Создание файла конфигурации",
       {},
       QStyle::SP_FileIcon,
       &MainWindow::createConfigurationFile},
      {&AOpenFile, "AOpenFile", "Открыть файл конфигурации", Qt::Key_F3, QStyle::SP_DialogOpenButton,
       &MainWindow::openConfigurationFile},
      {&ASaveFile, "ASaveFile", "Сохранить как ...", Qt::Key_F2, QStyle::SP_DialogSaveButton,
       &MainWindow::saveConfigurationFile},
      {&AInPort, "AInPort", "Ввод с СОМ-порта", Qt::Key_F9, QStyle::SP_ArrowDown,
       &MainWindow::readFromController},
      {&AOutPort, "AOutPort", "Вывод на СОМ-порт", Qt::Key_F10, QStyle::SP_ArrowUp,
       &MainWindow::writeToController},
      {&APort, "APort", "Настройка СОМ порта", {}, QStyle::SP_ComputerIcon, &MainWindow::openPortDialog},
      {&ANastr,
       "ANastr",
       "Настройка обмена",
       {},
       QStyle::SP_FileDialogDetailedView,
       &MainWindow::openExchangeSettings},
      {&AParol, "AParol", "Замена пароля", Qt::Key_F8, QStyle::SP_MessageBoxWarning,
       &MainWindow::changePassword},
  };
  for (const auto& a : actions) {
    auto* action = new QAction(style()->standardIcon(a.icon), a.text, this);
    action->setObjectName(a.name);
    action->setShortcut(a.key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, a.handler);
    addAction(action);  // the keys work even while a menu is disabled
    *a.action = action;
  }
  ASaveFile->setToolTip("Сохранить схему");

  MenuFile = Named(menuBar()->addMenu("   Файл          "), "MenuFile");
  auto* create = MenuFile->addAction("Создать файла конфигурации");
  create->setObjectName("CreatFile");
  connect(create, &QAction::triggered, ACreatFile, &QAction::trigger);
  MenuFile->addAction(AOpenFile);
  MenuFile->addAction(ASaveFile);

  MenuPort = Named(menuBar()->addMenu("        Порт           "), "MenuPort");
  MenuPort->addAction(AInPort);
  MenuPort->addAction(AOutPort);
  MenuPort->addSeparator();
  MenuPort->addAction(APort);
  MenuPort->addAction(ANastr);

  MenuParol = Named(menuBar()->addMenu("     Пароль"), "MenuParol");
  MenuParol->addAction(AParol);
  MenuParol->setEnabled(false);  // full access only

  ToolBar1 = Named(addToolBar("ToolBar1"), "ToolBar1");
  ToolBar1->setMovable(false);
  for (QAction* a : {ACreatFile, AOpenFile, ASaveFile, APort, AInPort, AOutPort, AParol})
    ToolBar1->addAction(a);
}

QWidget* MainWindow::BuildDevicePanel() {
  auto* panel = new QWidget(this);
  auto* v = new QVBoxLayout(panel);
  v->setContentsMargins(0, 0, 0, 0);

  // Device selection and execution line.
  auto* head = new QGridLayout;
  CBoxUstr = DeviceList("CBoxUstr", panel);
  CBoxUstrZ = DeviceList("CBoxUstrZ", panel);
  head->addWidget(new QLabel("Устр. №", panel), 0, 0);
  head->addWidget(CBoxUstr, 0, 1);
  head->addWidget(new QLabel("Изм. № устр.", panel), 0, 2);
  head->addWidget(CBoxUstrZ, 0, 3);
  EditModif = Named(new QLineEdit(panel), "EditModif");
  EditModif->setReadOnly(true);
  EditModif->setMaxLength(ServiceBlock::kSlots);
  EditModif->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  EditModif->setMinimumWidth(EditModif->fontMetrics().horizontalAdvance(QString(18, '0')));
  head->addWidget(new QLabel(" Исполнение", panel), 1, 0);
  head->addWidget(EditModif, 1, 1, 1, 3);
  StZUL = Named(new QLabel(panel), "StZUL");
  StZUL1 = Named(new QLabel(panel), "StZUL1");
  StZUL2 = Named(new QLabel(panel), "StZUL2");
  auto* zul = new QHBoxLayout;
  for (QLabel* l : {StZUL, StZUL1, StZUL2}) zul->addWidget(l);
  zul->addStretch();
  head->addLayout(zul, 2, 0, 1, 4);
  auto* tipLabel = new QLabel("Тип модуля индикации", panel);
  TipModInd = Named(new QLabel(panel), "TipModInd");
  tipLabel->hide();
  TipModInd->hide();
  head->addWidget(tipLabel, 3, 0, 1, 2);
  head->addWidget(TipModInd, 3, 2, 1, 2);
  v->addLayout(head);

  LabelFile = Named(new QLabel("Режим работы с файлом", panel), "LabelFile");
  QPalette red = LabelFile->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  LabelFile->setPalette(red);
  LabelFile->setWordWrap(true);
  LabelFile->hide();
  v->addWidget(LabelFile);

  // Counters.
  GBoxKanal = Named(new QGroupBox("Конфигурация прибора", panel), "GBoxKanal");
  auto* k = new QGridLayout(GBoxKanal);
  const struct {
    QLabel** cell;
    const char* name;
    const char* text;
  } counters[] = {{&StKVhD, "StKVhD", "Количество дискретных входов "},
                  {&StKVhA, "StKVhA", "Количество аналоговых входов"},
                  {&StKVyhS, "StKVyhS", "Количество дискретных выходов"},
                  {&StAllD, "StAllD", "Количество обрабатываемых дискретных сигналов"},
                  {&StAllAn, "StAllAn", "Количество обрабатываемых аналоговых сигналов"}};
  int row = 0;
  for (const auto& c : counters) {
    *c.cell = Counter(c.name, GBoxKanal);
    k->addWidget(new QLabel(c.text, GBoxKanal), row, 0);
    k->addWidget(*c.cell, row, 1);
    ++row;
  }
  InformBut = Button("InformBut", "Входные сигналы", GBoxKanal);
  InformButMR = Button("InformButMR", "Дискретные выходы", GBoxKanal);
  auto* info = new QHBoxLayout;
  info->addWidget(InformBut);
  info->addWidget(InformButMR);
  k->addLayout(info, row, 0, 1, 2);
  v->addWidget(GBoxKanal);

  // Unit list.
  GBoxRazm = Named(new QGroupBox("    Редактирование   ", panel), "GBoxRazm");
  auto* r = new QGridLayout(GBoxRazm);
  CBoxRazmChange = Named(new QComboBox(GBoxRazm), "CBoxRazmChange");
  CBoxRazmChange->setEditable(true);
  CBoxRazmChange->setInsertPolicy(QComboBox::NoInsert);
  CBoxRazmDef = Named(new QComboBox(GBoxRazm), "CBoxRazmDef");
  for (std::string_view name : AnalogModules::kDefaultUnitNames) {
    CBoxRazmDef->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  }
  CBoxRazmDef->hide();
  ButRazm = Button("ButRazm", "Применить", GBoxRazm);
  ButDefault = Button("ButDefault", "По умолчанию", GBoxRazm);
  r->addWidget(new QLabel("списка размерностей аналоговых сигналов", GBoxRazm), 0, 0, 1, 3);
  r->addWidget(CBoxRazmChange, 1, 0);
  r->addWidget(ButRazm, 1, 1);
  r->addWidget(ButDefault, 1, 2);
  v->addWidget(GBoxRazm);

  // Local network.
  GBoxLoc = Named(new QGroupBox("Локальная сеть RS-485, протокол ModBus ", panel), "GBoxLoc");
  auto* l = new QVBoxLayout(GBoxLoc);
  LocalNet1 = Button("LocalNet1", "Программирование ф1, ф2, ф3, ф4", GBoxLoc);
  LocNet15 = Button("LocNet15", "Программирование ф15 ", GBoxLoc);
  LocNetObm = Button("LocNetObm", "Настройка обмена", GBoxLoc);
  for (QPushButton* b : {LocalNet1, LocNet15, LocNetObm}) l->addWidget(b);
  v->addWidget(GBoxLoc);

  // In the status bar (BuildChrome), where showing it moves no button.
  ProgressBar1 = Named(new QProgressBar(panel), "ProgressBar1");
  ProgressBar1->setRange(0, 250);
  ProgressBar1->hide();
  v->addStretch();

  connect(CBoxUstr, QOverload<int>::of(&QComboBox::activated), this, &MainWindow::onDeviceChosen);
  connect(CBoxUstrZ, QOverload<int>::of(&QComboBox::activated), this, &MainWindow::renumberDevice);
  for (QComboBox* box : {CBoxUstr, CBoxUstrZ}) IgnoreWheelOnClosedBox(box);
  connect(CBoxRazmChange, QOverload<int>::of(&QComboBox::activated), this, &MainWindow::onUnitChosen);
  connect(ButRazm, &QPushButton::clicked, this, &MainWindow::applyUnitName);
  connect(ButDefault, &QPushButton::clicked, this, &MainWindow::restoreDefaultUnits);
  return panel;
}

QWidget* MainWindow::BuildEditorButtons() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 2, 4, 2);
  ButProgDiskr = Button("ButProgDiskr", "Программирование обработки дискретных сигналов", bar);
  ButProgFB = Button("ButProgFB", "Функциональные блоки", bar);
  ButTimeDate = Button("ButTimeDate", "Задание времени и даты", bar);
  for (QPushButton* b : {ButProgDiskr, ButProgFB, ButTimeDate}) row->addWidget(b);
  row->addStretch();
  connect(ButTimeDate, &QPushButton::clicked, this, &MainWindow::openClockWindow);
  connect(ButProgDiskr, &QPushButton::clicked, this, &MainWindow::openDiscreteProcessingEditor);
  connect(ButProgFB, &QPushButton::clicked, this, &MainWindow::openFunctionBlockEditor);
  return bar;
}

QWidget* MainWindow::BuildModuleGrid() {
  GroupBox1 = Named(new QGroupBox(" Таблица модулей ввода-вывода", this), "GroupBox1");
  auto* grid = new QGridLayout(GroupBox1);
  grid->setHorizontalSpacing(3);
  grid->setVerticalSpacing(1);
  // The programming buttons right after the address: a narrow screen still shows them.
  const char* heads[] = {"Адрес модуля", "Программирование", "Тип модуля", "Код модуля", "Входы", "Выходы"};
  for (int c = 0; c < 6; ++c) {
    auto* head = new QLabel(heads[c], GroupBox1);
    head->setAlignment(Qt::AlignCenter);
    grid->addWidget(head, 0, c);
  }
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  const int typeWidth = QFontMetrics(fixed).horizontalAdvance(QString(40, 'M')) + 8;
  for (int s = 1; s <= kModuleRows; ++s) {
    ModuleRow& row = Rows[static_cast<size_t>(s - 1)];
    row.AdrM = MakeCell(QString("AdrM%1").arg(s), GroupBox1, 30);
    row.AdrM->setText(QString::number(s - 1));
    row.AdrM->setAlignment(Qt::AlignCenter);
    row.M = MakeCell(QString("M%1").arg(s), GroupBox1, typeWidth);
    row.M->setFont(fixed);
    row.KM = MakeCell(QString("KM%1").arg(s), GroupBox1, 30);
    row.KM->setAlignment(Qt::AlignCenter);
    row.IdVh = MakeCell(QString("IdVh%1").arg(s), GroupBox1, 120);
    row.IdVyh = MakeCell(QString("IdVyh%1").arg(s), GroupBox1, 120);
    row.Prg = new QPushButton(GroupBox1);
    row.Prg->setObjectName(QString("Prg%1").arg(s));
    QWidget* cells[] = {row.AdrM, row.Prg, row.M, row.KM, row.IdVh, row.IdVyh};
    for (int c = 0; c < 6; ++c) grid->addWidget(cells[c], s, c);
    connect(row.Prg, &QPushButton::clicked, this, [this, s] { openModuleWindow(s); });
  }
  grid->setRowStretch(kModuleRows + 1, 1);
  return GroupBox1;
}

void MainWindow::CreateWindows() {
  exchangeSettingsDialog = new ExchangeSettingsDialog(link, this);
  portDialog = new PortDialog(Worker, *exchangeSettingsDialog, options_.namedPorts, this);
  passwordDialog = new PasswordDialog(discreteProcessing, ui_, options_.passwordFile, this);
  clockWindow = new ClockWindow(link, service, discreteProcessing, Worker, ui_, this);
  discreteInputsOnline = new DiscreteInputsOnline(link, service, discreteProcessing, Worker, this);
  relayOutputsOnline = new RelayOutputsOnline(link, service, Worker, this);
  calibrationWindow = new CalibrationWindow(link, service, analogModules, Worker, ui_, this);
  analogModuleWindow = new AnalogModuleWindow(service, analogModules, reserveBlocks, copyBlocks, link, Worker,
                                              *calibrationWindow, ui_, this);
  relayModuleWindow = new RelayModuleWindow(service, relayModules, reserveBlocks, copyBlocks, link, Worker,
                                            *relayOutputsOnline, ui_, this);
  sensorTypesWindow = new SensorTypesWindow(service, discreteProcessing, reserveBlocks, link, Worker,
                                            *discreteInputsOnline, ui_, this);
  newConfigurationDialog = new NewConfigurationDialog(service, ui_, this);
  signalDialogs = CreateSignalDialogs(config, ui_, this);
  inputsWindow = new InputsWindow(config, link, Worker, ui_, signalDialogs, this);
  outputsWindow = new OutputsWindow(config, ui_, signalDialogs, this);
  functionBlockEditor = CreateFunctionBlockEditor();
  for (InformWindow* w : std::initializer_list<InformWindow*>{inputsWindow, outputsWindow}) {
    w->ReportTitle = [this] {
      return zul::ReportTitle(service.FileMode == 1, FileName.toStdString(), EditModif->text().toStdString(),
                              CBoxUstr->currentText().toStdString());
    };
  }
  analogModuleWindow->ReportTitle = inputsWindow->ReportTitle;
  discreteProcessingEditor = new DiscreteProcessingEditor(config, link, Worker, ui_, signalDialogs, this);
  discreteProcessingEditor->SetUpPort = [this] { openPortDialog(); };
  discreteProcessingEditor->ShowRelayOutputs = [this] { openOutputsWindow(); };
  discreteProcessingEditor->OpenFunctionBlocks = [this] { return functionBlockEditor->Open(); };
  connect(InformBut, &QPushButton::clicked, this, &MainWindow::openInputsWindow);
  connect(InformButMR, &QPushButton::clicked, this, &MainWindow::openOutputsWindow);
  localNetworkWindow = new LocalNetworkWindow(config, link, Worker, ui_, this);
  localNetworkWindow->function15Editor->OpenInputs = [this] { openInputsWindow(); };
  localNetworkWindow->masterEditor->scalingWindow->ReportTitle = inputsWindow->ReportTitle;
  connect(LocalNet1, &QPushButton::clicked, this,
          [this] { openLocalNetworkWindow(LocalNetworkMode::Blocks); });
  connect(LocNet15, &QPushButton::clicked, this,
          [this] { openLocalNetworkWindow(LocalNetworkMode::Function15); });
  connect(LocNetObm, &QPushButton::clicked, this,
          [this] { openLocalNetworkWindow(LocalNetworkMode::LineSettings); });
  controlLoopDialog = new ControlLoopDialog(config, ui_, this);
  regulatorOnlineView = new RegulatorOnlineView(link, config, Worker, ui_, this);
  regulatorEditor =
      new RegulatorEditor(link, config, ui_, Worker, controlLoopDialog, regulatorOnlineView, this);
  connect(controlLoopDialog, &ControlLoopDialog::inputsWindowWanted, this, &MainWindow::openInputsWindow);
  connect(regulatorEditor, &RegulatorEditor::inputsWindowWanted, this, &MainWindow::openInputsWindow);
  connect(regulatorEditor, &RegulatorEditor::outputsWindowWanted, this, &MainWindow::openOutputsWindow);
  regulatorEditor->MainCaption = [this] { return windowTitle(); };
}

std::vector<QWidget*> MainWindow::EditorControls() const {
  std::vector<QWidget*> controls{ButProgDiskr, InformBut, InformButMR, GBoxRazm, LocalNet1,
                                 LocNet15,     LocNetObm, ButTimeDate, EditModif};
  controls.push_back(ButProgFB);
  return controls;
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // Everything at once where the screen allows it, unless a size was given.
  if (!testAttribute(Qt::WA_Resized) && screen()) {
    resize(sizeHint().boundedTo(screen()->availableSize()));
    FitToScreen(this);  // the window manager's frame included
  }
  // After the window has painted: the password dialog comes up over it.
  QTimer::singleShot(0, this, [this] {
    if (!CheckPasswordAtStart()) {
      close();
      return;
    }
    OpenNamedPort();
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    canClose();
  }
  // What closing sends, and whatever was on the line, ends first.
  if (Worker.Busy()) {
    event->ignore();
    connect(&Worker, &LinkWorker::idle, this, &QWidget::close, Qt::SingleShotConnection);
    return;
  }
  closing_ = false;
  event->accept();
}

}  // namespace zul
