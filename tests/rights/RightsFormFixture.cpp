#include "RightsFormFixture.h"

#include "DB.h"
#include "Field.h"
#include "IBDatabase.h"
#include "MxCheckTreeView.h"
#include "PageControl.h"
#include "ProgramFolder.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "woxMemTable.h"

#include <QTest>

std::unique_ptr<SecurityPeople> RightsFormTest::People;
std::unique_ptr<TDMSecurity> RightsFormTest::Module;

void RightsWindow::Show(TUprawnieniaForm &form) {
  form.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.TreeView->expandAll();
}

TTreeNode *RightsWindow::Node(TUprawnieniaForm &form, const QString &text) {
  TTreeNodes *items = form.TreeView->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (items->Item(i)->Text() == text)
      return items->Item(i);
  ADD_FAILURE() << "no node " << text.toStdString();
  return nullptr;
}

void RightsWindow::ClickBox(TUprawnieniaForm &form, TTreeNode *node) {
  QTest::mouseClick(form.TreeView->viewport(), Qt::LeftButton, {},
                    form.TreeView->NodeLayout(node).State.center());
}

void RightsWindow::PressSpace(TUprawnieniaForm &form, TTreeNode *node) {
  form.TreeView->SetSelected(node);
  form.TreeView->setFocus();
  QTest::keyClick(form.TreeView, Qt::Key_Space);
}

QStringList RightsWindow::TreeLines(TUprawnieniaForm &form) {
  QStringList lines;
  TTreeNodes *items = form.TreeView->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TTreeNode *node = items->Item(i);
    lines << QStringLiteral("%1:%2%3")
                 .arg(node->Level())
                 .arg(node->Text(), form.TreeView->CheckBox(node) ? "+" : "");
  }
  return lines;
}

QStringList RightsWindow::VisibleTabs(TUprawnieniaForm &form) {
  QStringList tabs;
  for (int i = 0; i < form.PageControl->PageCount(); ++i)
    if (form.PageControl->Pages(i)->TabVisible())
      tabs << form.PageControl->Pages(i)->Caption();
  return tabs;
}

QStringList RightsWindow::ListedUsers(TUprawnieniaForm &form) {
  QStringList users;
  TDataSet *table = form.MemUsers;
  for (table->First(); !table->Eof(); table->Next())
    users << table->FieldByName("SECOND_NAME")->AsString() + u' ' +
                 table->FieldByName("FIRST_NAME")->AsString();
  return users;
}

QStringList RightsWindow::UserTicks(TUprawnieniaForm &form) {
  QStringList ticks;
  TDataSet *table = form.MemUsers;
  for (table->First(); !table->Eof(); table->Next()) {
    TField *check = table->FieldByName("CHECK");
    ticks << (check->IsNull()      ? "?"
              : check->AsBoolean() ? "+"
                                   : "-") +
                 table->FieldByName("USER_NAME")->AsString();
  }
  return ticks;
}

void RightsFormTest::SetUpTestSuite() {
  if (!TestServer::Available())
    return;
  People = std::make_unique<SecurityPeople>();
  Module = People->Connect();
}

void RightsFormTest::TearDownTestSuite() {
  Module.reset();
  People.reset();
}

void RightsFormTest::SetUp() {
  if (!People)
    GTEST_SKIP() << "no test server: run tools/test.sh";
  SetProgramFolder(Folder.path());
  Form = std::make_unique<TUprawnieniaForm>();
}

void RightsFormTest::TearDown() {
  Form.reset();
  SetProgramFolder(QString());
}

void RightsFormTest::Open(const std::vector<ListedDatabase> &rows, const QString &group,
                          DatabaseListLayout layout) {
  WriteDatabaseList(ListPath(), rows, layout);
  Form->FGroup = group;
  Form->InitRightsEditor(Module->Database, People->Server(), QStringLiteral("bazy.txt"));
}
