#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "SearchTree.h"
#include "TempTree.h"
#include "Unprivileged.h"
#include "search/FileSearchList.h"

namespace {

using Paths = std::vector<std::string>;

// Receives the walker's notifications and checks that Data comes through unchanged.
struct Listener {
  explicit Listener(const std::string& root) : recorder(root) {}

  // The event type fixes the parameters, by value included.
  void Found(std::string FileName,  // NOLINT(performance-unnecessary-value-param)
             TSearchRec FileRec,    // NOLINT(performance-unnecessary-value-param)
             void* Data, bool& DoCancel) {
    EXPECT_FALSE(DoCancel);
    EXPECT_EQ(Data, expectedData);
    recorder.Record(FileName, FileRec, DoCancel);
  }

  void Bind(TSearchFile& walker) { walker.OnFound = TSearchFileEvent(this, &Listener::Found); }

  Recorder recorder;
  void* expectedData = nullptr;
};

// A walker over a fresh temporary tree, bound to a listener. Tests add the entries they need.
class WalkTest : public testing::Test {
 protected:
  WalkTest() {
    walker.SetPath(tree.Root());
    listener.Bind(walker);
  }
  TempTree tree;
  Listener listener{tree.Root()};
  TSearchFile walker;
};

TEST(SearchFileTest, DefaultsAndWriteRules) {
  TSearchFile walker;
  EXPECT_EQ(walker.Path(), "");
  EXPECT_EQ(walker.Mask(), "*.*");
  EXPECT_FALSE(walker.SearchDirectoryName());
  EXPECT_TRUE(walker.SearchSubDirectory());
  EXPECT_FALSE(walker.DirectorySearchMode());
  EXPECT_FALSE(walker.OnFound);

  walker.SetPath("/srv/icons");
  EXPECT_EQ(walker.Path(), "/srv/icons/");
  walker.SetPath("/");
  EXPECT_EQ(walker.Path(), "/");
  walker.SetMask("*.exe");
  EXPECT_EQ(walker.Mask(), "*.exe");
  walker.SetMask("");
  EXPECT_EQ(walker.Mask(), "*.*");
}

struct Combination {
  const char* name;
  bool searchDirectoryName;
  bool searchSubDirectory;
  bool directorySearchMode;
  Paths expected;
};

class WalkCombinationTest : public WalkTest, public testing::WithParamInterface<Combination> {};

TEST_P(WalkCombinationTest, ReportsWhatTheSettingsAskFor) {
  const Combination& c = GetParam();
  BuildWalkTree(tree);
  walker.SetSearchDirectoryName(c.searchDirectoryName);
  walker.SetSearchSubDirectory(c.searchSubDirectory);
  walker.SetDirectorySearchMode(c.directorySearchMode);
  int data = 0;
  listener.expectedData = &data;

  EXPECT_EQ(walker.Search(&data), static_cast<int>(c.expected.size()));
  EXPECT_EQ(listener.recorder.paths, c.expected);
}

Paths TopFiles() {
  return {".profile", "README", "a.txt", "pipe"};
}

Paths Join(Paths a, const Paths& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WalkCombinationTest,
    testing::Values(
        Combination{"FilesOnly", false, false, false, TopFiles()},
        Combination{"FilesAndDirectories", true, false, false, Join(TopFiles(), {"sub"})},
        Combination{"FilesInTree", false, true, false,
                    Join(TopFiles(), {"sub/b.txt", "sub/deep/c.txt"})},
        Combination{"FilesAndDirectoriesInTree", true, true, false,
                    Join(TopFiles(), {"sub", "sub/b.txt", "sub/deep", "sub/deep/c.txt"})},
        Combination{"DirectoryModeAlone", false, false, true, {}},
        Combination{"DirectoriesOnly", true, false, true, {"sub"}},
        Combination{"DirectoriesInTree", false, true, true, {"sub", "sub/deep"}},
        Combination{"AllThree", true, true, true, {"sub", "sub/deep"}}),
    [](const testing::TestParamInfo<Combination>& row) { return row.param.name; });

TEST_F(WalkTest, ReportsHiddenAndSystemEntriesWithTheirAttributes) {
  BuildWalkTree(tree);
  walker.SetSearchSubDirectory(false);
  ASSERT_EQ(walker.Search(nullptr), 4);
  EXPECT_EQ(listener.recorder.attrs,
            (std::vector<int>{faHidden | faArchive, faArchive, faArchive, faSysFile}));
}

TEST_F(WalkTest, FollowsLinksToDirectoriesButNeverWalksInCircles) {
  tree.File("real/f.txt");
  tree.Symlink("real", "alias");
  tree.Symlink("..", "real/up");
  tree.Symlink("nowhere", "real/broken");
  walker.SetSearchDirectoryName(true);
  EXPECT_EQ(walker.Search(nullptr), 8);
  EXPECT_EQ(listener.recorder.paths, (Paths{"alias", "alias/broken", "alias/f.txt", "alias/up",
                                            "real", "real/broken", "real/f.txt", "real/up"}));
}

TEST_F(WalkTest, CancelAtTheSecondNotification) {
  BuildWalkTree(tree);
  listener.recorder.answer = [&](const std::string&, const TSearchRec&) {
    return listener.recorder.paths.size() == 2;
  };
  const int open = OpenFindEnumerations();
  EXPECT_EQ(walker.Search(nullptr), -1);
  EXPECT_EQ(listener.recorder.paths, (Paths{".profile", "README"}));
  EXPECT_EQ(OpenFindEnumerations(), open);
}

TEST_F(WalkTest, CancelInsideASubdirectoryStopsEveryLevel) {
  BuildWalkTree(tree);
  tree.File("z.txt");
  listener.recorder.answer = [](const std::string& relative, const TSearchRec&) {
    return relative == "sub/deep";
  };
  walker.SetSearchDirectoryName(true);
  EXPECT_EQ(walker.Search(nullptr), -1);
  EXPECT_EQ(listener.recorder.paths.back(), "sub/deep");
  EXPECT_EQ(listener.recorder.paths.size(), 7U);
  EXPECT_EQ(walker.Child(), nullptr);
}

TEST_F(WalkTest, ExceptionLeavesEveryLevelClosedAndReleased) {
  BuildWalkTree(tree);
  const int open = OpenFindEnumerations();
  listener.recorder.answer = [&](const std::string& relative, const TSearchRec&) {
    if (relative == "sub/deep/c.txt") {
      // Three levels deep: three enumerations open and two child walkers alive.
      EXPECT_EQ(OpenFindEnumerations(), open + 3);
      EXPECT_NE(walker.Child(), nullptr);
      EXPECT_NE(walker.Child()->Child(), nullptr);
      throw std::runtime_error("handler failed");
    }
    return false;
  };
  EXPECT_THROW(walker.Search(nullptr), std::runtime_error);
  EXPECT_EQ(OpenFindEnumerations(), open);
  EXPECT_EQ(walker.Child(), nullptr);
  EXPECT_EQ(listener.recorder.paths.back(), "sub/deep/c.txt");
}

TEST_F(WalkTest, NothingToWalk) {
  tree.Dir("empty");
  const std::string file = tree.File("file.txt");
  walker.SetSearchDirectoryName(true);
  for (const std::string& path :
       {tree.PathOf("empty"), tree.PathOf("missing"), file, std::string()}) {
    walker.SetPath(path);
    EXPECT_EQ(walker.Search(nullptr), 0) << path;
  }
  EXPECT_TRUE(listener.recorder.paths.empty());
}

TEST_F(WalkTest, UnassignedEventStillCounts) {
  BuildWalkTree(tree);
  walker.OnFound = {};
  EXPECT_EQ(walker.Search(nullptr), 6);
}

TEST_F(WalkTest, MessyNamesDoNotStopAWalk) {
  const Paths names = {"line\nbreak.txt", std::string(255, 'n'), "\x83\x41.exe", "\xFF\xFE.bin"};
  for (const std::string& name : names) {
    tree.File("odd/" + name);
  }
  tree.Fifo("odd/pipe");
  tree.Symlink("gone", "odd/dangling");
  EXPECT_EQ(walker.Search(nullptr), 6);
  EXPECT_EQ(listener.recorder.paths, (Paths{"odd/dangling", "odd/" + names[0], "odd/" + names[1],
                                            "odd/pipe", "odd/" + names[2], "odd/" + names[3]}));
}

// As an ordinary user: a directory without read permission adds nothing, and the walk goes on.
TEST_F(WalkTest, UnreadableDirectoryAddsNothing) {
  BuildWalkTree(tree);
  tree.File("sub/locked/secret.txt");
  ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
  ASSERT_EQ(chmod(tree.PathOf("sub/locked").c_str(), 0311), 0);
  const std::string seen = RunUnprivileged([&] {
    std::string out = std::to_string(walker.Search(nullptr));
    for (const std::string& path : listener.recorder.paths) {
      out += " " + path;
    }
    return out;
  });
  EXPECT_EQ(seen, "6 .profile README a.txt pipe sub/b.txt sub/deep/c.txt");
}

// A derived walker sees the top level through DoFound; children are plain walkers.
class CountingWalker : public TSearchFile {
 public:
  int calls = 0;

 protected:
  void DoFound(std::string FileName, TSearchRec FileRec, void* Data, bool& DoCancel) override {
    ++calls;
    TSearchFile::DoFound(std::move(FileName), std::move(FileRec), Data, DoCancel);
  }
};

TEST(SearchFileTest, OverrideSeesTheTopLevelOnly) {
  TempTree tree;
  BuildWalkTree(tree);
  Listener listener(tree.Root());
  CountingWalker walker;
  walker.SetPath(tree.Root());
  listener.Bind(walker);
  EXPECT_EQ(walker.Search(nullptr), 6);
  EXPECT_EQ(walker.calls, 4);
  EXPECT_EQ(listener.recorder.paths.size(), 6U);
}

}  // namespace
