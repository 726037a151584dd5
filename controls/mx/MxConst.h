#pragma once

#include <QCursor>

// The screen cursors the controls add: a pointing hand and a dragging hand.
constexpr int crHand = 14000;
constexpr int crDragHand = 14001;

// The screen cursor of that number: the two above from their drawings ("MX_HANDCUR",
// "MX_DRAGCUR"), loaded once; any other number gives the arrow.
const QCursor &ScreenCursor(int id);
