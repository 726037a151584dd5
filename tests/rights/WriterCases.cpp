#include "WriterCases.h"

#include "RightsFormFixture.h"

namespace {

const QStringList kImie = {"IMIE", "NAZWISKO", "PESEL"};
const QStringList kImieOnly = {"IMIE", "NAZWISKO"};
const QStringList kPim = {"PIM", "NZW"};
const QString kNowak = QString::fromUtf8("IMIE=Łukasz;NAZWISKO=Nowak;PESEL=85030412345");
const QString kNowakNoPesel = QString::fromUtf8("IMIE=Łukasz;NAZWISKO=Nowak");
const QString kPimNowak = QString::fromUtf8("PIM=Łukasz;NZW=Nowak");
const QStringList kIdUid = {"ID", "UID"};
const QStringList kId = {"ID"};
const QStringList kManager = {"ADM", "PRINT", "EDIT", "ROLE_NAME"};
const QString kManagerRow = QStringLiteral("ADM=%1;PRINT=%2;EDIT=%3;ROLE_NAME=%4");

} // namespace

const std::vector<WriterCase> &WriterCases() {
  static const std::vector<WriterCase> cases = {
      // All 32 object boxes ticked: item 32 is the sign bit.
      WriterCase("KORVIN")
          .NewRow({"NAME"}, QString::fromUtf8("NAME=Łukasz Nowak"), kId, "ID=1")
          .RightsIn({"RIGHTS", "OBJRIGHTS"})
          .FirstRun(TabWithMasks(1, 0xFFFFFFFFu, 0, 0x200), "RIGHTS=512;OBJRIGHTS=-1", "KN_ZAPIS")
          .SecondRun(TabWithMasks(0, 0x5, 0, 0xF), "RIGHTS=15;OBJRIGHTS=5", "KN_ODCZYT"),
      // The ID comes from 9 of the identity number's 11 digits; "Zarządca" ticks the three others.
      WriterCase("VELDAR")
          .InUtf8()
          .NewRow(kImie, kNowak, kIdUid, "ID=850304234;UID=1")
          .RightsIn({"ADM", "PRINT", "EDIT", "EXP", "ROLE_NAME"})
          .FirstRun(TabWith(1, {"PrintCheck", "ExpCheck"}), "ADM=0;PRINT=1;EDIT=0;EXP=1;ROLE_NAME=ZAPIS",
                    "ZAPIS")
          .SecondRun(TabWith(2, {"ADMCheck"}), "ADM=1;PRINT=1;EDIT=1;EXP=1;ROLE_NAME=RDB$ADMIN", "RDB$ADMIN"),
      WriterCase("PLOMER")
          .NewRow(kImie, kNowak, kIdUid, "ID=1;UID=1")
          .RightsIn({"PRAWA"})
          .FirstRun(TabWith(0), "PRAWA=0", "ODCZYT")
          .SecondRun(TabWith(1), "PRAWA=0", "ZAPIS"),
      WriterCase("SARNIK")
          .NewRow(kImie, kNowak, kId, "ID=1")
          .RightsIn({"OPCJE", "ROLE_NAME"})
          .FirstRun(TabWith(0, {"CBSarnik"}), "OPCJE=1;ROLE_NAME=ODCZYT", "ODCZYT")
          .SecondRun(TabWith(1), "OPCJE=0;ROLE_NAME=ZAPIS", "ZAPIS"),
      WriterCase("TULVAR")
          .NewRow(kPim, kPimNowak, kId, "ID=1")
          .RightsIn({"ACCESS"})
          .FirstRun(TabWith(1, {"CBTulvar"}), "ACCESS=1", "ZAPIS")
          .SecondRun(TabWith(2), "ACCESS=0", "RDB$ADMIN"),
      // Items 0, 2 and 8 ticked; a limit of 2.7 keeps its whole part.
      WriterCase("BRONTEL")
          .NewRow(kImieOnly, kNowakNoPesel, kId, "ID=1")
          .RightsIn({"OPCJE", "ILE", "ROLE_NAME"})
          .FirstRun(TabWithMasks(1, 0x105, 2.7, 0), "OPCJE=261;ILE=2;ROLE_NAME=ZAPIS", "ZAPIS")
          .SecondRun(TabWithMasks(0, 0, 100, 0), "OPCJE=0;ILE=100;ROLE_NAME=ODCZYT", "ODCZYT"),
      WriterCase("FENNO")
          .InUtf8()
          .NewRow(kImie, kNowak, kIdUid, "ID=1;UID=1")
          .RightsIn({"PRAWA"})
          .FirstRun(TabWith(0), "PRAWA=null", "ODCZYT")
          .SecondRun(TabWith(1, {"FENNOCheckBox"}), "PRAWA=1", "ZAPIS"),
      WriterCase("DRAVEL")
          .NewRow(kImie, kNowak, kIdUid, "ID=1;UID=1")
          .RightsIn(kManager)
          .FirstRun(TabWith(1, {"CBDravelPRINT"}), kManagerRow.arg(0).arg(1).arg(0).arg("ZAPIS"), "ZAPIS")
          .SecondRun(TabWith(0, {"CBDravelADM"}), kManagerRow.arg(1).arg(1).arg(1).arg("ODCZYT"), "ODCZYT"),
      WriterCase("HOLMAR")
          .NewRow(kImie, kNowak, kIdUid, "ID=1;UID=1")
          .RightsIn(kManager)
          .FirstRun(TabWith(0, {"CheckBoxODS"}), kManagerRow.arg(0).arg(0).arg(1).arg("ODCZYT"), "ODCZYT")
          .SecondRun(TabWith(2), kManagerRow.arg(0).arg(0).arg(0).arg("RDB$ADMIN"), "RDB$ADMIN"),
      WriterCase("GRESSON")
          .InUtf8()
          .NewRow({"OPIS"}, QString::fromUtf8("OPIS=Łukasz Nowak"), {"UID"}, "UID=1")
          .FirstRun(TabWith(0), "", "ODCZYT")
          .SecondRun(TabWith(1), "", "ZAPIS"),
      WriterCase("PELKAR")
          .NewRow({"PIM", "NZW", "PSL"}, kPimNowak + ";PSL=85030412345", kId, "ID=1")
          .RightsIn({"ADM", "PRINT", "EDIT", "ROLENAME"})
          .FirstRun(TabWith(1), "ADM=0;PRINT=0;EDIT=0;ROLENAME=ZAPIS", "ZAPIS")
          .SecondRun(TabWith(0), "ADM=0;PRINT=0;EDIT=0;ROLENAME=ODCZYT", "ODCZYT"),
      WriterCase("NIRVOS")
          .NewRow(kPim, kPimNowak, kId, "ID=1")
          .RightsIn({"ACCESS"})
          .FirstRun(TabWith(0), "ACCESS=null", "ODCZYT")
          .SecondRun(TabWith(1), "ACCESS=null", "ZAPIS"),
      // No box ticked is an empty string, not null.
      WriterCase("TESSAL")
          .NewRow(kImie, kNowak, {"UID", "ID"}, "UID=1;ID=1")
          .RightsIn({"ADM", "PRINT", "EDIT", "PRAWA", "ROLE_NAME"})
          .FirstRun(TabWith(1), "ADM=0;PRINT=0;EDIT=0;PRAWA=;ROLE_NAME=ZAPIS", "ZAPIS")
          .SecondRun(TabWith(0, {"al", "aa", "sp", "se", "du"}),
                     "ADM=0;PRINT=0;EDIT=0;PRAWA=AlaSpeDu;ROLE_NAME=ODCZYT", "ODCZYT"),
      WriterCase("QUENTO")
          .NewRow(kImie, kNowak, kIdUid, "ID=1;UID=1")
          .RightsIn({"PRAWA"})
          .FirstRun(TabWith(1), "PRAWA=0", "ZAPIS")
          .SecondRun(TabWith(2), "PRAWA=0", "RDB$ADMIN"),
      WriterCase("BAVIRO")
          .NewRow(kImie, kNowak, kId, "ID=1")
          .RightsIn({"OPCJE", "ROLE_NAME"})
          .FirstRun(TabWith(1, {"BAVIROCheckBox"}), "OPCJE=1;ROLE_NAME=ZAPIS", "ZAPIS")
          .SecondRun(TabWith(0), "OPCJE=0;ROLE_NAME=ODCZYT", "ODCZYT"),
      WriterCase("SOLMET")
          .InUtf8()
          .NewRow(kImie, kNowak, kId, "ID=1")
          .RightsIn({"OPCJE", "ROLE_NAME"})
          .FirstRun(TabWith(0), "OPCJE=0;ROLE_NAME=ODCZYT", "ODCZYT")
          .SecondRun(TabWith(1), "OPCJE=0;ROLE_NAME=ZAPIS", "ZAPIS"),
      // Bits past the four listed rights are written as they stand.
      WriterCase("TORMISK")
          .NewRow({"NAZWA"}, QString::fromUtf8("NAZWA=Łukasz Nowak"), kId, "ID=1")
          .RightsIn({"PRAWA"})
          .FirstRun(TabWithMasks(1, 0, 0, 5), "PRAWA=5", "TK_ZAPIS")
          .SecondRun(TabWithMasks(0, 0, 0, 0x1F), "PRAWA=31", "TK_ODCZYT"),
      WriterCase("KAPRENA")
          .NewRow(kImieOnly, kNowakNoPesel, kId, "ID=1")
          .RightsIn({"OPCJE", "ROLE_NAME"})
          .FirstRun(TabWith(1, {"FINANSECheckBox"}), "OPCJE=1;ROLE_NAME=ZAPIS", "ZAPIS")
          .SecondRun(TabWith(0), "OPCJE=0;ROLE_NAME=ODCZYT", "ODCZYT"),
  };
  return cases;
}

WriterCase &WriterCase::InUtf8() {
  Utf8 = true;
  return *this;
}

WriterCase &WriterCase::NewRow(QStringList personalColumns, QString personal, QStringList identityColumns,
                               QString identity) {
  PersonalColumns = std::move(personalColumns);
  Personal = std::move(personal);
  IdentityColumns = std::move(identityColumns);
  Identity = std::move(identity);
  return *this;
}

WriterCase &WriterCase::RightsIn(QStringList columns) {
  RightsColumns = std::move(columns);
  return *this;
}

WriterCase &WriterCase::FirstRun(TTabSettings tab, QString rights, QString role) {
  First = std::move(tab);
  FirstRights = std::move(rights);
  FirstRole = std::move(role);
  return *this;
}

WriterCase &WriterCase::SecondRun(TTabSettings tab, QString rights, QString role) {
  Second = std::move(tab);
  SecondRights = std::move(rights);
  SecondRole = std::move(role);
  return *this;
}

QString WithFirstValue(const QString &row, const QString &value) {
  const qsizetype equals = row.indexOf(u'=');
  const qsizetype end = row.indexOf(u';');
  return row.left(equals + 1) + value + (end < 0 ? QString() : row.mid(end));
}
