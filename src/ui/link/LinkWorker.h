#pragma once
// The one thread that talks to the controller. It owns the serial line's Qt
// object and runs every exchange of the program, one job at a time in the
// order the windows post them. A window never waits for a job: it posts the
// work and a continuation, and the continuation runs on the UI thread once the
// work is done (and only while the window that posted it still exists).
//
//   UI thread                                 link worker
//   window ── Post(work, done) ─────────────▶ queue ─▶ work(ui)
//          ◀─ Ask (queued; worker waits) ────          │ question mid-way
//          ── answer ──────────────────────▶           │
//          ◀─ Progress / Beep (queued) ──────          ▼
//   done() ◀─ finished (queued) ─────────────  next job
//
// A question a job asks is shown by the UI thread through the posting window's
// Interaction while the job waits on the worker side; the UI thread never
// waits for the worker, so nothing can wait on its own thread.
#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "core/Interaction.h"

namespace zul {

class ModbusLink;

// Queues `call` to run on the thread of `context` (dropped if it is gone by then).
void RunOnThreadOf(QObject* context, std::function<void()> call);

struct LinkJob {
  // Runs on the worker; `ui` forwards to the posting window's Interaction.
  std::function<void(Interaction& ui)> work;
  // Runs on the UI thread after `work`, unless `context` is gone by then.
  std::function<void()> done{};
  QPointer<QObject> context{};
  // Where the job's questions, messages and progress go (lives on the UI thread).
  Interaction* ui = nullptr;
  // The user's "stop" for the job, if it can be stopped (read between blocks).
  std::shared_ptr<std::atomic<bool>> stop{};
  // Progress also goes here (a dialog's bar), on the UI thread.
  std::function<void(int value, int maximum)> progress{};
};

class LinkWorker : public QObject {
  Q_OBJECT
 public:
  // Jobs posted without an Interaction of their own talk through `fallback`.
  LinkWorker(ModbusLink& link, Interaction& fallback, QObject* parent = nullptr);
  ~LinkWorker() override;

  // Hands the serial line's Qt object to the worker for the program's life
  // (none for lines without one). Call before the first job.
  void AdoptLineObject(QObject* line);

  void Post(LinkJob job);
  // A poll cycle: skipped (false) when a job is queued or running.
  bool PostPoll(LinkJob job);

  // Nothing queued or running (UI thread).
  bool Idle() const { return pending_ == 0; }
  bool Busy() const { return pending_ > 0; }
  // No job of any worker queued or running (tests wait on it).
  static bool AllIdle() { return allPending_.load() == 0; }

  // Ends the thread: questions still open answer Cancel, a read stops between
  // blocks, queued jobs are dropped, the line's object comes back. Idempotent.
  void Shutdown();

  ModbusLink& link() { return link_; }
  // Where jobs without an Interaction of their own talk (UI thread).
  Interaction& Messages() { return fallback_; }

 signals:
  void idle();

 private:
  class JobInteraction;

  ModbusLink& link_;
  Interaction& fallback_;
  QThread thread_;
  QObject* runner_;  // lives on thread_: queued calls to it run there, in order
  QPointer<QObject> line_;
  int pending_ = 0;
  bool shutDown_ = false;
  // Open questions wait on it; Shutdown wakes them with Cancel.
  struct Abort {
    std::mutex mutex;
    std::condition_variable answered;
    bool on = false;
  };
  std::shared_ptr<Abort> abort_ = std::make_shared<Abort>();
  static inline std::atomic<int> allPending_{0};
};

}  // namespace zul
