#include "ExDBGridFixture.h"

#include "DBCtrls.h"
#include "ExCellHint.h"
#include "ExDateTimePicker.h"
#include "InplaceEdit.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

namespace {

class ExDBGridCellsTest : public ExDBGridFixture {
protected:
  static int PixelsOf(const QImage &image, const QRect &rect, QRgb colour) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if (image.pixel(x, y) == colour)
          ++count;
    return count;
  }
  static QRgb Rgb(TColor color) { return ColorToQColor(color).rgb(); }
};

TEST_F(ExDBGridCellsTest, TicksStayVisibleOnFocusedAndSelectedRows) {
  Build({{"ADAM", true, 1}, {"BEATA", true, 0}, {"CEZARY", true, 2}});
  grid->SetSelectedIndex(2);
  EXPECT_GT(DarkPixels(Shot(), BoxIn(DataCell(2, 0))), 0) << "the focused cell";
  grid->MenuItem(23)->trigger();
  const QImage shot = Shot();
  for (int row = 0; row < 3; ++row)
    EXPECT_GT(DarkPixels(shot, BoxIn(DataCell(2, row))), 0) << "row " << row << " after Select All";
}

TEST_F(ExDBGridCellsTest, TickTakesAColouredCellFont) {
  Build({{"ADAM", false, 1}, {"BEATA", true, 0}});
  grid->OnApplyCellAttribute = [](QObject *, TField *field, TCanvas &canvas, TGridDrawState) {
    if (field->FieldName() == "CHECK")
      canvas.Font.SetColor(clRed);
  };
  grid->InvalidateGrid();
  const QImage shot = Shot();
  EXPECT_GT(PixelsOf(shot, BoxIn(DataCell(2, 1)), Rgb(clRed)), 0) << "an unselected row takes the red font";
  EXPECT_EQ(PixelsOf(shot, BoxIn(DataCell(2, 0)), Rgb(clRed)), 0) << "an unticked box has no tick";
}

struct FrameCase {
  const char *name;
  bool flat;
  TFlatCheckBoxType type;
  TColor frame; // the colour of the box's left edge; clNone: the cell's own colour
};

void PrintTo(const FrameCase &c, std::ostream *os) { *os << c.name; }

class ExDBGridCheckFrameTest : public ExDBGridCellsTest, public testing::WithParamInterface<FrameCase> {};

TEST_P(ExDBGridCheckFrameTest, FrameFollowsFlatCheckBoxType) {
  Build({{"ADAM", false, 1}, {"BEATA", false, 0}});
  grid->SetFlatCheckBox(GetParam().flat);
  grid->SetFlatCheckBoxType(GetParam().type);
  const QRect cell = DataCell(2, 1);
  const QSize box = TExDBGrid::CheckBoxSize();
  const QPoint edge(cell.left() + (cell.width() - box.width()) / 2, cell.top() + cell.height() / 2);
  const QImage shot = Shot();
  const TColor expected = GetParam().frame == clNone ? grid->Color() : GetParam().frame;
  EXPECT_EQ(shot.pixel(edge), ColorToQColor(expected, &grid->palette()).rgb());
}

INSTANTIATE_TEST_SUITE_P(Types, ExDBGridCheckFrameTest,
                         testing::Values(FrameCase{"FlatNormal", true, TFlatCheckBoxType::Normal, clGray},
                                         FrameCase{"FlatBold", true, TFlatCheckBoxType::Bold, cl3DDkShadow},
                                         FrameCase{"FlatNone", true, TFlatCheckBoxType::None, clNone},
                                         FrameCase{"Sunken", false, TFlatCheckBoxType::Normal, clBtnShadow}),
                         [](const testing::TestParamInfo<FrameCase> &info) {
                           return std::string(info.param.name);
                         });

TEST_F(ExDBGridCellsTest, Cells3DKeepsTheAccentsOfPolishCapitals) {
  Build({{QStringLiteral("\u015aLUSARZ"), false, 1}, {QStringLiteral("SLUSARZ"), false, 0}});
  grid->SetSelectedIndex(0);
  grid->SetCells3D(true);
  const QImage shot = Shot();
  const QRect accented = DataCell(1, 0);
  const QRect plain = DataCell(1, 1);
  // Above the letters, below the cell's light edge: only the accent differs.
  const QImage top = shot.copy(accented.adjusted(1, 1, -1, -accented.height() / 2));
  const QImage same = shot.copy(plain.adjusted(1, 1, -1, -plain.height() / 2));
  EXPECT_NE(top, same) << "the accent of \u015a is drawn inside the bevel";
}

