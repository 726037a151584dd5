#include "ProgramRightsWriter.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBServices.h"
#include "IBTransaction.h"
#include "IBUpdateSQL.h"
#include "ProgramGroups.h"
#include "ServerRoles.h"
#include "UAdminRights.h"

namespace {

const QString kUserError = QString::fromUtf8("Błąd użytkownika");
const QString kVeldarUserError = QString::fromUtf8("Bład użytkownika");

// Whatever fails here must not hide the error that asked for the rollback.
void RollbackQuietly(TIBTransaction *transaction) {
  try {
    if (transaction->Active())
      transaction->Rollback();
  } catch (const Exception &) {
  }
}

QString FullName(const TPersonalData &person) { return (person.FirstName + u' ' + person.Surname).trimmed(); }

} // namespace

QString RightsRunFailure(const QString &group, const QString &nazwa, const QString &path, const QString &user,
                         const QString &error) {
  const QString where = QString::fromUtf8("Przypisywanie praw przerwane.\nProgram: %1\nBaza: %2 (%3)\n")
                            .arg(group, nazwa, path);
  const QString written =
      user.isEmpty()
          ? QString::fromUtf8("\nBazy przed tą bazą zostały zapisane. Ta baza i bazy po niej nie zostały "
                              "zapisane.")
          : QString::fromUtf8(
                "Użytkownik: %1\n\nBazy przed tą bazą zostały zapisane, a w tej bazie "
                "użytkownicy przed tym użytkownikiem. Ten użytkownik, użytkownicy po nim i bazy "
                "po tej bazie nie zostały zapisane.")
                .arg(user);
  return where + written + QStringLiteral("\n\n") + error;
}

TProgramRightsWriter::TProgramRightsWriter(TRightsConnections connections)
    : FConnections(std::move(connections)) {}

void TProgramRightsWriter::Write(int group, const QString &path, const TTabSettings &tab,
                                 const TRightsAssignment &assignment) {
  FTable = &ProgramUserTable(group);
  FPath = path;
  FUser.clear();
  FSisters.clear();
  ConnectDatabase(FConnections.Database, path);
  if (!CheckAdminAccess(FConnections.Database, tab.Level == rlAdministrator))
    return;
  FConnections.Transaction->EnsureActive();
  if (!ConnectSisters(path, tab))
    return;
  PrepareQuery(*FTable);
  for (const QString &user : assignment.Users)
    WriteUser(group, user, tab, assignment);
}

bool TProgramRightsWriter::ConnectSisters(const QString &path, const TTabSettings &tab) {
  for (const TSisterFile &sister : FTable->Sisters) {
    const TRightsConnections::TSister &connection = FConnections.Sister(sister.Extension);
    if (!ConnectSisterFile(connection.Database, SisterFilePath(path, sister.Extension)))
      continue;
    if (!CheckAdminAccess(connection.Database, tab.Level == rlAdministrator))
      return false;
    connection.Transaction->EnsureActive();
    FSisters.push_back({connection, SisterLevel(sister.Level, tab)});
  }
  return true;
}

void TProgramRightsWriter::PrepareQuery(const TProgramUserTable &table) {
  TIBQuery *query = FConnections.Query;
  query->Close();
  query->SQL().SetText(table.SelectSQL);
  FConnections.UpdateSQL->ModifySQL().SetText(table.ModifySQL);
  FConnections.UpdateSQL->InsertSQL().SetText(table.InsertSQL);
  query->GeneratorField() = {table.GeneratorField, table.Generator, 1, gamOnPost};
}

void TProgramRightsWriter::WriteUser(int group, const QString &user, const TTabSettings &tab,
                                     const TRightsAssignment &assignment) {
  FUser = user;
  TIBQuery *query = FConnections.Query;
  if (!query->Active())
    query->Open();
  const bool found = query->Locate(FTable->KeyColumn, user, {});
  const std::optional<std::vector<TColumnValue>> values = RowValues(user, found, tab, assignment);
  if (!values)
    return;
  const TProgramGroup &roles = ProgramGroups()[static_cast<size_t>(group)];
  try {
    SetServerRole(*FConnections.Statement, FConnections.Transaction, user, roles.ReadRole, roles.WriteRole,
                  static_cast<quint8>(tab.Level));
    for (const TActiveSister &sister : FSisters)
      SetServerRole(*FConnections.Statement, sister.Connection.Transaction, user, roles.ReadRole,
                    roles.WriteRole, static_cast<quint8>(sister.Level));
    PostRow(user, found, *values);
    if (FTable->CaseFileRights)
      WriteCaseFileRights(tab.Level);
    CommitUser();
  } catch (...) {
    RollbackUser();
    throw;
  }
}

