#include "MainFormFixture.h"

#include "DBGridColumns.h"
#include "MxDBCtrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Before the first connect the users grid is titled by the fields' labels, as after it.
TEST_F(MainFormOfflineTest, UsersGridShowsThePolishTitlesFromTheStart) {
  QStringList titles;
  for (int i = 0; i < Form->UsrGrid->Columns().Count(); ++i)
    titles.append(Form->UsrGrid->Columns()[i]->Title().Caption());
  EXPECT_EQ(titles,
            (QStringList{QString::fromUtf8("Użytkownik"), QString::fromUtf8("Imię"),
                         QString::fromUtf8("Nazwisko"), QString::fromUtf8("Pesel"),
                         QString::fromUtf8("Data ostatniej zmiany hasła"), QString::fromUtf8("Grupa")}));
}

// The main window has no cancel button: Escape does not close the program.
TEST_F(MainFormOfflineTest, EscapeLeavesTheMainWindowOpen) {
  Form->show();
  Form->edUserName->setFocus();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(Form->edUserName, &escape);
  EXPECT_TRUE(Form->isVisible());
  EXPECT_EQ(Form->windowTitle(), QString::fromUtf8("Menadżer użytkowników MERIDOX"));
}

} // namespace
