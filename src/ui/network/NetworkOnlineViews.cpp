#include "ui/network/NetworkOnlineViews.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "core/config/AnalogCalibration.h"
#include "core/config/Configuration.h"
#include "core/config/OnlineDiscrete.h"
#include "core/editing/LocalNetworkEditing.h"
#include "core/link/ModbusLink.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/WindowHabits.h"

namespace zul {

namespace {

constexpr int kValidityOffset = 1056;
constexpr uint8_t kAnalogValuesFunction = 71;

QLabel* Cell(const QString& name, QWidget* parent, int width = 0) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  if (width > 0) l->setMinimumWidth(width);
  return l;
}

void Paint(QLabel* l, const char* background) {
  l->setStyleSheet(background ? QString("background:%1;").arg(background) : QString());
}

QString TypeText(int type) {
  return type == kSlaveTypeOther ? QString("не определен")
                                 : Q(SlaveTypeNames()[static_cast<size_t>(type & 15)]);
}

}  // namespace

// --- range dialog --------------------------------------------------------------------------

DiscreteRangeDialog::DiscreteRangeDialog(Interaction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName("FormVhLoc");
  setWindowTitle("Ввод начального адреса и количества входов блока MBM");
  setModal(true);
  auto* grid = new QGridLayout(this);
  auto field = [this, grid](int row, const char* caption, const char* name, const char* hintName,
                            QLabel** hint) {
    grid->addWidget(new QLabel(caption, this), row * 2, 0);
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(10);
    grid->addWidget(e, row * 2, 1);
    *hint = new QLabel(this);
    (*hint)->setObjectName(hintName);
    (*hint)->setStyleSheet("color:red;");
    grid->addWidget(*hint, row * 2 + 1, 1);
    return e;
  };
  EditAdr = field(0, "Начальный адрес", "EditAdr", "HintAdr", &HintAdr);
  EditKol = field(1, "Количество", "EditKol", "HintKol", &HintKol);
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  grid->addWidget(OK, 4, 1);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  KeyFilter::Digits(EditAdr, ui_, [this] { EditKol->setFocus(); });
  KeyFilter::Digits(EditKol, ui_, [this] { OK->setFocus(); });
  for (auto [field, hint] : {std::pair{EditAdr, HintAdr}, std::pair{EditKol, HintKol}}) {
    connect(field, &QLineEdit::editingFinished, this, [this, field, hint] {
      if (field->text().trimmed().isEmpty()) ShowInputHint(field, hint, ui_);
    });
  }
}

void DiscreteRangeDialog::Prepare(int first, int size) {
  first_ = first;
  size_ = size;
  // Numbered as the view numbers its rows: from 1.
  EditAdr->setText(QString::number(first + 1));
  EditKol->setText(QString::number(std::min(size, NetworkDiscreteOnline::kRows)));
  HintAdr->clear();
  HintKol->clear();
}

void DiscreteRangeDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  EditAdr->setFocus();
}

bool DiscreteRangeDialog::canClose() {
  HintAdr->clear();
  HintKol->clear();
  const RangeCheck r =
      CheckDiscreteRange(EditAdr->text().toStdString(), EditKol->text().toStdString(), first_ + 1, size_);
  if (r.ok) {
    start_ = r.start - 1;
    count_ = r.count;
    return true;
  }
  QLineEdit* field = r.field == 0 ? EditAdr : EditKol;
  QLabel* hint = r.field == 0 ? HintAdr : HintKol;
  ShowInputHint(field, hint, ui_, r.empty ? kInputErrorText : Q(r.hint));
  return false;
}

void DiscreteRangeDialog::done(int result) {
  if (result == QDialog::Accepted && !canClose()) return;
  QDialog::done(result);
}

// --- polling -------------------------------------------------------------------------------

