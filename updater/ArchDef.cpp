#include "ArchDef.h"

#include "Common.h"
#include "FileWrite.h"
#include "Win1250.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <zlib.h>

namespace {

std::mutex &UnCompressLock() {
  static std::mutex lock;
  return lock;
}

// Deflate cannot pack more than about 1032 bytes into one; a longer claim is a broken entry.
constexpr qint64 MaxInflateRatio = 1032;

[[noreturn]] void BrokenArchive() { throw EArchiveError(QStringLiteral("Błąd w pliku archiwum")); }

std::uint32_t SumDwords(const char *data, qint64 count) {
  std::uint32_t sum = 0;
  for (qint64 i = 0; i + 4 <= count; i += 4) {
    std::uint32_t dword;
    std::memcpy(&dword, data + i, 4);
    sum += qFromLittleEndian(dword);
  }
  return sum;
}

// A stored name that would land outside the target folder (a ".." step, a root or a drive letter), that
// names no file (an empty or "." last step), or that the file system would read otherwise (a control
// character: a NUL ends the name early).
bool ForbiddenName(const QString &name) {
  if (name.isEmpty() || name.startsWith(u'\\') || name.startsWith(u'/'))
    return true;
  if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; }))
    return true;
  if (name.size() >= 2 && name.at(1) == u':' && name.at(0).isLetter())
    return true;
  const QStringList steps = QString(name).replace(u'\\', u'/').split(u'/');
  if (steps.last().isEmpty() || steps.last() == u".")
    return true;
  return std::any_of(steps.begin(), steps.end(), [](const QString &step) { return step == u".."; });
}

// Where a member's path really lands below `base`, relative to it: every folder on the way taken as its
// links lead, the file's own name as it is, so that two roads to one file give one path. A null string
// when a folder on the way is a link that leads out of `base` or to no folder.
QString ResolveBelow(const QString &base, const QString &relative) {
  QStringList steps = relative.split(u'/', Qt::SkipEmptyParts);
  steps.removeAll(QStringLiteral("."));
  const QString root = QFileInfo(base).canonicalFilePath();
  if (root.isEmpty())
    return steps.join(u'/'); // no folder yet, so no link below it
  const QString name = steps.takeLast();
  QString path = root;
  for (const QString &step : steps) {
    const QFileInfo info(path + u'/' + step);
    if (!info.isSymLink()) {
      path = info.filePath(); // a folder, a file (refused when put in place) or nothing yet
      continue;
    }
    path = info.canonicalFilePath();
    if (path.isEmpty() || !info.isDir() || !IsWithinFolder(path, root))
      return QString();
  }
  return QDir(root).relativeFilePath(path + u'/' + name);
}

} // namespace

QString EntryName(const TArchiveEntry &entry) {
  const int length = std::min<int>(entry.Name[0], MaxEntryNameLength);
  return Win1250::Decode(QByteArray(reinterpret_cast<const char *>(entry.Name + 1), length));
}

std::uint32_t ArchiveChecksum(const QByteArray &bytes, qint64 from) {
  if (from >= bytes.size())
    return 0;
  return SumDwords(bytes.constData() + from, bytes.size() - from);
}

int UnCompress(char *dest, qint64 &destLength, const char *source, qint64 sourceLength) {
  if (destLength < 0 || sourceLength < 0)
    return Z_BUF_ERROR;
  std::lock_guard guard(UnCompressLock());
  uLongf produced = uLongf(destLength);
  const int result = uncompress(reinterpret_cast<Bytef *>(dest), &produced,
                                reinterpret_cast<const Bytef *>(source), uLong(sourceLength));
  destLength = qint64(produced);
  return result;
}

TArchiver::TArchiver()
    : FReadBuffer(new char[ArchivePieceSize]), FSourceBuffer(new char[MaxCompressedChunk]) {}

TArchiver::~TArchiver() { Close(); }

void TArchiver::Open(const QString &fileName, bool verify) {
  Close();
  FFile.setFileName(fileName);
  if (!FFile.open(QIODevice::ReadOnly))
    throw EArchiveError(QStringLiteral("Nie można otworzyć pliku archiwum: ") + fileName);
  FOpen = true;
  FHeader = {};
  ReadBuffer(reinterpret_cast<char *>(&FHeader), 6);
  if (qFromLittleEndian(FHeader.Magic) != ArchiveMagic)
    throw EArchiveError(QStringLiteral("Plik:") + fileName + QStringLiteral(" nie jest plikiem archiwum"));
  const int size = std::min<int>(qFromLittleEndian(FHeader.Size), ArchiveHeaderSize);
  Seek(0);
  ReadBuffer(reinterpret_cast<char *>(&FHeader), size);
  if (verify && ComputeChecksum() != qFromLittleEndian(FHeader.Checksum))
    throw EArchiveError(QStringLiteral("Plik:") + fileName + QStringLiteral(" jest uszkodzony"));
}

