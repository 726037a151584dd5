#include "UColEdFrame.h"

#include "ActionTools.h"
#include "Application.h"
#include "Dialogs.h"
#include "PageWidthPrint.h"
#include "ResultReport.h"
#include "StringList.h"
#include "TextFile.h"
#include "UPrintDialog.h"
#include "Win1250.h"

#include <QHBoxLayout>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

TColEdFrame::TColEdFrame(QWidget *owner) : QWidget(owner) {
  SaveA = NewAction(this, "SaveA", "Zapisz", &TColEdFrame::SaveAExecute);
  PrintA = NewAction(this, "PrintA", "Drukuj", &TColEdFrame::PrintAExecute);
  auto *tools = new QHBoxLayout;
  AddActionButtons(tools, this, {SaveA, PrintA});
  tools->addStretch();
  RichEdit = new QTextEdit(this);
  RichEdit->setObjectName(QStringLiteral("RichEdit"));
  RichEdit->setLineWrapMode(QTextEdit::NoWrap);
  RichEdit->setTabChangesFocus(false);
  RichEdit->setAcceptRichText(false);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(tools);
  layout->addWidget(RichEdit, 1);
}

void TColEdFrame::SetReport(const TResultReport &report) {
  FTabStops = report.TabStops;
  RichEdit->clear();
  RichEdit->setFont(report.Font);
  // The layout takes tab stops from each block's format; the document's default option has none.
  QList<QTextOption::Tab> tabs;
  for (int stop : FTabStops)
    tabs.append(QTextOption::Tab(stop, QTextOption::LeftTab));
  QTextBlockFormat lines;
  lines.setTabPositions(tabs);
  QTextCursor cursor(RichEdit->document());
  cursor.setBlockFormat(lines);
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  cursor.insertText(report.Header, bold);
  cursor.insertBlock(lines, QTextCharFormat());
  for (const QString &row : report.Rows) {
    cursor.insertBlock(lines, QTextCharFormat());
    cursor.insertText(row, QTextCharFormat());
  }
  // The editor's own cursor went along with the text to the end of the last row, and the editor
  // would open scrolled there.
  RichEdit->moveCursor(QTextCursor::Start);
}

QStringList TColEdFrame::Lines() const { return RichEdit->toPlainText().split(u'\n'); }

namespace {

// RTF text of one line: control characters escaped, others as bytes of the code page.
QByteArray RtfText(const QString &text) {
  QByteArray out;
  for (const char byte : Win1250::Encode(text)) {
    const auto c = static_cast<unsigned char>(byte);
    if (c == '\\' || c == '{' || c == '}')
      out += '\\' + QByteArray(1, char(c));
    else if (c == '\t')
      out += "\\tab ";
    else if (c >= 0x80)
      out += "\\'" + QByteArray::number(c, 16).rightJustified(2, '0');
    else
      out += char(c);
  }
  return out;
}

} // namespace

QByteArray TColEdFrame::RichText() const {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fmodern Courier;}}\r\n\\pard";
  for (int stop : FTabStops)
    rtf += "\\tx" + QByteArray::number(stop * 15); // pixels of 96 dpi in twips
  rtf += "\\f0\\fs20\r\n";
  for (QTextBlock block = RichEdit->document()->begin(); block.isValid(); block = block.next()) {
    const bool bold =
        block.charFormat().fontWeight() >= QFont::Bold ||
        (block.begin() != block.end() && block.begin().fragment().charFormat().fontWeight() >= QFont::Bold);
    rtf += (bold ? "\\b " : "") + RtfText(block.text()) + (bold ? "\\b0" : "") + "\\par\r\n";
  }
  return rtf + "}\r\n";
}

void TColEdFrame::SaveAExecute() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Save;
  request.Title = QStringLiteral("Zapisz raport");
  request.DefaultExt = QStringLiteral("rtf");
  request.Filter = QString::fromUtf8("Zwykły tekst (*.txt)|*.txt|Dokument RTF (*.rtf)|*.rtf");
  request.FilterIndex = 2;
  if (!DialogSeam().FileDialog(request))
    return;
  const bool plainText =
      request.FilterIndex == 1 || request.FileName.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
  if (plainText)
    TextFile::WriteLines(request.FileName, Lines());
  else
    TextFile::WriteBytes(request.FileName, RichText());
}

void TColEdFrame::PrintAExecute() {
  QPrinter printer;
  TPrintDialog dialog(this);
  if (!dialog.Execute(printer))
    return;
  printer.setDocName(QString());
  PrintScaledToPageWidth(*RichEdit->document(), *RichEdit, printer);
}
