// "Przypisz prawa": the run over the ticked databases and the entries into the groups' writers.
#include "UUprawnienia.h"

#include "DB.h"
#include "Dialogs.h"
#include "Exceptions.h"
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
  PostPendingTick();
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
    if (const int group = TickedDatabaseGroup(node); group >= 0)
      WriteDatabase(group, node->Text(), NodeDatabasePath(node), assignment);
    for (TIBTransaction *transaction : {DBTransaction, DBTransactionFDD, DBTransactionFDR})
      if (transaction->Active())
        transaction->CommitRetaining();
  }
  if (DBTransaction->Active())
    DBTransaction->CommitRetaining();
}

void TUprawnieniaForm::WriteProgramRights(int group, const QString &Nazwa) {
  WriteDatabase(group, Nazwa, LookupDatabasePath(Nazwa, ProgramGroups()[static_cast<size_t>(group)].Name),
                CollectAssignment());
}

void TUprawnieniaForm::WriteDatabase(int group, const QString &nazwa, const QString &path,
                                     const TRightsAssignment &assignment) {
  const TTabSettings tab = TabSettings(group);
  if (group == pgKorvin)
    FKorvinObjectRights = static_cast<qint32>(tab.ListMask);
  TProgramRightsWriter writer(RightsConnections());
  try {
    writer.Write(group, path, tab, assignment);
  } catch (const EAbort &) {
    throw;
  } catch (const Exception &error) {
    // The server's text alone names neither the database nor the user.
    throw Exception(RightsRunFailure(ProgramGroups()[static_cast<size_t>(group)].Name, nazwa, path,
                                     writer.FailedUser(), error.Message()));
  }
}

TRightsAssignment TUprawnieniaForm::CollectAssignment() {
  TRightsAssignment assignment;
  assignment.ReplacePersonalData = CBDaneOsobowe->isChecked();
  assignment.Users = TickedUsers();

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

TRightsConnections TUprawnieniaForm::RightsConnections() const {
  return {Databases,
          DBTransaction,
          IBSQL,
          IBQuery,
          IBUpdateSQL,
          {{QStringLiteral(".fdd"), DatabasesFDD, DBTransactionFDD},
           {QStringLiteral(".fdr"), DatabasesFDR, DBTransactionFDR}}};
}
