// TwoxCustomMemTable: copying records between datasets.
#include "woxMemTable.h"

#include "Fields.h"
#include "woxMemFieldTypes.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

#include <typeinfo>

namespace {

bool IsCopyableType(TFieldType type) { return type == ftWideString || MemFieldTypes::IsLoadableType(type); }

void CopyValue(TField *destination, const TField *source) {
  if (source->IsNull())
    destination->Clear();
  else if (typeid(*destination) != typeid(*source) || dynamic_cast<const TLargeintField *>(source))
    destination->SetAsString(source->AsString());
  else
    destination->SetValue(source->Value());
}

// Runs the clean-up when the scope ends, also on an exception.
template <class F> class TwoxFinally {
public:
  explicit TwoxFinally(F cleanUp) : FCleanUp(std::move(cleanUp)) {}
  ~TwoxFinally() { FCleanUp(); }
  TwoxFinally(const TwoxFinally &) = delete;
  TwoxFinally &operator=(const TwoxFinally &) = delete;

private:
  F FCleanUp;
};

} // namespace

// Destination fields paired with the source fields of the same name.
TwoxCustomMemTable::TwoxCopyMapping TwoxCustomMemTable::CopyMapping(TDataSet *source, TDataSet *destination,
                                                                    bool destinationEmpty) {
  TwoxCopyMapping mapping;
  for (TField *field : destination->FieldList()) {
    const TFieldKind kind = field->FieldKind();
    if ((kind != fkData && kind != fkCalculated && kind != fkInternalCalc) ||
        !IsCopyableType(field->DataType()))
      continue;
    if (field->DataType() == ftAutoInc && !destinationEmpty)
      continue;
    if (TField *from = source->FindField(field->FieldName()))
      mapping.emplace_back(field, from);
  }
  return mapping;
}

// Copies the source's current record; false when an event refused it.
bool TwoxCustomMemTable::CopyCurrentRecord(TDataSet *source, TDataSet *destination,
                                           const TwoxCopyMapping &mapping) {
  bool accept = true;
  if (source == this) {
    if (OnSaveRecord)
      OnSaveRecord(this, accept);
    if (!accept)
      return false;
    if (OnSaveField)
      for (TField *field : FieldList())
        OnSaveField(this, field->Index(), field);
  }
  destination->Append();
  try {
    for (const auto &[to, from] : mapping)
      CopyValue(to, from);
    if (destination == this) {
      if (OnLoadField)
        for (const auto &[to, from] : mapping)
          OnLoadField(this, to->Index(), to);
      if (OnLoadRecord)
        OnLoadRecord(this, accept);
    }
    if (accept)
      destination->Post();
    else
      destination->Cancel();
  } catch (...) {
    destination->Cancel();
    throw;
  }
  return accept;
}

int TwoxCustomMemTable::CopyRecords(TDataSet *source, TDataSet *destination, int limit) {
  if (!source || !destination || source == destination)
    return 0;
  const bool destinationEmpty = destination->IsEmpty();
  const TwoxCopyMapping mapping = CopyMapping(source, destination, destinationEmpty);
  Progress(0, mtpcCopy);
  int total = 0;
  if (OnProgress) {
    total = source->RecordCount();
    if (total <= 0)
      Progress(50, mtpcCopy);
  }
  FLoadedCompletely = true;
  // Auto-increment values copied into an empty memory table are kept, not renumbered.
  auto *memoryDestination = dynamic_cast<TwoxCustomMemTable *>(destination);
  const bool keepAutoInc = memoryDestination && memoryDestination->FKeepAutoInc;
  if (memoryDestination && destinationEmpty)
    memoryDestination->FKeepAutoInc = true;
  TwoxFinally restore([&] {
    if (memoryDestination)
      memoryDestination->FKeepAutoInc = keepAutoInc;
  });
  int count = 0;
  for (int n = 0; !source->Eof(); ++n) {
    if (n % 100 == 0 && total > 0)
      Progress(int(qint64(n) * 100 / total), mtpcCopy);
    const bool copied = CopyCurrentRecord(source, destination, mapping);
    source->Next();
    if (copied)
      ++count;
    if (limit >= 1 && count >= limit && !source->Eof()) {
      FLoadedCompletely = false;
      break;
    }
  }
  Progress(100, mtpcCopy);
  return count;
}

