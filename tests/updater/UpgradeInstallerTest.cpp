#include "UpgradeInstaller.h"
#include "ArchDef.h"
#include "Exceptions.h"
#include "UpdaterTestHelpers.h"
#include "UpgWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
                std::vector<TPackageMember> further = {
                    {QStringLiteral("docs\\readme.txt"), "read me", true}}) {
    further.insert(further.begin(), TPackageMember{QStringLiteral("meridox_sec"), image, true});
    WritePackage(PackagePath(), further, damage);
  }
  // Runs the installer; the question is answered with `answer` and counted.
  // A newer package with a large image and further files, damaged as asked.
  void Write(const TPackageDamage &damage,
             std::vector<TPackageMember> further = {{QStringLiteral("ok.txt"), "fine", true}}) {
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
  // Starts the upgrade step as a process of its own, with the limits that `limit` sets in it.
  void StartProbe(QProcess &probe, const std::function<void()> &limit) const {
    if (limit)
      probe.setChildProcessModifier(limit);
    probe.start(QStringLiteral(INSTALL_PROBE), {Program(), PackagePath()});
  }
  // Runs it to its end; the exit code and what it printed.
  std::pair<int, QString> RunProbe(const std::function<void()> &limit) const {
    QProcess probe;
    StartProbe(probe, limit);
    EXPECT_TRUE(probe.waitForFinished(60000));
    return {probe.exitCode(), QString::fromUtf8(probe.readAllStandardOutput())};
  }

  QTemporaryDir dir;
  int questions = 0;
};

TEST_F(UpgradeInstallerTest, NewerPackageReplacesTheProgramKeepsABackupAndExtracts) {
  const QByteArray old = ReadFile(Program());
  ASSERT_TRUE(WriteTestFile(Installed() + QStringLiteral("/notes.txt"), "old notes"));
  ASSERT_TRUE(QFile::setPermissions(Installed() + QStringLiteral("/notes.txt"),
                                    QFile::ReadOwner | QFile::WriteOwner));
  const auto notesPermissions = QFile::permissions(Installed() + QStringLiteral("/notes.txt"));
  ASSERT_TRUE(WriteTestFile(Installed() + QStringLiteral("/meridox_sec.bak"), "an older backup"));
  const QByteArray fresh = FakeImage(1, 5, "new program");
  const QString odd = QStringLiteral("Dokumenty \"nowe\"\\zażółć gęślą jaźń 'ŁÓDŹ'.txt");
  WriteFor(fresh, {},
           {{QStringLiteral("docs\\readme.txt"), "read me", true},
            {QStringLiteral("notes.txt"), "", false},
            {odd, "polskie", true}});
  EXPECT_TRUE(Run());
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(ReadFile(Program()), fresh);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/meridox_sec.bak")), old);
  EXPECT_EQ(QFile::permissions(Program()),
            QFile::permissions(Installed() + QStringLiteral("/meridox_sec.bak")));
  EXPECT_TRUE(QFile::permissions(Program()) & QFile::ExeOwner);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/docs/readme.txt")), QByteArray("read me"));
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/notes.txt")), QByteArray());
  EXPECT_EQ(QFile::permissions(Installed() + QStringLiteral("/notes.txt")), notesPermissions)
      << "a replaced file keeps its permissions";
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/") + QString(odd).replace(u'\\', u'/')),
            QByteArray("polskie"));
  std::vector<QString> names;
  for (const auto &[name, state] : FolderState(Installed()))
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("/Dokumenty \"nowe\""),
                                         QStringLiteral("/Dokumenty \"nowe\"/zażółć gęślą jaźń 'ŁÓDŹ'.txt"),
                                         QStringLiteral("/docs"), QStringLiteral("/docs/readme.txt"),
                                         QStringLiteral("/meridox_sec"), QStringLiteral("/meridox_sec.bak"),
                                         QStringLiteral("/notes.txt")}))
      << "no staging folder is left";
}

