#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// TESSAL keeps a user's rights as a string of letters: an upper-case row letter, then the user's
// right letters in that row ("AlaSpeDu"). Its tab has one box per row and right, named row letter
// + right letter in lower case ("al", "aa", "sp", ...).

// A row of the tab, in the tab's order: its letter, its label and the right letters it offers.
struct TTessalRow {
  char Letter;
  const char *Label;
  const char *Rights;
};
const std::vector<TTessalRow> &TessalRows();
// The 43 box names in the tab's control order: row by row, each row's rights in its order.
const QStringList &TessalBoxNames();

// The row letters in the order their groups join in the letter string.
inline constexpr char TessalRowLetters[] = "ASMKZPWODU";

// Adds a right letter to the group string of a row ("Sp" + 'e' = "Spe"); an empty group string
// starts with the row letter.
void AddRightLetter(QChar Row, QString &Group, QChar Letter);
// The letter string of the ticked boxes named row letter + right letter, rows in the order
// A, S, M, K, Z, P, W, O, D, U, each row's rights in the order given; "" when none is ticked.
QString TessalLetters(const QStringList &tickedBoxes);
// The boxes a letter string ticks, in the tab's control order. An upper-case row letter starts a
// row; every other character after it names the box lower-case row letter + that character, which
// is ticked when the tab has it. Characters before the first row letter tick nothing.
QStringList TessalTickedBoxes(const QString &letters);
