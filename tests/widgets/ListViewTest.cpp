#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <array>
#include <memory>
#include <vector>

#include "PaintCounter.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

Q_DECLARE_METATYPE(TViewStyle)

namespace {

QImage Filled(int size, QColor colour) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

// An icon whose image tells when its last holder lets go of it.
std::unique_ptr<TIcon> TracedIcon(int& released) {
  static uchar pixels[16 * 16 * 4];
  const QImage image(
      pixels, 16, 16, QImage::Format_ARGB32, [](void* count) { ++*static_cast<int*>(count); },
      &released);
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(HICON(HICON::TImages{image, {16, 16}, image, {16, 16}}));
  return icon;
}

constexpr std::array<Qt::GlobalColor, 5> kColours{Qt::red, Qt::green, Qt::blue, Qt::yellow,
                                                  Qt::cyan};

// A view with both image lists and one item per colour, each showing its own image.
struct TFixture {
  TFixture() {
    view.SetLargeImages(&large);
    view.SetSmallImages(&small);
    for (size_t i = 0; i < kColours.size(); ++i) {
      auto icon = std::make_unique<TIcon>();
      icon->SetHandle(HICON(
          HICON::TImages{Filled(16, kColours[i]), {16, 16}, Filled(32, kColours[i]), {32, 32}}));
      TListItem* item = view.Items().Add();
      item->SetImageIndex(large.AddIcon(*icon));
      small.AddIcon(*icon);
      item->SetCaption(QStringLiteral("file%1.dll:0").arg(i));
      item->SetData(std::move(icon));
    }
    view.resize(400, 300);
    view.show();
    exposed = QTest::qWaitForWindowExposed(&view);
  }

  [[nodiscard]] QAbstractItemView* Shown() const {
    for (auto* candidate : view.findChildren<QAbstractItemView*>()) {
      if (candidate->isVisible()) {
        return candidate;
      }
    }
    return nullptr;
  }

  TImageList large{32, 32, nullptr};
  TImageList small{16, 16, nullptr};
  TListView view;
  bool exposed = false;
};

}  // namespace

class ListViewTest : public QObject {
  Q_OBJECT

 private slots:
  void styleRoundTripKeepsItems();
  void stylesDrawFromTheirImageList_data();
  void stylesDrawFromTheirImageList();
  void reportShowsOneRowPerItem();
  void updateModeHoldsBackLayoutAndPaint();
  void clearReleasesItemsAndTheirIcons();
  void captionEditsInPlace();
  void arrangeLinesMovedItemsUp();
  void arrangeChangesNothingInListStyles();
  void newIconStyleArrangesButSameStyleDoesNothing();
};

void ListViewTest::styleRoundTripKeepsItems() {
  TFixture f;
  const TIcon* firstIcon = f.view.Items().Item(0)->Data();
  for (TViewStyle style :
       {TViewStyle::vsReport, TViewStyle::vsList, TViewStyle::vsSmallIcon, TViewStyle::vsIcon}) {
    f.view.SetViewStyle(style);
    QCOMPARE(f.view.ViewStyle(), style);
    QCOMPARE(f.view.Items().Count(), int(kColours.size()));
    QCOMPARE(f.Shown()->model()->rowCount(), int(kColours.size()));
    for (int i = 0; i < f.view.Items().Count(); ++i) {
      const TListItem* item = f.view.Items().Item(i);
      QCOMPARE(item->Caption(), QStringLiteral("file%1.dll:0").arg(i));
      QCOMPARE(item->ImageIndex(), i);
    }
  }
  QCOMPARE(f.view.Items().Item(0)->Data(), firstIcon);
}

void ListViewTest::stylesDrawFromTheirImageList_data() {
  QTest::addColumn<TViewStyle>("style");
  QTest::addColumn<int>("imageSize");
  QTest::newRow("large icons") << TViewStyle::vsIcon << 32;
  QTest::newRow("small icons") << TViewStyle::vsSmallIcon << 16;
  QTest::newRow("list") << TViewStyle::vsList << 16;
  QTest::newRow("report") << TViewStyle::vsReport << 16;
}

void ListViewTest::stylesDrawFromTheirImageList() {
  QFETCH(TViewStyle, style);
  QFETCH(int, imageSize);
  TFixture f;
  f.view.SetViewStyle(style);
  const QAbstractItemModel* model = f.Shown()->model();
  for (int i = 0; i < int(kColours.size()); ++i) {
    const auto image = model->index(i, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    QCOMPARE(image.size(), QSize(imageSize, imageSize));
    QCOMPARE(image.pixelColor(imageSize / 2, imageSize / 2), QColor(kColours[size_t(i)]));
  }
  // An item without an image, as a failed extraction leaves it, shows no picture.
  f.view.Items().Add()->SetImageIndex(-1);
  QVERIFY(!model->index(int(kColours.size()), 0).data(Qt::DecorationRole).isValid());
}

void ListViewTest::reportShowsOneRowPerItem() {
  TFixture f;
  f.view.SetViewStyle(TViewStyle::vsReport);
  QAbstractItemView* report = f.Shown();
  QVERIFY(report != nullptr);
  const QAbstractItemModel* model = report->model();
  QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString());
  QRect previous;
  for (int i = 0; i < int(kColours.size()); ++i) {
    const QRect row = report->visualRect(model->index(i, 0));
    QVERIFY(row.isValid());
    QVERIFY(row.top() > previous.top() || i == 0);
    previous = row;
  }
}

