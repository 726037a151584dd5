#include "ProgramUserTables.h"

#include "Exceptions.h"
#include "ProgramGroups.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace {

using V = TRightsValue;

const QString kSelectUsers = QStringLiteral("Select * from USERS");

TPersonalColumns Separate(const char *firstName, const char *surname, const char *pesel = "") {
  return {.FirstName = QString::fromLatin1(firstName),
          .Surname = QString::fromLatin1(surname),
          .Pesel = QString::fromLatin1(pesel)};
}

TPersonalColumns Whole(const char *column) { return {.FullName = QString::fromLatin1(column)}; }

// PLOMER, FENNO and QUENTO share the table; FENNO and QUENTO write the first two assignments with
// a blank before the equals signs.
TProgramUserTable PlomerLike(const char *idAndPesel, TRightsValue prawa, const QString &control = {}) {
  return {.Table = QStringLiteral("USERS"),
          .KeyColumn = QStringLiteral("USR_NAME"),
          .SelectSQL = kSelectUsers,
          .ModifySQL =
              QStringLiteral(
                  "Update USERS set %1, IMIE =:IMIE, NAZWISKO =:NAZWISKO, USR_NAME =:USR_NAME, UID =:UID, "
                  "PRAWA =:PRAWA where UID =:OLD_UID")
                  .arg(QString::fromLatin1(idAndPesel)),
          .InsertSQL =
              QStringLiteral("Insert into USERS (ID, PESEL, IMIE, NAZWISKO, USR_NAME, UID, PRAWA) "
                             "values(GEN_ID(USERS_G,1), :PESEL, :IMIE, :NAZWISKO, :USR_NAME, :UID, :PRAWA)"),
          .GeneratorField = QStringLiteral("UID"),
          .Generator = QStringLiteral("UID_USERS_G"),
          .Personal = Separate("IMIE", "NAZWISKO", "PESEL"),
          .Rights = {{QStringLiteral("PRAWA"), prawa, control}}};
}

// SARNIK and SOLMET share the table; SOLMET writes "PESEL =:PESEL".
TProgramUserTable SarnikLike(const char *pesel, TRightsValue opcje, const QString &control,
                             const QString &sister) {
  return {
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
                       "Update USERS set ID =:ID, %1, IMIE =:IMIE, NAZWISKO =:NAZWISKO, USR_NAME =:USR_NAME, "
                       "ROLE_NAME =:ROLE_NAME, OPCJE =:OPCJE where ID =:OLD_ID")
                       .arg(QString::fromLatin1(pesel)),
      .InsertSQL = QStringLiteral("Insert into USERS (ID, PESEL, IMIE, NAZWISKO, USR_NAME, ROLE_NAME, OPCJE) "
                                  "values(:ID, :PESEL, :IMIE, :NAZWISKO, :USR_NAME, :ROLE_NAME, :OPCJE)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("G_LOG"),
      .Personal = Separate("IMIE", "NAZWISKO", "PESEL"),
      .Rights = {{QStringLiteral("OPCJE"), opcje, control}},
      .RoleColumn = QStringLiteral("ROLE_NAME"),
      .Sisters = {{sister, TSisterLevel::AsTab}}};
}

// TULVAR and NIRVOS share the table.
TProgramUserTable TulvarLike(const char *generator, TRightsValue access, const QString &control) {
  return {.Table = QStringLiteral("USERS"),
          .KeyColumn = QStringLiteral("USERNAME"),
          .SelectSQL = kSelectUsers,
          .ModifySQL = QStringLiteral(
              "Update USERS set ID =:ID, USERNAME =:USERNAME, PIM =:PIM, NZW =:NZW, ACCESS =:ACCESS "
              "where ID =:OLD_ID"),
          .InsertSQL = QStringLiteral(
              "Insert into USERS (ID, USERNAME, PIM, NZW, ACCESS) values(:ID, :USERNAME, :PIM, :NZW, "
              ":ACCESS)"),
          .GeneratorField = QStringLiteral("ID"),
          .Generator = QString::fromLatin1(generator),
          .Personal = Separate("PIM", "NZW"),
          .Rights = {{QStringLiteral("ACCESS"), access, control}}};
}

