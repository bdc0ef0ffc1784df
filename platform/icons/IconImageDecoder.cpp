#include "platform/icons/IconImageDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/icons/ByteSource.h"

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kV4HeaderSize = 108;
constexpr std::size_t kLargestInfoHeader = 124;
constexpr std::size_t kFileHeaderSize = 14;

QImage ReadWithQt(const QByteArray& bytes, const char* format) {
  QBuffer buffer;
  buffer.setData(bytes);
  // The readers take the data in many small reads; a buffer in front of memory only copies it.
  buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  QImageReader reader(&buffer, format);
  reader.setDecideFormatFromContent(false);
  return reader.read();
}

std::uint32_t LoadBigU32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

QImage DecodePng(std::span<const std::uint8_t> data) {
  // The header chunk must come first; its size is checked before the reader allocates anything.
  constexpr std::size_t kHeaderEnd = 8 + 8 + 13;
  if (data.size() < kHeaderEnd || std::memcmp(&data[12], "IHDR", 4) != 0) {
    return {};
  }
  const std::uint32_t width = LoadBigU32(&data[16]);
  const std::uint32_t height = LoadBigU32(&data[20]);
  if (width == 0 || height == 0 || width > kMaxIconImageSide || height > kMaxIconImageSide) {
    return {};
  }
  const QByteArray bytes(reinterpret_cast<const char*>(data.data()),
                         static_cast<qsizetype>(data.size()));
  QImage image = ReadWithQt(bytes, "png");
  if (image.isNull()) {
    return {};
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void Store16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value & 0xFF);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
void Store32(std::uint8_t* at, std::uint32_t value) {
  Store16(at, static_cast<std::uint16_t>(value & 0xFFFF));
  Store16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

// The colour part of an icon bitmap, rewritten as a bitmap file that Qt's reader takes: the
// palette padded to its full size (so that no pixel can name a colour past its end), and 32-bit
// pixels declared with an alpha channel.
QByteArray AsBitmapFile(int width, int height, int bitCount, std::span<const std::uint8_t> palette,
                        std::span<const std::uint8_t> pixels) {
  const bool alpha = bitCount == 32;
  const std::size_t infoSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
  const std::size_t colors = bitCount <= 8 ? (std::size_t{1} << bitCount) : 0;
  const std::size_t headersSize = kFileHeaderSize + infoSize;
  const std::size_t pixelOffset = headersSize + colors * 4;

  std::array<std::uint8_t, kFileHeaderSize + kV4HeaderSize> headers{};
  std::uint8_t* file = headers.data();
  file[0] = 'B';
  file[1] = 'M';
  Store32(file + 2, static_cast<std::uint32_t>(pixelOffset + pixels.size()));
  Store32(file + 10, static_cast<std::uint32_t>(pixelOffset));
  std::uint8_t* info = file + kFileHeaderSize;
  Store32(info, static_cast<std::uint32_t>(infoSize));
  Store32(info + 4, static_cast<std::uint32_t>(width));
  Store32(info + 8, static_cast<std::uint32_t>(height));
  Store16(info + 12, 1);
  Store16(info + 14, static_cast<std::uint16_t>(bitCount));
  Store32(info + 16, alpha ? 3U : 0U);  // bit fields for 32 bits, so that the alpha mask counts
  Store32(info + 20, static_cast<std::uint32_t>(pixels.size()));
  Store32(info + 32, static_cast<std::uint32_t>(colors));
  if (alpha) {
    Store32(info + 40, 0x00FF0000U);
    Store32(info + 44, 0x0000FF00U);
    Store32(info + 48, 0x000000FFU);
    Store32(info + 52, 0xFF000000U);
  }
  QByteArray out(static_cast<qsizetype>(pixelOffset + pixels.size()), '\0');
  auto* at = reinterpret_cast<std::uint8_t*>(out.data());
  std::memcpy(at, headers.data(), headersSize);
  if (!palette.empty()) {
    std::memcpy(at + headersSize, palette.data(), palette.size());
  }
  std::memcpy(at + pixelOffset, pixels.data(), pixels.size());
  return out;
}

QImage DecodeDib(std::span<const std::uint8_t> data) {
  if (data.size() < kInfoHeaderSize) {
    return {};
  }
  const std::uint32_t headerSize = LoadU32(&data[0]);
  const std::int32_t width = LoadI32(&data[4]);
  const std::int32_t doubledHeight = LoadI32(&data[8]);
  const int bitCount = LoadU16(&data[14]);
  const std::uint32_t compression = LoadU32(&data[16]);
  const std::uint32_t colorsUsed = LoadU32(&data[32]);
  if (headerSize < kInfoHeaderSize || headerSize > kLargestInfoHeader || headerSize > data.size() ||
      compression != 0) {
    return {};
  }
  // The height counts the colour bitmap and the mask below it, so it is even and positive.
  if (width <= 0 || width > kMaxIconImageSide || doubledHeight <= 0 || doubledHeight % 2 != 0 ||
      doubledHeight / 2 > kMaxIconImageSide) {
    return {};
  }
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    return {};
  }
  const int height = doubledHeight / 2;
  // A palette count past what the depth can index is taken as the full palette.
  std::size_t colors = 0;
  if (bitCount <= 8) {
    const std::uint32_t full = 1U << bitCount;
    colors = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
  } else if (colorsUsed <= 256) {
    colors = colorsUsed;  // an optional table of preferred colours that the pixels skip
  } else {
    return {};
  }
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  const std::size_t colorStride = ((w * static_cast<std::size_t>(bitCount) + 31) / 32) * 4;
  const std::size_t maskStride = ((w + 31) / 32) * 4;
  const std::size_t paletteAt = headerSize;
  const std::size_t pixelsAt = paletteAt + colors * 4;
  const std::size_t maskAt = pixelsAt + colorStride * h;
  if (maskAt > data.size()) {
    return {};
  }
  const std::span<const std::uint8_t> palette =
      bitCount <= 8 ? data.subspan(paletteAt, colors * 4) : std::span<const std::uint8_t>{};
  const std::span<const std::uint8_t> pixels = data.subspan(pixelsAt, colorStride * h);

  QImage image = ReadWithQt(AsBitmapFile(width, height, bitCount, palette, pixels), "bmp");
  if (image.isNull() || image.width() != width || image.height() != height) {
    return {};
  }
  image = image.convertToFormat(QImage::Format_ARGB32);

  // 32-bit images carry their own alpha; one whose alpha is zero throughout predates that and
  // relies on the mask, like every shallower image.
  bool useMask = true;
  if (bitCount == 32) {
    for (std::size_t i = 3; i < pixels.size(); i += 4) {
      if (pixels[i] != 0) {
        useMask = false;
        break;
      }
    }
  }
  // A mask cut short by the end of the data leaves the rest of the image opaque.
  const std::size_t maskRows = std::min(h, (data.size() - maskAt) / maskStride);
  if (useMask) {
    for (int y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      // Bitmap rows run bottom-up.
      const std::size_t row = h - 1 - static_cast<std::size_t>(y);
      const std::uint8_t* mask = row < maskRows ? &data[maskAt + row * maskStride] : nullptr;
      for (int x = 0; x < width; ++x) {
        const bool transparent = mask != nullptr && ((mask[x / 8] >> (7 - x % 8)) & 1) != 0;
        line[x] = transparent ? 0U : (line[x] | 0xFF000000U);
      }
    }
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

QImage DecodeIconImage(std::span<const std::uint8_t> data) {
  if (data.size() >= kPngSignature.size() &&
      std::equal(kPngSignature.begin(), kPngSignature.end(), data.begin())) {
    return DecodePng(data);
  }
  return DecodeDib(data);
}
