#pragma once

#include <QString>
#include <vector>

// One row of "bazy.txt".
struct ListedDatabase {
  QString Nazwa;
  QString Baza;
  QString Grupa;
};

enum class DatabaseListLayout {
  // As the database-list window saves it: a header line and the records.
  ListWindow,
  // With the table-definition section before them.
  WithDefinitions,
};

// Writes the rows as "bazy.txt" (any file name) through the in-memory table's CSV format.
void WriteDatabaseList(const QString &fileName, const std::vector<ListedDatabase> &rows,
                       DatabaseListLayout layout = DatabaseListLayout::ListWindow);
