#include "TestDataSet.h"

#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "FormatSettings.h"

#include <gtest/gtest.h>

namespace {

// One record with a field of every stored type, in edit state.
class FieldsTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::Polish();
    auto &defs = Data.FieldDefs();
    defs.Add("S", ftString, 5);
    defs.Add("FIXED", ftFixedChar, 4);
    defs.Add("SMALL", ftSmallint);
    defs.Add("I", ftInteger);
    defs.Add("W", ftWord);
    defs.Add("BIG", ftLargeint);
    defs.Add("B", ftBoolean);
    defs.Add("F", ftFloat);
    defs.Add("CUR", ftCurrency);
    defs.Add("BCD", ftBCD, 2)->SetPrecision(10);
    defs.Add("D", ftDate);
    defs.Add("T", ftTime);
    defs.Add("DT", ftDateTime);
    defs.Add("BYTES", ftBytes, 3);
    defs.Add("VB", ftVarBytes, 4);
    defs.Add("MEMO", ftMemo);
    defs.Add("BLOB", ftBlob);
    Data.setObjectName("data");
    Data.Open();
    Data.Append();
  }
  TField *F(const char *name) { return Data.FieldByName(QString::fromLatin1(name)); }
  static QString Message(const std::function<void()> &action) {
    try {
      action();
    } catch (const Exception &e) {
      return e.Message();
    }
    return QStringLiteral("no error");
  }

  TFormatSettingsScope Settings;
  TTestDataSet Data;
};

} // namespace

TEST_F(FieldsTest, DefaultFieldsHaveTheClassOfTheirType) {
  EXPECT_TRUE(Data.DefaultFields());
  EXPECT_NE(dynamic_cast<TStringField *>(F("S")), nullptr);
  EXPECT_TRUE(dynamic_cast<TStringField *>(F("FIXED"))->FixedChar());
  EXPECT_EQ(F("FIXED")->DataType(), ftFixedChar);
  EXPECT_NE(dynamic_cast<TSmallintField *>(F("SMALL")), nullptr);
  EXPECT_NE(dynamic_cast<TWordField *>(F("W")), nullptr);
  EXPECT_NE(dynamic_cast<TLargeintField *>(F("BIG")), nullptr);
  EXPECT_NE(dynamic_cast<TCurrencyField *>(F("CUR")), nullptr);
  EXPECT_NE(dynamic_cast<TBCDField *>(F("BCD")), nullptr);
  EXPECT_NE(dynamic_cast<TDateField *>(F("D")), nullptr);
  EXPECT_NE(dynamic_cast<TTimeField *>(F("T")), nullptr);
  EXPECT_NE(dynamic_cast<TVarBytesField *>(F("VB")), nullptr);
  EXPECT_NE(dynamic_cast<TMemoField *>(F("MEMO")), nullptr);
  EXPECT_EQ(F("I")->Alignment(), taRightJustify);
  EXPECT_EQ(F("S")->Alignment(), taLeftJustify);
  EXPECT_EQ(F("S")->DisplayWidth(), 5);
  EXPECT_EQ(F("I")->FieldNo(), 4);
  F("I")->SetIndex(0);
  EXPECT_EQ(Data.Fields(0), F("I"));
  EXPECT_EQ(F("S")->Index(), 1);
  F("I")->SetIndex(99);
  EXPECT_EQ(F("I")->Index(), Data.FieldCount() - 1);
  EXPECT_EQ(F("I")->FieldNo(), 4) << "the record layout does not move";
  F("I")->SetAsInteger(12);
  EXPECT_EQ(F("I")->AsInteger(), 12);
  Data.Cancel();
  Data.Close();
  EXPECT_EQ(Data.FieldCount(), 0) << "default fields go with the cursor";
}

TEST_F(FieldsTest, NativeBufferFormats) {
  struct Case {
    const char *Field;
    int Size;
  } sizes[] = {{"S", 6},   {"FIXED", 5}, {"SMALL", 2}, {"I", 4}, {"W", 2},  {"BIG", 8},   {"B", 2}, {"F", 8},
               {"CUR", 8}, {"BCD", 34},  {"D", 4},     {"T", 4}, {"DT", 8}, {"BYTES", 3}, {"VB", 6}};
  for (const Case &c : sizes)
    EXPECT_EQ(F(c.Field)->DataSize(), c.Size) << c.Field;

  F("I")->SetAsInteger(-7);
  qint32 i = 0;
  ASSERT_TRUE(F("I")->GetData(&i));
  EXPECT_EQ(i, -7);
  F("W")->SetAsInteger(65535);
  quint16 w = 0;
  F("W")->GetData(&w);
  EXPECT_EQ(w, 65535);
  F("B")->SetAsBoolean(true);
  qint16 b = 0;
  F("B")->GetData(&b);
  EXPECT_NE(b, 0);
  F("S")->SetAsString(QString::fromUtf8("Żółw"));
  char s[6] = {};
  F("S")->GetData(s);
  EXPECT_STREQ(s, "\xAF\xF3\xB3w") << "Windows-1250 bytes";
  F("D")->SetAsDateTime(EncodeDate(2024, 2, 29));
  qint32 days = 0;
  F("D")->GetData(&days);
  EXPECT_EQ(days, 738945) << "days since 0001-01-01, plus one";
  F("T")->SetAsDateTime(EncodeTime(1, 2, 3, 4));
  qint32 ms = 0;
  F("T")->GetData(&ms);
  EXPECT_EQ(ms, 3723004);
  F("DT")->SetAsDateTime(EncodeDate(2024, 2, 29) + EncodeTime(12, 0, 0, 0));
  double stamp = 0;
  F("DT")->GetData(&stamp);
  EXPECT_DOUBLE_EQ(stamp, 738945.0 * 86400000.0 + 43200000.0);
  F("VB")->SetAsBytes(QByteArray("\x01\x02", 2));
  EXPECT_EQ(F("VB")->AsBytes(), QByteArray("\x01\x02", 2));
  F("BYTES")->SetAsBytes(QByteArray("ab"));
  EXPECT_EQ(F("BYTES")->AsBytes(), QByteArray("ab\0", 3));
}

