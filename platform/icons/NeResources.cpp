#include <algorithm>
#include <array>
#include <optional>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconGroup.h"

namespace {

constexpr std::uint16_t kRtIcon = 0x8003;
constexpr std::uint16_t kRtGroupIcon = 0x800E;
constexpr std::uint16_t kIntegerId = 0x8000;
constexpr std::size_t kTypeInfoSize = 8;
constexpr std::size_t kNameInfoSize = 12;
// Shifting a 16-bit offset by 16 or more would place every resource past any real file.
constexpr unsigned kMaxAlignShift = 15;
// The table's offsets are 16-bit, so it never reaches further than this past the NE header.
constexpr std::uint64_t kMaxTableSize = 0x10000;

struct TNeResource {
  std::uint16_t Id = 0;  // the number of a numbered resource, else 0
  TResourceSpan Data;
};

class TNeContainer final : public TIconContainer {
 public:
  TNeContainer(std::vector<TNeResource> groups, std::vector<TNeResource> icons)
      : groups_(std::move(groups)), icons_(std::move(icons)) {}

  [[nodiscard]] std::uint32_t GroupCount() const noexcept override {
    return static_cast<std::uint32_t>(groups_.size());
  }

  [[nodiscard]] std::vector<TIconImageRef> GroupImages(TByteSource& source,
                                                       std::uint32_t index) const override {
    if (index >= groups_.size()) {
      return {};
    }
    return ReadIconGroup(source, groups_[index].Data);
  }

  [[nodiscard]] std::optional<TResourceSpan> Locate(TByteSource& /*source*/,
                                                    const TIconImageRef& image) const override {
    const auto found = std::find_if(icons_.begin(), icons_.end(),
                                    [&](const TNeResource& r) { return r.Id == image.Id; });
    if (found == icons_.end()) {
      return std::nullopt;
    }
    return found->Data;
  }

 private:
  std::vector<TNeResource> groups_;
  std::vector<TNeResource> icons_;
};

}  // namespace

std::unique_ptr<TIconContainer> OpenNeContainer(TByteSource& source) {
  std::array<std::uint8_t, 64> dos{};
  if (!source.Read(0, dos) || dos[0] != 'M' || dos[1] != 'Z') {
    return nullptr;
  }
  const std::uint64_t neOffset = LoadU32(&dos[0x3C]);
  std::array<std::uint8_t, 0x40> ne{};
  if (!source.Read(neOffset, ne) || ne[0] != 'N' || ne[1] != 'E') {
    return nullptr;
  }
  const std::uint16_t tableOffset = LoadU16(&ne[0x24]);
  const std::uint16_t residentNames = LoadU16(&ne[0x26]);
  // The resource table ends where the resident-name table begins.
  const std::uint64_t declared =
      residentNames > tableOffset ? residentNames - tableOffset : kMaxTableSize;
  const std::uint64_t tableStart = neOffset + tableOffset;
  if (tableStart >= source.Size()) {
    return MakeEmptyContainer();
  }
  const std::uint64_t tableSize = std::min({declared, kMaxTableSize, source.Size() - tableStart});
  std::vector<std::uint8_t> table;
  if (tableSize < 2 || !source.ReadVector(tableStart, static_cast<std::size_t>(tableSize), table)) {
    return MakeEmptyContainer();
  }
  const unsigned shift = LoadU16(table.data());
  if (shift > kMaxAlignShift) {
    return MakeEmptyContainer();
  }

  std::vector<TNeResource> groups;
  std::vector<TNeResource> icons;
  std::size_t at = 2;
  while (at + kTypeInfoSize <= table.size()) {
    const std::uint16_t type = LoadU16(&table[at]);
    if (type == 0) {
      break;
    }
    const std::size_t count = LoadU16(&table[at + 2]);
    at += kTypeInfoSize;
    // A type whose entries run past the table is cut where the table ends.
    const std::size_t fits = (table.size() - at) / kNameInfoSize;
    const std::size_t usable = std::min(count, fits);
    for (std::size_t i = 0; i < usable; ++i) {
      const std::uint8_t* n = &table[at + i * kNameInfoSize];
      const std::uint64_t offset = static_cast<std::uint64_t>(LoadU16(n)) << shift;
      const std::uint64_t length = static_cast<std::uint64_t>(LoadU16(n + 2)) << shift;
      const std::uint16_t id = LoadU16(n + 6);
      if (offset >= source.Size()) {
        continue;
      }
      // Lengths are rounded up to the alignment, so the last resource may reach past the end.
      const TResourceSpan data{
          offset, static_cast<std::uint32_t>(std::min(length, source.Size() - offset))};
      const std::uint16_t number = (id & kIntegerId) != 0 ? (id & ~kIntegerId) : 0;
      if (type == kRtGroupIcon) {
        groups.push_back({number, data});
      } else if (type == kRtIcon && number != 0) {
        icons.push_back({number, data});
      }
    }
    if (usable < count) {
      break;
    }
    at += count * kNameInfoSize;
  }
  return std::make_unique<TNeContainer>(std::move(groups), std::move(icons));
}
