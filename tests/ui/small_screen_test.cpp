// Every window and dialog on a 1024x600 screen: it lies on the screen, and
// so does every button outside a scroll area.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/UiTestSupport.h"
#include "ui/fb/FunctionBlockEditor.h"
#include "ui/widgets/WindowHabits.h"

using namespace zul;
using namespace zul::test;

namespace {

bool InScrollArea(QWidget* w, QWidget* window) {
  for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    if (qobject_cast<QAbstractScrollArea*>(p)) return true;
  return false;
}

// What of the window lies off the screen: the window itself, or its buttons.
QStringList OffScreen(QWidget* window) {
  const QRect screen = window->screen()->availableGeometry();
  QStringList off;
  if (!screen.contains(window->frameGeometry()))
    off << QString("%1 at %2,%3 %4x%5")
               .arg(window->objectName())
               .arg(window->frameGeometry().x())
               .arg(window->frameGeometry().y())
               .arg(window->frameGeometry().width())
               .arg(window->frameGeometry().height());
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (!b->isVisibleTo(window) || b->window() != window || InScrollArea(b, window)) continue;
    const QRect at(b->mapTo(window, QPoint(0, 0)), b->size());
    if (!window->rect().contains(at) || !screen.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size())))
      off << window->objectName() + ": " + (b->objectName().isEmpty() ? b->text() : b->objectName());
  }
  return off;
}

}  // namespace

class SmallScreenTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void EveryWindowFits();
};

void SmallScreenTest::initTestCase() {
  QCOMPARE(QGuiApplication::primaryScreen()->availableSize(), QSize(1024, 600));
  InstallWindowHabits(*qApp);
}

void SmallScreenTest::EveryWindowFits() {
  MainWindowRig rig;
  rig.Compose({1, 1, 6, 3});
  rig.form->service.FileMode = 1;
  auto* editor = new FunctionBlockEditor(rig.form->config, rig.form->link, rig.form->Worker,
                                         rig.form->signalDialogs, rig.ui, rig.form.get());
  editor->setObjectName("FormFB");
  // The main window first, past the password it asks for at its first showing.
  QVERIFY(WhileModal(
      [&] { rig.form->show(); },
      [](QWidget* password) { QTest::keyClick(password->findChild<QLineEdit*>("Edit1"), Qt::Key_Return); }));
  QVERIFY(Settle());
  QStringList off = OffScreen(rig.form.get());
  // The commands of every day need no scrolling: the editors and each module's programming.
  QStringList daily{"ButProgDiskr", "ButProgFB", "ButTimeDate"};
  for (int s = 1; s <= 16; ++s) daily << QString("Prg%1").arg(s);
  for (const QString& name : daily) {
    auto* button = rig.form->findChild<QWidget*>(name);
    QVERIFY2(button, qPrintable(name));
    if (button->visibleRegion().boundingRect() != button->rect()) off << name + " needs scrolling";
  }
  rig.form->resize(1280, 720);  // as a user would ask for more than there is
  rig.form->hide();
  rig.form->show();
  QVERIFY(Settle());
  off << OffScreen(rig.form.get());
  Save(rig.form.get(), "main_window_small_screen");
  QList<QWidget*> windows;
  for (QWidget* w : rig.form->findChildren<QWidget*>())
    if (w->isWindow() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog)) windows << w;
  for (QWidget* w : windows) {
    // Shown as the program shows them, one at a time; modal ones too, without blocking.
    w->show();
    QVERIFY(Settle());
    off << OffScreen(w);
    w->hide();
    QVERIFY(Settle());
  }
  QVERIFY2(windows.size() > 20, qPrintable(QString::number(windows.size())));
  QVERIFY2(off.isEmpty(), qPrintable(off.join("\n")));
}

// The offscreen platform takes the screen's size from a configuration file,
// which must be named before the application starts.
int main(int argc, char** argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath("screen.json");
  QFile f(config);
  if (!f.open(QIODevice::WriteOnly)) return 1;
  f.write(
      R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600, "logicalDpi": 96}]})");
  f.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  QApplication app(argc, argv);
  SmallScreenTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "small_screen_test.moc"
