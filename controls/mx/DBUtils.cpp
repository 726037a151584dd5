#include "DBUtils.h"

#include "DB.h"
#include "Fields.h"
#include "Forms.h"
#include "IniFiles.h"
#include "StrUtils.h"

namespace {

// Moves the field to the position in the dataset's field list.
void MoveFieldTo(TDataSet *dataSet, TField *field, int position) {
  if (field->Index() == position)
    return;
  const std::vector<TField *> fields = dataSet->FieldList();
  std::vector<TField *> order;
  for (TField *f : fields)
    if (f != field)
      order.push_back(f);
  order.insert(order.begin() + std::min<size_t>(size_t(position), order.size()), field);
  // The dataset has no move of its own: the fields after the changed place are taken out and put
  // back in the new order.
  size_t first = 0;
  while (first < order.size() && order[first] == fields[first])
    ++first;
  for (size_t i = first; i < fields.size(); ++i)
    dataSet->RemoveField(fields[i]);
  for (size_t i = first; i < order.size(); ++i)
    dataSet->AddField(order[i]);
}

} // namespace

bool DataSetEmpty(TDataSet *DataSet) {
  return !DataSet || !DataSet->Active() || (DataSet->Bof() && DataSet->Eof());
}

QString DataSetSectionName(TDataSet *DataSet) {
  if (const auto *form = qobject_cast<const TForm *>(DataSet->parent()))
    return GetDefaultSection(form);
  return DataSet->objectName();
}

QString DataSetSection(TDataSet *DataSet, const QString &Section) {
  return Section.isEmpty() ? DataSetSectionName(DataSet) : Section;
}

int LayoutWord(const QString &value, int n, int fallback) {
  return StrToIntDef(ExtractWord(n, value, QStringLiteral(" ,")), fallback);
}

void SaveFields(TDataSet *DataSet, TIniObject IniObject, const QString &Section) {
  const QString section = DataSetSection(DataSet, Section);
  for (TField *field : DataSet->FieldList())
    IniWriteString(IniObject, section, DataSet->objectName() + field->FieldName(),
                   QStringLiteral("%1,%2,%3")
                       .arg(field->Index())
                       .arg(field->DisplayWidth())
                       .arg(field->Visible() ? 1 : 0));
}

void RestoreFields(TDataSet *DataSet, TIniObject IniObject, const QString &Section, bool RestoreVisible) {
  const QString section = DataSetSection(DataSet, Section);
  std::vector<std::pair<TField *, int>> wanted;
  const std::vector<TField *> fields = DataSet->FieldList();
  for (TField *field : fields) {
    const QString value =
        IniReadString(IniObject, section, DataSet->objectName() + field->FieldName(), QString());
    if (value.isEmpty())
      continue;
    wanted.emplace_back(field, LayoutWord(value, 1, field->Index()));
    field->SetDisplayWidth(LayoutWord(value, 2, field->DisplayWidth()));
    if (RestoreVisible)
      field->SetVisible(LayoutWord(value, 3, field->Visible() ? 1 : 0) != 0);
  }
  DataSet->DisableControls();
  try {
    MoveToWantedPositions(wanted, int(fields.size()),
                          [DataSet](TField *field, int position) { MoveFieldTo(DataSet, field, position); });
  } catch (...) {
    DataSet->EnableControls();
    throw;
  }
  DataSet->EnableControls();
}
