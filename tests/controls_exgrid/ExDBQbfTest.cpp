#include "ExDBQbf.h"

#include "DataSource.h"
#include "ExDBGrid.h"
#include "Field.h"
#include "GridInput.h"
#include "ScriptedDialogs.h"
#include "TestDataSet.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

// A grid shown in the window over the data source, and the user names the dataset holds now.
TExDBGrid *ShowGrid(QWidget &window, TDataSource &source) {
  auto *grid = new TExDBGrid(&window);
  grid->SetDataSource(&source);
  window.resize(400, 200);
  GridInput::ShowFocused(window, *grid);
  return grid;
}

QStringList UserNames(TDataSet &table) {
  QStringList names;
  for (table.First(); !table.Eof(); table.Next())
    names << table.FieldByName(QStringLiteral("USER_NAME"))->AsString();
  return names;
}

// An indexed table over the test rows: the key range is a real filter on the field texts.
class KeyedTable : public TTestDataSet, public TQbfTable {
public:
  QString TableName() const override { return QStringLiteral("USERS"); }
  void SetIndexFieldNames(const QString &fieldNames) override { IndexFieldNames = fieldNames; }
  void ApplyKeyRange(const QStringList &fieldNames, const QStringList &values) override {
    OnFilterRecord = [fieldNames, values](TDataSet *dataSet, bool &accept) {
      for (int i = 0; i < fieldNames.size(); ++i)
        accept = accept && dataSet->FieldByName(fieldNames[i])->AsString() == values[i];
    };
    SetFiltered(true);
    First();
  }
  void CancelRange() override {
    SetFiltered(false);
    OnFilterRecord = nullptr;
  }
  QString IndexFieldNames;
};

class ExDBQbfTest : public testing::Test {
protected:
  template <class Table = KeyedTable> void Build(int extraFields = 0) {
    table = std::make_unique<Table>();
    table->FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    table->FieldDefs().Add(QStringLiteral("USER_NAME"), ftString, 20);
    table->FieldDefs().Add(QStringLiteral("NOTES"), ftMemo);
    for (int i = 1; i <= extraFields; ++i)
      table->FieldDefs().Add(QStringLiteral("F%1").arg(i, 2, 10, QChar('0')), ftInteger);
    table->Open();
    int id = 1;
    for (const char *name : {"ADAM", "BEATA", "CEZARY"}) {
      QVariantList values{id++, QString::fromLatin1(name), QVariant()};
      for (int i = 0; i < extraFields; ++i)
        values << i;
      table->AppendRecord(values);
    }
    table->First();
    source.SetDataSet(table.get());
    grid = ShowGrid(window, source);
  }
  QStringList Names() { return UserNames(*table); }
  KeyedTable &Keyed() { return dynamic_cast<KeyedTable &>(*table); }
  static void SetValue(TdlgExDBQbf &dialog, const QString &label, const QString &value) {
    for (int row = 0; row < dialog.gridQBF()->rowCount(); ++row)
      if (dialog.gridQBF()->item(row, 0)->text() == label)
        dialog.gridQBF()->item(row, 1)->setText(value);
  }

  ScriptedDialogs dialogs;
  std::unique_ptr<TTestDataSet> table;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};

TEST_F(ExDBQbfTest, QueryNarrowsToTypedValues) {
  Build();
  dialogs.AnswerModalAs<TdlgExDBQbf>([](TdlgExDBQbf &dialog) {
    EXPECT_EQ(dialog.Caption(), " Query For Table USERS");
    EXPECT_EQ(dialog.gridQBF()->rowCount(), 2) << "the memo field gets no row";
    EXPECT_EQ(dialog.gridQBF()->horizontalHeaderItem(1)->text(), " Value ");
    SetValue(dialog, "USER_NAME", "BEATA");
    dialog.OKBtn()->click();
    return dialog.ModalResult();
  });
  grid->MenuItem(26)->trigger();
  EXPECT_EQ(Keyed().IndexFieldNames, "USER_NAME");
  EXPECT_EQ(Names(), QStringList({"BEATA"}));
}

TEST_F(ExDBQbfTest, QueryWithoutValuesShowsAllRecords) {
  Build();
  Keyed().ApplyKeyRange({"USER_NAME"}, {"ADAM"});
  dialogs.AnswerModalAs<TdlgExDBQbf>([](TdlgExDBQbf &dialog) {
    dialog.OKBtn()->click();
    return dialog.ModalResult();
  });
  QueryByForm(*grid);
  EXPECT_EQ(Names(), QStringList({"ADAM", "BEATA", "CEZARY"}));
  EXPECT_EQ(Keyed().IndexFieldNames, "");
}

TEST_F(ExDBQbfTest, SortUsesTheFirstTenRowsAfterReordering) {
  Build(10);
  dialogs.AnswerModalAs<TdlgExDBQbf>([](TdlgExDBQbf &dialog) {
    EXPECT_EQ(dialog.Caption(), " Sort Order For Table USERS");
    EXPECT_EQ(dialog.gridQBF()->rowCount(), 12);
    EXPECT_FALSE(dialog.gridQBF()->item(0, 1)->flags() & Qt::ItemIsEditable);
    dialog.gridQBF()->verticalHeader()->moveSection(11, 0);
    dialog.OKBtn()->click();
    return dialog.ModalResult();
  });
  grid->MenuItem(27)->trigger();
  EXPECT_EQ(Keyed().IndexFieldNames, "F10;ID;USER_NAME;F01;F02;F03;F04;F05;F06;F07");
}

