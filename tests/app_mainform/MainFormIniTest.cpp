#include "Actions.h"
#include "Application.h"
#include "Exceptions.h"
#include "MainFormFixture.h"
#include "MxToolEdit.h"

#include "StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>

namespace {

TEST_F(MainFormOfflineTest, StartsFromTheIniAndRewritesItWholeOnClose) {
  WriteIni("[OTHER]\r\nX=1\r\n[SERVERS]\r\nalpha\r\nbeta/3051\r\n[LAST_SERVER]\r\nSERVER=beta/3051\r\n"
           "[GROUPS]\r\nDefault=Kadry\r\nChangeEnabled=256\r\nExtra=1\r\n");
  OpenWindow();
  ASSERT_EQ(Form->edSerwer->count(), 2);
  EXPECT_EQ(Form->edSerwer->itemText(1), "beta/3051");
  EXPECT_EQ(Form->edSerwer->currentText(), "beta/3051");
  EXPECT_EQ(Form->edGrupa->Text(), "Kadry");
  // A server typed but never connected is the last server, not one of the list.
  Form->edSerwer->setEditText("typed-only");
  Form.reset();
  EXPECT_EQ(ReadIni(),
            QByteArray("[LAST_SERVER]\r\nSERVER=typed-only\r\n\r\n[SERVERS]\r\nalpha\r\nbeta/3051\r\n\r\n"
                       "[GROUPS]\r\nDefault=Kadry\r\nChangeEnabled=0\r\n\r\n"));
}

TEST_F(MainFormOfflineTest, MissingIniGivesTheDefaultsAndIsCreatedOnClose) {
  EXPECT_EQ(Form->edSerwer->currentText(), "127.0.0.1");
  EXPECT_EQ(Form->edSerwer->count(), 0);
  EXPECT_EQ(Form->edGrupa->Text(), "Wszystkie");
  EXPECT_EQ(Form->Caption(), QString::fromUtf8("Menadżer użytkowników MERIDOX"));
  Form.reset();
  EXPECT_EQ(ReadIni(), QByteArray("[LAST_SERVER]\r\nSERVER=127.0.0.1\r\n\r\n[SERVERS]\r\n\r\n"
                                  "[GROUPS]\r\nDefault=\r\nChangeEnabled=1\r\n\r\n"));
}

TEST_F(MainFormOfflineTest, NotConnectedEnablesOnlyTheConnectionActions) {
  Application()->DoIdle();
  for (TAction *action : {Form->DBConnectA, Form->DBDisconnectA, Form->PobierzUzytkownikowZSerweraA})
    EXPECT_TRUE(action->Enabled()) << action->objectName().toStdString();
  for (TAction *action : {Form->NowyUzytkownikA, Form->ZmienHasloA, Form->UsunUzytkownikaA,
                          Form->GrantAdminRoleA, Form->SynchroA, Form->MonitorSQLA, Form->PobierzZVeldarA,
                          Form->MatrycaUprawnienA, Form->UprawnieniaA})
    EXPECT_FALSE(action->Enabled()) << action->objectName().toStdString();
  EXPECT_TRUE(Form->edSerwer->isEnabled());
  EXPECT_FALSE(Form->edGrupa->isEnabled());
  EXPECT_FALSE(Form->cbWithAdminOpt->isEnabled());
  EXPECT_TRUE(Form->btnMatryca->isHidden());
  EXPECT_TRUE(Form->btnUprawnienia->isHidden());
  EXPECT_TRUE(Form->btnPobierzZVeldar->isHidden());
}

TEST(MainFormMessagesTest, TwoServerMessagesAreShownInPolish) {
  const QString badLogin = QString::fromUtf8(
      "Nazwa użytkownika lub hasło są nieprawidłowe. Skontaktuj się z administratorem systemu w celu "
      "zweryfikowania nazwy użytkownika i hasła.");
  const std::vector<std::pair<QString, QString>> cases = {
      {"Your user name and password are not defined. Ask your database administrator", badLogin},
      {"I/O error during \"open\" operation\nError while trying to open file\nNo such file",
       QString::fromUtf8("Błąd otwarcia pliku.")},
      // The second test runs on the already replaced text.
      {"Your user name and password are not defined; Error while trying to open file", badLogin},
      {"lock conflict on no wait transaction", "lock conflict on no wait transaction"},
  };
  for (const auto &[message, shown] : cases)
    EXPECT_EQ(TMainForm::TranslatedMessage(message), shown);
}

TEST_F(MainFormOfflineTest, UncaughtErrorsAreTranslatedBeforeTheyAreShown) {
  Dialogs.AnswerMessage(mrOk);
  Guarded(nullptr, [] { throw EDatabaseError("Error while trying to open file"); });
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8("Błąd otwarcia pliku."));
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtError);
}

} // namespace
