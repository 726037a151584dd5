#include "ArchDef.h"
#include "UpdaterTestHelpers.h"
#include "UpgWriter.h"
#include "UpgradeInstaller.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr auto Executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

class UpgradeInstallerTest : public testing::Test {
public:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(Installed()));
    Install(FakeImage(1, 4, "old program"));
  }
  QString Installed() const { return dir.filePath(QStringLiteral("inst")); }
  QString Program() const { return Installed() + QStringLiteral("/meridox_sec"); }
  QString PackagePath() const { return dir.filePath(QStringLiteral("meridox_sec.upg")); }
  void Install(const QByteArray &image) const {
    QFile file(Program());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(image);
    file.close();
    ASSERT_TRUE(file.setPermissions(Executable));
  }
  void WriteFor(const QByteArray &image, const TPackageDamage &damage = {},
                std::vector<TPackageMember> further = {{QStringLiteral("docs\\readme.txt"), "read me", true}}) {
    further.insert(further.begin(), TPackageMember{QStringLiteral("meridox_sec"), image, true});
    WritePackage(PackagePath(), further, damage);
  }
  // Runs the installer; the question is answered with `answer` and counted.
  // A newer package with a large image and further files, damaged as asked.
  void Write(const TPackageDamage &damage, std::vector<TPackageMember> further = {{QStringLiteral("ok.txt"), "fine", true}}) {
    WriteFor(FakeImage(1, 5, NoiseBytes(3 << 19)), damage, std::move(further));
  }
  bool Run(TUpgradeInstaller &installer, bool answer = true) {
    installer.OnConfirmNotNewer = [this, answer] {
      ++questions;
      return answer;
    };
    QByteArray image;
    EXPECT_TRUE(ReadWholeFile(Program(), image));
    return installer.Execute(image);
  }
  bool Run(bool answer = true) {
    TUpgradeInstaller installer(Program(), PackagePath());
    return Run(installer, answer);
  }
  QString ErrorOf(TUpgradeInstaller &installer) {
    try {
      Run(installer);
    } catch (const Exception &e) {
      return e.Message();
    }
    return QStringLiteral("(no error)");
  }
  QString ErrorOf() {
    TUpgradeInstaller installer(Program(), PackagePath());
    return ErrorOf(installer);
  }

  QTemporaryDir dir;
  int questions = 0;
};

TEST_F(UpgradeInstallerTest, NewerPackageReplacesTheProgramKeepsABackupAndExtracts) {
  const QByteArray old = ReadFile(Program());
  const QByteArray fresh = FakeImage(1, 5, "new program");
  WriteFor(fresh, {}, {{QStringLiteral("docs\\readme.txt"), "read me", true}, {QStringLiteral("notes.txt"), "", false}});
  EXPECT_TRUE(Run());
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(ReadFile(Program()), fresh);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/meridox_sec.bak")), old);
  EXPECT_EQ(QFile::permissions(Program()), QFile::permissions(Installed() + QStringLiteral("/meridox_sec.bak")));
  EXPECT_TRUE(QFile::permissions(Program()) & QFile::ExeOwner);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/docs/readme.txt")), QByteArray("read me"));
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/notes.txt")), QByteArray());
  EXPECT_EQ(FolderState(Installed()).size(), 4u) << "no temporary file is left";
}

TEST_F(UpgradeInstallerTest, PackageWithOnlyTheImageExtractsNothingFurther) {
  WriteFor(FakeImage(1, 5), {}, {});
  EXPECT_TRUE(Run());
  EXPECT_EQ(FolderState(Installed()).size(), 2u);
}

struct VersionCase {
  const char *Label;
  std::uint16_t InstalledMajor, InstalledMinor, OfferedMajor, OfferedMinor;
  bool Asked;
  bool Answer;
  bool Replaced;
};

