#include "DBCtrls.h"
#include "DataSource.h"
#include "ExDBGrid.h"
#include "ExDateTimePicker.h"
#include "Field.h"
#include "GridInput.h"
#include "InplaceEdit.h"
#include "TestDataSet.h"

#include "DBRichEdit.h"
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

// A grid over (NAME string, NOTE memo, BORN date, CHECK boolean).
class ExDBGridEditingTest : public testing::Test {
protected:
  void SetUp() override {
    data.FieldDefs().Add(QStringLiteral("NAME"), ftString, 40);
    data.FieldDefs().Add(QStringLiteral("NOTE"), ftMemo);
    data.FieldDefs().Add(QStringLiteral("BORN"), ftDate);
    data.FieldDefs().Add(QStringLiteral("CHECK"), ftBoolean);
    data.Open();
    data.AppendRecord({QStringLiteral("ADAM"), QStringLiteral("a short note"), 45000.0, true});
    data.AppendRecord(
        {QStringLiteral("BEATA"), QStringLiteral("a much, much longer note about Beata"), 46000.0, false});
    data.First();
    source.SetDataSet(&data);
    window.resize(500, 200);
    grid = new TExDBGrid(&window);
    grid->setGeometry(0, 0, 500, 200);
    grid->SetScrollBars(ssNone);
    grid->SetDataSource(&source);
    GridInput::UseStableLook();
    GridInput::ShowFocused(window, *grid);
  }
  bool TextEditing() const { return grid->TCustomGrid::Options() & goEditing; }
  bool EditorShown() const { return grid->InplaceEditor() && grid->InplaceEditor()->isVisible(); }
  void Enter(const char *field) { grid->SetSelectedField(data.FieldByName(QString::fromLatin1(field))); }

  TTestDataSet data;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};

TEST_F(ExDBGridEditingTest, OnlyPlainColumnsKeepTheTextEditor) {
  const std::vector<std::pair<const char *, bool>> cases = {
      {"NOTE", false}, {"NAME", true}, {"BORN", false}, {"NAME", true}, {"CHECK", false}};
  for (const auto &[field, editing] : cases) {
    Enter(field);
    EXPECT_EQ(TextEditing(), editing) << field;
  }
}

TEST_F(ExDBGridEditingTest, DateColumnsGetTheTextEditorWithoutTheDatePicker) {
  Enter("BORN");
  EXPECT_FALSE(TextEditing());
  grid->SetEditorMode(true);
  EXPECT_FALSE(EditorShown());
  grid->SetEditorMode(false);
  grid->SetDisplayDateTime(false);
  EXPECT_TRUE(TextEditing());
  grid->SetEditorMode(true);
  EXPECT_TRUE(EditorShown());
}

TEST_F(ExDBGridEditingTest, LockedColumnsAreNeverCurrent) {
  grid->SetLockedCols(2);
  ASSERT_EQ(grid->FixedCols(), 3);
  grid->SetSelectedIndex(0);
  EXPECT_EQ(grid->SelectedIndex(), 2);
}

TEST_F(ExDBGridEditingTest, FullSizeMemoWidensMemoColumnsOnly) {
  grid->SetOptions(grid->Options() | dgColumnResize);
  grid->Columns()[1]->SetWidth(20);
  const int nameWidth = grid->Columns()[0]->Width();
  grid->SetDisplayMemo(false);
  grid->SetFullSizeMemo(true);
  EXPECT_TRUE(grid->DisplayMemo());
  EXPECT_GT(grid->Columns()[1]->Width(), 100);
  EXPECT_EQ(grid->Columns()[0]->Width(), nameWidth);
  grid->SetDisplayMemo(false);
  EXPECT_FALSE(grid->FullSizeMemo());
}

TEST_F(ExDBGridEditingTest, MenuTogglesDisplayOptions) {
  grid->SetTitleCheck(true);
  GridInput::Click(*grid->viewport(), grid->CellRect(0, 0).center());
  ASSERT_TRUE(grid->OptionMenu()->isVisible());
  grid->OptionMenu()->hide();
  grid->MenuItem(5)->trigger();
  EXPECT_FALSE(grid->DisplayMemo());
  grid->MenuItem(6)->trigger();
  EXPECT_FALSE(grid->DisplayDateTime());
  grid->MenuItem(10)->trigger();
  EXPECT_TRUE(grid->FullSizeMemo());
  EXPECT_TRUE(grid->DisplayMemo());
}

class ExDBGridDatePickerTest : public ExDBGridEditingTest {
protected:
  // All columns fit, so a click never scrolls the grid under the mouse.
  void SetUp() override {
    ExDBGridEditingTest::SetUp();
    for (int i = 0; i < grid->Columns().Count(); ++i)
      grid->Columns()[i]->SetWidth(90);
  }
  QRect BornCell() const { return grid->CellRect(3 + grid->IndicatorOffset() - 1, grid->TitleOffset()); }
  void ClickBorn() { GridInput::Click(*grid->viewport(), BornCell().center()); }
  void KeyOnPicker(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(grid->DatePicker(), &press);
  }
  bool PickerShown() const { return grid->DatePicker() && grid->DatePicker()->isVisible(); }
  TField *Born() { return data.FieldByName(QStringLiteral("BORN")); }
};

