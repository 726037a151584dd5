#pragma once

#include "DBTypes.h"
#include "FieldDefs.h"
#include "Fields.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class EDatabaseError;
class QIODevice;
class TDataLink;
class TDataSource;

// Raises EDatabaseError with the message, prefixed by the component's name when it has one.
[[noreturn]] void DatabaseError(const QString &message, const QObject *component = nullptr);

// The dataset: a cursor over records shown through a ring of record buffers.
//
// A descendant supplies the records through the protected virtual protocol below: it allocates
// and lays out record buffers (AllocRecordBuffer, GetRecordSize), fills them (GetRecord, which
// also computes calculated fields with GetCalcFields when asked), reads and writes field values in
// the buffer that GetActiveRecBuf chooses by state (GetFieldData/SetFieldData; SetFieldData ends
// with DataEvent(deFieldChange, field) unless the state is dsCalcFields, dsInternalCalc, dsFilter
// or dsNewValue), keeps bookmark data and flags in each buffer, and implements the Internal*
// operations. The base runs the public operations, the states, the events and the buffer window.
class TDataSet : public QObject {
  friend class TDataLink;
  friend class TDataSource;
  friend class TBlobField;
  friend class TField;

public:
  explicit TDataSet(QObject *owner = nullptr);
  ~TDataSet() override;

