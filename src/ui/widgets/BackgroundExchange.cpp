#include "ui/widgets/BackgroundExchange.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "core/link/ModbusLink.h"
#include "ui/widgets/ExchangeGate.h"

namespace zul {

namespace {

QPointer<ExchangeProgressDialog> current;

// The worker's Interaction: everything the user sees happens on the UI thread.
class ThreadedInteraction : public Interaction {
 public:
  ThreadedInteraction(Interaction& target, ExchangeProgressDialog* dialog)
      : target_(target), dialog_(dialog) {}

  Answer Ask(const Message& message) override {
    Answer answer = Answer::Cancel;
    QMetaObject::invokeMethod(
        dialog_, [&] { answer = target_.Ask(message); }, Qt::BlockingQueuedConnection);
    return answer;
  }

  void Progress(int value, int maximum) override {
    QMetaObject::invokeMethod(
        dialog_,
        [this, value, maximum] {
          dialog_->ShowBlock(value, maximum);
          target_.Progress(value, maximum);
        },
        Qt::QueuedConnection);
  }

  void Beep() override {
    QMetaObject::invokeMethod(
        dialog_, [this] { target_.Beep(); }, Qt::QueuedConnection);
  }

  bool StopRequested() override { return dialog_->StopRequested(); }

 private:
  Interaction& target_;
  ExchangeProgressDialog* dialog_;
};

}  // namespace

ExchangeProgressDialog::ExchangeProgressDialog(const QString& title, ExchangeKind kind, QWidget* parent)
    : QDialog(parent), kind_(kind) {
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
  if (!stop_) Block->setText(QString("блок %1 из %2").arg(block).arg(total));
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
    : gate_(gate), link_(link), ui_(ui), parent_(parent) {}

ExchangeProgressDialog* BackgroundExchange::Current() { return current.data(); }

bool BackgroundExchange::Run(const QString& title, ExchangeKind kind,
                             const std::function<void(Interaction&)>& procedure) {
  if (gate_.Busy()) return false;
  ExchangeGate::Scope scope(gate_);
  auto* dialog = new ExchangeProgressDialog(title, kind, parent_);
  current = dialog;
  ThreadedInteraction threaded(ui_, dialog);
  Interaction& before = link_.SetInteraction(threaded);

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
  QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
  dialog->show();
  worker->start();
  loop.exec();
  worker->wait();
  delete worker;
  QCoreApplication::sendPostedEvents(dialog);  // the last progress before the dialog goes

  link_.SetInteraction(before);
  dialog->Finish();
  delete dialog;
  return true;
}

}  // namespace zul
