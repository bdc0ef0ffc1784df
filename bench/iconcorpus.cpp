// iconcorpus DIR COUNT [CODE_KIB [GROUPS]]: writes COUNT libraries with GROUPS icon groups each
// (default 10) into DIR, for the icon benchmarks. Each library has a code section of CODE_KIB KiB
// (default 256) ahead of its resources, and each group the sizes a current icon carries: 16 to 64
// pixels at 32 bits, 16 and 32 at 8 bits, and a 256-pixel PNG.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "IconFixtures.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: %s DIR COUNT [CODE_KIB [GROUPS]]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  const long codeKib = argc >= 4 ? std::strtol(argv[3], nullptr, 10) : 256;
  const long groupCount = argc == 5 ? std::strtol(argv[4], nullptr, 10) : 10;
  using namespace IconFixtures;
  for (long n = 0; n < count; ++n) {
    std::vector<TGroup> groups;
    for (long g = 0; g < groupCount; ++g) {
      TGroup group;
      group.Id = static_cast<std::uint16_t>(g + 1);
      const QRgb color =
          qRgb(static_cast<int>((n * 37) & 0xFF), static_cast<int>((g * 23) & 0xFF), 0x80);
      for (int size : {16, 24, 32, 48, 64}) {
        group.Images.push_back({size, size, 32, false, color});
      }
      group.Images.push_back({16, 16, 8, false, color});
      group.Images.push_back({32, 32, 8, false, color});
      group.Images.push_back({256, 256, 32, true, color});
      groups.push_back(group);
    }
    TPeOptions options;
    options.CodeSize = static_cast<std::uint32_t>(codeKib * 1024);
    char name[32];
    std::snprintf(name, sizeof name, "lib%05ld.dll", n);
    std::ofstream(dir + "/" + name, std::ios::binary) << PeLibrary(groups, options);
  }
  return 0;
}
