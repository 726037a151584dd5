#include "MxSpin.h"
#include "Input.h"
#include "MxButtonGlyph.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"
#include "Today.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QTimer>
#include <cmath>

namespace {

class SpinEdit : public FixedToday {
protected:
  // Counts OnChange, OnTopClick and OnBottomClick of the edit.
  void Count(TMxSpinEdit &edit) {
    edit.OnChange = [this](QObject *) { ++Changes; };
    edit.OnTopClick = [this](QObject *) { ++TopClicks; };
    edit.OnBottomClick = [this](QObject *) { ++BottomClicks; };
  }
  static void Leave(TMxSpinEdit &edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
  }
  static void Paste(TMxSpinEdit &edit, const QString &text) {
    QGuiApplication::clipboard()->setText(text);
    input::Key(&edit, Qt::Key_V, Qt::ControlModifier);
  }

  int Changes = 0, TopClicks = 0, BottomClicks = 0;
};

struct WriteCase {
  TValueType Type;
  int Decimal;
  double Min, Max;
  double Value;
  QString Text;
};

} // namespace

TEST_F(SpinEdit, WritesTheValueByTypeAndBounds) {
  const WriteCase cases[] = {
      {vtInteger, 2, 0, 0, 2.5, "2"},
      {vtInteger, 2, 0, 0, 3.5, "4"},
      {vtInteger, 2, 0, 0, -2.5, "-2"},
      {vtInteger, 2, 0, 0, 1e12, "1000000000000"},
      {vtInteger, 2, 1, 10, 0, "1"},
      {vtInteger, 2, 1, 10, 11, "10"},
      {vtInteger, 2, 1, 10, 7, "7"},
      {vtFloat, 2, 0, 0, 3.14159, "3,14"},
      {vtFloat, 2, 0, 0, -0.001, "0,00"},
      {vtFloat, 0, 0, 0, 2.7, "3"},
      {vtFloat, 3, 0, 0, 1234567.5, "1234567,500"},
      {vtFloat, 2, -1.5, 1.5, 2, "1,50"},
      {vtHex, 2, 0, 0, 255, "FF"},
      {vtHex, 2, 0, 0, 0, "0"},
      {vtHex, 2, 0, 0, -1, "FFFFFFFFFFFFFFFF"},
  };
  for (const WriteCase &c : cases) {
    TMxSpinEdit edit;
    edit.SetValueType(c.Type);
    edit.SetDecimal(c.Decimal);
    edit.SetMinValue(c.Min);
    edit.SetMaxValue(c.Max);
    edit.SetValue(c.Value);
    EXPECT_EQ(edit.Text(), c.Text) << c.Value;
  }
}

TEST_F(SpinEdit, ReadsTheTextByType) {
  struct ReadCase {
    TValueType Type;
    double Min;
    QString Text;
    double Value;
  };
  const ReadCase cases[] = {
      {vtInteger, 0, "123", 123},
      {vtInteger, 0, "-42", -42},
      {vtInteger, 0, "4294967296", 4294967296.0},
      {vtInteger, 5.7, "", 5},
      {vtHex, 0, "ff", 255},
      {vtHex, 0, "100000000", 4294967296.0},
      {vtHex, 0, "FFFFFFFFFFFFFFFF", -1},
      {vtFloat, 0, "2,5", 2.5},
      {vtFloat, 0, "1e3", 1000},
      {vtFloat, 1.5, "", 1.5},
  };
  for (const ReadCase &c : cases) {
    TMxSpinEdit edit;
    edit.SetValueType(c.Type);
    edit.SetMinValue(c.Min);
    edit.SetText(c.Text);
    EXPECT_EQ(edit.Value(), c.Value) << c.Text.toStdString();
  }
}

TEST_F(SpinEdit, ValuesBeyondThirtyTwoBitsComeBackAsWritten) {
  for (TValueType type : {vtInteger, vtHex}) {
    TMxSpinEdit edit;
    edit.SetValueType(type);
    edit.SetMinValue(-5);
    edit.SetMaxValue(1e12);
    edit.SetValue(5000000000.0);
    EXPECT_EQ(edit.Value(), 5000000000.0);
    EXPECT_EQ(edit.AsInteger(), int(5000000000LL - 4294967296LL));
  }
}

