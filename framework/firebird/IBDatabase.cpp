#include "IBDatabase.h"

#include "IBError.h"
#include "IBParamBlock.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "Win1250.h"

#include <algorithm>

namespace {

struct TDPBName {
  const char *Name;
  char Tag;
};

constexpr TDPBName kDPBNames[] = {
    {"user_name", isc_dpb_user_name},
    {"password", isc_dpb_password},
    {"lc_ctype", isc_dpb_lc_ctype},
    {"sql_role_name", isc_dpb_sql_role_name},
    {"connect_timeout", isc_dpb_connect_timeout},
    {"num_buffers", isc_dpb_num_buffers},
};

template <typename T> void RemoveFrom(std::vector<T *> &items, T *item) {
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

} // namespace

TIBDatabase::TIBDatabase(QObject *owner) : QObject(owner) {}

TIBDatabase::~TIBDatabase() {
  try {
    Close();
  } catch (const Exception &) {
    CloseHandles(true);
  }
  for (TIBDatabaseClient *client : std::vector(FClients))
    client->DatabaseDestroyed();
  for (TIBTransaction *transaction : std::vector(FTransactions))
    transaction->DatabaseDestroyed();
}

void TIBDatabase::CheckInactive() const {
  if (Connected())
    throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open database"));
}

void TIBDatabase::CheckConnected() const {
  if (!Connected())
    throw EDatabaseError(QStringLiteral("Database not open"));
}

void TIBDatabase::SetDatabaseName(const QString &value) {
  if (value == FDatabaseName)
    return;
  CheckInactive();
  FDatabaseName = value;
}

void TIBDatabase::SetSQLDialect(int value) {
  if (value < 1 || value > 3)
    throw EDatabaseError(QStringLiteral("SQL dialect %1 is not supported").arg(value));
  CheckInactive();
  FSQLDialect = value;
}

TIBTransaction *TIBDatabase::DefaultTransaction() const { return FDefaultTransaction.data(); }

void TIBDatabase::SetDefaultTransaction(TIBTransaction *value) {
  FDefaultTransaction = value;
  if (value && !value->DefaultDatabase())
    value->SetDefaultDatabase(this);
}

QByteArray TIBDatabase::BuildDPB() const {
  TIBParamBlock dpb(isc_dpb_version1);
  dpb.AddInt(isc_dpb_sql_dialect, FSQLDialect);
  // The login, the role and the file name are UTF-8 whatever lc_ctype says of the data: without
  // the marker the client refuses any byte outside ASCII.
  dpb.AddString(isc_dpb_utf8_filename, QByteArray());
  for (int i = 0; i < FParams.Count(); ++i) {
    const QString name = FParams.Names(i).trimmed().toLower();
    if (name.isEmpty())
      continue;
    const auto found = std::find_if(std::begin(kDPBNames), std::end(kDPBNames),
                                    [&](const TDPBName &n) { return name == QLatin1String(n.Name); });
    if (found == std::end(kDPBNames))
      throw EDatabaseError(QStringLiteral("Unknown database parameter \"%1\"").arg(name));
    const QString value = FParams.ValueFromIndex(i);
    if (found->Tag == isc_dpb_connect_timeout || found->Tag == isc_dpb_num_buffers)
      dpb.AddInt(found->Tag, value.toInt());
    else
      dpb.AddString(found->Tag, value.toUtf8());
  }
  return dpb.Bytes();
}

void TIBDatabase::ReadCharset() {
  const QString charset = FParams.Values(QStringLiteral("lc_ctype")).trimmed().toUpper();
  FUtf8 = charset == QLatin1String("UTF8") || charset == QLatin1String("UNICODE_FSS");
}

void TIBDatabase::Open() {
  if (Connected())
    return;
  ReadCharset();
  QByteArray dpb = BuildDPB();
  const QByteArray name = FDatabaseName.toUtf8();
  TIBStatus status;
  isc_attach_database(&status, static_cast<short>(name.size()), name.constData(), &FHandle,
                      static_cast<short>(dpb.size()), dpb.data());
  if (status.Failed()) {
    FHandle = 0;
    throw status.Error();
  }
}

void TIBDatabase::CreateDatabase() {
  CheckInactive();
  ReadCharset();
  QStringList clauses;
  for (int i = 0; i < FParams.Count(); ++i)
    clauses.append(FParams[i].trimmed());
  QString sql = QStringLiteral("CREATE DATABASE '%1' ").arg(QString(FDatabaseName).replace(u'\'', "''"));
  sql += clauses.join(u' ');
  const QByteArray bytes = EncodeText(sql);
  isc_tr_handle transaction = 0;
  TIBStatus status;
  isc_dsql_execute_immediate(&status, &FHandle, &transaction, static_cast<unsigned short>(bytes.size()),
                             bytes.constData(), static_cast<unsigned short>(FSQLDialect), nullptr);
  if (status.Failed()) {
    FHandle = 0;
    throw status.Error();
  }
}

void TIBDatabase::DropDatabase() {
  CheckConnected();
  ReleaseClients(false);
  TIBStatus status;
  isc_drop_database(&status, &FHandle);
  Check(status);
  FHandle = 0;
}

void TIBDatabase::ReleaseClients(bool connectionLost) {
  for (TIBDatabaseClient *client : std::vector(FClients))
    client->DatabaseClosing(connectionLost);
  // Transactions end last: their datasets and statements are closed by now.
  for (TIBTransaction *transaction : std::vector(FTransactions))
    transaction->DatabaseClosing(connectionLost);
}

void TIBDatabase::CloseHandles(bool connectionLost) {
  ReleaseClients(connectionLost);
  if (FHandle == 0)
    return;
  TIBStatus status;
  isc_detach_database(&status, &FHandle);
  FHandle = 0;
  if (!connectionLost)
    CheckDetach(status);
}

void TIBDatabase::Close() {
  if (!Connected())
    return;
  try {
    CloseHandles(false);
  } catch (const EIBError &error) {
    // A client that found the connection lost (a server restarted meanwhile) closed it already.
    if (!error.ConnectionLost() || Connected())
      throw;
  }
}

bool TIBDatabase::CancelOperation() {
  isc_db_handle handle = FHandle;
  if (handle == 0)
    return false;
  TIBStatus status;
  fb_cancel_operation(&status, &handle, fb_cancel_raise);
  return !status.Failed();
}

void TIBDatabase::Check(const TIBStatus &status) {
  // Runs after every fetched row: the connection's name is made only for an error.
  if (!status.Failed())
    return;
  CheckConnection(status, QStringLiteral("database ") + FDatabaseName, [this] { CloseHandles(true); });
}

QByteArray TIBDatabase::EncodeText(const QString &text) const {
  return FUtf8 ? text.toUtf8() : Win1250::Encode(text);
}

QString TIBDatabase::DecodeText(const QByteArray &bytes) const {
  return FUtf8 ? QString::fromUtf8(bytes) : Win1250::Decode(bytes);
}

void TIBDatabase::QueryNames(const QString &sql, const QString &argument, TStringList &list) {
  CheckConnected();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(this);
  transaction.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait\nread"));
  TIBSQL query;
  query.SetDatabase(this);
  query.SetTransaction(&transaction);
  query.SQL().SetText(sql);
  transaction.StartTransaction();
  if (!argument.isNull())
    query.Params().Vars(0).SetAsString(argument);
  list.Clear();
  for (query.ExecQuery(); !query.Eof(); query.Next())
    list.Add(query.Fields().Vars(0).AsString().trimmed());
  query.Close();
  transaction.Commit();
}

void TIBDatabase::GetFieldNames(const QString &tableName, TStringList &list) {
  QueryNames(QStringLiteral("select RDB$FIELD_NAME from RDB$RELATION_FIELDS "
                            "where RDB$RELATION_NAME = ? order by RDB$FIELD_POSITION"),
             tableName, list);
}

void TIBDatabase::GetTableNames(TStringList &list, bool systemTables) {
  QueryNames(QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is null%1 "
                            "order by RDB$RELATION_NAME")
                 .arg(systemTables ? QString() : QStringLiteral(" and coalesce(RDB$SYSTEM_FLAG, 0) = 0")),
             QString(), list);
}

void TIBDatabase::AddClient(TIBDatabaseClient *client) {
  if (std::find(FClients.begin(), FClients.end(), client) == FClients.end())
    FClients.push_back(client);
}

void TIBDatabase::RemoveClient(TIBDatabaseClient *client) { RemoveFrom(FClients, client); }

void TIBDatabase::AddTransaction(TIBTransaction *transaction) {
  if (std::find(FTransactions.begin(), FTransactions.end(), transaction) == FTransactions.end())
    FTransactions.push_back(transaction);
}

void TIBDatabase::RemoveTransaction(TIBTransaction *transaction) { RemoveFrom(FTransactions, transaction); }

namespace {
// A non-zero answer to the confirmation round keeps the library from shutting down on a signal.
int RefuseSignalShutdown(const int reason, const int, void *) { return reason == fb_shutrsn_signal ? 1 : 0; }
} // namespace

void LeaveSignalShutdownToTheProgram() {
  ISC_STATUS_ARRAY status = {};
  fb_shutdown_callback(status, RefuseSignalShutdown, fb_shut_confirmation, nullptr);
}
