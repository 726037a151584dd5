#include "SelectReferences.h"
#include "StatementGuard.h"

#include <cstdint>

// Any text as a console statement: the guard's reading of it (leading words, the names a select
// reaches) ends, whatever quotes, comments and parentheses it leaves open.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
  const TSelectReferences references = ScanSelect(text);
  for (const TObjectName &name : references.Sources + references.Calls + references.Casts)
    if (name.Name.size() > text.size())
      __builtin_trap(); // a name is read from the text, never made up
  StatementKind(text, SQLSelect);
  StatementKind(text, SQLExecProcedure);
  ScriptStatementKind(text);
  return 0;
}