TEST_F(ExDBGridCellsTest, MemoCellsShowTheirText) {
  data = std::make_unique<TTestDataSet>();
  data->FieldDefs().Add(QStringLiteral("NAME"), ftString, 40);
  data->FieldDefs().Add(QStringLiteral("NOTE"), ftMemo);
  data->Open();
  data->AppendRecord({QStringLiteral("x"), QStringLiteral("x")});
  data->AppendRecord({QStringLiteral("note"), QStringLiteral("note")});
  data->First();
  source.SetDataSet(data.get());
  grid = new TExDBGrid(&window);
  grid->setGeometry(0, 0, 300, 120);
  grid->SetDataSource(&source);
  grid->Columns()[0]->SetWidth(60);
  grid->Columns()[1]->SetWidth(60);
  GridInput::ShowFocused(window, *grid);
  const QImage shot = Shot();
  EXPECT_EQ(shot.copy(DataCell(1, 1)), shot.copy(DataCell(0, 1)))
      << "the memo paints as its text, not (MEMO)";
  grid->SetDisplayMemo(false);
  const QImage hidden = Shot();
  EXPECT_NE(hidden.copy(DataCell(1, 1)), hidden.copy(DataCell(0, 1)));
}

// A grid over (NAME string, NOTE memo of the given type) records, every column 100 pixels wide.
class ExDBGridMemoCellTest : public ExDBGridCellsTest {
protected:
  void BuildMemo(TFieldType noteType, const std::vector<std::pair<QString, QByteArray>> &rows) {
    data = std::make_unique<TTestDataSet>();
    data->FieldDefs().Add(QStringLiteral("NAME"), ftString, 40);
    data->FieldDefs().Add(QStringLiteral("NOTE"), noteType);
    data->Open();
    for (const auto &[name, note] : rows) {
      data->Append();
      Field("NAME")->SetAsString(name);
      Field("NOTE")->SetAsBytes(note);
      data->Post();
    }
    data->First();
    source.SetDataSet(data.get());
    grid = new TExDBGrid(&window);
    grid->setGeometry(0, 0, 300, 260);
    grid->SetScrollBars(ssNone);
    grid->SetDataSource(&source);
    grid->Columns()[0]->SetWidth(100);
    grid->Columns()[1]->SetWidth(100);
    GridInput::UseStableLook();
    GridInput::ShowFocused(window, *grid);
  }
};

// The words "słowo0 słowo1 ..." up to the given size, as plain text and as RTF whose bold, colour and
// paragraphs change as it goes.
QByteArray Words(qsizetype bytes, bool rich) {
  QByteArray text = rich ? "{\\rtf1\\ansi\\ansicpg1250{\\colortbl ;\\red255\\green0\\blue0;}\\pard " : "";
  for (int i = 0; text.size() < bytes; ++i) {
    if (rich)
      text += i % 3 == 0 ? "\\b " : i % 3 == 1 ? "\\b0\\cf1 " : "\\cf0 ";
    text += (rich ? "s\\'b3owo" : "s\xb3owo") + QByteArray::number(i);
    text += i % 50 == 49 ? (rich ? "\\par\r\n" : "\r\n") : " ";
  }
  return rich ? text + "}" : text;
}

TEST_F(ExDBGridMemoCellTest, AFormattedMemoShowsItsPlainText) {
  BuildMemo(
      ftFmtMemo,
      {{QStringLiteral("x"), "x"},
       {QStringLiteral("Pan Wi\u015bniewski"),
        "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fnil Tahoma;}}\\pard\\b Pan\\b0  Wi\\'9cniewski\\par}"}});
  const QImage shot = Shot();
  EXPECT_EQ(shot.copy(DataCell(1, 1)), shot.copy(DataCell(0, 1))) << "the text, not its RTF codes";
}

class ExDBGridLongMemoTest : public ExDBGridMemoCellTest, public testing::WithParamInterface<TFieldType> {};

