#include "woxMemStreamFormat.h"

#include "woxMemFieldTypes.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

#include <QBuffer>
#include <QFileDevice>

namespace {

using MemFieldTypes::IsBlobGroup;

} // namespace

TwoxCustomStreamFormat::TwoxCustomStreamFormat(QObject *owner) : QObject(owner) {}

void TwoxCustomStreamFormat::Assign(const TwoxCustomStreamFormat &source) {
  FData = source.FData;
  FCalculated = source.FCalculated;
  FLookup = source.FLookup;
  FNonVisible = source.FNonVisible;
  FBlobs = source.FBlobs;
  FDef = source.FDef;
  FIndexDef = source.FIndexDef;
  FFiltered = source.FFiltered;
  FIgnoreRange = source.FIgnoreRange;
  FIgnoreMasterDetail = source.FIgnoreMasterDetail;
  FDeltas = source.FDeltas;
  FDontFilterDeltas = source.FDontFilterDeltas;
  FAppend = source.FAppend;
  FFieldKind = source.FFieldKind;
  FFromStart = source.FFromStart;
}

// ---------------------------------------------------------------- saving

// element: the save (bit 0) or load (bit 1) element of every flag set.
bool TwoxCustomStreamFormat::TakesPart(const TField &field, TwoxStreamFlags element) const {
  if (IsBlobGroup(field.DataType()) && !(FBlobs & element))
    return false;
  if (!field.Visible() && !(FNonVisible & element))
    return false;
  switch (field.FieldKind()) {
  case fkData:
  case fkInternalCalc: return FData & element;
  case fkCalculated: return FCalculated & element;
  case fkLookup: return FLookup & element;
  default: return false;
  }
}

void TwoxCustomStreamFormat::DetermineSaveFields(TwoxCustomMemTable &table) {
  FSaveFields.assign(std::size_t(table.FieldCount()), -1);
  for (int i = 0; i < table.FieldCount(); ++i) {
    FSaveFields[std::size_t(i)] = TakesPart(*table.Fields(i), sfSaveData) ? i : -1;
  }
}

void TwoxCustomStreamFormat::BeforeSave(TwoxCustomMemTable &table) {
  FWasFiltered = table.Filtered();
  FWasRangeActive = table.RangeActive();
  FWasMasterDetailActive = table.MasterDetailActive();
  table.DisableControls();
  table.Common().Lock();
  FLocked = true;
  table.SetOperation(mtoSaving);
  table.Progress(0, mtpcSave);
  if (FWasFiltered && (FFiltered & sfSaveFiltered))
    table.TDataSet::SetFiltered(false);
  if (FWasMasterDetailActive && (FIgnoreMasterDetail & sfSaveIgnoreMasterDetail))
    table.SetMasterDetailActive(false);
  if (FWasRangeActive && (FIgnoreRange & sfSaveIgnoreRange))
    table.SetRangeActive(false);
  if (OnCompress) {
    FWorkStream = new QBuffer;
    FWorkStream->open(QIODevice::ReadWrite);
    FOwnsWorkStream = true;
  } else {
    FWorkStream = FTargetStream;
  }
  if (FAppend & sfSaveAppend) {
    FWorkStream->seek(FWorkStream->size());
  } else if (!(FAppend & sfSaveInsert)) {
    if (auto *buffer = qobject_cast<QBuffer *>(FWorkStream))
      buffer->buffer().clear();
    else if (auto *file = qobject_cast<QFileDevice *>(FWorkStream))
      file->resize(0);
    FWorkStream->seek(0);
  }
  DetermineSaveFields(table);
}

void TwoxCustomStreamFormat::Save(TwoxCustomMemTable &table) {
  if (OnBeforeSave)
    OnBeforeSave(this);
  SaveDefinitions(table);
  SaveRecords(table);
  if (OnAfterSave)
    OnAfterSave(this);
}

void TwoxCustomStreamFormat::AfterSave(TwoxCustomMemTable &table) {
  if (!FLocked)
    return;
  FLocked = false;
  // The table is given back also when compressing or refiltering fails.
  try {
    if (OnCompress && FOwnsWorkStream) {
      FWorkStream->seek(0);
      OnCompress(&table, FWorkStream, FTargetStream);
    }
    table.SetMasterDetailActive(FWasMasterDetailActive);
    table.SetRangeActive(FWasRangeActive);
    if (table.Filtered() != FWasFiltered)
      table.TDataSet::SetFiltered(FWasFiltered);
  } catch (...) {
    table.SetMasterDetailActive(FWasMasterDetailActive);
    table.SetOperation(mtoNone);
    table.Common().Unlock();
    table.EnableControls();
    throw;
  }
  table.SetOperation(mtoNone);
  table.Progress(100, mtpcSave);
  table.Common().Unlock();
  table.EnableControls();
}

// ---------------------------------------------------------------- loading

void TwoxCustomStreamFormat::GetColumnNames(TwoxCustomMemTable &table, QStringList &names, int) {
  names.clear();
  for (const TField *field : table.FieldList())
    names << field->DisplayLabel();
}

