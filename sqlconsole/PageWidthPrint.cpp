#include "PageWidthPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>
#include <memory>

namespace {

constexpr qreal MarginInches = 2 / 2.54; // the margin QTextDocument::print leaves on every side

void SetMargins(QTextDocument &document, qreal margin) {
  QTextFrameFormat frame = document.rootFrame()->frameFormat();
  frame.setMargin(margin);
  document.rootFrame()->setFrameFormat(frame);
}

} // namespace

void PrintScaledToPageWidth(const QTextDocument &document, QPaintDevice &screen, QPrinter &printer) {
  const std::unique_ptr<QTextDocument> copy(document.clone());
  copy->documentLayout()->setPaintDevice(&screen);
  QTextOption option = copy->defaultTextOption();
  option.setWrapMode(QTextOption::NoWrap);
  copy->setDefaultTextOption(option);
  SetMargins(*copy, 0);
  copy->setTextWidth(-1); // unbounded: the widest line as it is
  const qreal widest = copy->idealWidth();

  // The printer's page in screen pixels, at the size the screen shows the document.
  const QSizeF paper(printer.width() * qreal(screen.logicalDpiX()) / printer.logicalDpiX(),
                     printer.height() * qreal(screen.logicalDpiY()) / printer.logicalDpiY());
  const qreal margin = MarginInches * screen.logicalDpiX();
  const qreal room = paper.width() - 2 * margin;
  const qreal scale = room > 0 && widest > room ? room / widest : 1;
  // A page of that many screen pixels is drawn onto the printer's page: the copy scaled down.
  SetMargins(*copy, margin / scale);
  copy->setPageSize(paper / scale);
  copy->print(&printer);
}
