#include "ExDBGridFixture.h"

#include "Registry.h"
#include "ScriptedDialogs.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

class ExDBGridLayoutTest : public ExDBGridFixture {
protected:
  void SetUp() override {
    saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
    grid->SetRegistrySaveName(QStringLiteral("LayoutTest"));
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

  static void Store(const QString &key, const std::vector<std::pair<QString, QString>> &values) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(key, true));
    for (const auto &[name, value] : values)
      registry.WriteString(name, value);
  }
  static QStringList Values(const QString &key) {
    TRegistry registry;
    if (!registry.OpenKey(key, false))
      return {};
    QStringList values;
    for (int i = 0; i <= 100; ++i)
      if (registry.ValueExists(QStringLiteral("Column%1").arg(i)))
        values << registry.ReadString(QStringLiteral("Column%1").arg(i));
    return values;
  }
  QStringList ColumnNames() const {
    QStringList names;
    for (int i = 0; i < grid->Columns().Count(); ++i)
      names << grid->Columns()[i]->FieldName();
    return names;
  }

  QTemporaryDir dir;
  QByteArray saved;
};

TEST_F(ExDBGridLayoutTest, SaveWritesEachColumnAndRemovesStaleValues) {
  Store("\\Software\\LayoutTest", {{"Column4", "True|OLD,1"}, {"Column100", "True|OLD,1"}});
  grid->Columns()[1]->SetWidth(155);
  grid->SaveLayout();
  const auto width = [this](int i) { return QString::number(grid->Columns()[i]->Width()); };
  EXPECT_EQ(Values("\\Software\\LayoutTest"),
            QStringList({"True|ID," + width(0), "True|USER_NAME,155", "True|CHECK," + width(2),
                         "True|LEVEL," + width(3)}))
      << "Column4 and Column100 of the wider layout are gone";
}

TEST_F(ExDBGridLayoutTest, EmptyNameSavesUnderTheDefaultKey) {
  grid->SetRegistrySaveName(QString());
  grid->SaveLayout();
  EXPECT_EQ(grid->RegistrySaveName(), "ExDBGrid");
  EXPECT_EQ(Values("\\Software\\ExDBGrid").size(), 4);
}

TEST_F(ExDBGridLayoutTest, LoadRestoresOrderVisibilityAndWidths) {
  Store("\\Software\\LayoutTest", {{"Column0", "LEVEL,80"},
                                   {"Column1", "True|USER_NAME,120"},
                                   {"Column2", "False|ID,70"},
                                   {"Column3", "True|NOSUCH,10"},
                                   {"Column4", ""},
                                   {"Column5", "True|CHECK,30"}});
  grid->LoadLayout();
  EXPECT_EQ(ColumnNames(), QStringList({"LEVEL", "USER_NAME", "CHECK"}))
      << "CHECK lies past the first empty value, so the layout leaves it as it was";
  EXPECT_FALSE(Field("ID")->Visible());
  EXPECT_EQ(grid->Columns()[0]->Width(), 80);
  EXPECT_EQ(grid->Columns()[1]->Width(), 120);
}

TEST_F(ExDBGridLayoutTest, SavedLayoutComesBackAfterReordering) {
  grid->Columns()[2]->SetWidth(44);
  Field("LEVEL")->SetIndex(0);
  grid->Columns()[0]->SetWidth(77);
  grid->SaveLayout();
  Field("ID")->SetIndex(0);
  grid->Columns()[0]->SetWidth(10);
  grid->LoadLayout();
  EXPECT_EQ(ColumnNames(), QStringList({"LEVEL", "ID", "USER_NAME", "CHECK"}));
  EXPECT_EQ(grid->Columns()[0]->Width(), 77);
}

TEST_F(ExDBGridLayoutTest, BadWidthChangesNothing) {
  Store("\\Software\\LayoutTest", {{"Column0", "True|LEVEL,80"}, {"Column1", "True|ID,wide"}});
  EXPECT_THROW(grid->LoadLayout(), EConvertError);
  EXPECT_EQ(ColumnNames(), QStringList({"ID", "USER_NAME", "CHECK", "LEVEL"}));
}

struct BadLayoutCase {
  const char *name;
  std::vector<std::pair<QString, QString>> values;
};

void PrintTo(const BadLayoutCase &c, std::ostream *os) { *os << c.name; }

class ExDBGridBadLayoutTest : public ExDBGridLayoutTest, public testing::WithParamInterface<BadLayoutCase> {};

