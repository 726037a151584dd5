#include "DBGridFixture.h"
#include "Exceptions.h"
#include "ScriptedDialogs.h"

#include "Forms.h"
#include "StdCtrls.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QTimer>

using namespace GridInput;

namespace {

class DBGridEditingTest : public DBGridFixture {
protected:
  void SetUp() override {
    Build(3);
    SelectColumn("USER_NAME");
  }
};

TEST_F(DBGridEditingTest, TypingEditsAndLeavingTheRowPosts) {
  Type(QStringLiteral("ANNA"));
  EXPECT_EQ(users->State(), dsEdit);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("ANNA"));
  EXPECT_EQ(Name(), QStringLiteral("USER01")); // not written before the row is left
  Press(Qt::Key_Down);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(users->RecNo(), 2);
  users->First();
  EXPECT_EQ(Name(), QStringLiteral("ANNA"));
}

TEST_F(DBGridEditingTest, ASecondClickOnTheCurrentCellOpensTheEditor) {
  const QPoint cell = DataCell(1, 1).center();
  Click(*grid->viewport(), cell);
  EXPECT_EQ(users->RecNo(), 2);
  EXPECT_FALSE(grid->EditorMode());
  Click(*grid->viewport(), cell);
  ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("USER02"));
  EXPECT_EQ(users->State(), dsBrowse);
}

TEST_F(DBGridEditingTest, EscapeTakesBackTheTextThenCancelsTheRecord) {
  Press(Qt::Key_F2);
  Type(QStringLiteral("X"));
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("USER01X"));
  Press(Qt::Key_Escape);
  EXPECT_EQ(users->State(), dsEdit);
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("USER01"));
  Press(Qt::Key_Escape);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(Name(), QStringLiteral("USER01"));
}

// In a dialog with a cancel button ("Grupy"), Escape in the grid closes the dialog when the grid
// has nothing to take back; with an editor open it takes the edit back and the dialog stays.
TEST(DBGridInADialog, EscapeGoesToTheCancelButtonOnlyWithNothingToTakeBack) {
  for (const bool editing : {false, true}) {
    SCOPED_TRACE(editing);
    GridInput::UseStableLook();
    auto users = MakeUsers({{"USER01", "GROUP1"}, {"USER02", "GROUP2"}});
    TDataSource source;
    source.SetDataSet(users.get());
    TForm form;
    form.resize(300, 200);
    auto *grid = new TDBGrid(&form);
    grid->setGeometry(0, 0, 300, 160);
    grid->SetDataSource(&source);
    auto *cancel = new TButton(&form, QStringLiteral("Anuluj"));
    cancel->setGeometry(200, 165, 90, 30);
    cancel->SetModalResult(mrCancel);
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
      QApplication::setActiveWindow(&form);
      grid->setFocus();
      ASSERT_EQ(QApplication::focusWidget(), grid);
      if (editing) {
        Press(Qt::Key_F2);
        Type(QStringLiteral("X"));
      }
      Press(Qt::Key_Escape);
      stayedOpen = form.isVisible();
      if (stayedOpen)
        form.SetModalResult(mrOk);
    });
    EXPECT_EQ(form.ExecModal(), editing ? mrOk : mrCancel);
    EXPECT_EQ(stayedOpen, editing);
    EXPECT_EQ(users->FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("USER01"));
  }
}

