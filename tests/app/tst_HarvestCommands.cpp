#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>

#include "IconFixtures.h"
#include "TempTree.h"
#include "app/QuorvelMainWindow.h"
#include "app/Startup.h"
#include "widgets/Application.h"
#include "widgets/ListView.h"
#include "widgets/MainThreadSync.h"
#include "widgets/Screen.h"
#include "widgets/StatusBar.h"

namespace {

const QString kSearchFinished = QStringLiteral("検索終了");

std::string IconFile() {
  return IconFixtures::IcoFile(IconFixtures::Group({32, 16}).Images);
}

std::string Library(int groups) {
  return IconFixtures::PeLibrary(IconFixtures::NumberedGroups(groups, {32, 16}));
}

}  // namespace

// Load, Cancel and the end of a harvest, driven through the window's buttons with the program's
// own connection between the worker and the event loop.
class TestHarvestCommands : public QObject {
  Q_OBJECT

  std::unique_ptr<TMainThreadSync> sync_;
  std::unique_ptr<TQuorvelMainForm> form_;
  int reports_ = 0;

  [[nodiscard]] QString Status() const { return form_->StatusBar1->Panel(0).Text(); }
  [[nodiscard]] QStringList Captions() const {
    QStringList captions;
    for (int i = 0; i < form_->ListView1->Items().Count(); ++i) {
      captions << form_->ListView1->Items().Item(i)->Caption();
    }
    return captions;
  }
  void Load(const std::string& directory) {
    form_->DirectoryList->SetDirectory(directory);
    form_->LoadItemsButton->click();
  }
  // Deadlines only turn a hang into a failure; nothing here measures time.
  [[nodiscard]] bool WaitForFinish() const {
    return QTest::qWaitFor([this] { return form_->LoadItemsButton->isEnabled(); }, 30000);
  }

 private slots:
  void initTestCase() {
    InitializeApplication();
    sync_ = std::make_unique<TMainThreadSync>();
    Application().SetErrorReporter([this](const QString&, const QString&) { ++reports_; });
  }
  void init() {
    reports_ = 0;
    form_ = std::make_unique<TQuorvelMainForm>();
  }
  void cleanup() { form_.reset(); }
  void cleanupTestCase() {
    Application().SetErrorReporter({});
    sync_.reset();
  }

  void loadOnEmptyDirectory() {
    TempTree tree;
    form_->ListView1->Items().Add()->SetCaption(QStringLiteral("left over"));
    Load(tree.Root());
    // The notice cannot come before the click's handler has returned.
    QVERIFY(!form_->LoadItemsButton->isEnabled());
    QVERIFY(form_->CancelLoadItemsButton->isEnabled());

    QVERIFY(WaitForFinish());
    QCOMPARE(Status(), kSearchFinished);
    QVERIFY(!form_->CancelLoadItemsButton->isEnabled());
    QCOMPARE(form_->ListView1->Items().Count(), 0);
    QCOMPARE(Screen().Cursor(), crDefault);
    QCOMPARE(reports_, 0);
  }

  void loadHarvestsTheOpenDirectoryEachTime() {
    TempTree first;
    first.File("a.dll", Library(2));
    TempTree second;
    second.File("b.ico", IconFile());

    Load(first.Root());
    // Opening another directory during the run changes nothing of it.
    form_->DirectoryList->SetDirectory(second.Root());
    QVERIFY(WaitForFinish());
    QCOMPARE(Captions(), (QStringList{"a.dll:0", "a.dll:1"}));

    form_->LoadItemsButton->click();
    QVERIFY(WaitForFinish());
    QCOMPARE(Captions(), QStringList{"b.ico:0"});
    QCOMPARE(form_->ImageList1->Count(), 1);
    QCOMPARE(form_->ImageList2->Count(), 1);
    QCOMPARE(Status(), kSearchFinished);
  }

  void cancelAtOnceStopsAfterTheFirstFile() {
    TempTree tree;
    tree.File("a.dll", Library(3));
    tree.File("b.ico", IconFile());
    tree.File("c.ico", IconFile());
    // The worker waits for the UI thread before its first file, so both clicks come first.
    Load(tree.Root());
    form_->CancelLoadItemsButton->click();
    form_->CancelLoadItemsButton->click();
    QVERIFY(form_->CancelLoadItemsButton->isEnabled());

    QVERIFY(WaitForFinish());
    QCOMPARE(Captions(), (QStringList{"a.dll:0", "a.dll:1", "a.dll:2"}));
    QCOMPARE(Status(), kSearchFinished);
    QVERIFY(!form_->CancelLoadItemsButton->isEnabled());
  }

  void closingDuringARunWaitsForTheWorker() {
    TempTree tree;
    for (int i = 0; i < 20; ++i) {
      tree.File("lib" + std::to_string(i) + ".dll", Library(5));
    }
    Load(tree.Root());
    // The worker waits for the UI thread before its first file, so the window goes mid-run.
    QVERIFY(!form_->LoadItemsButton->isEnabled());
    form_->close();
    form_.reset();  // stops the worker, runs its remaining steps, then the components go
    QCOMPARE(Screen().Cursor(), crDefault);
    QCOMPARE(reports_, 0);
  }
};

QTEST_MAIN(TestHarvestCommands)
#include "tst_HarvestCommands.moc"