// Reading never fails (the rights editor's tabs and the parameter panels read at any time); the
// error is for the person leaving the edit.
TEST_F(SpinEdit, TextThatIsNoNumberReadsAsTheMinimumAndIsReportedByTheCheck) {
  struct BadCase {
    TValueType Type;
    QString Text;
    double Read;
    QString Message;
  };
  const BadCase cases[] = {
      {vtInteger, "12a", 7, "'12a' is not a valid integer value"},
      {vtInteger, "99999999999999999999", 7, "'99999999999999999999' is not a valid integer value"},
      {vtHex, "G1", 7, "'G1' is not a valid integer value"},
      {vtFloat, "1,2,3", 7.5, "'1,2,3' is not a valid floating point value"},
  };
  for (const BadCase &c : cases) {
    SCOPED_TRACE(c.Text.toStdString());
    TMxSpinEdit edit;
    edit.SetValueType(c.Type);
    edit.SetMinValue(7.5);
    edit.SetText(c.Text);
    EXPECT_EQ(edit.Value(), c.Read);
    EXPECT_EQ(edit.AsInteger(), 7);
    try {
      edit.CheckText();
      ADD_FAILURE() << "no error";
    } catch (const EConvertError &e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(edit.Text(), c.Text);
  }
}

TEST_F(SpinEdit, LeavingWithTextThatIsNoNumberReportsItAndKeepsTheText) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrOk);
  TMxSpinEdit edit;
  edit.SetMinValue(1);
  edit.SetMaxValue(10);
  edit.SetText("1-2");
  Leave(edit);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "'1-2' is not a valid integer value.");
  EXPECT_EQ(edit.Text(), "1-2");
}

TEST_F(SpinEdit, LeavingClampsIntoTheBounds) {
  TMxSpinEdit edit;
  edit.SetMinValue(-2147483647);
  edit.SetMaxValue(2147483648.0);
  edit.SetText("9999999999");
  Leave(edit);
  EXPECT_EQ(edit.Text(), "2147483648");
  edit.SetText("");
  Leave(edit);
  EXPECT_EQ(edit.Text(), "");
}

TEST_F(SpinEdit, SwitchingTheValueType) {
  TMxSpinEdit edit;
  edit.SetText("255");
  edit.SetValueType(vtHex);
  EXPECT_EQ(edit.Text(), "255");
  EXPECT_EQ(edit.Value(), 597);

  TMxSpinEdit fraction;
  fraction.SetValueType(vtFloat);
  fraction.SetMinValue(-3);
  fraction.SetMaxValue(10);
  fraction.SetValue(2.5);
  EXPECT_EQ(fraction.Text(), "2,50");
  fraction.SetValueType(vtInteger);
  EXPECT_EQ(fraction.Text(), "2");

  for (const auto &[increment, rounded] : {std::pair{0.4, 1.0}, std::pair{2.5, 2.0}, std::pair{3.6, 4.0}}) {
    TMxSpinEdit edit2;
    edit2.SetValueType(vtFloat);
    edit2.SetIncrement(increment);
    edit2.SetValueType(vtInteger);
    EXPECT_EQ(edit2.Increment(), rounded) << increment;
  }
}

TEST_F(SpinEdit, DecimalReformatsTheFloatText) {
  TMxSpinEdit edit;
  edit.SetValueType(vtFloat);
  edit.SetValue(12.345);
  EXPECT_EQ(edit.Text(), "12,35");
  edit.SetDecimal(0);
  EXPECT_EQ(edit.Text(), "12");
  edit.SetDecimal(3);
  EXPECT_EQ(edit.Text(), "12,000");
}

TEST_F(SpinEdit, StepsByTheIncrementWithinTheBounds) {
  TMxSpinEdit edit;
  Count(edit);
  edit.SetMinValue(0);
  edit.SetMaxValue(3);
  edit.SetIncrement(2);
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "2");
  EXPECT_TRUE(edit.Modified());
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "3");
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "3");
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(TopClicks, 3);
  edit.StepDown();
  EXPECT_EQ(edit.Text(), "1");
  EXPECT_EQ(BottomClicks, 1);
  edit.SetReadOnly(true);
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "1");
  EXPECT_EQ(TopClicks, 3);
}

TEST_F(SpinEdit, FloatStepsKeepTheDecimals) {
  TMxSpinEdit edit;
  edit.SetValueType(vtFloat);
  edit.SetIncrement(0.25);
  edit.StepDown();
  EXPECT_EQ(edit.Text(), "-0,25");
  edit.SetValueType(vtHex);
  edit.SetText("F");
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "10");
}

