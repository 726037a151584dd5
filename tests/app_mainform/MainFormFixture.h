#pragma once

#include "ScratchDatabase.h"
#include "ScriptedDialogs.h"
#include "UMainForm.h"
#include "UNowyUzytkownikF.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class TZmianaHaslaF;

// The real main window over a security database of the test's own, its .ini in a temporary
// folder, every dialog answered through the script.
class MainFormTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the window (again) from the .ini as it now stands.
  void OpenWindow();
  QString IniPath() const { return IniDir.filePath("meridox_sec.ini"); }
  // Closes the window (which writes the file), then writes these bytes.
  void WriteIni(const QByteArray &bytes);
  QByteArray ReadIni() const;

  // Lays version 1 on the scratch database, as "Utwórz nową bazę" would, and disconnects.
  void CreateSecurityDatabase();
  // Types the login into the window and runs "Połącz".
  void Connect(const QString &user, const QString &password);
  void ConnectAsSysdba();
  // Moves the users list to the user's row; false when it is not listed.
  bool SelectUser(const QString &name);
  QStringList ListedUsers();
  // Whether the users grid paints the user's row red, as it does for a holder of RDB$ADMIN.
  bool ShownRed(const QString &name);

  QTemporaryDir IniDir;
  std::unique_ptr<ScratchDatabase> Db;
  std::unique_ptr<TMainForm> Form;
  ScriptedDialogs Dialogs;
};

// Tests that need no server.
class MainFormOfflineTest : public MainFormTest {
protected:
  void SetUp() override;
};

// Connected as SYSDBA to a freshly created security database.
class UsersTest : public MainFormTest {
protected:
  void SetUp() override;
};

struct NewUser {
  QString Name, First, Second, Pesel, Password1, Password2;
};

// Fills the new-user dialog and presses "Zatwierdź".
std::function<int(TNowyUzytkownikF &)> Fill(const NewUser &u);

bool ServerHasUser(ScratchDatabase &db, const QString &name);
// Whether the server takes this login for the database.
bool CanLogIn(ScratchDatabase &db, const QString &user, const QString &password);
// Eight characters that no other test's names hold.
QString UniqueToken();
// Whether USERS holds a row of exactly this name.
bool RowListed(ScratchDatabase &db, const QString &user);
// Types the password twice into "Zmiana hasła" and presses "Zatwierdź".
std::function<int(TZmianaHaslaF &)> TypeNewPassword(const QString &password);