// DRAVEL (DZUSERS) and HOLMAR (USERS) share the table's shape; their "Zarządca" boxes differ.
TProgramUserTable DravelLike(const QString &table, const char *adm, const char *print, const char *edit,
                             const char *extraBlank) {
  return {
      .Table = table,
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = QStringLiteral("Select * from ") + table,
      .ModifySQL =
          QStringLiteral(
              "Update %1 set ID =:ID, PESEL =:PESEL, USR_NAME =:USR_NAME, IMIE =:IMIE, NAZWISKO =:NAZWISKO, "
              "PRINT =:PRINT, EDIT =:EDIT, ADM =:ADM, ROLE_NAME =:ROLE_NAME, UID =:UID, ID_OSOBY =:ID_OSOBY "
              "where UID =:OLD_UID")
              .arg(table),
      .InsertSQL =
          QStringLiteral(
              "Insert into %1 (ID, PESEL, USR_NAME, IMIE, NAZWISKO, PRINT, EDIT, ADM, ROLE_NAME, UID, "
              "ID_OSOBY%2) values(GEN_ID(USERS_G,1), :PESEL, :USR_NAME, :IMIE, :NAZWISKO, :PRINT, :EDIT, "
              ":ADM, :ROLE_NAME, :UID, :ID_OSOBY)")
              .arg(table, QString::fromLatin1(extraBlank)),
      .GeneratorField = QStringLiteral("UID"),
      .Generator = QStringLiteral("UID_USERS_G"),
      .Personal = Separate("IMIE", "NAZWISKO", "PESEL"),
      .Rights = {{QStringLiteral("ADM"), V::Box, QString::fromLatin1(adm)},
                 {QStringLiteral("PRINT"), V::Box, QString::fromLatin1(print)},
                 {QStringLiteral("EDIT"), V::Box, QString::fromLatin1(edit)}},
      .RoleColumn = QStringLiteral("ROLE_NAME")};
}

