#include "ExDBGridCtlsForm.h"

#include "DataSource.h"
#include "ExDBGrid.h"
#include "ExDBGridPicture.h"
#include "ExPrintDialog.h"
#include "Field.h"
#include "GridInput.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"
#include "TestDataSet.h"
#include "TextFile.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

QByteArray Jpeg(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG");
  return bytes;
}

// The text of a PDF as pdftotext reads it.
QString PdfText(const QString &file) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
  if (!process.waitForFinished(30000) || process.exitCode() != 0)
    return QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
  return QString::fromUtf8(process.readAllStandardOutput());
}

// A grid over (NAME, NOTE memo, PIC graphic, RICH formatted memo) with popup editors.
class ExDBGridCtlsFormTest : public testing::Test {
protected:
  void SetUp() override {
    data.FieldDefs().Add(QStringLiteral("NAME"), ftString, 40);
    data.FieldDefs().Add(QStringLiteral("NOTE"), ftMemo);
    data.FieldDefs().Add(QStringLiteral("PIC"), ftGraphic);
    data.FieldDefs().Add(QStringLiteral("RICH"), ftFmtMemo);
    data.Open();
    data.AppendRecord({QStringLiteral("ADAM"), QStringLiteral("line one\r\nline two"), Jpeg(QSize(40, 30)),
                       QByteArray("{\\rtf1\\ansi\\pard \\b Wa\\'bfne\\b0\\par}")});
    data.AppendRecord({QStringLiteral("BEATA"), QVariant(), QVariant(), QVariant()});
    data.First();
    source.SetDataSet(&data);
    window.resize(500, 200);
    grid = new TExDBGrid(&window);
    grid->setGeometry(0, 0, 500, 200);
    grid->SetScrollBars(ssNone);
    grid->SetDataSource(&source);
    grid->SetDisplayPopupEditors(true);
    for (int i = 0; i < grid->Columns().Count(); ++i)
      grid->Columns()[i]->SetWidth(100);
    GridInput::UseStableLook();
    GridInput::ShowFocused(window, *grid);
  }
  QRect Cell(int dataCol, int dataRow = 0) const {
    return grid->CellRect(dataCol + grid->IndicatorOffset(), dataRow + grid->TitleOffset());
  }
  TField *Field(const char *name) { return data.FieldByName(QString::fromLatin1(name)); }

  ScriptedDialogs dialogs;
  QTemporaryDir dir;
  TTestDataSet data;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};

TEST_F(ExDBGridCtlsFormTest, DoubleClickEditsTheMemoAndOkWritesIt) {
  dialogs.AnswerModalAs<TExDBGridCtlsForm>([](TExDBGridCtlsForm &form) {
    EXPECT_EQ(form.Caption(), "Field: NOTE");
    EXPECT_EQ(form.View(), TExDBGridCtlsForm::vwMemo);
    EXPECT_EQ(form.Memo1()->toPlainText(), "line one\nline two");
    EXPECT_FALSE(form.Memo1()->isReadOnly());
    EXPECT_FALSE(form.SaveAsbtn()->parentWidget()->isHidden());
    form.Memo1()->setPlainText(QStringLiteral("zmieniona\nnotatka"));
    form.Okbtn()->click();
    return form.ModalResult();
  });
  GridInput::DoubleClick(*grid->viewport(), Cell(1).center());
  EXPECT_EQ(Field("NOTE")->AsString(), "zmieniona\r\nnotatka");
  EXPECT_EQ(data.State(), dsEdit);
  EXPECT_TRUE(dialogs.Exhausted());
}

TEST_F(ExDBGridCtlsFormTest, CancelLeavesTheMemo) {
  dialogs.AnswerModalAs<TExDBGridCtlsForm>([](TExDBGridCtlsForm &form) {
    form.Memo1()->setPlainText(QStringLiteral("lost"));
    form.Cancelbtn()->click();
    return form.ModalResult();
  });
  grid->SetSelectedIndex(1);
  GridInput::Press(Qt::Key_Return);
  EXPECT_EQ(Field("NOTE")->AsString(), "line one\r\nline two");
  EXPECT_EQ(data.State(), dsBrowse);
}

TEST_F(ExDBGridCtlsFormTest, PictureShowsWithItsKindAndSize) {
  dialogs.AnswerModalAs<TExDBGridCtlsForm>([](TExDBGridCtlsForm &form) {
    EXPECT_EQ(form.View(), TExDBGridCtlsForm::vwPicture);
    EXPECT_EQ(form.Caption(), "Field: PIC - Jpeg Image - 1Kb");
    EXPECT_EQ(form.Picture().size(), QSize(40, 30));
    EXPECT_TRUE(form.SaveAsbtn()->parentWidget()->isHidden());
    return int(mrCancel);
  });
  grid->SetSelectedIndex(2);
  GridInput::Press(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_TRUE(dialogs.Exhausted());
}

struct PictureKindCase {
  const char *name;
  QByteArray blob;
  const char *caption;
  QSize size;
};

void PrintTo(const PictureKindCase &c, std::ostream *os) { *os << c.name; }

QByteArray Bitmap(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::blue);
  return EncodeGridPicture(image, "BMP");
}

