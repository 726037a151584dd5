#include "Common.h"

namespace {

// Letters (with the Polish ones of Windows-1250), digits and a few signs that may start a token.
constexpr TCharSet TokenStartSet = {0x00, 0x00, 0x00, 0x00, 0x04, 0x35, 0xFF, 0x83, 0xFE, 0xFF, 0xFF,
                                    0x87, 0xFE, 0xFF, 0xFF, 0x07, 0x40, 0xB0, 0x27, 0xD1, 0xFF, 0x80,
                                    0x08, 0x82, 0x40, 0x04, 0x0A, 0x00, 0x40, 0x04, 0x0A, 0x00};

constexpr TCharSet TokenDelimiterSet = [] {
  TCharSet set{};
  set['\t' / 8] |= 1 << ('\t' % 8);
  set[' ' / 8] |= 1 << (' ' % 8);
  return set;
}();

bool InSet(const TCharSet &set, std::uint8_t c) { return set[c / 8] & (1 << (c % 8)); }

} // namespace

void InitTokenizer(TTokenizer &t, const QByteArray &text) {
  t.Position = 1;
  t.Text = text;
  t.StartSet = TokenStartSet;
  t.DelimiterSet = TokenDelimiterSet;
  t.NoSkip = 0;
}

bool NextToken(TTokenizer &t, QByteArray &token) {
  if (t.Position < 0)
    return false;
  t.Position = NextTokenBounds(t, t.Text, token, t.Position);
  return t.Position >= 0;
}

int NextTokenBounds(const TTokenizer &t, const QByteArray &text, QByteArray &token, int from) {
  if (!t.NoSkip)
    from = FindCharInSet(text, from, t.StartSet);
  if (from < 0)
    return -1;
  const int to = FindCharInSet(text, from, t.DelimiterSet);
  if (to < 0)
    return -1;
  token = text.mid(from - 1, to - from);
  return t.NoSkip ? to + 1 : to;
}

int FindCharInSet(const QByteArray &text, int from, const TCharSet &set) {
  if (from > text.size())
    return -1;
  for (int i = from; i <= text.size(); ++i)
    if (InSet(set, std::uint8_t(text.at(i - 1))))
      return i;
  return int(text.size()) + 1;
}

QString AddTrailingBackslash(const QString &path) {
  if (path.isEmpty() || path.endsWith(u'/'))
    return path;
  return path + u'/';
}

bool IsWithinFolder(const QString &path, const QString &folder) {
  return path == folder || path.startsWith(AddTrailingBackslash(folder));
}
