#include "DataSource.h"
#include "ExDBGrid.h"
#include "Fields.h"
#include "GridInput.h"
#include "InplaceEdit.h"
#include "ScriptedDialogs.h"
#include "TestDataSet.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace {

// Users whose GRUPA code shows as the title of its group, looked up in a second table.
class ExDBGridLookupTest : public testing::Test {
protected:
  void SetUp() override {
    groups.FieldDefs().Add("CODE", ftString, 10);
    groups.FieldDefs().Add("TITLE", ftString, 30);
    groups.Open();
    groups.AppendRecord({"A", "Administratorzy"});
    groups.AppendRecord({"B", QStringLiteral("Ksi\u0119gowo\u015b\u0107")});
    users.FieldDefs().Add("USER_NAME", ftString, 20);
    users.FieldDefs().Add("GRUPA", ftString, 10);
    for (int i = 0; i < users.FieldDefs().Count(); ++i)
      users.FieldDefs()[i]->CreateField(&users);
    auto *title = new TStringField(&users);
    title->SetFieldName("GROUP_TITLE");
    title->SetSize(30);
    title->SetFieldKind(fkLookup);
    title->SetLookupDataSet(&groups);
    title->SetKeyFields("GRUPA");
    title->SetLookupKeyFields("CODE");
    title->SetLookupResultField("TITLE");
    title->SetDataSet(&users);
    users.Open();
    users.AppendRecord({"ANNA", "A"});
    users.First();
    source.SetDataSet(&users);
    window.resize(400, 150);
    grid = new TExDBGrid(&window);
    grid->setGeometry(0, 0, 400, 150);
    grid->SetDataSource(&source);
    GridInput::ShowFocused(window, *grid);
  }

  ScriptedDialogs dialogs;
  TTestDataSet groups;
  TTestDataSet users;
  TDataSource source;
  QWidget window;
  TExDBGrid *grid = nullptr;
};

TEST_F(ExDBGridLookupTest, EnteringTheColumnDropsTheLookupListDown) {
  groups.First();
  grid->SetSelectedIndex(2);
  TInplaceEdit *editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->isVisible());
  EXPECT_EQ(editor->EditStyle(), esPickList);
  EXPECT_EQ(editor->PickList(),
            QStringList({"Administratorzy", QStringLiteral("Ksi\u0119gowo\u015b\u0107")}));
  EXPECT_TRUE(editor->ListVisible());
  EXPECT_EQ(groups.FieldByName("CODE")->AsString(), "A") << "the lookup table keeps its record";
}

TEST_F(ExDBGridLookupTest, ChoosingATitleStoresItsKey) {
  grid->SetSelectedIndex(2);
  TInplaceEdit *editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->ListVisible());
  editor->ListBox()->setCurrentRow(1);
  editor->CloseUp(true);
  grid->SetSelectedIndex(0);
  users.Post();
  EXPECT_EQ(users.FieldByName("GRUPA")->AsString(), "B");
  EXPECT_EQ(users.FieldByName("GROUP_TITLE")->AsString(), QStringLiteral("Ksi\u0119gowo\u015b\u0107"));
}

TEST_F(ExDBGridLookupTest, ATitleNotInTheListIsRefused) {
  grid->SetSelectedIndex(2);
  TInplaceEdit *editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->isVisible());
  editor->CloseUp(false);
  users.Edit();
  grid->SetEditText(grid->Col(), grid->Row(), QStringLiteral("Nieznana"));
  grid->DataLink()->Modified();
  EXPECT_THROW(grid->DataLink()->UpdateRecord(), EDatabaseError);
  EXPECT_EQ(users.FieldByName("GRUPA")->AsString(), "A");
  grid->DataLink()->Reset();
  users.Cancel();
}

} // namespace