TEST_F(FieldsTest, ValuesRoundTripThroughTheRecord) {
  F("S")->SetAsString("abcdefgh");
  F("FIXED")->SetAsString("ab");
  F("SMALL")->SetAsString(" -12 ");
  F("BIG")->SetAsLargeInt(9000000000LL);
  F("F")->SetAsString("2,5");
  F("BCD")->SetAsString("12,345");
  F("D")->SetAsString("29.02.2024");
  F("MEMO")->SetAsString(QString::fromUtf8("Wiersz 1\r\nzażółć"));
  F("BLOB")->SetAsBytes(QByteArray("\x00\x01\x02", 3));
  F("I")->SetAsInteger(1);
  Data.Post();
  Data.Close();
  Data.Open();
  EXPECT_EQ(F("S")->AsString(), "abcde") << "text longer than Size is cut";
  EXPECT_EQ(F("FIXED")->AsString(), "ab");
  EXPECT_EQ(F("SMALL")->AsInteger(), -12);
  EXPECT_EQ(F("BIG")->AsLargeInt(), 9000000000LL);
  EXPECT_DOUBLE_EQ(F("F")->AsFloat(), 2.5);
  EXPECT_EQ(F("F")->AsString(), "2,5");
  EXPECT_EQ(F("BCD")->AsString(), "12,35") << "rounded to the field's two places";
  EXPECT_EQ(F("D")->AsString(), "29.02.2024");
  EXPECT_EQ(F("D")->Value(), QVariant(QDate(2024, 2, 29)));
  EXPECT_EQ(F("MEMO")->AsString(), QString::fromUtf8("Wiersz 1\r\nzażółć"));
  EXPECT_EQ(F("MEMO")->DisplayText(), "(MEMO)");
  EXPECT_EQ(F("BLOB")->AsBytes(), QByteArray("\x00\x01\x02", 3));
  Data.Edit();
  F("MEMO")->SetAsString("");
  EXPECT_TRUE(F("MEMO")->IsNull()) << "an empty blob is null";
  EXPECT_EQ(F("MEMO")->DisplayText(), "(memo)");
  Data.Cancel();
  EXPECT_FALSE(F("MEMO")->IsNull());
  EXPECT_THROW(F("MEMO")->SetAsString("x"), EDatabaseError) << "browsing";
  EXPECT_TRUE(F("B")->IsNull());
  EXPECT_TRUE(F("B")->Value().isNull());
  EXPECT_EQ(F("B")->AsString(), "");
  EXPECT_FALSE(F("B")->AsBoolean());
}

// Integers are written without the locale machinery: the text must still be what QString::number
// gives, for the ends of every range.
// A BCD value is shown with the decimal separator of the moment, in every text of the field.
TEST_F(FieldsTest, BcdTextsCarryTheDecimalSeparator) {
  struct Case {
    const char *In;
    char16_t Separator;
    const char *Text;
  } cases[] = {
      {"12,345", u',', "12,35"}, {"12,345", u'.', "12.35"}, {"-0,5", u',', "-0,5"},
      {"7", u',', "7"},          {"-0", u'.', "0"},         {"-1234567,01", u'|', "-1234567|01"},
  };
  for (const Case &c : cases) {
    FormatSettings().DecimalSeparator = u',';
    F("BCD")->SetAsString(QString::fromLatin1(c.In));
    FormatSettings().DecimalSeparator = QChar(c.Separator);
    EXPECT_EQ(F("BCD")->DisplayText(), c.Text) << c.In;
    EXPECT_EQ(F("BCD")->Text(), c.Text) << c.In;
    EXPECT_EQ(F("BCD")->AsString(), c.Text) << c.In;
  }
}

