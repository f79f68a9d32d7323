#pragma once
// What people expect of every window of a desktop program, installed once
// for the whole application:
//  - a window that comes up is clamped to its screen's free area and moved
//    inside it (small laptop screens included); windows whose content cannot
//    shrink that far keep it in a FittingScrollArea, their buttons outside;
//  - Enter on a focused button presses it, as Space does;
//  - every window carries the program's icon.
#include <QIcon>
#include <QScrollArea>

class QApplication;
class QMenuBar;

namespace zul {

void InstallWindowHabits(QApplication& app);
// The picture of packaging/zulprog.svg (the desktop entry's icon), drawn
// here: the program reads no SVG.
QIcon ProgramIcon();
// Alt+letter for every menu of the bar and every item of its menus that has
// none yet: a letter of its words' starts where one is free, else any free one.
void GiveMnemonics(QMenuBar* bar);
// Clamps one window to its screen now.
void FitToScreen(QWidget* window);

// A scroll area that asks for its whole content: it scrolls only where the
// screen cannot give the window that much.
class FittingScrollArea : public QScrollArea {
 public:
  explicit FittingScrollArea(QWidget* content, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  // The content's new size asks the window for room again.
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zul
