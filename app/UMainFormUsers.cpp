// The main window's user administration: new user, password change, delete, and keeping the
// users list in step with the server's users.
#include "UMainForm.h"

#include "Actions.h"
#include "DataSetControls.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBServices.h"
#include "IBStoredProc.h"
#include "IBTransaction.h"
#include "MxToolEdit.h"
#include "UAdminRights.h"
#include "UDMSecurity.h"
#include "UGrupy.h"
#include "UNowyUzytkownikF.h"
#include "UPobierzUzytkownikowF.h"
#include "UServerErrors.h"
#include "UServerUserName.h"
#include "UUsersBatch.h"
#include "UZmianaHaslaF.h"

#include <QLineEdit>
#include <memory>

namespace {

const TLocateOptions kIgnoreCase{loCaseInsensitive};

// Sets a flag for the duration of a scope and puts the old value back.
class TFlagScope {
public:
  explicit TFlagScope(unsigned char &flag) : FFlag(flag), FSaved(flag) { flag = 1; }
  ~TFlagScope() { FFlag = FSaved; }

private:
  unsigned char &FFlag;
  unsigned char FSaved;
};

void ShowError(const QString &text) { MessageBox(text, QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR); }
void ShowError(const char *text) { ShowError(QString::fromUtf8(text)); }

QString UserNameOf(TDMSecurity *dm) {
  return dm->users->FieldByName(QStringLiteral("USER_NAME"))->AsString();
}

void RunModifyPassTime(TDMSecurity *dm, const QString &userName) {
  dm->procMODIFY_PASS_TIME->ParamByName(QStringLiteral("USERNAME"))->SetAsString(userName);
  dm->procMODIFY_PASS_TIME->ExecProc();
}

// A step failed after the server had done its part: tells what was done and what is left, the
// server's own text below, and stops.
[[noreturn]] void ReportHalfDone(const QString &account, const QString &serverText) {
  MessageBox(account + QStringLiteral("\n\n") + serverText, QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR);
  Abort();
}

// Why a row was not written, to follow the first words of a message.
QString WhyNotWritten(const Exception &error) {
  if (IsRowLockConflict(error))
    return QString::fromUtf8(": blokuje to niezatwierdzona zmiana innego połączenia (np. logowanie w innym "
                             "programie, sesja SQL)");
  if (IsConnectionLost(error))
    return QString::fromUtf8(": połączenie z serwerem zostało przerwane");
  return QString();
}

// What the person reads when a step of the synchronisation stops half-way, and which errors say that
// another connection holds a row the step writes.
struct TSynchronisationStep {
  const char *WhenLost;
  const char *WhenHeld;
  bool (*Held)(const Exception &error);
};

const TSynchronisationStep kTakeOverStep = {
    "Połączenie z serwerem zostało przerwane podczas przejmowania użytkowników serwera na listę: żaden z "
    "nich nie został dopisany. Zostaną przejęci przy następnym „Połącz”.",
    "Użytkowników serwera nie przejęto na listę: inne połączenie właśnie dopisało wiersz jednego z nich "
    "albo ma jego niezatwierdzoną zmianę (np. logowanie w innym programie, sesja SQL). Żaden nie został "
    "dopisany; przy następnym „Połącz” zostaną przejęci ci, którzy nadal nie mają wiersza.",
    // The list was read just before: a row of the same name has come from elsewhere since.
    [](const Exception &error) { return IsRowLockConflict(error) || IsDuplicateKey(error); }};

const TSynchronisationStep kRemovalStep = {
    "Użytkownicy serwera bez wiersza zostali przejęci na listę, ale połączenie z serwerem zostało przerwane "
    "podczas usuwania z listy użytkowników, których nie ma już na serwerze: nie usunięto żadnego z tych "
    "wierszy ani nie odebrano ich uprawnień RDB$ADMIN. Zostaną usunięte przy następnym „Połącz”.",
    "Użytkownicy serwera bez wiersza zostali przejęci na listę, ale użytkowników, których nie ma już na "
    "serwerze, nie usunięto z listy: inne połączenie ma niezatwierdzoną zmianę wiersza jednego z nich (np. "
    "logowanie w innym programie, sesja SQL). Nie usunięto żadnego z tych wierszy ani nie odebrano ich "
    "uprawnień RDB$ADMIN; zostaną usunięte przy następnym „Połącz”, gdy tamta zmiana zostanie zatwierdzona "
    "lub wycofana.",
    IsRowLockConflict};

// Each step commits all of its work at once or none of it; the next "Połącz" does again what is left.
void InSynchronisationStep(const TSynchronisationStep &step, const std::function<void()> &work) {
  try {
    work();
  } catch (const Exception &error) {
    if (IsConnectionLost(error))
      ReportHalfDone(QString::fromUtf8(step.WhenLost), error.Message());
    if (step.Held(error))
      ReportHalfDone(QString::fromUtf8(step.WhenHeld), error.Message());
    throw;
  }
}

// Quoted for a message, so that an empty value shows as empty.
QString Typed(const QString &text) { return QString::fromUtf8("„") + text + QString::fromUtf8("”"); }

// Whether the server has a user of exactly this name, as the service that adds users reads it.
bool IsServerUser(TIBSecurityService *security, const QString &name) {
  security->DisplayUser(name);
  for (int i = 0; i < security->UserInfoCount(); ++i)
    if (security->UserInfo(i).UserName == name)
      return true;
  return false;
}

} // namespace

