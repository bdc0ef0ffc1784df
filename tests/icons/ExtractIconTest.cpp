#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "IconFixtures.h"
#include "TempTree.h"
#include "platform/ShellIcons.h"

using namespace IconFixtures;

namespace {

constexpr std::int32_t kNotIconKind = 1;

QRgb CentreOf(const HICON& icon, int size) {
  const QImage image = icon.ImageFor(size);
  return image.pixel(image.width() / 2, image.height() / 2);
}

constexpr std::int32_t kHandle = -1;  // a row expecting a handle

struct TKindCase {
  const char* Name;
  std::function<std::string()> Build;
  std::int32_t Probe;  // kHandle, 0 (holds none) or 1 (not of a kind that holds icons)
  std::int32_t Count;
};

}  // namespace

// Probe, count and every extraction for each kind of file, as the harvest makes them.
TEST(ExtractIcon, ResultsPerKindOfFile) {
  const std::vector<TKindCase> cases = {
      {"icon.ico",
       [] {
         return IcoFile({{16, 16}, {32, 32}});
       },
       kHandle, 1},
      {"arrow.cur",
       [] {
         return IcoFile({{32, 32, 1}}, true);
       },
       kHandle, 1},
      {"busy.ani",
       [] {
         return AniFile({IcoFile({{32, 32}}), IcoFile({{32, 32, 8}})});
       },
       kHandle, 1},
      {"shell.dll",
       [] {
         return PeLibrary({Group({16, 32}), Group({32}), Group({48})});
       },
       kHandle, 3},
      {"shell64.dll",
       [] {
         return PeLibrary({Group({32}), Group({16})}, {.Pe32Plus = true});
       },
       kHandle, 2},
      {"imageres.dll.mun", [] { return PeLibrary({Group({256})}, {.Pe32Plus = true}); }, kHandle,
       1},
      {"moricons.icl",
       [] {
         return NeLibrary({Group({32}), Group({16, 32})});
       },
       kHandle, 2},
      {"\xE3\x82\xA2\xE3\x82\xA4\xE3\x82\xB3\xE3\x83\xB3.ico",
       [] {
         return IcoFile({{48, 48}});
       },
       kHandle, 1},
      {"noicons.exe", [] { return PeLibrary({}, {.NoResources = true}); }, 0, 0},
      {"nogroups.dll", [] { return PeLibrary({}); }, 0, 0},
      {"dos.com", [] { return std::string("MZ") + std::string(62, '\0'); }, 0, 0},
      {"empty.ico", [] { return IcoFile({}); }, 0, 0},
      {"readme.txt", [] { return std::string("not an icon\n"); }, kNotIconKind, 0},
      {"zero.dat", [] { return std::string(); }, kNotIconKind, 0},
  };
  TempTree tree;
  for (const TKindCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = tree.File(c.Name, c.Build());
    TExtractIconResult probe = ExtractIconA(path, 0);
    if (c.Probe == kHandle) {
      EXPECT_GT(probe.Value(), 1);
      EXPECT_TRUE(probe.TakeIcon());
    } else {
      EXPECT_EQ(probe.Value(), c.Probe);
      EXPECT_FALSE(probe.TakeIcon());
    }
    EXPECT_EQ(ExtractIconA(path, kIconCountIndex).Value(), c.Count);
    for (std::int32_t i = 0; i < c.Count; ++i) {
      TExtractIconResult result = ExtractIconA(path, static_cast<std::uint32_t>(i));
      const HICON icon = result.TakeIcon();
      ASSERT_TRUE(icon) << "index " << i;
      EXPECT_GT(result.Value(), 1);
      EXPECT_EQ(icon.ImageFor(32).size(), QSize(32, 32));
      EXPECT_EQ(icon.ImageFor(16).size(), QSize(16, 16));
    }
    // Past the last icon: nothing to be had, told as the probe tells a file's kind.
    EXPECT_EQ(ExtractIconA(path, static_cast<std::uint32_t>(c.Count)).Value(),
              c.Probe == kNotIconKind ? kNotIconKind : 0);
  }
}

