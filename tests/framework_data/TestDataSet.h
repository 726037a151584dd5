#pragma once

#include "DB.h"

#include <QByteArray>
#include <QVariant>
#include <vector>

// A small dataset over rows kept in memory, written against the dataset protocol the way a real
// descendant is: native record buffers with the calculated-field area, bookmarks (the row's id),
// filtering through OnFilterRecord and blob values held beside the record.
// Define FieldDefs before the first Open; the rows stay while the dataset is closed.
class TTestDataSet : public TDataSet {
public:
  explicit TTestDataSet(QObject *owner = nullptr);
  ~TTestDataSet() override;

  bool GetFieldData(TField *field, void *buffer) override;
  void SetFieldData(TField *field, const void *buffer) override;
  std::unique_ptr<QIODevice> CreateBlobStream(TField *field, TBlobStreamMode mode) override;
  bool BookmarkValid(const TBookmark &bookmark) override;
  int CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) override;
  void SetRecNo(int value) override;
  void SetFiltered(bool value) override;

  // The next count posts fail with EDatabaseError "Simulated failure" (error handler tests).
  void FailPosts(int count) { FFailPosts = count; }
  // Rows as stored, in order (for checks that must not go through the cursor).
  int StoredRowCount() const { return int(FRows.size()); }

protected:
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer &buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  int GetRecordSize() const override { return FDataSize; }
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FCursorOpen; }
  void InternalInitFieldDefs() override {}
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = int(FRows.size()); }
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalGotoBookmark(const void *bookmark) override;
  void GetBookmarkData(TRecordBuffer buffer, void *data) override;
  void SetBookmarkData(TRecordBuffer buffer, const void *data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
  void ClearCalcFields(TRecordBuffer buffer) override;
  int GetRecordCount() const override;
  int GetRecNo() const override;
  bool GetIsSequenced() override { return !Filtered(); }

private:
  struct TRow {
    int Id = 0;
    QByteArray Data;
    std::vector<QVariant> Blobs; // by field number; null = QVariant()
  };
  struct TBuffer;
  static TBuffer *Buf(TRecordBuffer buffer) { return reinterpret_cast<TBuffer *>(buffer); }

  int IndexOfId(int id) const;
  void FillBuffer(TRecordBuffer buffer, int index);
  bool Accepted(TRecordBuffer buffer);
  void StoreBuffer(TRecordBuffer buffer, TRow &row);
  char *FieldSlot(TRecordBuffer buffer, const TField *field) const;

  std::vector<TRow> FRows;
  std::vector<int> FOffsets; // by field number - 1
  int FDataSize = 0;
  int FNextId = 1;
  int FCursor = -1;
  bool FCursorOpen = false;
  int FFailPosts = 0;
};
