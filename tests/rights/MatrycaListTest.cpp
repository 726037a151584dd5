// "Matryca uprawnień" as the keeper of "bazy.txt": what it reads, what "Zapisz i wyjdź" writes,
// what the grid's ellipsis and pick list put in, and what is left alone.
#include "MatrixFixture.h"

#include "DBCtrls.h"
#include "DBGridColumns.h"
#include "DatabaseListFile.h"
#include "Fields.h"
#include "GridInput.h"
#include "InplaceEdit.h"
#include "MxDBCtrl.h"
#include "ProgramGroups.h"
#include "StdCtrls.h"
#include "woxMemTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>

using namespace GridInput;

namespace {

const QByteArray kHeader = "\"Nazwa\",\"Baza\",\"Grupa\",\r\n";

void Append(TMatrycaUprawnien &form, const ListedDatabase &row) {
  form.TableBazy->AppendRecord({row.Nazwa, row.Baza, row.Grupa});
}

TEST_F(MatrixListTest, OpensWithItsPartsAndNoListAsAnEmptyList) {
  OpenWindow();
  EXPECT_EQ(Form->Caption(), QString::fromUtf8("Matryca uprawnień"));
  EXPECT_EQ(Form->TableBazy->RecordCount(), 0);
  EXPECT_TRUE(Form->TableBazy->Active());
  EXPECT_TRUE(Form->cbPokaz->isChecked());
  EXPECT_EQ(Form->cbPokaz->text(), QString::fromUtf8("Pokaż w przeglądarce"));
  EXPECT_EQ(Form->BitBtn1->text(), QString::fromUtf8("Utwórz matrycę"));
  EXPECT_EQ(Form->BitBtn3->text(), QString::fromUtf8("Zapisz i wyjdź"));
  EXPECT_EQ(Form->BitBtn2->text(), QStringLiteral("Anuluj"));
  EXPECT_EQ(Form->CancelButton(), Form->BitBtn2);
  EXPECT_EQ(Form->DBGrid->Columns()[1]->ButtonStyle(), cbsEllipsis);
  const QStringList hints = {"Pierwszy",
                             "Poprzedni",
                             QString::fromUtf8("Następny"),
                             "Ostatni",
                             "Wstaw",
                             QString::fromUtf8("Usuń"),
                             "Edycja",
                             QString::fromUtf8("Zatwierdż zmiany"),
                             "Anuluj",
                             QString::fromUtf8("Odśwież")};
  QStringList shown;
  for (const TNavigateBtn button : {nbFirst, nbPrior, nbNext, nbLast})
    shown << Form->DBNavigator1->Button(button)->toolTip();
  for (const TNavigateBtn button : {nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh})
    shown << Form->DBNavigator2->Button(button)->toolTip();
  EXPECT_EQ(shown, hints);
  EXPECT_TRUE(Form->DBNavigator1->Button(nbInsert)->isHidden());
  EXPECT_TRUE(Form->DBNavigator2->Button(nbFirst)->isHidden());
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_FALSE(QFile::exists(ListPath())) << "opening writes nothing";
}

struct SaveCase {
  const char *Name;
  std::vector<ListedDatabase> Rows;
  QByteArray Bytes;
};

class MatrixListSaveTest : public MatrixListTest, public testing::WithParamInterface<SaveCase> {};

TEST_P(MatrixListSaveTest, ZapiszIWyjdzWritesTheListLayoutAndCloses) {
  OpenWindow();
  for (const ListedDatabase &row : GetParam().Rows)
    Append(*Form, row);
  Click(Form->BitBtn3);
  EXPECT_EQ(Form->ModalResult(), mrOk);
  EXPECT_EQ(FileBytes(ListPath()), GetParam().Bytes);
  EXPECT_TRUE(Dialogs.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, MatrixListSaveTest,
    testing::Values(SaveCase{"Empty", {}, kHeader},
                    SaveCase{"QuotesPolishLettersAndMarkup",
                             {{QString::fromUtf8("Mapy \"nowe\" powiatu"), "/data/mapy.fdb", "KORVIN"},
                              {QString::fromUtf8("Ewidencja <gruntów> & budynków"),
                               QString::fromUtf8("/srv/bazy/Łódź Śródmieście/ewid.fdb"), "VELDAR"},
                              {"", "", ""}},
                             kHeader + "\"Mapy \"\"nowe\"\" powiatu\",\"/data/mapy.fdb\",\"KORVIN\",\r\n"
                                       "\"Ewidencja <grunt\xF3w> & budynk\xF3w\",\"/srv/bazy/\xA3\xF3"
                                       "d\x9F \x8Cr\xF3"
                                       "dmie\x9C\x63ie/ewid.fdb\",\"VELDAR\",\r\n"
                                       "\"\",\"\",\"\",\r\n"}),
    [](const testing::TestParamInfo<SaveCase> &info) { return std::string(info.param.Name); });

TEST_F(MatrixListTest, ReadsTheListWithOrWithoutDefinitionsAndSavesItInTheListLayout) {
  const std::vector<ListedDatabase> rows = {{QString::fromUtf8("Mapy powiatu"), "/data/mapy.fdb", "KORVIN"},
                                            {"Ewidencja", "/data/ewid.fdb", "VELDAR"}};
  for (const DatabaseListLayout layout :
       {DatabaseListLayout::ListWindow, DatabaseListLayout::WithDefinitions}) {
    WriteDatabaseList(ListPath(), rows, layout);
    OpenWindow();
    EXPECT_EQ(ListedRows(*Form), QStringList({QString::fromUtf8("Mapy powiatu|/data/mapy.fdb|KORVIN"),
                                              "Ewidencja|/data/ewid.fdb|VELDAR"}));
    Click(Form->BitBtn3);
    EXPECT_EQ(FileBytes(ListPath()), kHeader + "\"Mapy powiatu\",\"/data/mapy.fdb\",\"KORVIN\",\r\n"
                                               "\"Ewidencja\",\"/data/ewid.fdb\",\"VELDAR\",\r\n");
  }
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(MatrixListTest, TenThousandRowsReadAndSaveBackUnchanged) {
  std::vector<ListedDatabase> rows;
  for (int i = 0; i < 10000; ++i)
    rows.push_back({QString::fromUtf8("Baza gminy %1 „Łąka”").arg(i),
                    QStringLiteral("/data/gmina%1.fdb").arg(i),
                    ProgramGroups()[static_cast<size_t>(i % ProgramGroupCount)].Name});
  WriteDatabaseList(ListPath(), rows);
  const QByteArray written = FileBytes(ListPath());
  OpenWindow();
  EXPECT_EQ(Form->TableBazy->RecordCount(), 10000);
  Click(Form->BitBtn3);
  EXPECT_EQ(FileBytes(ListPath()), written);
}

struct LeaveCase {
  const char *Name;
  void (*Close)(TMatrycaUprawnien &form);
  int ModalResult;
};

class MatrixListLeaveTest : public MatrixListTest, public testing::WithParamInterface<LeaveCase> {};

TEST_P(MatrixListLeaveTest, LeavesTheFileAsItWasWhateverWasEdited) {
  WriteDatabaseList(ListPath(), {{"Mapy", "/data/mapy.fdb", "KORVIN"}});
  const QByteArray before = FileBytes(ListPath());
  OpenWindow();
  Form->TableBazy->Edit();
  Form->TableBazy->FieldByName("Nazwa")->SetAsString("Zmieniona");
  Append(*Form, {"Nowa", "/data/nowa.fdb", "VELDAR"});
  GetParam().Close(*Form);
  QApplication::processEvents();
  EXPECT_EQ(Form->ModalResult(), GetParam().ModalResult);
  EXPECT_EQ(FileBytes(ListPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MatrixListLeaveTest,
    testing::Values(LeaveCase{"Anuluj", [](TMatrycaUprawnien &form) { form.BitBtn2->click(); }, mrCancel},
                    LeaveCase{"Escape",
                              [](TMatrycaUprawnien &form) { QTest::keyClick(&form, Qt::Key_Escape); },
                              mrCancel},
                    LeaveCase{"CloseBox", [](TMatrycaUprawnien &form) { form.close(); }, mrNone}),
    [](const testing::TestParamInfo<LeaveCase> &info) { return std::string(info.param.Name); });

TEST_F(MatrixListTest, AFailedSaveKeepsTheOldFileAndTheWindowWithItsEdits) {
  WriteDatabaseList(ListPath(), {{"Mapy", "/data/mapy.fdb", "KORVIN"}});
  const QByteArray before = FileBytes(ListPath());
  OpenWindow();
  Append(*Form, {"Nowa", "/data/nowa.fdb", "VELDAR"});
  Dialogs.AnswerMessage(mrOk);
  {
    ReadOnlyFolder readOnly(Folder.path());
    Click(Form->BitBtn3);
  }
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_TRUE(Dialogs.Messages()[0].Text.contains(ListPath())) << Dialogs.Messages()[0].Text.toStdString();
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtError);
  EXPECT_EQ(Form->ModalResult(), mrNone);
  EXPECT_EQ(FileBytes(ListPath()), before);
  EXPECT_EQ(ListedRows(*Form), QStringList({"Mapy|/data/mapy.fdb|KORVIN", "Nowa|/data/nowa.fdb|VELDAR"}));
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"bazy.txt"})
      << "no half-written file stays";
}

// A failed load leaves the table as it was before it: empty, with the file untouched.
TEST_F(MatrixListTest, AValueLongerThanItsFieldIsToldAndNothingIsLoaded) {
  const QString longPath = QStringLiteral("/data/") + QString(300, u'x') + QStringLiteral(".fdb");
  WriteFileBytes(ListPath(), kHeader + "\"Mapy\",\"/data/mapy.fdb\",\"KORVIN\",\r\n\"Za długa\",\"" +
                                 longPath.toLatin1() +
                                 "\",\"VELDAR\",\r\n\"Po niej\",\"/data/b.fdb\",\"PLOMER\",\r\n");
  const QByteArray before = FileBytes(ListPath());
  Dialogs.AnswerMessage(mrOk);
  OpenWindow();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Wartość pola „Baza” w pliku %1 ma 310 znaków, a pole mieści najwyżej 300.")
                .arg(ListPath()));
  EXPECT_TRUE(ListedRows(*Form).isEmpty());
  EXPECT_TRUE(Form->isVisible());
  EXPECT_EQ(FileBytes(ListPath()), before);
}

// --- the grid

class MatrixGridTest : public MatrixListTest {
protected:
  void OpenOn(const std::vector<ListedDatabase> &rows) {
    WriteDatabaseList(ListPath(), rows);
    OpenWindow();
    ShowFocused(*Form, *Form->DBGrid);
  }
  void EditColumn(const char *field) {
    Form->DBGrid->SetSelectedField(Form->TableBazy->FieldByName(field));
    Press(Qt::Key_F2);
    ASSERT_TRUE(Form->DBGrid->InplaceEditor() && Form->DBGrid->InplaceEditor()->isVisible());
  }
  // Ctrl+Enter presses the editor's ellipsis button.
  void PressEllipsis() { Press(Qt::Key_Return, Qt::ControlModifier); }
};

TEST_F(MatrixGridTest, ThePickListHoldsTheEighteenGroupsSortedAndWritesTheChosenOne) {
  OpenOn({{"Mapy", "/data/mapy.fdb", "KORVIN"}});
  TColumn *grupa = Form->DBGrid->Columns()[2];
  const QStringList sorted = {"BAVIRO",  "BRONTEL", "DRAVEL", "FENNO",   "GRESSON", "HOLMAR",
                              "KAPRENA", "KORVIN",  "NIRVOS", "PELKAR",  "PLOMER",  "QUENTO",
                              "SARNIK",  "SOLMET",  "TESSAL", "TORMISK", "TULVAR",  "VELDAR"};
  EXPECT_EQ(grupa->PickList(), sorted);
  EXPECT_EQ(grupa->DropDownRows(), 18);
  EditColumn("Grupa");
  TInplaceEdit *editor = Form->DBGrid->InplaceEditor();
  EXPECT_EQ(editor->EditStyle(), esPickList);
  Press(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(editor->ListVisible());
  ASSERT_EQ(editor->ListBox()->count(), 18);
  editor->ListBox()->setCurrentRow(1);
  QTest::keyClick(editor->ListBox(), Qt::Key_Return);
  Click(Form->BitBtn3);
  EXPECT_EQ(FileBytes(ListPath()), kHeader + "\"Mapy\",\"/data/mapy.fdb\",\"BRONTEL\",\r\n");
}

TEST_F(MatrixGridTest, AGroupTypedOutsideThePickListIsSavedAsTyped) {
  OpenOn({{"Mapy", "/data/mapy.fdb", "KORVIN"}});
  EditColumn("Grupa");
  Press(Qt::Key_A, Qt::ControlModifier);
  Type("Geodezja 2");
  Click(Form->BitBtn3);
  EXPECT_EQ(FileBytes(ListPath()), kHeader + "\"Mapy\",\"/data/mapy.fdb\",\"Geodezja 2\",\r\n");
}

struct EllipsisCase {
  const char *Name;
  QString Chosen;  // "" = the dialog is cancelled
  QString Stored;  // what "Baza" holds afterwards
  QString Refusal; // the start of the message that tells why nothing was stored; "" = none
};

class MatrixEllipsisTest : public MatrixGridTest, public testing::WithParamInterface<EllipsisCase> {};

TEST_P(MatrixEllipsisTest, StoresTheChosenPathWholeOrNotAtAll) {
  OpenOn({{"Mapy", "/data/mapy.fdb", "KORVIN"}});
  EditColumn("Baza");
  Dialogs.AnswerFile(GetParam().Chosen);
  const bool refused = !GetParam().Refusal.isEmpty();
  if (refused)
    Dialogs.AnswerMessage(mrOk);
  PressEllipsis();
  ASSERT_EQ(Dialogs.FileDialogs().size(), 1u);
  EXPECT_EQ(Dialogs.FileDialogs()[0].Kind, TFileDialogKind::Open);
  EXPECT_EQ(Dialogs.FileDialogs()[0].Filter, "Baza Firebird (*.fdb)|*.fdb|Wszystkie pliki|*.*");
  EXPECT_EQ(Form->TableBazy->FieldByName("Baza")->AsString(), GetParam().Stored);
  EXPECT_EQ(Form->DBGrid->InplaceEditor()->text(), GetParam().Stored);
  ASSERT_EQ(Dialogs.Messages().size(), refused ? 1u : 0u);
  if (refused) {
    EXPECT_EQ(Dialogs.Messages()[0].Caption, "Uwaga");
    EXPECT_EQ(Dialogs.Messages()[0].Icon, mtWarning);
    EXPECT_TRUE(Dialogs.Messages()[0].Text.startsWith(GetParam().Refusal))
        << Dialogs.Messages()[0].Text.toStdString();
    EXPECT_TRUE(Dialogs.Messages()[0].Text.endsWith(GetParam().Chosen));
  }
  Click(Form->BitBtn3);
  EXPECT_EQ(ListedRows(*Form), QStringList{"Mapy|" + GetParam().Stored + "|KORVIN"});
}

const QString kLongest = QStringLiteral("/srv/") + QString(291, u'b') + QStringLiteral(".fdb");

INSTANTIATE_TEST_SUITE_P(
    Choices, MatrixEllipsisTest,
    testing::Values(
        EllipsisCase{"FullPath", QString::fromUtf8("/srv/bazy/Łódź/mapy 2024.fdb"),
                     QString::fromUtf8("/srv/bazy/Łódź/mapy 2024.fdb"), ""},
        EllipsisCase{"ThreeHundredCharacters", kLongest, kLongest, ""},
        EllipsisCase{"OneCharacterTooMany", kLongest + u'x', "/data/mapy.fdb",
                     QString::fromUtf8("Ścieżka pliku ma 301 znaków, a pole „Baza” mieści najwyżej 300:")},
        EllipsisCase{"LettersWindows1250Lacks", QString::fromUtf8("/srv/Киев/mapy.fdb"), "/data/mapy.fdb",
                     QString::fromUtf8("Ścieżka pliku ma znaki, których nie da się zapisać")},
        EllipsisCase{"Cancelled", "", "/data/mapy.fdb", ""}),
    [](const testing::TestParamInfo<EllipsisCase> &info) { return std::string(info.param.Name); });

} // namespace
