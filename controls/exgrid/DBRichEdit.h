#pragma once

#include "DBCtrls.h"

#include <QTextEdit>

// The data-aware rich-text editor of formatted memo fields. The field holds RTF (TRtfFormat); a
// value in a richer RTF than the editor writes shows as its plain text and stays read-only, so its
// bytes are never rewritten. Ctrl+B, Ctrl+I and Ctrl+U switch bold, italic and underline.
class TDBRichEdit : public QTextEdit, public TDBFieldControl {
public:
  explicit TDBRichEdit(QWidget *parent = nullptr);
  ~TDBRichEdit() override;

  // On: the field gets the plain text instead of RTF.
  bool PlainText() const { return FPlainText; }
  void SetPlainText(bool value) { FPlainText = value; }
  // The stored value is RTF beyond the editor's subset.
  bool Unreadable() const { return FUnreadable; }

  // Shows bytes of a formatted memo in a rich-text view: the document, or the text of an RTF that is
  // too rich (answering false then).
  static bool LoadRich(QTextEdit &view, const QByteArray &bytes);

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  void DataChange();
  void EditingChange();
  void UpdateData();
  bool FormatKey(QKeyEvent *event);

  bool FLoading = false;
  bool FPlainText = false;
  bool FUnreadable = false;
};