void TMainForm::InsertUserRow() {
  TFlagScope allow(FAllowInsert);
  FDM->users->Insert();
}

void TMainForm::NowyUzytkownikAExecute(QObject *) {
  TFlagScope allow(FAllowInsert);
  auto dialog = std::make_unique<TNowyUzytkownikF>(this);
  while (dialog->ShowModal() == mrOk) {
    if (FDM->users->Locate(QStringLiteral("USER_NAME"), dialog->edUser->text(), kIgnoreCase)) {
      ShowError("Dany użytkownik istnieje juz na liście");
      continue;
    }
    // The server user gets the name that the row will have.
    const QString name = dialog->edUser->text().toUpper();
    // The list need not show every server user. Asked before anything changes: the grants of RDB$ADMIN
    // to an existing user's name are that user's, not leftovers. A name the service cannot carry is
    // refused below.
    if (TIBSecurityService::CarriesUserName(name) && IsServerUser(Security, name)) {
      ShowError(
          QString::fromUtf8("Użytkownik %1 istnieje już na serwerze, choć lista go nie pokazuje: może go "
                            "ukrywać wybrana grupa albo dodano go po odczytaniu listy. Niczego nie "
                            "zmieniono. Po „Połącz” będzie na liście.")
              .arg(name));
      continue;
    }
    if (dialog->edPswd1->text() != dialog->edPSWD2->text()) {
      ShowError("Błędnie powtórzone hasło");
      continue;
    }
    if (const QString problem = ServerPasswordProblem(dialog->edPswd1->text()); !problem.isEmpty()) {
      ShowError(problem);
      continue;
    }
    if (!FDM->CheckPassword(dialog->edPswd1->text())) {
      ShowError("Hasło nie spełnia zasad bezpieczeństwa");
      continue;
    }
    if (const QString problem = ServerUserNameProblem(name); !problem.isEmpty()) {
      ShowError(problem);
      continue;
    }
    Security->SetUserName(name);
    Security->SetPassword(dialog->edPswd1->text());
    try {
      Security->AddUser();
    } catch (const Exception &error) {
      if (!IsServerUserTaken(error))
        throw;
      ReportHalfDone(
          QString::fromUtf8("Użytkownika %1 nie dodano: w tej samej chwili dodano go na serwerze w "
                            "innym miejscu. Niczego nie zmieniono ani na serwerze, ani na liście, "
                            "ani w uprawnieniach. Po „Połącz” będzie na liście.")
              .arg(name),
          error.Message());
    }
    AddNewUserRow(*dialog, name);
    FDM->users->Refresh();
    break;
  }
}

