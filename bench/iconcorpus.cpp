// iconcorpus DIR COUNT [CODE_KIB [GROUPS]]: writes COUNT libraries with GROUPS icon groups each
// (default 10) into DIR, for the icon benchmarks. Each library has a code section of CODE_KIB KiB
// (default 256) ahead of its resources, and each group the sizes a current icon carries: 16 to 64
// pixels at 32 bits, 16 and 32 at 8 bits, and a 256-pixel PNG.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Corpus.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: %s DIR COUNT [CODE_KIB [GROUPS]]\n", argv[0]);
    return 2;
  }
  TCorpusShape shape;
  if (argc >= 4) {
    shape.CodeKib = std::strtol(argv[3], nullptr, 10);
  }
  if (argc == 5) {
    shape.Groups = std::strtol(argv[4], nullptr, 10);
  }
  WriteLibraries(argv[1], std::strtol(argv[2], nullptr, 10), shape);
  return 0;
}
