// "Utwórz matrycę": the run from the options dialog to the saved page.
#include "UMatrycaUprawnien.h"

#include "ApplicationLogin.h"
#include "DatabaseListKeeper.h"
#include "DatabaseRoleGrants.h"
#include "DateTimeUtils.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "ProgramGroups.h"
#include "StringList.h"
#include "TextFile.h"
#include "UAdminRights.h"
#include "UDMSecurity.h"
#include "UMatrycaOpcje.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <memory>

void TMatrycaUprawnien::GenerateRightsMatrix() {
  // Asked before anything is read or written, so that a no leaves nothing half done.
  if (!FDatabaseList->AgreeToReplace())
    Abort();
  auto options = std::make_unique<TMatrycaOpcje>(this);
  options->TableUsers->LoadFromDataSet(FDM->users, {});
  options->TableBazy->LoadFromDataSet(TableBazy, {});
  // Cancelled, the list stays open with its edits.
  if (options->ShowModal() != mrOk)
    Abort();

  const QStringList users = options->PickedUsers();
  TRightsMatrixPage page(DateTimeToStr(Now()), users);
  SetMatrixLogin();
  for (const TMatrixDatabase &database : options->PickedDatabases())
    page.AddDatabase(database.Nazwa, ReadCells(database, users));

  const QString fileName = AskPageFileName();
  TextFile::WriteBytes(fileName, page.Bytes());
  FDatabaseList->Save();
  if (cbPokaz->isChecked())
    ShowPage(fileName);
  SetModalResult(mrOk);
}

void TMatrycaUprawnien::SetMatrixLogin() {
  Database->Close();
  TStringList &params = Database->Params();
  params.Clear();
  params.SetValues(QStringLiteral("user_name"), FUserName);
  params.SetValues(QStringLiteral("password"), FPassword);
  if (!IsSysdba(FUserName))
    params.SetValues(QStringLiteral("sql_role_name"), AdministratorRole());
  // Every grantee's name reads whole, whatever letters it has.
  params.SetValues(QStringLiteral("lc_ctype"), QStringLiteral("UTF8"));
}

std::vector<TMatrixCell> TMatrycaUprawnien::ReadCells(const TMatrixDatabase &database,
                                                      const QStringList &users) {
  Database->Close();
  Database->SetDatabaseName(DatabaseConnectionPath(FServer, database.Baza));
  try {
    Database->Open();
  } catch (const EDatabaseError &) {
    MessageBox(QString::fromUtf8("Nie powiodło się otwarcie bazy: ") + database.Nazwa + QStringLiteral(" (") +
                   Database->DatabaseName() + QStringLiteral(" )"),
               QString::fromUtf8("Błąd otwarcia bazy"), MB_ICONEXCLAMATION);
    Abort();
  }
  const TDatabaseRoleGrants grants(*Query);
  std::vector<TMatrixCell> cells;
  cells.reserve(static_cast<size_t>(users.size()));
  for (const QString &user : users)
    cells.push_back(MatrixCellOf(grants.RolesOf(user)));
  return cells;
}

QString TMatrycaUprawnien::AskPageFileName() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Save;
  request.DefaultExt = QStringLiteral("html");
  request.Filter = QStringLiteral("html|*.html|htm|*.htm");
  if (!DialogSeam().FileDialog(request))
    Abort();
  return request.FileName;
}

void TMatrycaUprawnien::ShowPage(const QString &fileName) {
  QString message;
  switch (DialogSeam().ShellOpen(fileName)) {
  case TShellOutcome::Opened: return;
  case TShellOutcome::NoSuchFile: message = QStringLiteral("Brak pliku: ") + fileName; break;
  case TShellOutcome::NoViewer: message = QString::fromUtf8("Nie określono przeglądarki pliku HTML"); break;
  case TShellOutcome::Failed:
    message = QString::fromUtf8("Błąd podczas otwierania pliku: ") + fileName;
    break;
  }
  MessageBox(message, QString::fromUtf8("Błąd"), MB_OK);
}
