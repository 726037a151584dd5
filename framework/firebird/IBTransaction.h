#pragma once

#include "IBDatabase.h"
#include "StringList.h"

#include <QObject>
#include <ibase.h>
#include <vector>

enum TTransactionAction { taRollback, taCommit, taRollbackRetaining, taCommitRetaining };
// What happens when the last dataset of the transaction closes.
enum TAutoStopAction { saNone, saRollback, saCommit, saRollbackRetaining, saCommitRetaining };

// Whatever keeps a cursor open in a transaction.
class TIBTransactionClient {
public:
  virtual ~TIBTransactionClient() = default;
  // A hard commit or rollback is about to end the transaction: cursors close with it.
  virtual void TransactionEnding() = 0;
  // An open cursor (a dataset counts while it is open).
  virtual bool HoldsCursor() const = 0;
  // The transaction object goes away: forget it.
  virtual void TransactionDestroyed() = 0;
};

// A transaction on one database. Params: one option a line ("read_committed", "rec_version",
// "nowait", "concurrency", "consistency", "read", "write", "lock_timeout=10", ...); none means the
// server's default (concurrency, write, wait).
class TIBTransaction : public QObject, public TIBDatabaseClient {
  Q_OBJECT

public:
  explicit TIBTransaction(QObject *owner = nullptr);
  ~TIBTransaction() override;

  TIBDatabase *DefaultDatabase() const { return FDefaultDatabase; }
  void SetDefaultDatabase(TIBDatabase *value);
  TStringList &Params() { return FParams; }
  const TStringList &Params() const { return FParams; }
  // How the transaction ends when its database closes or it is deactivated.
  TTransactionAction DefaultAction() const { return FDefaultAction; }
  void SetDefaultAction(TTransactionAction value) { FDefaultAction = value; }
  TAutoStopAction AutoStopAction() const { return FAutoStopAction; }
  void SetAutoStopAction(TAutoStopAction value) { FAutoStopAction = value; }

  void StartTransaction();
  void Commit();
  void CommitRetaining();
  void Rollback();
  void RollbackRetaining();
  bool InTransaction() const { return FHandle != 0; }
  bool Active() const { return InTransaction(); }
  void SetActive(bool value);
  // Starts the transaction unless it runs.
  void EnsureActive();

  isc_tr_handle *Handle() { return &FHandle; }
  void CheckInTransaction() const;

  void AddClient(TIBTransactionClient *client);
  void RemoveClient(TIBTransactionClient *client);
  // A client closed its cursor; AutoStopAction applies when no client holds one any more.
  void CheckAutoStop();

  void DatabaseClosing(bool connectionLost) override;
  void DatabaseDestroyed() override;

private:
  QByteArray BuildTPB() const;
  void EndCursors();
  void End(TTransactionAction action);

  TIBDatabase *FDefaultDatabase = nullptr;
  TStringList FParams;
  TTransactionAction FDefaultAction = taCommit;
  TAutoStopAction FAutoStopAction = saNone;
  isc_tr_handle FHandle = 0;
  std::vector<TIBTransactionClient *> FClients;
};
