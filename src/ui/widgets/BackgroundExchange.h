#pragma once
// How a window runs an exchange: it posts the work to the link worker and
// goes on; what is to happen afterwards on the UI thread comes as `done`.
//
// Run shows the modal dialog "ExchangeProgress" ("блок 41 из 51") while the
// work is on the line and closes it before `done`. ExchangeKind::Read offers
// "Прервать" (the procedure sees ui.StopRequested() between blocks); a write
// cannot be stopped half-way and its dialog says why. A write's dialog steps
// aside for every question or message the work shows and comes back only when
// the work reports its blocks (Progress with a maximum): a write that asks
// first and reports once it sends shows the dialog only once it sends.
//
//   BackgroundExchange(Worker, ui_, this)
//       .Run("Чтение конфигурации", ExchangeKind::Read,
//            [this, result](Interaction& ui) { *result = ReadConfiguration(link, config, ui); },
//            [this, result] { ... show *result ... });
//
// The work runs on the worker: it touches only what it captured and the link
// (through the Interaction it is given); widgets are touched in `done`, which
// runs only while the window still exists.
//
// RunQuietly posts a short command of an online view (a coil, a value)
// without a dialog: it runs after whatever is on the line now. Poll posts one
// poll cycle; a tick that finds a job queued or running skips its turn, so
// cycles never pile up.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "core/Interaction.h"
#include "ui/link/LinkWorker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zul {

// A short read (an editor's few blocks) runs to its end: it has no point to
// stop at between blocks.
enum class ExchangeKind { Read, ShortRead, Write };
// What the procedure's progress counts: blocks ("блок 41 из 51") or steps of
// an editor's own bar (the dialog shows only the bar then).
enum class ProgressIn { Blocks, Steps };

inline constexpr const char* kWriteCannotStopText =
    "Запись нельзя прервать: прибор остался бы с частью новой конфигурации.";

// The modal dialog shown while an exchange runs.
class ExchangeProgressDialog : public QDialog {
  Q_OBJECT
 public:
  ExchangeProgressDialog(const QString& title, ExchangeKind kind, ProgressIn units, QWidget* parent);

  void ShowBlock(int block, int total);
  bool StopRequested() const { return stop_->load(); }
  std::shared_ptr<std::atomic<bool>> StopFlag() const { return stop_; }
  void Finish();

  QLabel* Block;
  QProgressBar* Bar;
  QLabel* Note;
  QPushButton* StopButton;

 public slots:
  void reject() override;  // Escape and the close button: stop a read, ignored in a write

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  ExchangeKind kind_;
  ProgressIn units_;
  std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
  bool finished_ = false;
};

using ExchangeWork = std::function<void(Interaction&)>;
using ExchangeDone = std::function<void()>;

class BackgroundExchange {
 public:
  BackgroundExchange(LinkWorker& worker, Interaction& ui, QWidget* parent);
  // Messages go where the worker's own go.
  BackgroundExchange(LinkWorker& worker, QWidget* parent);

  void Run(const QString& title, ExchangeKind kind, ExchangeWork work, ExchangeDone done = {},
           ProgressIn units = ProgressIn::Blocks);
  // A short command, no dialog; runs after whatever holds the line.
  void RunQuietly(ExchangeWork work, ExchangeDone done = {});
  // One poll cycle, no dialog; false when the line is busy (the tick is skipped).
  bool Poll(ExchangeWork work, ExchangeDone done = {});

  // The same with a result: `work` returns it on the worker, `done` takes it
  // on the UI thread.
  template <class Work, class Done>
  void RunFor(const QString& title, ExchangeKind kind, Work work, Done done,
              ProgressIn units = ProgressIn::Blocks) {
    auto [w, d] = Carry(std::move(work), std::move(done));
    Run(title, kind, std::move(w), std::move(d), units);
  }
  template <class Work, class Done>
  void RunQuietlyFor(Work work, Done done) {
    auto [w, d] = Carry(std::move(work), std::move(done));
    RunQuietly(std::move(w), std::move(d));
  }
  template <class Work, class Done>
  bool PollFor(Work work, Done done) {
    auto [w, d] = Carry(std::move(work), std::move(done));
    return Poll(std::move(w), std::move(d));
  }

  // The dialog of the exchange now running (tests look at it).
  static ExchangeProgressDialog* Current();

 private:
  LinkJob Job(ExchangeWork work, ExchangeDone done) const;

  // The result crosses from the worker to the UI thread in a shared slot.
  template <class Work, class Done>
  static std::pair<ExchangeWork, ExchangeDone> Carry(Work work, Done done) {
    using Result = std::invoke_result_t<Work&, Interaction&>;
    auto slot = std::make_shared<Result>();
    return {[work = std::move(work), slot](Interaction& ui) mutable { *slot = work(ui); },
            [done = std::move(done), slot]() mutable { done(*slot); }};
  }

  LinkWorker& worker_;
  Interaction* ui_;
  QPointer<QWidget> parent_;
};

}  // namespace zul
