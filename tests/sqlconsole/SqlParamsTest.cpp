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

#include "FormatSettings.h"
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDateTimeEdit>
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
        DescriptionCase{"ValuesAndDisplay", "Rodzaj#VALUES='A','B'#DISPLAY='Typ A','Typ B'", "Rodzaj",
                        "\"A\",\"B\"", "\"Typ A\",\"Typ B\""},
        DescriptionCase{"AllLabel", "Kwota brutto", "Kwota brutto", "", ""},
        DescriptionCase{"DisplayDefaultsToValues", "Rodzaj#VALUES='A','B'", "Rodzaj", "\"A\",\"B\"",
                        "\"A\",\"B\""},
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
    // No limits: the spin would pull a value typed past them back unseen; writing refuses it instead.
    EXPECT_EQ(spin->MinValue(), 0.0);
    EXPECT_EQ(spin->MaxValue(), 0.0);
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
  Run(QStringLiteral(
      "select ID from T1 where NAME = :\"Rodzaj#VALUES='Alfa','Beta'#DISPLAY='Pierwszy','Drugi'\""));
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
  EXPECT_THROW(
      Run(QStringLiteral("select ID from T1 where NAME = :\"N#VALUES=@SELECT NONSENSE FROM NOWHERE\"")),
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
  Run(QStringLiteral("select extract(day from cast(:D as date)) from RDB$DATABASE where cast(:D as date) = "
                     "date '2024-02-29'"));
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("29")});
  AnswerParams(
      [](TSQLParamsForm &form) { qobject_cast<TDateEdit *>(Enter(form.Frame->Panel(0)))->SetDate(0); });
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
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select NAME from T1 where ID = 1")).toString(),
            QStringLiteral("Alfa"));
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

// The server's own text of the value that reached it, so that nothing on the way back can round it.
QString AsServerText(const char *type) {
  return QStringLiteral("select coalesce(cast(cast(:X as %1) as varchar(40)), 'NULL') from RDB$DATABASE")
      .arg(QString::fromUtf8(type));
}

// A number typed as the person types it: the decimal comma of the settings.
QString Typed(const char *text) {
  return QString::fromUtf8(text).replace(u'.', FormatSettings().DecimalSeparator);
}

struct NumberCase {
  const char *Name;
  const char *Type;
  const char *Typed; // "." stands for the decimal separator
  const char *Reached;
};

class ConsoleNumberParamTest : public ConsoleParamsTest, public testing::WithParamInterface<NumberCase> {};

TEST_P(ConsoleNumberParamTest, ReachesTheServerExactlyOrRoundedToItsScale) {
  const NumberCase &c = GetParam();
  OpenConsole();
  AnswerParams([&c](TSQLParamsForm &form) {
    auto *spin = qobject_cast<TMxSpinEdit *>(Enter(form.Frame->Panel(0)));
    ASSERT_NE(spin, nullptr);
    spin->SetText(Typed(c.Typed));
  });
  Run(AsServerText(c.Type));
  EXPECT_EQ(ResultColumn(), QStringList{QString::fromUtf8(c.Reached)});
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ConsoleNumberParamTest,
    testing::Values(
        NumberCase{"IntegerMax", "integer", "2147483647", "2147483647"},
        NumberCase{"IntegerMin", "integer", "-2147483648", "-2147483648"},
        NumberCase{"SmallintMax", "smallint", "32767", "32767"},
        NumberCase{"SmallintMin", "smallint", "-32768", "-32768"},
        NumberCase{"BigintMax", "bigint", "9223372036854775807", "9223372036854775807"},
        NumberCase{"BigintMin", "bigint", "-9223372036854775808", "-9223372036854775808"},
        NumberCase{"BigintPastADoublesDigits", "bigint", "9007199254740993", "9007199254740993"},
        NumberCase{"Numeric18_4Max", "numeric(18,4)", "922337203685477.5807", "922337203685477.5807"},
        NumberCase{"Numeric18_4Min", "numeric(18,4)", "-922337203685477.5808", "-922337203685477.5808"},
        NumberCase{"Numeric18_4Smallest", "numeric(18,4)", "0.0001", "0.0001"},
        NumberCase{"Numeric18_4Whole", "numeric(18,4)", "12", "12.0000"},
        NumberCase{"Decimal9_2", "decimal(9,2)", "1234567.89", "1234567.89"},
        NumberCase{"Numeric9_2RoundsLikeTheServer", "numeric(9,2)", "1.005", "1.01"},
        NumberCase{"Numeric4_1RoundsLikeTheServer", "numeric(4,1)", "-2.25", "-2.3"}),
    [](const testing::TestParamInfo<NumberCase> &info) { return std::string(info.param.Name); });

