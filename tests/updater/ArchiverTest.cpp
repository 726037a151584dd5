#include "ArchDef.h"
#include "UpdaterTestHelpers.h"
#include "Upg.h"
#include "UpgWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>

namespace {

class ArchiverTest : public testing::Test {
protected:
  QString Package(const std::vector<TPackageMember> &members, const TPackageDamage &damage = {}) {
    const QString path = dir.filePath(QStringLiteral("meridox_sec.upg"));
    WritePackage(path, members, damage);
    return path;
  }
  // Rewrites the package with one entry field changed and the checksum sealed again.
  QString PatchedPackage(const std::vector<TPackageMember> &members,
                         const std::function<void(TArchiveEntry &)> &patch) {
    QByteArray bytes = BuildPackage(members);
    patch(*reinterpret_cast<TArchiveEntry *>(bytes.data() + ArchiveHeaderSize));
    reinterpret_cast<TArchiveHeader *>(bytes.data())->Checksum =
        qToLittleEndian(ArchiveChecksum(bytes, ArchiveHeaderSize));
    const QString path = dir.filePath(QStringLiteral("patched.upg"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
  }
  static std::vector<QByteArray> ReadAll(TUpgradeArchiver &archiver) {
    std::vector<QByteArray> data;
    TArchiveEntry entry;
    for (bool more = archiver.FirstEntry(entry); more; more = archiver.NextEntry(entry))
      data.push_back(archiver.ExtractToMemory(entry));
    return data;
  }
  static QString ErrorOf(const std::function<void()> &work) {
    try {
      work();
    } catch (const EArchiveError &e) {
      return e.Message();
    }
    return QStringLiteral("(no error)");
  }

  QTemporaryDir dir;
  TUpgradeArchiver archiver;
};

// Worked out by hand from the generator (seed * 134775813 + 1, high half of 256 * seed) and the
// second draw at every index divisible by 59, starting from the seed 0x3A9C5E17.
TEST_F(ArchiverTest, KeystreamMatchesTheGeneratorFormula) {
  const unsigned char first[64] = {
      0x5B, 0xC8, 0x54, 0x31, 0x34, 0xE4, 0x68, 0x74, 0xBF, 0x75, 0xCD, 0xCE, 0x55, 0xF1, 0x1F, 0x9D,
      0xFF, 0x4D, 0xDB, 0xA8, 0x16, 0x5A, 0x30, 0xEB, 0xB3, 0x19, 0x77, 0xAB, 0x6E, 0xB0, 0x03, 0x21,
      0x45, 0x0C, 0x2B, 0x6B, 0xA6, 0x5E, 0xC1, 0x90, 0xFF, 0x01, 0x63, 0xB9, 0x48, 0x6E, 0x4A, 0xFA,
      0x66, 0x50, 0x90, 0x4A, 0x67, 0xE7, 0x05, 0x7E, 0xE9, 0x35, 0x19, 0x36, 0xBC, 0x71, 0x9C, 0xDF};
  // The next buffer restarts its index (a double draw at once) but the generator runs on.
  const unsigned char second[8] = {0x1B, 0xE2, 0xEB, 0x41, 0x95, 0x3D, 0xD5, 0x51};
  QByteArray a(64, '\0'), b(8, '\0');
  archiver.BeginMember(QString(), TArchiveEntry{});
  archiver.DecodeBuffer(a.data(), a.size());
  archiver.DecodeBuffer(b.data(), b.size());
  EXPECT_EQ(a, QByteArray(reinterpret_cast<const char *>(first), 64));
  EXPECT_EQ(b, QByteArray(reinterpret_cast<const char *>(second), 8));

  QByteArray again(64, '\0');
  archiver.BeginMember(QString(), TArchiveEntry{});
  archiver.ApplyKey(again.data(), again.size());
  EXPECT_EQ(again, a) << "every member starts the keystream anew";
}

struct RoundTripCase {
  const char *Label;
  qsizetype Length;
  bool Compressed;
};

void PrintTo(const RoundTripCase &c, std::ostream *os) { *os << c.Label; }

class ArchiverRoundTrip : public ArchiverTest, public testing::WithParamInterface<RoundTripCase> {};

TEST_P(ArchiverRoundTrip, WriterOutputReadsBackToMemoryAndFile) {
  const RoundTripCase c = GetParam();
  const QByteArray data = NoiseBytes(c.Length, unsigned(c.Length));
  const QByteArray other = "second member";
  archiver.Open(Package({{QStringLiteral("meridox_sec"), data, c.Compressed},
                         {QStringLiteral("sub\\dir\\other.txt"), other, !c.Compressed}}),
                true);
  EXPECT_EQ(ReadAll(archiver), (std::vector<QByteArray>{data, other}));

  TArchiveEntry entry;
  ASSERT_TRUE(archiver.FirstEntry(entry));
  EXPECT_EQ(EntryName(entry), QStringLiteral("meridox_sec"));
  EXPECT_EQ(qFromLittleEndian(entry.Method) == MethodCompressed, c.Compressed);
  const QString target = dir.filePath(QStringLiteral("out"));
  archiver.ExtractToFile(target, entry);
  ASSERT_TRUE(archiver.NextEntry(entry));
  archiver.ExtractToFile(target, entry);
  EXPECT_FALSE(archiver.NextEntry(entry));
  QFile image(target + QStringLiteral("/meridox_sec")), nested(target + QStringLiteral("/sub/dir/other.txt"));
  ASSERT_TRUE(image.open(QIODevice::ReadOnly));
  ASSERT_TRUE(nested.open(QIODevice::ReadOnly));
  EXPECT_EQ(image.readAll(), data);
  EXPECT_EQ(nested.readAll(), other);
}

INSTANTIATE_TEST_SUITE_P(
    Members, ArchiverRoundTrip,
    testing::Values(RoundTripCase{"StoredEmpty", 0, false}, RoundTripCase{"CompressedEmpty", 0, true},
                    RoundTripCase{"StoredSmall", 1000, false}, RoundTripCase{"CompressedSmall", 1000, true},
                    // exactly 2 MiB: two full pieces and an empty one
                    RoundTripCase{"StoredTwoMiB", 2 << 20, false},
                    RoundTripCase{"CompressedTwoMiB", 2 << 20, true},
                    RoundTripCase{"CompressedMultiChunk", (5 << 19) + 3, true},
                    RoundTripCase{"StoredMultiPiece", (5 << 19) + 3, false}),
    [](const testing::TestParamInfo<RoundTripCase> &info) { return std::string(info.param.Label); });

TEST_F(ArchiverTest, ExtractToFileWritesIntoAGivenFileAndCutsIt) {
  archiver.Open(Package({{QStringLiteral("x"), "short", true}}), true);
  QFile target(dir.filePath(QStringLiteral("given")));
  ASSERT_TRUE(target.open(QIODevice::ReadWrite));
  target.write(QByteArray(100, 'z'));
  TArchiveEntry entry;
  ASSERT_TRUE(archiver.FirstEntry(entry));
  archiver.ExtractToFile(QString(), entry, &target);
  target.seek(0);
  EXPECT_EQ(target.readAll(), QByteArray("short"));
  EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("x"))));
}

