#include "MxConst.h"

#include "Resources.h"

const QCursor &ScreenCursor(int id) {
  static const QCursor hand = LoadCursorResource(QStringLiteral("MX_HANDCUR"), QPoint(5, 0));
  static const QCursor drag = LoadCursorResource(QStringLiteral("MX_DRAGCUR"), QPoint(7, 7));
  static const QCursor arrow(Qt::ArrowCursor);
  switch (id) {
  case crHand: return hand;
  case crDragHand: return drag;
  default: return arrow;
  }
}