void TwoxCustomMemTable::CopyStructureFrom(TDataSet *source) {
  FieldDefs().Clear();
  for (TField *field : source->FieldList()) {
    if (field->FieldKind() != fkData)
      continue;
    // Wide text is held as Windows-1250 text like any other string.
    const TFieldType type = field->DataType() == ftWideString ? ftString : field->DataType();
    FieldDefs().Add(field->FieldName(), type, field->Size(), field->Required());
  }
}

void TwoxCustomMemTable::CopyDisplayProperties(TDataSet *source) {
  for (TField *field : FieldList()) {
    if (const TField *from = source->FindField(field->FieldName()))
      field->AssignDisplayProperties(*from);
    if (OnSetupFieldProperties)
      OnSetupFieldProperties(this, field);
  }
}

void TwoxCustomMemTable::LoadFromDataSet(TDataSet *source, TwoxCopyOptions options) {
  if (source == this || !source)
    return;
  const bool structure = options.testFlag(mtcpoStructure), append = options.testFlag(mtcpoAppend);
  if (append && (structure || options.testFlag(mtcpoProperties)))
    MemTableError(
        QStringLiteral("Appending cannot be combined with copying the structure or field properties."));
  const TwoxOperation previousOperation = FOperation;
  FOperation = mtoLoading;
  TwoxFinally operationBack([&] { FOperation = previousOperation; });
  if (OnLoad)
    OnLoad(this, 0, nullptr);
  if (structure) {
    Close();
  } else if (!append && Active()) {
    Progress(0, mtpcEmpty);
    CheckBrowseMode();
    FCommon->Empty();
    RebuildIndexes();
    First();
    Progress(100, mtpcEmpty);
  }
  const bool sourceWasActive = source->Active();
  const bool savedFiltered = Filtered();
  TDataSource *const savedMasterSource = MasterSource();
  const bool savedEnableIndexes = FEnableIndexes;
  SetEnableIndexes(false);
  FReadOnlyOverride = true;
  DisableControls();
  source->DisableControls();
  TBookmark sourcePosition;
  TwoxFinally restore([&] {
    FReadOnlyOverride = false;
    if (sourceWasActive && !sourcePosition.isEmpty() && source->BookmarkValid(sourcePosition))
      source->GotoBookmark(sourcePosition);
    source->EnableControls();
    if (!sourceWasActive)
      source->Close();
    EnableControls();
    if (Active() && Filtered() != savedFiltered)
      SetFiltered(savedFiltered);
    if (MasterSource() != savedMasterSource)
      SetMasterSource(savedMasterSource);
    if (FEnableIndexes != savedEnableIndexes)
      SetEnableIndexes(savedEnableIndexes);
  });
  source->Open();
  sourcePosition = source->GetBookmark();
  if (Active() && Filtered())
    SetFiltered(false);
  SetMasterSource(nullptr);
  source->CheckBrowseMode();
  source->First();
  if (structure)
    CopyStructureFrom(source);
  if (!Active())
    Open();
  if (!append && options.testFlag(mtcpoProperties))
    CopyDisplayProperties(source);
  FLoadedCount = CopyRecords(source, this, FLoadLimit);
  SwitchEnableIndexes(savedEnableIndexes);
  RebuildIndexes();
  First();
}

void TwoxCustomMemTable::SaveToDataSet(TDataSet *destination) {
  if (!destination || destination == this)
    return;
  CheckActive();
  const TwoxOperation previousOperation = FOperation;
  FOperation = mtoSaving;
  TwoxFinally operationBack([&] { FOperation = previousOperation; });
  if (OnSave)
    OnSave(this, 0, nullptr);
  CheckBrowseMode();
  if (!destination->Active())
    destination->Open();
  DisableControls();
  destination->DisableControls();
  const TBookmark position = GetBookmark();
  TwoxFinally restore([&] {
    if (!position.isEmpty() && BookmarkValid(position))
      GotoBookmark(position);
    destination->EnableControls();
    EnableControls();
  });
  // Every record is saved, not only those after the current one.
  First();
  const bool loadedCompletely = FLoadedCompletely;
  FSavedCount = CopyRecords(this, destination, FSaveLimit);
  FSavedCompletely = FLoadedCompletely;
  FLoadedCompletely = loadedCompletely;
}
