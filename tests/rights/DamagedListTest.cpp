// A "bazy.txt" that cannot be read whole: the list window replaces it only when the person agrees,
// and then keeps a copy of the old bytes beside it; the rights editor refuses it and writes nothing.
// A file that reads whole loads in both windows and is written back unasked.
#include "MatrixFixture.h"

#include "DatabaseListKeeper.h"
#include "MxCheckTreeView.h"
#include "SecurityPeople.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "UMatrycaOpcje.h"
#include "UUprawnienia.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <random>
#include <unistd.h>

namespace {

const QByteArray kHeader = "\"Nazwa\",\"Baza\",\"Grupa\",\r\n";
const QByteArray kMapy = "\"Mapy\",\"/data/mapy.fdb\",\"KORVIN\",\r\n";
// What the window writes after the test has added its one row to the empty list.
const QByteArray kWritten = kHeader + "\"Nowa\",\"/data/nowa.fdb\",\"VELDAR\",\r\n";
const char kNulRow[] = "\"Ewi\0dencja\",\"/data/ewid.fdb\",\"VELDAR\",\r\n";

QByteArray RandomBytes(qsizetype size) {
  std::mt19937 generator(30);
  QByteArray bytes(size, '\0');
  for (char &byte : bytes)
    byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

QByteArray Utf16(const QByteArray &text) {
  QByteArray bytes = "\xFF\xFE";
  for (const char c : text)
    bytes += QByteArray(1, c) + QByteArray(1, '\0');
  return bytes;
}

struct DamagedFile {
  const char *Name;
  QByteArray Bytes;
  // The text the load error starts with, %1 standing for the file; "" where junk decides it.
  QString Error;
};

void PrintTo(const DamagedFile &file, std::ostream *os) { *os << file.Name; }

// The reader's own words, inside the list's sentence.
QString ReaderError(const char *text) {
  return QString::fromUtf8("Odczyt listy baz z pliku %1 przerwał błąd: ") + QString::fromUtf8(text);
}

QString BlankFirstLine() {
  return QString::fromUtf8("Plik %1 ma pusty wiersz 1 przed dalszymi wierszami: lista została odczytana "
                           "tylko do niego, a jej zapis pominąłby resztę pliku.");
}

const std::vector<DamagedFile> &DamagedFiles() {
  static const std::vector<DamagedFile> files = {
      {"TruncatedRow", kHeader + kMapy + "\"Ewidencja\",\"/data/ew",
       ReaderError("A quoted value is not closed; the file is damaged (line 3)")},
      {"NulByte", kHeader + kMapy + QByteArray(kNulRow, sizeof kNulRow - 1),
       ReaderError("A quoted value is not closed; the file is damaged (line 3)")},
      {"OverlongValue",
       kHeader + kMapy + "\"Za dluga\",\"/data/" + QByteArray(300, 'x') + ".fdb\",\"VELDAR\",\r\n",
       QString::fromUtf8("Wartość pola „Baza” w pliku %1 ma 310 znaków, a pole mieści najwyżej 300.")},
      // Read as a header of junk columns, it would give rows of nothing.
      {"RandomBytes", RandomBytes(4096), ""},
      {"Utf16", Utf16(kHeader + kMapy), ReaderError("The file is not Windows-1250 text: it is UTF-16")},
      {"Utf8WithMark", "\xEF\xBB\xBF" + kHeader + kMapy,
       ReaderError("The file is not Windows-1250 text: it is UTF-8")},
      // The column would be dropped by the next save.
      {"UnknownColumn",
       "\"Nazwa\",\"Baza\",\"Grupa\",\"Opis\",\r\n\"Mapy\",\"/data/mapy.fdb\",\"KORVIN\",\"stara\",\r\n",
       QString::fromUtf8(
           "Kolumna „Opis” w pliku %1 nie należy do listy baz (Nazwa, Baza, Grupa); zapis listy "
           "by ją pominął.")},
      // Every row's group would be written empty.
      {"MissingColumn", "\"Nazwa\",\"Baza\",\r\n\"Mapy\",\"/data/mapy.fdb\",\"KORVIN\",\r\n",
       QString::fromUtf8("W nagłówku pliku %1 brak kolumny „Grupa” listy baz (Nazwa, Baza, Grupa); zapis "
                         "listy zostawiłby ją pustą w każdym wierszu.")},
      // The fourth value would be dropped by the next save.
      {"ValuePastColumns", kHeader + kMapy + "\"Ewidencja\",\"/data/ewid.fdb\",\"VELDAR\",\"stara\",\r\n",
       QString::fromUtf8("Wiersz 3 pliku %1 ma więcej wartości niż kolumn listy baz (Nazwa, Baza, Grupa); "
                         "zapis listy pominąłby wartość „stara”.")},
      // The reader stops at the empty line; every row after it would go at the next save.
      {"BlankFirstLineCrLf", "\r\n" + kHeader + kMapy, BlankFirstLine()},
      {"BlankFirstLineLf", "\n" + kHeader + kMapy, BlankFirstLine()},
      {"BlankLinesBeforeHeader", "\r\n\r\n\n" + kHeader + kMapy, BlankFirstLine()},
  };
  return files;
}

enum class Way { Cancel, SaveRefused, SaveAgreed, MatrixRefused, MatrixAgreed };

const char *WayName(Way way) {
  switch (way) {
  case Way::Cancel: return "Anuluj";
  case Way::SaveRefused: return "ZapiszNo";
  case Way::SaveAgreed: return "ZapiszYes";
  case Way::MatrixRefused: return "MatrycaNo";
  case Way::MatrixAgreed: return "MatrycaYes";
  }
  return "";
}

void PrintTo(Way way, std::ostream *os) { *os << WayName(way); }

// The list window over a security database whose users the matrix dialog lists; the people are made
// once for the program.
class DamagedListTest : public MatrixListTest {
protected:
  static void SetUpTestSuite() {
    if (TestServer::Available() && !People) {
      People = std::make_unique<SecurityPeople>();
      Module = People->Connect();
    }
  }
  static void TearDownTestSuite() {
    Module.reset();
    People.reset();
  }

  void SetUp() override {
    if (!People)
      GTEST_SKIP() << "no test server: run tools/test.sh";
    MatrixListTest::SetUp();
  }

  // Opens the window on the file, whose load error is told; answers that error's text as shown.
  QString OpenOnDamaged(const DamagedFile &file) {
    WriteFileBytes(ListPath(), file.Bytes);
    Dialogs.AnswerMessage(mrOk);
    OpenWindow();
    EXPECT_EQ(Dialogs.Messages().size(), 1u);
    if (Dialogs.Messages().empty())
      return QString();
    const TMessageRequest loadError = Dialogs.Messages()[0];
    EXPECT_EQ(loadError.Icon, mtError);
    if (!file.Error.isEmpty()) {
      EXPECT_TRUE(loadError.Text.startsWith(file.Error.arg(ListPath()))) << loadError.Text.toStdString();
    }
    EXPECT_TRUE(ListedRows(*Form).isEmpty()) << "nothing of a refused file is shown";
    EXPECT_TRUE(Form->DatabaseList().Unread());
    Form->FDM = Module.get();
    Form->FUserName = QStringLiteral("SYSDBA");
    Form->FPassword = TestServer::SysdbaPassword();
    Form->FServer = People->Server();
    Form->cbPokaz->setChecked(false);
    Dialogs.Clear();
    return loadError.Text;
  }
  QString PagePath() const { return Folder.filePath(QStringLiteral("matryca.html")); }
  QString BackupPath() const { return ListPath() + QStringLiteral(".bak"); }
  // The question before an unread file is replaced: it gives the load error as it was shown (where
  // the application's handler may have added a full stop) and where the old bytes go.
  void ExpectQuestion(const QString &loadError, const QString &backup) {
    ASSERT_FALSE(Dialogs.Messages().empty());
    const TMessageRequest &question = Dialogs.Messages()[0];
    const QString head = QString::fromUtf8("Nie udało się odczytać pliku %1:\n").arg(ListPath());
    const QString tail =
        QString::fromUtf8("\n\nZapisanie listy zastąpi ten plik. Jego dotychczasowa zawartość "
                          "zostanie zachowana w pliku %2.\n\nCzy zastąpić plik %1?")
            .arg(ListPath(), backup);
    EXPECT_TRUE(question.Text.startsWith(head)) << question.Text.toStdString();
    EXPECT_TRUE(question.Text.endsWith(tail)) << question.Text.toStdString();
    const QString reason = question.Text.mid(head.size(), question.Text.size() - head.size() - tail.size());
    EXPECT_TRUE(loadError == reason || loadError == reason + u'.') << question.Text.toStdString();
    EXPECT_EQ(question.Caption, QStringLiteral("Uwaga"));
    EXPECT_EQ(question.Icon, mtWarning);
    EXPECT_EQ(question.Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(question.DefaultButton, 1) << "No unless the person says otherwise";
  }

  static std::unique_ptr<SecurityPeople> People;
  static std::unique_ptr<TDMSecurity> Module;
};

std::unique_ptr<SecurityPeople> DamagedListTest::People;
std::unique_ptr<TDMSecurity> DamagedListTest::Module;

class DamagedListWayTest : public DamagedListTest,
                           public testing::WithParamInterface<std::tuple<DamagedFile, Way>> {};

TEST_P(DamagedListWayTest, TheFileStaysAsItWasUnlessThePersonAgreesAndThenItsBytesStayBesideIt) {
  const auto &[file, way] = GetParam();
  const QString loadError = OpenOnDamaged(file);
  Form->TableBazy->AppendRecord({"Nowa", "/data/nowa.fdb", "VELDAR"});
  const bool agreed = way == Way::SaveAgreed || way == Way::MatrixAgreed;
  if (way != Way::Cancel)
    Dialogs.AnswerMessage(agreed ? mrYes : mrNo);
  if (way == Way::MatrixAgreed) {
    Dialogs.AnswerModalAs<TMatrycaOpcje>([](TMatrycaOpcje &options) {
      options.Button2->click();
      options.Button4->click();
      return int(mrOk);
    });
    Dialogs.AnswerFile(PagePath());
  }
  const bool matrix = way == Way::MatrixRefused || way == Way::MatrixAgreed;
  Click(way == Way::Cancel ? Form->BitBtn2 : matrix ? Form->BitBtn1 : Form->BitBtn3);

  if (way == Way::Cancel) {
    EXPECT_TRUE(Dialogs.Messages().empty());
  } else {
    ExpectQuestion(loadError, BackupPath());
    EXPECT_EQ(Dialogs.Messages().size(), 1u) << "nothing is told after the answer";
  }
  EXPECT_TRUE(Dialogs.Exhausted());
  if (agreed) {
    EXPECT_EQ(FileBytes(BackupPath()), file.Bytes);
    EXPECT_EQ(FileBytes(ListPath()), kWritten);
    EXPECT_EQ(Form->ModalResult(), mrOk);
    EXPECT_FALSE(Form->DatabaseList().Unread());
  } else {
    EXPECT_EQ(FileBytes(ListPath()), file.Bytes);
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"bazy.txt"});
    EXPECT_EQ(Form->ModalResult(), way == Way::Cancel ? mrCancel : mrNone);
    EXPECT_EQ(ListedRows(*Form), QStringList{"Nowa|/data/nowa.fdb|VELDAR"}) << "the edits stay";
  }
  if (way == Way::MatrixRefused) {
    EXPECT_TRUE(Dialogs.ModalForms().empty()) << "a no comes before anything is read";
  }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedListWayTest,
                         testing::Combine(testing::ValuesIn(DamagedFiles()),
                                          testing::Values(Way::Cancel, Way::SaveRefused, Way::SaveAgreed,
                                                          Way::MatrixRefused, Way::MatrixAgreed)),
                         [](const testing::TestParamInfo<std::tuple<DamagedFile, Way>> &info) {
                           return std::string(std::get<0>(info.param).Name) + "_" +
                                  WayName(std::get<1>(info.param));
                         });

// Another unread file's bytes kept before are not overwritten: the next free name is taken.
TEST_F(DamagedListTest, AnEarlierBackupStaysAndTheNextFreeNameIsTaken) {
  const DamagedFile &file = DamagedFiles().front();
  WriteFileBytes(BackupPath(), "earlier");
  const QString loadError = OpenOnDamaged(file);
  Form->TableBazy->AppendRecord({"Nowa", "/data/nowa.fdb", "VELDAR"});
  Dialogs.AnswerMessage(mrYes);
  Click(Form->BitBtn3);
  const QString second = ListPath() + QStringLiteral(".2.bak");
  ExpectQuestion(loadError, second);
  EXPECT_EQ(FileBytes(BackupPath()), "earlier");
  EXPECT_EQ(FileBytes(second), file.Bytes);
  EXPECT_EQ(FileBytes(ListPath()), kWritten);
}

// Where the old bytes cannot be kept, nothing is replaced, and a later save asks no more.
TEST_F(DamagedListTest, AReplaceThatCannotKeepTheOldFileWritesNothing) {
  const DamagedFile &file = DamagedFiles().front();
  OpenOnDamaged(file);
  Form->TableBazy->AppendRecord({"Nowa", "/data/nowa.fdb", "VELDAR"});
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrOk);
  {
    ReadOnlyFolder readOnly(Folder.path());
    Click(Form->BitBtn3);
  }
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_TRUE(Dialogs.Messages()[1].Text.startsWith(
      QString::fromUtf8("Nie udało się zachować pliku %1 jako %2; lista nie została zapisana.")
          .arg(ListPath(), BackupPath())))
      << Dialogs.Messages()[1].Text.toStdString();
  EXPECT_EQ(Dialogs.Messages()[1].Icon, mtError);
  EXPECT_EQ(FileBytes(ListPath()), file.Bytes);
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"bazy.txt"});
  EXPECT_EQ(Form->ModalResult(), mrNone);
  // The yes holds until a save succeeds.
  Dialogs.Clear();
  Click(Form->BitBtn3);
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(FileBytes(BackupPath()), file.Bytes);
  EXPECT_EQ(FileBytes(ListPath()), kWritten);
}

