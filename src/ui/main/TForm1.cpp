#include "ui/main/TForm1.h"

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
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "ui/link/TFormNastr.h"
#include "ui/link/TFormPort.h"
#include "ui/main/TConfig.h"
#include "ui/main/TFPSW.h"
#include "ui/inform/TInform.h"
#include "ui/main/TFormTimeDate.h"
#include "ui/modules/TFormKalibr.h"
#include "ui/modules/TFormMR.h"
#include "ui/modules/TFormPROG.h"
#include "ui/modules/TFormTipDat.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/widgets/HintLabel.h"

namespace zul {

namespace {

constexpr int kDevices = 31;

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

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

TForm1::TForm1(SerialLine& line, Clock& clock, Interaction& ui, ProgramOptions options, QWidget* parent)
    : QMainWindow(parent), Port(line, clock, ui), ui_(ui), options_(std::move(options)) {
  setObjectName("Form1");
  setWindowTitle("Программатор ЗУЛ - 05-16_ФБ");

  BuildMenus();
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->addWidget(BuildDevicePanel(), 0);
  layout->addWidget(BuildModuleGrid(), 1);
  setCentralWidget(central);

  // FormCreate
  CBoxUstr->setCurrentIndex(0);
  Serv.CurrentDevice = 0;
  CBoxUstrZ->setCurrentIndex(0);
  Serv.ConfiguredDevice = 0;
  for (QWidget* w : EditorControls()) w->setEnabled(false);
  for (const ModuleRow& row : Rows) row.Prg->setEnabled(false);

  ChooseFile = QtFileChooser(this, options_.fileDirectory);
  CreateWindows();
}

TForm1::~TForm1() = default;

void TForm1::BuildMenus() {
  const struct {
    QAction** action;
    const char* name;
    const char* text;
    QKeySequence key;
    QStyle::StandardPixmap icon;
    void (TForm1::*handler)();
  } actions[] = {
      {&ACreatFile,
       "ACreatFile",
       "Создание файла конфигурации",
       {},
       QStyle::SP_FileIcon,
       &TForm1::CreatFileClick},
      {&AOpenFile, "AOpenFile", "Открыть файл конфигурации", Qt::Key_F3, QStyle::SP_DialogOpenButton,
       &TForm1::OpenFileClick},
      {&ASaveFile, "ASaveFile", "Сохранить как ...", Qt::Key_F2, QStyle::SP_DialogSaveButton,
       &TForm1::SaveFileClick},
      {&AInPort, "AInPort", "Ввод с СОМ-порта", Qt::Key_F9, QStyle::SP_ArrowDown, &TForm1::InPortButClick},
      {&AOutPort, "AOutPort", "Вывод на СОМ-порт", Qt::Key_F10, QStyle::SP_ArrowUp, &TForm1::OutPortClick},
      {&APort, "APort", "Настройка СОМ порта", {}, QStyle::SP_ComputerIcon, &TForm1::APortExecute},
      {&ANastr, "ANastr", "Настройка обмена", {}, QStyle::SP_FileDialogDetailedView, &TForm1::NastrObmClick},
      {&AParol, "AParol", "Замена пароля", Qt::Key_F8, QStyle::SP_MessageBoxWarning, &TForm1::N1ParolClick},
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

QWidget* TForm1::BuildDevicePanel() {
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
  EditModif->setMaxLength(TServClass::kSlots);
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
  for (std::string_view name : TProgMBAClass::kDefaultUnitNames) {
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

  ButProgDiskr = Button("ButProgDiskr", "Программирование обработки дискретных сигналов", panel);
  ButTimeDate = Button("ButTimeDate", "Задание времени и даты", panel);
  v->addWidget(ButProgDiskr);
  v->addWidget(ButTimeDate);
  ProgressBar1 = Named(new QProgressBar(panel), "ProgressBar1");
  ProgressBar1->setRange(0, 250);
  QSizePolicy keep = ProgressBar1->sizePolicy();
  keep.setRetainSizeWhenHidden(true);  // showing it must not move the buttons
  ProgressBar1->setSizePolicy(keep);
  ProgressBar1->hide();
  v->addWidget(ProgressBar1);
  v->addStretch();

  connect(CBoxUstr, QOverload<int>::of(&QComboBox::activated), this, &TForm1::CBoxUstrClick);
  connect(CBoxUstrZ, QOverload<int>::of(&QComboBox::activated), this, &TForm1::CBoxUstrZClick);
  connect(CBoxRazmChange, QOverload<int>::of(&QComboBox::activated), this, &TForm1::CBoxRazmChangeClick);
  connect(ButRazm, &QPushButton::clicked, this, &TForm1::ButRazmClick);
  connect(ButDefault, &QPushButton::clicked, this, &TForm1::ButDefaultClick);
  connect(ButTimeDate, &QPushButton::clicked, this, &TForm1::ButTimeDateClick);
  connect(ButProgDiskr, &QPushButton::clicked, this, &TForm1::ButProgDiskrClick);
  return panel;
}

QWidget* TForm1::BuildModuleGrid() {
  GroupBox1 = Named(new QGroupBox(" Таблица модулей ввода-вывода", this), "GroupBox1");
  auto* grid = new QGridLayout(GroupBox1);
  grid->setHorizontalSpacing(3);
  grid->setVerticalSpacing(2);
  const char* heads[] = {"Адрес модуля", "Тип модуля", "Код модуля", "Входы", "Выходы", "Программирование"};
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
    QWidget* cells[] = {row.AdrM, row.M, row.KM, row.IdVh, row.IdVyh, row.Prg};
    for (int c = 0; c < 6; ++c) grid->addWidget(cells[c], s, c);
    connect(row.Prg, &QPushButton::clicked, this, [this, s] { Prg1Click(s); });
  }
  grid->setRowStretch(kModuleRows + 1, 1);
  return GroupBox1;
}

void TForm1::CreateWindows() {
  FormNastr = new TFormNastr(Port, this);
  FormPort = new TFormPort(Port, *FormNastr, options_.namedPorts, this);
  FPSW = new TFPSW(ProgZul, ui_, options_.passwordFile, this);
  FormTimeDate = new TFormTimeDate(Port, Serv, ProgZul, Gate, ui_, this);
  FormVhD = new TFormVhD(Port, Serv, ProgZul, Gate, this);
  FormVyhOnL = new TFormVyhOnL(Port, Serv, Gate, this);
  FormKalibr = new TFormKalibr(Port, Serv, ProgMBA, Gate, ui_, this);
  FormPROG = new TFormPROG(Serv, ProgMBA, ReservBlocks, CopyBlocks, Port, Gate, *FormKalibr, ui_, this);
  FormMR = new TFormMR(Serv, ProgMR, ReservBlocks, CopyBlocks, Port, Gate, *FormVyhOnL, ui_, this);
  FormTipDat = new TFormTipDat(Serv, ProgZul, ReservBlocks, Port, Gate, *FormVhD, ui_, this);
  Config = new TConfig(Serv, ui_, this);
  Dialogs = CreateSignalDialogs(Model, ui_, this);
  Inform = new TInform(Model, Port, Gate, ui_, Dialogs, this);
  InformMR = new TInformMR(Model, ui_, Dialogs, this);
  for (InformWindow* w : std::initializer_list<InformWindow*>{Inform, InformMR}) {
    w->ReportTitle = [this] {
      return zul::ReportTitle(Serv.FileMode == 1, FileName.toStdString(), EditModif->text().toStdString(),
                              CBoxUstr->currentText().toStdString());
    };
  }
  FormPROG->ReportTitle = Inform->ReportTitle;
  connect(InformBut, &QPushButton::clicked, this, &TForm1::InformButClick);
  connect(InformButMR, &QPushButton::clicked, this, &TForm1::InformButMRClick);
}

std::vector<QWidget*> TForm1::EditorControls() const {
  return {ButProgDiskr, InformBut, InformButMR, GBoxRazm, LocalNet1,
          LocNet15,     LocNetObm, ButTimeDate, EditModif};
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // After the window has painted: the password dialog comes up over it.
  QTimer::singleShot(0, this, [this] {
    if (!CheckPasswordAtStart()) {
      close();
      return;
    }
    OpenNamedPort();
  });
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormCloseQuery();
  event->accept();
}

}  // namespace zul
