#include "DatabaseListFile.h"

#include "woxMemCSVStreamFormat.h"
#include "woxMemTable.h"

void WriteDatabaseList(const QString &fileName, const std::vector<ListedDatabase> &rows,
                       DatabaseListLayout layout) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 200);
  table.FieldDefs().Add(QStringLiteral("Baza"), ftString, 300);
  table.FieldDefs().Add(QStringLiteral("Grupa"), ftString, 100);
  TwoxCSVStreamFormat format;
  if (layout == DatabaseListLayout::ListWindow) {
    format.SetsfDef(0);
    format.SetsfQuoteOnlyStrings(sfSaveQuoteOnlyStrings);
  }
  format.SetsfFieldKind(sfSaveFieldKind | sfLoadFieldKind);
  table.SetDefaultFormat(&format);
  table.Open();
  for (const ListedDatabase &row : rows)
    table.AppendRecord({row.Nazwa, row.Baza, row.Grupa});
  table.SaveToFile(fileName);
}
