#include "zuvhtml1.h"

#include "Application.h"
#include "Exceptions.h"
#include "MxToolEdit.h"
#include "ReportData.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

// A template folder with both fixture templates and a file that is no template.
void FillTemplates(const QString &folder) {
  QDir().mkpath(folder);
  QFile::copy(Fixture(QStringLiteral("wzory/prosty.htm")), folder + QStringLiteral("/prosty.htm"));
  QFile::copy(Fixture(QStringLiteral("wzory/paski.html")), folder + QStringLiteral("/paski.html"));
  QFile notes(folder + QStringLiteral("/notatki.txt"));
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("<!--Nie wzór-->\r\n");
}

QByteArray Bytes(const QString &fileName) {
  QFile file(fileName);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
  return file.readAll();
}

QStringList Items(const QComboBox &box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i)
    items << box.itemText(i);
  return items;
}

// The dialog over a fresh template folder, with a scripted seam.
class zuvhtml1 : public testing::Test {
protected:
  void SetUp() override { FillTemplates(folder); }

  ScriptedDialogs dialogs;
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("Wzorce"));
};

} // namespace

TEST_F(zuvhtml1, GenerujWritesTheReportOpensItAndRemembersTheChoices) {
  const QString out = dir.filePath(QStringLiteral("raport z dnia.htm"));
  auto data = MakeReportData(3);

  dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
    EXPECT_EQ(form.Caption(), QStringLiteral("Zapis do pliku HTML"));
    // Sorted by file; chosen by the report name, letter case ignored.
    EXPECT_EQ(Items(*form.wzor),
              (QStringList{QStringLiteral("Wiersze w paski"), QStringLiteral("Prosty wzór")}));
    EXPECT_EQ(form.wzor->currentIndex(), 1);
    EXPECT_EQ(form.TemplateFiles()[1], folder + QStringLiteral("/prosty.htm"));
    form.nazwa->setText(QStringLiteral("Raport"));
    form.plik->SetText(u'"' + out + u'"');
    form.tytul->clear();
    form.podtytul->setText(QStringLiteral("Stan na dziś"));
    form.lp->setChecked(false);
    form.pokaz->setChecked(true);
    form.BitBtn1->click();
    return form.ModalResult();
  });
  ExportDataSetToHTML(data.get(), folder, QString(), QStringLiteral("PROSTY WZÓR"));
  EXPECT_TRUE(dialogs.Exhausted());
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(Bytes(out), Bytes(Fixture(QStringLiteral("prosty.golden.htm"))));
  ASSERT_EQ(dialogs.Opened().size(), 1u);
  EXPECT_EQ(dialogs.Opened()[0], out);
  EXPECT_EQ(data->RecNo(), 1);

  // The next use starts from the remembered choices; the template by its description.
  dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
    EXPECT_EQ(form.nazwa->text(), QStringLiteral("Raport"));
    EXPECT_EQ(form.tytul->text(), QString());
    EXPECT_EQ(form.podtytul->text(), QStringLiteral("Stan na dziś"));
    EXPECT_EQ(form.plik->Text(), out);
    EXPECT_FALSE(form.lp->isChecked());
    EXPECT_TRUE(form.pokaz->isChecked());
    EXPECT_EQ(form.wzor->currentText(), QStringLiteral("Prosty wzór"));
    return int(mrCancel);
  });
  ExportDataSetToHTML(data.get(), folder, QString(), QString());
  EXPECT_TRUE(dialogs.Exhausted());
}

TEST_F(zuvhtml1, BrowsingForTheOutputFileAcceptsANewName) {
  const QString out = dir.filePath(QStringLiteral("nowy raport.htm"));
  ASSERT_FALSE(QFile::exists(out));
  auto data = MakeReportData(2);
  dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
    dialogs.AnswerFile(out);
    QKeyEvent browse(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
    QApplication::sendEvent(form.plik, &browse);
    EXPECT_EQ(form.plik->FileName(), out);
    form.BitBtn1->click();
    return form.ModalResult();
  });
  ExportDataSetToHTML(data.get(), folder, QString(), QString());
  EXPECT_TRUE(dialogs.Exhausted());
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  EXPECT_EQ(dialogs.FileDialogs()[0].Kind, TFileDialogKind::Save);
  EXPECT_EQ(dialogs.FileDialogs()[0].DefaultExt, QStringLiteral("htm"));
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_TRUE(Bytes(out).contains("</BODY>\r\n</HTML>\r\n"));
}

