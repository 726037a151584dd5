#pragma once

#include "DataSource.h"
#include "ExDBGrid.h"
#include "Field.h"
#include "GridInput.h"
#include "TestDataSet.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

// A TExDBGrid in a shown window over rows (ID, USER_NAME, CHECK boolean, LEVEL integer).
class ExDBGridFixture : public testing::Test {
protected:
  void Build(const std::vector<std::tuple<QString, bool, int>> &rows, QSize size = QSize(420, 260)) {
    data = std::make_unique<TTestDataSet>();
    data->FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0, true);
    data->FieldDefs().Add(QStringLiteral("USER_NAME"), ftString, 60);
    data->FieldDefs().Add(QStringLiteral("CHECK"), ftBoolean);
    data->FieldDefs().Add(QStringLiteral("LEVEL"), ftInteger);
    data->Open();
    int id = 1;
    for (const auto &[name, check, level] : rows)
      data->AppendRecord({id++, name, check, level});
    data->First();
    source.SetDataSet(data.get());
    window.resize(size);
    grid = new TExDBGrid(&window);
    grid->setGeometry(QRect(QPoint(0, 0), size));
    grid->SetScrollBars(ssNone);
    grid->SetDataSource(&source);
    grid->Columns()[1]->SetWidth(100);
    GridInput::UseStableLook();
    GridInput::ShowFocused(window, *grid);
  }

  TField *Field(const char *name) const { return data->FieldByName(QString::fromLatin1(name)); }
  QWidget &View() const { return *grid->viewport(); }
  QRect DataCell(int dataCol, int dataRow) const {
    return grid->CellRect(dataCol + grid->IndicatorOffset(), dataRow + grid->TitleOffset());
  }
  QImage Shot() const { return grid->viewport()->grab().toImage(); }
  void MoveMouse(QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, grid->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
  }
  // Dark pixels (the tick) inside the rectangle.
  static int DarkPixels(const QImage &image, const QRect &rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if (qGray(image.pixel(x, y)) < 80)
          ++count;
    return count;
  }
  static QRect BoxIn(const QRect &cell) {
    const QSize box = TExDBGrid::CheckBoxSize();
    return QRect(cell.left() + (cell.width() - box.width()) / 2 + 2,
                 cell.top() + (cell.height() - box.height()) / 2 + 2, box.width() - 4, box.height() - 4);
  }

  std::unique_ptr<TTestDataSet> data;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};
