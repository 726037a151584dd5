#include "Actions.h"
#include "DB.h"
#include "Exceptions.h"
#include "Graphics.h"
#include "GridInput.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBQuery.h"
#include "MainFormFixture.h"
#include "MxDBCtrl.h"
#include "MxToolEdit.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UAdminRights.h"
#include "UDMSecurity.h"
#include "UGrupy.h"
#include "UNowyUzytkownikF.h"
#include "UPobierzUzytkownikowF.h"
#include "UZmianaHaslaF.h"

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>

namespace {

TEST_F(UsersTest, NewUserRoadRefusesThenAdds) {
  const QString name =
      QStringLiteral("nowy") + QString::number(QDateTime::currentMSecsSinceEpoch() % 100000000);
  Db->ForgetServerUser(name.toUpper());
  // Already listed (compared ignoring case).
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(
      Fill({"sysdba", "Jan", "Kowalski", "80010112345", "Ab1!x#yz", "Ab1!x#yz"}));
  Dialogs.AnswerMessage(mrOk);
  // Wrong repetition; the dialog comes back with the values kept.
  Dialogs.AnswerModalAs<TNowyUzytkownikF>([](TNowyUzytkownikF &f) {
    EXPECT_EQ(f.edFirstName->text(), "Jan");
    EXPECT_EQ(f.edPesel->text(), "80010112345");
    return Fill({"", "Jan", "Kowalski", "80010112345", "Ab1!x#yz", "Ab1!x#yZ"})(f);
  });
  Dialogs.AnswerMessage(mrOk);
  // Fails the policy (two special characters are required by default).
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(
      Fill({"", "Jan", "Kowalski", "80010112345", "Abcdefg1", "Abcdefg1"}));
  Dialogs.AnswerMessage(mrOk);
  Dialogs.AnswerMessage(mrOk);
  Dialogs.AnswerModalAs<TNowyUzytkownikF>([&](TNowyUzytkownikF &f) {
    f.edUser->setText(name);
    return Fill({name, QString::fromUtf8("Jan"), QString::fromUtf8("Kowalski-Żak"), "80010112345", "Ab1!x#yz",
                 "Ab1!x#yz"})(f);
  });
  Form->NowyUzytkownikA->Execute();

  ASSERT_EQ(Dialogs.Messages().size(), 4u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8("Dany użytkownik istnieje juz na liście"));
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Błąd"));
  EXPECT_EQ(Dialogs.Messages()[1].Text, QString::fromUtf8("Błędnie powtórzone hasło"));
  EXPECT_EQ(Dialogs.Messages()[2].Text, QString::fromUtf8("Wymagana liczba znaków specjalnych to 2."));
  EXPECT_EQ(Dialogs.Messages()[3].Text, QString::fromUtf8("Hasło nie spełnia zasad bezpieczeństwa"));
  EXPECT_TRUE(Dialogs.Exhausted());

  EXPECT_TRUE(ServerHasUser(*Db, name.toUpper()));
  ASSERT_TRUE(SelectUser(name));
  TDataSet *users = Form->DM()->users;
  EXPECT_EQ(users->FieldByName("USER_NAME")->AsString(), name.toUpper());
  EXPECT_EQ(users->FieldByName("SECOND_NAME")->AsString(), QString::fromUtf8("Kowalski-Żak"));
  EXPECT_EQ(users->FieldByName("PSWD_VALID")->AsInteger(), 0)
      << "must change the password at the first login";
  EXPECT_FALSE(users->FieldByName("PSWD_DATE")->IsNull());
  EXPECT_EQ(Db->QueryValue(QStringLiteral(
                               "select count(*) from USERS where USER_NAME = '%1' and PSWD_DATE is not null")
                               .arg(name.toUpper()))
                .toInt(),
            1);
}

TEST_F(UsersTest, NewUserCancelChangesNothing) {
  const int before = ListedUsers().size();
  Dialogs.AnswerModal([](TForm &) { return int(mrCancel); });
  Form->NowyUzytkownikA->Execute();
  EXPECT_EQ(ListedUsers().size(), before);
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(UsersTest, NewUserGetsTheVisibleGroup) {
  const QString name =
      QStringLiteral("GRP") + QString::number(QDateTime::currentMSecsSinceEpoch() % 100000000);
  Db->ForgetServerUser(name);
  Form->edGrupa->SetText("Kadry");
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({name, "", "", "", "Ab1!x#yz", "Ab1!x#yz"}));
  Form->NowyUzytkownikA->Execute();
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select GRUPA from USERS where USER_NAME = '%1'").arg(name)).toString(),
      "Kadry");
}

