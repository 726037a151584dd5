#include "ConsoleFixture.h"

#include "Actions.h"
#include "Exceptions.h"
#include "TextFile.h"
#include "USqlmlF.h"

#include <QLineEdit>

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

TEST_F(ConsoleTest, TheBasicTabListsOnlySavedSelectsSortedByName) {
  WriteFile(SavedQueryPath("b.sql"), "nazwa=Zeta\r\nopis=Ostatnie\r\n****\r\nselect ID from T1\r\n");
  WriteFile(SavedQueryPath("a.sql"), "nazwa=Alfa\r\nopis=Pierwsze\r\n****\r\nselect NAME\r\nfrom T1\r\n");
  WriteFile(SavedQueryPath("plain.sql"), "select * from T1\r\n");
  WriteFile(SavedQueryPath("insert.sql"), "insert into T1 values (9, 'x')\r\n");
  WriteFile(SavedQueryPath("broken.sql"), "selec nonsense\r\n");
  WriteFile(SavedQueryPath("other.txt"), "select * from T1\r\n");
  OpenConsole();
  Console->pgcProfil->setCurrentWidget(Console->tabPodstawowe);
  ASSERT_EQ(Console->lbZapytania->count(), 3);
  EXPECT_EQ(Console->lbZapytania->item(0)->text(), QStringLiteral("Alfa"));
  EXPECT_EQ(Console->lbZapytania->item(1)->text(), QStringLiteral("plain.sql"));
  EXPECT_EQ(Console->lbZapytania->item(2)->text(), QStringLiteral("Zeta"));
  EXPECT_EQ(Console->memOpis->toPlainText(), QStringLiteral("Pierwsze"));
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select NAME\r\nfrom T1"));
  Console->lbZapytania->setCurrentRow(2);
  EXPECT_EQ(Console->memOpis->toPlainText(), QStringLiteral("Ostatnie"));
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select ID from T1"));
}

TEST_F(ConsoleTest, TheEditorFileActionsWorkOnlyOnTheAdvancedTab) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("select 1 from RDB$DATABASE"));
  Console->UpdateAction->Update();
  EXPECT_TRUE(Console->FileOpenAction->Enabled());
  EXPECT_TRUE(Console->FileSaveAction->Enabled());
  Dialogs.AnswerMessage(mrYes); // the typed statement may go
  Console->pgcProfil->setCurrentWidget(Console->tabPodstawowe);
  Console->UpdateAction->Update();
  EXPECT_FALSE(Console->FileOpenAction->Enabled());
  EXPECT_FALSE(Console->FileSaveAction->Enabled());
  EXPECT_FALSE(Console->ClearEditorAction->Enabled());
}

TEST_F(ConsoleTest, SavingAndOpeningAFileKeepsPolishLettersAndLines) {
  OpenConsole();
  const QString text = QString::fromUtf8("select 'zażółć'\r\nfrom RDB$DATABASE");
  Console->SetEditorText(text);
  const QString path = SavedQueryPath("zapis.sql");
  Dialogs.AnswerFile(path);
  ASSERT_TRUE(Console->FileSaveAction->Execute());
  EXPECT_EQ(Dialogs.FileDialogs().back().Filter, QStringLiteral("Pliki SQL (*.sql)|*.SQL"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("select 'za\xbf\xf3\xb3\xe6'\r\nfrom RDB$DATABASE\r\n"));
  Console->Memo->clear();
  Console->SetEditorText(QStringLiteral("x"));
  Dialogs.AnswerFile(path);
  ASSERT_TRUE(Console->FileOpenAction->Execute());
  EXPECT_EQ(Console->EditorText(), text);
}

TEST_F(ConsoleTest, OpeningAnUnreadableFileLeavesTheEditorAsItWas) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("select 1 from RDB$DATABASE"));
  Dialogs.AnswerFile(SavedQueryPath("missing.sql"));
  EXPECT_THROW(Console->FileOpenAction->Execute(), EInOutError);
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select 1 from RDB$DATABASE"));
}

