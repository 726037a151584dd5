#include "DatabaseListFormat.h"

#include "Exceptions.h"
#include "Field.h"
#include "woxMemTable.h"

namespace {

// A column name as a message can show it: junk read as a name is cut, its control characters shown
// as "?".
QString Readable(const QString &name) {
  constexpr qsizetype kShown = 40;
  QString shown = name.left(kShown);
  for (QChar &c : shown)
    if (c.category() == QChar::Other_Control)
      c = u'?';
  return name.size() > kShown ? shown + QString::fromUtf8("…") : shown;
}

} // namespace

TDatabaseListFormat::TDatabaseListFormat(QObject *owner) : TwoxCSVStreamFormat(owner) {
  OnFormatLoadField = [this](TwoxCustomStreamFormat *, TField *field, bool &null, QString &data) {
    RefuseOverlongValue(*field, null, data);
  };
}

void TDatabaseListFormat::FindColumnField(TwoxCustomMemTable &table, const QString &name, int pass,
                                          int &fieldIndex) {
  TwoxCSVStreamFormat::FindColumnField(table, name, pass, fieldIndex);
  if (pass != 1 || fieldIndex >= 0)
    return;
  QStringList columns;
  for (int i = 0; i < table.FieldCount(); ++i)
    columns.append(table.Fields(i)->DisplayLabel());
  throw EInOutError(QString::fromUtf8("Kolumna „%1” w pliku %2 nie należy do listy baz (%3); zapis listy by "
                                      "ją pominął.")
                        .arg(Readable(name), FFileName, columns.join(QStringLiteral(", "))));
}

void TDatabaseListFormat::RefuseOverlongValue(const TField &field, bool null, const QString &data) const {
  if (null || field.DataType() != ftString)
    return;
  const qsizetype length = UnescapeCSVText(data).size();
  if (length > field.Size())
    throw EInOutError(
        QString::fromUtf8("Wartość pola „%1” w pliku %2 ma %3 znaków, a pole mieści najwyżej %4.")
            .arg(field.FieldName(), FFileName, QString::number(length), QString::number(field.Size())));
}
