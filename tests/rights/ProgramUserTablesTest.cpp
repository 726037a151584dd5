// What the writers compute from a tab, without a database.
#include "ProgramUserTables.h"
#include "ProgramGroups.h"
#include "ProgramRightsWriter.h"

#include <gtest/gtest.h>

namespace {

// TESSAL's 43 boxes in the tab's control order.
const QStringList kAllTessalBoxes = {"al", "aa", "sp", "se", "su", "sr", "sn", "sk", "sc", "sd", "mp",
                                     "me", "mu", "mr", "kp", "ke", "ku", "kr", "zp", "ze", "zu", "zr",
                                     "zw", "pp", "pe", "pu", "pr", "pw", "up", "ue", "uu", "ur", "uw",
                                     "wp", "we", "wu", "wr", "op", "oe", "ou", "dp", "de", "du"};

struct LettersCase {
  const char *Name;
  QStringList Ticked;
  QString Letters;
};

void PrintTo(const LettersCase &c, std::ostream *os) { *os << c.Name; }

const LettersCase kLettersCases[] = {
    {"NoneTicked", {}, ""},
    {"TheExample", {"al", "aa", "sp", "se", "du"}, "AlaSpeDu"},
    // The rows join in the order A S M K Z P W O D U, whatever order the boxes come in.
    {"RowsJoinInTheirOwnOrder", {"up", "du", "wr", "al"}, "AlWrDuUp"},
    {"AllOfThem", kAllTessalBoxes, "AlaSpeurnkcdMpeurKpeurZpeurwPpeurwWpeurOpeuDpeuUpeurw"},
    // Only names of a lower-case row letter count; other names on the tab are passed over.
    {"OtherNamesArePassedOver", {"Al", "x1", "s", "BAVIROCheckBox", "sp"}, "Sp"},
};

class TessalLetterString : public testing::TestWithParam<LettersCase> {};

TEST_P(TessalLetterString, JoinsTheRowsOfTheTickedBoxes) {
  EXPECT_EQ(TessalLetters(GetParam().Ticked), GetParam().Letters);
}

INSTANTIATE_TEST_SUITE_P(Cases, TessalLetterString, testing::ValuesIn(kLettersCases),
                         [](const testing::TestParamInfo<LettersCase> &info) { return info.param.Name; });

TEST(TessalLetterString, NoBoxTickedIsAnEmptyStringNotNull) {
  const TProgramUserTable &tessal = ProgramUserTable(pgTessal);
  const TRightsColumn &prawa = tessal.Rights.back();
  ASSERT_EQ(prawa.Column, "PRAWA");
  const QVariant value = RightsColumnValue(prawa, TTabSettings{});
  EXPECT_FALSE(value.isNull());
  EXPECT_EQ(value.toString(), "");
}

TEST(TessalLetterString, AddRightLetterStartsAGroupWithItsRow) {
  QString group;
  AddRightLetter(u'S', group, u'p');
  EXPECT_EQ(group, "Sp");
  AddRightLetter(u'S', group, u'e');
  EXPECT_EQ(group, "Spe");
}

struct IdentityCase {
  const char *Name;
  const char *Pesel;
  bool Usable;
  qint32 Id;
};

void PrintTo(const IdentityCase &c, std::ostream *os) { *os << c.Name; }

const IdentityCase kIdentityCases[] = {
    {"ElevenDigits", "12345678901", true, 123456890},
    {"SeventhAndEleventhLeftOut", "85030412345", true, 850304234},
    {"TheSameIdForAnotherSeventhAndEleventh", "85030422346", true, 850304234},
    {"LeadingZeros", "00000100009", true, 1000},
    {"TenCharacters", "1234567890", false, 0},
    {"Twelve", "123456789012", false, 0},
    {"Empty", "", false, 0},
    {"ALetterAmongTheUsedNine", "12345A78901", false, 0},
    {"ALetterInTheSeventhPlaceIsNotUsed", "123456X8901", true, 123456890},
    {"ABlankInside", "123456 8901", true, 123456890},
    {"ASignIsNoDigit", "+2345678901", false, 0},
    {"ArabicIndicDigitsAreNoDigits", "١٢٣٤٥٦٧٨٩٠١", false, 0},
};

class VeldarIdentity : public testing::TestWithParam<IdentityCase> {};

TEST_P(VeldarIdentity, TakesNineOfTheElevenCharacters) {
  const IdentityCase &c = GetParam();
  qint32 id = -7;
  EXPECT_EQ(IdentityNumberId(QString::fromUtf8(c.Pesel), id), c.Usable);
  EXPECT_EQ(id, c.Usable ? c.Id : -7) << "a refused number leaves the ID alone";
}

INSTANTIATE_TEST_SUITE_P(Cases, VeldarIdentity, testing::ValuesIn(kIdentityCases),
                         [](const testing::TestParamInfo<IdentityCase> &info) { return info.param.Name; });

struct SisterLevelCase {
  const char *Name;
  TSisterLevel Rule;
  int Level;
  QStringList Ticked;
  int Scans;
  int Expected;
};

void PrintTo(const SisterLevelCase &c, std::ostream *os) { *os << c.Name; }

const SisterLevelCase kSisterLevelCases[] = {
    {"AsTabRead", TSisterLevel::AsTab, 0, {}, 0, 0},
    {"AsTabNone", TSisterLevel::AsTab, -1, {}, 0, -1},
    {"PrintingAdministrator", TSisterLevel::Printing, 2, {}, 0, 2},
    {"PrintingTickedWrites", TSisterLevel::Printing, 0, {"PrintCheck"}, 0, 1},
    {"PrintingUntickedReads", TSisterLevel::Printing, 1, {"EditCheck"}, 0, 0},
    {"ScansAdministrator", TSisterLevel::ScansBase, 2, {}, 0, 2},
    {"ScansNone", TSisterLevel::ScansBase, 1, {}, 0, -1},
    {"ScansRead", TSisterLevel::ScansBase, 1, {}, 1, 0},
    {"ScansWrite", TSisterLevel::ScansBase, 0, {}, 2, 1},
};

class SisterLevels : public testing::TestWithParam<SisterLevelCase> {};

TEST_P(SisterLevels, FollowTheTab) {
  const SisterLevelCase &c = GetParam();
  TTabSettings tab;
  tab.Level = c.Level;
  tab.Ticked = c.Ticked;
  tab.Scans = c.Scans;
  EXPECT_EQ(SisterLevel(c.Rule, tab), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SisterLevels, testing::ValuesIn(kSisterLevelCases),
                         [](const testing::TestParamInfo<SisterLevelCase> &info) { return info.param.Name; });

TEST(RightsColumns, TakeTheTabsValues) {
  TTabSettings tab;
  tab.Ticked = {"FENNOCheckBox"};
  tab.ListMask = 0xFFFFFFFFu;
  tab.RecordLimit = 2.7;
  tab.Rights = 0x2000;
  const auto value = [&tab](TRightsValue kind, const char *control = "") {
    return RightsColumnValue({"C", kind, control}, tab);
  };
  EXPECT_EQ(value(TRightsValue::Box, "FENNOCheckBox"), 1);
  EXPECT_EQ(value(TRightsValue::Box, "CBSarnik"), 0);
  EXPECT_EQ(value(TRightsValue::BoxOrNull, "FENNOCheckBox"), 1);
  EXPECT_TRUE(value(TRightsValue::BoxOrNull, "CBSarnik").isNull());
  EXPECT_EQ(value(TRightsValue::Zero), 0);
  EXPECT_TRUE(value(TRightsValue::Null).isNull());
  EXPECT_EQ(value(TRightsValue::ListMask).toInt(), -1) << "item 32 is bit 31";
  EXPECT_EQ(value(TRightsValue::RecordLimit).toLongLong(), 2);
  EXPECT_EQ(value(TRightsValue::RightsMask), 0x2000);
  EXPECT_EQ(RoleColumnValue(0), "ODCZYT");
  EXPECT_EQ(RoleColumnValue(1), "ZAPIS");
  EXPECT_EQ(RoleColumnValue(2), "RDB$ADMIN");
  EXPECT_TRUE(RoleColumnValue(-1).isNull());
}

// Every control a column names is a control of the group's tab; the readers find them by name.
TEST(RightsColumns, NameControlsOfTheirGroupsTab) {
  const std::map<int, QStringList> controls = {
      {pgKorvin, {"ObjectRights"}},
      {pgVeldar, {"ADMCheck", "PrintCheck", "EditCheck", "ExpCheck"}},
      {pgSarnik, {"CBSarnik"}},
      {pgTulvar, {"CBTulvar"}},
      {pgBrontel, {"BrontelIle", "CLBBrontel"}},
      {pgFenno, {"FENNOCheckBox"}},
      {pgDravel, {"CBDravelADM", "CBDravelPRINT", "CBDravelEDIT"}},
      {pgHolmar, {"CheckBoxADM", "CheckBoxPRINT", "CheckBoxODS"}},
      {pgBaviro, {"BAVIROCheckBox"}},
      {pgKaprena, {"FINANSECheckBox"}},
  };
  for (int group = 0; group < ProgramGroupCount; ++group) {
    SCOPED_TRACE(ProgramGroups()[static_cast<size_t>(group)].Name.toStdString());
    QStringList named;
    for (const TRightsColumn &column : ProgramUserTable(group).Rights)
      if (!column.Control.isEmpty())
        named << column.Control;
    const auto expected = controls.find(group);
    EXPECT_EQ(named, expected == controls.end() ? QStringList() : expected->second);
  }
}

struct SisterPathCase {
  const char *Name;
  const char *Path;
  const char *Sister;
};

void PrintTo(const SisterPathCase &c, std::ostream *os) { *os << c.Name; }

const SisterPathCase kSisterPathCases[] = {
    {"ServerAndUnixPath", "127.0.0.1/3050:/data/ewid.fdb", "127.0.0.1/3050:/data/ewid.fdd"},
    {"ServerAndDrivePath", "srv:C:\\Bazy\\ewid.fdb", "srv:C:\\Bazy\\ewid.fdd"},
    {"NoExtension", "srv:/data/ewid", "srv:/data/ewid.fdd"},
    {"ADotInAFolderOnly", "srv:/data.v2/ewid", "srv:/data.v2/ewid.fdd"},
    {"TheLastExtensionOnly", "srv:/data/ewid.2024.fdb", "srv:/data/ewid.2024.fdd"},
    {"AnAlias", "srv:ewidencja", "srv:ewidencja.fdd"},
    {"NoServer", "/data/ewid.fdb", "/data/ewid.fdd"},
};

class SisterPaths : public testing::TestWithParam<SisterPathCase> {};

TEST_P(SisterPaths, ReplaceTheExtensionAndKeepTheServer) {
  EXPECT_EQ(SisterFilePath(GetParam().Path, ".fdd"), GetParam().Sister);
}

INSTANTIATE_TEST_SUITE_P(Cases, SisterPaths, testing::ValuesIn(kSisterPathCases),
                         [](const testing::TestParamInfo<SisterPathCase> &info) { return info.param.Name; });

} // namespace
