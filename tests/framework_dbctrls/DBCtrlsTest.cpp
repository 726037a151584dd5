#include "DBCtrls.h"

#include "DataSource.h"
#include "Exceptions.h"
#include "ScriptedDialogs.h"
#include "UsersFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

void Type(QWidget *widget, const QString &text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
  }
}

void Press(QWidget *widget, Qt::Key key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

// The users dataset behind a data source, as the main window has them.
class DBCtrlsTest : public ::testing::Test {
protected:
  DBCtrlsTest() : Users(MakeUsers({{"ANNA", "A"}, {"BOB", "B"}})) { Source.SetDataSet(Users.get()); }
  QString Name() { return Users->FieldByName("USER_NAME")->AsString(); }

  std::unique_ptr<TTestDataSet> Users;
  TDataSource Source;
  ScriptedDialogs Dialogs;
};

} // namespace

TEST_F(DBCtrlsTest, EditFollowsTheCurrentRecord) {
  TDBEdit edit;
  edit.SetDataSource(&Source);
  edit.SetDataField("USER_NAME");
  EXPECT_EQ(edit.text(), "ANNA");
  EXPECT_EQ(edit.maxLength(), 20);
  EXPECT_TRUE(edit.isReadOnly()) << "browsing: the first key starts editing";
  Users->Next();
  EXPECT_EQ(edit.text(), "BOB");
  Users->Edit();
  Users->FieldByName("USER_NAME")->SetAsString("ROBERT");
  EXPECT_EQ(edit.text(), "ROBERT");
  Users->Cancel();
  EXPECT_EQ(edit.text(), "BOB");
  Users->Close();
  EXPECT_EQ(edit.text(), "");
  EXPECT_EQ(edit.Field(), nullptr);
  Users->Open();
  EXPECT_EQ(edit.text(), "ANNA");
  TDBEdit id;
  id.SetDataSource(&Source);
  id.SetDataField("ID");
  EXPECT_EQ(id.text(), "1");
  EXPECT_TRUE(id.alignment() & Qt::AlignRight);
}

TEST_F(DBCtrlsTest, TypingEditsTheRecordAndPostWritesIt) {
  TDBEdit edit;
  edit.SetDataSource(&Source);
  edit.SetDataField("USER_NAME");
  Type(&edit, "X");
  EXPECT_EQ(Users->State(), dsEdit);
  EXPECT_EQ(edit.text(), "ANNAX");
  EXPECT_EQ(Name(), "ANNA") << "the text reaches the field when the record is posted";
  Users->Post();
  EXPECT_EQ(Name(), "ANNAX");
  EXPECT_EQ(edit.text(), "ANNAX");

  Type(&edit, "Y");
  Press(&edit, Qt::Key_Escape);
  EXPECT_EQ(edit.text(), "ANNAX") << "Escape takes back the field's value";
  Users->Post();
  EXPECT_EQ(Name(), "ANNAX");
}

TEST_F(DBCtrlsTest, NoEditingWithoutAutoEditOrOnAReadOnlyLink) {
  TDBEdit edit;
  edit.SetDataSource(&Source);
  edit.SetDataField("USER_NAME");
  Source.SetAutoEdit(false);
  Type(&edit, "X");
  EXPECT_EQ(Users->State(), dsBrowse);
  EXPECT_EQ(edit.text(), "ANNA");
  Source.SetAutoEdit(true);
  edit.SetReadOnly(true);
  Type(&edit, "X");
  EXPECT_EQ(Users->State(), dsBrowse);
  edit.SetReadOnly(false);
  Users->FieldByName("USER_NAME")->SetReadOnly(true);
  Type(&edit, "X");
  EXPECT_EQ(Users->State(), dsBrowse);
  EXPECT_EQ(edit.text(), "ANNA");
}