void TwoxCustomStreamFormat::FindColumnField(TwoxCustomMemTable &, const QString &, int, int &) {}

void TwoxCustomStreamFormat::DetermineLoadFields(TwoxCustomMemTable &table, int pass) {
  QStringList names;
  GetColumnNames(table, names, pass);
  FLoadFields.assign(std::size_t(names.size()), -1);
  for (int j = 0; j < names.size(); ++j) {
    int index = -1;
    FindColumnField(table, names[j], pass, index);
    if (index < 0 || index >= table.FieldCount())
      continue;
    FLoadFields[std::size_t(j)] = TakesPart(*table.Fields(index), sfLoadData) ? index : -1;
  }
}

void TwoxCustomStreamFormat::BeforeLoad(TwoxCustomMemTable &table) {
  FWasPersistent = table.Persistent();
  FWasEnableIndexes = table.EnableIndexes();
  table.DisableControls();
  table.Common().Lock();
  FLocked = true;
  table.SetOperation(mtoLoading);
  FLoadGuard.Begin(table);
  table.SetPersistent(false);
  table.SetEnableIndexes(false);
  table.SetReadOnlyOverride(true);
  table.SetKeepAutoInc(true);
  FBookmark.clear();
  if (table.AutoReposition() && table.Active() && !table.IsEmpty())
    FBookmark = table.GetBookmark();
  table.Progress(0, mtpcLoad);
  if (OnDeCompress) {
    auto *work = new QBuffer;
    work->open(QIODevice::ReadWrite);
    FWorkStream = work;
    FOwnsWorkStream = true;
    if (FFromStart & sfLoadFromStart)
      FTargetStream->seek(0);
    OnDeCompress(&table, FTargetStream, FWorkStream);
    FWorkStream->seek(0);
  } else {
    FWorkStream = FTargetStream;
    if (FFromStart & sfLoadFromStart)
      FWorkStream->seek(0);
  }
  DetermineLoadFields(table, 0);
}

void TwoxCustomStreamFormat::Load(TwoxCustomMemTable &table) {
  if (OnBeforeLoad)
    OnBeforeLoad(this);
  LoadDefinitions(table);
  DetermineLoadFields(table, 1);
  if (FLoadFields.empty())
    MemTableError(QStringLiteral("Couldnt determine field count for load."));
  LoadRecords(table);
  if (OnAfterLoad)
    OnAfterLoad(this);
}

// A load that failed (here or before) gives the table back as it was; the indexes are built once,
// and a load whose records break a unique index is undone as well.
void TwoxCustomStreamFormat::AfterLoad(TwoxCustomMemTable &table) {
  if (!FLocked)
    return;
  FLocked = false;
  table.SetPersistent(FWasPersistent);
  table.SetReadOnlyOverride(false);
  table.SetKeepAutoInc(false);
  auto giveBack = [&] {
    FBookmark.clear();
    table.Common().Unlock();
    table.EnableControls();
    table.SetOperation(mtoNone);
  };
  try {
    if (FStepFailed)
      FLoadGuard.Rollback();
    table.SwitchEnableIndexes(FWasEnableIndexes);
    if (table.Active())
      table.RebuildIndexes();
  } catch (...) {
    if (!FStepFailed) {
      try {
        FLoadGuard.Rollback();
        if (table.Active())
          table.RebuildIndexes();
      } catch (...) {
        // the first error tells what went wrong
      }
    }
    giveBack();
    throw;
  }
  FLoadGuard.Commit();
  try {
    if (table.Active() && table.AutoReposition()) {
      if (!FBookmark.isEmpty() && table.BookmarkValid(FBookmark))
        table.GotoBookmark(FBookmark);
      else
        table.First();
    }
  } catch (...) {
    giveBack();
    throw;
  }
  giveBack();
  table.Progress(100, mtpcLoad);
  if (table.Active() && !table.AutoReposition())
    table.Refresh();
}

void TwoxCustomStreamFormat::SetLoadResult(TwoxCustomMemTable &table, int count, bool completely) {
  table.FLoadedCount = count;
  table.FLoadedCompletely = completely;
}

void TwoxCustomStreamFormat::SetSaveResult(TwoxCustomMemTable &table, int count, bool completely) {
  table.FSavedCount = count;
  table.FSavedCompletely = completely;
}

void TwoxCustomStreamFormat::RebuildIndexesFromDefs(TwoxCustomMemTable &table) {
  if (!table.FCursorOpen)
    return;
  table.FIndexes.BuildFromIndexDefs(table.IndexDefs());
  table.FCurrentIndex = &table.FIndexes.RowOrderIndex();
  table.FIndexFieldList.Clear();
  table.RebuildIndexes();
  table.ApplyIndexSelection();
}

void TwoxCustomStreamFormat::ReleaseStreams() {
  if (FOwnsWorkStream)
    delete FWorkStream;
  FOwnsWorkStream = false;
  FWorkStream = nullptr;
  FTargetStream = nullptr;
}
