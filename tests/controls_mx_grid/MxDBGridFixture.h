#pragma once

#include "DataSource.h"
#include "Fields.h"
#include "GridDriver.h"
#include "MxDBCtrl.h"
#include "UsersFixture.h"

#include <QWidget>
#include <gtest/gtest.h>

// A TMxDBGrid named "UsrGrid" in a shown window over a users dataset of `count` rows USER01,
// USER02, ... with groups GROUP1 / GROUP2 alternating; focused on the first record.
class MxDBGridFixture : public testing::Test {
protected:
  void Build(int count, bool customColumns = false) {
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 1; i <= count; ++i)
      rows.emplace_back(QStringLiteral("USER%1").arg(i, 2, 10, QChar('0')), i % 2 ? "GROUP1" : "GROUP2");
    users = MakeUsers(rows);
    source.SetDataSet(users.get());
    window.resize(420, 260);
    grid = new TMxDBGrid(&window);
    grid->setObjectName("UsrGrid");
    grid->setGeometry(0, 0, 420, 260);
    if (customColumns)
      for (const char *name : {"USER_NAME", "GRUPA", "ID"}) {
        TColumn *column = grid->Columns().Add();
        column->SetFieldName(name);
        column->SetWidth(100);
      }
    grid->SetDataSource(&source);
    GridInput::UseStableLook();
    GridInput::ShowFocused(window, *grid);
  }

  TField *Field(const char *name) const { return users->FieldByName(QString::fromLatin1(name)); }
  QString Name() const { return Field("USER_NAME")->AsString(); }
  QWidget &View() const { return *grid->viewport(); }
  // The viewport rectangle of a data column (0-based) in a window row (0-based).
  QRect DataCell(int dataCol, int dataRow) const {
    return grid->CellRect(dataCol + grid->IndicatorOffset(), dataRow + grid->TitleOffset());
  }
  QRect TitleCell(int dataCol) const { return grid->CellRect(dataCol + grid->IndicatorOffset(), 0); }
  QRect IndicatorCell(int dataRow) const { return grid->CellRect(0, dataRow + grid->TitleOffset()); }
  QImage Shot() const { return grid->viewport()->grab().toImage(); }
  QStringList SelectedNames() {
    QStringList names;
    const TBookmark current = users->GetBookmark();
    for (int i = 0; i < grid->SelectedRows().Count(); ++i) {
      users->GotoBookmark(grid->SelectedRows().Items(i));
      names << Name();
    }
    users->GotoBookmark(current);
    return names;
  }

  std::unique_ptr<TTestDataSet> users;
  TDataSource source;
  QWidget window;
  TMxDBGrid *grid = nullptr;
};
