#include "DBGridFixture.h"

#include <QImage>
#include <QScrollBar>
#include <set>

using namespace GridInput;

namespace {

class DBGridTest : public DBGridFixture {
protected:
  void SetUp() override { Build(40); }

  // The names of the records in the grid's window, top to bottom.
  QStringList WindowNames() const {
    TGridDataLink *link = grid->DataLink();
    const int active = link->ActiveRecord();
    QStringList names;
    for (int i = 0; i < link->RecordCount(); ++i) {
      link->SetActiveRecord(i);
      names << Name();
    }
    link->SetActiveRecord(active);
    return names;
  }
  QStringList ExpectedNames(int firstRecNo, int count) const {
    QStringList names;
    for (int i = 0; i < count; ++i)
      names << QStringLiteral("USER%1").arg(firstRecNo + i, 2, 10, QChar('0'));
    return names;
  }
};

TEST_F(DBGridTest, DefaultColumnsFollowTheFields) {
  ASSERT_EQ(grid->Columns().State(), csDefault);
  ASSERT_EQ(grid->Columns().Count(), 3);
  EXPECT_EQ(grid->Columns()[1]->Field(), Field("USER_NAME"));
  EXPECT_EQ(grid->Columns()[1]->Title().Caption(), QStringLiteral("USER_NAME"));
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->FixedCols(), 1);
  EXPECT_EQ(grid->SelectedIndex(), 0);
  EXPECT_EQ(grid->SelectedField(), Field("ID"));
}

TEST_F(DBGridTest, TheDataLinkWindowIsTheVisibleRows) {
  TGridDataLink *link = grid->DataLink();
  const int rows = link->BufferCount();
  EXPECT_GT(rows, 3);
  EXPECT_EQ(link->RecordCount(), rows);
  EXPECT_EQ(grid->RowCount(), rows + 1);
  EXPECT_EQ(grid->VisibleRowCount(), rows);
  EXPECT_EQ(WindowNames(), ExpectedNames(1, rows));
}

TEST_F(DBGridTest, ScrollingKeepsTheWindowOnTheDatasetsRecords) {
  const int rows = grid->DataLink()->BufferCount();
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    int recNo;
    int firstInWindow;
  };
  const Case cases[] = {
      {Qt::Key_Down, Qt::NoModifier, 2, 1},
      {Qt::Key_PageDown, Qt::NoModifier, 2 + rows, 3},
      {Qt::Key_End, Qt::ControlModifier, 40, 40 - rows + 1},
      {Qt::Key_PageUp, Qt::NoModifier, 40 - rows, 40 - rows},
      {Qt::Key_Home, Qt::ControlModifier, 1, 1},
  };
  for (const Case &c : cases) {
    Press(c.key, c.modifiers);
    EXPECT_EQ(users->RecNo(), c.recNo) << "key " << c.key;
    EXPECT_EQ(grid->Row(), grid->TitleOffset() + grid->DataLink()->ActiveRecord()) << "key " << c.key;
    EXPECT_EQ(WindowNames(), ExpectedNames(c.firstInWindow, rows)) << "key " << c.key;
  }
}

TEST_F(DBGridTest, TheCurrentRowFollowsTheRecordWhenTheGridGrows) {
  grid->resize(420, 40);
  QApplication::processEvents();
  grid->SetDataSource(nullptr);
  users->Last();
  grid->SetDataSource(&source);
  grid->resize(420, 220);
  QApplication::processEvents();
  EXPECT_EQ(users->RecNo(), 40);
  EXPECT_GT(grid->DataLink()->ActiveRecord(), 0);
  EXPECT_EQ(grid->Row(), grid->TitleOffset() + grid->DataLink()->ActiveRecord());
  SelectColumn("USER_NAME");
  Press(Qt::Key_F2);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("USER40"));
  EXPECT_EQ(grid->InplaceEditor()->geometry().top(), DataCell(1, grid->DataLink()->ActiveRecord()).top());
}

