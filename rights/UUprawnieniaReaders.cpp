// "Pokaż prawa": one user's rights read back from the ticked databases onto the groups' tabs.
#include "UUprawnienia.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "MxCheckTreeView.h"
#include "ProgramRightsReader.h"
#include "ProgramUserTables.h"

#include <algorithm>

namespace {

[[noreturn]] void Refuse(const char *text) {
  MessageBox(QString::fromUtf8(text), QString::fromUtf8("Błąd"), MB_ICONEXCLAMATION);
  Abort();
}

} // namespace

void TUprawnieniaForm::BPokazPrawaClick(QObject *) {
  PostPendingTick();
  const QStringList users = TickedUsers();
  if (users.size() != 1)
    Refuse("Aktualne prawa można wyświetlić tylko dla jednego użytkownika");
  std::array<int, ProgramGroupCount> databases{};
  TTreeNodes *items = TreeView->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (const int group = TickedDatabaseGroup(items->Item(i)); group >= 0)
      ++databases[static_cast<size_t>(group)];
  if (std::any_of(databases.begin(), databases.end(), [](int count) { return count > 1; }))
    Refuse("Aktualne prawa można wyświetlić tylko dla jednej bazy z danego programu");
  ShowUserRights(users.first());
}

void TUprawnieniaForm::ShowUserRights(const QString &UserName) {
  TTreeNodes *items = TreeView->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TTreeNode *node = items->Item(i);
    if (const int group = TickedDatabaseGroup(node); group >= 0)
      ReadDatabase(group, NodeDatabasePath(node), UserName);
  }
}

void TUprawnieniaForm::ReadProgramRights(int group, const QString &Nazwa, const QString &UserName) {
  ReadDatabase(group, LookupDatabasePath(Nazwa, ProgramGroups()[static_cast<size_t>(group)].Name), UserName);
}

void TUprawnieniaForm::ReadDatabase(int group, const QString &path, const QString &UserName) {
  const auto show = [this, group](const TTabSettings &settings) {
    SetTabSettings(group, settings);
    if (group == pgKorvin)
      FKorvinObjectRights = static_cast<qint32>(settings.ListMask);
  };
  show(ResetTabSettings(group));
  show(TProgramRightsReader(RightsConnections()).Read(group, path, UserName));
}
