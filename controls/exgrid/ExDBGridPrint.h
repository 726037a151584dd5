#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;
class TCustomDBGrid;

// The printouts of the grid's menu, drawn on any printer.
class TExDBGridPrint {
public:
  // The grid as it shows on the screen, scaled to fit the page under the title.
  static void Grid(QWidget &grid, const QString &title, QPrinter &printer);
  // A table of rows under the title and the column captions, as many pages as it takes; each page
  // carries the title and its number.
  static void Table(const QStringList &captions, const std::vector<QStringList> &rows, const QString &title,
                    QPrinter &printer);
  // The captions and display texts of the grid's visible columns over every record of its dataset,
  // from the first (the dataset is left on its first record).
  static void DataSet(TCustomDBGrid &grid, const QString &title, QPrinter &printer);
  // Plain lines, as many pages as they take.
  static void Lines(const QStringList &lines, QPrinter &printer);
};
