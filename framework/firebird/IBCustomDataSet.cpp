#include "IBCustomDataSet.h"

#include "Bcd.h"
#include "Exceptions.h"
#include "IBBlob.h"
#include "IBSQLText.h"
#include "IBUpdateSQL.h"
#include "IBValues.h"

#include <algorithm>

TIBCustomDataSet::TIBCustomDataSet(QObject *owner) : TRowStoreDataSet(owner) {}

TIBCustomDataSet::~TIBCustomDataSet() {
  CloseOnDestroy();
  if (FOldBuffer)
    FreeRecordBuffer(FOldBuffer);
  SetUpdateObject(nullptr);
  if (FRegisteredTransaction)
    FRegisteredTransaction->RemoveClient(this);
  if (FRegisteredDatabase)
    FRegisteredDatabase->RemoveClient(this);
}

// ---------------------------------------------------------------- connection

void TIBCustomDataSet::SetDatabase(TIBDatabase *value) {
  if (value == Database() && value == FRegisteredDatabase)
    return;
  CheckInactive();
  RegisterDatabase(value);
  FQSelect.SetDatabase(value);
  FQUpdate.SetDatabase(value);
  FQRefresh.SetDatabase(value);
}

void TIBCustomDataSet::RegisterDatabase(TIBDatabase *value) {
  if (value == FRegisteredDatabase)
    return;
  if (FRegisteredDatabase)
    FRegisteredDatabase->RemoveClient(this);
  FRegisteredDatabase = value;
  if (value)
    value->AddClient(this);
}

void TIBCustomDataSet::SetTransaction(TIBTransaction *value) {
  CheckInactive();
  RegisterTransaction(value);
  FQSelect.SetTransaction(value);
  FQUpdate.SetTransaction(value);
  FQRefresh.SetTransaction(value);
}

void TIBCustomDataSet::RegisterTransaction(TIBTransaction *value) {
  if (value == FRegisteredTransaction)
    return;
  if (FRegisteredTransaction)
    FRegisteredTransaction->RemoveClient(this);
  FRegisteredTransaction = value;
  if (value)
    value->AddClient(this);
}

void TIBCustomDataSet::SetParamCheck(bool value) {
  CheckInactive();
  FQSelect.SetParamCheck(value);
}

void TIBCustomDataSet::SetUpdateObject(TIBUpdateSQL *value) {
  if (value == FUpdateObject)
    return;
  if (FUpdateObject && FUpdateObject->DataSet() == this)
    FUpdateObject->SetDataSet(nullptr);
  FUpdateObject = value;
  if (value)
    value->SetDataSet(this);
}

void TIBCustomDataSet::SetCachedUpdates(bool value) {
  if (value)
    DatabaseError(QStringLiteral("Cached updates are not supported"), this);
}

void TIBCustomDataSet::SetBufferChunks(int value) { FBufferChunks = std::max(value, 1); }

void TIBCustomDataSet::DatabaseClosing(bool) {
  if (Active())
    Close();
  Unprepare();
}

void TIBCustomDataSet::DatabaseDestroyed() {
  DatabaseClosing(true);
  FRegisteredDatabase = nullptr;
}

void TIBCustomDataSet::TransactionEnding() {
  if (Active())
    Close();
}

void TIBCustomDataSet::TransactionDestroyed() {
  TransactionEnding();
  FRegisteredTransaction = nullptr;
}

// ---------------------------------------------------------------- preparing and opening

void TIBCustomDataSet::Prepare() {
  // An open cursor stays as it is; a changed text is prepared when the dataset opens again.
  const QString text = SelectText();
  if (!FCursorOpen && (text != FPreparedText || !FQSelect.Prepared())) {
    FQSelect.SQL().SetText(text);
    FQSelect.Prepare();
    FPreparedText = text;
    FieldDefs().SetUpdated(false);
  }
  RegisterDatabase(FQSelect.Database());
  RegisterTransaction(FQSelect.Transaction());
  for (TIBSQL *statement : {&FQUpdate, &FQRefresh}) {
    statement->SetDatabase(FQSelect.Database());
    statement->SetTransaction(FQSelect.Transaction());
  }
}

void TIBCustomDataSet::Unprepare() {
  if (Active())
    Close();
  FQSelect.Unprepare();
  FQUpdate.Unprepare();
  FQRefresh.Unprepare();
}

