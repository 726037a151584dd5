#pragma once

#include "Forms.h"

class QListWidget;
class QPushButton;
class TCustomDBGrid;
class TDataSource;
class TExStatusBar;

// "Customize": switches the fields of a grid's dataset visible or invisible.
class TExColSelectFrm : public TForm {
public:
  explicit TExColSelectFrm(QWidget *owner = nullptr);

  void SetGrid(TCustomDBGrid *grid) { FGrid = grid; }
  void SetDataSource(TDataSource *source) { FDataSource = source; }
  QListWidget *ColList() const { return FColList; }
  QPushButton *Okbtn() const { return FOkbtn; }
  QPushButton *Cancelbtn() const { return FCancelbtn; }

  // Lists every field of the dataset except those labelled "<NO DISPLAY>", checked when visible.
  void FormActivate();
  // After OK: each listed field is visible exactly when checked; refuses to hide them all.
  void FormClose(int modalResult);

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  TCustomDBGrid *FGrid = nullptr;
  TDataSource *FDataSource = nullptr;
  QListWidget *FColList;
  TExStatusBar *FStatusBar;
  QPushButton *FOkbtn;
  QPushButton *FCancelbtn;
  bool FAccepted = false;
};
