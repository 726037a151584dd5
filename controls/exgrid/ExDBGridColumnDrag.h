#pragma once

#include <QPixmap>
#include <QPoint>
#include <functional>

class QLabel;
class QTimer;
class TCustomGrid;

// Moving a column of a grid by dragging its title: a picture of the title follows the mouse
// along the title row, the grid scrolls while the mouse rests within 5 pixels of its scrollable
// edges (one column per tick of a 500 ms timer), and the drop hands the column and its target to
// the grid, which moves it.
class TExColumnDrag {
public:
  using TPicture = std::function<QPixmap(int col)>;
  using TDrop = std::function<void(int from, int to)>;
  TExColumnDrag(TCustomGrid &grid, TPicture picture, TDrop drop);
  ~TExColumnDrag();

  bool Active() const { return FColumn >= 0; }
  // The grid column (raw index) being dragged, or -1.
  int Column() const { return FColumn; }
  QLabel *Image() const { return FImage; }
  QTimer *Timer() const { return FTimer; }

  void Start(int col);
  void Move(QPoint at);
  // Ends the drag and hands the dragged column and the column under the point to the drop.
  void Drop(QPoint at);
  void End();
  // One tick of the timer: scrolls towards the edge the mouse rests at, or stops.
  void Tick();

private:
  // -1 near the left edge of the scrollable columns, 1 near the right client edge, else 0.
  int EdgeAt(QPoint at) const;
  int TargetColumn(QPoint at) const;

  TCustomGrid &FGrid;
  TPicture FPicture;
  TDrop FDrop;
  QLabel *FImage;
  QTimer *FTimer;
  int FColumn = -1;
  QPoint FLast;
};
