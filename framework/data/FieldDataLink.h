#pragma once

#include "DataSource.h"

#include <QString>
#include <functional>

class QObject;

// The link of a data-aware control to one field of the current record.
class TFieldDataLink : public TDataLink {
public:
  TFieldDataLink() = default;

  TField *Field() const { return FField; }
  const QString &FieldName() const { return FFieldName; }
  void SetFieldName(const QString &value);
  QObject *Control() const { return FControl; }
  void SetControl(QObject *value) { FControl = value; }
  // The dataset is editing and the field can be changed.
  bool Editing() const { return FEditing; }
  bool CanModify() const;
  // Starts editing the record (AutoEdit); true when the control may change the field.
  bool Edit();
  // The control's text differs from the field: UpdateRecord will ask OnUpdateData for it.
  void Modified() { FModified = true; }
  // Takes back the field's value (OnDataChange) and forgets the control's change.
  void Reset() { RecordChanged(nullptr); }

  std::function<void(TFieldDataLink *Sender)> OnDataChange;
  std::function<void(TFieldDataLink *Sender)> OnEditingChange;
  std::function<void(TFieldDataLink *Sender)> OnUpdateData;
  std::function<void(TFieldDataLink *Sender)> OnActiveChange;

protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField **field) override;
  void LayoutChanged() override;
  void RecordChanged(TField *field) override;
  void UpdateData() override;

private:
  void SetField(TField *value);
  void SetEditingValue(bool value);
  void UpdateField();

  TField *FField = nullptr;
  QString FFieldName;
  QObject *FControl = nullptr;
  bool FEditing = false;
  bool FModified = false;
};
