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

// The member's pieces: `size` bytes each (1 MiB in a sound package), and a short (possibly empty)
// one last, so that the reader knows where the member ends.
std::vector<QByteArray> Pieces(const QByteArray &data, qint64 size) {
  std::vector<QByteArray> pieces;
  qint64 at = 0;
  do {
    pieces.push_back(data.mid(at, size));
    at += size;
  } while (pieces.back().size() == size);
  return pieces;
}

QByteArray Deflate(const QByteArray &piece) {
  uLongf length = compressBound(uLong(piece.size()));
  QByteArray packed(qsizetype(length), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef *>(packed.data()), &length,
                reinterpret_cast<const Bytef *>(piece.constData()), uLong(piece.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw Exception(QStringLiteral("Compression failed"));
  packed.truncate(qsizetype(length));
  return packed;
}

// Raw deflate blocks of `count` zero bytes that need no earlier data; with `last` they end the stream.
QByteArray RawZeroBlocks(qint64 count, bool last) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw Exception(QStringLiteral("Compression failed"));
  QByteArray zeros(qsizetype(count), '\0');
  QByteArray out(qsizetype(deflateBound(&stream, uLong(count)) + 16), Qt::Uninitialized);
  stream.next_in = reinterpret_cast<Bytef *>(zeros.data());
  stream.avail_in = uInt(count);
  stream.next_out = reinterpret_cast<Bytef *>(out.data());
  stream.avail_out = uInt(out.size());
  const int result = deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
  out.truncate(qsizetype(out.size() - stream.avail_out));
  deflateEnd(&stream);
  if (result != (last ? Z_STREAM_END : Z_OK))
    throw Exception(QStringLiteral("Compression failed"));
  return out;
}

// Zero bytes in the chunks a sound package has, one deflated piece shared by all full chunks: a member
// of gigabytes without holding them.
std::vector<QByteArray> ZeroChunks(qint64 count) {
  std::vector<QByteArray> chunks(std::size_t(count / ArchivePieceSize),
                                 Deflate(QByteArray(ArchivePieceSize, '\0')));
  chunks.push_back(Deflate(QByteArray(qsizetype(count % ArchivePieceSize), '\0')));
  return chunks;
}

// The member's chunks as they go into the package, before scrambling.
std::vector<QByteArray> Chunks(const TPackageMember &member, bool compressed, int index,
                               const TPackageDamage &damage) {
  if (damage.ZeroChunkEntry == index)
    return {ZeroStream(damage.ZeroChunkLength)};
  if (damage.ZeroMemberEntry == index)
    return ZeroChunks(damage.ZeroMemberLength);
  const qint64 size = damage.ChunkSizeEntry == index ? damage.ChunkSize : ArchivePieceSize;
  if (size <= 0)
    throw Exception(QStringLiteral("A chunk size must be positive"));
  std::vector<QByteArray> chunks = Pieces(member.Data, size);
  if (compressed)
    for (QByteArray &chunk : chunks)
      chunk = Deflate(chunk);
  return chunks;
}

void AppendData(QByteArray &out, std::vector<QByteArray> chunks, bool compressed, bool oversizedChunk) {
  TUpgradeArchiver key;
  key.ResetKey();
  bool firstChunk = true;
  for (QByteArray &bytes : chunks) {
    key.ApplyKey(bytes.data(), bytes.size());
    if (compressed) {
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
  const bool zeroChunk = damage.ZeroChunkEntry == index, zeroMember = damage.ZeroMemberEntry == index;
  const bool compressed = member.Compressed || zeroChunk || zeroMember;
  const qint64 entryOffset = out.size();
  out.append(ArchiveEntrySize, '\0');
  AppendData(out, Chunks(member, compressed, index, damage), compressed, damage.OversizedChunkEntry == index);
  auto *entry = At<TArchiveEntry>(out, entryOffset);
  entry->Size = qToLittleEndian<std::uint16_t>(ArchiveEntrySize);
  entry->Name[0] = damage.NameLengthEntry == index ? damage.NameLength : std::uint8_t(name.size());
  std::memcpy(entry->Name + 1, name.constData(), name.size());
  entry->Method = qToLittleEndian<std::uint16_t>(compressed ? MethodCompressed : 0);
  const qint64 length = damage.ClaimEntry == index ? damage.ClaimedLength
                        : zeroChunk                ? damage.ZeroChunkLength
                        : zeroMember               ? damage.ZeroMemberLength
                                                   : member.Data.size();
  entry->Length = qToLittleEndian(std::uint32_t(length));
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

// 16 compressed MiB of zeros, repeated: a full flush leaves each copy on a byte boundary and needing no
// earlier data, so the copies string together into one stream. Longer runs between flushes pack
// tighter: 2 GiB take about 2 MB this way.
QByteArray ZeroStream(qint64 count) {
  constexpr qint64 Run = 16 << 20;
  if (count < 0)
    throw Exception(QStringLiteral("Negative length"));
  QByteArray stream("\x78\xDA", 2);
  if (count >= Run) {
    const QByteArray run = RawZeroBlocks(Run, false);
    for (qint64 i = 0; i < count / Run; ++i)
      stream.append(run);
  }
  stream.append(RawZeroBlocks(count % Run, true));
  // Adler-32 of zeros: the first sum stays 1, the second grows by 1 a byte.
  const std::uint32_t adler = (std::uint32_t(count % 65521) << 16) | 1u;
  const std::uint32_t bigEndian = qToBigEndian(adler);
  stream.append(reinterpret_cast<const char *>(&bigEndian), 4);
  return stream;
}

QByteArray WithVersion(QByteArray image, std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                       std::uint16_t build) {
  TVersionBlock block;
  FindMarkedBlock(image.data(), image.size(), block, true);
  VersionBlock::SetVersion(block.Bytes.Value, major, minor, release, build);
  FindMarkedBlock(image.data(), image.size(), block, false);
  return image;
}
