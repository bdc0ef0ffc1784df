#include <algorithm>
#include <array>
#include <optional>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconGroup.h"

namespace {

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtGroupIcon = 14;
constexpr std::uint32_t kSubdirectory = 0x80000000U;
constexpr std::size_t kDirectorySize = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kSectionSize = 40;
// More sections than any linker writes; a header that claims more is read this far.
constexpr std::uint16_t kMaxSections = 256;
// Resource data (a group, one image) larger than this is not an icon.
constexpr std::uint32_t kMaxResourceSize = 16U << 20;

struct TSection {
  std::uint32_t VirtualAddress = 0;
  std::uint32_t MappedSize = 0;  // the part of the section that the file backs
  std::uint32_t RawOffset = 0;
};

// One resource directory: where its entries start (relative to the resource root) and how many
// are named and numbered.
struct TDirectory {
  std::uint32_t Offset = 0;
  std::uint16_t Named = 0;
  std::uint16_t Ids = 0;
};

class TPeContainer final : public TIconContainer {
 public:
  TPeContainer(std::vector<TSection> sections, std::uint32_t rootRva, std::uint32_t rootSize,
               TDirectory groups, TDirectory icons)
      : sections_(std::move(sections)),
        rootRva_(rootRva),
        rootSize_(rootSize),
        groups_(groups),
        icons_(icons) {}

  [[nodiscard]] std::uint32_t GroupCount() const noexcept override {
    return static_cast<std::uint32_t>(groups_.Named) + groups_.Ids;
  }

  [[nodiscard]] std::vector<TIconImageRef> GroupImages(TByteSource& source,
                                                       std::uint32_t index) const override {
    if (index >= GroupCount()) {
      return {};
    }
    const std::optional<TResourceSpan> group = DataOfEntry(source, groups_, index);
    if (!group) {
      return {};
    }
    return ReadIconGroup(source, *group);
  }

  [[nodiscard]] std::optional<TResourceSpan> Locate(TByteSource& source,
                                                    const TIconImageRef& image) const override {
    const std::optional<std::uint32_t> target = FindId(source, icons_, image.Id);
    if (!target) {
      return std::nullopt;
    }
    return DataOfTarget(source, *target);
  }

  // Reads `out.size()` bytes at `offset` from the resource root; every directory offset is checked
  // against the resource area first, so one that points past it (or wraps) reads nothing.
  bool ReadTree(TByteSource& source, std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > rootSize_ || out.size() > rootSize_ - offset) {
      return false;
    }
    const std::optional<std::uint64_t> at = FileOffset(rootRva_ + offset, out.size());
    return at && source.Read(*at, out);
  }

  // The directory that an entry of a level above points to; a data entry where a directory
  // belongs means the tree is malformed.
  std::optional<TDirectory> Subdirectory(TByteSource& source, std::uint32_t target) const {
    if ((target & kSubdirectory) == 0) {
      return std::nullopt;
    }
    const std::uint32_t offset = target & ~kSubdirectory;
    std::array<std::uint8_t, kDirectorySize> header{};
    if (!ReadTree(source, offset, header)) {
      return std::nullopt;
    }
    TDirectory dir{offset + static_cast<std::uint32_t>(kDirectorySize), LoadU16(&header[12]),
                   LoadU16(&header[14])};
    // Entries past the resource area cannot be read; the count stops where the area does.
    const std::uint64_t room = rootSize_ > dir.Offset ? (rootSize_ - dir.Offset) / kEntrySize : 0;
    if (dir.Named > room) {
      dir.Named = static_cast<std::uint16_t>(room);
    }
    if (static_cast<std::uint64_t>(dir.Named) + dir.Ids > room) {
      dir.Ids = static_cast<std::uint16_t>(room - dir.Named);
    }
    return dir;
  }

  std::optional<std::array<std::uint32_t, 2>> Entry(TByteSource& source, const TDirectory& dir,
                                                    std::uint32_t index) const {
    std::array<std::uint8_t, kEntrySize> raw{};
    if (!ReadTree(source, dir.Offset + static_cast<std::uint64_t>(index) * kEntrySize, raw)) {
      return std::nullopt;
    }
    return std::array<std::uint32_t, 2>{LoadU32(&raw[0]), LoadU32(&raw[4])};
  }

