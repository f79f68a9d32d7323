#pragma once
// Runs a long exchange off the UI thread, so that the windows stay painted and
// movable while a controller is read or written.
//
// The core procedure runs on a worker thread. Its Interaction calls come back
// to the UI thread: a question waits there for the user's answer, progress
// goes to the modal dialog "ExchangeProgress" ("блок 41 из 51") and to the
// window's own Interaction. Run holds the window's ExchangeGate while its worker
// is on the line (the protocol stays one transaction at a time), hands the link an
// Interaction of its own and moves the serial line's Qt object
// (ExchangeGate::SetLineObject) to the worker and back.
//
// Use in a window:
//   BackgroundExchange exchange(Gate, link, ui_, this);
//   ReadResult r;
//   if (!exchange.Run("Чтение конфигурации", ExchangeKind::Read,
//                     [&](Interaction& ui) { r = ReadConfiguration(link, config, ui); }))
//     return;  // another exchange is running
//   ... show r (after Run, on the UI thread) ...
//
// Inside the procedure use only the Interaction it is given and the data it
// works on; touch widgets after Run. ExchangeKind::Read offers "Прервать" (the
// procedure sees ui.StopRequested() between blocks); a write cannot be
// stopped half-way and its dialog says why.
//
// RunQuietly runs a short command of an online view (a coil, a value) the same
// way but without a dialog; Poll runs one poll cycle so, and a tick that finds
// the line busy skips its turn, so cycles never pile up. A command that comes
// while a poll cycle or short command holds the line waits the moment for it
// instead of being lost; anything else on the line refuses it.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>

#include "core/Interaction.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace zul {

class ExchangeGate;
class ModbusLink;

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
  bool StopRequested() const { return stop_.load(); }
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
  std::atomic<bool> stop_{false};
  bool finished_ = false;
};

class BackgroundExchange {
 public:
  BackgroundExchange(ExchangeGate& gate, ModbusLink& link, Interaction& ui, QWidget* parent);
  // Messages go where the link's own go.
  BackgroundExchange(ExchangeGate& gate, ModbusLink& link, QWidget* parent);

  // false when another exchange holds the gate (nothing ran).
  bool Run(const QString& title, ExchangeKind kind, const std::function<void(Interaction&)>& procedure,
           ProgressIn units = ProgressIn::Blocks);

  // A short command on the worker, no dialog; false when the line is taken (nothing ran).
  bool RunQuietly(const std::function<void(Interaction&)>& procedure);
  // One poll cycle on the worker, no dialog; false when the line is busy (skip the tick).
  bool Poll(const std::function<void(Interaction&)>& procedure);

  // The dialog of the exchange now running (tests look at it).
  static ExchangeProgressDialog* Current();

 private:
  // Waits while a poll cycle or short command holds the line; true when it is free.
  bool AwaitLine();
  // Runs the procedure on a worker while the UI thread's events go on.
  void Execute(ExchangeProgressDialog* dialog, const std::function<void(Interaction&)>& procedure);

  ExchangeGate& gate_;
  ModbusLink& link_;
  Interaction* ui_;
  QPointer<QWidget> parent_;
};

}  // namespace zul
