// The rights matrix page as a class of its own: the letter a user's roles give, and the page's bytes.
#include "RightsMatrixPage.h"

#include "MatrixFixture.h"

#include "GridInput.h"

#include <gtest/gtest.h>

namespace {

struct CellCase {
  const char *Name;
  QStringList Roles;
  TMatrixCell Cell;
};

class MatrixCellTest : public testing::TestWithParam<CellCase> {};

TEST_P(MatrixCellTest, TheStrongestRoleOfExactlyTheRightNameDecides) {
  EXPECT_EQ(MatrixCellOf(GetParam().Roles), GetParam().Cell);
}

INSTANTIATE_TEST_SUITE_P(
    Roles, MatrixCellTest,
    testing::Values(CellCase{"NoRole", {}, TMatrixCell::None},
                    CellCase{"Zapis", {"ZAPIS"}, TMatrixCell::Write},
                    CellCase{"KorvinZapis", {"KN_ZAPIS"}, TMatrixCell::Write},
                    CellCase{"TormiskZapis", {"TK_ZAPIS"}, TMatrixCell::Write},
                    CellCase{"Odczyt", {"ODCZYT"}, TMatrixCell::Read},
                    CellCase{"KorvinOdczyt", {"KN_ODCZYT"}, TMatrixCell::Read},
                    CellCase{"TormiskOdczyt", {"TK_ODCZYT"}, TMatrixCell::Read},
                    CellCase{"Administrator", {"RDB$ADMIN"}, TMatrixCell::Administrator},
                    CellCase{"RoleThatOnlyContainsZapis", {"ZAPIS_ARCH"}, TMatrixCell::None},
                    CellCase{"RoleThatOnlyContainsOdczyt", {"ODCZYT2"}, TMatrixCell::None},
                    CellCase{"RoleInLowerCase", {"zapis"}, TMatrixCell::None},
                    CellCase{"UnrelatedRole", {"KSIEGOWA"}, TMatrixCell::None},
                    CellCase{"ReadBeforeWrite", {"ODCZYT", "ZAPIS"}, TMatrixCell::Write},
                    CellCase{"WriteBeforeRead", {"ZAPIS", "ODCZYT"}, TMatrixCell::Write},
                    CellCase{
                        "AdministratorLast", {"ODCZYT", "KSIEGOWA", "RDB$ADMIN"}, TMatrixCell::Administrator},
                    CellCase{"UnrelatedBeforeRead", {"ZAPIS_ARCH", "KN_ODCZYT"}, TMatrixCell::Read}),
    [](const testing::TestParamInfo<CellCase> &info) { return std::string(info.param.Name); });

const QByteArray kHead = MatrixPageHead();
const QByteArray kTail = MatrixPageTail();

TEST(RightsMatrixPageTest, HeaderRowOfUsersThenARowOfCellsPerDatabase) {
  TRightsMatrixPage page("10.12.2026 09:05:30", {"NOWAK", QString::fromUtf8("ŻÓŁW")});
  page.AddDatabase(QString::fromUtf8("Mapy powiatu"), {TMatrixCell::Write, TMatrixCell::None});
  page.AddDatabase(QString::fromUtf8("Ewidencja gruntów"), {TMatrixCell::Read, TMatrixCell::Administrator});
  EXPECT_EQ(page.Bytes(), kHead +
                              "<td width=\"50\" align=center>NOWAK</td>\r\n"
                              "<td width=\"50\" align=center>\xAF\xD3\xA3W</td>\r\n"
                              "</tr>\r\n"
                              "<tr>\r\n<td>Mapy powiatu</td>\r\n"
                              "<td align=center>Z</td>\r\n<td align=center>&nbsp</td>\r\n</tr>\r\n"
                              "<tr>\r\n<td>Ewidencja grunt\xF3w</td>\r\n"
                              "<td align=center>O</td>\r\n<td align=center>A</td>\r\n</tr>\r\n" +
                              kTail);
}

TEST(RightsMatrixPageTest, NamesAreWrittenAsTextNotMarkup) {
  TRightsMatrixPage page("10.12.2026 09:05:30", {"A<B&C", "\"Q\">"});
  page.AddDatabase("<b>Mapy</b> & co", {TMatrixCell::None, TMatrixCell::Read});
  EXPECT_EQ(page.Bytes(), kHead +
                              "<td width=\"50\" align=center>A&lt;B&amp;C</td>\r\n"
                              "<td width=\"50\" align=center>&quot;Q&quot;&gt;</td>\r\n"
                              "</tr>\r\n"
                              "<tr>\r\n<td>&lt;b&gt;Mapy&lt;/b&gt; &amp; co</td>\r\n"
                              "<td align=center>&nbsp</td>\r\n<td align=center>O</td>\r\n</tr>\r\n" +
                              kTail);
}

TEST(RightsMatrixPageTest, NoUserGivesTheCornerCellAndANameCellPerDatabase) {
  TRightsMatrixPage page("10.12.2026 09:05:30", {});
  page.AddDatabase("Mapy", {});
  page.AddDatabase("Ewidencja", {});
  EXPECT_EQ(page.Bytes(),
            kHead + "</tr>\r\n<tr>\r\n<td>Mapy</td>\r\n</tr>\r\n<tr>\r\n<td>Ewidencja</td>\r\n</tr>\r\n" +
                kTail);
}

TEST(RightsMatrixPageTest, NoDatabaseGivesTheHeaderRowOnly) {
  TRightsMatrixPage page("10.12.2026 09:05:30", {"NOWAK"});
  EXPECT_EQ(page.Bytes(), kHead + "<td width=\"50\" align=center>NOWAK</td>\r\n</tr>\r\n" + kTail);
}

TEST(RightsMatrixPageTest, ANameWindows1250LacksIsWrittenAsACharacterReference) {
  TRightsMatrixPage page("10.12.2026 09:05:30", {QString::fromUtf8("ЖУК")});
  EXPECT_EQ(page.Bytes(),
            kHead + "<td width=\"50\" align=center>&#1046;&#1059;&#1050;</td>\r\n</tr>\r\n" + kTail);
}

} // namespace