TEST_F(ArchiverTest, HeaderOnlyPackageHasNoMembers) {
  archiver.Open(Package({}), true);
  TArchiveEntry entry;
  EXPECT_FALSE(archiver.FirstEntry(entry));
}

TEST_F(ArchiverTest, ReservedHeaderBytesAreOutsideTheChecksum) {
  QByteArray bytes = BuildPackage({{QStringLiteral("a"), "data", true}});
  bytes[20] = char(0x77);
  const QString path = dir.filePath(QStringLiteral("reserved.upg"));
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  file.close();
  archiver.Open(path, true);
  EXPECT_EQ(ReadAll(archiver), std::vector<QByteArray>{"data"});
}

TEST_F(ArchiverTest, OpenRefusesAMissingFileOtherBytesAndABadChecksum) {
  const QString missing = dir.filePath(QStringLiteral("none.upg"));
  EXPECT_EQ(ErrorOf([&] { archiver.Open(missing, true); }),
            QStringLiteral("Nie można otworzyć pliku archiwum: ") + missing);
  EXPECT_FALSE(QFile::exists(missing));

  TPackageDamage badMagic;
  badMagic.BadMagic = true;
  QString path = Package({{QStringLiteral("a"), "data", true}}, badMagic);
  EXPECT_EQ(ErrorOf([&] { archiver.Open(path, false); }),
            QStringLiteral("Plik:") + path + QStringLiteral(" nie jest plikiem archiwum"));

  TPackageDamage badSum;
  badSum.BadChecksum = true;
  path = Package({{QStringLiteral("a"), "data", true}}, badSum);
  EXPECT_EQ(ErrorOf([&] { archiver.Open(path, true); }),
            QStringLiteral("Plik:") + path + QStringLiteral(" jest uszkodzony"));
  archiver.Open(path, false); // without verifying, the changed reserved byte does no harm
  EXPECT_EQ(ReadAll(archiver), std::vector<QByteArray>{"data"});
}

