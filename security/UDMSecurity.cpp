#include "UDMSecurity.h"

#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBScript.h"
#include "IBStoredProc.h"
#include "IBTransaction.h"
#include "IBUpdateSQL.h"
#include "IBValues.h"
#include "USecuritySchema.h"
#include "UServerErrors.h"
#include "Win1250.h"

namespace {

const QStringList kUsersColumns = {"USER_NAME", "PSWD_DATE",  "FIRST_NAME", "SECOND_NAME",
                                   "USER_ID",   "PSWD_VALID", "GRUPA",      "PSWD_ALWAYS_VALID"};
const QStringList kConfigColumns = {"PASS_LENGTH", "PASS_COUNT", "VALIDATE_DAYS", "EXTRA_CHARS",
                                    "VER",         "OPTIONS",    "INI",           "DIGITS",
                                    "UPPER_CASES", "LOWER_CASES"};

// "  A = :A," lines of an update statement.
QStringList Assignments(const QStringList &columns) {
  QStringList lines;
  for (qsizetype i = 0; i < columns.size(); ++i)
    lines.append(QStringLiteral("  %1 = :%1%2").arg(columns[i], i + 1 < columns.size() ? "," : ""));
  return lines;
}

QStringList InsertLines(const QString &table, const QStringList &columns) {
  QStringList parameters;
  for (const QString &column : columns)
    parameters.append(u':' + column);
  return {QStringLiteral("insert into ") + table,
          QStringLiteral("  (") + columns.join(QStringLiteral(", ")) + u')', QStringLiteral("values"),
          QStringLiteral("  (") + parameters.join(QStringLiteral(", ")) + u')'};
}

int IntegerOf(TDataSet *dataSet, const char *fieldName) {
  TField *field = dataSet->FindField(QString::fromLatin1(fieldName));
  return field && !field->IsNull() ? field->AsInteger() : 0;
}

void PolicyRefusal(const QString &message) {
  MessageBox(message, QString::fromUtf8("Hasło nie spełnia zasad bezpieczeństwa"), MB_OK | MB_ICONWARNING);
}

} // namespace

TPasswordCounts CountPasswordCharacters(const QString &password) {
  TPasswordCounts counts;
  const QByteArray bytes = Win1250::Encode(password);
  counts.Length = static_cast<int>(bytes.size());
  for (const char byte : bytes) {
    if (byte >= '0' && byte <= '9')
      ++counts.Digits;
    else if (byte >= 'a' && byte <= 'z')
      ++counts.Lower;
    else if (byte >= 'A' && byte <= 'Z')
      ++counts.Upper;
    else
      ++counts.Special;
  }
  return counts;
}

TDMSecurity::TDMSecurity(QObject *owner) : QObject(owner) {
  setObjectName(QStringLiteral("DMSecurity"));
  Database = new TIBDatabase(this);
  Database->setObjectName(QStringLiteral("Database"));
  Transaction = new TIBTransaction(this);
  Transaction->setObjectName(QStringLiteral("Transaction"));
  Database->SetSQLDialect(3);
  Database->SetLoginPrompt(false);
  // No login here: connecting and creating set their own before they attach.
  Database->Params().SetText(QStringLiteral("lc_ctype=WIN1250"));
  Database->SetDefaultTransaction(Transaction);
  Transaction->SetDefaultDatabase(Database);
  Transaction->Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
  Transaction->SetDefaultAction(taRollback);

  SetUpConfig();
  SetUpUsers();

  procMODIFY_PASS_TIME = NewProc(QStringLiteral("MODIFY_PASS_TIME"));
  procGET_VERSION = NewProc(QStringLiteral("GET_VERSION"));
  procGET_PSWD_LENGTH = NewProc(QStringLiteral("GET_PSWD_LENGTH"));
  procGET_EXTRA_CHARS = NewProc(QStringLiteral("GET_EXTRA_CHARS"));
  procGET_DIGITS = NewProc(QStringLiteral("GET_DIGITS"));
  procGET_LOWER_CASES = NewProc(QStringLiteral("GET_LOWER_CASES"));
  procGET_UPPER_CASES = NewProc(QStringLiteral("GET_UPPER_CASES"));
  procGET_OPTIONS = NewProc(QStringLiteral("GET_OPTIONS"));

  DBScript = NewScript(SecuritySchema::DBScript());
  UpdateToVer1 = NewScript(SecuritySchema::UpdateToVer(1));
  UpdateToVer2 = NewScript(SecuritySchema::UpdateToVer(2));
  UpdateToVer3 = NewScript(SecuritySchema::UpdateToVer(3));
  UpdateToVer4 = NewScript(SecuritySchema::UpdateToVer(4));
}

