#pragma once

#include <QString>

class TIBScript;
class TStatementGuard;

// Runs a script on the console: the guard's one question before a script that does more than read,
// a commit (retaining) at its end. A failing statement rolls back what is still pending, and its
// error tells which statements had been committed before it: a COMMIT, or a DDL statement, commits
// all that comes before it.
class TConsoleScript {
public:
  TConsoleScript(TIBScript &script, TStatementGuard &guard) : FScript(script), FGuard(guard) {}

  // False when the guard stopped the script (after its boxes); errors of the script go to the caller.
  bool Run(const QString &text);

private:
  void Execute();

  TIBScript &FScript;
  TStatementGuard &FGuard;
};

// The note a failed script's error ends with: how many of its statements, counted from the first, had
// been committed before the failure.
QString ScriptCommittedNote(int committed);
