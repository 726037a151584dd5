#include "ExGridCellPainter.h"

#include "DBGridColumns.h"
#include "ExDBGridCellText.h"
#include "ExDBGridFieldKinds.h"
#include "Field.h"

#include <QPainter>

namespace {

TTextFormat AlignmentFormat(TAlignment alignment) {
  return alignment == taRightJustify ? tfRight : alignment == taCenter ? tfCenter : tfLeft;
}

// A one-pixel edge: light top and left, shadow bottom and right.
void DrawRaisedEdge(TCanvas &canvas, const QRect &r, TColor light, TColor shadow) {
  canvas.Pen.Color = light;
  canvas.MoveTo(r.left(), r.bottom());
  canvas.LineTo(r.left(), r.top());
  canvas.LineTo(r.right() + 1, r.top());
  canvas.Pen.Color = shadow;
  canvas.MoveTo(r.right(), r.top() + 1);
  canvas.LineTo(r.right(), r.bottom());
  canvas.LineTo(r.left(), r.bottom());
}

void DrawCornerTriangle(TCanvas &canvas, const QRect &cell) {
  const int left = cell.left() + (cell.width() - 7) / 2;
  const int top = cell.top() + (cell.height() - 4) / 2;
  canvas.Brush.Color = clBlack;
  canvas.Brush.Style = bsSolid;
  canvas.Pen.Color = clBlack;
  canvas.Polygon({QPoint(left, top), QPoint(left + 6, top), QPoint(left + 3, top + 3)});
}

template <class T> bool Store(T &member, T value) {
  if (member == value)
    return false;
  member = value;
  return true;
}

} // namespace

TExGridCellPainter::TExGridCellPainter(const TExCellPaintSite &site) : FSite(site) {}

// --- row colours and the background picture ---

bool TExGridCellPainter::SetUseRowColors(bool value) {
  const bool pictureChanged = value && SetUseBackgroundPicture(false);
  return Store(FUseRowColors, value) || pictureChanged;
}

bool TExGridCellPainter::SetUseBackgroundPicture(bool value) {
  bool changed = false;
  if (value)
    changed = Store(FUseRowColors, false);
  else
    FBackgroundCopy = QPixmap();
  return Store(FUseBackgroundPicture, value) || changed;
}

void TExGridCellPainter::SetBackgroundPicture(const QImage &value) {
  FBackgroundPicture = value;
  FBackgroundCopy = QPixmap();
}

void TExGridCellPainter::PrepareBackground(QSize clientSize) {
  if (!FUseBackgroundPicture || FBackgroundPicture.isNull() || FBackgroundCopy.size() == clientSize)
    return;
  FBackgroundCopy = QPixmap(clientSize);
  QPainter painter(&FBackgroundCopy);
  painter.drawTiledPixmap(FBackgroundCopy.rect(), QPixmap::fromImage(FBackgroundPicture));
}

// --- data cells ---

void TExGridCellPainter::DrawDataCell(TCanvas &canvas, const QRect &rect, TColumn &column, bool highlighted,
                                      const std::function<void()> &applyAttribute) {
  canvas.Brush.Style = bsSolid;
  if (highlighted) {
    canvas.Brush.Color = FLook.HighlightColor;
    canvas.Font.SetColor(FLook.HighlightFontColor);
    canvas.FillRect(rect);
  } else if (FUseRowColors) {
    canvas.Brush.Color = (rect.top() / (rect.height() + 1)) % 2 ? FLook.RowColor1 : FLook.RowColor2;
    canvas.FillRect(rect);
  } else if (FUseBackgroundPicture && !FBackgroundCopy.isNull()) {
    canvas.Painter().drawPixmap(rect, FBackgroundCopy, rect);
  } else {
    canvas.FillRect(rect);
  }
  if (!highlighted && applyAttribute) {
    const TBrush before = canvas.Brush;
    applyAttribute();
    // The cell was filled before the handler ran: a brush it changed is painted now, under the text.
    if (canvas.Brush.Color != before.Color || canvas.Brush.Style != before.Style)
      canvas.FillRect(rect);
  }
  DrawContent(canvas, rect, column, highlighted);
}

