#include "ExDBGridLayoutStore.h"

#include "Exceptions.h"
#include "Registry.h"

#include <QRegularExpression>

namespace {

constexpr int ManagedValues = 100;

QString ValueName(int index) { return QStringLiteral("Column%1").arg(index); }

} // namespace

QString TExDBGridLayoutStore::Format(const TLayoutEntry &entry) {
  return QLatin1String(entry.Visible ? "True|" : "False|") + entry.FieldName + u',' +
         QString::number(entry.Width);
}

std::optional<TLayoutEntry> TExDBGridLayoutStore::Parse(const QString &value) {
  const qsizetype comma = value.indexOf(u',');
  if (comma < 0)
    return std::nullopt;
  TLayoutEntry entry;
  const qsizetype bar = value.indexOf(u'|');
  if (bar >= 0 && bar < comma) {
    entry.Visible = value.left(bar) == QLatin1String("True");
    entry.FieldName = value.mid(bar + 1, comma - bar - 1);
  } else {
    entry.FieldName = value.left(comma);
  }
  const QString width = value.mid(comma + 1, 20);
  bool ok = false;
  const qlonglong number = width.trimmed().toLongLong(&ok);
  static const QRegularExpression digits(QStringLiteral("^\\s*-?\\d+\\s*$"));
  if (!ok && !digits.match(width).hasMatch())
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(width));
  // A number past any sane width (past 64 bits too) leaves the column's width alone.
  entry.Width = ok && number >= 0 && number <= MaxWidth ? int(number) : -1;
  if (entry.FieldName.isEmpty())
    return std::nullopt;
  return entry;
}

void TExDBGridLayoutStore::Save(const QString &key, const std::vector<TLayoutEntry> &entries) {
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(key, true))
    throw ERegistryException(QStringLiteral("Cannot open the registry key ") + key);
  const int count = int(entries.size());
  for (int i = 0; i < count; ++i)
    registry.WriteString(ValueName(i), Format(entries[size_t(i)]));
  for (int i = count; i <= ManagedValues; ++i)
    registry.DeleteValue(ValueName(i));
  registry.CloseKey();
}

std::optional<std::vector<TLayoutEntry>> TExDBGridLayoutStore::Load(const QString &key) {
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(key, false))
    return std::nullopt;
  std::vector<TLayoutEntry> entries;
  for (int i = 0; i <= ManagedValues; ++i) {
    const QString value = registry.ReadString(ValueName(i));
    if (value.isEmpty())
      break;
    if (std::optional<TLayoutEntry> entry = Parse(value))
      entries.push_back(*entry);
  }
  registry.CloseKey();
  return entries;
}
