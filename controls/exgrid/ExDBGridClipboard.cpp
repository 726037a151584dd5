// Cell copy and paste of TExDBGrid through the clipboard.
#include "ExDBGrid.h"

#include "DB.h"
#include "Field.h"

#include <QApplication>
#include <QClipboard>

bool TExDBGrid::CellClipboardKey(int Key, TShiftState Shift) {
  if (!(Shift & ssCtrl) || (Key != Qt::Key_C && Key != Qt::Key_V))
    return false;
  TField *field = DataLink()->Active() ? SelectedField() : nullptr;
  if (!field || !CanModifyDataSet())
    return true;
  if (Key == Qt::Key_C) {
    QApplication::clipboard()->setText(field->Text());
    return true;
  }
  const TDataSetState state = DataLink()->DataSet()->State();
  // Pasting only fills a record already being edited; a browsed one stays untouched.
  if (state == dsEdit || state == dsInsert)
    field->SetText(QApplication::clipboard()->text());
  else
    QApplication::beep();
  return true;
}
