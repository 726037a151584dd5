#include "Graphics.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Blank(int width = 20, int height = 20) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

TColor Pixel(const QImage &image, int x, int y) { return QColorToColor(image.pixelColor(x, y)); }

struct TPixel {
  int X, Y;
  TColor Color;
};

void ExpectPixels(const QImage &image, std::initializer_list<TPixel> pixels) {
  for (const TPixel &p : pixels)
    EXPECT_EQ(Pixel(image, p.X, p.Y), p.Color) << p.X << "," << p.Y;
}

} // namespace

TEST(Color, PlainColoursAreBgr) {
  struct Case {
    TColor color;
    QColor expected;
  };
  for (const Case &c : {Case{clRed, QColor(255, 0, 0)}, Case{clBlue, QColor(0, 0, 255)},
                        Case{clOlive, QColor(128, 128, 0)}, Case{RGBToColor(1, 2, 3), QColor(1, 2, 3)}}) {
    EXPECT_EQ(ColorToQColor(c.color), c.expected);
    EXPECT_EQ(QColorToColor(c.expected), c.color);
  }
}

TEST(Color, SystemColoursComeFromThePalette) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30));
  palette.setColor(QPalette::Active, QPalette::Base, QColor(40, 50, 60));
  palette.setColor(QPalette::Active, QPalette::Highlight, QColor(70, 80, 90));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(1, 1, 1));
  EXPECT_EQ(unsigned(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(unsigned(clInfoBk), 0x80000018u);
  EXPECT_EQ(ColorToQColor(clBtnFace, &palette), QColor(10, 20, 30));
  EXPECT_EQ(ColorToQColor(clWindow, &palette), QColor(40, 50, 60));
  EXPECT_EQ(ColorToQColor(clDefault, &palette), QColor(40, 50, 60));
  EXPECT_EQ(ColorToQColor(clHighlight, &palette), QColor(70, 80, 90));
  EXPECT_EQ(ColorToQColor(clGrayText, &palette), QColor(1, 1, 1));
  EXPECT_EQ(ColorToRGB(clBtnFace, &palette), RGBToColor(10, 20, 30));
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
}

TEST(Font, ChangesNotifyAndAssignKeepsTheHandler) {
  TFont font;
  int changes = 0;
  font.OnChange = [&](TFont *) { ++changes; };
  font.SetSize(10);
  font.SetSize(10);
  font.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(font.Height(), -13);
  EXPECT_TRUE(font.ToQFont().bold());
  EXPECT_TRUE(font.ToQFont().italic());
  TFont other;
  other.SetColor(clRed);
  font = other;
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(font.Color(), clRed);
  EXPECT_TRUE(font.OnChange);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
}

TEST(Canvas, FillAndFrame) {
  QImage image = Blank();
  {
    TCanvas canvas(&image);
    canvas.Brush.Color = clRed;
    canvas.FillRect(QRect(2, 2, 5, 5));
    canvas.Brush.Color = clBlue;
    canvas.FrameRect(QRect(10, 10, 5, 5));
  }
  ExpectPixels(image, {{2, 2, clRed},
                       {6, 6, clRed},
                       {7, 7, clWhite},
                       {10, 10, clBlue},
                       {14, 14, clBlue},
                       {12, 12, clWhite},
                       {15, 15, clWhite}});
}

TEST(Canvas, Frame3DPaintsTheSidesAndShrinks) {
  QImage image = Blank();
  QRect rect(0, 0, 10, 10);
  {
    TCanvas canvas(&image);
    Frame3D(canvas, rect, clRed, clBlue, 1);
  }
  EXPECT_EQ(rect, QRect(1, 1, 8, 8));
  ExpectPixels(image, {{0, 0, clRed},
                       {5, 0, clRed},
                       {0, 5, clRed},
                       {9, 0, clBlue},
                       {9, 5, clBlue},
                       {0, 9, clBlue},
                       {5, 9, clBlue},
                       {5, 5, clWhite}});
}

TEST(Canvas, LineToLeavesTheEndPoint) {
  QImage image = Blank();
  {
    TCanvas canvas(&image);
    canvas.Pen.Color = clGreen;
    canvas.MoveTo(2, 3);
    canvas.LineTo(8, 3);
    canvas.LineTo(8, 9);
  }
  ExpectPixels(image, {{2, 3, clGreen}, {7, 3, clGreen}, {8, 3, clGreen}, {8, 8, clGreen}, {8, 9, clWhite}});
}

TEST(Canvas, TextRectFillsAndClips) {
  QImage image = Blank(60, 20);
  {
    TCanvas canvas(&image);
    canvas.Brush.Color = clYellow;
    canvas.Font.SetColor(clBlack);
    canvas.TextRect(QRect(0, 0, 10, 20), 0, 0, QStringLiteral("WWWWWW"));
  }
  EXPECT_EQ(Pixel(image, 9, 19), clYellow);
  bool inked = false;
  for (int x = 0; x < 10; ++x)
    for (int y = 0; y < 20; ++y)
      inked = inked || Pixel(image, x, y) != clYellow;
  EXPECT_TRUE(inked);
  for (int x = 10; x < 60; ++x)
    for (int y = 0; y < 20; ++y)
      ASSERT_EQ(Pixel(image, x, y), clWhite) << x << "," << y;
}

TEST(Canvas, TextRectAlignsRight) {
  QImage image = Blank(100, 20);
  {
    TCanvas canvas(&image);
    canvas.Font.SetColor(clBlack);
    canvas.TextRect(QRect(0, 0, 100, 20), QStringLiteral("I"), tfRight | tfVerticalCenter | tfSingleLine);
  }
  int leftmost = 100;
  for (int x = 0; x < 100; ++x)
    for (int y = 0; y < 20; ++y)
      if (Pixel(image, x, y) != clWhite)
        leftmost = std::min(leftmost, x);
  EXPECT_GT(leftmost, 80);
  EXPECT_LT(leftmost, 100);
}
