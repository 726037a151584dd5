// The in-memory table beside sqlite on an in-memory database (libsqlite3 in this process, so both
// are timed by the same clock and their heap measured by the same meter), doing the same work on
// the same generated CSV file (rows of 10 fields: integer, texts, date, float):
//   - the load (TwoxMemTable through its CSV format; sqlite by prepared inserts of the parsed lines),
//   - the filter Miasto='Kraków' and a walk over the rows it accepts, reading ID from each,
//   - Locate on a field without an index (the last row's Email: the whole table is searched),
//   - an index on a text field, on an integer field, and a sort on two fields (CREATE INDEX),
//   - the peak heap of the load, per row,
// and, for the table alone, 20,000 appends with a unique index beside the same appends without one.
// Rounds alternate which side goes first; each step prints the best time of either side over the
// rounds (5 rounds under a million rows, 3 from a million on) and their ratio.
//
//   memtable_bench                  100,000 and 1,000,000 rows
//   memtable_bench 5000 50000       other row counts
#include "Fields.h"
#include "Win1250.h"
#include "woxMemCSVStreamFormat.h"
#include "woxMemTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <map>
#include <numeric>
#include <random>
#include <sqlite3.h>
#include <string>

// --- a heap meter under both sides: every allocation of the process passes here (not under the
// sanitizers, which own the allocator; the heap figures then read 0)

namespace {

std::atomic<long long> gHeapInUse{0}, gHeapPeak{0};

} // namespace

#ifndef __SANITIZE_ADDRESS__
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);
}

