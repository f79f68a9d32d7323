#include "ui/link/PortDialog.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "core/link/ModbusLink.h"
#include "serial/RecentPorts.h"
#include "ui/link/ExchangeSettingsDialog.h"
#include "ui/link/LinkWorker.h"

namespace zul {

namespace {

QComboBox* PickList(const QString& name, const QStringList& items, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(false);
  box->addItems(items);
  return box;
}

constexpr int kEvenParity = 2;
constexpr int kTwoStopBits = 1;

}  // namespace

PortDialog::PortDialog(LinkWorker& worker, ExchangeSettingsDialog& nastr, std::vector<std::string> namedPorts,
                       QWidget* parent)
    : QDialog(parent), worker_(worker), nastr_(nastr), namedPorts_(std::move(namedPorts)) {
  setObjectName("FormPort");
  setWindowTitle("Настройка СОМ-порта");
  setModal(true);

  CBoxPort = PickList("CBoxPort", {}, this);
  CBoxPort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  CBoxPort->setMinimumContentsLength(12);
  // A network port is typed; a typed name is not added to the list until accepted.
  CBoxPort->setEditable(true);
  CBoxPort->setInsertPolicy(QComboBox::NoInsert);
  Skor = PickList("Skor", {"9600", "19200", "57600", "115200"}, this);
  Parit = PickList("Parit", {"нет", "нечет", "чет"}, this);
  StBit = PickList("StBit", {"1", "2"}, this);
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  OK->setDefault(true);
  Button1 = new QPushButton("Настройка обмена", this);
  Button1->setObjectName("Button1");

  auto* grid = new QGridLayout(this);
  const struct {
    const char* label;
    QComboBox* list;
  } rows[] = {
      {"СОМ-порт", CBoxPort}, {"Скорость(бит/с):", Skor}, {"Четность:", Parit}, {"Стоповые биты:", StBit}};
  int row = 0;
  for (const auto& r : rows) {
    grid->addWidget(new QLabel(r.label, this), row, 0);
    grid->addWidget(r.list, row, 1);
    ++row;
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addStretch();
  buttons->addWidget(OK);
  grid->addLayout(buttons, row, 0, 1, 2);

  connect(CBoxPort, QOverload<int>::of(&QComboBox::activated), this, &PortDialog::onPortChosen);
  connect(OK, &QPushButton::clicked, this, &PortDialog::onOk);
  connect(Button1, &QPushButton::clicked, this, &PortDialog::applyExchangeSettings);
}

QStringList PortDialog::PortNames() const {
  QStringList names;
  for (const std::string& n : namedPorts_) {
    if (!names.contains(QString::fromStdString(n))) names << QString::fromStdString(n);
  }
  for (const QString& n : RecentNetworkPorts()) {
    if (!names.contains(n)) names << n;
  }
  for (const std::string& n : worker_.link().AvailablePorts()) {
    if (!names.contains(QString::fromStdString(n))) names << QString::fromStdString(n);
  }
  return names;
}

void PortDialog::showEvent(QShowEvent* event) {
  onShown();
  QDialog::showEvent(event);
}

void PortDialog::onShown() {
  Skor->setCurrentIndex(acceptedSkor_);
  Parit->setCurrentIndex(acceptedParit_);
  StBit->setCurrentIndex(acceptedStBit_);
  worker_.Post({[&port = worker_.link(), wasOpen = portWasOpen_](Interaction&) {
    *wasOpen = port.IsPortOpen();
    port.ClosePort();
  }});
  CBoxPort->clear();
  CBoxPort->addItems(PortNames());
  auto* completer = new QCompleter(RecentNetworkPorts(), CBoxPort);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  CBoxPort->setCompleter(completer);
  CBoxPort->setCurrentIndex(CBoxPort->count() > 0 ? 0 : -1);
  if (FirstShowing) {
    chosenPort_ = 0;
  } else if (!chosenName_.isEmpty()) {
    // The list may have grown in front of it (recent ports): find it by name.
    const int at = CBoxPort->findText(chosenName_);
    if (at >= 0)
      CBoxPort->setCurrentIndex(at);
    else
      CBoxPort->setEditText(chosenName_);
  } else if (chosenPort_ < CBoxPort->count()) {
    CBoxPort->setCurrentIndex(chosenPort_);
  }
  adjustSize();  // long port paths widen the list
}

void PortDialog::onPortChosen(int position) {
  chosenPort_ = position;
  chosenName_ = CBoxPort->itemText(position);
}

void PortDialog::onOk() {
  if (Parit->currentIndex() == kEvenParity && StBit->currentIndex() == kTwoStopBits) {
    done(Invalid);
    return;
  }
  acceptedSkor_ = Skor->currentIndex();
  acceptedParit_ = Parit->currentIndex();
  acceptedStBit_ = StBit->currentIndex();
  const QString port = CBoxPort->currentText().trimmed();
  RememberNetworkPort(port);
  chosenName_ = port;
  done(Ok);
}

void PortDialog::applyExchangeSettings() { ApplyExchangeSettings(nastr_, worker_); }

void PortDialog::done(int result) {
  if (result == Cancelled) {
    worker_.Post({[&port = worker_.link(), wasOpen = portWasOpen_](Interaction&) {
      if (*wasOpen) port.OpenPort();
    }});
  }
  QDialog::done(result);
}

}  // namespace zul
