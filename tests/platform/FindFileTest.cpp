#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempTree.h"
#include "Unprivileged.h"
#include "platform/FindFile.h"

namespace {

struct Entry {
  std::string name;
  int attr;
  bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* os) {
  *os << "{" << e.name << ", " << e.attr << "}";
}

std::vector<Entry> List(const std::string& pattern, int attr) {
  std::vector<Entry> entries;
  TSearchRec rec;
  for (int rc = FindFirst(pattern, attr, rec); rc == 0; rc = FindNext(rec)) {
    entries.push_back({rec.Name, rec.Attr});
  }
  FindClose(rec);
  return entries;
}

// Seconds since the epoch of a local date and time.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

void SetModified(const std::string& path, std::time_t when) {
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FindFileTest : public testing::Test {
 protected:
  void SetUp() override {
    tree.File("b.txt", "12345");
    tree.File(".profile");
    tree.Dir("sub");
    tree.Dir(".cache");
    tree.Fifo("pipe");
    tree.Symlink("sub", "link");
    tree.Symlink("missing", "dangling");
  }
  TempTree tree;
};

TEST_F(FindFileTest, EntriesInNameOrderWithTheirAttributes) {
  const std::vector<Entry> expected = {{".", faDirectory | faHidden},
                                       {"..", faDirectory | faHidden},
                                       {".cache", faDirectory | faHidden},
                                       {".profile", faArchive | faHidden},
                                       {"b.txt", faArchive},
                                       {"dangling", 0},
                                       {"link", faDirectory},
                                       {"pipe", faSysFile},
                                       {"sub", faDirectory}};
  EXPECT_EQ(List(tree.PathOf("*.*"), 0x37), expected);
}

TEST_F(FindFileTest, FilterLeavesOutWhatItLacks) {
  const std::vector<Entry> files = {{".profile", faArchive | faHidden},
                                    {"b.txt", faArchive},
                                    {"dangling", 0},
                                    {"pipe", faSysFile}};
  EXPECT_EQ(List(tree.PathOf("*.*"), 0x27), files);
  const std::vector<Entry> plain = {{"b.txt", faArchive}, {"dangling", 0}};
  EXPECT_EQ(List(tree.PathOf("*"), faReadOnly | faArchive), plain);
}

TEST_F(FindFileTest, PatternSelectsNames) {
  tree.File("a1c");
  tree.File("abbc.txt");
  EXPECT_EQ(List(tree.PathOf("a?c"), 0x27), (std::vector<Entry>{{"a1c", faArchive}}));
  EXPECT_EQ(List(tree.PathOf("*b*.txt"), 0x27),
            (std::vector<Entry>{{"abbc.txt", faArchive}, {"b.txt", faArchive}}));
}

TEST_F(FindFileTest, NothingFoundLeavesNothingOpen) {
  const int open = OpenFindEnumerations();
  TSearchRec rec;
  EXPECT_EQ(FindFirst(tree.PathOf("*.none"), 0x37, rec), ENOENT);
  EXPECT_EQ(FindFirst(tree.PathOf("missing/*.*"), 0x37, rec), ENOENT);
  EXPECT_EQ(FindFirst(tree.PathOf("b.txt/*.*"), 0x37, rec), ENOTDIR);
  EXPECT_EQ(FindFirst(tree.PathOf("sub/"), 0x37, rec), ENOENT);
  EXPECT_FALSE(rec.FindHandle);
  EXPECT_EQ(OpenFindEnumerations(), open);
  EXPECT_EQ(FindNext(rec), EBADF);
}

TEST_F(FindFileTest, RecordKeepsSizeTimeAndRawData) {
  const std::string big = tree.File("big.bin");
  ASSERT_EQ(truncate(big.c_str(), (std::int64_t{1} << 32) + 5), 0);  // sparse, nothing written
  SetModified(big, LocalTime(2020, 5, 17, 13, 45, 31));
  const std::string old = tree.File("old.bin");
  SetModified(old, LocalTime(1975, 1, 1, 12, 0, 0));

  TSearchRec rec;
  ASSERT_EQ(FindFirst(tree.PathOf("*.bin"), 0x27, rec), 0);
  EXPECT_EQ(rec.Name, "big.bin");
  EXPECT_EQ(rec.Size, 5);
  EXPECT_EQ(rec.FindData.Stat.st_size, (std::int64_t{1} << 32) + 5);
  EXPECT_EQ(rec.Time, (40 << 9 | 5 << 5 | 17) << 16 | (13 << 11 | 45 << 5 | 15));
  ASSERT_EQ(FindNext(rec), 0);
  EXPECT_EQ(rec.Name, "old.bin");
  EXPECT_EQ(rec.Time, (1 << 5 | 1) << 16);  // before 1980: the first moment the packing holds
  EXPECT_EQ(FindNext(rec), ENOENT);
  FindClose(rec);

  ASSERT_EQ(FindFirst(tree.PathOf("dangling"), 0x27, rec), 0);
  EXPECT_TRUE(rec.FindData.DanglingLink);
  EXPECT_TRUE(S_ISLNK(rec.FindData.Stat.st_mode));
  FindClose(rec);
}

TEST_F(FindFileTest, NamesAreTakenAsBytes) {
  const std::vector<std::string> names = {std::string(255, 'n'), "line\nbreak", "\xFF\xFE.bin",
                                          "\x83\x41.exe"};
  for (const std::string& name : names) {
    tree.File("odd/" + name);
  }
  std::vector<Entry> expected;
  for (const std::string& name : {names[1], names[0], names[3], names[2]}) {
    expected.push_back({name, faArchive});
  }
  EXPECT_EQ(List(tree.PathOf("odd/*.*"), 0x27), expected);
}

// Names are read when the enumeration opens and inspected one by one as it moves on.
TEST_F(FindFileTest, EntryThatVanishedMeanwhileIsPassedOver) {
  tree.File("gone/a.txt");
  const std::string doomed = tree.File("gone/b.txt");
  tree.File("gone/c.txt");
  TSearchRec rec;
  ASSERT_EQ(FindFirst(tree.PathOf("gone/*.txt"), 0x27, rec), 0);
  EXPECT_EQ(rec.Name, "a.txt");
  ASSERT_EQ(unlink(doomed.c_str()), 0);
  ASSERT_EQ(FindNext(rec), 0);
  EXPECT_EQ(rec.Name, "c.txt");
  EXPECT_EQ(FindNext(rec), ENOENT);
  FindClose(rec);
}

TEST_F(FindFileTest, CopiesNeverOwnTheEnumeration) {
  const int open = OpenFindEnumerations();
  TSearchRec rec;
  ASSERT_EQ(FindFirst(tree.PathOf("*.*"), 0x37, rec), 0);
  EXPECT_EQ(OpenFindEnumerations(), open + 1);
  TSearchRec copy = rec;
  EXPECT_FALSE(copy.FindHandle);
  EXPECT_EQ(copy.Name, rec.Name);
  EXPECT_EQ(FindNext(copy), EBADF);
  copy = rec;
  EXPECT_TRUE(rec.FindHandle);
  FindClose(rec);
  EXPECT_EQ(OpenFindEnumerations(), open);
}

TEST_F(FindFileTest, EnumerationClosesOnEveryWayOut) {
  const int open = OpenFindEnumerations();
  std::vector<std::string> seen;
  try {
    TFindEnumeration find(tree.PathOf("*.*"), 0x27);
    for (bool more = find.Found(); more; more = find.Next()) {
      EXPECT_EQ(OpenFindEnumerations(), open + 1);
      seen.push_back(find.Rec().Name);
      if (find.Rec().Name == "b.txt") {
        throw std::runtime_error("stop");
      }
    }
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(seen, (std::vector<std::string>{".profile", "b.txt"}));
  EXPECT_EQ(OpenFindEnumerations(), open);
  {
    TFindEnumeration find(tree.PathOf("missing/*.*"), 0x27);
    EXPECT_FALSE(find.Found());
    EXPECT_FALSE(find.Next());
    EXPECT_EQ(OpenFindEnumerations(), open);
  }
}

// Run as an ordinary user: a folder without read permission cannot be listed, and a file that
// may not be written is read-only.
TEST_F(FindFileTest, PermissionsOfAnOrdinaryUser) {
  ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
  const std::string locked = tree.Dir("locked");
  tree.File("locked/inside.txt");
  ASSERT_EQ(chmod(locked.c_str(), 0311), 0);
  ASSERT_EQ(chmod(tree.PathOf("b.txt").c_str(), 0444), 0);
  const std::string mine = tree.File("mine.txt");
  ASSERT_EQ(chmod(mine.c_str(), 0666), 0);

  const std::string seen = RunUnprivileged([&] {
    TSearchRec rec;
    std::string out = std::to_string(FindFirst(locked + "/*.*", 0x37, rec)) + ";";
    for (const Entry& e : List(tree.PathOf("*.txt"), 0x27)) {
      out += e.name + "=" + std::to_string(e.attr) + ";";
    }
    return out + std::to_string(OpenFindEnumerations());
  });
  EXPECT_EQ(seen, std::to_string(EACCES) + ";b.txt=" + std::to_string(faArchive | faReadOnly) +
                      ";mine.txt=" + std::to_string(faArchive) + ";0");
}

}  // namespace
