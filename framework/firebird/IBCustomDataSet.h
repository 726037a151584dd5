#pragma once

#include "DB.h"
#include "IBSQL.h"

#include <optional>
#include <vector>

class TIBUpdateSQL;

enum TUpdateKind { ukModify, ukInsert, ukDelete };
// When the generator of GeneratorField gives the field its value.
enum TGeneratorApplyEvent { gamOnNewRecord, gamOnPost, gamOnServer };

// A field filled from a generator ("GEN_ID(Generator, IncrementBy)") for new records.
struct TIBGeneratorField {
  QString Field;
  QString Generator;
  int IncrementBy = 1;
  TGeneratorApplyEvent ApplyEvent = gamOnNewRecord;
};

// The dataset over a select statement of the database layer. Rows are fetched as the cursor moves
// (RecordCount is what has been fetched so far); Last fetches the rest. Posts and deletes run the
// update statements (of the UpdateObject, else the dataset's own) whose ":x" parameters take the
// record's new values and ":OLD_x" ones the values it was fetched with; a refresh statement reads
// the posted row back. The dataset's transaction is not committed here: the program decides that.
class TIBCustomDataSet : public TDataSet, public TIBDatabaseClient, public TIBTransactionClient {
public:
  explicit TIBCustomDataSet(QObject *owner = nullptr);
  ~TIBCustomDataSet() override;

  TIBDatabase *Database() const { return FQSelect.Database(); }
  void SetDatabase(TIBDatabase *value);
  TIBTransaction *Transaction() const { return FQSelect.Transaction(); }
  void SetTransaction(TIBTransaction *value);
  bool ParamCheck() const { return FQSelect.ParamCheck(); }
  void SetParamCheck(bool value);
  TIBUpdateSQL *UpdateObject() const { return FUpdateObject; }
  void SetUpdateObject(TIBUpdateSQL *value);
  // Cached updates are not offered: every post and delete goes to the server at once.
  bool CachedUpdates() const { return false; }
  void SetCachedUpdates(bool value);
  // Rows are kept in blocks of this many (a sizing hint only).
  int BufferChunks() const { return FBufferChunks; }
  void SetBufferChunks(int value);
  TIBGeneratorField &GeneratorField() { return FGeneratorField; }

  void Prepare();
  void Unprepare();
  bool Prepared() const { return FQSelect.Prepared(); }
  TIBSQLTypes StatementType() const { return FQSelect.SQLType(); }
  // The select statement's own parameter descriptors (one per occurrence, preparing on first use).
  TIBXSQLDA &SQLParams() { return FQSelect.Params(); }
  QString Plan() { return FQSelect.Plan(); }

  bool GetFieldData(TField *field, void *buffer) override;
  void SetFieldData(TField *field, const void *buffer) override;
  std::unique_ptr<QIODevice> CreateBlobStream(TField *field, TBlobStreamMode mode) override;
  bool BookmarkValid(const TBookmark &bookmark) override;
  int CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) override;
  void SetRecNo(int value) override;

  void DatabaseClosing(bool connectionLost) override;
  void DatabaseDestroyed() override;
  void TransactionEnding() override;
  bool HoldsCursor() const override { return FCursorOpen; }
  void TransactionDestroyed() override;

  // Runs one update statement for the active record (TIBUpdateSQL calls this too).
  void ExecuteUpdate(const QString &sql);

protected:
  // The statement texts a descendant provides.
  virtual QString SelectText() const = 0;
  virtual QString UpdateText(TUpdateKind kind) const;
  virtual QString RefreshText() const;
  // Before the select runs (queries copy their parameter values here).
  virtual void BindSelectParams() {}

  TIBSQL &QSelect() { return FQSelect; }

  TRecordBuffer GetActiveRecBuf() const override;
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer &buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  int GetRecordSize() const override { return FDataSize; }
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FCursorOpen; }
  void InternalInitFieldDefs() override;
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalRefresh() override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalGotoBookmark(const void *bookmark) override;
  void GetBookmarkData(TRecordBuffer buffer, void *data) override;
  void SetBookmarkData(TRecordBuffer buffer, const void *data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
  void ClearCalcFields(TRecordBuffer buffer) override;
  int GetRecordCount() const override { return static_cast<int>(FRows.size()); }
  int GetRecNo() const override;
  bool GetIsSequenced() override { return !Filtered(); }
  bool GetCanModify() const override;
  void DoOnNewRecord() override;
  // Gives a posted new record its generator value before the required fields are checked.
  void CheckRequiredFields() override;

public:
  // A blob value: its id on the server until it is read or written here.
  struct TBlobSlot {
    bool IsNull = true;
    ISC_QUAD Id{};
    std::optional<QByteArray> Bytes;
  };

private:
  struct TRow {
    int Id = 0;
    QByteArray Data;
    std::vector<TBlobSlot> Blobs;
  };
  struct TBuffer;
  static TBuffer *Buf(TRecordBuffer buffer) { return reinterpret_cast<TBuffer *>(buffer); }

  // Closing or losing the connection, or ending the transaction, closes the dataset.
  void RegisterDatabase(TIBDatabase *value);
  void RegisterTransaction(TIBTransaction *value);
  bool FetchNext();
  void FetchAll();
  void StoreFetched();
  void LayOutRecord();
  int IndexOfId(int id) const;
  void CopyRow(TRecordBuffer buffer, int index);
  void FillBuffer(TRecordBuffer buffer, int index);
  bool Accepted(TRecordBuffer buffer);
  char *FieldSlot(TRecordBuffer buffer, const TField *field) const;
  TBlobSlot &BlobSlot(TRecordBuffer buffer, const TField *field) const;
  QByteArray BlobBytes(TBlobSlot &slot);
  // Update statements: the UpdateObject's, else the dataset's own.
  QString StatementText(TUpdateKind kind) const;
  QString RowRefreshText() const;
  void BindRecordParams(TIBSQL &statement);
  QVariant OldValue(const QString &fieldName);
  void RefreshRow(TRecordBuffer buffer);
  void StoreBuffer(TRecordBuffer buffer, TRow &row) const;
  void PostRecord(TRecordBuffer buffer, bool inserting, bool append);
  qint64 NextGeneratorValue();
  void ApplyGenerator(TGeneratorApplyEvent event);
  std::vector<TField *> KeyFields() const;
  bool SameKey(const TRow &row, const QByteArray &key, const std::vector<TField *> &fields) const;

  TIBSQL FQSelect;
  TIBSQL FQUpdate;
  TIBUpdateSQL *FUpdateObject = nullptr;
  TIBDatabase *FRegisteredDatabase = nullptr;
  TIBTransaction *FRegisteredTransaction = nullptr;
  // The record as it was fetched, read while the update statements take their ":OLD_x" values.
  TRecordBuffer FOldBuffer = nullptr;
  int FBufferChunks = 1000;
  TIBGeneratorField FGeneratorField;
  QString FPreparedText;
  std::vector<TRow> FRows;
  bool FIdsInOrder = true;
  std::vector<int> FOffsets; // by field number - 1; -1 for columns without a field
  std::vector<int> FBlobIndex; // by field number - 1; -1 for columns that are no blobs
  int FBlobCount = 0;
  int FDataSize = 0;
  int FNextId = 1;
  int FCursor = -1;
  bool FCursorOpen = false;
  bool FAllFetched = true;
};
