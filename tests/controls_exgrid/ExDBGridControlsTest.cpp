#include "ExDBGridFixture.h"

#include "InplaceEdit.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

TEST(ExDBGridControlsList, FindControlIgnoresCaseAndReturnsTheFirstMatch) {
  TExDBGridControls controls;
  controls.Add() = {QStringLiteral("First"), QStringLiteral("USER_NAME")};
  controls.Add() = {QStringLiteral("Second"), QStringLiteral("user_name")};
  ASSERT_NE(controls.FindControl(QStringLiteral("User_Name")), nullptr);
  EXPECT_EQ(controls.FindControl(QStringLiteral("User_Name"))->ControlName, "First");
  EXPECT_EQ(controls.FindControl(QStringLiteral("USER")), nullptr);
}

class ExDBGridControlsTest : public ExDBGridFixture {
protected:
  void SetUp() override {
    Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
    box = new QLineEdit(&window);
    box->setObjectName(QStringLiteral("NameBox"));
    box->show();
  }
  void List(const QString &controlName) {
    TExDBGridControls controls;
    controls.Add() = {controlName, QStringLiteral("user_name")};
    grid->SetControls(controls);
  }
  void OpenNameCell() {
    grid->SetSelectedField(Field("USER_NAME"));
    grid->SetEditorMode(true);
  }
  bool TextEditorShown() const { return grid->InplaceEditor() && grid->InplaceEditor()->isVisible(); }

  QLineEdit *box = nullptr;
};

TEST_F(ExDBGridControlsTest, ListedControlTakesTheEditorsPlaceOverTheCell) {
  List(QStringLiteral("NameBox"));
  EXPECT_FALSE(box->isVisible()) << "listed controls start hidden";
  OpenNameCell();
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(TextEditorShown());
  EXPECT_EQ(grid->FormControl(), box);
  const QRect cell = grid->CellRect(grid->Col(), grid->Row());
  EXPECT_EQ(box->geometry(), QRect(grid->viewport()->mapTo(&window, cell.topLeft()), cell.size()));
  EXPECT_TRUE(box->hasFocus());
  EXPECT_TRUE(grid->Options() & dgCancelOnExit) << "the option comes back after the focus moved";
}

TEST_F(ExDBGridControlsTest, EscapeOnTheControlReturnsToTheGrid) {
  List(QStringLiteral("NameBox"));
  OpenNameCell();
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(box, &release);
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(grid->FormControl(), nullptr);
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(ExDBGridControlsTest, MovingToAnotherRecordTakesTheControlDown) {
  List(QStringLiteral("NameBox"));
  OpenNameCell();
  grid->setFocus();
  OpenNameCell();
  data->Next();
  EXPECT_FALSE(box->isVisible());
}

TEST_F(ExDBGridControlsTest, UnknownControlNameLeavesTheTextEditor) {
  List(QStringLiteral("NoSuchBox"));
  OpenNameCell();
  EXPECT_TRUE(TextEditorShown());
  EXPECT_EQ(grid->FormControl(), nullptr);
}

} // namespace
