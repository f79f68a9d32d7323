#include "ui/regulators/ControlLoopDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/config/Configuration.h"
#include "core/model/FloatText.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/WindowHabits.h"

namespace zul {

namespace {

// A caption on one line, or wrapped within `wrapWidth` pixels (the design's
// long captions carry runs of blanks that once broke their lines).
QLabel* Caption(const QString& text, QWidget* parent, const char* name = nullptr, int wrapWidth = 0) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(name);
  if (wrapWidth > 0) {
    label->setWordWrap(true);
    label->setMinimumWidth(wrapWidth);
  }
  return label;
}

struct ParamRow {
  const char* label;
  const char* hint;
};
const ParamRow kParamRows[6] = {
    {"Коэф. усиления KP", "0,1-1000"},         {"Время интегрир. Ti, с", "0,1-10000"},
    {"Время дифференц. Td, с", "0-1000"},      {"Нижний предел выхода OL, %", "0-100%"},
    {"Верхний предел выхода OH, %", "0-100%"}, {"Безопасное значение выхода OSF, %", "0-100%"}};
// The inner loop's group is narrower: the same parameters by their short names.
const char* const kShortParamLabels[6] = {"KP", "Ti, с", "Td, с", "OL, %", "OH, %", "OSF, %"};
const char* const kParamNames[6] = {"EditKp", "EditTi", "EditTd", "EditOL", "EditOH", "EditdSP"};
const char* const kInnerParamNames[6] = {"EditKp1", "EditTi1", "EditTd1", "EditOL1", "EditOH1", "EditdSP1"};

// Real fields: what the integer fields take, and one decimal comma (or point).
KeyVerdict FilterRealKey(const QKeyEvent& key, QWidget* control, Interaction& ui) {
  if (key.text() != "," && key.text() != ".") return FilterDigitKey(key, control, ui);
  const auto* e = static_cast<const QLineEdit*>(control);
  QString kept = e->text();
  if (e->hasSelectedText()) kept.remove(e->selectionStart(), static_cast<int>(e->selectedText().size()));
  if (!kept.contains(',') && !kept.contains('.')) return KeyVerdict::Accept;
  ReportInputError(control, ui);
  return KeyVerdict::Refuse;
}

}  // namespace

