#include "MxCtlUtils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

TEST(MxCtlUtils, ShortenString) {
  const QFontMetrics metrics(QApplication::font());
  const QString text = QStringLiteral("Exportuj tabelę");
  EXPECT_EQ(ShortenString(text, metrics, metrics.horizontalAdvance(text)), text);
  const int width = metrics.horizontalAdvance(QStringLiteral("Export..."));
  const QString cut = ShortenString(text, metrics, width);
  EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
  EXPECT_LE(metrics.horizontalAdvance(cut), width);
  EXPECT_TRUE(text.startsWith(cut.chopped(3)));
  EXPECT_GT(metrics.horizontalAdvance(cut.chopped(3) + text[cut.size() - 3] + QStringLiteral("...")), width);
  EXPECT_EQ(ShortenString(text, metrics, 1), "...");
}

TEST(MxCtlUtils, CommandLineTokens) {
  struct Case {
    QString commandLine;
    QStringList tokens;
  };
  for (const Case &c : {
           Case{"prog a b", {"prog", "a", "b"}},
           Case{"  prog\t a  ", {"prog", "a"}},
           Case{R"("C:\Program Files\x.exe" "a b" c)", {R"(C:\Program Files\x.exe)", "a b", "c"}},
           Case{R"(prog "" "" x)", {"prog", "x"}},
           Case{R"(pre"fix mid"post)", {"prefix midpost"}},
           Case{R"("unclosed rest)", {"unclosed rest"}},
           Case{"", {}},
       })
    EXPECT_EQ(ParseCommandLine(c.commandLine), c.tokens) << c.commandLine.toStdString();
  EXPECT_EQ(ParamCountFromCommandLine("prog a b"), 2);
  EXPECT_EQ(ParamStrFromCommandLine("prog a b", 2), "b");
  EXPECT_EQ(ParamStrFromCommandLine("prog a b", 3), "");
  QString program, params;
  SplitCommandLine(R"("my prog" one "two words"  three)", program, params);
  EXPECT_EQ(program, "my prog");
  EXPECT_EQ(params, R"(one "two words" three)");
}

TEST(MxCtlUtils, DisabledBitmapEmbossesTheOutline) {
  QImage glyph(4, 4, QImage::Format_RGB32);
  glyph.fill(Qt::white);
  glyph.setPixelColor(1, 1, Qt::black);
  const QImage disabled = CreateDisabledBitmap(glyph, clBlack);
  EXPECT_EQ(QColorToColor(disabled.pixelColor(1, 1)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(QColorToColor(disabled.pixelColor(2, 2)), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(QColorToColor(disabled.pixelColor(0, 0)), ColorToRGB(clBtnFace));
}

TEST(MxCtlUtils, TransparentDrawingLeavesTheKeyColourOut) {
  QImage bitmap(2, 1, QImage::Format_RGB32);
  bitmap.setPixelColor(0, 0, Qt::red);
  bitmap.setPixelColor(1, 0, QColor(255, 0, 255));
  QImage target(2, 1, QImage::Format_RGB32);
  target.fill(Qt::white);
  {
    TCanvas canvas(&target);
    DrawBitmapTransparent(canvas, 0, 0, bitmap, clDefault); // bottom-left pixel: red is the key
  }
  EXPECT_EQ(QColorToColor(target.pixelColor(0, 0)), clWhite);
  EXPECT_EQ(QColorToColor(target.pixelColor(1, 0)), clFuchsia);
  target.fill(Qt::white);
  {
    TCanvas canvas(&target);
    DrawBitmapTransparent(canvas, 0, 0, bitmap, clFuchsia);
  }
  EXPECT_EQ(QColorToColor(target.pixelColor(0, 0)), clRed);
  EXPECT_EQ(QColorToColor(target.pixelColor(1, 0)), clWhite);
}

TEST(MxCtlUtils, CellTextPlacement) {
  QImage image(60, 20, QImage::Format_RGB32);
  const auto inkColumns = [&image] {
    int left = image.width(), right = -1;
    for (int x = 0; x < image.width(); ++x)
      for (int y = 0; y < image.height(); ++y)
        if (QColorToColor(image.pixelColor(x, y)) != clYellow) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    return std::pair(left, right);
  };
  for (TAlignment alignment : {taLeftJustify, taRightJustify, taCenter}) {
    image.fill(Qt::white);
    {
      TCanvas canvas(&image);
      canvas.Brush.Color = clYellow;
      canvas.Font.SetColor(clBlack);
      DrawCellTextEx(canvas, image.rect(), 2, alignment, vaCenter, QStringLiteral("II"), false);
    }
    const auto [left, right] = inkColumns();
    ASSERT_LE(left, right) << alignment;
    if (alignment == taLeftJustify)
      EXPECT_LE(left, 5);
    else if (alignment == taRightJustify)
      EXPECT_GE(right, 50);
    else
      EXPECT_NEAR((left + right) / 2.0, 30, 4);
  }
}
