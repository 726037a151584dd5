// Passwords a login cannot carry (more than 255 bytes of UTF-8) or the security database cannot
// hold (characters outside Windows-1250): refused before anything reaches the server, with the
// dialog shown again and what was typed kept.
#include "Actions.h"
#include "MainFormFixture.h"
#include "StdCtrls.h"
#include "UZmianaHaslaF.h"

#include <QLineEdit>

namespace {

const QString kTooLong = QString::fromUtf8(
    "Hasło jest za długie: może mieć najwyżej 255 bajtów w zapisie UTF-8 (polska litera zajmuje dwa).");
const QString kNotWin1250 = QString::fromUtf8("Hasło może zawierać tylko znaki strony kodowej Windows-1250.");

// Two special characters, a digit and both cases: what the default policy asks for.
const QString kStem = QStringLiteral("Ab1!#");

struct TPasswordCase {
  const char *Label;
  QString Password;
  // The refusal; empty when the password is taken and works for a login.
  QString Refusal;
};

void PrintTo(const TPasswordCase &c, std::ostream *os) { *os << c.Label; }

std::vector<TPasswordCase> PasswordCases() {
  return {
      {"Ascii255Bytes", kStem + QString(250, u'x'), QString()},
      {"Ascii256Bytes", kStem + QString(251, u'x'), kTooLong},
      // 130 characters, 255 bytes: a Polish letter takes two.
      {"Polish255Bytes", kStem + QString(125, QChar(0x017C)), QString()},
      {"Polish257Bytes", kStem + QString(126, QChar(0x017C)), kTooLong},
      {"Cyrillic", kStem + QString::fromUtf8("Жук"), kNotWin1250},
      {"Emoji", kStem + QString::fromUtf8("\xF0\x9F\x98\x80"), kNotWin1250},
  };
}

class PasswordLimitTest : public UsersTest, public testing::WithParamInterface<TPasswordCase> {};

TEST_P(PasswordLimitTest, NewUser) {
  const TPasswordCase &c = GetParam();
  const QString name = QStringLiteral("PWL") + UniqueToken();
  Db->ForgetServerUser(name);
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(
      Fill({name, "Jan", "Nowak", "80010112345", c.Password, c.Password}));
  if (!c.Refusal.isEmpty()) {
    Dialogs.AnswerMessage(mrOk);
    Dialogs.AnswerModalAs<TNowyUzytkownikF>([&](TNowyUzytkownikF &f) {
      EXPECT_EQ(f.edUser->text(), name);
      EXPECT_EQ(f.edSecondName->text(), "Nowak");
      EXPECT_EQ(f.edPesel->text(), "80010112345");
      EXPECT_EQ(f.edPswd1->text(), c.Password);
      EXPECT_EQ(f.edPSWD2->text(), c.Password);
      return int(mrCancel);
    });
  }
  Form->NowyUzytkownikA->Execute();
  EXPECT_TRUE(Dialogs.Exhausted());
  if (c.Refusal.isEmpty()) {
    EXPECT_TRUE(Dialogs.Messages().empty());
    ASSERT_TRUE(ServerHasUser(*Db, name));
    EXPECT_TRUE(CanLogIn(*Db, name, c.Password));
    return;
  }
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, c.Refusal);
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Błąd"));
  EXPECT_FALSE(ServerHasUser(*Db, name));
  EXPECT_FALSE(ListedUsers().contains(name));
}

TEST_P(PasswordLimitTest, ChangePassword) {
  const TPasswordCase &c = GetParam();
  const QString old = QStringLiteral("Old1!p@ss");
  const QString user = Db->CreateServerUser(QStringLiteral("PWC"), old);
  Form->SynchroA->Execute();
  ASSERT_TRUE(SelectUser(user));
  if (!c.Refusal.isEmpty())
    Dialogs.AnswerMessage(mrOk);
  Dialogs.AnswerModalAs<TZmianaHaslaF>([&](TZmianaHaslaF &f) {
    f.edPSWD1->setText(c.Password);
    f.edPSWD2->setText(c.Password);
    f.BitBtn1->click();
    if (c.Refusal.isEmpty())
      return f.ModalResult();
    EXPECT_EQ(f.ModalResult(), mrNone) << "the dialog stays open";
    EXPECT_EQ(f.edPSWD1->text(), c.Password);
    EXPECT_EQ(f.edPSWD2->text(), c.Password);
    f.BitBtn2->click();
    return f.ModalResult();
  });
  Form->ZmienHasloA->Execute();
  EXPECT_TRUE(Dialogs.Exhausted());
  if (c.Refusal.isEmpty()) {
    EXPECT_TRUE(Dialogs.Messages().empty());
    EXPECT_TRUE(CanLogIn(*Db, user, c.Password));
    return;
  }
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, c.Refusal);
  EXPECT_TRUE(CanLogIn(*Db, user, old)) << "the password stays as it was";
}

INSTANTIATE_TEST_SUITE_P(Passwords, PasswordLimitTest, testing::ValuesIn(PasswordCases()),
                         [](const testing::TestParamInfo<TPasswordCase> &info) {
                           return std::string(info.param.Label);
                         });

} // namespace
