#pragma once

#include "Forms.h"
#include "RightsMatrixPage.h"

#include <QString>
#include <memory>
#include <vector>

class QCheckBox;
class TButton;
class TDataSource;
class TDBNavigator;
class TDMSecurity;
class TField;
class TIBDatabase;
class TIBQuery;
class TIBTransaction;
class TDatabaseListFormat;
class TDatabaseListKeeper;
class TMxDBGrid;
class TwoxMemTable;
struct TMatrixDatabase;

// "Matryca uprawnień": the list of the family's databases, "bazy.txt" beside the program, edited in
// a grid and saved by "Zapisz i wyjdź"; "Utwórz matrycę" makes the HTML page of the roles that the
// chosen users hold in the chosen databases. The main window creates it, sets FDM, FPassword,
// FUserName and FServer, shows it modally and frees it.
class TMatrycaUprawnien : public TForm {
  Q_OBJECT
public:
  explicit TMatrycaUprawnien(QWidget *owner = nullptr);
  ~TMatrycaUprawnien() override;

  // The most a path chosen for "Baza" may hold: the field's size.
  static constexpr int BazaSize = 300;

  // --- the window's own parts
  TwoxMemTable *TableBazy;
  TDatabaseListFormat *CSVFormat;
  TDataSource *DataSource;
  TMxDBGrid *DBGrid;
  TDBNavigator *DBNavigator1;
  TDBNavigator *DBNavigator2;
  TButton *BitBtn1; // "Utwórz matrycę"
  TButton *BitBtn3; // "Zapisz i wyjdź"
  TButton *BitBtn2; // "Anuluj"
  QCheckBox *cbPokaz;
  // The connection the matrix reads each database's roles through.
  TIBDatabase *Database;
  TIBTransaction *Transaction;
  TIBQuery *Query;

  // --- set by the main window after construction; only the matrix run reads them
  TDMSecurity *FDM = nullptr;
  QString FPassword;
  QString FUserName;
  QString FServer;

  // "bazy.txt" in the program's folder.
  static QString ListPath();
  // Reads and writes "bazy.txt"; a file it could not read is replaced only when the person agrees.
  TDatabaseListKeeper &DatabaseList() { return *FDatabaseList; }

  void FormCreate(QObject *Sender);
  void SetupGroupPickList();
  void DBGridEditButtonClick(QObject *Sender);
  void BitBtn3Click(QObject *Sender);
  void BitBtn1Click(QObject *Sender);
  // Picks databases and users in "Elementy matrycy", reads each picked database's roles, saves the
  // page where the user says and "bazy.txt", shows the page when "Pokaż w przeglądarce" is ticked
  // and closes the window. A cancelled dialog, or a database that cannot be opened (told first),
  // ends it with EAbort: nothing is written and the window stays open with its edits. A list file
  // that could not be read is asked about first, and a no ends the run so too.
  void GenerateRightsMatrix();

private:
  void CreateDataComponents();
  QWidget *CreateGrid();
  QLayout *CreateButtons();
  // Why a path chosen with the ellipsis cannot go into "Baza"; empty when it can.
  static QString RefusedPath(const QString &path);
  void PostPendingEdit();
  // The login of the main window for every listed database.
  void SetMatrixLogin();
  // Connects to the database and answers each user's cell; a database that cannot be opened is
  // reported and the run aborted.
  std::vector<TMatrixCell> ReadCells(const TMatrixDatabase &database, const QStringList &users);
  // Asks where to save the page; a cancel aborts the run.
  QString AskPageFileName();
  // Opens the saved page in the desktop's viewer and tells when that fails.
  void ShowPage(const QString &fileName);

  std::unique_ptr<TDatabaseListKeeper> FDatabaseList;
};
