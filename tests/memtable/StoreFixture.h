#pragma once

#include "ErrorText.h"
#include "TestDataSet.h"
#include "woxMemCommon.h"
#include "woxMemIndex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// A record store laid out over the fields of an opened TTestDataSet, with an index host that
// answers like a table without filters; it counts the value comparisons the indexes make.
class StoreFixture : public ::testing::Test, public TwoxIndexHost {
protected:
  void Define(const std::vector<std::tuple<QString, TFieldType, int>> &defs,
              TwoxMemTablePerformance performance = mtpfFast) {
    for (const auto &[name, type, size] : defs)
      Fields.FieldDefs().Add(name, type, size);
    Fields.Open();
    Store.SetPerformance(performance);
    Store.ComputeLayout(Fields.FieldDefs());
  }
  TField *Field(const QString &name) { return Fields.FieldByName(name); }
  // Appends a record with the values (by field order; QVariant() = null).
  TwoxRecord *Add(const QVariantList &values);
  void Put(TwoxRecord &record, TField *field, const QVariant &value);

  TwoxCommon &IndexStore() const override { return const_cast<TwoxCommon &>(Store); }
  TDataSet *IndexDataSet() override { return &Fields; }
  bool UsesCompareFieldsEvent() const override { return true; }
  bool CompareFieldsEvent(TField *, const char *, const char *, TwoxMemTableCompareOptions, bool &,
                          int &) override {
    ++Comparisons;
    return false;
  }
  bool IndexAccepts(TwoxIndex &, TwoxRecord &) override { return true; }
  bool RecordAccepted(TwoxRecord &) override { return true; }
  bool IndexActive() const override { return true; }
  void BeginSorting() override {}
  void EndSorting() override {}
  void SearchProgress(int) override {}

  TTestDataSet Fields;
  TwoxCommon Store{&Fields};
  int Comparisons = 0;
};
