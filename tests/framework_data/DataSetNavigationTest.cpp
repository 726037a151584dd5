#include "UsersFixture.h"

#include "DataSource.h"
#include "Exceptions.h"
#include "FieldDataLink.h"

#include <gtest/gtest.h>

namespace {

QString Name(TDataSet &ds) { return ds.FieldByName(QStringLiteral("USER_NAME"))->AsString(); }

std::unique_ptr<TTestDataSet> MakeFilteredUsers() {
  auto users = MakeUsers({{"ANNA", "A"}, {"ADAM", "B"}, {"anita", "A"}, {"BOB", "A"}, {"Alicja", "B"}});
  users->OnFilterRecord = [](TDataSet *ds, bool &accept) {
    accept = ds->FieldByName(QStringLiteral("GRUPA"))->AsString() == QLatin1String("A");
  };
  users->SetFiltered(true);
  return users;
}

// A link that records what the dataset told it.
class RecordingLink : public TDataLink {
public:
  QStringList Events;
  // The USER_NAME of every record in the link's window, in order.
  QStringList Window() {
    QStringList names;
    const int saved = ActiveRecord();
    for (int i = 0; i < RecordCount(); ++i) {
      SetActiveRecord(i);
      names << DataSet()->FieldByName(QStringLiteral("USER_NAME"))->AsString();
    }
    SetActiveRecord(saved);
    return names;
  }

protected:
  void DataSetChanged() override { Events << QStringLiteral("changed"); }
  void DataSetScrolled(int distance) override { Events << QStringLiteral("scrolled %1").arg(distance); }
};

} // namespace

TEST(DataSetLocate, OnAFilteredDatasetWithAndWithoutOptions) {
  struct Case {
    const char *Key;
    TLocateOptions Options;
    bool Found;
    const char *Current;
  } cases[] = {
      {"ANNA", {}, true, "ANNA"},
      {"anna", {}, false, "BOB"},
      {"anna", loCaseInsensitive, true, "ANNA"},
      {"AN", loPartialKey, true, "ANNA"},
      {"an", loPartialKey, true, "anita"},
      {"ANI", loCaseInsensitive | loPartialKey, true, "anita"},
      {"AN", {}, false, "BOB"},
      {"ADAM", loCaseInsensitive, false, "BOB"}, // hidden by the filter
  };
  auto users = MakeFilteredUsers();
  for (const Case &c : cases) {
    ASSERT_TRUE(users->Locate("USER_NAME", "BOB", {}));
    int scrolled = 0;
    users->AfterScroll = [&](TDataSet *) { ++scrolled; };
    EXPECT_EQ(users->Locate("USER_NAME", QString::fromLatin1(c.Key), c.Options), c.Found) << c.Key;
    EXPECT_EQ(users->Found(), c.Found) << c.Key;
    EXPECT_EQ(Name(*users), QString::fromLatin1(c.Current)) << c.Key;
    EXPECT_EQ(scrolled, c.Found ? 1 : 0) << c.Key;
    users->AfterScroll = nullptr;
  }
  users->SetFiltered(false);
  EXPECT_TRUE(users->Locate("USER_NAME", "adam", loCaseInsensitive));
  EXPECT_EQ(Name(*users), "ADAM");
}

TEST(DataSetLocate, SeveralKeyFieldsNeedAValueEach) {
  auto users = MakeFilteredUsers();
  users->SetFiltered(false);
  EXPECT_TRUE(users->Locate("USER_NAME;GRUPA", QVariantList{"Alicja", "B"}, {}));
  EXPECT_EQ(Name(*users), "Alicja");
  EXPECT_FALSE(users->Locate("USER_NAME;GRUPA", QVariantList{"Alicja", "A"}, {}));
  try {
    users->Locate("USER_NAME;GRUPA", "Alicja", {});
    FAIL();
  } catch (const EDatabaseError &e) {
    EXPECT_EQ(e.Message(), "users: More fields than values");
  }
  EXPECT_TRUE(users->Locate("ID", 4, {}));
  EXPECT_EQ(Name(*users), "BOB");
  EXPECT_TRUE(users->Locate("ID", "2", {})) << "a text key converts to the field's type";
  EXPECT_EQ(Name(*users), "ADAM");
}

TEST(DataSetLocate, LookupLeavesTheCursorAlone) {
  auto users = MakeFilteredUsers();
  users->Last();
  int scrolls = 0;
  users->BeforeScroll = [&](TDataSet *) { ++scrolls; };
  EXPECT_EQ(users->Lookup("USER_NAME", "anita", "ID;GRUPA"), QVariant(QVariantList{3, "A"}));
  EXPECT_EQ(users->Lookup("USER_NAME", "ANNA", "ID"), QVariant(1));
  EXPECT_TRUE(users->Lookup("USER_NAME", "ADAM", "ID").isNull()) << "filtered out";
  EXPECT_EQ(Name(*users), "BOB");
  EXPECT_EQ(scrolls, 0);
  users->Prior();
  EXPECT_EQ(Name(*users), "anita") << "the cursor still knows where it is";
}

