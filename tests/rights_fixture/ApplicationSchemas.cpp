#include "ApplicationSchemas.h"

#include "ApplicationDatabase.h"

#include <map>
#include <stdexcept>

namespace {

struct GroupSchema {
  ApplicationUserTable UserTable;
  QStringList Sisters;
  // {key} is the login column's type, {uid} VELDAR's and GRESSON's UID column, {check} BAVIRO's.
  QStringList Statements;
};

const QString kPlomerLike = QStringLiteral(
    "create table USERS (UID integer not null primary key, ID integer, PESEL varchar(11), IMIE varchar(50), "
    "NAZWISKO varchar(50), USR_NAME {key}, PRAWA integer)");
const QString kSarnikLike = QStringLiteral(
    "create table USERS (ID integer not null primary key, PESEL varchar(11), IMIE varchar(50), "
    "NAZWISKO varchar(50), USR_NAME {key}, ROLE_NAME varchar(31), OPCJE integer)");
const QString kTulvarLike = QStringLiteral(
    "create table USERS (ID integer not null primary key, USERNAME {key}, PIM varchar(50), NZW varchar(50), "
    "ACCESS integer)");
const QString kDravelLike = QStringLiteral(
    "create table %1 (UID integer not null primary key, ID integer, PESEL varchar(11), USR_NAME {key}, "
    "IMIE varchar(50), NAZWISKO varchar(50), PRINT integer, EDIT integer, ADM integer, ROLE_NAME "
    "varchar(31), "
    "ID_OSOBY integer)");

const std::map<QString, GroupSchema> &Schemas() {
  static const std::map<QString, GroupSchema> schemas = {
      {"KORVIN",
       {{"KN_USERS", "KNNAME"},
        {},
        {"create generator KN_USERS_GEN", "create table KN_USERS (ID integer not null primary key, NAME "
                                          "varchar(120), KNNAME {key}, RIGHTS integer, "
                                          "RIGHTSEX integer, OBJRIGHTS integer, OLDID integer)"}}},
      {"VELDAR",
       {{"USERS", "USR_NAME"},
        {".fdd", ".fdr"},
        {"create generator UID_USERS_G",
         "create table USERS (UID {uid}, ID integer, PESEL varchar(11), IMIE varchar(50), NAZWISKO "
         "varchar(50), "
         "USR_NAME {key}, PRINT integer, EDIT integer, ADM integer, EXP integer, ROLE_NAME varchar(31), "
         "ID_OSOBY integer)"}}},
      {"PLOMER",
       {{"USERS", "USR_NAME"},
        {},
        {"create generator UID_USERS_G", "create generator USERS_G", kPlomerLike}}},
      {"SARNIK", {{"USERS", "USR_NAME"}, {".fdr"}, {"create generator G_LOG", kSarnikLike}}},
      {"TULVAR", {{"USERS", "USERNAME"}, {}, {"create generator ID_USERS_G", kTulvarLike}}},
      {"BRONTEL",
       {{"USERS", "USR_NAME"},
        {},
        {"create generator G_LOG",
         "create table USERS (ID integer not null primary key, IMIE varchar(50), NAZWISKO varchar(50), "
         "USR_NAME {key}, ROLE_NAME varchar(31), OPCJE integer, ILE integer)"}}},
      {"FENNO",
       {{"USERS", "USR_NAME"},
        {},
        {"create generator UID_USERS_G", "create generator USERS_G", kPlomerLike}}},
      {"DRAVEL",
       {{"DZUSERS", "USR_NAME"},
        {},
        {"create generator UID_USERS_G", "create generator USERS_G", kDravelLike.arg("DZUSERS")}}},
      {"HOLMAR",
       {{"USERS", "USR_NAME"},
        {},
        {"create generator UID_USERS_G", "create generator USERS_G", kDravelLike.arg("USERS")}}},
      {"GRESSON",
       {{"UZYTKOWNIK", "NAZWA"},
        {},
        {"create generator UZYTKOWNIK_UID_GEN",
         "create table UZYTKOWNIK (UID {uid}, NAZWA {key}, OPIS varchar(120))"}}},
      {"PELKAR",
       {{"USERS", "USERNAME"},
        {},
        {"create generator ID_USERS_G",
         "create table USERS (ID integer not null primary key, PIM varchar(50), NZW varchar(50), PSL "
         "varchar(11), "
         "PRINT integer, EDIT integer, ADM integer, USERNAME {key}, ROLENAME varchar(31))"}}},
      {"NIRVOS", {{"USERS", "USERNAME"}, {}, {"create generator USERS_ID_GEN", kTulvarLike}}},
      {"TESSAL",
       {{"USERS", "USR_NAME"},
        {".fdr"},
        {"create generator USERSG", "create table USERS (UID integer not null primary key, ID integer, PESEL "
                                    "varchar(11), USR_NAME {key}, "
                                    "IMIE varchar(50), NAZWISKO varchar(50), PRINT integer, EDIT integer, "
                                    "ADM integer, ROLE_NAME varchar(31), "
                                    "PRAWA varchar(64), OPCJE integer)"}}},
      {"QUENTO",
       {{"USERS", "USR_NAME"},
        {".fdr"},
        {"create generator UID_USERS_G", "create generator USERS_G", kPlomerLike}}},
      {"BAVIRO",
       {{"USERS", "USR_NAME"},
        {},
        {"create generator G_LOG",
         "create table USERS (ID integer not null primary key, PESEL varchar(11), IMIE varchar(50), "
         "NAZWISKO varchar(50), USR_NAME {key}, ROLE_NAME varchar(31), OPCJE integer, PKANC integer)",
         "create table SPRAWY (ID integer not null primary key, SYGNATURA varchar(30))",
         // The insert of the case-file rights is positional: the case, the user, the right.
         "create table PRAWA (ID_SPRAWY integer not null, IDO integer not null, PRAWO smallint{check})"}}},
      {"SOLMET", {{"USERS", "USR_NAME"}, {".fdr"}, {"create generator G_LOG", kSarnikLike}}},
      {"TORMISK",
       {{"TK_USERS", "TKNAZWA"},
        {},
        {"create generator TK_USERS_ID_GEN", "create table TK_USERS (ID integer not null primary key, PRAWA "
                                             "integer, TKNAZWA {key}, NAZWA varchar(120))"}}},
      {"KAPRENA",
       {{"USERS", "USR_NAME"},
        {},
        {"create generator G_LOG",
         "create table USERS (ID integer not null primary key, IMIE varchar(50), NAZWISKO varchar(50), "
         "USR_NAME {key}, ROLE_NAME varchar(31), OPCJE integer)"}}},
  };
  return schemas;
}

const GroupSchema &SchemaOf(const QString &group) {
  const auto found = Schemas().find(group);
  if (found == Schemas().end())
    throw std::invalid_argument("no application database for the group " + group.toStdString());
  return found->second;
}

bool HasNullableUid(const QString &group) { return group == "VELDAR" || group == "GRESSON"; }

} // namespace