void TIBCustomDataSet::InternalInitFieldDefs() {
  Prepare();
  FieldDefs().Clear();
  TIBXSQLDA &columns = FQSelect.Fields();
  for (int i = 0; i < columns.Count(); ++i) {
    const TIBXSQLVAR &column = columns.Vars(i);
    const TIBFieldShape shape = IBFieldShape(column, FQSelect.Database()->Utf8());
    QString name = column.Name();
    for (int n = 1; FieldDefs().IndexOf(name) >= 0; ++n)
      name = column.Name() + u'_' + QString::number(n);
    TFieldDef *def = FieldDefs().Add(name, shape.Type, shape.Size, false);
    def->SetPrecision(shape.Precision);
  }
  FieldDefs().SetUpdated(true);
}

void TIBCustomDataSet::LayOutRecord() {
  const int count = FieldDefs().Count();
  FOffsets.assign(std::size_t(count), -1);
  FBlobIndex.assign(std::size_t(count), -1);
  FColumnFields.assign(std::size_t(count), nullptr);
  FDataSize = 0;
  FBlobCount = 0;
  for (int i = 0; i < count; ++i) {
    const TField *field = FieldByNumber(i + 1);
    FColumnFields[std::size_t(i)] = field;
    if (!field)
      continue;
    if (field->IsBlob()) {
      FBlobIndex[std::size_t(i)] = FBlobCount++;
      continue;
    }
    FOffsets[std::size_t(i)] = FDataSize;
    FDataSize += 1 + field->DataSize();
  }
}

void TIBCustomDataSet::InternalOpen() {
  Prepare();
  InternalInitFieldDefs();
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  LayOutRecord();
  ClearRows();
  FCursor = -1;
  BindSelectParams();
  FCursorOpen = true;
  FQSelect.ExecQuery();
  const TIBSQLTypes type = FQSelect.SQLType();
  const bool rows = type == SQLSelect || type == SQLSelectForUpdate;
  FAllFetched = !rows;
  if ((rows && !FQSelect.Eof()) || (type == SQLExecProcedure && FQSelect.Fields().Count() > 0))
    StoreFetched();
}

void TIBCustomDataSet::InternalClose() {
  FCursorOpen = false;
  FQSelect.Close();
  ClearRows();
  if (FOldBuffer)
    FreeRecordBuffer(FOldBuffer);
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
}

bool TIBCustomDataSet::FetchNext() {
  if (FAllFetched)
    return false;
  if (!FQSelect.Next()) {
    FAllFetched = true;
    FQSelect.Close();
    return false;
  }
  StoreFetched();
  return true;
}

void TIBCustomDataSet::FetchAll() {
  while (FetchNext()) {
  }
}

void TIBCustomDataSet::StoreFetched() {
  char *slotArea;
  TRow row = NewRow(slotArea);
  TIBXSQLDA &columns = FQSelect.Fields();
  const bool utf8 = FQSelect.Database()->Utf8();
  const int count = std::min(columns.Count(), int(FColumnFields.size()));
  for (int i = 0; i < count; ++i) {
    const TField *field = FColumnFields[std::size_t(i)];
    if (!field)
      continue;
    if (FBlobIndex[std::size_t(i)] >= 0)
      IBStoreBlob(columns.Vars(i), row.Blobs[std::size_t(FBlobIndex[std::size_t(i)])]);
    else
      IBStoreColumn(columns.Vars(i), *field, slotArea + FOffsets[std::size_t(i)], utf8);
  }
  FRows.push_back(std::move(row));
}

// ---------------------------------------------------------------- records and the cursor

bool TIBCustomDataSet::FetchUpTo(int index) {
  while (index >= int(FRows.size()))
    if (!FetchNext())
      return false;
  return true;
}

void TIBCustomDataSet::InternalLast() {
  FetchAll();
  FCursor = int(FRows.size());
}

TRecordBuffer TIBCustomDataSet::GetActiveRecBuf() const {
  return State() == dsOldValue ? FOldBuffer : TDataSet::GetActiveRecBuf();
}

QByteArray TIBCustomDataSet::BlobBytes(TBlobSlot &slot) {
  if (!slot.Bytes) {
    QByteArray bytes = IBBlob::Read(*FQSelect.Database(), *FQSelect.Transaction(), slot.Id);
    slot.Bytes = FQSelect.Database()->Utf8() ? IBUtf8ToNative(bytes) : bytes;
  }
  return *slot.Bytes;
}
