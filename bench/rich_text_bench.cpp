// Reading a formatted memo into the grid's rich-text editor beside Qt's own reader of the same
// formatted text: TDBRichEdit::LoadRich of RTF with 2,500, 20,000 and 68,000 (about 1 MB) formatting
// changes, and QTextEdit::setHtml of the same document as HTML, both into a fresh shown editor (as the
// grid's in-place and popup editors are), interleaved. Read run by run into such an editor, each run
// laid its paragraph out again: 2,500 changes took seconds and 20,000 minutes. Each size prints both
// times (the best of the rounds) and their ratio; a time that grows faster than the text shows as a
// ratio that grows with the size.
//
//   rich_text_bench               the three sizes
//   rich_text_bench 5000 50000    other numbers of formatting changes
#include "DBRichEdit.h"
#include "RtfFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QTextEdit>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <vector>

namespace {

// RTF as the editor writes it: words whose bold, italic, size and colour change at every word, in
// long paragraphs of 5,000 words, Polish letters among them.
QByteArray FormattedRtf(int changes) {
  static const char *const words[] = {
      "Zam\\'f3wienie", "nr",      "1234",        "dla",   "Pana", "Wi\\'9cniewskiego", "z",
      "\\'a3odzi",      "termin:", "pi\\'b9tek,", "kwota", "99,50"};
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  for (int i = 0; i < changes; ++i) {
    rtf += i % 4 == 0 ? "\\b " : i % 4 == 1 ? "\\b0\\i " : i % 4 == 2 ? "\\i0\\cf1\\fs24 " : "\\cf2\\fs20 ";
    rtf += words[i % 12];
    rtf += i % 5000 == 4999 ? "\\par\r\n" : " ";
  }
  return rtf + "}\r\n";
}

struct TBest {
  double Rtf = 1e9;
  double Html = 1e9;
  qsizetype Bytes = 0;
};

std::map<int, TBest> gBest;

double Seconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e9; }

void ReadRounds(benchmark::State &state) {
  const int changes = int(state.range(0));
  const QByteArray rtf = FormattedRtf(changes);
  QTextDocument model;
  if (!TRtfFormat::Read(rtf, model)) {
    state.SkipWithError("the generated RTF does not read");
    return;
  }
  const QString html = model.toHtml();
  TBest &best = gBest[changes];
  best.Bytes = rtf.size();
  for (auto _ : state) {
    QTextEdit rich;
    rich.resize(400, 300);
    rich.show();
    QElapsedTimer timer;
    timer.start();
    const bool read = TDBRichEdit::LoadRich(rich, rtf);
    const double rtfTime = Seconds(timer);
    QTextEdit peer;
    peer.resize(400, 300);
    peer.show();
    timer.restart();
    peer.setHtml(html);
    const double htmlTime = Seconds(timer);
    if (!read || rich.document()->characterCount() != peer.document()->characterCount())
      state.SkipWithError("the two editors hold different texts");
    best.Rtf = std::min(best.Rtf, rtfTime);
    best.Html = std::min(best.Html, htmlTime);
    state.SetIterationTime(rtfTime);
  }
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    sizes.push_back(std::max(1, std::atoi(argv[i])));
  if (sizes.empty())
    sizes = {2500, 20000, 68000}; // the last about 1 MB
  for (int size : sizes)
    benchmark::RegisterBenchmark("LoadRich, setHtml", ReadRounds)
        ->Arg(size)
        ->UseManualTime()
        ->Iterations(size > 50000 ? 3 : 5)
        ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  std::printf("\nformatting changes   RTF bytes   LoadRich (RTF)   setHtml (Qt)   ratio\n");
  for (const auto &[changes, best] : gBest)
    std::printf("%18d %11lld %14.3f s %12.3f s %7.2f\n", changes, static_cast<long long>(best.Bytes),
                best.Rtf, best.Html, best.Html > 0 ? best.Rtf / best.Html : 0.0);
  return 0;
}
