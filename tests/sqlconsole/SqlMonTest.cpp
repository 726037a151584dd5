#include "ConsoleFixture.h"

#include "Actions.h"
#include "Application.h"
#include "ConsoleScript.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "IBTransaction.h"
#include "MxCtrls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

TEST_F(ConsoleTest, OpensOnTheAdvancedTabWithTheUserTablesAndTheFirstTablesFields) {
  OpenConsole();
  EXPECT_EQ(Console->Caption(), QString::fromUtf8("Monitor zapytań SQL"));
  EXPECT_EQ(Console->pgcProfil->currentWidget(), Console->tabZaawansowane);
  ASSERT_EQ(Console->TabeleList->count(), 1); // no system tables
  EXPECT_EQ(Console->TabeleList->item(0)->text(), QStringLiteral("T1"));
  EXPECT_EQ(Console->TabeleList->currentRow(), 0);
  ASSERT_EQ(Console->PolaList->count(), 2);
  EXPECT_EQ(Console->PolaList->item(1)->text(), QStringLiteral("NAME"));
  EXPECT_TRUE(Console->IBTransaction->Active());
  EXPECT_EQ(Console->HistoryIndex(), -1);
}

TEST_F(ConsoleTest, TheExportButtonShowsItsWholeCaption) {
  OpenConsole();
  const QString caption = QString::fromUtf8("Exportuj tabelę");
  EXPECT_EQ(Console->MxSpeedButton3->Caption(), caption);
  EXPECT_GT(Console->MxSpeedButton3->width(),
            Console->MxSpeedButton3->fontMetrics().horizontalAdvance(caption));
}

TEST_F(ConsoleTest, ASelectRunsWithoutAnyQuestionAndFillsTheGrid) {
  OpenConsole(false);
  Run(QStringLiteral("select * from T1 order by ID"));
  EXPECT_TRUE(Dialogs.Messages().empty());
  ASSERT_TRUE(Console->Query->Active());
  Console->Query->Last();
  EXPECT_EQ(Console->Query->RecordCount(), 2);
  EXPECT_EQ(Console->Query->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Beta"));
  EXPECT_EQ(Console->History().Count(), 1);
}

// Without manager rights (the main window always gives them; the table with them runs there).
struct RefusalCase {
  const char *Name;
  const char *Sql;
  bool Rights;
  std::vector<const char *> Captions;
};

class ConsoleRefusalTest : public ConsoleTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(ConsoleRefusalTest, RefusesWithTheGuardsBoxesAndRunsNothing) {
  const RefusalCase &c = GetParam();
  OpenConsole(c.Rights);
  QStringList expected;
  for (const char *caption : c.Captions) {
    expected.append(QString::fromUtf8(caption));
    Dialogs.AnswerMessage(mrOk);
  }
  Run(QString::fromUtf8(c.Sql));
  EXPECT_EQ(MessageCaptions(), expected);
  EXPECT_EQ(Console->History().Count(), 0);
  EXPECT_EQ(RowsSeenByConsole(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ConsoleRefusalTest,
    testing::Values(
        RefusalCase{"DeleteWithoutRights", "delete from T1", false, {"Brak uprawnień"}},
        RefusalCase{"ExecuteBlockWithoutRights",
                    "execute block returns (R integer) as begin delete from T1; R = 1; suspend; end",
                    false,
                    {"Brak uprawnień"}},
        RefusalCase{"DdlWithoutRights", "create table T2 (A integer)", false, {"Błąd", "Brak uprawnień"}},
        RefusalCase{"ProcedureWithoutRights", "execute procedure P1", false, {"Błąd", "Brak uprawnień"}},
        RefusalCase{"ProcedureWithRights", "execute procedure P1", true, {"Błąd"}}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.Name); });

TEST_F(ConsoleTest, TheNoRightsBoxExplainsInThreeLines) {
  OpenConsole(false);
  Dialogs.AnswerMessage(mrOk);
  Run(QStringLiteral("delete from T1"));
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Dokonanie jakichkolwiek zmian w bazie danych\nz poziomu "
                              "monitora zapytań\njest niemożliwe ze względu na brak "
                              "uprawnień zarządcy"));
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtInformation);
}

