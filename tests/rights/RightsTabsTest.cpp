#include "RightsFormFixture.h"

#include "MxCheckTreeView.h"
#include "MxSpin.h"
#include "PageControl.h"
#include "RadioGroup.h"
#include "StdCtrls.h"

#include <QCheckBox>
#include <QListWidget>
#include <QTest>

namespace {

const std::vector<ListedDatabase> kList = {{"Mapy", "/db/k.fdb", "KORVIN"},
                                           {"Gmina A", "/db/a.fdb", "VELDAR"},
                                           {"Gmina B", "/db/b.fdb", "VELDAR"},
                                           {"Sprawy", "/db/s.fdb", "TESSAL"},
                                           {"Kasa", "/db/kasa.fdb", "KAPRENA"}};

struct TickCase {
  const char *Name;
  // "click:<node>" or "space:<node>", in order.
  QStringList Steps;
  QStringList Tabs;
};

void PrintTo(const TickCase &c, std::ostream *os) { *os << c.Name; }

const TickCase kTickCases[] = {
    {"NothingTicked", {}, {}},
    {"OneDatabase", {"click:Gmina A"}, {"VELDAR"}},
    {"DatabasesOfTwoGroups", {"click:Kasa", "click:Mapy"}, {"KORVIN", "KAPRENA"}},
    {"AGroupNodeWithItsDatabases", {"click:VELDAR"}, {"VELDAR"}},
    {"TheRootShowsEveryListedGroup", {"click:Programy"}, {"KORVIN", "VELDAR", "TESSAL", "KAPRENA"}},
    {"TheRootClearedAgain", {"click:Programy", "click:Programy"}, {}},
    {"ADatabaseClearedAgain", {"click:Gmina A", "click:Gmina A"}, {}},
    {"OneOfTwoDatabasesLeft", {"click:VELDAR", "click:Gmina B"}, {"VELDAR"}},
    {"TheSpaceKey", {"space:Sprawy"}, {"TESSAL"}},
    {"TheSpaceKeyOnTheRoot", {"space:Programy"}, {"KORVIN", "VELDAR", "TESSAL", "KAPRENA"}},
    {"TheSpaceKeyClearsToo", {"space:Sprawy", "click:Kasa", "space:Sprawy"}, {"KAPRENA"}},
};

class TickedDatabases : public RightsFormTest, public testing::WithParamInterface<TickCase> {};

TEST_P(TickedDatabases, ShowTheTabsOfTheirGroups) {
  const TickCase &c = GetParam();
  Open(kList);
  RightsWindow::Show(*Form);
  for (const QString &step : c.Steps) {
    const QString kind = step.section(u':', 0, 0);
    TTreeNode *node = RightsWindow::Node(*Form, step.section(u':', 1));
    if (kind == "click")
      RightsWindow::ClickBox(*Form, node);
    else
      RightsWindow::PressSpace(*Form, node);
  }
  EXPECT_EQ(RightsWindow::VisibleTabs(*Form), c.Tabs);
  for (int group = 0; group < ProgramGroupCount; ++group)
    EXPECT_EQ(Form->ProgramSelected(group), c.Tabs.contains(ProgramGroups()[size_t(group)].Name)) << group;
  if (!c.Tabs.isEmpty()) {
    ASSERT_NE(Form->PageControl->ActivePage(), nullptr);
    EXPECT_TRUE(Form->PageControl->ActivePage()->isVisible());
  }
}

INSTANTIATE_TEST_SUITE_P(Ticks, TickedDatabases, testing::ValuesIn(kTickCases),
                         [](const testing::TestParamInfo<TickCase> &info) { return info.param.Name; });

TEST_F(RightsFormTest, TheRootTicksEveryDatabase) {
  Open(kList);
  RightsWindow::Show(*Form);
  RightsWindow::ClickBox(*Form, RightsWindow::Node(*Form, "Programy"));
  for (int i = 0; i < Form->TreeView->Items()->Count(); ++i)
    EXPECT_TRUE(Form->TreeView->Checked(Form->TreeView->Items()->Item(i))) << i;
}

// A fresh window: no form needs a server for what follows.
class RightsTabs : public testing::Test {
protected:
  TUprawnieniaForm form;
};

TEST_F(RightsTabs, OneTabPerGroupInTheGroupsOrderWithItsLevelRadioGroup) {
  const char *const levels[] = {
      "KNMPrawaRadioBox", "VELDARPrawaRadioBox",  "PLOMERRadioBox", "SARNIKRadioBox", "TULVARRadioBox",
      "BRONTELRadioBox",  "FENNORadioBox",        "DRAVELRadioBox", "HolmarRadioBox", "GRESSONRadioBox",
      "PELKARRadioBox",   "NIRVOSRadioBox",       "TESSALRadioBox", "QUENTORadioBox", "BAVIRORadioBox",
      "SOLMETRadioBox",   "TORMISKPrawaRadioBox", "KAPRENARadioBox"};
  ASSERT_EQ(form.PageControl->PageCount(), ProgramGroupCount);
  for (int group = 0; group < ProgramGroupCount; ++group) {
    SCOPED_TRACE(group);
    EXPECT_EQ(form.PageControl->Pages(group), form.GroupTab(group));
    EXPECT_EQ(form.GroupTab(group)->Caption(), ProgramGroups()[size_t(group)].Name);
    TRadioGroup *level = form.LevelRadioGroup(group);
    EXPECT_EQ(level->objectName(), levels[group]);
    EXPECT_EQ(level->title(), "Uprawnienia kontrolowane przez serwer");
    EXPECT_EQ(level->ItemIndex(), 0);
    const QStringList items = {"Tylko odczyt", "Zapis i odczyt", "Administrator"};
    EXPECT_EQ(level->Items(), group == 17 ? items.mid(0, 2) : items);
    EXPECT_EQ(level->Columns(), group == 17 ? 2 : 3);
  }
  EXPECT_TRUE(form.PageControl->MultiLine());
}

struct ManagerCase {
  const char *Name;
  QCheckBox *TUprawnieniaForm::*Manager;
  std::vector<QCheckBox * TUprawnieniaForm::*> Followers;
};

void PrintTo(const ManagerCase &c, std::ostream *os) { *os << c.Name; }

class ManagerBox : public RightsTabs, public testing::WithParamInterface<ManagerCase> {};

TEST_P(ManagerBox, TicksAndLocksTheBoxesUnderItOrClearsAndFreesThem) {
  const ManagerCase &c = GetParam();
  QCheckBox *manager = form.*c.Manager;
  std::vector<QCheckBox *> followers;
  for (auto member : c.Followers)
    followers.push_back(form.*member);
  followers[0]->setChecked(true);
  manager->setChecked(true);
  for (QCheckBox *box : followers) {
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
  }
  manager->setChecked(false);
  for (QCheckBox *box : followers) {
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_TRUE(box->isEnabled()) << box->objectName().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, ManagerBox,
    testing::Values(ManagerCase{"Veldar",
                                &TUprawnieniaForm::ADMCheck,
                                {&TUprawnieniaForm::PrintCheck, &TUprawnieniaForm::EditCheck,
                                 &TUprawnieniaForm::ExpCheck}},
                    ManagerCase{"Dravel",
                                &TUprawnieniaForm::CBDravelADM,
                                {&TUprawnieniaForm::CBDravelPRINT, &TUprawnieniaForm::CBDravelEDIT}},
                    ManagerCase{"Holmar",
                                &TUprawnieniaForm::CheckBoxADM,
                                {&TUprawnieniaForm::CheckBoxPRINT, &TUprawnieniaForm::CheckBoxODS}}),
    [](const testing::TestParamInfo<ManagerCase> &info) { return info.param.Name; });

TEST_F(RightsTabs, EscapeLeavesTheWindowOpen) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
}

TEST_F(RightsTabs, AManagerBoxClickedByThePersonDrivesTheOthers) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.PageControl->SetActivePage(form.VELDAR);
  QTest::mouseClick(form.ADMCheck, Qt::LeftButton, {}, QPoint(6, form.ADMCheck->height() / 2));
  EXPECT_TRUE(form.ExpCheck->isChecked());
  EXPECT_FALSE(form.ExpCheck->isEnabled());
}

