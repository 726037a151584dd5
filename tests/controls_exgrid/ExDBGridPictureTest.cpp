#include "ExDBGridPicture.h"
#include "DataSource.h"
#include "ExDBGrid.h"
#include "Field.h"
#include "GridInput.h"
#include "InplaceEdit.h"
#include "TestDataSet.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QImage Filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

bool Reddish(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60; }

// A JPEG whose frame header claims another size than its data holds.
QByteArray JpegClaiming(int width, int height) {
  QByteArray bytes = EncodeGridPicture(Filled(QSize(16, 16), Qt::red), "JPG");
  for (qsizetype i = 0; i + 8 < bytes.size(); ++i)
    if (uchar(bytes[i]) == 0xFF && (uchar(bytes[i + 1]) == 0xC0 || uchar(bytes[i + 1]) == 0xC2)) {
      qToBigEndian<quint16>(quint16(height), bytes.data() + i + 5);
      qToBigEndian<quint16>(quint16(width), bytes.data() + i + 7);
      return bytes;
    }
  return bytes;
}

// A bitmap whose header claims another size.
QByteArray BitmapClaiming(int width, int height) {
  QByteArray bytes = EncodeGridPicture(Filled(QSize(4, 4), Qt::red), "BMP");
  qToLittleEndian<qint32>(width, bytes.data() + 18);
  qToLittleEndian<qint32>(height, bytes.data() + 22);
  return bytes;
}

struct FitCase {
  QSize picture;
  QRect expected;
};

void PrintTo(const FitCase &c, std::ostream *os) {
  *os << "Picture" << c.picture.width() << "x" << c.picture.height();
}

class ExDBGridFitPictureTest : public testing::TestWithParam<FitCase> {};