  // Numbered entries follow the named ones in ascending order, so a binary search finds an id.
  // Returns the found entry's target.
  std::optional<std::uint32_t> FindId(TByteSource& source, const TDirectory& dir,
                                      std::uint16_t id) const {
    std::uint32_t low = dir.Named;
    std::uint32_t high = static_cast<std::uint32_t>(dir.Named) + dir.Ids;
    while (low < high) {
      const std::uint32_t mid = low + (high - low) / 2;
      const auto entry = Entry(source, dir, mid);
      if (!entry) {
        return std::nullopt;
      }
      const std::uint32_t name = (*entry)[0];
      if (name == id) {
        return (*entry)[1];
      }
      if (name < id) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    return std::nullopt;
  }

  // The resource that entry `index` of a name level leads to.
  std::optional<TResourceSpan> DataOfEntry(TByteSource& source, const TDirectory& names,
                                           std::uint32_t index) const {
    const auto name = Entry(source, names, index);
    if (!name) {
      return std::nullopt;
    }
    return DataOfTarget(source, (*name)[1]);
  }

  // A name level's entry points to a language directory; its first language's data is the
  // resource. A third level that points to yet another directory is not followed.
  std::optional<TResourceSpan> DataOfTarget(TByteSource& source, std::uint32_t target) const {
    const std::optional<TDirectory> languages = Subdirectory(source, target);
    if (!languages || languages->Named + languages->Ids == 0) {
      return std::nullopt;
    }
    const auto language = Entry(source, *languages, 0);
    if (!language || ((*language)[1] & kSubdirectory) != 0) {
      return std::nullopt;
    }
    std::array<std::uint8_t, kDataEntrySize> data{};
    if (!ReadTree(source, (*language)[1], data)) {
      return std::nullopt;
    }
    const std::uint32_t rva = LoadU32(&data[0]);
    const std::uint32_t size = LoadU32(&data[4]);
    if (size > kMaxResourceSize) {
      return std::nullopt;
    }
    const std::optional<std::uint64_t> offset = FileOffset(rva, size);
    if (!offset) {
      return std::nullopt;
    }
    return TResourceSpan{*offset, size};
  }

  // Where the bytes [rva, rva + size) of the loaded image lie in the file: inside one section's
  // file-backed part, or nowhere.
  [[nodiscard]] std::optional<std::uint64_t> FileOffset(std::uint64_t rva,
                                                        std::uint64_t size) const {
    for (const TSection& s : sections_) {
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress <= s.MappedSize &&
          size <= s.MappedSize - (rva - s.VirtualAddress)) {
        return static_cast<std::uint64_t>(s.RawOffset) + (rva - s.VirtualAddress);
      }
    }
    return std::nullopt;
  }

 private:
  std::vector<TSection> sections_;
  std::uint32_t rootRva_;
  std::uint32_t rootSize_;
  TDirectory groups_;
  TDirectory icons_;
};

// The resource directory's data directory entry and the section table, or nothing when the
// headers are cut short or inconsistent.
struct THeaders {
  std::uint32_t ResourceRva = 0;
  std::uint32_t ResourceSize = 0;
  std::vector<TSection> Sections;
};

std::optional<THeaders> ReadHeaders(TByteSource& source, std::uint64_t peOffset) {
  constexpr std::size_t kCoffSize = 20;
  std::array<std::uint8_t, kCoffSize> coff{};
  if (!source.Read(peOffset + 4, coff)) {
    return std::nullopt;
  }
  const std::uint16_t sectionCount = std::min(LoadU16(&coff[2]), kMaxSections);
  const std::uint16_t optionalSize = LoadU16(&coff[16]);
  const std::uint64_t optionalOffset = peOffset + 4 + kCoffSize;

  std::vector<std::uint8_t> optional;
  if (!source.ReadVector(optionalOffset, optionalSize, optional) || optional.size() < 2) {
    return std::nullopt;
  }
  const std::uint16_t magic = LoadU16(optional.data());
  std::size_t countAt = 0;
  if (magic == 0x10B) {
    countAt = 92;
  } else if (magic == 0x20B) {
    countAt = 108;
  } else {
    return std::nullopt;
  }
  THeaders headers;
  constexpr std::size_t kResourceIndex = 2;
  const std::size_t resourceAt = countAt + 4 + kResourceIndex * 8;
  if (optional.size() >= resourceAt + 8 && LoadU32(&optional[countAt]) > kResourceIndex) {
    headers.ResourceRva = LoadU32(&optional[resourceAt]);
    headers.ResourceSize = LoadU32(&optional[resourceAt + 4]);
  }

  std::vector<std::uint8_t> table;
  if (!source.ReadVector(optionalOffset + optionalSize, sectionCount * kSectionSize, table)) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::uint8_t* s = &table[i * kSectionSize];
    const std::uint32_t virtualSize = LoadU32(s + 8);
    const std::uint32_t rawSize = LoadU32(s + 16);
    // A virtual size of 0 means the raw size; one smaller than the raw size hides the rest.
    const std::uint32_t mapped = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
    headers.Sections.push_back({LoadU32(s + 12), mapped, LoadU32(s + 20)});
  }
  return headers;
}

}  // namespace

std::unique_ptr<TIconContainer> OpenPeContainer(TByteSource& source) {
  constexpr std::size_t kDosHeaderSize = 64;
  std::array<std::uint8_t, kDosHeaderSize> dos{};
  if (!source.Read(0, dos) || dos[0] != 'M' || dos[1] != 'Z') {
    return nullptr;
  }
  const std::uint64_t peOffset = LoadU32(&dos[0x3C]);
  std::array<std::uint8_t, 4> signature{};
  if (!source.Read(peOffset, signature) ||
      signature != std::array<std::uint8_t, 4>{'P', 'E', 0, 0}) {
    return nullptr;
  }
  std::optional<THeaders> headers = ReadHeaders(source, peOffset);
  if (!headers || headers->ResourceRva == 0 || headers->ResourceSize < kDirectorySize) {
    return MakeEmptyContainer();
  }
  // The resource area is read only where a section backs it.
  TPeContainer probe(headers->Sections, headers->ResourceRva, headers->ResourceSize, {}, {});
  const std::optional<TDirectory> types = probe.Subdirectory(source, kSubdirectory);
  if (!types) {
    return MakeEmptyContainer();
  }
  const auto typeDirectory = [&](std::uint16_t type) -> TDirectory {
    const std::optional<std::uint32_t> target = probe.FindId(source, *types, type);
    if (!target) {
      return {};
    }
    return probe.Subdirectory(source, *target).value_or(TDirectory{});
  };
  const TDirectory groups = typeDirectory(kRtGroupIcon);
  const TDirectory icons = typeDirectory(kRtIcon);
  return std::make_unique<TPeContainer>(std::move(headers->Sections), headers->ResourceRva,
                                        headers->ResourceSize, groups, icons);
}