TEST_F(RightsTabs, TessalGrantsAndTakesEveryRightAtOnce) {
  const QStringList names = {"al", "aa", "sp", "se", "su", "sr", "sn", "sk", "sc", "sd", "mp",
                             "me", "mu", "mr", "kp", "ke", "ku", "kr", "zp", "ze", "zu", "zr",
                             "zw", "pp", "pe", "pu", "pr", "pw", "up", "ue", "uu", "ur", "uw",
                             "wp", "we", "wu", "wr", "op", "oe", "ou", "dp", "de", "du"};
  QStringList order;
  for (const QCheckBox *box : form.TessalBoxes) {
    order << box->objectName();
    EXPECT_EQ(box->parentWidget(), form.TESSAL) << "straight on the sheet";
    EXPECT_TRUE(box->text().isEmpty());
  }
  EXPECT_EQ(order, names);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.PageControl->SetActivePage(form.TESSAL);
  form.TessalBoxes[5]->setChecked(true);
  QTest::mouseClick(form.Button1, Qt::LeftButton);
  EXPECT_EQ(form.TabSettings(12).Ticked, names);
  QTest::mouseClick(form.Button2, Qt::LeftButton);
  EXPECT_TRUE(form.TabSettings(12).Ticked.isEmpty());
  EXPECT_EQ(form.Button1->text(), "Przydziel");
  EXPECT_EQ(form.Button2->text(), "Odbierz");
}

