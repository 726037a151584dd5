#include "TessalRights.h"

#include <QSet>
#include <array>

const std::vector<TTessalRow> &TessalRows() {
  static const std::vector<TTessalRow> rows = {
      {'a', "Administracja", "la"},
      {'s', "Kaprena", "peurnkcd"},
      {'m', "Mapy drukowane", "peur"},
      {'k', "KERG", "peur"},
      {'z', "Z - zasób1 Kmz/Kme", "peurw"},
      {'p', "P - zasób2 Ope/Szk", "peurw"},
      {'u', "U - ZUD", "peurw"},
      {'w', "Holmar", "peur"},
      {'o', "O - słownik Osób", "peu"},
      {'d', "D - słowniki\r\n      systemowe", "peu"},
  };
  return rows;
}

const QStringList &TessalBoxNames() {
  static const QStringList names = [] {
    QStringList all;
    for (const TTessalRow &row : TessalRows())
      for (const char *right = row.Rights; *right; ++right)
        all.append(QString(QChar::fromLatin1(row.Letter)) + QChar::fromLatin1(*right));
    return all;
  }();
  return names;
}

void AddRightLetter(QChar Row, QString &Group, QChar Letter) {
  if (Group.isEmpty())
    Group = QString(Row) + Letter;
  else
    Group += Letter;
}

QString TessalLetters(const QStringList &tickedBoxes) {
  const QString rows = QString::fromLatin1(TessalRowLetters);
  std::array<QString, sizeof TessalRowLetters - 1> groups;
  for (const QString &name : tickedBoxes) {
    if (name.size() < 2)
      continue;
    const qsizetype row = rows.indexOf(name[0].toUpper());
    if (row >= 0 && name[0].isLower())
      AddRightLetter(name[0].toUpper(), groups[static_cast<size_t>(row)], name[1]);
  }
  QString letters;
  for (const QString &group : groups)
    letters += group;
  return letters;
}

QStringList TessalTickedBoxes(const QString &letters) {
  const QString rows = QString::fromLatin1(TessalRowLetters);
  QSet<QString> named;
  QChar row;
  for (const QChar c : letters) {
    if (rows.contains(c))
      row = c;
    else if (!row.isNull())
      named.insert(QString(row.toLower()) + c);
  }
  QStringList ticked;
  for (const QString &box : TessalBoxNames())
    if (named.contains(box))
      ticked.append(box);
  return ticked;
}