TEST(ExtractIcon, WhatIsNotARegularFileHoldsNoIcons) {
  TempTree tree;
  for (const std::string& path :
       {tree.PathOf("missing.ico"), tree.Dir("folder.dll"), tree.Fifo("pipe.ico")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ExtractIconA(path, 0).Value(), kNotIconKind);
    EXPECT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 0);
  }
}

// Named groups come first, then numbered ones by ascending id, whatever order they were made in.
TEST(ExtractIcon, LibraryGroupsFollowTheResourceDirectoryOrder) {
  const QRgb a = qRgb(200, 0, 0);
  const QRgb b = qRgb(0, 200, 0);
  const QRgb c = qRgb(0, 0, 200);
  const QRgb d = qRgb(200, 200, 0);
  TGroup nine = Group({32}, a);
  nine.Id = 9;
  TGroup zeta = Group({32}, b);
  zeta.Name = "ZETA";
  TGroup two = Group({32}, c);
  two.Id = 2;
  TGroup alpha = Group({32}, d);
  alpha.Name = "ALPHA";
  TempTree tree;
  const std::string path = tree.File("order.dll", PeLibrary({nine, zeta, two, alpha}));
  const std::vector<QRgb> expected = {d, b, c, a};
  ASSERT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 4);
  for (std::uint32_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(CentreOf(ExtractIconA(path, i).TakeIcon(), 32), expected[i]) << "index " << i;
  }
  // NE tables have no such order: their own order counts.
  const std::string ne = tree.File("order.icl", NeLibrary({nine, zeta, two}));
  EXPECT_EQ(CentreOf(ExtractIconA(ne, 0).TakeIcon(), 32), a);
  EXPECT_EQ(CentreOf(ExtractIconA(ne, 1).TakeIcon(), 32), b);
  EXPECT_EQ(CentreOf(ExtractIconA(ne, 2).TakeIcon(), 32), c);
}

TEST(ExtractIcon, HandlesAreOwnedAndReleasedOnce) {
  TempTree tree;
  const std::string path = tree.File("one.ico", IcoFile({{32, 32}}));
  TExtractIconResult result = ExtractIconA(path, 0);
  HICON icon = result.TakeIcon();
  ASSERT_TRUE(icon);
  EXPECT_FALSE(result.TakeIcon()) << "a handle is handed over once";
  DestroyIcon(icon);
  EXPECT_FALSE(icon);
  EXPECT_TRUE(icon.ImageFor(32).isNull());
  EXPECT_FALSE(icon.SourceSize(32).isValid());
}

// The harvest's probe, count and extraction of index 0 read the file once.
TEST(ExtractIcon, RepeatedCallsOnOneFileReadItOnce) {
  TempTree tree;
  const std::string path = tree.File("many.dll", PeLibrary({Group({16, 32}), Group({32})}));
  ASSERT_GT(ExtractIconA(path, 0).Value(), 1);
  const std::uint64_t before = IconBytesRead();
  EXPECT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 2);
  EXPECT_TRUE(ExtractIconA(path, 0).TakeIcon());
  EXPECT_EQ(IconBytesRead(), before);
}

TEST(ExtractIcon, AFileChangedSinceTheLastCallIsReadAnew) {
  TempTree tree;
  const std::string path = tree.File("changing.dll", PeLibrary({Group({32}), Group({32})}));
  ASSERT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 2);
  tree.File("changing.dll", PeLibrary({Group({32}), Group({32}), Group({16})}));
  EXPECT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 3);
  // Cut short under the cached reader: the file is parsed again and holds nothing usable.
  ASSERT_EQ(::truncate(path.c_str(), 100), 0);
  EXPECT_EQ(ExtractIconA(path, 2).Value(), 0);
  EXPECT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 0);
}

