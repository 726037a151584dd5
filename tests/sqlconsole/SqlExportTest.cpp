#include "ConsoleFixture.h"

#include "Actions.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "UColEdFrame.h"
#include "UPrintDialog.h"
#include "UPrintF.h"
#include "USepDlg.h"
#include "zuvhtml1.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextEdit>

class ConsoleExportTest : public ConsoleTest {
protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (IsSkipped())
      return;
    Db->Execute(QStringLiteral("insert into T1 values (3, 'O''Brien')"));
    OpenConsole();
  }
  QByteArray Read(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // Sets the separator and quote in the dialog, the way the person types them.
  void ChooseSeparator(const QString &separator, bool asCode, const QString &quote = QStringLiteral("'")) {
    Dialogs.AnswerModalAs<TSeparatorDlg>([separator, asCode, quote](TSeparatorDlg &dialog) {
      dialog.show();
      if (asCode)
        dialog.rbSepCode->setChecked(true);
      dialog.Edit->setText(separator);
      dialog.Edit2->setText(quote);
      dialog.hide();
      return int(mrOk);
    });
    Console->SeparatorSettingsAction->Execute();
  }
};

TEST_F(ConsoleExportTest, SeparatorExportQuotesTextsAndDoublesTheQuote) {
  Run(QString::fromUtf8("select ID, NAME as \"Imię, nazwisko\" from T1 where ID >= 2 order by ID"));
  Console->FieldNameCheck->setChecked(true);
  ChooseSeparator(QStringLiteral(";"), false);
  const QString path = SavedQueryPath("wynik.tab");
  Dialogs.AnswerFile(path);
  ASSERT_TRUE(Console->SeparatorFileAction->Execute());
  EXPECT_EQ(Dialogs.FileDialogs().back().Filter, QStringLiteral("Pliki tablic (*.tab)|*.TAB"));
  EXPECT_EQ(Read(path), QByteArray("ID;\"Imi\xea; nazwisko\"\r\n2;'Beta'\r\n3;'O''Brien'\r\n"));
}

TEST_F(ConsoleExportTest, TabExportWritesPlainValuesAndGivesTheSeparatorBack) {
  Run(QStringLiteral("select ID, NAME from T1 where ID >= 2 order by ID"));
  ChooseSeparator(QStringLiteral("|"), false);
  Dialogs.AnswerFile(SavedQueryPath("tab.tab"));
  ASSERT_TRUE(Console->ExportTableAction->Execute());
  EXPECT_EQ(Read(SavedQueryPath("tab.tab")), QByteArray("2\tBeta\r\n3\tO'Brien\r\n"));
  EXPECT_EQ(Console->Separator(), u'|');
  Dialogs.AnswerFile(SavedQueryPath("sep.tab"));
  Console->SeparatorFileAction->Execute();
  EXPECT_EQ(Read(SavedQueryPath("sep.tab")), QByteArray("2|'Beta'\r\n3|'O''Brien'\r\n"));
}

TEST_F(ConsoleExportTest, ExportWithoutAResultFailsAndCreatesNoFile) {
  Dialogs.AnswerFile(SavedQueryPath("pusty.tab"));
  EXPECT_THROW(Console->SeparatorFileAction->Execute(), EDatabaseError);
  EXPECT_FALSE(QFile::exists(SavedQueryPath("pusty.tab")));
  Console->UpdateAction->Update();
  Console->SetEditorText(QStringLiteral("select 1 from RDB$DATABASE"));
  EXPECT_FALSE(Console->ExportTableAction->Execute()); // enabled only with an open result
}

TEST_F(ConsoleExportTest, AFailedExportLeavesTheOldFile) {
  WriteFile(SavedQueryPath("stary.tab"), "stare dane\r\n");
  Dialogs.AnswerFile(SavedQueryPath("stary.tab"));
  EXPECT_THROW(Console->SeparatorFileAction->Execute(), EDatabaseError); // no result to export
  EXPECT_EQ(Read(SavedQueryPath("stary.tab")), QByteArray("stare dane\r\n"));
}

struct SeparatorCase {
  const char *Name;
  const char *Typed;
  bool AsCode;
  char16_t Expected;
};

class SeparatorDialogTest : public ConsoleExportTest, public testing::WithParamInterface<SeparatorCase> {};

TEST_P(SeparatorDialogTest, ReadsALetterOrTheLowByteOfADecimalCode) {
  const SeparatorCase &c = GetParam();
  ChooseSeparator(QString::fromUtf8(c.Typed), c.AsCode);
  EXPECT_EQ(Console->Separator(), QChar(c.Expected));
  EXPECT_EQ(Console->Quote(), u'\'');
}

