#include "IconWalk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/ShellIcons.h"

std::vector<TDirFile> FilesIn(const std::string& dir) {
  std::vector<TDirFile> files;
  const std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), ::closedir);
  if (!handle) {
    std::perror(dir.c_str());
    return files;
  }
  while (const dirent* entry = ::readdir(handle.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name.find('.') == std::string::npos) {
      continue;
    }
    std::string path = dir;
    path += '/';
    path += name;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
      continue;
    }
    files.push_back({name, path, static_cast<std::uint64_t>(st.st_size)});
  }
  std::sort(files.begin(), files.end(),
            [](const TDirFile& a, const TDirFile& b) { return a.Name < b.Name; });
  return files;
}

void DumpFile(const TDirFile& file, std::string& out, TIconTotals& totals) {
  TExtractIconResult probe = ExtractIconA(file.Path, 0);
  HICON probed = probe.TakeIcon();
  if (probe.Value() <= 1) {
    return;
  }
  DestroyIcon(probed);
  const std::int32_t count = ExtractIconA(file.Path, kIconCountIndex).Value();
  if (count <= 0) {
    return;
  }
  ++totals.FilesWithIcons;
  for (std::int32_t i = 0; i < count; ++i) {
    const HICON icon = ExtractIconA(file.Path, static_cast<std::uint32_t>(i)).TakeIcon();
    out += file.Name + ":" + std::to_string(i) + "\t";
    if (icon) {
      const QSize size = icon.SourceSize(32);
      out += std::to_string(size.width()) + "x" + std::to_string(size.height()) + "\n";
    } else {
      out += "empty\n";
    }
    ++totals.Icons;
  }
}
