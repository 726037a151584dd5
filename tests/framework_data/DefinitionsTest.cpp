#include "TestDataSet.h"

#include "Bcd.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "Params.h"

#include <QDate>

#include <gtest/gtest.h>

TEST(FieldDefs, CreateFieldsOfTheirTypeAndRefuseDuplicates) {
  TTestDataSet data;
  data.setObjectName("data");
  TFieldDefs &defs = data.FieldDefs();
  defs.Add("NAME", ftString, 30, true);
  TFieldDef *price = defs.Add("PRICE", ftBCD, 2);
  price->SetPrecision(12);
  price->SetAttributes(faReadonly);
  EXPECT_THROW(defs.Add("name", ftInteger), EDatabaseError);
  EXPECT_EQ(defs.IndexOf("price"), 1);
  EXPECT_EQ(defs.Find("PRICE"), price);
  try {
    defs.Find("QTY");
    FAIL();
  } catch (const EDatabaseError &e) {
    EXPECT_EQ(e.Message(), "data: Field 'QTY' not found");
  }
  TField *field = price->CreateField(&data);
  EXPECT_EQ(field->DataSet(), &data);
  EXPECT_EQ(field->FieldName(), "PRICE");
  EXPECT_EQ(field->Size(), 2);
  EXPECT_EQ(dynamic_cast<TBCDField *>(field)->Precision(), 12);
  EXPECT_TRUE(field->ReadOnly());
  EXPECT_EQ(field->FieldNo(), 2);
  TField *name = defs[0]->CreateField(&data, "NAZWA");
  EXPECT_TRUE(name->Required());
  EXPECT_EQ(name->Size(), 30);
  TFieldDef *address = defs.Add("ADDRESS", ftADT);
  address->ChildDefs().Add("CITY", ftString, 20);
  EXPECT_TRUE(address->HasChildDefs());
  EXPECT_EQ(address->ChildDefs().ParentDef(), address);
  EXPECT_THROW(address->CreateField(&data), EDatabaseError) << "no field class for objects";
  TFieldDefs copy(nullptr);
  copy.Assign(defs);
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy[2]->ChildDefs()[0]->Name(), "CITY");
  EXPECT_EQ(copy[1]->Precision(), 12);
}

TEST(IndexDefs, FindByNameAndByFields) {
  TIndexDefs defs(nullptr);
  defs.Add("PK", "ID", ixPrimary | ixUnique);
  defs.Add("BY_NAME", "NAME;GROUP", ixCaseInsensitive);
  defs.Add("BY_GROUP", "GROUP", {});
  EXPECT_EQ(defs.Find("by_name")->Fields(), "NAME;GROUP");
  EXPECT_EQ(defs.GetIndexForFields("name", true)->Name(), "BY_NAME") << "a prefix of the key fields";
  EXPECT_EQ(defs.GetIndexForFields("NAME", false), nullptr) << "not case-insensitive";
  EXPECT_EQ(defs.GetIndexForFields("NAM", true), nullptr) << "whole field names only";
  EXPECT_EQ(defs.FindIndexForFields("GROUP")->Name(), "BY_GROUP");
  EXPECT_THROW(defs.FindIndexForFields("CITY"), EDatabaseError);
  EXPECT_THROW(defs.Add("pk", "X", {}), EDatabaseError);
  defs.Delete(0);
  EXPECT_EQ(defs.Count(), 2);
  EXPECT_THROW(defs.Items(5), EDatabaseError);
}

TEST(Params, ValuesByNameAndFromFields) {
  TParams params;
  params.CreateParam(ftString, "USER_NAME", ptInput);
  params.CreateParam(ftInteger, "ID", ptInput);
  params.ParamByName("user_name")->SetAsString("ANNA");
  params.ParamByName("ID")->SetValue(7);
  EXPECT_TRUE(params.ParamByName("ID")->Bound());
  EXPECT_EQ(params.ParamValues("USER_NAME;ID"), QVariant(QVariantList{"ANNA", 7}));
  params.SetParamValues("ID;USER_NAME", QVariantList{8, "OLA"});
  EXPECT_EQ(params.ParamByName("ID")->AsInteger(), 8);
  EXPECT_EQ(params.ParamByName("USER_NAME")->AsString(), "OLA");
  try {
    params.ParamByName("PESEL");
    FAIL();
  } catch (const EDatabaseError &e) {
    EXPECT_EQ(e.Message(), "Parameter 'PESEL' not found");
  }
  EXPECT_EQ(params.FindParam("PESEL"), nullptr);
  TParam *when = params.AddParam("WHEN");
  when->SetAsDate(45351.75);
  EXPECT_EQ(when->DataType(), ftDate);
  EXPECT_EQ(when->Value(), QVariant(QDate(2024, 2, 29)));
  EXPECT_DOUBLE_EQ(when->AsDateTime(), 45351);
  when->Clear();
  EXPECT_TRUE(when->IsNull());
  EXPECT_FALSE(when->Bound());

  TTestDataSet data;
  data.FieldDefs().Add("GRUPA", ftString, 10);
  data.Open();
  data.AppendRecord({"KADRY"});
  TParams copy;
  copy.Assign(params);
  copy.ParamByName("USER_NAME")->AssignField(*data.FieldByName("GRUPA"));
  EXPECT_EQ(copy[0]->Name(), "GRUPA");
  EXPECT_EQ(copy[0]->AsString(), "KADRY");
  EXPECT_EQ(copy[0]->DataType(), ftString);
  data.Edit();
  copy[1]->AssignTo(*data.FieldByName("GRUPA"));
  EXPECT_EQ(data.FieldByName("GRUPA")->AsString(), "8");
  data.Cancel();
}

TEST(Bcd, TextRoundTrips) {
  TFormatSettingsScope settings;
  FormatSettings().DecimalSeparator = u',';
  struct Case {
    const char *In, *Out;
    int Precision, Places;
    bool Negative;
  } cases[] = {
      {"0", "0", 1, 0, false},
      {"12,50", "12.5", 3, 1, false},
      {"-0,001", "-0.001", 4, 3, true},
      {"007", "7", 1, 0, false},
      {"+3.25", "3.25", 3, 2, false},
      {"-0", "0", 1, 0, false},
      {"123456789012345678901234567890,12", "123456789012345678901234567890.12", 32, 2, false},
  };
  for (const Case &c : cases) {
    const TBcd bcd = StrToBcd(QString::fromLatin1(c.In));
    EXPECT_EQ(BcdToStr(bcd), QString::fromLatin1(c.Out)) << c.In;
    EXPECT_EQ(BcdToStr(bcd, u','), QString::fromLatin1(c.Out).replace(u'.', u',')) << c.In;
    EXPECT_EQ(bcd.Precision, c.Precision) << c.In;
    EXPECT_EQ(bcd.SignSpecialPlaces & 0x3F, c.Places) << c.In;
    EXPECT_EQ((bcd.SignSpecialPlaces & 0x80) != 0, c.Negative) << c.In;
  }
  for (const char *bad : {"", "1,2,3", "abc", "1e5", "--1"}) {
    TBcd bcd;
    EXPECT_FALSE(TryStrToBcd(QString::fromLatin1(bad), bcd)) << bad;
  }
  EXPECT_THROW(StrToBcd("x"), EConvertError);
  EXPECT_DOUBLE_EQ(BcdToDouble(DoubleToBcd(-1234.5625)), -1234.5625);
  EXPECT_TRUE(BcdEqual(StrToBcd("1,50"), StrToBcd("1,5")));
}
