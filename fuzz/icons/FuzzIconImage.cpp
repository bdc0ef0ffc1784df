#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/icons/IconImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)DecodeIconImage(std::span(data, size));
  return 0;
}
