#include "zuvhtml1.h"

#include "MxToolEdit.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"
#include "UsersFixture.h"
#include "Win1250.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

// One install into a prefix with a blank and Polish letters, shared by the tests.
class InstallTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Dir = new QTemporaryDir;
    Prefix = Dir->filePath(QString::fromUtf8("prefiks z odstępem"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(CMAKE_PROGRAM), {QStringLiteral("--install"), QStringLiteral(BUILD_TREE),
                                                  QStringLiteral("--prefix"), Prefix});
    Installed = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
                install.exitCode() == 0;
    Output = QString::fromLocal8Bit(install.readAll());
  }
  static void TearDownTestSuite() { delete Dir; }
  void SetUp() override { ASSERT_TRUE(Installed) << Output.toStdString(); }

  static QString Path(const QString &relative) { return Prefix + u'/' + relative; }
  static QString ProgramFolder() { return Path(QStringLiteral("lib/meridox_sec")); }

  static inline QTemporaryDir *Dir = nullptr;
  static inline QString Prefix;
  static inline bool Installed = false;
  static inline QString Output;
};

// The fields of a desktop entry's main group.
std::map<QString, QString> DesktopEntry(const QString &file) {
  QFile entry(file);
  EXPECT_TRUE(entry.open(QIODevice::ReadOnly)) << file.toStdString();
  std::map<QString, QString> fields;
  bool inGroup = false;
  for (const QByteArray &line : entry.readAll().split('\n')) {
    const QString text = QString::fromUtf8(line);
    if (text.startsWith(u'['))
      inGroup = text == QStringLiteral("[Desktop Entry]");
    else if (inGroup && text.contains(u'='))
      fields[text.section(u'=', 0, 0)] = text.section(u'=', 1);
  }
  return fields;
}

TEST_F(InstallTest, BothProgramsShareTheirFolderWithTheTemplates) {
  for (const char *program : {"meridox_sec", "upgrade"}) {
    const QFileInfo file(ProgramFolder() + u'/' + QString::fromLatin1(program));
    EXPECT_TRUE(file.isFile() && file.isExecutable()) << program;
  }
  const QFileInfo shipped(ProgramFolder() + QStringLiteral("/SQL/Wzorce/Tabela.htm"));
  EXPECT_TRUE(shipped.isFile());
}

TEST_F(InstallTest, EachProgramHasAMenuEntryWithItsIcon) {
  struct Case {
    const char *Entry, *Program, *Name;
  };
  const Case cases[] = {{"meridox_sec", "meridox_sec", "Menadżer użytkowników MERIDOX"},
                        {"meridox_sec-upgrade", "upgrade", "Uaktualnienie programu Meridox_sec"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Entry);
    auto entry =
        DesktopEntry(Path(QStringLiteral("share/applications/%1.desktop").arg(QString::fromLatin1(c.Entry))));
    EXPECT_EQ(entry[QStringLiteral("Type")], QStringLiteral("Application"));
    EXPECT_EQ(entry[QStringLiteral("Name")], QString::fromUtf8(c.Name));
    // One quoted argument: the prefix holds a blank.
    EXPECT_EQ(entry[QStringLiteral("Exec")],
              u'"' + ProgramFolder() + u'/' + QString::fromLatin1(c.Program) + u'"');
    EXPECT_EQ(entry[QStringLiteral("Path")], ProgramFolder());
    const QString icon = entry[QStringLiteral("Icon")];
    EXPECT_EQ(icon, QString::fromLatin1(c.Entry));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(icon))));
  }
}

// The console's "Generuj HTML" looks in SQL/Wzorce beside the program: from a fresh install it
// offers the shipped template, whose report is a titled table with alternating rows.
TEST_F(InstallTest, TheHtmlReportRunsFromTheInstalledTemplate) {
  ScriptedDialogs dialogs;
  QTemporaryDir out;
  const QString report = out.filePath(QString::fromUtf8("użytkownicy.htm"));
  auto users =
      MakeUsers({{"ADAM", "Kadry"}, {"BEATA", QString::fromUtf8("Księgowość")}, {"CEZARY", "Kadry"}});
  users->FieldByName(QStringLiteral("ID"))->SetVisible(false);
  users->FieldByName(QStringLiteral("USER_NAME"))->SetDisplayLabel(QString::fromUtf8("Użytkownik"));
  dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
    EXPECT_EQ(form.wzor->count(), 1);
    EXPECT_EQ(form.wzor->currentText(), QString::fromUtf8("Tabela z tytułem, wiersze w paski"));
    form.plik->SetText(report);
    form.tytul->setText(QString::fromUtf8("Użytkownicy"));
    form.podtytul->setText(QString::fromUtf8("Stan na dziś"));
    form.pokaz->setChecked(false);
    form.BitBtn1->click();
    return form.ModalResult();
  });
  ExportDataSetToHTML(users.get(), ProgramFolder() + QStringLiteral("/SQL/Wzorce/"), QString(),
                      QString::fromUtf8("Lista użytkowników"));
  ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0].Text.toStdString();

  QFile file(report);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.contains("\r\n"));
  EXPECT_FALSE(QByteArray(bytes).replace("\r\n", "").contains('\n')) << "every line ends in CR LF";
  const QString html = Win1250::Decode(bytes);
  EXPECT_TRUE(html.contains(QString::fromUtf8("<TITLE>Lista użytkowników</TITLE>")));
  EXPECT_TRUE(html.contains(QString::fromUtf8("<H1>Użytkownicy</H1>")));
  EXPECT_TRUE(html.contains(QString::fromUtf8("<H2>Stan na dziś</H2>")));
  EXPECT_TRUE(html.contains(QString::fromUtf8("<TH>Użytkownik</TH>")));
  const QRegularExpression rows(QStringLiteral("<TR CLASS=\"(\\w+)\">\\r\\n<TD>(\\w+)</TD>"));
  QStringList styles, names;
  for (auto it = rows.globalMatch(html); it.hasNext();) {
    const auto match = it.next();
    styles << match.captured(1);
    names << match.captured(2);
  }
  EXPECT_EQ(styles, (QStringList{"nieparzysty", "parzysty", "nieparzysty"}));
  EXPECT_EQ(names, (QStringList{"ADAM", "BEATA", "CEZARY"}));
}

} // namespace
