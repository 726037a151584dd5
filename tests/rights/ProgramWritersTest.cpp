// The eighteen writers on their fixture databases: a new row, the same row written again, and the
// personal data taken again only when "Podmieniaj dane osobowe" is ticked.
#include "RightsFormFixture.h"
#include "UserRows.h"
#include "WriterCases.h"

#include <QCheckBox>

namespace {

using ProgramWriters = RightsFormTest;

// One run writes one database of every group; the same user is written three times.
TEST_F(ProgramWriters, EveryGroupWritesANewRowThenTheRightsOfTheExistingOne) {
  const std::vector<WriterCase> &cases = WriterCases();
  ASSERT_EQ(cases.size(), size_t(ProgramGroupCount));
  std::vector<ListedDatabase> list;
  for (const WriterCase &c : cases) {
    ApplicationDatabaseOptions options;
    if (c.Utf8)
      options.CharacterSet = "UTF8";
    Databases.push_back(std::make_unique<ApplicationDatabase>(c.Group, options));
    list.push_back({QStringLiteral("Baza %1").arg(c.Group), Databases.back()->Path(), c.Group});
  }
  Open(list);
  const QString user = People->Person("NOWAK").Name;
  TickUsers({user});
  TickNodes({"Programy"});

  const auto run = [&](TTabSettings WriterCase::*settings, bool replace) {
    for (const WriterCase &c : cases)
      Form->SetTabSettings(ProgramGroupIndex(c.Group), c.*settings);
    Form->CBDaneOsobowe->setChecked(replace);
    Assign();
    EXPECT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
  };
  const auto check = [&](const char *stage, const QString &personal, QString WriterCase::*rights,
                         QString WriterCase::*role) {
    for (size_t i = 0; i < cases.size(); ++i) {
      const WriterCase &c = cases[i];
      SCOPED_TRACE(QStringLiteral("%1, %2").arg(c.Group, stage).toStdString());
      ApplicationDatabase &database = *Databases[i];
      EXPECT_EQ(RowOf(database, user, c.PersonalColumns),
                personal.isEmpty() ? c.Personal : WithFirstValue(c.Personal, personal));
      EXPECT_EQ(RowOf(database, user, c.IdentityColumns), c.Identity);
      EXPECT_EQ(RowOf(database, user, c.RightsColumns), c.*rights);
      EXPECT_EQ(RowsOf(database, user), 1);
      EXPECT_EQ(database.RolesOf(user), QStringList{c.*role});
    }
  };

  run(&WriterCase::First, false);
  check("a new row", {}, &WriterCase::FirstRights, &WriterCase::FirstRole);
  EXPECT_EQ(Form->FKorvinObjectRights, -1) << "the KORVIN writer keeps the object mask it wrote";

  for (size_t i = 0; i < cases.size(); ++i) {
    const ApplicationUserTable table = UserTableOf(cases[i].Group);
    Databases[i]->Execute(
        QStringLiteral("update %1 set %2 = 'Stare'").arg(table.Table, cases[i].PersonalColumns.first()));
  }
  run(&WriterCase::Second, false);
  check("the existing row", "Stare", &WriterCase::SecondRights, &WriterCase::SecondRole);

  run(&WriterCase::Second, true);
  check("the personal data replaced", {}, &WriterCase::SecondRights, &WriterCase::SecondRole);

  // BAVIRO's case files follow the level: 2 for write, 1 for read.
  EXPECT_EQ(
      Databases[pgBaviro]
          ->QueryValue("select list(ID_SPRAWY || ':' || PRAWO, ',') from (select * from PRAWA where IDO = 1 "
                       "order by ID_SPRAWY)")
          .toString(),
      "1:1,2:1,5:1");
}

} // namespace
