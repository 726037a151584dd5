#pragma once

#include "IBSQL.h"
#include "RowStoreDataSet.h"

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

// A blob value: its id on the server until it is read or written here.
struct TIBBlobSlot {
  bool IsNull = true;
  ISC_QUAD Id{};
  std::optional<QByteArray> Bytes;
};

// The dataset over a select statement of the database layer. Rows are fetched as the cursor moves
// (RecordCount is what has been fetched so far); Last fetches the rest. Posts and deletes run the
// update statements (of the UpdateObject, else the dataset's own) whose ":x" parameters take the
// record's new values and ":OLD_x" ones the values it was fetched with; a refresh statement reads
// the posted row back. The dataset's transaction is not committed here: the program decides that.
class TIBCustomDataSet : public TRowStoreDataSet<TIBBlobSlot>,
                         public TIBDatabaseClient,
                         public TIBTransactionClient {
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

  void DatabaseClosing(bool connectionLost) override;
  void DatabaseDestroyed() override;
  void TransactionEnding() override;
  bool HoldsCursor() const override { return FCursorOpen; }
  void TransactionDestroyed() override;

  // Runs one update statement for the active record (TIBUpdateSQL calls this too).
  void ExecuteUpdate(const QString &sql);
  // The rows that the last update statement (modify, insert or delete) changed; -1 before the
  // first. A modify whose key condition matched no row posts without an error and leaves 0 here.
  int UpdateRowsAffected() const { return FUpdateRowsAffected; }

protected:
  // The statement texts a descendant provides.
  virtual QString SelectText() const = 0;
  virtual QString UpdateText(TUpdateKind kind) const;
  virtual QString RefreshText() const;
  // Before the select runs (queries copy their parameter values here).
  virtual void BindSelectParams() {}

  TIBSQL &QSelect() { return FQSelect; }

  TRecordBuffer GetActiveRecBuf() const override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  void InternalLast() override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalRefresh() override;
  int GetRecordCount() const override { return static_cast<int>(FRows.size()); }
  bool FetchUpTo(int index) override;
  QByteArray BlobBytes(TIBBlobSlot &slot) override;
  bool GetCanModify() const override;
  void DoOnNewRecord() override;
  // Gives a posted new record its generator value before the required fields are checked.
  void CheckRequiredFields() override;

public:
  using TBlobSlot = TIBBlobSlot;

private:
  // Closing or losing the connection, or ending the transaction, closes the dataset.
  void RegisterDatabase(TIBDatabase *value);
  void RegisterTransaction(TIBTransaction *value);
  bool FetchNext();
  void FetchAll();
  void StoreFetched();
  void LayOutRecord();
  // Update statements: the UpdateObject's, else the dataset's own.
  QString StatementText(TUpdateKind kind) const;
  QString RowRefreshText() const;
  void BindRecordParams(TIBSQL &statement);
  QVariant OldValue(const QString &fieldName);
  void RefreshRow(TRecordBuffer buffer);
  void PostRecord(TRecordBuffer buffer, bool inserting, bool append);
  qint64 NextGeneratorValue();
  void ApplyGenerator(TGeneratorApplyEvent event);
  std::vector<TField *> KeyFields() const;
  bool SameKey(const TRow &row, const QByteArray &key, const std::vector<TField *> &fields) const;

  TIBSQL FQSelect;
  TIBSQL FQUpdate;
  // The refresh of a posted row has a statement of its own, so that a run of posts prepares neither
  // statement again.
  TIBSQL FQRefresh;
  TIBUpdateSQL *FUpdateObject = nullptr;
  // The field of each result column (by column index), laid out when the dataset opens.
  std::vector<const TField *> FColumnFields;
  TIBDatabase *FRegisteredDatabase = nullptr;
  TIBTransaction *FRegisteredTransaction = nullptr;
  // The record as it was fetched, read while the update statements take their ":OLD_x" values.
  TRecordBuffer FOldBuffer = nullptr;
  int FBufferChunks = 1000;
  TIBGeneratorField FGeneratorField;
  QString FPreparedText;
  bool FAllFetched = true;
  int FUpdateRowsAffected = -1;
};
