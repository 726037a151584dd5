#include "SelectReferences.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase {
  const char *Name;
  const char *Sql;
  QStringList Sources; // "PKG.NAME" for a packaged one
  QStringList Calls;
  bool Steps;
  QStringList Casts = {};
  bool Locks = false;
  bool Missing = false; // no source found for some query
};

void PrintTo(const ScanCase &c, std::ostream *out) { *out << c.Name; }

QStringList Texts(const QList<TObjectName> &names) {
  QStringList texts;
  for (const TObjectName &name : names)
    texts.append(name.Package.isEmpty() ? name.Name : name.Package + u'.' + name.Name);
  return texts;
}

class ScanSelectTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanSelectTest, FindsTheNamesInSourceAndCallPlaces) {
  const ScanCase &c = GetParam();
  const TSelectReferences found = ScanSelect(QString::fromUtf8(c.Sql));
  EXPECT_EQ(Texts(found.Sources), c.Sources);
  EXPECT_EQ(Texts(found.Calls), c.Calls);
  EXPECT_EQ(found.StepsSequence, c.Steps);
  EXPECT_EQ(Texts(found.Casts), c.Casts);
  EXPECT_EQ(found.LocksRows, c.Locks);
  EXPECT_EQ(found.SourceMissing, c.Missing);
}

