#include "ui/network/NetworkScalingWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "core/config/Configuration.h"
#include "core/config/NetworkReport.h"
#include "core/editing/LocalNetworkEditing.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

constexpr int kFields = 6;
// The check kind of field f: 0 minimum, 1 maximum, 2 setpoints.
int KindOf(int f) { return std::min(f, 2); }

}  // namespace

NetworkScalingWindow::NetworkScalingWindow(Configuration& c, Interaction& ui, QWidget* parent)
    : QDialog(parent), c_(c), ui_(ui) {
  setObjectName("FormR_MBM");
  setWindowTitle("Программирование масштабирования аналоговых сигналов локальной сети");
  setModal(true);
  ChooseFile = QtReportFileChooser(this);
  Print = QtReportPrinter(this);

  auto* outer = new QVBoxLayout(this);
  auto* header = new QLabel("Аналоговые входы локальной сети ModBus", this);
  header->setObjectName("LabHeader");
  header->setAlignment(Qt::AlignCenter);
  outer->addWidget(header);
  auto* area = new QScrollArea(this);
  area->setWidgetResizable(true);
  auto* sheet = Sheet = new QWidget(area);
  auto* grid = new QGridLayout(sheet);
  grid->setVerticalSpacing(2);
  const char* captions[] = {"   №     входа",    "",
                            "технолог. позиция", "размерн.",
                            "  min шкалы",       "  max шкалы",
                            "уставка      LL",   "уставка       L",
                            "уставка       H",   "уставка      HH"};
  for (int col = 0; col < 10; ++col) grid->addWidget(new QLabel(captions[col], sheet), 0, col);
  for (int a = 0; a < kRows; ++a) {
    Row& r = Rows[static_cast<size_t>(a)];
    const QString n = QString::number(a + 1);
    r.Label = new QLabel("_", sheet);
    r.Label->setObjectName("LabVh" + n);
    r.Label->setMinimumWidth(70);
    r.Number = new QLabel("_", sheet);
    r.Number->setObjectName("LabN" + n);
    r.Razm = new QComboBox(sheet);
    r.Razm->setObjectName("Razm" + n);
    r.Poz = new QLineEdit(sheet);
    r.Poz->setObjectName("Poz" + n);
    r.Poz->setMaxLength(8);
    r.Poz->setToolTip("ввод текстового реквизита выхода");
    r.NSK = new QLineEdit(sheet);
    r.NSK->setObjectName("NSK" + n);
    r.VSK = new QLineEdit(sheet);
    r.VSK->setObjectName("VSK" + n);
    const char* suffixes[] = {"LL", "L", "H", "HH"};
    for (int u = 0; u < 4; ++u) {
      r.Ust[static_cast<size_t>(u)] = new QLineEdit(sheet);
      r.Ust[static_cast<size_t>(u)]->setObjectName("Ust" + n + suffixes[u]);
    }
    int col = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{r.Label, r.Number, r.Poz, r.Razm, r.NSK, r.VSK,
                                                      r.Ust[0], r.Ust[1], r.Ust[2], r.Ust[3]}) {
      grid->addWidget(w, a + 1, col++);
    }
    for (int f = 0; f < kFields; ++f) {
      QLineEdit* e = Field(a, f);
      e->setMaximumWidth(80);
      connect(e, &QLineEdit::editingFinished, this, [this, e] { leaveField(e); });
      KeyFilter* filter = new KeyFilter(
          e, [this](const QKeyEvent& key, QWidget* w) { return FilterShiftDigitKey(key, w, ui_); },
          [e] { FocusNext(e); });
      Q_UNUSED(filter);
    }
    connect(r.Poz, &QLineEdit::returnPressed, this, [e = r.Poz] { FocusNext(e); });
    connect(r.Razm, &QComboBox::activated, this, [this, a](int index) { onUnitChosen(a, index); });
  }
  area->setWidget(sheet);
  outer->addWidget(area, 1);
  auto* buttons = new QHBoxLayout;
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  ButReport = new QPushButton("Создание и печать файла .rtf", this);
  ButReport->setObjectName("ButReport");
  buttons->addWidget(OK);
  buttons->addStretch();
  buttons->addWidget(ButReport);
  outer->addLayout(buttons);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButReport, &QPushButton::clicked, this, &NetworkScalingWindow::createReport);
  resize(1000, 600);
}

QLineEdit* NetworkScalingWindow::Field(int a, int f) const {
  const Row& r = Rows[static_cast<size_t>(a)];
  if (f == 0) return r.NSK;
  if (f == 1) return r.VSK;
  return r.Ust[static_cast<size_t>(f - 2)];
}

void NetworkScalingWindow::ShowValue(int a, int f) {
  const NetworkMaster& m = c_.networkMaster;
  const std::string text = f == 0   ? m.GetScaleMin(a)
                           : f == 1 ? m.GetScaleMax(a)
                           : f == 2 ? m.GetSetpointLL(a)
                           : f == 3 ? m.GetSetpointL(a)
                           : f == 4 ? m.GetSetpointH(a)
                                    : m.GetSetpointHH(a);
  Field(a, f)->setText(Q(text));
}

