#pragma once

#include "Forms.h"
#include "ProgramGroups.h"
#include "TabSettings.h"

#include <QString>
#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QListWidget;
class TButton;
class TDataSet;
class TDataSource;
class TExDBGrid;
class TIBDatabase;
class TIBQuery;
class TIBSQL;
class TIBTransaction;
class TIBUpdateSQL;
class TMxCheckTreeView;
class TMxSpinEdit;
class TPageControl;
class TRadioGroup;
class TTabSheet;
class TTreeNode;
class TDatabaseListFormat;
class TwoxMemTable;
struct TRightItem;
struct TRightsAssignment;
struct TRightsConnections;

// "Uprawnienia": the administrator ticks users of the security database and databases of the
// program groups listed in "bazy.txt", sets the rights on each group's tab and writes them, or
// reads one user's rights back. The main window creates it, sets FGroup, calls InitRightsEditor,
// shows it modally and frees it.
class TUprawnieniaForm : public TForm {
  Q_OBJECT
public:
  explicit TUprawnieniaForm(QWidget *owner = nullptr);
  ~TUprawnieniaForm() override;

  // --- the window's own parts
  TMxCheckTreeView *TreeView;
  TExDBGrid *ExDBGrid1;
  QCheckBox *CBAllUsers;
  QCheckBox *CBDaneOsobowe;
  TButton *BPokazPrawa;
  TButton *BitBtn2;
  TButton *BitBtn1;
  TPageControl *PageControl;

  // --- the tab sheets, in the order of the program groups, and their level radio groups
  TTabSheet *KORVIN, *VELDAR, *PLOMER, *SARNIK, *TULVAR, *BRONTEL, *FENNO, *DRAVEL, *HOLMAR, *GRESSON,
      *PELKAR, *NIRVOS, *TESSAL, *QUENTO, *BAVIRO, *SOLMET, *TORMISK, *KAPRENA;
  TRadioGroup *KNMPrawaRadioBox, *VELDARPrawaRadioBox, *PLOMERRadioBox, *SARNIKRadioBox, *TULVARRadioBox,
      *BRONTELRadioBox, *FENNORadioBox, *DRAVELRadioBox, *HolmarRadioBox, *GRESSONRadioBox, *PELKARRadioBox,
      *NIRVOSRadioBox, *TESSALRadioBox, *QUENTORadioBox, *BAVIRORadioBox, *SOLMETRadioBox,
      *TORMISKPrawaRadioBox, *KAPRENARadioBox;

  // --- the groups' own controls
  TRadioGroup *RightsKind;
  QListWidget *UserRights, *AllRights, *ObjectRights;
  TButton *ToUser, *ToAll, *AllToUser, *AllToAll;
  QCheckBox *ADMCheck, *PrintCheck, *EditCheck, *ExpCheck;
  TRadioGroup *rgSkany;
  QCheckBox *CBSarnik;
  QCheckBox *CBTulvar;
  QListWidget *CLBBrontel;
  TMxSpinEdit *BrontelIle;
  QCheckBox *FENNOCheckBox;
  QCheckBox *CBDravelADM, *CBDravelPRINT, *CBDravelEDIT;
  QGroupBox *HolmarGroupBox;
  QCheckBox *CheckBoxADM, *CheckBoxPRINT, *CheckBoxODS;
  // TESSAL's 43 boxes, named row letter + right letter, in the tab's control order.
  std::vector<QCheckBox *> TessalBoxes;
  TButton *Button1, *Button2;
  QCheckBox *BAVIROCheckBox;
  QListWidget *TormiskUserRights, *TormiskAllRights;
  TButton *TormiskToUser, *TormiskToAll, *TormiskAllToUser, *TormiskAllToAll;
  QCheckBox *FINANSECheckBox;

  // --- non-visual
  TwoxMemTable *MemTable;
  TDatabaseListFormat *woxCSVStreamFormat1;
  TIBDatabase *DBUsers;
  TIBTransaction *UsersTransaction;
  TIBQuery *IBQueryUsers;
  TwoxMemTable *MemUsers;
  TDataSource *DSMemUsers;
  TIBDatabase *Databases;
  TIBTransaction *DBTransaction;
  TIBSQL *IBSQL;
  TIBQuery *IBQuery;
  TIBUpdateSQL *IBUpdateSQL;
  TIBDatabase *DatabasesFDD;
  TIBTransaction *DBTransactionFDD;
  TIBDatabase *DatabasesFDR;
  TIBTransaction *DBTransactionFDR;

