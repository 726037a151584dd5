#include "Actions.h"
#include "Application.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBServices.h"
#include "IBTransaction.h"
#include "MainFormFixture.h"
#include "MxToolEdit.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include <QFile>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

std::vector<TAction *> SysdbaActions(TMainForm &f) {
  return {f.NowyUzytkownikA, f.ZmienHasloA, f.UsunUzytkownikaA, f.GrantAdminRoleA, f.SynchroA};
}

// Every attach sets the login typed in the connection area; none is built into the program.
TEST_F(MainFormOfflineTest, NoLoginIsCarriedBeforeOneIsTyped) {
  for (TIBDatabase *database : {Form->DM()->Database, Form->Database}) {
    EXPECT_EQ(database->Params().Values("user_name"), "") << database->objectName().toStdString();
    EXPECT_EQ(database->Params().Values("password"), "") << database->objectName().toStdString();
  }
  EXPECT_EQ(Form->DM()->Database->Params().Values("lc_ctype"), "WIN1250");
  EXPECT_EQ(Form->Security->Params().Count(), 0);
}

TEST_F(MainFormTest, CreatingTheDatabaseConnectsAndListsTheServersUsers) {
  const QString user = Db->CreateServerUser("LISTED", "secret1");
  Form->edSerwer->setEditText(Db->Server());
  Form->edUserName->setText("sysdba");
  Form->edAdminPswd->setText(TestServer::SysdbaPassword());
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrOk);
  Form->SpeedButton5Click();
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  const TMessageRequest &question = Dialogs.Messages()[0];
  EXPECT_EQ(question.Caption, "Wpis do aliases.conf");
  EXPECT_EQ(question.Buttons, TMsgDlgButtons({mbYes, mbNo}));
  EXPECT_EQ(question.DefaultButton, 1) << "No is the default";
  EXPECT_EQ(Dialogs.Messages()[1].Text, QString::fromUtf8("Baza danych została utworzona pomyślnie"));
  EXPECT_EQ(Dialogs.Messages()[1].Caption, QString::fromUtf8("Operacja zakończona"));
  EXPECT_EQ(Form->DM()->GetSchemaVersion(), 4);
  const QStringList listed = ListedUsers();
  EXPECT_TRUE(listed.contains(user)) << listed.join(",").toStdString();
  EXPECT_TRUE(listed.contains("SYSDBA"));
  EXPECT_EQ(Form->edSerwer->findText(Db->Server()), 0) << "the connected server joins the list once";
  Form->DBConnectA->Execute();
  EXPECT_EQ(Form->edSerwer->count(), 1);
}

TEST_F(MainFormTest, OnlySysdbaCreatesTheDatabaseAndOnlyAfterTheQuestion) {
  Form->edSerwer->setEditText(Db->Server());
  Form->edUserName->setText("ADMIN");
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->SpeedButton5Click(), EAbort);
  EXPECT_EQ(Dialogs.Messages().back().Text,
            QString::fromUtf8("Tylko uzytkownik SYSDBA może utworzyć nową bazę"));
  EXPECT_EQ(Dialogs.Messages().back().Caption, QString::fromUtf8("Brak uprawnień"));

  Form->edUserName->setText("SYSDBA");
  Dialogs.AnswerMessage(mrNo);
  EXPECT_THROW(Form->SpeedButton5Click(), EAbort);
  EXPECT_FALSE(QFile::exists(Db->Path()));
}

TEST_F(MainFormTest, IdleUpdateFollowsTheLogin) {
  CreateSecurityDatabase();
  ConnectAsSysdba();
  Application()->DoIdle();
  for (TAction *action : SysdbaActions(*Form))
    EXPECT_TRUE(action->Enabled()) << action->objectName().toStdString();
  EXPECT_TRUE(Form->MonitorSQLA->Enabled());
  EXPECT_FALSE(Form->edSerwer->isEnabled());
  EXPECT_TRUE(Form->edGrupa->isEnabled());
  EXPECT_TRUE(Form->cbWithAdminOpt->isEnabled());

  const QString admin = Db->CreateServerUser("HOLDER", "secret2");
  Db->Execute(QStringLiteral("GRANT RDB$ADMIN TO %1").arg(admin));
  Connect(admin, "secret2");
  ASSERT_TRUE(Form->DM()->Database->Connected());
  Application()->DoIdle();
  for (TAction *action : SysdbaActions(*Form))
    EXPECT_FALSE(action->Enabled()) << action->objectName().toStdString();
  for (TAction *action :
       {Form->MonitorSQLA, Form->DBConnectA, Form->DBDisconnectA, Form->PobierzUzytkownikowZSerweraA})
    EXPECT_TRUE(action->Enabled()) << action->objectName().toStdString();

  Form->DBDisconnectA->Execute();
  Application()->DoIdle();
  EXPECT_FALSE(Form->MonitorSQLA->Enabled());
  EXPECT_FALSE(Form->cbWithAdminOpt->isEnabled());
}

