#pragma once
// The small modal dialogs of the discrete signals: alarm, delay, relay
// outputs, archiving, the input and output texts, the number dialog, and the
// read-only information on a relay output, an analog input and a network
// input. They present and collect values; the caller fills them before and
// takes the values after.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace zul {

class HintLabel;
class Interaction;
class RelayModules;
class DiscreteProcessing;
class ServiceBlock;
struct InputInfo;

// Modal results of these dialogs.
inline constexpr int kDialogClosed = 2;   // closed (the values are taken)
inline constexpr int kDialogCancel = 3;   // "Отмена"
inline constexpr int kDialogRefused = 6;  // a check failed

// "<number>      <identifier>": the header line of the record dialogs.
QString RecordHeader(int signal, const QString& identifier);

// Common to the record dialogs: every way of closing gives kDialogClosed, a
// click on the dialog's background included; `Closing` tidies the fields first.
class RecordDialog : public QDialog {
  Q_OBJECT
 public:
  void done(int result) override;
  QPushButton* OK;

 protected:
  RecordDialog(DiscreteProcessing& processing, const QString& name, const QString& caption, QWidget* parent);
  virtual void Closing() {}
  // A changed value counts only while the discrete processing editor is shown.
  void MarkChanged();
  void mousePressEvent(QMouseEvent* event) override;

  DiscreteProcessing& processing_;
};

// Alarm type and light-panel cell.
class AlarmTypeDialog : public RecordDialog {
  Q_OBJECT
 public:
  AlarmTypeDialog(ServiceBlock& serv, DiscreteProcessing& processing, Interaction& ui,
                  QWidget* parent = nullptr);
  int ItemIndex() const;  // alarm type 0..3
  void SetItemIndex(int index);

  QLabel* LabNVh;
  QLabel* Label2;
  QGroupBox* RadioGroup1;
  std::array<QRadioButton*, 4> Items{};
  QLabel* Label1;
  QLineEdit* Edit1;

 protected:
  void showEvent(QShowEvent* event) override;
  void Closing() override;

 private:
  ServiceBlock& service_;
};

// Delay of the outputs.
class DelayDialog : public RecordDialog {
  Q_OBJECT
 public:
  DelayDialog(DiscreteProcessing& processing, Interaction& ui, QWidget* parent = nullptr);
  QLabel* LabNVh;
  QLabel* Label2;
  QLabel* Label1;
  QLabel* Label3;
  QLineEdit* EditDiskr;
  QLabel* Label4;
  QLineEdit* EditT;

 protected:
  void Closing() override;
};

// Relay outputs of one signal: eight panels per relay module.
class RelayOutputsDialog : public RecordDialog {
  Q_OBJECT
 public:
  static constexpr int kModules = 8;
  static constexpr int kOutputs = 8;
  RelayOutputsDialog(DiscreteProcessing& processing, QWidget* parent = nullptr);

  // Shows the labels and panels of the first `modules` relay modules with
  // the bits of their masks.
  void Prepare(int modules, const std::array<int, kModules>& masks);
  const std::array<int, kModules>& Masks() const { return masks_; }
  // What a left click on panel k (1..8) of module m (0-based) does.
  void TogglePanel(int m, int k);
  bool PanelOn(int m, int k) const;
  // A right click: remembers the output and opens the pop-up menu.
  void PanelInfo(int m, int k);
  // "Информация о дискретном выходе" of the pop-up menu.
  std::function<void()> ShowOutputInfo;

  QLabel* LabNVh;
  QLabel* Label2;
  QLabel* Label9;
  std::array<QLabel*, kModules> Labels{};                        // Label1..Label8
  std::array<std::array<QLabel*, kOutputs>, kModules> Panels{};  // Panel<m>_<k>
  QMenu* PopupMenu4;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Paint(int m, int k);
  std::array<int, kModules> masks_{};
};

// Archiving on or off.
class ArchivingDialog : public RecordDialog {
  Q_OBJECT
 public:
  explicit ArchivingDialog(DiscreteProcessing& processing, QWidget* parent = nullptr);
  void SetOn(bool on);
  bool On() const;
  QLabel* LabNVh;
  QLabel* Label2;
  QLabel* Label3;
  QPushButton* SBVkl;
};

// The text attribute of an input (or, as OutputTextDialog, of an output).
class InputTextDialog : public RecordDialog {
  Q_OBJECT
 public:
  InputTextDialog(ServiceBlock& serv, DiscreteProcessing& processing, QWidget* parent = nullptr);
  QLabel* LabNVh;
  QLabel* Label2;
  QLabel* Label1;
  QLineEdit* EditText;

