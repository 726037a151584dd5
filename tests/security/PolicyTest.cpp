#include "DB.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "SecurityFixture.h"
#include "TestServer.h"

namespace {

TEST(PasswordCountsTest, CountsAsciiClassesAndTreatsTheRestAsSpecial) {
  const TPasswordCounts c = CountPasswordCharacters(QString::fromUtf8("Ab1!żŁ9"));
  EXPECT_EQ(c.Length, 7);
  EXPECT_EQ(c.Upper, 1);
  EXPECT_EQ(c.Lower, 1);
  EXPECT_EQ(c.Digits, 2);
  EXPECT_EQ(c.Special, 3);
}

class PolicyTest : public SecurityTest {
protected:
  void SetUp() override {
    if (!SetUpWithDatabase())
      return;
    ASSERT_TRUE(ConnectAsSysdba());
  }

  void SetPolicy(const QVariantList &values) {
    const char *columns[] = {"PASS_LENGTH", "EXTRA_CHARS",   "DIGITS",    "LOWER_CASES",
                             "UPPER_CASES", "VALIDATE_DAYS", "PASS_COUNT"};
    DM->config->Edit();
    for (int i = 0; i < values.size(); ++i)
      DM->config->FieldByName(columns[i])->SetValue(values[i]);
  }
};

TEST_F(PolicyTest, ConfigRangeChecksStopThePostWithTheirMessage) {
  struct Case {
    QVariantList Values; // length, extra, digits, lower, upper, days, count
    const char *Message; // nullptr: the row posts
  };
  const Case cases[] = {
      {{6, 2, 2, 1, 1, 30, 10}, nullptr},
      {{6, 2, 3, 1, 1, 30, 10}, "Suma kombinacji zabezpieczeń nie może przekraczać długości hasła."},
      {{QVariant(), 0, 0, 0, 0, 30, 10}, "Długość hasła musi być większa od 0."},
      {{6, -1, 0, 0, 0, 30, 10}, "Liczba znaków specjalnych nie może być mniejsza od 0."},
      {{6, 0, 0, 0, 0, -1, 10}, "Ważność hasłą nie może być mniejsza od 0."},
      {{6, 0, 0, 0, 0, 30, -1}, "Ilość haseł w historii nie może być mniejsza od 0."},
      {{0, -1, 0, 0, 0, -1, -1},
       "Liczba znaków specjalnych nie może być mniejsza od 0."}, // the first check wins
  };
  for (const Case &c : cases) {
    Dialogs.Clear();
    SetPolicy(c.Values);
    if (!c.Message) {
      DM->config->Post();
      EXPECT_EQ(DM->config->State(), dsBrowse);
      EXPECT_TRUE(Dialogs.Messages().empty());
      continue;
    }
    Dialogs.AnswerMessage(mrOk);
    EXPECT_THROW(DM->config->Post(), EAbort);
    ASSERT_EQ(Dialogs.Messages().size(), 1u);
    EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8(c.Message));
    EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Błąd"));
    EXPECT_EQ(Dialogs.Messages()[0].Icon, mtWarning);
    EXPECT_EQ(DM->config->State(), dsEdit) << "the typed values stay for correction";
    DM->config->Cancel();
  }
  EXPECT_EQ(QueryValue("select DIGITS from CONFIG").toInt(), 2) << "the accepted row was committed";
}

TEST_F(PolicyTest, CheckPasswordNamesTheFirstRuleItBreaks) {
  SetPolicy({6, 1, 1, 1, 1});
  DM->config->Post();
  const std::vector<std::pair<QString, const char *>> cases = {
      {"Ab1!", "Minimalna ilość znaków w haśle powinna wynosić: 6"},
      {"Abcdef1", "Wymagana liczba znaków specjalnych to 1."},
      {"Abcde!x", "Wymagana liczba cyfr w haśle to 1."},
      {"ABCD1!X", "Wymagana liczba małych liter w haśle to 1."},
      {"abcd1!x", "Wymagana liczba dużych liter w haśle to 1."},
      {"Abcd1!x", nullptr},
      {QString::fromUtf8("Abcd1żx"), nullptr}, // a Polish letter counts as special
  };
  for (const auto &[password, message] : cases) {
    Dialogs.Clear();
    if (message)
      Dialogs.AnswerMessage(mrOk);
    EXPECT_EQ(DM->CheckPassword(password), message == nullptr) << password.toStdString();
    if (!message)
      continue;
    ASSERT_EQ(Dialogs.Messages().size(), 1u);
    EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8(message));
    EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Hasło nie spełnia zasad bezpieczeństwa"));
  }
}

TEST_F(PolicyTest, SysdbaFlagChangesTheRowButReachesTheDatabaseOnlyWhenPosted) {
  EXPECT_FALSE(DM->GetSysdbaFlag());
  DM->SetConfigSysdbaFlag(true);
  EXPECT_EQ(DM->config->State(), dsEdit);
  EXPECT_TRUE(DM->GetConfigSysdbaFlag());
  EXPECT_FALSE(DM->GetSysdbaFlag());
  DM->config->Post();
  EXPECT_TRUE(DM->GetSysdbaFlag());
  DM->SetConfigSysdbaFlag(false);
  DM->config->Post();
  EXPECT_FALSE(DM->GetSysdbaFlag());
  DM->config->Close();
  EXPECT_TRUE(DM->GetConfigSysdbaFlag()) << "a closed row reads as set";
}

TEST_F(SecurityTest, VersionOneDatabaseChecksLengthAndSpecialCharactersOnly) {
  CreateDatabase(); // version 1: no DIGITS, LOWER_CASES, UPPER_CASES
  EXPECT_TRUE(DM->CheckPassword("abcdef!!")) << "no digit or case rules below version 2";
  Dialogs.AnswerMessage(mrOk);
  EXPECT_FALSE(DM->CheckPassword("abcdefgh"));
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, "Wymagana liczba znaków specjalnych to 2.");
}

TEST_F(SecurityTest, SchemaVersionOfADatabaseWithoutTheProcedureIsZero) {
  TIBDatabase &db = *DM->Database;
  db.SetDatabaseName(Server + u':' + Path);
  db.Params().SetText(QStringLiteral(" USER 'SYSDBA' PASSWORD '%1'").arg(TestServer::SysdbaPassword()));
  db.CreateDatabase();
  EXPECT_EQ(DM->GetSchemaVersion(), 0);
  EXPECT_FALSE(DM->GetSysdbaFlag());
}

} // namespace
