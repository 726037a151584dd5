#include "DB.h"

#include "DataSource.h"
#include "Exceptions.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

void DatabaseError(const QString &message, const QObject *component) {
  if (component && !component->objectName().isEmpty())
    throw EDatabaseError(component->objectName() + QStringLiteral(": ") + message);
  throw EDatabaseError(message);
}

TDataSet::TDataSet(QObject *owner) : QObject(owner), FFieldDefs(this), FIndexDefs(this) {}

TDataSet::~TDataSet() {
  // The descendant is gone already: nothing below may reach its overrides.
  FDestroying = true;
  for (TDataSource *source : std::vector<TDataSource *>(FDataSources))
    source->SetDataSet(nullptr);
  for (TField *field : FFields)
    field->FDataSet = nullptr;
  FFields.clear();
}

// ---------------------------------------------------------------- opening and state

void TDataSet::SetActive(bool value) {
  if (value == Active())
    return;
  if (value) {
    DoBeforeOpen();
    try {
      OpenCursor(false);
    } catch (...) {
      FState = dsInactive;
      if (FInternalOpenComplete || IsCursorOpen())
        CloseCursor();
      throw;
    }
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty())
      DoAfterScroll();
  } else {
    if (!FDestroying)
      DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!FDestroying)
      DoAfterClose();
  }
}

void TDataSet::CloseOnDestroy() {
  FDestroying = true;
  SetActive(false);
}

void TDataSet::OpenCursor(bool infoQuery) {
  if (infoQuery)
    InternalInitFieldDefs();
  else
    DoInternalOpen();
}

void TDataSet::DoInternalOpen() {
  FDefaultFields = FFields.empty();
  FInternalOpenComplete = false;
  InternalOpen();
  FInternalOpenComplete = true;
  UpdateBufferCount();
  FBOF = true;
}

void TDataSet::CloseCursor() {
  FInternalOpenComplete = false;
  ClearBuffers();
  SetBufListSize(0);
  InternalClose();
  FBufferCount = 0;
  FCalcBuffer = nullptr;
  FFilterBuffer = nullptr;
}

void TDataSet::InitFieldDefs() {
  InternalInitFieldDefs();
  FFieldDefs.SetUpdated(true);
}

void TDataSet::CheckActive() const {
  if (!Active())
    DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"), this);
}

void TDataSet::CheckInactive() const {
  if (Active())
    DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"), this);
}

void TDataSet::CheckBiDirectional() const {
  if (FIsUniDirectional)
    DatabaseError(QStringLiteral("Operation not allowed on a unidirectional dataset"), this);
}

void TDataSet::CheckCanModify() const {
  if (!GetCanModify())
    DatabaseError(QStringLiteral("Cannot modify a read-only dataset"), this);
}

void TDataSet::SetState(TDataSetState value) {
  if (FState == value)
    return;
  FState = value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
  const TDataSetState previous = FState;
  FState = value;
  ++FDisableCount;
  return previous;
}

void TDataSet::RestoreState(TDataSetState value) {
  FState = value;
  --FDisableCount;
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
  case dsEdit:
  case dsInsert:
    UpdateRecord();
    if (FModified)
      Post();
    else
      Cancel();
    break;
  case dsSetKey: Post(); break;
  default: break;
  }
}

void TDataSet::Fire(const std::function<void(TDataSet *)> &event) {
  if (event)
    event(this);
}

void TDataSet::InternalHandleException() { throw; }

// ---------------------------------------------------------------- the buffer window

TRecordBuffer TDataSet::ActiveBuffer() const {
  return FBuffers.empty() ? nullptr : FBuffers[std::size_t(FActiveRecord)];
}

TRecordBuffer TDataSet::GetActiveRecBuf() const {
  switch (FState) {
  case dsBrowse:
  case dsBlockRead: return IsEmpty() ? nullptr : ActiveBuffer();
  case dsEdit:
  case dsInsert:
  case dsNewValue:
  case dsCurValue: return ActiveBuffer();
  case dsCalcFields:
  case dsInternalCalc: return FCalcBuffer;
  case dsFilter: return FFilterBuffer;
  default: return nullptr;
  }
}

