#include "UsersFixture.h"

#include "Exceptions.h"

#include <gtest/gtest.h>

namespace {

// Records the name of every dataset event in the order they fire.
class EventLog {
public:
  explicit EventLog(TDataSet &ds) {
    const std::pair<std::function<void(TDataSet *)> *, const char *> events[] = {
        {&ds.BeforeInsert, "BeforeInsert"}, {&ds.AfterInsert, "AfterInsert"},
        {&ds.BeforeEdit, "BeforeEdit"},     {&ds.AfterEdit, "AfterEdit"},
        {&ds.BeforePost, "BeforePost"},     {&ds.AfterPost, "AfterPost"},
        {&ds.BeforeCancel, "BeforeCancel"}, {&ds.AfterCancel, "AfterCancel"},
        {&ds.BeforeDelete, "BeforeDelete"}, {&ds.AfterDelete, "AfterDelete"},
        {&ds.BeforeScroll, "BeforeScroll"}, {&ds.AfterScroll, "AfterScroll"},
        {&ds.OnNewRecord, "OnNewRecord"},   {&ds.BeforeRefresh, "BeforeRefresh"},
        {&ds.AfterRefresh, "AfterRefresh"}, {&ds.BeforeOpen, "BeforeOpen"},
        {&ds.AfterOpen, "AfterOpen"},       {&ds.BeforeClose, "BeforeClose"},
        {&ds.AfterClose, "AfterClose"}};
    for (const auto &[event, name] : events) {
      const QString text = QString::fromLatin1(name);
      *event = [this, text](TDataSet *) { Names << text; };
    }
  }
  QStringList Take() { return std::exchange(Names, {}); }
  QStringList Names;
};

QString Name(TDataSet &ds) { return ds.FieldByName(QStringLiteral("USER_NAME"))->AsString(); }

} // namespace

