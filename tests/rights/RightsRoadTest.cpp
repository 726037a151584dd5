// The road as the administrator takes it: the main window connected, its handler opens
// "Uprawnienia" on "bazy.txt", ticks, users and rights, "Zamknij".
#include "ApplicationDatabase.h"
#include "RightsFormFixture.h"
#include "UserRows.h"
#include "WriterCases.h"

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
#include <cmath>
#include <functional>

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
  void ConnectAs(const QString &user, const QString &password) {
    Main->edUserName->setText(user);
    Main->edAdminPswd->setText(password);
    Main->DBConnectA->Execute();
    ASSERT_TRUE(Main->DM()->Database->Connected());
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
  // The reader's English words come inside a Polish sentence.
  EXPECT_TRUE(message.Text.startsWith(
      QString::fromUtf8("Odczyt listy baz z pliku %1 przerwał błąd: ").arg(Folder.filePath("bazy.txt"))))
      << message.Text.toStdString();
  EXPECT_EQ(message.Caption, Application()->Title());
  EXPECT_EQ(message.Icon, mtError);
  EXPECT_TRUE(Main->findChildren<TUprawnieniaForm *>().isEmpty()) << "the window is freed";
  EXPECT_TRUE(Main->DM()->Database->Connected()) << "the main window stays usable";
}

// Everything the databases hold for the users: each one's row and roles, sister files included.
QStringList Snapshot(std::vector<std::unique_ptr<ApplicationDatabase>> &databases, const QStringList &users) {
  QStringList lines;
  for (size_t i = 0; i < databases.size(); ++i) {
    const WriterCase &c = WriterCases()[i];
    for (const QString &user : users) {
      QStringList line{RowOf(*databases[i], user, c.PersonalColumns + c.IdentityColumns + c.RightsColumns),
                       databases[i]->RolesOf(user).join(u',')};
      for (const QString &extension : SisterExtensionsOf(c.Group))
        line << databases[i]->RolesOf(user, extension).join(u',');
      lines << QStringLiteral("%1 %2: %3").arg(c.Group, user, line.join(u'|'));
    }
  }
  return lines;
}

// Two users ticked, one database of every group, the tabs set: one run as SYSDBA writes what the
// tabs say; the same run as the second administrator changes nothing.
TEST_F(RightsRoad, PrzypiszPrawaWritesEveryGroupAsSysdbaAndAgainAsTheSecondAdministrator) {
  std::vector<std::unique_ptr<ApplicationDatabase>> databases;
  std::vector<ListedDatabase> list;
  ApplicationDatabaseOptions options;
  options.Administrators = {People->AdministratorName()};
  for (const WriterCase &c : WriterCases()) {
    options.CharacterSet = c.Utf8 ? "UTF8" : "WIN1250";
    databases.push_back(std::make_unique<ApplicationDatabase>(c.Group, options));
    list.push_back({QStringLiteral("Baza %1").arg(c.Group), databases.back()->Path(), c.Group});
  }
  WriteDatabaseList(Folder.filePath("bazy.txt"), list);
  Main->edGrupa->SetText("Wszystkie");
  const QString adamczyk = People->Person("ADAMCZYK").Name, nowak = People->Person("NOWAK").Name;
  const auto run = [&] {
    Dialogs.AnswerModalAs<TUprawnieniaForm>([&](TUprawnieniaForm &form) {
      RightsWindow::Show(form);
      RightsWindow::TickUsers(form, {adamczyk, nowak});
      RightsWindow::ClickBox(form, RightsWindow::Node(form, "Programy"));
      EXPECT_EQ(RightsWindow::VisibleTabs(form).size(), ProgramGroupCount);
      for (const WriterCase &c : WriterCases())
        form.SetTabSettings(ProgramGroupIndex(c.Group), c.First);
      QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
      QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
      return form.ModalResult();
    });
    OpenRightsEditor();
    EXPECT_TRUE(Dialogs.Exhausted());
    EXPECT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
  };

  run();
  for (size_t i = 0; i < databases.size(); ++i) {
    const WriterCase &c = WriterCases()[i];
    ApplicationDatabase &database = *databases[i];
    SCOPED_TRACE(c.Group);
    EXPECT_EQ(RowOf(database, nowak, c.PersonalColumns), c.Personal);
    for (const QString &user : {adamczyk, nowak}) {
      EXPECT_EQ(RowsOf(database, user), 1);
      EXPECT_EQ(RowOf(database, user, c.RightsColumns), c.FirstRights);
      EXPECT_EQ(database.RolesOf(user), QStringList{c.FirstRole});
    }
  }
  // VELDAR's ".fdd" follows "Drukowanie", its ".fdr" "Baza skanów" ("Brak"); the others the tab.
  EXPECT_EQ(databases[pgVeldar]->RolesOf(nowak, ".fdd"), QStringList{"ZAPIS"});
  EXPECT_TRUE(databases[pgVeldar]->RolesOf(nowak, ".fdr").isEmpty());
  for (int group : {pgSarnik, pgTessal, pgQuento, pgSolmet})
    EXPECT_EQ(databases[size_t(group)]->RolesOf(adamczyk, ".fdr"),
              QStringList{WriterCases()[size_t(group)].FirstRole});

  const QStringList written = Snapshot(databases, {adamczyk, nowak});
  ConnectAs(People->AdministratorName(), People->AdministratorPassword());
  Main->edGrupa->SetText("Wszystkie");
  run();
  EXPECT_EQ(Snapshot(databases, {adamczyk, nowak}), written);
}

