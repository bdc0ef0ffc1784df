#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The harvest's view of a directory without the window: the files directly inside it whose names
// contain a ".", in name order, put through the same extraction calls. Shared by icondump and the
// harvest benchmark, which compares the window's harvest with it.
struct TDirFile {
  std::string Name;
  std::string Path;
  std::uint64_t Size = 0;
};

struct TIconTotals {
  std::size_t FilesWithIcons = 0;
  std::size_t Icons = 0;
};

[[nodiscard]] std::vector<TDirFile> FilesIn(const std::string& dir);

// Probe, count, then every index of one file, as the harvest does; appends one line per icon to
// `out`: "<file name>:<index><TAB><width>x<height>" of the 32-pixel list's image, or "empty".
void DumpFile(const TDirFile& file, std::string& out, TIconTotals& totals);
