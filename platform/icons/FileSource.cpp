#include "platform/icons/FileSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

std::atomic<std::uint64_t> g_bytesRead{0};

TFileIdentity IdentityOf(const struct stat& st) {
  TFileIdentity id;
  id.Device = st.st_dev;
  id.Inode = st.st_ino;
  id.Size = static_cast<std::uint64_t>(st.st_size);
  id.ModifiedSeconds = st.st_mtim.tv_sec;
  id.ModifiedNanoseconds = st.st_mtim.tv_nsec;
  return id;
}

}  // namespace

std::uint64_t FileSourceBytesRead() noexcept {
  return g_bytesRead.load(std::memory_order_relaxed);
}

bool TFileSource::Identify(const std::string& path, TFileIdentity& identity) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  identity = IdentityOf(st);
  return true;
}

std::unique_ptr<TFileSource> TFileSource::Open(const std::string& path) {
  TFileIdentity before;
  if (!Identify(path, before)) {
    return nullptr;
  }
  // O_NONBLOCK: should a FIFO be swapped in after the check above, opening it must not wait.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<TFileSource>(new TFileSource(fd, IdentityOf(st)));
}

TFileSource::TFileSource(int fd, const TFileIdentity& identity)
    : fd_(fd), identity_(identity), blocks_(std::make_unique<std::array<TBlock, kBlockCount>>()) {}

TFileSource::~TFileSource() {
  ::close(fd_);
}

bool TFileSource::ReadDirect(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    if (at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
      return false;
    }
    const ssize_t got = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;  // an error, or the file shrank under us
    }
    done += static_cast<std::size_t>(got);
    g_bytesRead.fetch_add(static_cast<std::uint64_t>(got), std::memory_order_relaxed);
  }
  return true;
}

const TFileSource::TBlock* TFileSource::BlockAt(std::uint64_t index) {
  // Consecutive small reads mostly fall in the block just used.
  if (last_ != nullptr && last_->Valid && last_->Index == index) {
    return last_;
  }
  ++useClock_;
  TBlock* victim = &(*blocks_)[0];
  for (TBlock& block : *blocks_) {
    if (block.Valid && block.Index == index) {
      block.LastUse = useClock_;
      last_ = &block;
      return &block;
    }
    if (!block.Valid || block.LastUse < victim->LastUse) {
      victim = &block;
    }
  }
  const std::uint64_t start = index * kBlockSize;
  const std::size_t length =
      static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, Size() - start));
  victim->Valid = false;
  if (!ReadDirect(start, std::span(victim->Bytes.data(), length))) {
    return nullptr;
  }
  victim->Index = index;
  victim->Length = length;
  victim->LastUse = useClock_;
  victim->Valid = true;
  last_ = victim;
  return victim;
}

bool TFileSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!Contains(offset, out.size())) {
    return false;
  }
  if (out.size() >= kDirectReadSize) {
    return ReadDirect(offset, out);
  }
  std::size_t done = 0;
  while (done < out.size()) {
    const std::uint64_t at = offset + done;
    const TBlock* block = BlockAt(at / kBlockSize);
    const std::size_t inBlock = static_cast<std::size_t>(at % kBlockSize);
    if (block == nullptr || inBlock >= block->Length) {
      return false;
    }
    const std::size_t n = std::min(out.size() - done, block->Length - inBlock);
    std::memcpy(out.data() + done, block->Bytes.data() + inBlock, n);
    done += n;
  }
  return true;
}
