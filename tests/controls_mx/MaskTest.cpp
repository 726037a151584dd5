#include "FormatSettings.h"
#include "Input.h"
#include "MaskEdit.h"
#include "ScriptedDialogs.h"

#include <QFocusEvent>
#include <gtest/gtest.h>

namespace {

class MaskTest : public testing::Test {
protected:
  void SetUp() override {
    FormatSettings().DateSeparator = u'/';
    FormatSettings().TimeSeparator = u':';
  }
  TFormatSettingsScope FScope;
};

class LockedEdit : public TCustomEdit {
public:
  bool EditCanModify() override { return false; }
};

} // namespace

TEST_F(MaskTest, TranslatesTheMaskLanguage) {
  struct Case {
    QString editMask, inputMask;
  };
  for (const Case &c : {
           Case{"!99/99/9999;1; ", "00/00/0000; "},
           Case{"000-000;0;_", "999-999;_"},
           Case{">LL<ll", ">AA<aa;_"},
           Case{"AaCc#", "NnXx#;_"},
           Case{"<>LL", "AA;_"},
           Case{">L<>l", ">A!a;_"},
           Case{R"(\0\;x)", R"(\0\;\x;_)"},
           Case{"99:99", "00:00;_"},
           Case{"_9", " 0;_"},
           Case{"(999) [a]", R"((000) \[n\];_)"},
           Case{"0;1;*", "9;*"},
       })
    EXPECT_EQ(TEditMask(c.editMask).ToInputMask(), c.inputMask) << c.editMask.toStdString();
  EXPECT_FALSE(TEditMask("").IsMasked());
  EXPECT_TRUE(TEditMask("0;0").IsMasked());
  EXPECT_FALSE(TEditMask("0;0").SaveLiterals());
  EXPECT_TRUE(TEditMask("0;1").SaveLiterals());
  EXPECT_TRUE(TEditMask("!0").LeadingBlanks());
}

TEST_F(MaskTest, SeparatorsComeFromTheFormatSettings) {
  FormatSettings().DateSeparator = u'.';
  EXPECT_EQ(TEditMask("99/99").ToInputMask(), "00.00;_");
}

TEST_F(MaskTest, TextAndEditText) {
  struct Case {
    QString editMask, editText, text;
  };
  for (const Case &c : {
           Case{"!99/99/9999;1; ", "12/03/2024", "12/03/2024"},
           Case{"!99/99/9999;1; ", "1 /03/2024", " 1/03/2024"},
           Case{"!99/99/9999;1; ", "  /  /    ", "  /  /    "},
           Case{"99/99;1;_", "1_/2_", "1 /2 "},
           Case{"000-000;0;_", "123-456", "123456"},
           Case{"000-000;0;_", "12_-4__", "12 4  "},
       }) {
    const TEditMask mask(c.editMask);
    EXPECT_EQ(mask.TextFromEditText(c.editText), c.text)
        << c.editMask.toStdString() << " " << c.editText.toStdString();
  }
  EXPECT_EQ(TEditMask("000-000;0;_").EditTextFromText("123456"), "123-456");
  EXPECT_EQ(TEditMask("000-000;0;_").EditTextFromText("12"), "12_-___");
  EXPECT_EQ(TEditMask("99/99;1;_").EditTextFromText("1 /23"), "1_/23");
  EXPECT_EQ(TEditMask("00;1;_").EditTextFromText("x5"), "_5");
  EXPECT_EQ(TEditMask("000-000;0;_").FirstMissing("12_-456"), 2);
  EXPECT_EQ(TEditMask("000-000;0;_").FirstMissing("123-456"), -1);
  EXPECT_EQ(TEditMask("99/99;1;_").FirstMissing("__/__"), -1);
}

TEST_F(MaskTest, TypingIntoAMaskedEdit) {
  TCustomMaskEdit edit;
  edit.SetEditMask("000-000;0;_");
  EXPECT_EQ(edit.EditText(), "___-___");
  edit.SetSelStart(0);
  input::Type(&edit, "12a345");
  EXPECT_EQ(edit.EditText(), "123-45_");
  EXPECT_EQ(edit.Text(), "12345 ");
  EXPECT_THROW(edit.ValidateEdit(), EDBEditError);
  EXPECT_EQ(edit.SelStart(), 6);
  input::Type(&edit, "6");
  EXPECT_EQ(edit.Text(), "123456");
  EXPECT_NO_THROW(edit.ValidateEdit());
  edit.SetText("987");
  EXPECT_EQ(edit.EditText(), "987-___");
}

TEST_F(MaskTest, CaseAndLiteralsInText) {
  TCustomMaskEdit edit;
  edit.SetEditMask(">LL-00;1;_");
  edit.SetSelStart(0);
  input::Type(&edit, "ab12");
  EXPECT_EQ(edit.EditText(), "AB-12");
  EXPECT_EQ(edit.Text(), "AB-12");
  edit.SetText("CD-34");
  EXPECT_EQ(edit.EditText(), "CD-34");
}

TEST_F(MaskTest, EscapePutsBackTheTextOfEntry) {
  TCustomMaskEdit edit;
  edit.SetEditMask("00;1;_");
  edit.SetText("12");
  edit.SetSelStart(0);
  input::Type(&edit, "34");
  EXPECT_EQ(edit.Text(), "34");
  input::Key(&edit, Qt::Key_Escape);
  EXPECT_EQ(edit.Text(), "12");
  EXPECT_FALSE(edit.Modified());
}

TEST_F(MaskTest, LeavingWithARequiredPlaceEmptyReportsAndStays) {
  ScriptedDialogs dialogs;
  QWidget window;
  auto *edit = new TCustomMaskEdit(&window);
  edit->SetEditMask("00;1;_");
  auto *other = new QLineEdit(&window);
  other->move(0, 40);
  window.show();
  window.activateWindow();
  edit->setFocus();
  edit->SetSelStart(0);
  input::Type(edit, "1");
  dialogs.AnswerMessage(mrOk);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(edit, &out);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Invalid input value.  Use escape key to abandon changes.");
  QFocusEvent toMessage(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(edit, &toMessage);
  EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST(CustomEdit, CaseSelectionAndChange) {
  TCustomEdit edit;
  int changes = 0;
  edit.OnChange = [&](QObject *sender) {
    EXPECT_EQ(sender, &edit);
    ++changes;
  };
  edit.SetCharCase(ecUpperCase);
  input::Type(&edit, "abc");
  EXPECT_EQ(edit.Text(), "ABC");
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(edit.Modified());
  edit.SetMaxLength(4);
  input::Type(&edit, "def");
  EXPECT_EQ(edit.Text(), "ABCD");
  edit.SetSelStart(1);
  edit.SetSelLength(2);
  EXPECT_EQ(edit.SelText(), "BC");
  QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(&edit, &focus);
  EXPECT_EQ(edit.SelLength(), 4);
  edit.SetAlignment(taRightJustify);
  EXPECT_EQ(edit.Alignment(), taRightJustify);
  EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
}

TEST(CustomEdit, EditCanModifyRefusesTyping) {
  LockedEdit edit;
  edit.SetText("keep");
  edit.SetSelStart(4);
  input::Type(&edit, "x");
  input::Key(&edit, Qt::Key_Backspace);
  EXPECT_EQ(edit.Text(), "keep");
  input::Key(&edit, Qt::Key_Left);
  EXPECT_EQ(edit.SelStart(), 3);
}
