#include "TestDataSet.h"

#include "Exceptions.h"

void TTestDataSet::InternalOpen() {
  if (FieldDefs().Count() == 0)
    DatabaseError(QStringLiteral("There must be at least one field"), this);
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  // Every column has a slot and a blob value, by field number.
  const int count = FieldDefs().Count();
  FOffsets.assign(std::size_t(count), -1);
  FBlobIndex.assign(std::size_t(count), -1);
  FDataSize = 0;
  FBlobCount = count;
  for (int i = 0; i < count; ++i) {
    const TField *field = FieldByNumber(i + 1);
    FOffsets[std::size_t(i)] = FDataSize;
    FBlobIndex[std::size_t(i)] = i;
    FDataSize += 1 + (field ? field->DataSize() : 0);
  }
  for (std::size_t i = 0; i < FRows.size(); ++i) {
    TRow &row = FRows[i];
    row.Data.resize(FDataSize);
    row.Blobs.resize(std::size_t(FBlobCount));
  }
  FCursor = -1;
  FCursorOpen = true;
}

void TTestDataSet::InternalClose() {
  FCursorOpen = false;
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
}

void TTestDataSet::InternalPost() {
  if (FFailPosts > 0) {
    --FFailPosts;
    DatabaseError(QStringLiteral("Simulated failure"), this);
  }
  if (State() == dsInsert)
    InsertRow(ActiveBuffer(), GetBookmarkFlag(ActiveBuffer()) == bfEOF);
  else
    StoreBuffer(ActiveBuffer(), CursorRow());
}

int TTestDataSet::GetRecordCount() const {
  if (!Filtered() || !OnFilterRecord)
    return int(FRows.size());
  auto *self = const_cast<TTestDataSet *>(this);
  const TRecordBuffer work = self->WorkBuffer();
  int count = 0;
  for (int i = 0; i < int(FRows.size()); ++i) {
    self->FillBuffer(work, i);
    if (self->RecordAccepted(work))
      ++count;
  }
  return count;
}

void TTestDataSet::SetFiltered(bool value) {
  if (value && !Filter().trimmed().isEmpty())
    DatabaseError(QStringLiteral("Filter expressions are not evaluated by this dataset"), this);
  TDataSet::SetFiltered(value);
}
