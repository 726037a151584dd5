// The main window's connection handlers: connect, disconnect, RDB$ADMIN and database creation.
#include "UMainForm.h"

#include "Actions.h"
#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBServices.h"
#include "IBTransaction.h"
#include "MxToolEdit.h"
#include "UDMSecurity.h"
#include "UServerUserName.h"

#include <QComboBox>
#include <QLineEdit>

void TMainForm::DBConnectAExecute(QObject *) {
  if (!FDM->Connect(edSerwer->currentText(), edUserName->text(), edAdminPswd->text()))
    return;
  Security->SetActive(false);
  Security->Params().SetValues(QStringLiteral("user_name"), edUserName->text());
  Security->Params().SetValues(QStringLiteral("password"), edAdminPswd->text());
  Security->SetServerName(edSerwer->currentText());
  Security->SetActive(true);
  // The list is compared ignoring case, as the class library's string lists compare.
  if (edSerwer->findText(edSerwer->currentText(), Qt::MatchFixedString) < 0) {
    const QString typed = edSerwer->currentText();
    edSerwer->addItem(typed);
    edSerwer->setEditText(typed);
  }
  FDM->users->SetFiltered(false);
  UpdateFormA->Update();
  SynchroA->Execute();
  edGrupa->SetText(FDefaultGroup.isEmpty() ? QStringLiteral("Wszystkie") : FDefaultGroup);
  ApplyGroupFilter();
  RecordDuePasswordDates();
}

void TMainForm::DBDisconnectAExecute(QObject *) { FDM->Database->Close(); }

void TMainForm::GrantAdminRoleAExecute(QObject *) {
  if (!CheckAdminAccess(FDM->Database, true))
    return;
  const QString user = FDM->users->FieldByName(QStringLiteral("USER_NAME"))->AsString();
  RefuseUnsafeServerUserName(user);
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(FDM->Database);
  transaction.StartTransaction();
  TIBSQL statement;
  statement.SetDatabase(FDM->Database);
  statement.SetTransaction(&transaction);
  if (!FDM->Transaction->Active())
    FDM->Transaction->StartTransaction();
  if (IsSysdba(user))
    return;
  // The row's own grants decide, not those of a user whose name differs only in case.
  if (!GetExactRoleGrantors(FDM->Database, user, QStringLiteral("RDB$ADMIN")).isEmpty()) {
    // Every grant of the role goes, however many grantors made one.
    RevokeRoleGrants(FDM->Database, &transaction, user, QStringLiteral("RDB$ADMIN"));
  } else {
    statement.SQL().SetText(QStringLiteral("grant \"RDB$ADMIN\" to %1").arg(QuotedIdentifier(user)));
    statement.ExecQuery();
  }
  transaction.CommitRetaining();
  FDM->users->Refresh();
}

void TMainForm::SpeedButton5Click() {
  if (!IsSysdba(edUserName->text())) {
    MessageBox(QString::fromUtf8("Tylko uzytkownik SYSDBA może utworzyć nową bazę"),
               QString::fromUtf8("Brak uprawnień"), MB_OK | MB_ICONWARNING);
    Abort();
  }
  if (MessageBox(QString::fromUtf8(
                     "Przed utworzeniem nowej bazy należy się upewnić czy został dodany odpowiedni wpis "
                     "w pliku aliases.conf.") +
                     u'\n' + QString::fromUtf8("Czy taki wpis został utworzony?"),
                 QStringLiteral("Wpis do aliases.conf"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != mrYes)
    Abort();
  FDM->CreateSecurityDatabase(edSerwer->currentText(), edAdminPswd->text());
  MessageBox(QString::fromUtf8("Baza danych została utworzona pomyślnie"),
             QString::fromUtf8("Operacja zakończona"), MB_OK | MB_ICONINFORMATION);
  DBConnectA->Execute();
  PobierzUzytkownikowZSerweraA->Execute();
}
