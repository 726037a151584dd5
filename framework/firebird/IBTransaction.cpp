#include "IBTransaction.h"

#include "IBError.h"
#include "IBParamBlock.h"

#include <algorithm>

namespace {

struct TTPBName {
  const char *Name;
  char Tag;
};

constexpr TTPBName kTPBNames[] = {
    {"consistency", isc_tpb_consistency},
    {"concurrency", isc_tpb_concurrency},
    {"shared", isc_tpb_shared},
    {"protected", isc_tpb_protected},
    {"exclusive", isc_tpb_exclusive},
    {"wait", isc_tpb_wait},
    {"nowait", isc_tpb_nowait},
    {"read", isc_tpb_read},
    {"write", isc_tpb_write},
    {"read_committed", isc_tpb_read_committed},
    {"rec_version", isc_tpb_rec_version},
    {"no_rec_version", isc_tpb_no_rec_version},
    {"autocommit", isc_tpb_autocommit},
    {"no_auto_undo", isc_tpb_no_auto_undo},
    {"ignore_limbo", isc_tpb_ignore_limbo},
    {"lock_timeout", isc_tpb_lock_timeout},
};

} // namespace

TIBTransaction::TIBTransaction(QObject *owner) : QObject(owner) {}

TIBTransaction::~TIBTransaction() {
  try {
    SetActive(false);
  } catch (const Exception &) {
    FHandle = 0;
  }
  for (TIBTransactionClient *client : std::vector(FClients))
    client->TransactionDestroyed();
  SetDefaultDatabase(nullptr);
}

void TIBTransaction::DatabaseDestroyed() {
  FHandle = 0;
  FDefaultDatabase = nullptr;
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase *value) {
  if (value == FDefaultDatabase)
    return;
  if (InTransaction())
    throw EDatabaseError(QStringLiteral("Cannot change the database of an active transaction"));
  if (FDefaultDatabase)
    FDefaultDatabase->RemoveTransaction(this);
  FDefaultDatabase = value;
  if (FDefaultDatabase)
    FDefaultDatabase->AddTransaction(this);
}

QByteArray TIBTransaction::BuildTPB() const {
  TIBParamBlock tpb(isc_tpb_version3);
  for (int i = 0; i < FParams.Count(); ++i) {
    const QString line = FParams[i].trimmed().toLower();
    if (line.isEmpty())
      continue;
    const QString name = line.section(u'=', 0, 0).trimmed();
    const auto found = std::find_if(std::begin(kTPBNames), std::end(kTPBNames),
                                    [&](const TTPBName &n) { return name == QLatin1String(n.Name); });
    if (found == std::end(kTPBNames))
      throw EDatabaseError(QStringLiteral("Unknown transaction parameter \"%1\"").arg(name));
    if (found->Tag == isc_tpb_lock_timeout)
      tpb.AddInt(found->Tag, line.section(u'=', 1).trimmed().toInt());
    else
      tpb.AddTag(found->Tag);
  }
  return tpb.Length() > 1 ? tpb.Bytes() : QByteArray();
}

void TIBTransaction::CheckInTransaction() const {
  if (!InTransaction())
    throw EDatabaseError(QStringLiteral("Transaction is not active"));
}

void TIBTransaction::StartTransaction() {
  if (InTransaction())
    throw EDatabaseError(QStringLiteral("Transaction is active"));
  if (!FDefaultDatabase)
    throw EDatabaseError(QStringLiteral("Transaction has no database"));
  FDefaultDatabase->CheckConnected();
  QByteArray tpb = BuildTPB();
  TIBStatus status;
  isc_start_transaction(&status, &FHandle, 1, FDefaultDatabase->Handle(),
                        static_cast<unsigned short>(tpb.size()), tpb.isEmpty() ? nullptr : tpb.data());
  if (status.Failed())
    FHandle = 0;
  FDefaultDatabase->Check(status);
}

void TIBTransaction::EnsureActive() {
  if (!InTransaction())
    StartTransaction();
}

void TIBTransaction::EndCursors() {
  for (TIBTransactionClient *client : std::vector(FClients))
    client->TransactionEnding();
}

void TIBTransaction::End(TTransactionAction action) {
  CheckInTransaction();
  const bool hard = action == taCommit || action == taRollback;
  if (hard)
    EndCursors();
  TIBStatus status;
  switch (action) {
  case taCommit: isc_commit_transaction(&status, &FHandle); break;
  case taRollback: isc_rollback_transaction(&status, &FHandle); break;
  case taCommitRetaining: isc_commit_retaining(&status, &FHandle); break;
  case taRollbackRetaining: isc_rollback_retaining(&status, &FHandle); break;
  }
  // A rollback that fails still leaves the transaction unusable; forget its handle.
  if (status.Failed() && action == taRollback)
    FHandle = 0;
  if (FDefaultDatabase)
    FDefaultDatabase->Check(status);
  else
    status.Check();
}

void TIBTransaction::Commit() { End(taCommit); }
void TIBTransaction::CommitRetaining() { End(taCommitRetaining); }
void TIBTransaction::Rollback() { End(taRollback); }
void TIBTransaction::RollbackRetaining() { End(taRollbackRetaining); }

void TIBTransaction::SetActive(bool value) {
  if (value == InTransaction())
    return;
  if (value)
    StartTransaction();
  else if (FDefaultAction == taCommit || FDefaultAction == taCommitRetaining)
    Commit();
  else
    Rollback();
}

void TIBTransaction::DatabaseClosing(bool connectionLost) {
  if (!InTransaction())
    return;
  if (!connectionLost) {
    SetActive(false);
    return;
  }
  EndCursors();
  TIBStatus ignored;
  isc_rollback_transaction(&ignored, &FHandle);
  FHandle = 0;
}

void TIBTransaction::AddClient(TIBTransactionClient *client) {
  if (std::find(FClients.begin(), FClients.end(), client) == FClients.end())
    FClients.push_back(client);
}

void TIBTransaction::RemoveClient(TIBTransactionClient *client) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

void TIBTransaction::CheckAutoStop() {
  if (FAutoStopAction == saNone || !InTransaction())
    return;
  if (std::any_of(FClients.begin(), FClients.end(),
                  [](const TIBTransactionClient *c) { return c->HoldsCursor(); }))
    return;
  switch (FAutoStopAction) {
  case saNone: break;
  case saRollback: Rollback(); break;
  case saCommit: Commit(); break;
  case saRollbackRetaining: RollbackRetaining(); break;
  case saCommitRetaining: CommitRetaining(); break;
  }
}