void TExGridCellPainter::DrawContent(TCanvas &canvas, const QRect &rect, TColumn &column, bool highlighted) {
  TField *field = column.Field();
  if (FLook.DisplayBoolean && FSite.IsBooleanField(field)) {
    TCheckBoxLook look = FLook.CheckBox;
    look.CellColor = canvas.Brush.Color;
    look.TickColor = GridTickColor(canvas.Font.Color(), highlighted, FLook.HighlightFontColor);
    DrawGridCheckBox(canvas, rect, !field->IsNull() && FSite.IsChecked(field), look);
    return;
  }
  if (FLook.DisplayImages && IsBlobKind(field) && !IsMemoKind(field)) {
    DrawPicture(canvas, rect, field, highlighted);
    return;
  }
  // Raised cells keep their text off the one-pixel edge, which would cut the accents of capitals.
  const QRect textRect = Raised3D() ? rect.adjusted(2, 1, -2, -1) : rect.adjusted(2, 0, -2, 0);
  TTextFormat format = AlignmentFormat(column.Alignment());
  format |= FLook.ShowTextEllipsis ? (tfSingleLine | tfEndEllipsis | tfVerticalCenter) : tfWordBreak;
  // A long memo is cut to what the cell can show before it is laid out.
  const QString text =
      CellText(field, FLook.DisplayMemo, ShownTextLimit(textRect.size(), canvas.TextHeight(QString())));
  canvas.Brush.Style = bsClear;
  canvas.TextRect(textRect, text, format);
  canvas.Brush.Style = bsSolid;
}

void TExGridCellPainter::DrawPicture(TCanvas &canvas, const QRect &cell, TField *field, bool highlighted) {
  if (highlighted) {
    canvas.Brush.Color = FLook.ImageHighlightColor;
    canvas.Font.SetColor(FSite.GridFontColor());
    canvas.FillRect(cell);
  }
  const QImage picture =
      FPictures.Picture(FSite.PaintedRecord(), field->FieldName(), field->AsBytes(), cell.size());
  if (!picture.isNull())
    canvas.Painter().drawImage(FitPictureRect(picture.size(), cell), picture);
}

// --- titles and marks ---

void TExGridCellPainter::DrawTitle(TCanvas &canvas, const QRect &rect, TColumnTitle &title) const {
  canvas.Font = title.Font();
  canvas.Brush.Color = title.Color();
  canvas.Brush.Style = bsSolid;
  canvas.FillRect(rect);
  TTextFormat format = AlignmentFormat(title.Alignment());
  if (FLook.ShowTitleEllipsis)
    format |= tfSingleLine | tfEndEllipsis;
  else if (FLook.MultiLineTitles)
    format |= tfWordBreak;
  else
    format |= tfSingleLine;
  canvas.Brush.Style = bsClear;
  canvas.TextRect(rect.adjusted(2, 2, -2, 0), title.Caption(), format);
  canvas.Brush.Style = bsSolid;
}

void TExGridCellPainter::DrawCellMarks(TCanvas &canvas, const QRect &rect, const TExCellPlace &place,
                                       TColor fixedColor) const {
  DrawEdges(canvas, rect, place.Kind, fixedColor);
  if (place.Corner && FLook.TitleCheck)
    DrawCornerTriangle(canvas, rect);
  if (place.Focused && FLook.DrawFocusRect && place.Kind == TExCellKind::Data)
    canvas.DrawFocusRect(rect);
}

void TExGridCellPainter::DrawEdges(TCanvas &canvas, const QRect &cell, TExCellKind kind,
                                   TColor fixedColor) const {
  const bool title = kind == TExCellKind::Title;
  const bool indicator = kind == TExCellKind::Indicator;
  if (!Raised3D()) {
    if (title || indicator)
      DrawRaisedEdge(canvas, cell, fixedColor, clBtnShadow);
    return;
  }
  if ((title && !FLook.BoldTitlesWhenCells3D) || (indicator && !FLook.BoldIndicatorsWhenCells3D))
    DrawRaisedEdge(canvas, cell.adjusted(1, 1, -1, -1), fixedColor, clBtnShadow);
  DrawRaisedEdge(canvas, cell, clHighlightText, clBtnShadow);
}
