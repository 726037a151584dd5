// Automatic column widths of TExDBGrid.
#include "ExDBGrid.h"

#include "DataSetControls.h"
#include "ExDBGridCellText.h"
#include "ExDBGridFieldKinds.h"

#include <QApplication>
#include <QCursor>
#include <algorithm>

namespace {

constexpr int IndicatorWidth = 11;

// Keeps the hourglass up while widths are worked out.
class TWaitCursor {
public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

bool TExDBGrid::CanSize() const { return (Options() & dgColumnResize) && DataLink()->Active(); }

void TExDBGrid::SetGridAutoSize(bool value) {
  if (!(Options() & dgColumnResize))
    value = false;
  if (FGridAutoSize == value)
    return;
  FGridAutoSize = value;
  if (!value || !CanSize())
    return;
  FGridAutoWidth = awNone;
  SizeToWidestValues(false);
}

void TExDBGrid::SetGridAutoWidth(TAutoWidth value) {
  if (!(Options() & dgColumnResize))
    value = awNone;
  if (value != awNone && OnAutoWidthChange)
    OnAutoWidthChange(this, value);
  if (FGridAutoWidth == value)
    return;
  FGridAutoWidth = value;
  if (value == awNone)
    return;
  FGridAutoSize = false;
  if (value != awWidestValue && value != awWidestValueTitle)
    FFullSizeMemo = false;
  ApplyAutoWidth(value);
  if (!FGridAutoWidthOnResize)
    FGridAutoWidth = awNone;
}

void TExDBGrid::SetGridAutoWidthOnResize(bool value) {
  if (FGridAutoWidthOnResize == value)
    return;
  FGridAutoWidthOnResize = value;
  if (value && FGridAutoWidth != awNone)
    ApplyAutoWidth(FGridAutoWidth);
}

void TExDBGrid::Resize() {
  TDBGrid::Resize();
  if (FFormControl)
    ShowFormControl(FFormControl, Col(), Row());
  if (!FSizing && FGridAutoWidth != awNone && FGridAutoWidthOnResize)
    ApplyAutoWidth(FGridAutoWidth);
}

void TExDBGrid::ApplyAutoWidth(TAutoWidth mode) {
  if (!CanSize() || FSizing)
    return;
  TWaitCursor wait;
  RunSizing([this, mode] {
    switch (mode) {
    case awDefault:
      for (int i = 0; i < Columns().Count(); ++i)
        if (Columns()[i]->Visible())
          Columns()[i]->SetWidth(Columns()[i]->DefaultWidth());
      break;
    case awUniform: ShareAvailableWidth(false); break;
    case awProportional: ShareAvailableWidth(true); break;
    case awWidestValue: SizeToWidestValues(false); break;
    case awWidestValueTitle: SizeToWidestValues(true); break;
    case awNone: break;
    }
  });
}

void TExDBGrid::RunSizing(const std::function<void()> &sizing) {
  FSizing = true;
  BeginLayout();
  try {
    sizing();
  } catch (...) {
    EndLayout();
    FSizing = false;
    throw;
  }
  EndLayout();
  FSizing = false;
}

int TExDBGrid::AvailableWidth(int visibleCount) const {
  int available = viewport()->width();
  if (Options() & dgColLines)
    available -= visibleCount * GridLineWidth();
  if (Options() & dgIndicator)
    available -= IndicatorWidth + GridLineWidth();
  return std::max(0, available);
}

void TExDBGrid::ShareAvailableWidth(bool proportional) {
  std::vector<TColumn *> visible;
  int widthSum = 0;
  for (int i = 0; i < Columns().Count(); ++i)
    if (Columns()[i]->Visible()) {
      visible.push_back(Columns()[i]);
      widthSum += Columns()[i]->Width();
    }
  if (visible.empty())
    return;
  const int count = int(visible.size());
  const int available = AvailableWidth(count);
  if (!proportional || widthSum <= 0) {
    for (int i = 0; i < count; ++i)
      visible[size_t(i)]->SetWidth(available / count + (i < available % count ? 1 : 0));
    return;
  }
  int left = available;
  for (int i = 0; i < count; ++i) {
    TColumn *column = visible[size_t(i)];
    const int width =
        i == count - 1 ? left : int(std::lround(double(column->Width()) / widthSum * available));
    column->SetWidth(std::max(0, width));
    left -= width;
  }
}

void TExDBGrid::SizeToWidestValues(bool titleMinimum, bool memoOnly) {
  TDataSet *dataSet = DataLink()->DataSet();
  TCanvas &canvas = Canvas();
  std::vector<int> widest(size_t(Columns().Count()), -1);
  if (titleMinimum)
    for (int i = 0; i < Columns().Count(); ++i) {
      canvas.Font = Columns()[i]->Title().Font();
      widest[size_t(i)] = canvas.TextWidth(Columns()[i]->Title().Caption()) + 2;
    }
  {
    TControlsDisabled disabled(*dataSet);
    dataSet->Last();
    while (true) {
      for (int i = 0; i < Columns().Count(); ++i) {
        TColumn *column = Columns()[i];
        TField *field = column->Field();
        if (!column->Visible() || !field || field->IsNull() || (memoOnly && !IsMemoKind(field)))
          continue;
        canvas.Font = column->Font();
        const QString text = CellText(field, FFullSizeMemo);
        widest[size_t(i)] = std::max(widest[size_t(i)], canvas.TextWidth(text));
      }
      if (dataSet->Bof())
        break;
      dataSet->Prior();
    }
  }
  for (int i = 0; i < Columns().Count(); ++i) {
    TColumn *column = Columns()[i];
    if (!column->Visible() || (memoOnly && !(column->Field() && IsMemoKind(column->Field()))))
      continue;
    const int measured = widest[size_t(i)];
    column->SetWidth(measured < 0 ? column->DefaultWidth() : std::min(measured + 5, viewport()->width()));
  }
}

void TExDBGrid::SetFullSizeMemo(bool value) {
  if (FFullSizeMemo == value)
    return;
  FFullSizeMemo = value;
  if (value) {
    FPainter.Look().DisplayMemo = true;
    if (FGridAutoWidth != awWidestValue && FGridAutoWidth != awWidestValueTitle)
      FGridAutoWidth = awNone;
  }
  if (!CanSize() || FSizing)
    return;
  RunSizing([this] { SizeToWidestValues(false, true); });
  InvalidateGrid();
}
