#include <gtest/gtest.h>

#include <QObject>
#include <QPointer>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SearchTree.h"
#include "TempTree.h"
#include "platform/StringList.h"
#include "search/FileSearchList.h"

namespace {

using Paths = std::vector<std::string>;

// The tree of the search list tests:
//   B.DLL  README  a.exe  bin/c.exe  readme.txt  tools.exe/d.exe
void BuildListTree(TempTree& tree) {
  tree.File("B.DLL");
  tree.File("README");
  tree.File("a.exe");
  tree.File("bin/c.exe");
  tree.File("readme.txt");
  tree.File("tools.exe/d.exe");
}

Paths Lines(const TStrings& strings) {
  Paths lines;
  for (int i = 0; i < strings.Count(); ++i) {
    lines.push_back(strings[i]);
  }
  return lines;
}

Paths Under(const std::string& root, const Paths& relative) {
  Paths full;
  for (const std::string& path : relative) {
    full.push_back(root);
    full.back().append("/").append(path);
  }
  return full;
}

// Receives OnFileFind and answers through the recorder; AddList is answered by `keep`.
struct Handler {
  explicit Handler(const std::string& root) : recorder(root) {}

  // The event type fixes the parameters, by value included.
  void FileFind(TObject* Sender,
                std::string FileName,  // NOLINT(performance-unnecessary-value-param)
                TSearchRec FileRec,    // NOLINT(performance-unnecessary-value-param)
                void* Data, bool& AddList, bool& DoCancel) {
    EXPECT_EQ(Sender, expectedSender);
    EXPECT_EQ(Data, expectedData);
    EXPECT_TRUE(AddList);
    EXPECT_FALSE(DoCancel);
    recorder.Record(FileName, FileRec, DoCancel);
    AddList = !keep || keep(recorder.paths.back());
  }

  void Bind(TSearchFileList& list) {
    list.OnFileFind = TFindFileList(this, &Handler::FileFind);
    expectedSender = &list;
  }

