// The in-place memo editor of TExDBGrid's memo cells.
#include "ExDBGrid.h"

#include "Application.h"
#include "DB.h"
#include "DBCtrls.h"
#include "DataSource.h"
#include "ExDBGridFieldKinds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>

bool TExDBGrid::IsMemoEditorCell(TColumn *Column) const {
  TField *field = Column ? Column->Field() : nullptr;
  return field && IsMemoKind(field) && FDisplayMemo && !FFullSizeMemo && !FDisplayPopupEditors &&
         DataLink()->Active();
}

void TExDBGrid::PrepareMemoEditor(const QRect &cell) {
  if (!FMemoEditor) {
    FMemoEditor = new TDBMemo(window());
    FMemoEditor->hide();
    FMemoEditor->installEventFilter(this);
  }
  if (FMemoEditor->isVisible())
    return;
  FMemoEditor->setFrameShape(QFrame::NoFrame);
  if (FMemoEditor->parentWidget() != window())
    FMemoEditor->setParent(window());
  const QRect grown = cell.adjusted(-2, -2, 2, 2);
  FMemoEditor->setGeometry(QRect(viewport()->mapTo(window(), grown.topLeft()), grown.size()));
  FMemoEditor->setFont(Font().ToQFont());
  QPalette colours = FMemoEditor->palette();
  colours.setColor(QPalette::Base, ColorToQColor(FEditColor));
  FMemoEditor->setPalette(colours);
  FMemoEditor->SetReadOnly(false);
  const bool wrap = FMemoViewType == TMemoViewType::WordWrapOn;
  FMemoEditor->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  const Qt::ScrollBarPolicy bars = wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn;
  FMemoEditor->setHorizontalScrollBarPolicy(bars);
  FMemoEditor->setVerticalScrollBarPolicy(bars);
}

void TExDBGrid::ShowMemoEditor() {
  TColumn *column = ColumnAt(Col());
  if (!IsMemoEditorCell(column))
    return;
  PrepareMemoEditor(CellRect(Col(), Row()));
  QApplication::processEvents();
  FMemoEditor->SetDataSource(DataSource());
  FMemoEditor->SetDataField(column->Field()->FieldName());
  FMemoEditor->raise();
  FMemoEditor->show();
  FMemoEditor->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  FMemoEditor->moveCursor(QTextCursor::End);
}

void TExDBGrid::UnbindMemoEditor() {
  if (!FMemoEditor)
    return;
  FMemoEditor->hide();
  FMemoEditor->SetDataField(QString());
  FMemoEditor->SetDataSource(nullptr);
}

bool TExDBGrid::MemoEditorEvent(QEvent *event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
    Guarded(this, [this] {
      FMemoEditor->hide();
      if (DataLink()->Active() && DataLink()->DataSet()->State() == dsEdit)
        DataLink()->DataSet()->Cancel();
      UnbindMemoEditor();
      setFocus(Qt::OtherFocusReason);
    });
    return true;
  }
  if (event->type() == QEvent::FocusOut && FMemoEditor->isVisible()) {
    // The memo writes its text into the field on leaving; it is unbound once it has.
    QMetaObject::invokeMethod(
        this, [this] { UnbindMemoEditor(); }, Qt::QueuedConnection);
  }
  return false;
}
