#pragma once

#include "Forms.h"

#include <QStringList>
#include <memory>

class QPushButton;
class QTableWidget;
class TCustomDBGrid;
class TDataSet;

// What the query and sort dialog needs of an indexed table: a dataset that offers it (and a database
// table, TIBTable) can be ordered by key fields and narrowed to key values. Other datasets, the
// memory tables among them, are refused.
class TQbfTable {
public:
  virtual ~TQbfTable() = default;
  virtual QString TableName() const = 0;
  // Fields separated by ";" order the table.
  virtual void SetIndexFieldNames(const QString &fieldNames) = 0;
  // Only the records whose named fields have these texts; the table goes to the first of them.
  virtual void ApplyKeyRange(const QStringList &fieldNames, const QStringList &values) = 0;
  virtual void CancelRange() = 0;
};

enum class TQbfMode { Query, Sort };

// The query-by-form and sort-by-form dialog: one row per field of the grid (label, value, name).
class TdlgExDBQbf : public TForm {
public:
  explicit TdlgExDBQbf(QWidget *owner = nullptr);
  ~TdlgExDBQbf() override;

  QTableWidget *gridQBF() const { return FGrid; }
  QPushButton *OKBtn() const { return FOKBtn; }
  QPushButton *CancelBtn() const { return FCancelBtn; }

  // Checks the grid and fills the rows; false (after a warning) when the grid cannot be served.
  bool Setup(TCustomDBGrid &grid, TQbfMode mode);
  // The key fields in row order: every row (at most 10) for sorting, the rows with a value for a query.
  QStringList KeyFields() const;
  void OKBtnClick();

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  QStringList ValuesOf(const QStringList &fieldNames) const;
  int RowAtVisual(int visual) const;
  TQbfTable *Table() const;

  QTableWidget *FGrid;
  QPushButton *FOKBtn;
  QPushButton *FCancelBtn;
  TDataSet *FDataSet = nullptr;
  // The dialog's view of a database table.
  std::unique_ptr<TQbfTable> FIBTable;
  TQbfMode FMode = TQbfMode::Query;
};

// The menu's entries: create the dialog, run it and release it.
void QueryByForm(TCustomDBGrid &grid);
void SortByForm(TCustomDBGrid &grid);
