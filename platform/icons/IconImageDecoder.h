#pragma once

#include <QImage>
#include <cstdint>
#include <span>

// Largest image side accepted. Icon images stop at 256 pixels; anything far larger is either
// broken or hostile, and would cost memory for nothing.
inline constexpr int kMaxIconImageSide = 1024;

// Decodes one icon image: a PNG stream or a device-independent bitmap followed by its AND mask.
// The pixel formats are decoded by Qt's image readers; the header is checked first so that only
// consistent, bounded data reaches them. Returns a premultiplied ARGB image, or a null image when
// the data is not a usable icon image.
[[nodiscard]] QImage DecodeIconImage(std::span<const std::uint8_t> data);
