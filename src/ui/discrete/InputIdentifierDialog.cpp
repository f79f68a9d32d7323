#include "ui/discrete/InputIdentifierDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/config/Configuration.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

QComboBox* Kinds(const char* name, QWidget* parent) {
  auto* box = Named(new QComboBox(parent), name);
  box->addItems({"дискретный", "аналоговый"});
  return box;
}

QComboBox* Setpoints(const char* name, QWidget* parent) {
  auto* box = Named(new QComboBox(parent), name);
  box->addItems({"LL", "L", "H", "HH"});
  return box;
}

QSpinBox* Number(const char* name, int maximum, QWidget* parent) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(1, maximum);
  return spin;
}

constexpr int kDiscrete = 0;
constexpr int kAnalog = 1;

}  // namespace

InputIdentifierDialog::InputIdentifierDialog(Configuration& config, QWidget* parent)
    : QDialog(parent), c_(config) {
  setObjectName("FormCreatVh");
  setWindowTitle("Создание  и замена идентификатора входа");
  setModal(true);
  LabNVh = Named(new QLabel("№ созд. входа на схеме", this), "LabNVh");
  LabN = Named(new QLabel("1", this), "LabN");
  auto* textLabel = new QLabel("Текстовый реквизит", this);
  EditText = Named(new QLineEdit(this), "EditText");
  EditText->setMaxLength(ServiceBlock::kTextWidth);
  TipK = Named(new QGroupBox("Тип контакта", this), "TipK");
  auto* tipk = new QVBoxLayout(TipK);
  const char* contacts[] = {"Нормально замкнутый", "Нормально разомкнутый"};
  for (size_t i = 0; i < TipKItems.size(); ++i) {
    TipKItems[i] = new QRadioButton(contacts[i], TipK);
    TipKItems[i]->setObjectName(QString("TipKItem%1").arg(i));
    tipk->addWidget(TipKItems[i]);
    connect(TipKItems[i], &QRadioButton::clicked, this, [this] { c_.discreteProcessing.Modified = 1; });
  }
  TipKItems[0]->setChecked(true);
  Arh = Named(new QCheckBox("Архивирование", this), "Arh");
  connect(Arh, &QCheckBox::clicked, this, [this] { c_.discreteProcessing.Modified = 1; });
  connect(EditText, &QLineEdit::textEdited, this, [this] { c_.service.TextChanged = 1; });
  EditText->installEventFilter(this);

  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  TabSheet1 = Named(new QWidget, "TabSheet1");
  TabSheet2 = Named(new QWidget, "TabSheet2");
  PageControl1->addTab(TabSheet1, "Создание собственного входа");
  PageControl1->addTab(TabSheet2, "Создание  сетевого входа");
  PageControl1->setUsesScrollButtons(false);  // both captions whole

  CBoxTipVh = Kinds("CBoxTipVh", TabSheet1);
  EditNMod = Number("EditNMod", 8, TabSheet1);
  EditNVhMod = Number("EditNVhMod", 24, TabSheet1);
  CBoxTipSign = Setpoints("CBoxTipSign", TabSheet1);
  auto* own = new QFormLayout(TabSheet1);
  own->addRow("Тип входа", CBoxTipVh);
  own->addRow("№ модуля", EditNMod);
  own->addRow("№ входа в модуле", EditNVhMod);
  own->addRow("   Тип уставки  для аналоговых сигналов", CBoxTipSign);

  EditNB_MBM = Number("EditNB_MBM", 8, TabSheet2);
  CBoxTipVhNet = Kinds("CBoxTipVhNet", TabSheet2);
  EditNVhNet = Number("EditNVhNet", 24, TabSheet2);
  CBoxTipSignNet = Setpoints("CBoxTipSignNet", TabSheet2);
  LabTipSlave = Named(new QLabel(TabSheet2), "LabTipSlave");
  LabAdrSlave = Named(new QLabel(TabSheet2), "LabAdrSlave");
  auto* net = new QFormLayout(TabSheet2);
  net->addRow("№ блока МВМ", EditNB_MBM);
  net->addRow("        Тип  устройства Slave", LabTipSlave);
  net->addRow("Адрес Slave в локальной сети", LabAdrSlave);
  net->addRow("Тип входа", CBoxTipVhNet);
  net->addRow("№ выхода блока МВМ ", EditNVhNet);
  net->addRow("Тип уставки", CBoxTipSignNet);

  OK = Named(new QPushButton("OK", this), "OK");
  OK2 = Named(new QPushButton("Отмена", this), "OK2");
  OK2->hide();
  connect(OK, &QPushButton::clicked, this, [this] { done(kDialogClosed); });
  connect(OK2, &QPushButton::clicked, this, [this] { done(kDialogClosed); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(LabN, 0, 1);
  grid->addWidget(textLabel, 1, 0);
  grid->addWidget(EditText, 1, 1);
  grid->addWidget(TipK, 2, 0);
  grid->addWidget(Arh, 2, 1);
  grid->addWidget(PageControl1, 3, 0, 1, 2);
  grid->addWidget(OK, 4, 0, 1, 2, Qt::AlignCenter);

  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
    if (filling_) return;
    page == 0 ? onOwnPageShown() : onNetworkPageShown();
  });
  connect(CBoxTipVh, &QComboBox::activated, this, [this] { onOwnKindChanged(); });
  connect(EditNB_MBM, &QSpinBox::valueChanged, this, [this] {
    if (!filling_) onNetworkBlockChanged();
  });
  connect(CBoxTipVhNet, &QComboBox::activated, this, [this] { onNetworkKindChanged(); });
}

