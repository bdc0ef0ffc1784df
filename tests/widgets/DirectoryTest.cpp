#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "ReportCatcher.h"
#include "TempTree.h"
#include "widgets/DirectoryListBox.h"
#include "widgets/DriveComboBox.h"
#include "widgets/Volumes.h"

namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
  return fs::canonical(path).native();
}

std::string Parent(const std::string& path) {
  return fs::path(path).parent_path().native();
}

// The directories of the list's rows, top to bottom.
std::vector<std::string> Rows(const TDirectoryListBox& list) {
  std::vector<std::string> rows;
  rows.reserve(size_t(list.count()));
  for (int row = 0; row < list.count(); ++row) {
    rows.push_back(list.RowDirectory(row));
  }
  return rows;
}

QPoint RowCentre(const TDirectoryListBox& list, int row) {
  return list.visualItemRect(list.item(row)).center();
}

int RowOf(const TDirectoryListBox& list, const std::string& directory) {
  for (int row = 0; row < list.count(); ++row) {
    if (list.RowDirectory(row) == directory) {
      return row;
    }
  }
  return -1;
}

// Changes the working directory for the length of a test.
class TWorkingDirectory {
 public:
  explicit TWorkingDirectory(const std::string& path) : previous_(fs::current_path()) {
    fs::current_path(path);
  }
  ~TWorkingDirectory() { fs::current_path(previous_); }
  TWorkingDirectory(const TWorkingDirectory&) = delete;
  TWorkingDirectory& operator=(const TWorkingDirectory&) = delete;

 private:
  fs::path previous_;
};

}  // namespace

class DirectoryTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempTree> tree_;
  std::string b_;  // the fixture's directory a/b, canonical

 private slots:
  void init();
  void showsChainAndVisibleSubdirectories();
  void pseudoFileSystemReadsAsPartOfItsVolume();
  void directoryHasNoTrailingSlashExceptAtRoot_data();
  void directoryHasNoTrailingSlashExceptAtRoot();
  void startsInWorkingDirectoryWithItsVolume();
  void singleClickOnlyHighlights();
  void doubleClickOrEnterOpens();
  void unreadableDirectoryLeavesListAsItWas_data();
  void unreadableDirectoryLeavesListAsItWas();
  void vanishedRowReportsAndKeepsDirectory();
  void volumeOf_data();
  void volumeOf();
  void driveBoxFollowsListAndRemembersDirectories();
  void unreadableVolumeIsReportedAndStaysChosen();
};

void DirectoryTest::init() {
  tree_ = std::make_unique<TempTree>();
  tree_->Dir("a/b/c/d");
  tree_->Dir("a/b/zeta");
  tree_->Dir("a/b/Alpha");
  tree_->Dir("a/b/.hidden");
  tree_->Dir("a/b/日本語");
  tree_->Dir("a/b/bad\xff");  // a name that is not valid UTF-8
  tree_->File("a/b/file.txt", "not a directory");
  tree_->Symlink(tree_->PathOf("a/b/c"), "a/b/link-to-c");
  tree_->Symlink(tree_->PathOf("missing"), "a/b/dangling");
  b_ = Canonical(tree_->PathOf("a/b"));
}

void DirectoryTest::showsChainAndVisibleSubdirectories() {
  TDirectoryListBox list;
  list.SetDirectory(b_);
  QCOMPARE(list.Directory(), b_);

  const std::vector<std::string> rows = Rows(list);
  const int open = list.currentRow();
  QCOMPARE(rows[size_t(open)], b_);
  // From the volume's mount point down to the open directory, one row per level.
  QCOMPARE(rows.front(), VolumeRootOf(b_));
  for (int row = 1; row <= open; ++row) {
    QCOMPARE(Parent(rows[size_t(row)]), rows[size_t(row) - 1]);
  }
  // Then the subdirectories, sorted without regard to case; hidden ones, files and dangling
  // links left out, a link to a directory kept.
  const std::vector<std::string> subdirectories(rows.begin() + open + 1, rows.end());
  const std::vector<std::string> expected{b_ + "/Alpha",     b_ + "/bad\xff", b_ + "/c",
                                          b_ + "/link-to-c", b_ + "/zeta",    b_ + "/日本語"};
  QCOMPARE(subdirectories, expected);
  QCOMPARE(list.item(open + 6)->text(), QStringLiteral("日本語"));
  QCOMPARE(list.RowDirectory(list.count()), std::string());
}

void DirectoryTest::pseudoFileSystemReadsAsPartOfItsVolume() {
  const std::vector<std::string> volumes = MountedVolumes();
  if (!fs::is_directory("/proc/self") || volumes.empty() || volumes.front() != "/") {
    QSKIP("needs /proc mounted below a root volume");
  }
  QVERIFY(MountPointOf("/proc") != "/");
  TDirectoryListBox list;
  list.SetDirectory("/proc");
  // Reached from "/" and left again by its first row, though /proc is a mount point of its own.
  QCOMPARE(list.RowDirectory(0), std::string("/"));
  QCOMPARE(list.RowDirectory(1), std::string("/proc"));
  QCOMPARE(list.currentRow(), 1);
}