struct BadNumberCase {
  const char *Name;
  const char *Type;
  const char *Typed;
  const char *Refusal = nullptr; // the console's own message for a number past the range, or nullptr
};

void PrintTo(const BadNumberCase &c, std::ostream *out) { *out << c.Name; }

class ConsoleBadNumberParamTest : public ConsoleParamsTest,
                                  public testing::WithParamInterface<BadNumberCase> {};

TEST_P(ConsoleBadNumberParamTest, IsRefusedAndTheStatementDoesNotRun) {
  const BadNumberCase &c = GetParam();
  OpenConsole();
  AnswerParams([&c](TSQLParamsForm &form) {
    auto *spin = qobject_cast<TMxSpinEdit *>(Enter(form.Frame->Panel(0)));
    spin->SetText(Typed(c.Typed));
    if (!c.Refusal)
      return;
    // A number past its type's range: leaving the edit, as a click on "Zatwierdź" does, keeps it as typed.
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(spin, &leave);
    EXPECT_EQ(spin->Text(), Typed(c.Typed));
  });
  try {
    Run(AsServerText(c.Type));
    ADD_FAILURE() << "the statement ran";
  } catch (const Exception &error) {
    if (c.Refusal) {
      EXPECT_EQ(error.Message(), QString::fromUtf8(c.Refusal));
    }
  }
  EXPECT_FALSE(Console->Query->Active());
  EXPECT_EQ(Console->History().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ConsoleBadNumberParamTest,
    testing::Values(BadNumberCase{"IntegerPastItsMax", "integer", "2147483648",
                                  "„2147483648” nie mieści się w zakresie parametru X"},
                    BadNumberCase{"IntegerBelowItsMin", "integer", "-2147483649",
                                  "„-2147483649” nie mieści się w zakresie parametru X"},
                    BadNumberCase{"SmallintPastItsMax", "smallint", "32768",
                                  "„32768” nie mieści się w zakresie parametru X"},
                    BadNumberCase{"SmallintBelowItsMin", "smallint", "-40000",
                                  "„-40000” nie mieści się w zakresie parametru X"},
                    BadNumberCase{"IntegerWithDecimals", "integer", "1.5"},
                    BadNumberCase{"Numeric9_2PastItsMax", "numeric(9,2)", "21474836.48"},
                    BadNumberCase{"BigintPastItsMax", "bigint", "9223372036854775808"},
                    BadNumberCase{"BigintWithDecimals", "bigint", "1.5"},
                    BadNumberCase{"NumericNotANumber", "numeric(18,4)", "12a"},
                    BadNumberCase{"NumericPastItsMax", "numeric(18,4)", "922337203685477.5808"}),
    [](const testing::TestParamInfo<BadNumberCase> &info) { return std::string(info.param.Name); });

struct MomentCase {
  const char *Name;
  const char *Type;
  QDateTime Value; // invalid: "Wartość pusta" stays ticked
  const char *Reached;
};

class ConsoleMomentParamTest : public ConsoleParamsTest, public testing::WithParamInterface<MomentCase> {};

TEST_P(ConsoleMomentParamTest, TakesTheTimeAsWellAsTheDate) {
  const MomentCase &c = GetParam();
  OpenConsole();
  AnswerParams([&c](TSQLParamsForm &form) {
    TIBParamPanel *panel = form.Frame->Panel(0);
    auto *edit = qobject_cast<QDateTimeEdit *>(panel->Editor());
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(panel->NullCheck()->isChecked());
    if (!c.Value.isValid())
      return;
    Enter(panel);
    if (qobject_cast<QTimeEdit *>(edit))
      edit->setTime(c.Value.time());
    else
      edit->setDateTime(c.Value);
  });
  Run(AsServerText(c.Type));
  EXPECT_EQ(ResultColumn(), QStringList{QString::fromUtf8(c.Reached)});
}

INSTANTIATE_TEST_SUITE_P(
    Moments, ConsoleMomentParamTest,
    testing::Values(
        MomentCase{"Time", "time", QDateTime(QDate(2000, 1, 1), QTime(13, 45, 30)), "13:45:30.0000"},
        MomentCase{"TimeAtMidnight", "time", QDateTime(QDate(2000, 1, 1), QTime(0, 0)), "00:00:00.0000"},
        MomentCase{"TimeNull", "time", QDateTime(), "NULL"},
        MomentCase{"Timestamp", "timestamp", QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)),
                   "2024-02-29 23:59:58.0000"},
        MomentCase{"TimestampNull", "timestamp", QDateTime(), "NULL"}),
    [](const testing::TestParamInfo<MomentCase> &info) { return std::string(info.param.Name); });

