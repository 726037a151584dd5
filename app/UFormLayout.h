#pragma once

#include <QLineEdit>
#include <QString>

class QFormLayout;
class QHBoxLayout;
class QWidget;
class TButton;

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
