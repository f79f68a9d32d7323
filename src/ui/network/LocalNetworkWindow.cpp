#include "ui/network/LocalNetworkWindow.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/Configuration.h"
#include "core/config/NetworkReport.h"
#include "ui/link/LinkWorker.h"
#include "ui/network/Function15Editor.h"
#include "ui/network/NetworkMasterEditor.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

QStringList Items(const std::vector<std::string>& names) {
  QStringList items;
  for (const std::string& n : names) items << Q(n);
  return items;
}

}  // namespace

// The window's own progress bar shows the writing; boxes go to the program's Interaction.
class LocalNetworkWindow::ProgressInteraction : public Interaction {
 public:
  ProgressInteraction(Interaction& inner, QProgressBar* bar) : inner_(inner), bar_(bar) {}
  Answer Ask(const Message& message) override { return inner_.Ask(message); }
  void Progress(int value, int maximum) override {
    bar_->setVisible(maximum > 0);
    bar_->setMaximum(std::max(maximum, 1));
    bar_->setValue(value);
    inner_.Progress(value, maximum);
  }
  void Beep() override { inner_.Beep(); }

 private:
  Interaction& inner_;
  QProgressBar* bar_;
};

LocalNetworkWindow::LocalNetworkWindow(Configuration& c, ModbusLink& port, LinkWorker& worker,
                                       Interaction& ui, QWidget* parent)
    : QDialog(parent), c_(c), port_(port), worker_(worker), ui_(ui) {
  setObjectName("FormLNet");
  setModal(true);
  masterEditor = new NetworkMasterEditor(c, port, worker, ui, this);
  function15Editor = new Function15Editor(c, port, worker, ui, this);
  auto* outer = new QVBoxLayout(this);

  GroupBox1 = new QGroupBox("Функциональные блоки MBM ф1, ф2, ф3, ф4", this);
  GroupBox1->setObjectName("GroupBox1");
  auto* grid = new QGridLayout(GroupBox1);
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  NDelete = PopupMenu1->addAction("Удаление блока МВМ");
  NDelete->setObjectName("NDelete");
  connect(NDelete, &QAction::triggered, this, &LocalNetworkWindow::deleteSelectedEntry);
  for (int k = 0; k < NetworkMaster::kEntries; ++k) {
    auto* b = new QPushButton(GroupBox1);
    b->setObjectName(QString("Button%1").arg(k + 1));
    b->setMinimumSize(80, 36);
    b->setToolTip(QString("блок %1").arg(k + 1));
    b->setContextMenuPolicy(Qt::CustomContextMenu);
    Buttons[static_cast<size_t>(k)] = b;
    grid->addWidget(b, k / 8, k % 8);
    connect(b, &QPushButton::clicked, this, [this, k] { openEntry(k); });
    connect(b, &QWidget::customContextMenuRequested, this, [this, k, b](const QPoint& at) {
      selectEntry(k);
      PopupMenu1->popup(b->mapToGlobal(at));
    });
  }
  outer->addWidget(GroupBox1);

  GroupBox2 = new QGroupBox("Настройка обмена", this);
  GroupBox2->setObjectName("GroupBox2");
  auto* line = new QGridLayout(GroupBox2);
  Skor = new QComboBox(GroupBox2);
  Skor->setObjectName("Skor");
  Skor->addItems(Items(BaudRateNames()));
  Parit = new QComboBox(GroupBox2);
  Parit->setObjectName("Parit");
  Parit->addItems(Items(FrameFormatNames()));
  line->addWidget(new QLabel("Скорость(бит/с):", GroupBox2), 0, 0);
  line->addWidget(Skor, 0, 1);
  line->addWidget(new QLabel("Четность:", GroupBox2), 1, 0);
  line->addWidget(Parit, 1, 1);
  connect(Skor, &QComboBox::activated, this, &LocalNetworkWindow::onBaudChosen);
  connect(Parit, &QComboBox::activated, this, &LocalNetworkWindow::onFrameChosen);
  outer->addWidget(GroupBox2);

  GroupBox3 = new QGroupBox("Функциональные блоки MBM ф15", this);
  GroupBox3->setObjectName("GroupBox3");
  auto* f15 = new QHBoxLayout(GroupBox3);
  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  NDelete15 = PopupMenu2->addAction("Удаление блока МВМ Ф15");
  NDelete15->setObjectName("NDelete15");
  connect(NDelete15, &QAction::triggered, this, &LocalNetworkWindow::deleteSelectedFunction15);
  LocNet15_1 = new QPushButton(GroupBox3);
  LocNet15_1->setObjectName("LocNet15_1");
  LocNet15_2 = new QPushButton(GroupBox3);
  LocNet15_2->setObjectName("LocNet15_2");
  int b = 0;
  for (QPushButton* button : {LocNet15_1, LocNet15_2}) {
    button->setMinimumSize(80, 36);
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    f15->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, b] { openFunction15(b); });
    connect(button, &QWidget::customContextMenuRequested, this, [this, b, button](const QPoint& at) {
      selectFunction15(b);
      PopupMenu2->popup(button->mapToGlobal(at));
    });
    ++b;
  }
  f15->addStretch();
  outer->addWidget(GroupBox3);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setVisible(false);
  outer->addWidget(ProgressBar1);
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  outer->addWidget(OK, 0, Qt::AlignHCenter);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  progressUi_ = std::make_unique<ProgressInteraction>(ui_, ProgressBar1);
}

