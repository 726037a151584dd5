#include "UpgWriter.h"

#include "ArchDef.h"
#include "TextFile.h"
#include "Upg.h"
#include "Win1250.h"

#include <QtEndian>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <zlib.h>

namespace {

template <class Record> Record *At(QByteArray &bytes, qint64 offset) {
  return reinterpret_cast<Record *>(bytes.data() + offset);
}

// The member's pieces: 1 MiB each, and a short (possibly empty) one last, so that the reader knows
// where the member ends.
std::vector<QByteArray> Pieces(const QByteArray &data) {
  std::vector<QByteArray> pieces;
  qint64 at = 0;
  do {
    pieces.push_back(data.mid(at, ArchivePieceSize));
    at += ArchivePieceSize;
  } while (pieces.back().size() == ArchivePieceSize);
  return pieces;
}

QByteArray Deflate(const QByteArray &piece) {
  uLongf length = compressBound(uLong(piece.size()));
  QByteArray packed(qsizetype(length), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef *>(packed.data()), &length,
                reinterpret_cast<const Bytef *>(piece.constData()), uLong(piece.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw Exception(QStringLiteral("Compression failed"));
  packed.truncate(qsizetype(length));
  return packed;
}

void AppendData(QByteArray &out, const TPackageMember &member, bool oversizedChunk) {
  TUpgradeArchiver key;
  key.ResetKey();
  bool firstChunk = true;
  for (const QByteArray &piece : Pieces(member.Data)) {
    QByteArray bytes = member.Compressed ? Deflate(piece) : piece;
    key.ApplyKey(bytes.data(), bytes.size());
    if (member.Compressed) {
      const qint64 at = out.size();
      out.append(ChunkHeaderSize, '\0');
      auto *chunk = At<TChunkHeader>(out, at);
      chunk->Size = qToLittleEndian<std::uint16_t>(ChunkHeaderSize);
      const std::uint32_t claimed = oversizedChunk && firstChunk ? MaxCompressedChunk + 1 : bytes.size();
      chunk->CompressedLength = qToLittleEndian(claimed);
      chunk->Offset = qToLittleEndian(std::uint32_t(at + ChunkHeaderSize));
      firstChunk = false;
    }
    out.append(bytes);
  }
}

void AppendMember(QByteArray &out, const TPackageMember &member, int index, const TPackageDamage &damage) {
  const QByteArray name = Win1250::Encode(member.Name);
  if (name.size() > MaxEntryNameLength)
    throw Exception(QStringLiteral("Member name too long: ") + member.Name);
  const qint64 entryOffset = out.size();
  out.append(ArchiveEntrySize, '\0');
  AppendData(out, member, damage.OversizedChunkEntry == index);
  auto *entry = At<TArchiveEntry>(out, entryOffset);
  entry->Size = qToLittleEndian<std::uint16_t>(ArchiveEntrySize);
  entry->Name[0] = damage.NameLengthEntry == index ? damage.NameLength : std::uint8_t(name.size());
  std::memcpy(entry->Name + 1, name.constData(), name.size());
  entry->Method = qToLittleEndian<std::uint16_t>(member.Compressed ? MethodCompressed : 0);
  entry->Length = qToLittleEndian(std::uint32_t(member.Data.size()));
  entry->DataOffset = qToLittleEndian(std::uint32_t(entryOffset + ArchiveEntrySize));
  const qint64 next = damage.BackPointingEntry == index ? entryOffset : out.size();
  entry->NextEntry = qToLittleEndian(std::uint32_t(next));
}

} // namespace

QByteArray BuildPackage(const std::vector<TPackageMember> &members, const TPackageDamage &damage) {
  QByteArray out(ArchiveHeaderSize, '\0');
  for (size_t i = 0; i < members.size(); ++i)
    AppendMember(out, members[i], int(i), damage);
  if (damage.TruncateTo >= 0)
    out.truncate(std::max<qint64>(damage.TruncateTo, ArchiveHeaderSize));
  auto *header = At<TArchiveHeader>(out, 0);
  header->Magic = qToLittleEndian(ArchiveMagic);
  header->Size = qToLittleEndian<std::uint16_t>(ArchiveHeaderSize);
  header->FirstEntry = qToLittleEndian<std::uint32_t>(ArchiveHeaderSize);
  header->Checksum = qToLittleEndian(ArchiveChecksum(out, ArchiveHeaderSize));
  if (damage.BadMagic)
    out[0] = 'X';
  if (damage.BadChecksum && !members.empty())
    out[ArchiveHeaderSize + offsetof(TArchiveEntry, Reserved)] ^= 0x01;
  return out;
}

void WritePackage(const QString &fileName, const std::vector<TPackageMember> &members,
                  const TPackageDamage &damage) {
  TextFile::WriteBytes(fileName, BuildPackage(members, damage));
}

QByteArray WithVersion(QByteArray image, std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                       std::uint16_t build) {
  TVersionBlock block;
  FindMarkedBlock(image.data(), image.size(), block, true);
  VersionBlock::SetVersion(block.Bytes.Value, major, minor, release, build);
  FindMarkedBlock(image.data(), image.size(), block, false);
  return image;
}