TEST_F(ArchiverTest, ReadingAClosedArchiveIsRefused) {
  TArchiveEntry entry{};
  EXPECT_EQ(ErrorOf([&] { archiver.FirstEntry(entry); }),
            QStringLiteral("Nie można czytać z nieotwartego archiwum"));
  EXPECT_EQ(ErrorOf([&] { archiver.NextEntry(entry); }),
            QStringLiteral("Nie można czytać z nieotwartego archiwum"));
}

struct CorruptCase {
  const char *Label;
  TPackageDamage Damage;
  const char *Message;
};

TPackageDamage Damage(const std::function<void(TPackageDamage &)> &set) {
  TPackageDamage damage;
  set(damage);
  return damage;
}

void PrintTo(const CorruptCase &c, std::ostream *os) { *os << c.Label; }

class ArchiverCorrupt : public ArchiverTest, public testing::WithParamInterface<CorruptCase> {};

// Each damaged package passes its checksum; reading its members must stop with the error.
TEST_P(ArchiverCorrupt, ReadingStopsWithTheError) {
  const CorruptCase c = GetParam();
  archiver.Open(Package({{QStringLiteral("image"), NoiseBytes(3 << 19), true},
                         {QStringLiteral("two.txt"), "two", false}},
                        c.Damage),
                true);
  EXPECT_EQ(ErrorOf([&] { ReadAll(archiver); }), QString::fromUtf8(c.Message));
}

INSTANTIATE_TEST_SUITE_P(
    Damages, ArchiverCorrupt,
    testing::Values(CorruptCase{"BackPointingEntry", Damage([](auto &d) { d.BackPointingEntry = 0; }),
                                "Błąd w pliku archiwum"},
                    CorruptCase{"OversizedChunk", Damage([](auto &d) { d.OversizedChunkEntry = 0; }),
                                "Błąd w pliku archiwum"},
                    CorruptCase{"NameLengthBeyondTheField",
                                Damage([](auto &d) { d.NameLengthEntry = 0, d.NameLength = 200; }),
                                "Błąd w pliku archiwum"},
                    CorruptCase{"TruncatedInsideAChunk", Damage([](auto &d) { d.TruncateTo = 100000; }),
                                "Błąd podczas odczytu z archiwum"}),
    [](const testing::TestParamInfo<CorruptCase> &info) { return std::string(info.param.Label); });

class ArchiverTraversal : public ArchiverTest, public testing::WithParamInterface<std::string> {};

// Names that leave the folder, or that the file system would read otherwise.
TEST_P(ArchiverTraversal, ForbiddenNameIsRefusedAndNothingWritten) {
  const QString name = QString::fromUtf8(GetParam().data(), qsizetype(GetParam().size()));
  archiver.Open(Package({{name, "evil", true}}), true);
  TArchiveEntry entry;
  ASSERT_TRUE(archiver.FirstEntry(entry));
  const QString out = dir.filePath(QStringLiteral("a/b"));
  EXPECT_EQ(ErrorOf([&] { archiver.ExtractToFile(out, entry); }),
            QStringLiteral("Niedozwolona nazwa pliku w archiwum: ") + name);
  EXPECT_EQ(FolderState(dir.path()).size(), 1u) << "only the package itself";
  EXPECT_FALSE(QDir(out).exists());
}

INSTANTIATE_TEST_SUITE_P(Names, ArchiverTraversal,
                         testing::Values("..\\evil", "sub\\..\\..\\evil", "\\tmp\\evil", "/tmp/evil",
                                         "C:\\evil", "c:evil", "sub/../../evil", "..",
                                         std::string("cut\0rest", 8), "tab\tname", "new\nline"));

