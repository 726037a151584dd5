#include "ExDBGridPrint.h"

#include "DBGrids.h"
#include "DataSetControls.h"
#include "Exceptions.h"
#include "Field.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>

namespace {

// Starts painting on the printer, or raises the printer's failure.
void Begin(QPainter &painter, QPrinter &printer) {
  if (!painter.begin(&printer))
    throw EInOutError(
        QStringLiteral("Cannot print to \"%1\"")
            .arg(printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName()));
}

// Draws the title at the top of the page; the height it took.
int DrawTitle(QPainter &painter, const QString &title, const QRect &page) {
  if (title.isEmpty())
    return 0;
  QFont font = painter.font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.4);
  painter.save();
  painter.setFont(font);
  const int height = QFontMetrics(font, painter.device()).height();
  painter.drawText(QRect(page.left(), page.top(), page.width(), height), Qt::AlignLeft | Qt::AlignVCenter,
                   title);
  painter.restore();
  return height * 3 / 2;
}

} // namespace

void TExDBGridPrint::Grid(QWidget &grid, const QString &title, QPrinter &printer) {
  const QPixmap picture = grid.grab();
  QPainter painter;
  Begin(painter, printer);
  const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
  const int top = DrawTitle(painter, title, page);
  const QRect room(page.left(), page.top() + top, page.width(), page.height() - top);
  QSize size = picture.size().scaled(room.size(), Qt::KeepAspectRatio);
  if (size.width() > picture.width() * 4)
    size = picture.size() * 4;
  painter.drawPixmap(QRect(room.topLeft(), size), picture);
  painter.end();
}

void TExDBGridPrint::Table(const QStringList &captions, const std::vector<QStringList> &rows,
                           const QString &title, QPrinter &printer) {
  QPainter painter;
  Begin(painter, printer);
  const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
  const QFontMetrics metrics(painter.font(), painter.device());
  const int line = metrics.height() + 2;
  const int columns = std::max<int>(1, int(captions.size()));
  const int width = page.width() / columns;
  int pageNumber = 1;
  int y = 0;
  const auto drawRow = [&](const QStringList &values, bool bold) {
    QFont font = painter.font();
    font.setBold(bold);
    painter.setFont(font);
    for (int c = 0; c < values.size() && c < columns; ++c)
      painter.drawText(QRect(page.left() + c * width, y, width - 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(values[c], Qt::ElideRight, width - 4));
    y += line;
  };
  const auto startPage = [&] {
    y = page.top() + DrawTitle(painter, title, page);
    painter.drawText(QRect(page.left(), page.bottom() - line, page.width(), line), Qt::AlignRight,
                     QString::number(pageNumber));
    drawRow(captions, true);
    painter.drawLine(page.left(), y - 1, page.right(), y - 1);
  };
  startPage();
  for (const QStringList &row : rows) {
    if (y + line > page.bottom() - line) {
      if (!printer.newPage())
        throw EInOutError(QStringLiteral("Cannot start page %1 of the printout").arg(pageNumber + 1));
      ++pageNumber;
      startPage();
    }
    drawRow(row, false);
  }
  painter.end();
}

void TExDBGridPrint::DataSet(TCustomDBGrid &grid, const QString &title, QPrinter &printer) {
  TDataSet *dataSet = grid.DataLink()->Active() ? grid.DataLink()->DataSet() : nullptr;
  if (!dataSet)
    return;
  QStringList captions;
  std::vector<TColumn *> columns;
  for (int i = 0; i < grid.Columns().Count(); ++i)
    if (grid.Columns()[i]->Showing()) {
      columns.push_back(grid.Columns()[i]);
      captions << grid.Columns()[i]->Title().Caption();
    }
  std::vector<QStringList> rows;
  {
    TControlsDisabled disabled(*dataSet);
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
      QStringList values;
      for (TColumn *column : columns)
        values << (column->Field() ? column->Field()->DisplayText() : QString());
      rows.push_back(values);
    }
    dataSet->First();
  }
  Table(captions, rows, title, printer);
}

void TExDBGridPrint::Lines(const QStringList &lines, QPrinter &printer) {
  QPainter painter;
  Begin(painter, printer);
  const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
  const int line = QFontMetrics(painter.font(), painter.device()).height();
  int y = page.top();
  for (const QString &text : lines) {
    if (y + line > page.bottom()) {
      if (!printer.newPage())
        throw EInOutError(QStringLiteral("Cannot start a new page of the printout"));
      y = page.top();
    }
    painter.drawText(QRect(page.left(), y, page.width(), line), Qt::AlignLeft | Qt::TextExpandTabs, text);
    y += line;
  }
  painter.end();
}