TEST_F(ConsoleTest, AStatementTheServerRejectsRaisesAndStaysOutOfTheHistory) {
  OpenConsole();
  EXPECT_THROW(Run(QStringLiteral("select * from NO_SUCH_TABLE")), EDatabaseError);
  EXPECT_EQ(Console->History().Count(), 0);
  EXPECT_FALSE(Console->Query->Active());
}

TEST_F(ConsoleTest, HistoryWalksBackAndForthAndKeepsLineBreaksAndEveryLetter) {
  OpenConsole();
  // "ţ" was the history's own line-break mark: it must come back as the letter it is.
  const QString first = QString::fromUtf8("select 'aţb' as X\r\nfrom T1");
  Run(first);
  Application()->DoIdle();
  EXPECT_FALSE(Console->PoprzedniePytA->Enabled());
  EXPECT_FALSE(Console->NastepnePytA->Enabled());
  Run(QStringLiteral("select NAME from T1"));
  Application()->DoIdle();
  EXPECT_TRUE(Console->PoprzedniePytA->Enabled());
  EXPECT_FALSE(Console->NastepnePytA->Enabled());
  Console->PoprzedniePytA->Execute();
  EXPECT_EQ(Console->EditorText(), first);
  EXPECT_EQ(Console->Memo->document()->blockCount(), 2);
  Application()->DoIdle();
  EXPECT_FALSE(Console->PoprzedniePytA->Enabled());
  Console->NastepnePytA->Execute();
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select NAME from T1"));
  EXPECT_EQ(Console->HistoryIndex(), 1);
}