TEST(DataSetFilter, FilteredCountsAndShowsOnlyAcceptedRecords) {
  auto users = MakeFilteredUsers();
  EXPECT_EQ(users->RecordCount(), 3);
  EXPECT_EQ(NamesFromHere(*users), QStringList({"ANNA", "anita", "BOB"}));
  users->SetFiltered(false);
  EXPECT_EQ(users->RecordCount(), 5);
  EXPECT_EQ(Name(*users), "ANNA");
}

TEST(DataSetFilter, FindRecordUsesTheFilterEvenWhenNotFiltered) {
  auto users = MakeUsers({{"ANNA", "A"}, {"ADAM", "B"}, {"anita", "A"}, {"BOB", "A"}, {"Alicja", "B"}});
  users->OnFilterRecord = [](TDataSet *ds, bool &accept) {
    accept = ds->FieldByName(QStringLiteral("GRUPA"))->AsString() == QLatin1String("B");
  };
  EXPECT_TRUE(users->FindFirst());
  EXPECT_EQ(Name(*users), "ADAM");
  EXPECT_TRUE(users->FindNext());
  EXPECT_EQ(Name(*users), "Alicja");
  EXPECT_FALSE(users->FindNext());
  EXPECT_FALSE(users->Found());
  EXPECT_EQ(Name(*users), "Alicja");
  EXPECT_TRUE(users->FindPrior());
  EXPECT_EQ(Name(*users), "ADAM");
  EXPECT_EQ(users->RecordCount(), 5);
}

TEST(DataSetBookmarks, SurviveInsertsAndDeletesOfOtherRecords) {
  auto users = MakeUsers({{"A", ""}, {"B", ""}, {"C", ""}, {"D", ""}});
  const TBookmark first = users->GetBookmark();
  ASSERT_TRUE(users->Locate("USER_NAME", "C", {}));
  const TBookmark c = users->GetBookmark();
  ASSERT_FALSE(c.isEmpty());
  users->First();
  users->InsertRecord({10, "X", QVariant()});
  users->AppendRecord({11, "Y", QVariant()});
  ASSERT_TRUE(users->Locate("USER_NAME", "B", {}));
  users->Delete();
  users->GotoBookmark(c);
  EXPECT_EQ(Name(*users), "C");
  EXPECT_TRUE(users->BookmarkValid(c));
  users->Last();
  EXPECT_EQ(users->CompareBookmarks(first, users->GetBookmark()), -1);
  EXPECT_EQ(users->CompareBookmarks(c, c), 0);
  users->GotoBookmark(c);
  users->Delete();
  EXPECT_FALSE(users->BookmarkValid(c));
  EXPECT_THROW(users->GotoBookmark(c), EDatabaseError);
  users->First();
  EXPECT_EQ(NamesFromHere(*users), QStringList({"X", "A", "D", "Y"}));
}

TEST(DataSetBookmarks, NoBookmarkOnAnEmptyOrInsertedRecord) {
  auto users = MakeUsers({});
  EXPECT_TRUE(users->GetBookmark().isEmpty());
  users->Append();
  EXPECT_TRUE(users->GetBookmark().isEmpty());
  users->Cancel();
}