TEST_F(DBCtrlsTest, BadTextIsRefusedOnPost) {
  TDBEdit id;
  id.SetDataSource(&Source);
  id.SetDataField("ID");
  Type(&id, "z");
  try {
    Users->Post();
    FAIL() << "posted a bad number";
  } catch (const EDatabaseError &e) {
    EXPECT_EQ(e.Message(), "users: '1z' is not a valid integer value for field 'ID'");
  }
  EXPECT_EQ(Users->State(), dsEdit);
  EXPECT_EQ(id.text(), "1z") << "the typed text is kept for correcting";
  Press(&id, Qt::Key_Backspace);
  Users->Post();
  EXPECT_EQ(Users->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(DBCtrlsTest, CheckBoxMapsFieldTexts) {
  TTestDataSet data;
  data.FieldDefs().Add("PSWD_VALID", ftSmallint);
  data.FieldDefs().Add("ACTIVE", ftBoolean);
  data.Open();
  data.AppendRecord({0, true});
  data.AppendRecord({1, false});
  data.AppendRecord({QVariant(), QVariant()});
  data.First();
  TDataSource source;
  source.SetDataSet(&data);
  TDBCheckBox mustChange, active;
  mustChange.SetValueChecked("0");
  mustChange.SetValueUnchecked("1");
  mustChange.SetDataSource(&source);
  mustChange.SetDataField("PSWD_VALID");
  active.SetDataSource(&source);
  active.SetDataField("ACTIVE");
  EXPECT_EQ(mustChange.checkState(), Qt::Checked);
  EXPECT_EQ(active.checkState(), Qt::Checked);
  data.Next();
  EXPECT_EQ(mustChange.checkState(), Qt::Unchecked);
  EXPECT_EQ(active.checkState(), Qt::Unchecked);
  data.Next();
  EXPECT_EQ(mustChange.checkState(), Qt::PartiallyChecked) << "null";
  EXPECT_EQ(active.checkState(), Qt::PartiallyChecked);

  data.First();
  mustChange.click();
  EXPECT_EQ(data.State(), dsEdit) << "a click starts editing without posting";
  EXPECT_EQ(data.FieldByName("PSWD_VALID")->AsInteger(), 1);
  EXPECT_EQ(mustChange.checkState(), Qt::Unchecked);
  active.click();
  EXPECT_FALSE(data.FieldByName("ACTIVE")->AsBoolean());
  data.Post();
  data.Last();
  mustChange.click();
  EXPECT_EQ(data.FieldByName("PSWD_VALID")->AsInteger(), 0) << "from null a click checks";
  data.Cancel();
  mustChange.SetReadOnly(true);
  data.First();
  mustChange.click();
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(mustChange.checkState(), Qt::Unchecked);
}

TEST_F(DBCtrlsTest, MemoKeepsWindowsLineEnds) {
  TTestDataSet data;
  data.FieldDefs().Add("NOTE", ftMemo);
  data.Open();
  data.AppendRecord({QStringLiteral("one\r\ntwo")});
  TDataSource source;
  source.SetDataSet(&data);
  TDBMemo memo;
  memo.SetDataSource(&source);
  memo.SetDataField("NOTE");
  EXPECT_EQ(memo.toPlainText(), "one\ntwo");
  EXPECT_TRUE(memo.isReadOnly());
  QTextCursor cursor = memo.textCursor();
  cursor.movePosition(QTextCursor::End);
  memo.setTextCursor(cursor);
  Press(&memo, Qt::Key_Return);
  Type(&memo, "three");
  EXPECT_EQ(data.State(), dsEdit);
  data.Post();
  EXPECT_EQ(data.FieldByName("NOTE")->AsString(), "one\r\ntwo\r\nthree");
}

TEST_F(DBCtrlsTest, NavigatorButtonsFollowTheState) {
  TDBNavigator nav;
  auto enabled = [&nav] {
    QString flags;
    for (int i = nbFirst; i <= nbRefresh; ++i)
      flags += nav.Button(TNavigateBtn(i))->isEnabled() ? u'1' : u'0';
    return flags;
  };
  EXPECT_EQ(enabled(), "0000000000") << "no data source";
  nav.SetDataSource(&Source);
  // First Prior Next Last Insert Delete Edit Post Cancel Refresh
  EXPECT_EQ(enabled(), "0011111001");
  nav.BtnClick(nbNext);
  EXPECT_EQ(Name(), "BOB");
  EXPECT_EQ(enabled(), "1111111001") << "on the last record, not yet past it";
  nav.BtnClick(nbNext);
  EXPECT_EQ(enabled(), "1100111001") << "at the end";
  nav.BtnClick(nbEdit);
  EXPECT_EQ(Users->State(), dsEdit);
  EXPECT_EQ(enabled(), "1100110111");
  nav.BtnClick(nbCancel);
  nav.BtnClick(nbFirst);
  EXPECT_EQ(Name(), "ANNA");
  Users->SetReadOnly(true);
  Users->Refresh();
  EXPECT_EQ(enabled(), "1111000001") << "a read-only dataset, refreshed";
  Users->Close();
  EXPECT_EQ(enabled(), "0000000000");
}

TEST_F(DBCtrlsTest, NavigatorVisibleButtonsAndHints) {
  TDBNavigator nav;
  nav.SetVisibleButtons({nbPost, nbCancel});
  for (int i = nbFirst; i <= nbRefresh; ++i)
    EXPECT_EQ(nav.Button(TNavigateBtn(i))->isHidden(), i != nbPost && i != nbCancel) << i;
  EXPECT_EQ(nav.Button(nbFirst)->toolTip(), "First record");
  EXPECT_EQ(nav.Button(nbRefresh)->toolTip(), "Refresh data");
  const QStringList hints = {"", "", "", "", "", "", "", QString::fromUtf8("Zatwierdź zmiany"), "Anuluj"};
  nav.SetHints(hints);
  EXPECT_EQ(nav.Hints(), hints);
  EXPECT_EQ(nav.Button(nbPost)->toolTip(), QString::fromUtf8("Zatwierdź zmiany"));
  EXPECT_EQ(nav.Button(nbCancel)->toolTip(), "Anuluj");
  EXPECT_EQ(nav.Button(nbEdit)->toolTip(), "Edit record");
}

TEST_F(DBCtrlsTest, NavigatorDeleteAsksAndErrorsReachTheApplication) {
  TDBNavigator nav;
  nav.SetDataSource(&Source);
  Dialogs.AnswerMessage(mrCancel);
  nav.Button(nbDelete)->click();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, "Delete record?");
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtConfirmation);
  EXPECT_EQ(Users->RecordCount(), 2);
  Dialogs.AnswerMessage(mrOk);
  nav.Button(nbDelete)->click();
  EXPECT_EQ(Users->RecordCount(), 1);
  EXPECT_EQ(Name(), "BOB");

  nav.Button(nbInsert)->click();
  EXPECT_EQ(Users->State(), dsInsert);
  Dialogs.AnswerMessage(mrOk);
  nav.Button(nbPost)->click();
  ASSERT_EQ(Dialogs.Messages().size(), 3u);
  EXPECT_EQ(Dialogs.Messages()[2].Text, "users: Field 'ID' must have a value.");
  EXPECT_EQ(Users->State(), dsInsert);
  EXPECT_TRUE(Dialogs.Exhausted());
}
