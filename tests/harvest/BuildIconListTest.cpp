#include <QByteArrayList>
#include <QObject>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "IconFixtures.h"
#include "StepDriver.h"
#include "TempTree.h"
#include "harvest/BuildIconThured.h"
#include "platform/Thread.h"
#include "search/FileSearchList.h"
#include "widgets/Icon.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "widgets/Screen.h"
#include "widgets/StatusBar.h"

namespace {

using IconFixtures::TGroup;

// The files a test directory can hold, by the kind the name after "=" gives.
std::string Contents(const QByteArray& kind) {
  if (kind == "ico") {
    return IconFixtures::IcoFile(IconFixtures::Group({32, 16}).Images);
  }
  if (kind.startsWith("lib")) {  // lib<n>: a library with n icon groups
    return IconFixtures::PeLibrary(IconFixtures::NumberedGroups(kind.mid(3).toInt(), {32, 16}));
  }
  if (kind == "gap") {  // three groups; the middle one names an image the library lacks
    std::vector<TGroup> groups = IconFixtures::NumberedGroups(3, {32, 16});
    groups[1].Images.clear();
    groups[1].MissingImageIds = {77};
    return IconFixtures::PeLibrary(groups);
  }
  return "plain text, no icons\n";
}

// Builds "name=kind" entries (names are bytes); "dir/name=kind" makes the folder too.
void Populate(TempTree& tree, const QByteArrayList& entries) {
  for (const QByteArray& entry : entries) {
    const QByteArrayList parts = entry.split('=');
    const std::string name = parts[0].toStdString();
    if (parts[1] == "dir") {
      tree.Dir(name);
    } else {
      tree.File(name, Contents(parts[1]));
    }
  }
}

// The window's components a harvest fills, owned by a plain widget, and one worker at a time.
class Rig {
 public:
  explicit Rig(bool statusPanel = true) {
    view_->SetLargeImages(large_);
    view_->SetSmallImages(small_);
    if (statusPanel) {
      status_->AddPanel();
    }
    SetThreadExceptionHandler([this](const std::exception_ptr& error) { error_ = error; });
  }
  ~Rig() {
    if (worker_) {
      worker_->Terminate();
      driver_.RunUntil([this] { return Ended(); });
      worker_->WaitFor();
    }
    SetThreadExceptionHandler({});
  }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  void Start(const std::string& directory) {
    if (worker_) {
      worker_->WaitFor();
    }
    notices_ = 0;
    error_ = nullptr;
    statuses_.clear();
    worker_ = std::make_unique<TBuildIconList>(true);
    worker_->FDirectory = directory;
    worker_->FTarget = {&owner_, view_, large_, small_, status_};
    worker_->OnTerminate = TNotifyEvent(this, &Rig::Notice);
    worker_->Resume();
  }

  // Drives the run to its end; `after` runs after every synchronized step.
  void Finish(const std::function<void()>& after = {}) {
    driver_.RunUntil([this] { return Ended(); },
                     [this, &after] {
                       RecordStatus();
                       if (after) {
                         after();
                       }
                     });
    worker_->WaitFor();
  }

  void Run(const std::string& directory) {
    Start(directory);
    Finish();
  }

  [[nodiscard]] QStringList Captions() const {
    QStringList captions;
    for (int i = 0; i < view_->Items().Count(); ++i) {
      captions << view_->Items().Item(i)->Caption();
    }
    return captions;
  }
  [[nodiscard]] QList<int> ImageIndices() const {
    QList<int> indices;
    for (int i = 0; i < view_->Items().Count(); ++i) {
      indices << view_->Items().Item(i)->ImageIndex();
    }
    return indices;
  }
  [[nodiscard]] int SearchLists() const {
    return static_cast<int>(owner_.findChildren<TSearchFileList*>().size());
  }

  TBuildIconList& Worker() { return *worker_; }
  TListView& View() { return *view_; }
  TImageList& Large() { return *large_; }
  TImageList& Small() { return *small_; }
  [[nodiscard]] int Notices() const { return notices_; }
  [[nodiscard]] const std::exception_ptr& Error() const { return error_; }
  [[nodiscard]] const QStringList& Statuses() const { return statuses_; }

 private:
  void Notice(TObject* /*Sender*/) { ++notices_; }
  [[nodiscard]] bool Ended() const { return notices_ > 0 || error_ != nullptr; }
  void RecordStatus() {
    if (status_->PanelCount() == 0) {
      return;
    }
    const QString text = status_->Panel(0).Text();
    if (!text.isEmpty() && (statuses_.isEmpty() || statuses_.last() != text)) {
      statuses_ << text;
    }
  }

