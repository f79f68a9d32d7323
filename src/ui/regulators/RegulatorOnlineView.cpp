#include "ui/regulators/RegulatorOnlineView.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "core/config/Configuration.h"
#include "core/editing/RegulatorEditing.h"
#include "core/link/ModbusLink.h"
#include "ui/link/LinkWorker.h"
#include "ui/regulators/LoopTrendChart.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

constexpr int kPollMs = 3000;
constexpr int kPanelGap = 200;
constexpr int kPanelLeft = 20;
constexpr int kPanelTop = 10;

QPushButton* PanelButton(const QString& text, const char* name, QWidget* parent, bool latching) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setCheckable(latching);
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::NoFocus);
  if (latching) b->setStyleSheet("QPushButton:checked { background: #7fb77f; font-weight: bold; }");
  return b;
}

std::string LocalTime(int64_t ms) {
  return QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd hh:mm:ss.zzz").toStdString();
}

}  // namespace

// --- one loop's panel --------------------------------------------------------------

LoopLivePanel::LoopLivePanel(int loop, int kind, double scaleMin, double scaleMax, QWidget* parent)
    : QWidget(parent),
      loop_(loop),
      kind_(kind),
      scaleMin_(scaleMin),
      scaleMax_(scaleMax),
      displayMin_(scaleMin),
      displayMax_(scaleMax) {
  setFixedSize(kWidth, kHeight);
  Plus = PanelButton("+", "ButPlus", this, false);
  Minus = PanelButton("-", "ButMinus", this, false);
  APONOFF = PanelButton("APONOFF", "APONOFF", this, true);
  HANDAUT = PanelButton("HANDAUT", "HANDAUT", this, true);
  Plus->setGeometry(8, 250, 36, 26);
  Minus->setGeometry(48, 250, 36, 26);
  HANDAUT->setGeometry(8, 290, 80, 28);
  APONOFF->setGeometry(92, 290, 80, 28);
  const bool repeater = kind == Regulators::KindRepeater;
  Plus->setVisible(!repeater);
  Minus->setVisible(!repeater);
  HANDAUT->setVisible(!repeater);
  APONOFF->setVisible(!repeater && kind != Regulators::KindTwoPosition);
}

void LoopLivePanel::SetDisplayScale(double min, double max) {
  displayMin_ = min;
  displayMax_ = max;
  update();
}

void LoopLivePanel::SetUnit(const QString& unit) {
  unit_ = unit;
  update();
}

void LoopLivePanel::SetValues(float sp, float out, float pv) {
  sp_ = sp;
  out_ = out;
  pv_ = pv;
  hasValues_ = true;
  update();
}

void LoopLivePanel::SetValue(LoopValue which, float v) {
  (which == LoopValue::SP ? sp_ : out_) = v;
  update();
}

void LoopLivePanel::SetLevels(float out0, float out1) {
  out0_ = out0;
  out1_ = out1;
  update();
}

void LoopLivePanel::SetStatus(uint8_t status) {
  status_ = status;
  HANDAUT->setChecked(status & 1);
  APONOFF->setChecked((status >> 1) & 1);
  update();
}

QString LoopLivePanel::Text(int index) const {
  if (!hasValues_) return kNoValueText;
  const float v = index == 0 ? pv_ : index == 1 ? sp_ : out_;
  return Q(FormatLoopValue(v));
}

QRect LoopLivePanel::ValueRect(LoopValue which) const {
  return which == LoopValue::SP ? QRect(60, 200, 56, 22) : QRect(116, 200, 56, 22);
}

void LoopLivePanel::PaintBar(QPainter& p, const QRect& r, const QString& name, float value, double min,
                             double max, const QColor& colour) const {
  p.setPen(Qt::black);
  p.drawText(QRect(r.left(), r.top() - 18, r.width(), 16), Qt::AlignCenter, name);
  p.setBrush(Qt::white);
  p.drawRect(r);
  if (hasValues_ && std::isfinite(value) && max > min) {
    const double share = std::clamp((value - min) / (max - min), 0.0, 1.0);
    const int h = static_cast<int>(share * (r.height() - 2));
    p.fillRect(QRect(r.left() + 1, r.bottom() - h, r.width() - 1, h), colour);
  }
  p.setBrush(Qt::NoBrush);
}

void LoopLivePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(236, 236, 236));
  p.setPen(Qt::gray);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  QFont font = p.font();
  font.setPointSize(8);
  p.setFont(font);

  p.setPen(Qt::black);
  p.drawText(QRect(4, 2, kWidth - 8, 16), Qt::AlignLeft, QString("Регулятор № %1").arg(loop_ + 1));
  // Scale of PV and SP.
  // The PV scale beside the PV and SP bars.
  p.drawText(QRect(2, 30, 48, 14), Qt::AlignRight, unit_);
  p.drawText(QRect(2, 50, 48, 14), Qt::AlignRight, Q(FormatLoopValue(displayMax_)));
  p.drawText(QRect(2, 164, 48, 14), Qt::AlignRight, Q(FormatLoopValue(displayMin_)));
  const QRect pvBar(56, 56, 26, 116), spBar(96, 56, 26, 116), outBar(144, 56, 26, 116);
  PaintBar(p, pvBar, "PV", pv_, displayMin_, displayMax_, QColor(70, 130, 220));
  PaintBar(p, spBar, "SP", sp_, displayMin_, displayMax_, QColor(60, 170, 60));
  PaintBar(p, outBar, "OUT", out_, 0, 100, QColor(230, 130, 40));
  const QString texts[3] = {Text(0), Text(1), Text(2)};
  const QRect boxes[3] = {QRect(4, 200, 56, 22), ValueRect(LoopValue::SP), ValueRect(LoopValue::OUT)};
  for (int k = 0; k < 3; ++k) {
    p.setBrush(Qt::white);
    p.drawRect(boxes[k]);
    p.drawText(boxes[k], Qt::AlignCenter, texts[k]);
  }
  p.setBrush(Qt::NoBrush);
  // Indicators: green when the bit is 0, red when it is 1.
  auto lamp = [&](int x, bool red, const QString& label) {
    p.setBrush(red ? QColor(Qt::red) : QColor(Qt::green));
    p.drawEllipse(QPoint(x, 234), 7, 7);
    p.setBrush(Qt::NoBrush);
    p.drawText(QRect(x + 10, 227, 50, 14), Qt::AlignLeft, label);
  };
  lamp(14, InputIndicatorRed(), "вход");
  lamp(100, OutputIndicatorRed(), "выход");
  if (kind_ == Regulators::KindTwoPosition) {
    // Two lines: "100,00" twice does not fit one beside the buttons.
    p.drawText(QRect(92, 246, kWidth - 94, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QString("0: %1 %\n1: %2 %").arg(Q(FormatLoopValue(out0_)), Q(FormatLoopValue(out1_))));
  }
}

// --- the window ---------------------------------------------------------------------