namespace {

void CountHeap(long long delta) {
  const long long now = gHeapInUse.fetch_add(delta, std::memory_order_relaxed) + delta;
  long long peak = gHeapPeak.load(std::memory_order_relaxed);
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

void *Counted(void *block) {
  if (block)
    CountHeap((long long)malloc_usable_size(block));
  return block;
}

} // namespace

extern "C" {
void *malloc(size_t size) { return Counted(__libc_malloc(size)); }
void *calloc(size_t count, size_t size) { return Counted(__libc_calloc(count, size)); }
void free(void *block) {
  if (block)
    CountHeap(-(long long)malloc_usable_size(block));
  __libc_free(block);
}
void *realloc(void *block, size_t size) {
  const long long before = block ? (long long)malloc_usable_size(block) : 0;
  void *moved = __libc_realloc(block, size);
  if (moved)
    CountHeap((long long)malloc_usable_size(moved) - before);
  else if (block && size == 0)
    CountHeap(-before);
  return moved;
}
void *memalign(size_t alignment, size_t size) { return Counted(__libc_memalign(alignment, size)); }
void *aligned_alloc(size_t alignment, size_t size) { return Counted(__libc_memalign(alignment, size)); }
int posix_memalign(void **result, size_t alignment, size_t size) {
  void *block = Counted(__libc_memalign(alignment, size));
  if (!block)
    return ENOMEM;
  *result = block;
  return 0;
}
void *valloc(size_t size) { return Counted(__libc_memalign(4096, size)); }
void *pvalloc(size_t size) { return Counted(__libc_memalign(4096, (size + 4095) & ~size_t(4095))); }
}
#endif

namespace {

constexpr int kAppends = 20000;

struct TColumn {
  const char *Name;
  TFieldType Type;
  int Size;
  const char *SqlType;
};

const TColumn kColumns[] = {
    {"ID", ftInteger, 0, "integer"},  {"Nazwisko", ftString, 30, "text"}, {"Imie", ftString, 20, "text"},
    {"Miasto", ftString, 30, "text"}, {"Ulica", ftString, 40, "text"},    {"Kod", ftString, 6, "text"},
    {"Email", ftString, 40, "text"},  {"Urodzony", ftDate, 0, "text"},    {"Kwota", ftFloat, 0, "real"},
    {"Grupa", ftString, 10, "text"},
};
constexpr int kColumnCount = int(std::size(kColumns));

const char *const kSurnames[] = {"Nowak",     "Kowalski",    "Wiśniewski", "Wójcik",     "Kowalczyk",
                                 "Kamiński",  "Lewandowski", "Zieliński",  "Szymański",  "Woźniak",
                                 "Dąbrowski", "Kozłowski",   "Jankowski",  "Mazur",      "Kwiatkowski",
                                 "Krawczyk",  "Piotrowski",  "Grabowski",  "Nowakowski", "Pawłowski",
                                 "Michalski", "Król",        "Wieczorek",  "Jabłoński",  "Wróbel",
                                 "Nowicki",   "Majewski",    "Olszewski",  "Stępień",    "Malinowski"};
const char *const kNames[] = {"Anna",   "Piotr", "Krzysztof", "Maria", "Andrzej", "Małgorzata", "Tomasz",
                              "Ewa",    "Paweł", "Agnieszka", "Jan",   "Łukasz",  "Zofia",      "Michał",
                              "Joanna", "Marek", "Katarzyna", "Jerzy", "Barbara", "Grzegorz"};
const char *const kCities[] = {"Warszawa", "Kraków",   "Łódź",        "Wrocław", "Poznań",
                               "Gdańsk",   "Szczecin", "Bydgoszcz",   "Lublin",  "Białystok",
                               "Katowice", "Gdynia",   "Częstochowa", "Radom",   "Toruń",
                               "Kielce",   "Rzeszów",  "Olsztyn",     "Opole",   "Zielona Góra"};
const char *const kStreets[] = {"Długa",       "Krótka",     "Polna",       "Leśna",
                                "Słoneczna",   "Ogrodowa",   "Lipowa",      "Łąkowa",
                                "Szkolna",     "Kościelna",  "Kwiatowa",    "Brzozowa",
                                "Mickiewicza", "Kościuszki", "Żeromskiego", "Sienkiewicza"};
const char *const kGroups[] = {"KORVIN", "VELDAR", "PLOMER", "SARNIK",  "TULVAR",  "BRONTEL",
                               "FENNO",  "DRAVEL", "HOLMAR", "GRESSON", "PELKAR",  "NIRVOS",
                               "TESSAL", "QUENTO", "BAVIRO", "SOLMET",  "TORMISK", "KAPRENA"};

const QString kCity = QStringLiteral("Kraków");

template <class T, std::size_t N> const char *Pick(const T (&list)[N], std::uint32_t r) {
  return list[r % N];
}

QString Quoted(const char *utf8) { return u'"' + QString::fromUtf8(utf8) + u'"'; }

// The header and the rows, quoted where text, in Windows-1250 with CR LF. IDs are a permutation of
// 1..rows, so that sorting them is real work. Answers the last row's Email.
QString WriteCsv(const QString &fileName, int rows) {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    qFatal("cannot write %s", qPrintable(fileName));
  QStringList header;
  for (const TColumn &column : kColumns)
    header << Quoted(column.Name);
  QByteArray chunk = Win1250::Encode(header.join(u',')) + "\r\n";
  std::mt19937 random(20240315);
  QString email;
  for (int i = 0; i < rows; ++i) {
    const std::uint32_t r = random();
    const QString surname = QString::fromUtf8(Pick(kSurnames, r));
    const QString name = QString::fromUtf8(Pick(kNames, r >> 5));
    email =
        QStringLiteral("%1.%2%3@example.pl").arg(name.toLower().left(1), surname.toLower().left(8)).arg(i);
    const QString line =
        QStringLiteral("%1,\"%2\",\"%3\",\"%4\",\"ul. %5 %6\",\"%7-%8\",\"%9\",%10/%11/%12,%13,\"%14\"")
            .arg(qint64(i) * 7919 % rows + 1)
            .arg(surname, name, QString::fromUtf8(Pick(kCities, r >> 10)),
                 QString::fromUtf8(Pick(kStreets, r >> 15)))
            .arg(r % 200 + 1)
            .arg(r % 90 + 10, 2, 10, QChar(u'0'))
            .arg(r % 1000, 3, 10, QChar(u'0'))
            .arg(email)
            .arg(r % 28 + 1, 2, 10, QChar(u'0'))
            .arg((r >> 8) % 12 + 1, 2, 10, QChar(u'0'))
            .arg(1950 + (r >> 12) % 55)
            .arg(QString::number(double(r % 10000000) / 100, 'f', 2))
            .arg(QString::fromUtf8(Pick(kGroups, r >> 20)));
    chunk += Win1250::Encode(line) + "\r\n";
    if (chunk.size() > (1 << 20)) {
      file.write(chunk);
      chunk.clear();
    }
  }
  file.write(chunk);
  return email;
}

double Seconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e9; }

// The heap the work of body takes at its peak, above what was in use before it.
template <class TBody> long long PeakHeapOf(TBody body) {
  const long long before = gHeapInUse.load();
  gHeapPeak.store(before);
  body();
  return gHeapPeak.load() - before;
}

// What one side measured in one round.
struct TRun {
  double Load = 0, FilterWalk = 0, Locate = 0, TextIndex = 0, IntegerIndex = 0, TwoFieldSort = 0;
  double PeakBytesPerRow = 0;
  long long Checksum = 0; // of the walk: both sides must agree
};

// --- the table's side

void DefineFields(TwoxMemTable &table) {
  for (const TColumn &column : kColumns)
    table.FieldDefs().Add(QString::fromLatin1(column.Name), column.Type, column.Size);
}

double BuildIndex(TwoxMemTable &table, const QString &name, const QString &fields) {
  QElapsedTimer timer;
  timer.start();
  TIndexDef *def = table.IndexDefs().Add(name, fields, {});
  table.Indexes().AddFromIndexDef(*def)->Rebuild();
  table.SetIndexName(name);
  return Seconds(timer);
}

TRun RunTable(const QString &fileName, int rows, const QString &lastEmail) {
  TRun run;
  TwoxCSVStreamFormat format;
  TwoxMemTable table;
  DefineFields(table);
  table.SetDefaultFormat(&format);
  table.Open();
  QElapsedTimer timer;
  run.PeakBytesPerRow = double(PeakHeapOf([&] {
                          timer.start();
                          table.LoadFromFile(fileName);
                          run.Load = Seconds(timer);
                        })) /
                        rows;
  if (table.RecordCount() != rows)
    qFatal("the table loaded %d of %d rows", table.RecordCount(), rows);

  timer.start();
  table.SetFilter(QStringLiteral("Miasto='%1'").arg(kCity));
  table.SetFiltered(true);
  TField *id = table.FieldByName(QStringLiteral("ID"));
  for (table.First(); !table.Eof(); table.Next())
    run.Checksum += id->AsInteger();
  run.FilterWalk = Seconds(timer);
  table.SetFiltered(false);

  run.TextIndex = BuildIndex(table, QStringLiteral("ByName"), QStringLiteral("Nazwisko"));
  run.IntegerIndex = BuildIndex(table, QStringLiteral("ById"), QStringLiteral("ID"));
  run.TwoFieldSort = BuildIndex(table, QStringLiteral("ByCityName"), QStringLiteral("Miasto;Nazwisko"));

  // Searched in the order of the two-field index, which scatters the records it visits.
  timer.start();
  if (!table.Locate(QStringLiteral("Email"), lastEmail, {}))
    qFatal("the table did not find %s", qPrintable(lastEmail));
  run.Locate = Seconds(timer);
  return run;
}

// --- sqlite's side

void Check(sqlite3 *db, int result, const char *what) {
  if (result != SQLITE_OK && result != SQLITE_DONE && result != SQLITE_ROW)
    qFatal("sqlite: %s: %s", what, sqlite3_errmsg(db));
}

void Exec(sqlite3 *db, const std::string &sql) {
  Check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), sql.c_str());
}

