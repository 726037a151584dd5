#include "DB.h"
#include "InplaceEdit.h"
#include "MxDBGridFixture.h"
#include "ScriptedDialogs.h"

#include <QImage>
#include <functional>

namespace {

int CountPixels(const QImage &image, const QRect &rect, const std::function<bool(QColor)> &match) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x)
      if (match(image.pixelColor(x, y)))
        ++count;
  return count;
}

bool Reddish(QColor c) { return c.red() > 160 && c.green() < 90 && c.blue() < 90; }

class MxDBGridTest : public MxDBGridFixture {};

TEST_F(MxDBGridTest, OnGetCellParamsColoursTheRowsItChooses) {
  Build(4);
  bool propsCalled = false;
  grid->OnGetCellProps = [&](QObject *, TField *, TFont &, TColor &) { propsCalled = true; };
  grid->OnGetCellParams = [&](QObject *, TField *, TFont &font, TColor &background, bool) {
    if (Field("GRUPA")->AsString() == "GROUP2") {
      font.SetColor(clRed);
      background = clYellow;
    }
  };
  users->Last();
  grid->InvalidateGrid();
  const QImage shot = Shot();

  for (int row = 0; row < 4; ++row) {
    const QRect cell = DataCell(1, row).adjusted(1, 1, -1, -1);
    const QColor corner = shot.pixelColor(cell.right() - 1, cell.top() + 1);
    const int red = CountPixels(shot, DataCell(1, row), Reddish);
    if (row % 2) {
      EXPECT_EQ(corner, QColor(Qt::yellow)) << row;
      EXPECT_GT(red, 5) << row;
    } else {
      EXPECT_EQ(corner, QColor(Qt::white)) << row;
      EXPECT_EQ(red, 0) << row;
    }
  }
  EXPECT_FALSE(propsCalled);
}

TEST_F(MxDBGridTest, OnGetCellPropsCannotRecolourAHighlightedCell) {
  Build(3);
  grid->OnGetCellProps = [&](QObject *, TField *, TFont &font, TColor &background) {
    font.SetColor(clRed);
    background = clYellow;
  };
  grid->InvalidateGrid();
  const QImage shot = Shot();
  const QRect current = DataCell(0, 0);
  EXPECT_EQ(CountPixels(shot, current, [](QColor c) { return c == QColor(Qt::yellow); }), 0);
  EXPECT_EQ(CountPixels(shot, current, Reddish), 0);
  EXPECT_EQ(shot.pixelColor(DataCell(0, 1).right() - 2, DataCell(0, 1).top() + 2), QColor(Qt::yellow));
}

TEST_F(MxDBGridTest, OptionsCarryMultiSelectWithoutTheFrameworkGridSeeingIt) {
  Build(3);
  grid->SetOptions(grid->Options() | dgMultiSelect);
  EXPECT_TRUE(grid->MultiSelect());
  EXPECT_TRUE(grid->Options() & dgMultiSelect);
  EXPECT_FALSE(grid->TDBGrid::Options() & dgMultiSelect);
  grid->SetOptions(grid->Options() & ~dgColLines);
  EXPECT_FALSE(grid->TCustomGrid::Options() & goFixedVertLine);
  EXPECT_TRUE(grid->MultiSelect());
}