TEST_F(ExDBGridDatePickerTest, SecondClickOnTheSameCellOpensThePickerOverIt) {
  grid->Columns()[2]->SetWidth(120); // wide enough for a whole date
  ClickBorn();
  EXPECT_FALSE(PickerShown());
  ClickBorn();
  ASSERT_TRUE(PickerShown());
  const QRect grown = BornCell().adjusted(-2, -2, 2, 2);
  EXPECT_EQ(grid->DatePicker()->geometry(),
            QRect(grid->viewport()->mapTo(&window, grown.topLeft()), grown.size()));
  EXPECT_DOUBLE_EQ(grid->DatePicker()->DateTime(), 45000.0);
  EXPECT_EQ(grid->DatePicker()->text(), Born()->DisplayText())
      << "the program's short date, as the cell shows it";
  grid->SetDisplayDateTime(false);
  EXPECT_FALSE(PickerShown());
}

TEST_F(ExDBGridDatePickerTest, EnterStoresAndPostsThePickedDate) {
  ClickBorn();
  ClickBorn();
  ASSERT_TRUE(PickerShown());
  grid->DatePicker()->SetDateTime(45010.0);
  KeyOnPicker(Qt::Key_Return);
  EXPECT_FALSE(PickerShown());
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_DOUBLE_EQ(Born()->AsDateTime(), 45010.0);
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(ExDBGridDatePickerTest, EscapeCancelsTheChangedDate) {
  ClickBorn();
  ClickBorn();
  ASSERT_TRUE(PickerShown());
  grid->DatePicker()->SetDateTime(45020.0);
  EXPECT_EQ(data.State(), dsEdit) << "a change while browsing starts the edit";
  KeyOnPicker(Qt::Key_Escape);
  EXPECT_FALSE(PickerShown());
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_DOUBLE_EQ(Born()->AsDateTime(), 45000.0);
}

TEST_F(ExDBGridDatePickerTest, EnterOnTheGridOpensThePicker) {
  Enter("BORN");
  GridInput::Press(Qt::Key_Return);
  EXPECT_TRUE(PickerShown());
}

// The width of the columns that hold dark pixels within the rectangle, from the first to the last.
int InkWidth(const QImage &image, const QRect &rect) {
  int first = -1, last = -1;
  for (int x = rect.left(); x <= rect.right(); ++x)
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      if (qGray(image.pixel(x, y)) < 128) {
        first = first < 0 ? x : first;
        last = x;
        break;
      }
  return first < 0 ? 0 : last - first + 1;
}

class ExDBGridPickerWidthTest : public ExDBGridDatePickerTest, public testing::WithParamInterface<int> {};

TEST_P(ExDBGridPickerWidthTest, ThePickerShowsTheWholeDate) {
  grid->Columns()[2]->SetWidth(GetParam());
  data.Edit();
  Born()->SetAsDateTime(45440.0);
  data.Post();
  ClickBorn();
  ClickBorn();
  ASSERT_TRUE(PickerShown());
  TExDateTimePicker &picker = *grid->DatePicker();
  EXPECT_EQ(picker.text(), QStringLiteral("28.05.2024"));
  QImage alone(200, 40, QImage::Format_RGB32);
  alone.fill(Qt::white);
  {
    QPainter painter(&alone);
    painter.setFont(picker.font());
    painter.setPen(Qt::black);
    painter.drawText(QPoint(10, 30), picker.text());
  }
  const QImage shot = picker.grab().toImage();
  const QLineEdit *edit = picker.findChild<QLineEdit *>();
  ASSERT_NE(edit, nullptr);
  EXPECT_GE(InkWidth(shot, edit->geometry() & shot.rect()), InkWidth(alone, alone.rect()) - 1)
      << "every character shows";
  const QRect grown = BornCell().adjusted(-2, -2, 2, 2);
  const QRect onForm(grid->viewport()->mapTo(&window, grown.topLeft()), grown.size());
  EXPECT_EQ(picker.geometry().topLeft(), onForm.topLeft());
  EXPECT_EQ(picker.height(), onForm.height());
  EXPECT_GE(picker.width(), onForm.width()) << "a narrow column's picker grows to the right";
}

INSTANTIATE_TEST_SUITE_P(Columns, ExDBGridPickerWidthTest, testing::Values(60, 80, 90, 120),
                         [](const testing::TestParamInfo<int> &info) {
                           return std::to_string(info.param) + "Pixels";
                         });

class ExDBGridMemoEditorTest : public ExDBGridDatePickerTest {
protected:
  QRect NoteCell() const { return grid->CellRect(1 + grid->IndicatorOffset(), grid->TitleOffset()); }
  void ClickNote() { GridInput::Click(*grid->viewport(), NoteCell().center()); }
  void OpenNote() {
    ClickNote();
    ClickNote();
  }
  bool MemoShown() const { return grid->MemoEditor() && grid->MemoEditor()->isVisible(); }
  TField *Note() { return data.FieldByName(QStringLiteral("NOTE")); }
};

TEST_F(ExDBGridMemoEditorTest, SecondClickOpensTheBoundMemoOverTheCell) {
  ClickNote();
  EXPECT_FALSE(MemoShown());
  ClickNote();
  ASSERT_TRUE(MemoShown());
  EXPECT_EQ(grid->MemoEditor()->toPlainText(), "a short note");
  EXPECT_TRUE(grid->MemoEditor()->hasFocus());
  const QRect grown = NoteCell().adjusted(-2, -2, 2, 2);
  EXPECT_EQ(grid->MemoEditor()->geometry(),
            QRect(grid->viewport()->mapTo(&window, grown.topLeft()), grown.size()));
  EXPECT_EQ(grid->MemoEditor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(ExDBGridMemoEditorTest, EscapeCancelsTheTypedText) {
  OpenNote();
  ASSERT_TRUE(MemoShown());
  GridInput::Type(QStringLiteral("!!"));
  EXPECT_EQ(data.State(), dsEdit);
  GridInput::Press(Qt::Key_Escape);
  EXPECT_FALSE(MemoShown());
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(Note()->AsString(), "a short note");
  EXPECT_EQ(grid->MemoEditor()->DataSource(), nullptr);
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(ExDBGridMemoEditorTest, LeavingTheMemoKeepsTheTypedText) {
  OpenNote();
  ASSERT_TRUE(MemoShown());
  GridInput::Type(QStringLiteral("!!"));
  grid->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(MemoShown());
  EXPECT_EQ(Note()->AsString(), "a short note!!");
  EXPECT_EQ(grid->MemoEditor()->DataSource(), nullptr);
}

TEST_F(ExDBGridMemoEditorTest, ScrollBarsViewTurnsWrappingOff) {
  grid->SetMemoViewType(TMemoViewType::ScrollBarsOn);
  OpenNote();
  ASSERT_TRUE(MemoShown());
  EXPECT_EQ(grid->MemoEditor()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

} // namespace

namespace {

class ExDBGridPickerValueTest : public ExDBGridDatePickerTest {};

TEST_F(ExDBGridPickerValueTest, LeavingThePickerKeepsTheLastPickedDate) {
  ClickBorn();
  ClickBorn();
  ASSERT_TRUE(PickerShown());
  grid->DatePicker()->SetDateTime(45010.0);
  grid->DatePicker()->SetDateTime(45020.0);
  grid->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(PickerShown());
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_DOUBLE_EQ(Born()->AsDateTime(), 45020.0);
}

TEST_F(ExDBGridPickerValueTest, TabOnAnEmptyDateLeavesItEmpty) {
  data.Last();
  data.Edit();
  Born()->Clear();
  data.Post();
  data.First();
  grid->InvalidateGrid();
  grid->viewport()->grab();
  data.Last();
  const QRect cell = grid->CellRect(3 + grid->IndicatorOffset() - 1, grid->TitleOffset() + 1);
  GridInput::Click(*grid->viewport(), cell.center());
  GridInput::Click(*grid->viewport(), cell.center());
  ASSERT_TRUE(PickerShown());
  EXPECT_TRUE(grid->DatePicker()->IsNull()) << "not the date of the record painted before";
  KeyOnPicker(Qt::Key_Tab);
  EXPECT_TRUE(Born()->IsNull());
  EXPECT_EQ(data.State(), dsBrowse);
}

TEST_F(ExDBGridPickerValueTest, EditorsGoWithTheGrid) {
  ClickBorn();
  ClickBorn();
  ASSERT_TRUE(PickerShown());
  QPointer<TExDateTimePicker> picker = grid->DatePicker();
  Enter("NOTE");
  GridInput::Press(Qt::Key_Return);
  QPointer<TDBMemo> memo = grid->MemoEditor();
  ASSERT_TRUE(memo);
  delete grid;
  grid = nullptr;
  EXPECT_FALSE(picker) << "the picker lives on the window but belongs to the grid";
  EXPECT_FALSE(memo);
}

TEST_F(ExDBGridPickerValueTest, RichEditModeEditsFormattedText) {
  grid->SetMemoInplaceEditor(TMemoInplaceEditor::RichEdit);
  Enter("NOTE");
  GridInput::Press(Qt::Key_Return);
  ASSERT_NE(grid->RichEditor(), nullptr);
  ASSERT_TRUE(grid->RichEditor()->isVisible());
  EXPECT_EQ(grid->RichEditor()->toPlainText(), "a short note") << "plain text shows as it is";
  GridInput::Press(Qt::Key_B, Qt::ControlModifier);
  GridInput::Type(QStringLiteral("!"));
  grid->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  data.Post();
  const QByteArray stored = data.FieldByName(QStringLiteral("NOTE"))->AsBytes();
  EXPECT_TRUE(stored.startsWith("{\\rtf1")) << stored.constData();
  EXPECT_TRUE(stored.contains("\\b !")) << stored.constData();
}

} // namespace
