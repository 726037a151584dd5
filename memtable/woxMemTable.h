#pragma once

#include "DB.h"
#include "woxMemCommon.h"
#include "woxMemDeltaHandler.h"
#include "woxMemFieldList.h"
#include "woxMemIndex.h"
#include "woxMemStreamFormat.h"

#include <QPointer>
#include <QVarLengthArray>
#include <cstdint>
#include <functional>
#include <memory>

class QIODevice;
class TFilterExpr;
class TwoxFilterProgram;
class TwoxMasterDataLink;

enum TwoxProgressCode {
  mtpcLoad,
  mtpcSave,
  mtpcEmpty,
  mtpcPack,
  mtpcCheckPoint,
  mtpcSearch,
  mtpcCopy,
  mtpcUpdate,
  mtpcSort
};
// A set of progress codes: bit (1 << code).
using TwoxProgressCodes = std::uint32_t;
constexpr TwoxProgressCodes ProgressBit(TwoxProgressCode code) { return TwoxProgressCodes(1) << int(code); }

// What the table is doing; the store, the indexes and the formats look at it.
enum TwoxOperation { mtoNone, mtoLoading, mtoSaving, mtoResetting, mtoSearching, mtoUpdating, mtoSorting };

// LoadFromDataSet options.
enum TwoxCopyOption { mtcpoStructure = 1, mtcpoProperties = 4, mtcpoAppend = 32 };
Q_DECLARE_FLAGS(TwoxCopyOptions, TwoxCopyOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TwoxCopyOptions)

// UpdateToDataSet flags: what the delta may do to the other dataset.
enum TwoxUpdateFlag { mtufEdit = 1, mtufAppend = 2, mtufDelete = 4 };
Q_DECLARE_FLAGS(TwoxUpdateFlags, TwoxUpdateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TwoxUpdateFlags)

// A dataset whose records live in memory, in a record store it may share with attached tables.
class TwoxCustomMemTable : public TDataSet, public TwoxIndexHost {
  friend class TwoxBlobStream;
  friend class TwoxCustomStreamFormat;

public:
  explicit TwoxCustomMemTable(QObject *owner = nullptr);
  ~TwoxCustomMemTable() override;