// However the list's name reaches its bytes, the ".bak" is a file of its own holding the old bytes,
// and the list that was saved is what the name then reads.
TEST_F(DamagedListTest, TheOldBytesAreCopiedWhateverNameTheListHas) {
  const DamagedFile &file = DamagedFiles().front();
  const QString kept = Folder.filePath(QStringLiteral("kept.txt"));
  using Link = bool (*)(const QString &, const QString &);
  const std::pair<const char *, Link> names[] = {
      {"symbolic link", [](const QString &target, const QString &name) { return QFile::link(target, name); }},
      {"second name", [](const QString &target,
                         const QString &name) { return ::link(qPrintable(target), qPrintable(name)) == 0; }},
  };
  for (const auto &[label, link] : names) {
    QFile::remove(ListPath());
    QFile::remove(BackupPath());
    Dialogs.Clear();
    WriteFileBytes(kept, file.Bytes);
    ASSERT_TRUE(link(kept, ListPath())) << label;
    const QString loadError = OpenOnDamaged(file);
    Form->TableBazy->AppendRecord({"Nowa", "/data/nowa.fdb", "VELDAR"});
    Dialogs.AnswerMessage(mrYes);
    Click(Form->BitBtn3);
    ExpectQuestion(loadError, BackupPath());
    EXPECT_FALSE(QFileInfo(BackupPath()).isSymLink()) << label;
    EXPECT_EQ(FileBytes(BackupPath()), file.Bytes) << label;
    EXPECT_EQ(FileBytes(ListPath()), kWritten) << label;
    QFile::remove(kept);
  }
}

