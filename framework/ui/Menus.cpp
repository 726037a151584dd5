#include "Menus.h"

TPopupAlignment PopupAlignment(const QMenu *menu) {
  const auto *popup = qobject_cast<const TPopupMenu *>(menu);
  return popup ? popup->Alignment() : paLeft;
}

bool PopupAutoPopup(const QMenu *menu) {
  const auto *popup = qobject_cast<const TPopupMenu *>(menu);
  return !popup || popup->AutoPopup();
}

QPoint PopupMenuOrigin(QMenu *menu, const QPoint &point) {
  const int width = menu->sizeHint().width();
  switch (PopupAlignment(menu)) {
  case paRight: return point - QPoint(width, 0);
  case paCenter: return point - QPoint(width / 2, 0);
  case paLeft: break;
  }
  return point;
}