TEST_F(ArchiverTest, EntryLengthsAreBoundedBeforeUse) {
  const std::vector<TPackageMember> stored = {{QStringLiteral("s"), "stored data", false}};
  const std::vector<TPackageMember> packed = {{QStringLiteral("c"), "compressed data", true}};
  const auto extract = [&](const QString &path) {
    return ErrorOf([&] {
      archiver.Open(path, true);
      TArchiveEntry entry;
      archiver.FirstEntry(entry);
      archiver.ExtractToMemory(entry);
    });
  };
  const QString broken = QStringLiteral("Błąd w pliku archiwum");
  // a length past what a member may claim, or that no file of this size can hold, is refused before
  // anything is allocated
  EXPECT_EQ(extract(PatchedPackage(packed, [](TArchiveEntry &e) { e.Length = 0xFFFFFFFF; })),
            QStringLiteral("Plik w archiwum jest większy niż 256 MiB: c"));
  EXPECT_EQ(extract(PatchedPackage(packed, [](TArchiveEntry &e) { e.Length = MaxMemberLength; })), broken);
  EXPECT_EQ(extract(PatchedPackage(stored, [](TArchiveEntry &e) { e.Length = 1000; })), broken);
  EXPECT_EQ(extract(PatchedPackage(stored, [](TArchiveEntry &e) { e.DataOffset = 0x7FFFFFFF; })), broken);
}

enum class Verdict { Reads, Decompression, Broken, TooLarge };

struct DecodeCase {
  const char *Label;
  std::function<TPackageDamage(qint64 length)> Damage;
  Verdict Expected;
};

void PrintTo(const DecodeCase &c, std::ostream *os) { *os << c.Label; }

class ArchiverDecode : public ArchiverTest, public testing::WithParamInterface<DecodeCase> {};

constexpr qint64 TwoGiB = qint64(1) << 31;

// Memory and file go through one decoding: a member that one of them refuses, the other refuses
// with the same fault, and a refused member leaves no file behind.
TEST_P(ArchiverDecode, MemoryAndFileAgree) {
  const DecodeCase c = GetParam();
  const QByteArray data = NoiseBytes((3 << 19) + 100);
  archiver.Open(Package({{QStringLiteral("m"), data, true}}, c.Damage(data.size())), true);
  TArchiveEntry entry;
  ASSERT_TRUE(archiver.FirstEntry(entry));
  const QString out = dir.filePath(QStringLiteral("out"));
  const QString target = out + QStringLiteral("/m");
  QByteArray inMemory;
  const QString memoryError = ErrorOf([&] { inMemory = archiver.ExtractToMemory(entry); });
  const QString fileError = ErrorOf([&] { archiver.ExtractToFile(out, entry); });
  switch (c.Expected) {
  case Verdict::Reads:
    EXPECT_EQ(memoryError, QStringLiteral("(no error)"));
    EXPECT_EQ(fileError, QStringLiteral("(no error)"));
    EXPECT_EQ(inMemory, data);
    EXPECT_EQ(ReadFile(target), data);
    return;
  case Verdict::Decompression:
    EXPECT_EQ(memoryError, QStringLiteral(" Błąd podczas dekompresji pliku: m"));
    EXPECT_EQ(fileError, QStringLiteral("Błąd podczas dekompresji pliku: ") + target);
    break;
  case Verdict::Broken:
    EXPECT_EQ(memoryError, QStringLiteral("Błąd w pliku archiwum"));
    EXPECT_EQ(fileError, QStringLiteral("Błąd w pliku archiwum"));
    break;
  case Verdict::TooLarge:
    EXPECT_EQ(memoryError, QStringLiteral("Plik w archiwum jest większy niż 256 MiB: m"));
    EXPECT_EQ(fileError, memoryError);
    break;
  }
  EXPECT_FALSE(QFile::exists(target));
}

