#include "USqlmlF.h"

#include "Actions.h"
#include "Application.h"
#include "Exceptions.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A saved-query folder of the test's own and the picker on it.
class SqlmlFTest : public testing::Test {
protected:
  void SetUp() override { SetSQLFolder(Folder.path()); }
  void TearDown() override {
    Form.reset();
    SetSQLFolder(QString());
    EXPECT_TRUE(Dialogs.Exhausted());
  }
  QString PathOf(const char *name) const { return Folder.path() + u'/' + QString::fromLatin1(name); }
  void Write(const char *name, const QByteArray &bytes) {
    QFile file(PathOf(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray Read(const char *name) const {
    QFile file(PathOf(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void Open() { Form = std::make_unique<TSQLMonListForm>(nullptr); }
  QString Cell(int row) const { return Form->PytaniaGrid->item(row, 0)->text(); }

  QTemporaryDir Folder;
  ScriptedDialogs Dialogs;
  std::unique_ptr<TSQLMonListForm> Form;
};

TEST_F(SqlmlFTest, ListsEveryFileAndShowsTheFirst) {
  Write("a.sql", "nazwa=Pierwsze\r\nopis=Opis A\r\n****\r\nselect 1\r\n");
  Write("b.sql", "insert into T1 values (1)\r\n");
  Open();
  EXPECT_EQ(Form->Caption(), QString::fromUtf8("Wybór zapytania SQL"));
  ASSERT_EQ(Form->PytaniaGrid->rowCount(), 2);
  QStringList names{Cell(0), Cell(1)};
  names.sort();
  EXPECT_EQ(names, (QStringList{QStringLiteral("Pierwsze"), QStringLiteral("b.sql")}));
  EXPECT_EQ(Form->PytaniaGrid->currentRow(), 0);
  EXPECT_EQ(Form->FormatMemo->toPlainText(),
            Form->Item(0)->SQL.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdBrowse);
  EXPECT_TRUE(Form->BitBtn1->isEnabled());
  EXPECT_FALSE(Form->ZapiszA->Enabled());
}

TEST_F(SqlmlFTest, ANewQueryIsSavedToTheChosenFileAndListed) {
  Open();
  ASSERT_TRUE(Form->DodajA->Execute());
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdNew);
  ASSERT_NE(Form->NameEditor(), nullptr);
  EXPECT_FALSE(Form->BitBtn1->isEnabled());
  EXPECT_FALSE(Form->OpisMemo->isReadOnly());
  Form->NameEditor()->setText(QString::fromUtf8("Wszyscy użytkownicy"));
  Form->OpisMemo->setPlainText(QStringLiteral("Lista"));
  Form->FormatMemo->setPlainText(QStringLiteral("select *\nfrom T1"));
  Dialogs.AnswerFile(PathOf("nowe.sql"));
  ASSERT_TRUE(Form->ZapiszA->Execute());
  EXPECT_EQ(Dialogs.FileDialogs().back().InitialDir, Folder.path() + u'/');
  EXPECT_EQ(Read("nowe.sql"),
            QByteArray("nazwa=Wszyscy u\xbfytkownicy\r\nopis=Lista\r\n****\r\nselect *\r\nfrom T1\r\n"));
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdBrowse);
  EXPECT_EQ(Form->NameEditor(), nullptr);
  EXPECT_EQ(Cell(0), QString::fromUtf8("Wszyscy użytkownicy"));
  EXPECT_EQ(Form->Item(0)->FileName, QStringLiteral("nowe.sql"));
  EXPECT_TRUE(Form->OpisMemo->isReadOnly());
}

TEST_F(SqlmlFTest, CancellingTheSaveDialogKeepsTheNewMode) {
  Open();
  Form->DodajA->Execute();
  Form->NameEditor()->setText(QStringLiteral("Nowe"));
  Form->FormatMemo->setPlainText(QStringLiteral("select 1 from RDB$DATABASE"));
  Dialogs.AnswerFile(QString());
  EXPECT_THROW(Form->ZapiszA->Execute(), EAbort);
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdNew);
  EXPECT_EQ(Form->ItemCount(), 1);
}

TEST_F(SqlmlFTest, AMultiLineDescriptionIsSavedOnOneLineSoTheFileKeepsItsHeader) {
  Open();
  Form->DodajA->Execute();
  Form->NameEditor()->setText(QStringLiteral("Opisane"));
  Form->OpisMemo->setPlainText(QStringLiteral("pierwsza\ndruga"));
  Form->FormatMemo->setPlainText(QStringLiteral("select 1 from RDB$DATABASE"));
  Dialogs.AnswerFile(PathOf("opisane.sql"));
  Form->ZapiszA->Execute();
  TSQLItem item;
  ReadSQLItem(PathOf("opisane.sql"), item);
  EXPECT_EQ(item.Name, QStringLiteral("Opisane"));
  EXPECT_EQ(item.Description, QStringLiteral("pierwsza druga"));
  EXPECT_EQ(item.SQL, QStringLiteral("select 1 from RDB$DATABASE\r\n"));
}

TEST_F(SqlmlFTest, EditingPinsTheRowAndSavesOverTheItemsFile) {
  Write("a.sql", "nazwa=A\r\nopis=\r\n****\r\nselect 1\r\n");
  Write("b.sql", "nazwa=B\r\nopis=\r\n****\r\nselect 2\r\n");
  Open();
  ASSERT_TRUE(Form->ModyfikujA->Execute());
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdEdit);
  Dialogs.AnswerMessage(mrOk);
  Form->PytaniaGrid->setCurrentCell(1, 0);
  EXPECT_EQ(Form->PytaniaGrid->currentRow(), 0);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Należy zatwierdzić lub anulować wprowadzanie zmian."));
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QStringLiteral("Uwaga"));
  const QString file = Form->Item(0)->FileName;
  Form->NameEditor()->setText(QStringLiteral("Zmienione"));
  Form->FormatMemo->setPlainText(QStringLiteral("select 3 from RDB$DATABASE"));
  ASSERT_TRUE(Form->ZapiszA->Execute()); // no dialog: the item's own file
  TSQLItem item;
  ReadSQLItem(Folder.path() + u'/' + file, item);
  EXPECT_EQ(item.Name, QStringLiteral("Zmienione"));
  EXPECT_EQ(item.SQL, QStringLiteral("select 3 from RDB$DATABASE\r\n"));
  EXPECT_EQ(Form->Item(0)->Name, QStringLiteral("Zmienione"));
}

TEST_F(SqlmlFTest, AFailedWriteKeepsTheModeAndTheItem) {
  Write("a.sql", "nazwa=A\r\nopis=\r\n****\r\nselect 1\r\n");
  Open();
  Form->ModyfikujA->Execute();
  Form->NameEditor()->setText(QString::fromUtf8("日本"));
  EXPECT_THROW(Form->ZapiszA->Execute(), EConvertError);
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdEdit);
  EXPECT_EQ(Form->Item(0)->Name, QStringLiteral("A"));
  EXPECT_EQ(Read("a.sql"), QByteArray("nazwa=A\r\nopis=\r\n****\r\nselect 1\r\n"));
}