NetworkOnlineView::NetworkOnlineView(Configuration& c, ModbusLink& port, LinkWorker& worker,
                                     const QString& name, QWidget* parent)
    : QDialog(parent), c_(c), port_(port), worker_(worker) {
  setObjectName(name);
  setModal(true);
  TipMod = Cell("TipMod", this, 120);
  LabAMod = Cell("LabAMod", this, 60);
  Label = new QLabel("запущен опрос", this);
  Label->setObjectName("Label");
  Label->setStyleSheet("color:green;");
  Label->setVisible(false);
  Button1 = new QPushButton("Пуск и остановка таймера", this);
  Button1->setObjectName("Button1");
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kPollMs);
  connect(Button1, &QPushButton::clicked, this, &NetworkOnlineView::togglePolling);
  connect(Timer1, &QTimer::timeout, this, [this] { poll(); });
}

bool NetworkOnlineView::Polling() const { return Timer1->isActive(); }

void NetworkOnlineView::togglePolling() {
  if (Timer1->isActive())
    Timer1->stop();
  else
    Timer1->start();
  Label->setVisible(Timer1->isActive());
}

void NetworkOnlineView::ShowHeader(int k) {
  TipMod->setText(TypeText(c_.networkMaster.GetSlaveType(k)));
  LabAMod->setText(QString::number(c_.networkMaster.GetSlave(k)));
}

void NetworkOnlineView::Failed(int result) {
  if (!Polling()) return;
  togglePolling();  // stopped first, so the message box lets no tick in
  port_.ShowError(worker_.Messages(), c_.service.CurrentDevice, result);
}

void NetworkOnlineView::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Polling()) togglePolling();
}

void NetworkOnlineView::hideEvent(QHideEvent* event) {
  if (Polling()) togglePolling();  // a window nobody sees polls nothing
  QDialog::hideEvent(event);
}

void NetworkOnlineView::done(int result) {
  if (Polling()) togglePolling();
  QDialog::done(result);
}

// --- discrete view -------------------------------------------------------------------------

NetworkDiscreteOnline::NetworkDiscreteOnline(Configuration& c, ModbusLink& port, LinkWorker& worker,
                                             Interaction& ui, QWidget* parent)
    : NetworkOnlineView(c, port, worker, "FormVhDLoc", parent) {
  setWindowTitle("Тек. информ. дискретных входов  локал. сети ");
  rangeDialog = new DiscreteRangeDialog(ui, this);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Тип устр.        Slave", this), 0, 0, 1, 2);
  grid->addWidget(TipMod, 0, 2, 1, 2);
  grid->addWidget(new QLabel("Адрес Slave в лок.  сети", this), 1, 0, 1, 2);
  grid->addWidget(LabAMod, 1, 2);
  for (int i = 0; i < kRows; ++i) {
    Row& r = Rows[static_cast<size_t>(i)];
    r.Vh = new QLabel(QString("Вход %1").arg(i + 1), this);
    r.Vh->setObjectName(QString("Vh%1").arg(i + 1));
    r.Ident = Cell(QString("Id%1").arg(i + 1), this, 110);
    r.Number = Cell(QString("N%1").arg(i + 1), this, 40);
    r.State = Cell(QString("V%1").arg(i + 1), this, 40);
    r.Validity = Cell(QString("D%1").arg(i + 1), this, 90);
    const int row = i + 2;
    grid->addWidget(r.Vh, row, 0);
    grid->addWidget(r.Ident, row, 1);
    grid->addWidget(r.Number, row, 2);
    grid->addWidget(r.State, row, 3);
    grid->addWidget(r.Validity, row, 4);
  }
  grid->addWidget(Label, kRows + 2, 0, 1, 2);
  grid->addWidget(Button1, kRows + 2, 2, 1, 3);
}

bool NetworkDiscreteOnline::Prepare(int k) {
  const NetworkMaster& m = c_.networkMaster;
  if (!m.EntryInUse(k)) return false;
  ShowHeader(k);
  const int first = m.GetFirstDiscrete(k);
  // Never past the signal table, whatever an entry from a file says.
  const int size = std::min(m.GetBlockSizes(k).discrete, NetworkMaster::kDiscreteSignals - first);
  if (size <= 0) return false;
  start_ = first;
  count_ = std::min(size, kRows);
  if (size > kRows) {
    rangeDialog->Prepare(first, size);
    if (rangeDialog->exec() != QDialog::Accepted) return false;
    start_ = rangeDialog->Start();
    count_ = rangeDialog->Count();
  }
  for (int i = 0; i < kRows; ++i) {
    const Row& r = Rows[static_cast<size_t>(i)];
    const bool shown = i < count_;
    for (QLabel* l : {r.Vh, r.Ident, r.Number, r.State, r.Validity}) l->setVisible(shown);
    r.Ident->setText(shown ? Q(c_.service.GetIdentifier(start_ + i)) : QString());
    r.Number->setText(shown ? QString::number(start_ + i + 1) : QString());
    r.State->clear();
    r.Validity->clear();
    Paint(r.State, nullptr);
    Paint(r.Validity, nullptr);
  }
  adjustSize();
  return true;
}

