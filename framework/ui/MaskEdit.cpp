#include "MaskEdit.h"

#include "Application.h"

#include <QFocusEvent>
#include <QKeyEvent>

TCustomEdit::TCustomEdit(QWidget *parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (FApplyingCase)
      return;
    ApplyCharCase();
    Guarded(this, [this] { Change(); });
  });
}

void TCustomEdit::SetText(const QString &value) { setText(value); }

int TCustomEdit::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void TCustomEdit::SetSelStart(int value) {
  deselect();
  setCursorPosition(value);
}

int TCustomEdit::SelLength() const { return static_cast<int>(selectedText().size()); }

void TCustomEdit::SetSelLength(int value) { setSelection(SelStart(), value); }

void TCustomEdit::SetMaxLength(int value) {
  FMaxLength = value;
  setMaxLength(value > 0 ? value : 32767);
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == FCharCase)
    return;
  FCharCase = value;
  ApplyCharCase();
}

void TCustomEdit::SetAlignment(TAlignment value) {
  if (value == FAlignment)
    return;
  FAlignment = value;
  const Qt::Alignment horizontal = value == taRightJustify ? Qt::AlignRight
                                   : value == taCenter     ? Qt::AlignHCenter
                                                           : Qt::AlignLeft;
  setAlignment(horizontal | Qt::AlignVCenter);
}

void TCustomEdit::ApplyCharCase() {
  if (FCharCase == ecNormal)
    return;
  const QString converted = FCharCase == ecUpperCase ? text().toUpper() : text().toLower();
  if (converted == text())
    return;
  const int position = cursorPosition();
  const bool modified = isModified();
  FApplyingCase = true;
  setText(converted);
  FApplyingCase = false;
  setModified(modified);
  setCursorPosition(position);
}

void TCustomEdit::Change() {
  if (OnChange)
    OnChange(this);
}

void TCustomEdit::focusInEvent(QFocusEvent *event) {
  QLineEdit::focusInEvent(event);
  // Entering by keyboard selects everything; a click places the cursor where it lands.
  if (FAutoSelect && event->reason() != Qt::MouseFocusReason)
    selectAll();
}

bool TCustomEdit::IsEditingKey(QKeyEvent *event) {
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
      event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
      event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord))
    return true;
  if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
    return true;
  const QString text = event->text();
  return !text.isEmpty() && text[0].isPrint() &&
         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

void TCustomEdit::keyPressEvent(QKeyEvent *event) {
  if (IsEditingKey(event) && !EditCanModify()) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

// ---- TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(QWidget *parent) : TCustomEdit(parent) {}

void TCustomMaskEdit::SetEditMask(const QString &value) {
  if (value == FEditMask)
    return;
  const QString current = Text();
  FEditMask = value;
  FMask = TEditMask(value);
  setInputMask(FMask.IsMasked() ? FMask.ToInputMask() : QString());
  SetText(current);
}

QString TCustomMaskEdit::EditText() const { return IsMasked() ? displayText() : text(); }

void TCustomMaskEdit::SetEditText(const QString &value) {
  setText(value);
  FOldValue = EditText();
}

QString TCustomMaskEdit::Text() const { return IsMasked() ? FMask.TextFromEditText(EditText()) : text(); }

void TCustomMaskEdit::SetText(const QString &value) {
  setText(IsMasked() ? FMask.EditTextFromText(value) : value);
  FOldValue = EditText();
}

void TCustomMaskEdit::Reset() {
  if (!isModified())
    return;
  setText(FOldValue);
  setModified(false);
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked())
    return;
  const int missing = FMask.FirstMissing(EditText());
  if (missing < 0)
    return;
  setCursorPosition(missing);
  throw EDBEditError(QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
}

void TCustomMaskEdit::focusInEvent(QFocusEvent *event) {
  FOldValue = EditText();
  TCustomEdit::focusInEvent(event);
}

void TCustomMaskEdit::focusOutEvent(QFocusEvent *event) {
  TCustomEdit::focusOutEvent(event);
  // Only leaving for another control validates; a message box or menu taking the focus does not.
  const Qt::FocusReason reason = event->reason();
  if (!IsMasked() || !isModified() || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
    return;
  try {
    ValidateEdit();
  } catch (...) {
    setFocus(Qt::OtherFocusReason);
    HandleCurrentException(this);
  }
}

void TCustomMaskEdit::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape && IsMasked() && isModified()) {
    Reset();
    event->accept();
    return;
  }
  TCustomEdit::keyPressEvent(event);
}
