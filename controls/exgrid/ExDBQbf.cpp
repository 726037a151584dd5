#include "ExDBQbf.h"

#include "DB.h"
#include "DBGrids.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "Field.h"
#include "IBTable.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int SortRowLimit = 10;
enum { ColLabel, ColValue, ColName };

bool HasRow(TFieldType type) {
  return type != ftUnknown && type != ftBytes && type != ftVarBytes && type != ftBlob && type != ftMemo &&
         type != ftGraphic;
}

// The string grid of the dialog; OK takes a value still being typed along.
class TQbfGrid : public QTableWidget {
public:
  using QTableWidget::QTableWidget;
  void CommitEdit() {
    QWidget *editor = focusWidget();
    if (state() == EditingState && editor && editor != this && isAncestorOf(editor)) {
      commitData(editor);
      closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }
};

// What the dialog does to a database table: it orders it by the key fields and narrows it to the
// records whose key fields show the typed values (a filter that the next query replaces).
class TIBTableQbf : public TQbfTable {
public:
  explicit TIBTableQbf(TIBTable &table) : FTable(table) {}
  QString TableName() const override { return FTable.TableName(); }
  void SetIndexFieldNames(const QString &fieldNames) override { FTable.SetIndexFieldNames(fieldNames); }
  void ApplyKeyRange(const QStringList &fieldNames, const QStringList &values) override {
    CancelRange();
    auto *range = new TKeyRange(&FTable);
    range->Saved = FTable.OnFilterRecord;
    range->WasFiltered = FTable.Filtered();
    FTable.OnFilterRecord = [fieldNames, values](TDataSet *dataSet, bool &accept) {
      for (int i = 0; i < fieldNames.size() && accept; ++i)
        accept = dataSet->FieldByName(fieldNames[i])->Text() == values[i];
    };
    FTable.SetFiltered(false);
    FTable.SetFiltered(true);
    FTable.First();
  }
  void CancelRange() override {
    TKeyRange *range = nullptr;
    for (QObject *child : FTable.children())
      if ((range = dynamic_cast<TKeyRange *>(child)))
        break;
    if (!range)
      return;
    FTable.OnFilterRecord = range->Saved;
    const bool filtered = range->WasFiltered;
    delete range;
    FTable.SetFiltered(false);
    FTable.SetFiltered(filtered);
  }

private:
  // The filter the table had before the range, kept with the table while the range is on.
  class TKeyRange : public QObject {
  public:
    using QObject::QObject;
    std::function<void(TDataSet *, bool &)> Saved;
    bool WasFiltered = false;
  };

  TIBTable &FTable;
};

bool Refuse(const char *text) {
  MessageDlg(QString::fromLatin1(text), mtWarning, {mbOK});
  return false;
}

void RunQbf(TCustomDBGrid &grid, TQbfMode mode) {
  TdlgExDBQbf dialog(&grid);
  if (dialog.Setup(grid, mode))
    dialog.ShowModal();
}

} // namespace

TdlgExDBQbf::~TdlgExDBQbf() = default;

