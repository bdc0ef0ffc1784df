#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/icons/IconContainer.h"

class TByteSource;

// Reads the group resource (the directory of one icon inside an executable) at `group`: its
// images, by id, up to kMaxImagesPerGroup of them.
[[nodiscard]] std::vector<TIconImageRef> ReadIconGroup(TByteSource& source, TResourceSpan group);

// Reads an icon or cursor file's directory lying at [base, base + length) of the source: null
// when the bytes there do not start like one. Entries whose image lies outside the window are
// left out; an image running past its end is cut short there.
[[nodiscard]] std::optional<std::vector<TIconImageRef>> ReadIcoDirectory(TByteSource& source,
                                                                         std::uint64_t base,
                                                                         std::uint64_t length);

// A container of exactly one icon whose images were located up front (icon, cursor and animated
// cursor files); it holds none when no image could be located.
[[nodiscard]] std::unique_ptr<TIconContainer> MakeSingleIconContainer(
    std::vector<TIconImageRef> images);
// A file of an icon-holding kind that holds none.
[[nodiscard]] std::unique_ptr<TIconContainer> MakeEmptyContainer();
