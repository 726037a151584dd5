// The in-place date picker of TExDBGrid's date and time cells.
#include "ExDBGrid.h"

#include "Application.h"
#include "DB.h"
#include "ExDBGridFieldKinds.h"
#include "ExDateTimePicker.h"

#include <QEvent>
#include <QKeyEvent>

void TExDBGrid::PrepareDatePicker(const QRect &cell, TField *field) {
  if (!FDatePicker) {
    FDatePicker = new TExDateTimePicker(window());
    FDatePicker->hide();
    FDatePicker->installEventFilter(this);
    connect(FDatePicker, &QDateTimeEdit::dateTimeChanged, this,
            [this] { Guarded(this, [this] { DatePickerChanged(); }); });
  }
  if (FDatePicker->isVisible())
    return;
  FDatePicker->SetDateMode(dmComboBox);
  FDatePicker->SetKind(field->DataType() == ftTime ? dtkTime : dtkDate);
  if (FDatePicker->parentWidget() != window())
    FDatePicker->setParent(window());
  const QRect grown = cell.adjusted(-2, -2, 2, 2);
  FDatePicker->setGeometry(QRect(viewport()->mapTo(window(), grown.topLeft()), grown.size()));
  FDatePicker->setFont(Font().ToQFont());
  FDatePicker->SetColor(FEditColor);
  FDatePicker->SetBorderColor(FEditColor);
  FPreparingPicker = true;
  if (!field->IsNull())
    FDatePicker->SetDateTime(field->AsDateTime());
  FPreparingPicker = false;
}

bool TExDBGrid::IsDatePickerCell(TColumn *Column) const {
  TField *field = Column ? Column->Field() : nullptr;
  return field && FDisplayDateTime && IsDateTimeKind(field) && DataLink()->Active();
}

void TExDBGrid::ShowDatePicker() {
  TColumn *column = ColumnAt(Col());
  if (!IsDatePickerCell(column))
    return;
  PrepareDatePicker(CellRect(Col(), Row()), column->Field());
  FDatePicker->raise();
  FDatePicker->show();
  FDatePicker->setFocus(Qt::OtherFocusReason);
}

void TExDBGrid::HideDatePicker(bool refocusGrid) {
  if (!FDatePicker || !FDatePicker->isVisible())
    return;
  FDatePicker->hide();
  if (refocusGrid)
    setFocus(Qt::OtherFocusReason);
}

// Without dgAlwaysShowEditor the picker or memo editor opens on the second click on the same cell.
void TExDBGrid::EditorCellClicked(TColumn *Column) {
  const bool memo = IsMemoEditorCell(Column);
  if (!memo && !IsDatePickerCell(Column)) {
    FClickedCell = QPoint(-1, -1);
    return;
  }
  QPoint corner = CellRect(Col(), Row()).topLeft();
  if (DataLink()->DataSet()->State() == dsInsert)
    corner.ry() += DefaultRowHeight();
  if (!(Options() & dgAlwaysShowEditor) && corner != FClickedCell) {
    FClickedCell = corner;
    return;
  }
  FClickedCell = QPoint(-1, -1);
  if (memo)
    ShowMemoEditor();
  else
    ShowDatePicker();
}

void TExDBGrid::StoreDatePickerValue() {
  TDataSet *dataSet = DataLink()->DataSet();
  TField *field = SelectedField();
  if (!field)
    return;
  if (dataSet->State() == dsBrowse && dataSet->CanModify())
    dataSet->Edit();
  if (dataSet->State() == dsEdit || dataSet->State() == dsInsert) {
    field->SetAsDateTime(FDatePicker->DateTime());
    dataSet->Post();
  }
}

void TExDBGrid::DatePickerChanged() {
  if (FPreparingPicker || !FDatePicker->isVisible() || !DataLink()->Active())
    return;
  TDataSet *dataSet = DataLink()->DataSet();
  TField *field = SelectedField();
  // Edits made while browsing reach the field at once; an edit in progress takes them on Tab or Enter.
  if (field && dataSet->State() == dsBrowse && CanModifyDataSet() && field->CanModify()) {
    dataSet->Edit();
    field->SetAsDateTime(FDatePicker->DateTime());
  }
}

bool TExDBGrid::DatePickerEvent(QEvent *event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (key == Qt::Key_Escape) {
      HideDatePicker(true);
      if (dataSet && dataSet->State() == dsEdit)
        dataSet->Cancel();
      return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter) {
      Guarded(this, [this, dataSet] {
        FDatePicker->hide();
        if (dataSet)
          StoreDatePickerValue();
        setFocus(Qt::OtherFocusReason);
      });
      return true;
    }
  } else if (event->type() == QEvent::FocusOut && FDatePicker->isVisible()) {
    Guarded(this, [this] {
      FDatePicker->hide();
      TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
      if (dataSet && dataSet->State() == dsEdit)
        dataSet->Post();
    });
  }
  return false;
}
