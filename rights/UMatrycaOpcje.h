#pragma once

#include "Forms.h"

#include <QString>
#include <QStringList>
#include <vector>

class TButton;
class TDataSet;
class TDataSource;
class TExDBGrid;
class TwoxMemTable;

// A database of the list as the rights matrix shows it: its name and its path after the server.
struct TMatrixDatabase {
  QString Nazwa;
  QString Baza;
};

// "Elementy matrycy": the databases of the list and the users of the security database, each with
// its "Drukuj" box; the rights matrix shows those ticked. The rights matrix run creates it, fills
// both tables with LoadFromDataSet (every record starts ticked), shows it modally and frees it.
class TMatrycaOpcje : public TForm {
  Q_OBJECT
public:
  explicit TMatrycaOpcje(QWidget *owner = nullptr);
  ~TMatrycaOpcje() override;

  TwoxMemTable *TableBazy;
  TwoxMemTable *TableUsers;
  TDataSource *DataSourceBazy;
  TDataSource *DataSourceUsers;
  TExDBGrid *ExDBGrid1;
  TExDBGrid *ExDBGrid2;
  TButton *Button1, *Button2; // under the databases: "Zaznacz wszystko", "Odznacz wszystko"
  TButton *Button3, *Button4; // under the users
  TButton *BitBtn1;           // OK
  TButton *BitBtn2;           // "Anuluj"

  void TableBazyLoadRecord(TDataSet *DataSet, bool &Accept);
  void TableUsersLoadRecord(TDataSet *DataSet, bool &Accept);
  void Button1Click(QObject *Sender);
  void Button2Click(QObject *Sender);
  void Button3Click(QObject *Sender);
  void Button4Click(QObject *Sender);

  // The ticked databases and the names of the ticked users, in table order.
  std::vector<TMatrixDatabase> PickedDatabases();
  QStringList PickedUsers();

private:
  void CreateTables();
};