  Recorder recorder;
  std::function<bool(const std::string&)> keep;
  TObject* expectedSender = nullptr;
  void* expectedData = nullptr;
};

TEST(SearchFileListTest, DefaultsAndWriteRules) {
  TSearchFileList list(nullptr);
  EXPECT_EQ(list.Directory(), "");
  EXPECT_EQ(list.FileName(), "*.*");
  EXPECT_FALSE(list.SearchDirectoryName());
  EXPECT_FALSE(list.SearchSubDirectory());
  EXPECT_FALSE(list.DirectorySearchMode());
  EXPECT_FALSE(list.OnFileFind);
  EXPECT_EQ(list.FileList(), nullptr);
  EXPECT_EQ(list.FileCount(), 0);

  list.SetFileName("*.exe");
  EXPECT_EQ(list.FileName(), "*.exe");
  list.SetFileName("");
  EXPECT_EQ(list.FileName(), "*.*");
  list.SetDirectory("/srv/icons");
  EXPECT_EQ(list.Directory(), "/srv/icons/");
  list.SetDirectory("/");
  EXPECT_EQ(list.Directory(), "/");
  list.SetDirectory("");
  EXPECT_EQ(list.Directory(), "");
}

struct Settings {
  const char* name;
  std::string fileName;
  bool searchDirectoryName;
  bool searchSubDirectory;
  bool directorySearchMode;
  Paths expected;
};

class SearchSettingsTest : public testing::TestWithParam<Settings> {};

TEST_P(SearchSettingsTest, FiresForWhatPassesTheMasks) {
  const Settings& s = GetParam();
  TempTree tree;
  BuildListTree(tree);
  Handler handler(tree.Root());
  TSearchFileList list(nullptr);
  list.SetDirectory(tree.Root());
  list.SetFileName(s.fileName);
  list.SetSearchDirectoryName(s.searchDirectoryName);
  list.SetSearchSubDirectory(s.searchSubDirectory);
  list.SetDirectorySearchMode(s.directorySearchMode);
  handler.Bind(list);
  int data = 0;
  handler.expectedData = &data;
  TStringList strings;

  EXPECT_EQ(list.Search(&strings, &data), static_cast<int>(s.expected.size()));
  EXPECT_EQ(handler.recorder.paths, s.expected);
  EXPECT_EQ(Lines(strings), Under(tree.Root(), s.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SearchSettingsTest,
    testing::Values(
        Settings{"Defaults", "*.*", false, false, false, {"B.DLL", "a.exe", "readme.txt"}},
        Settings{"StarTakesNamesWithoutDot",
                 "*",
                 false,
                 false,
                 false,
                 {"B.DLL", "README", "a.exe", "readme.txt"}},
        Settings{"TwoMasks", "*.exe;*.dll", false, false, false, {"B.DLL", "a.exe"}},
        Settings{"DirectoriesAreMaskTested",
                 "*.exe;*.dll",
                 true,
                 false,
                 false,
                 {"B.DLL", "a.exe", "tools.exe"}},
        Settings{"Subdirectories",
                 "*.exe;*.dll",
                 false,
                 true,
                 false,
                 {"B.DLL", "a.exe", "bin/c.exe", "tools.exe/d.exe"}},
        Settings{"SubdirectoriesReportedWithoutMaskTest",
                 "*.exe;*.dll",
                 true,
                 true,
                 false,
                 {"B.DLL", "a.exe", "bin", "bin/c.exe", "tools.exe", "tools.exe/d.exe"}},
        Settings{"DirectoryModeInTree", "*.dll", false, true, true, {"bin", "tools.exe"}},
        Settings{"DirectoryModeAtTop", "*.exe", true, false, true, {"tools.exe"}}),
    [](const testing::TestParamInfo<Settings>& row) { return row.param.name; });

class SearchFileListTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    BuildListTree(tree);
    list.SetDirectory(tree.Root());
    list.SetFileName("*");
    handler.Bind(list);
  }
  TempTree tree;
  Handler handler{tree.Root()};
  TSearchFileList list{nullptr};
};

TEST_F(SearchFileListTreeTest, UnassignedEventAcceptsEveryMatch) {
  list.OnFileFind = {};
  EXPECT_EQ(list.Search(nullptr, nullptr), 4);
  ASSERT_NE(list.FileList(), nullptr);
  EXPECT_EQ(Lines(*list.FileList()),
            Under(tree.Root(), {"B.DLL", "README", "a.exe", "readme.txt"}));
}

TEST_F(SearchFileListTreeTest, RefusedEntriesAreNeitherKeptNorCounted) {
  handler.keep = [](const std::string& path) { return path.find('.') == std::string::npos; };
  TStringList strings;
  EXPECT_EQ(list.Search(&strings, nullptr), 1);
  EXPECT_EQ(handler.recorder.paths.size(), 4U);
  EXPECT_EQ(Lines(strings), Under(tree.Root(), {"README"}));

  handler.keep = [](const std::string&) { return false; };
  EXPECT_EQ(list.Search(&strings, nullptr), 0);
  EXPECT_EQ(strings.Count(), 1);
  EXPECT_EQ(list.FileList()->Count(), 0);
}

TEST_F(SearchFileListTreeTest, CancelKeepsTheEntryThatAskedForIt) {
  handler.recorder.answer = [&](const std::string&, const TSearchRec&) {
    return handler.recorder.paths.size() == 3;
  };
  TStringList strings;
  strings.Add("one");
  strings.Add("two");
  EXPECT_EQ(list.Search(&strings, nullptr), 3);
  EXPECT_EQ(handler.recorder.paths.size(), 3U);
  Paths expected = {"one", "two"};
  for (const std::string& path : Under(tree.Root(), {"B.DLL", "README", "a.exe"})) {
    expected.push_back(path);
  }
  EXPECT_EQ(Lines(strings), expected);
}

TEST_F(SearchFileListTreeTest, EachSearchStartsAfresh) {
  TempTree other;
  other.File("only.txt");
  EXPECT_EQ(list.Search(nullptr, nullptr), 4);
  list.SetDirectory(other.Root());
  list.OnFileFind = {};
  TStringList strings;
  EXPECT_EQ(list.Search(&strings, nullptr), 1);
  EXPECT_EQ(Lines(strings), Paths{other.Root() + "/only.txt"});
  EXPECT_EQ(Lines(*list.FileList()), Lines(strings));
  EXPECT_EQ(list.FileCount(), 1);
}

TEST_F(SearchFileListTreeTest, ExceptionPassesOutWithEverythingClosed) {
  list.SetSearchSubDirectory(true);
  handler.recorder.answer = [](const std::string& relative, const TSearchRec&) -> bool {
    if (relative == "tools.exe/d.exe") {
      throw std::runtime_error("handler failed");
    }
    return false;
  };
  const int open = OpenFindEnumerations();
  TStringList strings;
  EXPECT_THROW((void)list.Search(&strings, nullptr), std::runtime_error);
  EXPECT_EQ(OpenFindEnumerations(), open);
  EXPECT_EQ(strings.Count(), 0);
  EXPECT_EQ(list.FileCount(), 5);
  EXPECT_EQ(Lines(*list.FileList()),
            Under(tree.Root(), {"B.DLL", "README", "a.exe", "bin/c.exe", "readme.txt"}));
}

TEST_F(SearchFileListTreeTest, NothingToSearch) {
  for (const std::string& directory : {std::string(), tree.PathOf("missing")}) {
    list.SetDirectory(directory);
    TStringList strings;
    EXPECT_EQ(list.Search(&strings, nullptr), 0);
    EXPECT_EQ(strings.Count(), 0);
  }
  EXPECT_TRUE(handler.recorder.paths.empty());
}

// A derived list sees every entry that passed the masks, with the answers already preset.
class VetoingList : public TSearchFileList {
 public:
  VetoingList() : TSearchFileList(nullptr) {}

 protected:
  void DoFileFind(std::string FileName, TSearchRec FileRec, void* Data, bool& AddList,
                  bool& DoCancel) override {
    AddList = false;
    DoCancel = true;
    TSearchFileList::DoFileFind(FileName, std::move(FileRec), Data, AddList, DoCancel);
    if (FileName.ends_with(".exe")) {
      AddList = false;
    }
  }
};

TEST(SearchFileListTest, OverrideSeesAndAnswersEveryEntry) {
  TempTree tree;
  BuildListTree(tree);
  VetoingList list;
  list.SetDirectory(tree.Root());
  Handler handler(tree.Root());
  handler.Bind(list);
  TStringList strings;
  EXPECT_EQ(list.Search(&strings, nullptr), 2);
  EXPECT_EQ(handler.recorder.paths, (Paths{"B.DLL", "a.exe", "readme.txt"}));
  EXPECT_EQ(Lines(strings), Under(tree.Root(), {"B.DLL", "readme.txt"}));
}

TEST(SearchFileListTest, LivesAsLongAsItsOwner) {
  auto owner = std::make_unique<QObject>();
  // The owner deletes it.
  QPointer<TSearchFileList> list = new TSearchFileList(owner.get());  // NOLINT(*NewDeleteLeaks)
  EXPECT_EQ(list->Owner(), owner.get());
  owner.reset();
  EXPECT_TRUE(list.isNull());

  QObject keeper;
  auto early = std::make_unique<TSearchFileList>(&keeper);
  early.reset();
  EXPECT_TRUE(keeper.children().isEmpty());
}

}  // namespace