TEST_F(MainFormTest, SynchronisationTakesOverServerUsersAndDropsRowsWithoutOne) {
  CreateSecurityDatabase();
  const QString a = Db->CreateServerUser("SYNA", "secret1");
  const QString b = Db->CreateServerUser("SYNB", "secret1");
  const QString c = QStringLiteral("SYNC") + a.mid(4);
  Db->Execute(
      {QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, PSWD_VALID) values ('%1', 'Anna', 0)")
           .arg(a),
       QStringLiteral("insert into USERS (USER_NAME, PSWD_VALID) values ('%1', 0)").arg(c)});
  ConnectAsSysdba();
  const QStringList listed = ListedUsers();
  EXPECT_TRUE(listed.contains(a));
  EXPECT_TRUE(listed.contains(b));
  EXPECT_FALSE(listed.contains(c));
  EXPECT_EQ(Db->QueryValue(
                  QStringLiteral("select FIRST_NAME || PSWD_VALID from USERS where USER_NAME = '%1'").arg(a))
                .toString(),
            "Anna0")
      << "a listed user keeps its row";
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select PSWD_VALID from USERS where USER_NAME = '%1'").arg(b)).toInt(),
      1);
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME = '%1'").arg(c)).toInt(), 0);
}

TEST_F(UsersTest, ChangePasswordChecksTheRepetitionAndThePolicy) {
  const QString user = Db->CreateServerUser("PWD", "Old1!pass");
  Form->SynchroA->Execute();
  ASSERT_TRUE(SelectUser(user));
  // In the dialog: a wrong repetition keeps it open.
  Dialogs.AnswerModalAs<TZmianaHaslaF>([&](TZmianaHaslaF &f) {
    EXPECT_TRUE(f.pnlOldPassword->isHidden());
    f.edPSWD1->setText("New1!p#ss");
    f.edPSWD2->setText("other");
    f.BitBtn1->click();
    EXPECT_EQ(f.ModalResult(), mrNone);
    f.edPSWD2->setText("New1!p#ss");
    f.BitBtn1->click();
    return f.ModalResult();
  });
  Dialogs.AnswerMessage(mrOk);
  Form->ZmienHasloA->Execute();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8("Błędnie powtórzone hasło"));

  TIBDatabase login;
  login.SetDatabaseName(Db->DatabaseName());
  login.Params().SetText(QStringLiteral("user_name=%1\npassword=New1!p#ss").arg(user));
  EXPECT_NO_THROW(login.Open()) << "the server took the new password";
  login.Close();

  Dialogs.AnswerModalAs<TZmianaHaslaF>([](TZmianaHaslaF &f) {
    f.edPSWD1->setText("short");
    f.edPSWD2->setText("short");
    f.BitBtn1->click();
    return f.ModalResult();
  });
  Dialogs.AnswerMessage(mrOk);
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->ZmienHasloA->Execute(), EAbort);
  EXPECT_EQ(Dialogs.Messages().back().Text, QString::fromUtf8("Hasło nie spełnia zasad bezpieczeństwa"));
}

TEST_F(UsersTest, DeleteAsksThenRemovesTheRowAndTheServerUser) {
  const QString user = Db->CreateServerUser("DEL", "secret1");
  Form->SynchroA->Execute();
  ASSERT_TRUE(SelectUser(user));
  Dialogs.AnswerMessage(mrNo);
  Form->UsunUzytkownikaA->Execute();
  EXPECT_EQ(Dialogs.Messages().back().Text,
            QString::fromUtf8("Czy napewno chcesz usunąć użytkownika ") + user + " ?");
  EXPECT_EQ(Dialogs.Messages().back().Icon, mtConfirmation);
  EXPECT_TRUE(ServerHasUser(*Db, user));

  ASSERT_TRUE(SelectUser(user));
  Dialogs.AnswerMessage(mrYes);
  Form->UsunUzytkownikaA->Execute();
  EXPECT_FALSE(ServerHasUser(*Db, user));
  EXPECT_FALSE(ListedUsers().contains(user));

  ASSERT_TRUE(SelectUser("SYSDBA"));
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->UsunUzytkownikaA->Execute(), EAbort);
  EXPECT_EQ(Dialogs.Messages().back().Text, QString::fromUtf8("Nie można usunąć uzytkownika SYSDBA"));
}