TdlgExDBQbf::TdlgExDBQbf(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("dlgExDBQbf"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  resize(408, 175);
  FGrid = new TQbfGrid(0, 3, this);
  FGrid->setObjectName(QStringLiteral("gridQBF"));
  FGrid->setFixedSize(305, 157);
  FGrid->verticalHeader()->setSectionsMovable(true);
  FGrid->verticalHeader()->setDefaultSectionSize(16);
  FGrid->setColumnHidden(ColName, true);
  FOKBtn = new QPushButton(QStringLiteral("&Ok"), this);
  FOKBtn->setFixedSize(75, 23);
  FCancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
  FCancelBtn->setFixedSize(75, 23);
  auto *buttons = new QVBoxLayout;
  buttons->addWidget(FOKBtn);
  buttons->addWidget(FCancelBtn);
  buttons->addStretch();
  auto *layout = new QHBoxLayout(this);
  layout->addWidget(FGrid);
  layout->addLayout(buttons);
  connect(FOKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(FCancelBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

bool TdlgExDBQbf::Setup(TCustomDBGrid &grid, TQbfMode mode) {
  if (grid.FieldCount() == 0)
    return Refuse("QBF called for a Grid without any Fields");
  if (!grid.DataSource())
    return Refuse("QBF called for a Grid without a DataSource");
  FDataSet = grid.DataSource()->DataSet();
  if (!FDataSet)
    return Refuse("QBF called for a Grid with a DataSource without a DataSet");
  if (auto *ibTable = dynamic_cast<TIBTable *>(FDataSet))
    FIBTable = std::make_unique<TIBTableQbf>(*ibTable);
  TQbfTable *table = Table();
  if (!table)
    return Refuse("QBF called for a Grid with a wrong DataSource Type");
  FMode = mode;
  const bool sorting = mode == TQbfMode::Sort;
  SetCaption((sorting ? QStringLiteral(" Sort Order For Table ") : QStringLiteral(" Query For Table ")) +
             table->TableName());
  FGrid->setHorizontalHeaderLabels(
      {QStringLiteral(" Field "), sorting ? QString() : QStringLiteral(" Value "), QString()});
  FGrid->horizontalHeader()->setDefaultSectionSize(sorting ? 300 : 150);
  FGrid->setRowCount(0);
  for (int i = 0; i < grid.FieldCount(); ++i) {
    TField *field = grid.Fields(i);
    if (!field || !HasRow(field->DataType()))
      continue;
    const int row = FGrid->rowCount();
    FGrid->insertRow(row);
    auto *label = new QTableWidgetItem(field->DisplayLabel());
    label->setFlags(label->flags() & ~Qt::ItemIsEditable);
    FGrid->setItem(row, ColLabel, label);
    auto *value = new QTableWidgetItem(QString());
    if (sorting)
      value->setFlags(value->flags() & ~Qt::ItemIsEditable);
    FGrid->setItem(row, ColValue, value);
    FGrid->setItem(row, ColName, new QTableWidgetItem(field->FieldName()));
  }
  return true;
}

int TdlgExDBQbf::RowAtVisual(int visual) const { return FGrid->verticalHeader()->logicalIndex(visual); }

QStringList TdlgExDBQbf::KeyFields() const {
  QStringList names;
  const bool sorting = FMode == TQbfMode::Sort;
  const int rows = sorting ? std::min(FGrid->rowCount(), SortRowLimit) : FGrid->rowCount();
  for (int visual = 0; visual < rows; ++visual) {
    const int row = RowAtVisual(visual);
    if (sorting || !FGrid->item(row, ColValue)->text().isEmpty())
      names << FGrid->item(row, ColName)->text();
  }
  return names;
}

QStringList TdlgExDBQbf::ValuesOf(const QStringList &fieldNames) const {
  QStringList values;
  for (const QString &name : fieldNames)
    for (int row = 0; row < FGrid->rowCount(); ++row)
      if (FGrid->item(row, ColName)->text() == name)
        values << FGrid->item(row, ColValue)->text();
  return values;
}

TQbfTable *TdlgExDBQbf::Table() const {
  return FIBTable ? FIBTable.get() : dynamic_cast<TQbfTable *>(FDataSet);
}

void TdlgExDBQbf::OKBtnClick() {
  static_cast<TQbfGrid *>(FGrid)->CommitEdit();
  if (TQbfTable *table = Table()) {
    const QStringList keys = KeyFields();
    table->SetIndexFieldNames(keys.join(u';'));
    if (FMode == TQbfMode::Query && !keys.isEmpty())
      table->ApplyKeyRange(keys, ValuesOf(keys));
    else
      table->CancelRange();
    FDataSet->Refresh();
  }
  SetModalResult(mrOk);
}

void TdlgExDBQbf::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    SetModalResult(mrCancel);
    return;
  }
  TForm::keyPressEvent(event);
}

void QueryByForm(TCustomDBGrid &grid) { RunQbf(grid, TQbfMode::Query); }
void SortByForm(TCustomDBGrid &grid) { RunQbf(grid, TQbfMode::Sort); }
