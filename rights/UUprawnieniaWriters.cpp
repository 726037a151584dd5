// "Przypisz prawa": the run over the ticked databases and the entries into the groups' writers.
#include "UUprawnienia.h"

#include "DB.h"
#include "Dialogs.h"
#include "Field.h"
#include "IBQuery.h"
#include "IBTransaction.h"
#include "MxCheckTreeView.h"
#include "MxSpin.h"
#include "ProgramRightsWriter.h"
#include "ServerRoles.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <limits>

void TUprawnieniaForm::SetUserServerRole(const QString &User, const QString &ReadRole,
                                         const QString &WriteRole, quint8 Level,
                                         TIBTransaction *Transaction) {
  SetServerRole(*IBSQL, Transaction, User, ReadRole, WriteRole, Level);
}

void TUprawnieniaForm::BitBtn2Click(QObject *) {
  // A tick still being edited in the grid counts.
  if (MemUsers->State() == dsEdit || MemUsers->State() == dsInsert)
    MemUsers->Post();
  AssignRights();
}

void TUprawnieniaForm::AssignRights() {
  // Checked whether or not a BRONTEL database is ticked; the limit must also fit its integer column.
  const double limit = BrontelIle->Value();
  if (limit < 0 || limit >= static_cast<double>(std::numeric_limits<qint32>::max()) + 1) {
    MessageBox(QString::fromUtf8("Niepoprawna ilość rekordów w zakładce Brontel"),
               QString::fromUtf8("Błąd. Zakładka Brontel"), MB_OK);
    return;
  }
  const TRightsAssignment assignment = CollectAssignment();
  TTreeNodes *items = TreeView->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TTreeNode *node = items->Item(i);
    const int group = node->Parent() ? ProgramGroupIndex(node->Parent()->Text()) : -1;
    if (group >= 0 && TreeView->Checked(node))
      WriteDatabase(group, NodeDatabasePath(node), assignment);
    for (TIBTransaction *transaction : {DBTransaction, DBTransactionFDD, DBTransactionFDR})
      if (transaction->Active())
        transaction->CommitRetaining();
  }
  if (DBTransaction->Active())
    DBTransaction->CommitRetaining();
}

void TUprawnieniaForm::WriteProgramRights(int group, const QString &Nazwa) {
  WriteDatabase(group, LookupDatabasePath(Nazwa, ProgramGroups()[static_cast<size_t>(group)].Name),
                CollectAssignment());
}

void TUprawnieniaForm::WriteDatabase(int group, const QString &path, const TRightsAssignment &assignment) {
  const TTabSettings tab = TabSettings(group);
  if (group == pgKorvin)
    FKorvinObjectRights = static_cast<qint32>(tab.ListMask);
  TProgramRightsWriter(WriterConnections()).Write(group, path, tab, assignment);
}

TRightsAssignment TUprawnieniaForm::CollectAssignment() {
  TRightsAssignment assignment;
  assignment.ReplacePersonalData = CBDaneOsobowe->isChecked();
  TField *name = MemUsers->FieldByName(QStringLiteral("USER_NAME"));
  TField *check = MemUsers->FieldByName(QStringLiteral("CHECK"));
  const TBookmark current = MemUsers->GetBookmark();
  MemUsers->DisableControls();
  for (MemUsers->First(); !MemUsers->Eof(); MemUsers->Next())
    if (check->AsBoolean())
      assignment.Users.append(name->AsString().trimmed());
  if (MemUsers->BookmarkValid(current))
    MemUsers->GotoBookmark(current);
  MemUsers->EnableControls();

  // The first security user of a name is the one a search by name finds.
  TField *user = IBQueryUsers->FieldByName(QStringLiteral("USER_NAME"));
  TField *firstName = IBQueryUsers->FieldByName(QStringLiteral("FIRST_NAME"));
  TField *surname = IBQueryUsers->FieldByName(QStringLiteral("SECOND_NAME"));
  TField *pesel = IBQueryUsers->FieldByName(QStringLiteral("USER_ID"));
  for (IBQueryUsers->First(); !IBQueryUsers->Eof(); IBQueryUsers->Next())
    if (!assignment.People.contains(user->AsString()))
      assignment.People.insert(
          user->AsString(),
          {firstName->AsString().trimmed(), surname->AsString().trimmed(), pesel->AsString().trimmed()});
  return assignment;
}

TWriterConnections TUprawnieniaForm::WriterConnections() const {
  return {Databases,
          DBTransaction,
          IBSQL,
          IBQuery,
          IBUpdateSQL,
          {{QStringLiteral(".fdd"), DatabasesFDD, DBTransactionFDD},
           {QStringLiteral(".fdr"), DatabasesFDR, DBTransactionFDR}}};
}