void InputIdentifierDialog::done(int) { QDialog::done(kDialogClosed); }

void InputIdentifierDialog::reject() {
  cancelled_ = true;
  QDialog::done(kDialogClosed);
}

// Enter in the text moves on to the next field; left to the dialog, it would
// press OK and create the handler with whatever the other fields hold.
bool InputIdentifierDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditText && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      focusNextChild();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void InputIdentifierDialog::PrepareCreate(int row) {
  filling_ = true;
  cancelled_ = false;
  setWindowTitle("Создание нового идентификатора входа");
  LabNVh->setText("№ созд. входа на схеме");
  LabN->setText(QString::number(row));
  TipKItems[0]->setChecked(true);
  Arh->setChecked(false);
  EditText->clear();
  const ServiceBlock& s = c_.service;
  const bool network = OwnSignalCount(s) < row;
  TabSheet2->setEnabled(HasNetworkSignals(s));
  PageControl1->setCurrentIndex(network ? 1 : 0);
  ShowSource(SignalSource{network, false, 1, 1, 0});
  filling_ = false;
  network ? onNetworkPageShown() : onOwnPageShown();
  c_.service.TextChanged = 0;
}

void InputIdentifierDialog::PrepareEdit(int row, int signal) {
  filling_ = true;
  cancelled_ = false;
  setWindowTitle("Редактирование идентификатора входа");
  LabNVh->setText("№ ред. входа на схеме");
  LabN->setText(QString::number(row));
  EditText->setText(QString::fromStdString(c_.service.GetText(signal)));
  TipKItems[c_.discreteProcessing.GetContact(signal) ? 1 : 0]->setChecked(true);
  Arh->setChecked(c_.discreteProcessing.GetArchive(signal) != 0);
  TabSheet2->setEnabled(HasNetworkSignals(c_.service));
  const SignalSource src = SourceOfSignal(c_.service, signal);
  PageControl1->setCurrentIndex(src.network ? 1 : 0);
  ShowSource(src);
  filling_ = false;
  c_.service.TextChanged = 0;
}

void InputIdentifierDialog::ShowSource(const SignalSource& src) {
  const bool was = filling_;
  filling_ = true;
  QComboBox* kind = src.network ? CBoxTipVhNet : CBoxTipVh;
  QSpinBox* module = src.network ? EditNB_MBM : EditNMod;
  QSpinBox* input = src.network ? EditNVhNet : EditNVhMod;
  QComboBox* setpoint = src.network ? CBoxTipSignNet : CBoxTipSign;
  const SourceLimits limits = LimitsOf(c_.service, src);
  kind->setCurrentIndex(src.analog ? kAnalog : kDiscrete);
  module->setMaximum(limits.modules);
  module->setValue(src.module);
  input->setMaximum(limits.inputs);
  input->setValue(src.input);
  setpoint->setCurrentIndex(src.setpoint);
  setpoint->setEnabled(src.analog);
  if (src.network) ShowSlave(src.module);
  filling_ = was;
}