  // --- opening and state
  bool Active() const { return FState != dsInactive && FState != dsOpening; }
  virtual void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }
  virtual void CheckActive() const;
  void CheckInactive() const;
  // Posts a modified record, cancels an unmodified one.
  void CheckBrowseMode();
  bool Modified() const { return FModified; }

  // --- navigation
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  int MoveBy(int distance);
  bool Bof() const { return FBOF; }
  bool Eof() const { return FEOF; }
  bool IsEmpty() const;
  int RecordCount() const;
  int RecNo() const;
  // Moves to the record with that number (1-based) when the descendant numbers its records.
  virtual void SetRecNo(int) {}
  void Refresh();
  void Resync(TResyncMode mode);
  bool FindFirst();
  bool FindLast();
  bool FindNext();
  bool FindPrior();
  bool Found() const { return FFound; }

  // --- editing
  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  void InsertRecord(const QVariantList &values);
  void AppendRecord(const QVariantList &values);
  void SetFields(const QVariantList &values);
  void ClearFields();
  // Hands pending edits of the data-aware controls to the fields.
  void UpdateRecord();
  bool CanModify() const { return GetCanModify(); }

  // --- bookmarks
  TBookmark GetBookmark() const;
  void GotoBookmark(const TBookmark &bookmark);
  void FreeBookmark(TBookmark &bookmark) { bookmark.clear(); }
  TBookmark Bookmark() const { return GetBookmark(); }
  void SetBookmark(const TBookmark &value) { GotoBookmark(value); }
  int BookmarkSize() const { return FBookmarkSize; }
  virtual bool BookmarkValid(const TBookmark &bookmark);
  // -1, 0 or 1; an empty bookmark sorts first.
  virtual int CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2);

  // --- searching; KeyFields and ResultFields are names separated by ";", KeyValues a single value
  // or a QVariantList with one value per key field.
  virtual bool Locate(const QString &keyFields, const QVariant &keyValues, TLocateOptions options);
  virtual QVariant Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields);

  // --- fields
  int FieldCount() const { return int(FFields.size()); }
  TField *Fields(int index) const;
  const std::vector<TField *> &FieldList() const { return FFields; }
  TField *FindField(const QString &fieldName) const;
  TField *FieldByName(const QString &fieldName) const;
  TField *FieldByNumber(int fieldNo) const;
  // The fields named in a ";"-separated list, in order; raises for an unknown name.
  std::vector<TField *> GetFieldList(const QString &fieldNames) const;
  QStringList GetFieldNames() const;
  QVariant FieldValues(const QString &fieldNames) const;
  void SetFieldValues(const QString &fieldNames, const QVariant &values);
  // True when the fields were created from the field definitions at opening.
  bool DefaultFields() const { return FDefaultFields; }
  // Fills FieldDefs through InternalInitFieldDefs, which must work while the dataset is closed.
  void InitFieldDefs();
  TFieldDefs &FieldDefs() { return FFieldDefs; }
  const TFieldDefs &FieldDefs() const { return FFieldDefs; }
  TIndexDefs &IndexDefs() { return FIndexDefs; }
  const TIndexDefs &IndexDefs() const { return FIndexDefs; }
  bool AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool value) { FAutoCalcFields = value; }
  int CalcFieldsSize() const { return FCalcFieldsSize; }
  // A stream over a blob field's value in the active record; a write stream stores its bytes when it
  // is destroyed (an empty value is null). The base raises "Blob streams are not supported".
  virtual std::unique_ptr<QIODevice> CreateBlobStream(TField *field, TBlobStreamMode mode);
  // The field's native value in the record buffer that GetActiveRecBuf chooses; false when null.
  // buffer nullptr only asks for null (for blob fields too).
  virtual bool GetFieldData(TField *field, void *buffer) = 0;
  // Writes the native value (nullptr = null) into that buffer; TField::SetData has checked it.
  virtual void SetFieldData(TField *field, const void *buffer) = 0;
  // The master data source of a detail dataset (none here).
  TDataSource *DataSource() const { return GetDataSource(); }

  // --- controls
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount != 0; }
  bool IsLinkedTo(const TDataSource *dataSource) const;

  // --- filtering (descendants filter in GetRecord)
  const QString &Filter() const { return FFilterText; }
  void SetFilter(const QString &value) { SetFilterText(value); }
  bool Filtered() const { return FFiltered; }
  // Descendants override these to filter their records again.
  virtual void SetFiltered(bool value);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  virtual void SetFilterOptions(TFilterOptions value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }

  // --- the record buffer window (read by data links and grids)
  int ActiveRecord() const { return FActiveRecord; }
  int BufferCount() const { return FBufferCount; }
  TRecordBuffer ActiveBuffer() const;
  TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
  bool IsSequenced() { return GetIsSequenced(); }
  bool IsUniDirectional() const { return FIsUniDirectional; }

  // --- events, in the classic order
  std::function<void(TDataSet *)> BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  std::function<void(TDataSet *)> BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  std::function<void(TDataSet *)> BeforePost, AfterPost, BeforeCancel, AfterCancel;
  std::function<void(TDataSet *)> BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  std::function<void(TDataSet *)> BeforeRefresh, AfterRefresh;
  std::function<void(TDataSet *)> OnCalcFields, OnNewRecord;
  std::function<void(TDataSet *, EDatabaseError &E, TDataAction &Action)> OnPostError, OnEditError,
      OnDeleteError;
  std::function<void(TDataSet *, bool &Accept)> OnFilterRecord;

  // Called by fields and data sources.
  virtual void DataEvent(TDataEvent event, std::intptr_t info);
  void AddField(TField *field);
  void RemoveField(TField *field);
  // Moves a field to another position in the field list (TField::SetIndex).
  void MoveField(TField *field, int index);