TEST(DataSetEvents, InsertAndPostFireInClassicOrder) {
  auto users = MakeUsers({{"ANNA", "A"}, {"BOB", "B"}});
  EventLog log(*users);
  users->Insert();
  EXPECT_EQ(log.Take(),
            QStringList({"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
  EXPECT_EQ(users->State(), dsInsert);
  users->FieldByName("ID")->SetAsInteger(3);
  users->FieldByName("USER_NAME")->SetAsString("CEZARY");
  EXPECT_TRUE(users->Modified());
  users->Post();
  EXPECT_EQ(log.Take(), QStringList({"BeforePost", "AfterPost"}));
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(Name(*users), "CEZARY");
  users->First();
  EXPECT_EQ(NamesFromHere(*users), QStringList({"CEZARY", "ANNA", "BOB"}));
}

TEST(DataSetEvents, AppendPutsTheRecordLast) {
  auto users = MakeUsers({{"ANNA", "A"}, {"BOB", "B"}});
  users->Append();
  users->FieldByName("ID")->SetAsInteger(3);
  users->FieldByName("USER_NAME")->SetAsString("CEZARY");
  users->Post();
  EXPECT_EQ(Name(*users), "CEZARY");
  users->First();
  EXPECT_EQ(NamesFromHere(*users), QStringList({"ANNA", "BOB", "CEZARY"}));
}

TEST(DataSetEvents, EditAndCancelRestoreTheValue) {
  auto users = MakeUsers({{"ANNA", "A"}, {"BOB", "B"}});
  users->Next();
  EventLog log(*users);
  users->Edit();
  users->FieldByName("USER_NAME")->SetAsString("ROBERT");
  EXPECT_EQ(Name(*users), "ROBERT");
  users->Cancel();
  EXPECT_EQ(log.Take(), QStringList({"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
  EXPECT_EQ(Name(*users), "BOB");
  EXPECT_EQ(users->State(), dsBrowse);
}

TEST(DataSetEvents, CancelOfAnInsertScrollsBack) {
  auto users = MakeUsers({{"ANNA", "A"}, {"BOB", "B"}});
  users->Next();
  users->Insert();
  EventLog log(*users);
  users->Cancel();
  EXPECT_EQ(log.Take(), QStringList({"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
  EXPECT_EQ(Name(*users), "BOB");
  EXPECT_EQ(users->RecordCount(), 2);
}

TEST(DataSetEvents, DeleteFiresAndMovesToTheNextRecord) {
  auto users = MakeUsers({{"ANNA", "A"}, {"BOB", "B"}, {"CEZARY", "C"}});
  users->Next();
  EventLog log(*users);
  users->Delete();
  EXPECT_EQ(log.Take(), QStringList({"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(Name(*users), "CEZARY");
  users->Delete();
  EXPECT_EQ(Name(*users), "ANNA") << "deleting the last record shows the one before";
  users->Delete();
  EXPECT_TRUE(users->IsEmpty());
  EXPECT_TRUE(users->Bof() && users->Eof());
  try {
    users->Delete();
    FAIL() << "deleting from an empty dataset must fail";
  } catch (const EDatabaseError &e) {
    EXPECT_EQ(e.Message(), "users: Cannot perform this operation on an empty dataset");
  }
}

TEST(DataSetEvents, AbortInBeforeInsertStopsSilently) {
  auto users = MakeUsers({{"ANNA", "A"}});
  EventLog log(*users);
  users->BeforeInsert = [](TDataSet *) { Abort(); };
  EXPECT_THROW(users->Insert(), EAbort);
  EXPECT_THROW(users->Append(), EAbort);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(users->RecordCount(), 1);
  EXPECT_EQ(Name(*users), "ANNA");
  EXPECT_FALSE(log.Names.contains("AfterInsert"));
  EXPECT_FALSE(log.Names.contains("BeforeScroll"));
}

TEST(DataSetEvents, AbortInBeforePostKeepsTheEdit) {
  auto users = MakeUsers({{"ANNA", "A"}});
  users->BeforePost = [](TDataSet *) { Abort(); };
  users->Edit();
  users->FieldByName("USER_NAME")->SetAsString("ANNE");
  EXPECT_THROW(users->Post(), EAbort);
  EXPECT_EQ(users->State(), dsEdit);
  EXPECT_EQ(Name(*users), "ANNE");
  users->BeforePost = nullptr;
  users->Post();
  users->Close();
  users->Open();
  EXPECT_EQ(Name(*users), "ANNE");
}

TEST(DataSetEvents, BeforePostMayChangeTheRecord) {
  auto users = MakeUsers({});
  users->BeforePost = [](TDataSet *ds) {
    TField *name = ds->FieldByName("USER_NAME");
    name->SetAsString(name->AsString().toUpper());
  };
  users->AppendRecord({1, "jan", "A"});
  EXPECT_EQ(Name(*users), "JAN");
}

TEST(DataSetEvents, ErrorsNameTheirCause) {
  auto users = MakeUsers({{"ANNA", "A"}});
  auto message = [](auto &&action) {
    try {
      action();
    } catch (const Exception &e) {
      return e.Message();
    }
    return QStringLiteral("no error");
  };
  EXPECT_EQ(message([&] { users->Post(); }), "users: Dataset not in edit or insert mode");
  EXPECT_EQ(message([&] { users->FieldByName("NAZWISKO"); }), "users: Field 'NAZWISKO' not found");
  EXPECT_EQ(message([&] { users->FieldByName("USER_NAME")->SetAsString("X"); }),
            "users: Dataset not in edit or insert mode");
  users->Append();
  EXPECT_EQ(message([&] { users->Post(); }), "users: Field 'ID' must have a value");
  EXPECT_EQ(users->State(), dsInsert);
  users->Cancel();
  users->FieldByName("GRUPA")->SetReadOnly(true);
  users->Edit();
  EXPECT_EQ(message([&] { users->FieldByName("GRUPA")->SetAsString("B"); }),
            "users: Field 'GRUPA' cannot be modified");
  users->Cancel();
  users->SetReadOnly(true);
  EXPECT_EQ(message([&] { users->Edit(); }), "users: Cannot modify a read-only dataset");
  users->Close();
  EXPECT_EQ(message([&] { users->RecordCount(); }),
            "users: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(message([&] { users->Next(); }), "users: Cannot perform this operation on a closed dataset");
}

TEST(DataSetEvents, PostErrorHandlerChoosesWhatHappens) {
  struct Case {
    TDataAction Action;
    int Failures;
    bool Throws;
    bool Abort;
    TDataSetState StateAfter;
  } cases[] = {
      {daFail, 1, true, false, dsEdit},
      {daAbort, 1, true, true, dsEdit},
      {daRetry, 2, false, false, dsBrowse},
  };
  for (const Case &c : cases) {
    auto users = MakeUsers({{"ANNA", "A"}});
    int calls = 0;
    users->OnPostError = [&](TDataSet *, EDatabaseError &e, TDataAction &action) {
      EXPECT_EQ(e.Message(), "users: Simulated failure");
      ++calls;
      action = c.Action;
    };
    users->Edit();
    users->FieldByName("USER_NAME")->SetAsString("ANNE");
    users->FailPosts(c.Failures);
    bool threw = false, aborted = false;
    try {
      users->Post();
    } catch (const EAbort &) {
      threw = aborted = true;
    } catch (const EDatabaseError &) {
      threw = true;
    }
    EXPECT_EQ(threw, c.Throws) << int(c.Action);
    EXPECT_EQ(aborted, c.Abort) << int(c.Action);
    EXPECT_EQ(calls, c.Failures) << int(c.Action);
    EXPECT_EQ(users->State(), c.StateAfter) << int(c.Action);
    EXPECT_EQ(Name(*users), "ANNE");
  }
}
