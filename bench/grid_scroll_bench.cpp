// Page-down through a data grid over the in-memory table of 1,000 and 1,000,000 records: the time
// per page must not grow with the record count, because the grid repaints only the rows of its data
// link's window.
#include "Application.h"
#include "DB.h"
#include "DBGrids.h"
#include "woxMemTable.h"

#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

// Records ID, USER_NAME, GRUPA made from their number.
void Fill(TwoxMemTable &table, int count) {
  table.FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0, true);
  table.FieldDefs().Add(QStringLiteral("USER_NAME"), ftString, 20);
  table.FieldDefs().Add(QStringLiteral("GRUPA"), ftString, 10);
  table.Open();
  table.DisableControls();
  for (int i = 1; i <= count; ++i)
    table.AppendRecord({i, QStringLiteral("USER%1").arg(i, 7, 10, QLatin1Char('0')),
                        QStringLiteral("GROUP%1").arg(i % 18, 2, 10, QLatin1Char('0'))});
  table.EnableControls();
}

// A grid that counts the cells it paints.
class TCountingGrid : public TDBGrid {
public:
  using TDBGrid::TDBGrid;
  long Cells = 0;

protected:
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override {
    ++Cells;
    TDBGrid::DrawCell(ACol, ARow, ARect, AState);
  }
};

struct TScene {
  explicit TScene(int count) {
    Fill(DataSet, count);
    Source.SetDataSet(&DataSet);
    Grid.resize(640, 480);
    Grid.SetDataSource(&Source);
    Grid.show();
    QApplication::processEvents();
  }
  TwoxMemTable DataSet;
  TDataSource Source;
  TCountingGrid Grid;
};

// The scenes hold widgets: main empties this before the application object goes.
std::map<int, std::unique_ptr<TScene>> &Scenes() {
  static std::map<int, std::unique_ptr<TScene>> scenes;
  return scenes;
}

TScene &Scene(int count) {
  auto &scene = Scenes()[count];
  if (!scene)
    scene = std::make_unique<TScene>(count);
  return *scene;
}

void PageDown(benchmark::State &state) {
  TScene &scene = Scene(int(state.range(0)));
  scene.DataSet.First();
  scene.Grid.viewport()->repaint();
  scene.Grid.Cells = 0;
  long pages = 0;
  for (auto _ : state) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&scene.Grid, &key);
    scene.Grid.viewport()->repaint();
    ++pages;
    if (scene.DataSet.Eof()) {
      state.PauseTiming();
      scene.DataSet.First();
      state.ResumeTiming();
    }
  }
  state.counters["rows"] = scene.Grid.DataLink()->RecordCount();
  state.counters["cells_per_page"] = pages ? double(scene.Grid.Cells) / double(pages) : 0;
  state.counters["last_recno"] = scene.DataSet.RecNo();
}

BENCHMARK(PageDown)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Scenes().clear();
  return 0;
}
