// Page-down through a data grid over 10,000 and 1,000,000 records: the time per page must not
// grow with the record count, because the grid repaints only the rows of its data link's window.
#include "Application.h"
#include "DB.h"
#include "DBGrids.h"

#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <memory>

namespace {

// A read-only dataset whose records are made from their number (ID, USER_NAME, GRUPA), so that
// moving to any record costs the same whatever the record count.
class TGeneratedDataSet : public TDataSet {
public:
  explicit TGeneratedDataSet(int count) : FCount(count) {
    SetBookmarkSize(int(sizeof(int)));
    FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0, true);
    FieldDefs().Add(QStringLiteral("USER_NAME"), ftString, 20);
    FieldDefs().Add(QStringLiteral("GRUPA"), ftString, 10);
  }
  ~TGeneratedDataSet() override { CloseOnDestroy(); }

  bool GetFieldData(TField *field, void *buffer) override {
    const TRecordBuffer record = GetActiveRecBuf();
    if (!record)
      return false;
    const int index = Buf(record)->Index;
    if (!buffer)
      return true;
    switch (field->FieldNo()) {
    case 1: {
      const int id = index + 1;
      std::memcpy(buffer, &id, sizeof id);
      break;
    }
    case 2: std::snprintf(static_cast<char *>(buffer), 21, "USER%07d", index + 1); break;
    default: std::snprintf(static_cast<char *>(buffer), 11, "GROUP%02d", index % 18); break;
    }
    return true;
  }
  void SetFieldData(TField *, const void *) override { DatabaseError(QStringLiteral("Read-only"), this); }
  bool BookmarkValid(const TBookmark &bookmark) override { return bookmark.size() == int(sizeof(int)); }
  int CompareBookmarks(const TBookmark &a, const TBookmark &b) override {
    const int x = IndexOf(a), y = IndexOf(b);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  void SetRecNo(int value) override {
    CheckBrowseMode();
    if (value < 1 || value > FCount)
      return;
    DoBeforeScroll();
    FCursor = value - 1;
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }

protected:
  struct TBuffer {
    int Index = 0;
    TBookmarkFlag Flag = bfCurrent;
  };
  static TBuffer *Buf(TRecordBuffer buffer) { return reinterpret_cast<TBuffer *>(buffer); }
  static int IndexOf(const TBookmark &bookmark) {
    int index = -1;
    if (bookmark.size() == int(sizeof(int)))
      std::memcpy(&index, bookmark.constData(), sizeof index);
    return index;
  }

  TRecordBuffer AllocRecordBuffer() override { return reinterpret_cast<TRecordBuffer>(new TBuffer); }
  void FreeRecordBuffer(TRecordBuffer &buffer) override {
    delete Buf(buffer);
    buffer = nullptr;
  }
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool) override {
    const int next = getMode == gmNext ? FCursor + 1 : getMode == gmPrior ? FCursor - 1 : FCursor;
    if (next < 0) {
      FCursor = -1;
      return grBOF;
    }
    if (next >= FCount) {
      FCursor = FCount;
      return grEOF;
    }
    FCursor = next;
    Buf(buffer)->Index = next;
    Buf(buffer)->Flag = bfCurrent;
    return grOK;
  }
  int GetRecordSize() const override { return int(sizeof(TBuffer)); }
  void InternalOpen() override {
    if (DefaultFields())
      CreateFields();
    BindFields(true);
    FCursor = -1;
    FOpen = true;
  }
  void InternalClose() override {
    FOpen = false;
    BindFields(false);
    if (DefaultFields())
      DestroyFields();
  }
  bool IsCursorOpen() const override { return FOpen; }
  void InternalInitFieldDefs() override {}
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = FCount; }
  void InternalInitRecord(TRecordBuffer buffer) override { Buf(buffer)->Index = 0; }
  void InternalAddRecord(TRecordBuffer, bool) override { DatabaseError(QStringLiteral("Read-only"), this); }
  void InternalPost() override { DatabaseError(QStringLiteral("Read-only"), this); }
  void InternalDelete() override { DatabaseError(QStringLiteral("Read-only"), this); }
  void InternalSetToRecord(TRecordBuffer buffer) override { FCursor = Buf(buffer)->Index; }
  void InternalGotoBookmark(const void *bookmark) override {
    std::memcpy(&FCursor, bookmark, sizeof FCursor);
  }
  void GetBookmarkData(TRecordBuffer buffer, void *data) override {
    std::memcpy(data, &Buf(buffer)->Index, sizeof(int));
  }
  void SetBookmarkData(TRecordBuffer buffer, const void *data) override {
    std::memcpy(&Buf(buffer)->Index, data, sizeof(int));
  }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override { return Buf(buffer)->Flag; }
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override { Buf(buffer)->Flag = value; }
  int GetRecordCount() const override { return FCount; }
  int GetRecNo() const override {
    return State() == dsBrowse && FCount > 0 ? Buf(ActiveBuffer())->Index + 1 : -1;
  }
  bool GetIsSequenced() override { return true; }
  bool GetCanModify() const override { return false; }

private:
  int FCount;
  int FCursor = -1;
  bool FOpen = false;
};

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
  explicit TScene(int count) : DataSet(count) {
    DataSet.Open();
    Source.SetDataSet(&DataSet);
    Grid.resize(640, 480);
    Grid.SetDataSource(&Source);
    Grid.show();
    QApplication::processEvents();
  }
  TGeneratedDataSet DataSet;
  TDataSource Source;
  TCountingGrid Grid;
};

TScene &Scene(int count) {
  static std::map<int, std::unique_ptr<TScene>> scenes;
  auto &scene = scenes[count];
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

BENCHMARK(PageDown)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