TEST_F(MxDBGridTest, ShiftExtendsTheSelectionAndShrinksItBackTowardsTheAnchor) {
  Build(8);
  grid->SetMultiSelect(true);
  for (int i = 0; i < 3; ++i)
    GridInput::Press(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedNames(), (QStringList{"USER01", "USER02", "USER03", "USER04"}));
  GridInput::Press(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(SelectedNames(), (QStringList{"USER01", "USER02", "USER03"}));
  EXPECT_EQ(Name(), "USER03");
  GridInput::Press(Qt::Key_Down);
  EXPECT_TRUE(SelectedNames().isEmpty());
  EXPECT_EQ(Name(), "USER04");
}

TEST_F(MxDBGridTest, CtrlClicksToggleRowsAndAPlainClickSelectsOnlyItsRow) {
  Build(8);
  grid->SetMultiSelect(true);
  GridInput::Click(View(), DataCell(0, 1).center(), Qt::ControlModifier);
  GridInput::Click(View(), DataCell(0, 4).center(), Qt::ControlModifier);
  GridInput::Click(View(), DataCell(0, 6).center(), Qt::ControlModifier);
  GridInput::Click(View(), DataCell(0, 4).center(), Qt::ControlModifier);
  EXPECT_EQ(SelectedNames(), (QStringList{"USER02", "USER07"}));

  GridInput::Click(View(), DataCell(0, 2).center());
  EXPECT_EQ(SelectedNames(), QStringList{"USER03"});

  grid->SetClearSelection(false);
  GridInput::Click(View(), DataCell(0, 5).center());
  EXPECT_TRUE(SelectedNames().isEmpty());
  EXPECT_EQ(Name(), "USER06");
}

TEST_F(MxDBGridTest, SelectedRowsAreMarkedInTheIndicator) {
  Build(6);
  grid->SetMultiSelect(true);
  GridInput::Click(View(), DataCell(0, 1).center(), Qt::ControlModifier);
  GridInput::Click(View(), DataCell(0, 3).center(), Qt::ControlModifier);
  users->First();
  grid->InvalidateGrid();
  const QImage shot = Shot();
  const QColor face = shot.pixelColor(IndicatorCell(5).center());
  auto marked = [&](int row) {
    return CountPixels(shot, IndicatorCell(row).adjusted(1, 1, -1, -1), [&](QColor c) { return c != face; });
  };
  EXPECT_GT(marked(1), 0);
  EXPECT_GT(marked(3), 0);
  EXPECT_EQ(marked(2), 0);
  EXPECT_EQ(marked(4), 0);

  // The current row, once selected, shows the other mark.
  const QImage before = shot.copy(IndicatorCell(0));
  GridInput::Click(View(), DataCell(0, 0).center(), Qt::ControlModifier);
  grid->InvalidateGrid();
  const QImage current = Shot().copy(IndicatorCell(0));
  const QImage other = Shot().copy(IndicatorCell(1));
  EXPECT_NE(current, before);
  EXPECT_NE(current, other);
}

TEST_F(MxDBGridTest, CtrlDelAsksAndDeletesExactlyTheSelectedRows) {
  Build(6);
  grid->SetMultiSelect(true);
  GridInput::Click(View(), DataCell(0, 1).center(), Qt::ControlModifier);
  GridInput::Click(View(), DataCell(0, 3).center(), Qt::ControlModifier);
  ScriptedDialogs dialogs;

  dialogs.AnswerMessage(mrNo);
  GridInput::Press(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Delete all selected records?");
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtConfirmation);
  EXPECT_EQ(dialogs.Messages()[0].Buttons, (TMsgDlgButtons{mbYes, mbNo}));
  EXPECT_EQ(users->RecordCount(), 6);

  dialogs.AnswerMessage(mrYes);
  GridInput::Press(Qt::Key_Delete, Qt::ControlModifier);
  users->First();
  EXPECT_EQ(NamesFromHere(*users), (QStringList{"USER01", "USER03", "USER05", "USER06"}));

  users->First();
  dialogs.AnswerMessage(mrYes);
  GridInput::Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Messages().back().Text, "Delete record?");
  users->First();
  EXPECT_EQ(NamesFromHere(*users), (QStringList{"USER03", "USER05", "USER06"}));
  EXPECT_TRUE(dialogs.Exhausted());
}

TEST_F(MxDBGridTest, CtrlDelWithoutConfirmationDeletesAtOnce) {
  Build(3);
  grid->SetOptions(grid->Options() & ~dgConfirmDelete);
  ScriptedDialogs dialogs;
  GridInput::Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(users->RecordCount(), 2);
}

TEST_F(MxDBGridTest, DownOnTheLastRecordAppendsOnlyWithEditing) {
  Build(2);
  GridInput::Press(Qt::Key_Down);
  GridInput::Press(Qt::Key_Down);
  EXPECT_EQ(users->State(), dsInsert);
  users->Cancel();
  grid->SetOptions(grid->Options() & ~dgEditing);
  users->Last();
  GridInput::Press(Qt::Key_Down);
  EXPECT_EQ(users->State(), dsBrowse);
}

TEST_F(MxDBGridTest, TitleButtonsShowSortMarkersAndReportClicks) {
  Build(3, true);
  grid->SetTitleButtons(true);
  grid->OnGetBtnParams = [&](QObject *, TField *field, TFont &, TColor &, TSortMarker &marker, bool) {
    if (field->FieldName() == "USER_NAME")
      marker = smDown;
    else if (field->FieldName() == "GRUPA")
      marker = smUp;
  };
  std::vector<std::pair<int, QString>> clicks;
  grid->OnTitleBtnClick = [&](QObject *, int col, TField *field) {
    clicks.emplace_back(col, field->FieldName());
  };
  grid->InvalidateGrid();
  const QImage shot = Shot();
  auto markerBox = [&](int dataCol) {
    const QRect title = TitleCell(dataCol).adjusted(1, 1, -1, -1);
    const QImage &bitmap = TMxDBGrid::GetGridBitmap(gbSortDown);
    return QRect(title.left() + title.width() - bitmap.width() - 3,
                 title.top() + (title.height() - bitmap.height()) / 2, bitmap.width(), bitmap.height());
  };
  auto black = [](QColor c) { return c == QColor(Qt::black); };
  const QRect down = markerBox(0);
  const QRect up = markerBox(1);
  EXPECT_TRUE(black(shot.pixelColor(down.left() + 3, down.top())));
  EXPECT_FALSE(black(shot.pixelColor(down.left(), down.bottom())));
  EXPECT_TRUE(black(shot.pixelColor(up.left() + 3, up.bottom())));
  EXPECT_FALSE(black(shot.pixelColor(up.left(), up.top())));
  EXPECT_EQ(CountPixels(shot, markerBox(2), black), 0);

  GridInput::Click(View(), TitleCell(1).center());
  GridDriver::MousePress(View(), TitleCell(0).center());
  GridDriver::MouseMove(View(), TitleCell(2).center());
  GridDriver::MouseRelease(View(), TitleCell(2).center());
  EXPECT_EQ(clicks, (std::vector<std::pair<int, QString>>{{1, "GRUPA"}}));
}