TEST_P(ExDBGridFitPictureTest, KeepsTheAspectRatioAndCentres) {
  EXPECT_EQ(FitPictureRect(GetParam().picture, QRect(10, 20, 40, 40)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExDBGridFitPictureTest,
                         testing::Values(FitCase{QSize(100, 50), QRect(10, 30, 40, 20)},
                                         FitCase{QSize(20, 80), QRect(25, 20, 10, 40)},
                                         FitCase{QSize(0, 0), QRect(10, 40, 40, 0)}),
                         [](const testing::TestParamInfo<FitCase> &info) {
                           return "Picture" + std::to_string(info.param.picture.width()) + "x" +
                                  std::to_string(info.param.picture.height());
                         });

TEST(ExDBGridDecodePicture, ReadsBitmapsAndJpegs) {
  const QImage red = Filled(QSize(16, 8), Qt::red);
  const QImage bitmap = DecodeGridPicture(EncodeGridPicture(red, "BMP"));
  ASSERT_FALSE(bitmap.isNull());
  EXPECT_EQ(bitmap.size(), QSize(16, 8));
  const QImage jpeg = DecodeGridPicture(EncodeGridPicture(red, "JPG"));
  ASSERT_FALSE(jpeg.isNull());
  EXPECT_EQ(jpeg.size(), QSize(16, 8));
  EXPECT_TRUE(Reddish(jpeg.pixel(8, 4)));
}

struct BadPictureCase {
  const char *name;
  QByteArray bytes;
};

void PrintTo(const BadPictureCase &c, std::ostream *os) { *os << c.name; }

class ExDBGridBadPictureTest : public testing::TestWithParam<BadPictureCase> {};

TEST_P(ExDBGridBadPictureTest, IsRefusedQuicklyAndWhole) {
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(DecodeGridPicture(GetParam().bytes, QSize(40, 40)).isNull());
  EXPECT_LT(clock.elapsed(), 1000) << "refused before any large decode";
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, ExDBGridBadPictureTest,
    testing::Values(BadPictureCase{"JpegClaiming30000x30000", JpegClaiming(30000, 30000)},
                    BadPictureCase{"JpegClaiming65535x65535", JpegClaiming(65535, 65535)},
                    BadPictureCase{"JpegCutInItsHeader",
                                   EncodeGridPicture(Filled(QSize(16, 16), Qt::red), "JPG").left(20)},
                    BadPictureCase{"JpegMarkerOnly", QByteArray("\xFF\xD8", 2)},
                    BadPictureCase{"BitmapClaiming30000x30000", BitmapClaiming(30000, 30000)},
                    BadPictureCase{"BitmapClaimingNegativeSize", BitmapClaiming(-5, -2147483647)},
                    BadPictureCase{"NotAPicture", QByteArray("not a picture")},
                    BadPictureCase{"Empty", QByteArray()}),
    [](const testing::TestParamInfo<BadPictureCase> &info) { return std::string(info.param.name); });

TEST(ExDBGridDecodePicture, ScalesJpegsDownWhileDecoding) {
  const QByteArray big = EncodeGridPicture(Filled(QSize(800, 400), Qt::red), "JPG");
  EXPECT_EQ(DecodeGridPicture(big).size(), QSize(800, 400));
  const QImage small = DecodeGridPicture(big, QSize(40, 20));
  EXPECT_EQ(small.size(), QSize(100, 50)) << "an eighth still covers the cell";
  EXPECT_EQ(DecodeGridPicture(big, QSize(300, 20)).size(), QSize(400, 200));
}

TEST(ExDBGridPictureCache, DecodesEachValueOnce) {
  TGridPictureCache cache;
  const QByteArray red = EncodeGridPicture(Filled(QSize(30, 30), Qt::red), "JPG");
  const QByteArray blue = EncodeGridPicture(Filled(QSize(30, 30), Qt::blue), "JPG");
  for (int paint = 0; paint < 3; ++paint) {
    EXPECT_FALSE(cache.Picture("rec1", "PIC", red, QSize(30, 30)).isNull());
    EXPECT_TRUE(cache.Picture("rec2", "PIC", "junk", QSize(30, 30)).isNull());
  }
  EXPECT_EQ(cache.Decodes(), 2) << "a broken picture is not retried on every paint either";
  EXPECT_FALSE(Reddish(cache.Picture("rec1", "PIC", blue, QSize(30, 30)).pixel(5, 5))) << "a new value";
  EXPECT_EQ(cache.Decodes(), 3);
}

class ExDBGridPictureCells : public testing::Test {
protected:
  void Build(const QByteArray &picture) {
    data.FieldDefs().Add(QStringLiteral("NAME"), ftString, 10);
    data.FieldDefs().Add(QStringLiteral("PIC"), ftGraphic);
    data.Open();
    data.AppendRecord({QStringLiteral("A"), picture});
    data.First();
    source.SetDataSet(&data);
    window.resize(300, 120);
    grid = new TExDBGrid(&window);
    grid->setGeometry(0, 0, 300, 120);
    grid->SetScrollBars(ssNone);
    grid->SetDataSource(&source);
    GridInput::UseStableLook();
    GridInput::ShowFocused(window, *grid);
  }
  QPoint PictureCentre() const {
    return grid->CellRect(1 + grid->IndicatorOffset(), grid->TitleOffset()).center();
  }
  QImage Shot() const { return grid->viewport()->grab().toImage(); }

  TTestDataSet data;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};

TEST_F(ExDBGridPictureCells, GraphicFieldPaintsItsPictureOnlyWithDisplayImages) {
  Build(EncodeGridPicture(Filled(QSize(30, 30), Qt::red), "JPG"));
  EXPECT_TRUE(Reddish(Shot().pixel(PictureCentre())));
  grid->SetDisplayImages(false);
  EXPECT_FALSE(Reddish(Shot().pixel(PictureCentre())));
}

TEST_F(ExDBGridPictureCells, LyingHeaderPaintsAnEmptyCell) {
  Build(JpegClaiming(30000, 30000));
  EXPECT_FALSE(Reddish(Shot().pixel(PictureCentre())));
  EXPECT_EQ(grid->DataLink()->DataSet()->RecordCount(), 1);
}

TEST_F(ExDBGridPictureCells, OptionsChangeKeepsTheTextEditorOffPictures) {
  Build(EncodeGridPicture(Filled(QSize(30, 30), Qt::red), "JPG"));
  grid->SetSelectedIndex(1);
  grid->SetOptions(grid->Options() | dgAlwaysShowSelection);
  GridInput::Press(Qt::Key_F2);
  EXPECT_FALSE(grid->EditorMode() && grid->InplaceEditor() && grid->InplaceEditor()->isVisible())
      << "F2 must not show the JPEG's bytes as text";
}

} // namespace