const QStringList &TDMSecurity::UsersColumns() { return kUsersColumns; }

bool TDMSecurity::CurrentUserHoldsAdminRole() const {
  TField *role = users->FindField(QStringLiteral("RDB$RELATION_NAME"));
  return role &&
         QString::compare(role->AsString().trimmed(), QStringLiteral("RDB$ADMIN"), Qt::CaseInsensitive) == 0;
}

QStringList TDMSecurity::UsersSelectLines() {
  // The grants are reduced to one row per holder before the join: a user granted the role by two
  // administrators is still one user. The names are compared in UTF-8, which holds any holder's
  // name (Windows-1250 does not), and exactly: a grant to "jan" is not one to "JAN". A server user
  // whose upper case no other server user shares is listed under it, so its row shows its grants;
  // which users the server has is as the connection's transaction first read them. Such grants are
  // looked for row by row only when there is one at all.
  const QString grants = QStringLiteral(
      "from RDB$USER_PRIVILEGES p where p.RDB$RELATION_NAME=_UTF8'RDB$ADMIN' and p.rdb$user_type=8 and "
      "p.rdb$object_type=13 and p.RDB$USER<>upper(p.RDB$USER)");
  const QString utf8User = QStringLiteral("cast(%1 as varchar(63) character set UTF8)");
  return {
      QStringLiteral("select u.*, coalesce(up.RDB$RELATION_NAME, iif(exists (select 1 %1), (select first 1 "
                     "p.RDB$RELATION_NAME %1 and upper(%2)=%3 "
                     "and exists (select 1 from SEC$USERS s where s.SEC$USER_NAME=p.RDB$USER) "
                     "and not exists (select 1 from SEC$USERS s where s.SEC$USER_NAME<>p.RDB$USER "
                     "and upper(%4)=upper(%2))), null)) as RDB$RELATION_NAME from USERS u")
          .arg(grants, utf8User.arg(QStringLiteral("p.RDB$USER")),
               utf8User.arg(QStringLiteral("u.USER_NAME")), utf8User.arg(QStringLiteral("s.SEC$USER_NAME"))),
      QStringLiteral(
          "left join (select distinct RDB$USER as HOLDER, RDB$RELATION_NAME from RDB$USER_PRIVILEGES "
          "where RDB$RELATION_NAME=_UTF8'RDB$ADMIN' and rdb$user_type=8 and rdb$object_type=13) up "
          "on up.HOLDER=cast(u.USER_NAME as varchar(50) character set UTF8)")};
}

void TDMSecurity::SetUpConfig() {
  config = new TIBQuery(this);
  config->setObjectName(QStringLiteral("config"));
  config->SetDatabase(Database);
  config->SetTransaction(Transaction);
  config->SQL().SetText(QStringLiteral("select * from CONFIG"));
  updConfig = new TIBUpdateSQL(this);
  updConfig->setObjectName(QStringLiteral("updConfig"));
  updConfig->RefreshSQL().Assign({QStringLiteral("select ") + kConfigColumns.join(QStringLiteral(", ")),
                                  QStringLiteral("from CONFIG"), QStringLiteral("where VER = :VER")});
  updConfig->ModifySQL().Assign(QStringList{QStringLiteral("update CONFIG"), QStringLiteral("set")} +
                                Assignments(kConfigColumns));
  updConfig->InsertSQL().Assign(InsertLines(QStringLiteral("CONFIG"), kConfigColumns));
  updConfig->DeleteSQL().Assign(
      {QStringLiteral("delete from CONFIG"), QStringLiteral("where VER = :OLD_VER")});
  config->SetUpdateObject(updConfig);
  config->BeforePost = [this](TDataSet *d) { configBeforePost(d); };
  config->AfterPost = [this](TDataSet *d) { configAfterPost(d); };
  config->AfterCancel = [this](TDataSet *d) { configAfterCancel(d); };
}

