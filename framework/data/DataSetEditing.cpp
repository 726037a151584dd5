// TDataSet: inserting, editing, posting, cancelling and deleting records.
#include "DB.h"

#include "Exceptions.h"

void TDataSet::InitRecord(TRecordBuffer buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    SetState(dsBrowse);
    Resync({});
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

// Puts an initialised new record into the active buffer: before the current record, or after the
// last one when appending.
void TDataSet::PrepareInsertBuffer(bool append) {
  if (append) {
    ClearBuffers();
    const TRecordBuffer buffer = FBuffers[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    FRecordCount = 1;
    FBOF = false;
    GetPriorRecords();
    return;
  }
  const TBookmark oldCurrent = GetBookmark();
  MoveBuffer(FRecordCount, FActiveRecord);
  const TRecordBuffer buffer = ActiveBuffer();
  InitRecord(buffer);
  if (FRecordCount == 0)
    SetBookmarkFlag(buffer, bfBOF);
  else if (!oldCurrent.isEmpty())
    SetBookmarkData(buffer, oldCurrent.constData());
  if (FRecordCount < FBufferCount)
    ++FRecordCount;
}

void TDataSet::Insert() {
  BeginInsertAppend();
  PrepareInsertBuffer(false);
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  PrepareInsertBuffer(true);
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert)
    return;
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::UpdateRecord() {
  if (!IsWriteMode(FState))
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert)
    return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  CheckRequiredFields();
  CheckOperation([this] { InternalPost(); }, OnPostError);
  SetState(dsBrowse);
  Resync({});
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert)
    return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  const bool scrolls = FState == dsInsert;
  if (scrolls)
    DoBeforeScroll();
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync({});
  DoAfterCancel();
  if (scrolls)
    DoAfterScroll();
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FRecordCount == 0)
    DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"), this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync({});
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::CheckOperation(
    const std::function<void()> &operation,
    const std::function<void(TDataSet *, EDatabaseError &, TDataAction &)> &errorEvent) {
  for (;;) {
    try {
      UpdateCursorPos();
      operation();
      return;
    } catch (EDatabaseError &e) {
      TDataAction action = daFail;
      if (errorEvent)
        errorEvent(this, e, action);
      if (action == daFail)
        throw;
      if (action == daAbort)
        Abort();
    }
  }
}

void TDataSet::AddRecord(const QVariantList &values, bool append) {
  BeginInsertAppend();
  PrepareInsertBuffer(append);
  SetState(dsInsert);
  try {
    DoOnNewRecord();
    SetFields(values);
    DoBeforePost();
    CheckRequiredFields();
    CheckOperation([this, append] { InternalAddRecord(ActiveBuffer(), append); }, OnPostError);
  } catch (...) {
    // The record is not added: back to browsing the records as they were.
    SetState(dsBrowse);
    CursorPosChanged();
    Resync({});
    throw;
  }
  SetState(dsBrowse);
  Resync({});
  DoAfterPost();
  DoAfterScroll();
}

void TDataSet::InsertRecord(const QVariantList &values) { AddRecord(values, false); }
void TDataSet::AppendRecord(const QVariantList &values) { AddRecord(values, true); }

void TDataSet::SetFields(const QVariantList &values) {
  const bool wasEditing = FState == dsEdit || FState == dsInsert;
  if (!wasEditing)
    Edit();
  const int count = std::min<int>(int(values.size()), FieldCount());
  for (int i = 0; i < count; ++i)
    if (FFields[std::size_t(i)]->FieldKind() == fkData && values[i].isValid())
      FFields[std::size_t(i)]->SetValue(values[i]);
}

void TDataSet::ClearFields() {
  if (!IsEditMode(FState))
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
  DataEvent(deCheckBrowseMode, 0);
  InternalInitRecord(ActiveBuffer());
  if (FState != dsSetKey)
    GetCalcFields(ActiveBuffer());
  DataEvent(deRecordChange, 0);
}

void TDataSet::CheckFieldWritable(TField *field) {
  if (!IsWriteMode(FState))
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
  const bool internalState =
      FState == dsSetKey || FState == dsCalcFields || FState == dsFilter || FState == dsInternalCalc;
  if (internalState)
    return;
  if (field->ReadOnly() || field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup ||
      field->FieldKind() == fkAggregate)
    DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field->DisplayName()), this);
}

void TDataSet::CheckRequiredFields() {
  for (TField *field : FFields) {
    if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData &&
        field->DataType() != ftAutoInc && field->IsNull()) {
      field->FocusControl();
      DatabaseError(QStringLiteral("Field '%1' must have a value").arg(field->DisplayName()), this);
    }
  }
}
