#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

// Attribute bits of a found entry. On POSIX: directory when it is one (symbolic links followed),
// hidden when the name begins with ".", system for devices, FIFOs and sockets, read-only when the
// process may not write it, archive for regular files; never a volume label.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

// What the file system said of one entry, as taken: the status of the link's target, or of the
// link itself when the target cannot be reached (a dangling link).
struct TFindData {
  struct stat Stat {};
  bool DanglingLink = false;
};

class TFindState;
struct TSearchRec;

// The handle of an open enumeration, owned by the record that find-first filled. A copy of a record
// is a snapshot of the entry and never owns or drives the enumeration, so a copied handle is empty.
class TFindHandle {
 public:
  TFindHandle() noexcept;
  ~TFindHandle();
  TFindHandle(const TFindHandle&) noexcept;
  TFindHandle& operator=(const TFindHandle&) noexcept;
  TFindHandle(TFindHandle&&) noexcept;
  TFindHandle& operator=(TFindHandle&&) noexcept;

  [[nodiscard]] explicit operator bool() const noexcept { return state_ != nullptr; }

 private:
  friend int FindFirst(const std::string&, int, TSearchRec&);
  friend int FindNext(TSearchRec&);
  friend void FindClose(TSearchRec&);
  std::unique_ptr<TFindState> state_;
};

// One found entry.
struct TSearchRec {
  // Last-write time in local time, packed: date in the high 16 bits (years since 1980 << 9,
  // month << 5, day), time of day in the low 16 bits (hours << 11, minutes << 5, seconds / 2).
  std::int32_t Time = 0;
  std::int32_t Size = 0;  // low 32 bits of the size in bytes
  int Attr = 0;
  std::string Name;     // the entry's own name, without directory
  int ExcludeAttr = 0;  // the hidden, system and directory bits the filter lacks
  TFindHandle FindHandle;
  TFindData FindData;
};

// Opens an enumeration of the entries of a directory whose names match a pattern, in byte order
// of their names. Path is the directory followed by the pattern ("dir/*.*"); a path without "/"
// names the current directory. In the pattern "*" stands for any run of bytes and "?" for one byte;
// "*.*" matches every name. An entry carrying hidden, system, volume label or directory that Attr
// lacks is left out. Returns 0 and fills F with the first entry; otherwise returns an errno value
// (ENOENT when no entry passes) and nothing is left open.
[[nodiscard]] int FindFirst(const std::string& Path, int Attr, TSearchRec& F);
// Fills F with the next entry and returns 0, or returns ENOENT at the end.
[[nodiscard]] int FindNext(TSearchRec& F);
// Releases the enumeration that F holds; harmless when it holds none.
void FindClose(TSearchRec& F);

// An enumeration that is closed when the object goes, also when an exception passes.
class TFindEnumeration {
 public:
  TFindEnumeration(const std::string& Path, int Attr) : found_(FindFirst(Path, Attr, rec_) == 0) {}
  ~TFindEnumeration() { FindClose(rec_); }
  TFindEnumeration(const TFindEnumeration&) = delete;  // we own the open enumeration
  TFindEnumeration& operator=(const TFindEnumeration&) = delete;

  // True while Rec() holds an entry.
  [[nodiscard]] bool Found() const noexcept { return found_; }
  [[nodiscard]] const TSearchRec& Rec() const noexcept { return rec_; }
  // Moves to the next entry; false at the end.
  bool Next() { return found_ = found_ && FindNext(rec_) == 0; }

 private:
  TSearchRec rec_;
  bool found_;
};

// How many enumerations are open in the process right now.
[[nodiscard]] int OpenFindEnumerations() noexcept;
