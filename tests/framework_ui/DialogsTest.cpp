#include "Dialogs.h"
#include "Application.h"
#include "Forms.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs the check on the modal window the next call opens, then closes it through `close`.
template <class Window> void OnNextModal(std::function<void(Window &)> check) {
  QTimer::singleShot(0, [check] {
    auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
    if (!window) {
      ADD_FAILURE() << "no modal window came up";
      if (QWidget *other = QApplication::activeModalWidget())
        other->close();
      return;
    }
    check(*window);
  });
}

QStringList Texts(const QList<QAbstractButton *> &buttons) {
  QStringList texts;
  for (const QAbstractButton *b : buttons)
    texts.append(b->text());
  return texts;
}

TEST(StandardTexts, AScriptedQuestionCarriesThePolishButtonTexts) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrNo);
  EXPECT_EQ(MessageBox(QString::fromUtf8("Czy napewno chcesz usunąć użytkownika X ?"),
                       QStringLiteral("Uwaga"), MB_YESNO | MB_ICONQUESTION),
            mrNo);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].ButtonCaptions(),
            (QStringList{QStringLiteral("&Tak"), QStringLiteral("&Nie")}));

  const std::vector<std::pair<TMsgDlgBtn, QString>> cases = {
      {mbOK, "OK"},
      {mbCancel, "Anuluj"},
      {mbAbort, "Przerwij"},
      {mbRetry, QString::fromUtf8("Ponów")},
      {mbIgnore, "Zignoruj"},
      {mbYesToAll, "Ta&k dla wszystkich"},
      {mbNoToAll, "Ni&e dla wszystkich"},
      {mbHelp, "Pomoc"},
  };
  for (const auto &[button, text] : cases)
    EXPECT_EQ(MsgDlgButtonCaption(button), text) << int(button);
}

