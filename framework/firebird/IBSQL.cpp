#include "IBSQL.h"

#include "IBError.h"
#include "IBSQLText.h"

namespace {

int InfoInteger(const char *data, int length) {
  return static_cast<int>(isc_vax_integer(data, static_cast<short>(length)));
}

int InfoLength(const char *data) { return InfoInteger(data, 2); }

} // namespace

TIBSQL::TIBSQL(QObject *owner) : QObject(owner), FParams(this), FFields(this) {}

TIBSQL::~TIBSQL() {
  DatabaseClosing(true);
  SetTransaction(nullptr);
  SetDatabase(nullptr);
}

void TIBSQL::SetDatabase(TIBDatabase *value) {
  if (value == FDatabase)
    return;
  if (FDatabase) {
    DatabaseClosing(false);
    FDatabase->RemoveClient(this);
  }
  FDatabase = value;
  if (FDatabase)
    FDatabase->AddClient(this);
}

void TIBSQL::SetTransaction(TIBTransaction *value) {
  if (value == FTransaction)
    return;
  if (FTransaction) {
    CloseCursor(true);
    FTransaction->RemoveClient(this);
  }
  FTransaction = value;
  if (FTransaction)
    FTransaction->AddClient(this);
}

void TIBSQL::SetParamCheck(bool value) {
  if (value == FParamCheck)
    return;
  FParamCheck = value;
  Unprepare();
}

void TIBSQL::ResolveConnection() {
  if (!FDatabase && FTransaction)
    SetDatabase(FTransaction->DefaultDatabase());
  if (!FTransaction && FDatabase)
    SetTransaction(FDatabase->DefaultTransaction());
  if (!FDatabase)
    throw EDatabaseError(QStringLiteral("Database not assigned"));
  if (!FTransaction)
    throw EDatabaseError(QStringLiteral("Transaction not assigned"));
  FDatabase->CheckConnected();
  FTransaction->EnsureActive();
}

bool TIBSQL::Prepared() const { return FPrepared && FPreparedText == FSQL.Text(); }

void TIBSQL::Prepare() {
  const QString text = FSQL.Text();
  if (text.trimmed().isEmpty())
    throw EDatabaseError(QStringLiteral("Empty query"));
  CloseCursor(false);
  ResolveConnection();
  FPrepared = false;
  IBSQLText::TParsedSQL parsed;
  if (FParamCheck)
    parsed = IBSQLText::PreprocessParams(text);
  else
    parsed.Text = text;
  const QByteArray bytes = FDatabase->EncodeText(parsed.Text);

  TIBStatus status;
  if (FHandle == 0) {
    isc_dsql_allocate_statement(&status, FDatabase->Handle(), &FHandle);
    FDatabase->Check(status);
  }
  FFields.Resize(0);
  isc_dsql_prepare(&status, FTransaction->Handle(), &FHandle, static_cast<unsigned short>(bytes.size()),
                   bytes.constData(), static_cast<unsigned short>(FDatabase->SQLDialect()), FFields.Data());
  FDatabase->Check(status);

  const QByteArray info = StatementInfo(isc_info_sql_stmt_type);
  FSQLType =
      info.size() > 3
          ? static_cast<TIBSQLTypes>(InfoInteger(info.constData() + 3, InfoLength(info.constData() + 1)))
          : SQLUnknown;
  DescribeInto(FFields, false);
  FParams.Resize(parsed.Names.size());
  isc_dsql_describe_bind(&status, &FHandle, 1, FParams.Data());
  FDatabase->Check(status);
  DescribeInto(FParams, true);
  FParams.Describe(parsed.Names, true);
  FPreparedText = text;
  FPrepared = true;
}

void TIBSQL::DescribeInto(TIBXSQLDA &area, bool input) {
  const XSQLDA *data = area.Data();
  if (data->sqld > data->sqln) {
    const int count = data->sqld;
    area.Resize(count);
    TIBStatus status;
    if (input)
      isc_dsql_describe_bind(&status, &FHandle, 1, area.Data());
    else
      isc_dsql_describe(&status, &FHandle, 1, area.Data());
    FDatabase->Check(status);
  }
  if (!input)
    area.Describe({}, false);
}

void TIBSQL::EnsurePrepared() {
  if (!Prepared())
    Prepare();
}

void TIBSQL::Unprepare() {
  CloseCursor(true);
  if (FHandle != 0) {
    TIBStatus ignored;
    isc_dsql_free_statement(&ignored, &FHandle, DSQL_drop);
    FHandle = 0;
  }
  FPrepared = false;
  FPreparedText.clear();
  FSQLType = SQLUnknown;
  FParams.Clear();
  FFields.Clear();
}

