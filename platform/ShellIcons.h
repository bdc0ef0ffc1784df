#pragma once

#include <cstdint>
#include <string>

#include "platform/IconHandle.h"

// What the icon extraction returns: a number, or a handle together with a number greater than 1
// that stands for it.
class TExtractIconResult {
 public:
  TExtractIconResult() noexcept = default;
  explicit TExtractIconResult(std::int32_t value) noexcept : value_(value) {}
  TExtractIconResult(std::int32_t value, HICON icon) noexcept
      : value_(value), icon_(std::move(icon)) {}

  // 0 or 1 (see ExtractIconA), a count, or a value greater than 1 when a handle came with it.
  [[nodiscard]] std::int32_t Value() const noexcept { return value_; }
  // The handle, handed over to the caller (null for number results and after the first call).
  [[nodiscard]] HICON TakeIcon() noexcept { return std::move(icon_); }

 private:
  std::int32_t value_ = 0;
  HICON icon_;
};

// The icon count query's index.
inline constexpr std::uint32_t kIconCountIndex = 0xFFFFFFFFU;

// The icons of a file, recognised by content: PE32 and PE32+ programs and libraries, 16-bit NE
// programs and icon libraries (icon groups, in the resource directory's order), icon and cursor
// files and animated cursors (one icon each).
//   index 0xFFFFFFFF: the number of icons (0 for a file of any other kind);
//   index i below that: a handle of icon i, Value() > 1; else Value() is 1 when the file is not
//     of a kind that holds icons (missing, unreadable and special files included) and 0 when
//     it is, but icon i cannot be had (so index 0 tells "holds none").
// Runs on any thread. Each thread keeps the last file it read parsed, checked against the file's
// device, inode, size and modification time, so that the probe, the count and the extraction of
// every index of one file parse it once. Only headers, directories and the chosen images are
// read, with positioned reads.
[[nodiscard]] TExtractIconResult ExtractIconA(const std::string& fileName, std::uint32_t index);

// The explicit release of a handle is DestroyIcon, declared with HICON.

// The device pixel ratio that icons made from now on are decoded for (1 when never set). Set by
// the program from its screen; clamped to [1, 4].
void SetIconDevicePixelRatio(double ratio);
[[nodiscard]] double IconDevicePixelRatio() noexcept;

// Bytes the icon extraction has read from files so far, for measurements.
[[nodiscard]] std::uint64_t IconBytesRead() noexcept;
