#pragma once

#include "Exceptions.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// Every error of the update package reader.
class EArchiveError : public Exception {
public:
  using Exception::Exception;
};

inline constexpr std::uint32_t ArchiveMagic = 0x315A4741; // "AGZ1"
inline constexpr int ArchiveHeaderSize = 82;
inline constexpr int ArchiveEntrySize = 104;
inline constexpr int ChunkHeaderSize = 10;
inline constexpr int MaxEntryNameLength = 79;
inline constexpr int MethodCompressed = 2;
// A stored piece and an inflated chunk are at most this long; a shorter one ends the member.
inline constexpr int ArchivePieceSize = 1 << 20;
// The largest compressed chunk the reader accepts.
inline constexpr int MaxCompressedChunk = 2 << 20;
// The most a member may claim: far beyond any build of the program, and refused before a byte of it is
// decoded, so that a small package cannot make the updater hold or write gigabytes.
inline constexpr qint64 MaxMemberLength = qint64(256) << 20;

#pragma pack(push, 1)
struct TArchiveHeader {
  std::uint32_t Magic;
  std::uint16_t Size;
  std::uint32_t Checksum;
  std::uint8_t Reserved[68];
  std::uint32_t FirstEntry;
};

struct TArchiveEntry {
  std::uint16_t Size;
  std::uint8_t Name[80]; // length byte, then up to 79 Windows-1250 characters
  std::uint16_t Method;
  std::uint32_t Length;
  std::uint8_t Reserved[8];
  std::uint32_t NextEntry;
  std::uint32_t DataOffset;
};

struct TChunkHeader {
  std::uint16_t Size;
  std::uint32_t CompressedLength;
  std::uint32_t Offset;
};
#pragma pack(pop)
static_assert(sizeof(TArchiveHeader) == ArchiveHeaderSize);
static_assert(sizeof(TArchiveEntry) == ArchiveEntrySize);
static_assert(sizeof(TChunkHeader) == ChunkHeaderSize);

// The stored name of an entry, "\" separators as they are in the package.
QString EntryName(const TArchiveEntry &entry);
// The checksum of a package: the sum of its little-endian dwords from `from` to the end; 1-3 bytes
// left at the end do not count.
std::uint32_t ArchiveChecksum(const QByteArray &bytes, qint64 from);

// Inflates `source` into `dest`; `destLength` is the capacity going in and the bytes produced coming
// out. A negative result is a failure, also for a negative length. One lock serialises all calls.
int UnCompress(char *dest, qint64 &destLength, const char *source, qint64 sourceLength);

// Reads an update package. The transformation hooks do nothing here; descendants fill them in.
class TArchiver {
public:
  TArchiver();
  virtual ~TArchiver();
  TArchiver(const TArchiver &) = delete;
  TArchiver &operator=(const TArchiver &) = delete;

  void Open(const QString &fileName, bool verify);
  void Close();

  bool FirstEntry(TArchiveEntry &entry);
  bool NextEntry(TArchiveEntry &entry);
  // Reads the whole chain of entries, handing each to `visit`; raises when the chain breaks off or
  // loops. Decodes no member.
  void ForEachEntry(const std::function<void(const TArchiveEntry &)> &visit = {});
  // Raises when the member claims more than a member may.
  static void CheckClaim(const TArchiveEntry &entry);

  // The member's decoded bytes.
  QByteArray ExtractToMemory(const TArchiveEntry &entry);
  // Writes the member below `folder` under its stored name, or into `target` when given (from its
  // start, cut at the end; nothing is created below `folder` then, which only names the member in
  // errors). A file of its own is written whole or not at all.
  void ExtractToFile(const QString &folder, const TArchiveEntry &entry, QFileDevice *target = nullptr);
  // Where ExtractToFile puts the member: the folders on the way as their links lead, so that every road
  // to one file gives one path. Raises for a name that names no file or would leave the folder, by its
  // steps or through a symbolic link on the way.
  static QString TargetPath(const QString &folder, const TArchiveEntry &entry);
  // The refusal of a member's name.
  static QString ForbiddenNameMessage(const TArchiveEntry &entry);

  virtual void ResetKey() {}
  virtual void ApplyKey(char *, qint64) {}
  virtual void BeginMember(const QString &, const TArchiveEntry &) {}
  virtual void DecodeBuffer(char *, qint64) {}

protected:
  void ReadBuffer(char *buffer, qint64 count);
  void ReadEntry(qint64 offset, TArchiveEntry &entry);

private:
  using TSink = std::function<void(const char *data, qint64 count)>;
  void CheckOpen() const;
  void CheckEntry(const TArchiveEntry &entry) const;
  void Seek(qint64 offset);
  void ReadSizedRecord(qint64 offset, char *record, int recordSize);
  void ReadChunkHeader(qint64 position, TChunkHeader &chunk);
  // The one decoding of a member, for memory and file alike: reads it in the pieces or chunks that the
  // scrambling depends on, decodes each into the 1 MiB read buffer (a chunk gets no more room than
  // that) and hands it to `sink`. Raises when a piece would pass the member's length or the member
  // ends short of it; returns the decoded length.
  qint64 DecodeMember(const TArchiveEntry &entry, const TSink &sink, const QString &decompressError);
  std::uint32_t ComputeChecksum();

  std::unique_ptr<char[]> FReadBuffer;
  std::unique_ptr<char[]> FSourceBuffer;
  QFile FFile;
  bool FOpen = false;
  TArchiveHeader FHeader{};
};
