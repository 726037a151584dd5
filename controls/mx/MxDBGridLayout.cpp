#include "MxDBGridLayout.h"

#include "DB.h"
#include "DBUtils.h"
#include "MxDBCtrl.h"
#include "MxPlacement.h"

namespace {

TDataSet *GridDataSet(const TMxDBGrid &grid) {
  return grid.DataSource() ? grid.DataSource()->DataSet() : nullptr;
}

QString ColumnKey(const TMxDBGrid &grid, const TColumn *column) {
  return QStringLiteral("%1.%2").arg(grid.objectName(), column->FieldName());
}

} // namespace

TMxDBGridLayout::TMxDBGridLayout(TMxDBGrid &grid) : FGrid(grid), FIniLink(std::make_unique<TIniLink>()) {
  FIniLink->OnSave = [this](TIniLink *sender) { LinkSave(sender); };
  FIniLink->OnLoad = [this](TIniLink *sender) { LinkLoad(sender); };
}

TMxDBGridLayout::~TMxDBGridLayout() = default;

TFormPlacement *TMxDBGridLayout::Storage() const { return FIniLink->Storage(); }

void TMxDBGridLayout::SetStorage(TFormPlacement *value) { FIniLink->SetStorage(value); }

QString TMxDBGridLayout::LinkSection() const {
  const QString root = FIniLink->RootSection();
  if (FGrid.Columns().State() == csCustomized)
    return root + GetDefaultSection(&FGrid);
  TDataSet *dataSet = GridDataSet(FGrid);
  return !root.isEmpty() && dataSet ? root + DataSetSectionName(dataSet) : QString();
}

void TMxDBGridLayout::LinkSave(TIniLink *Sender) {
  if (!FGrid.objectName().isEmpty() && Sender->IniObject())
    Save(Sender->IniObject(), LinkSection());
}

void TMxDBGridLayout::LinkLoad(TIniLink *Sender) {
  if (!FGrid.objectName().isEmpty() && Sender->IniObject())
    Restore(Sender->IniObject(), LinkSection());
}

void TMxDBGridLayout::Save(TIniObject IniObject, const QString &Section) {
  TDataSet *dataSet = GridDataSet(FGrid);
  if (!dataSet)
    return;
  TDBGridColumns &columns = FGrid.Columns();
  if (columns.State() != csCustomized) {
    SaveFields(dataSet, IniObject, Section);
    return;
  }
  const QString section = Section.isEmpty() ? GetDefaultSection(&FGrid) : Section;
  IniEraseSection(IniObject, section);
  for (int i = 0; i < columns.Count(); ++i) {
    const TColumn *column = columns[i];
    IniWriteString(IniObject, section, ColumnKey(FGrid, column),
                   QStringLiteral("%1,%2").arg(column->Index()).arg(column->Width()));
  }
}

void TMxDBGridLayout::Restore(TIniObject IniObject, const QString &Section) {
  TDataSet *dataSet = GridDataSet(FGrid);
  if (!dataSet)
    return;
  TDBGridColumns &columns = FGrid.Columns();
  FGrid.ensurePolished();
  FGrid.BeginLayout();
  try {
    if (columns.State() != csCustomized) {
      RestoreFields(dataSet, IniObject, Section, false);
    } else {
      const QString section = Section.isEmpty() ? GetDefaultSection(&FGrid) : Section;
      std::vector<std::pair<TColumn *, int>> wanted;
      for (int i = 0; i < columns.Count(); ++i) {
        TColumn *column = columns[i];
        const QString value = IniReadString(IniObject, section, ColumnKey(FGrid, column), QString());
        if (value.isEmpty())
          continue;
        wanted.emplace_back(column, LayoutWord(value, 1, column->Index()));
        column->SetWidth(LayoutWord(value, 2, column->Width()));
      }
      MoveToWantedPositions(wanted, columns.Count(),
                            [](TColumn *column, int position) { column->SetIndex(position); });
    }
  } catch (...) {
    FGrid.EndLayout();
    throw;
  }
  FGrid.EndLayout();
}