// Built once, in the order of the program groups.
std::array<TProgramUserTable, ProgramGroupCount> BuildTables() {
  TProgramUserTable korvin{
      .Table = QStringLiteral("KN_USERS"),
      .KeyColumn = QStringLiteral("KNNAME"),
      .SelectSQL = QStringLiteral("Select * from KN_USERS"),
      .ModifySQL = QStringLiteral(
          "Update KN_USERS set ID=:ID, NAME=:NAME, KNNAME=:KNNAME, RIGHTS =:RIGHTS, RIGHTSEX =:RIGHTSEX, "
          "OBJRIGHTS =:OBJRIGHTS, OLDID =:OLDID where ID =:OLD_ID"),
      .InsertSQL = QStringLiteral(
          "Insert into KN_USERS (ID, NAME, KNNAME, RIGHTS, RIGHTSEX, OBJRIGHTS, OLDID) values(:ID, :NAME, "
          ":KNNAME, :RIGHTS, :RIGHTSEX, :OBJRIGHTS, :OLDID)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("KN_USERS_GEN"),
      .Personal = Whole("NAME"),
      .Rights = {{QStringLiteral("RIGHTS"), V::RightsMask, {}},
                 {QStringLiteral("OBJRIGHTS"), V::ListMask, QStringLiteral("ObjectRights"), 32}}};

  TPersonalColumns veldarPersonal = Separate("IMIE", "NAZWISKO", "PESEL");
  veldarPersonal.PeselIdentifiesNewRows = true;
  TProgramUserTable veldar{
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
          "Update USERS set ID =:ID, PESEL=:PESEL, IMIE=:IMIE, NAZWISKO =:NAZWISKO, USR_NAME =:USR_NAME, "
          "PRINT =:PRINT, EDIT =:EDIT, ADM =:ADM, ROLE_NAME =:ROLE_NAME, UID =:UID, ID_OSOBY =:ID_OSOBY, "
          "EXP=:EXP where UID =:OLD_UID"),
      .InsertSQL = QStringLiteral(
          "Insert into USERS (ID, PESEL, IMIE, NAZWISKO, USR_NAME, PRINT, EDIT, ADM, ROLE_NAME, UID, "
          "ID_OSOBY, EXP) values(:ID, :PESEL, :IMIE, :NAZWISKO, :USR_NAME, :PRINT, :EDIT, :ADM, :ROLE_NAME, "
          ":UID, :ID_OSOBY, :EXP)"),
      .GeneratorField = QStringLiteral("UID"),
      .Generator = QStringLiteral("UID_USERS_G"),
      .Personal = veldarPersonal,
      .Rights = {{QStringLiteral("ADM"), V::Box, QStringLiteral("ADMCheck")},
                 {QStringLiteral("PRINT"), V::Box, QStringLiteral("PrintCheck")},
                 {QStringLiteral("EDIT"), V::Box, QStringLiteral("EditCheck")},
                 {QStringLiteral("EXP"), V::Box, QStringLiteral("ExpCheck")}},
      .RoleColumn = QStringLiteral("ROLE_NAME"),
      .Sisters = {{QStringLiteral(".fdd"), TSisterLevel::Printing},
                  {QStringLiteral(".fdr"), TSisterLevel::ScansBase}},
      .LevelWithoutRow = true};

  TProgramUserTable plomer = PlomerLike("ID=:ID, PESEL=:PESEL", V::Zero);
  TProgramUserTable fenno =
      PlomerLike("ID =:ID, PESEL =:PESEL", V::BoxOrNull, QStringLiteral("FENNOCheckBox"));
  TProgramUserTable quento = PlomerLike("ID =:ID, PESEL =:PESEL", V::Zero);
  quento.Sisters = {{QStringLiteral(".fdr"), TSisterLevel::AsTab}};

  TProgramUserTable brontel{
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
          "Update USERS set ID =:ID, IMIE =:IMIE, NAZWISKO =:NAZWISKO, USR_NAME =:USR_NAME, ROLE_NAME "
          "=:ROLE_NAME, OPCJE =:OPCJE, ILE =:ILE where ID =:OLD_ID"),
      .InsertSQL = QStringLiteral(
          "Insert into USERS (ID, IMIE, NAZWISKO, USR_NAME, ROLE_NAME, OPCJE, ILE) values(:ID, :IMIE, "
          ":NAZWISKO, :USR_NAME, :ROLE_NAME, :OPCJE, :ILE)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("G_LOG"),
      .Personal = Separate("IMIE", "NAZWISKO"),
      .Rights = {{QStringLiteral("ILE"), V::RecordLimit, QStringLiteral("BrontelIle")},
                 {QStringLiteral("OPCJE"), V::ListMask, QStringLiteral("CLBBrontel"), 9}},
      .RoleColumn = QStringLiteral("ROLE_NAME")};

  TProgramUserTable gresson{
      .Table = QStringLiteral("UZYTKOWNIK"),
      .KeyColumn = QStringLiteral("NAZWA"),
      .SelectSQL = QStringLiteral("Select * from UZYTKOWNIK"),
      .ModifySQL =
          QStringLiteral("Update UZYTKOWNIK set UID =:UID, NAZWA =:NAZWA, OPIS =:OPIS where UID =:OLD_UID"),
      .InsertSQL = QStringLiteral("Insert into UZYTKOWNIK (UID, NAZWA, OPIS) values(:UID, :NAZWA, :OPIS)"),
      .GeneratorField = QStringLiteral("UID"),
      .Generator = QStringLiteral("UZYTKOWNIK_UID_GEN"),
      .Personal = Whole("OPIS")};

  TProgramUserTable pelkar{
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USERNAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
          "Update USERS set ID =:ID, PIM =:PIM, NZW =:NZW, PSL =:PSL, PRINT =:PRINT, EDIT =:EDIT, ADM "
          "=:ADM, USERNAME =:USERNAME, ROLENAME =:ROLENAME where ID =:OLD_ID"),
      .InsertSQL = QStringLiteral(
          "Insert into USERS (ID, PIM, NZW, PSL, PRINT, EDIT, ADM, USERNAME, ROLENAME ) values(:ID, :PIM, "
          ":NZW, :PSL, :PRINT, :EDIT, :ADM, :USERNAME, :ROLENAME)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("ID_USERS_G"),
      .Personal = Separate("PIM", "NZW", "PSL"),
      .Rights = {{QStringLiteral("ADM"), V::Zero, {}},
                 {QStringLiteral("PRINT"), V::Zero, {}},
                 {QStringLiteral("EDIT"), V::Zero, {}}},
      .RoleColumn = QStringLiteral("ROLENAME")};

  TProgramUserTable tessal{
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
          "Update USERS set UID =:UID, ID =:ID, PESEL =:PESEL, USR_NAME =:USR_NAME, IMIE =:IMIE, NAZWISKO "
          "=:NAZWISKO, PRINT =:PRINT, EDIT =:EDIT, ADM =:ADM, ROLE_NAME =:ROLE_NAME, PRAWA =:PRAWA, OPCJE "
          "=:OPCJE where UID =:OLD_UID"),
      .InsertSQL = QStringLiteral(
          "Insert into USERS (UID, ID, PESEL, USR_NAME, IMIE, NAZWISKO, PRINT, EDIT, ADM, ROLE_NAME, PRAWA, "
          "OPCJE) values(:UID, :UID, :PESEL, :USR_NAME, :IMIE, :NAZWISKO, :PRINT, :EDIT, :ADM, :ROLE_NAME, "
          ":PRAWA, :OPCJE)"),
      .GeneratorField = QStringLiteral("UID"),
      .Generator = QStringLiteral("USERSG"),
      .Personal = Separate("IMIE", "NAZWISKO", "PESEL"),
      .Rights = {{QStringLiteral("ADM"), V::Zero, {}},
                 {QStringLiteral("PRINT"), V::Zero, {}},
                 {QStringLiteral("EDIT"), V::Zero, {}},
                 {QStringLiteral("PRAWA"), V::Letters, {}}},
      .RoleColumn = QStringLiteral("ROLE_NAME"),
      .Sisters = {{QStringLiteral(".fdr"), TSisterLevel::AsTab}}};

  TProgramUserTable baviro{
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
          "Update USERS set ID =:ID, PESEL =:PESEL, IMIE =:IMIE, NAZWISKO =:NAZWISKO, USR_NAME =:USR_NAME, "
          "ROLE_NAME =:ROLE_NAME, OPCJE =:OPCJE, PKANC =:PKANC where ID =:OLD_ID"),
      .InsertSQL = QStringLiteral(
          "Insert into USERS (ID, PESEL, IMIE, NAZWISKO, USR_NAME, ROLE_NAME, OPCJE, PKANC) values(:ID, "
          ":PESEL, :IMIE, :NAZWISKO, :USR_NAME, :ROLE_NAME, :OPCJE, :PKANC)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("G_LOG"),
      .Personal = Separate("IMIE", "NAZWISKO", "PESEL"),
      .Rights = {{QStringLiteral("OPCJE"), V::Box, QStringLiteral("BAVIROCheckBox")}},
      .RoleColumn = QStringLiteral("ROLE_NAME"),
      .CaseFileRights = true};

  TProgramUserTable tormisk{
      .Table = QStringLiteral("TK_USERS"),
      .KeyColumn = QStringLiteral("TKNAZWA"),
      .SelectSQL = QStringLiteral("Select * from TK_USERS"),
      .ModifySQL = QStringLiteral(
          "Update TK_USERS set ID=:ID, PRAWA=:PRAWA, TKNAZWA=:TKNAZWA, NAZWA =:NAZWA where ID =:OLD_ID"),
      .InsertSQL = QStringLiteral(
          "Insert into TK_USERS (ID, PRAWA, TKNAZWA, NAZWA) values(:ID, :PRAWA, :TKNAZWA, :NAZWA)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("TK_USERS_ID_GEN"),
      .Personal = Whole("NAZWA"),
      .Rights = {{QStringLiteral("PRAWA"), V::RightsMask, {}}}};

  TProgramUserTable sarnik =
      SarnikLike("PESEL=:PESEL", V::Box, QStringLiteral("CBSarnik"), QStringLiteral(".fdr"));
  sarnik.Rights.front().TickedOnReset = true;
  TProgramUserTable tulvar = TulvarLike("ID_USERS_G", V::Box, QStringLiteral("CBTulvar"));
  tulvar.Rights.front().TickedOnReset = true;

  TProgramUserTable kaprena{
      .Table = QStringLiteral("USERS"),
      .KeyColumn = QStringLiteral("USR_NAME"),
      .SelectSQL = kSelectUsers,
      .ModifySQL = QStringLiteral(
          "Update USERS set ID=:ID, IMIE =:IMIE, NAZWISKO =:NAZWISKO, USR_NAME =:USR_NAME, ROLE_NAME = "
          ":ROLE_NAME, OPCJE =:OPCJE where ID =:OLD_ID"),
      .InsertSQL = QStringLiteral(
          "Insert into USERS (ID, IMIE, NAZWISKO, USR_NAME, ROLE_NAME, OPCJE) values(:ID, :IMIE, "
          ":NAZWISKO, :USR_NAME, :ROLE_NAME, :OPCJE)"),
      .GeneratorField = QStringLiteral("ID"),
      .Generator = QStringLiteral("G_LOG"),
      .Personal = Separate("IMIE", "NAZWISKO"),
      .Rights = {{QStringLiteral("OPCJE"), V::Box, QStringLiteral("FINANSECheckBox")}},
      .RoleColumn = QStringLiteral("ROLE_NAME")};

  return {korvin,
          veldar,
          plomer,
          sarnik,
          tulvar,
          brontel,
          fenno,
          DravelLike(QStringLiteral("DZUSERS"), "CBDravelADM", "CBDravelPRINT", "CBDravelEDIT", " "),
          DravelLike(QStringLiteral("USERS"), "CheckBoxADM", "CheckBoxPRINT", "CheckBoxODS", ""),
          gresson,
          pelkar,
          TulvarLike("USERS_ID_GEN", V::Null, {}),
          tessal,
          quento,
          baviro,
          SarnikLike("PESEL =:PESEL", V::Zero, {}, QStringLiteral(".fdr")),
          tormisk,
          kaprena};
}

} // namespace

