#pragma once

#include <cstddef>
#include <vector>

#include "platform/icons/IconContainer.h"

// The images of a group in the order they should be tried for a list of `target` device pixels:
// the exact size at the best colour depth first, then the larger sizes from the nearest up (to be
// scaled down), and only then the smaller ones from the largest down (to be scaled up). Within
// one size, deeper colour comes first. Returns indices into `images`.
[[nodiscard]] std::vector<std::size_t> RankImages(const std::vector<TIconImageRef>& images,
                                                  int target);
