#include "widgets/StatusBar.h"

#include <QLabel>
#include <stdexcept>
#include <string>

void TStatusPanel::SetText(const QString& text) {
  label_->setText(text);
}

QString TStatusPanel::Text() const {
  return label_->text();
}

void TStatusPanel::SetWidth(int width) {
  width_ = width;
  bar_.LayOutPanels();
}

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(true);
  // Opaque, so that an immediate repaint draws the bar alone, not the window beneath it.
  setAutoFillBackground(true);
}

TStatusBar::~TStatusBar() = default;

TStatusPanel& TStatusBar::AddPanel() {
  auto* label = new QLabel(this);       // NOLINT(cppcoreguidelines-owning-memory): owned by the bar
  label->setTextFormat(Qt::PlainText);  // file names are shown as they are, never as markup
  // The constructor is private to keep panels made only here.
  panels_.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(*this, label)));
  LayOutPanels();  // puts the new label on the bar
  return *panels_.back();
}

TStatusPanel& TStatusBar::Panel(int index) {
  if (index < 0 || index >= PanelCount()) {
    throw std::out_of_range("status bar panel " + std::to_string(index) + " does not exist");
  }
  return *panels_[static_cast<size_t>(index)];
}

void TStatusBar::LayOutPanels() {
  // Every panel keeps its width except the last, which reaches to the bar's end.
  for (size_t i = 0; i < panels_.size(); ++i) {
    QLabel* label = panels_[i]->label_;
    const bool last = i + 1 == panels_.size();
    removeWidget(label);
    if (last) {
      label->setMinimumWidth(panels_[i]->width_);
      label->setMaximumWidth(QWIDGETSIZE_MAX);
      addWidget(label, 1);
    } else {
      label->setFixedWidth(panels_[i]->width_);
      addWidget(label, 0);
    }
    label->show();
  }
}

void TStatusBar::Refresh() {
  // Only the panels' texts change between paints; the bar's frame and its grip stay as drawn.
  for (const auto& panel : panels_) {
    panel->label_->repaint();
  }
}
