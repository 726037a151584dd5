#include "zuvhtml.h"

#include "Exceptions.h"
#include "ReportData.h"
#include "ScriptedDialogs.h"
#include "TextFile.h"
#include "Win1250.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const QString &fileName) {
  QFile file(fileName);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
  return file.readAll();
}

void Put(const QString &fileName, const QByteArray &bytes) {
  QFile file(fileName);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString WriteError(tHTMLprint &writer, TDataSet *data, const QString &file, const QString &templ) {
  try {
    writer.Write(data, file, templ, true);
  } catch (const Exception &e) {
    return e.Message();
  }
  return QStringLiteral("no error");
}

} // namespace

TEST(zuvhtml, ReportsMatchTheirGoldenFiles) {
  const struct {
    const char *templ, *name, *title, *subtitle;
    bool numbered;
    int rows;
    const char *golden;
  } cases[] = {
      // one "[DANE]", an empty title, an empty value, a hidden field, markup in the data
      {"wzory/prosty.htm", "Raport", "", "Stan na dziś", false, 3, "prosty.golden.htm"},
      // two "[DANE]", "POWIELANIE=3" with 7 records, "Lp.", no name
      {"wzory/paski.html", "", "Lista", "", true, 7, "paski.golden.htm"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.golden);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("raport.htm"));
    auto data = MakeReportData(c.rows);
    tHTMLprint writer;
    writer.FName = QString::fromUtf8(c.name);
    writer.FTitle = QString::fromUtf8(c.title);
    writer.FSubtitle = QString::fromUtf8(c.subtitle);
    writer.FNumbered = c.numbered;
    writer.Write(data.get(), out, Fixture(QString::fromUtf8(c.templ)), true);
    EXPECT_EQ(Bytes(out), Bytes(Fixture(QString::fromUtf8(c.golden))));
  }
}

TEST(zuvhtml, AppendAddsATableBeforeTheClosingBodyLineHoweverLongTheTail) {
  const QByteArray longTail = "<!-- " + QByteArray(400, 'x') + " -->\r\n";
  for (const QByteArray &tail : {QByteArray(), longTail}) {
    SCOPED_TRACE(tail.size());
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("raport.htm"));
    Put(out, Bytes(Fixture(QStringLiteral("prosty.golden.htm"))) + tail);
    auto data = MakeReportData(3);
    tHTMLprint writer;
    writer.FName = QStringLiteral("Raport");
    writer.FTitle = QStringLiteral("Druga");
    writer.FSubtitle = QStringLiteral("Stan na dziś");
    writer.FAppend = true;
    writer.Write(data.get(), out, Fixture(QStringLiteral("wzory/prosty.htm")), true);
    EXPECT_EQ(Bytes(out), Bytes(Fixture(QStringLiteral("dopisany.golden.htm"))));
  }
}

TEST(zuvhtml, AppendWithoutAClosingBodyLineKeepsTheWholeFile) {
  EXPECT_EQ(ReportBeforeClosingBody("<P>a</P>\r\n"), QByteArray("<P>a</P>\r\n"));
  EXPECT_EQ(ReportBeforeClosingBody("<P>a</P>\r\n</body>\r\n</html>"), QByteArray("<P>a</P>\r\n"));
  // Only a whole line goes; the last closing body line counts.
  EXPECT_EQ(ReportBeforeClosingBody("a\r\n</BODY>\r\nb\r\n<p></BODY>\r\n"),
            QByteArray("a\r\n</BODY>\r\nb\r\n"));
}

TEST(zuvhtml, AppendingToAMissingFileFailsAndCreatesNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("brak.htm"));
  auto data = MakeReportData(1);
  tHTMLprint writer;
  writer.FAppend = true;
  EXPECT_EQ(
      WriteError(writer, data.get(), out, Fixture(QStringLiteral("wzory/prosty.htm"))).toStdString(),
      QStringLiteral("Błąd podczas dopisywania do pliku (prawdopodobnie plik nie istnieje): \r\n%1 (%2)")
          .arg(out, SystemErrorText(ENOENT))
          .toStdString());
  EXPECT_FALSE(QFile::exists(out));
}

TEST(zuvhtml, FileThatCannotBeCreatedIsReported) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("brak/raport.htm"));
  auto data = MakeReportData(1);
  tHTMLprint writer;
  EXPECT_EQ(WriteError(writer, data.get(), out, Fixture(QStringLiteral("wzory/prosty.htm"))).toStdString(),
            QStringLiteral("Błąd podczas tworzenia pliku: \r\n%1 (%2)")
                .arg(out, SystemErrorText(ENOENT))
                .toStdString());
}

