#include "MxToolEdit.h"
#include "Input.h"
#include "ScriptedDialogs.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ButtonClicks {
  int Count = 0;
  void Attach(TCustomComboEdit &edit) {
    edit.OnButtonClick = [this, &edit](QObject *sender) {
      EXPECT_EQ(sender, &edit);
      ++Count;
    };
  }
};

void AltDown(QWidget *edit) { input::Key(edit, Qt::Key_Down, Qt::AltModifier); }

// A drop-down that keeps a text value.
class TextPopup : public TPopupWindow {
public:
  explicit TextPopup(TCustomComboEdit *editor) : TPopupWindow(editor) { resize(150, 80); }
  QVariant GetValue() override { return Value; }
  void SetValue(const QVariant &value) override { Value = value; }
  QVariant Value;
};

class PopupEdit : public TComboEdit {
public:
  PopupEdit() { SetPopup(FText = new TextPopup(this)); }
  TextPopup *FText;
};

} // namespace

TEST(ComboEdit, ButtonAndClickKeyFireOnButtonClick) {
  TComboEdit edit;
  edit.resize(150, 21);
  edit.show();
  ButtonClicks clicks;
  clicks.Attach(edit);
  input::Click(edit.Button());
  EXPECT_EQ(clicks.Count, 1);
  AltDown(&edit);
  EXPECT_EQ(clicks.Count, 2);
  input::Key(&edit, Qt::Key_Down);
  EXPECT_EQ(clicks.Count, 2);
  EXPECT_EQ(edit.ButtonContainer()->geometry().right(), edit.width() - 3);
  EXPECT_EQ(edit.textMargins().right(), edit.ButtonContainer()->width() + 2);
}