int NetworkDiscreteOnline::Open(int k) {
  if (!Prepare(k)) return QDialog::Rejected;
  return exec();
}

void NetworkDiscreteOnline::poll() {
  if (count_ <= 0) return;
  struct Reading {
    std::array<uint8_t, kAnswerBufferSize> states{};
    std::array<uint8_t, kAnswerBufferSize> validity{};
    int statesResult = kResultOk;
    int validityResult = kResultOk;
  };
  // A tick that finds the line busy skips its turn.
  BackgroundExchange(worker_, this)
      .PollFor(
          [this, device = c_.service.CurrentDevice, start = start_, count = count_](Interaction&) {
            Reading r;
            const BitRequest statesRequest{2, start, count};
            auto data = statesRequest.Data();
            r.statesResult = port_.Request(device, statesRequest.function, data, r.states);
            if (r.statesResult != kResultOk) return r;
            const BitRequest validityRequest{1, start + kValidityOffset, count};
            data = validityRequest.Data();
            r.validityResult = port_.Request(device, validityRequest.function, data, r.validity);
            return r;
          },
          [this](const Reading& r) { ShowStates(r.statesResult, r.states, r.validityResult, r.validity); });
}

void NetworkDiscreteOnline::ShowStates(int statesResult, std::span<const uint8_t> states, int validityResult,
                                       std::span<const uint8_t> validity) {
  if (statesResult != kResultOk) {
    Failed(statesResult);
    return;
  }
  for (int i = 0; i < count_; ++i) {
    const Row& r = Rows[static_cast<size_t>(i)];
    const bool on = AnswerBit(states, i);
    r.State->setText(on ? "on" : "off");
    Paint(r.State, on ? "yellow" : nullptr);
  }
  if (validityResult != kResultOk) {
    Failed(validityResult);
    return;
  }
  for (int i = 0; i < count_; ++i) {
    const Row& r = Rows[static_cast<size_t>(i)];
    const bool invalid = AnswerBit(validity, i);
    r.Validity->setText(invalid ? "недостовер." : "достовер.");
    Paint(r.Validity, invalid ? "#e040e0" : nullptr);
  }
}

// --- analog view ---------------------------------------------------------------------------

NetworkAnalogOnline::NetworkAnalogOnline(Configuration& c, ModbusLink& port, LinkWorker& worker,
                                         NetworkDiscreteOnline& discrete, QWidget* parent)
    : NetworkOnlineView(c, port, worker, "FormVhAnL", parent), discrete_(discrete) {
  setWindowTitle("Тек. информ. аналоговых входов  локал. сети ");
  // The rows scroll on a small screen; the buttons stay in sight.
  auto* body = new QWidget;
  auto* grid = new QGridLayout(body);
  grid->addWidget(new QLabel("Тип устр.        Slave", this), 0, 0, 1, 2);
  grid->addWidget(TipMod, 0, 2, 1, 2);
  grid->addWidget(new QLabel("Адрес Slave в лок.  сети", this), 1, 0, 1, 2);
  grid->addWidget(LabAMod, 1, 2);
  for (int i = 0; i < kRows; ++i) {
    Row& r = Rows[static_cast<size_t>(i)];
    const QString n = QString::number(i + 1);
    r.Vh = new QLabel("Вход " + n, this);
    r.Vh->setObjectName("Vh" + n);
    r.Number = Cell("N" + n, this, 30);
    r.Position = Cell("KV" + n, this, 80);
    r.Value = Cell("V" + n, this, 70);
    r.Unit = Cell("RV" + n, this, 50);
    r.Fault = Cell("AV" + n, this, 20);
    r.Alarm = Cell("NV" + n, this, 60);
    const int row = i + 2;
    int column = 0;
    for (QLabel* l : {r.Vh, r.Number, r.Position, r.Value, r.Unit, r.Fault, r.Alarm})
      grid->addWidget(l, row, column++);
  }
  ButOnLine = new QPushButton("on line", this);
  ButOnLine->setObjectName("ButOnLine");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Label);
  buttons->addWidget(Button1);
  buttons->addWidget(ButOnLine);
  auto* whole = new QVBoxLayout(this);
  whole->addWidget(new FittingScrollArea(body, this));
  whole->addLayout(buttons);
  connect(ButOnLine, &QPushButton::clicked, this, &NetworkAnalogOnline::openDiscreteView);
}