// A server user without its row would be taken over by the next synchronisation as a user who
// need not change the password: when the row cannot be saved, the server user goes again. When
// that cannot reach the server either, the person learns what is left and what was typed.
// The server keeps grants of RDB$ADMIN when it drops a user, and the new user would log in with
// them: they go in the row's commit, which the server user's withdrawal follows when it fails.
void TMainForm::AddNewUserRow(TNowyUzytkownikF &dialog, const QString &name) {
  try {
    FDM->InOneCommit([&] {
      RevokeRoleGrants(FDM->Database, FDM->Transaction, name, QStringLiteral("RDB$ADMIN"));
      TDataSet *users = FDM->users;
      users->Insert();
      users->FieldByName(QStringLiteral("USER_NAME"))->SetAsString(name);
      users->FieldByName(QStringLiteral("FIRST_NAME"))->SetAsString(dialog.edFirstName->text());
      users->FieldByName(QStringLiteral("SECOND_NAME"))->SetAsString(dialog.edSecondName->text());
      users->FieldByName(QStringLiteral("USER_ID"))->SetAsString(dialog.edPesel->text());
      users->FieldByName(QStringLiteral("PSWD_VALID"))->SetAsInteger(0);
      users->Post();
      RunModifyPassTime(FDM, UserNameOf(FDM));
    });
  } catch (const Exception &error) {
    try {
      Security->SetUserName(name);
      Security->DeleteUser();
    } catch (const Exception &withdrawal) {
      ReportHalfDone(
          QString::fromUtf8(
              "Użytkownik %1 został dodany na serwerze, ale jego wiersz nie został zapisany na liście, "
              "a użytkownika nie udało się usunąć z serwera.\n"
              "Przy następnym „Połącz” zostanie przejęty bez imienia, nazwiska i numeru PESEL i bez "
              "wymaganej zmiany hasła przy następnym logowaniu: te dane trzeba wprowadzić ponownie.\n"
              "Wpisane dane: imię %2, nazwisko %3, PESEL %4.")
              .arg(name, Typed(dialog.edFirstName->text()), Typed(dialog.edSecondName->text()),
                   Typed(dialog.edPesel->text())),
          error.Message() + u'\n' + withdrawal.Message());
    }
    if (dynamic_cast<const EAbort *>(&error))
      throw;
    ReportHalfDone(
        QString::fromUtf8("Użytkownika %1 nie dodano: jego wiersza nie udało się zapisać na liście%2. "
                          "Dlatego usunięto go także z serwera; niczego nie zmieniono.")
            .arg(name, IsDuplicateKey(error) ? QString::fromUtf8(": lista ma już wiersz tej nazwy, "
                                                                 "którego może nie pokazywać "
                                                                 "wybrana grupa")
                                             : WhyNotWritten(error)),
        error.Message());
  }
}

void TMainForm::ZmienHasloAExecute(QObject *) {
  const QString user = UserNameOf(FDM);
  RefuseUnsafeServerUserName(user);
  auto dialog = std::make_unique<TZmianaHaslaF>(this);
  dialog->pnlOldPassword->hide();
  dialog->adjustSize();
  if (dialog->ShowModal() != mrOk)
    return;
  if (dialog->edPSWD1->text() != dialog->edPSWD2->text()) {
    ShowError("Błędnie powtórzone hasło");
    Abort();
  }
  if (!(IsSysdba(user) && !FDM->GetSysdbaFlag()) && !FDM->CheckPassword(dialog->edPSWD1->text())) {
    ShowError("Hasło nie spełnia zasad bezpieczeństwa");
    Abort();
  }
  Security->SetUserName(user);
  Security->SetPassword(dialog->edPSWD1->text());
  try {
    Security->ModifyUser();
  } catch (const Exception &error) {
    if (!IsServerUserMissing(error))
      throw;
    ReportHalfDone(
        QString::fromUtf8("Hasła nie zmieniono: na serwerze nie ma już użytkownika %1 (usunięto go "
                          "w innym oknie albo poza programem). Przy następnym „Połącz” zniknie on "
                          "z listy.")
            .arg(user),
        error.Message());
  }
  RecordPasswordChange(user);
}

