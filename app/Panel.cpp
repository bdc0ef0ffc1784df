#include "app/Panel.h"

#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>

void TPanel::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  emit OnResize();
}

void TPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit OnResize();
}

void TPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  emit OnResize();
}
