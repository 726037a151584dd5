#include "DatabaseListFormat.h"

#include "Field.h"
#include "woxMemTable.h"

#include <algorithm>

namespace {

// A text read from the file as a message can show it: junk is cut, its control characters shown
// as "?".
QString Readable(const QString &name) {
  constexpr qsizetype kShown = 40;
  QString shown = name.left(kShown);
  for (QChar &c : shown)
    if (c.category() == QChar::Other_Control)
      c = u'?';
  return name.size() > kShown ? shown + QString::fromUtf8("…") : shown;
}

// The list's columns as the messages name them.
QString ColumnList(TwoxCustomMemTable &table) {
  QStringList columns;
  for (int i = 0; i < table.FieldCount(); ++i)
    columns.append(table.Fields(i)->DisplayLabel());
  return columns.join(QStringLiteral(", "));
}

bool IsBlank(const TField &field) { return field.IsNull() || field.AsString().trimmed().isEmpty(); }

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
  throw EDatabaseListError(
      QString::fromUtf8("Kolumna „%1” w pliku %2 nie należy do listy baz (%3); zapis listy "
                        "by ją pominął.")
          .arg(Readable(name), FFileName, ColumnList(table)));
}

void TDatabaseListFormat::LoadRecords(TwoxCustomMemTable &table) {
  RefuseMissingColumn(table);
  TwoxCSVStreamFormat::LoadRecords(table);
  // The reader stops at an empty line, which only a file that starts with one gives it.
  if (DataLeft())
    throw EDatabaseListError(QString::fromUtf8("Plik %1 ma pusty wiersz %2 przed dalszymi wierszami: lista "
                                               "została odczytana tylko do niego, a jej zapis pominąłby "
                                               "resztę pliku.")
                                 .arg(FFileName, QString::number(LineNumber())));
}

bool TDatabaseListFormat::LoadRecord(TwoxCustomMemTable &table) {
  TwoxCSVStreamFormat::LoadRecord(table);
  RefuseValuesPastColumns(table);
  const std::vector<TField *> &fields = table.FieldList();
  return !std::all_of(fields.begin(), fields.end(), [](const TField *field) { return IsBlank(*field); });
}

void TDatabaseListFormat::RefuseOverlongValue(const TField &field, bool null, const QString &data) const {
  if (null || field.DataType() != ftString)
    return;
  const qsizetype length = UnescapeCSVText(data).size();
  if (length > field.Size())
    throw EDatabaseListError(
        QString::fromUtf8("Wartość pola „%1” w pliku %2 ma %3 znaków, a pole mieści najwyżej %4.")
            .arg(field.FieldName(), FFileName, QString::number(length), QString::number(field.Size())));
}

void TDatabaseListFormat::RefuseMissingColumn(TwoxCustomMemTable &table) const {
  const std::vector<int> &columns = LoadFields();
  for (int i = 0; i < table.FieldCount(); ++i)
    if (std::find(columns.begin(), columns.end(), i) == columns.end())
      throw EDatabaseListError(
          QString::fromUtf8("W nagłówku pliku %1 brak kolumny „%2” listy baz (%3); zapis "
                            "listy zostawiłby ją pustą w każdym wierszu.")
              .arg(FFileName, table.Fields(i)->DisplayLabel(), ColumnList(table)));
}

// Values past the header's columns are not read into the row; blanks lose nothing.
void TDatabaseListFormat::RefuseValuesPastColumns(TwoxCustomMemTable &table) {
  QString value;
  bool null;
  while (LineHasText()) {
    ReadToken(value, null);
    if (!null && !value.trimmed().isEmpty())
      throw EDatabaseListError(
          QString::fromUtf8("Wiersz %1 pliku %2 ma więcej wartości niż kolumn listy baz "
                            "(%3); zapis listy pominąłby wartość „%4”.")
              .arg(QString::number(LineNumber()), FFileName, ColumnList(table), Readable(value)));
  }
}

void LoadDatabaseList(TwoxMemTable &table, const QString &fileName) {
  try {
    table.LoadFromFile(fileName);
  } catch (const EDatabaseListError &) {
    throw;
  } catch (const Exception &error) {
    throw EDatabaseListError(
        QString::fromUtf8("Odczyt listy baz z pliku %1 przerwał błąd: %2").arg(fileName, error.Message()));
  }
}
