#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// One file of an update package. The first member of a package is the new program image.
struct TPackageMember {
  QString Name; // relative to the program's folder, "\" between folders
  QByteArray Data;
  bool Compressed = true;
};

// Deliberate damage, so that tests can show how the reader refuses a package. Indexes are member
// indexes; -1 leaves that member alone.
struct TPackageDamage {
  bool BadMagic = false;
  bool BadChecksum = false;     // one byte of the first entry's reserved area is changed afterwards
  int BackPointingEntry = -1;   // its next-entry offset points at itself
  int OversizedChunkEntry = -1; // its first chunk claims more than the reader's 2 MiB source buffer
  int NameLengthEntry = -1;     // its name's length byte becomes NameLength
  std::uint8_t NameLength = 0;
  qint64 TruncateTo = -1; // the package is cut to this size before its checksum is sealed
  int ClaimEntry = -1;    // its entry claims ClaimedLength in place of its data's length
  std::uint32_t ClaimedLength = 0;
  int ChunkSizeEntry = -1; // it is cut into chunks of ChunkSize decoded bytes in place of 1 MiB
  qint64 ChunkSize = 0;
  int ZeroChunkEntry = -1; // its data is one chunk that inflates to ZeroChunkLength zero bytes
  qint64 ZeroChunkLength = 0;
  int ZeroMemberEntry = -1; // its data is ZeroMemberLength zero bytes in sound 1 MiB chunks
  qint64 ZeroMemberLength = 0;
};

// Builds the package bytes: header, entries, stored or compressed data in 1 MiB pieces or chunks,
// every data byte scrambled as the reader expects, and the checksum.
QByteArray BuildPackage(const std::vector<TPackageMember> &members, const TPackageDamage &damage = {});
void WritePackage(const QString &fileName, const std::vector<TPackageMember> &members,
                  const TPackageDamage &damage = {});

// A zlib stream that inflates to `count` zero bytes, built without holding them.
QByteArray ZeroStream(qint64 count);

// A copy of the image whose version block carries another version.
QByteArray WithVersion(QByteArray image, std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                       std::uint16_t build);
