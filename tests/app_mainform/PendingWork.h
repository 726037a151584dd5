#pragma once

#include <QString>

class TSQLMonitorForm;

// Runs the statement in the console's own transaction and leaves it uncommitted: the work a person
// confirmed in the console and has not committed yet.
void LeavePendingWork(TSQLMonitorForm &monitor, const QString &sql);
