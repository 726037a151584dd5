// Form controls that TExDBGrid shows over the cells of chosen fields.
#include "ExDBGrid.h"

#include "DB.h"
#include "Field.h"

#include <QEvent>
#include <QKeyEvent>

TExDBGridControl &TExDBGridControls::Add() {
  FItems.emplace_back();
  return FItems.back();
}

const TExDBGridControl *TExDBGridControls::FindControl(const QString &FieldName) const {
  for (const TExDBGridControl &item : FItems)
    if (item.FieldName.compare(FieldName, Qt::CaseInsensitive) == 0)
      return &item;
  return nullptr;
}

void TExDBGrid::SetControls(const TExDBGridControls &value) {
  FControls.Assign(value);
  HideListedControls();
}

QWidget *TExDBGrid::ListedControl(const TField *field) const {
  const TExDBGridControl *item = field ? FControls.FindControl(field->FieldName()) : nullptr;
  if (!item || item->ControlName.isEmpty())
    return nullptr;
  return window()->findChild<QWidget *>(item->ControlName);
}

void TExDBGrid::HideListedControls() {
  // An item without a name lists no control (an empty name would match any widget of the window).
  for (int i = 0; i < FControls.Count(); ++i)
    if (const QString &name = FControls.Items(i).ControlName; !name.isEmpty())
      if (QWidget *control = window()->findChild<QWidget *>(name))
        control->hide();
}

void TExDBGrid::ShowFormControl(QWidget *Control, int ACol, int ARow) {
  if (!DataLink()->Active() || !Control)
    return;
  if (FFormControl && FFormControl != Control)
    HideFormControl();
  FFormControl = Control;
  Control->installEventFilter(this);
  if (Control->parentWidget() != parentWidget())
    Control->setParent(parentWidget());
  const QRect cell = CellRect(ACol, ARow);
  const QPoint topLeft = parentWidget() ? viewport()->mapTo(parentWidget(), cell.topLeft()) : cell.topLeft();
  Control->raise();
  Control->show();
  Control->setGeometry(QRect(topLeft, cell.size()));
  if (isVisible() && Control->isVisible() && window()->isVisible()) {
    // Moving the focus to the control must not cancel the grid's record.
    const TDBGridOptions options = Options();
    SetOptions(options & ~TDBGridOptions(dgCancelOnExit));
    Control->setFocus(Qt::OtherFocusReason);
    SetOptions(options);
  }
}

void TExDBGrid::HideFormControl() {
  if (!FFormControl)
    return;
  QWidget *control = FFormControl;
  FFormControl = nullptr;
  control->removeEventFilter(this);
  control->hide();
}

bool TExDBGrid::FormControlEvent(QEvent *event) {
  if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
      !(Options() & dgAlwaysShowEditor)) {
    HideFormControl();
    if (isVisible())
      setFocus(Qt::OtherFocusReason);
  } else if (event->type() == QEvent::FocusOut) {
    HideFormControl();
  }
  return false;
}

void TExDBGrid::TakeDownIdleFormControl() {
  if (!FFormControl || !DataLink()->Active())
    return;
  const TDataSetState state = DataLink()->DataSet()->State();
  if (state != dsEdit && state != dsInsert)
    HideFormControl();
}
