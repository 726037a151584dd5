// The option menu of TExDBGrid, opened from the top-left corner cell.
#include "ExDBGrid.h"

#include "Application.h"
#include "DataSetControls.h"
#include "Dialogs.h"
#include "ExColSelectFrm.h"
#include "ExDBGridPrint.h"
#include "ExDBQbf.h"
#include "ExPrintDialog.h"

#include <QActionGroup>
#include <QMenu>
#include <QPrinter>

namespace {

enum {
  ItemAutoSize = 0,
  ItemAutoWidth = 1,
  ItemDisplayBoolean = 3,
  ItemShowTextEllipsis = 8,
  ItemDisplayImages = 4,
  ItemDisplayMemo = 5,
  ItemDisplayDateTime = 6,
  ItemFullSizeMemo = 10,
  ItemShowTitleEllipsis = 9,
  ItemAllowRowSizing = 12,
  ItemMultiLineTitles = 14,
  ItemMemoEditor = 29,
  ItemRichEditEditor = 30,
  ItemCellHints = 13,
  ItemUseRowColors = 15,
  ItemFixedColumns = 16,
  ItemPrintGrid = 18,
  ItemPrintDataSet = 19,
  ItemSelectAll = 23,
  ItemExportGrid = 21,
  ItemUnselectAll = 24,
  ItemQueryByForm = 26,
  ItemSortByForm = 27,
  ItemCustomize = 32,
  ItemSearchMode = 33,
  ItemSaveLayout = 35,
  ItemLoadLayout = 36
};

} // namespace

