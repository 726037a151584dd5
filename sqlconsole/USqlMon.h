#pragma once

#include "Forms.h"
#include "ObjList.h"
#include "StringList.h"
#include "USqlItem.h"

#include <QPointer>

class QCheckBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class TAction;
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
// transaction of the window's own. A guard looks at the prepared statement's type before it runs.
// Modeless; it frees itself when closed, and closes when its database goes away.
class TSQLMonitorForm : public TForm {
  Q_OBJECT
public:
  TSQLMonitorForm(TIBDatabase *database, bool managerRights);
  ~TSQLMonitorForm() override;

  // The statement guard: prepares Query and says whether it may run (asking where rights allow).
  bool CheckStatement(const QString &sql);
  void LoadTableNames();
  void LoadFieldNames(const QString &tableName);
  void LoadQueryList();
  bool IsSelectQuery(const QString &sql);

  // The editor's text with CR LF line ends.
  QString EditorText() const;
  void SetEditorText(const QString &text);

  const TStringList &History() const { return FHistory; }
  int HistoryIndex() const { return FHistoryIndex; }

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
  TZUVPosForm *ZUVPosForm1;
  TSQLMonListForm *QueryList() const { return FQueryList; }

  TAction *ExecuteSQLAction, *ExecuteSQLScriptA, *FileOpenAction, *FileSaveAction, *ClearEditorAction,
      *PoprzedniePytA, *NastepnePytA, *GetSQLAction, *DodajA, *ExportTableAction, *TabFileAction,
      *SeparatorFileAction, *SeparatorSettingsAction, *PrintA, *GenerujHTMLA, *UpdateAction;

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
  void UpdateActionUpdate();
  void TabeleListClick();
  void TabeleListDblClick();
  void PolaListDblClick();
  void tabPodstawoweShow();
  void lbZapytaniaClick();

private:
  void CreateComponents();
  void CreateActions();
  QWidget *CreateToolBar();
  QWidget *CreateBasicTab();
  QWidget *CreateAdvancedTab();
  QWidget *CreateResultBar();
  // Opens Query, through the parameter dialog when the statement has parameters.
  void OpenQuery();
  void ShowHistoryEntry(int index);
  // Asks for the export file and writes the result into it whole.
  void ExportToChosenFile();
  QStringList ExportToText();
  QString ExportLine() const;
  void InsertIntoEditor(QListWidget *list);
  bool EditorEmpty() const;
  bool AdvancedTabActive() const;

  TStringList FHistory;
  int FHistoryIndex = -1;
  QChar FSeparator = u',';
  QChar FQuote = u'\'';
  TSQLMonListForm *FQueryList = nullptr;
  bool FTabMode = false;
  bool FAskCommit = false;
  bool FManagerRights;
  QPointer<TIBDatabase> FDatabase;
  // The saved queries behind lbZapytania's items.
  TObjList<TSQLItem> FQueryItems;
};