void PrintTo(const VersionCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeVersions : public UpgradeInstallerTest, public testing::WithParamInterface<VersionCase> {};

TEST_P(UpgradeVersions, ComparesTheTwoVersionBlocks) {
  const VersionCase c = GetParam();
  Install(FakeImage(c.InstalledMajor, c.InstalledMinor, "old program"));
  const auto before = FolderState(Installed());
  const QByteArray fresh = FakeImage(c.OfferedMajor, c.OfferedMinor, "new program");
  WriteFor(fresh);
  EXPECT_EQ(Run(c.Answer), c.Replaced);
  EXPECT_EQ(questions, c.Asked ? 1 : 0);
  if (c.Replaced)
    EXPECT_EQ(ReadFile(Program()), fresh);
  else
    EXPECT_EQ(FolderState(Installed()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpgradeVersions,
    testing::Values(VersionCase{"NewerMinor", 1, 4, 1, 5, false, false, true},
                    VersionCase{"SameAcceptedOnYes", 1, 4, 1, 4, true, true, true},
                    VersionCase{"OlderAcceptedOnYes", 1, 4, 1, 3, true, true, true},
                    VersionCase{"OlderDeclined", 1, 4, 1, 3, true, false, false},
                    VersionCase{"LowerMajorIsAsked", 2, 0, 1, 9, true, true, true}),
    [](const testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.Label); });

TEST_F(UpgradeInstallerTest, HigherMajorIsRefusedWithoutAQuestion) {
  const auto before = FolderState(Installed());
  WriteFor(FakeImage(2, 0));
  EXPECT_EQ(ErrorOf(),
            QStringLiteral("Upgrade nie może zostać przeprowadzony. Dotychczasowa wersja programu jest za stara."));
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(FolderState(Installed()), before);
}

struct BrokenCase {
  const char *Label;
  std::function<void(UpgradeInstallerTest &)> Make;
  QString (*Message)(const QString &package);
};

void PrintTo(const BrokenCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeBroken : public UpgradeInstallerTest, public testing::WithParamInterface<BrokenCase> {};

TPackageDamage With(const std::function<void(TPackageDamage &)> &set) {
  TPackageDamage damage;
  set(damage);
  return damage;
}

QString Broken(const QString &) { return QStringLiteral("Błąd w pliku archiwum"); }

// However the package is broken, the error names it and the installed folder stays as it was.
TEST_P(UpgradeBroken, IsRefusedAndNothingChangesOnDisk) {
  GetParam().Make(*this);
  const auto before = FolderState(Installed());
  EXPECT_EQ(ErrorOf(), GetParam().Message(PackagePath()));
  EXPECT_EQ(FolderState(Installed()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Packages, UpgradeBroken,
    testing::Values(
        BrokenCase{"Magic", [](auto &t) { t.Write(With([](auto &d) { d.BadMagic = true; })); },
                   [](const QString &p) { return QStringLiteral("Plik:") + p + QStringLiteral(" nie jest plikiem archiwum"); }},
        BrokenCase{"Checksum", [](auto &t) { t.Write(With([](auto &d) { d.BadChecksum = true; })); },
                   [](const QString &p) { return QStringLiteral("Plik:") + p + QStringLiteral(" jest uszkodzony"); }},
        BrokenCase{"BackPointingOffset", [](auto &t) { t.Write(With([](auto &d) { d.BackPointingEntry = 1; })); }, Broken},
        BrokenCase{"OversizedChunkInTheImage", [](auto &t) { t.Write(With([](auto &d) { d.OversizedChunkEntry = 0; })); },
                   Broken},
        BrokenCase{"OversizedChunkInALaterFile",
                   [](auto &t) { t.Write(With([](auto &d) { d.OversizedChunkEntry = 2; }),
                                         {{QStringLiteral("a.txt"), "a", true}, {QStringLiteral("b.txt"), "b", true}}); },
                   Broken},
        BrokenCase{"Truncated", [](auto &t) { t.Write(With([](auto &d) { d.TruncateTo = 200000; })); },
                   [](const QString &) { return QStringLiteral("Błąd podczas odczytu z archiwum"); }},
        BrokenCase{"TraversalName",
                   [](auto &t) { t.Write({}, {{QStringLiteral("ok.txt"), "fine", true}, {QStringLiteral("..\\escaped"), "x", true}}); },
                   [](const QString &) { return QStringLiteral("Niedozwolona nazwa pliku w archiwum: ..\\escaped"); }},
        BrokenCase{"OversizedNameLength", [](auto &t) { t.Write(With([](auto &d) { d.NameLengthEntry = 1, d.NameLength = 80; })); },
                   Broken},
        BrokenCase{"NoMembers", [](auto &t) { WritePackage(t.PackagePath(), {}); },
                   [](const QString &) { return QStringLiteral("Błędny plik z upgrade'm"); }},
        BrokenCase{"ImageWithoutVersionBlock", [](auto &t) { WritePackage(t.PackagePath(), {{QStringLiteral("meridox_sec"), "plain", true}}); },
                   [](const QString &) { return QStringLiteral("Brak ciągu identyfikującego"); }},
        BrokenCase{"InstalledWithoutVersionBlock",
                   [](auto &t) {
                     t.Install("no block here");
                     t.Write({});
                   },
                   [](const QString &) { return QStringLiteral("Brak ciągu identyfikującego"); }}),
    [](const testing::TestParamInfo<BrokenCase> &info) { return std::string(info.param.Label); });

// Fails the n-th rename, as a busy or read-only folder would.
class FailingRenameInstaller : public TUpgradeInstaller {
public:
  FailingRenameInstaller(const QString &program, const QString &package, int failAt)
      : TUpgradeInstaller(program, package), FFailAt(failAt) {}

protected:
  void RenameFile(const QString &from, const QString &to) override {
    if (++FCalls == FFailAt)
      throw EInOutError(QStringLiteral("simulated rename failure"));
    TUpgradeInstaller::RenameFile(from, to);
  }

private:
  int FFailAt;
  int FCalls = 0;
};

TEST_F(UpgradeInstallerTest, FailedRenameLeavesTheInstalledProgramIntact) {
  WriteFor(FakeImage(1, 5));
  const auto before = FolderState(Installed());
  for (int failAt : {1, 2}) {
    FailingRenameInstaller installer(Program(), PackagePath(), failAt);
    EXPECT_EQ(ErrorOf(installer), QStringLiteral("simulated rename failure")) << failAt;
    EXPECT_EQ(FolderState(Installed()), before) << "failing rename " << failAt;
  }
}

TEST_F(UpgradeInstallerTest, UnreadableProgramIsReportedByTheCaller) {
  QByteArray image;
  EXPECT_FALSE(ReadWholeFile(Installed() + QStringLiteral("/absent"), image));
}

// The package is made by the mkupg program from a real build whose version block is patched in the
// copy; the replaced program runs and reports the new version, the backup still the old one.
TEST_F(UpgradeInstallerTest, MkupgPackageFromANewerBuildReplacesARunnableProgram) {
  QFile::remove(Program());
  ASSERT_TRUE(QFile::copy(QStringLiteral(VERSION_PROBE), Program()));
  const QString extra = dir.filePath(QStringLiteral("extra.txt"));
  QFile file(extra);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("extra");
  file.close();
  const QString built = QStringLiteral(PROJECT_VERSION_TEXT);
  const QString newer = QStringLiteral("%1.%2.0.2").arg(PROJECT_MAJOR).arg(PROJECT_MINOR + 1);
  ASSERT_EQ(RunProgram(Program()), built);

  QProcess mkupg;
  mkupg.start(QStringLiteral(MKUPG_PROGRAM),
              {QStringLiteral("--version"), newer, PackagePath(), QStringLiteral(VERSION_PROBE),
               QStringLiteral("--stored"), extra + QStringLiteral("=share\\extra.txt")});
  ASSERT_TRUE(mkupg.waitForFinished(20000));
  ASSERT_EQ(mkupg.exitCode(), 0) << mkupg.readAllStandardError().toStdString();

  EXPECT_TRUE(Run());
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(RunProgram(Program()), newer);
  EXPECT_EQ(RunProgram(Installed() + QStringLiteral("/meridox_sec.bak")), built);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/share/extra.txt")), QByteArray("extra"));
}

} // namespace
