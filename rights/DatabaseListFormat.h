#pragma once

#include "woxMemCSVStreamFormat.h"

#include <QString>

// The CSV format of "bazy.txt" as both rights windows read it. A list read with a loss is refused
// as if it could not be read, since the list window would then write the loss back over the file:
// a value longer than its field would be cut, and a column the list does not have (junk read as a
// header among them) would be dropped.
class TDatabaseListFormat : public TwoxCSVStreamFormat {
public:
  explicit TDatabaseListFormat(QObject *owner = nullptr);

  // The file the messages name.
  void SetFileName(const QString &fileName) { FFileName = fileName; }

protected:
  void FindColumnField(TwoxCustomMemTable &table, const QString &name, int pass, int &fieldIndex) override;

private:
  void RefuseOverlongValue(const TField &field, bool null, const QString &data) const;

  QString FFileName;
};