RegulatorOnlineView::RegulatorOnlineView(ModbusLink& port, Configuration& config, LinkWorker& worker,
                                         Interaction& ui, QWidget* parent)
    : QDialog(parent), port_(port), config_(config), worker_(worker), ui_(ui) {
  setObjectName("FormRegOnLine");
  setWindowTitle("Режим on line");
  setModal(true);
  Now = [] { return QDateTime::currentMSecsSinceEpoch(); };

  auto* labReg = new QLabel("Контур регулирования №", this);
  labReg->setObjectName("LabReg");
  LabNReg = new QLabel(this);
  LabNReg->setObjectName("LabNReg");
  auto* label2 = new QLabel("Тип  контура:", this);
  label2->setObjectName("Label2");
  LabTip = new QLabel(this);
  LabTip->setObjectName("LabTip");

  auto readOnly = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setMaximumWidth(50);
    return e;
  };
  EditNReg = readOnly("EditNReg");
  EditAnVh = readOnly("EditAnVh");
  EditNReg1 = readOnly("EditNReg1");
  EditAnVh1 = readOnly("EditAnVh1");
  auto* label3 = new QLabel("Регулятор №", this);
  label3->setObjectName("Label3");
  Label5 = new QLabel("№ входа рег. параметра", this);
  Label5->setObjectName("Label5");
  Label4 = new QLabel("Регулятор  внутр конт. №", this);
  Label4->setObjectName("Label4");
  Label6 = new QLabel("№ входа рег. параметра внутр конт", this);
  Label6->setObjectName("Label6");
  auto* fields = new QGridLayout;
  fields->addWidget(label3, 0, 0);
  fields->addWidget(EditNReg, 0, 1);
  fields->addWidget(Label5, 1, 0);
  fields->addWidget(EditAnVh, 1, 1);
  fields->addWidget(Label4, 2, 0);
  fields->addWidget(EditNReg1, 2, 1);
  fields->addWidget(Label6, 3, 0);
  fields->addWidget(EditAnVh1, 3, 1);

  Button2 = new QPushButton("Таймер", this);
  Button2->setObjectName("Button2");
  Button2->setAutoDefault(false);
  Label1 = new QLabel("запущен опрос", this);
  Label1->setObjectName("Label1");
  Label1->hide();
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setMaximum(200);
  ProgressBar1->hide();

  PanelArea = new QWidget(this);
  PanelArea->setObjectName("PanelArea");
  PanelArea->setFixedSize(280, LoopLivePanel::kHeight + 2 * kPanelTop);
  EditText = new QLineEdit(PanelArea);
  EditText->setObjectName("EditText");
  EditText->setMaxLength(14);
  EditText->hide();
  ErrorText = new HintLabel(this);
  ErrorText->setObjectName("ErrorText");

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  AChangePV = PopupMenu1->addAction("Изменить PV");
  AChangePV->setObjectName("AChangePV");
  AChangePV->setVisible(false);
  AChangeSP = PopupMenu1->addAction("Изменить SP");
  AChangeSP->setObjectName("AChangeSP");
  AChangeOUT = PopupMenu1->addAction("Изменить OUT");
  AChangeOUT->setObjectName("AChangeOUT");

  ButTrendCsv = new QPushButton("Сохранить тренд (CSV)...", this);
  ButTrendCsv->setObjectName("ButTrendCsv");
  ButTrendCsv->setAutoDefault(false);
  chartArea_ = new QWidget(this);
  chartArea_->setObjectName("TrendArea");
  new QVBoxLayout(chartArea_);
  chartArea_->layout()->setContentsMargins(0, 0, 0, 0);

  auto* head = new QHBoxLayout;
  head->addWidget(labReg);
  head->addWidget(LabNReg);
  head->addSpacing(16);
  head->addWidget(label2);
  head->addWidget(LabTip);
  head->addStretch();
  auto* timer = new QHBoxLayout;
  timer->addWidget(Button2);
  timer->addWidget(Label1);
  timer->addStretch();
  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addWidget(PanelArea);
  left->addLayout(timer);
  left->addWidget(ProgressBar1);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(chartArea_, 1);
  right->addWidget(ButTrendCsv, 0, Qt::AlignRight);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addLayout(columns);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  connect(Timer1, &QTimer::timeout, this, &RegulatorOnlineView::poll);
  connect(Button2, &QPushButton::clicked, this, &RegulatorOnlineView::togglePolling);
  connect(AChangeSP, &QAction::triggered, this, [this] { editValue(LoopValue::SP, editingPanel_); });
  connect(AChangeOUT, &QAction::triggered, this, [this] { editValue(LoopValue::OUT, editingPanel_); });
  connect(EditText, &QLineEdit::editingFinished, this, &RegulatorOnlineView::leaveValueEditor);
  connect(ButTrendCsv, &QPushButton::clicked, this, [this] {
    QString path = ChooseCsvFile ? ChooseCsvFile()
                                 : QFileDialog::getSaveFileName(this, "Сохранить тренд", {}, "CSV (*.csv)");
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += ".csv";
    if (!path.isEmpty() && !exportTrend(path))
      ui_.Show(kCaptionError, "Не удалось записать файл " + path.toStdString(), Icon::Error);
  });
}