  // --- the window's state; the main window sets FGroup before the set-up
  QString FGroup; // the visible user group, "Wszystkie" = all
  qint32 FKorvinRights = 0;
  qint32 FKorvinObjectRights = 0;
  qint32 FTormiskRights = 0;
  QString FServer;
  QString FFileName;

  // --- set-up
  // Loads the database list FileName from the program's folder, builds the tree, hands the login of
  // Database to the application connections and lists the users. A list that cannot be read
  // raises, and the window is then not to be shown.
  void InitRightsEditor(TIBDatabase *Database, const QString &Server, const QString &FileName);
  void LoadUsers();
  void BuildProgramTree();
  TTreeNode *FindGroupNode(const QString &Group);
  // The connection path of the first listed database of that name and group, "" when none is.
  QString LookupDatabasePath(const QString &Nazwa, const QString &Group);
  // The connection path of the database a tree node stands for, from its own row of the list, so
  // that two rows of one name and group each reach their own database; "" for other nodes.
  QString NodeDatabasePath(const TTreeNode *node) const;
  // The database nodes whose group is none of the program groups: shown, never written or read.
  QStringList UnknownGroups() const { return FUnknownGroups; }
  void FormCreate(QObject *Sender);
  void FormShow(QObject *Sender);
  // FormShow, then the modal loop through the dialog seam.
  int ShowModal();

  // --- the tree, the tabs and the users
  void TreeViewClick(QObject *Sender);
  void UpdateProgramTabs();
  void MarkProgramSelected(const QString &Name);
  void ClearProgramSelection();
  // Whether the group (index in the program groups) has a ticked database node.
  bool ProgramSelected(int group) const { return FProgramSelected.at(static_cast<size_t>(group)) == 1; }
  void CBAllUsersClick(QObject *Sender);
  void IBQueryUsersFilterRecord(TDataSet *DataSet, bool &Accept);

  // --- a group's tab as plain values
  TTabSheet *GroupTab(int group) const { return Tab(group).Sheet; }
  TRadioGroup *LevelRadioGroup(int group) const { return Tab(group).Level; }
  TTabSettings TabSettings(int group) const;
  // The boxes are set in the tab's control order; a "Zarządca" box ticked there ticks and locks
  // the boxes after it, as a click would, and they stay ticked.
  void SetTabSettings(int group, const TTabSettings &settings);

  // --- KORVIN's and TORMISK's list pairs
  void RefreshKorvinRightsLists();
  bool HasKorvinRight(qint32 Bits) const { return (FKorvinRights & Bits) != 0; }
  void SetKorvinRight(qint32 Bits) { FKorvinRights |= Bits; }
  void ClearKorvinRight(qint32 Bits) { FKorvinRights &= ~Bits; }
  void ToUserClick(QObject *Sender);
  void ToAllClick(QObject *Sender);
  void AllToUserClick(QObject *Sender);
  void AllToAllClick(QObject *Sender);
  void RightsKindClick(QObject *Sender);
  void RefreshTormiskRightsLists();
  bool HasTormiskRight(qint32 Bit) const { return (FTormiskRights & Bit) != 0; }
  void SetTormiskRight(qint32 Bit) { FTormiskRights |= Bit; }
  void ClearTormiskRight(qint32 Bit) { FTormiskRights &= ~Bit; }
  void TormiskToUserClick(QObject *Sender);
  void TormiskToAllClick(QObject *Sender);
  void TormiskAllToUserClick(QObject *Sender);
  void TormiskAllToAllClick(QObject *Sender);

