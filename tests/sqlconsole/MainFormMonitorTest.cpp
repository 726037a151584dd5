#include "MainFormFixture.h"

#include "Actions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "UDMSecurity.h"
#include "USqlMon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

namespace {
QPointer<TSQLMonitorForm> OpenMonitor() {
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *monitor = qobject_cast<TSQLMonitorForm *>(widget))
      return monitor;
  return nullptr;
}
} // namespace

TEST_F(MainFormTest, MonitorSqlOpensTheModelessConsoleOnTheConnection) {
  CreateSecurityDatabase();
  ConnectAsSysdba();
  ASSERT_TRUE(Form->MonitorSQLA->Execute());
  QPointer<TSQLMonitorForm> monitor = OpenMonitor();
  ASSERT_FALSE(monitor.isNull());
  EXPECT_TRUE(monitor->isVisible());
  EXPECT_FALSE(monitor->isModal());
  EXPECT_EQ(monitor->parent(), nullptr);
  EXPECT_TRUE(monitor->Query->Database() == Form->DM()->Database);
  // Manager rights: a change is asked about, not refused.
  Dialogs.AnswerMessage(mrNo);
  monitor->SetEditorText(QStringLiteral("delete from USERS"));
  monitor->ExecuteSQLAction->Execute();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QStringLiteral("Uwaga!"));
  monitor->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(monitor.isNull());
}