// Files that lose nothing when they are read: both windows take them, and the list window writes
// them back without a question.
struct SoundFile {
  const char *Name;
  QByteArray Bytes;
  QStringList Rows;
  QByteArray Saved;
};

void PrintTo(const SoundFile &file, std::ostream *os) { *os << file.Name; }

const std::vector<SoundFile> &SoundFiles() {
  static const std::vector<SoundFile> files = {
      {"ColumnsInAnotherOrder",
       "\"Grupa\",\"Baza\",\"Nazwa\",\r\n\"KORVIN\",\"/data/mapy.fdb\",\"Mapy\",\r\n",
       {"Mapy|/data/mapy.fdb|KORVIN"},
       kHeader + kMapy},
      // A row of nothing but blanks, bare or quoted, is no row.
      {"RowsOfBlanks",
       kHeader + "   \r\n" + kMapy + "\"  \",,,\r\n \t ,  ,\r\n",
       {"Mapy|/data/mapy.fdb|KORVIN"},
       kHeader + kMapy},
      {"BlankValuePastColumns",
       kHeader + "\"Mapy\",\"/data/mapy.fdb\",\"KORVIN\", \r\n",
       {"Mapy|/data/mapy.fdb|KORVIN"},
       kHeader + kMapy},
      // A "%" typed by hand is a character of the path; the save escapes it.
      {"HandWrittenPercent",
       kHeader + "\"Rabat\",\"/data/50%rabat.fdb\",\"VELDAR\",\r\n",
       {"Rabat|/data/50%rabat.fdb|VELDAR"},
       kHeader + "\"Rabat\",\"/data/50%%rabat.fdb\",\"VELDAR\",\r\n"},
      {"OnlyLineEnds", "\r\n\r\n\n", {}, kHeader},
      // An editor that leaves empty lines at the end loses nothing by them.
      {"EmptyLinesAtTheEnd", kHeader + kMapy + "\r\n\r\n\n", {"Mapy|/data/mapy.fdb|KORVIN"}, kHeader + kMapy},
  };
  return files;
}

