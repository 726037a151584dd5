// TIBCustomDataSet: posting, deleting and refreshing through the update statements.
#include "IBCustomDataSet.h"

#include "Exceptions.h"
#include "IBSQLText.h"
#include "IBUpdateSQL.h"
#include "IBValues.h"

#include <cstring>

namespace {

const QString kOldPrefix = QStringLiteral("OLD_");

} // namespace

QString TIBCustomDataSet::UpdateText(TUpdateKind) const { return QString(); }

QString TIBCustomDataSet::RefreshText() const { return QString(); }

QString TIBCustomDataSet::StatementText(TUpdateKind kind) const {
  return FUpdateObject ? FUpdateObject->SQL(kind).Text() : UpdateText(kind);
}

QString TIBCustomDataSet::RowRefreshText() const {
  return FUpdateObject ? FUpdateObject->RefreshSQL().Text() : RefreshText();
}

bool TIBCustomDataSet::GetCanModify() const {
  if (ReadOnly())
    return false;
  for (TUpdateKind kind : {ukModify, ukInsert, ukDelete})
    if (!StatementText(kind).trimmed().isEmpty())
      return true;
  return false;
}

QVariant TIBCustomDataSet::OldValue(const QString &fieldName) {
  TField *field = FindField(fieldName);
  if (!field || State() == dsInsert || FCursor < 0 || FCursor >= int(FRows.size()))
    return {};
  if (!FOldBuffer)
    FOldBuffer = AllocRecordBuffer();
  CopyRow(FOldBuffer, FCursor);
  const TDataSetState saved = SetTempState(dsOldValue);
  QVariant value;
  try {
    value = IBParamValue(*field);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return value;
}

void TIBCustomDataSet::BindRecordParams(TIBSQL &statement) {
  TIBXSQLDA &params = statement.Params();
  for (int i = 0; i < params.Count(); ++i) {
    TIBXSQLVAR &param = params.Vars(i);
    const QString &name = param.Name();
    if (TField *field = FindField(name))
      param.SetValue(IBParamValue(*field));
    else if (name.startsWith(kOldPrefix, Qt::CaseInsensitive))
      param.SetValue(OldValue(name.mid(kOldPrefix.size())));
    else
      param.Clear();
  }
}

void TIBCustomDataSet::ExecuteUpdate(const QString &sql) {
  FUpdateRowsAffected = -1;
  if (sql.trimmed().isEmpty())
    DatabaseError(QStringLiteral("There is no statement for this update"), this);
  Prepare();
  FQUpdate.SQL().SetText(sql);
  BindRecordParams(FQUpdate);
  FQUpdate.ExecQuery();
  FUpdateRowsAffected = FQUpdate.RowsAffected();
  FQUpdate.Close();
}

void TIBCustomDataSet::RefreshRow(TRecordBuffer buffer) {
  const QString sql = RowRefreshText();
  if (sql.trimmed().isEmpty())
    return;
  FQRefresh.SQL().SetText(sql);
  BindRecordParams(FQRefresh);
  FQRefresh.ExecQuery();
  if (!FQRefresh.Eof()) {
    TIBXSQLDA &columns = FQRefresh.Fields();
    for (int i = 0; i < columns.Count(); ++i) {
      TField *field = FindField(columns.Vars(i).Name());
      if (!field || field->Calculated())
        continue;
      if (field->IsBlob())
        IBStoreBlob(columns.Vars(i), BlobSlot(buffer, field));
      else
        IBStoreColumn(columns.Vars(i), *field, FieldSlot(buffer, field), FQRefresh.Database()->Utf8());
    }
  }
  FQRefresh.Close();
}

void TIBCustomDataSet::PostRecord(TRecordBuffer buffer, bool inserting, bool append) {
  const TUpdateKind kind = inserting ? ukInsert : ukModify;
  if (FUpdateObject)
    FUpdateObject->Apply(kind);
  else
    ExecuteUpdate(UpdateText(kind));
  RefreshRow(buffer);
  if (!inserting) {
    StoreBuffer(buffer, CursorRow());
    return;
  }
  if (append)
    FetchAll();
  InsertRow(buffer, append);
}

void TIBCustomDataSet::InternalPost() {
  CheckActive();
  PostRecord(ActiveBuffer(), State() == dsInsert, GetBookmarkFlag(ActiveBuffer()) == bfEOF);
}

void TIBCustomDataSet::InternalAddRecord(TRecordBuffer buffer, bool append) {
  PostRecord(buffer, true, append);
}

void TIBCustomDataSet::InternalDelete() {
  CursorRow(); // raises before the server is asked when there is no row
  if (FUpdateObject)
    FUpdateObject->Apply(ukDelete);
  else
    ExecuteUpdate(UpdateText(ukDelete));
  EraseCursorRow();
  // The cursor now stands on the row that followed; when that one is not fetched yet, fetch it.
  FetchUpTo(FCursor);
}

// ---------------------------------------------------------------- generator

qint64 TIBCustomDataSet::NextGeneratorValue() {
  Prepare();
  FQUpdate.SQL().SetText(QStringLiteral("select gen_id(%1, %2) from rdb$database")
                             .arg(FGeneratorField.Generator)
                             .arg(FGeneratorField.IncrementBy));
  FQUpdate.ExecQuery();
  const qint64 value = FQUpdate.Fields(0).AsInt64();
  FQUpdate.Close();
  return value;
}

void TIBCustomDataSet::ApplyGenerator(TGeneratorApplyEvent event) {
  if (FGeneratorField.Field.isEmpty() || FGeneratorField.Generator.isEmpty() ||
      FGeneratorField.ApplyEvent != event)
    return;
  TField *field = FieldByName(FGeneratorField.Field);
  if (event == gamOnPost && !field->IsNull())
    return;
  field->SetAsLargeInt(NextGeneratorValue());
}

void TIBCustomDataSet::DoOnNewRecord() {
  ApplyGenerator(gamOnNewRecord);
  TDataSet::DoOnNewRecord();
}

void TIBCustomDataSet::CheckRequiredFields() {
  if (State() == dsInsert)
    ApplyGenerator(gamOnPost);
  TDataSet::CheckRequiredFields();
}

// ---------------------------------------------------------------- refresh

// The fields that identify a row: those the update statements compare as ":OLD_x", else all
// fields that are kept in the record.
std::vector<TField *> TIBCustomDataSet::KeyFields() const {
  std::vector<TField *> keys;
  for (TUpdateKind kind : {ukModify, ukDelete})
    for (const QString &name : IBSQLText::PreprocessParams(StatementText(kind)).Names)
      if (name.startsWith(kOldPrefix, Qt::CaseInsensitive))
        if (TField *field = FindField(name.mid(kOldPrefix.size()));
            field && !field->IsBlob() && std::find(keys.begin(), keys.end(), field) == keys.end())
          keys.push_back(field);
  if (keys.empty())
    for (TField *field : FieldList())
      if (field->FieldKind() == fkData && !field->IsBlob())
        keys.push_back(field);
  return keys;
}

bool TIBCustomDataSet::SameKey(const TRow &row, const QByteArray &key,
                               const std::vector<TField *> &fields) const {
  qsizetype offset = 0;
  for (const TField *field : fields) {
    const int size = 1 + field->DataSize();
    if (std::memcmp(row.Data.constData() + FOffsets[std::size_t(field->FieldNo() - 1)],
                    key.constData() + offset, std::size_t(size)) != 0)
      return false;
    offset += size;
  }
  return true;
}

void TIBCustomDataSet::InternalRefresh() {
  const std::vector<TField *> fields = KeyFields();
  QByteArray key;
  const int oldIndex = FCursor;
  if (FCursor >= 0 && FCursor < int(FRows.size()))
    for (const TField *field : fields)
      key.append(FRows[std::size_t(FCursor)].Data.mid(FOffsets[std::size_t(field->FieldNo() - 1)],
                                                      1 + field->DataSize()));
  FQSelect.Close();
  ClearRows();
  BindSelectParams();
  FQSelect.ExecQuery();
  FAllFetched = FQSelect.Eof();
  if (!FAllFetched)
    StoreFetched();
  FCursor = -1;
  if (key.isEmpty())
    return;
  for (int i = 0; i < int(FRows.size()) || FetchNext(); ++i)
    if (SameKey(FRows[std::size_t(i)], key, fields)) {
      FCursor = i;
      return;
    }
  FCursor = std::min(oldIndex, int(FRows.size()) - 1);
}
