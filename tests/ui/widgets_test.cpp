#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include "core/ScriptedInteraction.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtInteraction.h"
#include "ui/widgets/QtTranslations.h"

using namespace zul;

Q_DECLARE_METATYPE(zul::Buttons)
Q_DECLARE_METATYPE(zul::Answer)
Q_DECLARE_METATYPE(zul::Icon)
Q_DECLARE_METATYPE(zul::KeyVerdict)

class WidgetsTest : public QObject {
  Q_OBJECT
 private slots:
  void MessageBox_CaptionIconButtonsAndDefault_data();
  void MessageBox_CaptionIconButtonsAndDefault();
  void DigitAndHexFilters_data();
  void DigitAndHexFilters();
  void ShiftDigitFilter();
  void InputHint_UnderTheFieldWithItsText();
  void ErrorReport_RedBoxBeepThenWhite();
  void Progress_ShownWhileItRunsHiddenAfter();
  void MessageBox_WithoutCaption_TakesTheProgramsTitle();
  void QtTranslations_StandardTextsInRussian();
};

void WidgetsTest::MessageBox_CaptionIconButtonsAndDefault_data() {
  QTest::addColumn<Icon>("icon");
  QTest::addColumn<Buttons>("buttons");
  QTest::addColumn<Answer>("def");
  QTest::addColumn<int>("qtIcon");
  QTest::addColumn<QStringList>("texts");
  QTest::addColumn<QString>("defaultText");
  QTest::newRow("error ok") << Icon::Error << Buttons::Ok << Answer::Ok << int(QMessageBox::Critical)
                            << QStringList{"OK"} << "OK";
  QTest::newRow("question yes no") << Icon::Question << Buttons::YesNo << Answer::Yes
                                   << int(QMessageBox::Question) << QStringList{"Да", "Нет"} << "Да";
  QTest::newRow("retry cancel") << Icon::Error << Buttons::RetryCancel << Answer::Retry
                                << int(QMessageBox::Critical) << QStringList{"Повтор", "Отмена"} << "Повтор";
  QTest::newRow("warning, no default yes")
      << Icon::Warning << Buttons::YesNoCancel << Answer::No << int(QMessageBox::Warning)
      << QStringList{"Да", "Нет", "Отмена"} << "Нет";
  QTest::newRow("information") << Icon::Information << Buttons::OkCancel << Answer::Cancel
                               << int(QMessageBox::Information) << QStringList{"OK", "Отмена"} << "Отмена";
}

void WidgetsTest::MessageBox_CaptionIconButtonsAndDefault() {
  QFETCH(Icon, icon);
  QFETCH(Buttons, buttons);
  QFETCH(Answer, def);
  QFETCH(QStringList, texts);
  std::unique_ptr<QMessageBox> box(
      QtInteraction::BuildBox({"Предупреждение", "текст\nвторая строка", icon, buttons, def}, nullptr));
  QCOMPARE(box->windowTitle(), "Предупреждение");
  QCOMPARE(box->text(), "текст\nвторая строка");
  QTEST(int(box->icon()), "qtIcon");
  QCOMPARE(box->windowModality(), Qt::ApplicationModal);
  QStringList shown;
  for (QAbstractButton* b : box->buttons()) shown << b->text();
  shown.sort();
  texts.sort();
  QCOMPARE(shown, texts);
  QVERIFY(box->defaultButton());
  QTEST(box->defaultButton()->text(), "defaultText");
}

void WidgetsTest::DigitAndHexFilters_data() {
  QTest::addColumn<bool>("hex");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<QString>("fieldText");
  QTest::addColumn<KeyVerdict>("verdict");
  QTest::newRow("digit") << false << int(Qt::Key_7) << 0 << "" << KeyVerdict::Accept;
  QTest::newRow("pad digit") << false << int(Qt::Key_3) << int(Qt::KeypadModifier) << ""
                             << KeyVerdict::Accept;
  QTest::newRow("backspace") << false << int(Qt::Key_Backspace) << 0 << "1" << KeyVerdict::Accept;
  QTest::newRow("escape") << false << int(Qt::Key_Escape) << 0 << "1" << KeyVerdict::Accept;
  QTest::newRow("ctrl+c") << false << int(Qt::Key_C) << int(Qt::ControlModifier) << "1" << KeyVerdict::Accept;
  QTest::newRow("tab") << false << int(Qt::Key_Tab) << 0 << "1" << KeyVerdict::Accept;
  QTest::newRow("shift+tab") << true << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << ""
                             << KeyVerdict::Accept;
  QTest::newRow("up") << false << int(Qt::Key_Up) << 0 << "1" << KeyVerdict::Accept;
  QTest::newRow("home") << true << int(Qt::Key_Home) << 0 << "A" << KeyVerdict::Accept;
  QTest::newRow("F5") << false << int(Qt::Key_F5) << 0 << "" << KeyVerdict::Accept;
  QTest::newRow("letter") << false << int(Qt::Key_B) << 0 << "" << KeyVerdict::Refuse;
  QTest::newRow("minus") << false << int(Qt::Key_Minus) << 0 << "" << KeyVerdict::Refuse;
  QTest::newRow("enter, filled") << false << int(Qt::Key_Return) << 0 << "12" << KeyVerdict::Enter;
  QTest::newRow("enter, empty") << false << int(Qt::Key_Return) << 0 << "" << KeyVerdict::Refuse;
  QTest::newRow("hex letter") << true << int(Qt::Key_F) << 0 << "" << KeyVerdict::Accept;
  QTest::newRow("hex G") << true << int(Qt::Key_G) << 0 << "" << KeyVerdict::Refuse;
  QTest::newRow("hex enter, blank") << true << int(Qt::Key_Enter) << 0 << " " << KeyVerdict::Refuse;
  QTest::newRow("hex enter, filled") << true << int(Qt::Key_Enter) << 0 << "A" << KeyVerdict::Enter;
}

