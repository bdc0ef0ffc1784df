#include <QAction>
#include <QFontInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "TempTree.h"
#include "app/LayoutScaling.h"
#include "app/QuorvelMainWindow.h"
#include "app/Startup.h"
#include "widgets/Application.h"
#include "widgets/ListView.h"

namespace {

// What the error report shows instead of a modal box while a test runs.
struct TReports {
  int count = 0;
  QString caption;
  QString message;
};

// Fills the view with `count` items that have pictures in both image lists.
void AddItems(TQuorvelMainForm& form, int count) {
  for (int i = 0; i < count; ++i) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(QColor::fromHsv(i * 40 % 360, 200, 200));
    const int index = form.ImageList1->AddImage(image);
    form.ImageList2->AddImage(image);
    TListItem* item = form.ListView1->Items().Add();
    item->SetCaption(QStringLiteral("file%1.exe:0").arg(i));
    item->SetImageIndex(index);
  }
}

// Drags a splitter's handle by `dx` pixels, as the user does.
void DragHandle(QSplitterHandle* handle, int dx) {
  const QPoint from = handle->rect().center();
  const QPoint to = from + QPoint(dx, 0);
  QMouseEvent press(QEvent::MouseButtonPress, from, handle->mapToGlobal(from), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, to, handle->mapToGlobal(to), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(handle, &press);
  QApplication::sendEvent(handle, &move);
  QApplication::sendEvent(handle, &release);
}

}  // namespace

class TestQuorvelMainWindow : public QObject {
  Q_OBJECT

  std::unique_ptr<TQuorvelMainForm> form_;
  TReports reports_;

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void componentsByName();
  void windowProperties();
  void menuItems_data();
  void menuItems();
  void toolbarButtons_data();
  void toolbarButtons();
  void stateAtStart();
  void styleMenu_data();
  void styleMenu();
  void styleRoundTripKeepsItems();
  void arrangeLinesUpMovedIcons();
  void driveBoxFollowsSplitter();
  void exitCommandsCloseWindow_data();
  void exitCommandsCloseWindow();
  void unreadableVolumeIsReportedAndProgramGoesOn();
  void layoutScalesWithResolution();
};

void TestQuorvelMainWindow::initTestCase() {
  InitializeApplication();
}

void TestQuorvelMainWindow::init() {
  reports_ = {};
  Application().SetErrorReporter([this](const QString& caption, const QString& message) {
    ++reports_.count;
    reports_.caption = caption;
    reports_.message = message;
  });
  form_ = std::make_unique<TQuorvelMainForm>();
  QuorvelMainForm = form_.get();
}

void TestQuorvelMainWindow::cleanup() {
  QuorvelMainForm = nullptr;
  form_.reset();
  Application().SetErrorReporter({});
}

void TestQuorvelMainWindow::componentsByName() {
  const char* names[] = {"MainMenu1",
                         "ListView1",
                         "File1",
                         "Show1",
                         "LargeIconMenu",
                         "SmallIconMenu",
                         "IconListMenu",
                         "DetailMenu",
                         "N1",
                         "Panel1",
                         "Splitter1",
                         "DirectoryList",
                         "ToolBar1",
                         "CloseProgramButton",
                         "ToolButton3",
                         "ToolButton4",
                         "ToolButton6",
                         "StatusBar1",
                         "ResourceKindIconButton",
                         "ImageList1",
                         "Panel2",
                         "DriveComboBox1",
                         "ImageList2",
                         "LineupIcons",
                         "ResourceKindBmpButton",
                         "ButtonImageList",
                         "ResourceKindMouseButton",
                         "ToolButton5",
                         "ExitProgramMenu",
                         "LoadItemsButton",
                         "CancelLoadItemsButton",
                         "ToolButton10"};
  for (const char* name : names) {
    QVERIFY2(form_->findChild<QObject*>(QString::fromLatin1(name)) != nullptr, name);
  }
  // Owned by the window, not by the view that draws from them.
  QCOMPARE(form_->ImageList1->parent(), form_.get());
  QCOMPARE(form_->ImageList2->parent(), form_.get());
  QCOMPARE(form_->ListView1->LargeImages(), form_->ImageList1);
  QCOMPARE(form_->ListView1->SmallImages(), form_->ImageList2);
  QCOMPARE(form_->ImageList1->Width(), 32);
  QCOMPARE(form_->ImageList2->Height(), 16);
  QCOMPARE(form_->DriveComboBox1->DirList(), form_->DirectoryList);
}

