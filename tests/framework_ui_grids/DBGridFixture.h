#pragma once

#include "DBGrids.h"
#include "GridInput.h"
#include "InplaceEdit.h"
#include "UsersFixture.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

// A data grid in a shown window over a users dataset of `count` rows USER01, USER02, ... with
// groups GROUP1 / GROUP2 alternating, the grid focused on the first record.
class DBGridFixture : public testing::Test {
protected:
  void Build(int count) {
    GridInput::UseStableLook();
    delete grid;
    grid = nullptr;
    source.SetDataSet(nullptr);
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 1; i <= count; ++i)
      rows.emplace_back(QStringLiteral("USER%1").arg(i, 2, 10, QChar('0')), i % 2 ? "GROUP1" : "GROUP2");
    users = MakeUsers(rows);
    source.SetDataSet(users.get());
    window.resize(420, 220);
    grid = new TDBGrid(&window);
    grid->setGeometry(0, 0, 420, 220);
    grid->SetDataSource(&source);
    grid->show();
    GridInput::ShowFocused(window, *grid);
  }

  TField *Field(const char *name) const { return users->FieldByName(QString::fromLatin1(name)); }
  QString Name() const { return Field("USER_NAME")->AsString(); }
  QWidget *Focused() const { return QApplication::focusWidget(); }
  // The viewport rectangle of the cell of a data column (0-based) in a window row (0-based).
  QRect DataCell(int dataCol, int dataRow) const {
    return grid->CellRect(dataCol + grid->IndicatorOffset(), dataRow + grid->TitleOffset());
  }
  // Makes the column (by field name) current.
  void SelectColumn(const char *name) { grid->SetSelectedField(Field(name)); }

  // Declared so that the window (with the grid) goes first, then the source, then the dataset.
  std::unique_ptr<TTestDataSet> users;
  TDataSource source;
  QWidget window;
  TDBGrid *grid = nullptr;
};