TEST_F(UsersTest, TheGridNeitherInsertsNorDeletesRowsOnItsOwn) {
  const QString user = Db->CreateServerUser("GRID", "secret1");
  Form->SynchroA->Execute();
  const int before = ListedUsers().size();
  EXPECT_THROW(Form->DM()->users->Insert(), EAbort);
  EXPECT_EQ(Form->DM()->users->State(), dsBrowse);
  EXPECT_EQ(ListedUsers().size(), before);

  // A delete from the grid goes through "Usuń użytkownika" and its question.
  ASSERT_TRUE(SelectUser(user));
  Dialogs.AnswerMessage(mrNo);
  EXPECT_THROW(Form->DM()->users->Delete(), EAbort);
  EXPECT_TRUE(ListedUsers().contains(user));
  // Ctrl+Del in the grid asks "Usuń użytkownika"'s question only, and deletes the server user too.
  ASSERT_TRUE(SelectUser(user));
  Dialogs.AnswerMessage(mrYes);
  QKeyEvent ctrlDel(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
  QApplication::sendEvent(Form->UsrGrid, &ctrlDel);
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_EQ(Dialogs.Messages().back().Caption, "Uwaga");
  EXPECT_FALSE(ListedUsers().contains(user));
  EXPECT_FALSE(ServerHasUser(*Db, user));
}

TEST_F(UsersTest, VisibleGroupFiltersTheList) {
  const QString a = Db->CreateServerUser("GRA", "secret1");
  const QString b = Db->CreateServerUser("GRB", "secret1");
  Form->SynchroA->Execute();
  Db->Execute({QStringLiteral("update USERS set GRUPA = 'Kadry' where USER_NAME = '%1'").arg(a)});
  Form->DM()->users->Close();
  Form->DM()->users->Open();
  Dialogs.AnswerModal([](TForm &f) {
    auto &groups = dynamic_cast<TGrupyForm &>(f);
    EXPECT_EQ(groups.ChosenGroup(), "Wszystkie") << "the visible-group picker offers all first";
    groups.grupy->Next();
    return int(mrOk);
  });
  Form->edGrupaButtonClick(nullptr);
  EXPECT_EQ(Form->edGrupa->Text(), "Kadry");
  EXPECT_EQ(ListedUsers(), QStringList{a});
  Form->edGrupa->SetText("Wszystkie");
  Dialogs.AnswerModal([](TForm &) { return int(mrCancel); });
  Form->edGrupaButtonClick(nullptr);
  EXPECT_TRUE(ListedUsers().contains(b));
}

} // namespace

namespace {

TEST_F(UsersTest, SiblingImportFillsNamesOfListedUsersOnly) {
  const QString listed = Db->CreateServerUser("SIB", "secret1");
  Form->SynchroA->Execute();
  ScratchDatabase sibling(QStringLiteral("sibling"));
  {
    TIBDatabase create;
    create.SetDatabaseName(sibling.DatabaseName());
    create.Params().SetText(QStringLiteral(" USER 'SYSDBA' PASSWORD '%1' DEFAULT CHARACTER SET WIN1250")
                                .arg(TestServer::SysdbaPassword()));
    create.CreateDatabase();
    create.Close();
  }
  sibling.Execute(QStringLiteral("create table USERS (USR_NAME varchar(50), IMIE varchar(50), NAZWISKO "
                                 "varchar(50), PESEL varchar(11))"));
  sibling.Execute({QStringLiteral("insert into USERS values ('%1', 'Zofia', 'Łęcka', '90020212345')")
                       .arg(listed.toLower()),
                   QStringLiteral("insert into USERS values ('NOBODY_THERE', 'X', 'Y', '1')")});
  const int before = ListedUsers().size();
  Dialogs.AnswerModal([&](TForm &f) {
    auto &dialog = dynamic_cast<TPobierzUzytkownikowF &>(f);
    EXPECT_EQ(dialog.Caption(), QString::fromUtf8("Pobierz użytkowników"));
    dialog.edFileName->SetFileName(sibling.DatabaseName());
    dialog.BitBtn1->click();
    return dialog.ModalResult();
  });
  Form->PobierzZVeldarAExecute(nullptr);
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select FIRST_NAME || ' ' || SECOND_NAME || ' ' || USER_ID from USERS "
                                    "where USER_NAME = '%1'")
                         .arg(listed))
          .toString(),
      QString::fromUtf8("Zofia Łęcka 90020212345"));
  EXPECT_EQ(ListedUsers().size(), before) << "nothing is inserted";
  Form->Database->Close();
}

} // namespace

