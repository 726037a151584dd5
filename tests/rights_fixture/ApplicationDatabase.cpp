#include "ApplicationDatabase.h"

#include "ApplicationSchemas.h"
#include "ProgramGroups.h"
#include "TestConnection.h"
#include "UAdminRights.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

QString SisterOf(const QString &path, const QString &extension) {
  const QFileInfo file(path);
  return file.path() + u'/' + file.completeBaseName() + extension;
}

} // namespace

// A SYSDBA connection to one file; each read commits, so that the next one sees what the program
// under test committed meanwhile.
class ApplicationDatabase::Reader : public TestConnection {
public:
  using TestConnection::TestConnection;
  QList<QVariant> ReadCommitted(const QString &sql) {
    const QList<QVariant> values = Read(sql);
    Transaction.Commit();
    Transaction.StartTransaction();
    return values;
  }
};

ApplicationDatabase::ApplicationDatabase(const QString &group, const ApplicationDatabaseOptions &options)
    : FGroup(group), FMain(group.toLower()) {
  if (ProgramGroupIndex(group) < 0)
    throw std::invalid_argument("not a program group: " + group.toStdString());
  FMain.Create(options.CharacterSet);
  FMain.Execute(RoleStatements(options, false) + SchemaStatements(group, options));
  if (const QStringList rows = StartingRows(group, options); !rows.isEmpty())
    FMain.Execute(rows);
  for (const QString &extension : SisterExtensionsOf(group))
    if (!options.MissingSisters.contains(extension))
      CreateSister(extension, options);
}

ApplicationDatabase::~ApplicationDatabase() {
  FReaders.clear();
  if (!FGarbage.isEmpty())
    QFile::remove(FGarbage);
}

void ApplicationDatabase::CreateSister(const QString &extension, const ApplicationDatabaseOptions &options) {
  const QString path = SisterPath(extension);
  if (extension == options.GarbageSister) {
    QFile garbage(path);
    if (!garbage.open(QIODevice::WriteOnly))
      throw std::runtime_error("cannot write " + path.toStdString());
    garbage.write(QByteArray(4096, '\x5A').prepend("Nie jest to baza danych.\r\n"));
    FGarbage = path;
    return;
  }
  auto sister = std::make_unique<ScratchDatabase>(ScratchDatabase::AtPath{path});
  sister->Create(options.CharacterSet);
  sister->Execute(RoleStatements(options, extension == options.SisterWithoutAdministrators));
  FSisters[extension] = std::move(sister);
}

QStringList ApplicationDatabase::RoleStatements(const ApplicationDatabaseOptions &options,
                                                bool withoutAdministrators) const {
  const TProgramGroup &group = ProgramGroups()[static_cast<size_t>(ProgramGroupIndex(FGroup))];
  QStringList statements{QStringLiteral("create role ") + group.ReadRole};
  if (!options.WithoutWriteRole)
    statements << QStringLiteral("create role ") + group.WriteRole;
  if (!withoutAdministrators)
    for (const QString &administrator : options.Administrators)
      statements << QStringLiteral("grant RDB$ADMIN to ") + QuotedIdentifier(administrator);
  return statements;
}

QString ApplicationDatabase::SisterPath(const QString &extension) const {
  return SisterOf(FMain.Path(), extension);
}

ScratchDatabase &ApplicationDatabase::Sister(const QString &extension) {
  const auto found = FSisters.find(extension);
  if (found == FSisters.end())
    throw std::invalid_argument(FGroup.toStdString() + " has no sister database " + extension.toStdString());
  return *found->second;
}

QList<QVariant> ApplicationDatabase::Read(const QString &sql, const QString &extension) {
  std::unique_ptr<Reader> &reader = FReaders[extension];
  if (!reader)
    reader = std::make_unique<Reader>(extension.isEmpty() ? FMain.DatabaseName()
                                                          : Sister(extension).DatabaseName());
  return reader->ReadCommitted(sql);
}

QVariant ApplicationDatabase::QueryValue(const QString &sql) {
  const QList<QVariant> values = Read(sql, QString());
  return values.isEmpty() ? QVariant() : values.first();
}

QStringList ApplicationDatabase::RolesOf(const QString &user, const QString &extension) {
  QStringList roles;
  for (const QVariant &role :
       Read(QStringLiteral("select trim(RDB$RELATION_NAME) from RDB$USER_PRIVILEGES where RDB$USER = '%1' "
                           "and RDB$USER_TYPE = 8 and RDB$OBJECT_TYPE = 13")
                .arg(QString(user).replace(u'\'', QStringLiteral("''"))),
            extension))
    roles << role.toString();
  roles.sort();
  return roles;
}
