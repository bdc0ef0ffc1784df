#pragma once

#include <QWidget>

class QMoveEvent;
class QResizeEvent;
class QShowEvent;

// A plain container that tells when it was moved, resized or shown, so that a handler can fit
// what it holds to its new bounds.
class TPanel : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

 signals:
  void OnResize();

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
};