const TProgramUserTable &ProgramUserTable(int group) {
  static const std::array<TProgramUserTable, ProgramGroupCount> tables = BuildTables();
  if (group < 0 || group >= ProgramGroupCount)
    throw std::out_of_range("no program group at index " + std::to_string(group));
  return tables[static_cast<size_t>(group)];
}

QVariant RightsColumnValue(const TRightsColumn &column, const TTabSettings &tab) {
  switch (column.Value) {
  case V::Box: return tab.Ticked.contains(column.Control) ? 1 : 0;
  case V::BoxOrNull: return tab.Ticked.contains(column.Control) ? QVariant(1) : QVariant();
  case V::Zero: return 0;
  case V::Null: return QVariant();
  case V::Letters: return TessalLetters(tab.Ticked);
  case V::ListMask: return static_cast<qint32>(tab.ListMask);
  case V::RecordLimit: return static_cast<qint64>(std::trunc(tab.RecordLimit));
  case V::RightsMask: return tab.Rights;
  }
  return QVariant();
}

QVariant RoleColumnValue(int level) {
  switch (level) {
  case rlRead: return QStringLiteral("ODCZYT");
  case rlWrite: return QStringLiteral("ZAPIS");
  case rlAdministrator: return AdministratorRole();
  default: return QVariant();
  }
}

