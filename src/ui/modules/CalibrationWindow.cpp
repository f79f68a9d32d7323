#include "ui/modules/CalibrationWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/AnalogCalibration.h"
#include "core/link/ModbusLink.h"
#include "core/model/ServiceBlock.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/HintLabel.h"

namespace zul {

namespace {

constexpr int kPollMs = 1000;
constexpr int kReferenceRow = CalibrationWindow::kRows - 1;
const QColor kPurple(0x80, 0x00, 0x80);

const char* kScaleStartQuestion =
    "Внимание! Сейчас будет произведена калибровка\nначала шкалы измерения \nУбедитесь, подан ли на вход "
    "сигнал,\nсоответствующий началу шкалы?";
const char* kScaleEndQuestion =
    "Внимание! Сейчас будет произведена калибровка\nконца шкалы измерения \nУбедитесь, подан ли на вход "
    "сигнал,\nсоответствующий концу шкалы?";
const char* kScaleQuestionCaption = "Подтвердите готовность к калибровке шкалы";

QColor FaultColourOf(FaultColour c) {
  switch (c) {
    case FaultColour::Purple:
      return kPurple;
    case FaultColour::Yellow:
      return Qt::yellow;
    default:
      return Qt::green;
  }
}

}  // namespace

CalibrationWindow::CalibrationWindow(ModbusLink& port, ServiceBlock& serv, AnalogModules& mba,
                                     LinkWorker& worker, Interaction& ui, QWidget* parent)
    : QDialog(parent), port_(port), service_(serv), mba_(mba), worker_(worker), ui_(ui) {
  setObjectName("FormKalibr");
  setWindowTitle("Текущая информация и калибровка аналоговых входов ");
  setModal(true);

  TipMod = MakeCell("TipMod", this, 300);
  Kalibr = new QLabel("Калибровка", this);
  Kalibr->setObjectName("Kalibr");
  Label1 = new QLabel("запущен опрос", this);
  Label1->setObjectName("Label1");
  Label1->hide();
  Button1 = new QPushButton("Пуск и остановка таймера", this);
  Button1->setObjectName("Button1");
  Button1->setAutoDefault(false);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kPollMs);

  auto* table = new QGridLayout;
  table->setHorizontalSpacing(4);
  table->setVerticalSpacing(2);
  auto* header = new QLabel(
      "Позиция       код MIN       код  АЦП      код MAX      Тек. знач.    Размер.    Наруш.   Сост ", this);
  table->addWidget(header, 0, 1, 1, 8);
  table->addWidget(Kalibr, 0, 9, 1, 3, Qt::AlignCenter);
  for (int k = 1; k <= kRows; ++k) {
    Rows[static_cast<size_t>(k - 1)] = BuildRow(k);
    const Row& r = Rows[static_cast<size_t>(k - 1)];
    QWidget* cells[] = {r.Vh, r.KV, r.XMin, r.XACP,  r.XMax,   r.V,
                        r.RV, r.AV, r.NV,   r.SpBut, r.KalMin, r.KalMax};
    for (int col = 0; col < 12; ++col) table->addWidget(cells[col], k, col);
  }

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Button1);
  bottom->addWidget(Label1);
  bottom->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetMinimumSize);  // never smaller than the rows need
  layout->addWidget(TipMod);
  layout->addLayout(table);
  layout->addLayout(bottom);

  connect(Button1, &QPushButton::clicked, this, &CalibrationWindow::togglePolling);
  connect(Timer1, &QTimer::timeout, this, &CalibrationWindow::poll);
  ShowCalibrationState();
}

CalibrationWindow::Row CalibrationWindow::BuildRow(int k) {
  Row r{};
  r.Vh = new QLabel(k == kRows ? QString("Тхс") : QString("Вход %1").arg(k), this);
  r.Vh->setObjectName(QString("Vh%1M1").arg(k));
  r.KV = MakeCell(QString("KV%1M1").arg(k), this, 80);
  r.XMin = MakeCell(QString("XMin%1").arg(k), this, 60);
  r.XACP = MakeCell(QString("XACP%1").arg(k), this, 60);
  r.XMax = MakeCell(QString("XMax%1").arg(k), this, 60);
  r.V = MakeCell(QString("V%1M1").arg(k), this, 70);
  r.RV = MakeCell(QString("RV%1M1").arg(k), this, 60);
  r.AV = MakeCell(QString("AV%1M1").arg(k), this, 30);
  r.NV = MakeCell(QString("NV%1M1").arg(k), this, 60);
  for (QLabel* cell : {r.XMin, r.XACP, r.XMax, r.V}) cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  for (QLabel* cell : {r.AV, r.NV}) cell->setAlignment(Qt::AlignCenter);
  r.SpBut = new QPushButton("Калибр.", this);
  r.SpBut->setObjectName(QString("SpBut%1").arg(k));
  r.SpBut->setCheckable(true);
  r.KalMin = new QPushButton("Min", this);
  r.KalMin->setObjectName(QString("KalMin%1").arg(k));
  r.KalMax = new QPushButton("Max", this);
  r.KalMax->setObjectName(QString("KalMax%1").arg(k));
  for (QPushButton* b : {r.SpBut, r.KalMin, r.KalMax}) b->setAutoDefault(false);
  connect(r.SpBut, &QPushButton::clicked, this, [this, k](bool down) { onCalibrationButton(k, down); });
  connect(r.KalMin, &QPushButton::clicked, this, [this, k] { calibrateMin(k); });
  connect(r.KalMax, &QPushButton::clicked, this, [this, k] { calibrateMax(k); });
  return r;
}

