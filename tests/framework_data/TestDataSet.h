#pragma once

#include "RowStoreDataSet.h"

#include <QByteArray>

// A blob value of the test dataset: the bytes themselves.
struct TTestBlob {
  bool IsNull = true;
  QByteArray Bytes;
};

// A small dataset over rows kept in memory, written against the dataset protocol the way a real
// descendant is: native record buffers with the calculated-field area, bookmarks (the row's id),
// filtering through OnFilterRecord and blob values held beside the record.
// Define FieldDefs before the first Open; the rows stay while the dataset is closed.
class TTestDataSet : public TRowStoreDataSet<TTestBlob> {
public:
  explicit TTestDataSet(QObject *owner = nullptr) : TRowStoreDataSet(owner) {}
  ~TTestDataSet() override { CloseOnDestroy(); }

  void SetFiltered(bool value) override;

  // The next count posts fail with EDatabaseError "Simulated failure" (error handler tests).
  void FailPosts(int count) { FFailPosts = count; }
  // Rows as stored, in order (for checks that must not go through the cursor).
  int StoredRowCount() const { return int(FRows.size()); }

protected:
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override {}
  void InternalAddRecord(TRecordBuffer buffer, bool append) override { InsertRow(buffer, append); }
  void InternalPost() override;
  void InternalDelete() override { EraseCursorRow(); }
  int GetRecordCount() const override;
  QByteArray BlobBytes(TTestBlob &slot) override { return slot.Bytes; }

private:
  int FFailPosts = 0;
};