class ExDBGridCtlsFormPictureTest : public ExDBGridCtlsFormTest,
                                    public testing::WithParamInterface<PictureKindCase> {};

TEST_P(ExDBGridCtlsFormPictureTest, TriesBitmapThenOleThenJpeg) {
  data.Edit();
  Field("PIC")->SetAsBytes(GetParam().blob);
  TExDBGridCtlsForm form;
  form.SetCaptionText(QStringLiteral("Field: PIC"));
  form.SetField(Field("PIC"));
  form.SetDataSource(&source);
  form.FormActivate();
  EXPECT_EQ(form.View(), TExDBGridCtlsForm::vwPicture);
  EXPECT_EQ(form.Caption(), QString::fromLatin1(GetParam().caption));
  EXPECT_EQ(form.Picture().size(), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExDBGridCtlsFormPictureTest,
    testing::Values(
        PictureKindCase{"Bitmap", Bitmap(QSize(20, 10)), "Field: PIC - Bitmap Image - 1Kb", QSize(20, 10)},
        PictureKindCase{"OleBitmap", QByteArray(78, 'x') + Bitmap(QSize(30, 30)),
                        "Field: PIC - OLE Bitmap Image - 3Kb", QSize(30, 30)},
        PictureKindCase{"Jpeg", Jpeg(QSize(40, 30)), "Field: PIC - Jpeg Image - 1Kb", QSize(40, 30)},
        PictureKindCase{"Unreadable", QByteArray("GIF89a not one of ours"),
                        "Field: PIC - OLE Bitmap Image - 1Kb", QSize(0, 0)},
        PictureKindCase{"BitmapClaimingTooMuch",
                        Bitmap(QSize(4, 4)).replace(18, 8, QByteArray("\x30\x75\0\0\x30\x75\0\0", 8)),
                        "Field: PIC - OLE Bitmap Image - 1Kb", QSize(0, 0)}),
    [](const testing::TestParamInfo<PictureKindCase> &info) { return std::string(info.param.name); });

TEST_F(ExDBGridCtlsFormTest, RichTextShowsFormattedAndWritesRtf) {
  data.Edit();
  TExDBGridCtlsForm form;
  form.SetCaptionText(QStringLiteral("Field: RICH"));
  form.SetField(Field("RICH"));
  form.SetDataSource(&source);
  form.FormActivate();
  ASSERT_EQ(form.View(), TExDBGridCtlsForm::vwRichEdit);
  EXPECT_EQ(form.RichEdit1()->toPlainText(), QStringLiteral("Wa\u017cne"));
  form.RichEdit1()->setPlainText(QStringLiteral("Nowe"));
  form.OkbtnClick();
  EXPECT_EQ(form.ModalResult(), mrYes);
  EXPECT_TRUE(Field("RICH")->AsBytes().startsWith("{\\rtf1"));
  EXPECT_TRUE(Field("RICH")->AsBytes().contains("Nowe"));
}

TEST_F(ExDBGridCtlsFormTest, RicherRtfIsShownReadOnly) {
  const QByteArray richer("{\\rtf1\\ansi\\pard\\qc Tabela\\par{\\pict 0102}}");
  data.Edit();
  Field("RICH")->SetAsBytes(richer);
  TExDBGridCtlsForm form;
  form.SetField(Field("RICH"));
  form.SetDataSource(&source);
  form.FormActivate();
  EXPECT_EQ(form.RichEdit1()->toPlainText(), "Tabela");
  EXPECT_TRUE(form.RichEdit1()->isReadOnly());
  form.OkbtnClick();
  EXPECT_EQ(Field("RICH")->AsBytes(), richer) << "the stored bytes are kept";
}

TEST_F(ExDBGridCtlsFormTest, OkWithoutDataSourceRaises) {
  TExDBGridCtlsForm form;
  form.SetField(Field("NOTE"));
  form.FormActivate();
  try {
    form.OkbtnClick();
    FAIL() << "no error";
  } catch (const Exception &error) {
    EXPECT_EQ(error.Message(), "Datasource Not Assigned");
  }
}

TEST_F(ExDBGridCtlsFormTest, SaveAsWritesTheLinesAndConfirms) {
  TExDBGridCtlsForm form;
  form.SetField(Field("NOTE"));
  form.SetDataSource(&source);
  form.FormActivate();
  const QString file = dir.filePath(QStringLiteral("notatka \u0142\u00f3d\u017a.txt"));
  dialogs.AnswerFile(file);
  dialogs.AnswerMessage(mrOk);
  form.SaveAsbtnClick();
  EXPECT_EQ(TextFile::ReadLines(file), QStringList({"line one", "line two"}));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, file + " Saved !");
  EXPECT_EQ(dialogs.FileDialogs()[0].Title, "Save Text As");
}