TEST_F(MxDBGridTest, APressedTitleLooksDownAndARefusedButtonOnlyBeeps) {
  Build(3, true);
  grid->SetTitleButtons(true);
  std::vector<int> clicks;
  grid->OnTitleBtnClick = [&](QObject *, int col, TField *) { clicks.push_back(col); };
  grid->OnCheckButton = [](QObject *, int col, TField *, bool &enabled) { enabled = col != 2; };
  const QImage up = Shot().copy(TitleCell(0));
  GridDriver::MousePress(View(), TitleCell(0).center());
  const QImage pressed = Shot().copy(TitleCell(0));
  GridDriver::MouseRelease(View(), TitleCell(0).center());
  EXPECT_NE(up, pressed);
  EXPECT_EQ(Shot().copy(TitleCell(0)), up);

  GridInput::Click(View(), TitleCell(2).center());
  EXPECT_EQ(clicks, std::vector<int>{0});
}

TEST_F(MxDBGridTest, FrozenColumnsStayWhileTheGridScrolls) {
  Build(3, true);
  for (int i = 0; i < 3; ++i)
    grid->Columns()[i]->SetWidth(180);
  grid->SetFixedCols(1);
  const QRect frozenBefore = DataCell(0, 0);
  GridInput::Press(Qt::Key_End);
  ASSERT_EQ(grid->Col(), 3);
  EXPECT_GT(grid->LeftCol(), 2);
  EXPECT_EQ(DataCell(0, 0), frozenBefore);
  EXPECT_TRUE(DataCell(1, 0).isEmpty());

  for (int i = 0; i < 4; ++i)
    GridInput::Press(Qt::Key_Left);
  EXPECT_EQ(grid->Col(), 2);
  GridInput::Press(Qt::Key_End);
  GridInput::Press(Qt::Key_Home);
  EXPECT_EQ(grid->Col(), 2);

  GridInput::Click(View(), DataCell(0, 2).center());
  EXPECT_EQ(Name(), "USER03");
  EXPECT_EQ(grid->Col(), 2);

  GridInput::Press(Qt::Key_End);
  GridInput::Press(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(grid->Col(), 2);
}

TEST_F(MxDBGridTest, TabbingPastTheLastColumnClearsTheSelection) {
  Build(4, true);
  grid->SetOptions(grid->Options() | dgTabs | dgMultiSelect);
  GridInput::Press(Qt::Key_Down, Qt::ShiftModifier);
  GridInput::Press(Qt::Key_Tab);
  EXPECT_EQ(SelectedNames().size(), 2);
  GridInput::Press(Qt::Key_Tab);
  EXPECT_EQ(SelectedNames().size(), 2);
  GridInput::Press(Qt::Key_Tab);
  EXPECT_TRUE(SelectedNames().isEmpty());
}

TEST_F(MxDBGridTest, FrozenColumnsLeaveAtLeastOneColumnToScroll) {
  Build(3, true);
  grid->SetFixedCols(5);
  EXPECT_EQ(grid->FixedCols(), 2);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_FALSE(grid->TabStops(1));
  EXPECT_TRUE(grid->TabStops(3));
}

TEST_F(MxDBGridTest, AMemoShowsAGlyphUnlessItHasBothTextHandlers) {
  auto notes = std::make_unique<TTestDataSet>();
  notes->setObjectName("notes");
  notes->FieldDefs().Add("ID", ftInteger, 0, true);
  notes->FieldDefs().Add("NOTE", ftMemo);
  notes->Open();
  notes->AppendRecord({1, "first note"});
  Build(1);
  source.SetDataSet(notes.get());
  TField *note = notes->FieldByName("NOTE");
  EXPECT_EQ(grid->GetImageIndex(note), gbMemo);
  grid->SetSelectedField(note);
  auto editorShown = [&] { return grid->InplaceEditor() && grid->InplaceEditor()->isVisible(); };
  grid->SetEditorMode(true);
  EXPECT_FALSE(editorShown());
  grid->SetEditorMode(false);

  note->OnGetText = [](TField *sender, QString &text, bool) { text = sender->AsString(); };
  note->OnSetText = [](TField *sender, const QString &text) { sender->SetAsString(text); };
  EXPECT_EQ(grid->GetImageIndex(note), -1);
  grid->SetEditorMode(true);
  EXPECT_TRUE(editorShown());
  grid->SetShowGlyphs(false);
  note->OnGetText = nullptr;
  EXPECT_EQ(grid->GetImageIndex(note), -1);
  grid->SetEditorMode(false);
  source.SetDataSet(nullptr);
}

} // namespace

