#pragma once

#include "StringList.h"

#include <QFrame>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class TIBTransaction;
class TIBXSQLVAR;

// Splits a parameter description "Label#VALUES=...#DISPLAY=..." into the label and key=value lines;
// "@SELECT ..." values are replaced by the first column of the query's rows (run on the transaction,
// or nothing without one), and DISPLAY defaults to VALUES.
void ParseParamDescription(const QString &description, QString &caption, TStringList &lines,
                           TIBTransaction *transaction);

// The input of one query parameter: a bold label, the value editor its subclass makes, and
// "Wartość pusta" for NULL.
class TIBParamPanel : public QFrame {
  Q_OBJECT
public:
  explicit TIBParamPanel(QWidget *owner = nullptr);

  TIBXSQLVAR *Param() const { return FParam; }
  void SetParam(TIBXSQLVAR *param);
  void SetDescription(const QString &text) { FDescription = text; }
  void SetTransaction(TIBTransaction *transaction) { FTransaction = transaction; }
  const QString &Caption() const { return FCaption; }
  const TStringList &Lines() const { return FLines; }
  QWidget *Editor() const { return FEditor; }
  QCheckBox *NullCheck() const { return FNullCheck; }
  bool EditorEnabled() const { return FEditorEnabled; }
  // Writes the edited value into the parameter.
  virtual void WriteValue();

protected:
  virtual QWidget *CreateEditor() = 0;
  virtual void SetupEditor();
  virtual void LoadValue() {}
  bool eventFilter(QObject *watched, QEvent *event) override;

  // Choice lists of string and numeric panels: a combo box when the description gives VALUES.
  QComboBox *ChoiceEditor();
  void SetupChoice();
  void LoadChoice();
  // Writes the chosen stored value; false when the editor is no choice list.
  bool WriteChoice();

  TStringList FValues;

private:
  void SetEditorEnabled(bool enabled);
  void UpdateCaption();
  void ReadNull();
  void NullClick();
  void Layout();

  QString FCaption;
  QWidget *FEditor = nullptr;
  bool FEditorEnabled = false;
  TIBXSQLVAR *FParam = nullptr;
  QCheckBox *FNullCheck;
  QString FDescription;
  QLabel *FLabel;
  TStringList FLines;
  TIBTransaction *FTransaction = nullptr;
};

class TIBStringParamPanel : public TIBParamPanel {
  Q_OBJECT
public:
  using TIBParamPanel::TIBParamPanel;
  void WriteValue() override;

protected:
  QWidget *CreateEditor() override;
  void SetupEditor() override;
  void LoadValue() override;
};

class TIBNumericParamPanel : public TIBParamPanel {
  Q_OBJECT
public:
  using TIBParamPanel::TIBParamPanel;
  void WriteValue() override;

protected:
  QWidget *CreateEditor() override;
  void SetupEditor() override;
  void LoadValue() override;
};

// A date edit for DATE, a time edit for TIME, a date and time edit for TIMESTAMP.
class TIBDateTimeParamPanel : public TIBParamPanel {
  Q_OBJECT
public:
  using TIBParamPanel::TIBParamPanel;
  void WriteValue() override;

protected:
  QWidget *CreateEditor() override;
  void SetupEditor() override;
  void LoadValue() override;
};

// A check box for true and false; "Wartość pusta" is its NULL.
class TIBBooleanParamPanel : public TIBParamPanel {
  Q_OBJECT
public:
  using TIBParamPanel::TIBParamPanel;
  void WriteValue() override;

protected:
  QWidget *CreateEditor() override;
  void LoadValue() override;
};

// The panel for a parameter's SQL type (nullable bit ignored); nullptr when there is none.
TIBParamPanel *CreateParamPanel(int sqlType, QWidget *owner);
