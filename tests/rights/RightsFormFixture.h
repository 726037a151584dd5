#pragma once

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
};

// The rights window over a security database of people shared by the suite, and a "bazy.txt"
// in a folder of the test's own, which stands for the program's folder.
class RightsFormTest : public testing::Test {
protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Writes "bazy.txt" and sets the window up on it for the visible group.
  void Open(const std::vector<ListedDatabase> &rows, const QString &group = QStringLiteral("Wszystkie"),
            DatabaseListLayout layout = DatabaseListLayout::ListWindow);
  QString ListPath() const { return Folder.filePath(QStringLiteral("bazy.txt")); }

  static std::unique_ptr<SecurityPeople> People;
  static std::unique_ptr<TDMSecurity> Module;
  QTemporaryDir Folder;
  ScriptedDialogs Dialogs;
  std::unique_ptr<TUprawnieniaForm> Form;
};