  // --- the assignment run: every ticked user gets one role and a row in every ticked database
  // Gives User exactly the role of Level in the database of Transaction (read, write, RDB$ADMIN;
  // another level: none). Not committed: a writer commits a user's roles with the user's row.
  void SetUserServerRole(const QString &User, const QString &ReadRole, const QString &WriteRole, quint8 Level,
                         TIBTransaction *Transaction);
  void AssignRights();
  void BitBtn2Click(QObject *Sender);
  // The groups' writers: the database of that name of the group, first listed one.
  void WriteKorvinRights(const QString &Nazwa) { WriteProgramRights(pgKorvin, Nazwa); }
  void WriteVeldarRights(const QString &Nazwa) { WriteProgramRights(pgVeldar, Nazwa); }
  void WritePlomerRights(const QString &Nazwa) { WriteProgramRights(pgPlomer, Nazwa); }
  void WriteSarnikRights(const QString &Nazwa) { WriteProgramRights(pgSarnik, Nazwa); }
  void WriteTulvarRights(const QString &Nazwa) { WriteProgramRights(pgTulvar, Nazwa); }
  void WriteBrontelRights(const QString &Nazwa) { WriteProgramRights(pgBrontel, Nazwa); }
  void WriteFennoRights(const QString &Nazwa) { WriteProgramRights(pgFenno, Nazwa); }
  void WriteDravelRights(const QString &Nazwa) { WriteProgramRights(pgDravel, Nazwa); }
  void WriteHolmarRights(const QString &Nazwa) { WriteProgramRights(pgHolmar, Nazwa); }
  void WriteGressonRights(const QString &Nazwa) { WriteProgramRights(pgGresson, Nazwa); }
  void WritePelkarRights(const QString &Nazwa) { WriteProgramRights(pgPelkar, Nazwa); }
  void WriteNirvosRights(const QString &Nazwa) { WriteProgramRights(pgNirvos, Nazwa); }
  void WriteTessalRights(const QString &Nazwa) { WriteProgramRights(pgTessal, Nazwa); }
  void WriteQuentoRights(const QString &Nazwa) { WriteProgramRights(pgQuento, Nazwa); }
  void WriteBaviroRights(const QString &Nazwa) { WriteProgramRights(pgBaviro, Nazwa); }
  void WriteSolmetRights(const QString &Nazwa) { WriteProgramRights(pgSolmet, Nazwa); }
  void WriteTormiskRights(const QString &Nazwa) { WriteProgramRights(pgTormisk, Nazwa); }
  void WriteKaprenaRights(const QString &Nazwa) { WriteProgramRights(pgKaprena, Nazwa); }

