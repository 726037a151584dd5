#pragma once

#include <QPoint>

class QLabel;
class QTimer;
class TExDBGrid;

// Moving a column of a TExDBGrid by dragging its title: a picture of the title follows the mouse
// along the title row, the grid scrolls while the mouse rests within 5 pixels of its scrollable
// edges (one column per tick of a 500 ms timer), and the drop moves the column there.
class TExColumnDrag {
public:
  explicit TExColumnDrag(TExDBGrid &grid);
  ~TExColumnDrag();

  bool Active() const { return FColumn >= 0; }
  // The grid column (raw index) being dragged, or -1.
  int Column() const { return FColumn; }
  QLabel *Image() const { return FImage; }
  QTimer *Timer() const { return FTimer; }

  void Start(int col);
  void Move(QPoint at);
  // Moves the dragged column to the column under the point and ends the drag.
  void Drop(QPoint at);
  void End();
  // One tick of the timer: scrolls towards the edge the mouse rests at, or stops.
  void Tick();

private:
  // -1 near the left edge of the scrollable columns, 1 near the right client edge, else 0.
  int EdgeAt(QPoint at) const;
  int TargetColumn(QPoint at) const;

  TExDBGrid &FGrid;
  QLabel *FImage;
  QTimer *FTimer;
  int FColumn = -1;
  QPoint FLast;
};
