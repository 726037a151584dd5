// KORVIN's and TORMISK's pairs of rights lists with their move buttons.
#include "UUprawnienia.h"

#include "RadioGroup.h"
#include "RightsLists.h"

namespace {
const std::vector<TRightItem> kNoRights;
}

const std::vector<TRightItem> &TUprawnieniaForm::SelectedKorvinRights() const {
  const int kind = RightsKind->ItemIndex();
  const auto &kinds = KorvinRightsKinds();
  return kind >= 0 && kind < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(kind)].Rights
                                                            : kNoRights;
}

qint32 TUprawnieniaForm::SelectedKorvinMask() const {
  const int kind = RightsKind->ItemIndex();
  const auto &kinds = KorvinRightsKinds();
  return kind >= 0 && kind < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(kind)].Mask : 0;
}

void TUprawnieniaForm::MoveSelectedRight(const QListWidget *from, void (TUprawnieniaForm::*apply)(qint32),
                                         void (TUprawnieniaForm::*refresh)()) {
  qint32 bit = 0;
  if (!SelectedRight(from, bit))
    return;
  (this->*apply)(bit);
  (this->*refresh)();
}

void TUprawnieniaForm::RefreshKorvinRightsLists() {
  FillRightsLists(UserRights, AllRights, SelectedKorvinRights(), FKorvinRights);
}

void TUprawnieniaForm::ToUserClick(QObject *) {
  MoveSelectedRight(AllRights, &TUprawnieniaForm::SetKorvinRight,
                    &TUprawnieniaForm::RefreshKorvinRightsLists);
}

void TUprawnieniaForm::ToAllClick(QObject *) {
  MoveSelectedRight(UserRights, &TUprawnieniaForm::ClearKorvinRight,
                    &TUprawnieniaForm::RefreshKorvinRightsLists);
}

void TUprawnieniaForm::AllToUserClick(QObject *) {
  SetKorvinRight(SelectedKorvinMask());
  RefreshKorvinRightsLists();
}

void TUprawnieniaForm::AllToAllClick(QObject *) {
  ClearKorvinRight(SelectedKorvinMask());
  RefreshKorvinRightsLists();
}

void TUprawnieniaForm::RightsKindClick(QObject *) { RefreshKorvinRightsLists(); }

void TUprawnieniaForm::RefreshTormiskRightsLists() {
  FillRightsLists(TormiskUserRights, TormiskAllRights, TormiskRights(), FTormiskRights);
}

void TUprawnieniaForm::TormiskToUserClick(QObject *) {
  MoveSelectedRight(TormiskAllRights, &TUprawnieniaForm::SetTormiskRight,
                    &TUprawnieniaForm::RefreshTormiskRightsLists);
}

void TUprawnieniaForm::TormiskToAllClick(QObject *) {
  MoveSelectedRight(TormiskUserRights, &TUprawnieniaForm::ClearTormiskRight,
                    &TUprawnieniaForm::RefreshTormiskRightsLists);
}

void TUprawnieniaForm::TormiskAllToUserClick(QObject *) {
  SetTormiskRight(TormiskRightsMask);
  RefreshTormiskRightsLists();
}

void TUprawnieniaForm::TormiskAllToAllClick(QObject *) {
  ClearTormiskRight(TormiskRightsMask);
  RefreshTormiskRightsLists();
}