TEST_P(ExDBGridLongMemoTest, ACellOfAMegabyteShowsItsStartQuickly) {
  const bool rich = GetParam() == ftFmtMemo;
  const QByteArray big = Words(1 << 20, rich);
  std::vector<std::pair<QString, QByteArray>> rows{{QStringLiteral("short"), Words(3000, rich)}};
  for (int i = 0; i < 9; ++i)
    rows.emplace_back(QStringLiteral("long"), big);
  BuildMemo(GetParam(), rows);
  grid->SetDefaultRowHeight(34); // two lines a cell
  QElapsedTimer timer;
  timer.start();
  const QImage shot = Shot();
  // Laying out each whole megabyte took a quarter of a second a cell; the bound leaves room for a
  // loaded machine.
  EXPECT_LT(timer.elapsed(), 1000);
  const QRect cell = DataCell(1, 1);
  ASSERT_LT(cell.bottom(), shot.height());
  EXPECT_EQ(shot.copy(cell), shot.copy(DataCell(1, 0).translated(0, cell.top() - DataCell(1, 0).top())))
      << "the long memo shows as the short one with the same start";
  EXPECT_GT(DarkPixels(shot, cell), 0);
  grid->SetCellHints(true);
  timer.restart();
  MoveMouse(cell.center());
  EXPECT_LT(timer.elapsed(), 1000) << "the cell hint";
  ASSERT_TRUE(grid->CellHintWindow()->isVisible());
  const QString hint = grid->CellHintWindow()->text();
  EXPECT_TRUE(hint.startsWith(QStringLiteral("s\u0142owo0 s\u0142owo1"))) << "the text, not its codes";
  EXPECT_LT(hint.size(), 100000) << "cut to what half the screen can show";
}

INSTANTIATE_TEST_SUITE_P(Types, ExDBGridLongMemoTest, testing::Values(ftMemo, ftFmtMemo),
                         [](const testing::TestParamInfo<TFieldType> &info) {
                           return std::string(info.param == ftMemo ? "Memo" : "FormattedMemo");
                         });

TEST_F(ExDBGridCellsTest, ABrushSetByApplyCellAttributeFillsTheCell) {
  Build({{"ADAM", false, 1}, {"BEATA", false, 0}});
  grid->OnApplyCellAttribute = [](QObject *, TField *field, TCanvas &canvas, TGridDrawState) {
    if (field->FieldName() == "USER_NAME")
      canvas.Brush.Color = clYellow;
  };
  grid->InvalidateGrid();
  const QImage shot = Shot();
  const QRect cell = DataCell(1, 1);
  EXPECT_GT(PixelsOf(shot, cell, Rgb(clYellow)), cell.width() * cell.height() / 2) << "the unselected cell";
  EXPECT_GT(DarkPixels(shot, cell), 0) << "the text over it";
  EXPECT_EQ(PixelsOf(shot, DataCell(3, 1), Rgb(clYellow)), 0) << "a cell the handler left alone";
}

TEST_F(ExDBGridCellsTest, BackgroundPictureShowsBehindUnselectedCells) {
  Build({{"ADAM", false, 1}, {"BEATA", false, 0}});
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::red);
  grid->SetBackgroundPicture(picture);
  const QRect cell = DataCell(1, 1);
  const QPoint corner = cell.bottomRight() - QPoint(2, 2);
  EXPECT_NE(Shot().pixel(corner), qRgb(255, 0, 0)) << "off until switched on";
  grid->SetUseBackgroundPicture(true);
  EXPECT_EQ(Shot().pixel(corner), qRgb(255, 0, 0));
  const QRect focused = DataCell(0, 0);
  EXPECT_NE(Shot().pixel(focused.bottomRight() - QPoint(2, 2)), qRgb(255, 0, 0)) << "the focused cell";
  grid->SetUseRowColors(true);
  EXPECT_NE(Shot().pixel(corner), qRgb(255, 0, 0));
}

TEST_F(ExDBGridCellsTest, BitmapDrawingPaintsTheSame) {
  Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
  const QImage direct = Shot();
  grid->SetUseBitmapDrawing(true);
  EXPECT_EQ(Shot(), direct);
}

TEST_F(ExDBGridCellsTest, FocusRectMarksTheFocusedCellOnlyWhenAsked) {
  Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
  grid->SetSelectedIndex(1);
  const QRect focused = DataCell(1, 0);
  const QImage with = Shot();
  grid->SetDrawFocusRect(false);
  const QImage without = Shot();
  EXPECT_NE(with.copy(focused), without.copy(focused));
  EXPECT_EQ(with.copy(DataCell(1, 1)), without.copy(DataCell(1, 1))) << "other cells stay as they were";
}

TEST_F(ExDBGridCellsTest, GreyGridTurnsWhiteUnlessRaised) {
  Build({{"ADAM", true, 1}});
  grid->SetColor(clBtnFace);
  Shot();
  EXPECT_EQ(grid->Color(), clWindow);
  grid->SetCells3D(true);
  grid->SetColor(clSilver);
  Shot();
  EXPECT_EQ(grid->Color(), clSilver);
}

