#include "VersionDescriptor.h"

#include "Common.h"
#include "Exceptions.h"
#include "Win1250.h"

#include <QFile>
#include <algorithm>

namespace {

// A decimal number, as the version's parts are written; anything else is refused clearly.
long long VersionNumber(const QByteArray &text, const QByteArray &version) {
  bool ok = false;
  const long long value = text.toLongLong(&ok, 10);
  if (!ok)
    throw EConvertError(QStringLiteral("Błędny numer wersji w pliku meridox_sec.ver: ") +
                        Win1250::Decode(version));
  return value;
}

bool IsBlank(const QByteArray &line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

} // namespace

QList<QByteArray> SplitDescriptorLines(const QByteArray &content) {
  QList<QByteArray> lines;
  for (QByteArray line : content.split('\n')) {
    if (line.endsWith('\r'))
      line.chop(1);
    lines.append(line);
  }
  return lines;
}

bool ReadDescriptorLines(const QString &fileName, QList<QByteArray> &lines) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  lines = SplitDescriptorLines(file.readAll());
  return true;
}

TDescriptorResult FindUpgrade(const QList<QByteArray> &lines, std::uint16_t installedMajor,
                              std::uint16_t installedMinor, const std::function<bool()> &confirmNotNewer) {
  const TDescriptorResult stopped{TDescriptorOutcome::Stopped, QString()};
  for (const QByteArray &line : lines) {
    if (IsBlank(line))
      continue;
    TTokenizer tokenizer;
    InitTokenizer(tokenizer, line);
    QByteArray token;
    if (!NextToken(tokenizer, token))
      return stopped;
    if (token.toUpper() != "P")
      continue;
    QByteArray version;
    if (!NextToken(tokenizer, version) || !version.contains('.'))
      return stopped;
    const qsizetype dot = version.indexOf('.');
    const long long major = VersionNumber(version.left(dot), version);
    const long long minor = VersionNumber(version.mid(dot + 1, 100), version);
    if (major != installedMajor)
      continue;
    if (minor <= installedMinor && !(confirmNotNewer && confirmNotNewer()))
      return stopped;
    QByteArray address;
    if (!NextToken(tokenizer, address))
      return stopped;
    return {TDescriptorOutcome::Found, Win1250::Decode(address)};
  }
  return {TDescriptorOutcome::NotFound, QString()};
}