protected:
  // --- the protocol descendants override
  // InternalOpen prepares the cursor before the first record, fills FieldDefs
  // (InternalInitFieldDefs), creates fields when DefaultFields() (CreateFields) and calls
  // BindFields(true); InternalClose calls BindFields(false) and DestroyFields when DefaultFields().
  // A descendant's destructor calls CloseOnDestroy().
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer &buffer) = 0;
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) = 0;
  virtual int GetRecordSize() const = 0;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
  virtual void InternalAddRecord(TRecordBuffer buffer, bool append) = 0;
  virtual void InternalPost() = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalCancel() {}
  virtual void InternalRefresh() {}
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  virtual void InternalGotoBookmark(const void *bookmark) = 0;
  // Called from a catch block by a descendant that must not let an exception escape (a
  // notification, a destructor): the default rethrows the exception being handled.
  virtual void InternalHandleException();
  virtual void GetBookmarkData(TRecordBuffer buffer, void *data) = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const void *data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) = 0;
  virtual int GetRecordCount() const { return -1; }
  virtual int GetRecNo() const { return -1; }
  virtual bool GetIsSequenced() { return false; }
  virtual bool GetCanModify() const { return !FReadOnly; }
  virtual TDataSource *GetDataSource() const { return nullptr; }
  // Whether the field belongs to the current index (TField::IsIndexField).
  virtual bool GetIsIndexField(const TField *) const { return false; }
  // Moves to the next or prior accepted record (from the first or last one when restart).
  virtual bool FindRecord(bool restart, bool goForward);
  virtual void SetFilterText(const QString &value);
  // The descendant clears its calculated-field area of the buffer.
  virtual void ClearCalcFields(TRecordBuffer) {}
  // Computes calculated fields of a buffer in the dsCalcFields state (when there are any).
  virtual void GetCalcFields(TRecordBuffer buffer);
  virtual void CalculateFields(TRecordBuffer buffer);
  virtual void InitRecord(TRecordBuffer buffer);
  // Called before a field value is written (TField::SetData, blob writes): raises "Dataset not in
  // edit or insert mode" outside the write states and "Field 'X' cannot be modified" for a read-only
  // field outside dsSetKey, dsCalcFields, dsFilter and dsInternalCalc.
  virtual void CheckFieldWritable(TField *field);
  // Raises "Field 'X' must have a value" for a required data field that is null; Post and
  // InsertRecord/AppendRecord call it after BeforePost.
  virtual void CheckRequiredFields();
  virtual void CreateFields();
  virtual void DestroyFields();
  // Lays out the calculated-field area (an offset for each calculated and lookup field).
  virtual void BindFields(bool binding);
  virtual void OpenCursor(bool infoQuery);
  virtual void CloseCursor();
  virtual void SetBufListSize(int value);

  // --- helpers for descendants
  // Closes without BeforeClose/AfterClose while the dataset is being destroyed.
  void CloseOnDestroy();
  // The record buffer that field access uses in the current state (nullptr when there is none):
  // browse/edit/insert: the active buffer; calc states: CalcBuffer; dsFilter: FilterBuffer.
  virtual TRecordBuffer GetActiveRecBuf() const;
  TRecordBuffer FilterBuffer() const { return FFilterBuffer; }
  void SetFilterBuffer(TRecordBuffer buffer) { FFilterBuffer = buffer; }
  // Null flag + native value of a calculated or lookup field in a calculated-field area.
  bool GetCalcFieldData(TField *field, const char *calcArea, void *buffer) const;
  void SetCalcFieldData(TField *field, char *calcArea, const void *buffer) const;
  TDataSetState SetTempState(TDataSetState value);
  void RestoreState(TDataSetState value);
  void SetState(TDataSetState value);
  void SetModified(bool value) { FModified = value; }
  void SetBookmarkSize(int value) { FBookmarkSize = value; }
  void SetUniDirectional(bool value) { FIsUniDirectional = value; }
  void SetFound(bool value) { FFound = value; }
  void CheckBiDirectional() const;
  void CheckCanModify() const;
  // Makes the descendant's cursor point at the active record.
  void UpdateCursorPos();
  // Forgets which buffer the descendant's cursor points at.
  void CursorPosChanged() { FCurrentRecord = -1; }
  void UpdateBufferCount();
  void ClearBuffers();
  TRecordBuffer Buffers(int index) const { return FBuffers[std::size_t(index)]; }
  int BufferRecordCount() const { return FRecordCount; }
  // Event runners: each fires its event; a descendant that overrides one calls the inherited one.
  virtual void DoBeforeOpen() { Fire(BeforeOpen); }
  virtual void DoAfterOpen() { Fire(AfterOpen); }
  virtual void DoBeforeClose() { Fire(BeforeClose); }
  virtual void DoAfterClose() { Fire(AfterClose); }
  virtual void DoBeforeInsert() { Fire(BeforeInsert); }
  virtual void DoAfterInsert() { Fire(AfterInsert); }
  virtual void DoBeforeEdit() { Fire(BeforeEdit); }
  virtual void DoAfterEdit() { Fire(AfterEdit); }
  virtual void DoBeforePost() { Fire(BeforePost); }
  virtual void DoAfterPost() { Fire(AfterPost); }
  virtual void DoBeforeCancel() { Fire(BeforeCancel); }
  virtual void DoAfterCancel() { Fire(AfterCancel); }
  virtual void DoBeforeDelete() { Fire(BeforeDelete); }
  virtual void DoAfterDelete() { Fire(AfterDelete); }
  virtual void DoBeforeRefresh() { Fire(BeforeRefresh); }
  virtual void DoAfterRefresh() { Fire(AfterRefresh); }
  virtual void DoBeforeScroll() { Fire(BeforeScroll); }
  virtual void DoAfterScroll() { Fire(AfterScroll); }
  virtual void DoOnCalcFields() { Fire(OnCalcFields); }
  virtual void DoOnNewRecord() { Fire(OnNewRecord); }
  // Runs a Before/After event.
  void Fire(const std::function<void(TDataSet *)> &event);
  // Compares a field of the current (temporary-state) record with a key value, as Locate does.
  bool FieldMatches(TField *field, const QVariant &key, TLocateOptions options) const;
  // Moves the descendant's cursor to the first record whose key fields match (buffer = work buffer).
  bool LocateRecord(const QString &keyFields, const QVariant &keyValues, TLocateOptions options);
  // Walks the records from the cursor (work buffer, dsFilter state) until accept answers true.
  bool ScanRecords(bool forward, const std::function<bool()> &accept);
  // Whether OnFilterRecord accepts the buffer's record (always when not Filtered), run in the
  // dsFilter state on that buffer.
  bool RecordAccepted(TRecordBuffer buffer);
  TRecordBuffer WorkBuffer() const { return FBuffers[std::size_t(FRecordCount)]; }

