#include "Registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString Normalized(const QString &key) {
  QStringList parts = QString(key).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
  return parts.join(u'/');
}

// A key exists once it has been created (its marker is written) or holds values or subkeys.
const QString KeyMarker = QStringLiteral(".key");

} // namespace

TRegistry::TRegistry() { SetRootKey(HKEY_CURRENT_USER); }

TRegistry::~TRegistry() = default;

QString TRegistry::RootFileName(HKEY key) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString name = key == HKEY_LOCAL_MACHINE ? QStringLiteral("HKEY_LOCAL_MACHINE.ini")
                                                 : QStringLiteral("HKEY_CURRENT_USER.ini");
  return folder + QStringLiteral("/meridox/") + name;
}

void TRegistry::SetRootKey(HKEY key) {
  FRootKey = key;
  FCurrentPath.clear();
  FSettings = std::make_unique<QSettings>(RootFileName(key), QSettings::IniFormat);
}

QString TRegistry::Resolve(const QString &key) const {
  if (key.startsWith(u'\\') || key.startsWith(u'/') || FCurrentPath.isEmpty())
    return Normalized(key);
  return Normalized(FCurrentPath + u'/' + key);
}

QString TRegistry::ValuePath(const QString &name) const {
  return FCurrentPath.isEmpty() ? name : FCurrentPath + u'/' + name;
}

bool TRegistry::KeyExists(const QString &key) const {
  const QString path = Resolve(key);
  if (path.isEmpty())
    return true;
  FSettings->beginGroup(path);
  const bool exists = !FSettings->allKeys().isEmpty();
  FSettings->endGroup();
  return exists;
}

bool TRegistry::OpenKey(const QString &key, bool canCreate) {
  const QString path = Resolve(key);
  if (!KeyExists(QStringLiteral("\\") + path)) {
    if (!canCreate)
      return false;
    FSettings->setValue(path + u'/' + KeyMarker, QString());
    FSettings->sync();
    if (FSettings->status() != QSettings::NoError)
      throw ERegistryException(QStringLiteral("Failed to create key %1").arg(key));
  }
  FCurrentPath = path;
  return true;
}

void TRegistry::CloseKey() { FCurrentPath.clear(); }

bool TRegistry::ValueExists(const QString &name) const { return FSettings->contains(ValuePath(name)); }

QString TRegistry::ReadString(const QString &name) const {
  return FSettings->value(ValuePath(name)).toString();
}

void TRegistry::WriteString(const QString &name, const QString &value) {
  FSettings->setValue(ValuePath(name), value);
  FSettings->sync();
  if (FSettings->status() != QSettings::NoError)
    throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
}

int TRegistry::ReadInteger(const QString &name) const {
  bool ok = false;
  const int value = FSettings->value(ValuePath(name)).toInt(&ok);
  if (!ok)
    throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
  return value;
}

void TRegistry::WriteInteger(const QString &name, int value) { WriteString(name, QString::number(value)); }

bool TRegistry::DeleteValue(const QString &name) {
  if (!ValueExists(name))
    return false;
  FSettings->remove(ValuePath(name));
  FSettings->sync();
  return true;
}

QStringList TRegistry::GetValueNames() const {
  FSettings->beginGroup(FCurrentPath);
  QStringList names = FSettings->childKeys();
  FSettings->endGroup();
  names.removeAll(KeyMarker);
  return names;
}

QStringList TRegistry::GetKeyNames() const {
  FSettings->beginGroup(FCurrentPath);
  const QStringList names = FSettings->childGroups();
  FSettings->endGroup();
  return names;
}

TRegIniFile::TRegIniFile(const QString &fileName) : FFileName(fileName) {}

QString TRegIniFile::SectionKey(const QString &section) const {
  return QStringLiteral("\\") + Normalized(FFileName) + QStringLiteral("\\") + section;
}

QString TRegIniFile::ReadString(const QString &section, const QString &ident, const QString &defaultValue) {
  if (!OpenKey(SectionKey(section), false) || !ValueExists(ident))
    return defaultValue;
  return TRegistry::ReadString(ident);
}

void TRegIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
  OpenKey(SectionKey(section), true);
  TRegistry::WriteString(ident, value);
}
