#include "ExDBGridFixture.h"

#include "ExColSelectFrm.h"
#include "ScriptedDialogs.h"

#include <QListWidget>
#include <QPushButton>

namespace {

class ExColSelectFrmTest : public ExDBGridFixture {
protected:
  void SetUp() override { Build({{"ADAM", true, 1}, {"BEATA", false, 0}}); }
  static QStringList Labels(const TExColSelectFrm &form) {
    QStringList labels;
    for (int i = 0; i < form.ColList()->count(); ++i)
      labels << form.ColList()->item(i)->text();
    return labels;
  }
  static void SetChecked(TExColSelectFrm &form, const QString &label, bool checked) {
    for (int i = 0; i < form.ColList()->count(); ++i)
      if (form.ColList()->item(i)->text() == label)
        form.ColList()->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
  QStringList ColumnNames() const {
    QStringList names;
    for (int i = 0; i < grid->Columns().Count(); ++i)
      names << grid->Columns()[i]->FieldName();
    return names;
  }
  ScriptedDialogs dialogs;
};

TEST_F(ExColSelectFrmTest, OkAppliesTheChecksAndFiresOnCustomize) {
  Field("LEVEL")->SetVisible(false);
  int customized = 0;
  grid->OnCustomize = [&](QObject *sender) {
    EXPECT_EQ(sender, grid);
    ++customized;
  };
  dialogs.AnswerModalAs<TExColSelectFrm>([&](TExColSelectFrm &form) {
    EXPECT_EQ(form.Caption(), "Customize");
    EXPECT_EQ(Labels(form), QStringList({"ID", "USER_NAME", "CHECK", "LEVEL"}));
    EXPECT_EQ(form.ColList()->item(3)->checkState(), Qt::Unchecked);
    EXPECT_EQ(form.ColList()->currentRow(), 0);
    SetChecked(form, "LEVEL", true);
    SetChecked(form, "ID", false);
    form.Okbtn()->click();
    return form.ModalResult();
  });
  grid->MenuItem(32)->trigger();
  EXPECT_EQ(ColumnNames(), QStringList({"USER_NAME", "CHECK", "LEVEL"}));
  EXPECT_EQ(customized, 1);
}

TEST_F(ExColSelectFrmTest, CancelChangesNothing) {
  int customized = 0;
  grid->OnCustomize = [&](QObject *) { ++customized; };
  dialogs.AnswerModalAs<TExColSelectFrm>([&](TExColSelectFrm &form) {
    SetChecked(form, "ID", false);
    form.Cancelbtn()->click();
    return form.ModalResult();
  });
  grid->Customize();
  EXPECT_TRUE(Field("ID")->Visible());
  EXPECT_EQ(customized, 0);
}

TEST_F(ExColSelectFrmTest, HidingEveryColumnIsRefused) {
  dialogs.AnswerModalAs<TExColSelectFrm>([&](TExColSelectFrm &form) {
    for (const char *label : {"ID", "USER_NAME", "CHECK", "LEVEL"})
      SetChecked(form, label, false);
    return int(mrOk);
  });
  dialogs.AnswerMessage(mrOk);
  grid->Customize();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "You Cannot Hide All The Columns.");
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtWarning);
  EXPECT_EQ(ColumnNames(), QStringList({"ID", "USER_NAME", "CHECK", "LEVEL"}));
}

TEST_F(ExColSelectFrmTest, NoDisplayFieldsAreNotListed) {
  Field("ID")->SetDisplayLabel(QStringLiteral("<No Display>"));
  dialogs.AnswerModalAs<TExColSelectFrm>([&](TExColSelectFrm &form) {
    EXPECT_EQ(Labels(form), QStringList({"USER_NAME", "CHECK", "LEVEL"}));
    return int(mrCancel);
  });
  grid->Customize();
}

} // namespace
