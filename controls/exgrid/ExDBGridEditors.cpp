#include "ExDBGridEditors.h"

#include "Application.h"
#include "DB.h"
#include "DBCtrls.h"
#include "DBRichEdit.h"
#include "DataSource.h"
#include "ExDBGrid.h"
#include "ExDBGridCtlsForm.h"
#include "ExDBGridFieldKinds.h"
#include "ExDateTimePicker.h"
#include "ExGridAccess.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>

void ApplyEditColor(QWidget &widget, TColor color) {
  QPalette colours = widget.palette();
  colours.setColor(QPalette::Base, ColorToQColor(color));
  widget.setPalette(colours);
}

TExDBGridEditors::TExDBGridEditors(TExDBGrid &grid, const TExGridAccess &access)
    : FGrid(grid), FAccess(access) {}

TExDBGridEditors::~TExDBGridEditors() {
  delete FPicker.data();
  delete FMemo.data();
  delete FRichEdit.data();
}

QRect TExDBGridEditors::OnForm(const QRect &cell) const {
  const QRect grown = cell.adjusted(-2, -2, 2, 2);
  return QRect(FGrid.viewport()->mapTo(FGrid.window(), grown.topLeft()), grown.size());
}

// --- the date picker ---

bool TExDBGridEditors::IsDatePickerCell(TColumn *Column) const {
  TField *field = Column ? Column->Field() : nullptr;
  return field && FGrid.DisplayDateTime() && IsDateTimeKind(field) && FGrid.DataLink()->Active();
}

void TExDBGridEditors::CreatePicker() {
  FPicker = new TExDateTimePicker(FGrid.window());
  FPicker->hide();
  FPicker->installEventFilter(&FGrid);
  QObject::connect(FPicker.data(), &QDateTimeEdit::dateTimeChanged, &FGrid,
                   [this] { Guarded(&FGrid, [this] { PickerChanged(); }); });
}

void TExDBGridEditors::PrepareDatePicker(const QRect &cell, TField *field) {
  if (!FPicker)
    CreatePicker();
  if (FPicker->isVisible())
    return;
  FPreparing = true;
  FPicker->SetDateMode(dmComboBox);
  FPicker->SetKind(field->DataType() == ftTime ? dtkTime : dtkDate);
  if (FPicker->parentWidget() != FGrid.window())
    FPicker->setParent(FGrid.window());
  FPicker->setFont(FGrid.Font().ToQFont());
  FPicker->setGeometry(PickerBounds(cell));
  FPicker->SetColor(FGrid.EditColor());
  FPicker->SetBorderColor(FGrid.EditColor());
  // An empty date shows empty, never the value of the record painted before.
  if (field->IsNull())
    FPicker->SetNull();
  else
    FPicker->SetDateTime(field->AsDateTime());
  FPickerEdited = false;
  FPickerStartedEdit = false;
  FPreparing = false;
}

QRect TExDBGridEditors::PickerBounds(const QRect &cell) const {
  QRect bounds = OnForm(cell);
  // A column narrower than a date and the drop-down button would cut the date: the picker then
  // grows to the right (or left, at the form's edge) until the whole date shows.
  const int wanted = FPicker->WholeTextWidth();
  if (bounds.width() >= wanted)
    return bounds;
  bounds.setWidth(wanted);
  const int overflow = bounds.right() + 1 - FPicker->parentWidget()->width();
  if (overflow > 0)
    bounds.translate(-std::min(overflow, bounds.left()), 0);
  return bounds;
}

void TExDBGridEditors::ShowDatePicker() {
  TColumn *column = FAccess.ColumnOf(FGrid.Col());
  if (!IsDatePickerCell(column))
    return;
  PrepareDatePicker(FGrid.CellRect(FGrid.Col(), FGrid.Row()), column->Field());
  FPicker->raise();
  FPicker->show();
  FPicker->setFocus(Qt::OtherFocusReason);
}

void TExDBGridEditors::HideDatePicker(bool refocusGrid) {
  if (!FPicker || !FPicker->isVisible())
    return;
  FPicker->hide();
  if (refocusGrid)
    FGrid.setFocus(Qt::OtherFocusReason);
}

