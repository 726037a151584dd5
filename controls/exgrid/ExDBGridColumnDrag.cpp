#include "ExDBGridColumnDrag.h"

#include "Application.h"
#include "Grids.h"

#include <QLabel>
#include <QTimer>

namespace {

constexpr int EdgeZone = 5;
constexpr int TickMs = 500;
const QPoint OutOfSight(-200, -200);

} // namespace

TExColumnDrag::TExColumnDrag(TCustomGrid &grid, TPicture picture, TDrop drop)
    : FGrid(grid), FPicture(std::move(picture)), FDrop(std::move(drop)), FImage(new QLabel(grid.viewport())),
      FTimer(new QTimer(&grid)) {
  FImage->setAttribute(Qt::WA_TransparentForMouseEvents);
  FImage->hide();
  FTimer->setInterval(TickMs);
  QObject::connect(FTimer, &QTimer::timeout, &grid, [this] { Guarded(&FGrid, [this] { Tick(); }); });
}

TExColumnDrag::~TExColumnDrag() = default;

void TExColumnDrag::Start(int col) {
  FColumn = col;
  const QPixmap picture = FPicture(col);
  FImage->setPixmap(picture);
  FImage->setMask(picture.mask());
  FImage->resize(picture.size());
  FImage->move(-100, -100);
  FImage->show();
  FImage->raise();
  FGrid.viewport()->setCursor(Qt::BlankCursor);
}

int TExColumnDrag::EdgeAt(QPoint at) const {
  const QRect first = FGrid.CellRect(FGrid.LeftCol(), 0);
  if (at.x() < first.left() + EdgeZone && at.x() >= first.left() - EdgeZone)
    return -1;
  if (at.x() > FGrid.viewport()->width() - EdgeZone)
    return 1;
  return 0;
}

void TExColumnDrag::Move(QPoint at) {
  if (!Active())
    return;
  FLast = at;
  const bool inside = FGrid.viewport()->rect().contains(at);
  FImage->move(inside ? QPoint(at.x() - FImage->width() / 2, 0) : OutOfSight);
  if (inside && EdgeAt(at) != 0) {
    if (!FTimer->isActive())
      FTimer->start();
  } else {
    FTimer->stop();
  }
}

void TExColumnDrag::Tick() {
  const int edge = Active() ? EdgeAt(FLast) : 0;
  if (edge == 0) {
    FTimer->stop();
    return;
  }
  const int left = FGrid.LeftCol() + edge;
  if (left >= FGrid.FixedCols() && left < FGrid.ColCount())
    FGrid.SetLeftCol(left);
}

int TExColumnDrag::TargetColumn(QPoint at) const {
  const TGridCoord cell = FGrid.MouseCoord(at.x(), 0);
  if (cell.X < 0)
    return at.x() < 0 ? FGrid.FixedCols() : FGrid.ColCount() - 1;
  return std::max(cell.X, FGrid.FixedCols());
}

void TExColumnDrag::Drop(QPoint at) {
  if (!Active())
    return;
  const int from = FColumn;
  const int to = TargetColumn(at);
  End();
  FDrop(from, to);
}

void TExColumnDrag::End() {
  FColumn = -1;
  FImage->hide();
  FTimer->stop();
  FGrid.viewport()->unsetCursor();
}
