#pragma once

#include <QString>
#include <vector>

class QListWidget;

// One right of a rights mask: its bit and its caption in the lists.
struct TRightItem {
  qint32 Bit;
  QString Caption;
};

// A kind of KORVIN data with its rights in list order, and the mask "<<" and ">>" set and clear.
struct TRightsKind {
  QString Name;
  std::vector<TRightItem> Rights;
  qint32 Mask;
};

// "działek", "warstw", "obiektów", "inne" in the order of "Lista praw dla".
const std::vector<TRightsKind> &KorvinRightsKinds();
// TORMISK's four rights; "<<" and ">>" set and clear all of them.
const std::vector<TRightItem> &TormiskRights();
constexpr qint32 TormiskRightsMask = 0xF;

// Fills "Prawa użytkownika:" with the rights the mask holds and "Wszystkie prawa:" with the others,
// both in list order; every item carries its bit.
void FillRightsLists(QListWidget *userRights, QListWidget *allRights, const std::vector<TRightItem> &rights,
                     qint32 mask);
// The bit of the list's selected item; false when none is selected.
bool SelectedRight(const QListWidget *list, qint32 &bit);