void TDMSecurity::SetUpUsers() {
  users = new TIBQuery(this);
  users->setObjectName(QStringLiteral("users"));
  users->SetDatabase(Database);
  users->SetTransaction(Transaction);
  users->SQL().Assign(UsersSelectLines() + QStringList{UsersOrderByName()});
  updUsers = new TIBUpdateSQL(this);
  updUsers->setObjectName(QStringLiteral("updUsers"));
  updUsers->RefreshSQL().Assign(UsersSelectLines() +
                                QStringList{QStringLiteral("where u.USER_NAME=:USER_NAME")});
  updUsers->ModifySQL().Assign(
      QStringList{QStringLiteral("update USERS"), QStringLiteral("set")} + Assignments(kUsersColumns) +
      QStringList{QStringLiteral("where"), QStringLiteral("  USER_NAME = :OLD_USER_NAME")});
  updUsers->InsertSQL().Assign(InsertLines(QStringLiteral("USERS"), kUsersColumns));
  updUsers->DeleteSQL().Assign({QStringLiteral("delete from USERS"), QStringLiteral("where"),
                                QStringLiteral("  USER_NAME = :OLD_USER_NAME")});
  users->SetUpdateObject(updUsers);
  CreateUsersFields();
  users->AfterEdit = [this](TDataSet *d) { usersAfterEdit(d); };
  users->BeforePost = [this](TDataSet *d) { usersBeforePost(d); };
  users->AfterPost = [this](TDataSet *d) { usersAfterPost(d); };
  users->AfterDelete = [this](TDataSet *d) { usersAfterDelete(d); };
  users->AfterCancel = [this](TDataSet *d) { usersAfterCancel(d); };
}

void TDMSecurity::CreateUsersFields() {
  const auto text = [this](const char *name, int size, const char *label) {
    auto *field = new TStringField(users);
    field->SetFieldName(QString::fromLatin1(name));
    field->SetSize(size);
    field->SetDisplayLabel(QString::fromUtf8(label));
    field->SetDataSet(users);
    return field;
  };
  const auto small = [this](const char *name) {
    auto *field = new TSmallintField(users);
    field->SetFieldName(QString::fromLatin1(name));
    field->SetDataSet(users);
  };
  text("USER_NAME", 50, "Użytkownik")->SetRequired(true);
  auto *date = new TDateTimeField(users);
  date->SetFieldName(QStringLiteral("PSWD_DATE"));
  date->SetDisplayLabel(QString::fromUtf8("Data ostatniej zmiany hasła"));
  date->SetDataSet(users);
  text("FIRST_NAME", 50, "Imię");
  text("SECOND_NAME", 50, "Nazwisko");
  text("USER_ID", 11, "Pesel");
  small("PSWD_VALID");
  text("GRUPA", 30, "Grupa");
  small("PSWD_ALWAYS_VALID");
  text("RDB$RELATION_NAME", 31, "RDB$RELATION_NAME")->SetFixedChar(true);
}

TIBStoredProc *TDMSecurity::NewProc(const QString &name) {
  auto *proc = new TIBStoredProc(this);
  proc->setObjectName(QStringLiteral("proc") + name);
  proc->SetDatabase(Database);
  proc->SetTransaction(Transaction);
  proc->SetStoredProcName(name);
  return proc;
}

TIBScript *TDMSecurity::NewScript(const QString &text) {
  auto *script = new TIBScript(this);
  script->SetDatabase(Database);
  script->SetTransaction(Transaction);
  script->Script().SetText(text);
  return script;
}

int TDMSecurity::ExecIntProc(TIBStoredProc *proc, const QString &output) {
  proc->ExecProc();
  return proc->ParamByName(output)->AsInteger();
}