// The user the previous road wrote, shown again through the main window: every tab shows what was
// written; one box changed and written again is, shown once more, the only difference.
TEST_F(RightsRoad, PokazPrawaShowsWhatWasWrittenAndTheOneValueChangedSince) {
  std::vector<std::unique_ptr<ApplicationDatabase>> databases;
  std::vector<ListedDatabase> list;
  for (const WriterCase &c : WriterCases()) {
    ApplicationDatabaseOptions options;
    options.CharacterSet = c.Utf8 ? "UTF8" : "WIN1250";
    databases.push_back(std::make_unique<ApplicationDatabase>(c.Group, options));
    list.push_back({QStringLiteral("Baza %1").arg(c.Group), databases.back()->Path(), c.Group});
  }
  WriteDatabaseList(Folder.filePath("bazy.txt"), list);
  Main->edGrupa->SetText("Wszystkie");
  const QString nowak = People->Person("NOWAK").Name;
  using Tabs = std::vector<TTabSettings>;
  const auto tabsOf = [](TUprawnieniaForm &form) {
    Tabs tabs;
    for (int group = 0; group < ProgramGroupCount; ++group)
      tabs.push_back(form.TabSettings(group));
    return tabs;
  };
  // One session of the window: NOWAK and every database ticked, then the work.
  const auto session = [&](const std::function<void(TUprawnieniaForm &)> &work) {
    Dialogs.AnswerModalAs<TUprawnieniaForm>([&](TUprawnieniaForm &form) {
      RightsWindow::Show(form);
      RightsWindow::TickUsers(form, {nowak});
      RightsWindow::ClickBox(form, RightsWindow::Node(form, "Programy"));
      work(form);
      QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
      return form.ModalResult();
    });
    OpenRightsEditor();
    EXPECT_TRUE(Dialogs.Exhausted());
    EXPECT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
  };

  Tabs written;
  session([&](TUprawnieniaForm &form) {
    for (const WriterCase &c : WriterCases())
      form.SetTabSettings(ProgramGroupIndex(c.Group), c.First);
    written = tabsOf(form);
    QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
  });
  // The record limit is written as its whole part.
  written[pgBrontel].RecordLimit = std::trunc(written[pgBrontel].RecordLimit);

  Tabs shown;
  session([&](TUprawnieniaForm &form) {
    QTest::mouseClick(form.BPokazPrawa, Qt::LeftButton);
    shown = tabsOf(form);
    form.PageControl->SetActivePage(form.TESSAL);
    QCheckBox *sp = form.TESSAL->findChild<QCheckBox *>("sp");
    QTest::mouseClick(sp, Qt::LeftButton, {}, QPoint(4, sp->height() / 2));
    QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
  });
  for (int group = 0; group < ProgramGroupCount; ++group)
    EXPECT_EQ(shown[size_t(group)], written[size_t(group)])
        << ProgramGroups()[size_t(group)].Name.toStdString();

  Tabs again;
  session([&](TUprawnieniaForm &form) {
    QTest::mouseClick(form.BPokazPrawa, Qt::LeftButton);
    again = tabsOf(form);
  });
  Tabs expected = shown;
  expected[pgTessal].Ticked.append("sp");
  for (int group = 0; group < ProgramGroupCount; ++group)
    EXPECT_EQ(again[size_t(group)], expected[size_t(group)])
        << ProgramGroups()[size_t(group)].Name.toStdString();
  EXPECT_EQ(RowOf(*databases[pgTessal], nowak, {"PRAWA"}), "PRAWA=Sp");
}

} // namespace