void DirectoryTest::directoryHasNoTrailingSlashExceptAtRoot_data() {
  QTest::addColumn<QByteArray>("given");  // relative to the tree; "/" alone is the root
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("trailing slash") << QByteArray("a/b/") << QByteArray("a/b");
  QTest::newRow("dot dot") << QByteArray("a/b/c/../zeta") << QByteArray("a/b/zeta");
  QTest::newRow("doubled slash") << QByteArray("a//b") << QByteArray("a/b");
  QTest::newRow("root") << QByteArray("/") << QByteArray("/");
}

void DirectoryTest::directoryHasNoTrailingSlashExceptAtRoot() {
  QFETCH(QByteArray, given);
  QFETCH(QByteArray, expected);
  auto resolve = [this](const QByteArray& relative) {
    return relative == "/" ? std::string("/") : tree_->PathOf(relative.toStdString());
  };
  TDirectoryListBox list;
  list.SetDirectory(resolve(given));
  QCOMPARE(list.Directory(), expected == "/" ? std::string("/") : Canonical(resolve(expected)));
}

void DirectoryTest::startsInWorkingDirectoryWithItsVolume() {
  const TWorkingDirectory cd(b_ + "/c/d");
  TDirectoryListBox list;
  TDriveComboBox box;
  box.SetDirList(&list);
  QCOMPARE(list.Directory(), b_ + "/c/d");
  const std::string volume = VolumeRootOf(b_);
  QCOMPARE(box.Drive(), volume);
  QCOMPARE(box.currentText().toStdString(), volume);
}

void DirectoryTest::singleClickOnlyHighlights() {
  TDirectoryListBox list;
  list.SetDirectory(b_);
  list.show();
  QVERIFY(QTest::qWaitForWindowExposed(&list));
  QSignalSpy changed(&list, &TDirectoryListBox::DirectoryChanged);
  const int zeta = RowOf(list, b_ + "/zeta");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, zeta));
  QCOMPARE(list.currentRow(), zeta);
  QCOMPARE(list.Directory(), b_);
  QCOMPARE(changed.count(), 0);
}

void DirectoryTest::doubleClickOrEnterOpens() {
  TDirectoryListBox list;
  list.SetDirectory(b_);
  list.show();
  QVERIFY(QTest::qWaitForWindowExposed(&list));
  QSignalSpy changed(&list, &TDirectoryListBox::DirectoryChanged);

  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, RowOf(list, b_ + "/c")));
  QCOMPARE(list.Directory(), b_ + "/c");
  QCOMPARE(changed.count(), 1);
  QCOMPARE(list.RowDirectory(list.currentRow()), b_ + "/c");

  // Up the chain by a double click on the parent's row.
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, RowOf(list, b_)));
  QCOMPARE(list.Directory(), b_);

  // Enter opens the highlighted row, here the first subdirectory below the open one.
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_Down);
  QCOMPARE(list.Directory(), b_);
  QTest::keyClick(&list, Qt::Key_Return);
  QCOMPARE(list.Directory(), b_ + "/Alpha");

  // A name that is not valid UTF-8 opens by its bytes.
  list.SetDirectory(b_);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                     RowCentre(list, RowOf(list, b_ + "/bad\xff")));
  QCOMPARE(list.Directory(), b_ + "/bad\xff");
  QCOMPARE(changed.count(), 5);
}

void DirectoryTest::unreadableDirectoryLeavesListAsItWas_data() {
  QTest::addColumn<QByteArray>("target");  // relative to the tree
  QTest::addColumn<bool>("needsNonRoot");
  QTest::newRow("missing") << QByteArray("a/nothing") << false;
  QTest::newRow("a file") << QByteArray("a/b/file.txt") << false;
  QTest::newRow("dangling link") << QByteArray("a/b/dangling") << false;
  QTest::newRow("empty path") << QByteArray() << false;
  QTest::newRow("no permission") << QByteArray("locked") << true;
}

void DirectoryTest::unreadableDirectoryLeavesListAsItWas() {
  QFETCH(QByteArray, target);
  QFETCH(bool, needsNonRoot);
  if (needsNonRoot && geteuid() == 0) {
    QSKIP("root reads every directory; the other rows cover failures root meets too");
  }
  const std::string locked = tree_->Dir("locked");
  ::chmod(locked.c_str(), 0);
  TDirectoryListBox list;
  list.SetDirectory(b_);
  const std::vector<std::string> before = Rows(list);
  QSignalSpy changed(&list, &TDirectoryListBox::DirectoryChanged);

  const std::string path = target.isEmpty() ? std::string() : tree_->PathOf(target.toStdString());
  QVERIFY_THROWS_EXCEPTION(EInOutError, list.SetDirectory(path));
  QCOMPARE(list.Directory(), b_);
  QCOMPARE(Rows(list), before);
  QCOMPARE(list.RowDirectory(list.currentRow()), b_);
  QCOMPARE(changed.count(), 0);
}

