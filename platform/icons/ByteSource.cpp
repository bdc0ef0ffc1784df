#include "platform/icons/ByteSource.h"

#include <cstring>

bool TByteSource::ReadVector(std::uint64_t offset, std::size_t size,
                             std::vector<std::uint8_t>& out) {
  // Checked before the allocation, so a size taken from a file never outgrows the file.
  if (!Contains(offset, size)) {
    return false;
  }
  out.resize(size);
  return Read(offset, out);
}

bool TMemorySource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!Contains(offset, out.size())) {
    return false;
  }
  if (!out.empty()) {
    std::memcpy(out.data(), bytes_.data() + offset, out.size());
  }
  return true;
}
