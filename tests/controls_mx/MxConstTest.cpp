#include "MxConst.h"
#include "MxToolEdit.h"

#include <QPixmap>
#include <gtest/gtest.h>

TEST(MxConst, CursorsAreOurDrawings) {
  const QCursor &hand = ScreenCursor(crHand);
  EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
  EXPECT_EQ(hand.pixmap().size(), QSize(16, 16));
  EXPECT_EQ(hand.hotSpot(), QPoint(5, 0));
  EXPECT_EQ(ScreenCursor(crDragHand).shape(), Qt::BitmapCursor);
  EXPECT_EQ(ScreenCursor(0).shape(), Qt::ArrowCursor);
}

TEST(MxConst, DefaultButtonPicturesHaveATransparentCorner) {
  for (const QImage *glyph : {&FileEditGlyph(), &DateEditGlyph()}) {
    ASSERT_FALSE(glyph->isNull());
    EXPECT_EQ(QColorToColor(glyph->pixelColor(0, glyph->height() - 1)), clFuchsia);
  }
  EXPECT_EQ(DateEditGlyph().width(), 2 * 16);
}
