#include "RightsFormFixture.h"

#include "DB.h"
#include "ExDBGrid.h"
#include "Field.h"
#include "GridInput.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <QTest>

namespace {

const ListedDatabase kVeldar{"Ewidencja", "/db/v.fdb", "VELDAR"};

struct GroupCase {
  const char *Name;
  const char *Group;
  QStringList Users;
};

void PrintTo(const GroupCase &c, std::ostream *os) { *os << c.Name; }

const GroupCase kGroupCases[] = {
    {"AllGroups",
     "Wszystkie",
     {"Adamczyk Jan", "Ćwik Gaweł", "Nowak Anna", "Nowak Łukasz", "Wójcik Ścibor", "Zielińska Żaneta"}},
    {"OneGroup", "GEODEZJA", {"Nowak Anna", "Nowak Łukasz", "Zielińska Żaneta"}},
    {"TheSameNameInOtherCase", "geodezja", {"Wójcik Ścibor"}},
    {"AGroupOfOne", "KADRY", {"Ćwik Gaweł"}},
    {"AnEmptyGroupMatchesNoUserWithoutOne", "", {}},
    {"AGroupOfNobody", "BRAK", {}},
};

class VisibleGroup : public RightsFormTest, public testing::WithParamInterface<GroupCase> {};

TEST_P(VisibleGroup, ListsItsUsersBySurnameThenFirstNameNoneTicked) {
  const GroupCase &c = GetParam();
  Open({kVeldar}, QString::fromUtf8(c.Group));
  EXPECT_EQ(RightsWindow::ListedUsers(*Form), c.Users);
  for (const QString &tick : RightsWindow::UserTicks(*Form))
    EXPECT_TRUE(tick.startsWith(u'?')) << tick.toStdString() << ": CHECK starts unset";
}

INSTANTIATE_TEST_SUITE_P(Groups, VisibleGroup, testing::ValuesIn(kGroupCases),
                         [](const testing::TestParamInfo<GroupCase> &info) { return info.param.Name; });

TEST_F(RightsFormTest, TheOneCheckBoxTicksAndUnticksEveryUser) {
  Open({kVeldar}, "GEODEZJA");
  RightsWindow::Show(*Form);
  const QString nowak = People->Person("NOWAK").Name;
  QTest::mouseClick(Form->CBAllUsers, Qt::LeftButton, {}, QPoint(6, Form->CBAllUsers->height() / 2));
  EXPECT_EQ(RightsWindow::UserTicks(*Form), QStringList({"+" + People->Person("NOWAKOWA").Name, "+" + nowak,
                                                         "+" + People->Person("ZIELINSKA").Name}));
  EXPECT_EQ(Form->MemUsers->State(), dsBrowse) << "every tick is posted";
  QTest::mouseClick(Form->CBAllUsers, Qt::LeftButton, {}, QPoint(6, Form->CBAllUsers->height() / 2));
  for (const QString &tick : RightsWindow::UserTicks(*Form))
    EXPECT_TRUE(tick.startsWith(u'-')) << tick.toStdString();
}

TEST_F(RightsFormTest, AClickInTheGridTicksOneUserAndChangesNothingElse) {
  Open({kVeldar}, "KADRY");
  RightsWindow::Show(*Form);
  TExDBGrid *grid = Form->ExDBGrid1;
  const auto cell = [grid](int column) {
    return grid->CellRect(column + grid->IndicatorOffset(), grid->TitleOffset()).center();
  };
  GridInput::Click(*grid->viewport(), cell(0));
  EXPECT_EQ(RightsWindow::UserTicks(*Form), QStringList({"+" + People->Person("CWIK").Name}));
  // The personal data are the security database's and stay as they are.
  grid->setFocus();
  GridInput::Click(*grid->viewport(), cell(1));
  GridInput::Type("Kowalski");
  GridInput::Press(Qt::Key_Return);
  EXPECT_EQ(RightsWindow::ListedUsers(*Form), QStringList({QString::fromUtf8("Ćwik Gaweł")}));
}

TEST_F(RightsFormTest, TenThousandUsersAreListedAndTickedAtOnce) {
  SecurityPeople many;
  many.AddMany("MANY", 10000, "MASA");
  auto module = many.Connect();
  WriteDatabaseList(ListPath(), {kVeldar});
  Form->FGroup = "MASA";
  Form->InitRightsEditor(module->Database, many.Server(), "bazy.txt");
  ASSERT_EQ(Form->MemUsers->RecordCount(), 10000);
  Form->CBAllUsers->setChecked(true);
  int ticked = 0;
  TDataSet *users = Form->MemUsers;
  for (users->First(); !users->Eof(); users->Next())
    ticked += users->FieldByName("CHECK")->AsBoolean() ? 1 : 0;
  EXPECT_EQ(ticked, 10000);
  users->First();
  EXPECT_EQ(users->FieldByName("SECOND_NAME")->AsString(), "Nazwisko 00000");
}

} // namespace