ControlLoopDialog::ControlLoopDialog(Configuration& config, Interaction& ui, QWidget* parent)
    : QDialog(parent), config_(config), ui_(ui) {
  setObjectName("FormCreatReg");
  setWindowTitle("Программирование контура регулирования");
  setModal(true);

  LabReg = Caption("Контур регулирования №", this, "LabReg");
  LabNReg = Caption("", this, "LabNReg");
  LabCreatProg = Caption("", this, "LabCreatProg");
  CBoxTReg = new QComboBox(this);
  CBoxTReg->setObjectName("CBoxTReg");
  for (int k = 0; k < 5; ++k) CBoxTReg->addItem(Q(LoopKindName(k)));
  CBoxTReg->setMinimumWidth(230);
  auto* head = new QHBoxLayout;
  head->addWidget(LabReg);
  head->addWidget(LabNReg);
  head->addSpacing(20);
  head->addWidget(Caption("Тип  контура регулирования", this, "Label4"));
  head->addWidget(CBoxTReg);
  head->addSpacing(20);
  head->addWidget(LabCreatProg);
  head->addStretch();

  // Settings of the loop.
  GBComp = new QGroupBox("Настройки", this);
  GBComp->setObjectName("GBComp");
  auto* comp = new QGridLayout(GBComp);
  LabAdOUT = Caption("Выход ЦАП №", GBComp, "LabAdOUT", 170);
  comp->addWidget(LabAdOUT, 0, 0);
  comp->addWidget(AddField(GBComp, "EditAdOUT", 40, true), 0, 1);
  comp->addWidget(Caption("Регулятор №", GBComp, "Label33"), 0, 2);
  comp->addWidget(AddField(GBComp, "EditNReg", 40, true), 0, 3);
  comp->addWidget(Caption("№ входа регулируемого            параметра", GBComp, "Label9", 170), 1, 0);
  comp->addWidget(AddField(GBComp, "EditAnVh", 40, true), 1, 1);
  comp->addWidget(Caption("Адрес ПЗ", GBComp, "Label22"), 1, 2);
  comp->addWidget(AddField(GBComp, "EditVhPZ", 40, true), 1, 3);
  comp->addWidget(Caption("позиция   НШК       ВШК       разм", GBComp, "LabInf1"), 2, 0, 1, 4);
  LabInf = MakeCell("LabInf", GBComp, 300);
  comp->addWidget(LabInf, 3, 0, 1, 4);
  Field("EditNReg")->setEnabled(false);

  // PID settings of a single loop, an outer loop or a program loop.
  GBNastr = new QGroupBox("Настройки одноконтур. рег.,   рег. внеш. контура или рег. с ПЗ", this);
  GBNastr->setObjectName("GBNastr");
  auto* nastr = new QGridLayout(GBNastr);
  for (int k = 0; k < 6; ++k) {
    nastr->addWidget(Caption(kParamRows[k].label, GBNastr), k, 0);
    QLineEdit* e = AddField(GBNastr, kParamNames[k], 90, false);
    e->setToolTip(kParamRows[k].hint);
    nastr->addWidget(e, k, 1);
  }
  CBoxTOut = new QComboBox(GBNastr);
  CBoxTOut->setObjectName("CBoxTOut");
  CBoxTOut->addItems({"прямой", "обратный"});
  nastr->addWidget(Caption("Tип выхода", GBNastr), 6, 0);
  nastr->addWidget(CBoxTOut, 6, 1);

  // The cascade's inner loop.
  GBRegInt = new QGroupBox("Настройки регулятора внутреннего контура", this);
  GBRegInt->setObjectName("GBRegInt");
  auto* inner = new QGridLayout(GBRegInt);
  for (int k = 0; k < 6; ++k) {
    inner->addWidget(Caption(kShortParamLabels[k], GBRegInt), k, 0);
    QLineEdit* e = AddField(GBRegInt, kInnerParamNames[k], 90, false);
    e->setToolTip(kParamRows[k].hint);
    inner->addWidget(e, k, 1);
  }
  CBoxTOut1 = new QComboBox(GBRegInt);
  CBoxTOut1->setObjectName("CBoxTOut1");
  CBoxTOut1->addItems({"прямой", "обратный"});
  inner->addWidget(Caption("Tип выхода", GBRegInt), 6, 0);
  inner->addWidget(CBoxTOut1, 6, 1);
  inner->addWidget(Caption("Выход ЦАП №", GBRegInt), 0, 2);
  inner->addWidget(AddField(GBRegInt, "EditAdOUT1", 40, true), 0, 3);
  inner->addWidget(Caption("Адрес рег. внеш. контура ", GBRegInt), 1, 2);
  inner->addWidget(AddField(GBRegInt, "EditVhSP", 40, true), 1, 3);
  inner->addWidget(Caption("Регулятор №", GBRegInt), 2, 2);
  inner->addWidget(AddField(GBRegInt, "EditNReg1", 40, true), 2, 3);
  inner->addWidget(Caption("№ входа регулируемого параметра", GBRegInt, nullptr, 190), 3, 2);
  inner->addWidget(AddField(GBRegInt, "EditAnVh1", 40, true), 3, 3);
  inner->addWidget(Caption("позиция   НШК       ВШК       разм", GBRegInt, "LabInf3"), 4, 2, 1, 2);
  LabInf2 = MakeCell("LabInf2", GBRegInt, 200);
  inner->addWidget(LabInf2, 5, 2, 1, 2);
  Field("EditVhSP")->setEnabled(false);
  Field("EditNReg1")->setEnabled(false);

  // The program setpoint generator.
  GBPZ = new QGroupBox("Настройки программного задатчика", this);
  GBPZ->setObjectName("GBPZ");
  auto* pz = new QGridLayout(GBPZ);
  pz->addWidget(Caption("Адрес регулятора", GBPZ), 0, 0);
  pz->addWidget(AddField(GBPZ, "EditAReg", 40, true), 0, 1);
  pz->addWidget(Caption("ПЗ №", GBPZ), 0, 2);
  pz->addWidget(AddField(GBPZ, "EditNPZ", 40, true), 0, 3);
  pz->addWidget(Caption("Интервал времени        реперной точки", GBPZ, nullptr, 130), 1, 1, 1, 2);
  pz->addWidget(Caption("Задание регулятора       в реперной точкe", GBPZ, nullptr, 150), 1, 3, 1, 2);
  for (int t = 0; t < Regulators::ProgramPoints; ++t) {
    pz->addWidget(Caption(QString("№%1").arg(t + 1), GBPZ), t + 2, 0);
    pz->addWidget(AddField(GBPZ, PointTimeField(t).c_str(), 70, true), t + 2, 1, 1, 2);
    pz->addWidget(AddField(GBPZ, PointValueField(t).c_str(), 90, false), t + 2, 3, 1, 2);
  }
  Field("EditNPZ")->setEnabled(false);

  // The two-position regulator.
  GBNastr2 = new QGroupBox("Настройки двухпозиционного регулятора ", this);
  GBNastr2->setObjectName("GBNastr2");
  auto* two = new QGridLayout(GBNastr2);
  two->addWidget(Caption("Выходной сигнал для состояния 0, %", GBNastr2), 0, 0);
  two->addWidget(AddField(GBNastr2, "EditOut0", 70, false), 0, 1);
  two->addWidget(Caption("Выходной сигнал для состояния 1, %", GBNastr2), 1, 0);
  two->addWidget(AddField(GBNastr2, "EditOut1", 70, false), 1, 1);
  two->addWidget(Caption("Адрес ФБ с управляющим сигналом", GBNastr2), 2, 0);
  two->addWidget(AddField(GBNastr2, "EditAdFB", 70, true), 2, 1);
  Field("EditOut0")->setToolTip("0-100%");
  Field("EditOut1")->setToolTip("0-100%");
  Field("EditAdFB")->setToolTip("1-120");

  // The forced mode.
  GBFC = new QGroupBox("Обработка форсированного режима регулятора", this);
  GBFC->setObjectName("GBFC");
  auto* fc = new QGridLayout(GBFC);
  struct FcRow {
    const char* name;
    const char* label;
    const char* hint;
    bool integer;
  };
  const FcRow fcRows[] = {
      {"EdAdFB_OnFC", "Адрес ФБ включения режима FC", "1-120", true},
      {"EdAdFB_RetNorm", "Адрес ФБ возврата из  режима FC                  в режим НОРМА", "1-120", true},
      {"EdAdKVU_OnRetNorm", "Адрес КВУ включения процесса возврата      из режима FC в режим НОРМА",
       "121-184", true},
      {"EdOUT_FC", "Значение OUT регулятора в режиме FC", "0-100%", false}};
  int row = 0;
  for (const FcRow& r : fcRows) {
    fc->addWidget(Caption(r.label, GBFC, nullptr, 250), row, 0);
    QLineEdit* e = AddField(GBFC, r.name, 70, r.integer);
    e->setToolTip(r.hint);
    fc->addWidget(e, row++, 1);
  }

  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  Cancel = new QPushButton("Отмена", this);
  Cancel->setObjectName("Cancel");
  InformBut = new QPushButton("Входные сигналы", this);
  InformBut->setObjectName("InformBut");
  for (QPushButton* b : {OK, Cancel, InformBut}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(InformBut);
  buttons->addStretch();
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);

  auto* left = new QVBoxLayout;
  left->addWidget(GBComp);
  left->addWidget(GBNastr);
  left->addWidget(GBRegInt);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(GBPZ);
  right->addWidget(GBNastr2);
  right->addWidget(GBFC);
  right->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  // The settings scroll on a small screen; the buttons stay in sight.
  auto* body = new QWidget;
  auto* settings = new QVBoxLayout(body);
  settings->setContentsMargins(0, 0, 0, 0);
  settings->addLayout(head);
  settings->addLayout(columns);
  auto* layout = new QVBoxLayout(this);
  scroll_ = new FittingScrollArea(body, this);
  layout->addWidget(scroll_);
  layout->addLayout(buttons);

  ErrorText = new HintLabel(this);
  ErrorText->setObjectName("ErrorText");

  connect(CBoxTReg, QOverload<int>::of(&QComboBox::activated), this, &ControlLoopDialog::chooseKind);
  connect(CBoxTOut, QOverload<int>::of(&QComboBox::activated), this, [this] { MarkChanged(); });
  connect(CBoxTOut1, QOverload<int>::of(&QComboBox::activated), this, [this] { MarkChanged(); });
  connect(OK, &QPushButton::clicked, this, &ControlLoopDialog::onOk);
  connect(Cancel, &QPushButton::clicked, this, &ControlLoopDialog::onCancel);
  connect(InformBut, &QPushButton::clicked, this, &ControlLoopDialog::inputsWindowWanted);
  connect(Field("EditAnVh"), &QLineEdit::editingFinished, this, &ControlLoopDialog::leavePvInput);
  connect(Field("EditAdOUT"), &QLineEdit::editingFinished, this, &ControlLoopDialog::leaveOutput);
  connect(Field("EditNReg"), &QLineEdit::editingFinished, this, &ControlLoopDialog::leaveOwnNumber);
  connect(Field("EditVhPZ"), &QLineEdit::editingFinished, this, &ControlLoopDialog::leaveGenerator);
  connect(Field("EditAnVh1"), &QLineEdit::editingFinished, this,
          [this] { ShowPvInfo(LabInf2, Field("EditAnVh1")->text().toInt(), Regulators::KindSingleLoop); });
}

