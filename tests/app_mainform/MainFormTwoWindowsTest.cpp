// Two main windows with connections of their own on one user: a post neither overwrites a change
// it has not seen nor reports success for a row that another window deleted, and a password change of
// a user the other window deleted changes nothing. A value stored by any writer is no change: the
// list posts over it.
#include "Actions.h"
#include "DB.h"
#include "DBCtrls.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "MainFormFixture.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "UZmianaHaslaF.h"

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

TEST_F(TwoWindowsTest, ChangingThePasswordOfAUserTheOtherWindowDeletedChangesNothing) {
  ASSERT_TRUE(Other->DM()->users->Locate(QStringLiteral("USER_NAME"), User, TLocateOptions{}));
  Dialogs.AnswerMessage(mrYes);
  Other->UsunUzytkownikaA->Execute();
  ASSERT_FALSE(ServerHasUser(*Db, User));

  ASSERT_TRUE(Form->DM()->users->Locate(QStringLiteral("USER_NAME"), User, TLocateOptions{}));
  Dialogs.AnswerModalAs<TZmianaHaslaF>(TypeNewPassword(QStringLiteral("New1!p#ss")));
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->ZmienHasloA->Execute(), EAbort);
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  const QString lead =
      QString::fromUtf8("Hasła nie zmieniono: na serwerze nie ma już użytkownika %1 (usunięto "
                        "go w innym oknie albo poza programem). Przy następnym „Połącz” "
                        "zniknie on z listy.\n\n")
          .arg(User);
  EXPECT_TRUE(Dialogs.Messages()[1].Text.startsWith(lead)) << Dialogs.Messages()[1].Text.toStdString();
  EXPECT_TRUE(Dialogs.Messages()[1].Text.mid(lead.size()).contains(QStringLiteral("not found")))
      << "the server's text below";
  EXPECT_EQ(Dialogs.Messages()[1].Caption, QString::fromUtf8("Błąd"));
  EXPECT_FALSE(ServerHasUser(*Db, User)) << "no user made again";
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME = '%1'").arg(User)).toInt(),
      0)
      << "no row made again";

  Form->DBConnectA->Execute();
  EXPECT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_FALSE(ListedUsers().contains(User));
}

TEST_F(TwoWindowsTest, AnUnchangedRowPostsAsBefore) {
  Type(*Form, User, "FIRST_NAME", QStringLiteral("Anna"));
  PressPost(*Form);
  Type(*Form, User, "SECOND_NAME", QStringLiteral("Nowak"));
  PressPost(*Form);
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(Stored(), QStringLiteral("Anna Nowak"));
}

// A value as another writer stored it, then ordinary edits of another column, each posted.
struct TStoredValueCase {
  const char *Label;
  const char *Column;
  const char *Literal;
  // What the column holds afterwards, as text: the list writes every column back at the precision
  // of its field.
  const char *After;
};

void PrintTo(const TStoredValueCase &c, std::ostream *os) { *os << c.Label; }

class StoredValueTest : public UsersTest, public testing::WithParamInterface<TStoredValueCase> {
protected:
  QString Stored(const QString &user, const char *column) {
    return Db
        ->QueryValue(QStringLiteral("select coalesce(cast(%1 as varchar(60)), '<null>') from USERS where "
                                    "USER_NAME = '%2'")
                         .arg(QString::fromLatin1(column), user))
        .toString();
  }
};

TEST_P(StoredValueTest, EveryEditIsSavedWithoutAMessage) {
  const TStoredValueCase &c = GetParam();
  const QString user = Db->CreateServerUser(QStringLiteral("STORED"), QStringLiteral("secret1"));
  Form->SynchroA->Execute();
  Db->Execute(QStringLiteral("update USERS set %1 = %2 where USER_NAME = '%3'")
                  .arg(QString::fromLatin1(c.Column), QString::fromUtf8(c.Literal), user));
  Form->DM()->users->Close();
  Form->DM()->users->Open();
  const char *edited = QLatin1String(c.Column) == QLatin1String("FIRST_NAME") ? "SECOND_NAME" : "FIRST_NAME";
  for (const char *typed : {"Anna", "Ewa"}) {
    TDataSet *users = Form->DM()->users;
    ASSERT_TRUE(users->Locate(QStringLiteral("USER_NAME"), user, TLocateOptions{}));
    users->Edit();
    users->FieldByName(QString::fromLatin1(edited))->SetAsString(QString::fromLatin1(typed));
    Form->DBNavigator2->Button(nbPost)->click();
    ASSERT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
    EXPECT_EQ(users->State(), dsBrowse);
    EXPECT_EQ(Stored(user, edited), QString::fromLatin1(typed));
  }
  EXPECT_EQ(Stored(user, c.Column), QString::fromUtf8(c.After));
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValueTest,
    testing::Values(TStoredValueCase{"TenThousandthsOfASecond", "PSWD_DATE", "'2023-05-06 07:08:09.1234'",
                                     "2023-05-06 07:08:09.1230"},
                    TStoredValueCase{"Milliseconds", "PSWD_DATE", "'2023-05-06 07:08:09.1230'",
                                     "2023-05-06 07:08:09.1230"},
                    TStoredValueCase{"NoDate", "PSWD_DATE", "null", "<null>"},
                    TStoredValueCase{"EmptyString", "FIRST_NAME", "''", ""},
                    TStoredValueCase{"TrailingBlanks", "SECOND_NAME", "'Nowak   '", "Nowak   "},
                    TStoredValueCase{"ABlank", "USER_ID", "' '", " "},
                    TStoredValueCase{"EmptyGroup", "GRUPA", "''", ""},
                    TStoredValueCase{"PolishLetters", "GRUPA", "'Księgowość'", "Księgowość"}),
    [](const testing::TestParamInfo<TStoredValueCase> &info) { return std::string(info.param.Label); });

} // namespace
