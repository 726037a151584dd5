#pragma once

#include <QByteArray>
#include <QString>

// Text crosses the programs' boundaries (files, the database connection) as Windows-1250 bytes.
namespace Win1250 {

// Raises EConvertError naming the first character that Windows-1250 cannot hold.
QByteArray Encode(const QString &text);
// Encodes into out, which has room for text.size() bytes; answers the count written.
qsizetype EncodeInto(QStringView text, char *out);
QString Decode(const QByteArray &bytes);
QString Decode(const char *bytes, qsizetype size);
// Decodes into text, keeping its memory when it holds enough (a reader that decodes line after line).
void DecodeInto(const char *bytes, qsizetype size, QString &text);
bool CanEncode(const QString &text);

} // namespace Win1250
