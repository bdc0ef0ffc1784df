#include "app/LayoutScaling.h"

#include <QRect>
#include <QSize>
#include <QSplitter>
#include <QWidget>
#include <cmath>

#include "app/Panel.h"

int ScaledLength(int length, double factor) {
  // The unbounded maximum stays unbounded.
  if (length >= QWIDGETSIZE_MAX) {
    return length;
  }
  return static_cast<int>(std::lround(length * factor));
}

namespace {

QSize Scaled(QSize size, double factor) {
  return {ScaledLength(size.width(), factor), ScaledLength(size.height(), factor)};
}

// Containers of the layout itself: plain widgets, splitters and panels. Everything else is a
// control whose children are its own business.
bool IsLayoutContainer(const QWidget* widget) {
  return widget->metaObject() == &QWidget::staticMetaObject ||
         qobject_cast<const QSplitter*>(widget) != nullptr ||
         qobject_cast<const TPanel*>(widget) != nullptr;
}

bool PlacedByHand(const QWidget* widget) {
  const QWidget* parent = widget->parentWidget();
  return parent != nullptr && parent->layout() == nullptr &&
         qobject_cast<const QSplitter*>(parent) == nullptr;
}

}  // namespace

void ScaleLayout(QWidget* root, double factor) {
  if (auto* splitter = qobject_cast<QSplitter*>(root)) {
    splitter->setHandleWidth(ScaledLength(splitter->handleWidth(), factor));
  }
  for (QObject* child : root->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) {
      continue;
    }
    widget->setMinimumSize(Scaled(widget->minimumSize(), factor));
    widget->setMaximumSize(Scaled(widget->maximumSize(), factor));
    if (PlacedByHand(widget)) {
      const QRect bounds = widget->geometry();
      widget->setGeometry(ScaledLength(bounds.x(), factor), ScaledLength(bounds.y(), factor),
                          ScaledLength(bounds.width(), factor),
                          ScaledLength(bounds.height(), factor));
    }
    if (IsLayoutContainer(widget)) {
      ScaleLayout(widget, factor);
    }
  }
}
