#include "UpdaterTestHelpers.h"
#include "Upg.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct MkupgCase {
  const char *Label;
  QStringList Options;
  const char *Error; // what reading the package then says; empty: it reads back whole
};

void PrintTo(const MkupgCase &c, std::ostream *os) { *os << c.Label; }

class MkupgOptions : public testing::TestWithParam<MkupgCase> {
protected:
  QString Write(const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
  }
  int Mkupg(const QStringList &args) {
    QProcess process;
    process.start(QStringLiteral(MKUPG_PROGRAM), args);
    process.waitForFinished(20000);
    errors = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }

  QTemporaryDir dir;
  QString errors;
};

// Each option of the writer program gives the package that the reader refuses as expected.
TEST_P(MkupgOptions, WritesThePackageTheOptionDescribes) {
  const MkupgCase c = GetParam();
  const QByteArray image = FakeImage(3, 2, NoiseBytes(3 << 19));
  const QString package = dir.filePath(QStringLiteral("out.upg"));
  ASSERT_EQ(
      Mkupg(c.Options +
            QStringList{package, Write(QStringLiteral("image"), image), QStringLiteral("--stored"),
                        Write(QStringLiteral("readme.txt"), "read me") + QStringLiteral("=doc\\readme.txt")}),
      0)
      << errors.toStdString();
  QString error;
  std::vector<std::pair<QString, QByteArray>> members;
  try {
    TUpgradeArchiver archiver;
    archiver.Open(package, true);
    TArchiveEntry entry;
    for (bool more = archiver.FirstEntry(entry); more; more = archiver.NextEntry(entry))
      members.emplace_back(EntryName(entry), archiver.ExtractToMemory(entry));
  } catch (const EArchiveError &e) {
    error = e.Message();
  }
  EXPECT_EQ(error, QString::fromUtf8(c.Error).replace(QStringLiteral("%p"), package));
  if (error.isEmpty()) {
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].first, QStringLiteral("meridox_sec"));
    EXPECT_EQ(members[1], std::make_pair(QStringLiteral("doc\\readme.txt"), QByteArray("read me")));
    const TVersionBlock block = ImageVersionBlock(members[0].second);
    EXPECT_EQ(c.Options.contains(QStringLiteral("--version")) ? 7 : 3, block.Major());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, MkupgOptions,
    testing::Values(MkupgCase{"Plain", {}, ""}, MkupgCase{"Version", {"--version", "7.1"}, ""},
                    MkupgCase{"BadMagic", {"--bad-magic"}, "Plik:%p nie jest plikiem archiwum"},
                    MkupgCase{"BadChecksum", {"--bad-checksum"}, "Plik:%p jest uszkodzony"},
                    MkupgCase{"BackPointer", {"--back-pointer", "1"}, "Błąd w pliku archiwum"},
                    MkupgCase{"OversizedChunk", {"--oversized-chunk", "0"}, "Błąd w pliku archiwum"},
                    MkupgCase{"NameLength", {"--name-length", "1:90"}, "Błąd w pliku archiwum"},
                    MkupgCase{"Truncate", {"--truncate", "5000"}, "Błąd podczas odczytu z archiwum"},
                    MkupgCase{"ClaimPastTheFile", {"--claim", "1:1000000"}, "Błąd w pliku archiwum"},
                    MkupgCase{"ClaimPastTheBound",
                              {"--claim", "1:268435457"},
                              "Plik w archiwum jest większy niż 256 MiB: doc\\readme.txt"},
                    MkupgCase{"ZerosPastTheBound",
                              {"--zero-member", "0:268435457"},
                              "Plik w archiwum jest większy niż 256 MiB: meridox_sec"},
                    MkupgCase{"ChunkOfOneAndAHalfMiB",
                              {"--chunk-size", "0:1572864"},
                              " Błąd podczas dekompresji pliku: meridox_sec"},
                    MkupgCase{"ChunkInflatingPastTwoGiB",
                              {"--claim", "0:2147483664", "--zero-chunk", "0:2148532224"},
                              "Plik w archiwum jest większy niż 256 MiB: meridox_sec"}),
    [](const testing::TestParamInfo<MkupgCase> &info) { return std::string(info.param.Label); });

TEST_F(MkupgOptions, RefusesWrongUse) {
  EXPECT_EQ(Mkupg({QStringLiteral("--no-such-option"), QStringLiteral("a"), QStringLiteral("b")}), 1);
  EXPECT_TRUE(errors.contains(QStringLiteral("unknown option --no-such-option"))) << errors.toStdString();
  EXPECT_EQ(Mkupg({dir.filePath(QStringLiteral("out.upg"))}), 1);
  EXPECT_EQ(Mkupg({dir.filePath(QStringLiteral("out.upg")), dir.filePath(QStringLiteral("absent"))}), 1);
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.upg"))));
  // an image without a version block cannot take a version
  EXPECT_EQ(Mkupg({QStringLiteral("--version"), QStringLiteral("1.2"),
                   dir.filePath(QStringLiteral("out.upg")), Write(QStringLiteral("plain"), "no block")}),
            1);
  EXPECT_TRUE(errors.contains(QStringLiteral("Brak ciągu identyfikującego"))) << errors.toStdString();
  // lengths past what an entry holds, and chunks that would not end
  const QString image = Write(QStringLiteral("image"), FakeImage(1, 0));
  for (const QStringList &option :
       {QStringList{"--claim", "0:4294967296"}, QStringList{"--chunk-size", "0:0"},
        QStringList{"--zero-chunk", "0:-1"}, QStringList{"--claim", "0"}}) {
    EXPECT_EQ(Mkupg(option + QStringList{dir.filePath(QStringLiteral("out.upg")), image}), 1)
        << option.join(u' ').toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.upg"))));
  }
}

} // namespace
