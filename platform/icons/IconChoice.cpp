#include "platform/icons/IconChoice.h"

#include <algorithm>
#include <numeric>
#include <tuple>

std::vector<std::size_t> RankImages(const std::vector<TIconImageRef>& images, int target) {
  std::vector<std::size_t> order(images.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // Sort key: exact first, then larger ones, then smaller ones; then by distance from the target;
  // then deeper colour; then the directory's own order.
  const auto key = [&](std::size_t i) {
    const TIconImageRef& image = images[i];
    const int size = std::max(image.Width, image.Height);
    const int band = size == target ? 0 : (size > target ? 1 : 2);
    const int distance = size > target ? size - target : target - size;
    return std::make_tuple(band, distance, -image.BitCount, i);
  };
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
  return order;
}