QLineEdit* ControlLoopDialog::AddField(QWidget* group, const char* name, int width, bool integer) {
  auto* e = new QLineEdit(group);
  e->setObjectName(name);
  e->setMinimumWidth(width);
  e->setMaximumWidth(width + 40);
  fields_.insert(name, e);
  if (integer) {
    KeyFilter::Digits(e, ui_, [e] { FocusNext(e); });
  } else {
    new KeyFilter(
        e, [this](const QKeyEvent& key, QWidget* w) { return FilterRealKey(key, w, ui_); },
        [e] { FocusNext(e); });
  }
  connect(e, &QLineEdit::textEdited, this, [this] {
    // A note about the old text no longer holds.
    ErrorText->hide();
    MarkChanged();
  });
  connect(e, &QLineEdit::returnPressed, this, [e] { FocusNext(e); });
  return e;
}

void ControlLoopDialog::MarkChanged() {
  if (!filling_) config_.regulators.RegModified = 1;
}

LoopForm ControlLoopDialog::Form() const {
  LoopForm f;
  f.kind = CBoxTReg->currentIndex();
  f.panelNumber = LabNReg->text().toInt();
  f.outAction = CBoxTOut->currentIndex();
  f.innerOutAction = CBoxTOut1->currentIndex();
  for (auto it = fields_.begin(); it != fields_.end(); ++it)
    f.Set(it.key().toStdString(), it.value()->text().toStdString());
  return f;
}

