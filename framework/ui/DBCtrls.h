#pragma once

#include "DBTypes.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <set>

class QAbstractButton;
class TDataSource;
class TField;
class TFieldDataLink;
class TDataLink;

// Data-aware controls: each shows one field of the current record of its data source and, when the
// data source's AutoEdit allows, puts the dataset into edit state as soon as the person changes it.
// Pending text reaches the field when the record is posted (or the control loses the focus).

// The data source, field name and link that every single-field control has.
class TDBFieldControl {
public:
  TDataSource *DataSource() const;
  void SetDataSource(TDataSource *value);
  const QString &DataField() const;
  void SetDataField(const QString &value);
  TField *Field() const;
  bool ReadOnly() const;
  void SetReadOnly(bool value);

protected:
  explicit TDBFieldControl(QObject *control);
  ~TDBFieldControl();
  TDBFieldControl(const TDBFieldControl &) = delete;
  TDBFieldControl &operator=(const TDBFieldControl &) = delete;

  std::unique_ptr<TFieldDataLink> FDataLink;
};

class TDBEdit : public QLineEdit, public TDBFieldControl {
public:
  explicit TDBEdit(QWidget *parent = nullptr);
  ~TDBEdit() override;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  void DataChange();
  void EditingChange();
  void UpdateData();
  void ShowFieldText();

  bool FFocused = false;
  bool FLoading = false;
};

class TDBCheckBox : public QCheckBox, public TDBFieldControl {
public:
  explicit TDBCheckBox(QWidget *parent = nullptr);
  ~TDBCheckBox() override;

  // Field texts meaning checked / unchecked, several separated by ";" (the first one is written).
  const QString &ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const QString &value);
  const QString &ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const QString &value);

protected:
  void nextCheckState() override;

private:
  void DataChange();
  void UpdateData();
  Qt::CheckState FieldState() const;

  QString FValueChecked = QStringLiteral("True");
  QString FValueUnchecked = QStringLiteral("False");
};

// Lines are CR LF in the field, as the program's files and database keep them.
class TDBMemo : public QPlainTextEdit, public TDBFieldControl {
public:
  explicit TDBMemo(QWidget *parent = nullptr);
  ~TDBMemo() override;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  void DataChange();
  void EditingChange();
  void UpdateData();

  bool FLoading = false;
};

enum TNavigateBtn {
  nbFirst,
  nbPrior,
  nbNext,
  nbLast,
  nbInsert,
  nbDelete,
  nbEdit,
  nbPost,
  nbCancel,
  nbRefresh
};
using TButtonSet = std::set<TNavigateBtn>;

// The ten buttons that move through and edit a dataset, enabled by its state.
class TDBNavigator : public QWidget {
public:
  explicit TDBNavigator(QWidget *parent = nullptr);
  ~TDBNavigator() override;

  TDataSource *DataSource() const;
  void SetDataSource(TDataSource *value);
  const TButtonSet &VisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(const TButtonSet &value);
  // Tool tips in button order; a missing or empty entry keeps the standard hint.
  const QStringList &Hints() const { return FHints; }
  void SetHints(const QStringList &value);
  // Asks "Delete record?" before deleting.
  bool ConfirmDelete() const { return FConfirmDelete; }
  void SetConfirmDelete(bool value) { FConfirmDelete = value; }
  QAbstractButton *Button(TNavigateBtn button) const { return FButtons[std::size_t(button)]; }
  // What a click on the button does.
  void BtnClick(TNavigateBtn button);

  std::function<void(TDBNavigator *Sender, TNavigateBtn Button)> BeforeAction;
  std::function<void(TDBNavigator *Sender, TNavigateBtn Button)> OnClick;

  // Called by the navigator's data link.
  void UpdateButtons();

private:
  std::unique_ptr<TDataLink> FDataLink;
  std::array<QAbstractButton *, nbRefresh + 1> FButtons{};
  TButtonSet FVisibleButtons;
  QStringList FHints;
  bool FConfirmDelete = true;
};