TEST_F(SpinEdit, ArrowKeysStepUnlessSwitchedOff) {
  TMxSpinEdit edit;
  input::Key(&edit, Qt::Key_Up);
  input::Key(&edit, Qt::Key_Up);
  input::Key(&edit, Qt::Key_Down);
  EXPECT_EQ(edit.Text(), "1");
  edit.SetArrowKeys(false);
  input::Key(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.Text(), "1");
}

TEST_F(SpinEdit, AcceptsOnlyTheCharactersOfItsType) {
  struct CharCase {
    TValueType Type;
    QString Text;
    QString Typed;
    QString Result;
  };
  const CharCase cases[] = {
      {vtInteger, "", "-12a.e", "-12"},
      {vtFloat, "", "1,5,2e3e", "1,52e3"},
      {vtFloat, "", "1.5", "15"},
      {vtHex, "", "1aFgZ", "1aF"},
  };
  for (const CharCase &c : cases) {
    TMxSpinEdit edit;
    edit.SetValueType(c.Type);
    edit.SetText(c.Text);
    input::Type(&edit, c.Typed);
    EXPECT_EQ(edit.Text(), c.Result) << c.Typed.toStdString();
  }
}

TEST_F(SpinEdit, PastedTextGoesThroughTheCharacterCheck) {
  TMxSpinEdit edit;
  edit.SetText("");
  Paste(edit, "12abc");
  EXPECT_EQ(edit.Text(), "");
  Paste(edit, "34");
  EXPECT_EQ(edit.Text(), "34");
  edit.selectAll();
  Paste(edit, "-7");
  EXPECT_EQ(edit.Text(), "-7");
  edit.insert("x");
  EXPECT_EQ(edit.Text(), "-7");

  TMxSpinEdit number;
  number.SetValueType(vtFloat);
  number.SetText("1,5");
  number.end(false);
  Paste(number, ",25");
  EXPECT_EQ(number.Text(), "1,5");
  number.selectAll();
  Paste(number, "0,25");
  EXPECT_EQ(number.Text(), "0,25");
}

