// The main window's desktop parts: menus with Alt+letter for every item,
// "Выход" and "О программе", the status bar, the first screen's hint, and
// Enter on a focused button.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "ZulVersion.h"
#include "core/config/AccessLevel.h"
#include "ui/UiTestSupport.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/widgets/WindowHabits.h"

using namespace zul;
using namespace zul::test;

namespace {

// The letter after '&', lower case; a null QChar when there is none.
QChar Mnemonic(const QString& text) {
  const qsizetype at = text.indexOf('&');
  return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

// Items without a letter of their own, or sharing one with another item of the menu.
QStringList MnemonicFaults(const QList<QAction*>& actions, const QString& where) {
  QStringList faults;
  QString taken;
  for (QAction* a : actions) {
    if (a->isSeparator()) continue;
    const QChar m = Mnemonic(a->text());
    if (m.isNull() || !m.isLetterOrNumber() || taken.contains(m)) faults << where + ": " + a->text();
    taken += m;
    if (a->menu()) faults << MnemonicFaults(a->menu()->actions(), a->text());
  }
  return faults;
}

}  // namespace

class MainWindowChromeTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { InstallWindowHabits(*qApp); }
  void Menus_EveryItemHasItsOwnLetter();
  void Menus_ExitAndAbout();
  void StatusBar_SaysWhereAndHow();
  void EnterPressesTheFocusedButton();
};

void MainWindowChromeTest::Menus_EveryItemHasItsOwnLetter() {
  MainWindowRig rig;
  const QStringList faults = MnemonicFaults(rig.form->menuBar()->actions(), "menu bar");
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
  // The texts stay the program's own, letters aside.
  QCOMPARE(rig.form->MenuFile->title().remove('&'), QString("   Файл          "));
  QCOMPARE(rig.form->AOpenFile->text().remove('&'), QString("Открыть файл конфигурации"));
}

void MainWindowChromeTest::Menus_ExitAndAbout() {
  MainWindowRig rig;
  QCOMPARE(rig.form->MenuFile->actions().last(), rig.form->AExit);
  QCOMPARE(rig.form->AExit->text().remove('&'), QString("Выход"));
  QCOMPARE(rig.form->MenuHelp->title().remove('&'), QString("Справка"));
  QVERIFY(rig.form->MenuHelp->actions().contains(rig.form->AAbout));
  QCOMPARE(rig.form->AAbout->text().remove('&'), QString("О программе"));
  const QString about = rig.form->AboutText();
  QVERIFY2(about.contains(QString(kZulVersion).toHtmlEscaped()), qPrintable(about));
  QVERIFY2(about.contains(qVersion()), qPrintable(about));
  QVERIFY2(about.contains("README"), qPrintable(about));
  QCOMPARE(rig.form->AExit->shortcut(), QKeySequence(QKeySequence::Quit));
}

void MainWindowChromeTest::StatusBar_SaysWhereAndHow() {
  MainWindowRig rig;
  MainWindow& f = *rig.form;
  f.UpdateStatusBar();
  QVERIFY(f.StatusHint->isVisibleTo(&f));
  QVERIFY(f.StatusHint->text().contains("F9") && f.StatusHint->text().contains("F3"));
  QCOMPARE(f.StatusDevice->text(), QString("прибор № 1"));
  QCOMPARE(f.StatusAccess->text(), QString("просмотр"));
  QCOMPARE(f.StatusSource->text(), QString("прибор"));
  QCOMPARE(f.StatusExchange->text(), QString("обмена не было"));

  f.discreteProcessing.AccessLevel = kFullAccess;
  f.CBoxUstr->setCurrentIndex(4);
  f.service.FileMode = 1;
  f.FileName = QDir(rig.dir.path()).filePath("насосная.zul");
  rig.Compose({1, 6, 3});
  f.ShowConfiguration();
  f.UpdateStatusBar();
  QCOMPARE(f.StatusSource->text(), QString("насосная.zul"));
  QVERIFY(!f.StatusHint->isVisibleTo(&f));
  // The fake line answers nothing: the read ends without an answer.
  f.readFromController();
  QVERIFY(Settle());
  f.UpdateStatusBar();
  QCOMPARE(f.StatusDevice->text(), QString("прибор № 5"));
  QCOMPARE(f.StatusAccess->text(), QString("полный доступ"));
  QVERIFY(f.StatusExchange->text().startsWith("обмен: "));
  QVERIFY(f.StatusExchange->text() != "обмен: ок");
  QVERIFY(!f.StatusPort->text().isEmpty());
}

// Any window of the program: the habit is the application's.
void MainWindowChromeTest::EnterPressesTheFocusedButton() {
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool presses;
  } cases[] = {{Qt::Key_Return, Qt::NoModifier, true},
               {Qt::Key_Enter, Qt::KeypadModifier, true},
               {Qt::Key_Return, Qt::ControlModifier, false}};
  QWidget window;
  auto* button = new QPushButton("Входные сигналы", &window);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QApplication::setActiveWindow(&window);
  button->setFocus();
  QTRY_VERIFY(button->hasFocus());
  for (const auto& c : cases) {
    QSignalSpy pressed(button, &QPushButton::clicked);
    QTest::keyClick(button, c.key, c.modifiers);
    if (c.presses)
      QVERIFY(pressed.wait(2000));
    else
      QVERIFY(!pressed.wait(300));
  }
}

QTEST_MAIN(MainWindowChromeTest)
#include "main_window_chrome_test.moc"
