#include "PosForm.h"

#include "Dialogs.h"
#include "Forms.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class TPosTestForm : public TForm {
  Q_OBJECT
public:
  explicit TPosTestForm(const QString &extraName = QString(), bool changeSize = true,
                        TFormBorderStyle border = bsSizeable) {
    SetBorderStyle(border);
    move(5, 5);
    resize(200, 100);
    Keeper = new TZUVPosForm(this);
    Keeper->SetExtraName(extraName);
    Keeper->SetChangeSize(changeSize);
  }
  TZUVPosForm *Keeper;
};

class TPosTestForm1 : public TPosTestForm {
  Q_OBJECT
public:
  using TPosTestForm::TPosTestForm;
};

// Shows the form, gives it a place and closes it as the person would.
void CloseAt(TForm &form, QPoint pos, QSize size, Qt::WindowStates state = {}) {
  form.show();
  form.move(pos);
  form.resize(size);
  if (state)
    form.setWindowState(state);
  form.close();
}

} // namespace

TEST(PosForm, ReopenedFormComesBackWhereItWasClosed) {
  const struct {
    const char *name;
    bool changeSize;
    TFormBorderStyle border;
    QSize expectedSize;
  } cases[] = {
      {"pos-sizeable", true, bsSizeable, {320, 240}},
      {"pos-position-only", false, bsSizeable, {200, 100}}, // the size stays as designed
      {"pos-dialog", true, bsDialog, {200, 100}},           // a dialog keeps its size
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const QString key = QString::fromLatin1(c.name);
    {
      TPosTestForm form(key, c.changeSize, c.border);
      CloseAt(form, {30, 40}, {320, 240});
    }
    TPosTestForm again(key, c.changeSize, c.border);
    again.show();
    EXPECT_EQ(again.pos(), QPoint(30, 40));
    EXPECT_EQ(again.size(), c.expectedSize);
    EXPECT_FALSE(again.windowState() & Qt::WindowMaximized);
  }
}

TEST(PosForm, MaximisedFormReopensMaximisedWithoutItsBounds) {
  {
    TPosTestForm form(QStringLiteral("pos-maximised"));
    CloseAt(form, {30, 40}, {320, 240}, Qt::WindowMaximized);
  }
  TPosTestForm again(QStringLiteral("pos-maximised"));
  again.show();
  EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(again.pos(), QPoint(5, 5));
  EXPECT_EQ(again.size(), QSize(200, 100));
}

TEST(PosForm, FormsOfOneClassShareTheirEntryAndTheLastCloseWins) {
  {
    TPosTestForm first, second;
    CloseAt(first, {10, 10}, {250, 150});
    CloseAt(second, {50, 60}, {260, 160});
  }
  TPosTestForm again;
  again.show();
  EXPECT_EQ(again.pos(), QPoint(50, 60));
  EXPECT_EQ(again.size(), QSize(260, 160));
  TPosTestForm named(QStringLiteral("pos-unsaved-name"));
  named.show();
  EXPECT_EQ(named.pos(), QPoint(5, 5));
}

TEST(PosForm, KeysMatchExactlyNotByPrefix) {
  // The store lives for the process; fresh keys keep repeated runs apart.
  static int run = 0;
  const QString shortKey = QStringLiteral("pos-exact-%1").arg(++run);
  const QString longKey = shortKey + QStringLiteral("-1"); // sorts before shortKey + "="
  {
    TPosTestForm1 longer(longKey);
    CloseAt(longer, {70, 80}, {300, 300});
  }
  TPosTestForm shorter(shortKey);
  shorter.show();
  EXPECT_EQ(shorter.pos(), QPoint(5, 5));
  {
    TPosTestForm first(shortKey);
    CloseAt(first, {11, 12}, {210, 110});
  }
  // Both entries are found, whichever sorts first.
  TPosTestForm1 longerAgain(longKey);
  longerAgain.show();
  TPosTestForm shorterAgain(shortKey);
  shorterAgain.show();
  EXPECT_EQ(longerAgain.pos(), QPoint(70, 80));
  EXPECT_EQ(shorterAgain.pos(), QPoint(11, 12));
}

TEST(PosForm, ClassNamesAreKeysWhenNoExtraNameIsGiven) {
  {
    TPosTestForm1 form;
    CloseAt(form, {90, 95}, {230, 130});
  }
  TPosTestForm1 again;
  again.show();
  EXPECT_EQ(again.pos(), QPoint(90, 95));
}

TEST(PosForm, DisabledKeeperNeitherSavesNorRestores) {
  {
    TPosTestForm form(QStringLiteral("pos-disabled"));
    form.Keeper->SetSaveEnabled(false);
    CloseAt(form, {30, 40}, {320, 240});
  }
  TPosTestForm again(QStringLiteral("pos-disabled"));
  again.show();
  EXPECT_EQ(again.pos(), QPoint(5, 5));
}

TEST(PosForm, ModalResultClosesAndSaves) {
  {
    TPosTestForm form(QStringLiteral("pos-modal"));
    form.show();
    form.move(33, 44);
    form.done(mrOk);
  }
  TPosTestForm again(QStringLiteral("pos-modal"));
  again.show();
  EXPECT_EQ(again.pos(), QPoint(33, 44));
}

#include "PosFormTest.moc"
