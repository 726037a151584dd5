#pragma once

#include "Exceptions.h"
#include "woxMemCSVStreamFormat.h"

#include <QString>

class TwoxMemTable;

// Why "bazy.txt" was not taken, in Polish and naming the file.
class EDatabaseListError : public EInOutError {
public:
  using EInOutError::EInOutError;
};

// The CSV format of "bazy.txt" as both rights windows read it. A list read with a loss is refused
// as if it could not be read, since the list window would then write the loss back over the file:
// a value longer than its field would be cut, a column the list does not have (junk read as a
// header among them) or a value past the header's columns would be dropped, a column the header
// lacks would be written empty in every row, and rows after a blank first line would be left out.
// A row of nothing but blanks is no row.
class TDatabaseListFormat : public TwoxCSVStreamFormat {
public:
  explicit TDatabaseListFormat(QObject *owner = nullptr);

  // The file the messages name.
  void SetFileName(const QString &fileName) { FFileName = fileName; }

protected:
  void FindColumnField(TwoxCustomMemTable &table, const QString &name, int pass, int &fieldIndex) override;
  void LoadRecords(TwoxCustomMemTable &table) override;
  bool LoadRecord(TwoxCustomMemTable &table) override;

private:
  void RefuseOverlongValue(const TField &field, bool null, const QString &data) const;
  void RefuseMissingColumn(TwoxCustomMemTable &table) const;
  void RefuseValuesPastColumns(TwoxCustomMemTable &table);

  QString FFileName;
};

// Reads "bazy.txt" into the table through its default format. The reader's own messages are
// English: they reach the person inside a Polish sentence that names the file.
void LoadDatabaseList(TwoxMemTable &table, const QString &fileName);
