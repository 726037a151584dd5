// The update package as upgrade reads it: any bytes, from a file or from the network.
//
// The seeds in corpus/update_package were made by tools/mkupg from a small image that carries a
// version block: sound packages (image only; image with stored and compressed files below folders; a
// stored image of an older version) and the crafted ones that once overran the reader: an image
// claiming 2 GiB + 16 bytes whose one chunk inflates past that (--claim 0:2147483664 --zero-chunk
// 0:2148532224), and a further file whose chunk holds 1.5 MiB (--chunk-size 1:1572864). Hostile ones
// too: further files named "meridox_sec.bak", "meridox_sec", ".\meridox_sec", an absolute path and a
// path into a staging folder, and members of 300 MiB of zeros in sound chunks (--zero-member), past
// what a member may claim. The install folder holds links that lead back into it ("self" to itself,
// "sub\up" to its parent) and one that names the program ("prog"): seeds name further files through
// them ("self\meridox_sec", "sub\up\meridox_sec.bak", "self\.upgrade-AbCdEf\x", "prog"), and names of
// no file ("docs\", ".", "docs\."). Also a package cut short as a broken download leaves it, and an
// image that does not decode before a member past the bound (--oversized-chunk 0 --zero-member).
#include "ArchDef.h"
#include "Exceptions.h"
#include "UpdaterTestHelpers.h"
#include "Upg.h"
#include "UpgradeInstaller.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char *what) {
  std::fprintf(stderr, "update_package: %s\n", what);
  std::abort();
}

void Put(const QString &path, const QByteArray &bytes) {
  if (!WriteTestFile(path, bytes))
    Fail("cannot write the input");
}

// Every member decoded to memory, whatever the checksum says; the reader raises only its own error.
void ReadMembers(const QString &package) {
  try {
    TUpgradeArchiver archiver;
    archiver.Open(package, false);
    TArchiveEntry entry;
    for (bool more = archiver.FirstEntry(entry); more; more = archiver.NextEntry(entry))
      archiver.ExtractToMemory(entry);
  } catch (const EArchiveError &) {
  }
}

// The input with its checksum made right where the header allows, so that changed bytes reach the
// installer's later steps and not only its checksum test.
QByteArray Sealed(QByteArray bytes) {
  if (bytes.size() < ArchiveHeaderSize)
    return bytes;
  TArchiveHeader header;
  std::memcpy(&header, bytes.constData(), ArchiveHeaderSize);
  const qint64 from = qFromLittleEndian(header.FirstEntry);
  // a shorter header reads the first entry's offset as 0, and a sum from below 10 takes in itself
  if (qFromLittleEndian(header.Size) < ArchiveHeaderSize || from < 10)
    return bytes;
  header.Checksum = qToLittleEndian(ArchiveChecksum(bytes, from));
  std::memcpy(bytes.data(), &header, ArchiveHeaderSize);
  return bytes;
}

void Link(const char *target, const QString &link) {
  if (::symlink(target, QFile::encodeName(link).constData()) != 0)
    Fail("cannot make a link");
}

// A program with its version block is in place, the old one is the backup, the links are still links.
void CheckInstalled(const QString &folder, const QString &backup, const QByteArray &old) {
  try {
    ImageVersionBlock(ReadFile(folder + QStringLiteral("/meridox_sec")));
  } catch (const Exception &) {
    Fail("no program is in place");
  }
  if (ReadFile(backup) != old)
    Fail("the old program was not kept as the backup");
  for (const char *link : {"self", "sub/up", "prog"})
    if (!QFileInfo(folder + u'/' + QString::fromLatin1(link)).isSymLink())
      Fail("a link was taken away");
}

// The whole upgrade over an installed program of version 1.0, in a folder with links leading back into
// it: it installs and keeps the old program as the backup, or it refuses and leaves the folder as it
// was; nothing lands beside the folder.
void Install(const QTemporaryDir &dir, const QString &package) {
  const QString folder = dir.filePath(QStringLiteral("inst"));
  QDir(folder).removeRecursively();
  if (!QDir().mkpath(folder + QStringLiteral("/sub")))
    Fail("cannot make the install folder");
  const QString program = folder + QStringLiteral("/meridox_sec");
  const QByteArray image = FakeImage(1, 0, "installed program");
  Put(program, image);
  Link(".", folder + QStringLiteral("/self"));
  Link("..", folder + QStringLiteral("/sub/up"));
  Link("meridox_sec", folder + QStringLiteral("/prog"));
  const auto before = FolderState(folder);
  try {
    TUpgradeInstaller installer(program, package);
    installer.OnConfirmNotNewer = [] { return true; };
    if (installer.Execute(image))
      CheckInstalled(folder, installer.BackupPath(), image);
  } catch (const Exception &) {
    if (FolderState(folder) != before)
      Fail("a refused package changed the install folder");
  }
  if (QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() != 2)
    Fail("a file landed beside the install folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const QTemporaryDir dir;
  if (!dir.isValid())
    Fail("no temporary folder");
  const QString package = dir.filePath(QStringLiteral("meridox_sec.upg"));
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  Put(package, bytes);
  ReadMembers(package);
  Put(package, Sealed(bytes));
  Install(dir, package);
  return 0;
}