namespace {

TEST_F(MxDBGridTest, GlyphsStandForBinaryFieldsByType) {
  Build(1);
  const std::vector<std::pair<TFieldType, int>> cases = {
      {ftBlob, gbBlob},       {ftBytes, gbBlob}, {ftMemo, gbMemo}, {ftFmtMemo, gbMemo},
      {ftGraphic, gbPicture}, {ftString, -1},    {ftInteger, -1},
  };
  auto table = std::make_unique<TTestDataSet>();
  for (size_t i = 0; i < cases.size(); ++i)
    table->FieldDefs().Add(QString("F%1").arg(i), cases[i].first, cases[i].first == ftString ? 10 : 0);
  table->Open();
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(grid->GetImageIndex(table->Fields(int(i))), cases[i].second) << i;
  EXPECT_EQ(grid->GetImageIndex(nullptr), -1);
}

TEST_F(MxDBGridTest, TheEditorAsksOnShowEditorAndReportsChanges) {
  Build(2, true);
  std::vector<QString> asked;
  bool allow = false;
  grid->OnShowEditor = [&](QObject *, TField *field, bool &allowEdit) {
    asked.push_back(field->FieldName());
    allowEdit = allow;
  };
  int changes = 0;
  grid->OnEditChange = [&](QObject *) { ++changes; };
  auto editorShown = [&] { return grid->InplaceEditor() && grid->InplaceEditor()->isVisible(); };
  GridInput::Press(Qt::Key_F2);
  EXPECT_FALSE(editorShown());
  EXPECT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), "USER_NAME");

  allow = true;
  grid->SetEditorMode(false);
  GridInput::Press(Qt::Key_F2);
  ASSERT_TRUE(editorShown());
  const int before = changes;
  grid->InplaceEditor()->TypeChar('X');
  EXPECT_GT(changes, before);
}

TEST_F(MxDBGridTest, ARightButtonDragOnATitleMovesTheColumn) {
  Build(2, true);
  grid->SetTitleButtons(true);
  std::vector<int> clicks;
  grid->OnTitleBtnClick = [&](QObject *, int col, TField *) { clicks.push_back(col); };
  GridDriver::MousePress(View(), TitleCell(0).center(), Qt::RightButton);
  GridDriver::MouseMove(View(), TitleCell(1).center(), Qt::RightButton);
  GridDriver::MouseMove(View(), TitleCell(2).center(), Qt::RightButton);
  GridDriver::MouseRelease(View(), TitleCell(2).center(), Qt::RightButton);
  EXPECT_EQ(grid->Columns()[2]->FieldName(), "USER_NAME");
  EXPECT_TRUE(clicks.empty());
}

TEST_F(MxDBGridTest, RowsHeightSetsTheRowAndTitleHeights) {
  Build(3);
  grid->SetRowsHeight(30);
  EXPECT_EQ(grid->RowsHeight(), 30);
  EXPECT_EQ(grid->RowHeights(0), 32);
  EXPECT_EQ(DataCell(0, 1).height(), 30);
}

TEST_F(MxDBGridTest, ScrollingStopsTrackingAndReportsTheNewTopLeft) {
  Build(3, true);
  for (int i = 0; i < 3; ++i)
    grid->Columns()[i]->SetWidth(200);
  grid->SetTitleButtons(true);
  // The frozen column's title stays under the mouse while the grid scrolls.
  grid->SetFixedCols(1);
  int moves = 0;
  grid->OnTopLeftChanged = [&](QObject *) { ++moves; };
  std::vector<int> clicks;
  grid->OnTitleBtnClick = [&](QObject *, int col, TField *) { clicks.push_back(col); };
  const QPoint title = TitleCell(0).center();
  GridDriver::MousePress(View(), title);
  GridInput::Press(Qt::Key_End);
  EXPECT_GT(moves, 0);
  ASSERT_EQ(TitleCell(0).center(), title);
  GridDriver::MouseRelease(View(), title);
  EXPECT_TRUE(clicks.empty());
  GridInput::Click(View(), title);
  EXPECT_EQ(clicks, std::vector<int>{0});
}

} // namespace
