#include "MainFormFixture.h"

#include "Actions.h"
#include "DB.h"
#include "Graphics.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBQuery.h"
#include "MxDBCtrl.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "UZmianaHaslaF.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QUuid>

void MainFormTest::SetUp() {
  if (!TestServer::Available())
    GTEST_SKIP() << "no test server: run tools/test.sh";
  Db = std::make_unique<ScratchDatabase>(QStringLiteral("mainform"));
  OpenWindow();
}

void MainFormOfflineTest::SetUp() { OpenWindow(); }

void MainFormTest::TearDown() {
  Form.reset();
  Db.reset();
}

void MainFormTest::OpenWindow() {
  Form.reset();
  Form = std::make_unique<TMainForm>(nullptr, IniPath());
  if (Db)
    Form->DM()->SecurityAlias = Db->Path();
}

void MainFormTest::WriteIni(const QByteArray &bytes) {
  Form.reset(); // closing the window writes the file
  QFile file(IniPath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray MainFormTest::ReadIni() const {
  QFile file(IniPath());
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

void MainFormTest::CreateSecurityDatabase() {
  Form->DM()->CreateSecurityDatabase(Db->Server(), TestServer::SysdbaPassword());
  Form->DM()->Database->Close();
}

void MainFormTest::Connect(const QString &user, const QString &password) {
  Form->edSerwer->setEditText(Db->Server());
  Form->edUserName->setText(user);
  Form->edAdminPswd->setText(password);
  Form->DBConnectA->Execute();
}

void MainFormTest::ConnectAsSysdba() { Connect(QStringLiteral("SYSDBA"), TestServer::SysdbaPassword()); }

bool MainFormTest::SelectUser(const QString &name) {
  return Form->DM()->users->Locate(QStringLiteral("USER_NAME"), name, TLocateOptions{loCaseInsensitive});
}

QStringList MainFormTest::ListedUsers() {
  QStringList names;
  TDataSet *users = Form->DM()->users;
  for (users->First(); !users->Eof(); users->Next())
    names.append(users->FieldByName(QStringLiteral("USER_NAME"))->AsString());
  return names;
}

bool MainFormTest::ShownRed(const QString &name) {
  EXPECT_TRUE(SelectUser(name)) << name.toStdString();
  TFont font;
  TColor background = clWindow;
  Form->UsrGridGetCellParams(Form->UsrGrid, Form->DM()->users->FieldByName(QStringLiteral("USER_NAME")), font,
                             background, false);
  return font.Color() == clRed;
}

void UsersTest::SetUp() {
  MainFormTest::SetUp();
  if (IsSkipped())
    return;
  CreateSecurityDatabase();
  ConnectAsSysdba();
}

std::function<int(TNowyUzytkownikF &)> Fill(const NewUser &u) {
  return [u](TNowyUzytkownikF &f) {
    f.edUser->setText(u.Name);
    f.edFirstName->setText(u.First);
    f.edSecondName->setText(u.Second);
    f.edPesel->setText(u.Pesel);
    f.edPswd1->setText(u.Password1);
    f.edPSWD2->setText(u.Password2);
    f.BitBtn3->click();
    return f.ModalResult();
  };
}

bool ServerHasUser(ScratchDatabase &db, const QString &name) {
  // Compared in UTF-8: a name that Windows-1250 cannot hold would break the comparison.
  return db.QueryValue(QStringLiteral("select count(*) from sec$users where sec$user_name = "
                                      "cast('%1' as varchar(200) character set UTF8)")
                           .arg(QString(name).replace(u'\'', QStringLiteral("''"))))
             .toInt() == 1;
}

bool CanLogIn(ScratchDatabase &db, const QString &user, const QString &password) {
  TIBDatabase login;
  login.SetDatabaseName(db.DatabaseName());
  login.Params().SetValues(QStringLiteral("user_name"), user);
  login.Params().SetValues(QStringLiteral("password"), password);
  try {
    login.Open();
  } catch (const EIBError &) {
    return false;
  }
  login.Close();
  return true;
}

QString UniqueToken() { return QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper(); }

bool RowListed(ScratchDatabase &db, const QString &user) {
  return db.QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME = '%1'")
                           .arg(QString(user).replace(u'\'', QStringLiteral("''"))))
             .toInt() == 1;
}

std::function<int(TZmianaHaslaF &)> TypeNewPassword(const QString &password) {
  return [password](TZmianaHaslaF &f) {
    f.edPSWD1->setText(password);
    f.edPSWD2->setText(password);
    f.BitBtn1->click();
    return f.ModalResult();
  };
}