void ControlLoopDialog::Show(const LoopForm& form) {
  filling_ = true;
  for (auto it = fields_.begin(); it != fields_.end(); ++it)
    it.value()->setText(Q(form.Get(it.key().toStdString())));
  LabNReg->setText(QString::number(form.panelNumber));
  CBoxTReg->setCurrentIndex(form.kind >= 0 && form.kind < CBoxTReg->count() ? form.kind : -1);
  CBoxTOut->setCurrentIndex(form.outAction & 1);
  CBoxTOut1->setCurrentIndex(form.innerOutAction & 1);
  LabAdOUT->setText(form.kind == Regulators::KindCascade ? "Регулятор внутр.       контура №"
                                                         : "Выход ЦАП №");
  filling_ = false;
}

void ControlLoopDialog::EnableGroups(int kind) {
  GBComp->setEnabled(kind >= 0);
  GBNastr->setEnabled(kind >= 0);
  GBRegInt->setEnabled(kind == Regulators::KindCascade);
  GBPZ->setEnabled(kind == Regulators::KindProgram);
  GBNastr2->setEnabled(kind == Regulators::KindTwoPosition);
  GBFC->setEnabled(kind == Regulators::KindSingleLoop);
  Field("EditVhPZ")->setEnabled(kind == Regulators::KindProgram);
}