INSTANTIATE_TEST_SUITE_P(
    Selects, ScanSelectTest,
    testing::Values(
        ScanCase{"Table", "select * from t1", {"T1"}, {}, false},
        ScanCase{"Procedure", "select R from P2", {"P2"}, {}, false},
        ScanCase{"ProcedureWithArguments", "select R from P3(1, 'a') x", {"P3"}, {}, false},
        ScanCase{"CommaList", "select * from T1 a, P2 b , \"p 3\"", {"T1", "P2", "p 3"}, {}, false},
        ScanCase{"Joins",
                 "select * from T1 left outer join P2 on 1 = 1 cross join T2 natural join P3",
                 {"T1", "P2", "T2", "P3"},
                 {},
                 false},
        ScanCase{"ColumnNamedLikeAProcedure",
                 "select P2, T1.P2, x.P2 from T1 x order by 1, P2",
                 {"T1"},
                 {},
                 false},
        ScanCase{"NamesInCommentsAndLiterals",
                 "select 'from P2', q'{ ' from P3 }' /* from P4 */ -- from P5\r\n from T1",
                 {"T1"},
                 {},
                 false},
        ScanCase{"AlternativeLiteralHidesNothingAfterIt", "select q'{'}' from P2 --'", {"P2"}, {}, false},
        ScanCase{"QuotedNamesKeepTheirCase",
                 "select * from \"p2\" join \"P\"\"Q\" on 1=1",
                 {"p2", "P\"Q"},
                 {},
                 false},
        ScanCase{"PackagedProcedure", "select * from PKG.P2", {"PKG.P2"}, {}, false},
        ScanCase{"Functions",
                 "select F(1), pkg.g (2), \"f\"(3), upper(NAME) from T1",
                 {"T1"},
                 {"F", "PKG.G", "f", "UPPER"},
                 false},
        ScanCase{"SubqueryAndDerivedTable",
                 "select (select R from P2) from (select ID from T1) d where exists (select 1 from P3)",
                 {"P2", "T1", "P3"},
                 {"EXISTS"}, // a keyword before "(" is left for the database to disown
                 false},
        ScanCase{"ParenthesisedJoin", "select * from (T1 join P2 on 1 = 1)", {"T1", "P2"}, {}, false},
        ScanCase{"FromInsideFunctionsIsNoSource",
                 "select extract(year from P2), substring(P3 from 1 for 2), trim(both from P4) from T1 "
                 "where A is distinct from P5",
                 {"T1"},
                 {"EXTRACT", "SUBSTRING", "TRIM"},
                 false},
        ScanCase{"CommonTableOverAProcedure",
                 "with X as (select R from P2), Y (A) as (select 1 from T1) select * from X, Y",
                 {"P2", "T1"},
                 {},
                 false},
        ScanCase{"CommonTableNamedLikeAProcedureHidesItAfterItsBody",
                 "with P2 as (select 1 A from T1) select * from P2",
                 {"T1"},
                 {},
                 false},
        ScanCase{"ANameUsedBeforeItsCommonTableIsTheProcedure",
                 "with X as (select R from P2), P2 as (select 1 A from T1) select * from X",
                 {"P2", "T1"},
                 {},
                 false},
        ScanCase{"RecursiveCommonTableNamedLikeAProcedureStillCounts",
                 "with recursive P2 as (select 1 A from T1 union all select A + 1 from P2 where A < 3) "
                 "select * from P2",
                 {"T1", "P2"},
                 {},
                 false},
        ScanCase{"NestedCommonTableHidesNothing",
                 "select * from (with P2 as (select 1 A from T1) select * from P2) d, P2",
                 {"T1", "P2", "P2"},
                 {},
                 false},
        ScanCase{"Union", "select ID from T1 union all select R from P2 order by 1", {"T1", "P2"}, {}, false},
        ScanCase{"KeywordAfterAComma",
                 "select * from T1, P2 where ID = 1 group by ID, P3",
                 {"T1", "P2"},
                 {},
                 false},
        ScanCase{"GenId", "select gen_id(G, 10) from RDB$DATABASE", {"RDB$DATABASE"}, {}, true},
        ScanCase{
            "GenIdOfZeroReads", "select GEN_ID( \"G\" , 0 ) from RDB$DATABASE", {"RDB$DATABASE"}, {}, false},
        ScanCase{
            "GenIdOfAParameter", "select gen_id(G, :STEP) from RDB$DATABASE", {"RDB$DATABASE"}, {}, true},
        ScanCase{"NextValueFor", "select next value for G from RDB$DATABASE", {"RDB$DATABASE"}, {}, true},
        ScanCase{"ColumnsNamedNextAndGenId", "select NEXT, GEN_ID, \"NEXT\" from T1", {"T1"}, {}, false},
        ScanCase{"ParametersAreNoNames", "select * from T1 where ID = :P2 and NAME = ?", {"T1"}, {}, false},
        ScanCase{"NoSelect", "commit", {}, {}, false, {}, false, true},
        // Numbers end where the server's lexer ends them: what cannot continue one starts the next token.
        ScanCase{"NumberGluedToFrom", "select 1from P3", {"P3"}, {}, false},
        ScanCase{"ExponentGluedToFrom", "select 1e1from P3, T1", {"P3", "T1"}, {}, false},
        ScanCase{"PointGluedToFrom", "select 1.from P3 join T1 on 1 = 1", {"P3", "T1"}, {}, false},
        ScanCase{"SignedExponentsAndLeadingPoints",
                 "select 1.5e-3from P3 where ID = .5e+1or ID = 5.E1and 1 in (select .5from T1)",
                 {"P3", "T1"},
                 {"IN"},
                 false},
        ScanCase{"ASecondExponentIsAnAlias", "select 1e1e1 from P3", {"P3"}, {}, false},
        ScanCase{"HexNumbers", "select 0x1Fe1 + 0XaB, 0x from P3, T1", {"P3", "T1"}, {}, false},
        ScanCase{"GluedNumberInAUnion", "select 1 from T1 union select 2from P3", {"T1", "P3"}, {}, false},
        ScanCase{"LiteralsGluedToFrom",
                 "select x'41'from P3 where 'a''b' = q'{a'b}'and \"A\"\"B\"= 1or NAME=''",
                 {"P3"},
                 {},
                 false},
        ScanCase{"CommentsGluedToWords", "select 1/**/from/**/P3--x\n,T1", {"P3", "T1"}, {}, false},
        ScanCase{"ALineCommentEndsAtALoneCR", "select 1 from T1 -- note\r, P3", {"T1", "P3"}, {}, false},
        ScanCase{"CommentsDoNotNest", "select 1 from /* /* */ P3 -- */", {"P3"}, {}, false},
        ScanCase{
            "WithLock", "select ID from T1 where ID = 1 with /* rows */ lock", {"T1"}, {}, false, {}, true},
        ScanCase{"ForUpdate", "select ID from T1 for update of ID", {"T1"}, {}, false, {}, true},
        ScanCase{"CommonTablesNamedLock",
                 "with lock as (select 1 A from T1), X as (select 1 A from lock) select * from X",
                 {"T1"},
                 {},
                 false},
        ScanCase{"CommonTableNamedLockWithColumns",
                 "with lock (B) as (select 1 A from T1) select * from lock",
                 {"T1"},
                 {},
                 false},
        ScanCase{"CastsNameTheirDomains",
                 "select cast(ID as D1), cast(cast(NAME as \"d 2\") as varchar(5)), ID as D3 from T1",
                 {"T1"},
                 {"CAST", "CAST", "CAST", "VARCHAR"},
                 false,
                 {"D1", "d 2", "VARCHAR"}},
        ScanCase{"NoFromAtAll", "select 1", {}, {}, false, {}, false, true},
        ScanCase{"ASubqueryWithoutSource",
                 "select 1 from T1 where exists (select 1)",
                 {"T1"},
                 {"EXISTS"},
                 false,
                 {},
                 false,
                 true},
        ScanCase{"AnUnterminatedCommentHidesTheRest", "select 1 /* from P3", {}, {}, false, {}, false, true}),
    [](const testing::TestParamInfo<ScanCase> &info) { return std::string(info.param.Name); });

} // namespace
