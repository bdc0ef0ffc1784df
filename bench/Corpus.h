#pragma once

#include <string>

// Libraries for the icon benchmarks, written into an existing directory as lib00000.dll, ...
struct TCorpusShape {
  long CodeKib = 256;  // size of the code section ahead of the resources
  long Groups = 10;    // icon groups per library
  // Each group carries the sizes a current icon has (16 to 64 pixels at 32 bits, 16 and 32 at 8
  // bits, a 256-pixel PNG); lean groups carry only a 32- and a 16-pixel image.
  bool Lean = false;
};

void WriteLibraries(const std::string& dir, long count, const TCorpusShape& shape);