TEST_F(DBGridTest, WheelAndClicksMoveTheDataset) {
  Wheel(*grid->viewport(), DataCell(1, 1).center(), -1);
  EXPECT_EQ(users->RecNo(), 2);
  Wheel(*grid->viewport(), DataCell(1, 1).center(), -2);
  EXPECT_EQ(users->RecNo(), 4);
  Wheel(*grid->viewport(), DataCell(1, 1).center(), 1);
  EXPECT_EQ(users->RecNo(), 3);
  std::vector<QString> clicked;
  grid->OnCellClick = [&](TColumn *column) { clicked.push_back(column->FieldName()); };
  Click(*grid->viewport(), DataCell(2, 5).center());
  EXPECT_EQ(users->RecNo(), 6);
  EXPECT_EQ(grid->SelectedField(), Field("GRUPA"));
  EXPECT_EQ(clicked, std::vector<QString>{QStringLiteral("GRUPA")});
}

TEST_F(DBGridTest, TheVerticalScrollBarShowsAndMovesTheDatasetsPosition) {
  QScrollBar *bar = grid->verticalScrollBar();
  const int rows = grid->DataLink()->BufferCount();
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 40 - rows + 1);
  EXPECT_EQ(bar->pageStep(), rows);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(users->RecNo(), 1 + rows);
  EXPECT_EQ(bar->sliderPosition(), users->RecNo() - grid->DataLink()->ActiveRecord());
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(users->RecNo(), rows);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(users->RecNo(), 40);
  EXPECT_EQ(bar->sliderPosition(), bar->maximum());
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(users->RecNo(), 1);
  EXPECT_EQ(bar->sliderPosition(), 1);
}

TEST_F(DBGridTest, RowSelectHighlightsTheWholeCurrentRow) {
  grid->SetOptions(grid->Options() | dgRowSelect);
  Press(Qt::Key_Down);
  const QImage image = grid->viewport()->grab().toImage();
  for (int dataCol = 0; dataCol < 3; ++dataCol) {
    const QRect cell = DataCell(dataCol, 1);
    EXPECT_EQ(image.pixelColor(cell.right() - 1, cell.center().y()), ColorToQColor(clHighlight)) << dataCol;
    const QRect other = DataCell(dataCol, 2);
    EXPECT_EQ(image.pixelColor(other.right() - 1, other.center().y()), ColorToQColor(clWindow)) << dataCol;
  }
  Type(QStringLiteral("A"));
  EXPECT_EQ(users->State(), dsBrowse);
}

TEST_F(DBGridTest, TitleClickAndColumnSizing) {
  std::vector<TColumn *> titles;
  grid->OnTitleClick = [&](TColumn *column) { titles.push_back(column); };
  const QRect title = grid->CellRect(2, 0);
  Click(*grid->viewport(), title.center());
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], grid->Columns()[1]);
  const int before = grid->Columns()[1]->Width();
  const int boundary = title.right() + 1;
  Drag(*grid->viewport(), QPoint(boundary, title.center().y()), QPoint(boundary + 25, title.center().y()));
  EXPECT_EQ(grid->Columns()[1]->Width(), before + 25);
  EXPECT_EQ(grid->ColWidths(2), before + 25);
  EXPECT_EQ(titles.size(), 1u);
}

TEST_F(DBGridTest, MovingAColumnMovesItsTColumn) {
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](QObject *, int from, int to) { moves.emplace_back(from, to); };
  Drag(*grid->viewport(), grid->CellRect(1, 0).center(), grid->CellRect(3, 0).center());
  ASSERT_EQ(moves, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_EQ(grid->Columns()[2]->Field(), Field("ID"));
  EXPECT_EQ(grid->Columns()[0]->Field(), Field("USER_NAME"));
}

TEST_F(DBGridTest, OnDrawColumnCellIsCalledForTheVisibleDataCellsOnly) {
  std::set<std::pair<int, QString>> drawn;
  grid->OnDrawColumnCell = [&](QObject *, const QRect &, int dataCol, TColumn *column, TGridDrawState) {
    drawn.insert({dataCol, column->Field()->DataSet()->FieldByName("USER_NAME")->AsString()});
  };
  grid->viewport()->grab();
  const int rows = grid->DataLink()->BufferCount();
  EXPECT_EQ(drawn.size(), size_t(3 * rows));
  EXPECT_TRUE(drawn.count({1, QStringLiteral("USER01")}));
  EXPECT_TRUE(drawn.count({2, ExpectedNames(rows, 1).first()}));
  EXPECT_FALSE(drawn.count({0, ExpectedNames(rows + 1, 1).first()}));
}

