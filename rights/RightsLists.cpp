#include "RightsLists.h"

#include <QListWidget>

namespace {
constexpr int BitRole = Qt::UserRole;
}

const std::vector<TRightsKind> &KorvinRightsKinds() {
  static const std::vector<TRightsKind> kinds = {
      {QString::fromUtf8("działek"),
       {{0x100, QStringLiteral("Modyfikacji (także rezerwacji)")},
        {0x2000, QString::fromUtf8("Modyfikacji rezerwacji punktów")},
        {0x200, QStringLiteral("Importu")},
        {0x400, QStringLiteral("Eksportu")},
        {0x800, QString::fromUtf8("Wydruków")},
        {0x1000, QStringLiteral("Specjalne")}},
       0x3F00},
      {QStringLiteral("warstw"),
       {{0x10000, QStringLiteral("Modyfikacji")},
        {0x20000, QStringLiteral("Importu")},
        {0x40000, QStringLiteral("Eksportu")},
        {0x80000, QStringLiteral("Specjalne")}},
       0xF0000},
      {QString::fromUtf8("obiektów"),
       {{0x1000000, QStringLiteral("Modyfikacji")},
        {0x2000000, QStringLiteral("Importu")},
        {0x4000000, QStringLiteral("Eksportu")}},
       0x7000000},
      // "<<" and ">>" on "inne" set and clear the bits 0-3, of which the list shows one.
      {QStringLiteral("inne"), {{0x8, QStringLiteral("Zmiany bezpośrednie")}}, 0xF},
  };
  return kinds;
}

const std::vector<TRightItem> &TormiskRights() {
  static const std::vector<TRightItem> rights = {{1, QStringLiteral("Modyfikacja rejestru")},
                                                 {2, QString::fromUtf8("Modyfikacja słowników")},
                                                 {4, QStringLiteral("Wydruki")},
                                                 {8, QStringLiteral("Wnioski")}};
  return rights;
}

void FillRightsLists(QListWidget *userRights, QListWidget *allRights, const std::vector<TRightItem> &rights,
                     qint32 mask) {
  userRights->clear();
  allRights->clear();
  for (const TRightItem &right : rights) {
    auto *item = new QListWidgetItem(right.Caption, (mask & right.Bit) != 0 ? userRights : allRights);
    item->setData(BitRole, right.Bit);
  }
}

bool SelectedRight(const QListWidget *list, qint32 &bit) {
  const QListWidgetItem *item = list->currentItem();
  if (!item || !item->isSelected())
    return false;
  bit = item->data(BitRole).toInt();
  return true;
}