class SoundListTest : public DamagedListTest, public testing::WithParamInterface<SoundFile> {};

TEST_P(SoundListTest, TheListWindowShowsTheRowsAndWritesThemBackUnasked) {
  const SoundFile &file = GetParam();
  WriteFileBytes(ListPath(), file.Bytes);
  OpenWindow();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_FALSE(Form->DatabaseList().Unread());
  EXPECT_EQ(ListedRows(*Form), file.Rows);
  Click(Form->BitBtn3);
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(FileBytes(ListPath()), file.Saved);
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"bazy.txt"});
  // What was written reads back the same.
  OpenWindow();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(ListedRows(*Form), file.Rows);
}

TEST_P(SoundListTest, TheRightsEditorTakesTheRows) {
  const SoundFile &file = GetParam();
  WriteFileBytes(ListPath(), file.Bytes);
  TUprawnieniaForm editor;
  editor.FGroup = QStringLiteral("Wszystkie");
  editor.InitRightsEditor(Module->Database, People->Server(), QStringLiteral("bazy.txt"));
  EXPECT_EQ(ListedRows(*editor.MemTable), file.Rows);
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(FileBytes(ListPath()), file.Bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, SoundListTest, testing::ValuesIn(SoundFiles()),
                         [](const testing::TestParamInfo<SoundFile> &info) { return info.param.Name; });

class DamagedListEditorTest : public DamagedListTest, public testing::WithParamInterface<DamagedFile> {};

// The rights editor reads the same file: it refuses it whole and never writes it.
TEST_P(DamagedListEditorTest, TheRightsEditorRefusesTheFileAndWritesNothing) {
  const DamagedFile &file = GetParam();
  WriteFileBytes(ListPath(), file.Bytes);
  TUprawnieniaForm editor;
  editor.FGroup = QStringLiteral("Wszystkie");
  try {
    editor.InitRightsEditor(Module->Database, People->Server(), QStringLiteral("bazy.txt"));
    ADD_FAILURE() << "the damaged list was taken";
  } catch (const Exception &error) {
    if (!file.Error.isEmpty()) {
      EXPECT_TRUE(error.Message().startsWith(file.Error.arg(ListPath()))) << error.Message().toStdString();
    }
  }
  EXPECT_EQ(editor.TreeView->Items()->Count(), 0);
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(FileBytes(ListPath()), file.Bytes);
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"bazy.txt"});
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedListEditorTest, testing::ValuesIn(DamagedFiles()),
                         [](const testing::TestParamInfo<DamagedFile> &info) { return info.param.Name; });

} // namespace