private:
  void SetBufferCount(int value);
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void SetCurrentRecord(int index);
  void MoveBuffer(int curIndex, int newIndex);
  void ActivateBuffers();
  void BeginInsertAppend();
  void EndInsertAppend();
  void AddRecord(const QVariantList &values, bool append);
  void PrepareInsertBuffer(bool append);
  // Runs accept in the dsFilter state with the buffer as FilterBuffer.
  bool AcceptedInFilterState(TRecordBuffer buffer, const std::function<bool()> &accept);
  void CheckOperation(const std::function<void()> &operation,
                      const std::function<void(TDataSet *, EDatabaseError &, TDataAction &)> &errorEvent);
  void DoInternalOpen();
  void UpdateCalcFields(TField *field);
  void AddDataSource(TDataSource *dataSource);
  void RemoveDataSource(TDataSource *dataSource);

  TDataSetState FState = dsInactive;
  TDataSetState FDisableState = dsInactive;
  TDataEvent FEnableEvent = deDataSetChange;
  int FDisableCount = 0;
  std::vector<TRecordBuffer> FBuffers;
  int FBufferCount = 0;
  int FRecordCount = 0;
  int FActiveRecord = 0;
  int FCurrentRecord = -1;
  TRecordBuffer FCalcBuffer = nullptr;
  TRecordBuffer FFilterBuffer = nullptr;
  int FCalcFieldsSize = 0;
  int FBookmarkSize = 0;
  bool FBOF = true;
  bool FEOF = true;
  bool FModified = false;
  bool FFound = false;
  bool FDefaultFields = false;
  bool FAutoCalcFields = true;
  bool FInternalOpenComplete = false;
  bool FInternalCalcFields = false;
  bool FIsUniDirectional = false;
  bool FReadOnly = false;
  bool FDestroying = false;
  bool FFiltered = false;
  QString FFilterText;
  TFilterOptions FFilterOptions;
  std::vector<TField *> FFields;
  std::vector<TDataSource *> FDataSources;
  TFieldDefs FFieldDefs;
  TIndexDefs FIndexDefs;
};