ApplicationUserTable UserTableOf(const QString &group) { return SchemaOf(group).UserTable; }

QStringList SisterExtensionsOf(const QString &group) { return SchemaOf(group).Sisters; }

QStringList SchemaStatements(const QString &group, const ApplicationDatabaseOptions &options) {
  if (options.NullableUid && !HasNullableUid(group))
    throw std::invalid_argument("only VELDAR and GRESSON have a UID that may be null");
  if (options.RightBelowTwo && group != "BAVIRO")
    throw std::invalid_argument("only BAVIRO keeps case-file rights");
  QStringList statements;
  for (QString statement : SchemaOf(group).Statements) {
    statement.replace("{key}",
                      QStringLiteral("varchar(%1)").arg(options.KeyLength > 0 ? options.KeyLength : 31));
    statement.replace("{uid}", options.NullableUid ? "integer" : "integer not null primary key");
    statement.replace("{check}", options.RightBelowTwo ? " check (PRAWO < 2)" : "");
    statements.append(statement);
  }
  return statements;
}

QStringList StartingRows(const QString &group, const ApplicationDatabaseOptions &options) {
  QStringList rows;
  if (group == "BAVIRO")
    rows << "insert into SPRAWY (ID, SYGNATURA) values (1, 'I C 12/24')"
         << "insert into SPRAWY (ID, SYGNATURA) values (2, 'II K 7/23')"
         << "insert into SPRAWY (ID, SYGNATURA) values (5, 'Ns 115/22')";
  if (options.NullableUid) {
    const ApplicationUserTable table = UserTableOf(group);
    rows << QStringLiteral("insert into %1 (UID, %2) values (null, 'BEZ_UID')")
                .arg(table.Table, table.KeyColumn);
  }
  return rows;
}