void TestQuorvelMainWindow::windowProperties() {
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  QCOMPARE(form_->windowTitle(), QStringLiteral("ソルデマン-QUORVEL"));
  QCOMPARE(form_->pos(), QPoint(148, 106));
  QCOMPARE(form_->centralWidget()->size(), QSize(518, 420));
  QCOMPARE(form_->ToolBar1->geometry(), QRect(0, 0, 518, 24));
  QCOMPARE(form_->StatusBar1->geometry(), QRect(0, 401, 518, 19));
  QCOMPARE(form_->Panel1->geometry(), QRect(0, 0, 149, 377));
  QCOMPARE(form_->ListView1->geometry(), QRect(152, 0, 366, 377));
  QCOMPARE(form_->Panel2->geometry(), QRect(0, 359, 149, 18));

  // Every control takes the window's font: the Japanese Gothic or the IPA stand-in, 12 pixels.
  const QFontInfo font(form_->DirectoryList->font());
  QCOMPARE(font.pixelSize(), 12);
  QVERIFY2(font.family() == QStringLiteral("ＭＳ Ｐゴシック") ||
               font.family() == QStringLiteral("IPAPGothic"),
           qPrintable(font.family()));

  QVERIFY(!form_->windowIcon().pixmap(32, 32).isNull());
}

void TestQuorvelMainWindow::menuItems_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<int>("tag");
  QTest::addColumn<bool>("radio");
  QTest::addColumn<bool>("checked");

  QTest::newRow("exit") << "ExitProgramMenu"
                        << "終了(&X)" << 0 << false << false;
  QTest::newRow("large") << "LargeIconMenu"
                         << "大きいｱｲｺﾝ(&G)" << 0 << true << true;
  QTest::newRow("small") << "SmallIconMenu"
                         << "小さいｱｲｺﾝ(&M)" << 1 << true << false;
  QTest::newRow("list") << "IconListMenu"
                        << "一覧(&L)" << 2 << true << false;
  QTest::newRow("details") << "DetailMenu"
                           << "詳細(&D)" << 3 << true << false;
  // A plain line: a caption would make some styles draw it as a titled section.
  QTest::newRow("separator") << "N1" << QString() << 0 << false << false;
  QTest::newRow("arrange") << "LineupIcons"
                           << "整列(&S)" << 0 << false << false;
}

void TestQuorvelMainWindow::menuItems() {
  QFETCH(QString, name);
  QFETCH(QString, caption);
  QFETCH(int, tag);
  QFETCH(bool, radio);
  QFETCH(bool, checked);

  auto* item = form_->findChild<QAction*>(name);
  QVERIFY(item != nullptr);
  QCOMPARE(item->text(), caption);
  QCOMPARE(item->isSeparator(), name == "N1");
  QCOMPARE(item->property("Tag").toInt(), tag);
  QCOMPARE(item->isCheckable(), radio);
  QCOMPARE(item->isChecked(), checked);
  QCOMPARE(item->actionGroup() == form_->IconStyleGroup, radio);
  QVERIFY(item->shortcut().isEmpty());
}

void TestQuorvelMainWindow::toolbarButtons_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("left");
  QTest::addColumn<int>("image");
  QTest::addColumn<bool>("enabled");
  QTest::addColumn<QString>("hint");
  QTest::addColumn<bool>("grouped");
  QTest::addColumn<bool>("down");
  QTest::addColumn<int>("tag");

  QTest::newRow("exit") << "CloseProgramButton" << 0 << 2 << true << "終了" << false << false << 0;
  QTest::newRow("load") << "LoadItemsButton" << 31 << 6 << true << "読込み" << false << false << 0;
  QTest::newRow("cancel") << "CancelLoadItemsButton" << 54 << 7 << false << "中断" << false << false
                          << 0;
  QTest::newRow("3") << "ToolButton3" << 85 << 3 << false << "" << false << false << 0;
  QTest::newRow("4") << "ToolButton4" << 108 << 4 << false << "" << false << false << 0;
  QTest::newRow("ico") << "ResourceKindIconButton" << 139 << 5 << false << "" << true << true << 0;
  QTest::newRow("bmp") << "ResourceKindBmpButton" << 162 << 0 << false << "" << true << false << 1;
  QTest::newRow("mouse") << "ResourceKindMouseButton" << 185 << 1 << false << "" << true << false
                         << 2;
}

void TestQuorvelMainWindow::toolbarButtons() {
  QFETCH(QString, name);
  QFETCH(int, left);
  QFETCH(int, image);
  QFETCH(bool, enabled);
  QFETCH(QString, hint);
  QFETCH(bool, grouped);
  QFETCH(bool, down);
  QFETCH(int, tag);

  auto* button = form_->ToolBar1->findChild<QToolButton*>(name);
  QVERIFY(button != nullptr);
  QCOMPARE(button->geometry(), QRect(left, 0, 23, 22));
  QCOMPARE(button->isEnabled(), enabled);
  QCOMPARE(button->toolTip(), hint);
  QCOMPARE(button->isCheckable(), grouped);
  QCOMPARE(button->autoExclusive(), grouped);
  QCOMPARE(button->isChecked(), down);
  QCOMPARE(button->property("Tag").toInt(), tag);
  // The bar shows glyphs only, each drawn from the window's glyph list.
  QCOMPARE(button->text(), name);
  QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
  QCOMPARE(button->property("ImageIndex").toInt(), image);
  const QImage glyph = button->icon().pixmap(16, 16).toImage();
  QVERIFY(!glyph.isNull());
  QCOMPARE(glyph.convertToFormat(QImage::Format_ARGB32),
           form_->ButtonImageList->Pixmap(image).toImage().convertToFormat(QImage::Format_ARGB32));
}