// The server has the new password by now: a failure from here on leaves the password changed and the
// date of the change unrecorded, which the next "Połącz" makes up for.
void TMainForm::RecordPasswordChange(const QString &user) {
  QSet<QString> &due = FPasswordDatesDue[FDM->Database->DatabaseName()];
  try {
    RunModifyPassTime(FDM, user);
    FDM->Transaction->CommitRetaining();
  } catch (const Exception &error) {
    due.insert(user);
    ReportHalfDone(
        QString::fromUtf8("Hasło użytkownika %1 zostało zmienione na serwerze: obowiązuje już nowe "
                          "hasło. Daty zmiany hasła nie zapisano na liście%2.\nProgram zapisze ją "
                          "przy następnym „Połącz”, jeśli nie zostanie wcześniej zamknięty; do "
                          "tego czasu ważność hasła liczy się od poprzedniej daty.")
            .arg(user, WhyNotWritten(error)),
        error.Message());
  }
  due.remove(user);
  FDM->users->Refresh();
}

void TMainForm::RecordDuePasswordDates() {
  QSet<QString> &due = FPasswordDatesDue[FDM->Database->DatabaseName()];
  if (due.isEmpty())
    return;
  QStringList users(due.begin(), due.end());
  users.sort();
  try {
    FDM->InOneCommit([&] {
      for (const QString &user : users)
        RunModifyPassTime(FDM, user);
    });
  } catch (const Exception &error) {
    ReportHalfDone(
        QString::fromUtf8("Nadal nie zapisano dat zmiany haseł (użytkownicy: %1)%2.\nProgram zapisze "
                          "je przy następnym „Połącz”, jeśli nie zostanie wcześniej zamknięty.")
            .arg(users.join(QStringLiteral(", ")), WhyNotWritten(error)),
        error.Message());
  }
  due.clear();
  FDM->users->Close();
  FDM->users->Open();
}

void TMainForm::UsunUzytkownikaAExecute(QObject *) {
  const QString user = UserNameOf(FDM);
  RefuseUnsafeServerUserName(user);
  if (IsSysdba(user)) {
    MessageBox(QString::fromUtf8("Nie można usunąć uzytkownika SYSDBA"), QStringLiteral("Komunikat"),
               MB_OK | MB_ICONERROR);
    Abort();
  }
  if (MessageBox(QString::fromUtf8("Czy napewno chcesz usunąć użytkownika ") + user + QStringLiteral(" ?"),
                 QStringLiteral("Uwaga"), MB_YESNO | MB_ICONQUESTION) != mrYes)
    return;
  const bool admin = FDM->CurrentUserHoldsAdminRole();
  // The server user goes first: when the server refuses, the row keeps the user's names, group,
  // history and log. The role goes with the user, or a later user of the same name would hold it.
  Security->SetUserName(user);
  Security->DeleteUser();
  try {
    FDM->InOneCommit([&] {
      RevokeRoleGrants(FDM->Database, FDM->Transaction, user, QStringLiteral("RDB$ADMIN"));
      TFlagScope allow(FAllowDelete);
      FDM->users->Delete();
    });
  } catch (const EAbort &) {
    throw;
  } catch (const Exception &error) {
    // The synchronisation of the next "Połącz" removes what is left of a user the server lacks.
    const char *left = admin ? "Wiersz, historia haseł i uprawnienie RDB$ADMIN zostaną usunięte"
                             : "Wiersz i historia haseł zostaną usunięte";
    ReportHalfDone(
        QString::fromUtf8("Użytkownik %1 został usunięty z serwera, ale jego wiersz na liście nie został "
                          "usunięty.\n%2 przy następnym „Połącz”.")
            .arg(user, QString::fromUtf8(left)),
        error.Message());
  }
}

void TMainForm::PobierzUzytkownikowZSerweraAExecute(QObject *) {
  InSynchronisationStep(kTakeOverStep, [this] { TakeOverServerUsers(ServerUserNames()); });
}

QStringList TMainForm::ServerUserNames() {
  Security->DisplayUsers();
  QStringList names;
  names.reserve(Security->UserInfoCount());
  for (int i = 0; i < Security->UserInfoCount(); ++i)
    names.append(Security->UserInfo(i).UserName);
  return names;
}

void TMainForm::TakeOverServerUsers(const QStringList &onServer) {
  QSet<QString> listed = FDM->ListedUserNames();
  QStringList newRows;
  for (const QString &name : ServerUsersWithOwnRows(onServer)) {
    if (listed.contains(name.toCaseFolded()))
      continue;
    newRows.append(TDMSecurity::StoredUserName(name));
    listed.insert(name.toCaseFolded());
  }
  if (!newRows.isEmpty())
    FDM->InOneCommit(
        [&] { UsersBatch::InsertTakenOver(FDM->Database, FDM->Transaction, newRows, PresetGroup()); });
  FDM->users->Close();
  FDM->users->Open();
}