TEST_F(DBGridTest, AColouredColumnAndTheIndicatorArePainted) {
  grid->Columns().RebuildColumns();
  grid->Columns()[2]->SetColor(clYellow);
  QImage image = grid->viewport()->grab().toImage();
  const QRect coloured = DataCell(2, 3);
  EXPECT_EQ(image.pixelColor(coloured.right() - 2, coloured.center().y()), QColor(Qt::yellow));
  EXPECT_EQ(image.pixelColor(DataCell(1, 3).right() - 2, coloured.center().y()), ColorToQColor(clWindow));

  auto indicator = [&](int dataRow) {
    const QRect cell = grid->CellRect(0, dataRow + 1);
    return image.copy(cell);
  };
  auto blackPixels = [](const QImage &cell) {
    int count = 0;
    for (int y = 0; y < cell.height(); ++y)
      for (int x = 0; x < cell.width(); ++x)
        count += cell.pixelColor(x, y) == QColor(Qt::black);
    return count;
  };
  const QImage browsing = indicator(0);
  EXPECT_GT(blackPixels(browsing), 5);
  EXPECT_EQ(blackPixels(indicator(1)), 0);
  users->Edit();
  image = grid->viewport()->grab().toImage();
  const QImage editing = indicator(0);
  EXPECT_GT(blackPixels(editing), 5);
  EXPECT_NE(editing, browsing);
}

TEST_F(DBGridTest, TitlesAndIndicatorCanBeSwitchedOff) {
  grid->SetOptions(grid->Options() & ~(dgTitles | dgIndicator));
  EXPECT_EQ(grid->FixedRows(), 0);
  EXPECT_EQ(grid->FixedCols(), 0);
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->Row(), 0);
  Press(Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(users->RecNo(), 2);
}

// Persistent fields exist before the first open: their labels title the columns from the start;
// a dataset without them shows the field names until it opens.
TEST(DBGridTitles, PersistentFieldsTitleTheColumnsBeforeTheDatasetOpens) {
  for (const bool persistent : {true, false}) {
    SCOPED_TRACE(persistent);
    TTestDataSet users;
    users.FieldDefs().Add(QStringLiteral("USER_NAME"), ftString, 20);
    users.FieldDefs().Add(QStringLiteral("PSWD_DATE"), ftDateTime);
    if (persistent) {
      for (int i = 0; i < users.FieldDefs().Count(); ++i)
        users.FieldDefs()[i]->CreateField(&users);
      users.FieldByName(QStringLiteral("USER_NAME"))->SetDisplayLabel(QString::fromUtf8("Użytkownik"));
      users.FieldByName(QStringLiteral("PSWD_DATE"))
          ->SetDisplayLabel(QString::fromUtf8("Data ostatniej zmiany hasła"));
    }
    TDataSource source;
    source.SetDataSet(&users);
    TDBGrid grid;
    grid.SetDataSource(&source);
    for (const char *name : {"USER_NAME", "PSWD_DATE"})
      grid.Columns().Add()->SetFieldName(QString::fromLatin1(name));
    const QStringList expected =
        persistent
            ? QStringList{QString::fromUtf8("Użytkownik"), QString::fromUtf8("Data ostatniej zmiany hasła")}
            : QStringList{QStringLiteral("USER_NAME"), QStringLiteral("PSWD_DATE")};
    EXPECT_EQ((QStringList{grid.Columns()[0]->Title().Caption(), grid.Columns()[1]->Title().Caption()}),
              expected);
    users.Open();
    users.Close();
    EXPECT_EQ(grid.Columns()[0]->Title().Caption(), expected[0]) << "and after a close";
  }
}

TEST_F(DBGridTest, CustomisedColumnsShowOnlyTheirFields) {
  TColumn *name = grid->Columns().Add();
  name->SetFieldName(QStringLiteral("USER_NAME"));
  name->SetWidth(90);
  name->Title().SetCaption(QStringLiteral("Nazwa"));
  TColumn *group = grid->Columns().Add();
  group->SetFieldName(QStringLiteral("GRUPA"));
  EXPECT_EQ(grid->Columns().State(), csCustomized);
  ASSERT_EQ(grid->Columns().Count(), 2);
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->ColWidths(1), 90);
  EXPECT_EQ(name->Field(), Field("USER_NAME"));
  users->Close();
  users->Open();
  EXPECT_EQ(grid->Columns().Count(), 2);
  EXPECT_EQ(name->Field(), Field("USER_NAME"));
  grid->Columns().SetState(csDefault);
  EXPECT_EQ(grid->Columns().Count(), 3);
  EXPECT_EQ(grid->ColCount(), 4);
}

} // namespace
