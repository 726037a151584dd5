#pragma once

#include "ExDBGridCheckBox.h"
#include "ExDBGridPicture.h"
#include "Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <functional>

class TColumn;
class TColumnTitle;
class TField;

// What the cell painter asks its grid while it paints.
class TExCellPaintSite {
public:
  virtual bool IsBooleanField(const TField *field) const = 0;
  virtual bool IsChecked(const TField *field) const = 0;
  // The bookmark of the record whose row is being painted: pictures are kept per record.
  virtual QByteArray PaintedRecord() const = 0;
  // The grid's own font colour, which a selected picture cell keeps.
  virtual TColor GridFontColor() const = 0;
  // Both grid lines are drawn: only then do Cells3D raise every cell.
  virtual bool BothGridLines() const = 0;

protected:
  ~TExCellPaintSite() = default;
};

// The switches and colours of the cells.
struct TExCellLook {
  bool DisplayBoolean = true;
  bool DisplayImages = true;
  bool DisplayMemo = true;
  bool Cells3D = false;
  bool BoldTitlesWhenCells3D = false;
  bool BoldIndicatorsWhenCells3D = false;
  TColor ImageHighlightColor = clWindow;
  TColor RowColor1 = 0xBAFF6F;
  TColor RowColor2 = clWindow;
  TColor HighlightColor = clNavy;
  TColor HighlightFontColor = clWhite;
  bool ShowTextEllipsis = false;
  bool ShowTitleEllipsis = false;
  bool MultiLineTitles = false;
  bool ShowTitlesWhenInactive = false;
  // The corner cell shows the triangle of the option menu.
  bool TitleCheck = false;
  bool DrawFocusRect = true;
  TCheckBoxLook CheckBox;
};

enum class TExCellKind { Title, Indicator, Data };

// Where a cell is, as far as its edges and marks go.
struct TExCellPlace {
  TExCellKind Kind = TExCellKind::Data;
  // The top-left cell of a grid with titles and indicator.
  bool Corner = false;
  // The current data cell of a grid that has the focus.
  bool Focused = false;
};

// Paints the cells of a TExDBGrid: the fill of a data cell (selection, row colours or the
// background picture), its content (check box, picture, memo or text), the title cells, the raised
// edges of Cells3D, the corner triangle and the focus rectangle. It keeps the look, the tiled
// background and the decoded pictures; the grid decides which cell is where.
class TExGridCellPainter {
public:
  explicit TExGridCellPainter(const TExCellPaintSite &site);

  TExCellLook &Look() { return FLook; }
  const TExCellLook &Look() const { return FLook; }
  // Cells3D with both grid lines: every cell raised.
  bool Raised3D() const { return FLook.Cells3D && FSite.BothGridLines(); }

  // Row colours and the background picture exclude each other; true when anything changed.
  bool UseRowColors() const { return FUseRowColors; }
  bool SetUseRowColors(bool value);
  bool UseBackgroundPicture() const { return FUseBackgroundPicture; }
  bool SetUseBackgroundPicture(bool value);
  const QImage &BackgroundPicture() const { return FBackgroundPicture; }
  void SetBackgroundPicture(const QImage &value);
  // Tiles the picture over a client area of this size, once per size; each cell copies its part.
  void PrepareBackground(QSize clientSize);
  // Forgets the decoded pictures (another dataset, or pictures switched off).
  void ClearPictures() { FPictures.Clear(); }

  // A data cell: its fill, then (on an unselected cell) applyAttribute, which may change the
  // canvas's font and brush, then its content.
  void DrawDataCell(TCanvas &canvas, const QRect &rect, TColumn &column, bool highlighted,
                    const std::function<void()> &applyAttribute);
  void DrawTitle(TCanvas &canvas, const QRect &rect, TColumnTitle &title) const;
  // The edges, corner triangle and focus rectangle painted over a cell the grid has drawn.
  void DrawCellMarks(TCanvas &canvas, const QRect &rect, const TExCellPlace &place, TColor fixedColor) const;

private:
  void DrawContent(TCanvas &canvas, const QRect &rect, TColumn &column, bool highlighted);
  void DrawPicture(TCanvas &canvas, const QRect &cell, TField *field, bool highlighted);
  void DrawEdges(TCanvas &canvas, const QRect &cell, TExCellKind kind, TColor fixedColor) const;

  const TExCellPaintSite &FSite;
  TExCellLook FLook;
  bool FUseRowColors = false;
  bool FUseBackgroundPicture = false;
  QImage FBackgroundPicture;
  QPixmap FBackgroundCopy;
  TGridPictureCache FPictures;
};