std::optional<std::vector<TProgramRightsWriter::TColumnValue>>
TProgramRightsWriter::RowValues(const QString &user, bool found, const TTabSettings &tab,
                                const TRightsAssignment &assignment) {
  TIBQuery *query = FConnections.Query;
  std::vector<TColumnValue> values;
  const auto set = [&](const QString &column, const QVariant &value) {
    if (!column.isEmpty())
      values.push_back({query->FieldByName(column), value});
  };
  if (!found)
    set(FTable->KeyColumn, user);
  const auto person = assignment.People.constFind(user);
  const std::optional<TPersonalData> known =
      person == assignment.People.constEnd() ? std::nullopt : std::optional(*person);
  if (known && (!found || assignment.ReplacePersonalData)) {
    const TPersonalColumns &personal = FTable->Personal;
    set(personal.FirstName, known->FirstName);
    set(personal.Surname, known->Surname);
    if (!personal.PeselIdentifiesNewRows)
      set(personal.Pesel, known->Pesel);
    set(personal.FullName, FullName(*known));
  }
  for (const TRightsColumn &column : FTable->Rights)
    set(column.Column, RightsColumnValue(column, tab));
  if (const QVariant role = RoleColumnValue(tab.Level); !role.isNull())
    set(FTable->RoleColumn, role);
  if (!found && FTable->Personal.PeselIdentifiesNewRows && IdentityRefused(user, known, values))
    return std::nullopt;
  if (NameRefused(user) || TooLong(user, values))
    return std::nullopt;
  return values;
}

bool TProgramRightsWriter::IdentityRefused(const QString &user, const std::optional<TPersonalData> &person,
                                           std::vector<TColumnValue> &values) {
  qint32 id = 0;
  if (!person || !IdentityNumberId(person->Pesel, id)) {
    MessageBox(
        QString::fromUtf8("Użytkownik %1 nie posiada poprawnego numeru PESEL. \r\nNie może zostać dodany do "
                          "programu VELDAR.")
            .arg(user),
        kVeldarUserError, MB_OK);
    return true;
  }
  // A valid number whose ID another row holds: the number is right, only the ID is taken.
  if (const std::optional<QString> holder = IdHolder(id)) {
    MessageBox(QString::fromUtf8("Użytkownik %1 nie może zostać dodany do programu VELDAR: identyfikator %2 "
                                 "z jego numeru PESEL %3 ma już w tabeli %4 użytkownik %5.")
                   .arg(user, QString::number(id), person->Pesel, FTable->Table, *holder),
               kVeldarUserError, MB_OK);
    return true;
  }
  TIBQuery *query = FConnections.Query;
  values.push_back({query->FieldByName(FTable->Personal.Pesel), person->Pesel});
  values.push_back({query->FieldByName(QStringLiteral("ID")), id});
  return false;
}

TIBSQL &TProgramRightsWriter::MainStatement() {
  TIBSQL &statement = *FConnections.Statement;
  statement.Close();
  statement.SetTransaction(FConnections.Transaction);
  statement.SetDatabase(FConnections.Database);
  return statement;
}

std::optional<QString> TProgramRightsWriter::IdHolder(qint32 id) {
  TIBSQL &statement = MainStatement();
  statement.SQL().SetText(
      QStringLiteral("select first 1 %1 from %2 where ID = :ID").arg(FTable->KeyColumn, FTable->Table));
  statement.ParamByName(QStringLiteral("ID")).SetAsInteger(id);
  statement.ExecQuery();
  std::optional<QString> holder;
  if (!statement.Eof())
    holder = statement.Fields(0).IsNull() ? QString::fromUtf8("bez nazwy")
                                          : statement.Fields(0).AsString().trimmed();
  statement.Close();
  return holder;
}

