#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

// What the version descriptor "meridox_sec.ver" offers for the installed version.
enum class TDescriptorOutcome {
  Found,    // Address names the package to download
  NotFound, // the whole file was read and no line fits
  Stopped,  // reading stopped early (a malformed line, or the person declined an older version)
};

struct TDescriptorResult {
  TDescriptorOutcome Outcome = TDescriptorOutcome::NotFound;
  QString Address;
};

// The descriptor's lines, CR LF or LF ended.
QList<QByteArray> SplitDescriptorLines(const QByteArray &content);

// Reads the descriptor's lines; false when the file cannot be opened.
bool ReadDescriptorLines(const QString &fileName, QList<QByteArray> &lines);

// Looks for the line "P major.minor address" of the installed major. A minor that is not above the
// installed one is taken only when confirmNotNewer says so. A version that is not a number raises
// EConvertError.
TDescriptorResult FindUpgrade(const QList<QByteArray> &lines, std::uint16_t installedMajor,
                              std::uint16_t installedMinor, const std::function<bool()> &confirmNotNewer);