int CalibrationWindow::RowCount() const {
  return mba_.CalibrationType == AnalogModules::kTypeLK9 ? kRows : kRows - 1;
}

void CalibrationWindow::Prepare(int module, int moduleType, const QString& ident,
                                const std::array<QString, 6>& positions,
                                const std::array<QString, 6>& units) {
  module_ = std::clamp(module, 1, AnalogModules::kModules);
  mba_.CalibrationType = moduleType;
  TipMod->setText(ident);
  for (size_t k = 0; k < positions.size(); ++k) {
    Rows[k].KV->setText(positions[k]);
    mba_.CalibrationUnits[k] = units[k].toStdString();
  }
  Rows[kReferenceRow].KV->setText("TXC");
  mba_.CalibrationUnits[kReferenceRow] = "град.C";
  mba_.ReplacedUnitChannel = -1;
  const bool reference = moduleType == AnalogModules::kTypeLK9;
  const Row& ref = Rows[kReferenceRow];
  for (QWidget* w :
       std::initializer_list<QWidget*>{ref.Vh, ref.KV, ref.XMin, ref.XACP, ref.XMax, ref.V, ref.RV, ref.AV,
                                       ref.NV, ref.SpBut, ref.KalMin, ref.KalMax}) {
    w->setVisible(reference);
  }
  for (int k = 1; k <= kRows; ++k) {
    Rows[static_cast<size_t>(k - 1)].SpBut->setChecked(k == mba_.CalibrationChannel);
  }
  DrawRows();
  ShowCalibrationState();
}

int CalibrationWindow::Open() { return exec(); }

bool CalibrationWindow::Polling() const { return Timer1->isActive(); }

void CalibrationWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  mba_.CalibrationClosing = 0;
  if (!Polling()) togglePolling();
}

void CalibrationWindow::togglePolling() {
  if (Timer1->isActive()) {
    Timer1->stop();
  } else {
    Timer1->start();
  }
  Label1->setVisible(Timer1->isActive());
}

void CalibrationWindow::Failed(int result) {
  if (!Polling()) return;
  togglePolling();  // first stop, so the message box cannot let another tick in
  port_.ShowError(ui_, service_.CurrentDevice, result);
}

void CalibrationWindow::poll() {
  auto results = std::make_shared<std::pair<int, int>>(kResultOk, kResultOk);  // values, codes
  // A tick that finds the line busy skips its turn.
  BackgroundExchange(worker_, ui_, this)
      .Poll(
          [this, results, device = service_.CurrentDevice, module = module_,
           type = mba_.CalibrationType](Interaction&) {
            results->first = ReadOnlineValues(port_, device, mba_, module, type);
            if (results->first == kResultOk)
              results->second = ReadCalibrationCodes(port_, device, mba_, module);
          },
          [this, results] {
            const auto [values, codes] = *results;
            if (values != kResultOk || CodesPollFailed(codes)) {
              Failed(values != kResultOk ? values : codes);
              return;
            }
            DrawRows();
          });
}

void CalibrationWindow::DrawRows() {
  const int m = module_ - 1;
  for (int k = 0; k < RowCount(); ++k) {
    const Row& r = Rows[static_cast<size_t>(k)];
    const ChannelStatusView view = DescribeChannelStatus(mba_.GetOnlineStatus(k));
    r.AV->setText(QString::fromStdString(view.fault));
    PaintCell(r.AV, FaultColourOf(view.colour));
    r.V->setText(view.clearValue ? QString() : QString::fromStdString(mba_.GetOnlineText(k)));
    const std::string& unit = mba_.CalibrationUnits[static_cast<size_t>(k)];
    if (view.calibrating) {
      const int signal = k < AnalogModules::kChannels ? mba_.GetInputSignal(m, k) : 0;
      r.RV->setText(QString::fromStdString(RawSignalUnit(mba_.CalibrationType, signal)));
      mba_.ReplacedUnitChannel = k;
    } else {
      r.RV->setText(QString::fromStdString(unit));
      if (mba_.ReplacedUnitChannel == k) mba_.ReplacedUnitChannel = -1;
    }
    if (!view.keepAlarm) {
      r.NV->setText(QString::fromStdString(view.alarm));
      PaintCell(r.NV, QColor(), view.alarmRed ? QColor(Qt::red) : QColor(Qt::darkGreen));
    }
    r.XMin->setText(QString::number(mba_.GetCalibrationCode1(m, k)));
    r.XMax->setText(QString::number(mba_.GetCalibrationCode2(m, k)));
    r.XACP->setText(QString::number(mba_.GetCurrentCode(m, k)));
  }
}