TEST(zuvhtml, BadTemplateIsReportedAndLeavesTheOldReportUntouched) {
  const QStringList good = {"<HTML>",  "<BODY>", "<TABLE>",         "<TR>",  "<TH>[NAGŁÓWEK]</TH>",
                            "</TR>",   "<TR>",   "<TD>[DANE]</TD>", "</TR>", "</TABLE>",
                            "</BODY>", "</HTML>"};
  auto with = [&good](int index, const QString &line) {
    QStringList lines = good;
    lines[index] = line;
    return lines;
  };
  QStringList twoApart = good, fourApart = good;
  twoApart.insert(9, QStringLiteral("<TD>[DANE]</TD>"));
  fourApart.insert(8, QStringLiteral("<TR>"));
  fourApart.insert(11, QStringLiteral("<TD>[DANE]</TD>"));
  fourApart.insert(8, QStringLiteral("<TD>x</TD>"));
  const struct {
    const char *name;
    QStringList lines; // empty: no template file
    const char *message;
  } cases[] = {
      {"missing file", {}, "Brak pliku ze wzorem HTML:"},
      {"body with attributes", with(1, QStringLiteral("<BODY BGCOLOR=\"white\">")),
       "Brak sekcji: <BODY> we wzorcu:"},
      {"no header", with(4, QStringLiteral("<TH>Nagłówek</TH>")), "Brak sekcji: [NAGŁÓWEK] we wzorcu:"},
      {"no data", with(7, QStringLiteral("<TD>dane</TD>")), "Brak sekcji: [DANE] we wzorcu:"},
      {"second data 2 lines on", twoApart, "Kolejne sekcje: [DANE] muszą występować po sobie. Wzorzec:"},
      {"second data 4 lines on", fourApart, "Kolejne sekcje: [DANE] muszą występować po sobie. Wzorzec:"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    const QString templ = dir.filePath(QStringLiteral("wzor.htm"));
    if (!c.lines.isEmpty())
      TextFile::WriteLines(templ, c.lines);
    const QString out = dir.filePath(QStringLiteral("raport.htm"));
    Put(out, "stary raport\r\n");
    auto data = MakeReportData(2);
    for (const bool append : {false, true}) {
      tHTMLprint writer;
      writer.FAppend = append;
      EXPECT_EQ(WriteError(writer, data.get(), out, templ), QString::fromUtf8(c.message) + "\r\n" + templ);
      EXPECT_EQ(Bytes(out), QByteArray("stary raport\r\n"));
    }
  }
}

TEST(zuvhtml, TheDataSetComesBackAsItWas) {
  QTemporaryDir dir;
  const QString out = dir.filePath(QStringLiteral("raport.htm"));
  const QString templ = Fixture(QStringLiteral("wzory/prosty.htm"));
  auto data = MakeReportData(3);
  data->Next();
  tHTMLprint writer;
  writer.Write(data.get(), out, templ, true);
  EXPECT_EQ(data->RecNo(), 2);
  EXPECT_FALSE(data->ControlsDisabled());
  EXPECT_TRUE(Bytes(out).contains("<TD>Kowalski</TD>")); // written from the first record all the same

  data->Close();
  writer.Write(data.get(), out, templ, true);
  EXPECT_FALSE(data->Active());
  const QByteArray report = Bytes(out);
  for (const QString &name :
       {QStringLiteral("Kowalski"), QStringLiteral("Nowak"), QStringLiteral("Wiśniewski")})
    EXPECT_TRUE(report.contains(Win1250::Encode(QStringLiteral("<TD>%1</TD>").arg(name))))
        << name.toStdString();
}

TEST(zuvhtml, InsertedTextIsEscapedAndKeptInWindows1250) {
  EXPECT_EQ(HtmlEscape(QStringLiteral("<b>\"A\" & ą</b>")),
            QStringLiteral("&lt;b&gt;&quot;A&quot; &amp; ą&lt;/b&gt;"));
  EXPECT_EQ(HtmlEscape(QStringLiteral("日本 €")), QStringLiteral("&#26085;&#26412; €"));
  EXPECT_EQ(HtmlEscape(QStringLiteral("😀")), QStringLiteral("&#128512;"));
  const THtmlTemplate t = CutHtmlTemplate(
      {"<BODY>", "<TITLE>[nazwa]</TITLE>", "<TR>", "[NAGŁÓWEK]", "</TR>", "<TR>", "[DANE]", "</TR>"},
      {QStringLiteral("A&B"), QString(), QString()}, QStringLiteral("t"));
  EXPECT_EQ(t.BeforeHeader, QStringLiteral("<TITLE>A&amp;B</TITLE>\r\n"));
}

TEST(zuvhtml, OpenInBrowserGoesThroughTheShellAndReportsWhatItCannotShow) {
  const std::vector<std::pair<TShellOutcome, bool>> cases = {
      {TShellOutcome::Opened, false},
      {TShellOutcome::NoSuchFile, true},
      {TShellOutcome::NoViewer, true},
      {TShellOutcome::Failed, true},
  };
  for (const auto &[outcome, raises] : cases) {
    SCOPED_TRACE(int(outcome));
    ScriptedDialogs dialogs;
    dialogs.AnswerShell(outcome);
    tHTMLprint writer;
    QString message;
    try {
      writer.OpenInBrowser(QStringLiteral("raport z dnia.htm"));
    } catch (const Exception &e) {
      message = e.Message();
    }
    ASSERT_EQ(dialogs.Opened().size(), 1u);
    EXPECT_EQ(dialogs.Opened()[0], QStringLiteral("raport z dnia.htm"));
    EXPECT_EQ(message, raises ? QString::fromUtf8("Nie można załadować domyślnej przeglądarki") : QString());
  }
}
