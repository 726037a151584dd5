#include "DBRichEdit.h"

#include "Application.h"
#include "Field.h"
#include "FieldDataLink.h"
#include "MaskEdit.h"
#include "RtfFormat.h"
#include "Win1250.h"

#include <QKeyEvent>

TDBRichEdit::TDBRichEdit(QWidget *parent) : QTextEdit(parent), TDBFieldControl(this) {
  setAcceptRichText(false);
  FDataLink->OnDataChange = [this](TFieldDataLink *) { DataChange(); };
  FDataLink->OnEditingChange = [this](TFieldDataLink *) { EditingChange(); };
  FDataLink->OnUpdateData = [this](TFieldDataLink *) { UpdateData(); };
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (!FLoading)
      FDataLink->Modified();
  });
  EditingChange();
}

TDBRichEdit::~TDBRichEdit() = default;

bool TDBRichEdit::LoadRich(QTextEdit &view, const QByteArray &bytes) {
  if (TRtfFormat::Read(bytes, *view.document()))
    return true;
  view.setPlainText(TRtfFormat::PlainText(bytes));
  return !TRtfFormat::IsRtf(bytes);
}

void TDBRichEdit::DataChange() {
  const TField *field = FDataLink->Field();
  FLoading = true;
  FUnreadable = field && !LoadRich(*this, field->AsBytes());
  if (!field)
    clear();
  FLoading = false;
  EditingChange();
}

void TDBRichEdit::EditingChange() { QTextEdit::setReadOnly(FUnreadable || !FDataLink->Editing()); }

void TDBRichEdit::UpdateData() {
  if (FUnreadable)
    return;
  TField *field = FDataLink->Field();
  if (FPlainText)
    field->SetAsBytes(Win1250::Encode(toPlainText().replace(u'\n', QStringLiteral("\r\n"))));
  else
    field->SetAsBytes(TRtfFormat::Write(*document()));
}

bool TDBRichEdit::FormatKey(QKeyEvent *event) {
  if (!(event->modifiers() & Qt::ControlModifier) || FPlainText)
    return false;
  QTextCharFormat format;
  const QTextCharFormat current = currentCharFormat();
  switch (event->key()) {
  case Qt::Key_B:
    format.setFontWeight(current.fontWeight() >= QFont::Bold ? QFont::Normal : QFont::Bold);
    break;
  case Qt::Key_I: format.setFontItalic(!current.fontItalic()); break;
  case Qt::Key_U: format.setFontUnderline(!current.fontUnderline()); break;
  default: return false;
  }
  if (!FUnreadable && FDataLink->Edit())
    mergeCurrentCharFormat(format);
  return true;
}

void TDBRichEdit::keyPressEvent(QKeyEvent *event) {
  Guarded(this, [&] {
    if (event->key() == Qt::Key_Escape && FDataLink->Editing()) {
      FDataLink->Reset();
      event->accept();
      return;
    }
    if (FormatKey(event)) {
      event->accept();
      return;
    }
    const bool changes =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || TCustomEdit::IsEditingKey(event);
    if (changes && (FUnreadable || !FDataLink->Edit())) {
      event->accept();
      return;
    }
    QTextEdit::keyPressEvent(event);
  });
}

void TDBRichEdit::focusOutEvent(QFocusEvent *event) {
  Guarded(this, [&] { FDataLink->UpdateRecord(); });
  QTextEdit::focusOutEvent(event);
}
