#pragma once

#include "Forms.h"
#include "Graphics.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <memory>

class Exception;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QRadioButton;
class QStatusBar;
class TAction;
class TButton;
class TComboEdit;
class TDataSet;
class TDataSource;
class TDBCheckBox;
class TDBEdit;
class TDBNavigator;
class TDMSecurity;
class TField;
class TIBDatabase;
class TIBQuery;
class TIBSecurityService;
class TIBTransaction;
class TMxDBGrid;
class TMxSpeedButton;
class TNowyUzytkownikF;

// The main window of meridox_sec: the connection, the password policy and the users list, with
// every action of the program.
class TMainForm : public TForm {
  Q_OBJECT
public:
  // The .ini lies beside the program unless another file is named.
  explicit TMainForm(QWidget *owner = nullptr, const QString &iniFileName = QString());
  ~TMainForm() override;

  static QString DefaultIniFileName();

  // Connection area
  QComboBox *edSerwer;
  QLineEdit *edUserName;
  QLineEdit *edAdminPswd;
  TButton *Button1;
  TButton *Button2;
  TMxSpeedButton *SpeedButton5;
  TButton *Button3;
  TButton *btnMatryca;
  TButton *btnUprawnienia;
  // Policy box
  QGroupBox *GroupBox1;
  TDBEdit *DBEdit1;
  TDBEdit *DBEdit2;
  TDBEdit *DBEdit3;
  TDBEdit *DBEdit4;
  TDBEdit *DBEdit5;
  TDBEdit *DBEdit6;
  TDBEdit *DBEdit7;
  TDBNavigator *DBNavigator1;
  QCheckBox *cbWithAdminOpt;
  // Users box
  QGroupBox *GroupBox2;
  TMxDBGrid *UsrGrid;
  TMxSpeedButton *SpeedButton1;
  TMxSpeedButton *SpeedButton2;
  TMxSpeedButton *SpeedButton3;
  TMxSpeedButton *SpeedButton4;
  QGroupBox *RadioGroup1;
  QRadioButton *RadioGroup1Items[2];
  TComboEdit *edGrupa;
  TButton *btnPobierzZVeldar;
  TDBNavigator *DBNavigator2;
  TDBCheckBox *DBCheckBox1;
  TDBCheckBox *DBCheckBox2;
  QStatusBar *StatusBar1;
  QMenu *PopupMenu1;
  // Non-visual
  TDataSource *dsConfig;
  TDataSource *dsUsers;
  TIBSecurityService *Security;
  TIBDatabase *Database;
  TIBTransaction *Transaction;
  TIBQuery *Query;
  // Actions
  TAction *DBConnectA;
  TAction *DBDisconnectA;
  TAction *NowyUzytkownikA;
  TAction *ZmienHasloA;
  TAction *UsunUzytkownikaA;
  TAction *GrantAdminRoleA;
  TAction *SynchroA;
  TAction *PobierzUzytkownikowZSerweraA;
  TAction *MonitorSQLA;
  TAction *PobierzZVeldarA;
  TAction *MatrycaUprawnienA;
  TAction *UprawnieniaA;
  TAction *UpdateFormA;

  TDMSecurity *DM() const { return FDM; }
  int RadioGroup1ItemIndex() const;
  void SetRadioGroup1ItemIndex(int index);

  // Handlers
  void DBConnectAExecute(QObject *Sender);
  void DBDisconnectAExecute(QObject *Sender);
  void GrantAdminRoleAExecute(QObject *Sender);
  void SpeedButton5Click();
  void NowyUzytkownikAExecute(QObject *Sender);
  void ZmienHasloAExecute(QObject *Sender);
  void UsunUzytkownikaAExecute(QObject *Sender);
  void PobierzUzytkownikowZSerweraAExecute(QObject *Sender);
  void SynchroAExecute(QObject *Sender);
  void DeleteUsersMissingOnServer(const QStringList &onServer);
  void PobierzZVeldarAExecute(QObject *Sender);
  void MonitorSQLAExecute(QObject *Sender);
  // Opens "Matryca uprawnień" with the login of the connection area; the action itself stays disabled.
  void MatrycaUprawnienAExecute(QObject *Sender);
  // Opens "Uprawnienia" on "bazy.txt" for the visible group; the action itself stays disabled.
  void UprawnieniaAExecute(QObject *Sender);
  void edGrupaButtonClick(QObject *Sender);
  void UsrGridEditButtonClick(QObject *Sender);
  void UpdateFormAUpdate(QObject *Sender);
  void cbWithAdminOptClick();
  void RadioGroup1Click();
  void UsrGridGetCellParams(QObject *Sender, TField *Field, TFont &AFont, TColor &Background, bool Highlight);
  void ApplicationEventsException(QObject *Sender, Exception &E);
  void usersBeforeInsert(TDataSet *DataSet);
  void usersAfterInsert(TDataSet *DataSet);
  void usersFilterRecord(TDataSet *DataSet, bool &Accept);
  void usersBeforeDelete(TDataSet *DataSet);

  // The two server messages that the program shows in its own words.
  static QString TranslatedMessage(const QString &message);

protected:
  bool event(QEvent *event) override;

private:
  void CreateActions();
  QWidget *CreateConnectionArea();
  QGroupBox *CreatePolicyBox();
  QGroupBox *CreateUsersBox();
  void CreateUsersGrid();
  void ReadIniFile();
  void WriteIniFile();
  bool ConnectedAsSysdba() const;
  void ApplyGroupFilter();
  // Inserts a users row while the program allows it, as the new-user and fetch roads do.
  void InsertUserRow();
  void AddNewUserRow(TNowyUzytkownikF &dialog, const QString &name);
  // The names of the server's users, read once through the service.
  QStringList ServerUserNames();
  // Gives every server user without a row one, as a user who need not change the password.
  void TakeOverServerUsers(const QStringList &onServer);
  // The group of a new row: the visible group as the row holds it, or null for "Wszystkie".
  QVariant PresetGroup() const;
  // Records the date of a password change that the server has made, or tells that it could not.
  void RecordPasswordChange(const QString &user);
  // Records, at "Połącz", the dates that an earlier password change could not record on this database.
  void RecordDuePasswordDates();

  QString FIniFileName;
  unsigned char FChangeEnabled = 1;
  QString FDefaultGroup;
  TDMSecurity *FDM = nullptr;
  unsigned char FAllowInsert = 0;
  // Non-zero while the program itself deletes users rows; a delete from the grid goes through
  // "Usuń użytkownika" instead.
  unsigned char FAllowDelete = 0;
  // By database name: the users whose new password the server has, without the date of the change.
  QHash<QString, QSet<QString>> FPasswordDatesDue;
};
