// The road as the administrator takes it: the main window connected as SYSDBA, its handler opens
// "Matryca uprawnień"; two databases are added with the ellipsis and the pick list and saved;
// opened again, "Utwórz matrycę" for two users writes the page and asks the desktop to show it.
#include "MatrixFixture.h"

#include "Actions.h"
#include "Application.h"
#include "ApplicationDatabase.h"
#include "DB.h"
#include "DBCtrls.h"
#include "DateTimeUtils.h"
#include "FormatSettings.h"
#include "GridInput.h"
#include "IBDatabase.h"
#include "InplaceEdit.h"
#include "MxDBCtrl.h"
#include "ProgramFolder.h"
#include "SecurityPeople.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UAdminRights.h"
#include "UDMSecurity.h"
#include "UMainForm.h"
#include "UMatrycaOpcje.h"
#include "Win1250.h"
#include "woxMemTable.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace GridInput;

namespace {

class MatrixRoad : public testing::Test {
protected:
  void SetUp() override {
    REQUIRE_TEST_SERVER();
    UseStableLook();
    People = std::make_unique<SecurityPeople>();
    SetProgramFolder(Folder.path());
    FormatSettings() = TFormatSettings::Polish();
    SetClock([] { return MatrixRunTime(); });
    Main = std::make_unique<TMainForm>(nullptr, Folder.filePath("meridox_sec.ini"));
    Main->DM()->SecurityAlias = People->Path();
    Main->edSerwer->setEditText(People->Server());
    Main->edUserName->setText("SYSDBA");
    Main->edAdminPswd->setText(TestServer::SysdbaPassword());
    Main->DBConnectA->Execute();
    ASSERT_TRUE(Main->DM()->Database->Connected());
  }
  void TearDown() override {
    Main.reset();
    SetClock(nullptr);
    SetProgramFolder(QString());
  }
  // Runs the handler as the loop would: an error goes to the application's handler.
  void OpenMatrix() {
    Guarded(Main.get(), [this] { Main->MatrycaUprawnienAExecute(Main->MatrycaUprawnienA); });
  }
  // Clicks the cell of the current record in the grid's data column (0-based).
  static void ClickCell(TMxDBGrid *grid, int dataCol) {
    const QRect cell = grid->CellRect(dataCol + grid->IndicatorOffset(),
                                      grid->DataLink()->ActiveRecord() + grid->TitleOffset());
    Click(*grid->viewport(), cell.center());
  }
  // A row added as a person adds it: Insert (or Down past the last row), the name typed, the file
  // chosen with the ellipsis, the group taken from the pick list, then the row posted.
  void AddRow(TMatrycaUprawnien &form, const QString &name, const QString &path, const QString &group) {
    TMxDBGrid *grid = form.DBGrid;
    ClickCell(grid, 0);
    Press(form.TableBazy->RecordCount() == 0 ? Qt::Key_Insert : Qt::Key_Down);
    ASSERT_EQ(form.TableBazy->State(), dsInsert);
    Type(name);
    ClickCell(grid, 1);
    Press(Qt::Key_F2);
    Dialogs.AnswerFile(path);
    Press(Qt::Key_Return, Qt::ControlModifier);
    ClickCell(grid, 2);
    Press(Qt::Key_F2);
    Press(Qt::Key_Down, Qt::AltModifier);
    TInplaceEdit *editor = grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->ListVisible());
    const QList<QListWidgetItem *> found = editor->ListBox()->findItems(group, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    editor->ListBox()->setCurrentItem(found[0]);
    QTest::keyClick(editor->ListBox(), Qt::Key_Return);
    form.DBNavigator2->BtnClick(nbPost);
    ASSERT_EQ(form.TableBazy->State(), dsBrowse);
  }

