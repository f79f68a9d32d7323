#pragma once
// What the controller currently receives over the local network for one
// master entry: the analog values of a function-3/4 entry and up to twelve
// discrete signals (with their validity) of any entry, polled every three
// seconds while shown; and the small dialog choosing which twelve.
#include <QDialog>
#include <array>
#include <cstdint>
#include <span>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace zul {

struct Configuration;
class LinkWorker;
class Interaction;
class ModbusLink;

// "Ввод начального адреса и количества входов блока MBM".
class DiscreteRangeDialog : public QDialog {
  Q_OBJECT
 public:
  DiscreteRangeDialog(Interaction& ui, QWidget* parent = nullptr);
  // The block's signals first .. first + size - 1 (0-based); the dialog
  // shows and takes them from 1, as the view numbers its rows.
  void Prepare(int first, int size);
  // The close request: false (hint shown) keeps the dialog open.
  bool canClose();
  void done(int result) override;
  int Start() const { return start_; }
  int Count() const { return count_; }

  QLineEdit* EditAdr;
  QLineEdit* EditKol;
  QLabel* HintAdr;
  QLabel* HintKol;
  QPushButton* OK;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Interaction& ui_;
  int first_ = 0;
  int size_ = 0;
  int start_ = 0;
  int count_ = 0;
};

// Polling shared by both views.
class NetworkOnlineView : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kPollMs = 3000;
  void togglePolling();
  bool Polling() const;
  virtual void poll() = 0;
  void done(int result) override;

  QLabel* TipMod;
  QLabel* LabAMod;
  QLabel* Label;  // "запущен опрос"
  QPushButton* Button1;
  QTimer* Timer1;

 protected:
  NetworkOnlineView(Configuration& c, ModbusLink& port, LinkWorker& worker, const QString& name,
                    QWidget* parent);
  // Header texts of entry k.
  void ShowHeader(int k);
  void Failed(int result);
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

  Configuration& c_;
  ModbusLink& port_;
  LinkWorker& worker_;
};

class NetworkDiscreteOnline : public NetworkOnlineView {
  Q_OBJECT
 public:
  static constexpr int kRows = 12;
  NetworkDiscreteOnline(Configuration& c, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                        QWidget* parent = nullptr);
  // Entry k's discrete signals; with more than twelve the range dialog asks
  // which. False when the dialog was cancelled or the entry is free.
  bool Prepare(int k);
  int Open(int k);
  void poll() override;
  int First() const { return start_; }
  int Shown() const { return count_; }

  struct Row {
    QLabel* Vh;        // "Вход n"
    QLabel* Ident;     // identifier of the signal
    QLabel* Number;    // number in the base
    QLabel* State;     // "on" / "off"
    QLabel* Validity;  // "достовер." / "недостовер."
  };
  std::array<Row, kRows> Rows{};
  DiscreteRangeDialog* rangeDialog;

 private:
  void ShowStates(int statesResult, std::span<const uint8_t> states, int validityResult,
                  std::span<const uint8_t> validity);
  int start_ = 0;
  int count_ = 0;
};

class NetworkAnalogOnline : public NetworkOnlineView {
  Q_OBJECT
 public:
  static constexpr int kRows = 48;
  NetworkAnalogOnline(Configuration& c, ModbusLink& port, LinkWorker& worker, NetworkDiscreteOnline& discrete,
                      QWidget* parent = nullptr);
  bool Prepare(int k);
  int Open(int k);
  void poll() override;
  void DrawRows();
  // "on line": the discrete view of the same entry (its limit signals).
  void openDiscreteView();

  struct Row {
    QLabel* Vh;        // "Вход n"
    QLabel* Number;    // absolute signal number
    QLabel* Position;  // position name
    QLabel* Value;
    QLabel* Unit;
    QLabel* Fault;  // "и", "п", "о", "к"
    QLabel* Alarm;  // "норма", "L(L-H)", ...
  };
  std::array<Row, kRows> Rows{};
  QPushButton* ButOnLine;

 private:
  NetworkDiscreteOnline& discrete_;
  int entry_ = 0;
  int first_ = 0;  // absolute position of the entry's first analog signal
  int count_ = 0;
  int network_ = 0;  // its network position
};

}  // namespace zul