TEST_F(MainFormTest, ChangeEnabledZeroKeepsTheGroupFixedWhenConnected) {
  WriteIni("[GROUPS]\r\nChangeEnabled=0\r\n");
  OpenWindow();
  CreateSecurityDatabase();
  ConnectAsSysdba();
  Application()->DoIdle();
  EXPECT_FALSE(Form->edGrupa->isEnabled());
}

TEST_F(MainFormTest, WrongPasswordIsTranslatedAndLeavesTheProgramDisconnected) {
  CreateSecurityDatabase();
  Dialogs.AnswerMessage(mrOk);
  Guarded(nullptr, [this] { Connect("SYSDBA", "not-the-password"); });
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_TRUE(Dialogs.Messages()[0].Text.startsWith(
      QString::fromUtf8("Nazwa użytkownika lub hasło są nieprawidłowe.")));
  EXPECT_FALSE(Form->DM()->Database->Connected());
}

TEST_F(MainFormTest, CheckBoxFollowsThePolicyRowAndPutsItInEditState) {
  CreateSecurityDatabase();
  ConnectAsSysdba();
  Application()->DoIdle();
  EXPECT_FALSE(Form->cbWithAdminOpt->isChecked());
  Form->cbWithAdminOpt->click();
  EXPECT_EQ(Form->DM()->config->State(), dsEdit) << "the click edits the row without posting it";
  EXPECT_FALSE(Form->DM()->GetSysdbaFlag());
  Form->DM()->config->Post();
  EXPECT_TRUE(Form->DM()->GetSysdbaFlag());
  Application()->DoIdle();
  EXPECT_TRUE(Form->cbWithAdminOpt->isChecked());
}

class GrantTest : public MainFormTest, public testing::WithParamInterface<const char *> {};

TEST_P(GrantTest, GrantThenRevokeEveryGrant) {
  const QString name = QString::fromLatin1(GetParam());
  CreateSecurityDatabase();
  Db->Execute(QStringLiteral("CREATE USER %1 PASSWORD 'secret3'").arg(QuotedIdentifier(name)));
  Db->ForgetServerUser(name);
  ConnectAsSysdba();
  ASSERT_TRUE(SelectUser(name)) << ListedUsers().join(",").toStdString();

  Form->GrantAdminRoleA->Execute();
  EXPECT_TRUE(HasAdminRole(Form->DM()->Database, name));
  ASSERT_TRUE(SelectUser(name));
  EXPECT_EQ(Form->DM()->users->FieldByName("RDB$RELATION_NAME")->AsString().trimmed(), "RDB$ADMIN");

  // A second grant by another administrator: a revoke must take both away.
  const QString boss = Db->CreateServerUser("BOSS", "secret4");
  Db->Execute({QStringLiteral("GRANT RDB$ADMIN TO %1 WITH ADMIN OPTION").arg(boss)});
  {
    TIBDatabase asBoss;
    asBoss.SetDatabaseName(Db->DatabaseName());
    asBoss.Params().SetText(
        QStringLiteral("user_name=%1\npassword=secret4\nsql_role_name=RDB$ADMIN").arg(boss));
    TIBQuery grant;
    asBoss.Open();
    TIBTransaction transaction;
    transaction.SetDefaultDatabase(&asBoss);
    grant.SetDatabase(&asBoss);
    grant.SetTransaction(&transaction);
    grant.SQL().SetText(QStringLiteral("GRANT RDB$ADMIN TO %1").arg(QuotedIdentifier(name)));
    grant.ExecSQL();
    transaction.Commit();
  }
  ASSERT_EQ(GetRoleGrantors(Form->DM()->Database, name, "RDB$ADMIN").size(), 2);
  ASSERT_TRUE(SelectUser(name));
  Form->GrantAdminRoleA->Execute();
  EXPECT_FALSE(HasAdminRole(Form->DM()->Database, name));
  ASSERT_TRUE(SelectUser(name));
  EXPECT_EQ(Form->DM()->users->FieldByName("RDB$RELATION_NAME")->AsString().trimmed(), "");
}

INSTANTIATE_TEST_SUITE_P(Names, GrantTest, testing::Values("PLAINGRANTEE", "QUO\"TED"));

TEST_F(MainFormTest, SysdbaNeverLosesTheRole) {
  CreateSecurityDatabase();
  ConnectAsSysdba();
  ASSERT_TRUE(SelectUser("SYSDBA"));
  const QStringList before = GetRoleGrantors(Form->DM()->Database, "SYSDBA", "RDB$ADMIN");
  Form->GrantAdminRoleA->Execute();
  EXPECT_EQ(GetRoleGrantors(Form->DM()->Database, "SYSDBA", "RDB$ADMIN"), before);
}

} // namespace
