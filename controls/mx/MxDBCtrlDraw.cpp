// TMxDBGrid: cell colours, glyphs, indicator marks, title buttons and the grid bitmaps.
#include "MxDBCtrl.h"

#include "DB.h"
#include "Fields.h"
#include "MxCtlUtils.h"

#include <QPainter>
#include <array>

namespace {

// Our own drawings of the grid bitmaps, on their transparent colour.
QImage DrawBitmap(int width, int height, TColor transparent, void (*draw)(QPainter &)) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(ColorToQColor(transparent));
  QPainter painter(&image);
  painter.setPen(QColor(Qt::black));
  draw(painter);
  return image;
}

void DrawBlob(QPainter &p) {
  p.drawRect(1, 1, 12, 8);
  for (int x = 3; x < 12; x += 3)
    p.drawLine(x, 3, x, 7);
}
void DrawMemo(QPainter &p) {
  p.fillRect(2, 0, 10, 10, Qt::white);
  p.drawRect(2, 0, 9, 9);
  for (int y = 2; y < 9; y += 2)
    p.drawLine(4, y, 9, y);
}
void DrawPicture(QPainter &p) {
  p.fillRect(1, 1, 12, 8, QColor(Qt::white));
  p.drawRect(1, 1, 11, 8);
  p.setBrush(QColor(Qt::darkGreen));
  p.drawPolygon(QPolygon({QPoint(2, 8), QPoint(6, 3), QPoint(10, 8)}));
}
void DrawOle(QPainter &p) {
  p.drawRect(1, 1, 7, 5);
  p.fillRect(5, 4, 8, 6, QColor(Qt::white));
  p.drawRect(5, 4, 7, 5);
}
void DrawObject(QPainter &p) {
  p.setBrush(QColor(Qt::darkBlue));
  p.drawEllipse(3, 1, 8, 8);
}
void DrawData(QPainter &p) {
  p.drawRect(1, 1, 12, 8);
  p.drawLine(1, 4, 13, 4);
  p.drawLine(5, 1, 5, 9);
  p.drawLine(9, 1, 9, 9);
}
void DrawNotEmpty(QPainter &p) {
  p.setBrush(QColor(Qt::black));
  p.drawEllipse(5, 3, 4, 4);
}
void DrawSortDown(QPainter &p) {
  p.setBrush(QColor(Qt::black));
  p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(6, 0), QPoint(3, 3)}));
}
void DrawSortUp(QPainter &p) {
  p.setBrush(QColor(Qt::black));
  p.drawPolygon(QPolygon({QPoint(0, 3), QPoint(6, 3), QPoint(3, 0)}));
}

const std::array<QImage, 9> &GridBitmaps() {
  static const std::array<QImage, 9> bitmaps = {
      DrawBitmap(14, 10, clOlive, DrawBlob),     DrawBitmap(14, 10, clOlive, DrawMemo),
      DrawBitmap(14, 10, clOlive, DrawPicture),  DrawBitmap(14, 10, clOlive, DrawOle),
      DrawBitmap(14, 10, clOlive, DrawObject),   DrawBitmap(14, 10, clOlive, DrawData),
      DrawBitmap(14, 10, clOlive, DrawNotEmpty), DrawBitmap(7, 4, clFuchsia, DrawSortDown),
      DrawBitmap(7, 4, clFuchsia, DrawSortUp),
  };
  return bitmaps;
}

} // namespace

const QImage &TMxDBGrid::GetGridBitmap(int Index) { return GridBitmaps().at(size_t(Index)); }

int TMxDBGrid::GetImageIndex(TField *Field) const {
  if (!FShowGlyphs || !Field)
    return -1;
  // A field with both text handlers shows and edits its text.
  if (!ReadOnly() && Field->CanModify() && Field->OnGetText && Field->OnSetText)
    return -1;
  switch (Field->DataType()) {
  case ftBytes:
  case ftVarBytes:
  case ftBlob:
  case ftTypedBinary:
  case ftOraBlob: return gbBlob;
  case ftMemo:
  case ftFmtMemo:
  case ftOraClob: return gbMemo;
  case ftGraphic: return gbPicture;
  case ftParadoxOle:
  case ftDBaseOle: return gbOle;
  case ftCursor:
  case ftReference:
  case ftDataSet: return gbData;
  default: return -1;
  }
}

bool TMxDBGrid::CurrentRowIsSelected() const { return LinkActive() && FSelection.CurrentRowSelected(); }

bool TMxDBGrid::HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState) {
  return CurrentRowIsSelected() || TDBGrid::HighlightCell(DataCol, DataRow, Value, AState);
}

void TMxDBGrid::GetCellProps(TField *Field, TFont &AFont, TColor &Background, bool Highlight) {
  if (OnGetCellParams) {
    OnGetCellParams(this, Field, AFont, Background, Highlight);
  } else if (OnGetCellProps) {
    if (!Highlight) {
      OnGetCellProps(this, Field, AFont, Background);
    } else {
      // The older event cannot recolour a highlighted cell.
      TColor scratch = Background;
      const TColor fontColor = AFont.Color();
      OnGetCellProps(this, Field, AFont, scratch);
      AFont.SetColor(fontColor);
    }
  }
}

void TMxDBGrid::DrawDataCell(const QRect &, TField *, TGridDrawState) {}