void RegulatorOnlineView::ClearPanels() {
  for (LoopLivePanel* p : panels_) delete p;
  panels_.clear();
  for (LoopTrendChart* c : charts_) delete c;
  charts_.clear();
  trends_.clear();
}

void RegulatorOnlineView::Prepare(int loop) {
  loop_ = std::clamp(loop, 0, Regulators::RecordCount - 1);
  EditText->hide();
  EditText->clear();
  valueEditorOpen_ = false;
  ErrorText->hide();
  ClearPanels();
  const Regulators& r = config_.regulators;
  const int kind = r.GetKind(loop_);
  int inner = -1;
  for (const LoopPanel& p : BuildLoopPanels(config_)) {
    if (p.record == loop_) inner = p.inner;
  }
  LabNReg->setText(QString::number(loop_ + 1));
  LabTip->setText(Q(LoopKindOnlineName(kind)));
  EditNReg->setText(QString::number(loop_ + 1));
  const int pv = r.GetPV(loop_);
  EditAnVh->setText(QString::number(kind == Regulators::KindRepeater && pv >= 49 ? pv - 48 : pv));
  Label5->setText(kind == Regulators::KindRepeater && pv >= 49 ? "Рег. параметр CDS Calc №"
                                                               : "№ входа рег. параметра");
  for (QWidget* w : std::initializer_list<QWidget*>{Label4, EditNReg1, Label6, EditAnVh1})
    w->setVisible(inner >= 0);
  EditNReg1->setText(inner >= 0 ? QString::number(inner + 1) : QString());
  EditAnVh1->setText(inner >= 0 ? QString::number(r.GetPV(inner)) : QString());

  std::vector<int> shown{loop_};
  if (inner >= 0) shown.push_back(inner);
  PanelArea->setFixedWidth(shown.size() == 2 ? 460 : 280);
  for (size_t k = 0; k < shown.size(); ++k) {
    const int l = shown[k];
    const int panelKind = k == 0 ? kind : Regulators::KindSingleLoop;
    const PvInput in = DescribePvInput(config_, r.GetPV(l), panelKind);
    auto* panel = new LoopLivePanel(l, panelKind, in.scaleMin, in.scaleMax, PanelArea);
    panel->SetUnit(Q(in.unit));
    panel->move(kPanelLeft + kPanelGap * static_cast<int>(k), kPanelTop);
    panel->show();
    connect(panel->HANDAUT, &QPushButton::clicked, this, [this, k](bool down) { handAut(k, down); });
    connect(panel->APONOFF, &QPushButton::clicked, this, [this, k](bool down) { apOnOff(k, down); });
    connect(panel->Plus, &QPushButton::clicked, this, [this, k] { nudge(k, +1); });
    connect(panel->Minus, &QPushButton::clicked, this, [this, k] { nudge(k, -1); });
    panels_.push_back(panel);
    trends_.emplace_back();
    auto* chart =
        new LoopTrendChart(QString("Регулятор № %1").arg(l + 1), in.scaleMin, in.scaleMax, chartArea_);
    chartArea_->layout()->addWidget(chart);
    charts_.push_back(chart);
  }
  EditText->raise();
  AChangeSP->setEnabled(true);
  AChangeOUT->setEnabled(true);
  adjustSize();
}

int RegulatorOnlineView::Open(int loop) {
  Prepare(loop);
  return exec();
}

void RegulatorOnlineView::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!Timer1->isActive()) togglePolling();
}

bool RegulatorOnlineView::Polling() const { return Timer1->isActive(); }