sqlite3_stmt *Prepare(sqlite3 *db, const std::string &sql) {
  sqlite3_stmt *statement = nullptr;
  Check(db, sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), sql.c_str());
  return statement;
}

// Windows-1250 bytes as UTF-8, byte by byte.
struct TUtf8Table {
  std::string Of[256];
  TUtf8Table() {
    for (int b = 1; b < 256; ++b) {
      const char byte = char(b);
      Of[b] = Win1250::Decode(&byte, 1).toStdString();
    }
  }
};

// The file's rows inserted by one prepared statement in one transaction, text converted to UTF-8.
void SqliteLoad(sqlite3 *db, const QString &fileName) {
  static const TUtf8Table utf8;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    qFatal("cannot read %s", qPrintable(fileName));
  std::string sql = "insert into t values (?";
  for (int i = 1; i < kColumnCount; ++i)
    sql += ",?";
  sqlite3_stmt *insert = Prepare(db, sql + ")");
  Exec(db, "begin");
  QByteArray line;
  std::string text;
  file.readLine(); // the header
  while (!(line = file.readLine()).isEmpty()) {
    const char *p = line.constData(), *end = p + line.size();
    while (end > p && (end[-1] == '\n' || end[-1] == '\r'))
      --end;
    for (int column = 0; column < kColumnCount && p <= end; ++column) {
      const bool quoted = p < end && *p == '"';
      const char *start = p + (quoted ? 1 : 0);
      const char *stop =
          static_cast<const char *>(std::memchr(start, quoted ? '"' : ',', std::size_t(end - start)));
      if (!stop)
        stop = end;
      text.clear();
      for (const char *c = start; c < stop; ++c)
        text += utf8.Of[static_cast<unsigned char>(*c)];
      switch (kColumns[column].Type) {
      case ftInteger: sqlite3_bind_int(insert, column + 1, std::atoi(text.c_str())); break;
      case ftFloat: sqlite3_bind_double(insert, column + 1, std::strtod(text.c_str(), nullptr)); break;
      default: sqlite3_bind_text(insert, column + 1, text.data(), int(text.size()), SQLITE_TRANSIENT);
      }
      p = stop + (quoted ? 2 : 1);
    }
    Check(db, sqlite3_step(insert), "insert");
    sqlite3_reset(insert);
  }
  Exec(db, "commit");
  sqlite3_finalize(insert);
}