TEST(StandardTexts, ARealMessageBoxShowsPolishButtonsAndExactlyItsCaption) {
  QStringList buttons;
  QString caption;
  OnNextModal<QMessageBox>([&](QMessageBox &box) {
    buttons = Texts(box.buttons());
    caption = box.windowTitle();
    for (QAbstractButton *b : box.buttons())
      if (b->text() == QStringLiteral("&Nie"))
        b->click();
  });
  const int answer = MessageBox(QStringLiteral("Pobieranie pliku zakończyło się. Dokonać upgrade'u ?"),
                                QStringLiteral("Uwaga"), MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(answer, mrNo);
  EXPECT_EQ(buttons, (QStringList{QStringLiteral("&Tak"), QStringLiteral("&Nie")}));
  EXPECT_EQ(caption, QStringLiteral("Uwaga"));

  // The program's title is not added to the windows' captions, and an empty caption stays empty.
  Application()->SetTitle(QString::fromUtf8("Menadżer użytkowników MERIDOX"));
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
  OnNextModal<QMessageBox>([&](QMessageBox &box) {
    caption = box.windowTitle();
    box.buttons().front()->click();
  });
  MessageBox(QStringLiteral("Upgrade został przeprowadzony poprawnie"), QString(),
             MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(caption.trimmed(), QString());
}

// What a real box looks like: its size, and where its icon, text and button sit.
struct TBoxLooks {
  QSize Size;
  QRect Icon, Text, Button;
};

TBoxLooks Looks(const QMessageBox &box) {
  const auto place = [&box](const char *name) {
    const QLabel *label = box.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->geometry() : QRect();
  };
  return {box.size(), place("qt_msgboxex_icon_label"), place("qt_msgbox_label"),
          box.buttons().front()->geometry()};
}

// The box as it looks once the toolkit has sized it again, as it does on every layout request (a
// window manager's framing brings them).
TBoxLooks ShownLooks(const QString &text, const QString &caption) {
  TBoxLooks looks;
  OnNextModal<QMessageBox>([&looks](QMessageBox &box) {
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(&box, &request);
    looks = Looks(box);
    box.buttons().front()->click();
  });
  MessageBox(text, caption, MB_OK | MB_ICONWARNING);
  return looks;
}

// A title bar shows the caption in a bold title font, with the window's icon and three buttons beside it.
TEST(MessageBoxSize, ABoxIsWideEnoughForItsWholeCaption) {
  const QString text = QString::fromUtf8("Hasło jest za krótkie");
  const QString caption = QString::fromUtf8("Hasło nie spełnia zasad bezpieczeństwa");
  const TBoxLooks captioned = ShownLooks(text, caption);
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const QFontMetrics metrics(font);
  EXPECT_GE(captioned.Size.width(), metrics.horizontalAdvance(caption) + 4 * metrics.height());

  // Only the width grows: the box is as tall, its icon, text and button where they were.
  const TBoxLooks plain = ShownLooks(text, QStringLiteral("Uwaga"));
  EXPECT_GT(captioned.Size.width(), plain.Size.width());
  EXPECT_EQ(captioned.Size.height(), plain.Size.height());
  EXPECT_EQ(captioned.Icon, plain.Icon);
  EXPECT_EQ(captioned.Text.topLeft(), plain.Text.topLeft());
  EXPECT_EQ(captioned.Text.height(), plain.Text.height());
  EXPECT_EQ(captioned.Button.size(), plain.Button.size());
}

// A box whose text is wider than its caption keeps the size the toolkit gives it.
TEST(MessageBoxSize, ABoxWiderThanItsCaptionKeepsTheToolkitsSize) {
  const QString text = QString::fromUtf8("Hasło musi zawierać co najmniej 2 cyfry i 2 znaki specjalne");
  QMessageBox toolkit(QMessageBox::Warning, QStringLiteral("Uwaga"), text, QMessageBox::NoButton);
  toolkit.addButton(MsgDlgButtonCaption(mbOK), QMessageBox::AcceptRole);
  toolkit.show();
  const TBoxLooks expected = Looks(toolkit);
  toolkit.close();
  const TBoxLooks shown = ShownLooks(text, QStringLiteral("Uwaga"));
  EXPECT_EQ(shown.Size, expected.Size);
  EXPECT_EQ(shown.Text, expected.Text);
  EXPECT_EQ(shown.Button, expected.Button);
}

TEST(StandardTexts, ARealFileDialogIsPolishAndShowsEachFilterOnceAsWritten) {
  QTemporaryDir dir;
  QStringList filters, buttons;
  OnNextModal<QFileDialog>([&](QFileDialog &dialog) {
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; types && i < types->count(); ++i)
      filters.append(types->itemText(i));
    if (auto *box = dialog.findChild<QDialogButtonBox *>())
      buttons = Texts(box->buttons());
    dialog.reject();
  });
  TFileDialogRequest request;
  request.Title = QString::fromUtf8("Wskaż plik z upgrade'm");
  request.Filter = QStringLiteral("Upgrade programu (*.upg)|*.upg|Wszystkie pliki (*)|*");
  request.InitialDir = dir.path();
  EXPECT_FALSE(DialogSeam().FileDialog(request));
  EXPECT_EQ(filters,
            (QStringList{QStringLiteral("Upgrade programu (*.upg)"), QStringLiteral("Wszystkie pliki (*)")}));
  EXPECT_TRUE(buttons.contains(QString::fromUtf8("&Otwórz")) || buttons.contains(QString::fromUtf8("Otwórz")))
      << buttons.join(u',').toStdString();
  EXPECT_TRUE(buttons.contains(QStringLiteral("Anuluj"))) << buttons.join(u',').toStdString();
}

// The platform's dialogs match "*.TAB" against "dane.tab" too; the toolkit's own would not.
TEST(StandardTexts, NameFiltersMatchWithoutRegardToLetterCase) {
  const QStringList filters =
      QtNameFilters(QStringLiteral("Pliki tablic (*.tab)|*.TAB|Pliki SQL|*.sql;*.Sql"));
  ASSERT_EQ(filters.size(), 2);
  const auto patterns = [](const QString &filter) {
    const QString inner = filter.mid(filter.lastIndexOf(u'(') + 1).chopped(1);
    return inner.split(u' ');
  };
  const auto matches = [](const QString &pattern, const QString &name) {
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
        .match(name)
        .hasMatch();
  };
  const QStringList tab = patterns(filters[0]);
  ASSERT_EQ(tab.size(), 1);
  for (const QString name : {"dane.tab", "DANE.TAB", "Dane.Tab"})
    EXPECT_TRUE(matches(tab[0], name)) << name.toStdString();
  EXPECT_FALSE(matches(tab[0], QStringLiteral("dane.tabx")));
  EXPECT_EQ(patterns(filters[1]).size(), 2);
  EXPECT_TRUE(filters[1].startsWith(QStringLiteral("Pliki SQL (")));
}

class ShellOpenTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    savedPath = qgetenv("PATH");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("bin")));
    qputenv("PATH", dir.filePath(QStringLiteral("bin")).toLocal8Bit());
  }
  void TearDown() override { qputenv("PATH", savedPath); }
  // An opener that writes what it was asked to open.
  void InstallOpener() {
    QFile opener(dir.filePath(QStringLiteral("bin/xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.arg.tmp\" && /bin/mv \"$0.arg.tmp\" \"$0.arg\"\n");
    opener.close();
    opener.setPermissions(opener.permissions() | QFile::ExeOwner);
  }
  QString Report() const {
    const QString path = dir.filePath(QString::fromUtf8("raport z dnia ąę.htm"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
  }
  QTemporaryDir dir;
  QByteArray savedPath;
};

TEST_F(ShellOpenTest, OutcomesOfTheRealSeam) {
  EXPECT_EQ(DialogSeam().ShellOpen(dir.filePath(QStringLiteral("brak.htm"))), TShellOutcome::NoSuchFile);
  const QString report = Report();
  EXPECT_EQ(DialogSeam().ShellOpen(report), TShellOutcome::NoViewer) << "no opener on the path";

  InstallOpener();
  EXPECT_EQ(DialogSeam().ShellOpen(report), TShellOutcome::Opened);
  QFile argument(dir.filePath(QStringLiteral("bin/xdg-open.arg")));
  for (int i = 0; i < 200 && !argument.exists(); ++i)
    QThread::msleep(25);
  ASSERT_TRUE(argument.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromLocal8Bit(argument.readAll()), report);
}

// A form closes on Escape only through its cancel button.
TEST(FormEscape, PressesTheCancelButtonAndNothingElse) {
  struct Case {
    const char *Name;
    bool WithCancel, Hidden, Disabled;
    bool Closes;
  };
  const Case cases[] = {
      {"no cancel button", false, false, false, false},
      {"cancel button", true, false, false, true},
      {"hidden cancel button", true, true, false, false},
      {"disabled cancel button", true, false, true, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    TForm form;
    auto *ok = new TButton(&form, QStringLiteral("OK"));
    ok->SetModalResult(mrOk);
    auto *edit = new QLineEdit(&form);
    TButton *cancel = nullptr;
    if (c.WithCancel) {
      cancel = new TButton(&form, QStringLiteral("Anuluj"));
      cancel->SetModalResult(mrCancel);
      cancel->setVisible(!c.Hidden);
      cancel->setEnabled(!c.Disabled);
    }
    OnNextModal<TForm>([edit](TForm &shown) {
      edit->setFocus();
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(edit, &escape);
      if (shown.isVisible())
        shown.SetModalResult(mrOk);
    });
    EXPECT_EQ(form.ExecModal(), c.Closes ? mrCancel : mrOk);
  }
}

} // namespace
