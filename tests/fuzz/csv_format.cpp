#include "Exceptions.h"
#include "Fields.h"
#include "woxMemCSVStreamFormat.h"
#include "woxMemTable.h"

#include <QBuffer>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

// Any bytes as a CSV file of the in-memory table ("bazy.txt" is one). A load either succeeds, and what
// it loaded saves and loads again to the same fields and values, or it fails with an error of the
// program's own and leaves the table as it was.
namespace {

struct TSnapshot {
  bool Active = false;
  QStringList Fields, Rows;
  bool operator==(const TSnapshot &) const = default;
};

TSnapshot SnapshotOf(TwoxMemTable &table) {
  TSnapshot snapshot;
  snapshot.Active = table.Active();
  for (int i = 0; i < table.FieldDefs().Count(); ++i) {
    const TFieldDef &def = *table.FieldDefs().Items(i);
    snapshot.Fields << QStringLiteral("%1:%2:%3").arg(def.Name()).arg(int(def.DataType())).arg(def.Size());
  }
  if (table.Active())
    for (table.First(); !table.Eof(); table.Next()) {
      QStringList values;
      for (const TField *field : table.FieldList())
        values << (field->IsNull() ? QStringLiteral("<null>") : field->AsString());
      snapshot.Rows << values.join(QChar(1));
    }
  return snapshot;
}

// The values of the fields that both tables have, record by record.
QStringList ValuesOf(TwoxMemTable &table, const QStringList &fieldNames) {
  QStringList rows;
  for (table.First(); !table.Eof(); table.Next()) {
    QStringList values;
    for (const QString &name : fieldNames) {
      const TField *field = table.FieldByName(name);
      values << (field->IsNull() ? QStringLiteral("<null>") : field->AsString());
    }
    rows << values.join(QChar(1));
  }
  return rows;
}

void Load(TwoxMemTable &table, TwoxCSVStreamFormat &format, const QByteArray &bytes) {
  QByteArray copy = bytes;
  QBuffer stream(&copy);
  stream.open(QIODevice::ReadOnly);
  table.LoadFromStreamViaFormat(&stream, &format);
}

QByteArray Save(TwoxMemTable &table, TwoxCSVStreamFormat &format) {
  QByteArray bytes;
  QBuffer stream(&bytes);
  stream.open(QIODevice::WriteOnly);
  table.SaveToStreamViaFormat(&stream, &format);
  return bytes;
}

// Texts in a definition line that the format reads as flags wherever they stand: a name or label
// holding one does not come back the same, by design of the format.
bool HasFlagText(TwoxMemTable &table) {
  static const char *const flags[] = {",REQ", ",RO", ",INV", ",CASE", ",NONMT", ",DESC", ",UNIQ"};
  QStringList texts;
  for (const TField *field : table.FieldList())
    texts << field->FieldName() << field->DisplayLabel() << field->EditMask() << field->DefaultExpression();
  for (int i = 0; i < table.IndexDefs().Count(); ++i)
    texts << table.IndexDefs().Items(i)->Name() << table.IndexDefs().Items(i)->Fields();
  for (const QString &text : texts)
    for (const char *flag : flags)
      if (text.contains(QLatin1String(flag)) || text.contains(u'=') || text.contains(u'"'))
        return true;
  return false;
}

[[noreturn]] void Fail(const char *what) {
  std::fprintf(stderr, "csv_format: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static int argc = 1;
  static char name[] = "csv_format";
  static char *argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

  TwoxCSVStreamFormat format;
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 20);
  table.FieldDefs().Add(QStringLiteral("Kod"), ftInteger);
  table.FieldDefs().Add(QStringLiteral("Kwota"), ftFloat);
  table.FieldDefs().Add(QStringLiteral("Dnia"), ftDate);
  table.FieldDefs().Add(QStringLiteral("Uwagi"), ftMemo);
  table.IndexDefs().Add(QStringLiteral("ByKod"), QStringLiteral("Kod"), ixUnique);
  table.Open();
  table.AppendRecord({QString::fromUtf8("Księgowość"), 1, 2.5, 45000.0, QStringLiteral("a\r\nb")});
  table.AppendRecord({QStringLiteral("Kadry"), 2});
  const TSnapshot before = SnapshotOf(table);
  try {
    Load(table, format, bytes);
  } catch (const Exception &) {
    if (!(SnapshotOf(table) == before))
      Fail("a failed load changed the table");
    return 0;
  }
  if (!table.Active() || HasFlagText(table))
    return 0;
  const QByteArray saved = Save(table, format);
  TwoxMemTable again;
  try {
    Load(again, format, saved);
  } catch (const Exception &error) {
    std::fprintf(stderr, "%s\n", qPrintable(error.Message()));
    Fail("what was saved does not load");
  }
  QStringList names;
  for (const TField *field : again.FieldList())
    names << field->FieldName();
  for (const QString &fieldName : names) {
    const TField *field = table.FindField(fieldName);
    const TField *copy = again.FieldByName(fieldName);
    if (!field || field->DataType() != copy->DataType() || field->Size() != copy->Size())
      Fail("a field came back different");
  }
  if (ValuesOf(table, names) != ValuesOf(again, names))
    Fail("the values came back different");
  return 0;
}
