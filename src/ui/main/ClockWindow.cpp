#include "ui/main/ClockWindow.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/link/ModbusLink.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/ServiceBlock.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"

namespace zul {

namespace {

constexpr int kPollIntervalMs = 100;
constexpr int kStoredIntervalMs = 5000;

struct FieldSpec {
  const char* label;
  const char* hint;
  int maxLength;
};
constexpr FieldSpec kFields[kClockFields] = {
    {"Секунды", "0-59", 2}, {"Минуты", "0-59", 2}, {"Час", "0-23", 2},        {"День месяца", "1-31", 2},
    {"Месяц", "1-12", 2},   {"Год", "0-99", 2},    {"День недели", "1-7", 1},
};

QPushButton* Button(const QString& name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

ClockWindow::ClockWindow(ModbusLink& port, ServiceBlock& serv, DiscreteProcessing& processing,
                         LinkWorker& worker, Interaction& ui, QWidget* parent)
    : QDialog(parent), port_(port), service_(serv), processing_(processing), worker_(worker), ui_(ui) {
  setObjectName("FormTimeDate");
  setWindowTitle("Задайте время и дату");
  setModal(true);

  GroupBox1 = new QGroupBox("Запрос текущего времени прибора", this);
  GroupBox1->setObjectName("GroupBox1");
  Button1 = Button("Button1", "Пуск и остановка запроса времени", GroupBox1);
  Label10 = new QLabel("запрос  времени включен", GroupBox1);
  Label10->setObjectName("Label10");
  Label10->hide();
  StTime = MakeCell("StTime", GroupBox1, 90);
  StDate = MakeCell("StDate", GroupBox1, 90);
  StDayWeek = MakeCell("StDayWeek", GroupBox1, 40);
  for (QLabel* cell : {StTime, StDate, StDayWeek}) cell->setAlignment(Qt::AlignCenter);
  auto* g1 = new QGridLayout(GroupBox1);
  g1->addWidget(Button1, 0, 0, 1, 2);
  g1->addWidget(Label10, 0, 2, 1, 2);
  g1->addWidget(new QLabel("Время", GroupBox1), 1, 0);
  g1->addWidget(StTime, 1, 1);
  g1->addWidget(new QLabel("Дата", GroupBox1), 1, 2);
  g1->addWidget(StDate, 1, 3);
  g1->addWidget(StDayWeek, 1, 4);

  GroupBox2 = new QGroupBox("Задание времени и даты", this);
  GroupBox2->setObjectName("GroupBox2");
  auto* g2 = new QGridLayout(GroupBox2);
  for (int k = 0; k < kClockFields; ++k) {
    auto* edit = new QLineEdit(GroupBox2);
    edit->setObjectName(QString("Edit%1").arg(k + 1));
    edit->setMaxLength(kFields[k].maxLength);
    edit->setToolTip(kFields[k].hint);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("000") + 16);
    edit->setAlignment(Qt::AlignCenter);
    Edits[static_cast<size_t>(k)] = edit;
    g2->addWidget(new QLabel(kFields[k].label, GroupBox2), 0, k, Qt::AlignHCenter);
    g2->addWidget(edit, 1, k, Qt::AlignHCenter);
    KeyFilter::PlainDigits(edit, [edit] { FocusNext(edit); });
    connect(edit, &QLineEdit::textChanged, this, [this] { service_.TimeEdited = 1; });
  }
  Button2 = Button("Button2", "Время и дата прибора", GroupBox2);
  Button3 = Button("Button3", "Время и дата PC", GroupBox2);
  ChangeTime = Button("ChangeTime", "Передать время и дату в прибор", GroupBox2);
  auto* row = new QHBoxLayout;
  row->addWidget(Button2);
  row->addWidget(Button3);
  row->addWidget(ChangeTime);
  g2->setVerticalSpacing(14);  // room for the note under a field
  g2->addLayout(row, 2, 0, 1, kClockFields);

  OK = Button("OK", "OK", this);
  Cancel = Button("Cancel", "Отмена", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2);
  layout->addLayout(buttons);

  ErrorText = new HintLabel(this);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kStoredIntervalMs);

