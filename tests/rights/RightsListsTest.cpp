#include "RightsFormFixture.h"

#include "RadioGroup.h"
#include "StdCtrls.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTest>

namespace {

QStringList Texts(const QListWidget *list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i)
    texts << list->item(i)->text();
  return texts;
}

// The window as it is shown, its KORVIN and TORMISK tabs driven by clicks.
class RightsLists : public testing::Test {
protected:
  void SetUp() override {
    form.FormShow(&form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }
  void Click(TButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
  void Pick(QListWidget *list, const QString &text) {
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->setCurrentItem(found[0]);
  }
  void Kind(int index) {
    QRadioButton *button = form.RightsKind->Buttons(index);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }

  TUprawnieniaForm form;
};

struct KindCase {
  const char *Name;
  int Kind;
  QStringList Rights;
  qint32 Mask;
};

void PrintTo(const KindCase &c, std::ostream *os) { *os << c.Name; }

const KindCase kKinds[] = {
    {"Parcels",
     0,
     {"Modyfikacji (także rezerwacji)", "Modyfikacji rezerwacji punktów", "Importu", "Eksportu", "Wydruków",
      "Specjalne"},
     0x3F00},
    {"Layers", 1, {"Modyfikacji", "Importu", "Eksportu", "Specjalne"}, 0xF0000},
    {"Objects", 2, {"Modyfikacji", "Importu", "Eksportu"}, 0x7000000},
    {"Other", 3, {"Zmiany bezpośrednie"}, 0xF},
};

class KorvinKind : public RightsLists, public testing::WithParamInterface<KindCase> {};

TEST_P(KorvinKind, MovesItsRightsBetweenTheLists) {
  const KindCase &c = GetParam();
  Kind(c.Kind);
  EXPECT_EQ(form.RightsKind->ItemIndex(), c.Kind);
  EXPECT_TRUE(Texts(form.UserRights).isEmpty());
  EXPECT_EQ(Texts(form.AllRights), c.Rights) << "a fresh window has every right under \"Wszystkie prawa:\"";

  Click(form.AllToUser);
  EXPECT_EQ(form.FKorvinRights, c.Mask);
  EXPECT_EQ(Texts(form.UserRights), c.Rights);
  EXPECT_TRUE(Texts(form.AllRights).isEmpty());

  Pick(form.UserRights, c.Rights.last());
  Click(form.ToAll);
  EXPECT_EQ(Texts(form.AllRights), QStringList({c.Rights.last()}));
  EXPECT_EQ(Texts(form.UserRights), c.Rights.mid(0, c.Rights.size() - 1));
  Pick(form.AllRights, c.Rights.last());
  Click(form.ToUser);
  EXPECT_EQ(form.FKorvinRights, c.Mask);

  Click(form.AllToAll);
  EXPECT_EQ(form.FKorvinRights, 0);
  EXPECT_EQ(Texts(form.AllRights), c.Rights);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KorvinKind, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<KindCase> &info) { return info.param.Name; });

TEST_F(RightsLists, AMoveWithoutASelectedRightDoesNothing) {
  form.FKorvinRights = 0x200;
  form.RefreshKorvinRightsLists();
  form.AllRights->clearSelection();
  form.UserRights->clearSelection();
  Click(form.ToUser);
  Click(form.ToAll);
  EXPECT_EQ(form.FKorvinRights, 0x200);
  EXPECT_EQ(Texts(form.UserRights), QStringList({"Importu"}));
}

TEST_F(RightsLists, OneRightMovesByItsOwnBit) {
  Pick(form.AllRights, "Wydruków");
  Click(form.ToUser);
  EXPECT_EQ(form.FKorvinRights, 0x800);
  EXPECT_EQ(Texts(form.UserRights), QStringList({"Wydruków"}));
  EXPECT_TRUE(form.HasKorvinRight(0x800));
}

TEST_F(RightsLists, SwitchingTheKindKeepsTheMask) {
  Click(form.AllToUser);
  Kind(3);
  Click(form.AllToUser);
  EXPECT_EQ(form.FKorvinRights, 0x3F0F) << "\"inne\" sets the bits 0-3, one of which its list shows";
  Kind(1);
  EXPECT_TRUE(Texts(form.UserRights).isEmpty());
  EXPECT_EQ(form.FKorvinRights, 0x3F0F);
  Kind(0);
  EXPECT_EQ(Texts(form.UserRights).size(), 6);
  Kind(3);
  Click(form.AllToAll);
  EXPECT_EQ(form.FKorvinRights, 0x3F00) << "\"inne\" clears all four";
}

TEST_F(RightsLists, TormiskMovesItsFourRights) {
  const QStringList all = {"Modyfikacja rejestru", "Modyfikacja słowników", "Wydruki", "Wnioski"};
  EXPECT_EQ(Texts(form.TormiskAllRights), all);
  EXPECT_TRUE(Texts(form.TormiskUserRights).isEmpty());
  Pick(form.TormiskAllRights, "Wydruki");
  Click(form.TormiskToUser);
  EXPECT_EQ(form.FTormiskRights, 4);
  Click(form.TormiskAllToUser);
  EXPECT_EQ(form.FTormiskRights, 0xF);
  EXPECT_EQ(Texts(form.TormiskUserRights), all);
  Pick(form.TormiskUserRights, "Modyfikacja słowników");
  Click(form.TormiskToAll);
  EXPECT_EQ(form.FTormiskRights, 0xD);
  EXPECT_EQ(Texts(form.TormiskAllRights), QStringList({"Modyfikacja słowników"}));
  form.TormiskUserRights->clearSelection();
  form.TormiskAllRights->clearSelection();
  Click(form.TormiskToAll);
  Click(form.TormiskToUser);
  EXPECT_EQ(form.FTormiskRights, 0xD);
}

TEST_F(RightsLists, TormiskBitsNoListShowsStay) {
  form.FTormiskRights = 0x15;
  form.RefreshTormiskRightsLists();
  EXPECT_EQ(Texts(form.TormiskUserRights), QStringList({"Modyfikacja rejestru", "Wydruki"}));
  Click(form.TormiskAllToAll);
  EXPECT_EQ(form.FTormiskRights, 0x10);
  Click(form.TormiskAllToUser);
  EXPECT_EQ(form.FTormiskRights, 0x1F);
}

} // namespace