INSTANTIATE_TEST_SUITE_P(Inputs, SeparatorDialogTest,
                         testing::Values(SeparatorCase{"Letter", ";", false, u';'},
                                         SeparatorCase{"Code", "124", true, u'|'},
                                         SeparatorCase{"CodeAbove255", "300", true, u','},
                                         SeparatorCase{"CodeOfTheCodePage", "185", true, u'ą'}),
                         [](const testing::TestParamInfo<SeparatorCase> &info) { return std::string(info.param.Name); });

TEST_F(ConsoleExportTest, SeparatorDialogShowsTheCodeAndRefusesABadOne) {
  Dialogs.AnswerModalAs<TSeparatorDlg>([](TSeparatorDlg &dialog) {
    dialog.show();
    EXPECT_EQ(dialog.Caption(), QStringLiteral("Ustawienia separatora i ogranicznika"));
    EXPECT_EQ(dialog.Edit->text(), QStringLiteral(","));
    dialog.rbSepCode->setChecked(true);
    EXPECT_EQ(dialog.Edit->text(), QStringLiteral("44"));
    dialog.rbSepLetter->setChecked(true);
    EXPECT_EQ(dialog.Edit->text(), QStringLiteral(","));
    dialog.rbQuoteCode->setChecked(true);
    dialog.Edit2->setText(QStringLiteral("x1"));
    dialog.hide();
    return int(mrOk);
  });
  EXPECT_THROW(Console->SeparatorSettingsAction->Execute(), EConvertError);
  EXPECT_EQ(Console->Separator(), u',');
  EXPECT_EQ(Console->Quote(), u'\'');
}

TEST_F(ConsoleExportTest, ThePreviewTabulatesTheResultAndSavesAndPrintsIt) {
  Run(QStringLiteral("select ID, NAME, ID * 10 as TEN from T1 order by ID"));
  const QString txt = SavedQueryPath("raport.txt");
  const QString rtf = SavedQueryPath("raport.rtf");
  const QString pdf = SavedQueryPath("raport.pdf");
  Dialogs.AnswerModalAs<TPrintForm>([&](TPrintForm &form) {
    EXPECT_EQ(form.Caption(), QStringLiteral("Drukowanie"));
    TColEdFrame &frame = *form.ColEdFrame;
    EXPECT_EQ(frame.Lines(), (QStringList{QStringLiteral("ID\tNAME\tTEN"), QString(), QStringLiteral("1\tAlfa\t10"),
                                          QStringLiteral("2\tBeta\t20"), QStringLiteral("3\tO'Brien\t30")}));
    EXPECT_EQ(frame.TabStops().size(), 2u);
    EXPECT_LT(frame.TabStops()[0], frame.TabStops()[1]);
    const QTextBlock header = frame.RichEdit->document()->begin();
    EXPECT_GE(header.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
    EXPECT_LT(header.next().next().begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
    Dialogs.AnswerFile(txt);
    frame.SaveA->Execute();
    Dialogs.AnswerFile(rtf);
    frame.SaveA->Execute();
    Dialogs.AnswerModalAs<TPrintDialog>([&](TPrintDialog &dialog) {
      dialog.edPdfFile->setText(pdf);
      return int(mrOk);
    });
    frame.PrintA->Execute();
    return int(mrOk);
  });
  ASSERT_TRUE(Console->PrintA->Execute());
  EXPECT_EQ(Read(txt), QByteArray("ID\tNAME\tTEN\r\n\r\n1\tAlfa\t10\r\n2\tBeta\t20\r\n3\tO'Brien\t30\r\n"));
  const QByteArray rich = Read(rtf);
  EXPECT_TRUE(rich.startsWith("{\\rtf1\\ansi\\ansicpg1250"));
  EXPECT_TRUE(rich.contains("\\b ID\\tab NAME\\tab TEN\\b0\\par"));
  EXPECT_TRUE(rich.contains("3\\tab O'Brien\\tab 30\\par"));
  EXPECT_TRUE(Read(pdf).startsWith("%PDF"));
}

TEST_F(ConsoleExportTest, ThePreviewOfOneColumnHasNoTabStops) {
  Run(QStringLiteral("select NAME from T1"));
  Dialogs.AnswerModalAs<TPrintForm>([](TPrintForm &form) {
    EXPECT_TRUE(form.ColEdFrame->TabStops().empty());
    return int(mrOk);
  });
  Console->PrintA->Execute();
}

TEST_F(ConsoleExportTest, HtmlNeedsAResultAndOpensTheReportDialog) {
  try {
    Console->GenerujHTMLA->Execute();
    ADD_FAILURE() << "no error";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Pusta tabela wynikowa"));
  }
  Run(QStringLiteral("select * from T1"));
  Dialogs.AnswerModalAs<Thtml>([](Thtml &) { return int(mrCancel); });
  ASSERT_TRUE(Console->GenerujHTMLA->Execute());
  EXPECT_EQ(Dialogs.ModalForms().back(), QStringLiteral("Thtml"));
}