double SqliteTimed(sqlite3 *db, const std::string &sql) {
  QElapsedTimer timer;
  timer.start();
  Exec(db, sql);
  return Seconds(timer);
}

TRun RunSqlite(const QString &fileName, int rows, const QString &lastEmail) {
  TRun run;
  sqlite3 *db = nullptr;
  if (sqlite3_open(":memory:", &db) != SQLITE_OK)
    qFatal("sqlite: cannot open an in-memory database");
  std::string columns;
  for (const TColumn &column : kColumns)
    columns += std::string(columns.empty() ? "" : ",") + column.Name + " " + column.SqlType;
  Exec(db, "create table t(" + columns + ")");
  QElapsedTimer timer;
  run.PeakBytesPerRow = double(PeakHeapOf([&] {
                          timer.start();
                          SqliteLoad(db, fileName);
                          run.Load = Seconds(timer);
                        })) /
                        rows;

  timer.start();
  sqlite3_stmt *walk = Prepare(db, "select ID from t where Miasto = ?");
  const QByteArray city = kCity.toUtf8();
  sqlite3_bind_text(walk, 1, city.constData(), int(city.size()), SQLITE_STATIC);
  while (sqlite3_step(walk) == SQLITE_ROW)
    run.Checksum += sqlite3_column_int(walk, 0);
  sqlite3_finalize(walk);
  run.FilterWalk = Seconds(timer);

  run.TextIndex = SqliteTimed(db, "create index i1 on t(Nazwisko)");
  run.IntegerIndex = SqliteTimed(db, "create index i2 on t(ID)");
  run.TwoFieldSort = SqliteTimed(db, "create index i3 on t(Miasto, Nazwisko)");

  timer.start();
  sqlite3_stmt *locate = Prepare(db, "select rowid from t where Email = ? limit 1");
  const QByteArray email = lastEmail.toUtf8();
  sqlite3_bind_text(locate, 1, email.constData(), int(email.size()), SQLITE_STATIC);
  if (sqlite3_step(locate) != SQLITE_ROW)
    qFatal("sqlite did not find %s", email.constData());
  sqlite3_finalize(locate);
  run.Locate = Seconds(timer);
  sqlite3_close(db);
  return run;
}

// --- appends with and without a unique index (the table alone)

double Appends(bool uniqueIndex, bool shuffled) {
  std::vector<int> ids(kAppends);
  std::iota(ids.begin(), ids.end(), 1);
  if (shuffled)
    std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
  TwoxMemTable table;
  DefineFields(table);
  if (uniqueIndex)
    table.IndexDefs().Add(QStringLiteral("ById"), QStringLiteral("ID"), ixUnique);
  table.Open();
  QElapsedTimer timer;
  timer.start();
  for (const int id : ids)
    table.AppendRecord({id, QStringLiteral("Nowak"), QStringLiteral("Anna"), kCity});
  return Seconds(timer);
}

struct TStep {
  double Table = 0, Peer = 0;
};

std::map<std::string, TStep> gBest;

void Keep(const std::string &step, double table, double peer) {
  TStep &best = gBest[step];
  best.Table = best.Table == 0 ? table : std::min(best.Table, table);
  best.Peer = best.Peer == 0 ? peer : std::min(best.Peer, peer);
}

void KeepRound(const std::string &suffix, const TRun &table, const TRun &sqlite) {
  if (table.Checksum != sqlite.Checksum)
    qFatal("the walks differ: table %lld, sqlite %lld", table.Checksum, sqlite.Checksum);
  Keep("load" + suffix, table.Load, sqlite.Load);
  Keep("filter walk" + suffix, table.FilterWalk, sqlite.FilterWalk);
  Keep("locate" + suffix, table.Locate, sqlite.Locate);
  Keep("text index" + suffix, table.TextIndex, sqlite.TextIndex);
  Keep("integer index" + suffix, table.IntegerIndex, sqlite.IntegerIndex);
  Keep("two-field sort" + suffix, table.TwoFieldSort, sqlite.TwoFieldSort);
  // The heap is the same in every round: the smallest peak is the one no stray allocation raised.
  Keep("peak bytes" + suffix, table.PeakBytesPerRow, sqlite.PeakBytesPerRow);
}

