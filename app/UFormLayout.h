#pragma once

#include <QLineEdit>
#include <QString>

class QBoxLayout;
class QFormLayout;
class QHBoxLayout;
class QWidget;
class TButton;

// A dialog button of the form, added to the row; modal result 0 leaves closing to a handler.
TButton *AddDialogButton(QWidget *form, QBoxLayout *row, const QString &caption, const QString &name,
                         int modalResult);

// Lays out a small dialog: labelled rows, then a row of buttons at the bottom right.
class TLabelledRows {
public:
  explicit TLabelledRows(QWidget *form);

  QLineEdit *AddEdit(const QString &label, const QString &name, QLineEdit::EchoMode echo = QLineEdit::Normal);
  void AddRow(const QString &label, QWidget *field);
  TButton *AddButton(const QString &caption, const QString &name, int modalResult);

private:
  QWidget *FForm;
  QFormLayout *FRows;
  QHBoxLayout *FButtons;
};
