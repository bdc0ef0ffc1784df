#pragma once

#include <optional>
#include <vector>

#include "platform/IconHandle.h"
#include "platform/icons/IconContainer.h"

class TByteSource;

// Reads and decodes the images of one group that the two list sizes need at `devicePixelRatio`,
// and scales each to its list size. For each size the best-ranked image that decodes is used; a
// size for which none decodes is made from the other size's image. Nothing when neither decodes.
// Images are located through `container`, the one they come from, and only when tried.
[[nodiscard]] std::optional<HICON::TImages> LoadIconImages(TByteSource& source,
                                                           const TIconContainer& container,
                                                           const std::vector<TIconImageRef>& images,
                                                           double devicePixelRatio);

// The largest image data read for one icon image: a 256-pixel 32-bit bitmap with its mask is
// about 270 KiB, so this leaves room for uncompressed 1024-pixel PNG streams too.
inline constexpr std::uint32_t kMaxIconImageBytes = 4U << 20;
