#pragma once
// The live view of one control loop (two for a cascade): polls SP, OUT, PV and
// the mode coils every 3 s, switches manual/automatic and on/off, nudges the
// output, writes a new SP or OUT, and plots the last ten minutes of PV, SP and
// OUT with an export of the samples as CSV.
#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "core/editing/RegulatorOnline.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace zul {

struct Configuration;
class LinkWorker;
class HintLabel;
class Interaction;
class LoopLivePanel;
class LoopTrendChart;
class ModbusLink;

// The panel of one loop (design TPanRegVis): bars of PV, SP and OUT on their
// scales, the input and output indicators and the command buttons.
class LoopLivePanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 180;
  static constexpr int kHeight = 330;

  LoopLivePanel(int loop, int kind, double scaleMin, double scaleMax, QWidget* parent);
  int Loop() const { return loop_; }
  int Kind() const { return kind_; }
  double ScaleMin() const { return scaleMin_; }
  double ScaleMax() const { return scaleMax_; }
  // The scale the PV and SP bars are drawn on: the input's, or for an input
  // without one what the values came to (TrendScale).
  void SetDisplayScale(double min, double max);
  double DisplayMin() const { return displayMin_; }
  double DisplayMax() const { return displayMax_; }
  void SetUnit(const QString& unit);
  QString Unit() const { return unit_; }
  void SetValues(float sp, float out, float pv);
  void SetLevels(float out0, float out1);
  void SetStatus(uint8_t status);
  float Value(LoopValue which) const { return which == LoopValue::SP ? sp_ : out_; }
  void SetValue(LoopValue which, float v);
  QRect ValueRect(LoopValue which) const;
  // Shown text of PV, SP, OUT ("----" when the controller sent no number).
  QString Text(int index) const;
  uint8_t Status() const { return status_; }
  bool OutputIndicatorRed() const { return (status_ >> 6) & 1; }
  bool InputIndicatorRed() const { return (status_ >> 7) & 1; }

  QPushButton* Plus;
  QPushButton* Minus;
  QPushButton* APONOFF;
  QPushButton* HANDAUT;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintBar(QPainter& p, const QRect& r, const QString& name, float value, double min, double max,
                const QColor& colour) const;
  int loop_;
  int kind_;
  double scaleMin_, scaleMax_;
  double displayMin_, displayMax_;
  QString unit_;
  float sp_ = 0, out_ = 0, pv_ = 0;
  float out0_ = 0, out1_ = 0;
  bool hasValues_ = false;
  uint8_t status_ = 0;
};

class RegulatorOnlineView : public QDialog {
  Q_OBJECT
 public:
  RegulatorOnlineView(ModbusLink& port, Configuration& config, LinkWorker& worker, Interaction& ui,
                      QWidget* parent = nullptr);

  // Fills the view for loop record `loop` and its inner loop for a cascade.
  void Prepare(int loop);
  // Prepare, then shown modally.
  int Open(int loop);

  void togglePolling();
  bool Polling() const;
  void poll();
  void handAut(size_t panel, bool pressed);
  void apOnOff(size_t panel, bool pressed);
  void nudge(size_t panel, int direction);
  // The value editor over panel `panel` with the value it holds now.
  void editValue(LoopValue which, size_t panel);
  // Leaving the value editor: a value within range is shown and written.
  void leaveValueEditor();
  // The recorded samples of the shown loops as CSV; false when the file
  // cannot be written.
  bool exportTrend(const QString& path);
  void done(int result) override;

  const std::vector<LoopLivePanel*>& Panels() const { return panels_; }
  const std::vector<LoopTrend>& Trends() const { return trends_; }
  // The file the CSV export asks for (a test puts its own chooser here); a
  // name without an extension gets ".csv".
  std::function<QString()> ChooseCsvFile;
  // Time of a sample in ms since the epoch; the wall clock unless a test says otherwise.
  std::function<int64_t()> Now;

  QLabel* LabNReg;
  QLabel* LabTip;
  QLineEdit* EditNReg;
  QLineEdit* EditAnVh;
  QLineEdit* EditNReg1;
  QLineEdit* EditAnVh1;
  QLabel* Label5;
  QLabel* Label4;
  QLabel* Label6;
  QPushButton* Button2;
  QLabel* Label1;
  QLineEdit* EditText;
  QProgressBar* ProgressBar1;
  QMenu* PopupMenu1;
  QAction* AChangePV;
  QAction* AChangeSP;
  QAction* AChangeOUT;
  QWidget* PanelArea;
  QPushButton* ButTrendCsv;
  HintLabel* ErrorText;
  QTimer* Timer1;

 protected:
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ClearPanels();
  void ShowModeMenu(bool automatic);
  void StopPolling();
  // A command's coils in order; a failure ends it (shown while polling runs)
  // and puts panel `panel`'s buttons back to the controller's last status.
  void WriteCoils(size_t panel, const std::vector<CoilWrite>& coils);
  void ShowPoll(const LoopPoll& poll);
  void Record();

  ModbusLink& port_;
  Configuration& config_;
  LinkWorker& worker_;
  Interaction& ui_;
  int loop_ = 0;
  int reportFlag_ = 0;
  std::vector<LoopLivePanel*> panels_;
  std::vector<LoopTrendChart*> charts_;
  std::vector<LoopTrend> trends_;
  QWidget* chartArea_ = nullptr;
  LoopValue editing_ = LoopValue::SP;
  size_t editingPanel_ = 0;
  bool valueEditorOpen_ = false;
};

}  // namespace zul