TEST(ComboEdit, NoDirectInputRefusesTypingButKeepsTheButton) {
  TComboEdit edit;
  edit.SetDirectInput(false);
  edit.SetGlyphKind(gkEllipsis);
  edit.SetText("Wszystkie");
  ButtonClicks clicks;
  clicks.Attach(edit);
  input::Type(&edit, "x");
  input::Key(&edit, Qt::Key_Backspace);
  QGuiApplication::clipboard()->setText("pasted");
  edit.selectAll();
  input::Key(&edit, Qt::Key_V, Qt::ControlModifier);
  input::Key(&edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(edit.Text(), "Wszystkie");
  AltDown(&edit);
  input::Click(edit.Button());
  EXPECT_EQ(clicks.Count, 2);
  edit.SetDirectInput(true);
  edit.SetSelStart(9);
  input::Type(&edit, "x");
  EXPECT_EQ(edit.Text(), "Wszystkiex");
}

TEST(ComboEdit, ReadOnlyButtonDoesNothing) {
  TComboEdit edit;
  ButtonClicks clicks;
  clicks.Attach(edit);
  edit.SetReadOnly(true);
  input::Click(edit.Button());
  AltDown(&edit);
  EXPECT_EQ(clicks.Count, 0);
  EXPECT_TRUE(edit.isReadOnly());
}

TEST(ComboEdit, NarrowButtons) {
  TComboEdit edit;
  ButtonClicks clicks;
  clicks.Attach(edit);
  edit.SetButtonWidth(1);
  EXPECT_TRUE(edit.ButtonContainer()->isHidden());
  AltDown(&edit);
  EXPECT_EQ(clicks.Count, 1);
  edit.SetButtonWidth(0);
  AltDown(&edit);
  EXPECT_EQ(clicks.Count, 1);
}

TEST(ComboEdit, HeightNeverBelowTheMinimum) {
  TComboEdit edit;
  edit.show();
  edit.resize(100, 3);
  EXPECT_EQ(edit.height(), edit.GetMinHeight());
  EXPECT_EQ(edit.GetMinHeight(), 4 + QFontMetrics(edit.font()).height() + 1);
}

TEST(ComboEdit, EllipsisGlyphHasThreeDots) {
  TComboEdit edit;
  edit.SetGlyphKind(gkEllipsis);
  const QImage &glyph = edit.Glyph();
  ASSERT_EQ(glyph.size(), QSize(15, 4));
  QString row;
  for (int x = 0; x < glyph.width(); ++x)
    row += glyph.pixelIndex(x, 1) == 0 ? u'#' : u'.';
  EXPECT_EQ(row, ".##...##...##..");
}

TEST(ComboEdit, PopupOpensClosesAndAccepts) {
  PopupEdit edit;
  edit.move(0, 0);
  edit.resize(100, 21);
  edit.show();
  int changes = 0;
  edit.OnChange = [&](QObject *) { ++changes; };
  edit.SetText("start");
  changes = 0;
  input::Click(edit.Button());
  ASSERT_TRUE(edit.PopupVisible());
  EXPECT_EQ(edit.FText->Value.toString(), "start");
  EXPECT_TRUE(edit.isReadOnly());
  const QPoint origin = edit.mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(edit.Popup()->pos().y(), origin.y() + edit.height());
  EXPECT_EQ(edit.Popup()->pos().x(), std::max(0, origin.x()));
  edit.FText->Value = "chosen";
  input::Key(&edit, Qt::Key_Return);
  EXPECT_FALSE(edit.PopupVisible());
  EXPECT_FALSE(edit.Popup()->isVisible());
  EXPECT_EQ(edit.Text(), "chosen");
  EXPECT_TRUE(edit.Modified());
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(edit.isReadOnly());

  input::Click(edit.Button());
  edit.FText->Value = "dropped";
  input::Key(&edit, Qt::Key_Escape);
  EXPECT_FALSE(edit.PopupVisible());
  EXPECT_EQ(edit.Text(), "chosen");

  AltDown(&edit);
  ASSERT_TRUE(edit.PopupVisible());
  edit.FText->Value = "by button";
  input::Click(edit.Button()); // the button closes an open drop-down with acceptance
  EXPECT_FALSE(edit.PopupVisible());
  EXPECT_EQ(edit.Text(), "by button");
}

TEST(ComboEdit, PopupStaysOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  PopupEdit edit;
  edit.resize(100, 21);
  edit.move(screen.right() - 50, screen.bottom() - 30);
  edit.show();
  edit.PopupDropDown(false);
  ASSERT_TRUE(edit.PopupVisible());
  const QPoint origin = edit.mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(edit.Popup()->pos().y(), origin.y() - edit.Popup()->height());
  EXPECT_EQ(edit.Popup()->pos().x(), screen.right() + 1 - edit.Popup()->width());
  EXPECT_FALSE(edit.isReadOnly());
  edit.PopupCloseUp(&edit, false);
  edit.move(-40, 0);
  edit.SetPopupAlign(epaLeft);
  edit.PopupDropDown(false);
  EXPECT_EQ(edit.Popup()->pos().x(), 0);
}

TEST(FilenameEdit, FileNameWithBlanksIsQuoted) {
  TFilenameEdit edit;
  EXPECT_EQ(edit.GlyphKind(), gkDefault);
  EXPECT_FALSE(edit.Glyph().isNull());
  EXPECT_EQ(edit.DialogTitle(), "Browse");
  EXPECT_EQ(edit.Filter(), "All files (*.*)|*.*");
  edit.SetFileName("/data/my reports/a.htm");
  EXPECT_EQ(edit.Text(), "\"/data/my reports/a.htm\"");
  EXPECT_EQ(edit.FileName(), "/data/my reports/a.htm");
  edit.SetFileName("/data/plain.htm");
  EXPECT_EQ(edit.Text(), "/data/plain.htm");
  EXPECT_THROW(edit.SetFileName("a|b"), EComboEditError);
  try {
    edit.SetFileName("bad<name");
  } catch (const EComboEditError &e) {
    EXPECT_EQ(e.Message(), "Invalid file name - bad<name");
  }
  EXPECT_EQ(edit.Text(), "/data/plain.htm");
}

TEST(FilenameEdit, ClipFileName) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("with blank.txt");
  QFile(existing).open(QIODevice::WriteOnly);
  struct Case {
    QString s, expected;
  };
  for (const Case &c : {
           Case{existing, existing},
           Case{"\"" + existing + "\"", existing},
           // Not there yet and not quoted: the whole path, blanks and all.
           Case{"/new folder/new file.txt", "/new folder/new file.txt"},
           Case{"\"/new folder/x.txt\" rest", "/new folder/x.txt"},
           Case{"", ""},
       })
    EXPECT_EQ(TFilenameEdit::ClipFileName(c.s), c.expected) << c.s.toStdString();
  EXPECT_EQ(TFilenameEdit::AddQuotes("a b"), "\"a b\"");
  EXPECT_EQ(TFilenameEdit::AddQuotes("\"a b\""), "\"a b\"");
  EXPECT_EQ(TFilenameEdit::AddQuotes("ab"), "ab");
}