void TDataSet::SetBufListSize(int value) {
  const std::size_t size = std::size_t(std::max(value, 0));
  while (FBuffers.size() > size) {
    FreeRecordBuffer(FBuffers.back());
    FBuffers.pop_back();
  }
  while (FBuffers.size() < size)
    FBuffers.push_back(AllocRecordBuffer());
}

void TDataSet::UpdateBufferCount() {
  if (!IsCursorOpen())
    return;
  int count = 1;
  for (const TDataSource *source : FDataSources)
    for (const TDataLink *link : source->FDataLinks)
      count = std::max(count, link->FBufferCount);
  SetBufferCount(count);
}

void TDataSet::SetBufferCount(int value) {
  if (value == FBufferCount)
    return;
  if (FRecordCount > value) {
    // Keep the active record: drop records after it first, then before it.
    const int drop = FRecordCount - value;
    const int dropBack = std::min(drop, FRecordCount - 1 - FActiveRecord);
    const int dropFront = drop - dropBack;
    for (int i = 0; i < dropFront; ++i)
      MoveBuffer(0, int(FBuffers.size()) - 1);
    FActiveRecord -= dropFront;
    FRecordCount = value;
    CursorPosChanged();
    for (TDataSource *source : FDataSources)
      for (TDataLink *link : source->FDataLinks)
        link->FFirstRecord = std::max(0, link->FFirstRecord - dropFront);
  }
  SetBufListSize(value + 1);
  FBufferCount = value;
  GetNextRecords();
  const int prior = GetPriorRecords();
  if (prior > 0)
    for (TDataSource *source : FDataSources)
      for (TDataLink *link : source->FDataLinks)
        if (link->FActive)
          link->FFirstRecord += prior;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex) {
  if (curIndex == newIndex)
    return;
  const auto from = FBuffers.begin() + curIndex;
  const auto to = FBuffers.begin() + newIndex;
  if (curIndex < newIndex)
    std::rotate(from, from + 1, to + 1);
  else
    std::rotate(to, from, from + 1);
}

void TDataSet::ActivateBuffers() {
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBOF = false;
  FEOF = false;
}

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = true;
  FEOF = true;
}

void TDataSet::SetCurrentRecord(int index) {
  if (FCurrentRecord == index)
    return;
  if (!FIsUniDirectional) {
    const TRecordBuffer buffer = FBuffers[std::size_t(index)];
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(buffer); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
    }
  }
  FCurrentRecord = index;
}

