#include <gtest/gtest.h>

#include <vector>

#include "IconFixtures.h"
#include "TempTree.h"
#include "platform/ShellIcons.h"
#include "platform/icons/IconChoice.h"

using namespace IconFixtures;

namespace {

constexpr QRgb kRed = qRgb(200, 0, 0);
constexpr QRgb kGreen = qRgb(0, 200, 0);
constexpr QRgb kBlue = qRgb(0, 0, 200);
constexpr QRgb kYellow = qRgb(200, 200, 0);
constexpr QRgb kCyan = qRgb(0, 200, 200);

TImage Image(int size, int bits, QRgb color, bool png = false) {
  TImage image;
  image.Width = image.Height = size;
  image.BitCount = bits;
  image.Color = color;
  image.Png = png;
  return image;
}

struct TChoiceCase {
  const char* Name;
  std::vector<TImage> Images;
  double Ratio;
  QSize SmallSource;
  QRgb SmallColor;
  QSize LargeSource;
  QRgb LargeColor;
};

}  // namespace

// Which of a group's images each list size gets, seen through the extraction.
TEST(IconChoice, PicksTheBestImageForEachListSize) {
  const std::vector<TChoiceCase> cases = {
      {"exact sizes, deepest colour",
       {Image(16, 4, kRed), Image(16, 32, kGreen), Image(32, 8, kBlue), Image(32, 32, kYellow),
        Image(48, 32, kCyan)},
       1.0,
       {16, 16},
       kGreen,
       {32, 32},
       kYellow},
      {"no exact size: the nearest larger, scaled down",
       {Image(48, 32, kRed), Image(256, 32, kGreen, true), Image(24, 8, kBlue)},
       1.0,
       {24, 24},
       kBlue,
       {48, 48},
       kRed},
      {"only a smaller one: scaled up", {Image(16, 32, kRed)}, 1.0, {16, 16}, kRed, {16, 16}, kRed},
      {"high DPI: the 256 PNG rather than a 48 scaled up",
       {Image(16, 32, kRed), Image(32, 32, kGreen), Image(48, 32, kBlue),
        Image(256, 32, kYellow, true)},
       2.0,
       {32, 32},
       kGreen,
       {256, 256},
       kYellow},
      {"ratio 1.5",
       {Image(16, 32, kRed), Image(24, 32, kGreen), Image(48, 32, kBlue)},
       1.5,
       {24, 24},
       kGreen,
       {48, 48},
       kBlue},
  };
  TempTree tree;
  for (const TChoiceCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SetIconDevicePixelRatio(c.Ratio);
    const HICON icon = ExtractIconA(tree.File("choice.ico", IcoFile(c.Images)), 0).TakeIcon();
    SetIconDevicePixelRatio(1.0);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon.SourceSize(16), c.SmallSource);
    EXPECT_EQ(icon.SourceSize(32), c.LargeSource);
    const QImage small = icon.ImageFor(16);
    const QImage large = icon.ImageFor(32);
    EXPECT_EQ(small.pixel(small.width() / 2, small.height() / 2), c.SmallColor);
    EXPECT_EQ(large.pixel(large.width() / 2, large.height() / 2), c.LargeColor);
  }
}

TEST(IconChoice, RanksExactThenLargerThenSmaller) {
  const auto ref = [](int size, int bits) {
    return TIconImageRef{.Width = size, .Height = size, .BitCount = bits};
  };
  const std::vector<TIconImageRef> images = {ref(16, 32), ref(64, 32), ref(32, 4),
                                             ref(48, 32), ref(32, 32), ref(24, 32)};
  EXPECT_EQ(RankImages(images, 32), (std::vector<std::size_t>{4, 2, 3, 1, 5, 0}));
  EXPECT_TRUE(RankImages({}, 32).empty());
}
