#include "FieldDataLink.h"

#include "DB.h"

#include <QMetaObject>
#include <QObject>

void TFieldDataLink::SetFieldName(const QString &value) {
  if (value == FFieldName)
    return;
  FFieldName = value;
  UpdateField();
}

void TFieldDataLink::SetField(TField *value) {
  if (value == FField)
    return;
  FField = value;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
  TField *field = Active() && !FFieldName.isEmpty() ? DataSet()->FieldByName(FFieldName) : nullptr;
  // A field found again is shown again, even when it is the same one.
  if (field)
    FField = nullptr;
  SetField(field);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && FField && FField->CanModify(); }

bool TFieldDataLink::Edit() {
  if (CanModify())
    TDataLink::Edit();
  return FEditing;
}

void TFieldDataLink::SetEditingValue(bool value) {
  if (value == FEditing)
    return;
  FEditing = value;
  FModified = false;
  if (OnEditingChange)
    OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange)
    OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetEditingValue(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField **field) {
  if (*field && *field == FField && FControl) {
    *field = nullptr;
    // QWidget::setFocus is a slot; this layer does not see widgets.
    QMetaObject::invokeMethod(FControl, "setFocus");
  }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField *field) {
  if (field && field != FField)
    return;
  if (OnDataChange)
    OnDataChange(this);
  FModified = false;
}

void TFieldDataLink::UpdateData() {
  if (!FModified)
    return;
  if (FField && OnUpdateData)
    OnUpdateData(this);
  FModified = false;
}
