#include "ExDBGridPicture.h"
#include "DataSource.h"
#include "ExDBGrid.h"
#include "Field.h"
#include "GridInput.h"
#include "TestDataSet.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

QByteArray Encoded(const QImage &image, const char *format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QImage Filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

bool Reddish(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60; }

struct FitCase {
  QSize picture;
  QRect expected;
};

class ExDBGridFitPictureTest : public testing::TestWithParam<FitCase> {};

TEST_P(ExDBGridFitPictureTest, KeepsTheAspectRatioAndCentres) {
  EXPECT_EQ(FitPictureRect(GetParam().picture, QRect(10, 20, 40, 40)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExDBGridFitPictureTest,
                         testing::Values(FitCase{QSize(100, 50), QRect(10, 30, 40, 20)},
                                         FitCase{QSize(20, 80), QRect(25, 20, 10, 40)},
                                         FitCase{QSize(0, 0), QRect(10, 40, 40, 0)}));

TEST(ExDBGridDecodePicture, ReadsBitmapsAndJpegsAndRefusesAnythingElse) {
  const QImage red = Filled(QSize(16, 8), Qt::red);
  const QImage bitmap = DecodeGridPicture(Encoded(red, "BMP"));
  ASSERT_FALSE(bitmap.isNull());
  EXPECT_EQ(bitmap.size(), QSize(16, 8));
  const QImage jpeg = DecodeGridPicture(Encoded(red, "JPG"));
  ASSERT_FALSE(jpeg.isNull());
  EXPECT_EQ(jpeg.size(), QSize(16, 8));
  EXPECT_TRUE(Reddish(jpeg.pixel(8, 4)));
  QByteArray cut = Encoded(red, "JPG");
  cut.truncate(20);
  EXPECT_TRUE(DecodeGridPicture(cut).isNull()) << "a JPEG cut inside its header";
  EXPECT_TRUE(DecodeGridPicture(QByteArray("not a picture")).isNull());
}

TEST(ExDBGridPictureCells, GraphicFieldPaintsItsPictureOnlyWithDisplayImages) {
  TTestDataSet data;
  data.FieldDefs().Add(QStringLiteral("NAME"), ftString, 10);
  data.FieldDefs().Add(QStringLiteral("PIC"), ftGraphic);
  data.Open();
  data.AppendRecord({QStringLiteral("A"), Encoded(Filled(QSize(30, 30), Qt::red), "JPG")});
  data.First();
  TDataSource source;
  source.SetDataSet(&data);
  QWidget window;
  window.resize(300, 120);
  auto *grid = new TExDBGrid(&window);
  grid->setGeometry(0, 0, 300, 120);
  grid->SetScrollBars(ssNone);
  grid->SetDataSource(&source);
  GridInput::UseStableLook();
  GridInput::ShowFocused(window, *grid);
  const QPoint centre = grid->CellRect(1 + grid->IndicatorOffset(), grid->TitleOffset()).center();
  EXPECT_TRUE(Reddish(grid->viewport()->grab().toImage().pixel(centre)));
  grid->SetDisplayImages(false);
  EXPECT_FALSE(Reddish(grid->viewport()->grab().toImage().pixel(centre)));
}

} // namespace