void TestQuorvelMainWindow::stateAtStart() {
  QCOMPARE(form_->ListView1->ViewStyle(), TViewStyle::vsIcon);
  QCOMPARE(form_->ListView1->Items().Count(), 0);
  QCOMPARE(form_->StatusBar1->PanelCount(), 1);
  QCOMPARE(form_->StatusBar1->Panel(0).Text(), QString());
  QVERIFY(form_->StatusBar1->isSizeGripEnabled());
  QCOMPARE(form_->ButtonImageList->Count(), 8);
  QCOMPARE(form_->DirectoryList->Directory(),
           std::filesystem::canonical(std::filesystem::current_path()).string());
  // The gaps between the buttons: two 8-pixel separators and the divider.
  QCOMPARE(form_->ToolButton5->geometry(), QRect(23, 0, 8, 22));
  QCOMPARE(form_->ToolButton10->geometry(), QRect(77, 0, 8, 22));
  QCOMPARE(form_->ToolButton6->geometry(), QRect(131, 0, 8, 22));
  QCOMPARE(form_->ToolButton6->frameShape(), QFrame::VLine);
}

void TestQuorvelMainWindow::styleMenu_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("style");
  QTest::newRow("small") << "SmallIconMenu" << static_cast<int>(TViewStyle::vsSmallIcon);
  QTest::newRow("list") << "IconListMenu" << static_cast<int>(TViewStyle::vsList);
  QTest::newRow("details") << "DetailMenu" << static_cast<int>(TViewStyle::vsReport);
  QTest::newRow("large again") << "LargeIconMenu" << static_cast<int>(TViewStyle::vsIcon);
}

void TestQuorvelMainWindow::styleMenu() {
  QFETCH(QString, name);
  QFETCH(int, style);

  // Start from another style, so that every row changes both the mark and the view.
  form_->DetailMenu->trigger();
  form_->IconListMenu->trigger();
  auto* chosen = form_->findChild<QAction*>(name);
  for (int round = 0; round < 2; ++round) {  // choosing the checked item again keeps it so
    chosen->trigger();
    QCOMPARE(static_cast<int>(form_->ListView1->ViewStyle()), style);
    for (QAction* item : form_->IconStyleGroup->actions()) {
      QCOMPARE(item->isChecked(), item == chosen);
    }
  }
  QCOMPARE(reports_.count, 0);
}

void TestQuorvelMainWindow::styleRoundTripKeepsItems() {
  AddItems(*form_, 5);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));

  form_->DetailMenu->trigger();
  form_->LargeIconMenu->trigger();

  TListItems& items = form_->ListView1->Items();
  QCOMPARE(items.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    QCOMPARE(items.Item(i)->Caption(), QStringLiteral("file%1.exe:0").arg(i));
    QCOMPARE(items.Item(i)->ImageIndex(), i);
  }
  // Back in large icons they stand from the top.
  QCOMPARE(form_->ListView1->ItemPosition(0).y(), form_->ListView1->ItemPosition(1).y());
}

void TestQuorvelMainWindow::arrangeLinesUpMovedIcons() {
  AddItems(*form_, 4);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  TListView& view = *form_->ListView1;
  const QPoint first = view.ItemPosition(0);
  const QPoint last = view.ItemPosition(3);

  view.SetItemPosition(0, QPoint(200, 250));
  view.SetItemPosition(3, QPoint(5, 300));
  QCOMPARE(view.ItemPosition(0), QPoint(200, 250));
  form_->LineupIcons->trigger();
  QCOMPARE(view.ItemPosition(0), first);
  QCOMPARE(view.ItemPosition(3), last);
  QCOMPARE(view.Items().Item(0)->Caption(), QStringLiteral("file0.exe:0"));
  QCOMPARE(view.Items().Count(), 4);
}