struct BooleanCase {
  const char *Name;
  Qt::CheckState Value; // PartiallyChecked: "Wartość pusta" stays ticked
  const char *Reached;
};

class ConsoleBooleanParamTest : public ConsoleParamsTest, public testing::WithParamInterface<BooleanCase> {};

TEST_P(ConsoleBooleanParamTest, IsACheckBoxWithNullBesideIt) {
  const BooleanCase &c = GetParam();
  OpenConsole();
  AnswerParams([&c](TSQLParamsForm &form) {
    TIBParamPanel *panel = form.Frame->Panel(0);
    auto *check = qobject_cast<QCheckBox *>(panel->Editor());
    ASSERT_NE(check, nullptr);
    if (c.Value == Qt::PartiallyChecked)
      return;
    Enter(panel);
    check->setChecked(c.Value == Qt::Checked);
  });
  Run(AsServerText("boolean"));
  EXPECT_EQ(ResultColumn(), QStringList{QString::fromUtf8(c.Reached)});
}

INSTANTIATE_TEST_SUITE_P(Booleans, ConsoleBooleanParamTest,
                         testing::Values(BooleanCase{"True", Qt::Checked, "TRUE"},
                                         BooleanCase{"False", Qt::Unchecked, "FALSE"},
                                         BooleanCase{"Null", Qt::PartiallyChecked, "NULL"}),
                         [](const testing::TestParamInfo<BooleanCase> &info) {
                           return std::string(info.param.Name);
                         });

TEST_F(ConsoleParamsTest, AListWithMoreTextsThanValuesIsRefusedByName) {
  OpenConsole();
  try {
    Run(QStringLiteral(
        "select ID from T1 where NAME = :\"Rodzaj#VALUES='Alfa'#DISPLAY='Pierwszy','Drugi'\""));
    ADD_FAILURE() << "the list was taken";
  } catch (const Exception &error) {
    EXPECT_EQ(
        error.Message(),
        QString::fromUtf8("Parametr „Rodzaj”: lista DISPLAY ma więcej pozycji (2) niż lista VALUES (1)."));
  }
  EXPECT_TRUE(Dialogs.ModalForms().empty());
  EXPECT_FALSE(Console->Query->Active());
  EXPECT_EQ(Console->History().Count(), 0);
}

TEST_F(ConsoleParamsTest, ABigintParameterShowsItsExactValueAgain) {
  OpenConsole();
  AnswerParams([](TSQLParamsForm &form) {
    qobject_cast<TMxSpinEdit *>(Enter(form.Frame->Panel(0)))->SetText(QStringLiteral("9007199254740993"));
  });
  const QString sql = AsServerText("bigint");
  Run(sql);
  AnswerParams([](TSQLParamsForm &form) {
    EXPECT_EQ(qobject_cast<TMxSpinEdit *>(form.Frame->Panel(0)->Editor())->Text(),
              QStringLiteral("9007199254740993"));
  });
  Run(sql);
  EXPECT_EQ(ResultColumn(), QStringList{QStringLiteral("9007199254740993")});
}
