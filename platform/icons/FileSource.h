#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/icons/ByteSource.h"

// The identity of a file as the file system reports it; a change in any field means the file is
// no longer the one that was parsed.
struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  std::uint64_t Size = 0;
  std::int64_t ModifiedSeconds = 0;
  std::int64_t ModifiedNanoseconds = 0;

  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

// A regular file read with positioned reads, never mapped: a file that shrinks while it is read
// gives failed reads, not a signal. Small reads (directory entries, headers) go through a few
// cached blocks so that walking a resource tree costs a handful of system calls.
class TFileSource final : public TByteSource {
 public:
  // Opens `path` when it names a regular file; null otherwise (missing, unreadable, a FIFO or a
  // device, which must never be opened for reading because that may block).
  [[nodiscard]] static std::unique_ptr<TFileSource> Open(const std::string& path);
  // The identity of the regular file at `path`, or false when there is none.
  [[nodiscard]] static bool Identify(const std::string& path, TFileIdentity& identity);

  ~TFileSource() override;
  TFileSource(const TFileSource&) = delete;  // we own the descriptor
  TFileSource& operator=(const TFileSource&) = delete;

  [[nodiscard]] std::uint64_t Size() const noexcept override { return identity_.Size; }
  [[nodiscard]] bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;
  [[nodiscard]] const TFileIdentity& Identity() const noexcept { return identity_; }

 private:
  // Small blocks: a resource tree's entries lie close together, and every byte beyond them that
  // a block drags in is read for nothing.
  static constexpr std::size_t kBlockSize = 1024;
  static constexpr std::size_t kBlockCount = 16;
  // Reads below this size are served from the blocks; larger ones go straight to the file.
  static constexpr std::size_t kDirectReadSize = 512;

  struct TBlock {
    std::uint64_t Index = 0;
    std::size_t Length = 0;  // short for the file's last block
    std::uint64_t LastUse = 0;
    bool Valid = false;
    std::array<std::uint8_t, kBlockSize> Bytes{};
  };

  TFileSource(int fd, const TFileIdentity& identity);
  [[nodiscard]] bool ReadDirect(std::uint64_t offset, std::span<std::uint8_t> out);
  [[nodiscard]] const TBlock* BlockAt(std::uint64_t index);

  int fd_;
  TFileIdentity identity_;
  std::uint64_t useClock_ = 0;
  TBlock* last_ = nullptr;
  std::unique_ptr<std::array<TBlock, kBlockCount>> blocks_;
};

// Bytes that all file sources of the process have read from their files so far.
[[nodiscard]] std::uint64_t FileSourceBytesRead() noexcept;
