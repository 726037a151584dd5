#include "ConsoleFixture.h"
#include "DelimitedText.h"

#include "Actions.h"
#include "Application.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "UColEdFrame.h"
#include "UPrintDialog.h"
#include "UPrintF.h"
#include "USepDlg.h"
#include "zuvhtml1.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

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
  // "Drukuj" of the preview, to a PDF file.
  void PrintToPdf(TColEdFrame &frame, const QString &pdf) {
    Dialogs.AnswerModalAs<TPrintDialog>([pdf](TPrintDialog &dialog) {
      dialog.edPdfFile->setText(pdf);
      return int(mrOk);
    });
    frame.PrintA->Execute();
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
  // A value holding the quote character is quoted in tab mode too, or it would not read back.
  EXPECT_EQ(Read(SavedQueryPath("tab.tab")), QByteArray("2\tBeta\r\n3\t'O''Brien'\r\n"));
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
                         [](const testing::TestParamInfo<SeparatorCase> &info) {
                           return std::string(info.param.Name);
                         });

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
    EXPECT_EQ(frame.Lines(),
              (QStringList{QStringLiteral("ID\tNAME\tTEN"), QString(), QStringLiteral("1\tAlfa\t10"),
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
    PrintToPdf(frame, pdf);
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

// Where each cell of a line of the preview starts: the layout's x of the cell's first character.
std::vector<qreal> PreviewCellStarts(const QTextBlock &block) {
  block.document()->documentLayout()->blockBoundingRect(block); // lays the block out
  const QTextLine line = block.layout()->lineAt(0);
  std::vector<qreal> starts;
  int position = 0;
  for (const QString &cell : block.text().split(u'\t')) {
    starts.push_back(line.cursorToX(position));
    position += int(cell.size()) + 1;
  }
  return starts;
}

// The words of a PDF with the left and right edge and the line of each, and the size of its pages,
// as pdftotext reads them.
struct PdfWord {
  QString Text;
  double Left;
  double Right;
  double Top;
  size_t Page;
};

struct PdfText {
  std::vector<QSizeF> Pages;
  std::vector<PdfWord> Words;
};

PdfText ReadPdf(const QString &file) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
  if (!process.waitForFinished(30000) || process.exitCode() != 0) {
    ADD_FAILURE() << "pdftotext failed: " << process.readAllStandardError().constData();
    return {};
  }
  PdfText pdf;
  static const QRegularExpression item(QStringLiteral(
      R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>([^<]*)</word>)re"));
  for (auto it = item.globalMatch(QString::fromUtf8(process.readAllStandardOutput())); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    if (match.capturedLength(1) > 0)
      pdf.Pages.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
    else
      pdf.Words.push_back({match.captured(6), match.captured(3).toDouble(), match.captured(5).toDouble(),
                           match.captured(4).toDouble(), pdf.Pages.size() - 1});
  }
  return pdf;
}

// The left edge of each cell's first word on the PDF line that reads as the cells, left to right
// (pdftotext may list a line's words in another order); empty when no line does.
std::vector<double> PdfCellStarts(const std::vector<PdfWord> &words, const QStringList &cells) {
  QStringList wanted;
  std::vector<int> firstWords;
  for (const QString &cell : cells) {
    firstWords.push_back(int(wanted.size()));
    wanted += cell.split(u' ');
  }
  std::vector<std::vector<PdfWord>> lines;
  for (const PdfWord &word : words) {
    const auto line = std::find_if(lines.begin(), lines.end(), [&word](const std::vector<PdfWord> &line) {
      return line.front().Page == word.Page && std::abs(line.front().Top - word.Top) < 1;
    });
    if (line == lines.end())
      lines.push_back({word});
    else
      line->push_back(word);
  }
  for (std::vector<PdfWord> &line : lines) {
    std::sort(line.begin(), line.end(), [](const PdfWord &a, const PdfWord &b) { return a.Left < b.Left; });
    QStringList texts;
    for (const PdfWord &word : line)
      texts.append(word.Text);
    if (texts == wanted) {
      std::vector<double> starts;
      for (int first : firstWords)
        starts.push_back(line[size_t(first)].Left);
      return starts;
    }
  }
  return {};
}

TEST_F(ConsoleExportTest, EveryColumnStartsAtItsStopInThePreviewAndOnPaper) {
  Db->Execute(QStringLiteral("create table T5 (ID integer, NAME varchar(60), NOTE varchar(60), N integer)"));
  Db->Execute({QStringLiteral("insert into T5 values (1, 'Konstantynopolitanczykowianeczka', 'a', 7)"),
               QStringLiteral("insert into T5 values (22, 'Ewa', 'tab' || ascii_char(9) || 'inside', 8)"),
               QStringLiteral("insert into T5 values (333, 'line' || ascii_char(13) || ascii_char(10) || "
                              "'break', 'z', 9)")});
  delete Console.data();
  OpenConsole();
  Run(QStringLiteral("select * from T5 order by ID"));
  const QString pdf = SavedQueryPath("kolumny.pdf");
  const std::vector<QStringList> lines{
      {QStringLiteral("ID"), QStringLiteral("NAME"), QStringLiteral("NOTE"), QStringLiteral("N")},
      {QStringLiteral("1"), QStringLiteral("Konstantynopolitanczykowianeczka"), QStringLiteral("a"),
       QStringLiteral("7")},
      {QStringLiteral("22"), QStringLiteral("Ewa"), QStringLiteral("tab inside"), QStringLiteral("8")},
      {QStringLiteral("333"), QStringLiteral("line break"), QStringLiteral("z"), QStringLiteral("9")}};
  std::vector<int> stops;
  Dialogs.AnswerModalAs<TPrintForm>([&](TPrintForm &form) {
    TColEdFrame &frame = *form.ColEdFrame;
    stops = frame.TabStops();
    EXPECT_EQ(frame.Lines().size(), 5) << "a value with a TAB or a line break keeps to its row";
    std::vector<qreal> widest(lines.front().size(), 0);
    const QTextDocument &document = *frame.RichEdit->document();
    const qreal blank = QFontMetricsF(document.defaultFont()).horizontalAdvance(u' ');
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
      if (block.text().isEmpty())
        continue;
      const std::vector<qreal> starts = PreviewCellStarts(block);
      EXPECT_EQ(block.text().split(u'\t'),
                lines[size_t(block.blockNumber() == 0 ? 0 : block.blockNumber() - 1)]);
      EXPECT_EQ(starts.size(), stops.size() + 1) << block.text().toStdString();
      if (starts.size() != stops.size() + 1)
        continue;
      for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_NEAR(starts[i] - starts[0], stops[i - 1], 0.5)
            << "column " << i << " of " << block.text().toStdString();
      const QTextLine line = block.layout()->lineAt(0);
      int position = 0;
      const QStringList cells = block.text().split(u'\t');
      for (int i = 0; i < cells.size(); ++i) {
        position += int(cells[i].size());
        widest[size_t(i)] = std::max(widest[size_t(i)], line.cursorToX(position) - starts[0]);
        ++position;
      }
    }
    for (size_t i = 0; i < stops.size(); ++i)
      EXPECT_NEAR(stops[i] - widest[i], blank, 1.5)
          << "column " << i << " ends one blank after its widest text";
    PrintToPdf(frame, pdf);
    return int(mrOk);
  });
  ASSERT_TRUE(Console->PrintA->Execute());
  ASSERT_EQ(stops.size(), 3u);
  const std::vector<PdfWord> words = ReadPdf(pdf).Words;
  for (const QStringList &cells : lines) {
    const std::vector<double> starts = PdfCellStarts(words, cells);
    ASSERT_EQ(starts.size(), cells.size()) << "the printed line " << cells.join(u'|').toStdString();
    for (size_t i = 1; i < starts.size(); ++i)
      EXPECT_NEAR(starts[i] - starts[0], stops[i - 1] * 0.75, 1.0) // screen pixels in points
          << "column " << i << " of " << cells.join(u'|').toStdString();
  }
}

// A result far wider than a page of either orientation: rows numbered from 1 and fourteen columns,
// each value naming its row and its column.
QString WideSelect(int rows) {
  QStringList columns{QStringLiteral("ID")};
  for (int k = 1; k <= 14; ++k)
    columns.append(QStringLiteral("'w' || ID || 'k%1' as KOLUMNA_NR_%1").arg(k, 2, 10, QLatin1Char('0')));
  return QStringLiteral("with recursive R (ID) as (select 1 from RDB$DATABASE union all "
                        "select ID + 1 from R where ID < %1) select %2 from R order by ID")
      .arg(rows)
      .arg(columns.join(QStringLiteral(", ")));
}

// The header and the rows of WideSelect, cell by cell.
std::vector<QStringList> WideLines(int rows) {
  std::vector<QStringList> lines(size_t(rows) + 1);
  lines[0].append(QStringLiteral("ID"));
  for (int id = 1; id <= rows; ++id)
    lines[size_t(id)].append(QString::number(id));
  for (int k = 1; k <= 14; ++k) {
    const QString column = QStringLiteral("%1").arg(k, 2, 10, QLatin1Char('0'));
    lines[0].append(QStringLiteral("KOLUMNA_NR_") + column);
    for (int id = 1; id <= rows; ++id)
      lines[size_t(id)].append(QStringLiteral("w%1k%2").arg(id).arg(column));
  }
  return lines;
}

TEST_F(ConsoleExportTest, ThePreviewOfAWideResultOpensAtItsTopLeft) {
  Run(WideSelect(3));
  Dialogs.AnswerModalAs<TPrintForm>([](TPrintForm &form) {
    form.show();
    QCoreApplication::processEvents();
    const QTextEdit &edit = *form.ColEdFrame->RichEdit;
    EXPECT_GT(edit.horizontalScrollBar()->maximum(), 0) << "the preview is narrower than the result";
    EXPECT_EQ(edit.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(edit.cursorForPosition(QPoint(1, 1)).position(), 0) << "the first column's header shows first";
    EXPECT_EQ(edit.textCursor().position(), 0);
    form.hide();
    return int(mrOk);
  });
  ASSERT_TRUE(Console->PrintA->Execute());
}

struct PrintoutCase {
  const char *Name;
  const char *Orientation; // as the print dialog offers it
  bool Landscape;
  int Rows;
  bool SeveralPages;
};

void PrintTo(const PrintoutCase &c, std::ostream *os) { *os << c.Name; }

class WidePrintoutTest : public ConsoleExportTest, public testing::WithParamInterface<PrintoutCase> {};

// Scaled down to the page's width: every header and every value on paper, each where its column
// starts, none past the page's edge.
TEST_P(WidePrintoutTest, EveryColumnIsOnPaperInItsColumn) {
  const PrintoutCase &c = GetParam();
  Run(WideSelect(c.Rows));
  const QString pdf = SavedQueryPath("szeroki.pdf");
  std::vector<int> stops;
  Dialogs.AnswerModalAs<TPrintForm>([&](TPrintForm &form) {
    stops = form.ColEdFrame->TabStops();
    Dialogs.AnswerModalAs<TPrintDialog>([&](TPrintDialog &dialog) {
      EXPECT_EQ(dialog.cbOrientation->currentText(), QStringLiteral("Pionowa"));
      dialog.edPdfFile->setText(pdf);
      dialog.cbOrientation->setCurrentIndex(dialog.cbOrientation->findText(QString::fromUtf8(c.Orientation)));
      return int(mrOk);
    });
    form.ColEdFrame->PrintA->Execute();
    return int(mrOk);
  });
  ASSERT_TRUE(Console->PrintA->Execute());
  const PdfText text = ReadPdf(pdf);
  ASSERT_FALSE(text.Pages.empty());
  EXPECT_EQ(text.Pages.size() > 1, c.SeveralPages);
  const QSizeF page = text.Pages.front();
  EXPECT_EQ(page.width() > page.height(), c.Landscape);
  ASSERT_EQ(stops.size(), 14u);
  ASSERT_GT(stops.back() * 0.75, page.width())
      << "at the preview's size the last column starts past the edge";
  double scale = 0;
  for (const QStringList &cells : WideLines(c.Rows)) {
    const std::vector<double> starts = PdfCellStarts(text.Words, cells);
    ASSERT_EQ(starts.size(), cells.size()) << "the printed line " << cells.join(u'|').toStdString();
    if (scale == 0)
      scale = (starts.back() - starts.front()) / stops.back();
    for (size_t i = 1; i < starts.size(); ++i)
      EXPECT_NEAR(starts[i] - starts[0], stops[i - 1] * scale, 1.0)
          << "column " << i << " of " << cells.join(u'|').toStdString();
  }
  EXPECT_LT(scale, 0.75);
  double right = 0;
  for (const PdfWord &word : text.Words) {
    EXPECT_GE(word.Left, 0) << word.Text.toStdString();
    EXPECT_LE(word.Right, page.width()) << word.Text.toStdString();
    right = std::max(right, word.Right);
  }
  EXPECT_GT(right, page.width() - 2 / 2.54 * 72 - 30) << "the widest line reaches the right margin";
}

INSTANTIATE_TEST_SUITE_P(Layouts, WidePrintoutTest,
                         testing::Values(PrintoutCase{"Portrait", "Pionowa", false, 3, false},
                                         PrintoutCase{"Landscape", "Pozioma", true, 3, false},
                                         PrintoutCase{"PortraitPages", "Pionowa", false, 400, true}),
                         [](const testing::TestParamInfo<PrintoutCase> &info) {
                           return std::string(info.param.Name);
                         });

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

// A result holding every character that could split a record: separators, both quotes, line breaks,
// a tab, Polish letters, a text blob and a decimal comma.
class ConsoleRoundTripTest : public ConsoleExportTest {
protected:
  void SetUp() override {
    ConsoleExportTest::SetUp();
    if (IsSkipped())
      return;
    Db->Execute(QStringLiteral("create table T4 (ID integer, NAME varchar(40), AMOUNT numeric(9,2), "
                               "NOTE blob sub_type text, DAY_ date)"));
    Db->Execute(QString::fromUtf8("insert into T4 values (1, 'a,b;c', 1.5, 'x,y''z' || ascii_char(13) || "
                                  "ascii_char(10) || 'w', '2024-02-29')"));
    Db->Execute(QString::fromUtf8(
        "insert into T4 values (2, 'O''Brien \"Junior\"', -2, 'tab' || ascii_char(9) || 'bed', null)"));
    Db->Execute(QString::fromUtf8("insert into T4 values (3, 'Zażółć gęślą jaźń', 0, null, '2000-01-01')"));
    Db->Execute(QString::fromUtf8(
        "insert into T4 values (4, 'line' || ascii_char(10) || 'break', 1234.25, 'ąę', null)"));
    // A console whose transaction sees the new table.
    delete Console.data();
    OpenConsole();
    Run(QStringLiteral("select * from T4 order by ID"));
  }
  // The values as the console shows them, record by record.
  std::vector<QStringList> Shown() {
    std::vector<QStringList> records;
    for (Console->Query->First(); !Console->Query->Eof(); Console->Query->Next()) {
      QStringList values;
      for (const TField *field : Console->Query->FieldList())
        values.append(field->DataType() == ftDate ? field->Text() : field->AsString());
      records.push_back(values);
    }
    return records;
  }
};

TEST_F(ConsoleRoundTripTest, EveryExportReadsBackAsTheSameRecordsAndValues) {
  const std::vector<QStringList> shown = Shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0][2], QStringLiteral("1,5"));
  EXPECT_EQ(shown[0][3], QStringLiteral("x,y'z\r\nw"));
  struct Mode {
    const char *Name;
    TAction *Action;
    QString Separator, Quote;
    QChar ReadSeparator, ReadQuote;
  };
  const std::vector<Mode> modes{
      {"comma", Console->SeparatorFileAction, QStringLiteral(","), QStringLiteral("'"), u',', u'\''},
      {"semicolon and double quote", Console->SeparatorFileAction, QStringLiteral(";"), QStringLiteral("\""),
       u';', u'"'},
      {"tab", Console->TabFileAction, QStringLiteral("|"), QStringLiteral("'"), u'\t', u'\''}};
  for (const Mode &mode : modes) {
    ChooseSeparator(mode.Separator, false, mode.Quote);
    const QString path = SavedQueryPath("wynik.tab");
    Dialogs.AnswerFile(path);
    ASSERT_TRUE(mode.Action->Execute()) << mode.Name;
    EXPECT_EQ(ReadDelimited(Read(path), mode.ReadSeparator, mode.ReadQuote), shown) << mode.Name;
  }
}

TEST_F(ConsoleExportTest, TheKeyPairExportWritesEachRecordsOwnKeys) {
  Run(QString::fromUtf8("select ID as IDOBR, case ID when 1 then '12.5' when 3 then 'ą.b' end as IDD "
                        "from T1 order by ID"));
  Console->IBDataSetAfterOpen(Console->Query);
  Application()->DoIdle();
  Console->FieldNameCheck->setChecked(true); // no header in this format
  const QString path = SavedQueryPath("klucze.tab");
  Dialogs.AnswerFile(path);
  ASSERT_TRUE(Console->ZapiszKorvinA->Execute());
  EXPECT_EQ(Dialogs.FileDialogs().back().Filter, QStringLiteral("Pliki tablic (*.tab)|*.TAB"));
  EXPECT_EQ(Read(path), QByteArray("d 1.12-5\r\n\r\nd 3.\xb9-b\r\n"));
  // The next export writes the chosen format again.
  Dialogs.AnswerFile(path);
  ASSERT_TRUE(Console->SeparatorFileAction->Execute());
  EXPECT_EQ(Read(path), QByteArray("IDOBR,IDD\r\n1,'12.5'\r\n2,''\r\n3,'\xb9.b'\r\n"));
}
