#include "Win1250.h"

#include "Exceptions.h"

#include <array>
#include <memory>

namespace Win1250 {

namespace {

// The upper half of the code page; the five unassigned bytes stand for the C1 controls of the same
// number, so that every byte string survives a round trip.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// The byte of every UTF-16 unit, 0 for one the code page lacks (NUL itself is handled apart).
const std::array<unsigned char, 65536> &EncodeTable() {
  static const auto table = [] {
    auto t = std::make_unique<std::array<unsigned char, 65536>>();
    t->fill(0);
    for (int i = 1; i < 0x80; ++i)
      (*t)[std::size_t(i)] = static_cast<unsigned char>(i);
    for (int i = 0; i < 128; ++i)
      (*t)[kUpperHalf[std::size_t(i)]] = static_cast<unsigned char>(0x80 + i);
    return t;
  }();
  return *table;
}

// The byte for one UTF-16 unit, or -1.
int ByteOf(const std::array<unsigned char, 65536> &table, char16_t unit) {
  if (unit == 0)
    return 0;
  const unsigned char byte = table[unit];
  return byte == 0 ? -1 : byte;
}

} // namespace

bool CanEncode(const QString &text) {
  const std::array<unsigned char, 65536> &table = EncodeTable();
  for (const QChar c : text)
    if (ByteOf(table, c.unicode()) < 0)
      return false;
  return true;
}

qsizetype EncodeInto(QStringView text, char *out) {
  const char16_t *units = text.utf16();
  // The table is looked up once: every text field of a load passes here.
  const std::array<unsigned char, 65536> &table = EncodeTable();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int byte = ByteOf(table, units[i]);
    if (byte < 0) {
      const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      throw EConvertError(QStringLiteral("The character \"%1\" cannot be written in Windows-1250")
                              .arg(text.mid(i, length).toString()));
    }
    out[i] = static_cast<char>(byte);
  }
  return text.size();
}

QByteArray Encode(const QString &text) {
  QByteArray bytes(text.size(), Qt::Uninitialized);
  EncodeInto(text, bytes.data());
  return bytes;
}

QString Decode(const QByteArray &bytes) { return Decode(bytes.constData(), bytes.size()); }

namespace {

// Every byte's character, so that decoding is one lookup a byte without a branch.
const std::array<char16_t, 256> &DecodeTable() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 128; ++i)
      t[std::size_t(i)] = char16_t(i);
    for (int i = 0; i < 128; ++i)
      t[std::size_t(128 + i)] = kUpperHalf[std::size_t(i)];
    return t;
  }();
  return table;
}

} // namespace

void DecodeInto(const char *bytes, qsizetype size, QString &text) {
  text.resize(size);
  char16_t *out = reinterpret_cast<char16_t *>(text.data());
  const std::array<char16_t, 256> &table = DecodeTable();
  for (qsizetype i = 0; i < size; ++i)
    out[i] = table[static_cast<unsigned char>(bytes[i])];
}

QString Decode(const char *bytes, qsizetype size) {
  QString text(size, Qt::Uninitialized); // exactly the room: a resize from nothing would add some
  DecodeInto(bytes, size, text);
  return text;
}

} // namespace Win1250