  QWidget owner_;
  TListView* view_ = new TListView(&owner_);  // these four are owned by owner_
  TImageList* large_ = new TImageList(32, 32, &owner_);
  TImageList* small_ = new TImageList(16, 16, &owner_);
  TStatusBar* status_ = new TStatusBar(&owner_);
  StepDriver driver_;
  std::unique_ptr<TBuildIconList> worker_;
  int notices_ = 0;
  std::exception_ptr error_;
  QStringList statuses_;
};

}  // namespace

class BuildIconListTest : public QObject {
  Q_OBJECT

 private slots:
  void harvestsEveryIconOfEveryFile_data();
  void harvestsEveryIconOfEveryFile();
  void secondRunStartsAfresh();
  void cancelStopsAfterTheCurrentFile_data();
  void cancelStopsAfterTheCurrentFile();
  void styleSwitchDuringRunKeepsTheRun();
  void exceptionInsideTheRunRunsTheFinishPath();
};

void BuildIconListTest::harvestsEveryIconOfEveryFile_data() {
  QTest::addColumn<QByteArrayList>("entries");
  QTest::addColumn<QStringList>("captions");
  QTest::addColumn<QList<int>>("indices");
  QTest::addColumn<QStringList>("statuses");

  QTest::newRow("empty directory")
      << QByteArrayList{} << QStringList{} << QList<int>{} << QStringList{};
  QTest::newRow("only subdirectories") << QByteArrayList{"sub=dir", "sub/inside.ico=ico", "x.d=dir"}
                                       << QStringList{} << QList<int>{} << QStringList{};
  QTest::newRow("file without icons") << QByteArrayList{"notes.txt=text"} << QStringList{}
                                      << QList<int>{} << QStringList{"..notes.txt"};
  QTest::newRow("icons in a name without a dot are never seen")
      << QByteArrayList{"README=ico"} << QStringList{} << QList<int>{} << QStringList{};
  QTest::newRow("icon file") << QByteArrayList{"a.ico=ico"} << QStringList{"a.ico:0"}
                             << QList<int>{0} << QStringList{"..a.ico"};
  QTest::newRow("library with several groups")
      << QByteArrayList{"shell.dll=lib3"}
      << QStringList{"shell.dll:0", "shell.dll:1", "shell.dll:2"} << QList<int>{0, 1, 2}
      << QStringList{"..shell.dll"};
  QTest::newRow("an icon that cannot be had keeps the lists aligned")
      << QByteArrayList{"gap.dll=gap", "z.ico=ico"}
      << QStringList{"gap.dll:0", "gap.dll:1", "gap.dll:2", "z.ico:0"} << QList<int>{0, -1, 1, 2}
      << QStringList{"..gap.dll", "..z.ico"};
  QTest::newRow("several files in walk order, indices across the run")
      << QByteArrayList{"c.txt=text", "b.exe=lib2", "a.ico=ico"}
      << QStringList{"a.ico:0", "b.exe:0", "b.exe:1"} << QList<int>{0, 1, 2}
      << QStringList{"..a.ico", "..b.exe", "..c.txt"};
  QTest::newRow("name that is not UTF-8")
      << QByteArrayList{"caf\xe9.ico=ico"} << QStringList{"caf\uFFFD.ico:0"} << QList<int>{0}
      << QStringList{"..caf\uFFFD.ico"};
}

void BuildIconListTest::harvestsEveryIconOfEveryFile() {
  QFETCH(QByteArrayList, entries);
  QFETCH(QStringList, captions);
  QFETCH(QList<int>, indices);
  QFETCH(QStringList, statuses);

  TempTree tree;
  Populate(tree, entries);
  Rig rig;
  rig.Run(tree.Root());

  QCOMPARE(rig.Captions(), captions);
  QCOMPARE(rig.ImageIndices(), indices);
  QCOMPARE(rig.Statuses(), statuses);
  const int pictures = static_cast<int>(
      std::count_if(indices.begin(), indices.end(), [](int index) { return index >= 0; }));
  QCOMPARE(rig.Large().Count(), pictures);
  QCOMPARE(rig.Small().Count(), pictures);
  for (int i = 0; i < rig.View().Items().Count(); ++i) {
    const TIcon* icon = rig.View().Items().Item(i)->Data();
    QVERIFY(icon != nullptr);
    QCOMPARE(icon->Empty(), indices[i] < 0);
  }
  QCOMPARE(rig.Notices(), 1);
  QVERIFY(!rig.Error());
  QCOMPARE(Screen().Cursor(), crDefault);
  QVERIFY(!rig.View().Items().Updating());
  QCOMPARE(rig.SearchLists(), 0);
}

