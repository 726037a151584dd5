#pragma once

#include "UpgWriter.h"

#include <QByteArray>
#include <QString>
#include <map>

// A program image with junk around its version block.
QByteArray FakeImage(std::uint16_t major, std::uint16_t minor, const QByteArray &filler = "image body");
// Bytes of the given length that deflate does not shrink much.
QByteArray NoiseBytes(qsizetype length, unsigned seed = 1);

// Writes the file whole; false when it cannot.
bool WriteTestFile(const QString &path, const QByteArray &bytes);
// The file's bytes, or "(missing)".
QByteArray ReadFile(const QString &path);
// Runs a program and returns what it printed, trimmed.
QString RunProgram(const QString &path);

// Every file and folder below the folder with its bytes and permissions, to show that nothing changed.
struct TFileState {
  QByteArray Bytes;
  int Permissions = 0;
  bool operator==(const TFileState &) const = default;
};
std::map<QString, TFileState> FolderState(const QString &folder);
