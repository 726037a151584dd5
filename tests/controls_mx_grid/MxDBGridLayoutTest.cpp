#include "DBUtils.h"
#include "Forms.h"
#include "IniFiles.h"
#include "MxDBGridFixture.h"
#include "MxPlacement.h"
#include "Registry.h"

#include <QTemporaryDir>

// A window with a placement and a grid on a dataset the window owns, as the program's windows have.
class TGridForm : public TForm {
  Q_OBJECT
public:
  TGridForm(const QString &iniFile, bool customColumns) {
    Placement = new TFormPlacement(this);
    Placement->SetIniFileName(iniFile);
    Placement->SetIniSection("Main");
    // Children go in the order they came: the grid and its source before the dataset.
    Grid = new TMxDBGrid(this);
    Grid->setObjectName("UsrGrid");
    Source = new TDataSource(this);
    Users = MakeUsers({{"ANNA", "G1"}, {"PIOTR", "G2"}}).release();
    Users->setParent(this);
    Source->SetDataSet(Users);
    if (customColumns)
      for (const char *name : {"USER_NAME", "GRUPA", "ID"})
        Grid->Columns().Add()->SetFieldName(name);
    Grid->SetDataSource(Source);
    Grid->SetIniStorage(Placement);
    resize(400, 200);
  }
  TFormPlacement *Placement;
  TTestDataSet *Users;
  TDataSource *Source;
  TMxDBGrid *Grid;
};

