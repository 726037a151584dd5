// Two main windows with connections of their own on one user: a post neither overwrites a change
// it has not seen nor reports success for a row that another window deleted.
#include "Actions.h"
#include "DB.h"
#include "DBCtrls.h"
#include "IBQuery.h"
#include "MainFormFixture.h"
#include "TestServer.h"
#include "UDMSecurity.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

class TwoWindowsTest : public UsersTest {
protected:
  void SetUp() override {
    UsersTest::SetUp();
    if (IsSkipped())
      return;
    User = Db->CreateServerUser(QStringLiteral("TWO"), QStringLiteral("secret1"));
    Form->SynchroA->Execute();
    Other = std::make_unique<TMainForm>(nullptr, OtherIniDir.filePath(QStringLiteral("meridox_sec.ini")));
    Other->DM()->SecurityAlias = Db->Path();
    Other->edSerwer->setEditText(Db->Server());
    Other->edUserName->setText(QStringLiteral("SYSDBA"));
    Other->edAdminPswd->setText(TestServer::SysdbaPassword());
    Other->DBConnectA->Execute();
  }
  void TearDown() override {
    Other.reset();
    UsersTest::TearDown();
  }
  // Starts editing the user's row in the window and sets a column, as typing into the grid does.
  static void Type(TMainForm &window, const QString &user, const char *column, const QString &text) {
    TDataSet *users = window.DM()->users;
    ASSERT_TRUE(users->Locate(QStringLiteral("USER_NAME"), user, TLocateOptions{}));
    users->Edit();
    users->FieldByName(QString::fromLatin1(column))->SetAsString(text);
  }
  static void PressPost(TMainForm &window) { window.DBNavigator2->Button(nbPost)->click(); }
  static QString Value(TMainForm &window, const char *column) {
    return window.DM()->users->FieldByName(QString::fromLatin1(column))->AsString();
  }
  QString Stored() {
    return Db
        ->QueryValue(
            QStringLiteral("select coalesce(FIRST_NAME, '-') || ' ' || coalesce(SECOND_NAME, '-') from "
                           "USERS where USER_NAME = '%1'")
                .arg(User))
        .toString();
  }

  QString User;
  QTemporaryDir OtherIniDir;
  std::unique_ptr<TMainForm> Other;
};

TEST_F(TwoWindowsTest, APostOverAChangeItHasNotSeenIsRefusedAndKeepsWhatWasTyped) {
  Type(*Form, User, "FIRST_NAME", QStringLiteral("Anna"));
  Type(*Other, User, "SECOND_NAME", QStringLiteral("Kowalska"));
  PressPost(*Other);
  ASSERT_EQ(Stored(), QStringLiteral("- Kowalska"));

  Dialogs.AnswerMessage(mrOk);
  PressPost(*Form);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8(
                "Użytkownika %1 zmieniono w innym oknie, odkąd wyświetlono go tutaj. Zmian nie zapisano: "
                "wiersz odczytano ponownie, a wpisane wartości pozostawiono do sprawdzenia i ponownego "
                "zatwierdzenia.")
                .arg(User));
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QStringLiteral("Uwaga"));
  EXPECT_EQ(Stored(), QStringLiteral("- Kowalska")) << "the other window's change stays";
  EXPECT_EQ(Form->DM()->users->State(), dsEdit);
  EXPECT_EQ(Value(*Form, "USER_NAME"), User);
  EXPECT_EQ(Value(*Form, "FIRST_NAME"), QStringLiteral("Anna")) << "what was typed is kept";
  EXPECT_EQ(Value(*Form, "SECOND_NAME"), QStringLiteral("Kowalska")) << "the row is read again";

  // Seen now: the second post goes through, and the other window's next post is refused in turn.
  PressPost(*Form);
  EXPECT_EQ(Form->DM()->users->State(), dsBrowse);
  EXPECT_EQ(Stored(), QStringLiteral("Anna Kowalska"));
  Type(*Other, User, "SECOND_NAME", QStringLiteral("Nowak"));
  Dialogs.AnswerMessage(mrOk);
  PressPost(*Other);
  EXPECT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_EQ(Stored(), QStringLiteral("Anna Kowalska"));
  EXPECT_EQ(Value(*Other, "FIRST_NAME"), QStringLiteral("Anna"));
  EXPECT_EQ(Value(*Other, "SECOND_NAME"), QStringLiteral("Nowak"));
  EXPECT_TRUE(Dialogs.Exhausted());
}

TEST_F(TwoWindowsTest, APostOnARowDeletedByTheOtherWindowIsRefused) {
  Type(*Form, User, "FIRST_NAME", QStringLiteral("Anna"));
  ASSERT_TRUE(Other->DM()->users->Locate(QStringLiteral("USER_NAME"), User, TLocateOptions{}));
  Dialogs.AnswerMessage(mrYes);
  Other->UsunUzytkownikaA->Execute();
  ASSERT_FALSE(ServerHasUser(*Db, User));

  Dialogs.AnswerMessage(mrOk);
  PressPost(*Form);
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_EQ(Dialogs.Messages()[1].Text,
            QString::fromUtf8("Użytkownika %1 usunięto w innym oknie. Zmian nie zapisano.").arg(User));
  EXPECT_EQ(Form->DM()->users->State(), dsBrowse);
  EXPECT_FALSE(ListedUsers().contains(User));
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME = '%1'").arg(User)).toInt(),
      0)
      << "nothing was written back";
}

TEST_F(TwoWindowsTest, AnUnchangedRowPostsAsBefore) {
  Type(*Form, User, "FIRST_NAME", QStringLiteral("Anna"));
  PressPost(*Form);
  Type(*Form, User, "SECOND_NAME", QStringLiteral("Nowak"));
  PressPost(*Form);
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(Stored(), QStringLiteral("Anna Nowak"));
}

} // namespace