  // --- the dataset
  bool GetFieldData(TField *field, void *buffer) override;
  void SetFieldData(TField *field, const void *buffer) override;
  bool BookmarkValid(const TBookmark &bookmark) override;
  int CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) override;
  void SetRecNo(int value) override;
  bool Locate(const QString &keyFields, const QVariant &keyValues, TLocateOptions options) override;
  QVariant Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) override;
  // A memory copy of a blob field's value in the active record, stored back when it is freed.
  std::unique_ptr<QIODevice> CreateBlobStream(TField *field, TBlobStreamMode mode) override;
  void DataEvent(TDataEvent event, std::intptr_t info) override;

  // --- copying
  // Copies from source's current record to its end into destination; answers the count.
  virtual int CopyRecords(TDataSet *source, TDataSet *destination, int limit);
  virtual void LoadFromDataSet(TDataSet *source, TwoxCopyOptions options);
  virtual void SaveToDataSet(TDataSet *destination);
  // Locks the store and suppresses data events until EndUpdate.
  virtual void BeginUpdate();
  virtual void EndUpdate();
  virtual void Progress(int percentage, TwoxProgressCode code);

  // --- filters, ranges and master/detail
  // Restricts the records to keys (of the current index's fields) between start and end.
  void SetRange(const QVariantList &startValues, const QVariantList &endValues);
  void CancelRange();
  bool RangeActive() const { return FRangeActive; }
  void SetRangeActive(bool value) { FRangeActive = value && FRangeStart; }
  // Update statuses (bit 1 << status) that stay visible; empty hides only deleted records.
  quint8 UpdateStatusFilter() const { return FUpdateStatusFilter; }
  void SetUpdateStatusFilter(quint8 value);
  TDataSource *MasterSource() const;
  void SetMasterSource(TDataSource *value);
  const QString &MasterFields() const { return FMasterFields; }
  void SetMasterFields(const QString &value);
  const QString &DetailFields() const { return FDetailFields; }
  void SetDetailFields(const QString &value);
  bool MasterDetailActive() const { return FMasterDetailActive; }
  void SetMasterDetailActive(bool value) { FMasterDetailActive = value; }
  bool RecalcOnIndex() const { return FRecalcOnIndex; }
  void SetRecalcOnIndex(bool value) { FRecalcOnIndex = value; }
  void SetFiltered(bool value) override;
  void SetFilterOptions(TFilterOptions value) override;
  // Called by the master link.
  virtual void MasterChanged();
  virtual void MasterDisabled() {}

  // --- attached tables, versions and deltas
  TwoxCustomMemTable *AttachedTo() const { return FAttachedTo; }
  void SetAttachedTo(TwoxCustomMemTable *value);
  bool AttachedAutoRefresh() const { return FAttachedAutoRefresh; }
  void SetAttachedAutoRefresh(bool value) { FAttachedAutoRefresh = value; }
  bool Standalone() const { return FCommon->Standalone(); }
  void SetStandalone(bool value);
  bool EnableVersioning() const { return FCommon->EnableVersioning(); }
  void SetEnableVersioning(bool value) { FCommon->SetEnableVersioning(value); }
  TwoxVersioningMode VersioningMode() const { return FCommon->VersioningMode(); }
  void SetVersioningMode(TwoxVersioningMode value) { FCommon->SetVersioningMode(value); }
  TwoxCustomDeltaHandler *DeltaHandler() const { return FDeltaHandler; }
  void SetDeltaHandler(TwoxCustomDeltaHandler *value);
  virtual void StartTransaction();
  virtual void Commit();
  virtual void Rollback();
  // Applies the delta to another dataset whose records match by keyFields.
  virtual void UpdateToDataSet(TDataSet *destination, const QString &keyFields, TwoxUpdateFlags flags);
  virtual void UpdateToDataSet(TDataSet *destination, const QString &keyFields) {
    UpdateToDataSet(destination, keyFields, mtufEdit | mtufAppend);
  }
  // The value of a field in any stored record (or version of one).
  QVariant ValueOf(TwoxRecord &record, TField *field);
  // The status a record has in the delta, and its oldest version.
  static TwoxUpdateStatus DeltaStatus(const TwoxRecord &record, const TwoxRecord *&oldest);

  // --- stream formats and files
  virtual void SaveToStreamViaFormat(QIODevice *stream, TwoxCustomStreamFormat *format);
  virtual void LoadFromStreamViaFormat(QIODevice *stream, TwoxCustomStreamFormat *format);
  // Written whole or not at all: a failed save leaves the old file as it was.
  void SaveToFileViaFormat(const QString &fileName, TwoxCustomStreamFormat *format);
  void SaveToFile(const QString &fileName) { SaveToFileViaFormat(fileName, FDefaultFormat); }
  void LoadFromFileViaFormat(const QString &fileName, TwoxCustomStreamFormat *format);
  void LoadFromFile(const QString &fileName) { LoadFromFileViaFormat(fileName, FDefaultFormat); }
  void LoadFromStream(QIODevice *stream, TwoxCustomStreamFormat *format);
  TwoxCustomStreamFormat *DefaultFormat() const { return FDefaultFormat; }
  void SetDefaultFormat(TwoxCustomStreamFormat *value) { FDefaultFormat = value; }
  TwoxCustomStreamFormat *PersistentFormat() const { return FPersistentFormat; }
  void SetPersistentFormat(TwoxCustomStreamFormat *value) { FPersistentFormat = value; }
  bool Persistent() const { return FPersistent; }
  void SetPersistent(bool value) { FPersistent = value; }
  const QString &PersistentFile() const { return FPersistentFile; }
  void SetPersistentFile(const QString &value) { FPersistentFile = value; }
  bool PersistentBackup() const { return FPersistentBackup; }
  void SetPersistentBackup(bool value) { FPersistentBackup = value; }
  const QString &PersistentBackupExt() const { return FPersistentBackupExt; }
  void SetPersistentBackupExt(const QString &value) { FPersistentBackupExt = value; }
  bool AutoReposition() const { return FAutoReposition; }
  void SetAutoReposition(bool value) { FAutoReposition = value; }
  TwoxCustomStreamFormat *CommaTextFormat() const { return FCommaTextFormat; }
  void SetCommaTextFormat(TwoxCustomStreamFormat *value) { FCommaTextFormat = value; }

  // --- what a form description holds of the table. The programs build their windows in code, so
  // there is no form reader: DesignActivation, SortFields and SortOptions are kept and nothing reads
  // them; the "Data" property is written and read through WriteData and ReadData.
  bool DesignActivation() const { return FDesignActivation; }
  void SetDesignActivation(bool value) { FDesignActivation = value; }
  const QString &SortFields() const { return FSortFields; }
  void SetSortFields(const QString &value) { FSortFields = value; }
  TwoxMemTableCompareOptions SortOptions() const { return FSortOptions; }
  void SetSortOptions(TwoxMemTableCompareOptions value) { FSortOptions = value; }
  bool StoreDataOnForm() const { return FStoreDataOnForm; }
  void SetStoreDataOnForm(bool value) { FStoreDataOnForm = value; }
  TwoxCustomStreamFormat *FormFormat() const { return FFormFormat; }
  void SetFormFormat(TwoxCustomStreamFormat *value) { FFormFormat = value; }
  // "Data" is stored only with StoreDataOnForm on an active table: its records in FormFormat.
  bool DataStored() const { return FStoreDataOnForm && Active(); }
  void WriteData(QIODevice *stream);
  // Keeps the bytes; the table loads them when it opens with StoreDataOnForm, and drops them either way.
  void ReadData(QIODevice *stream);

  // --- record access for the formats: field reads and writes of one stored record, in the
  // filter state, with its calculated fields computed.
  void BeginRecordAccess();
  void AccessRecord(TwoxRecord &record);
  void EndRecordAccess();

  // --- what a failed load gives back (TwoxLoadGuard)
  bool OwnsStore() const { return FCommon->Owner() == this; }
  // Closes like Close, taking the records out of the store instead of freeing them.
  TwoxStoreContent CloseKeepingRecords();
  // Puts records taken by CloseKeepingRecords back into the store of the open table.
  void RestoreRecords(TwoxStoreContent &&content);
  // Removes the records appended since the store's unique-id counter stood at firstUniqueRecordID.
  void DiscardRecordsFrom(int firstUniqueRecordID);

  // --- properties
  TwoxCommon &Common() const { return *FCommon; }
  int AttachMaxCount() const { return FCommon->AttachMaxCount(); }
  void SetAttachMaxCount(int value) { FCommon->SetAttachMaxCount(value); }
  int AutoIncMinValue() const { return FCommon->AutoIncMinValue(); }
  void SetAutoIncMinValue(int value) { FCommon->SetAutoIncMinValue(value); }
  bool EnableIndexes() const { return FEnableIndexes; }
  void SetEnableIndexes(bool value);
  const QString &IndexName() const { return FIndexName; }
  void SetIndexName(const QString &value);
  const QString &IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const QString &value);
  TwoxIndex &CurrentIndex() const { return *FCurrentIndex; }
  TwoxIndexes &Indexes() { return FIndexes; }
  const TwoxFieldList &IndexFieldList() const { return FIndexFieldList; }
  bool RecalcOnFetch() const { return FRecalcOnFetch; }
  void SetRecalcOnFetch(bool value) { FRecalcOnFetch = value; }
  TwoxMemTablePerformance Performance() const { return FCommon->Performance(); }
  void SetPerformance(TwoxMemTablePerformance value);
  int LoadLimit() const { return FLoadLimit; }
  void SetLoadLimit(int value) { FLoadLimit = value; }
  int SaveLimit() const { return FSaveLimit; }
  void SetSaveLimit(int value) { FSaveLimit = value; }
  bool LoadedCompletely() const { return FLoadedCompletely; }
  bool SavedCompletely() const { return FSavedCompletely; }
  int LoadedCount() const { return FLoadedCount; }
  int SavedCount() const { return FSavedCount; }
  TwoxProgressCodes ProgressFlags() const { return FProgressFlags; }
  void SetProgressFlags(TwoxProgressCodes value) { FProgressFlags = value; }
  QString Version() const { return QStringLiteral("3.02"); }
  int LanguageID() const { return FCommon->LanguageID(); }
  void SetLanguageID(int value) { FCommon->SetLanguageID(value); }
  int SubLanguageID() const { return FCommon->SubLanguageID(); }
  void SetSubLanguageID(int value) { FCommon->SetSubLanguageID(value); }
  int SortID() const { return FCommon->SortID(); }
  void SetSortID(int value) { FCommon->SetSortID(value); }
  int LocaleID() const { return FCommon->LocaleID(); }
  void SetLocaleID(int value) { FCommon->SetLocaleID(value); }
  TwoxOperation Operation() const { return FOperation; }
  void SetOperation(TwoxOperation value) { FOperation = value; }
  // The load switches: read-only fields accept values; auto-increment fields keep loaded values.
  void SetReadOnlyOverride(bool value) { FReadOnlyOverride = value; }
  void SetKeepAutoInc(bool value) { FKeepAutoInc = value; }

  // --- events
  std::function<void(TDataSet *, int Percentage, TwoxProgressCode Code)> OnProgress;
  std::function<void(TDataSet *, bool &Accept)> OnLoadRecord, OnSaveRecord;
  std::function<void(TDataSet *, int FieldNo, TField *Field)> OnLoadField, OnSaveField;
  std::function<void(TDataSet *, int StorageType, QIODevice *Stream)> OnSave, OnLoad;
  std::function<void(TDataSet *, TField *Field, quint8 &FieldFlags)> OnSetupField;
  std::function<void(TDataSet *, TField *Field)> OnSetupFieldProperties;
  std::function<void(TDataSet *, TField *Field, const QByteArray &Buffer, QByteArray &ResultBuffer)>
      OnCompressField, OnDecompressField;
  std::function<void(TDataSet *, const void *KeyField, const void *AField, TFieldType FieldType,
                     TwoxMemTableCompareOptions Options, bool &FullCompare, int &Result)>
      OnCompareFields;
  std::function<void(TDataSet *, TwoxIndex *Index, bool &Accept)> OnFilterIndex;
  std::function<void(TDataSet *, QIODevice *UnCompressedStream, QIODevice *CompressedStream)>
      OnCompressBlobStream;
  std::function<void(TDataSet *, QIODevice *CompressedStream, QIODevice *DeCompressedStream)>
      OnDecompressBlobStream;

  // --- index host
  TwoxCommon &IndexStore() const override { return *FCommon; }
  TDataSet *IndexDataSet() override { return this; }
  bool UsesCompareFieldsEvent() const override;
  bool CompareFieldsEvent(TField *field, const char *key, const char *value,
                          TwoxMemTableCompareOptions options, bool &fullCompare, int &result) override;
  bool IndexAccepts(TwoxIndex &index, TwoxRecord &record) override;
  bool RecordAccepted(TwoxRecord &record) override { return AcceptRecord(record, false); }
  bool IndexActive() const override { return FCursorOpen; }
  void BeginSorting() override;
  void EndSorting() override;
  void SearchProgress(int percentage) override { Progress(percentage, mtpcSearch); }