TEST_F(FieldsTest, IntegerTextsAtTheEndsOfTheirRanges) {
  struct Case {
    const char *Field;
    qint64 Value;
  };
  for (const Case &c :
       {Case{"SMALL", -32768}, Case{"SMALL", 0}, Case{"W", 65535}, Case{"I", INT32_MIN}, Case{"I", INT32_MAX},
        Case{"I", -7}, Case{"BIG", INT64_MIN}, Case{"BIG", INT64_MAX}, Case{"BIG", -1000000000000LL}}) {
    F(c.Field)->SetAsLargeInt(c.Value);
    EXPECT_EQ(F(c.Field)->AsString(), QString::number(c.Value)) << c.Field;
    EXPECT_EQ(F(c.Field)->DisplayText(), QString::number(c.Value)) << c.Field;
  }
}

TEST_F(FieldsTest, BadValuesAreRefusedAndTheOldValueStays) {
  F("SMALL")->SetAsInteger(5);
  struct Case {
    const char *Field;
    std::function<void(TField *)> Write;
    const char *Message;
  } cases[] = {
      {"SMALL", [](TField *f) { f->SetAsInteger(40000); },
       "data: 40000 is not a valid value for field 'SMALL'. The allowed range is -32768 to 32767"},
      {"SMALL", [](TField *f) { f->SetAsString("12a"); },
       "data: '12a' is not a valid integer value for field 'SMALL'"},
      {"W", [](TField *f) { f->SetAsInteger(-1); },
       "data: -1 is not a valid value for field 'W'. The allowed range is 0 to 65535"},
      {"F", [](TField *f) { f->SetAsString("x1"); },
       "data: 'x1' is not a valid floating point value for field 'F'"},
      {"B", [](TField *f) { f->SetAsString("maybe"); },
       "data: 'maybe' is not a valid boolean value for field 'B'"},
      {"D", [](TField *f) { f->SetAsString("31.02.2024"); }, "'31.02.2024' is not a valid date"},
      {"I", [](TField *f) { f->SetAsBoolean(true); }, "data: Cannot access field 'I' as type Boolean"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Message([&] { c.Write(F(c.Field)); }), QString::fromUtf8(c.Message)) << c.Field;
  EXPECT_EQ(F("SMALL")->AsInteger(), 5);
  auto *f = dynamic_cast<TFloatField *>(F("F"));
  f->SetMinValue(0);
  f->SetMaxValue(10);
  EXPECT_EQ(Message([&] { f->SetAsFloat(10); }), "no error");
  EXPECT_EQ(Message([&] { f->SetAsFloat(10.5); }),
            "data: 10,5 is not a valid value for field 'F'. The allowed range is 0 to 10");
}

TEST_F(FieldsTest, TextEventsAndValidation) {
  F("I")->OnGetText = [](TField *field, QString &text, bool display) {
    text = display ? QStringLiteral("#%1").arg(field->AsInteger()) : field->AsString();
  };
  F("I")->OnSetText = [](TField *field, const QString &text) { field->SetAsInteger(text.toInt() * 10); };
  F("I")->SetText("4");
  EXPECT_EQ(F("I")->DisplayText(), "#40");
  EXPECT_EQ(F("I")->Text(), "40");

  QString seen;
  F("S")->OnValidate = [&](TField *field) {
    seen = field->AsString();
    if (seen == QLatin1String("bad"))
      throw EDatabaseError("Not allowed");
  };
  int changes = 0;
  F("S")->OnChange = [&](TField *) { ++changes; };
  F("S")->SetAsString("good");
  EXPECT_EQ(seen, "good") << "the handler sees the value being written";
  EXPECT_THROW(F("S")->SetAsString("bad"), EDatabaseError);
  EXPECT_EQ(F("S")->AsString(), "good");
  EXPECT_EQ(changes, 1);
}

TEST_F(FieldsTest, DisplayFormats) {
  auto *b = dynamic_cast<TBooleanField *>(F("B"));
  b->SetDisplayValues("Tak;Nie");
  b->SetAsString("n");
  EXPECT_EQ(b->AsString(), "Nie");
  b->SetAsString("TA");
  EXPECT_TRUE(b->AsBoolean());
  EXPECT_EQ(b->DisplayWidth(), 3);
  auto *f = dynamic_cast<TFloatField *>(F("F"));
  f->SetAsFloat(1234.5);
  f->SetDisplayFormat("#,##0.00");
  EXPECT_EQ(f->DisplayText(), QString::fromUtf8("1\u00a0234,50"));
  EXPECT_EQ(f->Text(), QString::fromUtf8("1\u00a0234,50"));
  f->SetEditFormat("0.0");
  EXPECT_EQ(f->Text(), "1234,5");
  F("CUR")->SetAsFloat(-3.5);
  EXPECT_EQ(F("CUR")->DisplayText(), QString::fromUtf8("-3,50 zł"));
  auto *dt = dynamic_cast<TDateTimeField *>(F("DT"));
  dt->SetAsDateTime(EncodeDate(2024, 5, 1) + EncodeTime(8, 5, 0, 0));
  EXPECT_EQ(dt->AsString(), "01.05.2024 08:05:00");
  dt->SetDisplayFormat("yyyy-mm-dd hh:nn");
  EXPECT_EQ(dt->DisplayText(), "2024-05-01 08:05");
}
