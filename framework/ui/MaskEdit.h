#pragma once

#include "DBTypes.h"
#include "Mask.h"

#include <QLineEdit>
#include <functional>

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// The class library's single-line edit on QLineEdit: text, selection, modified flag, read-only,
// automatic selection on entry, length limit, letter case and the change notification. Typing,
// pasting and cutting are refused while EditCanModify says no.
class TCustomEdit : public QLineEdit {
  Q_OBJECT
public:
  explicit TCustomEdit(QWidget *parent = nullptr);

  virtual QString Text() const { return text(); }
  virtual void SetText(const QString &value);
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool value) { setReadOnly(value); }
  bool Modified() const { return isModified(); }
  void SetModified(bool value) { setModified(value); }
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  QString SelText() const { return selectedText(); }
  void SelectAll() { selectAll(); }
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  // 0: no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

  virtual bool EditCanModify() { return true; }
  // Whether the key would change the text of a one-line edit.
  static bool IsEditingKey(QKeyEvent *event);

  std::function<void(QObject *sender)> OnChange;

protected:
  // Fires OnChange; descendants hook in here.
  virtual void Change();
  void focusInEvent(QFocusEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  void ApplyCharCase();

  bool FAutoSelect = true;
  int FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  TAlignment FAlignment = taLeftJustify;
  bool FApplyingCase = false;
};

// The edit with the class library's edit mask (see TEditMask). EditText is the text as shown,
// with literals and blanks; Text follows the mask's save-literals field.
class TCustomMaskEdit : public TCustomEdit {
  Q_OBJECT
public:
  explicit TCustomMaskEdit(QWidget *parent = nullptr);

  const QString &EditMask() const { return FEditMask; }
  void SetEditMask(const QString &value);
  bool IsMasked() const { return FMask.IsMasked(); }
  const TEditMask &Mask() const { return FMask; }

  QString EditText() const;
  void SetEditText(const QString &value);
  QString Text() const override;
  void SetText(const QString &value) override;

  // Raises EDBEditError (the cursor at the empty place) when a required position is empty.
  virtual void ValidateEdit();
  // Puts back the text the edit had on entry (Escape does this in a changed masked edit).
  void Reset();

protected:
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  QString FEditMask;
  TEditMask FMask;
  QString FOldValue;
};