TEST_F(ConsoleTest, ExecutingNeedsTextInTheEditor) {
  OpenConsole();
  EXPECT_FALSE(Console->ExecuteSQLAction->Execute());
  EXPECT_FALSE(Console->ExecuteSQLScriptA->Execute());
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(ConsoleTest, AScriptIsRefusedWithoutManagerRights) {
  OpenConsole(false);
  Dialogs.AnswerMessage(mrOk);
  Console->SetEditorText(QStringLiteral("delete from T1;"));
  Console->ExecuteSQLScriptA->Execute();
  EXPECT_EQ(MessageCaptions(), QStringList{QString::fromUtf8("Brak uprawnień")});
  EXPECT_EQ(RowsSeenByConsole(), 2);
}

TEST_F(ConsoleTest, AScriptOfSelectsRunsUnaskedEvenWithoutRights) {
  OpenConsole(false);
  Console->SetEditorText(QStringLiteral("select * from T1;\r\n-- a note\r\nselect ID from T1;"));
  ASSERT_TRUE(Console->ExecuteSQLScriptA->Execute());
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(ConsoleTest, AFailedScriptSaysWhatADdlStatementCommittedAndRollsBackTheRest) {
  OpenConsole();
  Dialogs.AnswerMessage(mrYes); // the structure question, once for the whole script
  Console->SetEditorText(
      QStringLiteral("insert into T1 values (3, 'Gamma');\r\ncreate table T3 (A integer);\r\n"
                     "insert into T3 values (1);\r\ninsert into T1 values (4, 'Delta');\r\n"
                     "insert into NO_SUCH_TABLE values (1);"));
  try {
    Console->ExecuteSQLScriptA->Execute();
    ADD_FAILURE() << "the script ran through";
  } catch (const EDatabaseError &error) {
    EXPECT_TRUE(error.Message().contains(QStringLiteral("NO_SUCH_TABLE")));
    EXPECT_TRUE(error.Message().endsWith(QString::fromUtf8(
        "Polecenia skryptu nr 1–2 zostały zatwierdzone przed błędem (polecenie zmieniające strukturę bazy "
        "zatwierdza wszystko, co je poprzedza); zmiany dalszych poleceń wycofano.")))
        << error.Message().toStdString();
  }
  EXPECT_EQ(MessageCaptions(), QStringList{QStringLiteral("Uwaga")});
  // Statement 1 went with the DDL's commit; 3 and 4 are gone, and no later commit takes them along.
  EXPECT_EQ(RowsOfT1(), 3);
  EXPECT_EQ(RowsSeenByConsole(), 3);
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select count(*) from T3")).toInt(), 0);
}

TEST_F(ConsoleTest, AFailedScriptWithoutCommitsSaysNothingWasKept) {
  OpenConsole();
  Dialogs.AnswerMessage(mrYes);
  Console->SetEditorText(
      QStringLiteral("insert into T1 values (3, 'Gamma');\r\ninsert into NO_SUCH_TABLE values (1);"));
  try {
    Console->ExecuteSQLScriptA->Execute();
    ADD_FAILURE() << "the script ran through";
  } catch (const EDatabaseError &error) {
    EXPECT_TRUE(error.Message().endsWith(ScriptCommittedNote(0)));
  }
  EXPECT_EQ(RowsSeenByConsole(), 2);
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrYes);
  Run(QStringLiteral("insert into T1 values (4, 'Delta')"));
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select count(*) from T1 where ID = 3")).toInt(), 0);
  EXPECT_EQ(RowsOfT1(), 3);
}

TEST_F(ConsoleTest, ClosingTheConsoleCommitsNothingUnconfirmed) {
  // Work waiting in the console's transaction, unconfirmed.
  OpenConsole();
  LeavePending(QStringLiteral("insert into T1 values (9, 'x')"));
  EXPECT_EQ(RowsSeenByConsole(), 3);
  Console->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(RowsOfT1(), 2);
}

TEST_F(ConsoleTest, TheFormsActionsAreThereAndTheKeyActionsShowOnlyForKeyFields) {
  OpenConsole();
  EXPECT_EQ(Console->PasteAction->Caption(), QStringLiteral("Z listy..."));
  EXPECT_EQ(Console->InsertToListAction->Caption(), QStringLiteral("Wstaw do listy"));
  EXPECT_EQ(Console->UpdateListPosAction->Caption(), QString::fromUtf8("Zastąp actualną pozycję"));
  EXPECT_EQ(Console->AddNewPosMenu->actions(),
            (QList<QAction *>{Console->InsertToListAction, Console->UpdateListPosAction}));
  EXPECT_FALSE(Console->PasteAction->Execute()); // nothing to run
  EXPECT_EQ(Console->ZapiszKorvinA->Caption(), QStringLiteral("Zapisz w formacie Korvin"));
  EXPECT_EQ(Console->WizualizacjaA->Caption(), QStringLiteral("Wizualizacja"));
  Run(QStringLiteral("select ID as IDOBR, NAME as IDD from T1"));
  // The flag's handlers are bound to no dataset: the result alone does not show the actions.
  Application()->DoIdle();
  EXPECT_FALSE(Console->KeyFieldsPresent());
  EXPECT_FALSE(Console->btnZapiszKorvin->isVisibleTo(Console));
  EXPECT_FALSE(Console->ZapiszKorvinA->Execute());
  Console->IBDataSetAfterOpen(Console->Query);
  Application()->DoIdle();
  EXPECT_TRUE(Console->btnZapiszKorvin->isVisibleTo(Console));
  EXPECT_TRUE(Console->btnWizualizacja->isEnabled());
  ASSERT_TRUE(Console->WizualizacjaA->Execute());
  Run(QStringLiteral("select ID from T1"));
  Console->IBDataSetAfterClose(Console->Query);
  Application()->DoIdle();
  EXPECT_FALSE(Console->btnWizualizacja->isVisibleTo(Console));
}