void DirectoryTest::vanishedRowReportsAndKeepsDirectory() {
  Application().SetTitle(QStringLiteral("ソルデマン"));
  TReportCatcher catcher;
  TDirectoryListBox list;
  list.SetDirectory(b_);
  list.show();
  QVERIFY(QTest::qWaitForWindowExposed(&list));
  const int zeta = RowOf(list, b_ + "/zeta");
  fs::remove(b_ + "/zeta");  // gone between listing and opening, as a pulled medium is

  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, zeta));
  QCOMPARE(catcher.reports.size(), size_t(1));
  QCOMPARE(catcher.reports[0].caption, QStringLiteral("ソルデマン"));
  QVERIFY2(catcher.reports[0].message.contains(QStringLiteral("zeta")),
           qPrintable(catcher.reports[0].message));
  QCOMPARE(list.Directory(), b_);
  QCOMPARE(list.RowDirectory(zeta), b_ + "/zeta");
}

void DirectoryTest::volumeOf_data() {
  QTest::addColumn<QStringList>("mountPoints");
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("volume");
  const QStringList usual{"/", "/mnt/usb", "/mnt/usb/inner"};
  QTest::newRow("inside") << usual << "/mnt/usb/a"
                          << "/mnt/usb";
  QTest::newRow("the mount point") << usual << "/mnt/usb"
                                   << "/mnt/usb";
  QTest::newRow("nested, longest wins") << usual << "/mnt/usb/inner/x"
                                        << "/mnt/usb/inner";
  QTest::newRow("prefix of a name only") << usual << "/mnt/usbstick"
                                         << "/";
  QTest::newRow("the root") << usual << "/"
                            << "/";
  QTest::newRow("none holds it") << QStringList{"/mnt/usb"} << "/home"
                                 << "";
}

void DirectoryTest::volumeOf() {
  QFETCH(QStringList, mountPoints);
  QFETCH(QString, path);
  QFETCH(QString, volume);
  std::vector<std::string> points;
  for (const QString& point : mountPoints) {
    points.push_back(point.toStdString());
  }
  QCOMPARE(VolumeOf(points, path.toStdString()), volume.toStdString());
}

void DirectoryTest::driveBoxFollowsListAndRemembersDirectories() {
  const std::string vol1 = Canonical(tree_->Dir("vol1/sub/deeper"));
  const std::string vol2 = Canonical(tree_->Dir("vol2/x"));
  const std::string root1 = Parent(Parent(vol1));
  const std::string root2 = Parent(vol2);
  TDirectoryListBox list;
  list.SetDirectory(root1 + "/sub");
  TDriveComboBox box;
  box.SetVolumes({root2, root1});
  box.SetDirList(&list);
  QCOMPARE(box.Drive(), root1);

  // Choosing by the keyboard: the next volume opens at its mount point.
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_Down);
  QCOMPARE(box.Drive(), root2);
  QCOMPARE(list.Directory(), root2);

  list.SetDirectory(vol2);
  QCOMPARE(box.Drive(), root2);
  box.ChooseDrive(0);
  QCOMPARE(list.Directory(), root1 + "/sub");  // the directory last open on that volume
  box.ChooseDrive(1);
  QCOMPARE(list.Directory(), vol2);

  // The list opening a directory of another volume takes the box along.
  list.SetDirectory(vol1);
  QCOMPARE(box.Drive(), root1);
}

void DirectoryTest::unreadableVolumeIsReportedAndStaysChosen() {
  TReportCatcher catcher;
  const std::string good = Canonical(tree_->Dir("a-good/inside"));
  const std::string gone = Canonical(tree_->Dir("b-gone"));
  TDirectoryListBox list;
  list.SetDirectory(good);
  TDriveComboBox box;
  box.SetVolumes({gone, Parent(good)});  // offered sorted: a-good, b-gone
  box.SetDirList(&list);
  fs::remove(gone);  // the volume went away after it was listed
  const std::vector<std::string> before = Rows(list);

  box.ChooseDrive(1);
  QCOMPARE(catcher.reports.size(), size_t(1));
  QCOMPARE(list.Directory(), good);
  QCOMPARE(Rows(list), before);
  QCOMPARE(box.Drive(), gone);

  // Choosing the first volume again brings back its directory.
  box.ChooseDrive(0);
  QCOMPARE(list.Directory(), good);
  QCOMPARE(box.Drive(), Parent(good));
  QCOMPARE(catcher.reports.size(), size_t(1));
}

QTEST_MAIN(DirectoryTest)
#include "DirectoryTest.moc"