LocalNetworkWindow::~LocalNetworkWindow() = default;

void LocalNetworkWindow::Prepare(LocalNetworkMode mode) {
  session_ = std::make_unique<LocalNetworkSession>(c_);
  GroupBox1->setVisible(mode == LocalNetworkMode::Blocks);
  GroupBox2->setVisible(mode == LocalNetworkMode::LineSettings);
  GroupBox3->setVisible(mode == LocalNetworkMode::Function15);
  switch (mode) {
    case LocalNetworkMode::Blocks:
      setWindowTitle("Локальная сеть RS-485 ModBus ф1,ф2,ф3,ф4");
      break;
    case LocalNetworkMode::LineSettings:
      setWindowTitle("Локальная сеть RS-485");
      break;
    case LocalNetworkMode::Function15:
      setWindowTitle("Локальная сеть RS-485 ModBus ф15");
      break;
  }
  Skor->setCurrentIndex(c_.networkMaster.GetBaudIndex());
  Parit->setCurrentIndex(c_.networkMaster.GetFrameIndex());
  ProgressBar1->setVisible(false);
  RefreshCaptions();
  adjustSize();
}

int LocalNetworkWindow::Open(LocalNetworkMode mode) {
  Prepare(mode);
  return exec();
}

void LocalNetworkWindow::RefreshCaptions() {
  for (int k = 0; k < NetworkMaster::kEntries; ++k) {
    QPushButton* b = Buttons[static_cast<size_t>(k)];
    b->setText(Q(MasterButtonCaption(c_.networkMaster.GetFunction(k))));
    const bool damaged =
        c_.networkMaster.EntryInUse(k) && !NetworkEntryValid(c_.networkMaster, c_.service, k);
    b->setStyleSheet(damaged ? "color:red;" : QString());
    b->setToolTip(damaged ? QString(kInvalidEntryHint) : QString("блок %1").arg(k + 1));
  }
  LocNet15_1->setText(Q(Function15ButtonCaption(c_.function15Blocks.GetFunction(0))));
  LocNet15_2->setText(Q(Function15ButtonCaption(c_.function15Blocks.GetFunction(1))));
}

void LocalNetworkWindow::openEntry(int k) {
  masterEditor->Open(k);
  RefreshCaptions();
}

void LocalNetworkWindow::selectEntry(int k) { selectedEntry_ = k; }

void LocalNetworkWindow::deleteSelectedEntry() {
  if (session_ && session_->DeleteEntry(selectedEntry_)) RefreshCaptions();
}

void LocalNetworkWindow::openFunction15(int b) {
  function15Editor->Open(b);
  RefreshCaptions();
}

void LocalNetworkWindow::selectFunction15(int b) {
  selectedFunction15_ = b;
  c_.function15Blocks.RightClickedEntry = b;
}

void LocalNetworkWindow::deleteSelectedFunction15() {
  if (!session_) return;
  session_->DeleteFunction15Entry(selectedFunction15_);
  RefreshCaptions();
}

void LocalNetworkWindow::onBaudChosen(int index) {
  if (session_) session_->ChooseBaud(index);
}

void LocalNetworkWindow::onFrameChosen(int index) {
  if (session_) session_->ChooseFrame(index);
}

void LocalNetworkWindow::done(int result) {
  if (session_) {
    // The questions come first; the progress only once something is sent.
    const LocalNetworkSession::ClosePlan plan = session_->PlanClose(*progressUi_);
    RefreshCaptions();
    if (plan.stay) return;
    if (plan.Writes()) {
      // The window stays while the network is written and closes when that allows it.
      BackgroundExchange(worker_, *progressUi_, this)
          .RunFor(
              "Запись локальной сети", ExchangeKind::Write,
              [this, plan](Interaction& ui) { return session_->CarryOut(plan, port_, ui); },
              [this, result](LocalNetworkSession::Verdict verdict) {
                if (verdict == LocalNetworkSession::Verdict::Close)
                  FinishClosing(result);
                else
                  RefreshCaptions();
              });
      return;
    }
  }
  FinishClosing(result);
}

void LocalNetworkWindow::FinishClosing(int result) {
  ProgressBar1->setVisible(false);
  RefreshCaptions();
  QDialog::done(result);
}

}  // namespace zul