TEST_F(DBGridEditingTest, EnterWritesTheFieldAndEscapeCancelsIt) {
  Type(QStringLiteral("BOB"));
  Press(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  EXPECT_EQ(Name(), QStringLiteral("BOB"));
  EXPECT_EQ(users->State(), dsEdit);
  Press(Qt::Key_Escape);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(Name(), QStringLiteral("USER01"));
}

TEST_F(DBGridEditingTest, EscapeDropsAnInsertedRecord) {
  Press(Qt::Key_Down);
  Press(Qt::Key_Insert);
  Type(QStringLiteral("NEW"));
  ASSERT_EQ(users->State(), dsInsert);
  Press(Qt::Key_Escape);
  Press(Qt::Key_Escape);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(users->RecordCount(), 3);
  EXPECT_EQ(Name(), QStringLiteral("USER02"));
}

TEST_F(DBGridEditingTest, InsertAndDownAtTheEndAddRecordsUnlessBeforeInsertAborts) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    bool abort;
    int recordsAfterPost;
  };
  const Case cases[] = {
      {Qt::Key_Insert, Qt::NoModifier, false, 4},
      {Qt::Key_Down, Qt::NoModifier, false, 4},
      {Qt::Key_Insert, Qt::NoModifier, true, 3},
      {Qt::Key_Down, Qt::NoModifier, true, 3},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " abort " << c.abort);
    Build(3);
    SelectColumn("USER_NAME");
    users->BeforeInsert = [&](TDataSet *) {
      if (c.abort)
        Abort();
    };
    if (c.key == Qt::Key_Down)
      users->Last();
    Press(c.key, c.modifiers);
    EXPECT_EQ(users->State(), c.abort ? dsBrowse : dsInsert);
    if (!c.abort) {
      EXPECT_EQ(grid->DataLink()->RecordCount(), 4);
      Field("ID")->SetAsInteger(99);
      Type(QStringLiteral("NEW"));
      Press(Qt::Key_Up);
    }
    EXPECT_EQ(users->State(), dsBrowse);
    EXPECT_EQ(users->RecordCount(), c.recordsAfterPost);
  }
}

TEST_F(DBGridEditingTest, DownFromAnEmptyAppendedRecordAddsNoSecondOne) {
  users->Last();
  Press(Qt::Key_Down);
  ASSERT_EQ(users->State(), dsInsert);
  Press(Qt::Key_Down);
  EXPECT_EQ(users->State(), dsInsert);
  Press(Qt::Key_Up);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(users->RecordCount(), 3);
  EXPECT_EQ(users->RecNo(), 3);
}

TEST_F(DBGridEditingTest, CtrlDeleteAsksAndDeletesOnlyOnOk) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrCancel);
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(users->RecordCount(), 3);
  dialogs.AnswerMessage(mrOk);
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(users->RecordCount(), 2);
  EXPECT_EQ(Name(), QStringLiteral("USER02"));
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  EXPECT_EQ(dialogs.Messages()[0].Text, QStringLiteral("Delete record?"));
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtConfirmation);
  EXPECT_EQ(dialogs.Messages()[0].Buttons, (TMsgDlgButtons{mbOK, mbCancel}));
}

TEST_F(DBGridEditingTest, CtrlDeleteRemovesTheSelectedRows) {
  ScriptedDialogs dialogs;
  grid->SetOptions(grid->Options() | dgMultiSelect);
  Click(*grid->viewport(), DataCell(1, 0).center());
  Click(*grid->viewport(), DataCell(1, 2).center(), Qt::ControlModifier);
  ASSERT_EQ(grid->SelectedRows().Count(), 2);
  dialogs.AnswerMessage(mrOk);
  Press(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, QStringLiteral("Delete all selected records?"));
  EXPECT_EQ(users->RecordCount(), 1);
  users->First();
  EXPECT_EQ(Name(), QStringLiteral("USER02"));
  EXPECT_EQ(grid->SelectedRows().Count(), 0);
}