INSTANTIATE_TEST_SUITE_P(
    Members, ArchiverDecode,
    testing::Values(
        DecodeCase{"Sound", [](qint64) { return TPackageDamage{}; }, Verdict::Reads},
        // one chunk may give at most one piece (1 MiB); this one gives 1.5 MiB
        DecodeCase{
            "ChunkOfOneAndAHalfMiB",
            [](qint64) { return Damage([](auto &d) { d.ChunkSizeEntry = 0, d.ChunkSize = 3 << 19; }); },
            Verdict::Decompression},
        // the claim passes 2^31 and the chunk inflates to more than the claim: refused by the claim
        DecodeCase{"ChunkInflatingPastTwoGiB",
                   [](qint64) {
                     return Damage([](auto &d) {
                       d.ClaimEntry = 0, d.ClaimedLength = std::uint32_t(TwoGiB + 16);
                       d.ZeroChunkEntry = 0, d.ZeroChunkLength = TwoGiB + (1 << 20);
                     });
                   },
                   Verdict::TooLarge},
        // sound chunks of zeros, one byte more than a member may claim
        DecodeCase{"ZerosPastTheBound",
                   [](qint64) {
                     return Damage(
                         [](auto &d) { d.ZeroMemberEntry = 0, d.ZeroMemberLength = MaxMemberLength + 1; });
                   },
                   Verdict::TooLarge},
        DecodeCase{"ChunksPastTheClaimedLength",
                   [](qint64 length) {
                     return Damage([=](auto &d) { d.ClaimEntry = 0, d.ClaimedLength = length - 1; });
                   },
                   Verdict::Broken},
        DecodeCase{"ClaimedLengthPastTheChunks",
                   [](qint64 length) {
                     return Damage([=](auto &d) { d.ClaimEntry = 0, d.ClaimedLength = length + 1; });
                   },
                   Verdict::Broken}),
    [](const testing::TestParamInfo<DecodeCase> &info) { return std::string(info.param.Label); });

TEST_F(ArchiverTest, ScrambledDataIsUnreadableWithoutTheKey) {
  TArchiver plain;
  plain.Open(Package({{QStringLiteral("c"), "compressed data", true}}), true);
  TArchiveEntry entry;
  ASSERT_TRUE(plain.FirstEntry(entry));
  EXPECT_EQ(ErrorOf([&] { plain.ExtractToMemory(entry); }),
            QStringLiteral(" Błąd podczas dekompresji pliku: c"));
}

TEST(MarkedBlock, FindsTheFirstMarkerEvenAfterItsFirstByte) {
  QByteArray image = FakeImage(1, 4, QByteArray("\xBE\xBE", 2)) + FakeImage(9, 9);
  TVersionBlock block;
  FindMarkedBlock(image.data(), image.size(), block, true);
  EXPECT_EQ(block.Major(), 1);
  EXPECT_EQ(block.Minor(), 4);

  VersionBlock::SetVersion(block.Bytes.Value, 1, 5, 0, 0);
  FindMarkedBlock(image.data(), image.size(), block, false);
  EXPECT_EQ(ImageVersionBlock(image).Minor(), 5);
  EXPECT_EQ(ImageVersionBlock(image.mid(image.indexOf(QByteArray("image body"), 10))).Major(), 9);
}

TEST(MarkedBlock, MissingMarkerOrShortValueAreaIsRefused) {
  const QByteArray image = FakeImage(1, 4, QByteArray());
  for (const QByteArray &cut : {QByteArray("no marker here"), image.left(image.size() - 1), image.left(19)}) {
    try {
      ImageVersionBlock(cut);
      ADD_FAILURE() << "accepted " << cut.size() << " bytes";
    } catch (const EArchiveError &) {
      ADD_FAILURE() << "the marker error is a plain Exception";
    } catch (const Exception &e) {
      EXPECT_EQ(e.Message(), QStringLiteral("Brak ciągu identyfikującego"));
    }
  }
}

TEST(MarkedBlock, TheBuiltProgramCarriesTheProjectVersion) {
  QFile file(QStringLiteral(MERIDOX_SEC_IMAGE));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray image = file.readAll();
  const TVersionBlock block = ImageVersionBlock(image);
  EXPECT_EQ(block.Major(), PROJECT_MAJOR);
  EXPECT_EQ(block.Minor(), PROJECT_MINOR);
  EXPECT_EQ(block.Bytes.Value[7], PROJECT_TWEAK) << "build number";
  EXPECT_EQ(image.count(QByteArray(reinterpret_cast<const char *>(VersionBlock::Marker.data()), 20)), 1);
}

} // namespace
