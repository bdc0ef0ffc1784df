#include "widgets/Screen.h"

#include <QCursor>
#include <QGuiApplication>

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) {
    return;
  }
  // Qt stacks override cursors; we hold at most one, so setting twice never leaves one behind.
  if (cursor == crDefault) {
    QGuiApplication::restoreOverrideCursor();
  } else {
    const QCursor shape(Qt::BusyCursor);
    if (cursor_ == crDefault) {
      QGuiApplication::setOverrideCursor(shape);
    } else {
      QGuiApplication::changeOverrideCursor(shape);
    }
  }
  cursor_ = cursor;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}
