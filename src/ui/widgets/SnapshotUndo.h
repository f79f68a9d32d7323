#pragma once
// Undo by snapshots: an editor captures what an operation may change before
// and after it, and one QUndoCommand puts either back. The editors' data are
// small fixed arrays, so whole snapshots are cheaper than inverse operations
// and cannot drift from them.
//
//   SnapshotUndo<DiscreteSnapshot> undo(capture, restore);
//   undo.Record("Удаление входа", [&] { DeleteHandler(config, row); });
#include <QString>
#include <QUndoCommand>
#include <QUndoStack>
#include <functional>
#include <utility>

namespace zul {

template <typename Snapshot>
class SnapshotCommand : public QUndoCommand {
 public:
  using Restore = std::function<void(const Snapshot&)>;
  SnapshotCommand(const QString& text, Snapshot before, Snapshot after, Restore restore)
      : QUndoCommand(text),
        before_(std::move(before)),
        after_(std::move(after)),
        restore_(std::move(restore)) {}
  void undo() override { restore_(before_); }
  // The first redo is the push: the operation itself already ran.
  void redo() override {
    if (pushed_) restore_(after_);
    pushed_ = true;
  }

 private:
  Snapshot before_;
  Snapshot after_;
  Restore restore_;
  bool pushed_ = false;
};

template <typename Snapshot>
class SnapshotUndo {
 public:
  static constexpr int kSteps = 100;
  SnapshotUndo(std::function<Snapshot()> capture, std::function<void(const Snapshot&)> restore)
      : capture_(std::move(capture)), restore_(std::move(restore)) {
    stack_.setUndoLimit(kSteps);
  }
  QUndoStack& Stack() { return stack_; }
  // Runs the operation and keeps one step when it changed anything.
  void Record(const QString& text, const std::function<void()>& operation) {
    Snapshot before = capture_();
    operation();
    Snapshot after = capture_();
    if (!(before == after))
      stack_.push(new SnapshotCommand<Snapshot>(text, std::move(before), std::move(after), restore_));
  }
  void Clear() { stack_.clear(); }

 private:
  std::function<Snapshot()> capture_;
  std::function<void(const Snapshot&)> restore_;
  QUndoStack stack_;
};

}  // namespace zul
