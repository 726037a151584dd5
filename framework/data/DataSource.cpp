#include "DataSource.h"

#include "DB.h"
#include "Exceptions.h"

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(QObject *owner) : QObject(owner) {}

TDataSource::~TDataSource() {
  // Nobody hears a source that is going away.
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  OnUpdateData = nullptr;
  for (TDataLink *link : std::vector<TDataLink *>(FDataLinks))
    link->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet *value) {
  if (value == FDataSet)
    return;
  if (value && IsLinkedTo(value))
    DatabaseError(QStringLiteral("Circular datalinks are not allowed"), this);
  if (FDataSet)
    FDataSet->RemoveDataSource(this);
  if (value)
    value->AddDataSource(this);
}

bool TDataSource::IsLinkedTo(const TDataSet *dataSet) const {
  while (dataSet) {
    const TDataSource *master = dataSet->DataSource();
    if (!master)
      return false;
    if (master == this)
      return true;
    dataSet = master->DataSet();
  }
  return false;
}

void TDataSource::SetEnabled(bool value) {
  FEnabled = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse)
    FDataSet->Edit();
}

void TDataSource::UpdateState() { SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive); }

void TDataSource::SetState(TDataSetState value) {
  if (value == FState)
    return;
  const TDataSetState previous = FState;
  FState = value;
  NotifyDataLinks(deUpdateState, previous);
  if (OnStateChange)
    OnStateChange(this);
}

void TDataSource::AddDataLink(TDataLink *link) {
  FDataLinks.push_back(link);
  link->FDataSource = this;
  if (FDataSet)
    FDataSet->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink *link) {
  link->FDataSource = nullptr;
  std::erase(FDataLinks, link);
  link->UpdateState();
  if (FDataSet)
    FDataSet->UpdateBufferCount();
}

void TDataSource::NotifyDataLinks(TDataEvent event, std::intptr_t info) {
  for (TDataLink *link : std::vector<TDataLink *>(FDataLinks))
    if (std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end())
      link->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive)
    return;
  NotifyDataLinks(event, info);
  switch (event) {
  case deFieldChange:
    if (OnDataChange)
      OnDataChange(this, reinterpret_cast<TField *>(info));
    break;
  case deRecordChange:
  case deDataSetChange:
  case deDataSetScroll:
  case deLayoutChange:
    if (OnDataChange)
      OnDataChange(this, nullptr);
    break;
  case deUpdateRecord:
    if (OnUpdateData)
      OnUpdateData(this);
    break;
  default: break;
  }
}

// ---------------------------------------------------------------- TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (FDataSource)
    FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource *value) {
  if (value == FDataSource)
    return;
  if (FDataSourceFixed)
    DatabaseError(QStringLiteral("Cannot change the data source of this link"), value);
  if (FDataSource)
    FDataSource->RemoveDataLink(this);
  if (value)
    value->AddDataLink(this);
}

TDataSet *TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

int TDataLink::ActiveRecord() const {
  if (!FActive || FDataSource->State() == dsSetKey)
    return 0;
  return DataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int value) {
  if (FActive && FDataSource->State() != dsSetKey)
    DataSet()->FActiveRecord = value + FFirstRecord;
}

void TDataLink::SetBufferCount(int value) {
  value = std::max(value, 1);
  if (value == FBufferCount)
    return;
  FBufferCount = value;
  if (FActive) {
    UpdateRange();
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::RecordCount() const {
  if (!FActive)
    return 0;
  if (FDataSource->State() == dsSetKey)
    return 1;
  return std::min(DataSet()->FRecordCount, FBufferCount);
}

void TDataLink::SetReadOnly(bool value) {
  if (value == FReadOnly)
    return;
  FReadOnly = value;
  UpdateState();
}

bool TDataLink::Bof() const { return DataSet() && DataSet()->Bof(); }
bool TDataLink::Eof() const { return DataSet() && DataSet()->Eof(); }

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource)
    FDataSource->Edit();
  return FEditing;
}

int TDataLink::MoveBy(int distance) { return DataSet() ? DataSet()->MoveBy(distance) : 0; }

void TDataLink::UpdateRecord() {
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

void TDataLink::SetActive(bool value) {
  if (value == FActive)
    return;
  FActive = value;
  if (value)
    UpdateRange();
  else
    FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
  if (value == FEditing)
    return;
  FEditing = value;
  EditingChanged();
}

void TDataLink::UpdateRange() {
  const TDataSet *dataSet = DataSet();
  const int active = dataSet->FActiveRecord;
  const int min = std::max(active - FBufferCount + 1, 0);
  const int max = std::clamp(dataSet->FBufferCount - FBufferCount, 0, active);
  FFirstRecord = std::clamp(FFirstRecord, min, std::max(min, max));
}

void TDataLink::UpdateState() {
  const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
  SetActive(state != dsInactive);
  SetEditing(IsEditMode(state) && !FReadOnly);
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (event == deDisabledStateChange) {
    if (info)
      UpdateState();
    else {
      SetActive(false);
      SetEditing(false);
    }
    return;
  }
  if (!FActive)
    return;
  switch (event) {
  case deFieldChange:
  case deRecordChange:
    if (!FUpdating)
      RecordChanged(reinterpret_cast<TField *>(info));
    break;
  case deDataSetChange:
  case deDataSetScroll:
  case deLayoutChange: {
    int count = 0;
    if (FDataSource->State() != dsSetKey) {
      const int active = DataSet()->FActiveRecord;
      const int first = FFirstRecord + int(info);
      const int last = first + FBufferCount - 1;
      if (active > last)
        count = active - last;
      else if (active < first)
        count = active - first;
      FFirstRecord = first + count;
    }
    if (event == deDataSetChange)
      DataSetChanged();
    else if (event == deDataSetScroll)
      DataSetScrolled(count);
    else
      LayoutChanged();
    break;
  }
  case deUpdateRecord: UpdateRecord(); break;
  case deCheckBrowseMode: CheckBrowseMode(); break;
  case deFocusControl: FocusControl(reinterpret_cast<TField **>(info)); break;
  default: break;
  }
}
