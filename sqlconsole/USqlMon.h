#pragma once

#include "Forms.h"
#include "ObjList.h"
#include "ResultExport.h"
#include "SQLHistory.h"
#include "StatementGuard.h"
#include "USqlItem.h"

#include <QPointer>
#include <functional>

class QCheckBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TAction;
class TDataSet;
class TDataSource;
class TDBGrid;
class TDBNavigator;
class TIBDataSet;
class TIBDatabase;
class TIBQuery;
class TIBScript;
class TIBTransaction;
class TMxSpeedButton;
class TSQLMonListForm;
class TZUVPosForm;

// "Monitor zapytań SQL": ad-hoc statements and scripts on a connection the caller holds, in a
// transaction of the window's own, under the statement guard. Modeless; it frees itself when closed,
// and closes when its database goes away. The guard, the history, the export formats and the print
// measuring live in classes of their own; the window wires its controls to them.
class TSQLMonitorForm : public TForm {
  Q_OBJECT
public:
  TSQLMonitorForm(TIBDatabase *database, bool managerRights);
  ~TSQLMonitorForm() override;

  // The statement guard on the editor's statement: prepares Query and says whether it may run.
  bool CheckStatement(const QString &sql);
  void LoadTableNames();
  void LoadFieldNames(const QString &tableName);
  void LoadQueryList();
  bool IsSelectQuery(const QString &sql);

  // The editor's text with CR LF line ends.
  QString EditorText() const;
  void SetEditorText(const QString &text);

  const TSQLHistory &History() const { return FHistory; }
  int HistoryIndex() const { return FHistory.Index(); }
  bool KeyFieldsPresent() const { return FKeyFieldsPresent; }

  TIBQuery *Query;
  TIBTransaction *IBTransaction;
  TIBDataSet *CheckDataSet;
  TIBScript *IBScript;
  TIBDataSet *IBDataSetScript;
  TDataSource *DataSource;
  TDBGrid *DBGrid;
  TDBNavigator *dbnDBNavigator;
  QTabWidget *pgcProfil;
  QWidget *tabPodstawowe;
  QWidget *tabZaawansowane;
  QListWidget *lbZapytania;
  QPlainTextEdit *memOpis;
  QListWidget *TabeleList;
  QListWidget *PolaList;
  QPlainTextEdit *Memo;
  QCheckBox *FieldNameCheck;
  TMxSpeedButton *MxSpeedButton3;
  QMenu *ExportMenu;
  QMenu *AddNewPosMenu;
  QPushButton *btnZapiszKorvin;
  QPushButton *btnWizualizacja;
  TZUVPosForm *ZUVPosForm1;
  TSQLMonListForm *QueryList() const { return FQueryList; }

  TAction *ExecuteSQLAction, *ExecuteSQLScriptA, *FileOpenAction, *FileSaveAction, *ClearEditorAction,
      *PoprzedniePytA, *NastepnePytA, *GetSQLAction, *DodajA, *ExportTableAction, *TabFileAction,
      *SeparatorFileAction, *SeparatorSettingsAction, *PrintA, *GenerujHTMLA, *ZapiszKorvinA, *WizualizacjaA,
      *PasteAction, *InsertToListAction, *UpdateListPosAction, *UpdateAction;

  QChar Separator() const { return FSeparator; }
  QChar Quote() const { return FQuote; }

  void ExecuteSQLActionExecute();
  void ExecuteSQLScriptAExecute();
  void FileOpenActionExecute();
  void FileSaveActionExecute();
  void ClearEditorActionExecute();
  void PoprzedniePytAExecute();
  void NastepnePytAExecute();
  void GetSQLActionExecute();
  void DodajAExecute();
  void TabFileActionExecute();
  void SeparatorFileActionExecute();
  void SeparatorSettingsActionExecute();
  void PrintAExecute();
  void GenerujHTMLAExecute();
  void ZapiszKorvinAExecute();
  void WizualizacjaAExecute();
  void UpdateActionUpdate();
  void TabeleListClick();
  void TabeleListDblClick();
  void PolaListDblClick();
  void tabPodstawoweShow();
  void lbZapytaniaClick();
  // Not bound to any dataset: the key fields' flag stays off unless a caller runs them.
  void IBDataSetAfterOpen(TDataSet *dataSet);
  void IBDataSetAfterClose(TDataSet *dataSet);

private:
  void CreateComponents();
  void CreateActions();
  QWidget *CreateToolBar();
  QWidget *CreateBasicTab();
  QWidget *CreateAdvancedTab();
  QWidget *CreateResultBar();
  // Opens Query, through the parameter dialog when the statement has parameters.
  void OpenQuery();
  // Runs a statement or a script on the server; the end of the session cancels it there.
  void RunOnServer(const std::function<void()> &work);
  void ShowHistoryEntry(const QString &text);
  // Asks for the export file and writes the result into it in the mode FTabMode and FKorvinMode set.
  void ExportToChosenFile();
  void InsertIntoEditor(QListWidget *list);
  bool EditorEmpty() const;
  bool AdvancedTabActive() const;
  // Whether the editor may be replaced: unasked when it holds the statement last run or loaded,
  // else only when the person agrees.
  bool MayReplaceEditor();
  // Loads a statement into the editor as the one last loaded.
  void LoadEditor(const QString &text);

  QChar FSeparator = u',';
  QChar FQuote = u'\'';
  TSQLMonListForm *FQueryList = nullptr;
  bool FTabMode = false;
  TSQLHistory FHistory;
  bool FKeyFieldsPresent = false;
  bool FKorvinMode = false;
  TStatementGuard FGuard;
  QPointer<TIBDatabase> FDatabase;
  // The saved queries behind lbZapytania's items.
  TObjList<TSQLItem> FQueryItems;
  // The statement last run or loaded into the editor.
  QString FLastStatement;
  int FShownQuery = -1;
};