void TMxDBGrid::DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) {
  TCanvas &canvas = Canvas();
  TField *field = Column->Field();
  const bool highlight = (State & gdSelected) && ((Options() & dgAlwaysShowSelection) || IsActiveControl());
  TColor background = canvas.Brush.Color;
  GetCellProps(field, canvas.Font, background, highlight || CurrentRowIsSelected());
  canvas.Brush.Color = background;
  const int image = FDefaultDrawing ? GetImageIndex(field) : -1;
  if (image >= 0) {
    canvas.FillRect(Rect);
    const QImage &bitmap = GetGridBitmap(image);
    DrawBitmapTransparent(canvas, Rect.left() + (Rect.width() - bitmap.width()) / 2,
                          Rect.top() + (Rect.height() - bitmap.height()) / 2, bitmap, clOlive);
  } else if (FDefaultDrawing) {
    DefaultDrawColumnCell(Rect, DataCol, Column, State);
  } else {
    canvas.FillRect(Rect);
  }
  if (Columns().State() == csDefault)
    TDBGrid::DrawDataCell(Rect, field, State);
  TDBGrid::DrawColumnCell(Rect, DataCol, Column, State);
  if (FDefaultDrawing && highlight && !(Options() & dgRowSelect) && IsActiveControl())
    canvas.DrawFocusRect(Rect);
}

void TMxDBGrid::Paint() {
  TDBGrid::Paint();
  if (!(Options() & dgRowSelect) || !FDefaultDrawing || !IsActiveControl())
    return;
  const TGridRect selection = Selection();
  const QRect box =
      CellRect(selection.Left, selection.Top).united(CellRect(selection.Right, selection.Bottom));
  if (box.isEmpty())
    return;
  Canvas().Pen.Color = clWindowText;
  Canvas().DrawFocusRect(box);
}

void TMxDBGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) {
  TDBGrid::DrawCell(ACol, ARow, ARect, AState);
  const TDBGridOptions options = Options();
  const int dataRow = ARow - TitleRows();
  if ((options & dgIndicator) && ACol == 0 && dataRow >= 0 && FSelection.Enabled() && LinkActive() &&
      DataLink()->DataSet()->State() == dsBrowse)
    DrawIndicatorMark(dataRow, ARect);
  if ((FTitleButtons || FixedCols() > 0) && (AState & gdFixed) && (options & dgTitles) &&
      ARow < TitleRows() && ACol >= IndicatorOffset())
    DrawTitleButton(ACol, ARect);
}

void TMxDBGrid::DrawIndicatorMark(int ARow, const QRect &ARect) {
  TGridDataLink *link = DataLink();
  if (ARow >= link->RecordCount())
    return;
  const int current = link->ActiveRecord();
  link->SetActiveRecord(ARow);
  bool selected = false;
  try {
    selected = SelectedRows().CurrentRowSelected();
  } catch (...) {
    link->SetActiveRecord(current);
    throw;
  }
  link->SetActiveRecord(current);
  if (!selected)
    return;
  const TDBGridOptions options = Options();
  FMsIndicators.Draw(Canvas(), ARect, ARow == current, (options & dgRowLines) && (options & dgColLines),
                     layoutDirection() == Qt::RightToLeft, FixedColor());
}

void TMxDBGrid::DrawTitleButton(int ACol, const QRect &ARect) {
  TColumn *column = ColumnAt(ACol);
  if (!column || !column->Showing())
    return;
  TCanvas &canvas = Canvas();
  const TDBGridOptions options = Options();
  const bool down = FTitleButtons && FTitlePress.IsDown(ACol);
  QRect rect = ARect;
  if (FTitleButtons || ((options & dgRowLines) && (options & dgColLines)))
    Frame3D(canvas, rect, down ? clBtnShadow : clBtnHighlight, down ? clBtnHighlight : clBtnShadow, 1);
  canvas.Font = TitleFont();
  canvas.Brush.Color = FixedColor();
  canvas.Font = column->Title().Font();
  canvas.Brush.Color = column->Title().Color();
  TSortMarker marker = smNone;
  if (FTitleButtons && column->Field() && OnGetBtnParams) {
    TColor background = canvas.Brush.Color;
    OnGetBtnParams(this, column->Field(), canvas.Font, background, marker, down);
    canvas.Brush.Color = background;
  }
  canvas.FillRect(rect);
  const int lastFrozen = IndicatorOffset() + FixedCols() - 1;
  if (ACol == lastFrozen && ((options & dgColLines) || FTitleButtons) && ACol + 1 < ColCount() &&
      ColWidths(ACol + 1) <= 0) {
    // The frozen area ends here although the next column is hidden: close the title.
    canvas.Pen.Color = clWindowFrame;
    canvas.MoveTo(ARect.right(), ARect.top());
    canvas.LineTo(ARect.right(), ARect.bottom() + 1);
  }
  if (down)
    rect.adjust(1, 1, 0, 0);
  if (!LinkActive())
    return;
  const QImage *bitmap =
      marker == smNone ? nullptr : &GetGridBitmap(marker == smDown ? gbSortDown : gbSortUp);
  const int textWidth = rect.width() - (bitmap ? bitmap->width() + 6 : 1);
  const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
  QRect textRect = rect;
  textRect.setWidth(std::max(0, textWidth));
  if (rightToLeft && bitmap)
    textRect.moveRight(rect.right());
  DrawCellTextEx(canvas, textRect, 2, column->Title().Alignment(), vaCenter,
                 ShortenString(column->Title().Caption(), canvas, textWidth), false, rightToLeft);
  if (!bitmap)
    return;
  const int inset = down ? 2 : 3;
  const int x = rightToLeft ? rect.left() + 3 : rect.left() + rect.width() - bitmap->width() - inset;
  const int y = rect.top() + (rect.height() - bitmap->height()) / 2;
  if (x >= rect.left() && y >= rect.top() && bitmap->height() <= rect.height())
    DrawBitmapTransparent(canvas, x, y, *bitmap, clFuchsia);
}