TEST_F(zuvhtml1, WithoutAFileNameTheDialogStaysOpen) {
  const QString out = dir.filePath(QStringLiteral("raport.htm"));
  auto data = MakeReportData(2);
  dialogs.AnswerMessage(mrOk);
  dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
    form.pokaz->setChecked(false);
    form.plik->SetText(QString());
    form.BitBtn1->click();
    EXPECT_EQ(form.ModalResult(), mrNone);
    form.plik->SetText(out);
    form.BitBtn1->click();
    return form.ModalResult();
  });
  ExportDataSetToHTML(data.get(), folder, QString(), QStringLiteral("Wiersze w paski"));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, QStringLiteral("Nie podano nazwy pliku do eksportu."));
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtError);
  EXPECT_TRUE(Bytes(out).startsWith("<!--Wiersze w paski-->"));
  EXPECT_TRUE(dialogs.Opened().empty());
}

TEST_F(zuvhtml1, FailedReportClosesTheDialogAndShowsTheError) {
  const QString out = dir.filePath(QStringLiteral("brak.htm"));
  const QString empty = dir.filePath(QStringLiteral("Puste"));
  QDir().mkpath(empty);
  const struct {
    const char *name;
    QString folder;
    bool append;
    QString message;
  } cases[] = {
      {"append to a missing file", folder, true,
       QStringLiteral("Błąd podczas dopisywania do pliku (prawdopodobnie plik nie istnieje): \r\n%1 (%2)")
           .arg(out, SystemErrorText(ENOENT))},
      {"no template in the folder", empty, false, QStringLiteral("Brak pliku ze wzorem HTML:\r\n")},
  };
  auto data = MakeReportData(1);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.Clear();
    dialogs.AnswerMessage(mrOk);
    int result = mrNone;
    dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
      form.plik->SetText(out);
      form.dopisywanie->setChecked(c.append);
      form.BitBtn1->click();
      result = form.ModalResult();
      return result;
    });
    ExportDataSetToHTML(data.get(), c.folder, QStringLiteral("*.htm"), QString());
    EXPECT_EQ(result, mrOk);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text, ExceptionDisplayText(c.message));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(QFile::exists(out));
  }
}

TEST_F(zuvhtml1, TemplatesBesideTheProgramAndBadFolders) {
  const QString beside = QFileInfo(Application()->ExeName()).absolutePath() + QStringLiteral("/SQL/Wzorce");
  FillTemplates(beside);
  dialogs.AnswerModalAs<Thtml>([&](Thtml &form) {
    EXPECT_EQ(Items(*form.wzor),
              (QStringList{QStringLiteral("Wiersze w paski"), QStringLiteral("Prosty wzór")}));
    return int(mrCancel);
  });
  ExportDataSetToHTML(nullptr, QStringLiteral("SQL\\Wzorce\\"), QString(), QString());
  EXPECT_TRUE(dialogs.Exhausted());
  QDir(QFileInfo(beside).absolutePath()).removeRecursively();

  // Nothing is shown when the folder name is too short.
  for (const QString &bad : {QString(), QStringLiteral("x")}) {
    try {
      ExportDataSetToHTML(nullptr, bad, QString(), QString());
      ADD_FAILURE() << "no error for " << bad.toStdString();
    } catch (const Exception &e) {
      EXPECT_EQ(e.Message(), QStringLiteral("Zła nazwa kartoteki z wzorcami"));
    }
  }
  EXPECT_EQ(dialogs.ModalForms().size(), 1u);
}
