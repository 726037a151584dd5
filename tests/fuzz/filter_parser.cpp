#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "FilterExpr.h"
#include "woxMemTable.h"

#include <QCoreApplication>
#include <cstdint>
#include <limits>

// Any text as the Filter of an in-memory table: parsed, printed, and evaluated over records that
// hold the edges of every type (the smallest and largest numbers, nulls, Polish letters). Whatever
// the text, the answer is a filtered table or an error of the program's own.
namespace {

TwoxMemTable &Table() {
  static TwoxMemTable *table = [] {
    auto *t = new TwoxMemTable;
    t->FieldDefs().Add(QStringLiteral("S"), ftString, 20);
    t->FieldDefs().Add(QStringLiteral("N"), ftInteger);
    t->FieldDefs().Add(QStringLiteral("L"), ftLargeint);
    t->FieldDefs().Add(QStringLiteral("F"), ftFloat);
    t->FieldDefs().Add(QStringLiteral("D"), ftDate);
    t->FieldDefs().Add(QStringLiteral("T"), ftDateTime);
    t->FieldDefs().Add(QStringLiteral("B"), ftBoolean);
    t->FieldDefs().Add(QStringLiteral("M"), ftMemo);
    t->FieldDefs().Add(QStringLiteral("C"), ftCurrency);
    t->Open();
    t->AppendRecord({QString::fromUtf8("Zażółć"), std::numeric_limits<int>::min(),
                     qlonglong(std::numeric_limits<qint64>::min()), -1e308, MinDateTime, MaxDateTime, false,
                     QStringLiteral("100%"), -922337203685477.0});
    t->AppendRecord({QStringLiteral("*?"), std::numeric_limits<int>::max(),
                     qlonglong(std::numeric_limits<qint64>::max()), 1e308, 0.0, EncodeDate(2024, 2, 29), true,
                     QString(), 922337203685477.0});
    t->AppendRecord({});
    return t;
  }();
  return *table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static int argc = 1;
  static char name[] = "filter_parser";
  static char *argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  TwoxMemTable &table = Table();
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
  for (const TFilterOptions options :
       {TFilterOptions(), TFilterOptions(foCaseInsensitive | foNoPartialCompare)}) {
    try {
      TFilterExpr(&table, text, options).Root().ToString();
      table.SetFilterOptions(options);
      table.SetFilter(text);
      table.SetFiltered(true);
      table.RecordCount();
      for (table.First(); !table.Eof(); table.Next())
        table.FieldByName("S")->AsString();
    } catch (const Exception &) {
      // an error of the program's own is a clear refusal
    }
    try {
      table.SetFiltered(false);
      table.SetFilter(QString());
    } catch (const Exception &) {
    }
  }
  return 0;
}
