#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconContainer.h"
#include "platform/icons/IconLoader.h"

// Drives one reader the way the extraction does: open, count, then locate and decode the first
// few icons at two device pixel ratios. The fuzz targets differ only in the reader they open.
using TOpenContainer = std::unique_ptr<TIconContainer> (*)(TByteSource&);

inline void ExerciseIconReader(TOpenContainer open, const std::uint8_t* data, std::size_t size) {
  // Enough icons to reach past the first group, few enough to keep each input fast.
  constexpr std::uint32_t kIconsTried = 4;
  TMemorySource source(std::span(data, size));
  const std::unique_ptr<TIconContainer> container = open(source);
  if (!container) {
    return;
  }
  const std::uint32_t count = container->GroupCount();
  for (std::uint32_t i = 0; i < count && i < kIconsTried; ++i) {
    const std::vector<TIconImageRef> images = container->GroupImages(source, i);
    for (double ratio : {1.0, 2.0}) {
      (void)LoadIconImages(source, *container, images, ratio);
    }
  }
}