void TExDBGridEditors::StorePickerValue() {
  TDataSet *dataSet = FGrid.DataLink()->DataSet();
  TField *field = FGrid.SelectedField();
  if (!field)
    return;
  if (FPickerEdited && !FPicker->IsNull() && dataSet->State() == dsBrowse && dataSet->CanModify())
    dataSet->Edit();
  if (dataSet->State() != dsEdit && dataSet->State() != dsInsert)
    return;
  if (FPickerEdited)
    FPicker->IsNull() ? field->Clear() : field->SetAsDateTime(FPicker->DateTime());
  dataSet->Post();
}

void TExDBGridEditors::PickerChanged() {
  if (FPreparing || !FPicker->isVisible() || !FGrid.DataLink()->Active())
    return;
  FPickerEdited = true;
  TDataSet *dataSet = FGrid.DataLink()->DataSet();
  TField *field = FGrid.SelectedField();
  if (!field || !FAccess.CanModifyData() || !field->CanModify())
    return;
  // A change while browsing starts the edit; every later change of that edit reaches the field too.
  if (dataSet->State() == dsBrowse) {
    dataSet->Edit();
    FPickerStartedEdit = true;
  }
  if (FPickerStartedEdit && dataSet->State() == dsEdit)
    field->SetAsDateTime(FPicker->DateTime());
}

bool TExDBGridEditors::PickerEvent(QEvent *event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    TDataSet *dataSet = FGrid.DataLink()->Active() ? FGrid.DataLink()->DataSet() : nullptr;
    if (key == Qt::Key_Escape) {
      HideDatePicker(true);
      if (dataSet && dataSet->State() == dsEdit)
        dataSet->Cancel();
      return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter) {
      Guarded(&FGrid, [this, dataSet] {
        FPicker->hide();
        if (dataSet)
          StorePickerValue();
        FGrid.setFocus(Qt::OtherFocusReason);
      });
      return true;
    }
  } else if (event->type() == QEvent::FocusOut && FPicker->isVisible()) {
    // Leaving keeps the last date the person picked.
    Guarded(&FGrid, [this] {
      FPicker->hide();
      if (FGrid.DataLink()->Active())
        StorePickerValue();
    });
  }
  return false;
}

// --- the memo editors ---

bool TExDBGridEditors::IsMemoCell(TColumn *Column) const {
  TField *field = Column ? Column->Field() : nullptr;
  return field && IsMemoKind(field) && FGrid.DisplayMemo() && !FGrid.FullSizeMemo() &&
         !FGrid.DisplayPopupEditors() && FGrid.DataLink()->Active();
}

QWidget *TExDBGridEditors::MemoWidget() const {
  if (FGrid.MemoInplaceEditor() == TMemoInplaceEditor::RichEdit)
    return FRichEdit.data();
  return FMemo.data();
}

void TExDBGridEditors::CreateMemo() {
  QWidget *editor;
  if (FGrid.MemoInplaceEditor() == TMemoInplaceEditor::RichEdit) {
    FRichEdit = new TDBRichEdit(FGrid.window());
    FRichEdit->SetPlainText(false);
    editor = FRichEdit;
  } else {
    FMemo = new TDBMemo(FGrid.window());
    editor = FMemo;
  }
  editor->hide();
  editor->installEventFilter(&FGrid);
}

void TExDBGridEditors::PrepareMemo(const QRect &cell) {
  if (!MemoWidget())
    CreateMemo();
  auto *editor = static_cast<QAbstractScrollArea *>(MemoWidget());
  if (editor->isVisible())
    return;
  editor->setFrameShape(QFrame::NoFrame);
  if (editor->parentWidget() != FGrid.window())
    editor->setParent(FGrid.window());
  editor->setGeometry(OnForm(cell));
  editor->setFont(FGrid.Font().ToQFont());
  ApplyEditColor(*editor, FGrid.EditColor());
  const bool wrap = FGrid.MemoViewType() == TMemoViewType::WordWrapOn;
  if (FMemo && editor == FMemo) {
    FMemo->SetReadOnly(false);
    FMemo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  } else {
    FRichEdit->SetReadOnly(false);
    FRichEdit->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  }
  const Qt::ScrollBarPolicy bars = wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn;
  editor->setHorizontalScrollBarPolicy(bars);
  editor->setVerticalScrollBarPolicy(bars);
}

