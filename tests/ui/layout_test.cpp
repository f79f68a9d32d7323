// Every window, filled as the user sees it, must show its texts whole: no
// label, button or list narrower or lower than its text needs. With
// ZUL_SCREENSHOT_DIR set the windows are also saved there as PNG files.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QtTest>

#include "core/config/AccessLevel.h"
#include "ui/LayoutCheck.h"
#include "ui/UiTestSupport.h"
#include "ui/link/ExchangeSettingsDialog.h"
#include "ui/link/PortDialog.h"
#include "ui/main/ClockWindow.h"
#include "ui/main/NewConfigurationDialog.h"
#include "ui/main/PasswordDialog.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/widgets/InputChecks.h"

using namespace zul;
using namespace zul::test;

class LayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void MainWindow_AfterARead();
  void MainWindow_SmallScreens_data();
  void MainWindow_SmallScreens();
  void PortDialog_FitsItsControls();
  void ExchangeDialog_FitsItsControls();
  void PasswordDialog_FitsItsControls();
  void ClockWindow_FitsItsControls();
  void InputModuleView_FitsItsControls();
  void RelayModuleView_FitsItsControls();
  void ConfigDialog_FitsItsControls();
};

void LayoutTest::MainWindow_AfterARead() {
  MainWindowRig rig;
  MainWindow& f = *rig.form;
  rig.Compose({1, 1, 6, 3, 4, 14});
  f.analogModules.SetDefaultUnits();
  f.ShowConfiguration();
  f.LabelFile->setText("Режим работы с файлом /home/user/конфигурации/1163.zul");
  f.LabelFile->show();
  QVERIFY(WhileModal(
      [&] {
        f.show();
        QTest::qWait(20);
      },
      [](QWidget* password) { QTest::keyClick(password->findChild<QLineEdit*>("Edit1"), Qt::Key_Return); }));
  f.resize(f.sizeHint());
  Settle();
  QCOMPARE(Clipped(&f), QStringList());
  Save(&f, "main_window");
  f.hide();
}

// Screens less a title bar and a panel: 1280x720 shows everything, 1024x600
// scrolls, and every control stays whole either way.
void LayoutTest::MainWindow_SmallScreens_data() {
  QTest::addColumn<QSize>("screen");
  QTest::addColumn<bool>("scrolls");
  QTest::newRow("1280x720") << QSize(1280, 720 - 64) << false;
  QTest::newRow("1024x600") << QSize(1024, 600 - 64) << true;
}

void LayoutTest::MainWindow_SmallScreens() {
  QFETCH(QSize, screen);
  QFETCH(bool, scrolls);
  MainWindowRig rig;
  MainWindow& f = *rig.form;
  rig.Compose({1, 1, 6, 3, 4, 14});
  f.analogModules.SetDefaultUnits();
  f.ShowConfiguration();
  f.LabelFile->setText("Режим работы с файлом /home/user/конфигурации/1163.zul");
  f.LabelFile->show();
  QVERIFY(f.minimumSizeHint().width() <= screen.width());
  QVERIFY(f.minimumSizeHint().height() <= screen.height());
  f.resize(screen);
  QVERIFY(WhileModal(
      [&] {
        f.show();
        QTest::qWait(20);
      },
      [](QWidget* password) { QTest::keyClick(password->findChild<QLineEdit*>("Edit1"), Qt::Key_Return); }));
  Settle();
  QVERIFY(f.width() <= screen.width() && f.height() <= screen.height());
  QWidget* content = f.ScrollBox->widget();
  const bool scrolled = content->width() > f.ScrollBox->viewport()->width() ||
                        content->height() > f.ScrollBox->viewport()->height();
  QCOMPARE(scrolled, scrolls);
  QCOMPARE(Clipped(content), QStringList());
  Save(&f, QString("main_window_") + QTest::currentDataTag());
  f.hide();
}

void LayoutTest::PortDialog_FitsItsControls() {
  MainWindowRig rig({"/tmp/zul-sim-1234"});
  rig.line.ports = {"ttyS0", "ttyUSB0"};
  PortDialog& d = *rig.form->portDialog;
  d.show();
  Settle();
  QCOMPARE(Clipped(&d), QStringList());
  Save(&d, "port_dialog");
  d.reject();
}

void LayoutTest::ExchangeDialog_FitsItsControls() {
  MainWindowRig rig;
  rig.form->exchangeSettingsDialog->show();
  Settle();
  QCOMPARE(Clipped(rig.form->exchangeSettingsDialog), QStringList());
  rig.form->exchangeSettingsDialog->reject();
}

void LayoutTest::PasswordDialog_FitsItsControls() {
  MainWindowRig rig;
  rig.form->passwordDialog->Label1->show();
  rig.form->passwordDialog->show();
  Settle();
  QCOMPARE(Clipped(rig.form->passwordDialog), QStringList());
  rig.form->passwordDialog->hide();
}

void LayoutTest::ClockWindow_FitsItsControls() {
  MainWindowRig rig;
  ClockWindow& w = *rig.form->clockWindow;
  rig.line.QueueFrame({0x01, 0x04, 14, 0, 5, 0, 7, 0, 13, 0, 9, 0, 3, 0, 24, 0, 4});
  w.PutCalendar({5, 7, 13, 9, 3, 24, 4});
  w.show();
  w.pollOnce();
  w.Edits[kClockMonth]->setText("13");
  rig.form->discreteProcessing.AccessLevel = kFullAccess;
  w.setDeviceTime();  // the note under the month
  Settle();
  QCOMPARE(w.StTime->text(), "13:07:05");
  QCOMPARE(Clipped(&w), QStringList());
  Save(&w, "clock_window");
  w.reject();
}

void LayoutTest::InputModuleView_FitsItsControls() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  for (int k = 0; k < 12; ++k)
    rig.form->service.SetText(12 + k, k == 0 ? "Давл.масла низ" : "Дискр.сигн.0" + std::to_string(13 + k));
  DiscreteInputsOnline& v = *rig.form->discreteInputsOnline;
  v.Prepare(2, 2, "ЛК-1");
  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x00, 0x00});
  rig.line.QueueFrame({0x01, 0x02, 0x02, 0x25, 0x08});
  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x00, 0x04});
  v.show();
  v.poll();
  Settle();
  QCOMPARE(v.Isprav->text(), "исправен");
  QCOMPARE(Clipped(&v), QStringList());
  Save(&v, "online_input_module");
  v.reject();
}

void LayoutTest::RelayModuleView_FitsItsControls() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  RelayOutputsOnline& v = *rig.form->relayOutputsOnline;
  v.Prepare(4, 1, "ЛК-4");
  rig.line.QueueFrame({0x01, 0x01, 0x02, 0x08, 0x00});
  rig.line.QueueFrame({0x01, 0x01, 0x01, 0x81});
  v.show();
  v.poll();
  Settle();
  QCOMPARE(v.Isprav->text(), "неисправен");
  QCOMPARE(Clipped(&v), QStringList());
  v.reject();
}

void LayoutTest::ConfigDialog_FitsItsControls() {
  MainWindowRig rig;
  NewConfigurationDialog& d = *rig.form->newConfigurationDialog;
  d.Prepare(true, TypesOfCodeLine("11A6734C5E"));
  d.onModeChosen(NewConfigurationDialog::OnOpenFile);
  d.show();
  Settle();
  QCOMPARE(Clipped(&d), QStringList());
  Save(&d, "config_dialog");
  d.hide();
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