void CalibrationWindow::Quietly(std::function<void()> exchange, std::function<void()> then) {
  BackgroundExchange(worker_, ui_, this)
      .RunQuietly([exchange = std::move(exchange)](Interaction&) { exchange(); }, std::move(then));
}

bool CalibrationWindow::SendMode(int k, bool on) {
  const int result =
      SendCalibrationCommand(port_, service_.CurrentDevice, CalibrationCommand::Mode, module_, k, on);
  if (result == kResultOk) return true;
  port_.ShowError(service_.CurrentDevice, result);
  return false;
}

void CalibrationWindow::onCalibrationButton(int k, bool down) {
  if (k < 1 || k > kRows) return;
  QPushButton* button = Rows[static_cast<size_t>(k - 1)].SpBut;
  // One input at a time: the one in calibration mode leaves it first.
  const int previous = mba_.CalibrationChannel;
  const bool leavePrevious = down && previous != 0 && previous != k;
  if (mba_.CalibrationClosing) {
    button->setChecked(!down);  // nothing is sent, so nothing changes
    return;
  }
  auto entered = std::make_shared<bool>(false);
  Quietly(
      [this, leavePrevious, previous, k, down, entered] {
        if (leavePrevious) SendMode(previous, false);
        *entered = SendMode(k, down) && down;
      },
      [this, button, leavePrevious, previous, k, down, entered] {
        if (leavePrevious) {
          Rows[static_cast<size_t>(previous - 1)].SpBut->setChecked(false);
          mba_.CalibrationChannel = 0;
        }
        if (*entered) {
          mba_.CalibrationChannel = k;
        } else if (down) {
          button->setChecked(false);
        } else if (mba_.CalibrationChannel == k) {
          mba_.CalibrationChannel = 0;
        }
        ShowCalibrationState();
      });
}

void CalibrationWindow::ShowCalibrationState() {
  QPalette p = Kalibr->palette();
  p.setColor(QPalette::WindowText, mba_.CalibrationChannel != 0 ? Qt::black : Qt::gray);
  Kalibr->setPalette(p);
  for (int k = 1; k <= kRows; ++k) {
    const Row& r = Rows[static_cast<size_t>(k - 1)];
    const bool active = k == mba_.CalibrationChannel;
    r.KalMin->setEnabled(active);
    r.KalMax->setEnabled(active);
  }
}

void CalibrationWindow::CalibrateScale(int k, bool end) {
  if (k < 1 || k > kRows || mba_.CalibrationClosing || k != mba_.CalibrationChannel) return;
  if (ui_.Ask({kScaleQuestionCaption, end ? kScaleEndQuestion : kScaleStartQuestion, Icon::Question,
               Buttons::YesNo, Answer::No}) != Answer::Yes) {
    return;
  }
  auto result = std::make_shared<int>(kResultOk);
  Quietly(
      [this, result, k, device = service_.CurrentDevice, module = module_,
       command = end ? CalibrationCommand::ScaleEnd : CalibrationCommand::ScaleStart] {
        *result = SendCalibrationCommand(port_, device, command, module, k, true);
      },
      [this, result] {
        if (*result != kResultOk && Polling()) port_.ShowError(ui_, service_.CurrentDevice, *result);
      });
}

void CalibrationWindow::calibrateMin(int k) { CalibrateScale(k, false); }

void CalibrationWindow::calibrateMax(int k) { CalibrateScale(k, true); }

void CalibrationWindow::done(int result) {
  if (Polling()) togglePolling();
  mba_.CalibrationClosing = 1;
  // An input left in calibration mode would stay there after we are gone.
  if (const int k = mba_.CalibrationChannel; k != 0) {
    Quietly([this, k] { SendMode(k, false); });
    mba_.CalibrationChannel = 0;
  }
  for (const Row& r : Rows) r.SpBut->setChecked(false);
  ShowCalibrationState();
  QDialog::done(result);
}

}  // namespace zul