void RegulatorOnlineView::togglePolling() {
  Timer1->setInterval(kPollMs);
  if (Timer1->isActive())
    Timer1->stop();
  else
    Timer1->start();
  reportFlag_ = Timer1->isActive() ? 1 : 0;
  Label1->setVisible(Timer1->isActive());
}

void RegulatorOnlineView::StopPolling() {
  if (Timer1->isActive()) togglePolling();
}

void RegulatorOnlineView::done(int result) {
  StopPolling();
  QDialog::done(result);
}

void RegulatorOnlineView::ShowModeMenu(bool automatic) {
  AChangeSP->setEnabled(automatic);
  AChangeOUT->setEnabled(!automatic);
}

void RegulatorOnlineView::poll() {
  // The timer never queues up behind a command: a busy link skips a turn. The
  // answers are stored here, on the thread that owns the loop values.
  BackgroundExchange(worker_, ui_, this)
      .PollFor(
          [this, device = config_.service.CurrentDevice](Interaction&) { return ReadLoops(port_, device); },
          [this](const LoopPoll& poll) { ShowPoll(poll); });
}

void RegulatorOnlineView::ShowPoll(const LoopPoll& poll) {
  Regulators& r = config_.regulators;
  StoreLoopPoll(r, poll);
  if (poll.result != kResultOk) {
    StopPolling();
    return;
  }
  for (LoopLivePanel* panel : panels_) {
    const auto& v = r.RegValues[static_cast<size_t>(panel->Loop())];
    panel->SetValues(v[0], v[1], v[2]);
    if (panel->Kind() == Regulators::KindTwoPosition)
      panel->SetLevels(r.GetOUT0(panel->Loop()), r.GetOUT1(panel->Loop()));
    panel->SetStatus(r.RegStatus[static_cast<size_t>(panel->Loop())]);
  }
  if (!panels_.empty()) ShowModeMenu(r.IsAutomatic(panels_.front()->Loop()));
  Record();
}

void RegulatorOnlineView::Record() {
  const Regulators& r = config_.regulators;
  const int64_t now = Now();
  for (size_t k = 0; k < panels_.size(); ++k) {
    const size_t l = static_cast<size_t>(panels_[k]->Loop());
    trends_[k].Add({now, r.RegValues[l][2], r.RegValues[l][0], r.RegValues[l][1], r.RegStatus[l]});
    const auto [min, max] = TrendScale(trends_[k], panels_[k]->ScaleMin(), panels_[k]->ScaleMax());
    panels_[k]->SetDisplayScale(min, max);
    charts_[k]->SetScale(min, max);
    charts_[k]->Show(trends_[k]);
  }
}

void RegulatorOnlineView::WriteCoils(size_t k, const std::vector<CoilWrite>& coils) {
  // After a poll cycle on the line; a failure is told by the link's thread, once.
  BackgroundExchange(worker_, ui_, this)
      .RunQuietlyFor(
          [this, coils, device = config_.service.CurrentDevice, report = reportFlag_ == 1](Interaction&) {
            for (const CoilWrite& w : coils) {
              const int result = WriteCoil(port_, device, w.coil, w.on);
              if (result == kResultOk) continue;
              if (report) port_.ShowError(device, result);
              return result;
            }
            return int{kResultOk};
          },
          [this, k](int result) {
            // A mode the controller did not take: the buttons and the menu
            // go back to what it last reported.
            if (result == kResultOk || k >= panels_.size()) return;
            LoopLivePanel* panel = panels_[k];
            panel->SetStatus(panel->Status());
            if (k == 0) ShowModeMenu(panel->Status() & 1);
          });
}

void RegulatorOnlineView::handAut(size_t k, bool pressed) {
  if (k >= panels_.size()) return;
  LoopLivePanel* panel = panels_[k];
  if (!pressed) panel->APONOFF->setChecked(false);
  ShowModeMenu(pressed);
  WriteCoils(k, HandAutCoils(panel->Loop(), pressed));
}