bool TProgramRightsWriter::NameRefused(const QString &user) {
  // Grants, revokes and the server's list of privileges take a user's name of so many bytes only.
  const qsizetype bytes = user.toUtf8().size();
  if (bytes <= TIBSecurityService::MaxUserNameBytes)
    return false;
  MessageBox(
      QString::fromUtf8("Użytkownik %1 nie zostanie zapisany w bazie\n%2:\nnazwa ma %3 bajtów w UTF-8, "
                        "a serwer przyjmuje nazwy użytkowników najwyżej %4-bajtowe (kolumna RDB$USER "
                        "tabeli RDB$USER_PRIVILEGES).")
          .arg(user, FPath, QString::number(bytes), QString::number(TIBSecurityService::MaxUserNameBytes)),
      kUserError, MB_OK | MB_ICONWARNING);
  return true;
}

bool TProgramRightsWriter::TooLong(const QString &user, const std::vector<TColumnValue> &values) {
  for (const TColumnValue &value : values) {
    const auto *field = dynamic_cast<const TStringField *>(value.Field);
    const QString text = value.Value.toString();
    if (!field || text.size() <= field->Size())
      continue;
    MessageBox(
        QString::fromUtf8("Użytkownik %1 nie zostanie zapisany w bazie\n%2:\nwartość \"%3\" jest dłuższa niż "
                          "kolumna %4 tabeli %5 (najwyżej %6 znaków).")
            .arg(user, FPath, text, field->FieldName(), FTable->Table, QString::number(field->Size())),
        kUserError, MB_OK | MB_ICONWARNING);
    return true;
  }
  return false;
}

void TProgramRightsWriter::PostRow(const QString &user, bool found, const std::vector<TColumnValue> &values) {
  TIBQuery *query = FConnections.Query;
  found ? query->Edit() : query->Append();
  for (const TColumnValue &value : values)
    value.Field->SetValue(value.Value);
  try {
    query->Post();
  } catch (const Exception &error) {
    if (!FTable->Personal.PeselIdentifiesNewRows)
      throw;
    throw Exception(QString::fromUtf8("Baza: ") + FConnections.Database->DatabaseName() + u'\n' +
                    QString::fromUtf8("Błąd:") + QStringLiteral("\n\n") + error.Message());
  }
  if (found && query->UpdateRowsAffected() == 0)
    throw EDatabaseError(
        QString::fromUtf8("Nie zapisano użytkownika %1 w bazie\n%2:\nżaden wiersz tabeli %3 nie ma "
                          "już wartości %4, którą wiersz użytkownika miał przy odczycie (pusta albo "
                          "zmieniona w międzyczasie).")
            .arg(user, FPath, FTable->Table, FTable->GeneratorField));
}

void TProgramRightsWriter::WriteCaseFileRights(int level) {
  const int id = FConnections.Query->FieldByName(QStringLiteral("ID"))->AsInteger();
  const int right = level == rlWrite || level == rlAdministrator ? 2 : 1;
  TIBSQL &statement = MainStatement();
  for (const QString &sql :
       {QStringLiteral("Delete from PRAWA where IDO=%1").arg(id),
        QStringLiteral("Insert into PRAWA SELECT ID, %1, %2 from SPRAWY").arg(id).arg(right)}) {
    statement.SQL().SetText(sql);
    statement.ExecQuery();
    statement.Close();
  }
}

void TProgramRightsWriter::CommitUser() {
  for (const TActiveSister &sister : FSisters)
    sister.Connection.Transaction->CommitRetaining();
  FConnections.Transaction->CommitRetaining();
}

void TProgramRightsWriter::RollbackUser() {
  TIBQuery *query = FConnections.Query;
  if (query->State() == dsEdit || query->State() == dsInsert)
    query->Cancel();
  FConnections.Statement->Close();
  RollbackQuietly(FConnections.Transaction);
  for (const TActiveSister &sister : FSisters)
    RollbackQuietly(sister.Connection.Transaction);
}
