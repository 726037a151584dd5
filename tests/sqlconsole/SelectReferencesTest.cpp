#include "SelectReferences.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase {
  const char *Name;
  const char *Sql;
  QStringList Sources; // "PKG.NAME" for a packaged one
  QStringList Calls;
  bool Steps;
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
        ScanCase{"NoSelect", "commit", {}, {}, false}),
    [](const testing::TestParamInfo<ScanCase> &info) { return std::string(info.param.Name); });

} // namespace
