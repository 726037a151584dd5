#include "ProgramRightsWriter.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "IBUpdateSQL.h"
#include "ProgramGroups.h"
#include "ServerRoles.h"
#include "UAdminRights.h"

namespace {

const QString kUserError = QString::fromUtf8("Błąd użytkownika");

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

TProgramRightsWriter::TProgramRightsWriter(TRightsConnections connections)
    : FConnections(std::move(connections)) {}

void TProgramRightsWriter::Write(int group, const QString &path, const TTabSettings &tab,
                                 const TRightsAssignment &assignment) {
  FTable = &ProgramUserTable(group);
  FPath = path;
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
  if (TooLong(user, values))
    return std::nullopt;
  return values;
}

bool TProgramRightsWriter::IdentityRefused(const QString &user, const std::optional<TPersonalData> &person,
                                           std::vector<TColumnValue> &values) {
  qint32 id = 0;
  if (person && IdentityNumberId(person->Pesel, id) && !IdTaken(id)) {
    TIBQuery *query = FConnections.Query;
    values.push_back({query->FieldByName(FTable->Personal.Pesel), person->Pesel});
    values.push_back({query->FieldByName(QStringLiteral("ID")), id});
    return false;
  }
  MessageBox(
      QString::fromUtf8("Użytkownik %1 nie posiada poprawnego numeru PESEL. \r\nNie może zostać dodany do "
                        "programu VELDAR.")
          .arg(user),
      QString::fromUtf8("Bład użytkownika"), MB_OK);
  return true;
}

TIBSQL &TProgramRightsWriter::MainStatement() {
  TIBSQL &statement = *FConnections.Statement;
  statement.Close();
  statement.SetTransaction(FConnections.Transaction);
  statement.SetDatabase(FConnections.Database);
  return statement;
}

bool TProgramRightsWriter::IdTaken(qint32 id) {
  TIBSQL &statement = MainStatement();
  statement.SQL().SetText(QStringLiteral("select count(*) from %1 where ID = :ID").arg(FTable->Table));
  statement.ParamByName(QStringLiteral("ID")).SetAsInteger(id);
  statement.ExecQuery();
  const bool taken = statement.Fields(0).AsInteger() > 0;
  statement.Close();
  return taken;
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
            .arg(user, FPath, text, field->FieldName(), FTable->Table)
            .arg(field->Size()),
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
