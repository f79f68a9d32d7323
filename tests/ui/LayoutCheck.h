#pragma once
// Layout checks of the window tests: every visible text whole, and, with
// ZUL_SCREENSHOT_DIR set, the window saved there as a PNG file; and the wait
// for the link worker that every window test needs.
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "ui/link/LinkWorker.h"
#include "ui/widgets/InputChecks.h"

namespace zul::test {

// Names of the visible controls whose text does not fit.
inline QStringList Clipped(QWidget* window) {
  QStringList clipped;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    auto* label = qobject_cast<QLabel*>(w);
    const bool text =
        (label && !label->wordWrap() && !label->text().isEmpty()) ||
        (qobject_cast<QAbstractButton*>(w) && !qobject_cast<QAbstractButton*>(w)->text().isEmpty()) ||
        qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w);
    if (!text) continue;
    QSize need = w->minimumSizeHint().expandedTo(label ? label->sizeHint() : QSize());
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      // Room for the shown entry besides the arrow and the frame.
      need.setWidth(combo->fontMetrics().horizontalAdvance(combo->currentText()) + 28);
    }
    const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
    if (w->width() < need.width() || w->height() < need.height() || !window->rect().contains(inWindow)) {
      clipped << QString("%1 %2x%3 < %4x%5")
                     .arg(w->objectName().isEmpty() ? ControlText(w) : w->objectName())
                     .arg(w->width())
                     .arg(w->height())
                     .arg(need.width())
                     .arg(need.height());
    }
  }
  return clipped;
}

inline void Save(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("ZUL_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QVERIFY(window->grab().save(QDir(dir).filePath(name + ".png")));
}

// Lets the link worker finish every job posted so far, and the windows take
// their results; false when it is still busy after `timeoutMs` (a watchdog,
// so that a hang fails the test instead of CI). Idleness is judged right after
// the events are handled: a window that polls may post its next cycle at any
// later moment, so looking again after more events would race with its timer.
inline bool Settle(int timeoutMs = 60000) {
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    for (int k = 0; k < 5; ++k) QCoreApplication::processEvents();
    if (LinkWorker::AllIdle()) return true;
    if (waited.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

}  // namespace zul::test
