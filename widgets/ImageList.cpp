#include "widgets/ImageList.h"

#include <QImage>
#include <QPainter>

#include "widgets/Icon.h"

TImageList::TImageList(int width, int height, QObject* owner)
    : QObject(owner), width_(width), height_(height) {}

int TImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) {
    return -1;
  }
  return AddImage(icon.Handle().ImageFor(width_));
}

int TImageList::AddImage(const QImage& image) {
  if (image.isNull()) {
    return -1;
  }
  // The copy keeps the source's device pixel ratio, so a sharp image stays sharp at this size.
  const qreal ratio = image.devicePixelRatio();
  const QSize target(qRound(width_ * ratio), qRound(height_ * ratio));
  QImage copy = image;
  if (copy.size() != target) {
    QImage scaled = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1);  // drawn pixel for pixel
    // An image of another shape stands centred on a transparent square.
    copy = QImage(target, QImage::Format_ARGB32_Premultiplied);
    copy.fill(Qt::transparent);
    QPainter painter(&copy);
    painter.drawImage((target.width() - scaled.width()) / 2,
                      (target.height() - scaled.height()) / 2, scaled);
  }
  copy.setDevicePixelRatio(ratio);
  images_.push_back(QPixmap::fromImage(copy));
  emit Changed();
  return Count() - 1;
}

void TImageList::Clear() {
  images_.clear();
  emit Changed();
}

QPixmap TImageList::Pixmap(int index) const {
  if (index < 0 || index >= Count()) {
    return {};
  }
  return images_[static_cast<size_t>(index)];
}