void TMainForm::SynchroAExecute(QObject *) {
  // One reading of the server's users serves both steps.
  QStringList onServer;
  InSynchronisationStep(kTakeOverStep, [&] {
    onServer = ServerUserNames();
    TakeOverServerUsers(onServer);
  });
  InSynchronisationStep(kRemovalStep, [&] { DeleteUsersMissingOnServer(onServer); });
}

void TMainForm::DeleteUsersMissingOnServer(const QStringList &onServer) {
  TStringList sorted;
  for (const QString &name : onServer)
    sorted.Add(name);
  sorted.SetSorted(true);
  // The rows the list shows, as the list shows them.
  QStringList missing;
  TDataSet *users = FDM->users;
  {
    TControlsDisabled quiet(*users);
    for (users->First(); !users->Eof(); users->Next()) {
      const QString name = UserNameOf(FDM);
      int index = 0;
      if (!sorted.Find(name, index))
        missing.append(name);
    }
  }
  if (missing.isEmpty())
    return;
  // A row stands for the server users of its name in any case; none of them is left, and the grants
  // Firebird keeps for them would pass to a later user of the name.
  FDM->InOneCommit([&] {
    UsersBatch::RevokeLeftoverAdminGrants(FDM->Database, FDM->Transaction, missing);
    UsersBatch::Delete(FDM->Database, FDM->Transaction, missing);
  });
  users->Close();
  users->Open();
}

void TMainForm::edGrupaButtonClick(QObject *) {
  auto dialog = std::make_unique<TGrupyForm>(this, FDM->Database);
  if (dialog->ShowModal() == mrOk)
    edGrupa->SetText(dialog->ChosenGroup());
  ApplyGroupFilter();
}

void TMainForm::UsrGridEditButtonClick(QObject *) {
  auto dialog = std::make_unique<TGrupyForm>(this, FDM->Database);
  dialog->grupy->Close();
  dialog->grupy->SQL().SetText(QStringLiteral("select distinct GRUPA from USERS where GRUPA is not null"));
  dialog->grupy->Open();
  if (dialog->ShowModal() != mrOk)
    return;
  FDM->users->Edit();
  FDM->users->FieldByName(QStringLiteral("GRUPA"))->SetAsString(dialog->ChosenGroup());
}

void TMainForm::PobierzZVeldarAExecute(QObject *) {
  auto dialog = std::make_unique<TPobierzUzytkownikowF>(this);
  if (dialog->ShowModal() != mrOk)
    return;
  Database->Close();
  Database->SetDatabaseName(dialog->edFileName->FileName());
  Database->Params().Clear();
  Database->Params().SetValues(QStringLiteral("user_name"), QStringLiteral("SYSDBA"));
  Database->Params().SetValues(QStringLiteral("password"), edAdminPswd->text());
  Database->Params().SetValues(QStringLiteral("lc_ctype"), QStringLiteral("WIN1250"));
  Database->Open();
  if (!Transaction->Active())
    Transaction->StartTransaction();
  Query->Close();
  Query->SQL().SetText(QStringLiteral("select * from USERS"));
  Query->Open();
  for (Query->First(); !Query->Eof(); Query->Next()) {
    if (!FDM->users->Locate(QStringLiteral("USER_NAME"),
                            Query->FieldByName(QStringLiteral("USR_NAME"))->AsString(), kIgnoreCase))
      continue;
    FDM->users->Edit();
    FDM->users->FieldByName(QStringLiteral("FIRST_NAME"))
        ->SetAsString(Query->FieldByName(QStringLiteral("IMIE"))->AsString());
    FDM->users->FieldByName(QStringLiteral("SECOND_NAME"))
        ->SetAsString(Query->FieldByName(QStringLiteral("NAZWISKO"))->AsString());
    FDM->users->FieldByName(QStringLiteral("USER_ID"))
        ->SetAsString(Query->FieldByName(QStringLiteral("PESEL"))->AsString());
    FDM->users->Post();
  }
  FDM->Transaction->CommitRetaining();
  FDM->users->Close();
  FDM->users->Open();
}