void TestQuorvelMainWindow::driveBoxFollowsSplitter() {
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  // From the first appearance on, the box is as wide as the left pane, not the layout's 145.
  QCOMPARE(form_->DriveComboBox1->width(), 149);
  const QRect before = form_->DriveComboBox1->geometry();

  QSplitterHandle* handle = form_->Splitter1->handle(1);
  DragHandle(handle, 60);
  QVERIFY(form_->Panel1->width() > 200);
  QCOMPARE(form_->DriveComboBox1->width(), form_->Panel1->width());
  QCOMPARE(form_->DriveComboBox1->height(), before.height());
  QCOMPARE(form_->DriveComboBox1->pos(), before.topLeft());

  // Neither side gets narrower than 30 pixels.
  DragHandle(handle, -1000);
  QCOMPARE(form_->Panel1->width(), 30);
  QCOMPARE(form_->DriveComboBox1->width(), 30);
  DragHandle(handle, 1000);
  QCOMPARE(form_->ListView1->width(), 30);
  QCOMPARE(form_->DriveComboBox1->width(), form_->Panel1->width());

  // A wider window gives the extra width to the view, not the left pane.
  const int pane = form_->Panel1->width();
  DragHandle(handle, -200);
  const int paneAfterDrag = form_->Panel1->width();
  QVERIFY(paneAfterDrag < pane);
  form_->resize(form_->width() + 100, form_->height());
  QTRY_COMPARE(form_->centralWidget()->width(), 618);
  QCOMPARE(form_->Panel1->width(), paneAfterDrag);
  QCOMPARE(form_->DriveComboBox1->width(), paneAfterDrag);
}

void TestQuorvelMainWindow::exitCommandsCloseWindow_data() {
  QTest::addColumn<bool>("fromToolbar");
  QTest::addColumn<int>("items");
  QTest::newRow("menu, empty view") << false << 0;
  QTest::newRow("toolbar, with items") << true << 3;
}

void TestQuorvelMainWindow::exitCommandsCloseWindow() {
  QFETCH(bool, fromToolbar);
  QFETCH(int, items);
  AddItems(*form_, items);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));

  // The command runs inside the program's event loop, which closing the main window ends with
  // exit code 0; the watchdog turns a window that stays open into a failure instead of a hang.
  QTimer command;
  command.setSingleShot(true);
  connect(&command, &QTimer::timeout, [this, fromToolbar] {
    if (fromToolbar) {
      QTest::mouseClick(form_->CloseProgramButton, Qt::LeftButton);
    } else {
      form_->ExitProgramMenu->trigger();
    }
  });
  command.start(0);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  watchdog.start(60'000);
  QCOMPARE(QApplication::exec(), 0);
  QVERIFY(!form_->isVisible());
  QCOMPARE(reports_.count, 0);
}

void TestQuorvelMainWindow::unreadableVolumeIsReportedAndProgramGoesOn() {
  TempTree tree;
  const std::string readable = tree.Dir("volume");
  const std::string open = tree.Dir("volume/open");
  const std::string gone = tree.Dir("gone");
  form_->DriveComboBox1->SetVolumes({readable, gone});
  form_->DirectoryList->SetDirectory(open);
  std::filesystem::remove(gone);  // even root cannot read what is not there

  const auto& volumes = form_->DriveComboBox1->Volumes();
  const auto chosen = std::find(volumes.begin(), volumes.end(), gone) - volumes.begin();
  form_->DriveComboBox1->ChooseDrive(static_cast<int>(chosen));

  QCOMPARE(reports_.count, 1);
  QCOMPARE(reports_.caption, QStringLiteral("ソルデマン"));
  QVERIFY(!reports_.message.isEmpty());
  QCOMPARE(form_->DirectoryList->Directory(), open);
  QCOMPARE(form_->DriveComboBox1->Drive(), gone);

  // The program goes on.
  form_->SmallIconMenu->trigger();
  QCOMPARE(form_->ListView1->ViewStyle(), TViewStyle::vsSmallIcon);
  QCOMPARE(reports_.count, 1);
}

void TestQuorvelMainWindow::layoutScalesWithResolution() {
  // The window lays itself out at the screen's resolution; here a 144-dpi screen is pretended.
  ScaleLayout(form_->centralWidget(), 1.5);
  QCOMPARE(form_->LoadItemsButton->geometry(), QRect(47, 0, 35, 33));
  QCOMPARE(form_->ResourceKindMouseButton->geometry(), QRect(278, 0, 35, 33));
  QCOMPARE(form_->ToolBar1->maximumHeight(), 36);
  QCOMPARE(form_->Panel2->maximumHeight(), 27);
  QCOMPARE(form_->StatusBar1->minimumHeight(), 29);
  QCOMPARE(form_->Panel1->minimumWidth(), 45);
  QCOMPARE(form_->Splitter1->handleWidth(), 5);
  QCOMPARE(form_->DriveComboBox1->geometry(), QRect(0, 0, 218, 27));
  QCOMPARE(ScaledLength(QWIDGETSIZE_MAX, 1.5), QWIDGETSIZE_MAX);
}

QTEST_MAIN(TestQuorvelMainWindow)
#include "tst_QuorvelMainWindow.moc"
