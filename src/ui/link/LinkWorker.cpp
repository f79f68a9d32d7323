#include "ui/link/LinkWorker.h"

#include <QCoreApplication>

#include "core/link/ModbusLink.h"

namespace zul {

namespace {

std::mutex& HandOverMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

void RunOnThreadOf(QObject* context, std::function<void()> call) {
  // The call is queued and taken while this mutex is held, and the other side
  // takes it before anything else: ThreadSanitizer sees the hand-over, which
  // it cannot see through Qt's own event queue.
  std::lock_guard lock(HandOverMutex());
  QMetaObject::invokeMethod(
      context,
      [call = std::move(call)] {
        { std::lock_guard taken(HandOverMutex()); }
        call();
      },
      Qt::QueuedConnection);
}

// The worker's side of a job's Interaction: everything the user sees happens
// on the UI thread; a question blocks only the worker until it is answered.
class LinkWorker::JobInteraction : public Interaction {
 public:
  JobInteraction(LinkWorker* home, Interaction* target, const LinkJob& job, std::shared_ptr<Abort> abort)
      : home_(home), target_(target), stop_(job.stop), progress_(job.progress), abort_(std::move(abort)) {}

  Answer Ask(const Message& message) override {
    struct Question {
      bool answered = false;
      Answer answer = Answer::Cancel;
    };
    auto question = std::make_shared<Question>();
    {
      std::lock_guard lock(abort_->mutex);
      if (abort_->on) return Answer::Cancel;
    }
    RunOnThreadOf(home_, [question, target = target_, message, abort = abort_] {
      {
        std::lock_guard lock(abort->mutex);
        if (abort->on) return;
      }
      const Answer answer = target->Ask(message);
      std::lock_guard lock(abort->mutex);
      question->answer = answer;
      question->answered = true;
      abort->answered.notify_all();
    });
    std::unique_lock lock(abort_->mutex);
    abort_->answered.wait(lock, [&] { return question->answered || abort_->on; });
    return question->answered ? question->answer : Answer::Cancel;
  }

  void Progress(int value, int maximum) override {
    RunOnThreadOf(home_, [target = target_, progress = progress_, value, maximum] {
      if (progress) progress(value, maximum);
      target->Progress(value, maximum);
    });
  }

  void Beep() override {
    RunOnThreadOf(home_, [target = target_] { target->Beep(); });
  }

  bool StopRequested() override {
    if (stop_ && stop_->load()) return true;
    std::lock_guard lock(abort_->mutex);
    return abort_->on;
  }

 private:
  LinkWorker* home_;
  Interaction* target_;
  std::shared_ptr<std::atomic<bool>> stop_;
  std::function<void(int, int)> progress_;
  std::shared_ptr<Abort> abort_;
};

LinkWorker::LinkWorker(ModbusLink& link, Interaction& fallback, QObject* parent)
    : QObject(parent), link_(link), fallback_(fallback), runner_(new QObject) {
  thread_.setObjectName("link worker");
  runner_->moveToThread(&thread_);
  thread_.start();
}

LinkWorker::~LinkWorker() {
  Shutdown();
  allPending_ -= pending_;
}

void LinkWorker::AdoptLineObject(QObject* line) {
  line_ = line;
  if (line) line->moveToThread(&thread_);
}

void LinkWorker::Post(LinkJob job) {
  if (shutDown_) return;
  ++pending_;
  ++allPending_;
  auto shared = std::make_shared<LinkJob>(std::move(job));
  const bool guarded = !shared->context.isNull();
  Interaction* target = shared->ui ? shared->ui : &fallback_;
  RunOnThreadOf(runner_, [this, shared, target, guarded, abort = abort_] {
    {
      std::lock_guard lock(abort->mutex);
      if (abort->on) return;  // the program is ending: queued jobs are dropped
    }
    {
      JobInteraction ui(this, target, *shared, abort);
      Interaction& before = link_.SetInteraction(ui);
      shared->work(ui);
      link_.SetInteraction(before);
    }
    RunOnThreadOf(this, [this, shared, guarded] {
      --pending_;
      --allPending_;
      if (shared->done && (!guarded || shared->context)) shared->done();
      if (pending_ == 0) emit idle();
    });
  });
}

bool LinkWorker::PostPoll(LinkJob job) {
  if (Busy() || shutDown_) return false;
  Post(std::move(job));
  return true;
}

void LinkWorker::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  {
    std::lock_guard lock(abort_->mutex);
    abort_->on = true;
    abort_->answered.notify_all();
  }
  // Quit from inside the last event: a quit posted from here could end the
  // loop before the line object is handed back.
  RunOnThreadOf(runner_, [line = line_, home = thread()] {
    if (line) line->moveToThread(home);
    QThread::currentThread()->quit();
  });
  thread_.wait();
  { std::lock_guard joined(HandOverMutex()); }
  delete runner_;
  runner_ = nullptr;
}

}  // namespace zul