struct SettingsCase {
  const char *Name;
  int Group;
  TTabSettings Settings;
  TTabSettings Read;
};

void PrintTo(const SettingsCase &c, std::ostream *os) { *os << c.Name; }

TTabSettings Settings(int level, QStringList ticked = {}, int scans = 0, quint32 list = 0, double limit = 0,
                      qint32 rights = 0) {
  return TTabSettings{level, ticked, scans, list, limit, rights};
}

const SettingsCase kSettingsCases[] = {
    {"VeldarBoxesAndScans", 1, Settings(2, {"PrintCheck", "ExpCheck"}, 1),
     Settings(2, {"PrintCheck", "ExpCheck"}, 1)},
    // The manager box ticks the boxes after it, as a click would.
    {"VeldarManager", 1, Settings(1, {"ADMCheck"}, 2),
     Settings(1, {"ADMCheck", "PrintCheck", "EditCheck", "ExpCheck"}, 2)},
    {"DravelManagerClearedFreesTheOthers", 7, Settings(0, {"CBDravelEDIT"}), Settings(0, {"CBDravelEDIT"})},
    {"BrontelOptionsAndAFractionalLimit", 5, Settings(0, {}, 0, 0x105, 2.7), Settings(0, {}, 0, 0x105, 2.7)},
    {"KorvinObjectsUpToTheLastBitAndRights", 0, Settings(2, {}, 0, 0x80000001u, 0, 0x108),
     Settings(2, {}, 0, 0x80000001u, 0, 0x108)},
    {"TormiskRightsWithBitsNoListShows", 16, Settings(1, {}, 0, 0, 0, 0x15), Settings(1, {}, 0, 0, 0, 0x15)},
    {"TessalLetters", 12, Settings(0, {"sp", "aa", "du"}), Settings(0, {"aa", "sp", "du"})},
    {"NoLevel", 9, Settings(-1), Settings(-1)},
    {"KaprenaHasNoAdministratorLevel", 17, Settings(2, {"FINANSECheckBox"}),
     Settings(1, {"FINANSECheckBox"})},
    {"ValuesATabHasNoControlForStayOut", 2, Settings(1, {"ADMCheck"}, 2, 7, 3, 9), Settings(1)},
};

class TabSettingsOf : public RightsTabs, public testing::WithParamInterface<SettingsCase> {};

TEST_P(TabSettingsOf, ComeBackAsTheTabShowsThem) {
  const SettingsCase &c = GetParam();
  // What the tab showed before must not leak through: every manager box ticked first.
  for (QCheckBox *manager : {form.ADMCheck, form.CBDravelADM, form.CheckBoxADM})
    manager->setChecked(true);
  form.SetTabSettings(c.Group, c.Settings);
  EXPECT_EQ(form.TabSettings(c.Group), c.Read);
}

INSTANTIATE_TEST_SUITE_P(Groups, TabSettingsOf, testing::ValuesIn(kSettingsCases),
                         [](const testing::TestParamInfo<SettingsCase> &info) { return info.param.Name; });

TEST_F(RightsTabs, SettingsReachTheControls) {
  form.SetTabSettings(5, Settings(2, {}, 0, 0x5, 12));
  EXPECT_EQ(form.BRONTELRadioBox->ItemIndex(), 2);
  EXPECT_EQ(form.CLBBrontel->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(form.CLBBrontel->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(form.CLBBrontel->item(2)->checkState(), Qt::Checked);
  EXPECT_EQ(form.CLBBrontel->item(2)->text(), QString::fromUtf8("Imiona rodziców, nazwisko rodowe"));
  EXPECT_EQ(form.BrontelIle->Value(), 12);
  form.SetTabSettings(0, Settings(0, {}, 0, 0, 0, 0x100));
  EXPECT_EQ(form.FKorvinRights, 0x100);
  ASSERT_EQ(form.UserRights->count(), 1) << "the lists follow the mask";
  EXPECT_EQ(form.UserRights->item(0)->text(), "Modyfikacji (także rezerwacji)");
}

} // namespace