TEST(FilenameEdit, ButtonRunsTheFileDialog) {
  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  TFilenameEdit edit;
  edit.SetDefaultExt("htm");
  edit.SetFilter("Pliki HTML (*.htm,*.html)|*.htm;*.html|Wszystkie pliki (*.*)|*.*");
  edit.SetFileName(dir.filePath("old report.htm"));
  QStringList offered;
  int after = 0;
  edit.OnBeforeDialog = [&](QObject *, QString &name, bool &) { offered << name; };
  edit.OnAfterDialog = [&](QObject *, QString &, bool &) { ++after; };
  const QString chosen = dir.filePath("new report.htm");
  dialogs.AnswerFile(chosen);
  input::Click(edit.Button());
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  const TFileDialogRequest &request = dialogs.FileDialogs()[0];
  EXPECT_EQ(request.Kind, TFileDialogKind::Open);
  EXPECT_EQ(request.FileName, dir.filePath("old report.htm"));
  EXPECT_EQ(request.InitialDir, dir.path());
  EXPECT_EQ(request.DefaultExt, "htm");
  EXPECT_EQ(request.Title, "Browse");
  EXPECT_EQ(edit.Text(), "\"" + chosen + "\"");
  EXPECT_EQ(edit.FileName(), chosen);
  EXPECT_EQ(offered, QStringList({dir.filePath("old report.htm")}));
  EXPECT_EQ(after, 1);

  dialogs.AnswerFile(QString()); // cancelled
  input::Click(edit.Button());
  EXPECT_EQ(edit.FileName(), chosen);
  EXPECT_EQ(offered.last(), chosen);
  EXPECT_TRUE(dialogs.Exhausted());
}

TEST(FilenameEdit, SaveKindAndRefusedDialog) {
  ScriptedDialogs dialogs;
  TFilenameEdit edit;
  edit.SetDialogKind(TFilenameEdit::dkSave);
  edit.OnBeforeDialog = [](QObject *, QString &, bool &action) { action = false; };
  input::Click(edit.Button());
  EXPECT_TRUE(dialogs.FileDialogs().empty());
  edit.OnBeforeDialog = nullptr;
  dialogs.AnswerFile("/tmp/out.txt");
  input::Click(edit.Button());
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  EXPECT_EQ(dialogs.FileDialogs()[0].Kind, TFileDialogKind::Save);
  EXPECT_EQ(edit.FileName(), "/tmp/out.txt");
}

TEST(FilenameEdit, DroppedFiles) {
  TFilenameEdit edit;
  edit.SetAcceptFiles(true);
  int drops = 0;
  edit.OnDropFiles = [&](QObject *) { ++drops; };
  edit.DropFiles({"/a/first file.txt", "/a/second.txt"});
  EXPECT_EQ(edit.FileName(), "/a/first file.txt");
  EXPECT_TRUE(edit.DialogFiles().isEmpty());
  edit.SetDialogOptions(ofHideReadOnly | ofAllowMultiSelect);
  edit.DropFiles({"/a/one.txt", "/a/two.txt"});
  EXPECT_EQ(edit.FileName(), "/a/one.txt");
  EXPECT_EQ(edit.DialogFiles(), QStringList({"/a/one.txt", "/a/two.txt"}));
  EXPECT_EQ(drops, 2);
}

TEST(ComboEdit, PopupClosesByItsOwnClickOrAPressElsewhere) {
  QWidget window;
  window.resize(300, 200);
  auto *edit = new PopupEdit;
  edit->setParent(&window);
  edit->setGeometry(10, 10, 120, 21);
  auto *other = new QWidget(&window);
  other->setGeometry(10, 100, 50, 50);
  window.show();
  edit->SetText("old");

  edit->PopupDropDown(true);
  edit->FText->Value = "inside";
  input::Release(edit->Popup(), QPoint(5, 5));
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->Text(), "inside");

  edit->PopupDropDown(true);
  edit->FText->Value = "outside";
  input::Release(edit->Popup(), QPoint(-5, 5));
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->Text(), "inside");

  edit->PopupDropDown(true);
  edit->FText->Value = "elsewhere";
  input::Press(other, QPoint(5, 5));
  EXPECT_FALSE(edit->PopupVisible());
  EXPECT_EQ(edit->Text(), "inside");
}

TEST(ComboEdit, EnterAndEscapeReachTheFormsButtons) {
  QDialog form;
  auto *edit = new TComboEdit(&form);
  auto *ok = new QPushButton("OK", &form);
  ok->move(0, 40);
  ok->setDefault(true);
  int clicked = 0, rejected = 0;
  QObject::connect(ok, &QPushButton::clicked, [&] { ++clicked; });
  QObject::connect(&form, &QDialog::rejected, [&] { ++rejected; });
  form.show();
  input::Key(edit, Qt::Key_Return);
  EXPECT_EQ(clicked, 1);
  input::Key(edit, Qt::Key_Escape);
  EXPECT_EQ(rejected, 1);
}
