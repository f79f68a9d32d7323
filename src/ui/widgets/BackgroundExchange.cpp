#include "ui/widgets/BackgroundExchange.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <optional>

#include "core/link/ModbusLink.h"
#include "ui/widgets/ExchangeGate.h"

namespace zul {

namespace {

QPointer<ExchangeProgressDialog> current;

// The worker's Interaction: everything the user sees happens on the UI thread,
// in the context of `home` (an object living there).
class ThreadedInteraction : public Interaction {
 public:
  ThreadedInteraction(QObject* home, ExchangeProgressDialog* dialog) : home_(home), dialog_(dialog) {}
  // A command that waited for a poll cycle runs while that cycle's Interaction
  // is still the link's: it talks to the window's own, never through another worker's.
  void SetTarget(Interaction& target) {
    auto* threaded = dynamic_cast<ThreadedInteraction*>(&target);
    target_ = threaded ? threaded->target_ : &target;
  }

  Answer Ask(const Message& message) override {
    Answer answer = Answer::Cancel;
    QMetaObject::invokeMethod(
        home_, [&] { answer = target_->Ask(message); }, Qt::BlockingQueuedConnection);
    return answer;
  }

  void Progress(int value, int maximum) override {
    QMetaObject::invokeMethod(
        home_,
        [this, value, maximum] {
          if (dialog_) dialog_->ShowBlock(value, maximum);
          target_->Progress(value, maximum);
        },
        Qt::QueuedConnection);
  }

  void Beep() override {
    QMetaObject::invokeMethod(
        home_, [this] { target_->Beep(); }, Qt::QueuedConnection);
  }

  bool StopRequested() override { return dialog_ && dialog_->StopRequested(); }

 private:
  Interaction* target_ = nullptr;
  QObject* home_;
  ExchangeProgressDialog* dialog_;
};

}  // namespace

ExchangeProgressDialog::ExchangeProgressDialog(const QString& title, ExchangeKind kind, ProgressIn units,
                                               QWidget* parent)
    : QDialog(parent), kind_(kind), units_(units) {
  setObjectName("ExchangeProgress");
  setWindowTitle(title);
  setWindowModality(Qt::ApplicationModal);
  setWindowFlag(Qt::WindowCloseButtonHint, kind == ExchangeKind::Read);
  auto* layout = new QVBoxLayout(this);
  Block = new QLabel("Связь с прибором", this);
  Block->setObjectName("Block");
  Bar = new QProgressBar(this);
  Bar->setObjectName("Bar");
  Bar->setRange(0, 0);
  Bar->setMinimumWidth(320);
  Note = new QLabel(kind == ExchangeKind::Write ? QString::fromUtf8(kWriteCannotStopText) : QString(), this);
  Note->setObjectName("Note");
  Note->setWordWrap(true);
  Note->setVisible(kind == ExchangeKind::Write);
  StopButton = new QPushButton("Прервать", this);
  StopButton->setObjectName("StopButton");
  StopButton->setVisible(kind == ExchangeKind::Read);
  connect(StopButton, &QPushButton::clicked, this, &ExchangeProgressDialog::reject);
  layout->addWidget(Block);
  layout->addWidget(Bar);
  layout->addWidget(Note);
  layout->addWidget(StopButton, 0, Qt::AlignRight);
}

void ExchangeProgressDialog::ShowBlock(int block, int total) {
  if (total <= 0) return;
  Bar->setRange(0, total);
  Bar->setValue(block);
  if (!stop_ && units_ == ProgressIn::Blocks) Block->setText(QString("блок %1 из %2").arg(block).arg(total));
}

void ExchangeProgressDialog::reject() {
  if (kind_ != ExchangeKind::Read || finished_) return;
  stop_ = true;
  StopButton->setEnabled(false);
  Block->setText("Чтение прерывается после текущего блока");
}

void ExchangeProgressDialog::closeEvent(QCloseEvent* event) {
  if (finished_) {
    QDialog::closeEvent(event);
    return;
  }
  event->ignore();
  reject();
}

void ExchangeProgressDialog::Finish() {
  finished_ = true;
  hide();
}

BackgroundExchange::BackgroundExchange(ExchangeGate& gate, ModbusLink& link, Interaction& ui, QWidget* parent)
    : gate_(gate), link_(link), ui_(&ui), parent_(parent) {}

BackgroundExchange::BackgroundExchange(ExchangeGate& gate, ModbusLink& link, QWidget* parent)
    : gate_(gate), link_(link), ui_(nullptr), parent_(parent) {}

ExchangeProgressDialog* BackgroundExchange::Current() { return current.data(); }

bool BackgroundExchange::Run(const QString& title, ExchangeKind kind,
                             const std::function<void(Interaction&)>& procedure, ProgressIn units) {
  if (!AwaitLine()) return false;
  auto* dialog = new ExchangeProgressDialog(title, kind, units, parent_);
  current = dialog;
  dialog->show();
  Execute(dialog, procedure);
  dialog->Finish();
  delete dialog;
  return true;
}

bool BackgroundExchange::RunQuietly(const std::function<void(Interaction&)>& procedure) {
  if (!AwaitLine()) return false;
  Execute(nullptr, procedure);
  return true;
}

bool BackgroundExchange::Poll(const std::function<void(Interaction&)>& procedure) {
  if (gate_.Busy()) return false;
  Execute(nullptr, procedure);
  return true;
}

bool BackgroundExchange::AwaitLine() {
  while (gate_.Busy() && gate_.HeldBriefly()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return !gate_.Busy();
}

void BackgroundExchange::Execute(ExchangeProgressDialog* dialog,
                                 const std::function<void(Interaction&)>& procedure) {
  // The line is taken until the worker ends, not until this returns: a command
  // waiting above us in the event loop may go on as soon as the line is free.
  std::optional<ExchangeGate::Scope> hold(std::in_place, gate_);
  const bool brief = dialog == nullptr;
  if (brief) gate_.MarkBrief(true);

  QObject home;  // carries the worker's calls to the UI thread
  ThreadedInteraction threaded(&home, dialog);
  Interaction& before = link_.SetInteraction(threaded);
  threaded.SetTarget(ui_ ? *ui_ : before);

  QThread* ui = QThread::currentThread();
  QObject* line = gate_.LineObject();
  // The line's object must live where its blocking waits run; the worker
  // gives it back before it ends.
  QThread* worker = QThread::create([&] {
    procedure(threaded);
    if (line) line->moveToThread(ui);
  });
  if (line) line->moveToThread(worker);

  QEventLoop loop;
  QObject::connect(worker, &QThread::finished, &home, [&] {
    if (brief) gate_.MarkBrief(false);
    hold.reset();
    loop.quit();
  });
  worker->start();
  loop.exec();
  worker->wait();
  delete worker;
  QCoreApplication::sendPostedEvents(&home);  // the last progress before the dialog goes

  link_.SetInteraction(before);
}

}  // namespace zul