void ListViewTest::updateModeHoldsBackLayoutAndPaint() {
  TFixture f;
  QVERIFY(f.exposed);
  QAbstractItemView* shown = f.Shown();
  TPaintCounter paints(shown->viewport());

  f.view.Items().BeginUpdate();
  f.view.Items().BeginUpdate();  // nested
  f.view.Items().Clear();
  for (int i = 0; i < 100; ++i) {
    f.view.Items().Add()->SetCaption(QString::number(i));
  }
  f.view.Items().EndUpdate();
  shown->viewport()->update();
  QTest::qWait(50);
  QCOMPARE(f.view.Items().Count(), 100);
  QCOMPARE(shown->model()->rowCount(), 0);  // still updating: nothing shown, nothing laid out
  QCOMPARE(paints.count, 0);

  f.view.Items().EndUpdate();
  QCOMPARE(shown->model()->rowCount(), 100);
  QTRY_VERIFY(paints.count > 0);
  QCOMPARE(shown->model()->index(99, 0).data().toString(), QStringLiteral("99"));

  f.view.Items().EndUpdate();  // unbalanced: ignored, the next update still holds back
  f.view.Items().BeginUpdate();
  f.view.Items().Add();
  QCOMPARE(shown->model()->rowCount(), 100);
  f.view.Items().EndUpdate();
  QCOMPARE(shown->model()->rowCount(), 101);
}

void ListViewTest::clearReleasesItemsAndTheirIcons() {
  int released = 0;
  {
    TListView view;
    for (int i = 0; i < 3; ++i) {
      view.Items().Add()->SetData(TracedIcon(released));
    }
    view.Items().BeginUpdate();
    view.Items().Clear();
    QCOMPARE(released, 3);
    QCOMPARE(view.Items().Count(), 0);
    QVERIFY(view.Items().Item(0) == nullptr);
    TListItem* item = view.Items().Add();
    QCOMPARE(item->Index(), 0);
    QCOMPARE(item->ImageIndex(), -1);
    QVERIFY(item->Data() == nullptr);
    item->SetData(TracedIcon(released));
    view.Items().EndUpdate();
  }
  QCOMPARE(released, 4);  // the view's items went with it
}

void ListViewTest::captionEditsInPlace() {
  TFixture f;
  f.view.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f.view));
  QAbstractItemView* shown = f.Shown();
  shown->setFocus();
  shown->setCurrentIndex(shown->model()->index(1, 0));
  QTest::keyClick(shown, Qt::Key_F2);
  QWidget* editor = QApplication::focusWidget();
  QVERIFY(editor != nullptr && editor != shown);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, QStringLiteral("renamed"));
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(f.view.Items().Item(1)->Caption(), QStringLiteral("renamed"));  // committed queued
  QCOMPARE(f.view.Items().Item(1)->ImageIndex(), 1);
}

void ListViewTest::arrangeLinesMovedItemsUp() {
  for (TViewStyle style : {TViewStyle::vsIcon, TViewStyle::vsSmallIcon}) {
    TFixture f;
    f.view.SetViewStyle(style);
    std::vector<QPoint> lined;
    lined.reserve(size_t(f.view.Items().Count()));
    for (int i = 0; i < f.view.Items().Count(); ++i) {
      lined.push_back(f.view.ItemPosition(i));
    }
    QCOMPARE(lined[0].y(), lined[1].y());  // a row from the top, not a column
    f.view.SetItemPosition(0, QPoint(250, 180));
    f.view.SetItemPosition(3, QPoint(10, 200));
    QCOMPARE(f.view.ItemPosition(0), QPoint(250, 180));
    f.view.Arrange();
    for (int i = 0; i < f.view.Items().Count(); ++i) {
      QCOMPARE(f.view.ItemPosition(i), lined[size_t(i)]);
    }
  }
}

void ListViewTest::arrangeChangesNothingInListStyles() {
  for (TViewStyle style : {TViewStyle::vsList, TViewStyle::vsReport}) {
    TFixture f;
    f.view.SetViewStyle(style);
    const QPoint before = f.view.ItemPosition(2);
    f.view.SetItemPosition(2, QPoint(250, 180));
    f.view.Arrange();
    QCOMPARE(f.view.ItemPosition(2), before);
    QCOMPARE(f.view.Items().Item(2)->Caption(), QStringLiteral("file2.dll:0"));
  }
}

void ListViewTest::newIconStyleArrangesButSameStyleDoesNothing() {
  TFixture f;
  const QPoint lined = f.view.ItemPosition(1);
  f.view.SetItemPosition(1, QPoint(200, 150));
  f.view.SetViewStyle(TViewStyle::vsIcon);  // already the style: the moved item stays
  QCOMPARE(f.view.ItemPosition(1), QPoint(200, 150));
  f.view.SetViewStyle(TViewStyle::vsReport);
  f.view.SetViewStyle(TViewStyle::vsIcon);
  QCOMPARE(f.view.ItemPosition(1), lined);
}

QTEST_MAIN(ListViewTest)
#include "ListViewTest.moc"
