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
    grid = new TExDBGrid(&window);
    grid->SetDataSource(&source);
    window.resize(400, 200);
    GridInput::ShowFocused(window, *grid);
  }
  QStringList Names() {
    QStringList names;
    for (table->First(); !table->Eof(); table->Next())
      names << table->FieldByName("USER_NAME")->AsString();
    return names;
  }
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