  // --- "Pokaż prawa": what the ticked databases hold for exactly one ticked user, on the tabs
  // Refuses (a message, then a silent abort) unless one user and at most one database per group
  // are ticked.
  void BPokazPrawaClick(QObject *Sender);
  // Reads every ticked database of a program group into its group's tab, in the tree's order;
  // each tab is reset first, so that a database that fails leaves its tab at the reset values.
  void ShowUserRights(const QString &UserName);
  // The groups' readers: the database of that name of the group, first listed one.
  void ReadKorvinRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgKorvin, DatabaseName, UserName);
  }
  void ReadVeldarRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgVeldar, DatabaseName, UserName);
  }
  void ReadPlomerRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgPlomer, DatabaseName, UserName);
  }
  void ReadSarnikRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgSarnik, DatabaseName, UserName);
  }
  void ReadTulvarRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgTulvar, DatabaseName, UserName);
  }
  void ReadBrontelRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgBrontel, DatabaseName, UserName);
  }
  void ReadFennoRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgFenno, DatabaseName, UserName);
  }
  void ReadDravelRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgDravel, DatabaseName, UserName);
  }
  void ReadHolmarRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgHolmar, DatabaseName, UserName);
  }
  void ReadGressonRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgGresson, DatabaseName, UserName);
  }
  void ReadPelkarRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgPelkar, DatabaseName, UserName);
  }
  void ReadNirvosRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgNirvos, DatabaseName, UserName);
  }
  void ReadTessalRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgTessal, DatabaseName, UserName);
  }
  void ReadQuentoRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgQuento, DatabaseName, UserName);
  }
  void ReadBaviroRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgBaviro, DatabaseName, UserName);
  }
  void ReadSolmetRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgSolmet, DatabaseName, UserName);
  }
  void ReadTormiskRights(const QString &Nazwa, const QString &UserName) {
    ReadProgramRights(pgTormisk, Nazwa, UserName);
  }
  void ReadKaprenaRights(const QString &DatabaseName, const QString &UserName) {
    ReadProgramRights(pgKaprena, DatabaseName, UserName);
  }

  // --- the tabs' small handlers
  void ADMCheckClick(QObject *Sender);
  void CBDravelADMClick(QObject *Sender);
  void CheckBoxADMClick(QObject *Sender);
  void Button1Click(QObject *Sender);
  void Button2Click(QObject *Sender);

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  // The controls of one group's tab that its settings live in.
  struct TGroupTab {
    TTabSheet *Sheet = nullptr;
    TRadioGroup *Level = nullptr;
    std::vector<QCheckBox *> Boxes;
    QListWidget *CheckList = nullptr;
    TRadioGroup *Scans = nullptr;
    TMxSpinEdit *RecordLimit = nullptr;
    qint32 *Rights = nullptr;
  };
  // One row of the database list, as a database node of the tree stands for it.
  struct TListedDatabase {
    QString Nazwa;
    QString Baza;
    QString Grupa;
  };

  void CreateDataComponents();
  // A tick still being edited in the users grid is posted, so that it counts.
  void PostPendingTick();
  // The names of the ticked users, trimmed, in the list's order.
  QStringList TickedUsers();
  // The group of a ticked database node (its parent is a group node); -1 for any other node.
  int TickedDatabaseGroup(const TTreeNode *node) const;
  void WriteProgramRights(int group, const QString &Nazwa);
  // Writes one database of the group (its Nazwa, at the connection path) for the users of the run;
  // an error raises with where the run stopped and what it wrote before.
  void WriteDatabase(int group, const QString &nazwa, const QString &path,
                     const TRightsAssignment &assignment);
  // The ticked users and the personal data of the security users, as the run writes them.
  TRightsAssignment CollectAssignment();
  TRightsConnections RightsConnections() const;
  void ReadProgramRights(int group, const QString &Nazwa, const QString &UserName);
  // Resets the group's tab, then shows on it what the database at the connection path holds.
  void ReadDatabase(int group, const QString &path, const QString &UserName);
  // Makes TreeView.
  QWidget *CreateProgramTree(QWidget *parent);
  // The check boxes kept in the state indexes, drawn by the tree's own check boxes.
  void ShowTreeCheckBoxes();
  void CreateUsersTable();
  void CreateConnections();
  QWidget *CreateTopArea();
  void CreatePageControl();
  TGroupTab &NewGroupTab(int group, const char *levelName);
  const TGroupTab &Tab(int group) const { return FGroupTabs.at(static_cast<size_t>(group)); }
  void CreateKorvinTab();
  void CreateVeldarTab();
  void CreateCheckBoxTab(int group, QCheckBox *&box, const char *name, const char *caption);
  void CreateBrontelTab();
  void CreateDravelTab();
  void CreateHolmarTab();
  void CreateTessalTab();
  void CreateBaviroTab();
  void CreateTormiskTab();
  void CreateKaprenaTab();
  // A "Zarządca" box ticks and locks the boxes under it, or clears and frees them.
  void ApplyManager(QCheckBox *manager, std::initializer_list<QCheckBox *> boxes);
  void SetTessalBoxes(bool checked);
  // A tick made with the Space key: the tabs follow it as they follow a click.
  void TreeViewKeyToggled();
  void TellUnknownGroups();
  // The bit of the list's selected right goes in or out of a mask; nothing when none is selected.
  void MoveSelectedRight(const QListWidget *from, void (TUprawnieniaForm::*apply)(qint32),
                         void (TUprawnieniaForm::*refresh)());
  const std::vector<TRightItem> &SelectedKorvinRights() const;
  qint32 SelectedKorvinMask() const;

  std::array<TGroupTab, ProgramGroupCount> FGroupTabs;
  std::array<int, ProgramGroupCount> FProgramSelected{};
  std::vector<std::unique_ptr<TListedDatabase>> FListedDatabases;
  QStringList FUnknownGroups;
};
