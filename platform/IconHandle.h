#pragma once

#include <QImage>
#include <QSize>
#include <memory>

// One icon, owned by whoever holds the handle: the images chosen from an icon group for the two
// list sizes (16 and 32 logical pixels), already decoded at the screen's device pixel ratio so that
// the UI thread only draws them. Move-only: every handle is released exactly once. A default HICON
// is the null handle.
class HICON {
 public:
  struct TImages {
    QImage Small;       // for 16-pixel lists
    QSize SmallSource;  // size of the file's image it was made from
    QImage Large;       // for 32-pixel lists
    QSize LargeSource;
  };

  HICON() noexcept = default;
  explicit HICON(TImages images) : images_(std::make_unique<const TImages>(std::move(images))) {}

  [[nodiscard]] explicit operator bool() const noexcept { return images_ != nullptr; }

  // The image kept for a list of `size` logical pixels; a null image for the null handle.
  [[nodiscard]] QImage ImageFor(int size) const {
    if (!images_) {
      return {};
    }
    return size <= kSmallSize ? images_->Small : images_->Large;
  }
  // The size of the file's own image chosen for that list size; empty for the null handle.
  [[nodiscard]] QSize SourceSize(int size) const {
    if (!images_) {
      return {};
    }
    return size <= kSmallSize ? images_->SmallSource : images_->LargeSource;
  }

  void Reset() noexcept { images_.reset(); }

 private:
  static constexpr int kSmallSize = 16;
  std::unique_ptr<const TImages> images_;
};

// The explicit release: afterwards the handle is the null handle.
inline void DestroyIcon(HICON& icon) noexcept { icon.Reset(); }