protected:
  // --- the record-buffer protocol
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer &buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  int GetRecordSize() const override { return FCommon->DataSize(); }
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FCursorOpen; }
  void InternalInitFieldDefs() override;
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = FCurrentIndex->Count(); }
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalEdit() override { ++FEditSerial; }
  void InternalInsert() override { ++FEditSerial; }
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
  bool GetIsIndexField(const TField *field) const override { return FIndexFieldList.IndexOf(field) >= 0; }
  void CheckFieldWritable(TField *field) override;
  TRecordBuffer GetActiveRecBuf() const override;
  void DoBeforeInsert() override;
  void DoAfterOpen() override;
  void DoBeforeClose() override;
  TDataSource *GetDataSource() const override { return MasterSource(); }
  void SetFilterText(const QString &value) override;

  // --- cursor movement over accepted records
  virtual void SetCursorBeforeFirst() { FCursor = -1; }
  virtual void SetCursorAfterLast() { FCursor = FCurrentIndex->Count(); }
  virtual bool MoveNextAccepted();
  virtual bool MovePriorAccepted();

  // Whether the table shows the record now (force: check the filter even when not Filtered).
  virtual bool AcceptRecord(TwoxRecord &record, bool force);
  // True when any restriction may refuse records.
  virtual bool RestrictionsActive() const;

  struct TwoxBuffer;
  class TwoxRecordAccess;
  static TwoxBuffer *Buf(TRecordBuffer buffer) { return reinterpret_cast<TwoxBuffer *>(buffer); }
  static const TwoxRecord &DataRecord(TRecordBuffer buffer);
  // The stored record that a buffer was read from, or nullptr.
  TwoxRecord *StoredRecord(TRecordBuffer buffer) const;
  void FillBuffer(TRecordBuffer buffer, TwoxRecord &record);
  // The cursor's record when it is inside the current index.
  TwoxRecord *CursorRecord() const;
  void SwitchToIndex(TwoxIndex *index);
  void RebuildIndexes();
  // Every index of every active table of the store, for maintenance; a post asks for them, so they
  // come without a heap block.
  using TwoxIndexList = QVarLengthArray<TwoxIndex *, 8>;
  TwoxIndexList MaintainedIndexes() const;
  int FindKey(const QString &keyFields, const QVariant &keyValues, TLocateOptions options);
  // A record holding the values in the fields (through the fields' own conversions).
  std::unique_ptr<TwoxRecord> MakeKeyRecord(const TwoxFieldList &fields, const QVariantList &values);