void TExDBGrid::BuildMenu() {
  FMenu = new QMenu(this);
  for (const TExMenuRow &row : ExMenuRows()) {
    const bool separator = row.Caption[0] == '-';
    QAction *item = separator ? FMenu->addSeparator() : FMenu->addAction(QString::fromLatin1(row.Caption));
    item->setCheckable(row.Checks);
    // Items stay greyed until a handler is wired, so none pretends to work.
    item->setEnabled(separator);
    FMenuItems.push_back(item);
  }
  QMenu *fixed = new QMenu(FMenu);
  auto *group = new QActionGroup(fixed);
  for (int tag = 1; tag <= 6; ++tag) {
    const int count = tag - 1;
    QAction *sub = fixed->addAction(count == 1 ? QStringLiteral("1 Fixed Column")
                                               : QStringLiteral("%1 Fixed Columns").arg(count));
    sub->setCheckable(true);
    sub->setChecked(count == 0);
    sub->setData(tag);
    group->addAction(sub);
    connect(sub, &QAction::triggered, this, [this, count] {
      RunGuarded([this, count] {
        SetLockedCols(count);
        ApplyLockedColumns();
      });
    });
  }
  FMenuItems[ItemFixedColumns]->setMenu(fixed);
  FMenuItems[ItemFixedColumns]->setEnabled(true);

  Wire(ItemAutoSize,
       [this] { ToggleItem(ItemAutoSize, &TExDBGrid::GridAutoSize, &TExDBGrid::SetGridAutoSize); });
  Wire(ItemAutoWidth, [this] {
    RunGuarded([this] { SetGridAutoWidth(FGridAutoWidth != awNone ? awNone : awUniform); });
    FMenuItems[ItemAutoWidth]->setChecked(FGridAutoWidth != awNone);
  });
  Wire(ItemDisplayBoolean,
       [this] { ToggleItem(ItemDisplayBoolean, &TExDBGrid::DisplayBoolean, &TExDBGrid::SetDisplayBoolean); });
  Wire(ItemShowTextEllipsis, [this] {
    ToggleItem(ItemShowTextEllipsis, &TExDBGrid::ShowTextEllipsis, &TExDBGrid::SetShowTextEllipsis);
  });
  Wire(ItemDisplayImages,
       [this] { ToggleItem(ItemDisplayImages, &TExDBGrid::DisplayImages, &TExDBGrid::SetDisplayImages); });
  Wire(ItemDisplayMemo,
       [this] { ToggleItem(ItemDisplayMemo, &TExDBGrid::DisplayMemo, &TExDBGrid::SetDisplayMemo); });
  Wire(ItemDisplayDateTime, [this] {
    ToggleItem(ItemDisplayDateTime, &TExDBGrid::DisplayDateTime, &TExDBGrid::SetDisplayDateTime);
  });
  Wire(ItemFullSizeMemo,
       [this] { ToggleItem(ItemFullSizeMemo, &TExDBGrid::FullSizeMemo, &TExDBGrid::SetFullSizeMemo); });
  Wire(ItemShowTitleEllipsis, [this] {
    ToggleItem(ItemShowTitleEllipsis, &TExDBGrid::ShowTitleEllipsis, &TExDBGrid::SetShowTitleEllipsis);
  });
  Wire(ItemAllowRowSizing, [this] {
    ToggleItem(ItemAllowRowSizing, &TExDBGrid::RowSizingAllowed, &TExDBGrid::SetRowSizingAllowed);
  });
  Wire(ItemMultiLineTitles, [this] {
    ToggleItem(ItemMultiLineTitles, &TExDBGrid::MultiLineTitles, &TExDBGrid::SetMultiLineTitles);
  });
  Wire(ItemMemoEditor, [this] { ChooseMemoEditor(TMemoInplaceEditor::Memo); });
  Wire(ItemRichEditEditor, [this] { ChooseMemoEditor(TMemoInplaceEditor::RichEdit); });
  Wire(ItemCellHints, [this] { ToggleItem(ItemCellHints, &TExDBGrid::CellHints, &TExDBGrid::SetCellHints); });
  Wire(ItemUseRowColors,
       [this] { ToggleItem(ItemUseRowColors, &TExDBGrid::UseRowColors, &TExDBGrid::SetUseRowColors); });
  Wire(ItemPrintGrid, [this] { Guarded(this, [this] { PrintGrid(); }); });
  Wire(ItemPrintDataSet, [this] { Guarded(this, [this] { PrintDataSet(); }); });
  Wire(ItemExportGrid, [this] { RunGuarded([this] { ExportGrid(QString()); }); });
  Wire(ItemQueryByForm, [this] { Guarded(this, [this] { QueryByForm(*this); }); });
  Wire(ItemSortByForm, [this] { Guarded(this, [this] { SortByForm(*this); }); });
  Wire(ItemCustomize, [this] { Guarded(this, [this] { Customize(); }); });
  Wire(ItemSearchMode,
       [this] { ToggleItem(ItemSearchMode, &TExDBGrid::SearchMode, &TExDBGrid::SetSearchMode); });
  // Layout items change fields and widths with the controls live, so the columns follow at once.
  Wire(ItemSaveLayout, [this] { Guarded(this, [this] { SaveLayout(); }); });
  Wire(ItemLoadLayout, [this] { Guarded(this, [this] { LoadLayout(); }); });
  Wire(ItemSelectAll, [this] { SelectAllRows(true); });
  Wire(ItemUnselectAll, [this] { SelectAllRows(false); });
  UpdateMenuVisibility();
}

void TExDBGrid::Customize() {
  if (!DataLink()->Active())
    return;
  TExColSelectFrm form(this);
  form.SetGrid(this);
  form.SetDataSource(DataSource());
  form.FormActivate();
  const int result = form.ShowModal();
  form.FormClose(result);
  if (FGridAutoSize) {
    FGridAutoSize = false;
    SetGridAutoSize(true);
  }
  if (FGridAutoWidth != awNone)
    ApplyAutoWidth(FGridAutoWidth);
  InvalidateGrid();
  if (result == mrOk && OnCustomize)
    OnCustomize(this);
}

bool TExDBGrid::PrintGrid() {
  return PrintReport([this](QPrinter &printer) { TExDBGridPrint::Grid(*this, FReportCaption, printer); });
}

bool TExDBGrid::PrintDataSet() {
  return PrintReport([this](QPrinter &printer) { TExDBGridPrint::DataSet(*this, FReportCaption, printer); });
}

bool TExDBGrid::PrintReport(const std::function<void(QPrinter &)> &print) {
  if (!DataLink()->Active())
    return false;
  QPrinter printer;
  TExPrintDialog dialog(this);
  if (!dialog.Execute(printer))
    return false;
  printer.setDocName(FReportCaption);
  print(printer);
  return true;
}

