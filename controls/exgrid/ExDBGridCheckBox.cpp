// The check boxes of Boolean cells.
#include "ExDBGridCheckBox.h"

#include <QPainter>

TColor GridTickColor(TColor fontColor, bool highlighted, TColor highlightFontColor) {
  const TColor plain = highlighted ? highlightFontColor : clBlack;
  return ColorToRGB(fontColor) == ColorToRGB(plain) ? clBlack : fontColor;
}

void DrawGridCheckBox(TCanvas &canvas, const QRect &cell, bool checked, const TCheckBoxLook &look) {
  const QSize size = GridCheckBoxSize();
  const QRect box(cell.left() + (cell.width() - size.width()) / 2,
                  cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height());
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = clWindow;
  canvas.FillRect(box);
  if (!look.Flat) {
    QRect frame = box;
    Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
    Frame3D(canvas, frame, cl3DDkShadow, cl3DLight, 1);
  } else {
    switch (look.FrameType) {
    case TFlatCheckBoxType::Normal: canvas.Brush.Color = clGray; break;
    case TFlatCheckBoxType::Bold: canvas.Brush.Color = cl3DDkShadow; break;
    case TFlatCheckBoxType::None: canvas.Brush.Color = look.CellColor; break;
    }
    canvas.FrameRect(box);
  }
  if (!checked)
    return;
  canvas.Pen.Color = look.TickColor;
  canvas.Pen.Width = 2;
  const int x = box.left(), y = box.top();
  canvas.Polyline({QPoint(x + 3, y + 6), QPoint(x + 5, y + 9), QPoint(x + 10, y + 3)});
  canvas.Pen.Width = 1;
}
