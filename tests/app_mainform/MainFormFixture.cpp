#include "MainFormFixture.h"

#include "Actions.h"
#include "DB.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "TestServer.h"
#include "UDMSecurity.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

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