  connect(Button1, &QPushButton::clicked, this, &ClockWindow::togglePolling);
  connect(Button2, &QPushButton::clicked, this, &ClockWindow::takeDeviceTime);
  connect(Button3, &QPushButton::clicked, this, &ClockWindow::takeComputerTime);
  connect(ChangeTime, &QPushButton::clicked, this, &ClockWindow::setDeviceTime);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(Timer1, &QTimer::timeout, this, &ClockWindow::pollOnce);
}

void ClockWindow::Open() {
  for (QLineEdit* e : Edits) e->setText("1");
  service_.TimeEdited = 0;
  ErrorText->hide();
  exec();
}

void ClockWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  onShown();
}

void ClockWindow::onShown() {
  Timer1->stop();
  reportFlag_ = 1;
  Label10->hide();
  togglePolling();
}

void ClockWindow::togglePolling() {
  Timer1->setInterval(kPollIntervalMs);
  if (Timer1->isActive()) {
    Timer1->stop();
  } else {
    Timer1->start();
  }
  reportFlag_ ^= 1;
  Label10->setVisible(Timer1->isActive());
}

void ClockWindow::StopPolling() {
  if (Timer1->isActive()) togglePolling();
}

void ClockWindow::pollOnce() {
  struct Reading {
    int result = kResultOk;
    std::array<uint8_t, kAnswerBufferSize> answer{};
  };
  // A tick that finds the line busy is skipped.
  BackgroundExchange(worker_, ui_, this)
      .PollFor(
          [this, device = service_.CurrentDevice, report = reportFlag_ == 1](Interaction&) {
            Reading r;
            r.result = port_.Request(device, kClockReadFunction, kClockRequestData, r.answer);
            if (r.result != kResultOk && report) port_.ShowError(device, r.result);
            return r;
          },
          [this](const Reading& r) {
            if (r.result == kResultOk) ShowClock(r.answer);
          });
}

void ClockWindow::ShowClock(std::span<const uint8_t> answer) {
  ControllerTime t{};
  if (!DecodeClockAnswer(answer, &t)) return;
  StTime->setText(QString::fromStdString(TimeText(t)));
  StDate->setText(QString::fromStdString(DateText(t)));
  StDayWeek->setText(QString::fromStdString(DayOfWeekText(t[kClockWeekday])));
  kept_ = t;
}

void ClockWindow::takeDeviceTime() {
  if (!Label10->isVisibleTo(this)) {
    ui_.Show(kCaptionWarning, "Включите запрос времени с прибора", Icon::Error);
    return;
  }
  for (int k = 0; k < kClockFields; ++k)
    Edits[static_cast<size_t>(k)]->setText(QString::number(kept_[static_cast<size_t>(k)]));
}

void ClockWindow::takeComputerTime() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  PutCalendar(FromCalendar(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), d.dayOfWeek()));
}

void ClockWindow::PutCalendar(const ControllerTime& t) {
  for (int k = 0; k < kClockFields; ++k)
    Edits[static_cast<size_t>(k)]->setText(QString::number(t[static_cast<size_t>(k)]));
}

bool ClockWindow::CheckFields(ControllerTime* values) {
  std::array<std::string, kClockFields> texts;
  for (int k = 0; k < kClockFields; ++k)
    texts[static_cast<size_t>(k)] = Edits[static_cast<size_t>(k)]->text().toStdString();
  const ClockFieldError error = CheckClockFields(texts, values);
  if (error.ok()) {
    ErrorText->hide();
    return true;
  }
  ShowInputHint(Edits[static_cast<size_t>(error.field)], ErrorText, ui_,
                QString::fromStdString(error.message));
  return false;
}

void ClockWindow::setDeviceTime() {
  if (!port_.CheckWriteAccess(ui_)) return;
  ControllerTime t{};
  if (!CheckFields(&t)) return;
  BackgroundExchange(worker_, ui_, this)
      .Run("Установка времени", ExchangeKind::Write,
           [this, t, device = service_.CurrentDevice](Interaction&) { SendClock(port_, device, t); });
}

void ClockWindow::done(int result) {
  StopPolling();
  if (result == Accepted && !CheckFields()) return;
  if (service_.FileMode == 1 && service_.TimeEdited == 1) service_.FileChanged = 1;
  QDialog::done(result);
}

}  // namespace zul