void TExDBGrid::Wire(int index, const std::function<void()> &handler) {
  QAction *item = FMenuItems[size_t(index)];
  item->setEnabled(true);
  connect(item, &QAction::triggered, this, handler);
}

void TExDBGrid::RunGuarded(const std::function<void()> &change) {
  Guarded(this, [this, &change] {
    TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (!dataSet)
      return;
    TControlsDisabled disabled(*dataSet);
    change();
  });
}

void TExDBGrid::ToggleItem(int index, bool (TExDBGrid::*getter)() const, void (TExDBGrid::*setter)(bool)) {
  // The triggered item has already flipped its own mark; the property follows what it showed before.
  QAction *item = FMenuItems[size_t(index)];
  const bool wanted = item->isChecked();
  RunGuarded([this, setter, wanted] { (this->*setter)(wanted); });
  item->setChecked((this->*getter)());
}

void TExDBGrid::ChooseMemoEditor(TMemoInplaceEditor editor) {
  RunGuarded([this, editor] { FMemoInplaceEditor = editor; });
  FMenuItems[ItemMemoEditor]->setChecked(FMemoInplaceEditor == TMemoInplaceEditor::Memo);
  FMenuItems[ItemRichEditEditor]->setChecked(FMemoInplaceEditor == TMemoInplaceEditor::RichEdit);
}

void TExDBGrid::SelectAllRows(bool select) {
  RunGuarded([this, select] {
    TDataSet *dataSet = DataLink()->DataSet();
    if (select) {
      SetOptions(Options() | dgMultiSelect);
      for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
        SelectedRows().SetCurrentRowSelected(true);
    } else {
      SetOptions(Options() & ~TDBGridOptions(dgMultiSelect));
      dataSet->First();
    }
  });
}

void TExDBGrid::UpdateMenuChecks() {
  FMenuItems[ItemAutoSize]->setChecked(FGridAutoSize);
  FMenuItems[ItemAutoWidth]->setChecked(FGridAutoWidth != awNone);
  FMenuItems[ItemDisplayBoolean]->setChecked(DisplayBoolean());
  FMenuItems[ItemShowTextEllipsis]->setChecked(ShowTextEllipsis());
  FMenuItems[ItemDisplayImages]->setChecked(DisplayImages());
  FMenuItems[ItemDisplayMemo]->setChecked(DisplayMemo());
  FMenuItems[ItemDisplayDateTime]->setChecked(FDisplayDateTime);
  FMenuItems[ItemFullSizeMemo]->setChecked(FFullSizeMemo);
  FMenuItems[ItemShowTitleEllipsis]->setChecked(ShowTitleEllipsis());
  FMenuItems[ItemAllowRowSizing]->setChecked(RowSizingAllowed());
  FMenuItems[ItemMultiLineTitles]->setChecked(MultiLineTitles());
  FMenuItems[ItemMemoEditor]->setChecked(FMemoInplaceEditor == TMemoInplaceEditor::Memo);
  FMenuItems[ItemRichEditEditor]->setChecked(FMemoInplaceEditor == TMemoInplaceEditor::RichEdit);
  FMenuItems[ItemCellHints]->setChecked(CellHints());
  FMenuItems[ItemUseRowColors]->setChecked(UseRowColors());
  FMenuItems[ItemSearchMode]->setChecked(FSearchMode);
  for (QAction *sub : FMenuItems[ItemFixedColumns]->menu()->actions())
    sub->setChecked(sub->data().toInt() - 1 == FLockedCols);
}

void TExDBGrid::SetExMenuOptions(TExMenuOptions value) {
  if (FExMenuOptions == value)
    return;
  FExMenuOptions = value;
  UpdateMenuVisibility();
  InvalidateGrid();
}

void TExDBGrid::UpdateMenuVisibility() {
  const std::vector<bool> shown = ExMenuItemsShown(FExMenuOptions);
  for (size_t i = 0; i < FMenuItems.size(); ++i)
    FMenuItems[i]->setVisible(shown[i]);
}