TEST_F(SpinEdit, WithoutEditorOnlyTheButtonsAndArrowsChangeTheText) {
  TMxSpinEdit edit;
  edit.SetEditorEnabled(false);
  edit.SetText("5");
  edit.end(false);
  input::Type(&edit, "7");
  input::Key(&edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
  Paste(edit, "8");
  edit.selectAll();
  input::Key(&edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(edit.Text(), "5");
  EXPECT_FALSE(edit.AcceptsChar(u'\b'));
  EXPECT_TRUE(edit.AcceptsChar(u'\r'));
  input::Key(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.Text(), "6");
  edit.SpinButton()->OnBottomClick(edit.SpinButton());
  EXPECT_EQ(edit.Text(), "5");
}

TEST_F(SpinEdit, ButtonKinds) {
  TMxSpinEdit edit;
  edit.resize(80, 21);
  ASSERT_NE(edit.SpinButton(), nullptr);
  EXPECT_EQ(edit.UpDown(), nullptr);
  edit.SetButtonKind(bkStandard);
  ASSERT_NE(edit.UpDown(), nullptr);
  EXPECT_EQ(edit.SpinButton(), nullptr);
  EXPECT_EQ(edit.UpDown()->geometry().right(), edit.width() - 1);
  EXPECT_EQ(edit.textMargins().right(), edit.UpDown()->width() + 2);
  input::Press(edit.UpDown(), QPoint(3, 2));
  input::Release(edit.UpDown(), QPoint(3, 2));
  input::Click(edit.UpDown(), QPoint(3, edit.UpDown()->height() - 2));
  input::Click(edit.UpDown(), QPoint(3, edit.UpDown()->height() - 2));
  EXPECT_EQ(edit.Text(), "-1");

  NewStyleControls = false;
  TMxSpinEdit old;
  old.SetButtonKind(bkStandard);
  EXPECT_EQ(old.ButtonKind(), bkDiagonal);
  EXPECT_NE(old.SpinButton(), nullptr);
  NewStyleControls = true;
}

TEST_F(SpinEdit, DiagonalHalvesSplitOnTheDiagonal) {
  TMxSpinButton button;
  button.resize(20, 20);
  EXPECT_TRUE(button.InUpperHalf(QPoint(2, 2)));
  EXPECT_TRUE(button.InUpperHalf(QPoint(10, 10)));
  EXPECT_FALSE(button.InUpperHalf(QPoint(11, 10)));
  EXPECT_FALSE(button.InUpperHalf(QPoint(18, 18)));
}

TEST_F(SpinEdit, HeldSpinHalfRepeatsAfterThePauseWhileOnIt) {
  TMxSpinEdit edit;
  edit.resize(80, 24);
  edit.SetRepeat({40, 7});
  TMxSpinButton *button = edit.SpinButton();
  const QPoint up(3, 3), down(button->width() - 3, button->height() - 3);
  input::Press(button, up);
  EXPECT_EQ(edit.Text(), "1");
  ASSERT_NE(button->RepeatTimer(), nullptr);
  EXPECT_TRUE(button->RepeatTimer()->isActive());
  EXPECT_EQ(button->RepeatTimer()->interval(), 40);
  button->TimerExpired();
  EXPECT_EQ(button->RepeatTimer()->interval(), 7);
  EXPECT_EQ(edit.Text(), "2");
  // Sliding onto the other half pauses the repeat; coming back resumes it.
  input::Mouse(button, QEvent::MouseMove, down);
  EXPECT_EQ(button->State(), TMxSpinButton::ssReleased);
  button->TimerExpired();
  EXPECT_EQ(edit.Text(), "2");
  input::Mouse(button, QEvent::MouseMove, up);
  EXPECT_EQ(button->State(), TMxSpinButton::ssTopDown);
  button->TimerExpired();
  EXPECT_EQ(edit.Text(), "3");
  input::Release(button, up);
  button->TimerExpired();
  EXPECT_EQ(edit.Text(), "3");
  input::Press(button, down);
  input::Release(button, down);
  EXPECT_EQ(edit.Text(), "2");
}

TEST_F(SpinEdit, RepeatStopsWhenTheStepFails) {
  ScriptedDialogs dialogs;
  TMxSpinEdit edit;
  edit.resize(80, 24);
  edit.SetRepeat({40, 7});
  TMxSpinButton *button = edit.SpinButton();
  input::Press(button, QPoint(3, 3));
  edit.OnTopClick = [](QObject *) { throw EConvertError("refused"); };
  EXPECT_THROW(button->TimerExpired(), EConvertError);
  EXPECT_FALSE(button->RepeatTimer()->isActive());
}

TEST_F(SpinEdit, HeldUpDownArrowRepeats) {
  TMxSpinEdit edit;
  edit.SetButtonKind(bkStandard);
  edit.resize(80, 24);
  edit.SetRepeat({30, 5});
  TMxUpDown *upDown = edit.UpDown();
  input::Press(upDown, QPoint(2, 2));
  EXPECT_EQ(edit.Text(), "1");
  EXPECT_EQ(upDown->RepeatTimer()->interval(), 30);
  upDown->TimerExpired();
  upDown->TimerExpired();
  EXPECT_EQ(edit.Text(), "3");
  EXPECT_EQ(upDown->RepeatTimer()->interval(), 5);
  input::Mouse(upDown, QEvent::MouseMove, QPoint(2, upDown->height() - 2));
  upDown->TimerExpired();
  EXPECT_EQ(edit.Text(), "3");
  input::Release(upDown, QPoint(2, 2));
  EXPECT_FALSE(upDown->RepeatTimer()->isActive());
}

TEST_F(SpinEdit, KeepsItsMinimumHeight) {
  TMxSpinEdit edit;
  edit.show();
  edit.resize(80, 5);
  EXPECT_EQ(edit.height(), edit.MinHeight());
  edit.resize(80, 30);
  EXPECT_EQ(edit.SpinButton()->parentWidget()->geometry(), QRect(80 - 30 + 1, 1, 27, 27));
}

TEST_F(SpinEdit, EnterReachesTheDefaultButton) {
  TForm form;
  auto *edit = new TMxSpinEdit(&form);
  auto *ok = new TButton(&form, "OK");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  ok->move(0, 40);
  form.show();
  input::Key(edit, Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(form.ModalResult(), mrOk);
  EXPECT_EQ(edit->Text(), "0");
}