void BuildIconListTest::secondRunStartsAfresh() {
  TempTree first;
  Populate(first, {"a.dll=lib3"});
  TempTree second;
  Populate(second, {"b.ico=ico"});
  Rig rig;
  rig.Run(first.Root());
  QCOMPARE(rig.View().Items().Count(), 3);

  rig.Run(second.Root());
  QCOMPARE(rig.Captions(), QStringList{"b.ico:0"});
  QCOMPARE(rig.ImageIndices(), QList<int>{0});
  QCOMPARE(rig.Large().Count(), 1);
  QCOMPARE(rig.Small().Count(), 1);
}

void BuildIconListTest::cancelStopsAfterTheCurrentFile_data() {
  QTest::addColumn<QByteArrayList>("entries");
  QTest::addColumn<QString>("cancelAt");  // the status text at which Cancel is pressed; empty:
                                          // right after the start step
  QTest::addColumn<int>("presses");
  QTest::addColumn<QStringList>("captions");

  QTest::newRow("before the first file")
      << QByteArrayList{"a.ico=ico", "b.ico=ico"} << QString() << 1 << QStringList{"a.ico:0"};
  QTest::newRow("during a file with many icons")
      << QByteArrayList{"a.dll=lib5", "b.ico=ico"} << "..a.dll" << 1
      << QStringList{"a.dll:0", "a.dll:1", "a.dll:2", "a.dll:3", "a.dll:4"};
  QTest::newRow("several presses act as one")
      << QByteArrayList{"a.ico=ico", "b.dll=lib2", "c.ico=ico"} << "..b.dll" << 3
      << QStringList{"a.ico:0", "b.dll:0", "b.dll:1"};
  QTest::newRow("directory without files")
      << QByteArrayList{"sub=dir"} << QString() << 1 << QStringList{};
}

void BuildIconListTest::cancelStopsAfterTheCurrentFile() {
  QFETCH(QByteArrayList, entries);
  QFETCH(QString, cancelAt);
  QFETCH(int, presses);
  QFETCH(QStringList, captions);

  TempTree tree;
  Populate(tree, entries);
  Rig rig;
  rig.Start(tree.Root());
  bool pressed = false;
  rig.Finish([&] {
    const bool atPoint =
        cancelAt.isEmpty() || (!rig.Statuses().isEmpty() && rig.Statuses().last() == cancelAt);
    if (atPoint && !pressed) {
      pressed = true;
      for (int i = 0; i < presses; ++i) {
        rig.Worker().Terminate();
      }
    }
  });
  QVERIFY(pressed);
  QCOMPARE(rig.Captions(), captions);
  QCOMPARE(rig.Notices(), 1);
  QCOMPARE(Screen().Cursor(), crDefault);
}

void BuildIconListTest::styleSwitchDuringRunKeepsTheRun() {
  TempTree tree;
  Populate(tree, {"a.dll=lib2", "b.ico=ico"});
  Rig rig;
  rig.Start(tree.Root());
  rig.Finish([&] {
    if (!rig.Statuses().isEmpty() && rig.Statuses().last() == "..a.dll") {
      rig.View().SetViewStyle(TViewStyle::vsReport);
      rig.View().Arrange();
    }
  });
  QCOMPARE(rig.View().ViewStyle(), TViewStyle::vsReport);
  QCOMPARE(rig.Captions(), (QStringList{"a.dll:0", "a.dll:1", "b.ico:0"}));
}

void BuildIconListTest::exceptionInsideTheRunRunsTheFinishPath() {
  TempTree tree;
  Populate(tree, {"a.ico=ico"});
  Rig rig(/*statusPanel=*/false);  // the per-file step's status write then throws
  rig.Run(tree.Root());

  QVERIFY(rig.Error() != nullptr);
  QVERIFY_THROWS_EXCEPTION(std::out_of_range, std::rethrow_exception(rig.Error()));
  QCOMPARE(rig.Notices(), 0);
  QCOMPARE(Screen().Cursor(), crDefault);
  QVERIFY(!rig.View().Items().Updating());
  QCOMPARE(rig.SearchLists(), 0);
}

QTEST_MAIN(BuildIconListTest)
#include "BuildIconListTest.moc"
