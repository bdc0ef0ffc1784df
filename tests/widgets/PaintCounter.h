#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

// Counts the paint events one widget receives.
class TPaintCounter : public QObject {
 public:
  explicit TPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++count;
    }
    return false;
  }
};