TEST(DataSetCalcFields, ComputedOnFetchAndOnChange) {
  TTestDataSet users;
  users.FieldDefs().Add("ID", ftInteger);
  users.FieldDefs().Add("USER_NAME", ftString, 20);
  users.FieldDefs().Add("GRUPA", ftString, 10);
  for (int i = 0; i < users.FieldDefs().Count(); ++i)
    users.FieldDefs()[i]->CreateField(&users);
  auto *label = new TStringField(&users);
  label->SetFieldName("LABEL");
  label->SetSize(40);
  label->SetFieldKind(fkCalculated);
  label->SetDataSet(&users);

  TTestDataSet groups;
  groups.FieldDefs().Add("CODE", ftString, 10);
  groups.FieldDefs().Add("TITLE", ftString, 30);
  groups.Open();
  groups.AppendRecord({"A", "Administrators"});
  groups.AppendRecord({"B", "Bookkeeping"});
  auto *title = new TStringField(&users);
  title->SetFieldName("GROUP_TITLE");
  title->SetSize(30);
  title->SetFieldKind(fkLookup);
  title->SetLookupDataSet(&groups);
  title->SetKeyFields("GRUPA");
  title->SetLookupKeyFields("CODE");
  title->SetLookupResultField("TITLE");
  title->SetDataSet(&users);

  int calculations = 0;
  users.OnCalcFields = [&](TDataSet *ds) {
    ++calculations;
    ds->FieldByName("LABEL")->SetAsString(ds->FieldByName("USER_NAME")->AsString() + "/" +
                                          ds->FieldByName("GRUPA")->AsString());
  };
  users.Open();
  EXPECT_FALSE(users.DefaultFields());
  users.AppendRecord({1, "ANNA", "A"});
  users.AppendRecord({2, "OLA", "Z"});
  users.First();
  EXPECT_EQ(label->AsString(), "ANNA/A");
  EXPECT_EQ(title->AsString(), "Administrators");
  users.Next();
  EXPECT_EQ(label->AsString(), "OLA/Z");
  EXPECT_TRUE(title->IsNull()) << "no group Z";

  users.Edit();
  calculations = 0;
  users.FieldByName("GRUPA")->SetAsString("B");
  EXPECT_EQ(calculations, 1);
  EXPECT_EQ(label->AsString(), "OLA/B");
  EXPECT_EQ(title->AsString(), "Bookkeeping");
  EXPECT_THROW(label->SetAsString("typed"), EDatabaseError);
  users.Cancel();
  EXPECT_EQ(label->AsString(), "OLA/Z");
  users.Close();
  EXPECT_EQ(users.FieldCount(), 5) << "persistent fields stay after closing";
}

TEST(DataLinkWindow, FollowsTheCursorWhileScrolling) {
  std::vector<std::pair<QString, QString>> rows;
  for (int i = 0; i < 10; ++i)
    rows.emplace_back(QStringLiteral("R%1").arg(i), QString());
  auto users = MakeUsers(rows);
  TDataSource source;
  source.SetDataSet(users.get());
  RecordingLink small, large;
  small.SetBufferCount(3);
  large.SetBufferCount(5);
  small.SetDataSource(&source);
  large.SetDataSource(&source);
  ASSERT_TRUE(small.Active());
  EXPECT_EQ(users->BufferCount(), 5) << "the dataset keeps as many buffers as its largest link";

  struct Step {
    std::function<void()> Move;
    QStringList SmallWindow;
    int SmallActive;
    QStringList LargeWindow;
  } steps[] = {
      {[&] { users->First(); }, {"R0", "R1", "R2"}, 0, {"R0", "R1", "R2", "R3", "R4"}},
      {[&] { users->MoveBy(2); }, {"R0", "R1", "R2"}, 2, {"R0", "R1", "R2", "R3", "R4"}},
      {[&] { users->Next(); }, {"R1", "R2", "R3"}, 2, {"R0", "R1", "R2", "R3", "R4"}},
      {[&] { users->MoveBy(4); }, {"R5", "R6", "R7"}, 2, {"R3", "R4", "R5", "R6", "R7"}},
      {[&] { users->MoveBy(-3); }, {"R4", "R5", "R6"}, 0, {"R3", "R4", "R5", "R6", "R7"}},
      {[&] { users->Prior(); }, {"R3", "R4", "R5"}, 0, {"R3", "R4", "R5", "R6", "R7"}},
      {[&] { users->Last(); }, {"R7", "R8", "R9"}, 2, {"R5", "R6", "R7", "R8", "R9"}},
      {[&] { users->First(); }, {"R0", "R1", "R2"}, 0, {"R0", "R1", "R2", "R3", "R4"}},
  };
  int index = 0;
  for (const Step &step : steps) {
    step.Move();
    EXPECT_EQ(small.Window(), step.SmallWindow) << "step " << index;
    EXPECT_EQ(small.ActiveRecord(), step.SmallActive) << "step " << index;
    EXPECT_EQ(large.Window(), step.LargeWindow) << "step " << index;
    EXPECT_EQ(small.Window()[small.ActiveRecord()], Name(*users)) << "step " << index;
    ++index;
  }
  small.SetBufferCount(1);
  large.SetDataSource(nullptr);
  EXPECT_EQ(users->BufferCount(), 1);
  EXPECT_EQ(Name(*users), "R0");
  users->Last();
  EXPECT_EQ(small.Window(), QStringList({"R9"}));
}