 protected:
  InputTextDialog(ServiceBlock& serv, DiscreteProcessing& processing, bool outputs, QWidget* parent);
  void showEvent(QShowEvent* event) override;
  // Escape and the close button: the text stays as it was (kDialogCancel).
  void reject() override;
  void Closing() override;

 private:
  int& ChangedFlag();
  ServiceBlock& service_;
  bool outputs_;
};

class OutputTextDialog : public InputTextDialog {
  Q_OBJECT
 public:
  OutputTextDialog(ServiceBlock& serv, DiscreteProcessing& processing, QWidget* parent = nullptr);
  QLabel* LabNVyh;  // the same label as LabNVh, under its own name
};

// One number, a range of numbers or the first number of a replacement.
class SignalNumberDialog : public QDialog {
  Q_OBJECT
 public:
  enum Group { Single = 1, Range = 2, Start = 3 };
  SignalNumberDialog(ServiceBlock& serv, Interaction& ui, QWidget* parent = nullptr);

  // Shows the one group, with the caption; returns the modal result.
  int Run(const QString& caption, Group group);
  void Prepare(const QString& caption, Group group);
  void onOk();
  void reject() override;  // the close box and Esc: as "Отмена"

  // The number typed in a field (0 when empty).
  static int Number(const QLineEdit* field);

  QGroupBox* GroupBox1;
  QLabel* LabNVh;
  QLineEdit* EditNVh;
  QLabel* LabName;
  QGroupBox* GroupBox2;
  QLabel* Label1;
  QLineEdit* Edit1;
  QLabel* Label2;
  QLineEdit* Edit2;
  QGroupBox* GroupBox3;
  QLabel* Label3;
  QLineEdit* Edit3;
  QPushButton* OK;
  QPushButton* Cancel;
  HintLabel* ErrorText;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool CheckField(QLineEdit* field);
  QLineEdit* FirstField() const;
  ServiceBlock& service_;
  Interaction& ui_;
  Group group_ = Single;
};

// Settings of one relay output, read-only.
class RelayOutputInfoDialog : public QDialog {
  Q_OBJECT
 public:
  RelayOutputInfoDialog(const RelayModules& progMR, const DiscreteProcessing& processing,
                        QWidget* parent = nullptr);
  // Fills the view for InfoModule, InfoOutput of the processing block.
  void Prepare();

  QLabel* Label11;
  QLabel* LabNMod;
  QLabel* LabNVyh;
  QLabel* TipVyh;
  QLabel* Block;
  QLabel* Kvit;
  QLabel* KvitMind;
  QLabel* KvitTopLevel;
  QLabel* EditVxKvit;
  QLabel* SbrMind;
  QLabel* SbrTopLevel;
  QLabel* EditVhSbr;
  QPushButton* OK;

 private:
  const RelayModules& progMR_;
  const DiscreteProcessing& processing_;
};

// One setpoint signal of an analog input (AnalogInputInfoDialog) or one network signal
// (NetworkInputInfoDialog), read-only.
class InputInfoDialog : public QDialog {
  Q_OBJECT
 public:
  virtual void Prepare(const InputInfo& info);

  QLabel* LabNVh;
  QLabel* Label2;
  QLabel* LabTextRecv;
  QLabel* Label11;
  QLabel* LabNMod;
  QLabel* LabVh;
  QLabel* Label1;
  QLabel* Label7;
  QLabel* Poz1;
  QLabel* LabelRazm;
  QLabel* Razm1;
  QLabel* Label8;
  QLabel* NSK1;
  QLabel* Label9;
  QLabel* VSK1;
  QLabel* LabUstLL;
  QLabel* Ust1LL;
  QPushButton* OK;

 protected:
  InputInfoDialog(bool network, QWidget* parent);
  QWidget* values_;  // the scaling fields (inside GroupBox1 of the network view)
  bool network_;
};

class AnalogInputInfoDialog : public InputInfoDialog {
  Q_OBJECT
 public:
  explicit AnalogInputInfoDialog(QWidget* parent = nullptr);
  void Prepare(const InputInfo& info) override;
  QLabel* LabTMod;
};

class NetworkInputInfoDialog : public InputInfoDialog {
  Q_OBJECT
 public:
  explicit NetworkInputInfoDialog(QWidget* parent = nullptr);
  void Prepare(const InputInfo& info) override;
  QLabel* Label5;
  QLabel* LabAdrSlave;
  QLabel* Label4;
  QLabel* LabTUst;
  QGroupBox* GroupBox1;
};

}  // namespace zul
