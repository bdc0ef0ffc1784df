#include "platform/icons/IconGroup.h"

#include <algorithm>
#include <array>

#include "platform/icons/ByteSource.h"

namespace {

constexpr std::size_t kDirHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::size_t kIcoEntrySize = 16;

int DirectoryDimension(std::uint8_t value) {
  return value == 0 ? 256 : value;
}

// Reads the entries of a directory whose header lies at `base`: as many as `claimed` says, but no
// more than its window of `length` bytes (header included, so at least the header's size) holds,
// since a directory that claims more is read as far as it goes, and never more than
// kMaxImagesPerGroup. Empty when they cannot be read.
std::vector<std::uint8_t> ReadEntries(TByteSource& source, std::uint64_t base, std::uint64_t length,
                                      std::uint16_t claimed, std::size_t entrySize) {
  const std::uint64_t fits = (length - kDirHeaderSize) / entrySize;
  const auto count =
      static_cast<std::size_t>(std::min<std::uint64_t>({claimed, fits, kMaxImagesPerGroup}));
  std::vector<std::uint8_t> entries;
  if (!source.ReadVector(base + kDirHeaderSize, count * entrySize, entries)) {
    entries.clear();
  }
  return entries;
}

class TSingleIconContainer final : public TIconContainer {
 public:
  explicit TSingleIconContainer(std::vector<TIconImageRef> images) : images_(std::move(images)) {}

  [[nodiscard]] std::uint32_t GroupCount() const noexcept override {
    return images_.empty() ? 0 : 1;
  }
  [[nodiscard]] std::vector<TIconImageRef> GroupImages(TByteSource& /*source*/,
                                                       std::uint32_t index) const override {
    return index == 0 ? images_ : std::vector<TIconImageRef>{};
  }

 private:
  std::vector<TIconImageRef> images_;
};

}  // namespace

int EffectiveBitCount(int bitCount, int colorCount) noexcept {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return bitCount;
    default:
      break;
  }
  if (colorCount == 2) {
    return 1;
  }
  if (colorCount == 16) {
    return 4;
  }
  return 8;
}

std::vector<TIconImageRef> ReadIconGroup(TByteSource& source, TResourceSpan group) {
  std::vector<TIconImageRef> images;
  if (group.Size < kDirHeaderSize) {
    return images;
  }
  std::array<std::uint8_t, kDirHeaderSize> header{};
  if (!source.Read(group.Offset, header)) {
    return images;
  }
  const std::vector<std::uint8_t> entries =
      ReadEntries(source, group.Offset, group.Size, LoadU16(&header[4]), kGroupEntrySize);
  for (std::size_t at = 0; at < entries.size(); at += kGroupEntrySize) {
    const std::uint8_t* e = &entries[at];
    images.push_back({DirectoryDimension(e[0]), DirectoryDimension(e[1]),
                      EffectiveBitCount(LoadU16(e + 6), e[2]), LoadU16(e + 12), std::nullopt});
  }
  return images;
}

std::optional<std::vector<TIconImageRef>> ReadIcoDirectory(TByteSource& source, std::uint64_t base,
                                                           std::uint64_t length) {
  std::array<std::uint8_t, kDirHeaderSize> header{};
  if (length < kDirHeaderSize || !source.Read(base, header)) {
    return std::nullopt;
  }
  const std::uint16_t type = LoadU16(&header[2]);
  if (LoadU16(&header[0]) != 0 || (type != 1 && type != 2)) {
    return std::nullopt;
  }
  const bool cursor = type == 2;
  const std::vector<std::uint8_t> entries =
      ReadEntries(source, base, length, LoadU16(&header[4]), kIcoEntrySize);
  std::vector<TIconImageRef> images;
  for (std::size_t at = 0; at < entries.size(); at += kIcoEntrySize) {
    const std::uint8_t* e = &entries[at];
    const std::uint64_t offset = LoadU32(e + 12);
    if (offset >= length) {
      continue;
    }
    const auto size =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(LoadU32(e + 8), length - offset));
    // In a cursor directory the planes and bit count fields hold the hot spot.
    const int bits = cursor ? EffectiveBitCount(0, e[2]) : EffectiveBitCount(LoadU16(e + 6), e[2]);
    images.push_back({DirectoryDimension(e[0]), DirectoryDimension(e[1]), bits, 0,
                      TResourceSpan{base + offset, size}});
  }
  return images;
}

std::unique_ptr<TIconContainer> MakeSingleIconContainer(std::vector<TIconImageRef> images) {
  return std::make_unique<TSingleIconContainer>(std::move(images));
}

std::unique_ptr<TIconContainer> MakeEmptyContainer() {
  return std::make_unique<TSingleIconContainer>(std::vector<TIconImageRef>{});
}