void TExDBGridEditors::ShowMemo() {
  TColumn *column = FAccess.ColumnOf(FGrid.Col());
  if (!IsMemoCell(column))
    return;
  PrepareMemo(FGrid.CellRect(FGrid.Col(), FGrid.Row()));
  QApplication::processEvents();
  TDBFieldControl *control = FMemo && MemoWidget() == FMemo
                                 ? static_cast<TDBFieldControl *>(FMemo.data())
                                 : static_cast<TDBFieldControl *>(FRichEdit.data());
  control->SetDataSource(FGrid.DataSource());
  control->SetDataField(column->Field()->FieldName());
  QWidget *editor = MemoWidget();
  editor->raise();
  editor->show();
  editor->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  if (FMemo && editor == FMemo)
    FMemo->moveCursor(QTextCursor::End);
  else
    FRichEdit->moveCursor(QTextCursor::End);
}

void TExDBGridEditors::UnbindMemo() {
  if (FMemo) {
    FMemo->hide();
    FMemo->SetDataField(QString());
    FMemo->SetDataSource(nullptr);
  }
  if (FRichEdit) {
    FRichEdit->hide();
    FRichEdit->SetDataField(QString());
    FRichEdit->SetDataSource(nullptr);
  }
}

bool TExDBGridEditors::MemoEvent(QEvent *event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
    Guarded(&FGrid, [this] {
      if (FGrid.DataLink()->Active() && FGrid.DataLink()->DataSet()->State() == dsEdit)
        FGrid.DataLink()->DataSet()->Cancel();
      UnbindMemo();
      FGrid.setFocus(Qt::OtherFocusReason);
    });
    return true;
  }
  if (event->type() == QEvent::FocusOut && MemoWidget() && MemoWidget()->isVisible()) {
    // The editor writes its text into the field on leaving; it is unbound once it has.
    QMetaObject::invokeMethod(
        &FGrid, [this] { UnbindMemo(); }, Qt::QueuedConnection);
  }
  return false;
}

// --- opening ---

void TExDBGridEditors::CellClicked(TColumn *Column) {
  const bool memo = IsMemoCell(Column);
  if (!memo && !IsDatePickerCell(Column)) {
    FClickedCell = QPoint(-1, -1);
    return;
  }
  QPoint corner = FGrid.CellRect(FGrid.Col(), FGrid.Row()).topLeft();
  if (FGrid.DataLink()->DataSet()->State() == dsInsert)
    corner.ry() += FGrid.DefaultRowHeight();
  if (!(FGrid.Options() & dgAlwaysShowEditor) && corner != FClickedCell) {
    FClickedCell = corner;
    return;
  }
  FClickedCell = QPoint(-1, -1);
  if (memo)
    ShowMemo();
  else
    ShowDatePicker();
}

bool TExDBGridEditors::ShowPopupEditor() {
  TField *field = FGrid.DataLink()->Active() ? FGrid.SelectedField() : nullptr;
  if (!field || !FGrid.DisplayPopupEditors() || !FAccess.CanModifyData() || !(FGrid.Options() & dgEditing) ||
      (FGrid.Options() & dgRowSelect) || !(IsBlobKind(field) || IsMemoKind(field)))
    return false;
  TExDBGridCtlsForm form(&FGrid);
  form.SetCaptionText(QStringLiteral("Field: %1").arg(field->DisplayLabel()));
  form.SetField(field);
  form.SetDataSource(FGrid.DataSource());
  form.FormActivate();
  form.ShowModal();
  return true;
}

bool TExDBGridEditors::Filter(QObject *watched, QEvent *event) {
  if (FPicker && watched == FPicker)
    return PickerEvent(event);
  if ((FMemo && watched == FMemo) || (FRichEdit && watched == FRichEdit))
    return MemoEvent(event);
  return false;
}
