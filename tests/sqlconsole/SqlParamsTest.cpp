#include "ConsoleFixture.h"

#include "Actions.h"
#include "DB.h"
#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "MxDateEdit.h"
#include "MxSpin.h"
#include "UIBParamPanel.h"
#include "UIBParamsFrame.h"
#include "UParSql.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QDate>
#include <QFocusEvent>
#include <QLineEdit>

namespace {

struct DescriptionCase {
  const char *Name;
  const char *Description;
  const char *Caption;
  const char *Values;
  const char *Display;
};

class ParamDescriptionTest : public testing::TestWithParam<DescriptionCase> {};

TEST_P(ParamDescriptionTest, SplitsLabelValuesAndDisplay) {
  const DescriptionCase &c = GetParam();
  QString caption;
  TStringList lines;
  ParseParamDescription(QString::fromUtf8(c.Description), caption, lines, nullptr);
  EXPECT_EQ(caption, QString::fromUtf8(c.Caption));
  EXPECT_EQ(lines.Values(QStringLiteral("VALUES")), QString::fromUtf8(c.Values));
  EXPECT_EQ(lines.Values(QStringLiteral("DISPLAY")), QString::fromUtf8(c.Display));
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ParamDescriptionTest,
    testing::Values(
        DescriptionCase{"ValuesAndDisplay", "Rodzaj#VALUES='A','B'#DISPLAY='Typ A','Typ B'", "Rodzaj", "\"A\",\"B\"",
                        "\"Typ A\",\"Typ B\""},
        DescriptionCase{"AllLabel", "Kwota brutto", "Kwota brutto", "", ""},
        DescriptionCase{"DisplayDefaultsToValues", "Rodzaj#VALUES='A','B'", "Rodzaj", "\"A\",\"B\"", "\"A\",\"B\""},
        DescriptionCase{"KeysIgnoreCase", "R#values='A'#display='x'", "R", "\"A\"", "\"x\""},
        DescriptionCase{"DoubledQuoteIsOneQuote", "N#VALUES='O''Brien'", "N", "\"O'Brien\"", "\"O'Brien\""},
        DescriptionCase{"DoubleQuoteEndsTheText", "N#VALUES='A'\"#DISPLAY='B'", "N", "\"A\"", "\"A\""},
        DescriptionCase{"LineBreaksRemoved", "Ro\r\ndzaj#VALUES='A'", "Rodzaj", "\"A\"", "\"A\""},
        DescriptionCase{"SelectWithoutTransactionIsEmpty", "N#VALUES=@SELECT NAME FROM T1", "N", "", ""}),
    [](const testing::TestParamInfo<DescriptionCase> &info) { return std::string(info.param.Name); });

} // namespace

// The person clicks into the panel's editor, which unticks "Wartość pusta".
QWidget *Enter(TIBParamPanel *panel) {
  QFocusEvent focus(QEvent::FocusIn);
  QCoreApplication::sendEvent(panel->Editor(), &focus);
  return panel->Editor();
}

class ConsoleParamsTest : public ConsoleTest {
protected:
  // Answers the parameter dialog: the function fills it in, then it is confirmed or cancelled.
  void AnswerParams(std::function<void(TSQLParamsForm &)> fill, int result = mrOk) {
    Dialogs.AnswerModalAs<TSQLParamsForm>([fill, result](TSQLParamsForm &form) {
      fill(form);
      return result;
    });
  }
  QStringList ResultColumn() {
    QStringList values;
    for (Console->Query->First(); !Console->Query->Eof(); Console->Query->Next())
      values.append(Console->Query->Fields(0)->AsString());
    return values;
  }
};

TEST_F(ConsoleParamsTest, ANumericParameterIsAskedForAndUsed) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    EXPECT_EQ(form.Caption(), QStringLiteral("Parametry zapytania"));
    ASSERT_EQ(form.Frame->PanelCount(), 1);
    EXPECT_TRUE(form.Frame->Panel(0)->NullCheck()->isChecked()); // a new parameter is NULL
    auto *spin = qobject_cast<TMxSpinEdit *>(Enter(form.Frame->Panel(0)));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->MinValue(), -2147483648.0);
    EXPECT_EQ(spin->MaxValue(), 2147483647.0);
    spin->SetValue(2);
  });
  Run(QStringLiteral("select NAME from T1 where ID = :ID"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("Beta")});
  EXPECT_EQ(Console->History().Count(), 1);
}

TEST_F(ConsoleParamsTest, TheSameNameTwiceGetsOnePanelWhoseValueReachesBoth) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    ASSERT_EQ(form.Frame->PanelCount(), 1);
    qobject_cast<TMxSpinEdit *>(Enter(form.Frame->Panel(0)))->SetValue(1);
  });
  Run(QStringLiteral("select NAME from T1 where ID = :ID and ID + 0 = :ID"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("Alfa")});
}

