// The sister files ".fdd" and ".fdr" beside a main database: their roles, and what happens when
// one is missing, is no database, or does not let the login administer it.
#include "RightsFormFixture.h"
#include "UserRows.h"

#include "Application.h"

namespace {

using SisterFiles = RightsFormTest;

TTabSettings VeldarTab(int level, bool printing, int scans) {
  TTabSettings tab;
  tab.Level = level;
  if (printing)
    tab.Ticked = {"PrintCheck"};
  tab.Scans = scans;
  return tab;
}

// ".fdd" follows "Drukowanie", ".fdr" follows "Baza skanów"; the administrator level takes both.
TEST_F(SisterFiles, VeldarsSistersTakeTheirLevelsFromTheTab) {
  struct Case {
    const char *Name;
    const char *Stem;
    TTabSettings Tab;
    QStringList Main, Printing, Scans;
  };
  const Case cases[] = {
      {"ReadWithoutPrintingOrScans", "ADAMCZYK", VeldarTab(0, false, 0), {"ODCZYT"}, {"ODCZYT"}, {}},
      {"WriteWithPrintingAndWritableScans", "CWIK", VeldarTab(1, true, 2), {"ZAPIS"}, {"ZAPIS"}, {"ZAPIS"}},
      {"WriteWithReadableScans", "NOWAKOWA", VeldarTab(1, false, 1), {"ZAPIS"}, {"ODCZYT"}, {"ODCZYT"}},
      {"AdministratorEverywhere",
       "NOWAK",
       VeldarTab(2, false, 0),
       {"RDB$ADMIN"},
       {"RDB$ADMIN"},
       {"RDB$ADMIN"}},
  };
  ApplicationDatabase &veldar = AddDatabase("VELDAR");
  // NOWAK's identity number gives NOWAKOWA's ID: he has a row already.
  veldar.Execute(
      QStringLiteral("insert into USERS (UID, ID, USR_NAME) values (100, 1, '%1')").arg(Name("NOWAK")));
  Open({{"Ewidencja", veldar.Path(), "VELDAR"}});
  TickNodes({"Ewidencja"});
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    TickUsers({Name(c.Stem)});
    Form->SetTabSettings(pgVeldar, c.Tab);
    Assign();
    EXPECT_TRUE(Dialogs.Messages().empty());
    EXPECT_EQ(veldar.RolesOf(Name(c.Stem)), c.Main);
    EXPECT_EQ(veldar.RolesOf(Name(c.Stem), ".fdd"), c.Printing);
    EXPECT_EQ(veldar.RolesOf(Name(c.Stem), ".fdr"), c.Scans);
  }
}

// What a database's sister files do to the whole database.
TEST_F(SisterFiles, ASisterDecidesForItsWholeDatabaseUnlessItIsMissing) {
  struct Case {
    const char *Name;
    const char *Group;
    ApplicationDatabaseOptions Options;
    bool AsAdministrator;
    // The caption of the one message, "" for none.
    QString Caption;
    QString TextStart;
    bool Written;
  };
  ApplicationDatabaseOptions missing, garbage, refusing;
  missing.MissingSisters = {".fdr"};
  garbage.GarbageSister = ".fdr";
  refusing.SisterWithoutAdministrators = ".fdr";
  const QString refused = QString::fromUtf8("Nie posiadasz praw administratora do bazy\n");
  const Case cases[] = {
      {"AMissingSisterLeavesTheMainFile", "SARNIK", missing, false, {}, {}, true},
      {"AMissingSisterOfTwo", "VELDAR", missing, false, {}, {}, true},
      {"GarbageWhereTheSisterBelongsIsAnError", "SARNIK", garbage, false, "app", {}, false},
      {"ASisterTheAdministratorMayNotAdminister", "VELDAR", refusing, true,
       QString::fromUtf8("Brak uprawnień"), refused, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    NewWindow();
    Dialogs.Clear();
    ApplicationDatabaseOptions options = c.Options;
    options.Administrators = {People->AdministratorName()};
    ApplicationDatabase &database = AddDatabase(c.Group, options);
    const std::vector<ListedDatabase> rows = {{"Baza", database.Path(), c.Group}};
    c.AsAdministrator ? OpenAsAdministrator(rows) : Open(rows);
    TickUsers({Name("ADAMCZYK")});
    TickNodes({"Baza"});
    Form->SetTabSettings(ProgramGroupIndex(c.Group), VeldarTab(1, true, 2));
    if (!c.Caption.isEmpty())
      Dialogs.AnswerMessage(mrOk);
    Assign();
    ASSERT_EQ(Dialogs.Messages().size(), c.Caption.isEmpty() ? 0u : 1u);
    if (!c.Caption.isEmpty()) {
      const TMessageRequest &message = Dialogs.Messages()[0];
      EXPECT_EQ(message.Caption, c.Caption == "app" ? Application()->Title() : c.Caption);
      EXPECT_TRUE(message.Text.contains(database.SisterPath(".fdr"))) << message.Text.toStdString();
      EXPECT_TRUE(message.Text.startsWith(c.TextStart)) << message.Text.toStdString();
    }
    EXPECT_EQ(RowsOf(database, Name("ADAMCZYK")), c.Written ? 1 : 0);
    EXPECT_EQ(database.RolesOf(Name("ADAMCZYK")), c.Written ? QStringList{"ZAPIS"} : QStringList());
    for (const QString &extension : SisterExtensionsOf(c.Group)) {
      if (c.Options.MissingSisters.contains(extension) || extension == c.Options.GarbageSister)
        continue;
      EXPECT_EQ(database.RolesOf(Name("ADAMCZYK"), extension),
                c.Written ? QStringList{"ZAPIS"} : QStringList())
          << extension.toStdString();
    }
  }
}

} // namespace
