#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Positioned, bounds-checked reads from a file or a buffer. Readers never see more than they ask
// for, and every request is checked against the end of the source before it is served, so a
// hostile offset can neither wrap nor reach past the end.
class TByteSource {
 public:
  TByteSource() = default;
  virtual ~TByteSource() = default;
  TByteSource(const TByteSource&) = delete;  // sources hold a descriptor or a view
  TByteSource& operator=(const TByteSource&) = delete;

  [[nodiscard]] virtual std::uint64_t Size() const noexcept = 0;
  // Fills `out` with the bytes at `offset`; false when any of them lies past the end or the
  // source cannot deliver them (a file that shrank, an I/O error).
  [[nodiscard]] virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

  // True when [offset, offset + size) lies inside the source, without wrapping.
  [[nodiscard]] bool Contains(std::uint64_t offset, std::uint64_t size) const noexcept {
    return offset <= Size() && size <= Size() - offset;
  }
  // Reads `size` bytes into `out`, resizing it; false as for Read.
  [[nodiscard]] bool ReadVector(std::uint64_t offset, std::size_t size,
                                std::vector<std::uint8_t>& out);
};

// A source over bytes someone else owns; used for data nested in a file and by the fuzz targets.
class TMemorySource final : public TByteSource {
 public:
  explicit TMemorySource(std::span<const std::uint8_t> bytes) noexcept : bytes_(bytes) {}

  [[nodiscard]] std::uint64_t Size() const noexcept override { return bytes_.size(); }
  [[nodiscard]] bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// Little-endian fields of a buffer that the caller has already bounds-checked.
[[nodiscard]] inline std::uint16_t LoadU16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
[[nodiscard]] inline std::uint32_t LoadU32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
[[nodiscard]] inline std::int32_t LoadI32(const std::uint8_t* p) noexcept {
  return static_cast<std::int32_t>(LoadU32(p));
}
