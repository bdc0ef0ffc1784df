#include "platform/FindFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

std::atomic<int> g_openEnumerations{0};

struct DirCloser {
  void operator()(DIR* dir) const noexcept { closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// "*" any run of bytes, "?" one byte, everything else itself; "*.*" every name.
bool MatchesPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") {
    return true;
  }
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++, starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1, n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

// The packed local date and time; dates outside 1980-2107, which the packing cannot hold, are
// clamped to its first or last moment.
std::int32_t PackedLocalTime(std::time_t time) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr || local.tm_year < 80) {
    return (1 << 5 | 1) << 16;
  }
  if (local.tm_year > 207) {
    return static_cast<std::int32_t>((127u << 9 | 12u << 5 | 31u) << 16 |
                                     (23u << 11 | 59u << 5 | 29u));
  }
  const auto date = static_cast<std::uint32_t>((local.tm_year - 80) << 9 | (local.tm_mon + 1) << 5 |
                                               local.tm_mday);
  const auto clock = static_cast<std::uint32_t>(local.tm_hour << 11 | local.tm_min << 5 |
                                                std::min(local.tm_sec, 59) / 2);
  return static_cast<std::int32_t>(date << 16 | clock);
}

}  // namespace

// One open enumeration: the directory stays open so that every entry is inspected relative to it,
// and the names are read up front so that they come out in byte order.
class TFindState {
 public:
  TFindState(DirPtr dir, std::vector<std::string> names, std::string pattern, int excludeAttr)
      : dir_(std::move(dir)),
        names_(std::move(names)),
        pattern_(std::move(pattern)),
        excludeAttr_(excludeAttr),
        user_(geteuid()),
        group_(getegid()) {
    struct statvfs volume {};
    readOnlyVolume_ = fstatvfs(dirfd(dir_.get()), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0;
    const int groups = getgroups(0, nullptr);
    if (groups > 0) {
      groups_.resize(static_cast<std::size_t>(groups));
      groups_.resize(static_cast<std::size_t>(std::max(0, getgroups(groups, groups_.data()))));
    }
    g_openEnumerations.fetch_add(1, std::memory_order_relaxed);
  }
  ~TFindState() { g_openEnumerations.fetch_sub(1, std::memory_order_relaxed); }
  TFindState(const TFindState&) = delete;  // we own the open directory
  TFindState& operator=(const TFindState&) = delete;

  // Fills F with the next entry that passes the pattern and the filter; false at the end. An entry
  // that vanished since the names were read is passed over.
  bool Next(TSearchRec& F) {
    while (next_ < names_.size()) {
      std::string& name = names_[next_++];
      if (!MatchesPattern(pattern_, name)) {
        continue;
      }
      TFindData data;
      if (fstatat(dirfd(dir_.get()), name.c_str(), &data.Stat, 0) != 0) {
        if (fstatat(dirfd(dir_.get()), name.c_str(), &data.Stat, AT_SYMLINK_NOFOLLOW) != 0) {
          continue;
        }
        data.DanglingLink = S_ISLNK(data.Stat.st_mode);
      }
      const int attr = AttributesOf(name, data.Stat);
      if ((attr & excludeAttr_) != 0) {
        continue;
      }
      F.Time = PackedLocalTime(data.Stat.st_mtim.tv_sec);
      F.Size = static_cast<std::int32_t>(static_cast<std::uint32_t>(data.Stat.st_size));
      F.Attr = attr;
      F.Name = std::move(name);
      F.ExcludeAttr = excludeAttr_;
      F.FindData = data;
      return true;
    }
    return false;
  }

 private:
  int AttributesOf(const std::string& name, const struct stat& st) const {
    int attr = 0;
    if (S_ISDIR(st.st_mode)) {
      attr |= faDirectory;
    } else if (S_ISREG(st.st_mode)) {
      attr |= faArchive;
    } else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode) ||
               S_ISSOCK(st.st_mode)) {
      attr |= faSysFile;
    }
    if (name.front() == '.') {
      attr |= faHidden;
    }
    if (!Writable(st)) {
      attr |= faReadOnly;
    }
    return attr;
  }

  // Decided from the mode bits and the process's identity, taken once per enumeration, rather than
  // asked of the kernel per entry, which would cost one more call for every file.
  bool Writable(const struct stat& st) const {
    if (readOnlyVolume_) {
      return false;
    }
    if (user_ == 0) {
      return true;
    }
    if (st.st_uid == user_) {
      return (st.st_mode & S_IWUSR) != 0;
    }
    if (st.st_gid == group_ ||
        std::find(groups_.begin(), groups_.end(), st.st_gid) != groups_.end()) {
      return (st.st_mode & S_IWGRP) != 0;
    }
    return (st.st_mode & S_IWOTH) != 0;
  }

  DirPtr dir_;
  std::vector<std::string> names_;
  std::size_t next_ = 0;
  std::string pattern_;
  int excludeAttr_;
  uid_t user_;
  gid_t group_;
  bool readOnlyVolume_ = false;
  std::vector<gid_t> groups_;
};

TFindHandle::TFindHandle() noexcept = default;
TFindHandle::~TFindHandle() = default;
TFindHandle::TFindHandle(const TFindHandle& /*other*/) noexcept {}
TFindHandle& TFindHandle::operator=(const TFindHandle& other) noexcept {
  if (this != &other) {
    state_.reset();
  }
  return *this;
}
TFindHandle::TFindHandle(TFindHandle&&) noexcept = default;
TFindHandle& TFindHandle::operator=(TFindHandle&&) noexcept = default;

int FindFirst(const std::string& Path, int Attr, TSearchRec& F) {
  FindClose(F);
  const auto slash = Path.rfind('/');
  const std::string directory = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                                           : Path.substr(0, slash);
  std::string pattern = slash == std::string::npos ? Path : Path.substr(slash + 1);
  if (pattern.empty()) {
    return ENOENT;
  }
  DirPtr dir(opendir(directory.c_str()));
  if (!dir) {
    return errno;
  }
  std::vector<std::string> names;
  for (;;) {
    errno = 0;  // readdir tells the end from a failure only through errno
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      break;
    }
    names.emplace_back(entry->d_name);
  }
  if (errno != 0) {
    return errno;
  }
  std::sort(names.begin(), names.end());
  const int excludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  auto state = std::make_unique<TFindState>(std::move(dir), std::move(names), std::move(pattern),
                                            excludeAttr);
  if (!state->Next(F)) {
    return ENOENT;
  }
  F.FindHandle.state_ = std::move(state);
  return 0;
}

int FindNext(TSearchRec& F) {
  if (!F.FindHandle) {
    return EBADF;
  }
  return F.FindHandle.state_->Next(F) ? 0 : ENOENT;
}

void FindClose(TSearchRec& F) {
  F.FindHandle.state_.reset();
}

int OpenFindEnumerations() noexcept {
  return g_openEnumerations.load(std::memory_order_relaxed);
}
