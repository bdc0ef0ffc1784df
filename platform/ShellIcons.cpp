#include "platform/ShellIcons.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <optional>

#include "platform/icons/FileSource.h"
#include "platform/icons/IconContainer.h"
#include "platform/icons/IconLoader.h"

namespace {

constexpr double kMinRatio = 1.0;
constexpr double kMaxRatio = 4.0;

std::atomic<double> g_devicePixelRatio{1.0};
std::atomic<std::uint32_t> g_handlesMade{0};

// Handle values only tell a handle from the numbers 0 and 1: they count from 2 up and wrap there.
std::int32_t NextHandleValue() {
  constexpr std::uint32_t kValues = std::numeric_limits<std::int32_t>::max() - 1;
  const std::uint32_t made = g_handlesMade.fetch_add(1, std::memory_order_relaxed);
  return static_cast<std::int32_t>(2 + made % kValues);
}

// The last file this thread read: its open source, its parsed directory, and the last icon made
// from it, so that the probe's icon 0 serves the extraction of index 0 too.
struct TLastFile {
  std::string Path;
  std::unique_ptr<TFileSource> Source;
  std::unique_ptr<TIconContainer> Container;  // null: not a kind of file that holds icons
  std::optional<std::uint32_t> IconIndex;
  double IconRatio = 0;
  std::optional<HICON::TImages> Icon;
};

thread_local TLastFile t_last;

// Makes t_last describe `path` as it is now; false when the file cannot be read at all. Only the
// file read last is checked for changes: any other is opened straight away, which looks at it once.
bool Refresh(const std::string& path) {
  if (t_last.Source && t_last.Path == path) {
    TFileIdentity now;
    if (TFileSource::Identify(path, now) && t_last.Source->Identity() == now) {
      return true;
    }
  }
  t_last = TLastFile{};
  t_last.Source = TFileSource::Open(path);
  if (!t_last.Source) {
    return false;
  }
  t_last.Path = path;
  t_last.Container = OpenIconContainer(*t_last.Source);
  return true;
}

}  // namespace

TExtractIconResult ExtractIconA(const std::string& fileName, std::uint32_t index) {
  constexpr std::int32_t kNotIconKind = 1;
  if (!Refresh(fileName) || !t_last.Container) {
    return TExtractIconResult(index == kIconCountIndex ? 0 : kNotIconKind);
  }
  const std::uint32_t count = t_last.Container->GroupCount();
  if (index == kIconCountIndex) {
    return TExtractIconResult(static_cast<std::int32_t>(count));
  }
  if (index >= count) {
    return TExtractIconResult(0);
  }
  const double ratio = IconDevicePixelRatio();
  if (!(t_last.IconIndex == index && t_last.IconRatio == ratio)) {
    // Marked as made only once made, so that an exception on the way leaves no stale icon.
    t_last.IconIndex.reset();
    t_last.Icon = LoadIconImages(*t_last.Source, *t_last.Container,
                                 t_last.Container->GroupImages(*t_last.Source, index), ratio);
    t_last.IconIndex = index;
    t_last.IconRatio = ratio;
  }
  if (!t_last.Icon) {
    return TExtractIconResult(0);
  }
  return TExtractIconResult(NextHandleValue(), HICON(*t_last.Icon));
}

void SetIconDevicePixelRatio(double ratio) {
  if (!(ratio >= kMinRatio)) {  // also catches NaN
    ratio = kMinRatio;
  }
  g_devicePixelRatio.store(std::min(ratio, kMaxRatio), std::memory_order_relaxed);
}

double IconDevicePixelRatio() noexcept {
  return g_devicePixelRatio.load(std::memory_order_relaxed);
}

std::uint64_t IconBytesRead() noexcept {
  return FileSourceBytesRead();
}