TIBXSQLDA &TIBSQL::Params() {
  EnsurePrepared();
  return FParams;
}

void TIBSQL::ExecQuery() {
  EnsurePrepared();
  CloseCursor(false);
  ResolveConnection();
  FParams.BindParams();
  TIBStatus status;
  const auto dialect = static_cast<unsigned short>(FDatabase->SQLDialect());
  XSQLDA *input = FParams.Count() > 0 ? FParams.Data() : nullptr;
  switch (FSQLType) {
  case SQLSelect:
  case SQLSelectForUpdate:
    isc_dsql_execute(&status, FTransaction->Handle(), &FHandle, dialect, input);
    FDatabase->Check(status);
    FOpen = true;
    FEof = false;
    FBof = true;
    FRecordCount = 0;
    Next();
    break;
  case SQLExecProcedure:
    isc_dsql_execute2(&status, FTransaction->Handle(), &FHandle, dialect, input,
                      FFields.Count() > 0 ? FFields.Data() : nullptr);
    FDatabase->Check(status);
    FEof = FFields.Count() == 0;
    FRecordCount = FEof ? 0 : 1;
    break;
  default:
    isc_dsql_execute(&status, FTransaction->Handle(), &FHandle, dialect, input);
    FDatabase->Check(status);
    FEof = true;
    FRecordCount = 0;
    break;
  }
}

void TIBSQL::CheckOpen() const {
  if (!FOpen)
    throw EDatabaseError(QStringLiteral("Cursor is not open"));
}

bool TIBSQL::Next() {
  CheckOpen();
  if (FEof)
    return false;
  TIBStatus status;
  const ISC_STATUS result =
      isc_dsql_fetch(&status, &FHandle, static_cast<unsigned short>(FDatabase->SQLDialect()), FFields.Data());
  if (result == 100) {
    FEof = true;
    return false;
  }
  FDatabase->Check(status);
  FBof = FRecordCount == 0;
  ++FRecordCount;
  return true;
}

void TIBSQL::CloseCursor(bool ignoreErrors) {
  if (!FOpen)
    return;
  FOpen = false;
  FEof = true;
  TIBStatus status;
  isc_dsql_free_statement(&status, &FHandle, DSQL_close);
  // A cursor that the server already closed (its transaction ended) needs no closing.
  if (!ignoreErrors && FDatabase && status.Failed() && status.Error().ConnectionLost())
    FDatabase->Check(status);
}

void TIBSQL::Close() {
  CloseCursor(false);
  if (FTransaction)
    FTransaction->CheckAutoStop();
}

QByteArray TIBSQL::StatementInfo(char item) {
  if (FHandle == 0)
    throw EDatabaseError(QStringLiteral("Statement is not prepared"));
  for (int size = 1024;; size *= 4) {
    QByteArray buffer(size, '\0');
    TIBStatus status;
    isc_dsql_sql_info(&status, &FHandle, 1, &item, static_cast<short>(std::min(size, 0x7FFF)), buffer.data());
    FDatabase->Check(status);
    if (buffer[0] != isc_info_truncated || size >= 0x7FFF)
      return buffer;
  }
}

QString TIBSQL::Plan() {
  EnsurePrepared();
  const QByteArray info = StatementInfo(isc_info_sql_get_plan);
  if (info[0] != isc_info_sql_get_plan)
    return QString();
  const int length = InfoLength(info.constData() + 1);
  return FDatabase->DecodeText(info.mid(3, length)).trimmed();
}

int TIBSQL::RowsAffected() {
  if (!FPrepared)
    return -1;
  const QByteArray info = StatementInfo(isc_info_sql_records);
  if (info[0] != isc_info_sql_records)
    return -1;
  int selected = 0, changed = 0;
  const int end = 3 + InfoLength(info.constData() + 1);
  for (int i = 3; i < end && info[i] != isc_info_end;) {
    const char item = info[i];
    const int length = InfoLength(info.constData() + i + 1);
    const int count = InfoInteger(info.constData() + i + 3, length);
    if (item == isc_info_req_select_count)
      selected = count;
    else if (item == isc_info_req_insert_count || item == isc_info_req_update_count ||
             item == isc_info_req_delete_count)
      changed += count;
    i += 3 + length;
  }
  return FSQLType == SQLSelect || FSQLType == SQLSelectForUpdate ? selected : changed;
}

void TIBSQL::TransactionEnding() { CloseCursor(true); }

void TIBSQL::DatabaseClosing(bool) { Unprepare(); }

void TIBSQL::DatabaseDestroyed() {
  Unprepare();
  FDatabase = nullptr;
}

void TIBSQL::TransactionDestroyed() {
  CloseCursor(true);
  FTransaction = nullptr;
}