void WidgetsTest::DigitAndHexFilters() {
  QFETCH(bool, hex);
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(QString, fieldText);
  QFETCH(KeyVerdict, verdict);
  ScriptedInteraction ui;
  QLineEdit field(fieldText);
  const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
  const KeyVerdict got = hex ? FilterHexKey(event, &field, ui) : FilterDigitKey(event, &field, ui);
  QCOMPARE(got, verdict);
  // A refused character is reported; a refused Enter on an empty field is not.
  const bool reported = got == KeyVerdict::Refuse && key != Qt::Key_Return && key != Qt::Key_Enter;
  QCOMPARE(ui.Shown().size(), reported ? size_t{1} : size_t{0});
  if (reported) QCOMPARE(QString::fromStdString(ui.Last().text), " Ошибка ввода ");
}

void WidgetsTest::ShiftDigitFilter() {
  ScriptedInteraction ui;
  QLineEdit field;
  QCOMPARE(
      FilterShiftDigitKey(QKeyEvent(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier, "!"), &field, ui),
      KeyVerdict::Refuse);
  QCOMPARE(FilterShiftDigitKey(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A"), &field, ui),
           KeyVerdict::Accept);
  QCOMPARE(FilterShiftDigitKey(QKeyEvent(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1"), &field, ui),
           KeyVerdict::Accept);
  QCOMPARE(ui.Shown().size(), size_t{1});
}

void WidgetsTest::InputHint_UnderTheFieldWithItsText() {
  ScriptedInteraction ui;
  QWidget dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* field = new QLineEdit("77", &dialog);
  layout->addWidget(new QLabel("над полем", &dialog));
  layout->addWidget(field);
  auto* hint = new QLabel(&dialog);
  hint->hide();
  dialog.resize(500, 100);
  dialog.show();
  ShowInputHint(field, hint, ui, "Величина вне диапазона 0 - 59");
  QCOMPARE(hint->text(), "77 Величина вне диапазона 0 - 59");
  QCOMPARE(hint->pos(), field->pos() + QPoint(5, field->height() - 5));
  QVERIFY(hint->isVisible());
  QCOMPARE(ui.Beeps(), 1);
  QVERIFY(ui.Shown().empty());
  // Too long for the room to the right of the field: moved left, still whole.
  dialog.resize(hint->width() + 2, 100);
  ShowInputHint(field, hint, ui, "Величина вне диапазона 0 - 59");
  QVERIFY(hint->x() < field->x() + 5);
  QVERIFY(hint->geometry().right() < dialog.width());
}

void WidgetsTest::ErrorReport_RedBoxBeepThenWhite() {
  struct Recorder : ScriptedInteraction {
    QLineEdit* field = nullptr;
    QColor colourDuringBox;
    Answer Ask(const Message& m) override {
      colourDuringBox = field->palette().color(QPalette::Base);
      return ScriptedInteraction::Ask(m);
    }
  } ui;
  QLineEdit field;
  ui.field = &field;
  ReportInputError(&field, ui);
  QCOMPARE(ui.colourDuringBox, QColor(Qt::red));
  QCOMPARE(field.palette().color(QPalette::Base), QColor(Qt::white));
  QCOMPARE(QString::fromStdString(ui.Last().caption), "Ошибка");
  QCOMPARE(ui.Last().icon, Icon::Error);
  QCOMPARE(ui.Beeps(), 1);
}

void WidgetsTest::Progress_ShownWhileItRunsHiddenAfter() {
  QWidget window;
  auto* bar = new QProgressBar(&window);
  bar->hide();
  window.show();
  QtInteraction ui;
  ui.Progress(10, 250);  // no bar yet: nothing to show, nothing breaks
  ui.SetProgressBar(bar);
  ui.Progress(30, 250);
  QVERIFY(bar->isVisible());
  QCOMPARE(bar->value(), 30);
  QCOMPARE(bar->maximum(), 250);
  ui.Progress(0, 0);
  QVERIFY(!bar->isVisible());
}

void WidgetsTest::MessageBox_WithoutCaption_TakesTheProgramsTitle() {
  std::unique_ptr<QMessageBox> box(QtInteraction::BuildBox({"", "текст", Icon::None}, nullptr));
  QCOMPARE(box->windowTitle(), "Программатор ЗУЛ - 05-16_ФБ");
}

void WidgetsTest::QtTranslations_StandardTextsInRussian() {
  QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
  QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Отмена");
}

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