TEST_P(ExDBGridBadLayoutTest, LeavesTheGridUsable) {
  Store("\\Software\\LayoutTest", GetParam().values);
  std::vector<int> widths;
  for (int i = 0; i < grid->Columns().Count(); ++i)
    widths.push_back(grid->Columns()[i]->Width());
  grid->LoadLayout();
  EXPECT_EQ(ColumnNames(), QStringList({"ID", "USER_NAME", "CHECK", "LEVEL"}));
  for (int i = 0; i < grid->Columns().Count(); ++i)
    EXPECT_EQ(grid->Columns()[i]->Width(), widths[size_t(i)]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExDBGridBadLayoutTest,
    testing::Values(
        BadLayoutCase{"NegativeWidth", {{"Column0", "True|ID,-40"}, {"Column1", "True|USER_NAME,-1"}}},
        BadLayoutCase{"WidthPastInt", {{"Column0", "True|ID,2147483647"}}},
        BadLayoutCase{"WidthPast64Bits", {{"Column0", "True|ID,99999999999999999999"}}},
        BadLayoutCase{"OtherDataset", {{"Column0", "True|CUSTOMER,80"}, {"Column1", "False|INVOICE,40"}}},
        BadLayoutCase{"PolishUnknownName", {{"Column0", "True|NAZWISKO_\u0141\u0104CZKA,50"}}},
        BadLayoutCase{"NoComma", {{"Column0", "True|ID"}, {"Column1", "garbage"}}}),
    [](const testing::TestParamInfo<BadLayoutCase> &info) { return std::string(info.param.name); });

TEST_F(ExDBGridLayoutTest, MissingKeyLeavesFieldsAlone) {
  grid->SetRegistrySaveName(QStringLiteral("Nothing"));
  grid->LoadLayout();
  EXPECT_EQ(ColumnNames(), QStringList({"ID", "USER_NAME", "CHECK", "LEVEL"}));
}

TEST_F(ExDBGridLayoutTest, SaveAndLoadFromTheMenu) {
  grid->Columns()[1]->SetWidth(140);
  grid->MenuItem(35)->trigger();
  grid->Columns()[1]->SetWidth(20);
  grid->MenuItem(36)->trigger();
  EXPECT_EQ(grid->Columns()[1]->Width(), 140);
}

struct ExportCase {
  const char *name;
  TExportDelimiter delimiter;
  QStringList values;
  QString line;
};

void PrintTo(const ExportCase &c, std::ostream *os) { *os << c.name; }

class ExportLineTest : public testing::TestWithParam<ExportCase> {};

TEST_P(ExportLineTest, ValuesKeepTheirPlaces) {
  EXPECT_EQ(TExDBGridExport::Line(GetParam().values, GetParam().delimiter), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Delimiters, ExportLineTest,
    testing::Values(
        ExportCase{"LeadingEmpty", TExportDelimiter::Pipe, {"", "a"}, "|a"},
        ExportCase{"TrailingEmpty", TExportDelimiter::Pipe, {"b", ""}, "b|"},
        ExportCase{"QuoteDelimiter", TExportDelimiter::Quote, {"x", "y"}, "x\"y"},
        ExportCase{"CommaInValue", TExportDelimiter::Comma, {"Kowalski, Jan", "7"}, "\"Kowalski, Jan\",7"},
        ExportCase{
            "QuotesAndPipes", TExportDelimiter::Pipe, {"say \"hi\"", "a|b"}, "\"say \"\"hi\"\"\"|\"a|b\""}),
    [](const testing::TestParamInfo<ExportCase> &info) { return std::string(info.param.name); });

TEST(ExportLine, QuoteDelimiterRefusesValueWithQuote) {
  EXPECT_THROW(TExDBGridExport::Line({"5\" disk", "y"}, TExportDelimiter::Quote), EConvertError);
}

TEST_F(ExDBGridLayoutTest, ExportWritesAllRecordsAndConfirms) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrOk);
  data->Last();
  const QString file = dir.filePath("out.dat");
  grid->ExportGrid(file);
  const QByteArray bytes = [&] {
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  EXPECT_EQ(bytes, QByteArray("1|ADAM|True|1\r\n2|BEATA|False|0\r\n"));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Exported To File: " + file);
  EXPECT_EQ(Field("USER_NAME")->AsString(), "ADAM");
}

TEST_F(ExDBGridLayoutTest, FailedExportKeepsTheOldFile) {
  ScriptedDialogs dialogs;
  const QString file = dir.filePath("out.dat");
  TextFile::WriteLines(file, {"old"});
  data->Edit();
  Field("USER_NAME")->SetAsString("5\" DISK");
  data->Post();
  grid->SetExportDelimiter(TExportDelimiter::Quote);
  EXPECT_THROW(grid->ExportGrid(file), EConvertError);
  EXPECT_EQ(TextFile::ReadLines(file), QStringList({"old"}));
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(Field("USER_NAME")->AsString(), "5\" DISK") << "the dataset is back on its first record";
}

TEST_F(ExDBGridLayoutTest, SearchBoxNeedsAnIndexOnTheField) {
  grid->SetSearchMode(true);
  GridInput::Click(View(), grid->CellRect(2, 0).center());
  ASSERT_NE(grid->SearchEdit(), nullptr);
  EXPECT_FALSE(grid->SearchEdit()->isVisible());
}

TEST_F(ExDBGridLayoutTest, SearchBoxLocatesAsYouType) {
  data->IndexDefs().Add(QStringLiteral("BY_NAME"), QStringLiteral("USER_NAME"), {});
  grid->SetSearchMode(true);
  GridInput::Click(View(), grid->CellRect(2, 0).center());
  ASSERT_TRUE(grid->SearchEdit()->isVisible());
  EXPECT_EQ(grid->SearchEdit()->geometry(), grid->CellRect(2, 0));
  GridInput::Type("be");
  EXPECT_EQ(Field("USER_NAME")->AsString(), "BEATA");
  GridInput::Press(Qt::Key_Escape);
  EXPECT_FALSE(grid->SearchEdit()->isVisible());
  EXPECT_TRUE(grid->hasFocus());
}

} // namespace
