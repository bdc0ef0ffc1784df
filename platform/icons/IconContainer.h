#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TByteSource;

// Where some data lies in the file.
struct TResourceSpan {
  std::uint64_t Offset = 0;
  std::uint32_t Size = 0;
};

// One image of an icon group as the group's directory describes it. Images inside executables
// are named by id and located only when chosen; those of icon files are located from the start.
struct TIconImageRef {
  int Width = 0;  // from the directory; 0 there means 256
  int Height = 0;
  int BitCount = 0;  // colour depth used to rank images of one size
  std::uint16_t Id = 0;
  std::optional<TResourceSpan> Data{};
};

// A file that holds icons, parsed just far enough to count its icon groups and to locate the
// images of one group on request. The source passed to every call is the one it was opened on.
class TIconContainer {
 public:
  TIconContainer() = default;
  virtual ~TIconContainer() = default;
  TIconContainer(const TIconContainer&) = delete;
  TIconContainer& operator=(const TIconContainer&) = delete;

  [[nodiscard]] virtual std::uint32_t GroupCount() const noexcept = 0;
  // The images of group `index`; empty when the group cannot be read.
  [[nodiscard]] virtual std::vector<TIconImageRef> GroupImages(TByteSource& source,
                                                               std::uint32_t index) const = 0;
  // Where the data of an image of a group lies; nothing when the file does not hold it.
  [[nodiscard]] virtual std::optional<TResourceSpan> Locate(TByteSource& /*source*/,
                                                            const TIconImageRef& image) const {
    return image.Data;
  }
};

// A group holds at most this many images; a directory that claims more is read this far. Real
// groups hold a dozen or so.
inline constexpr std::uint32_t kMaxImagesPerGroup = 256;

// The colour depth that a directory entry stands for: its bit count when that is a real one, else
// what its colour count implies (cursor directories keep the hot spot where the bit count goes).
[[nodiscard]] int EffectiveBitCount(int bitCount, int colorCount) noexcept;

// Recognisers, by content. Each returns null when the source is not of its kind. A source of the
// kind whose structure is broken yields a container with no groups: it holds none.
[[nodiscard]] std::unique_ptr<TIconContainer> OpenPeContainer(TByteSource& source);
[[nodiscard]] std::unique_ptr<TIconContainer> OpenNeContainer(TByteSource& source);
[[nodiscard]] std::unique_ptr<TIconContainer> OpenIcoContainer(TByteSource& source);
[[nodiscard]] std::unique_ptr<TIconContainer> OpenAniContainer(TByteSource& source);

// Tries every kind in turn: null when the file is not of a kind that holds icons.
[[nodiscard]] std::unique_ptr<TIconContainer> OpenIconContainer(TByteSource& source);
