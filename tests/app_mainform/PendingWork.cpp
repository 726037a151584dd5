#include "PendingWork.h"

#include "IBSQL.h"
#include "IBTransaction.h"
#include "USqlMon.h"

void LeavePendingWork(TSQLMonitorForm &monitor, const QString &sql) {
  TIBSQL statement;
  statement.SetDatabase(monitor.IBTransaction->DefaultDatabase());
  statement.SetTransaction(monitor.IBTransaction);
  statement.SQL().SetText(sql);
  statement.ExecQuery();
}