TEST_F(DBGridEditingTest, SelectedRowsKeepTheDatasetsOrderAndDropDeletedRecords) {
  grid->SetOptions(grid->Options() | dgMultiSelect);
  Click(*grid->viewport(), DataCell(1, 2).center());
  Click(*grid->viewport(), DataCell(1, 0).center(), Qt::ControlModifier);
  TBookmarkList &rows = grid->SelectedRows();
  ASSERT_EQ(rows.Count(), 2);
  EXPECT_LT(rows.Compare(rows.Items(0), rows.Items(1)), 0);
  int index = -1;
  EXPECT_TRUE(rows.Find(users->GetBookmark(), index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(rows.CurrentRowSelected());
  users->Delete();
  EXPECT_TRUE(rows.Refresh());
  EXPECT_EQ(rows.Count(), 1);
  EXPECT_FALSE(rows.Refresh());
  grid->SetOptions(grid->Options() & ~dgMultiSelect);
  EXPECT_EQ(rows.Count(), 0);
}

TEST_F(DBGridEditingTest, AFailedPostIsReportedAndTheEditKept) {
  ScriptedDialogs dialogs;
  users->FailPosts(1);
  Type(QStringLiteral("ZED"));
  dialogs.AnswerMessage(mrOk);
  Press(Qt::Key_Down);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_TRUE(dialogs.Messages()[0].Text.contains(QStringLiteral("Simulated failure")));
  EXPECT_EQ(users->State(), dsEdit);
  EXPECT_EQ(Field("ID")->AsInteger(), 1);
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("ZED"));
  Press(Qt::Key_Down);
  EXPECT_EQ(users->State(), dsBrowse);
  users->First();
  EXPECT_EQ(Name(), QStringLiteral("ZED"));
}

TEST_F(DBGridEditingTest, ReadOnlyGridAndColumnRefuseTyping) {
  grid->Columns().RebuildColumns();
  SelectColumn("USER_NAME");
  grid->Columns()[1]->SetReadOnly(true);
  Type(QStringLiteral("Q"));
  EXPECT_EQ(users->State(), dsBrowse);
  grid->Columns()[1]->SetReadOnly(false);
  grid->SetReadOnly(true);
  Type(QStringLiteral("Q"));
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(Name(), QStringLiteral("USER01"));
}

TEST_F(DBGridEditingTest, TheEllipsisButtonFiresOnEditButtonClick) {
  grid->Columns().RebuildColumns();
  grid->Columns()[2]->SetButtonStyle(cbsEllipsis);
  int clicks = 0;
  grid->OnEditButtonClick = [&](QObject *sender) {
    EXPECT_EQ(sender, grid);
    EXPECT_EQ(grid->SelectedField(), Field("GRUPA"));
    ++clicks;
  };
  SelectColumn("GRUPA");
  Press(Qt::Key_F2);
  TInplaceEdit *editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->isVisible());
  EXPECT_EQ(editor->EditStyle(), esEllipsis);
  QWidget *button = editor->childAt(editor->width() - 3, editor->height() / 2);
  ASSERT_NE(button, nullptr);
  Click(*button, QPoint(3, 3));
  EXPECT_EQ(clicks, 1);
  Press(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(clicks, 2);
}

TEST_F(DBGridEditingTest, APickListWritesTheChosenValue) {
  grid->Columns().RebuildColumns();
  grid->Columns()[2]->SetPickList(
      {QStringLiteral("KORVIN"), QStringLiteral("VELDAR"), QStringLiteral("PLOMER")});
  SelectColumn("GRUPA");
  Press(Qt::Key_F2);
  TInplaceEdit *editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->isVisible());
  EXPECT_EQ(editor->EditStyle(), esPickList);
  Press(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_EQ(editor->ListBox()->count(), 3);
  editor->ListBox()->setCurrentRow(1);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(editor->ListBox(), &enter);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->text(), QStringLiteral("VELDAR"));
  EXPECT_EQ(users->State(), dsEdit);
  Press(Qt::Key_Down);
  users->First();
  EXPECT_EQ(Field("GRUPA")->AsString(), QStringLiteral("VELDAR"));
}

TEST_F(DBGridEditingTest, AnEmptyInsertedRecordIsCancelledWhenTheFocusLeaves) {
  QWidget other(&window);
  other.setFocusPolicy(Qt::StrongFocus);
  other.setGeometry(0, 230, 10, 10);
  other.show();
  Press(Qt::Key_Insert);
  ASSERT_EQ(users->State(), dsInsert);
  other.setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(users->RecordCount(), 3);
}

} // namespace
