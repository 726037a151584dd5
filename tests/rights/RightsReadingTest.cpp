// What the readers make of stored values and of a user's roles, without a database.
#include "Exceptions.h"
#include "ProgramGroups.h"
#include "ProgramUserTables.h"

#include <gtest/gtest.h>

namespace {

struct TessalCase {
  const char *Name;
  const char *Letters;
  QStringList Ticked;
};

void PrintTo(const TessalCase &c, std::ostream *os) { *os << c.Name; }

const TessalCase kTessalCases[] = {
    {"TheExample", "AlaSpe", {"al", "aa", "sp", "se"}},
    {"RowsOutOfOrderTickInTheTabsOrder", "DuAlaSpe", {"al", "aa", "sp", "se", "du"}},
    {"APriceListRight", "AaPe", {"aa", "pe"}},
    {"NoUpperCaseLetterTicksNothing", "aape", {}},
    {"LettersBeforeTheFirstRowTickNothing", "peAl", {"al"}},
    // Only the boxes the tab has: row A offers l and a, row O no r, and "Sx" no box at all.
    {"LettersTheRowDoesNotOfferArePassedOver", "ApOrSx", {}},
    // An upper-case letter that is no row letter is a right letter: "aB" is no box.
    {"AnUpperCaseRightLetterIsNoBox", "ABa", {"aa"}},
    {"ARowTwiceTicksBoth", "SpSe", {"sp", "se"}},
    {"OtherCharactersArePassedOver", " A l1a ", {"al", "aa"}},
    {"Empty", "", {}},
};

class TessalLetterParse : public testing::TestWithParam<TessalCase> {};

TEST_P(TessalLetterParse, TicksTheBoxesOfEachRow) {
  EXPECT_EQ(TessalTickedBoxes(QString::fromUtf8(GetParam().Letters)), GetParam().Ticked);
}

INSTANTIATE_TEST_SUITE_P(Cases, TessalLetterParse, testing::ValuesIn(kTessalCases),
                         [](const testing::TestParamInfo<TessalCase> &info) { return info.param.Name; });

// Whatever the writer makes of a set of boxes, the reader ticks exactly those boxes again.
TEST(TessalLetterParse, ReadsBackEveryLetterStringTheWriterMakes) {
  const QStringList &all = TessalBoxNames();
  ASSERT_EQ(all.size(), 43);
  for (qsizetype i = 0; i < all.size(); ++i) {
    const QStringList some = {all[i], all[(i * 7 + 3) % all.size()], all[(i * 13 + 5) % all.size()]};
    QStringList inTabOrder;
    for (const QString &box : all)
      if (some.contains(box))
        inTabOrder << box;
    EXPECT_EQ(TessalTickedBoxes(TessalLetters(some)), inTabOrder) << TessalLetters(some).toStdString();
  }
  EXPECT_EQ(TessalTickedBoxes(TessalLetters(all)), all);
}

// A value as the row holds it, put through one column of the description on the tab a reader
// starts from.
TTabSettings Read(int group, const char *column, const QVariant &value) {
  for (const TRightsColumn &rights : ProgramUserTable(group).Rights)
    if (rights.Column == QLatin1String(column)) {
      TTabSettings tab = ResetTabSettings(group);
      ReadRightsColumn(rights, value, tab);
      return tab;
    }
  ADD_FAILURE() << "no column " << column;
  return {};
}

// Every tab resets to level 0 and nothing ticked, but SARNIK's and TULVAR's boxes, which a user
// without a row shows ticked.
TEST(RightsColumnsRead, EachGroupResetsToItsOwnValues) {
  for (int group = 0; group < ProgramGroupCount; ++group) {
    SCOPED_TRACE(ProgramGroups()[size_t(group)].Name.toStdString());
    TTabSettings expected;
    if (group == pgSarnik)
      expected.Ticked = {"CBSarnik"};
    if (group == pgTulvar)
      expected.Ticked = {"CBTulvar"};
    EXPECT_EQ(ResetTabSettings(group), expected);
  }
}

TEST(RightsColumnsRead, BrontelOptionsTickTheirItemsAndNothingAbove) {
  EXPECT_EQ(Read(pgBrontel, "OPCJE", 5).ListMask, 0x5u) << "items 0 and 2";
  EXPECT_EQ(Read(pgBrontel, "OPCJE", 0x7FFF).ListMask, 0x1FFu) << "bits above 8 are no items";
  EXPECT_EQ(Read(pgBrontel, "OPCJE", -1).ListMask, 0x1FFu);
  EXPECT_EQ(Read(pgBrontel, "OPCJE", QVariant()).ListMask, 0u) << "null ticks none";
  EXPECT_EQ(Read(pgBrontel, "ILE", 250).RecordLimit, 250);
  EXPECT_EQ(Read(pgBrontel, "ILE", QVariant()).RecordLimit, 0);
}

TEST(RightsColumnsRead, MasksKeepEveryBit) {
  EXPECT_EQ(Read(pgTormisk, "PRAWA", 5).Rights, 5);
  EXPECT_EQ(Read(pgTormisk, "PRAWA", 0x135).Rights, 0x135) << "bits above 8 stay in the mask";
  EXPECT_EQ(Read(pgTormisk, "PRAWA", QVariant()).Rights, 0);
  EXPECT_EQ(Read(pgKorvin, "RIGHTS", 0x7000008).Rights, 0x7000008);
  EXPECT_EQ(Read(pgKorvin, "OBJRIGHTS", -1).ListMask, 0xFFFFFFFFu) << "item 32 is the sign bit";
}

struct BoxCase {
  const char *Name;
  int Group;
  const char *Column;
  QVariant Value;
  QStringList Ticked;
};

void PrintTo(const BoxCase &c, std::ostream *os) { *os << c.Name; }

const BoxCase kBoxCases[] = {
    {"OneTicks", pgSarnik, "OPCJE", 1, {"CBSarnik"}},
    {"ZeroClears", pgSarnik, "OPCJE", 0, {}},
    {"NullClears", pgTulvar, "ACCESS", QVariant(), {}},
    {"OnlyOneTicks", pgBaviro, "OPCJE", 2, {}},
    {"ANegativeClears", pgKaprena, "OPCJE", -1, {}},
    {"FennosNullClears", pgFenno, "PRAWA", QVariant(), {}},
    {"FennosOneTicks", pgFenno, "PRAWA", 1, {"FENNOCheckBox"}},
    {"HolmarsEditIsOdsetki", pgHolmar, "EDIT", 1, {"CheckBoxODS"}},
    {"ATextOfDigitsIsANumber", pgDravel, "ADM", QStringLiteral("1"), {"CBDravelADM"}},
    // Constant columns have no control: whatever they hold, the tab stays as it is.
    {"PlomersPrawaHasNoControl", pgPlomer, "PRAWA", 1, {}},
    {"NirvosAccessHasNoControl", pgNirvos, "ACCESS", 1, {}},
    {"TessalsLetters", pgTessal, "PRAWA", QStringLiteral("AlDu"), {"al", "du"}},
    {"TessalsNullLetters", pgTessal, "PRAWA", QVariant(), {}},
};

class BoxColumns : public testing::TestWithParam<BoxCase> {};

TEST_P(BoxColumns, TickTheirControlOnlyForOne) {
  const BoxCase &c = GetParam();
  EXPECT_EQ(Read(c.Group, c.Column, c.Value).Ticked, c.Ticked);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoxColumns, testing::ValuesIn(kBoxCases),
                         [](const testing::TestParamInfo<BoxCase> &info) { return info.param.Name; });

TEST(RightsColumnsRead, AValueThatIsNoWholeNumberIsAConversionError) {
  EXPECT_THROW(Read(pgSarnik, "OPCJE", QStringLiteral("tak")), EConvertError);
  EXPECT_THROW(Read(pgKorvin, "RIGHTS", QStringLiteral("")), EConvertError);
}

struct LevelCase {
  const char *Name;
  int Group;
  QStringList Roles;
  int Level;
};

void PrintTo(const LevelCase &c, std::ostream *os) { *os << c.Name; }

const LevelCase kLevelCases[] = {
    {"NoRole", pgPlomer, {}, -1},
    {"UnrelatedRoleFirst", pgPlomer, {"INNA", "ZAPIS"}, rlWrite},
    {"AnotherGroupsRolesOnly", pgPlomer, {"KN_ZAPIS", "TK_ODCZYT"}, -1},
    {"ReadAndWrite", pgPlomer, {"ODCZYT", "ZAPIS"}, rlWrite},
    {"WriteAndRead", pgPlomer, {"ZAPIS", "ODCZYT"}, rlWrite},
    {"AdministratorAndRead", pgVeldar, {"RDB$ADMIN", "ODCZYT"}, rlAdministrator},
    {"ReadAndAdministrator", pgVeldar, {"ODCZYT", "RDB$ADMIN"}, rlAdministrator},
    {"KorvinsOwnRoles", pgKorvin, {"ZAPIS", "KN_ODCZYT"}, rlRead},
    {"TormisksOwnRoles", pgTormisk, {"TK_ZAPIS", "TK_ODCZYT", "ODCZYT"}, rlWrite},
    {"KaprenaWithAdministratorOnly", pgKaprena, {"RDB$ADMIN"}, -1},
    {"KaprenaWithAdministratorAndWrite", pgKaprena, {"RDB$ADMIN", "ZAPIS"}, rlWrite},
    {"CaseCounts", pgPlomer, {"zapis", "Odczyt"}, -1},
};

class LevelFromRoles : public testing::TestWithParam<LevelCase> {};

TEST_P(LevelFromRoles, TakesTheGroupsStrongestRole) {
  const LevelCase &c = GetParam();
  EXPECT_EQ(RightsLevelOf(c.Roles, ProgramGroups()[size_t(c.Group)]), c.Level);
}

INSTANTIATE_TEST_SUITE_P(Cases, LevelFromRoles, testing::ValuesIn(kLevelCases),
                         [](const testing::TestParamInfo<LevelCase> &info) { return info.param.Name; });

// "Baza skanów" read from the ".fdr" file is what the writer would give it again.
TEST(ScansBase, ReadsBackWhatTheWriterGave) {
  EXPECT_EQ(ScansOfSisterLevel(-1), 0) << "Brak";
  EXPECT_EQ(ScansOfSisterLevel(rlRead), 1) << "Tylko odczyt";
  EXPECT_EQ(ScansOfSisterLevel(rlWrite), 2) << "Zapis i odczyt";
  EXPECT_EQ(ScansOfSisterLevel(rlAdministrator), 2);
  for (int scans = 0; scans <= 2; ++scans) {
    TTabSettings tab;
    tab.Level = rlWrite;
    tab.Scans = scans;
    EXPECT_EQ(ScansOfSisterLevel(SisterLevel(TSisterLevel::ScansBase, tab)), scans);
  }
}

} // namespace
