#include "ProgramGroups.h"

#include <algorithm>

const TProgramGroups &ProgramGroups() {
  static const TProgramGroups groups = [] {
    const auto plain = [](const char *name) {
      return TProgramGroup{QString::fromLatin1(name), QStringLiteral("ODCZYT"), QStringLiteral("ZAPIS")};
    };
    return TProgramGroups{
        TProgramGroup{QStringLiteral("KORVIN"), QStringLiteral("KN_ODCZYT"), QStringLiteral("KN_ZAPIS")},
        plain("VELDAR"),
        plain("PLOMER"),
        plain("SARNIK"),
        plain("TULVAR"),
        plain("BRONTEL"),
        plain("FENNO"),
        plain("DRAVEL"),
        plain("HOLMAR"),
        plain("GRESSON"),
        plain("PELKAR"),
        plain("NIRVOS"),
        plain("TESSAL"),
        plain("QUENTO"),
        plain("BAVIRO"),
        plain("SOLMET"),
        TProgramGroup{QStringLiteral("TORMISK"), QStringLiteral("TK_ODCZYT"), QStringLiteral("TK_ZAPIS")},
        TProgramGroup{QStringLiteral("KAPRENA"), QStringLiteral("ODCZYT"), QStringLiteral("ZAPIS"), false}};
  }();
  return groups;
}

int ProgramGroupIndex(const QString &name) {
  const TProgramGroups &groups = ProgramGroups();
  const auto found = std::find_if(groups.begin(), groups.end(),
                                  [&name](const TProgramGroup &group) { return group.Name == name; });
  return found == groups.end() ? -1 : static_cast<int>(found - groups.begin());
}

int RightsLevelOf(const QStringList &roles, const TProgramGroup &group) {
  int level = -1;
  for (const QString &role : roles) {
    if (role == group.ReadRole)
      level = std::max(level, int(rlRead));
    else if (role == group.WriteRole)
      level = std::max(level, int(rlWrite));
    else if (role == AdministratorRole() && group.AdministratorLevel)
      level = rlAdministrator;
  }
  return level;
}
