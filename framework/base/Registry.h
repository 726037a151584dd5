#pragma once

#include "Exceptions.h"

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

// The registry stand-in: each root key is one INI file in the user's config folder
// ($XDG_CONFIG_HOME/meridox/), keys are groups, "\" separates key names.
enum HKEY : unsigned { HKEY_CURRENT_USER = 0x80000001u, HKEY_LOCAL_MACHINE = 0x80000002u };

class ERegistryException : public Exception {
public:
  using Exception::Exception;
};

class TRegistry {
public:
  TRegistry();
  virtual ~TRegistry();
  TRegistry(const TRegistry &) = delete;
  TRegistry &operator=(const TRegistry &) = delete;

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY key);
  // The open key, without a leading "\"; empty for the root.
  const QString &CurrentPath() const { return FCurrentPath; }
  // The file that holds the root key.
  static QString RootFileName(HKEY key);

  // A key starting with "\" is taken from the root, any other below the open key. Without
  // canCreate a missing key is not opened; returns whether the key is open.
  bool OpenKey(const QString &key, bool canCreate);
  bool KeyExists(const QString &key) const;
  void CloseKey();

  bool ValueExists(const QString &name) const;
  // A missing value reads as an empty string.
  QString ReadString(const QString &name) const;
  void WriteString(const QString &name, const QString &value);
  // A missing or non-numeric value raises ERegistryException.
  int ReadInteger(const QString &name) const;
  void WriteInteger(const QString &name, int value);
  bool DeleteValue(const QString &name);
  QStringList GetValueNames() const;
  QStringList GetKeyNames() const;

private:
  QString Resolve(const QString &key) const;
  QString ValuePath(const QString &name) const;

  HKEY FRootKey = HKEY_CURRENT_USER;
  QString FCurrentPath;
  std::unique_ptr<QSettings> FSettings;
};

// Registry keys used as an ini file: the file name is a key, sections are its subkeys. Reading
// creates nothing.
class TRegIniFile : public TRegistry {
public:
  explicit TRegIniFile(const QString &fileName);

  QString ReadString(const QString &section, const QString &ident, const QString &defaultValue);
  void WriteString(const QString &section, const QString &ident, const QString &value);

private:
  QString SectionKey(const QString &section) const;

  QString FFileName;
};