TEST_F(ConsoleParamsTest, NullTickedWritesNullAndEnteringTheEditorUnticksIt) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    TIBParamPanel *panel = form.Frame->Panel(0);
    auto *edit = qobject_cast<QLineEdit *>(Enter(panel));
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(panel->NullCheck()->isChecked());
    edit->setText(QStringLiteral("Alfa"));
    panel->NullCheck()->click();
    EXPECT_TRUE(panel->NullCheck()->isChecked());
    EXPECT_FALSE(panel->EditorEnabled());
  });
  Run(QStringLiteral("select count(*) from T1 where NAME is not distinct from :NAME"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("0")});

  AnswerParams([](TSQLParamsForm &form) {
    TIBParamPanel *panel = form.Frame->Panel(0);
    EXPECT_TRUE(panel->NullCheck()->isChecked()); // the query's NULL is where the dialog starts
    EXPECT_EQ(qobject_cast<QLineEdit *>(panel->Editor())->text(), QString());
    qobject_cast<QLineEdit *>(Enter(panel))->setText(QStringLiteral("Alfa"));
  });
  Run(QStringLiteral("select count(*) from T1 where NAME is not distinct from :NAME"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("1")});
}

TEST_F(ConsoleParamsTest, ADescribedParameterOffersItsChoices) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    TIBParamPanel *panel = form.Frame->Panel(0);
    EXPECT_EQ(panel->Caption(), QStringLiteral("Rodzaj"));
    auto *combo = qobject_cast<QComboBox *>(Enter(panel));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Drugi"));
    combo->setCurrentIndex(1);
  });
  Run(QStringLiteral("select ID from T1 where NAME = :\"Rodzaj#VALUES='Alfa','Beta'#DISPLAY='Pierwszy','Drugi'\""));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("2")});
}

TEST_F(ConsoleParamsTest, ASelectListIsReadFromTheDatabase) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    auto *combo = qobject_cast<QComboBox *>(Enter(form.Frame->Panel(0)));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Alfa"));
    combo->setCurrentIndex(0);
  });
  Run(QStringLiteral("select ID from T1 where NAME = :\"Nazwa#VALUES=@SELECT NAME FROM T1 ORDER BY ID\""));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("1")});
}

TEST_F(ConsoleParamsTest, ABadSelectListStopsTheStatementBeforeItRuns) {
  OpenConsole();
  EXPECT_THROW(Run(QStringLiteral("select ID from T1 where NAME = :\"N#VALUES=@SELECT NONSENSE FROM NOWHERE\"")),
               EDatabaseError);
  EXPECT_FALSE(Console->Query->Active());
  EXPECT_EQ(Console->History().Count(), 0);
}

TEST_F(ConsoleParamsTest, ADateParameterTakesTheDateAndAnEmptyOneIsNull) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    auto *edit = qobject_cast<TDateEdit *>(Enter(form.Frame->Panel(0)));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->DialogTitle(), QString::fromUtf8("Wybierz datę"));
    edit->SetDate(EncodeDate(2024, 2, 29));
  });
  Run(QStringLiteral("select extract(day from cast(:D as date)) from RDB$DATABASE where cast(:D as date) = date '2024-02-29'"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("29")});
  AnswerParams([](TSQLParamsForm &form) { qobject_cast<TDateEdit *>(Enter(form.Frame->Panel(0)))->SetDate(0); });
  Run(QStringLiteral("select count(*) from RDB$DATABASE where cast(:D as date) is null"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("1")});
}

TEST_F(ConsoleParamsTest, CancellingTheDialogRunsNothingButRecordsAndAsksToCommit) {
  OpenConsole();
  Dialogs.AnswerMessage(mrYes); // the guard
  AnswerParams([](TSQLParamsForm &) {}, mrCancel);
  Dialogs.AnswerMessage(mrNo); // commit?
  Run(QStringLiteral("update T1 set NAME = :NAME where ID = 1"));
  EXPECT_FALSE(Console->Query->Active());
  EXPECT_EQ(Console->History().Count(), 1);
  EXPECT_EQ(MessageCaptions(), (QStringList{QStringLiteral("Uwaga!"), QStringLiteral("Uwaga!")}));
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select NAME from T1 where ID = 1")).toString(), QStringLiteral("Alfa"));
}

TEST_F(ConsoleParamsTest, AScaledNumberIsEnteredWithItsDecimals) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    auto *spin = qobject_cast<TMxSpinEdit *>(Enter(form.Frame->Panel(0)));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->ValueType(), vtFloat);
    spin->SetValue(12.5);
  });
  Run(QStringLiteral("select count(*) from RDB$DATABASE where cast(:X as numeric(9,2)) = 12.5"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("1")});
}