// The old program stays where it is until the new one takes its place in one rename: the backup is
// another name for the very same file.
TEST_F(UpgradeInstallerTest, BackupIsTheOldProgramFileItself) {
  const auto inode = [](const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t(0);
  };
  const ino_t old = inode(Program());
  WriteFor(FakeImage(1, 5));
  EXPECT_TRUE(Run());
  EXPECT_EQ(inode(Installed() + QStringLiteral("/meridox_sec.bak")), old);
  EXPECT_NE(inode(Program()), old);
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

INSTANTIATE_TEST_SUITE_P(Cases, UpgradeVersions,
                         testing::Values(VersionCase{"NewerMinor", 1, 4, 1, 5, false, false, true},
                                         VersionCase{"SameAcceptedOnYes", 1, 4, 1, 4, true, true, true},
                                         VersionCase{"OlderAcceptedOnYes", 1, 4, 1, 3, true, true, true},
                                         VersionCase{"OlderDeclined", 1, 4, 1, 3, true, false, false},
                                         VersionCase{"LowerMajorIsAsked", 2, 0, 1, 9, true, true, true}),
                         [](const testing::TestParamInfo<VersionCase> &info) {
                           return std::string(info.param.Label);
                         });

TEST_F(UpgradeInstallerTest, HigherMajorIsRefusedWithoutAQuestion) {
  const auto before = FolderState(Installed());
  WriteFor(FakeImage(2, 0));
  EXPECT_EQ(
      ErrorOf(),
      QStringLiteral("Upgrade nie może zostać przeprowadzony. Dotychczasowa wersja programu jest za stara."));
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(FolderState(Installed()), before);
}

struct BrokenCase {
  const char *Label;
  std::function<void(UpgradeInstallerTest &)> Make;
  std::function<QString(const UpgradeInstallerTest &)> Message;
};

void PrintTo(const BrokenCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeBroken : public UpgradeInstallerTest, public testing::WithParamInterface<BrokenCase> {};

TPackageDamage With(const std::function<void(TPackageDamage &)> &set) {
  TPackageDamage damage;
  set(damage);
  return damage;
}

QString Broken(const UpgradeInstallerTest &) { return QStringLiteral("Błąd w pliku archiwum"); }

// The message names the file below the installed folder.
// The message about a file of the folder, with the system's reason where there is one.
std::function<QString(const UpgradeInstallerTest &)> About(const char *message, const char *name,
                                                           QString reason = QString()) {
  return [message, name, reason](const UpgradeInstallerTest &t) {
    return WithSystemReason(QString::fromUtf8(message) + t.Installed() + u'/' + QString::fromUtf8(name),
                            reason);
  };
}

std::function<QString(const UpgradeInstallerTest &)> Says(const char *message) {
  return [message](const UpgradeInstallerTest &) { return QString::fromUtf8(message); };
}

constexpr qint64 TwoGiB = qint64(1) << 31;
constexpr qint64 FourThousandMiB = qint64(4000) << 20;

// However the package is broken, the error names it and the installed folder stays as it was.
TEST_P(UpgradeBroken, IsRefusedAndNothingChangesOnDisk) {
  GetParam().Make(*this);
  const auto before = FolderState(Installed());
  EXPECT_EQ(ErrorOf(), GetParam().Message(*this));
  EXPECT_EQ(FolderState(Installed()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Packages, UpgradeBroken,
    testing::Values(
        BrokenCase{"Magic", [](auto &t) { t.Write(With([](auto &d) { d.BadMagic = true; })); },
                   [](const auto &t) {
                     return QStringLiteral("Plik:") + t.PackagePath() +
                            QStringLiteral(" nie jest plikiem archiwum");
                   }},
        BrokenCase{"Checksum", [](auto &t) { t.Write(With([](auto &d) { d.BadChecksum = true; })); },
                   [](const auto &t) {
                     return QStringLiteral("Plik:") + t.PackagePath() + QStringLiteral(" jest uszkodzony");
                   }},
        BrokenCase{"BackPointingOffset",
                   [](auto &t) { t.Write(With([](auto &d) { d.BackPointingEntry = 1; })); }, Broken},
        BrokenCase{"OversizedChunkInTheImage",
                   [](auto &t) { t.Write(With([](auto &d) { d.OversizedChunkEntry = 0; })); }, Broken},
        BrokenCase{"OversizedChunkInALaterFile",
                   [](auto &t) {
                     t.Write(With([](auto &d) { d.OversizedChunkEntry = 2; }),
                             {{QStringLiteral("a.txt"), "a", true}, {QStringLiteral("b.txt"), "b", true}});
                   },
                   Broken},
        BrokenCase{"Truncated", [](auto &t) { t.Write(With([](auto &d) { d.TruncateTo = 200000; })); },
                   Says("Błąd podczas odczytu z archiwum")},
        BrokenCase{"TraversalName",
                   [](auto &t) {
                     t.Write({}, {{QStringLiteral("ok.txt"), "fine", true},
                                  {QStringLiteral("..\\escaped"), "x", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: ..\\escaped")},
        // A further file may not take the place of the old program's backup, nor of the program.
        BrokenCase{"MemberNamedLikeTheBackup",
                   [](auto &t) {
                     ASSERT_TRUE(WriteTestFile(t.Installed() + QStringLiteral("/meridox_sec.bak"),
                                               "an older backup"));
                     t.Write({}, {{QStringLiteral("ok.txt"), "fine", true},
                                  {QStringLiteral("meridox_sec.bak"), "junk", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: meridox_sec.bak")},
        BrokenCase{"MemberNamedLikeTheProgram",
                   [](auto &t) {
                     t.Write({}, {{QStringLiteral("ok.txt"), "fine", true},
                                  {QStringLiteral("meridox_sec"), "junk", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: meridox_sec")},
        BrokenCase{"MemberNamedLikeTheProgramThroughADotStep",
                   [](auto &t) {
                     t.Write({}, {{QStringLiteral(".\\meridox_sec"), "junk", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: .\\meridox_sec")},
        BrokenCase{"MemberBelowTheBackup",
                   [](auto &t) {
                     t.Write({}, {{QStringLiteral("meridox_sec.bak\\inner"), "junk", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: meridox_sec.bak\\inner")},
        BrokenCase{"AbsoluteName",
                   [](auto &t) {
                     t.Write({}, {{t.dir.filePath(QStringLiteral("escaped")), "x", true}});
                   },
                   [](const auto &t) {
                     return QStringLiteral("Niedozwolona nazwa pliku w archiwum: ") +
                            t.dir.filePath(QStringLiteral("escaped"));
                   }},
        BrokenCase{"MemberInAStagingFolder",
                   [](auto &t) {
                     t.Write({}, {{QStringLiteral(".upgrade-AbCdEf\\x"), "x", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: .upgrade-AbCdEf\\x")},
        // The name stays inside, but a folder on its way is a link that leads out.
        BrokenCase{"MemberThroughALinkLeavingTheFolder",
                   [](auto &t) {
                     ASSERT_TRUE(QDir().mkpath(t.dir.filePath(QStringLiteral("outside"))));
                     ASSERT_TRUE(QFile::link(t.dir.filePath(QStringLiteral("outside")),
                                             t.Installed() + QStringLiteral("/docs")));
                     t.Write({}, {{QStringLiteral("ok.txt"), "fine", true},
                                  {QStringLiteral("docs\\escaped.txt"), "x", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: docs\\escaped.txt")},
        BrokenCase{"MemberThroughADanglingLink",
                   [](auto &t) {
                     ASSERT_TRUE(QFile::link(t.dir.filePath(QStringLiteral("nowhere")),
                                             t.Installed() + QStringLiteral("/docs")));
                     t.Write({}, {{QStringLiteral("docs\\escaped.txt"), "x", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: docs\\escaped.txt")},
        // 4000 MiB of zeros pack into about 4 MB: refused by the claim, before any of it is decoded.
        BrokenCase{"ImageClaimingFourThousandMiB",
                   [](auto &t) {
                     WritePackage(
                         t.PackagePath(), {{QStringLiteral("meridox_sec"), {}, true}},
                         With([](auto &d) { d.ZeroMemberEntry = 0, d.ZeroMemberLength = FourThousandMiB; }));
                   },
                   Says("Plik w archiwum jest większy niż 256 MiB: meridox_sec")},
        BrokenCase{
            "FurtherFileOverTheBound",
            [](auto &t) {
              t.Write(With([](auto &d) { d.ZeroMemberEntry = 2, d.ZeroMemberLength = MaxMemberLength + 1; }),
                      {{QStringLiteral("ok.txt"), "fine", true}, {QStringLiteral("big.bin"), {}, true}});
            },
            Says("Plik w archiwum jest większy niż 256 MiB: big.bin")},
        BrokenCase{"OversizedNameLength",
                   [](auto &t) { t.Write(With([](auto &d) { d.NameLengthEntry = 1, d.NameLength = 80; })); },
                   Broken},
        BrokenCase{"NoMembers", [](auto &t) { WritePackage(t.PackagePath(), {}); },
                   Says("Błędny plik z upgrade'm")},
        BrokenCase{"ImageWithoutVersionBlock",
                   [](auto &t) {
                     WritePackage(t.PackagePath(), {{QStringLiteral("meridox_sec"), "plain", true}});
                   },
                   Says("Brak ciągu identyfikującego")},
        BrokenCase{"InstalledWithoutVersionBlock",
                   [](auto &t) {
                     t.Install("no block here");
                     t.Write({});
                   },
                   Says("Brak ciągu identyfikującego")},
        // The image claims 2 GiB + 16 bytes and its one chunk (2 MB) inflates past that: the claim is
        // refused.
        BrokenCase{"ImageChunkInflatingToTwoGiB",
                   [](auto &t) {
                     t.Write(With([](auto &d) {
                       d.ClaimEntry = 0, d.ClaimedLength = std::uint32_t(TwoGiB + 16);
                       d.ZeroChunkEntry = 0, d.ZeroChunkLength = TwoGiB + (1 << 20);
                     }));
                   },
                   Says("Plik w archiwum jest większy niż 256 MiB: meridox_sec")},
        // A further file whose first chunk holds 1.5 MiB, more than one piece may.
        BrokenCase{"FurtherFileWithAOneAndAHalfMiBChunk",
                   [](auto &t) {
                     t.Write(With([](auto &d) { d.ChunkSizeEntry = 2, d.ChunkSize = 3 << 19; }),
                             {{QStringLiteral("ok.txt"), "fine", true},
                              {QStringLiteral("big.bin"), NoiseBytes((3 << 19) + 100), true}});
                   },
                   About("Błąd podczas dekompresji pliku: ", "big.bin")},
        BrokenCase{"ControlCharacterInAName",
                   [](auto &t) {
                     t.Write({}, {{QStringLiteral("ok.txt"), "fine", true},
                                  {QStringLiteral("bad\x01name"), "x", true}});
                   },
                   Says("Niedozwolona nazwa pliku w archiwum: bad\x01name")},
        BrokenCase{"FurtherFileOverAFolder",
                   [](auto &t) {
                     ASSERT_TRUE(QDir().mkpath(t.Installed() + QStringLiteral("/ok.txt/inside")));
                     t.Write({});
                   },
                   About("Nie można utworzyć pliku: ", "ok.txt", SystemErrorText(EISDIR))},
        // Found only while the files are put in place, after the backup and the program: both go back.
        BrokenCase{"FurtherFileBelowAFile",
                   [](auto &t) {
                     ASSERT_TRUE(
                         WriteTestFile(t.Installed() + QStringLiteral("/notes.txt"), "a file, not a folder"));
                     t.Write({}, {{QStringLiteral("ok.txt"), "fine", true},
                                  {QStringLiteral("notes.txt\\inner.txt"), "x", true}});
                   },
                   About("Nie można utworzyć pliku: ", "notes.txt/inner.txt")}),
    [](const testing::TestParamInfo<BrokenCase> &info) { return std::string(info.param.Label); });

struct RoadCase {
  const char *Label;
  std::vector<std::pair<const char *, const char *>> Links; // what each holds (null: the folder's
                                                            // absolute path), where it is
  const char *Member;
  bool ProgramIsALink = false; // "meridox_sec" is a link to the real file "meridox_sec-1.4"
};

void PrintTo(const RoadCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeRoads : public UpgradeInstallerTest, public testing::WithParamInterface<RoadCase> {};

// However a further file's name reaches the program, its backup or a staging folder (links inside the
// folder that lead back into it, a link that names the program), and whatever names no file, it is
// refused as a name and nothing changes on disk.
TEST_P(UpgradeRoads, AreRefusedAsNames) {
  const RoadCase &c = GetParam();
  ASSERT_TRUE(WriteTestFile(Installed() + QStringLiteral("/meridox_sec.bak"), "an older backup"));
  ASSERT_TRUE(QDir().mkpath(Installed() + QStringLiteral("/sub")));
  std::vector<std::pair<const char *, const char *>> links = c.Links;
  if (c.ProgramIsALink) {
    ASSERT_TRUE(QFile::rename(Program(), Installed() + QStringLiteral("/meridox_sec-1.4")));
    links.emplace_back("meridox_sec-1.4", "meridox_sec");
  }
  const QByteArray folder = QFile::encodeName(Installed());
  for (const auto &[target, at] : links)
    ASSERT_EQ(::symlink(target ? target : folder.constData(), (folder + '/' + at).constData()), 0) << at;
  const QString member = QString::fromUtf8(c.Member);
  Write({}, {{QStringLiteral("ok.txt"), "fine", true}, {member, "junk", true}});
  const auto before = FolderState(Installed());
  EXPECT_EQ(ErrorOf(), QStringLiteral("Niedozwolona nazwa pliku w archiwum: ") + member);
  EXPECT_EQ(FolderState(Installed()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Names, UpgradeRoads,
    testing::Values(RoadCase{"EndingInASeparator", {}, "docs\\"}, RoadCase{"OfTheFolderItself", {}, "."},
                    RoadCase{"EndingInADotStep", {}, "docs\\."},
                    RoadCase{"ProgramThroughALinkToTheFolder", {{".", "self"}}, "self\\meridox_sec"},
                    RoadCase{"BackupThroughALinkToTheFolder", {{".", "self"}}, "self\\meridox_sec.bak"},
                    RoadCase{"ProgramThroughALinkToTheParent", {{"..", "sub/up"}}, "sub\\up\\meridox_sec"},
                    RoadCase{"BackupThroughALinkToTheParent", {{"..", "sub/up"}}, "sub\\up\\meridox_sec.bak"},
                    RoadCase{"ProgramThroughTwoLinks", {{"sub", "a"}, {"..", "sub/b"}}, "a\\b\\meridox_sec"},
                    RoadCase{"ProgramThroughAnAbsoluteLink", {{nullptr, "abs"}}, "abs\\meridox_sec"},
                    RoadCase{"StagingFolderThroughALink", {{".", "self"}}, "self\\.upgrade-AbCdEf\\x"},
                    RoadCase{"LinkNamingTheProgram", {{"meridox_sec", "prog"}}, "prog"},
                    RoadCase{"LinkNamingTheBackup", {{"meridox_sec.bak", "previous"}}, "previous"},
                    RoadCase{"LinkThatIsTheProgram", {}, "meridox_sec", true},
                    RoadCase{"FileTheProgramLinkNames", {}, "meridox_sec-1.4", true}),
    [](const testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.Label); });

struct ClaimFirstCase {
  const char *Label;
  std::uint16_t OfferedMinor;
  int BrokenImageChunk; // -1: the image decodes
};

void PrintTo(const ClaimFirstCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeClaimsFirst : public UpgradeInstallerTest, public testing::WithParamInterface<ClaimFirstCase> {};

// Every member's claim is checked before the image is decoded: a later member past the bound is what
// the person hears of, and nobody is asked about the image's version first.
TEST_P(UpgradeClaimsFirst, LaterMemberPastTheBoundIsRefusedBeforeTheImageIsDecoded) {
  const ClaimFirstCase &c = GetParam();
  WriteFor(FakeImage(1, c.OfferedMinor, NoiseBytes(3 << 19)), With([&c](auto &d) {
             d.OversizedChunkEntry = c.BrokenImageChunk;
             d.ZeroMemberEntry = 2, d.ZeroMemberLength = MaxMemberLength + 1;
           }),
           {{QStringLiteral("ok.txt"), "fine", true}, {QStringLiteral("big.bin"), {}, true}});
  const auto before = FolderState(Installed());
  EXPECT_EQ(ErrorOf(), QStringLiteral("Plik w archiwum jest większy niż 256 MiB: big.bin"));
  EXPECT_EQ(questions, 0);
  EXPECT_EQ(FolderState(Installed()), before);
}

INSTANTIATE_TEST_SUITE_P(Images, UpgradeClaimsFirst,
                         testing::Values(ClaimFirstCase{"ImageThatDoesNotDecode", 5, 0},
                                         ClaimFirstCase{"OlderImageThatWouldBeAskedAbout", 3, -1}),
                         [](const testing::TestParamInfo<ClaimFirstCase> &info) {
                           return std::string(info.param.Label);
                         });

struct LinkedProgramCase {
  const char *Label;
  const char *Real;   // the real program, below the test folder
  const char *Link;   // the link the window names, below the test folder
  const char *Target; // what the link holds
};

void PrintTo(const LinkedProgramCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeLinkedProgram : public UpgradeInstallerTest,
                             public testing::WithParamInterface<LinkedProgramCase> {};

// A program reached through a symbolic link is updated where the link leads: the link stays and now
// names the new build; the backup and the further files go beside the real file.
TEST_P(UpgradeLinkedProgram, IsReplacedWhereTheLinkLeads) {
  const LinkedProgramCase &c = GetParam();
  const QString real = dir.filePath(QString::fromUtf8(c.Real));
  const QString link = dir.filePath(QString::fromUtf8(c.Link));
  const QString folder = QFileInfo(real).absolutePath();
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(link).absolutePath()));
  ASSERT_TRUE(QFile::rename(Program(), real));
  ASSERT_EQ(::symlink(c.Target, QFile::encodeName(link).constData()), 0);
  const QByteArray old = ReadFile(real);
  const QByteArray fresh = FakeImage(1, 5, "new program");
  WriteFor(fresh);
  TUpgradeInstaller installer(link, PackagePath());
  EXPECT_TRUE(installer.Execute(ReadFile(link)));
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(real).absoluteFilePath()) << "still the link";
  EXPECT_EQ(ReadFile(link), fresh);
  EXPECT_EQ(ReadFile(real), fresh);
  EXPECT_EQ(ReadFile(folder + QStringLiteral("/meridox_sec.bak")), old);
  EXPECT_EQ(ReadFile(folder + QStringLiteral("/docs/readme.txt")), QByteArray("read me"));
}

INSTANTIATE_TEST_SUITE_P(Links, UpgradeLinkedProgram,
                         testing::Values(LinkedProgramCase{"BesideTheRealFile", "inst/meridox_sec-1.4",
                                                           "inst/meridox_sec", "meridox_sec-1.4"},
                                         LinkedProgramCase{"FromAnotherFolder", "opt/meridox/meridox_sec",
                                                           "bin/meridox_sec", "../opt/meridox/meridox_sec"}),
                         [](const testing::TestParamInfo<LinkedProgramCase> &info) {
                           return std::string(info.param.Label);
                         });

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

// Whichever rename fails, the backup, the program, replaced files and new folders all go back.
TEST_F(UpgradeInstallerTest, FailedRenameLeavesTheInstalledProgramIntact) {
  ASSERT_TRUE(WriteTestFile(Installed() + QStringLiteral("/meridox_sec.bak"), "an older backup"));
  ASSERT_TRUE(WriteTestFile(Installed() + QStringLiteral("/notes.txt"), "old notes"));
  const QByteArray fresh = FakeImage(1, 5);
  WriteFor(
      fresh, {},
      {{QStringLiteral("notes.txt"), "new notes", true}, {QStringLiteral("new\\sub\\file.txt"), "x", true}});
  const auto before = FolderState(Installed());
  int failAt = 1;
  for (;; ++failAt) {
    FailingRenameInstaller installer(Program(), PackagePath(), failAt);
    const QString error = ErrorOf(installer);
    if (error == QStringLiteral("(no error)"))
      break;
    EXPECT_EQ(error, QStringLiteral("simulated rename failure")) << failAt;
    EXPECT_EQ(FolderState(Installed()), before) << "failing rename " << failAt;
  }
  EXPECT_EQ(failAt, 5) << "the backup, the program and two files: each rename was made to fail once";
  EXPECT_EQ(ReadFile(Program()), fresh);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/new/sub/file.txt")), QByteArray("x"));
}

struct FullDiskCase {
  const char *Label;
  qint64 Limit;        // the largest file the process may write
  const char *Failing; // the file named in the error; empty: everything fits
};

void PrintTo(const FullDiskCase &c, std::ostream *os) { *os << c.Label; }

class UpgradeFullDisk : public UpgradeInstallerTest, public testing::WithParamInterface<FullDiskCase> {};

// The upgrade runs as a process of its own whose writes the kernel cuts off past a size
// (RLIMIT_FSIZE), as a full disk would cut them: the write fails part of the way through.
TEST_P(UpgradeFullDisk, ShortWriteLeavesProgramAndFolderAsTheyWere) {
  const FullDiskCase c = GetParam();
  const QByteArray fresh = FakeImage(1, 5, NoiseBytes(60 << 10));
  WriteFor(fresh, {},
           {{QStringLiteral("a.bin"), NoiseBytes(250 << 10, 2), true},
            {QStringLiteral("sub\\b.bin"), NoiseBytes(500 << 10, 3), false}});
  const auto before = FolderState(Installed());
  const rlim_t limit = rlim_t(c.Limit);
  const auto [exitCode, output] = RunProbe([limit] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit size{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &size);
  });
  if (*c.Failing == '\0') {
    EXPECT_EQ(exitCode, 0) << output.toStdString();
    EXPECT_EQ(ReadFile(Program()), fresh);
    EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/sub/b.bin")), NoiseBytes(500 << 10, 3));
    return;
  }
  EXPECT_EQ(exitCode, 1);
  // The system's own reason follows the message, as the kernel gives it for a write past the limit.
  const QString expected = QStringLiteral("Błąd podczas zapisu do pliku: ") + Installed() + u'/' +
                           QString::fromUtf8(c.Failing) + QStringLiteral(" (Plik jest za duży)");
  EXPECT_EQ(output, expected);
  EXPECT_EQ(FolderState(Installed()), before);
}

INSTANTIATE_TEST_SUITE_P(Limits, UpgradeFullDisk,
                         testing::Values(FullDiskCase{"ProgramDoesNotFit", 100 << 10, "meridox_sec"},
                                         FullDiskCase{"FirstFurtherFileDoesNotFit", 200 << 10, "a.bin"},
                                         FullDiskCase{"LastFurtherFileDoesNotFit", 400 << 10, "sub/b.bin"},
                                         FullDiskCase{"EverythingFits", 1 << 20, ""}),
                         [](const testing::TestParamInfo<FullDiskCase> &info) {
                           return std::string(info.param.Label);
                         });

// The package's claim is refused before memory is taken for it: the step runs in a process that may
// not hold more than 1 GiB, and a 4 MB package claims a 4000 MiB image that really inflates so far.
TEST_F(UpgradeInstallerTest, ImageClaimingFourThousandMiBIsRefusedWithinAGibibyte) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
  WritePackage(PackagePath(), {{QStringLiteral("meridox_sec"), {}, true}},
               With([](auto &d) { d.ZeroMemberEntry = 0, d.ZeroMemberLength = FourThousandMiB; }));
  ASSERT_LT(QFileInfo(PackagePath()).size(), 5 << 20);
  const auto before = FolderState(Installed());
  const auto [exitCode, output] = RunProbe([] {
    const rlimit memory{rlim_t(1) << 30, rlim_t(1) << 30};
    ::setrlimit(RLIMIT_AS, &memory);
  });
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(output, QStringLiteral("Plik w archiwum jest większy niż 256 MiB: meridox_sec"));
  EXPECT_EQ(FolderState(Installed()), before);
}

// A folder link that stays inside the program's folder is an ordinary folder for the package.
TEST_F(UpgradeInstallerTest, LinkThatStaysInsideTheFolderIsFollowed) {
  ASSERT_TRUE(QDir().mkpath(Installed() + QStringLiteral("/share/doc")));
  ASSERT_TRUE(QFile::link(Installed() + QStringLiteral("/share/doc"), Installed() + QStringLiteral("/docs")));
  WriteFor(FakeImage(1, 5), {}, {{QStringLiteral("docs\\readme.txt"), "read me", true}});
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/share/doc/readme.txt")), QByteArray("read me"));
}

// An install killed half-way leaves its staging folder; the next run removes it, and only it.
TEST_F(UpgradeInstallerTest, StagingFolderOfAKilledInstallIsRemovedByTheNextRun) {
  WriteFor(FakeImage(1, 5), With([](auto &d) { d.ZeroMemberEntry = 1, d.ZeroMemberLength = 200 << 20; }),
           {{QStringLiteral("big.bin"), {}, true}});
  const QByteArray old = ReadFile(Program());
  QProcess probe;
  StartProbe(probe, {});
  ASSERT_TRUE(probe.waitForStarted());
  // Killed while the large file is being written into the staging folder.
  const auto staging = [this] {
    return QDir(Installed()).entryList({QStringLiteral(".upgrade-*")}, QDir::Dirs | QDir::Hidden);
  };
  for (int i = 0; i < 60000 && probe.state() == QProcess::Running; ++i) {
    const QStringList found = staging();
    if (!found.isEmpty() && QFile::exists(Installed() + u'/' + found.front() + QStringLiteral("/3")))
      break;
    QThread::msleep(1);
  }
  ASSERT_EQ(probe.state(), QProcess::Running) << "the install ended before it could be killed";
  ::kill(pid_t(probe.processId()), SIGKILL);
  ASSERT_TRUE(probe.waitForFinished());
  ASSERT_EQ(staging().size(), 1);
  EXPECT_EQ(ReadFile(Program()), old) << "nothing was put in place yet";
  ASSERT_TRUE(QDir().mkpath(Installed() + QStringLiteral("/.upgrade-kept")));
  WriteFor(FakeImage(1, 5, "small"), {}, {});
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(Program()), FakeImage(1, 5, "small"));
  EXPECT_EQ(staging(), QStringList{QStringLiteral(".upgrade-kept")}) << "a folder of another name stays";
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