bool TDMSecurity::Connect(const QString &Server, const QString &UserName, const QString &Password) {
  Database->Close();
  Database->Params().Clear();
  Database->Params().SetValues(QStringLiteral("user_name"), UserName);
  Database->Params().SetValues(QStringLiteral("password"), Password);
  Database->Params().SetValues(QStringLiteral("lc_ctype"), QStringLiteral("WIN1250"));
  if (!IsSysdba(UserName))
    Database->Params().SetValues(QStringLiteral("sql_role_name"), QStringLiteral("RDB$ADMIN"));
  Database->SetDatabaseName(Server + u':' + SecurityAlias);
  Database->Open();
  if (!IsConnectedAsAdmin(Database)) {
    MessageBox(QString::fromUtf8("Nie posiadasz praw administratora do bazy użytkowników"),
               QString::fromUtf8("Brak uprawnień"), MB_OK | MB_ICONWARNING);
    Database->Close();
    return false;
  }
  if (Application())
    Application()->ProcessMessages();
  UpgradeSchema();
  config->Open();
  users->Open();
  return true;
}

void TDMSecurity::CreateSecurityDatabase(const QString &Server, const QString &SysdbaPassword) {
  Database->Close();
  // The password goes into a string literal of the statement: its quotes are doubled.
  QString quoted = SysdbaPassword;
  quoted.replace(u'\'', QStringLiteral("''"));
  Database->Params().SetText(QStringLiteral(" USER 'SYSDBA' PASSWORD '") + quoted +
                             QStringLiteral("' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1250"));
  Database->SetDatabaseName(Server + u':' + SecurityAlias);
  Database->CreateDatabase();
  DBScript->ExecuteScript();
}

int TDMSecurity::GetSchemaVersion() {
  try {
    return ExecIntProc(procGET_VERSION, QStringLiteral("VER"));
  } catch (const Exception &) {
    return 0;
  }
}

void TDMSecurity::UpgradeSchema() {
  TIBScript *const scripts[] = {UpdateToVer1, UpdateToVer2, UpdateToVer3, UpdateToVer4};
  for (int n = 1; n <= SecuritySchema::kLatestVersion; ++n)
    if (GetSchemaVersion() < n)
      scripts[n - 1]->ExecuteScript();
  if (Transaction->Active())
    Transaction->CommitRetaining();
}

void TDMSecurity::configBeforePost(TDataSet *DataSet) {
  const int extra = IntegerOf(DataSet, "EXTRA_CHARS");
  const int length = IntegerOf(DataSet, "PASS_LENGTH");
  const int days = IntegerOf(DataSet, "VALIDATE_DAYS");
  const int count = IntegerOf(DataSet, "PASS_COUNT");
  const int sum = extra + IntegerOf(DataSet, "DIGITS") + IntegerOf(DataSet, "LOWER_CASES") +
                  IntegerOf(DataSet, "UPPER_CASES");
  const char *message = nullptr;
  if (extra < 0)
    message = "Liczba znaków specjalnych nie może być mniejsza od 0.";
  else if (length < 1)
    message = "Długość hasła musi być większa od 0.";
  else if (days < 0)
    message = "Ważność hasłą nie może być mniejsza od 0.";
  else if (count < 0)
    message = "Ilość haseł w historii nie może być mniejsza od 0.";
  else if (sum > length)
    message = "Suma kombinacji zabezpieczeń nie może przekraczać długości hasła.";
  if (!message)
    return;
  MessageBox(QString::fromUtf8(message), QString::fromUtf8("Błąd"), MB_OK | MB_ICONWARNING);
  Abort();
}

void TDMSecurity::configAfterPost(TDataSet *) { Transaction->CommitRetaining(); }

void TDMSecurity::configAfterCancel(TDataSet *) { Transaction->RollbackRetaining(); }

void TDMSecurity::usersAfterEdit(TDataSet *DataSet) {
  FSeenRow.clear();
  for (const QString &column : kUsersColumns)
    FSeenRow.append(IBParamValue(*DataSet->FieldByName(column)));
}