const char *Verdict(double ratio, double goal) {
  if (goal <= 0)
    return "";
  return ratio <= goal ? "met" : "MISSED";
}

void Print(const std::string &step, const TStep &best, double goal, const char *unit = "s") {
  const double ratio = best.Peer > 0 ? best.Table / best.Peer : 0;
  const bool seconds = std::strcmp(unit, "s") == 0;
  std::printf("%-40s table %9.*f %-2s  sqlite %9.*f %-2s  ratio %6.2f", step.c_str(), seconds ? 4 : 0,
              best.Table, unit, seconds ? 4 : 0, best.Peer, unit, ratio);
  if (goal > 0)
    std::printf("   goal %4.1f  %s", goal, Verdict(ratio, goal));
  std::printf("\n");
}

// The machine is shared: the best of several rounds is the figure that other work disturbed least.
int Rounds(int rows) { return rows >= 1000000 ? 3 : 5; }

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i)
    counts.push_back(std::atoi(argv[i]));
  if (counts.empty())
    counts = {100000, 1000000};
  QTemporaryDir folder;
  for (const int rows : counts) {
    const QString fileName = folder.filePath(QStringLiteral("rows_%1.csv").arg(rows));
    const QString lastEmail = WriteCsv(fileName, rows);
    const std::string suffix = " " + std::to_string(rows);
    benchmark::RegisterBenchmark(("table and sqlite" + suffix).c_str(),
                                 [=](benchmark::State &state) {
                                   bool tableFirst = true;
                                   for (auto _ : state) {
                                     TRun table, sqlite;
                                     if (tableFirst) {
                                       table = RunTable(fileName, rows, lastEmail);
                                       sqlite = RunSqlite(fileName, rows, lastEmail);
                                     } else {
                                       sqlite = RunSqlite(fileName, rows, lastEmail);
                                       table = RunTable(fileName, rows, lastEmail);
                                     }
                                     tableFirst = !tableFirst;
                                     KeepRound(suffix, table, sqlite);
                                     state.SetIterationTime(table.Load);
                                   }
                                 })
        ->UseManualTime()
        ->Iterations(Rounds(rows))
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("appends",
                               [](benchmark::State &state) {
                                 for (auto _ : state) {
                                   Keep("appends ascending", Appends(true, false), Appends(false, false));
                                   Keep("appends shuffled", Appends(true, true), Appends(false, true));
                                   state.SetIterationTime(gBest["appends ascending"].Table);
                                 }
                               })
      ->UseManualTime()
      ->Iterations(5)
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();

  std::printf("\n");
  for (const int rows : counts) {
    const std::string suffix = " " + std::to_string(rows);
    std::printf("%d rows x 10 fields\n", rows);
    Print("  CSV load" + suffix, gBest["load" + suffix], 0);
    Print("  filter Miasto='Kraków' and walk" + suffix, gBest["filter walk" + suffix], 2.0);
    Print("  Locate without an index" + suffix, gBest["locate" + suffix], 1.5);
    Print("  index on a text field" + suffix, gBest["text index" + suffix], 1.5);
    Print("  index on an integer field" + suffix, gBest["integer index" + suffix], 1.5);
    Print("  sort on two fields" + suffix, gBest["two-field sort" + suffix], 1.5);
    Print("  peak heap of the load per row" + suffix, gBest["peak bytes" + suffix], 1.2, "B");
  }
  if (counts.size() > 1) {
    const int first = counts.front(), last = counts.back();
    const TStep a = gBest["locate " + std::to_string(first)], b = gBest["locate " + std::to_string(last)];
    std::printf("Locate time per row, %d rows against %d rows: table %.2fx, sqlite %.2fx (linear = 1.0)\n",
                last, first, (b.Table / last) / (a.Table / first), (b.Peer / last) / (a.Peer / first));
  }
  std::printf("%d appends, unique index against none (the \"sqlite\" column):\n", kAppends);
  Print("  keys ascending", gBest["appends ascending"], 2.0);
  Print("  keys shuffled", gBest["appends shuffled"], 2.0);
  return 0;
}
