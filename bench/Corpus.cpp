#include "Corpus.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "IconFixtures.h"

namespace {

IconFixtures::TGroup GroupOf(long library, long group, bool lean) {
  using IconFixtures::TImage;
  IconFixtures::TGroup result;
  result.Id = static_cast<std::uint16_t>(group + 1);
  const QRgb color =
      qRgb(static_cast<int>((library * 37) & 0xFF), static_cast<int>((group * 23) & 0xFF), 0x80);
  if (lean) {
    result.Images = {TImage{32, 32, 32, false, color}, TImage{16, 16, 32, false, color}};
    return result;
  }
  for (int size : {16, 24, 32, 48, 64}) {
    result.Images.push_back({size, size, 32, false, color});
  }
  result.Images.push_back({16, 16, 8, false, color});
  result.Images.push_back({32, 32, 8, false, color});
  result.Images.push_back({256, 256, 32, true, color});
  return result;
}

}  // namespace

void WriteLibraries(const std::string& dir, long count, const TCorpusShape& shape) {
  IconFixtures::TPeOptions options;
  options.CodeSize = static_cast<std::uint32_t>(shape.CodeKib * 1024);
  for (long n = 0; n < count; ++n) {
    std::vector<IconFixtures::TGroup> groups;
    groups.reserve(static_cast<std::size_t>(shape.Groups));
    for (long g = 0; g < shape.Groups; ++g) {
      groups.push_back(GroupOf(n, g, shape.Lean));
    }
    char name[32];
    std::snprintf(name, sizeof name, "lib%05ld.dll", n);
    std::ofstream(dir + "/" + name, std::ios::binary) << IconFixtures::PeLibrary(groups, options);
  }
}