void InputIdentifierDialog::ShowSlave(int block) {
  if (!HasNetworkSignals(c_.service) || block < 1) {
    LabTipSlave->clear();
    LabAdrSlave->clear();
    return;
  }
  LabTipSlave->setText(QString::fromStdString(SlaveTypeName(c_.networkMaster.GetSlaveType(block - 1))));
  LabAdrSlave->setText(QString::number(c_.networkMaster.GetSlave(block - 1)));
}

void InputIdentifierDialog::onOwnPageShown() {
  const ServiceBlock& s = c_.service;
  int kind = CBoxTipVh->currentIndex();
  if (s.DiModules <= 0) kind = kAnalog;
  if (s.AiModules <= 0) kind = kDiscrete;
  SignalSource src = Source();
  src.network = false;
  if ((kind == kAnalog) != src.analog) src = SignalSource{false, kind == kAnalog, 1, 1, 0};
  ShowSource(src);
}

void InputIdentifierDialog::onOwnKindChanged() {
  SignalSource src{false, CBoxTipVh->currentIndex() == kAnalog, 1, 1, 0};
  if (c_.service.DiModules <= 0) src.analog = true;
  if (c_.service.AiModules <= 0) src.analog = false;
  ShowSource(src);
}

void InputIdentifierDialog::onNetworkPageShown() {
  const ServiceBlock& s = c_.service;
  if (!HasNetworkSignals(s)) {
    TabSheet2->setEnabled(false);
    ShowSlave(0);
    return;
  }
  SignalSource src = Source();
  src.network = true;
  if (s.NetDiscreteTotal <= 0) src.analog = true;
  if (s.NetAnalogTotal <= 0) src.analog = false;
  src.module = std::clamp(src.module, 1, std::max(1, NetBlockCount(s)));
  ShowSource(src);
}

void InputIdentifierDialog::onNetworkBlockChanged() {
  const ServiceBlock& s = c_.service;
  const int block = EditNB_MBM->value();
  SignalSource src{true, CBoxTipVhNet->currentIndex() == kAnalog, block, 1, CBoxTipSignNet->currentIndex()};
  if (NetBlockDiscrete(s, block) <= 0) src.analog = true;
  if (NetBlockAnalog(s, block) <= 0) src.analog = false;
  ShowSource(src);
}

void InputIdentifierDialog::onNetworkKindChanged() {
  SignalSource src{true, CBoxTipVhNet->currentIndex() == kAnalog, EditNB_MBM->value(), 1, 0};
  ShowSource(src);
}

SignalSource InputIdentifierDialog::Source() const {
  if (NetworkChosen())
    return {true, CBoxTipVhNet->currentIndex() == kAnalog, EditNB_MBM->value(), EditNVhNet->value(),
            CBoxTipSignNet->currentIndex()};
  return {false, CBoxTipVh->currentIndex() == kAnalog, EditNMod->value(), EditNVhMod->value(),
          CBoxTipSign->currentIndex()};
}

bool InputIdentifierDialog::NetworkChosen() const { return PageControl1->currentIndex() == 1; }

int InputIdentifierDialog::ChosenSignal() const {
  if (NetworkChosen() && !TabSheet2->isEnabled()) return -1;
  return SignalOfSource(c_.service, Source());
}

bool InputIdentifierDialog::NormallyOpen() const { return TipKItems[1]->isChecked(); }
bool InputIdentifierDialog::Archived() const { return Arh->isChecked(); }
QString InputIdentifierDialog::Text() const { return EditText->text(); }
int InputIdentifierDialog::RowNumber() const { return LabN->text().toInt(); }

}  // namespace zul
