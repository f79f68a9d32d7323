#include "ui/widgets/BackgroundExchange.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/link/ModbusLink.h"

namespace zul {

namespace {

QPointer<ExchangeProgressDialog> current;

// A write's questions and messages come before the dialog, never behind it:
// the dialog steps aside for each and comes back once the write reports its
// blocks, so a "Нет" or a refusal never shows a write under way.
class WriteGate : public Interaction, public std::enable_shared_from_this<WriteGate> {
 public:
  WriteGate(Interaction& inner, QPointer<ExchangeProgressDialog> dialog)
      : inner_(inner), dialog_(std::move(dialog)) {}
  Answer Ask(const Message& message) override {
    const auto keep = shared_from_this();  // a shutdown may end the job while the box is open
    if (dialog_ && dialog_->isVisible()) {
      dialog_->hide();
      steppedAside_ = true;
    }
    return inner_.Ask(message);
  }
  void Progress(int value, int maximum) override { inner_.Progress(value, maximum); }
  void Beep() override { inner_.Beep(); }
  void ShowBlock(int value, int maximum) {
    if (!dialog_) return;
    if (steppedAside_ && maximum > 0) {
      steppedAside_ = false;
      dialog_->show();
    }
    dialog_->ShowBlock(value, maximum);
  }

 private:
  Interaction& inner_;
  QPointer<ExchangeProgressDialog> dialog_;
  bool steppedAside_ = false;
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
  if (!*stop_ && units_ == ProgressIn::Blocks) Block->setText(QString("блок %1 из %2").arg(block).arg(total));
}

void ExchangeProgressDialog::reject() {
  if (kind_ != ExchangeKind::Read || finished_) return;
  *stop_ = true;
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

BackgroundExchange::BackgroundExchange(LinkWorker& worker, Interaction& ui, QWidget* parent)
    : worker_(worker), ui_(&ui), parent_(parent) {}

BackgroundExchange::BackgroundExchange(LinkWorker& worker, QWidget* parent)
    : worker_(worker), ui_(nullptr), parent_(parent) {}

ExchangeProgressDialog* BackgroundExchange::Current() { return current.data(); }

LinkJob BackgroundExchange::Job(ExchangeWork work, ExchangeDone done) const {
  LinkJob job;
  job.work = std::move(work);
  job.done = std::move(done);
  job.context = parent_.data();
  job.ui = ui_;
  return job;
}

void BackgroundExchange::Run(const QString& title, ExchangeKind kind, ExchangeWork work, ExchangeDone done,
                             ProgressIn units) {
  // Without full access the write is refused before anything is sent: its
  // message comes alone, not over a dialog that says a write is under way.
  if (kind == ExchangeKind::Write && !worker_.link().MayWrite()) {
    RunQuietly(std::move(work), std::move(done));
    return;
  }
  QPointer<ExchangeProgressDialog> dialog = new ExchangeProgressDialog(title, kind, units, parent_);
  current = dialog;
  dialog->show();
  LinkJob job = Job(std::move(work), [dialog, done = std::move(done)] {
    if (dialog) {
      dialog->Finish();
      delete dialog.data();
    }
    if (done) done();
  });
  job.stop = dialog->StopFlag();
  job.progress = [dialog](int value, int maximum) {
    if (dialog) dialog->ShowBlock(value, maximum);
  };
  if (kind == ExchangeKind::Write) {
    auto gate = std::make_shared<WriteGate>(ui_ ? *ui_ : worker_.Messages(), dialog);
    job.ui = gate.get();
    // The gate lives while the job or any of its queued progress does.
    job.progress = [gate](int value, int maximum) { gate->ShowBlock(value, maximum); };
  }
  worker_.Post(std::move(job));
}

void BackgroundExchange::RunQuietly(ExchangeWork work, ExchangeDone done) {
  worker_.Post(Job(std::move(work), std::move(done)));
}

bool BackgroundExchange::Poll(ExchangeWork work, ExchangeDone done) {
  return worker_.PostPoll(Job(std::move(work), std::move(done)));
}

}  // namespace zul