int SisterLevel(TSisterLevel rule, const TTabSettings &tab) {
  if (rule == TSisterLevel::AsTab)
    return tab.Level;
  if (tab.Level == rlAdministrator)
    return rlAdministrator;
  if (rule == TSisterLevel::Printing)
    return tab.Ticked.contains(QStringLiteral("PrintCheck")) ? rlWrite : rlRead;
  // "Brak" is no role, "Tylko odczyt" the read role, "Zapis i odczyt" the write role.
  return tab.Scans - 1;
}

namespace {

qint64 WholeNumber(const QVariant &value) {
  if (value.isNull())
    return 0;
  bool ok = false;
  const qint64 number = value.toLongLong(&ok);
  if (!ok)
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
  return number;
}

} // namespace

TTabSettings ResetTabSettings(int group) {
  TTabSettings tab;
  for (const TRightsColumn &column : ProgramUserTable(group).Rights)
    if (column.TickedOnReset)
      tab.Ticked.append(column.Control);
  return tab;
}

void ReadRightsColumn(const TRightsColumn &column, const QVariant &value, TTabSettings &tab) {
  switch (column.Value) {
  case V::Box:
  case V::BoxOrNull:
    // Ticked when the column holds 1, cleared otherwise, whatever the reset value was.
    tab.Ticked.removeAll(column.Control);
    if (WholeNumber(value) == 1)
      tab.Ticked.append(column.Control);
    return;
  case V::Zero:
  case V::Null: return;
  case V::Letters: tab.Ticked.append(TessalTickedBoxes(value.toString())); return;
  case V::ListMask: {
    const quint32 items = column.Items >= 32 ? ~0u : (1u << column.Items) - 1;
    tab.ListMask = static_cast<quint32>(WholeNumber(value)) & items;
    return;
  }
  case V::RecordLimit: tab.RecordLimit = static_cast<double>(WholeNumber(value)); return;
  case V::RightsMask: tab.Rights = static_cast<qint32>(WholeNumber(value)); return;
  }
}

int ScansOfSisterLevel(int level) { return level < rlRead ? 0 : std::min(level, int(rlWrite)) + 1; }

bool IdentityNumberId(const QString &pesel, qint32 &id) {
  if (pesel.size() != 11)
    return false;
  const QString used = pesel.left(6) + pesel.mid(7, 3);
  qint32 value = 0;
  for (const QChar c : used) {
    if (c < u'0' || c > u'9')
      return false;
    value = value * 10 + (c.unicode() - u'0');
  }
  id = value;
  return true;
}
