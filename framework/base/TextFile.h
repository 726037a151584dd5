#pragma once

#include <QString>
#include <QStringList>

// Whole-file text I/O in the programs' file convention: Windows-1250 bytes, CR LF line ends.
namespace TextFile {

// Reads all lines; LF, CR LF and CR all end a line. Raises EInOutError when the file cannot be read.
QStringList ReadLines(const QString &fileName);
bool Exists(const QString &fileName);

// Joins lines with CR LF after each, encodes them and writes the file whole.
QByteArray EncodeLines(const QStringList &lines);

// Writes through a temporary file in the same folder and renames it into place, so that the old file
// stays intact when anything fails. Raises EInOutError or EConvertError.
void WriteLines(const QString &fileName, const QStringList &lines);
void WriteBytes(const QString &fileName, const QByteArray &bytes);

} // namespace TextFile