  std::unique_ptr<SecurityPeople> People;
  QTemporaryDir Folder;
  ScriptedDialogs Dialogs;
  TFormatSettingsScope Settings;
  std::unique_ptr<TMainForm> Main;
};

TEST_F(MatrixRoad, TwoDatabasesListedThenTheMatrixOfTwoUsers) {
  ApplicationDatabase veldar("VELDAR"), korvin("KORVIN");
  const QString nowak = People->Person("NOWAK").Name;
  const QString zielinska = People->Person("ZIELINSKA").Name;
  veldar.Execute(
      {"grant ZAPIS to " + QuotedIdentifier(nowak), "grant ODCZYT to " + QuotedIdentifier(zielinska)});
  korvin.Execute(
      {"grant KN_ODCZYT to " + QuotedIdentifier(nowak), "grant RDB$ADMIN to " + QuotedIdentifier(zielinska)});
  // Connected as SYSDBA, the action still stays off: only its handler opens the window.
  Main->UpdateFormA->Update();
  EXPECT_FALSE(Main->MatrycaUprawnienA->Execute());
  EXPECT_TRUE(Dialogs.ModalForms().empty());

  Dialogs.AnswerModalAs<TMatrycaUprawnien>([&](TMatrycaUprawnien &form) {
    EXPECT_EQ(form.FDM, Main->DM());
    EXPECT_EQ(form.FUserName, "SYSDBA");
    EXPECT_EQ(form.FPassword, TestServer::SysdbaPassword());
    EXPECT_EQ(form.FServer, People->Server());
    EXPECT_EQ(form.TableBazy->RecordCount(), 0);
    ShowFocused(form, *form.DBGrid);
    AddRow(form, QString::fromUtf8("Ewidencja gruntów"), veldar.Path(), "VELDAR");
    AddRow(form, "Mapy powiatu", korvin.Path(), "KORVIN");
    QTest::mouseClick(form.BitBtn3, Qt::LeftButton);
    return form.ModalResult();
  });
  OpenMatrix();
  const QByteArray list = "\"Nazwa\",\"Baza\",\"Grupa\",\r\n\"Ewidencja grunt\xF3w\",\"" +
                          veldar.Path().toUtf8() + "\",\"VELDAR\",\r\n\"Mapy powiatu\",\"" +
                          korvin.Path().toUtf8() + "\",\"KORVIN\",\r\n";
  EXPECT_EQ(FileBytes(Folder.filePath("bazy.txt")), list);

  const QString page = Folder.filePath("matryca.html");
  Dialogs.AnswerModalAs<TMatrycaUprawnien>([&](TMatrycaUprawnien &form) {
    EXPECT_EQ(ListedRows(form),
              QStringList({QString::fromUtf8("Ewidencja gruntów|") + veldar.Path() + "|VELDAR",
                           "Mapy powiatu|" + korvin.Path() + "|KORVIN"}));
    Dialogs.AnswerModalAs<TMatrycaOpcje>([&](TMatrycaOpcje &options) {
      QTest::mouseClick(options.Button4, Qt::LeftButton);
      for (const QString &user : {nowak, zielinska}) {
        options.TableUsers->Locate("USER_NAME", user, {});
        options.TableUsers->Edit();
        options.TableUsers->FieldByName("DRUK")->SetAsBoolean(true);
        options.TableUsers->Post();
      }
      QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
      return options.ModalResult();
    });
    Dialogs.AnswerFile(page);
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    return form.ModalResult();
  });
  OpenMatrix();

  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_TRUE(Dialogs.Exhausted());
  EXPECT_EQ(Dialogs.ModalForms(),
            std::vector<QString>({"TMatrycaUprawnien", "TMatrycaUprawnien", "TMatrycaOpcje"}));
  EXPECT_EQ(Dialogs.Opened(), std::vector<QString>{page});
  EXPECT_EQ(FileBytes(Folder.filePath("bazy.txt")), list);
  const QByteArray n = nowak.toLatin1(), z = zielinska.toLatin1();
  const QByteArray rows =
      "<tr>\r\n<td>Ewidencja grunt\xF3w</td>\r\n<td align=center>Z</td>\r\n<td "
      "align=center>O</td>\r\n</tr>\r\n"
      "<tr>\r\n<td>Mapy powiatu</td>\r\n<td align=center>O</td>\r\n<td align=center>A</td>\r\n</tr>\r\n";
  EXPECT_EQ(FileBytes(page), MatrixPageHead() + "<td width=\"50\" align=center>" + n +
                                 "</td>\r\n<td width=\"50\" align=center>" + z + "</td>\r\n</tr>\r\n" + rows +
                                 MatrixPageTail());
  EXPECT_TRUE(Main->findChildren<TMatrycaUprawnien *>().isEmpty()) << "the window is freed";
}

} // namespace