void TDMSecurity::usersBeforePost(TDataSet *DataSet) {
  if (DataSet->State() == dsEdit)
    RefuseUnseenChange();
  TField *name = DataSet->FieldByName(QStringLiteral("USER_NAME"));
  name->SetAsString(StoredUserName(name->AsString()));
}

// Another window may have changed or deleted the row since this one read it: a post must neither
// overwrite a change the person has not seen nor report success for a row that is gone. The stored row
// is read as the list reads it, so that a value the server keeps more finely than the list's field
// (a time stamp to 1/10000 s) still compares equal to what the list shows. The row stays locked from
// the check to the commit after the post.
void TDMSecurity::RefuseUnseenChange() {
  const QString seenName = FSeenRow.value(0).toString();
  TIBQuery stored;
  stored.SetDatabase(Database);
  stored.SetTransaction(Transaction);
  stored.SQL().SetText(QStringLiteral("select ") + kUsersColumns.join(QStringLiteral(", ")) +
                       QStringLiteral(" from USERS where USER_NAME = :USER_NAME with lock"));
  stored.ParamByName(QStringLiteral("USER_NAME"))->SetValue(FSeenRow.value(0));
  try {
    stored.Open();
  } catch (const Exception &error) {
    if (IsRowLockConflict(error))
      RefuseLockedRow(seenName, error);
    throw;
  }
  const bool exists = !stored.Eof();
  bool unchanged = exists;
  for (qsizetype i = 0; unchanged && i < kUsersColumns.size(); ++i)
    unchanged = IBParamValue(*stored.FieldByName(kUsersColumns[i])) == FSeenRow.value(i);
  stored.Close();
  if (unchanged)
    return;
  ReloadKeepingTyped(seenName);
  MessageBox(
      exists
          ? QString::fromUtf8("Użytkownika %1 zmieniono w innym oknie, odkąd wyświetlono go tutaj. Zmian nie "
                              "zapisano: wiersz odczytano ponownie, a wpisane wartości pozostawiono do "
                              "sprawdzenia i ponownego zatwierdzenia.")
                .arg(seenName)
          : QString::fromUtf8("Użytkownika %1 usunięto w innym oknie. Zmian nie zapisano.").arg(seenName),
      QStringLiteral("Uwaga"), MB_OK | MB_ICONWARNING);
  Abort();
}

// The row stays in edit with what was typed, for the person to post again once the other connection
// has finished.
void TDMSecurity::RefuseLockedRow(const QString &userName, const Exception &error) {
  MessageBox(
      QString::fromUtf8("Zmian użytkownika %1 nie zapisano: inne połączenie (np. logowanie w innym "
                        "programie, sesja SQL) ma niezatwierdzoną zmianę tego wiersza. Wpisane wartości "
                        "pozostawiono; zatwierdź je ponownie, gdy tamta zmiana zostanie zatwierdzona "
                        "lub wycofana.")
              .arg(userName) +
          QStringLiteral("\n\n") + error.Message(),
      QStringLiteral("Uwaga"), MB_OK | MB_ICONWARNING);
  Abort();
}

// Reads the list again and, when the row is still there, puts what the person typed over it.
void TDMSecurity::ReloadKeepingTyped(const QString &userName) {
  QList<QPair<QString, QVariant>> typed;
  for (qsizetype i = 0; i < kUsersColumns.size(); ++i) {
    TField *field = users->FieldByName(kUsersColumns[i]);
    if (IBParamValue(*field) != FSeenRow.value(i))
      typed.append({kUsersColumns[i], field->Value()});
  }
  users->Cancel();
  users->Refresh();
  if (!users->Locate(QStringLiteral("USER_NAME"), userName, TLocateOptions{}))
    return;
  users->Edit();
  for (const auto &[column, value] : typed)
    users->FieldByName(column)->SetValue(value);
}

void TDMSecurity::CommitUsersChange() {
  if (FOneCommitDepth == 0)
    Transaction->CommitRetaining();
}

void TDMSecurity::usersAfterPost(TDataSet *) { CommitUsersChange(); }

void TDMSecurity::usersAfterDelete(TDataSet *) { CommitUsersChange(); }

