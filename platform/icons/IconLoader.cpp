#include "platform/icons/IconLoader.h"

#include <QPainter>
#include <cmath>
#include <map>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconChoice.h"
#include "platform/icons/IconImageDecoder.h"

namespace {

constexpr int kSmallList = 16;
constexpr int kLargeList = 32;
// Images tried per list size before giving up, so that a group of many broken images costs a
// few reads, not one per image.
constexpr std::size_t kMaxAttempts = 4;

// Decodes each image at most once per icon, however many list sizes try it.
class TDecodedImages {
 public:
  TDecodedImages(TByteSource& source, const TIconContainer& container,
                 const std::vector<TIconImageRef>& images)
      : source_(source), container_(container), images_(images) {}

  const QImage& At(std::size_t index) {
    auto found = decoded_.find(index);
    if (found == decoded_.end()) {
      found = decoded_.emplace(index, Decode(images_[index])).first;
    }
    return found->second;
  }

  // The first image in the ranking for `target` that decodes, or null.
  const QImage* Best(int target) {
    const std::vector<std::size_t> ranking = RankImages(images_, target);
    for (std::size_t i = 0; i < ranking.size() && i < kMaxAttempts; ++i) {
      const QImage& image = At(ranking[i]);
      if (!image.isNull()) {
        return &image;
      }
    }
    return nullptr;
  }

 private:
  QImage Decode(const TIconImageRef& ref) {
    const std::optional<TResourceSpan> data = container_.Locate(source_, ref);
    std::vector<std::uint8_t> bytes;
    if (!data || data->Size > kMaxIconImageBytes ||
        !source_.ReadVector(data->Offset, data->Size, bytes)) {
      return {};
    }
    return DecodeIconImage(bytes);
  }

  TByteSource& source_;
  const TIconContainer& container_;
  const std::vector<TIconImageRef>& images_;
  std::map<std::size_t, QImage> decoded_;
};

// `image` fitted into a square of `side` pixels: scaled smoothly, centred when not square.
QImage Fit(const QImage& image, int side, double devicePixelRatio) {
  QImage fitted;
  if (image.width() == side && image.height() == side) {
    fitted = image;
  } else if (image.width() == image.height()) {
    fitted = image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else {
    const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    fitted.fill(Qt::transparent);
    QPainter painter(&fitted);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
  }
  fitted.setDevicePixelRatio(devicePixelRatio);
  return fitted;
}

}  // namespace

std::optional<HICON::TImages> LoadIconImages(TByteSource& source, const TIconContainer& container,
                                             const std::vector<TIconImageRef>& images,
                                             double devicePixelRatio) {
  const int small = static_cast<int>(std::lround(kSmallList * devicePixelRatio));
  const int large = static_cast<int>(std::lround(kLargeList * devicePixelRatio));
  TDecodedImages decoded(source, container, images);
  const QImage* forSmall = decoded.Best(small);
  const QImage* forLarge = decoded.Best(large);
  if (forSmall == nullptr && forLarge == nullptr) {
    return std::nullopt;
  }
  if (forSmall == nullptr) {
    forSmall = forLarge;
  }
  if (forLarge == nullptr) {
    forLarge = forSmall;
  }
  HICON::TImages result;
  result.Small = Fit(*forSmall, small, devicePixelRatio);
  result.SmallSource = forSmall->size();
  result.Large = Fit(*forLarge, large, devicePixelRatio);
  result.LargeSource = forLarge->size();
  return result;
}