TEST(ExtractIcon, ImagesFollowTheDevicePixelRatioAndStaySmall) {
  TempTree tree;
  const std::string path = tree.File("sizes.ico", IcoFile({{16, 16}, {32, 32}, {64, 64}}));
  {
    const HICON icon = ExtractIconA(path, 0).TakeIcon();
    ASSERT_TRUE(icon);
    const qsizetype held = icon.ImageFor(16).sizeInBytes() + icon.ImageFor(32).sizeInBytes();
    EXPECT_LE(held, 16 * 1024);
  }
  SetIconDevicePixelRatio(2.0);
  const HICON icon = ExtractIconA(path, 0).TakeIcon();
  SetIconDevicePixelRatio(1.0);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon.ImageFor(32).size(), QSize(64, 64));
  EXPECT_EQ(icon.ImageFor(32).devicePixelRatio(), 2.0);
  EXPECT_EQ(icon.SourceSize(32), QSize(64, 64));
  EXPECT_EQ(icon.ImageFor(16).size(), QSize(32, 32));
  EXPECT_EQ(icon.SourceSize(16), QSize(32, 32));
}

#ifdef QUORVEL_MINGW_LIBRARY
// A library linked by the MinGW-w64 tools from a resource script: a named group and two numbered.
TEST(ExtractIcon, ReadsALibraryBuiltByAResourceCompiler) {
  const std::string path = QUORVEL_MINGW_LIBRARY;
  ASSERT_EQ(ExtractIconA(path, kIconCountIndex).Value(), 3);
  const QRgb green = qRgb(0x20, 0xA0, 0x40);
  const QRgb red = qRgb(0xFF, 0, 0);
  const HICON app = ExtractIconA(path, 0).TakeIcon();
  const HICON two = ExtractIconA(path, 1).TakeIcon();
  const HICON seven = ExtractIconA(path, 2).TakeIcon();
  ASSERT_TRUE(app && two && seven);
  EXPECT_EQ(CentreOf(app, 16), green);
  EXPECT_EQ(app.SourceSize(16), QSize(16, 16));
  EXPECT_EQ(CentreOf(two, 32), green);
  EXPECT_EQ(CentreOf(seven, 16), red);
  EXPECT_EQ(seven.SourceSize(16), QSize(32, 32));
}
#endif

// A probe reads headers only, however large the file.
TEST(ExtractIcon, AProbeOfAHugeFileReadsAFewKilobytes) {
  constexpr off_t kHuge = 600LL << 20;
  TempTree tree;
  const std::string text = tree.File("huge.log", "just text\n");
  const std::string library = tree.File("huge.dll", PeLibrary({Group({16, 32})}));
  for (const std::string& path : {text, library}) {
    ASSERT_EQ(::truncate(path.c_str(), kHuge), 0);  // sparse: costs no disk
  }
  std::uint64_t before = IconBytesRead();
  EXPECT_EQ(ExtractIconA(text, 0).Value(), kNotIconKind);
  EXPECT_LE(IconBytesRead() - before, 4096U);
  before = IconBytesRead();
  EXPECT_GT(ExtractIconA(library, 0).Value(), 1);
  EXPECT_LE(IconBytesRead() - before, 16384U);
}

// Each thread keeps its own last file: two threads on two files never see each other's.
TEST(ExtractIcon, ThreadsExtractingAtOnceKeepTheirOwnFiles) {
  TempTree tree;
  const std::string library =
      tree.File("three.dll", PeLibrary({Group({32}), Group({16}), Group({48})}));
  const std::string icon = tree.File("one.ico", IcoFile({{32, 32}}));
  std::atomic<int> wrong{0};
  const auto run = [&wrong](const std::string& path, std::int32_t count) {
    for (int round = 0; round < 200; ++round) {
      if (ExtractIconA(path, kIconCountIndex).Value() != count ||
          !ExtractIconA(path, static_cast<std::uint32_t>(round % count)).TakeIcon()) {
        ++wrong;
      }
    }
  };
  std::thread first(run, library, 3);
  std::thread second(run, icon, 1);
  first.join();
  second.join();
  EXPECT_EQ(wrong.load(), 0);
}