namespace {

TEST_F(UsersTest, OrderingFollowsTheRadioGroup) {
  const QString a = Db->CreateServerUser("ORDA", "secret1");
  const QString b = Db->CreateServerUser("ORDB", "secret1");
  Form->SynchroA->Execute();
  Db->Execute({QStringLiteral("update USERS set SECOND_NAME = 'Zaremba' where USER_NAME = '%1'").arg(a),
               QStringLiteral("update USERS set SECOND_NAME = 'Adamczyk' where USER_NAME = '%1'").arg(b)});
  Form->SetRadioGroup1ItemIndex(1);
  EXPECT_EQ(Form->DM()->users->SQL().Strings(2), "order by u.SECOND_NAME, u.FIRST_NAME");
  QStringList byName = ListedUsers();
  EXPECT_LT(byName.indexOf(b), byName.indexOf(a)) << "Adamczyk before Zaremba";
  Form->SetRadioGroup1ItemIndex(0);
  EXPECT_EQ(Form->DM()->users->SQL().Strings(2), "order by u.USER_NAME");
  byName = ListedUsers();
  EXPECT_LT(byName.indexOf(a), byName.indexOf(b));
}

} // namespace

namespace {

QString Quoted(const QString &text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

int AdminGrants(ScratchDatabase &db, const QString &user) {
  return db
      .QueryValue(QStringLiteral("select count(*) from RDB$USER_PRIVILEGES where RDB$USER = %1 and "
                                 "RDB$RELATION_NAME = 'RDB$ADMIN'")
                      .arg(Quoted(user)))
      .toInt();
}

TEST_F(UsersTest, DeletedUserKeepsNoAdminGrant) {
  const QString user = Db->CreateServerUser("ADM", "secret1");
  const QString other = Db->CreateServerUser("GRANTOR", "secret1");
  // Granted by two administrators: both grants must go.
  Db->Execute({QStringLiteral("grant RDB$ADMIN to %1").arg(user),
               QStringLiteral("grant RDB$ADMIN to %1 granted by %2").arg(user, other)});
  ASSERT_EQ(AdminGrants(*Db, user), 2);
  Form->SynchroA->Execute();
  ASSERT_TRUE(SelectUser(user));
  Dialogs.AnswerMessage(mrYes);
  Form->UsunUzytkownikaA->Execute();
  EXPECT_FALSE(ServerHasUser(*Db, user));
  EXPECT_FALSE(RowListed(*Db, user));
  EXPECT_EQ(AdminGrants(*Db, user), 0);

  // A later user of the same name starts without administrator rights.
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({user, "", "", "", "Ab1!x#yz", "Ab1!x#yz"}));
  Form->NowyUzytkownikA->Execute();
  ASSERT_TRUE(ServerHasUser(*Db, user));
  EXPECT_FALSE(HasAdminRole(Form->DM()->Database, user));
}

TEST_F(UsersTest, DeleteRefusedByTheServerKeepsTheRow) {
  // A row whose server user is already gone: the service refuses the delete.
  const QString ghost = QStringLiteral("GHOST") + UniqueToken();
  Db->Execute(QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, USER_ID, GRUPA, PSWD_VALID) "
                             "values ('%1', 'Anna', '80010112345', 'Kadry', 0)")
                  .arg(ghost));
  Form->DM()->users->Close();
  Form->DM()->users->Open();
  ASSERT_TRUE(SelectUser(ghost));
  Dialogs.AnswerMessage(mrYes);
  EXPECT_THROW(Form->UsunUzytkownikaA->Execute(), EIBError);
  EXPECT_EQ(
      Db->QueryValue(QStringLiteral("select FIRST_NAME || USER_ID || GRUPA from USERS where USER_NAME = '%1'")
                         .arg(ghost))
          .toString(),
      "Anna80010112345Kadry")
      << "the row keeps the user's data";
  EXPECT_TRUE(ListedUsers().contains(ghost));
}

