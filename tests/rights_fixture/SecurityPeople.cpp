#include "SecurityPeople.h"

#include "IBDatabase.h"
#include "NumberRows.h"
#include "TestServer.h"
#include "UDMSecurity.h"

#include <stdexcept>

namespace {

QString Literal(const QVariant &value) {
  return value.isNull() ? QStringLiteral("null")
                        : u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace

SecurityPeople::SecurityPeople() : FDb(QStringLiteral("security")) {
  {
    TDMSecurity module;
    module.SecurityAlias = FDb.Path();
    module.CreateSecurityDatabase(FDb.Server(), TestServer::SysdbaPassword());
    module.Database->Close();
  }
  // Connecting once brings the schema to the latest version.
  Connect()->Database->Close();
  const std::vector<SecurityPerson> people = {
      {"NOWAK", {}, QString::fromUtf8("Łukasz"), "Nowak", "85030412345", "GEODEZJA"},
      {"NOWAKOWA", {}, "Anna", "Nowak", "85030422346", "GEODEZJA"},
      {"ZIELINSKA",
       {},
       QString::fromUtf8("Żaneta"),
       QString::fromUtf8("Zielińska"),
       "1234567890",
       "GEODEZJA"},
      {"WOJCIK", {}, QString::fromUtf8("Ścibor"), QString::fromUtf8("Wójcik"), "12345A78901", "geodezja"},
      {"CWIK", {}, QString::fromUtf8("Gaweł"), QString::fromUtf8("Ćwik"), "92111298765", "KADRY"},
      {"ADAMCZYK", {}, "Jan", "Adamczyk", "90010112345", QVariant()},
  };
  QStringList inserts;
  for (SecurityPerson person : people) {
    person.Name = FDb.CreateServerUser(person.Stem, PersonPassword());
    inserts << QStringLiteral(
                   "insert into USERS (USER_NAME, PSWD_DATE, FIRST_NAME, SECOND_NAME, USER_ID, "
                   "PSWD_VALID, GRUPA, PSWD_ALWAYS_VALID) values (%1, current_timestamp, %2, %3, %4, 1, "
                   "%5, 0)")
                   .arg(Literal(person.Name), Literal(person.FirstName), Literal(person.Surname),
                        Literal(person.Pesel), Literal(person.Group));
    FPeople.push_back(person);
  }
  FAdministrator = FDb.CreateServerUser(QStringLiteral("ADMIN"), AdministratorPassword());
  inserts << QStringLiteral("grant RDB$ADMIN to %1").arg(FAdministrator);
  FDb.Execute(inserts);
}

SecurityPeople::~SecurityPeople() = default;

const SecurityPerson &SecurityPeople::Person(const QString &stem) const {
  for (const SecurityPerson &person : FPeople)
    if (person.Stem == stem)
      return person;
  throw std::invalid_argument("no such person: " + stem.toStdString());
}

std::unique_ptr<TDMSecurity> SecurityPeople::Connect(const QString &user, const QString &password) {
  auto module = std::make_unique<TDMSecurity>();
  module->SecurityAlias = FDb.Path();
  const bool sysdba = user.isEmpty();
  if (!module->Connect(FDb.Server(), sysdba ? QStringLiteral("SYSDBA") : user,
                       sysdba ? TestServer::SysdbaPassword() : password))
    throw std::runtime_error("the login may not administer the security database");
  return module;
}

std::unique_ptr<TDMSecurity> SecurityPeople::ConnectAsAdministrator() {
  return Connect(FAdministrator, AdministratorPassword());
}

void SecurityPeople::AddMany(const QString &stem, int count, const QString &group) {
  FDb.Execute(
      QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, SECOND_NAME, USER_ID, PSWD_VALID, GRUPA) "
                     "select '%1' || lpad(n, 5, '0'), 'Imię ' || n, 'Nazwisko ' || lpad(n, 5, '0'), "
                     "'00000000000', 1, %2 from %3 where n < %4")
          .arg(stem, Literal(group), NumberRows(5))
          .arg(count));
}