TEST_F(ExDBGridCtlsFormTest, PictureOpenCheckedAndWrittenWhileEditing) {
  const QString bad = dir.filePath(QStringLiteral("bad.jpg"));
  TextFile::WriteLines(bad, {"not a picture"});
  const QString good = dir.filePath(QStringLiteral("good.jpg"));
  {
    QFile out(good);
    out.open(QIODevice::WriteOnly);
    out.write(Jpeg(QSize(8, 8)));
  }
  data.Edit();
  TExDBGridCtlsForm form;
  form.SetField(Field("PIC"));
  form.SetDataSource(&source);
  form.FormActivate();
  dialogs.AnswerFile(bad);
  EXPECT_THROW(form.FileOpen(), EConvertError);
  EXPECT_EQ(form.Picture().size(), QSize(40, 30)) << "a failed load keeps the picture";
  dialogs.AnswerFile(good);
  form.FileOpen();
  form.OkbtnClick();
  EXPECT_EQ(Field("PIC")->AsBytes(), Jpeg(QSize(8, 8)));
  form.MenuClick(4);
  form.OkbtnClick();
  EXPECT_TRUE(Field("PIC")->IsNull());
}

TEST_F(ExDBGridCtlsFormTest, MemoPrintsToPdf) {
  const QString pdf = dir.filePath(QStringLiteral("memo.pdf"));
  TExDBGridCtlsForm form;
  form.SetField(Field("NOTE"));
  form.SetDataSource(&source);
  form.FormActivate();
  dialogs.AnswerModalAs<TExPrintDialog>([&](TExPrintDialog &dialog) {
    dialog.edPdfFile->setText(pdf);
    dialog.btnOK->click();
    return dialog.ModalResult();
  });
  form.PrintBtnClick();
  const QString text = PdfText(pdf);
  EXPECT_TRUE(text.contains("line one")) << text.toStdString();
  EXPECT_TRUE(text.contains("line two")) << text.toStdString();
}

TEST_F(ExDBGridCtlsFormTest, MemoPrintFailureShowsItsError) {
  TExDBGridCtlsForm form;
  form.SetField(Field("NOTE"));
  form.SetDataSource(&source);
  form.FormActivate();
  dialogs.AnswerModalAs<TExPrintDialog>([&](TExPrintDialog &dialog) {
    dialog.edPdfFile->setText(dir.filePath(QStringLiteral("no such folder/memo.pdf")));
    dialog.btnOK->click();
    return dialog.ModalResult();
  });
  dialogs.AnswerMessage(mrOk);
  form.PrintBtnClick();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Error Printing Text.");
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtError);
}

class ExDBGridPrintTest : public ExDBGridCtlsFormTest {
protected:
  void PrintTo(const QString &pdf) {
    dialogs.AnswerModalAs<TExPrintDialog>([pdf](TExPrintDialog &dialog) {
      dialog.edPdfFile->setText(pdf);
      dialog.btnOK->click();
      return dialog.ModalResult();
    });
  }
};

TEST_F(ExDBGridPrintTest, PrintDataSetPrintsEveryRecordUnderTheCaption) {
  for (int i = 0; i < 10000; ++i)
    data.AppendRecord(
        {QStringLiteral("U\u017bYTKOWNIK_%1").arg(i, 5, 10, QChar('0')), QVariant(), QVariant(), QVariant()});
  data.Last();
  grid->SetReportCaption(QStringLiteral("Lista u\u017cytkownik\u00f3w"));
  const QString pdf = dir.filePath(QStringLiteral("dataset.pdf"));
  PrintTo(pdf);
  ASSERT_TRUE(grid->PrintDataSet());
  const QString text = PdfText(pdf);
  EXPECT_GE(text.count(QStringLiteral("Lista u\u017cytkownik\u00f3w")), 2) << "every page carries the title";
  for (const QString &name :
       {QStringLiteral("ADAM"), QStringLiteral("BEATA"), QStringLiteral("U\u017bYTKOWNIK_00000"),
        QStringLiteral("U\u017bYTKOWNIK_05000"), QStringLiteral("U\u017bYTKOWNIK_09999")})
    EXPECT_TRUE(text.contains(name)) << name.toStdString();
  EXPECT_TRUE(text.contains("NAME"));
  EXPECT_EQ(Field("NAME")->AsString(), "ADAM") << "the dataset is back on its first record";
}

TEST_F(ExDBGridPrintTest, PrintGridPrintsTheCaptionAndCancelPrintsNothing) {
  grid->SetReportCaption(QStringLiteral("Siatka"));
  const QString pdf = dir.filePath(QStringLiteral("grid.pdf"));
  PrintTo(pdf);
  grid->MenuItem(18)->trigger();
  EXPECT_TRUE(PdfText(pdf).contains("Siatka"));
  dialogs.AnswerModal([](TForm &) { return int(mrCancel); });
  EXPECT_FALSE(grid->PrintGrid());
}

} // namespace