TEST_F(UsersTest, NewUserWhoseRowCannotBeSavedLeavesNoServerUser) {
  // A row of another group, hidden by the visible group: the name passes the list's check and the
  // post hits the primary key.
  const QString hidden = QStringLiteral("HID") + UniqueToken();
  Db->ForgetServerUser(hidden);
  Db->Execute(
      QStringLiteral(
          "insert into USERS (USER_NAME, FIRST_NAME, GRUPA, PSWD_VALID) values ('%1', 'Ewa', 'Kadry', 1)")
          .arg(hidden));
  Form->DM()->users->Close();
  Form->DM()->users->Open();
  Form->edGrupa->SetText(QString::fromUtf8("Płace"));
  Form->DM()->users->SetFiltered(true);
  ASSERT_FALSE(ListedUsers().contains(hidden));

  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({hidden, "Jan", "", "", "Ab1!x#yz", "Ab1!x#yz"}));
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->NowyUzytkownikA->Execute(), EAbort) << "the duplicate row was saved";
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const QString text = Dialogs.Messages().front().Text;
  EXPECT_TRUE(
      text.startsWith(QString::fromUtf8("Użytkownika %1 nie dodano: jego wiersza nie udało się zapisać "
                                        "na liście: lista ma już wiersz tej nazwy")
                          .arg(hidden)))
      << text.toStdString();
  EXPECT_TRUE(text.contains("PRIMARY or UNIQUE KEY")) << "the server's text below";
  EXPECT_FALSE(ServerHasUser(*Db, hidden)) << "the server user stays without a row";
  EXPECT_EQ(Db->QueryValue(
                  QStringLiteral("select FIRST_NAME || GRUPA || PSWD_VALID from USERS where USER_NAME = '%1'")
                      .arg(hidden))
                .toString(),
            "EwaKadry1");
  EXPECT_EQ(Form->DM()->users->State(), dsBrowse);
}

TEST_F(UsersTest, UserNameCannotBeTypedOverInTheGrid) {
  const QString user = Db->CreateServerUser("KEEP", "secret1");
  Form->SynchroA->Execute();
  ASSERT_TRUE(SelectUser(user));
  GridInput::ShowFocused(*Form, *Form->UsrGrid);
  Form->UsrGrid->SetSelectedIndex(0);
  ASSERT_EQ(Form->UsrGrid->SelectedField()->FieldName(), "USER_NAME");
  GridInput::Type(QStringLiteral("Z"));
  GridInput::Press(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  EXPECT_EQ(Form->DM()->users->State(), dsBrowse);
  if (Form->DM()->users->State() == dsEdit)
    Form->DM()->users->Post();
  EXPECT_TRUE(RowListed(*Db, user));
  EXPECT_FALSE(RowListed(*Db, QStringLiteral("Z")));

  // The other columns still take typing.
  Form->UsrGrid->SetSelectedIndex(1);
  GridInput::Type(QStringLiteral("A"));
  EXPECT_EQ(Form->DM()->users->State(), dsEdit);
  Form->DM()->users->Cancel();
}

TEST_F(UsersTest, UserGrantedTheRoleTwiceIsListedOnce) {
  const QString user = Db->CreateServerUser("TWICE", "secret1");
  const QString other = Db->CreateServerUser("GRANTOR", "secret1");
  const QString plain = Db->CreateServerUser("PLAIN", "secret1");
  Db->Execute({QStringLiteral("grant RDB$ADMIN to %1").arg(user),
               QStringLiteral("grant RDB$ADMIN to %1 granted by %2").arg(user, other)});
  Form->SynchroA->Execute();
  for (int ordering : {1, 0}) {
    Form->SetRadioGroup1ItemIndex(ordering);
    const QStringList listed = ListedUsers();
    EXPECT_EQ(listed.count(user), 1) << "ordering " << ordering;
    EXPECT_EQ(listed.count(QStringLiteral("SYSDBA")), 1);
    EXPECT_EQ(listed.size(), QSet<QString>(listed.begin(), listed.end()).size());
  }
  EXPECT_TRUE(ShownRed(user));
  EXPECT_FALSE(ShownRed(plain));
  EXPECT_EQ(Form->DM()->users->FieldByName("RDB$RELATION_NAME")->AsString().trimmed(), "");
  ASSERT_TRUE(SelectUser(user));
  EXPECT_EQ(Form->DM()->users->FieldByName("RDB$RELATION_NAME")->AsString().trimmed(), "RDB$ADMIN");
}

} // namespace
