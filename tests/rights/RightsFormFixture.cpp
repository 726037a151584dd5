#include "RightsFormFixture.h"

#include "DB.h"
#include "Field.h"
#include "IBDatabase.h"
#include "MxCheckTreeView.h"
#include "PageControl.h"
#include "ProgramFolder.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "woxMemTable.h"

#include <QTest>

void PrintTo(const TTabSettings &s, std::ostream *os) {
  *os << "{level " << s.Level << ", ticked " << s.Ticked.join(',').toStdString() << ", scans " << s.Scans
      << ", list " << s.ListMask << ", limit " << s.RecordLimit << ", rights " << s.Rights << "}";
}

TTabSettings TabWith(int level, QStringList ticked, int scans) {
  TTabSettings tab;
  tab.Level = level;
  tab.Ticked = std::move(ticked);
  tab.Scans = scans;
  return tab;
}

TTabSettings TabWithMasks(int level, quint32 list, double limit, qint32 rights) {
  TTabSettings tab = TabWith(level);
  tab.ListMask = list;
  tab.RecordLimit = limit;
  tab.Rights = rights;
  return tab;
}

PeopleWithOddNames::PeopleWithOddNames(SecurityPeople &people) : FPeople(people) {
  QStringList inserts;
  for (const QString &name : Names())
    inserts << QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, SECOND_NAME, GRUPA) values ('%1', "
                              "'Imię', 'Nazwisko', '%2')")
                   .arg(QString(name).replace(u'\'', QStringLiteral("''")), Group());
  FPeople.Database().Execute(inserts);
}

PeopleWithOddNames::~PeopleWithOddNames() {
  FPeople.Database().Execute(QStringLiteral("delete from USERS where GRUPA = '%1'").arg(Group()));
}

const QStringList &PeopleWithOddNames::Names() {
  static const QStringList names = {QStringLiteral("O\"BRIEN"), QStringLiteral("JAN KOWALSKI"),
                                    QString::fromUtf8("ŻÓŁW"), QStringLiteral("O'HARA")};
  return names;
}

std::unique_ptr<SecurityPeople> RightsFormTest::People;
std::unique_ptr<TDMSecurity> RightsFormTest::Module;
std::unique_ptr<TDMSecurity> RightsFormTest::AdministratorModule;

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

namespace {

// The people outlive every suite of the program and go when it ends, while the application object
// still stands.
class PeopleEnvironment : public testing::Environment {
public:
  void TearDown() override {
    RightsFormTest::AdministratorModule.reset();
    RightsFormTest::Module.reset();
    RightsFormTest::People.reset();
  }
};

[[maybe_unused]] testing::Environment *const kPeopleEnvironment =
    testing::AddGlobalTestEnvironment(new PeopleEnvironment);

} // namespace

void RightsFormTest::SetUpTestSuite() {
  if (!TestServer::Available() || People)
    return;
  People = std::make_unique<SecurityPeople>();
  Module = People->Connect();
}

void RightsFormTest::SetUp() {
  if (!People)
    GTEST_SKIP() << "no test server: run tools/test.sh";
  SetProgramFolder(Folder.path());
  Form = std::make_unique<TUprawnieniaForm>();
}

void RightsFormTest::TearDown() {
  Form.reset();
  Databases.clear();
  SetProgramFolder(QString());
}

void RightsFormTest::Open(const std::vector<ListedDatabase> &rows, const QString &group,
                          DatabaseListLayout layout) {
  WriteDatabaseList(ListPath(), rows, layout);
  Form->FGroup = group;
  Form->InitRightsEditor(Module->Database, People->Server(), QStringLiteral("bazy.txt"));
}

void RightsWindow::TickUsers(TUprawnieniaForm &form, const QStringList &names) {
  TDataSet *users = form.MemUsers;
  int ticked = 0;
  for (users->First(); !users->Eof(); users->Next()) {
    const bool tick = names.contains(users->FieldByName("USER_NAME")->AsString());
    users->Edit();
    users->FieldByName("CHECK")->SetAsBoolean(tick);
    users->Post();
    ticked += tick ? 1 : 0;
  }
  EXPECT_EQ(ticked, names.size()) << "every user is listed";
}

void RightsWindow::TickNodes(TUprawnieniaForm &form, const QStringList &texts) {
  for (const QString &text : texts)
    if (TTreeNode *node = Node(form, text))
      form.TreeView->SetChecked(node, true);
  form.UpdateProgramTabs();
}

void RightsFormTest::OpenAsAdministrator(const std::vector<ListedDatabase> &rows) {
  if (!AdministratorModule)
    AdministratorModule = People->ConnectAsAdministrator();
  WriteDatabaseList(ListPath(), rows);
  Form->FGroup = "Wszystkie";
  Form->InitRightsEditor(AdministratorModule->Database, People->Server(), QStringLiteral("bazy.txt"));
}

void RightsFormTest::NewWindow() { Form = std::make_unique<TUprawnieniaForm>(); }

ApplicationDatabase &RightsFormTest::AddDatabase(const QString &group,
                                                 const ApplicationDatabaseOptions &options) {
  Databases.push_back(std::make_unique<ApplicationDatabase>(group, options));
  return *Databases.back();
}

void RightsFormTest::Assign() { Form->BitBtn2->click(); }