void ControlLoopDialog::ShowLoop(const LoopForm& form) {
  Show(form);
  EnableGroups(form.kind);
  LabInf->clear();
  LabInf2->clear();
  if (form.kind < 0) return;
  ShowPvInfo(LabInf, form.Int("EditAnVh").value_or(0), form.kind);
  if (form.kind == Regulators::KindCascade) ShowPvInfo(LabInf2, form.Int("EditAnVh1").value_or(0), 1);
}

void ControlLoopDialog::PrepareCreation(int ownNumber, int panelNumber) {
  ErrorText->hide();
  Show(BlankLoopForm(ownNumber, panelNumber));
  LabInf->clear();
  LabInf2->clear();
  LabCreatProg->setText("создание");
  CBoxTReg->setEnabled(true);
  CBoxTReg->setCurrentIndex(-1);
  EnableGroups(-1);
}

void ControlLoopDialog::PrepareProgramming(int loop, int panelNumber) {
  ErrorText->hide();
  const LoopForm form = LoopFormFromRecord(config_, loop, panelNumber);
  LabCreatProg->setText("программирование");
  CBoxTReg->setEnabled(false);
  ShowLoop(form);
}

bool ControlLoopDialog::Run() {
  accepted_ = false;
  exec();
  return accepted_;
}

void ControlLoopDialog::chooseKind(int kind) {
  ErrorText->hide();
  LoopForm f = Form();
  ApplyKindPresets(f, kind, config_.regulators);
  Show(f);
  EnableGroups(kind);
  LabInf->clear();
  LabInf2->clear();
  MarkChanged();
}

void ControlLoopDialog::ShowPvInfo(QLabel* info, int n, int kind) {
  const PvInput in = DescribePvInput(config_, n, kind);
  if (!in.valid || in.calcBlock) {
    info->clear();
    return;
  }
  config_.regulators.PvScaleMin = in.scaleMin;
  config_.regulators.PvScaleMax = in.scaleMax;
  info->setText(QString("%1   %2   %3   %4")
                    .arg(Q(in.position), Q(FixedNotation(in.scaleMin, 7, 2)),
                         Q(FixedNotation(in.scaleMax, 7, 2)), Q(in.unit)));
}

void ControlLoopDialog::leavePvInput() {
  const int kind = CBoxTReg->currentIndex();
  const int n = Field("EditAnVh")->text().toInt();
  if (kind == Regulators::KindRepeater && n >= 49 && n <= 54) {
    LabInf->clear();
    return;
  }
  if (n > 6 * config_.service.AiModules) {
    ui_.Show(kCaptionError, kNetworkPvText, Icon::Error);
    return;
  }
  ShowPvInfo(LabInf, n, kind);
  if (kind == Regulators::KindProgram) {
    // The generator's points on this input's scale.
    const Regulators& r = config_.regulators;
    const int program = Field("EditVhPZ")->text().toInt() - 1;
    filling_ = true;
    for (int t = 0; t < Regulators::ProgramPoints; ++t) {
      Field(PointTimeField(t))->setText(QString::number(r.GetTime(program, t)));
      Field(PointValueField(t))
          ->setText(Q(FixedNotation(r.GetSetpoint(program, t, r.PvScaleMin, r.PvScaleMax), 5, 2)));
    }
    filling_ = false;
  }
}

