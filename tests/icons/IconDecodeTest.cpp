#include <gtest/gtest.h>

#include <vector>

#include "IconFixtures.h"
#include "platform/icons/IconImageDecoder.h"

using namespace IconFixtures;

namespace {

QImage Decode(const std::string& bytes) {
  return DecodeIconImage(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace

// Every depth an icon image comes in: the colour where the mask is clear, transparency where it
// is set (the fixture masks the top-left pixel).
TEST(IconDecode, DecodesEveryDepthWithItsMask) {
  const QRgb color = TImage{}.Color;
  for (const TImage& shape : {TImage{32, 32, 1}, TImage{32, 32, 4}, TImage{32, 32, 8},
                              TImage{32, 32, 16}, TImage{32, 32, 24}, TImage{32, 32, 32},
                              TImage{32, 32, 32, true}, TImage{13, 7, 4}, TImage{256, 256, 32}}) {
    SCOPED_TRACE(testing::Message() << shape.Width << "x" << shape.Height << " bits "
                                    << shape.BitCount << (shape.Png ? " png" : ""));
    const QImage image = Decode(ImageData(shape));
    ASSERT_EQ(image.size(), QSize(shape.Width, shape.Height));
    EXPECT_EQ(image.pixel(shape.Width - 1, shape.Height - 1), color);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  }
}

// Old 32-bit images leave the alpha channel empty and rely on the mask.
TEST(IconDecode, ThirtyTwoBitImageWithoutAlphaUsesTheMask) {
  std::string bytes = ImageData({8, 8, 32});
  for (std::size_t i = 40 + 3; i < 40 + 8 * 8 * 4; i += 4) {
    bytes[i] = 0;
  }
  const QImage image = Decode(bytes);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixel(4, 4), TImage{}.Color);
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST(IconDecode, PaletteCountsOutsideThePalette) {
  TImage shortPalette{8, 8, 8};
  shortPalette.ColorsUsed = 1;  // pixels use colour 1, past the one-entry palette: black
  const QImage black = Decode(ImageData(shortPalette));
  ASSERT_FALSE(black.isNull());
  EXPECT_EQ(black.pixel(4, 4), qRgb(0, 0, 0));

  TImage longPalette{8, 8, 4};
  longPalette.ColorsUsed = 300;  // more than 4 bits can index: the full palette
  const QImage colored = Decode(ImageData(longPalette));
  ASSERT_FALSE(colored.isNull());
  EXPECT_EQ(colored.pixel(4, 4), TImage{}.Color);
}
