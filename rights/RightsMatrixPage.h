#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// What a user holds in one database, as a cell of the rights matrix shows it.
enum class TMatrixCell {
  None,         // none of the roles below: an empty cell
  Read,         // a group's read role (ODCZYT, KN_ODCZYT, TK_ODCZYT): "O"
  Write,        // a group's write role (ZAPIS, KN_ZAPIS, TK_ZAPIS): "Z"
  Administrator // RDB$ADMIN: "A"
};

// The cell of a user who holds these roles in a database. Role names count only when they equal a
// program group's read or write role or the administrator role; of several, the strongest counts:
// administrator, then write, then read.
TMatrixCell MatrixCellOf(const QStringList &roles);

// The rights matrix page: a small title table with the time of the run, then one table with a
// header row of the picked users and a row per picked database with each user's cell. Users and
// databases are added in the order they are to be shown; names are written as HTML text. Lines end
// with CR LF; the file is Windows-1250.
class TRightsMatrixPage {
public:
  // Starts the page: its head, the title table with the time of the run as text, and the header row.
  TRightsMatrixPage(const QString &generated, const QStringList &users);

  // A database's row: its name and one cell per user, in the users' order.
  void AddDatabase(const QString &name, const std::vector<TMatrixCell> &cells);

  // The whole page, closing lines included.
  QString Text() const;
  // The page as the file holds it.
  QByteArray Bytes() const;

private:
  QString FText;
  size_t FUserCount;
};
