// TMxDBGrid: the column layout in an ini store, directly or through the ini link of a placement.
#include "MxDBCtrl.h"

#include "DB.h"
#include "DBUtils.h"
#include "MxPlacement.h"

namespace {

TDataSet *GridDataSet(const TMxDBGrid &grid) {
  return grid.DataSource() ? grid.DataSource()->DataSet() : nullptr;
}

QString ColumnKey(const TMxDBGrid &grid, const TColumn *column) {
  return QStringLiteral("%1.%2").arg(grid.objectName(), column->FieldName());
}

} // namespace

QString TMxDBGrid::IniLinkSection() const {
  const QString root = FIniLink->RootSection();
  if (Columns().State() == csCustomized)
    return root + GetDefaultSection(this);
  TDataSet *dataSet = GridDataSet(*this);
  return !root.isEmpty() && dataSet ? root + DataSetSectionName(dataSet) : QString();
}

void TMxDBGrid::IniSave(TIniLink *Sender) {
  if (!objectName().isEmpty() && Sender->IniObject())
    SaveLayout(Sender->IniObject(), IniLinkSection());
}

void TMxDBGrid::IniLoad(TIniLink *Sender) {
  if (!objectName().isEmpty() && Sender->IniObject())
    RestoreLayout(Sender->IniObject(), IniLinkSection());
}

void TMxDBGrid::SaveLayout(TIniObject IniObject, const QString &Section) {
  TDataSet *dataSet = GridDataSet(*this);
  if (!dataSet)
    return;
  if (Columns().State() != csCustomized) {
    SaveFields(dataSet, IniObject, Section);
    return;
  }
  const QString section = Section.isEmpty() ? GetDefaultSection(this) : Section;
  IniEraseSection(IniObject, section);
  for (int i = 0; i < Columns().Count(); ++i) {
    const TColumn *column = Columns()[i];
    IniWriteString(IniObject, section, ColumnKey(*this, column),
                   QStringLiteral("%1,%2").arg(column->Index()).arg(column->Width()));
  }
}

void TMxDBGrid::RestoreLayout(TIniObject IniObject, const QString &Section) {
  TDataSet *dataSet = GridDataSet(*this);
  if (!dataSet)
    return;
  ensurePolished();
  BeginLayout();
  try {
    if (Columns().State() != csCustomized) {
      RestoreFields(dataSet, IniObject, Section, false);
    } else {
      const QString section = Section.isEmpty() ? GetDefaultSection(this) : Section;
      std::vector<std::pair<TColumn *, int>> wanted;
      for (int i = 0; i < Columns().Count(); ++i) {
        TColumn *column = Columns()[i];
        const QString value = IniReadString(IniObject, section, ColumnKey(*this, column), QString());
        if (value.isEmpty())
          continue;
        wanted.emplace_back(column, LayoutWord(value, 1, column->Index()));
        column->SetWidth(LayoutWord(value, 2, column->Width()));
      }
      MoveToWantedPositions(wanted, Columns().Count(),
                            [](TColumn *column, int position) { column->SetIndex(position); });
    }
  } catch (...) {
    EndLayout();
    throw;
  }
  EndLayout();
}