namespace {

QStringList ColumnOrder(TMxDBGrid &grid) {
  QStringList names;
  for (int i = 0; i < grid.Columns().Count(); ++i)
    names << grid.Columns()[i]->FieldName();
  return names;
}

std::vector<int> ColumnWidths(TMxDBGrid &grid) {
  std::vector<int> widths;
  for (int i = 0; i < grid.Columns().Count(); ++i)
    widths.push_back(grid.Columns()[i]->Width());
  return widths;
}

QStringList FieldOrder(TDataSet &dataSet) {
  QStringList names;
  for (TField *field : dataSet.FieldList())
    names << field->FieldName();
  return names;
}

class MxDBGridLayoutTest : public MxDBGridFixture {
protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QTemporaryDir dir;
  QString iniFile = dir.filePath("layout.ini");
};

TEST_F(MxDBGridLayoutTest, AColumnLayoutIsSavedAndRestoredThroughAnIniFile) {
  Build(3, true);
  grid->Columns()[1]->SetWidth(90);
  TMemIniFile ini(iniFile);
  grid->SaveLayout(&ini, "Layout");
  EXPECT_EQ(ini.ReadString("Layout", "UsrGrid.USER_NAME", ""), "0,100");
  EXPECT_EQ(ini.ReadString("Layout", "UsrGrid.GRUPA", ""), "1,90");
  EXPECT_EQ(ini.ReadString("Layout", "UsrGrid.ID", ""), "2,100");

  grid->Columns()[2]->SetIndex(0);
  grid->Columns()[0]->SetWidth(40);
  grid->Columns()[2]->SetWidth(55);
  ASSERT_EQ(ColumnOrder(*grid), (QStringList{"ID", "USER_NAME", "GRUPA"}));

  grid->RestoreLayout(&ini, "Layout");
  EXPECT_EQ(ColumnOrder(*grid), (QStringList{"USER_NAME", "GRUPA", "ID"}));
  EXPECT_EQ(ColumnWidths(*grid), (std::vector<int>{100, 90, 100}));
}

TEST_F(MxDBGridLayoutTest, SavingReplacesTheWholeSection) {
  Build(3, true);
  TMemIniFile ini(iniFile);
  ini.WriteString("Layout", "UsrGrid.OLD", "5,5");
  grid->SaveLayout(&ini, "Layout");
  EXPECT_FALSE(ini.ValueExists("Layout", "UsrGrid.OLD"));
}

TEST_F(MxDBGridLayoutTest, ALayoutCanLiveInTheRegistry) {
  const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
  Build(3, true);
  TRegIniFile reg("Software\\Meridox\\Grid");
  reg.WriteString("Layout", "UsrGrid.OLD", "5,5");
  grid->Columns()[0]->SetWidth(44);
  grid->SaveLayout(TIniObject(&reg, "Software\\Meridox\\Grid"), "Layout");
  EXPECT_EQ(reg.ReadString("Layout", "UsrGrid.OLD", "gone"), "gone");
  EXPECT_EQ(reg.ReadString("Layout", "UsrGrid.USER_NAME", ""), "0,44");
  grid->Columns()[0]->SetWidth(10);
  grid->RestoreLayout(TIniObject(&reg, "Software\\Meridox\\Grid"), "Layout");
  EXPECT_EQ(grid->Columns()[0]->Width(), 44);
  qputenv("XDG_CONFIG_HOME", oldConfigHome);
}

TEST_F(MxDBGridLayoutTest, StoredValuesThatAreNoNumbersOrMissingKeepTheColumnAndTheFirstClaimWins) {
  Build(3, true);
  TMemIniFile ini(iniFile);
  ini.WriteString("Layout", "UsrGrid.USER_NAME", "2,x");
  ini.WriteString("Layout", "UsrGrid.GRUPA", "0 120");
  ini.WriteString("Layout", "UsrGrid.ID", "0,abc");
  grid->RestoreLayout(&ini, "Layout");
  // GRUPA and ID both want position 0: GRUPA comes first in column order and gets it; nobody
  // wants position 1, which keeps what lands there.
  EXPECT_EQ(ColumnOrder(*grid), (QStringList{"GRUPA", "ID", "USER_NAME"}));
  EXPECT_EQ(ColumnWidths(*grid), (std::vector<int>{120, 100, 100}));

  ini.WriteString("Layout", "UsrGrid.USER_NAME", "x,70");
  grid->RestoreLayout(&ini, "Layout");
  EXPECT_EQ(ColumnOrder(*grid), (QStringList{"GRUPA", "ID", "USER_NAME"}));
  EXPECT_EQ(grid->Columns()[2]->Width(), 70);
}

TEST_F(MxDBGridLayoutTest, WithoutCustomColumnsTheFieldsAreStoredUnderTheDataSetName) {
  Build(3);
  TMemIniFile ini(iniFile);
  Field("GRUPA")->SetDisplayWidth(12);
  grid->SaveLayout(&ini, "");
  EXPECT_EQ(ini.ReadString("users", "usersID", ""), QString("0,%1,1").arg(Field("ID")->DisplayWidth()));
  EXPECT_EQ(ini.ReadString("users", "usersGRUPA", ""), "2,12,1");

  ini.WriteString("users", "usersID", "1,11,1");
  ini.WriteString("users", "usersUSER_NAME", "2,20,1");
  ini.WriteString("users", "usersGRUPA", "0,15,0");
  grid->RestoreLayout(&ini, "");
  EXPECT_EQ(FieldOrder(*users), (QStringList{"GRUPA", "ID", "USER_NAME"}));
  EXPECT_EQ(Field("GRUPA")->DisplayWidth(), 15);
  EXPECT_TRUE(Field("GRUPA")->Visible());
  EXPECT_EQ(grid->Columns()[0]->FieldName(), "GRUPA");

  RestoreFields(users.get(), &ini, "", true);
  EXPECT_FALSE(Field("GRUPA")->Visible());
}

TEST_F(MxDBGridLayoutTest, FieldsOfADataSetOnAFormGoToTheFormsSection) {
  TGridForm form(iniFile, false);
  EXPECT_EQ(DataSetSectionName(form.Users), "TGridForm");
  auto loose = MakeUsers({});
  EXPECT_EQ(DataSetSectionName(loose.get()), "users");
  EXPECT_TRUE(DataSetEmpty(loose.get()));
  loose->Close();
  EXPECT_TRUE(DataSetEmpty(loose.get()));
  EXPECT_FALSE(DataSetEmpty(form.Users));
}

TEST_F(MxDBGridLayoutTest, TheFormPlacementSavesAndRestoresTheGridsLayout) {
  int nameWidth = 0;
  {
    TGridForm form(iniFile, true);
    form.show();
    nameWidth = form.Grid->Columns()[0]->Width();
    form.Grid->Columns()[0]->SetIndex(2);
    form.Grid->Columns()[0]->SetWidth(77);
    form.close();
  }
  EXPECT_EQ(TMemIniFile(iniFile).ReadString("Main\\TGridFormUsrGrid", "UsrGrid.USER_NAME", ""),
            QString("2,%1").arg(nameWidth));
  EXPECT_EQ(TMemIniFile(iniFile).ReadString("Main\\TGridFormUsrGrid", "UsrGrid.GRUPA", ""), "0,77");

  TGridForm again(iniFile, true);
  again.show();
  EXPECT_EQ(ColumnOrder(*again.Grid), (QStringList{"GRUPA", "ID", "USER_NAME"}));
  EXPECT_EQ(again.Grid->Columns()[0]->Width(), 77);
}

TEST_F(MxDBGridLayoutTest, AGridWithoutANameStoresNothing) {
  TGridForm form(iniFile, true);
  form.Grid->setObjectName("");
  form.show();
  form.close();
  TStringList sections;
  TMemIniFile(iniFile).ReadSections(sections);
  EXPECT_EQ(sections.Count(), 1);
  EXPECT_EQ(sections[0], "Main");
}

} // namespace

#include "MxDBGridLayoutTest.moc"