void TArchiver::Close() {
  if (!FOpen)
    return;
  FFile.close();
  FOpen = false;
}

void TArchiver::Seek(qint64 offset) {
  if (!FFile.seek(offset))
    throw EArchiveError(QStringLiteral("Błąd podczas odczytu z archiwum"));
}

void TArchiver::ReadBuffer(char *buffer, qint64 count) {
  if (FFile.read(buffer, count) != count)
    throw EArchiveError(QStringLiteral("Błąd podczas odczytu z archiwum"));
}

std::uint32_t TArchiver::ComputeChecksum() {
  std::uint32_t sum = 0;
  const qint64 from = qFromLittleEndian(FHeader.FirstEntry);
  if (from >= FFile.size())
    return sum;
  Seek(from);
  for (;;) {
    const qint64 got = FFile.read(FReadBuffer.get(), ArchivePieceSize);
    if (got < 0)
      throw EArchiveError(QStringLiteral("Błąd podczas odczytu z archiwum"));
    sum += SumDwords(FReadBuffer.get(), got);
    if (got < ArchivePieceSize)
      return sum;
  }
}

void TArchiver::CheckOpen() const {
  if (!FOpen)
    throw EArchiveError(QStringLiteral("Nie można czytać z nieotwartego archiwum"));
}

// Entries and chunk headers start with their stored size: read at most the record's own size, the
// fields beyond a shorter one stay 0.
void TArchiver::ReadSizedRecord(qint64 offset, char *record, int recordSize) {
  std::memset(record, 0, recordSize);
  Seek(offset);
  ReadBuffer(record, 2);
  std::uint16_t size;
  std::memcpy(&size, record, 2);
  Seek(offset);
  ReadBuffer(record, std::min<int>(qFromLittleEndian(size), recordSize));
}

void TArchiver::ReadEntry(qint64 offset, TArchiveEntry &entry) {
  ReadSizedRecord(offset, reinterpret_cast<char *>(&entry), ArchiveEntrySize);
  if (entry.Name[0] > MaxEntryNameLength)
    BrokenArchive();
}

bool TArchiver::FirstEntry(TArchiveEntry &entry) {
  CheckOpen();
  const qint64 offset = qFromLittleEndian(FHeader.FirstEntry);
  if (offset >= FFile.size())
    return false;
  ReadEntry(offset, entry);
  return true;
}

bool TArchiver::NextEntry(TArchiveEntry &entry) {
  CheckOpen();
  const qint64 offset = qFromLittleEndian(entry.NextEntry);
  if (offset >= FFile.size())
    return false;
  ReadEntry(offset, entry);
  if (qFromLittleEndian(entry.NextEntry) <= offset)
    BrokenArchive();
  return true;
}

// The lengths an entry claims must fit the file before anything is allocated or read.
void TArchiver::CheckEntry(const TArchiveEntry &entry) const {
  const qint64 dataOffset = qFromLittleEndian(entry.DataOffset);
  const qint64 length = qFromLittleEndian(entry.Length);
  const qint64 available = FFile.size() - dataOffset;
  if (available < 0)
    BrokenArchive();
  CheckClaim(entry);
  if (qFromLittleEndian(entry.Method) == MethodCompressed ? length > available * MaxInflateRatio
                                                          : length > available)
    BrokenArchive();
}

void TArchiver::CheckClaim(const TArchiveEntry &entry) {
  if (qFromLittleEndian(entry.Length) > MaxMemberLength)
    throw EArchiveError(
        QStringLiteral("Plik w archiwum jest większy niż %1 MiB: ").arg(MaxMemberLength >> 20) +
        EntryName(entry));
}

void TArchiver::ForEachEntry(const std::function<void(const TArchiveEntry &)> &visit) {
  TArchiveEntry entry;
  for (bool more = FirstEntry(entry); more; more = NextEntry(entry))
    if (visit)
      visit(entry);
}