TEST_F(SqlmlFTest, CancelInEditModeKeepsFileAndItemAndShowsTheStoredTexts) {
  Write("a.sql", "nazwa=A\r\nopis=Stary\r\n****\r\nselect 1\r\n");
  Open();
  Form->ModyfikujA->Execute();
  Form->NameEditor()->setText(QStringLiteral("Inne"));
  Form->OpisMemo->setPlainText(QStringLiteral("Nowy"));
  Form->BitBtn2->click();
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdBrowse);
  EXPECT_EQ(Cell(0), QStringLiteral("A"));
  EXPECT_EQ(Form->OpisMemo->toPlainText(), QStringLiteral("Stary"));
  EXPECT_EQ(Read("a.sql"), QByteArray("nazwa=A\r\nopis=Stary\r\n****\r\nselect 1\r\n"));
}

TEST_F(SqlmlFTest, CancelInNewModeRemovesTheNewRow) {
  Write("a.sql", "select 1\r\n");
  Open();
  Form->DodajA->Execute();
  ASSERT_EQ(Form->PytaniaGrid->rowCount(), 2);
  Form->BitBtn2->click();
  EXPECT_EQ(Form->PytaniaGrid->rowCount(), 1);
  EXPECT_EQ(Form->ItemCount(), 1);
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdBrowse);
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(SqlmlFTest, ModifyOnAnEmptyListMakesANewOne) {
  Open();
  ASSERT_TRUE(Form->ModyfikujA->Execute());
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdNew);
  EXPECT_EQ(Form->ItemCount(), 1);
}

TEST_F(SqlmlFTest, RefreshRereadsTheFolder) {
  Open();
  EXPECT_EQ(Form->PytaniaGrid->rowCount(), 0);
  Write("a.sql", "select 1\r\n");
  ASSERT_TRUE(Form->OdswierzA->Execute());
  ASSERT_EQ(Form->PytaniaGrid->rowCount(), 1);
  EXPECT_EQ(Cell(0), QStringLiteral("a.sql"));
}

} // namespace

namespace {

struct RefusalCase {
  const char *Name;
  const char *QueryName;
  const char *Statement;
  const char *Message;
};

class SqlmlFRefusalTest : public SqlmlFTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(SqlmlFRefusalTest, ANewQueryNeedsANameAndAStatement) {
  const RefusalCase &c = GetParam();
  Open();
  Form->DodajA->Execute();
  Form->NameEditor()->setText(QString::fromUtf8(c.QueryName));
  Form->FormatMemo->setPlainText(QString::fromUtf8(c.Statement));
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->ZapiszA->Execute(), EAbort);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8(c.Message));
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QStringLiteral("Uwaga"));
  EXPECT_TRUE(Dialogs.FileDialogs().empty());
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdNew);
  EXPECT_TRUE(QDir(Folder.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SqlmlFRefusalTest,
    testing::Values(RefusalCase{"NoName", "", "select 1 from RDB$DATABASE", "Podaj nazwę zapytania."},
                    RefusalCase{"BlankName", "   ", "select 1 from RDB$DATABASE", "Podaj nazwę zapytania."},
                    RefusalCase{"NoStatement", "Pusta", "", "Podaj treść zapytania."},
                    RefusalCase{"BlankStatement", "Pusta", " \n\t\n", "Podaj treść zapytania."}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.Name); });

TEST_F(SqlmlFTest, ClosingTheWindowWhileANewRowIsTypedLeavesNoBlankRow) {
  Write("a.sql", "nazwa=A\r\nopis=\r\n****\r\nselect 1\r\n");
  Open();
  Form->show();
  Form->DodajA->Execute();
  ASSERT_EQ(Form->PytaniaGrid->rowCount(), 2);
  Form->close(); // the window's own button
  EXPECT_FALSE(Form->isVisible());
  EXPECT_EQ(Form->Mode(), TSQLMonListForm::mdBrowse);
  EXPECT_EQ(Form->PytaniaGrid->rowCount(), 1);
  EXPECT_EQ(Form->ItemCount(), 1);
  EXPECT_EQ(Cell(0), QStringLiteral("A"));
}

} // namespace