TEST(DataLinkWindow, ShowsInsertedAndAppendedRecordsInPlace) {
  auto users = MakeUsers({{"R0", ""}, {"R1", ""}, {"R2", ""}, {"R3", ""}, {"R4", ""}});
  TDataSource source;
  source.SetDataSet(users.get());
  RecordingLink link;
  link.SetBufferCount(5);
  link.SetDataSource(&source);
  users->MoveBy(2);
  users->Insert();
  EXPECT_EQ(link.Window(), QStringList({"R0", "R1", "", "R2", "R3"}));
  EXPECT_EQ(link.ActiveRecord(), 2);
  users->FieldByName("ID")->SetAsInteger(9);
  users->FieldByName("USER_NAME")->SetAsString("NEW");
  users->Post();
  EXPECT_EQ(link.Window(), QStringList({"R0", "R1", "NEW", "R2", "R3"}));
  EXPECT_EQ(link.ActiveRecord(), 2);
  users->Append();
  EXPECT_EQ(link.Window(), QStringList({"NEW", "R2", "R3", "R4", ""}));
  EXPECT_EQ(link.ActiveRecord(), 4);
  users->Cancel();
  EXPECT_EQ(Name(*users), "R4");
  EXPECT_EQ(link.Window(), QStringList({"R1", "NEW", "R2", "R3", "R4"}));
  EXPECT_EQ(link.ActiveRecord(), 4);
}

TEST(DataLinkWindow, DisabledControlsHearOneChangeAtTheEnd) {
  auto users = MakeUsers({{"A", ""}, {"B", ""}, {"C", ""}});
  TDataSource source;
  source.SetDataSet(users.get());
  RecordingLink link;
  link.SetDataSource(&source);
  int dataChanges = 0;
  source.OnDataChange = [&](TDataSource *, TField *) { ++dataChanges; };
  users->Next();
  EXPECT_EQ(link.Events, QStringList({"scrolled 1"})) << "one buffer: every step scrolls it";
  link.Events.clear();
  dataChanges = 0;
  users->DisableControls();
  users->Next();
  users->First();
  users->Last();
  EXPECT_TRUE(link.Events.isEmpty());
  users->EnableControls();
  EXPECT_EQ(link.Events, QStringList({"changed"}));
  EXPECT_EQ(dataChanges, 1);
}

TEST(DataSource, FollowsTheDatasetState) {
  auto users = MakeUsers({{"A", ""}});
  TDataSource source;
  QList<TDataSetState> states;
  source.OnStateChange = [&](TDataSource *s) { states << s->State(); };
  source.SetDataSet(users.get());
  users->Edit();
  users->Cancel();
  source.SetEnabled(false);
  EXPECT_EQ(source.State(), dsInactive);
  source.SetEnabled(true);
  users->Close();
  EXPECT_EQ(states, QList<TDataSetState>({dsBrowse, dsEdit, dsBrowse, dsInactive, dsBrowse, dsInactive}));
  source.SetAutoEdit(false);
  users->Open();
  source.Edit();
  EXPECT_EQ(users->State(), dsBrowse) << "AutoEdit off";
  source.SetAutoEdit(true);
  source.Edit();
  EXPECT_EQ(users->State(), dsEdit);
}

TEST(DataSource, LinksFollowAReopenWhileControlsAreDisabled) {
  auto users = MakeUsers({{"A", ""}, {"B", ""}});
  TDataSource source;
  source.SetDataSet(users.get());
  TFieldDataLink link;
  QStringList seen;
  link.OnDataChange = [&](TFieldDataLink *l) {
    seen << (l->Field() ? l->Field()->AsString() : QStringLiteral("-"));
  };
  link.SetFieldName("USER_NAME");
  link.SetDataSource(&source);
  EXPECT_EQ(seen, QStringList({"A"}));
  seen.clear();
  users->DisableControls();
  users->Close();
  EXPECT_FALSE(link.Active());
  users->Open();
  users->Next();
  users->EnableControls();
  EXPECT_TRUE(link.Active());
  ASSERT_FALSE(seen.isEmpty());
  EXPECT_EQ(seen.last(), "B");
  EXPECT_EQ(link.Field(), users->FieldByName("USER_NAME")) << "the default fields were made again";
}

TEST(DataSetNumbers, RecNoAndRefresh) {
  auto users = MakeUsers({{"A", ""}, {"B", ""}, {"C", ""}});
  EXPECT_EQ(users->RecNo(), 1);
  users->SetRecNo(3);
  EXPECT_EQ(Name(*users), "C");
  EXPECT_EQ(users->RecNo(), 3);
  QStringList events;
  users->BeforeRefresh = [&](TDataSet *) { events << "BeforeRefresh"; };
  users->AfterRefresh = [&](TDataSet *) { events << "AfterRefresh"; };
  users->Refresh();
  EXPECT_EQ(events, QStringList({"BeforeRefresh", "AfterRefresh"}));
  EXPECT_EQ(Name(*users), "C");
}