void TDMSecurity::InOneCommit(const std::function<void()> &work) {
  ++FOneCommitDepth;
  // The list's controls catch up once, at the end.
  users->DisableControls();
  try {
    work();
  } catch (...) {
    --FOneCommitDepth;
    if (FOneCommitDepth == 0) {
      // The list may hold rows that the rollback takes back; an error of the clean-up must not
      // hide the one that caused it.
      try {
        if (users->State() == dsInsert || users->State() == dsEdit)
          users->Cancel();
        Transaction->RollbackRetaining();
        users->Close();
        users->Open();
      } catch (const Exception &) {
      }
    }
    users->EnableControls();
    throw;
  }
  users->EnableControls();
  if (--FOneCommitDepth == 0)
    Transaction->CommitRetaining();
}

QSet<QString> TDMSecurity::ListedUserNames() {
  QSet<QString> names;
  TIBSQL query;
  query.SetDatabase(Database);
  query.SetTransaction(Transaction);
  query.SQL().SetText(QStringLiteral("select USER_NAME from USERS"));
  for (query.ExecQuery(); !query.Eof(); query.Next())
    names.insert(query.Fields(0).AsString().toCaseFolded());
  query.Close();
  return names;
}

void TDMSecurity::usersAfterCancel(TDataSet *) { Transaction->RollbackRetaining(); }

bool TDMSecurity::CheckPassword(const QString &Password) {
  const TPasswordCounts counts = CountPasswordCharacters(Password);
  const int minLength = ExecIntProc(procGET_PSWD_LENGTH, QStringLiteral("PSWD_LENGTH"));
  if (counts.Length < minLength) {
    PolicyRefusal(QString::fromUtf8("Minimalna ilość znaków w haśle powinna wynosić: ") +
                  QString::number(minLength));
    return false;
  }
  const int extra = ExecIntProc(procGET_EXTRA_CHARS, QStringLiteral("EXTRA_CHARS"));
  if (extra > 0 && counts.Special < extra) {
    PolicyRefusal(QString::fromUtf8("Wymagana liczba znaków specjalnych to ") + QString::number(extra) +
                  u'.');
    return false;
  }
  TStringList columns;
  Database->GetFieldNames(QStringLiteral("CONFIG"), columns);
  columns.SetSorted(true);
  struct Rule {
    const char *Column;
    TIBStoredProc *Proc;
    const char *Output;
    int Count;
    const char *Message;
  };
  const Rule rules[] = {
      {"DIGITS", procGET_DIGITS, "DIG", counts.Digits, "Wymagana liczba cyfr w haśle to "},
      {"LOWER_CASES", procGET_LOWER_CASES, "LOWCS", counts.Lower, "Wymagana liczba małych liter w haśle to "},
      {"UPPER_CASES", procGET_UPPER_CASES, "UPPCS", counts.Upper, "Wymagana liczba dużych liter w haśle to "},
  };
  for (const Rule &rule : rules) {
    if (columns.IndexOf(QString::fromLatin1(rule.Column)) < 0)
      continue;
    const int required = ExecIntProc(rule.Proc, QString::fromLatin1(rule.Output));
    if (required > 0 && rule.Count < required) {
      PolicyRefusal(QString::fromUtf8(rule.Message) + QString::number(required) + u'.');
      return false;
    }
  }
  return true;
}

bool TDMSecurity::GetSysdbaFlag() {
  try {
    return (ExecIntProc(procGET_OPTIONS, QStringLiteral("OPTIONS")) & 1) != 0;
  } catch (const Exception &) {
    return false;
  }
}

bool TDMSecurity::GetConfigSysdbaFlag() {
  if (!config->Active())
    return true;
  return (IntegerOf(config, "OPTIONS") & 1) != 0;
}

void TDMSecurity::SetConfigSysdbaFlag(bool Value) {
  if (!config->Active())
    return;
  if (config->State() != dsEdit && config->State() != dsInsert)
    config->Edit();
  const int options = IntegerOf(config, "OPTIONS");
  config->FieldByName(QStringLiteral("OPTIONS"))->SetAsInteger(Value ? (options | 1) : (options & ~1));
}