private:
  void ApplyIndexSelection();
  // Sets EnableIndexes without rebuilding: the caller rebuilds the indexes once.
  void SwitchEnableIndexes(bool value);
  void SelectIndex(TwoxIndex *index, bool rowOrder);
  void ParseFilter();
  std::unique_ptr<TFilterExpr> ParsedFilter(const QString &text, TFilterOptions options);
  // Makes expr the parsed filter, with its program over stored records when it has one.
  void TakeFilter(std::unique_ptr<TFilterExpr> expr);
  bool MasterDetailRestricts() const;
  bool PassesRange(TwoxRecord &record);
  bool PassesMasterDetail(TwoxRecord &record);
  bool PassesFilter();
  TwoxFieldList DetailKeyFields() const;
  void RefreshAttached();
  void RepositionAfterChange();
  void CheckTransactionLevel() const;
  void RenumberAttached();
  void LoadPersistentFile();
  void LoadFormData();
  void RunFormatSteps(QIODevice *stream, TwoxCustomStreamFormat *format,
                      void (TwoxCustomStreamFormat::*before)(TwoxCustomMemTable &),
                      void (TwoxCustomStreamFormat::*middle)(TwoxCustomMemTable &),
                      void (TwoxCustomStreamFormat::*after)(TwoxCustomMemTable &));
  void SavePersistentFile();
  void AssignAutoInc(TwoxRecord &record, bool keepValues);
  using TwoxCopyMapping = std::vector<std::pair<TField *, TField *>>; // destination, source
  TwoxCopyMapping CopyMapping(TDataSet *source, TDataSet *destination, bool destinationEmpty);
  bool CopyCurrentRecord(TDataSet *source, TDataSet *destination, const TwoxCopyMapping &mapping);
  void CopyStructureFrom(TDataSet *source);
  void CopyDisplayProperties(TDataSet *source);
  void InsertPosted(TRecordBuffer buffer, bool append);
  void EditPosted(TRecordBuffer buffer);

  std::unique_ptr<TwoxCommon> FOwnCommon;
  TwoxCommon *FCommon;
  // Set while CloseKeepingRecords closes: the records go to FTakenRecords instead of being freed.
  bool FTakeRecordsOnClose = false;
  // Counts the edits and inserts begun, so that a blob stream knows whether its record is still
  // the one being edited.
  quint64 FEditSerial = 0;
  TwoxStoreContent FTakenRecords;
  TwoxIndexes FIndexes;
  TwoxIndex *FCurrentIndex;
  TwoxFieldList FIndexFieldList;
  int FCursor = -1;
  bool FCursorOpen = false;
  int FInsertPosition = -1;
  bool FEnableIndexes = true;
  QString FIndexName, FIndexFieldNames;
  bool FRecalcOnFetch = true;
  int FLoadLimit = -1, FSaveLimit = -1;
  bool FLoadedCompletely = false, FSavedCompletely = false;
  int FLoadedCount = 0, FSavedCount = 0;
  TwoxProgressCodes FProgressFlags;
  TwoxOperation FOperation = mtoNone;
  TwoxOperation FOperationBeforeSort = mtoNone;
  bool FReadOnlyOverride = false;
  bool FKeepAutoInc = false;
  TRecordBuffer FKeyBuffer = nullptr;
  TRecordBuffer FFilterScratch = nullptr;
  bool FRecalcOnIndex = false;
  quint8 FUpdateStatusFilter = 0;
  bool FRangeActive = false;
  std::unique_ptr<TwoxRecord> FRangeStart, FRangeEnd;
  TwoxFieldList FRangeFields;
  bool FMasterDetailActive = true;
  std::unique_ptr<TwoxMasterDataLink> FMasterLink;
  QString FMasterFields, FDetailFields;
  std::unique_ptr<TwoxRecord> FMasterKey;
  int FMasterKeyCount = 0;
  std::unique_ptr<TFilterExpr> FFilterExpr;
  std::unique_ptr<TwoxFilterProgram> FFilterProgram;
  TwoxCustomMemTable *FAttachedTo = nullptr;
  bool FAttachedAutoRefresh = true;
  QPointer<TwoxCustomDeltaHandler> FDeltaHandler;
  QPointer<TwoxCustomStreamFormat> FDefaultFormat, FPersistentFormat, FCommaTextFormat, FFormFormat;
  bool FDesignActivation = true;
  QString FSortFields;
  TwoxMemTableCompareOptions FSortOptions;
  bool FStoreDataOnForm = false;
  std::unique_ptr<QByteArray> FFormData;
  bool FPersistent = false;
  QString FPersistentFile, FPersistentBackupExt;
  bool FPersistentBackup = false;
  bool FPersistentSaved = false;
  bool FAutoReposition = false;
  TDataSetState FAccessSavedState = dsInactive;
  TRecordBuffer FAccessSavedBuffer = nullptr;
};

// The memory table as components use it.
class TwoxMemTable : public TwoxCustomMemTable {
public:
  using TwoxCustomMemTable::TwoxCustomMemTable;
};