TEST_F(ExDBQbfTest, CancelLeavesTheTableAlone) {
  Build();
  dialogs.AnswerModalAs<TdlgExDBQbf>([](TdlgExDBQbf &dialog) {
    SetValue(dialog, "USER_NAME", "BEATA");
    dialog.CancelBtn()->click();
    return dialog.ModalResult();
  });
  QueryByForm(*grid);
  EXPECT_EQ(Names(), QStringList({"ADAM", "BEATA", "CEZARY"}));
}

TEST_F(ExDBQbfTest, DatasetWithoutKeysIsRefused) {
  Build<TTestDataSet>();
  dialogs.AnswerMessage(mrOk);
  QueryByForm(*grid);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "QBF called for a Grid with a wrong DataSource Type");
  EXPECT_TRUE(dialogs.ModalForms().empty());
}

TEST_F(ExDBQbfTest, GridWithoutDataIsRefused) {
  TExDBGrid bare;
  dialogs.AnswerMessage(mrOk);
  SortByForm(bare);
  TColumn *column = bare.Columns().Add();
  column->SetFieldName(QStringLiteral("ID"));
  dialogs.AnswerMessage(mrOk);
  SortByForm(bare);
  TDataSource empty;
  bare.SetDataSource(&empty);
  dialogs.AnswerMessage(mrOk);
  SortByForm(bare);
  ASSERT_EQ(dialogs.Messages().size(), 3u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "QBF called for a Grid without any Fields");
  EXPECT_EQ(dialogs.Messages()[1].Text, "QBF called for a Grid without a DataSource");
  EXPECT_EQ(dialogs.Messages()[2].Text, "QBF called for a Grid with a DataSource without a DataSet");
  EXPECT_EQ(dialogs.Messages()[2].Icon, mtWarning);
}

} // namespace

#include "FirebirdFixture.h"
#include "IBTable.h"

#include <QLineEdit>

namespace {

TEST_F(ExDBQbfTest, OkShortcutTakesTheValueStillBeingTyped) {
  Build();
  dialogs.AnswerModalAs<TdlgExDBQbf>([](TdlgExDBQbf &dialog) {
    dialog.show();
    QTableWidget *rows = dialog.gridQBF();
    for (int row = 0; row < rows->rowCount(); ++row)
      if (rows->item(row, 0)->text() == "USER_NAME")
        rows->editItem(rows->item(row, 1));
    auto *editor = rows->findChild<QLineEdit *>();
    EXPECT_NE(editor, nullptr);
    if (editor)
      editor->setText(QStringLiteral("CEZARY"));
    // Alt+O presses the button without taking the focus from the open cell.
    dialog.OKBtn()->click();
    return dialog.ModalResult();
  });
  QueryByForm(*grid);
  EXPECT_EQ(Names(), QStringList({"CEZARY"}));
}

// Query and sort by form over a table of the database.
class ExDBQbfTableTest : public FirebirdTest {
protected:
  void SetUp() override {
    FirebirdTest::SetUp();
    if (IsSkipped())
      return;
    Execute({"create table USERS (ID integer not null primary key, USER_NAME varchar(30), GRUPA varchar(20))",
             "insert into USERS values (1, 'ZENON', 'KORVIN')",
             "insert into USERS values (2, 'ADAM', 'VELDAR')",
             "insert into USERS values (3, 'MAREK', 'KORVIN')",
             "insert into USERS values (4, 'Wi\xc5\x9bniewski O''Brien', 'KORVIN')"});
    table.SetDatabase(&Database);
    table.SetTransaction(&Transaction);
    table.SetTableName(QStringLiteral("USERS"));
    table.Open();
    source.SetDataSet(&table);
    grid = ShowGrid(window, source);
  }
  QStringList Names() { return UserNames(table); }
  void Answer(const QString &label, const QString &value, bool moveLastFirst = false) {
    dialogs.AnswerModalAs<TdlgExDBQbf>([=](TdlgExDBQbf &dialog) {
      for (int row = 0; row < dialog.gridQBF()->rowCount(); ++row)
        if (dialog.gridQBF()->item(row, 0)->text() == label)
          dialog.gridQBF()->item(row, 1)->setText(value);
      if (moveLastFirst)
        dialog.gridQBF()->verticalHeader()->moveSection(dialog.gridQBF()->rowCount() - 1, 0);
      dialog.OKBtn()->click();
      return dialog.ModalResult();
    });
  }

  ScriptedDialogs dialogs;
  TIBTable table;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};

TEST_F(ExDBQbfTableTest, QueryNarrowsTheTableToTheTypedKeys) {
  Answer(QStringLiteral("GRUPA"), QStringLiteral("KORVIN"));
  QueryByForm(*grid);
  EXPECT_EQ(table.IndexFieldNames(), "GRUPA");
  QStringList korvin = Names();
  korvin.sort();
  EXPECT_EQ(korvin, QStringList({"MAREK", QStringLiteral("Wi\u015bniewski O'Brien"), "ZENON"}));
  Answer(QStringLiteral("USER_NAME"), QStringLiteral("Wi\u015bniewski O'Brien"));
  QueryByForm(*grid);
  EXPECT_EQ(Names(), QStringList({QStringLiteral("Wi\u015bniewski O'Brien")}));
  Answer(QString(), QString());
  QueryByForm(*grid);
  EXPECT_EQ(Names().size(), 4) << "no value typed shows every record again";
}

TEST_F(ExDBQbfTableTest, SortOrdersTheTableByTheRows) {
  Answer(QString(), QString(), true);
  SortByForm(*grid);
  EXPECT_EQ(table.IndexFieldNames(), "GRUPA;ID;USER_NAME");
  EXPECT_EQ(Names(), QStringList({"ZENON", "MAREK", QStringLiteral("Wi\u015bniewski O'Brien"), "ADAM"}));
}

} // namespace
