#pragma once

#include "platform/IconHandle.h"

// An icon object: the owner of one icon handle. Assigning a new handle releases the old one; the
// handle goes with the object. Not copyable: a handle is released exactly once.
class TIcon {
 public:
  TIcon() = default;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  // Takes over `h`; the handle held before is released.
  void SetHandle(HICON h) noexcept { handle_ = std::move(h); }
  [[nodiscard]] const HICON& Handle() const noexcept { return handle_; }
  // True when the object holds the null handle (an icon that could not be had).
  [[nodiscard]] bool Empty() const noexcept { return !handle_; }

 private:
  HICON handle_;
};