bool NetworkScalingWindow::StoreValue(int a, int f, const QString& text) {
  NetworkMaster& m = c_.networkMaster;
  const std::string t = text.toStdString();
  switch (f) {
    case 0:
      return m.SetScaleMin(a, t);
    case 1:
      return m.SetScaleMax(a, t);
    case 2:
      return m.SetSetpointLL(a, t);
    case 3:
      return m.SetSetpointL(a, t);
    case 4:
      return m.SetSetpointH(a, t);
    default:
      return m.SetSetpointHH(a, t);
  }
}

bool NetworkScalingWindow::Prepare(int k) {
  const NetworkAnalogSpan span = NetworkAnalogSpanOf(c_, k);
  if (span.empty()) return false;
  entry_ = k;
  first_ = span.first;
  count_ = span.count;
  const int modules = c_.service.GetAiCount();
  for (int a = 0; a < kRows; ++a) {
    Row& r = Rows[static_cast<size_t>(a)];
    r.Label->setText("_");
    r.Label->setToolTip(QString("номер аналогового сигнала в базе %1 (адрес 0x%2)")
                            .arg(a + modules + 1)
                            .arg(QString::number(a + modules, 16).rightJustified(2, '0').toUpper()));
    r.Number->setText("_");
    r.Razm->clear();
    for (QLineEdit* e :
         std::initializer_list<QLineEdit*>{r.Poz, r.NSK, r.VSK, r.Ust[0], r.Ust[1], r.Ust[2], r.Ust[3]})
      e->clear();
    for (QWidget* w :
         std::initializer_list<QWidget*>{r.Razm, r.Poz, r.NSK, r.VSK, r.Ust[0], r.Ust[1], r.Ust[2], r.Ust[3]})
      w->setEnabled(false);
  }
  const NetworkMaster& m = c_.networkMaster;
  QStringList units;
  for (int u = 0; u < AnalogModules::kUnits; ++u) units << Q(c_.analogModules.GetUnitName(u));
  for (int j = 0; j < NetworkMaster::kEntries; ++j) {
    const NetworkAnalogSpan s = NetworkAnalogSpanOf(c_, j);
    for (int a = s.first; a < s.first + s.count; ++a) {
      Row& r = Rows[static_cast<size_t>(a)];
      r.Label->setText(Q(c_.service.GetShortIdentifier(m.GetFirstDiscrete(j) + 4 * (a - s.first))));
      r.Number->setText(QString::number(a + modules + 1));
      r.Razm->addItems(units);
      r.Razm->setCurrentIndex(m.GetUnitIndex(a));
      r.Poz->setText(Q(m.GetPosition(a)));
      for (int f = 0; f < kFields; ++f) ShowValue(a, f);
      const bool editable = j == k;
      for (QWidget* w : std::initializer_list<QWidget*>{r.Razm, r.Poz, r.NSK, r.VSK, r.Ust[0], r.Ust[1],
                                                        r.Ust[2], r.Ust[3]})
        w->setEnabled(editable);
    }
  }
  return true;
}

int NetworkScalingWindow::Open(int k) {
  if (!Prepare(k)) return QDialog::Rejected;
  return exec();
}

void NetworkScalingWindow::leaveField(QLineEdit* field) {
  for (int a = first_; a < first_ + count_; ++a) {
    for (int f = 0; f < kFields; ++f) {
      if (Field(a, f) != field) continue;
      if (!ScalingTextValid(field->text().toStdString(), KindOf(f)) || !StoreValue(a, f, field->text())) {
        ReportInputError(field, ui_);
        ShowValue(a, f);
        return;
      }
      return;
    }
  }
}

void NetworkScalingWindow::onUnitChosen(int row, int index) {
  if (row < first_ || row >= first_ + count_ || index < 0) return;
  c_.networkMaster.SetUnitIndex(row, index);
}

bool NetworkScalingWindow::canClose() {
  if (count_ <= 0) return true;
  for (int a = first_; a < first_ + count_; ++a) {
    const Row& r = Rows[static_cast<size_t>(a)];
    c_.networkMaster.SetPosition(a, r.Poz->text().toStdString());
    if (r.Razm->currentIndex() >= 0) c_.networkMaster.SetUnitIndex(a, r.Razm->currentIndex());
    for (int f = 0; f < 2; ++f) {
      if (!ScalingTextValid(Field(a, f)->text().toStdString(), f)) {
        ReportInputError(Field(a, f), ui_);
        return false;
      }
    }
  }
  return true;
}

void NetworkScalingWindow::done(int result) {
  // The field being left is stored first, as a click elsewhere would.
  if (auto* e = qobject_cast<QLineEdit*>(focusWidget())) leaveField(e);
  if (!canClose()) return;
  QDialog::done(result);
}

void NetworkScalingWindow::createReport() {
  const std::string title = ReportTitle ? ReportTitle() : std::string();
  SaveAndPrintReport(NetworkScalingReport(c_, title), ChooseFile, ui_, Print);
}

}  // namespace zul
