// The road as the administrator takes it: the main window connected, its handler opens
// "Uprawnienia" on "bazy.txt", ticks, users and rights, "Zamknij".
#include "ApplicationDatabase.h"
#include "RightsFormFixture.h"

#include "Actions.h"
#include "Application.h"
#include "DB.h"
#include "IBDatabase.h"
#include "MxCheckTreeView.h"
#include "MxToolEdit.h"
#include "PageControl.h"
#include "ProgramFolder.h"
#include "RadioGroup.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UMainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

class RightsRoad : public testing::Test {
protected:
  void SetUp() override {
    REQUIRE_TEST_SERVER();
    People = std::make_unique<SecurityPeople>();
    SetProgramFolder(Folder.path());
    QFile ini(Folder.filePath("meridox_sec.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[GROUPS]\r\nDefault=GEODEZJA\r\nChangeEnabled=1\r\n");
    ini.close();
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
    SetProgramFolder(QString());
  }
  // Runs the handler as the loop would: an error goes to the application's handler.
  void OpenRightsEditor() {
    Guarded(Main.get(), [this] { Main->UprawnieniaAExecute(Main->UprawnieniaA); });
  }

  std::unique_ptr<SecurityPeople> People;
  QTemporaryDir Folder;
  ScriptedDialogs Dialogs;
  std::unique_ptr<TMainForm> Main;
};

TEST_F(RightsRoad, TheActionStaysSwitchedOffAndItsButtonHidden) {
  Main->UpdateFormA->Update();
  EXPECT_FALSE(Main->UprawnieniaA->Enabled());
  EXPECT_TRUE(Main->btnUprawnienia->isHidden());
  EXPECT_FALSE(Main->UprawnieniaA->Execute()) << "a disabled action runs no handler";
  EXPECT_TRUE(Dialogs.ModalForms().empty());
}

TEST_F(RightsRoad, FromTheMainWindowThroughTicksUsersAndRightsToZamknij) {
  ApplicationDatabase korvin("KORVIN"), veldar("VELDAR"), tormisk("TORMISK"), tessal("TESSAL");
  WriteDatabaseList(Folder.filePath("bazy.txt"), {{"Mapy powiatu", korvin.Path(), "KORVIN"},
                                                  {"Ewidencja gruntów", veldar.Path(), "VELDAR"},
                                                  {"Rejestr wniosków", tormisk.Path(), "TORMISK"},
                                                  {"Sprawy", tessal.Path(), "TESSAL"}});
  Dialogs.AnswerModalAs<TUprawnieniaForm>([&](TUprawnieniaForm &form) {
    RightsWindow::Show(form);
    EXPECT_EQ(form.Caption(), "Uprawnienia");
    EXPECT_EQ(form.FGroup, "GEODEZJA");
    EXPECT_EQ(form.FServer, People->Server());
    EXPECT_EQ(form.FFileName, "bazy.txt");
    EXPECT_EQ(RightsWindow::TreeLines(form),
              QStringList({"0:Programy+", "1:KORVIN+", "2:Mapy powiatu+", "1:VELDAR+", "2:Ewidencja gruntów+",
                           "1:TESSAL+", "2:Sprawy+", "1:TORMISK+", "2:Rejestr wniosków+"}));
    EXPECT_EQ(form.LookupDatabasePath("Ewidencja gruntów", "VELDAR"), veldar.DatabaseName());
    // The visible group's users only. Connecting as SYSDBA brought the server's other users (no
    // names) into the visible group too; they sort first.
    QStringList named = RightsWindow::ListedUsers(form);
    named.removeAll(" ");
    EXPECT_EQ(named, QStringList({"Nowak Anna", "Nowak Łukasz", "Zielińska Żaneta"}));
    EXPECT_TRUE(RightsWindow::VisibleTabs(form).isEmpty());

    for (const char *node : {"Mapy powiatu", "Ewidencja gruntów", "Rejestr wniosków"})
      RightsWindow::ClickBox(form, RightsWindow::Node(form, node));
    EXPECT_EQ(RightsWindow::VisibleTabs(form), QStringList({"KORVIN", "VELDAR", "TORMISK"}));

    QTest::mouseClick(form.CBAllUsers, Qt::LeftButton, {}, QPoint(6, form.CBAllUsers->height() / 2));
    for (const QString &tick : RightsWindow::UserTicks(form))
      EXPECT_TRUE(tick.startsWith(u'+')) << tick.toStdString();

    form.PageControl->SetActivePage(form.KORVIN);
    form.AllRights->setCurrentRow(2);
    QTest::mouseClick(form.ToUser, Qt::LeftButton);
    EXPECT_EQ(form.FKorvinRights, 0x200);
    EXPECT_EQ(form.UserRights->item(0)->text(), "Importu");
    form.PageControl->SetActivePage(form.TORMISK);
    QTest::mouseClick(form.TormiskAllToUser, Qt::LeftButton);
    EXPECT_EQ(form.FTormiskRights, 0xF);
    EXPECT_EQ(form.TormiskAllRights->count(), 0);

    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    return form.ModalResult();
  });
  OpenRightsEditor();
  EXPECT_EQ(Dialogs.ModalForms(), std::vector<QString>({"TUprawnieniaForm"}));
  EXPECT_TRUE(Dialogs.Exhausted());
  EXPECT_TRUE(Dialogs.Messages().empty());
  // "Zamknij" closed it; the window is freed and nothing of it stays.
  EXPECT_TRUE(Main->findChildren<TUprawnieniaForm *>().isEmpty());
}

TEST_F(RightsRoad, ZamknijClosesTheWindowWithCancel) {
  WriteDatabaseList(Folder.filePath("bazy.txt"), {});
  int result = mrNone;
  Dialogs.AnswerModalAs<TUprawnieniaForm>([&](TUprawnieniaForm &form) {
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    result = form.ModalResult();
    return result;
  });
  OpenRightsEditor();
  EXPECT_EQ(result, mrCancel);
}

TEST_F(RightsRoad, AMissingListReachesTheApplicationsHandlerAndNoWindowIsShown) {
  Dialogs.AnswerMessage(mrOk);
  OpenRightsEditor();
  EXPECT_TRUE(Dialogs.ModalForms().empty());
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const TMessageRequest &message = Dialogs.Messages()[0];
  EXPECT_TRUE(message.Text.contains("bazy.txt")) << message.Text.toStdString();
  EXPECT_EQ(message.Caption, Application()->Title());
  EXPECT_EQ(message.Icon, mtError);
  EXPECT_TRUE(Main->findChildren<TUprawnieniaForm *>().isEmpty()) << "the window is freed";
  EXPECT_TRUE(Main->DM()->Database->Connected()) << "the main window stays usable";
}

} // namespace