void TArchiver::ReadChunkHeader(qint64 position, TChunkHeader &chunk) {
  ReadSizedRecord(position, reinterpret_cast<char *>(&chunk), ChunkHeaderSize);
  // The compressed bytes must lie after the chunk's size field, so that every chunk moves on.
  if (qFromLittleEndian(chunk.CompressedLength) > std::uint32_t(MaxCompressedChunk) ||
      qFromLittleEndian(chunk.Offset) < position + 2)
    BrokenArchive();
}

qint64 TArchiver::DecodeMember(const TArchiveEntry &entry, const TSink &sink,
                               const QString &decompressError) {
  const qint64 length = qFromLittleEndian(entry.Length);
  const bool compressed = qFromLittleEndian(entry.Method) == MethodCompressed;
  char *const piece = FReadBuffer.get();
  qint64 total = 0;
  qint64 position = qFromLittleEndian(entry.DataOffset);
  if (!compressed)
    Seek(position);
  for (;;) {
    qint64 produced;
    if (compressed) {
      TChunkHeader chunk;
      ReadChunkHeader(position, chunk);
      const qint64 sourceLength = qFromLittleEndian(chunk.CompressedLength);
      Seek(qFromLittleEndian(chunk.Offset));
      ReadBuffer(FSourceBuffer.get(), sourceLength);
      DecodeBuffer(FSourceBuffer.get(), sourceLength);
      produced = ArchivePieceSize;
      if (UnCompress(piece, produced, FSourceBuffer.get(), sourceLength) < 0)
        throw EArchiveError(decompressError);
      position = FFile.pos();
    } else {
      produced = std::min<qint64>(length - total, ArchivePieceSize);
      ReadBuffer(piece, produced);
      DecodeBuffer(piece, produced);
    }
    if (produced > length - total)
      BrokenArchive();
    sink(piece, produced);
    total += produced;
    if (produced < ArchivePieceSize)
      break;
  }
  if (total != length)
    BrokenArchive();
  return total;
}

QByteArray TArchiver::ExtractToMemory(const TArchiveEntry &entry) {
  CheckOpen();
  BeginMember(QString(), entry);
  CheckEntry(entry);
  // Nothing is reserved for the claimed length: the memory grows with what really decodes.
  QByteArray data;
  DecodeMember(
      entry, [&](const char *bytes, qint64 count) { data.append(bytes, qsizetype(count)); },
      QStringLiteral(" Błąd podczas dekompresji pliku: ") + EntryName(entry));
  return data;
}

QString TArchiver::TargetPath(const QString &folder, const TArchiveEntry &entry) {
  const QString name = EntryName(entry);
  if (ForbiddenName(name))
    throw EArchiveError(ForbiddenNameMessage(entry));
  const QString base = folder.isEmpty() ? QDir::currentPath() : folder;
  const QString resolved = ResolveBelow(base, QString(name).replace(u'\\', u'/'));
  if (resolved.isNull())
    throw EArchiveError(ForbiddenNameMessage(entry));
  return AddTrailingBackslash(base) + resolved;
}

QString TArchiver::ForbiddenNameMessage(const TArchiveEntry &entry) {
  return QStringLiteral("Niedozwolona nazwa pliku w archiwum: ") + EntryName(entry);
}

void TArchiver::ExtractToFile(const QString &folder, const TArchiveEntry &entry, QFileDevice *target) {
  CheckOpen();
  const QString withSlash = AddTrailingBackslash(folder);
  const QString path = TargetPath(withSlash, entry);
  CheckEntry(entry);
  BeginMember(withSlash, entry);
  const QString writeError = QStringLiteral("Błąd podczas zapisu do pliku: ") + path;
  QSaveFile own(path);
  QFileDevice *file = target;
  if (file) {
    if (!file->seek(0))
      throw EArchiveError(writeError);
  } else {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!own.open(QIODevice::WriteOnly))
      throw EArchiveError(
          WithSystemReason(QStringLiteral("Nie można utworzyć pliku: ") + path, own.errorString()));
    file = &own;
  }
  const qint64 written = DecodeMember(
      entry,
      [&](const char *data, qint64 count) {
        if (!WriteFully(*file, QByteArrayView(data, count)))
          throw EArchiveError(WithSystemReason(writeError, file->errorString()));
      },
      QStringLiteral("Błąd podczas dekompresji pliku: ") + path);
  if (target ? !target->resize(written) : !own.commit())
    throw EArchiveError(WithSystemReason(writeError, file->errorString()));
}