TEST_F(ExDBGridCellsTest, LockedFontApplies) {
  Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
  TFont bold;
  bold.Assign(grid->Font());
  bold.SetStyle(TFontStyles(fsBold));
  grid->SetLockedFont(bold);
  grid->SetLockedCols(1);
  EXPECT_TRUE(grid->Columns()[0]->Font().Style().testFlag(fsBold));
  EXPECT_FALSE(grid->Columns()[1]->Font().Style().testFlag(fsBold));
}

TEST_F(ExDBGridCellsTest, TallFontMakesTallerRows) {
  Build({{"ADAM", true, 1}});
  grid->SetDefaultRowHeight(17);
  TFont big;
  big.Assign(grid->Font());
  big.SetSize(20);
  grid->Font().Assign(big);
  EXPECT_GT(grid->DefaultRowHeight(), 17);
}

TEST_F(ExDBGridCellsTest, SpaceOnAnEmptyGridInsertsNothing) {
  Build({});
  grid->SetSelectedIndex(2);
  GridInput::Press(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  GridInput::Click(View(), DataCell(2, 0).center());
  EXPECT_EQ(data->State(), dsBrowse);
  EXPECT_EQ(data->RecordCount(), 0);
}

TEST_F(ExDBGridCellsTest, EnterActsAsTabOnKeyPressToo) {
  Build({{"ADAM", true, 1}});
  grid->SetEnterAsTab(true);
  QChar key(u'\r');
  grid->KeyPress(key);
  EXPECT_EQ(key, QChar(u'\t'));
  int up = Qt::Key_Return;
  grid->KeyUp(up, {});
  EXPECT_EQ(up, Qt::Key_Tab);
}

TEST_F(ExDBGridCellsTest, RightClickOnADataCellShowsThePopupMenu) {
  Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
  QMenu menu;
  menu.addAction(QStringLiteral("Item"));
  grid->SetPopupMenu(&menu);
  GridInput::RightClick(View(), DataCell(1, 1).center());
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
  int clicks = 0;
  grid->OnRightClick = [&clicks](QObject *) { ++clicks; };
  GridInput::RightClick(View(), DataCell(1, 1).center());
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(menu.isVisible()) << "a handler of its own replaces the menu";
}

TEST_F(ExDBGridCellsTest, CellHintKeepsTheLongHintAndHalfTheScreen) {
  const QString longText = QString(QStringLiteral("word ")).repeated(12);
  Build({{longText, true, 1}});
  grid->Columns()[1]->SetWidth(40);
  grid->SetHint(QStringLiteral("short|the long part"));
  grid->SetCellHints(true);
  MoveMouse(DataCell(1, 0).center());
  ASSERT_TRUE(grid->CellHintWindow()->isVisible());
  EXPECT_EQ(grid->Hint(), Field("USER_NAME")->AsString() + QStringLiteral("|the long part"));
  const QRect screen = grid->screen()->geometry();
  EXPECT_LE(grid->CellHintWindow()->width(), screen.width() / 2);
}

struct PlacementCase {
  const char *name;
  QPoint cell;
  QPoint expected;
};

void PrintTo(const PlacementCase &c, std::ostream *os) { *os << c.name; }

class ExCellHintPlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(ExCellHintPlacement, StaysOnTheScreen) {
  EXPECT_EQ(TExCellHint::Placement(QSize(200, 40), GetParam().cell, QRect(0, 0, 1024, 768)).topLeft(),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Corners, ExCellHintPlacement,
                         testing::Values(PlacementCase{"Middle", QPoint(100, 100), QPoint(99, 99)},
                                         PlacementCase{"RightEdge", QPoint(1000, 100), QPoint(824, 99)},
                                         PlacementCase{"BottomEdge", QPoint(100, 760), QPoint(99, 728)},
                                         PlacementCase{"Corner", QPoint(1020, 765), QPoint(824, 728)}),
                         [](const testing::TestParamInfo<PlacementCase> &info) {
                           return std::string(info.param.name);
                         });

class ExDBGridFormControlTest : public ExDBGridFixture {};

TEST_F(ExDBGridFormControlTest, EmptyControlNameHidesNothing) {
  Build({{"ADAM", true, 1}});
  auto *box = new QLineEdit(&window);
  box->setObjectName(QStringLiteral("Unrelated"));
  box->show();
  TExDBGridControls controls;
  controls.Add() = {QString(), QStringLiteral("USER_NAME")};
  grid->SetControls(controls);
  EXPECT_TRUE(box->isVisible());
  grid->SetSelectedField(Field("USER_NAME"));
  grid->SetEditorMode(true);
  EXPECT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible())
      << "the field is edited as any other";
  EXPECT_TRUE(box->isVisible());
}

} // namespace
