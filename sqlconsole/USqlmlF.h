#pragma once

#include "Forms.h"
#include "ObjList.h"
#include "USqlItem.h"

class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class TAction;
class TButton;

// "Wybór zapytania SQL": lists the saved queries, shows one, and makes or edits their files.
// Browse mode rests; "Nowy" and "Modyfikuj" pin the current row until "Zapisz" or "Anuluj".
class TSQLMonListForm : public TForm {
  Q_OBJECT
public:
  enum TMode : unsigned char { mdNew = 0, mdEdit = 1, mdBrowse = 2 };

  explicit TSQLMonListForm(QWidget *owner);

  void SetMode(TMode mode) { FMode = mode; }
  TMode Mode() const { return FMode; }
  int ItemCount() const { return FItems.Count(); }
  TSQLItem *Item(int index) const { return FItems.GetItem(index); }
  // The in-place editor of the name cell while one is open, else nullptr.
  QLineEdit *NameEditor() const;

  QTableWidget *PytaniaGrid;
  QPlainTextEdit *OpisMemo;
  QPlainTextEdit *FormatMemo;
  TButton *BitBtn1;
  TButton *BitBtn2;
  TAction *OdswierzA, *DodajA, *ModyfikujA, *ZapiszA, *UpdateFormA;

  void OdswierzAExecute();
  void DodajAExecute();
  void ModyfikujAExecute();
  void ZapiszAExecute();
  void BitBtn2Click();
  void PytaniaGridClick();
  void UpdateFormAUpdate();

protected:
  void showEvent(QShowEvent *event) override;
  void reject() override;

private:
  void CreateActions();
  void LoadAll();
  void FillGrid();
  void ShowSelected();
  // Sets the current row without it counting as the person's click.
  void MoveTo(int row);
  void OpenNameEditor(int row);
  void CloseNameEditor();
  QString CellText(int row) const;
  // Out of new or edit mode: a new row is removed, the edited one shows its stored texts again.
  void LeaveEditing();
  // Tells why the row is not saved and stops the save.
  static void Refuse(const char *text);

  TMode FMode = mdBrowse;
  int FCurrentRow = 0;
  TObjList<TSQLItem> FItems;
  bool FMoving = false;
};
