// The record-position hint of TExDBGrid while the vertical thumb is dragged.
#include "ExDBGrid.h"

#include "Application.h"
#include "DB.h"
#include "DataSource.h"

#include <QCursor>
#include <QLabel>
#include <QScrollBar>

void TExDBGrid::WatchThumbDrag() {
  // Without thumb tracking the drag reaches ScrollBarAction only at its end; the hint follows every move.
  connect(verticalScrollBar(), &QAbstractSlider::sliderMoved, this, [this] {
    if (FScrollHints)
      Guarded(this, [this] { UpdateScrollHint(); });
  });
}

void TExDBGrid::ScrollBarAction(Qt::Orientation Orientation, QAbstractSlider::SliderAction Action,
                                int Position) {
  TDBGrid::ScrollBarAction(Orientation, Action, Position);
  if (Orientation == Qt::Vertical && FScrollHints)
    UpdateScrollHint();
}

void TExDBGrid::UpdateScrollHint() {
  if (FScrollHint)
    FScrollHint->hide();
  TDataSet *dataSet = DataSource() && DataSource()->Enabled() ? DataSource()->DataSet() : nullptr;
  if (!dataSet || !dataSet->Active() || !verticalScrollBar()->isSliderDown())
    return;
  if (!FScrollHint) {
    FScrollHint = new QLabel(this, Qt::ToolTip);
    FScrollHint->setAutoFillBackground(true);
    QPalette colours = FScrollHint->palette();
    colours.setColor(QPalette::Window, ColorToQColor(clInfoBk));
    FScrollHint->setPalette(colours);
  }
  FScrollHint->setText(QStringLiteral(" %1 of %2 ").arg(dataSet->RecNo()).arg(dataSet->RecordCount()));
  FScrollHint->setMaximumWidth(100);
  FScrollHint->adjustSize();
  // Beside the cursor, clear of its picture.
  FScrollHint->move(QCursor::pos() + QPoint(16, 16));
  FScrollHint->show();
}
