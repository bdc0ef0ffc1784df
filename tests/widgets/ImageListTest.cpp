#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "widgets/Icon.h"
#include "widgets/ImageList.h"

namespace {

QImage Filled(QSize size, QColor colour, qreal ratio = 1.0) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(colour);
  image.setDevicePixelRatio(ratio);
  return image;
}

std::unique_ptr<TIcon> MakeIcon(const QImage& small, const QImage& large) {
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(HICON(HICON::TImages{small, small.size(), large, large.size()}));
  return icon;
}

}  // namespace

class ImageListTest : public QObject {
  Q_OBJECT

 private slots:
  void addIconTakesTheImageOfItsSize();
  void emptyIconsTakeNoIndex();
  void clearStartsIndexesAgain();
  void keepsItsOwnCopy();
  void scalesToItsSize_data();
  void scalesToItsSize();
};

void ImageListTest::addIconTakesTheImageOfItsSize() {
  TImageList large(32, 32, nullptr);
  TImageList small(16, 16, nullptr);
  const auto icon = MakeIcon(Filled({16, 16}, Qt::red), Filled({32, 32}, Qt::blue));
  QCOMPARE(large.AddIcon(*icon), 0);
  QCOMPARE(small.AddIcon(*icon), 0);
  QCOMPARE(large.AddIcon(*icon), 1);
  QCOMPARE(large.Count(), 2);
  QCOMPARE(large.Pixmap(1).toImage().pixelColor(5, 5), QColor(Qt::blue));
  QCOMPARE(small.Pixmap(0).toImage().pixelColor(5, 5), QColor(Qt::red));
  QVERIFY(large.Pixmap(2).isNull());
  QVERIFY(large.Pixmap(-1).isNull());
}

void ImageListTest::emptyIconsTakeNoIndex() {
  TImageList list(32, 32, nullptr);
  const TIcon noHandle;
  const auto noImage = MakeIcon(Filled({16, 16}, Qt::red), QImage());
  QSignalSpy changed(&list, &TImageList::Changed);
  QCOMPARE(list.AddIcon(noHandle), -1);
  QCOMPARE(list.AddIcon(*noImage), -1);
  QCOMPARE(list.AddImage(QImage()), -1);
  QCOMPARE(list.Count(), 0);
  QCOMPARE(changed.count(), 0);
  // The next good icon gets the index the refused ones would have had.
  QCOMPARE(list.AddIcon(*MakeIcon(QImage(), Filled({32, 32}, Qt::green))), 0);
}

void ImageListTest::clearStartsIndexesAgain() {
  TImageList list(16, 16, nullptr);
  list.AddImage(Filled({16, 16}, Qt::red));
  list.AddImage(Filled({16, 16}, Qt::red));
  list.Clear();
  QCOMPARE(list.Count(), 0);
  QVERIFY(list.Pixmap(0).isNull());
  QCOMPARE(list.AddImage(Filled({16, 16}, Qt::green)), 0);
}

void ImageListTest::keepsItsOwnCopy() {
  TImageList list(32, 32, nullptr);
  auto icon = MakeIcon(QImage(), Filled({32, 32}, Qt::yellow));
  list.AddIcon(*icon);
  icon.reset();  // the icon object and its handle go; the list's image stays
  QCOMPARE(list.Pixmap(0).toImage().pixelColor(16, 16), QColor(Qt::yellow));
}

void ImageListTest::scalesToItsSize_data() {
  QTest::addColumn<QImage>("source");
  QTest::addColumn<QSize>("deviceSize");
  QTest::addColumn<qreal>("ratio");
  QTest::addColumn<QPoint>("transparentPixel");  // (-1,-1): none expected

  QTest::newRow("larger") << Filled({48, 48}, Qt::red) << QSize(32, 32) << 1.0 << QPoint(-1, -1);
  QTest::newRow("smaller") << Filled({16, 16}, Qt::red) << QSize(32, 32) << 1.0 << QPoint(-1, -1);
  QTest::newRow("sharp at ratio 2")
      << Filled({64, 64}, Qt::red, 2.0) << QSize(64, 64) << 2.0 << QPoint(-1, -1);
  QTest::newRow("wide, centred") << Filled({32, 16}, Qt::red) << QSize(32, 32) << 1.0
                                 << QPoint(16, 2);
}

void ImageListTest::scalesToItsSize() {
  QFETCH(QImage, source);
  QFETCH(QSize, deviceSize);
  QFETCH(qreal, ratio);
  QFETCH(QPoint, transparentPixel);
  TImageList list(32, 32, nullptr);
  QCOMPARE(list.AddImage(source), 0);
  const QImage copy = list.Pixmap(0).toImage();
  QCOMPARE(copy.size(), deviceSize);
  QCOMPARE(copy.devicePixelRatio(), ratio);
  const QPoint centre(deviceSize.width() / 2, deviceSize.height() / 2);
  QCOMPARE(copy.pixelColor(centre), QColor(Qt::red));
  if (transparentPixel.x() >= 0) {
    QCOMPARE(copy.pixelColor(transparentPixel).alpha(), 0);
  }
}

QTEST_MAIN(ImageListTest)
#include "ImageListTest.moc"
