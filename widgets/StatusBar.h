#pragma once

#include <QStatusBar>
#include <QString>
#include <memory>
#include <vector>

class QLabel;
class TStatusBar;

// One panel of a status bar: a text in a box of a given width. The last panel reaches to the
// bar's right end whatever its width.
class TStatusPanel {
 public:
  TStatusPanel(const TStatusPanel&) = delete;  // the bar refers to its panels by address
  TStatusPanel& operator=(const TStatusPanel&) = delete;

  void SetText(const QString& text);
  [[nodiscard]] QString Text() const;
  void SetWidth(int width);
  [[nodiscard]] int Width() const { return width_; }

 private:
  friend class TStatusBar;
  TStatusPanel(TStatusBar& bar, QLabel* label) : bar_(bar), label_(label) {}

  TStatusBar& bar_;
  QLabel* label_;  // owned by the bar as its child widget
  int width_ = 50;
};

// A status bar made of panels, with the size grip at its right end.
class TStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit TStatusBar(QWidget* parent = nullptr);
  ~TStatusBar() override;

  // Appends a panel (empty, 50 pixels wide) and returns it; the bar keeps ownership.
  TStatusPanel& AddPanel();
  [[nodiscard]] int PanelCount() const { return static_cast<int>(panels_.size()); }
  // Throws std::out_of_range for an index that names no panel.
  [[nodiscard]] TStatusPanel& Panel(int index);

  // Repaints the bar now instead of at the next turn of the event loop, so a text set during a
  // long step shows at once.
  void Refresh();

 private:
  friend class TStatusPanel;
  void LayOutPanels();

  std::vector<std::unique_ptr<TStatusPanel>> panels_;
};
