#include "RtfFormat.h"

#include "DBRichEdit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

QByteArray Golden(const char *name) {
  QFile file(QStringLiteral(EXGRID_TEST_DATA "/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly))
    ADD_FAILURE() << "missing golden file " << name;
  return file.readAll();
}

QTextCharFormat Format(bool bold, bool italic, bool underline, double points = 0, QColor colour = QColor()) {
  QTextCharFormat format;
  format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(italic);
  format.setFontUnderline(underline);
  if (points > 0)
    format.setFontPointSize(points);
  if (colour.isValid())
    format.setForeground(colour);
  return format;
}

// Three paragraphs with every format of the subset, Polish letters and a character beyond the code page.
void BuildFormatted(QTextDocument &document) {
  QTextCursor cursor(&document);
  cursor.insertText(QStringLiteral("Za\u017c\u00f3\u0142\u0107 "), Format(false, false, false));
  cursor.insertText(QStringLiteral("g\u0119\u015bl\u0105"), Format(true, false, false));
  cursor.insertText(QStringLiteral(" ja\u017a\u0144"), Format(false, true, false));
  cursor.insertBlock();
  cursor.insertText(QStringLiteral("underlined"), Format(false, false, true));
  cursor.insertText(QStringLiteral(" red {braces} \\"), Format(false, false, false, 14, Qt::red));
  cursor.insertBlock();
  cursor.insertText(QStringLiteral("\u20ac and \u263a"), Format(false, false, false));
}

TEST(RtfFormat, WritesTheGoldenFile) {
  QTextDocument document;
  BuildFormatted(document);
  const QByteArray written = TRtfFormat::Write(document);
  if (qEnvironmentVariableIsSet("EXGRID_WRITE_GOLDEN")) {
    QFile out(QStringLiteral(EXGRID_TEST_DATA "/formatted.rtf"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(written);
  }
  EXPECT_EQ(written, Golden("formatted.rtf"));
}

TEST(RtfFormat, ReadsTheGoldenFileBackWhole) {
  QTextDocument document;
  ASSERT_TRUE(TRtfFormat::Read(Golden("formatted.rtf"), document));
  EXPECT_EQ(document.toPlainText(),
            QStringLiteral(
                "Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144\nunderlined red {braces} "
                "\\\n\u20ac and \u263a"));
  EXPECT_EQ(TRtfFormat::Write(document), Golden("formatted.rtf"));
  QTextCursor cursor(&document);
  cursor.setPosition(9);
  EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold) << "inside g\u0119\u015bl\u0105";
  cursor.setPosition(document.findBlockByNumber(1).position() + 15);
  EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::red));
  EXPECT_DOUBLE_EQ(cursor.charFormat().fontPointSize(), 14);
}

TEST(RtfFormat, ReadsWhatAnotherEditorWritesInTheSubset) {
  QTextDocument document;
  ASSERT_TRUE(TRtfFormat::Read(Golden("wordpad.rtf"), document));
  EXPECT_EQ(document.toPlainText(), QStringLiteral("Pan Wi\u015bniewski\nma \u0142\u00f3d\u017a"));
  QTextCursor cursor(&document);
  cursor.setPosition(6);
  EXPECT_TRUE(cursor.charFormat().fontItalic());
}

// RTF with a formatting change at every word, in paragraphs of 5,000 words, of about the given size.
QByteArray ManyChanges(qsizetype bytes) {
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\colortbl ;\\red255\\green0\\blue0;}\\pard\\fs20 ";
  for (int i = 0; rtf.size() < bytes; ++i) {
    rtf += i % 3 == 0 ? "\\b " : i % 3 == 1 ? "\\b0\\cf1 " : "\\cf0 ";
    rtf += "s\\'b3owo" + QByteArray::number(i) + (i % 5000 == 4999 ? "\\par\r\n" : " ");
  }
  return rtf + "}";
}

TEST(RtfFormat, AMegabyteOfFormattedTextOpensInTheEditorAtOnce) {
  const QByteArray rtf = ManyChanges(1 << 20);
  QTextEdit editor; // shown, as the grid's editors are when they load
  editor.resize(400, 300);
  editor.show();
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(TDBRichEdit::LoadRich(editor, rtf));
  const qint64 elapsed = timer.elapsed();
  // Read run by run into a shown editor, each run laid its paragraph out again and this took hours; the
  // bound leaves room for a loaded machine.
  EXPECT_LT(elapsed, 5000);
  EXPECT_TRUE(editor.toPlainText().startsWith(QStringLiteral("s\u0142owo0 s\u0142owo1")));
  EXPECT_FALSE(editor.document()->isUndoAvailable()) << "loading is no step to undo";
  QTextCursor cursor(editor.document());
  cursor.setPosition(3);
  EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
}

TEST(RtfFormat, PlainTextStopsAtItsLimit) {
  const QByteArray rtf = ManyChanges(1 << 20);
  const QString whole = TRtfFormat::PlainText(rtf);
  EXPECT_EQ(TRtfFormat::PlainText(rtf, 100), whole.left(100));
  EXPECT_EQ(TRtfFormat::PlainText(rtf, 0), QString());
  EXPECT_EQ(TRtfFormat::PlainText("{\\rtf1 ab\\u261?c}", 3), QStringLiteral("ab\u0105"));
  EXPECT_EQ(TRtfFormat::PlainText("plain \xb3\xf3\x64\x9f", 7), QStringLiteral("plain \u0142"));
}

struct RicherCase {
  const char *name;
  QByteArray rtf;
  QString text;
};

void PrintTo(const RicherCase &c, std::ostream *os) { *os << c.name; }

class RtfFormatRicherTest : public testing::TestWithParam<RicherCase> {};

TEST_P(RtfFormatRicherTest, IsNotReadAsRichTextButKeepsItsText) {
  QTextDocument document;
  EXPECT_FALSE(TRtfFormat::Read(GetParam().rtf, document));
  EXPECT_TRUE(document.isEmpty());
  EXPECT_EQ(TRtfFormat::PlainText(GetParam().rtf), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RtfFormatRicherTest,
    testing::Values(
        RicherCase{"Picture",
                   "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n"
                   "\\viewkind4\\uc1\\pard\\f0\\fs20 Przed obrazem\\par\r\n"
                   "{\\pict\\wmetafile8\\picw100\\pich100 010009000003500000}\\par\r\npo obrazie\\par\r\n}",
                   QStringLiteral("Przed obrazem\n\npo obrazie")},
        RicherCase{"Centred", "{\\rtf1\\ansi\\pard\\qc Tytu\\'b3\\par}", QStringLiteral("Tytu\u0142")},
        RicherCase{"Truncated", "{\\rtf1\\ansi\\pard abc\\b de", QStringLiteral("abcde")},
        RicherCase{"NotRtf", "plain \xb3\xf3\x64\x9f", QStringLiteral("plain \u0142\u00f3d\u017a")},
        RicherCase{"BrokenEscape", "{\\rtf1\\ansi\\pard a\\'zz\\par", QStringLiteral("a?")}),
    [](const testing::TestParamInfo<RicherCase> &info) { return std::string(info.param.name); });

} // namespace
