#pragma once

#include "ApplicationDatabase.h"
#include "DatabaseListFile.h"
#include "GridInput.h"
#include "ScriptedDialogs.h"
#include "SecurityPeople.h"
#include "UDMSecurity.h"
#include "UUprawnienia.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TTreeNode;

// Readable settings in failures; found beside the type.
void PrintTo(const TTabSettings &s, std::ostream *os);

// A tab's settings: the level, the ticked boxes and "Baza skanów".
TTabSettings TabWith(int level, QStringList ticked = {}, int scans = 0);
// A tab's settings: the level, the check list's items as bits, the record limit and the rights mask.
TTabSettings TabWithMasks(int level, quint32 list, double limit, qint32 rights);

// Security users (no server users) of the group "ZNAKI" whose names the server takes only as quoted
// identifiers: a double quote, a blank, Polish letters, an apostrophe. They go again with it.
class PeopleWithOddNames {
public:
  explicit PeopleWithOddNames(SecurityPeople &people);
  ~PeopleWithOddNames();
  PeopleWithOddNames(const PeopleWithOddNames &) = delete;
  PeopleWithOddNames &operator=(const PeopleWithOddNames &) = delete;
  static const QStringList &Names();
  static QString Group() { return QStringLiteral("ZNAKI"); }

private:
  SecurityPeople &FPeople;
};

// Drives the rights window as a person would: ticks in the tree by a click on a node's box or
// by Space, the texts of what it shows.
struct RightsWindow {
  static void Show(TUprawnieniaForm &form);
  static TTreeNode *Node(TUprawnieniaForm &form, const QString &text);
  static void ClickBox(TUprawnieniaForm &form, TTreeNode *node);
  static void PressSpace(TUprawnieniaForm &form, TTreeNode *node);
  // "level:text" per node in the tree's order, "+" after the text of a node with a check box.
  static QStringList TreeLines(TUprawnieniaForm &form);
  static QStringList VisibleTabs(TUprawnieniaForm &form);
  // "Surname First name" per listed user, in the list's order.
  static QStringList ListedUsers(TUprawnieniaForm &form);
  // The users whose CHECK is true, false or null: "+", "-" or "?" before the name.
  static QStringList UserTicks(TUprawnieniaForm &form);
  // Ticks exactly these users and clears the others.
  static void TickUsers(TUprawnieniaForm &form, const QStringList &names);
  // Ticks these nodes (by text) as a click would, and the tabs follow.
  static void TickNodes(TUprawnieniaForm &form, const QStringList &texts);
};

// The rights window over a security database of people shared by the program, and a "bazy.txt"
// in a folder of the test's own, which stands for the program's folder.
class RightsFormTest : public testing::Test {
public:
  static std::unique_ptr<SecurityPeople> People;
  static std::unique_ptr<TDMSecurity> Module;
  static std::unique_ptr<TDMSecurity> AdministratorModule;

protected:
  // The people are made by the first suite that needs them and shared by the program's suites.
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Writes "bazy.txt" and sets the window up on it for the visible group.
  void Open(const std::vector<ListedDatabase> &rows, const QString &group = QStringLiteral("Wszystkie"),
            DatabaseListLayout layout = DatabaseListLayout::ListWindow);
  QString ListPath() const { return Folder.filePath(QStringLiteral("bazy.txt")); }
  // The same for the second administrator's login (RDB$ADMIN), made on first use.
  void OpenAsAdministrator(const std::vector<ListedDatabase> &rows);
  // A fresh window in place of the test's one, not yet set up.
  void NewWindow();
  // A database of the group for the test, dropped at its end.
  ApplicationDatabase &AddDatabase(const QString &group, const ApplicationDatabaseOptions &options = {});
  // Ticks exactly these users (names as the security database holds them) in the users list.
  void TickUsers(const QStringList &names) { RightsWindow::TickUsers(*Form, names); }
  // Ticks these nodes of the tree by their text; a group node ticks its databases.
  void TickNodes(const QStringList &texts) { RightsWindow::TickNodes(*Form, texts); }
  // "Przypisz prawa" as its click runs it: an error reaches the application's handler.
  void Assign();
  // The security user's name for a stem of the people ("NOWAK").
  static QString Name(const char *stem) { return People->Person(QString::fromLatin1(stem)).Name; }

  QTemporaryDir Folder;
  ScriptedDialogs Dialogs;
  // Dropped after the window, whose connections stay on the databases it wrote last.
  std::vector<std::unique_ptr<ApplicationDatabase>> Databases;
  std::unique_ptr<TUprawnieniaForm> Form;
};