TEST_F(ConsoleTest, ClearingTheEditorAsksFirst) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("select 1 from RDB$DATABASE"));
  Dialogs.AnswerMessage(mrNo);
  Console->ClearEditorAction->Execute();
  EXPECT_FALSE(Console->EditorText().isEmpty());
  Dialogs.AnswerMessage(mrYes);
  Console->ClearEditorAction->Execute();
  EXPECT_TRUE(Console->EditorText().isEmpty());
  EXPECT_EQ(Dialogs.Messages().back().Text,
            QString::fromUtf8("Czy napewno chcesz wyczyścić zawartość edytora ?"));
  EXPECT_EQ(Dialogs.Messages().back().Caption, QStringLiteral("Ostrzeżenie..."));
}

TEST_F(ConsoleTest, DoubleClickedNamesGoIntoTheEditorAtTheCaret) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("select  from T1"));
  QTextCursor cursor = Console->Memo->textCursor();
  cursor.setPosition(7);
  Console->Memo->setTextCursor(cursor);
  Console->PolaList->setCurrentRow(1);
  Console->PolaListDblClick();
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select NAME from T1"));
}

TEST_F(ConsoleTest, TheConsoleFreesItselfWhenClosedAndWhenItsDatabaseGoes) {
  OpenConsole();
  Console->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(Console.isNull());
  OpenConsole();
  Database.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(Console.isNull());
}

TEST_F(ConsoleTest, AddQuerySavesTheEditorsStatementAndGetQueryBringsOneBack) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("select ID\r\nfrom T1"));
  Dialogs.AnswerModalAs<TSQLMonListForm>([this](TSQLMonListForm &list) {
    list.show(); // the new row is added as the form comes up
    EXPECT_EQ(list.Mode(), TSQLMonListForm::mdNew);
    EXPECT_EQ(list.FormatMemo->toPlainText(), QStringLiteral("select ID\nfrom T1"));
    EXPECT_TRUE(list.OpisMemo->toPlainText().isEmpty());
    list.NameEditor()->setText(QStringLiteral("Identyfikatory"));
    Dialogs.AnswerFile(SavedQueryPath("ident.sql"));
    list.ZapiszA->Execute();
    list.hide();
    return int(mrCancel);
  });
  ASSERT_TRUE(Console->DodajA->Execute());
  TSQLItem item;
  ReadSQLItem(SavedQueryPath("ident.sql"), item);
  EXPECT_EQ(item.Name, QStringLiteral("Identyfikatory"));
  EXPECT_EQ(item.SQL, QStringLiteral("select ID\r\nfrom T1\r\n"));

  Console->SetEditorText(QStringLiteral("x"));
  Dialogs.AnswerModalAs<TSQLMonListForm>([](TSQLMonListForm &list) {
    EXPECT_EQ(list.Mode(), TSQLMonListForm::mdBrowse);
    return int(mrOk);
  });
  ASSERT_TRUE(Console->GetSQLAction->Execute());
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select ID\r\nfrom T1"));
}

TEST_F(ConsoleTest, OpeningTheBasicTabAsksBeforeATypedStatementIsReplaced) {
  WriteFile(SavedQueryPath("a.sql"), "nazwa=Alfa\r\nopis=Pierwsze\r\n****\r\nselect NAME from T1\r\n");
  OpenConsole();
  const QString typed = QStringLiteral("select ID\r\nfrom T1 -- still typing");
  Console->SetEditorText(typed);
  Dialogs.AnswerMessage(mrNo);
  Console->pgcProfil->setCurrentWidget(Console->tabPodstawowe);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Zapytanie w edytorze różni się od ostatnio wykonanego lub "
                              "wczytanego i zostanie utracone.\nCzy kontynuować?"));
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QStringLiteral("Uwaga"));
  EXPECT_EQ(Console->EditorText(), typed);
  EXPECT_EQ(Console->pgcProfil->currentWidget(), Console->tabZaawansowane);

  Dialogs.AnswerMessage(mrYes);
  Console->pgcProfil->setCurrentWidget(Console->tabPodstawowe);
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select NAME from T1"));
  EXPECT_EQ(Console->memOpis->toPlainText(), QStringLiteral("Pierwsze"));

  // What was loaded or run is not asked about again.
  Console->pgcProfil->setCurrentWidget(Console->tabZaawansowane);
  Console->pgcProfil->setCurrentWidget(Console->tabPodstawowe);
  Console->pgcProfil->setCurrentWidget(Console->tabZaawansowane);
  Run(QStringLiteral("select ID from T1"));
  Console->pgcProfil->setCurrentWidget(Console->tabPodstawowe);
  EXPECT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select NAME from T1"));
}