void TDataSet::UpdateCursorPos() {
  if (FRecordCount > 0)
    SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (FRecordCount > 0) {
    SetCurrentRecord(FRecordCount - 1);
    if (FState == dsInsert && FCurrentRecord == FActiveRecord && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
      mode = gmCurrent;
  }
  const bool ok = GetRecord(FBuffers[std::size_t(FRecordCount)], mode, true) == grOK;
  if (!ok) {
    CursorPosChanged();
    return false;
  }
  if (FRecordCount == 0)
    ActivateBuffers();
  else if (FRecordCount < FBufferCount)
    ++FRecordCount;
  else
    MoveBuffer(0, FRecordCount);
  FCurrentRecord = FRecordCount - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  CheckBiDirectional();
  if (FRecordCount > 0)
    SetCurrentRecord(0);
  const bool ok = GetRecord(FBuffers[std::size_t(FRecordCount)], gmPrior, true) == grOK;
  if (!ok) {
    CursorPosChanged();
    return false;
  }
  if (FRecordCount == 0) {
    ActivateBuffers();
  } else {
    MoveBuffer(FRecordCount, 0);
    if (FRecordCount < FBufferCount) {
      ++FRecordCount;
      ++FActiveRecord;
    }
  }
  FCurrentRecord = 0;
  return true;
}

int TDataSet::GetNextRecords() {
  int count = 0;
  while (FRecordCount < FBufferCount && GetNextRecord())
    ++count;
  return count;
}

int TDataSet::GetPriorRecords() {
  int count = 0;
  while (FRecordCount < FBufferCount && GetPriorRecord())
    ++count;
  return count;
}

void TDataSet::Resync(TResyncMode mode) {
  if (FIsUniDirectional)
    return;
  const TRecordBuffer work = WorkBuffer();
  if (mode.testFlag(rmExact)) {
    CursorPosChanged();
    if (GetRecord(work, gmCurrent, true) != grOK)
      DatabaseError(QStringLiteral("Record not found"), this);
  } else if (GetRecord(work, gmCurrent, false) != grOK && GetRecord(work, gmNext, false) != grOK &&
             GetRecord(work, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = mode.testFlag(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
  MoveBuffer(FRecordCount, 0);
  ActivateBuffers();
  try {
    while (count > 0 && GetPriorRecord())
      --count;
    GetNextRecords();
    GetPriorRecords();
  } catch (...) {
    DataEvent(deDataSetChange, 0);
    throw;
  }
  DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------- navigation

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  } catch (...) {
    FBOF = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  FBOF = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBiDirectional();
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  } catch (...) {
    FEOF = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  FEOF = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if ((distance > 0 && !FEOF) || (distance < 0 && !FBOF)) {
    FBOF = false;
    FEOF = false;
    const int oldRecordCount = FRecordCount;
    int scrollCount = 0;
    auto notify = [&] {
      if (FRecordCount != oldRecordCount)
        DataEvent(deDataSetChange, 0);
      else
        DataEvent(deDataSetScroll, scrollCount);
    };
    try {
      while (distance > 0) {
        if (FActiveRecord < FRecordCount - 1) {
          ++FActiveRecord;
        } else {
          const int shift = FRecordCount < FBufferCount ? 0 : 1;
          if (!GetNextRecord()) {
            FEOF = true;
            break;
          }
          scrollCount -= shift;
          FActiveRecord = FRecordCount - 1;
        }
        --distance;
        ++result;
      }
      while (distance < 0) {
        if (FActiveRecord > 0) {
          --FActiveRecord;
        } else {
          const int shift = FRecordCount < FBufferCount ? 0 : 1;
          if (!GetPriorRecord()) {
            FBOF = true;
            break;
          }
          scrollCount += shift;
          FActiveRecord = 0;
        }
        ++distance;
        --result;
      }
    } catch (...) {
      notify();
      throw;
    }
    notify();
    DoAfterScroll();
  }
  return result;
}

bool TDataSet::IsEmpty() const { return FActiveRecord >= FRecordCount; }

int TDataSet::RecordCount() const {
  CheckActive();
  return GetRecordCount();
}

int TDataSet::RecNo() const { return GetRecNo(); }

void TDataSet::Refresh() {
  DoBeforeRefresh();
  CheckBrowseMode();
  UpdateCursorPos();
  try {
    InternalRefresh();
  } catch (...) {
    Resync({});
    throw;
  }
  Resync({});
  DoAfterRefresh();
}

bool TDataSet::AcceptedInFilterState(TRecordBuffer buffer, const std::function<bool()> &accept) {
  FFilterBuffer = buffer;
  const TDataSetState saved = SetTempState(dsFilter);
  bool accepted;
  try {
    accepted = accept();
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return accepted;
}

bool TDataSet::RecordAccepted(TRecordBuffer buffer) {
  if (!FFiltered || !OnFilterRecord)
    return true;
  return AcceptedInFilterState(buffer, [this] {
    bool accept = true;
    OnFilterRecord(this, accept);
    return accept;
  });
}

bool TDataSet::ScanRecords(bool forward, const std::function<bool()> &accept) {
  const TRecordBuffer work = WorkBuffer();
  while (GetRecord(work, forward ? gmNext : gmPrior, true) == grOK)
    if (AcceptedInFilterState(work, accept))
      return true;
  return false;
}

bool TDataSet::FindRecord(bool restart, bool goForward) {
  CheckBrowseMode();
  DoBeforeScroll();
  UpdateCursorPos();
  CursorPosChanged();
  if (restart) {
    if (goForward)
      InternalFirst();
    else
      InternalLast();
  }
  // A filter that the dataset does not apply (Filtered off) still decides what Find* finds.
  const bool found = ScanRecords(goForward, [this] {
    bool accept = true;
    if (!FFiltered && OnFilterRecord)
      OnFilterRecord(this, accept);
    return accept;
  });
  if (found) {
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return found;
}

bool TDataSet::FindFirst() {
  FFound = FindRecord(true, true);
  return FFound;
}

bool TDataSet::FindLast() {
  FFound = FindRecord(true, false);
  return FFound;
}

bool TDataSet::FindNext() {
  FFound = FindRecord(false, true);
  return FFound;
}

bool TDataSet::FindPrior() {
  FFound = FindRecord(false, false);
  return FFound;
}

// ---------------------------------------------------------------- controls and events

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0)
    return;
  if (--FDisableCount == 0) {
    if (FDisableState != FState)
      DataEvent(deUpdateState, 0);
    if (FDisableState != dsInactive && FState != dsInactive)
      DataEvent(FEnableEvent, 0);
  }
}

bool TDataSet::IsLinkedTo(const TDataSource *dataSource) const {
  const TDataSet *dataSet = this;
  while (dataSet) {
    const TDataSource *master = dataSet->GetDataSource();
    if (!master)
      return false;
    if (master == dataSource)
      return true;
    dataSet = master->DataSet();
  }
  return false;
}

void TDataSet::UpdateCalcFields(TField *field) {
  if (FState == dsSetKey)
    return;
  if ((FCalcFieldsSize > 0 || FInternalCalcFields) && FAutoCalcFields && field->FieldKind() == fkData)
    GetCalcFields(ActiveBuffer());
  field->Change();
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info) {
  bool notify = !(ControlsDisabled() || FState == dsBlockRead);
  switch (event) {
  case deFieldChange: {
    auto *field = reinterpret_cast<TField *>(info);
    if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)
      FModified = true;
    UpdateCalcFields(field);
    break;
  }
  case deLayoutChange:
    if (ControlsDisabled())
      FEnableEvent = deLayoutChange;
    break;
  case deUpdateState:
    if (ControlsDisabled()) {
      event = deDisabledStateChange;
      info = FState != dsInactive ? 1 : 0;
      notify = true;
      FEnableEvent = deLayoutChange;
    }
    break;
  default: break;
  }
  if (notify)
    for (TDataSource *source : std::vector<TDataSource *>(FDataSources))
      source->DataEvent(event, info);
}

void TDataSet::AddDataSource(TDataSource *dataSource) {
  FDataSources.push_back(dataSource);
  dataSource->FDataSet = this;
  UpdateBufferCount();
  dataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource *dataSource) {
  dataSource->FDataSet = nullptr;
  std::erase(FDataSources, dataSource);
  dataSource->UpdateState();
  if (!FDestroying)
    UpdateBufferCount();
}

// ---------------------------------------------------------------- filters

void TDataSet::SetFiltered(bool value) {
  if (value == FFiltered)
    return;
  if (Active())
    CheckBrowseMode();
  FFiltered = value;
  if (Active())
    First();
}

void TDataSet::SetFilterText(const QString &value) {
  if (value == FFilterText)
    return;
  if (Active())
    CheckBrowseMode();
  FFilterText = value;
  if (Active() && FFiltered)
    First();
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (value == FFilterOptions)
    return;
  if (Active())
    CheckBrowseMode();
  FFilterOptions = value;
  if (Active() && FFiltered)
    First();
}

std::unique_ptr<QIODevice> TDataSet::CreateBlobStream(TField *field, TBlobStreamMode) {
  DatabaseError(QStringLiteral("Blob streams are not supported (field '%1')").arg(field->DisplayName()),
                this);
}

bool TDataSet::BookmarkValid(const TBookmark &) { return false; }

int TDataSet::CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) {
  if (bookmark1.isEmpty() || bookmark2.isEmpty())
    return bookmark1.isEmpty() ? (bookmark2.isEmpty() ? 0 : -1) : 1;
  const int c = std::memcmp(bookmark1.constData(), bookmark2.constData(),
                            std::size_t(std::min(bookmark1.size(), bookmark2.size())));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark() const {
  if ((FState != dsBrowse && FState != dsEdit && FState != dsInsert) || IsEmpty() || FBookmarkSize <= 0)
    return TBookmark();
  TDataSet *self = const_cast<TDataSet *>(this);
  if (self->GetBookmarkFlag(ActiveBuffer()) != bfCurrent)
    return TBookmark();
  TBookmark bookmark(FBookmarkSize, '\0');
  self->GetBookmarkData(ActiveBuffer(), bookmark.data());
  return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark &bookmark) {
  if (bookmark.isEmpty())
    return;
  // The descendant reads BookmarkSize bytes: a bookmark of another size is not one of its own.
  if (bookmark.size() != FBookmarkSize)
    DatabaseError(QStringLiteral("Invalid bookmark"), this);
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark.constData());
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}
