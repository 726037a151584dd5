#include "RightsFormFixture.h"

#include "Exceptions.h"
#include "MxCheckTreeView.h"

#include <QFile>

namespace {

using Rows = std::vector<ListedDatabase>;

struct TreeCase {
  const char *Name;
  Rows File;
  DatabaseListLayout Layout;
  QStringList Lines;
  // The groups the set-up names as unknown, "" when it names none.
  QString Unknown;
};

void PrintTo(const TreeCase &c, std::ostream *os) { *os << c.Name; }

const TreeCase kTreeCases[] = {
    {"GroupsInTableOrderWhateverTheFileOrder",
     {{"Rejestr", "/db/t.fdb", "TORMISK"},
      {"Mapy", "/db/k.fdb", "KORVIN"},
      {"Ewidencja", "/db/v.fdb", "VELDAR"}},
     DatabaseListLayout::ListWindow,
     {"0:Programy+", "1:KORVIN+", "2:Mapy+", "1:VELDAR+", "2:Ewidencja+", "1:TORMISK+", "2:Rejestr+"},
     ""},
    {"DatabasesInFileOrderWithinTheirGroup",
     {{"Gmina B", "/db/b.fdb", "VELDAR"},
      {"Kasa", "/db/k.fdb", "KAPRENA"},
      {"Gmina A", "/db/a.fdb", "VELDAR"},
      {"Gmina C", "/db/c.fdb", "VELDAR"}},
     DatabaseListLayout::ListWindow,
     {"0:Programy+", "1:VELDAR+", "2:Gmina B+", "2:Gmina A+", "2:Gmina C+", "1:KAPRENA+", "2:Kasa+"},
     ""},
    {"AGroupWithoutRowsHasNoNode",
     {{"Sprawy", "/db/s.fdb", "TESSAL"}},
     DatabaseListLayout::ListWindow,
     {"0:Programy+", "1:TESSAL+", "2:Sprawy+"},
     ""},
    {"UnknownAndMisCasedGroupsStayOutsideWithoutABox",
     {{"Stara", "/db/s.fdb", "Veldar"},
      {"Obca", "/db/o.fdb", "GEODEZJA"},
      {"Nowa", "/db/n.fdb", "VELDAR"},
      {"Druga obca", "/db/d.fdb", "GEODEZJA"},
      {"Bez grupy", "/db/x.fdb", ""}},
     DatabaseListLayout::ListWindow,
     {"0:Programy+", "1:VELDAR+", "2:Nowa+", "0:Stara", "0:Obca", "0:Druga obca", "0:Bez grupy"},
     "\"Veldar\", \"GEODEZJA\", \"\""},
    {"DuplicateRowsGiveTwoNodes",
     {{"Kadry", "/db/kadry1.fdb", "SOLMET"}, {"Kadry", "/db/kadry2.fdb", "SOLMET"}},
     DatabaseListLayout::ListWindow,
     {"0:Programy+", "1:SOLMET+", "2:Kadry+", "2:Kadry+"},
     ""},
    {"AFileWithADefinitionsSection",
     {{"Ewidencja", "/db/v.fdb", "VELDAR"}, {"Mapy", "/db/k.fdb", "KORVIN"}},
     DatabaseListLayout::WithDefinitions,
     {"0:Programy+", "1:KORVIN+", "2:Mapy+", "1:VELDAR+", "2:Ewidencja+"},
     ""},
    {"NamesWithBlanksQuotesCommasAndPolishLetters",
     {{"Urząd \"Łódź\", stary", "C:\\Bazy danych\\łódź.fdb", "BAVIRO"}},
     DatabaseListLayout::ListWindow,
     {"0:Programy+", "1:BAVIRO+", "2:Urząd \"Łódź\", stary+"},
     ""},
    {"AnEmptyList", {}, DatabaseListLayout::ListWindow, {"0:Programy+"}, ""},
};

class ProgramTree : public RightsFormTest, public testing::WithParamInterface<TreeCase> {};

TEST_P(ProgramTree, ShowsTheListAsGroupsAndDatabases) {
  const TreeCase &c = GetParam();
  if (!c.Unknown.isEmpty())
    Dialogs.AnswerMessage(mrOk);
  Open(c.File, QStringLiteral("Wszystkie"), c.Layout);
  EXPECT_EQ(RightsWindow::TreeLines(*Form), c.Lines);
  if (!c.Unknown.isEmpty()) {
    ASSERT_EQ(Dialogs.Messages().size(), 1u);
    EXPECT_EQ(Dialogs.Messages()[0].Caption, "Uwaga");
    EXPECT_EQ(Dialogs.Messages()[0].Icon, mtWarning);
    EXPECT_TRUE(Dialogs.Messages()[0].Text.contains(c.Unknown)) << Dialogs.Messages()[0].Text.toStdString();
  } else {
    EXPECT_TRUE(Dialogs.Messages().empty());
  }
  // Nothing is ticked yet, so no tab is shown.
  EXPECT_TRUE(RightsWindow::VisibleTabs(*Form).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, ProgramTree, testing::ValuesIn(kTreeCases),
                         [](const testing::TestParamInfo<TreeCase> &info) { return info.param.Name; });

TEST_F(RightsFormTest, ADatabaseOfAnUnknownGroupCannotBeTicked) {
  Dialogs.AnswerMessage(mrOk);
  Open({{"Obca", "/db/o.fdb", "Veldar"}, {"Nowa", "/db/n.fdb", "VELDAR"}});
  RightsWindow::Show(*Form);
  TTreeNode *stranger = RightsWindow::Node(*Form, "Obca");
  RightsWindow::ClickBox(*Form, stranger);
  RightsWindow::PressSpace(*Form, stranger);
  EXPECT_FALSE(Form->TreeView->Checked(stranger));
  // Even the root ticks the known groups only.
  RightsWindow::ClickBox(*Form, RightsWindow::Node(*Form, "Programy"));
  EXPECT_TRUE(Form->TreeView->Checked(RightsWindow::Node(*Form, "Nowa")));
  EXPECT_FALSE(Form->TreeView->Checked(stranger));
  EXPECT_EQ(Form->UnknownGroups(), QStringList({"Veldar"}));
}

TEST_F(RightsFormTest, EachDuplicateNodeReachesItsOwnDatabase) {
  Open({{"Kadry", "/db/kadry1.fdb", "SOLMET"}, {"Kadry", "/db/kadry2.fdb", "SOLMET"}});
  TTreeNode *solmet = RightsWindow::Node(*Form, "SOLMET");
  ASSERT_EQ(solmet->Count(), 2);
  const QString server = People->Server();
  EXPECT_EQ(Form->NodeDatabasePath(solmet->Item(0)), server + ":/db/kadry1.fdb");
  EXPECT_EQ(Form->NodeDatabasePath(solmet->Item(1)), server + ":/db/kadry2.fdb");
  // The lookup by name and group finds the first row only.
  EXPECT_EQ(Form->LookupDatabasePath("Kadry", "SOLMET"), server + ":/db/kadry1.fdb");
  EXPECT_EQ(Form->NodeDatabasePath(solmet), "") << "a group node stands for no database";
}

struct PathCase {
  const char *Name;
  const char *Server;
  const char *Baza;
  const char *Path;
};

void PrintTo(const PathCase &c, std::ostream *os) { *os << c.Name; }

const PathCase kPathCases[] = {
    {"NoServerDriveLetter", "", "C:\\data\\x.fdb", "C:\\data\\x.fdb"},
    {"NoServerUnixPath", "", "/srv/firebird/x.fdb", "/srv/firebird/x.fdb"},
    {"NoServerAlias", "", "kadry", "kadry"},
    {"ServerDriveLetter", "srv", "C:\\data\\x.fdb", "srv:C:\\data\\x.fdb"},
    {"ServerUnixPath", "srv", "/srv/firebird/x.fdb", "srv:/srv/firebird/x.fdb"},
    {"ServerAlias", "srv", "kadry", "srv:kadry"},
    {"ServerAndPortDriveLetter", "127.0.0.1/3050", "C:\\data\\x.fdb", "127.0.0.1/3050:C:\\data\\x.fdb"},
    {"ServerAndPortUnixPath", "127.0.0.1/3050", "/srv/firebird/x.fdb", "127.0.0.1/3050:/srv/firebird/x.fdb"},
    {"ServerAndPortAlias", "127.0.0.1/3050", "kadry", "127.0.0.1/3050:kadry"},
};

class LookupPath : public RightsFormTest, public testing::WithParamInterface<PathCase> {};

TEST_P(LookupPath, IsTheServerAndAColonBeforeTheListedPath) {
  const PathCase &c = GetParam();
  WriteDatabaseList(ListPath(), {{"Inna", "/db/inna.fdb", "PELKAR"}, {"Kadry", c.Baza, "PELKAR"}});
  Form->FGroup = "Wszystkie";
  Form->InitRightsEditor(Module->Database, QString::fromLatin1(c.Server), "bazy.txt");
  EXPECT_EQ(Form->LookupDatabasePath("Kadry", "PELKAR"), QString::fromLatin1(c.Path));
  EXPECT_EQ(Form->NodeDatabasePath(RightsWindow::Node(*Form, "Kadry")), QString::fromLatin1(c.Path));
  EXPECT_EQ(Form->LookupDatabasePath("Kadry", "pelkar"), "") << "the group is compared exactly";
  EXPECT_EQ(Form->LookupDatabasePath("Brak", "PELKAR"), "");
}

INSTANTIATE_TEST_SUITE_P(ServersAndPaths, LookupPath, testing::ValuesIn(kPathCases),
                         [](const testing::TestParamInfo<PathCase> &info) { return info.param.Name; });

TEST_F(RightsFormTest, TenThousandDatabasesFindTheirGroups) {
  Rows rows;
  for (int i = 0; i < 10000; ++i) {
    const TProgramGroup &group = ProgramGroups()[size_t(i % ProgramGroupCount)];
    rows.push_back({QStringLiteral("Baza %1").arg(i, 5, 10, QChar(u'0')), QStringLiteral("/db/%1.fdb").arg(i),
                    group.Name});
  }
  Open(rows);
  TTreeNode *root = RightsWindow::Node(*Form, "Programy");
  ASSERT_EQ(root->Count(), ProgramGroupCount);
  for (int group = 0; group < ProgramGroupCount; ++group)
    EXPECT_EQ(root->Item(group)->Count(),
              10000 / ProgramGroupCount + (group < 10000 % ProgramGroupCount ? 1 : 0));
  EXPECT_EQ(Form->NodeDatabasePath(root->Item(17)->Item(554)),
            People->Server() + QStringLiteral(":/db/%1.fdb").arg(17 + 554 * ProgramGroupCount));
  Form->TreeView->SetChecked(root, true);
  Form->UpdateProgramTabs();
  EXPECT_EQ(RightsWindow::VisibleTabs(*Form).size(), ProgramGroupCount);
}

// A list that the format cannot read stops the set-up with the format's error; one it can read
// in part leaves what it read.
TEST_F(RightsFormTest, ADamagedListStopsTheSetUpWithTheFormatsError) {
  WriteDatabaseList(ListPath(), {{"Ewidencja", "/db/v.fdb", "VELDAR"}}, DatabaseListLayout::WithDefinitions);
  QFile file(ListPath());
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray bytes = file.readAll();
  bytes.replace("String", "Strong");
  file.resize(0);
  file.write(bytes);
  file.close();
  Form->FGroup = "Wszystkie";
  try {
    Form->InitRightsEditor(Module->Database, People->Server(), "bazy.txt");
    FAIL() << "no error";
  } catch (const Exception &e) {
    EXPECT_TRUE(e.Message().contains("Unknown field type (Strong)")) << e.Message().toStdString();
  }
}

// A row cut inside its quotes is damage, not a shorter list: the set-up stops with the line.
TEST_F(RightsFormTest, AListCutShortStopsTheSetUpNamingTheLine) {
  WriteDatabaseList(ListPath(), {{"Ewidencja", "/db/v.fdb", "VELDAR"}, {"Mapy", "/db/mapy.fdb", "KORVIN"}});
  QFile file(ListPath());
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QByteArray bytes = file.readAll();
  // Cut in the middle of the last row's path.
  file.resize(bytes.indexOf("/db/mapy") + 4);
  file.close();
  Form->FGroup = "Wszystkie";
  try {
    Form->InitRightsEditor(Module->Database, People->Server(), "bazy.txt");
    FAIL() << "no error";
  } catch (const Exception &e) {
    EXPECT_TRUE(e.Message().contains("(line 3)")) << e.Message().toStdString();
  }
  EXPECT_TRUE(Dialogs.Messages().empty());
}

} // namespace
