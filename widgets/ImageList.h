#pragma once

#include <QObject>
#include <QPixmap>
#include <vector>

class QImage;
class TIcon;

// A list of images of one fixed size. Every image added is copied and scaled to that size, so the
// source may go away afterwards. Indexes run from 0 in the order of adding.
class TImageList : public QObject {
  Q_OBJECT

 public:
  TImageList(int width, int height, QObject* owner);

  // Adds the icon's image for this list's size and returns its index, or -1 when the icon is empty
  // (no handle, or a handle without an image for this size); an empty icon takes no index.
  int AddIcon(const TIcon& icon);
  // Adds a plain image (a toolbar glyph, say); -1 for a null image.
  int AddImage(const QImage& image);
  void Clear();

  [[nodiscard]] int Count() const { return static_cast<int>(images_.size()); }
  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  // The image at `index` at this list's size; a null pixmap when there is none.
  [[nodiscard]] QPixmap Pixmap(int index) const;

 signals:
  // Images were added or removed: whoever draws from the list redraws.
  void Changed();

 private:
  int width_;
  int height_;
  std::vector<QPixmap> images_;
};
