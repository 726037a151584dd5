#include "ExGridCellPainter.h"

#include "DBGridColumns.h"
#include "Field.h"
#include "GridInput.h"
#include "TestDataSet.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The grid's answers, set by each test.
class TFakeSite : public TExCellPaintSite {
public:
  bool IsBooleanField(const TField *field) const override { return field->DataType() == ftBoolean; }
  bool IsChecked(const TField *field) const override { return field->AsBoolean(); }
  QByteArray PaintedRecord() const override { return QByteArrayLiteral("1"); }
  TColor GridFontColor() const override { return clBlack; }
  bool BothGridLines() const override { return GridLines; }
  bool GridLines = false;
};

// One record (NAME string, NOTE memo, DONE boolean) and a painter over the fake site; cells are
// painted into a white picture without any grid.
class ExGridCellPainterTest : public testing::Test {
protected:
  void SetUp() override {
    GridInput::UseStableLook();
    data.FieldDefs().Add(QStringLiteral("NAME"), ftString, 40);
    data.FieldDefs().Add(QStringLiteral("NOTE"), ftMemo);
    data.FieldDefs().Add(QStringLiteral("DONE"), ftBoolean);
    data.Open();
    data.AppendRecord({QStringLiteral("note"), QStringLiteral("note"), true});
  }

  QImage Paint(const char *fieldName, bool highlighted = false, const std::function<void()> &attribute = {},
               QRect cell = QRect(0, 0, 60, 18)) {
    TColumn column(nullptr);
    column.SetField(data.FieldByName(QString::fromLatin1(fieldName)));
    QImage image(QSize(60, 40), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter qpainter(&image);
      TCanvas canvas(qpainter);
      canvas.Brush.Color = clWindow;
      canvas.Font.SetColor(clBlack);
      current = &canvas;
      painter.DrawDataCell(canvas, cell, column, highlighted, attribute);
      current = nullptr;
    }
    return image;
  }

  static int PixelsOf(const QImage &image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        count += image.pixel(x, y) == colour;
    return count;
  }

  TTestDataSet data;
  TFakeSite site;
  TExGridCellPainter painter{site};
  TCanvas *current = nullptr;
};

TEST_F(ExGridCellPainterTest, MemoCellPaintsItsTextOnlyWhenDisplayMemo) {
  EXPECT_EQ(Paint("NOTE"), Paint("NAME")) << "the memo paints as its text";
  painter.Look().DisplayMemo = false;
  EXPECT_NE(Paint("NOTE"), Paint("NAME")) << "without DisplayMemo the memo paints as (MEMO)";
}

TEST_F(ExGridCellPainterTest, MemoTextIsCutWithAnEllipsisOnlyWhenAsked) {
  data.Edit();
  data.FieldByName(QStringLiteral("NOTE"))
      ->SetAsString(QStringLiteral("a long line a long line a long line"));
  data.Post();
  const QImage wrapped = Paint("NOTE");
  painter.Look().ShowTextEllipsis = true;
  EXPECT_NE(Paint("NOTE"), wrapped);
}

TEST_F(ExGridCellPainterTest, RowColoursAlternateByTheCellsRow) {
  painter.SetUseRowColors(true);
  painter.Look().RowColor1 = clRed;
  painter.Look().RowColor2 = clLime;
  const QRgb red = ColorToQColor(clRed).rgb(), lime = ColorToQColor(clLime).rgb();
  EXPECT_GT(PixelsOf(Paint("NAME", false, {}, QRect(0, 0, 60, 18)), lime), 0) << "the first row";
  EXPECT_EQ(PixelsOf(Paint("NAME", false, {}, QRect(0, 0, 60, 18)), red), 0);
  EXPECT_GT(PixelsOf(Paint("NAME", false, {}, QRect(0, 19, 60, 18)), red), 0) << "the second row";
  painter.SetUseBackgroundPicture(true);
  EXPECT_FALSE(painter.UseRowColors()) << "the background picture takes the place of row colours";
}

TEST_F(ExGridCellPainterTest, SelectedCellTakesTheHighlightAndSkipsTheAttribute) {
  painter.Look().HighlightColor = clRed;
  int attributeCalls = 0;
  const auto attribute = [&] {
    ++attributeCalls;
    current->Brush.Color = clLime;
  };
  const QImage selected = Paint("NAME", true, attribute);
  EXPECT_EQ(attributeCalls, 0);
  EXPECT_GT(PixelsOf(selected, ColorToQColor(clRed).rgb()), 60 * 18 / 2);
  const QImage unselected = Paint("NAME", false, attribute);
  EXPECT_EQ(attributeCalls, 1);
  EXPECT_GT(PixelsOf(unselected, ColorToQColor(clLime).rgb()), 60 * 18 / 2)
      << "the brush it set fills the cell";
}

TEST_F(ExGridCellPainterTest, BooleanCellPaintsABoxUnlessDisplayBooleanIsOff) {
  const QImage box = Paint("DONE");
  painter.Look().DisplayBoolean = false;
  const QImage text = Paint("DONE");
  EXPECT_NE(box, text);
  data.Edit();
  data.FieldByName(QStringLiteral("DONE"))->SetAsBoolean(false);
  data.Post();
  painter.Look().DisplayBoolean = true;
  EXPECT_NE(Paint("DONE"), box) << "an unticked box";
}

TEST_F(ExGridCellPainterTest, Cells3DRaiseDataCellsOnlyWithBothGridLines) {
  painter.Look().Cells3D = true;
  const auto marks = [&](TExCellKind kind) {
    QImage image(QSize(20, 20), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
      QPainter qpainter(&image);
      TCanvas canvas(qpainter);
      painter.DrawCellMarks(canvas, QRect(2, 2, 10, 10), {kind, false, false}, clBtnFace);
    }
    return image;
  };
  const QImage flat = marks(TExCellKind::Data);
  EXPECT_EQ(PixelsOf(flat, qRgb(0, 0, 0)), 400) << "no edge on a data cell without grid lines";
  site.GridLines = true;
  EXPECT_LT(PixelsOf(marks(TExCellKind::Data), qRgb(0, 0, 0)), 400) << "a raised data cell";
  EXPECT_TRUE(painter.Raised3D());
}

} // namespace
