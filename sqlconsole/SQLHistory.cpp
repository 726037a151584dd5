#include "SQLHistory.h"

#include "Exceptions.h"

namespace {
const QString LineBreak = QStringLiteral("\r\n");
}

void TSQLHistory::Add(const QString &text) {
  FEntries.push_back(text.split(LineBreak));
  FIndex = Count() - 1;
}

QString TSQLHistory::Entry(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(QStringLiteral("History index out of bounds (%1)").arg(index));
  return FEntries[std::size_t(index)].join(LineBreak);
}

QString TSQLHistory::Back() {
  if (CanGoBack())
    --FIndex;
  return Entry(FIndex);
}

QString TSQLHistory::Forward() {
  if (CanGoForward())
    ++FIndex;
  return Entry(FIndex);
}
