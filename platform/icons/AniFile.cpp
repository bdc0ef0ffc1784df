#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconGroup.h"

namespace {

constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kAniHeaderSize = 36;
// However many chunks a file claims, the walk looks at no more than this; real files have a few.
constexpr int kMaxChunks = 1024;

using TChunkId = std::array<std::uint8_t, 4>;

struct TChunk {
  TChunkId Id{};
  std::uint64_t Data = 0;    // where its data starts
  std::uint64_t Length = 0;  // its data length, cut to the enclosing chunk
};

bool IdIs(const TChunkId& id, const char* name) {
  return std::memcmp(id.data(), name, 4) == 0;
}

// Walks the chunks in [begin, end) and calls `visit` for each until it returns true. Sizes are
// trusted only as far as the enclosing chunk reaches; odd sizes are followed by a pad byte.
template <class Visit>
bool WalkChunks(TByteSource& source, std::uint64_t begin, std::uint64_t end, int& budget,
                Visit visit) {
  std::uint64_t at = begin;
  while (at < end && end - at >= kChunkHeaderSize && budget-- > 0) {
    std::array<std::uint8_t, kChunkHeaderSize> header{};
    if (!source.Read(at, header)) {
      return false;
    }
    TChunk chunk;
    std::copy_n(header.begin(), chunk.Id.size(), chunk.Id.begin());
    chunk.Data = at + kChunkHeaderSize;
    const std::uint64_t declared = LoadU32(&header[4]);
    chunk.Length = std::min(declared, end - chunk.Data);
    if (visit(chunk)) {
      return true;
    }
    at = chunk.Data + chunk.Length + (declared & 1);
  }
  return false;
}

}  // namespace

std::unique_ptr<TIconContainer> OpenAniContainer(TByteSource& source) {
  std::array<std::uint8_t, 12> riff{};
  if (!source.Read(0, riff) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
      std::memcmp(&riff[8], "ACON", 4) != 0) {
    return nullptr;
  }
  const std::uint64_t end = std::min<std::uint64_t>(source.Size(), 8ULL + LoadU32(&riff[4]));
  int budget = kMaxChunks;
  std::optional<std::uint32_t> frames;
  std::optional<TChunk> firstIcon;
  WalkChunks(source, riff.size(), end, budget, [&](const TChunk& chunk) {
    if (IdIs(chunk.Id, "anih") && !frames && chunk.Length >= kAniHeaderSize) {
      std::array<std::uint8_t, kAniHeaderSize> header{};
      if (source.Read(chunk.Data, header)) {
        frames = LoadU32(&header[4]);
      }
    } else if (IdIs(chunk.Id, "LIST") && !firstIcon && chunk.Length >= 4) {
      TChunkId type{};
      if (source.Read(chunk.Data, type) && IdIs(type, "fram")) {
        WalkChunks(source, chunk.Data + 4, chunk.Data + chunk.Length, budget,
                   [&](const TChunk& frame) {
                     if (IdIs(frame.Id, "icon")) {
                       firstIcon = frame;
                       return true;
                     }
                     return false;
                   });
      }
    }
    return frames.has_value() && firstIcon.has_value();
  });
  // A header that announces no frames, or frames that are not icon or cursor files, hold none.
  if (!frames || *frames == 0 || !firstIcon) {
    return MakeEmptyContainer();
  }
  std::optional<std::vector<TIconImageRef>> images =
      ReadIcoDirectory(source, firstIcon->Data, firstIcon->Length);
  if (!images) {
    return MakeEmptyContainer();
  }
  return MakeSingleIconContainer(std::move(*images));
}