void ControlLoopDialog::leaveOutput() {
  if (CBoxTReg->currentIndex() != Regulators::KindCascade) return;
  const int own = Field("EditNReg")->text().toInt();
  const int inner = Field("EditAdOUT")->text().toInt();
  if (inner != own + 1) {
    PlaceNote("EditAdOUT", Field("EditAdOUT")->text().toStdString() + " " + kLoopInputErrorText);
    return;
  }
  Field("EditNReg1")->setText(QString::number(inner));
}

void ControlLoopDialog::leaveOwnNumber() {
  const QString own = Field("EditNReg")->text();
  if (CBoxTReg->currentIndex() == Regulators::KindProgram) Field("EditAReg")->setText(own);
  if (CBoxTReg->currentIndex() == Regulators::KindCascade) Field("EditVhSP")->setText(own);
}

void ControlLoopDialog::leaveGenerator() {
  if (CBoxTReg->currentIndex() == Regulators::KindProgram)
    Field("EditNPZ")->setText(Field("EditVhPZ")->text());
}

void ControlLoopDialog::PlaceNote(const std::string& field, const std::string& text) {
  QWidget* control = Field(field);
  if (!control && field == "CBoxTReg") control = CBoxTReg;
  if (!control) control = OK;
  // The field first comes into sight, then the note goes beside it.
  if (control != OK) scroll_->ensureWidgetVisible(control);
  ShowInputHint(control, ErrorText, ui_, "");
  ErrorText->setText(Q(text));
  ErrorText->adjustSize();
  // A note at a right-hand field would run past the dialog's edge.
  const int x = std::clamp(ErrorText->x(), 0, std::max(0, width() - ErrorText->width() - 4));
  const int y = std::clamp(ErrorText->y(), 0, std::max(0, height() - ErrorText->height() - 4));
  ErrorText->move(x, y);
  ErrorText->raise();
  control->setFocus();
}

void ControlLoopDialog::onOk() {
  ErrorText->hide();
  LoopForm f = Form();
  bool fcRefused = false;
  for (;;) {
    const LoopCheck check = CheckLoopForm(config_, f, fcRefused);
    filling_ = true;
    Field("EdAdFB_OnFC")->setText(Q(f.Get("EdAdFB_OnFC")));
    filling_ = false;
    switch (check.verdict) {
      case LoopCheck::Verdict::Ok:
        accepted_ = true;
        done(2);
        return;
      case LoopCheck::Verdict::Note:
        PlaceNote(check.field, check.text);
        return;
      case LoopCheck::Verdict::Message:
        ui_.Show(kCaptionError, check.text, Icon::Error);
        if (QLineEdit* e = Field(check.field)) e->setFocus();
        return;
      case LoopCheck::Verdict::AskFcRefusal: {
        const Answer answer = ui_.Ask(
            {kFcRefusalCaption, kFcRefusalQuestion, Icon::Question, Buttons::YesNoCancel, Answer::No});
        if (!AnswerFcRefusal(config_, f, answer)) {
          if (answer == Answer::No) ShowLoop(f);
          return;
        }
        fcRefused = true;
        filling_ = true;
        for (const char* name : {"EdAdFB_OnFC", "EdAdFB_RetNorm", "EdAdKVU_OnRetNorm"})
          Field(name)->setText(Q(f.Get(name)));
        filling_ = false;
        break;
      }
    }
  }
}

void ControlLoopDialog::onCancel() {
  accepted_ = false;
  done(2);
}

}  // namespace zul