bool NetworkAnalogOnline::Prepare(int k) {
  const NetworkMaster& m = c_.networkMaster;
  const NetworkAnalogSpan span = NetworkAnalogSpanOf(c_, k);
  if (span.empty()) return false;
  entry_ = k;
  first_ = m.GetFirstAnalog(k);
  count_ = span.count;
  network_ = span.first;
  ShowHeader(k);
  for (int i = 0; i < kRows; ++i) {
    const Row& r = Rows[static_cast<size_t>(i)];
    const bool shown = i < count_;
    for (QLabel* l : {r.Vh, r.Number, r.Position, r.Value, r.Unit, r.Fault, r.Alarm}) {
      l->setVisible(shown);
      if (l != r.Vh) l->clear();
    }
    Paint(r.Fault, nullptr);
    Paint(r.Alarm, nullptr);
    if (!shown) continue;
    r.Unit->setText(Q(c_.analogModules.GetUnitName(m.GetUnitIndex(network_ + i))));
    r.Position->setText(Q(m.GetPosition(network_ + i)));
  }
  adjustSize();
  return true;
}

int NetworkAnalogOnline::Open(int k) {
  if (!Prepare(k)) return QDialog::Rejected;
  return exec();
}

void NetworkAnalogOnline::poll() {
  if (count_ <= 0) return;
  struct Reading {
    std::array<uint8_t, kAnswerBufferSize> answer{};
    int result = kResultOk;
  };
  const std::array<uint8_t, 2> data{static_cast<uint8_t>(first_), static_cast<uint8_t>(count_)};
  // A tick that finds the line busy skips its turn; the values are stored on the UI thread.
  BackgroundExchange(worker_, this)
      .PollFor(
          [this, data, device = c_.service.CurrentDevice](Interaction&) {
            Reading r;
            r.result = port_.Request(device, kAnalogValuesFunction, data, r.answer);
            return r;
          },
          [this](const Reading& r) {
            if (r.result != kResultOk) {
              Failed(r.result);
              return;
            }
            c_.networkMaster.StoreOnlineAnswer(r.answer.data(), r.answer.size(), count_, first_);
            DrawRows();
          });
}

void NetworkAnalogOnline::DrawRows() {
  const NetworkMaster& m = c_.networkMaster;
  for (int i = 0; i < count_; ++i) {
    const Row& r = Rows[static_cast<size_t>(i)];
    const int s = first_ + i;
    r.Number->setText(QString::number(s + 1));
    const ChannelStatusView view = DescribeChannelStatus(m.OnlineStatus[static_cast<size_t>(s)]);
    r.Value->setText(view.clearValue ? QString() : Q(m.GetOnlineText(s)));
    r.Fault->setText(Q(view.fault));
    Paint(r.Fault, view.colour == FaultColour::Green    ? "#40c040"
                   : view.colour == FaultColour::Purple ? "#e040e0"
                                                        : "yellow");
    if (view.keepAlarm) continue;
    r.Alarm->setText(Q(view.alarm));
    Paint(r.Alarm, view.alarmRed ? "red" : view.alarm.empty() ? nullptr : "#40c040");
  }
}

void NetworkAnalogOnline::openDiscreteView() {
  const bool polling = Polling();
  if (polling) togglePolling();
  discrete_.Open(entry_);
  if (polling) togglePolling();
}

}  // namespace zul
