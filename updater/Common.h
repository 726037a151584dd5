#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// A set of byte values: bit n of byte n / 8 stands for the byte n.
using TCharSet = std::array<std::uint8_t, 32>;

// Splits a line of the version descriptor into tokens. Positions are 1-based; -1 once exhausted.
struct TTokenizer {
  int Position = -1;
  QByteArray Text;
  TCharSet StartSet{};
  TCharSet DelimiterSet{};
  std::uint8_t NoSkip = 0;
};

void InitTokenizer(TTokenizer &t, const QByteArray &text);
bool NextToken(TTokenizer &t, QByteArray &token);
int NextTokenBounds(const TTokenizer &t, const QByteArray &text, QByteArray &token, int from);
// The first position at or after `from` whose byte is in the set; length + 1 when there is none,
// -1 when `from` lies beyond the text.
int FindCharInSet(const QByteArray &text, int from, const TCharSet &set);

// Appends the folder separator unless the path is empty or already ends with one.
QString AddTrailingBackslash(const QString &path);
// Whether the path is the folder itself or lies below it; both clean, "/" between steps.
bool IsWithinFolder(const QString &path, const QString &folder);