void RegulatorOnlineView::apOnOff(size_t k, bool pressed) {
  if (k >= panels_.size()) return;
  LoopLivePanel* panel = panels_[k];
  const ApOnOffOutcome outcome = ApOnOffCoils(panel->Loop(), pressed, panel->HANDAUT->isChecked());
  if (outcome.springsBack) panel->APONOFF->setChecked(false);
  WriteCoils(k, outcome.coils);
}

void RegulatorOnlineView::nudge(size_t k, int direction) {
  if (k >= panels_.size()) return;
  const int loop = panels_[k]->Loop();
  WriteCoils(k, {{(direction > 0 ? kLoopRaiseCoil : kLoopLowerCoil) + loop, true}});
}

void RegulatorOnlineView::contextMenuEvent(QContextMenuEvent* event) {
  editingPanel_ = 0;
  for (size_t k = 0; k < panels_.size(); ++k) {
    if (panels_[k]->geometry().contains(PanelArea->mapFrom(this, event->pos()))) editingPanel_ = k;
  }
  PopupMenu1->popup(event->globalPos());
}

void RegulatorOnlineView::editValue(LoopValue which, size_t k) {
  if (k >= panels_.size()) return;
  editing_ = which;
  editingPanel_ = k;
  LoopLivePanel* panel = panels_[k];
  const QRect at = panel->ValueRect(which).translated(panel->pos());
  EditText->setGeometry(at.adjusted(-20, 0, 20, 0));
  EditText->setText(Q(FormatLoopValue(panel->Value(which))));
  EditText->show();
  EditText->raise();
  valueEditorOpen_ = true;
  EditText->setFocus();
  EditText->selectAll();
}

void RegulatorOnlineView::leaveValueEditor() {
  if (!valueEditorOpen_ || editingPanel_ >= panels_.size()) return;
  // Hiding the editor takes its focus and would end the edit a second time.
  valueEditorOpen_ = false;
  LoopLivePanel* panel = panels_[editingPanel_];
  const double min = editing_ == LoopValue::SP ? panel->ScaleMin() : 0.0;
  const double max = editing_ == LoopValue::SP ? panel->ScaleMax() : 100.0;
  const auto value = ParseLoopValue(EditText->text().toStdString(), min, max);
  if (!value) {
    // The controller keeps its value.
    ShowInputHint(EditText, ErrorText, ui_, "");
    ErrorText->setText(Q(LoopValueRangeText(min, max)));
    ErrorText->adjustSize();
  } else {
    // The panel shows the new value only once the controller took it; a
    // refusal or a line failure is told and polling goes on.
    const int device = config_.service.CurrentDevice;
    BackgroundExchange(worker_, ui_, this)
        .RunQuietlyFor(
            [this, device, loop = panel->Loop(), which = editing_, v = *value](Interaction&) {
              return WriteLoopValue(port_, device, loop, which, v);
            },
            [this, device, loop = panel->Loop(), which = editing_, v = *value](int result) {
              if (result != kResultOk) {
                port_.ShowError(ui_, device, result);
                return;
              }
              config_.regulators.RegValues[static_cast<size_t>(loop)][which == LoopValue::SP ? 0 : 1] = v;
              for (LoopLivePanel* p : panels_) {
                if (p->Loop() == loop) p->SetValue(which, v);
              }
            });
  }
  EditText->hide();
  EditText->clear();
}

bool RegulatorOnlineView::exportTrend(const QString& path) {
  std::string csv = TrendCsvHeader();
  for (size_t k = 0; k < panels_.size() && k < trends_.size(); ++k)
    csv += TrendCsvRows(trends_[k], panels_[k]->Loop() + 1, &LocalTime);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const qint64 written = file.write(csv.data(), static_cast<qint64>(csv.size()));
  file.close();
  if (written != static_cast<qint64>(csv.size())) {
    file.remove();  // no torn export left behind
    return false;
  }
  return true;
}

}  // namespace zul
