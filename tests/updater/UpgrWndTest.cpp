#include "UpgrWnd.h"

#include "Application.h"
#include "Exceptions.h"
#include "LoopbackServer.h"
#include "ProgramProcess.h"
#include "Registry.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"
#include "UpdaterTestHelpers.h"
#include "UpgWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace {

const QString DownloadDone = QStringLiteral("Pobieranie pliku zakończyło się. Dokonać upgrade'u ?");

// The probe program (a build carrying the version block) installed in a folder that the registry
// names, an update server on the loopback, and the window built over both.
class UpgrWndTest : public testing::Test {
protected:
  void SetUp() override {
    savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    ASSERT_TRUE(QDir().mkpath(Installed()));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VERSION_PROBE), Program()));
    TRegIniFile registry(InstallRegistryKey);
    registry.WriteString(InstallRegistrySection, InstallFolderValue, Installed());
    registry.WriteString(InstallRegistrySection, UpdateServerValue, server.Url(QStringLiteral("/upd")));
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig); }

  QString Installed() const { return dir.filePath(QStringLiteral("inst")); }
  QString Program() const { return Installed() + QStringLiteral("/meridox_sec"); }
  std::unique_ptr<TMainWindow> MakeWindow() {
    auto window = std::make_unique<TMainWindow>();
    window->DescriptorPath = dir.filePath(QStringLiteral("meridox_sec.ver"));
    return window;
  }
  void Descriptor(const QByteArray &text) {
    server.Route(QStringLiteral("/upd/meridox_sec.ver"), {200, text});
  }
  // A descriptor line offering `version` from the package route.
  QByteArray Offer(const QString &version) const {
    return "X\tnot for us\r\nP\t" + version.toLatin1() + "\t" +
           server.Url(QStringLiteral("/upd/pkg.upg")).toLatin1() + "\r\n";
  }
  static QByteArray PackageBytes(std::uint16_t major, std::uint16_t minor) {
    const QByteArray image = WithVersion(ReadFile(QStringLiteral(VERSION_PROBE)), major, minor, 0, 9);
    return BuildPackage(
        {{QStringLiteral("meridox_sec"), image, true}, {QStringLiteral("doc\\zmiany.txt"), "zmiany", true}});
  }
  void Package(std::uint16_t major, std::uint16_t minor) {
    server.Route(QStringLiteral("/upd/pkg.upg"), {200, PackageBytes(major, minor)});
  }
  QString DownloadedPackage() const { return Installed() + QStringLiteral("/meridox_sec.upg"); }
  void ExpectBox(size_t index, const QString &text, TMsgDlgType icon) const {
    ASSERT_LT(index, dialogs.Messages().size());
    const TMessageRequest &box = dialogs.Messages()[index];
    EXPECT_EQ(box.Text, text);
    EXPECT_EQ(box.Caption, QString());
    EXPECT_EQ(box.Icon, icon);
  }
  QString DownloadError() const {
    return QStringLiteral("Błąd podczas ściągania pliku. Spróbuj pobrać upgrade ponownie, jeżeli się to nie "
                          "powiedzie połącz się z serwerem: ") +
           server.Url(QStringLiteral("/upd/")) +
           QStringLiteral(" i pobierz upgrade bezpośrednio przy użyciu przeglądarki WWW");
  }
  static TURLGetFileWnd *DownloadWindow() {
    for (QWidget *widget : QApplication::topLevelWidgets())
      if (auto *download = qobject_cast<TURLGetFileWnd *>(widget))
        return download;
    return nullptr;
  }
  // Applies a local package of that version with those further files, which fails; returns the one
  // message shown.
  QString RefusedLocalUpgrade(std::uint16_t major, std::uint16_t minor,
                              std::vector<TPackageMember> further = {}) {
    const QString package = dir.filePath(QStringLiteral("local.upg"));
    further.insert(further.begin(),
                   TPackageMember{QStringLiteral("meridox_sec"),
                                  WithVersion(ReadFile(QStringLiteral(VERSION_PROBE)), major, minor, 0, 0),
                                  true});
    WritePackage(package, further);
    auto window = MakeWindow();
    window->UpgradePath->setText(package);
    dialogs.AnswerMessage(mrOk);
    window->MakeUpgradeBtn->click();
    EXPECT_EQ(dialogs.Messages().size(), 1u);
    return dialogs.Messages().empty() ? QString() : dialogs.Messages().back().Text;
  }
  static void ExpectUsable(TMainWindow &window) {
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(DownloadWindow(), nullptr) << "the download window is freed";
  }

  QTemporaryDir dir;
  QByteArray savedConfig;
  TLoopbackServer server;
  ScriptedDialogs dialogs;
  const QString built = QStringLiteral(PROJECT_VERSION_TEXT);
  const QString newer = QStringLiteral("%1.%2").arg(PROJECT_MAJOR).arg(PROJECT_MINOR + 1);
};

TEST_F(UpgrWndTest, StartsWithTheInstalledProgramFromTheRegistry) {
  auto window = MakeWindow();
  EXPECT_EQ(window->Caption(), QStringLiteral("Uaktualnienie programu Meridox_sec"));
  EXPECT_EQ(window->Lab->text(), QStringLiteral("Ścieżka do programu Meridox_sec:"));
  EXPECT_EQ(window->Path->text(), Program());
  EXPECT_EQ(window->UpgradePath->text(), QStringLiteral("meridox_sec.upg"));
  EXPECT_EQ(window->UpdateServer(), server.Url(QStringLiteral("/upd/")));
  EXPECT_TRUE(window->GetUpgrade->isEnabled());
  EXPECT_EQ(window->MakeUpgradeBtn->text(), QStringLiteral("Przeprowadź upgrade"));
}

// An install killed half-way left its staging folder beside the program: the next start removes it.
TEST_F(UpgrWndTest, StartRemovesTheStagingFolderOfAKilledInstall) {
  const QString leftover = Installed() + QStringLiteral("/.upgrade-Xy12Ab");
  ASSERT_TRUE(QDir().mkpath(leftover + QStringLiteral("/docs")));
  ASSERT_TRUE(WriteTestFile(leftover + QStringLiteral("/docs/3"), "half a file"));
  const auto window = MakeWindow();
  EXPECT_FALSE(QFileInfo::exists(leftover));
  EXPECT_EQ(RunProgram(Program()), QStringLiteral(PROJECT_VERSION_TEXT));
}

TEST_F(UpgrWndTest, WithoutARegistryValueTheProgramIsLookedForInTheCurrentFolder) {
  qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("empty-config")).toLocal8Bit());
  auto window = MakeWindow();
  EXPECT_EQ(window->Path->text(), QStringLiteral("meridox_sec"));
  EXPECT_EQ(window->UpdateServer(), DefaultUpdateServer);
}

TEST_F(UpgrWndTest, ChangeButtonsChooseFilesThroughTheDialogs) {
  auto window = MakeWindow();
  dialogs.AnswerFile(QStringLiteral("/elsewhere/meridox_sec"));
  dialogs.AnswerFile(QString());
  window->PathBtn->click();
  window->UpgradePathBtn->click();
  ASSERT_EQ(dialogs.FileDialogs().size(), 2u);
  EXPECT_EQ(dialogs.FileDialogs()[0].Title, QStringLiteral("Wskaż plik wykonywalny z programem"));
  EXPECT_EQ(dialogs.FileDialogs()[0].FileName, Program()) << "preset with the edit's text";
  EXPECT_EQ(dialogs.FileDialogs()[1].Title, QStringLiteral("Wskaż plik z upgrade'm"));
  EXPECT_EQ(window->Path->text(), QStringLiteral("/elsewhere/meridox_sec"));
  EXPECT_EQ(window->UpgradePath->text(), QStringLiteral("meridox_sec.upg")) << "cancelled";
}

TEST_F(UpgrWndTest, DownloadsVerifiesAndReplacesEndToEnd) {
  Descriptor(Offer(newer));
  Package(PROJECT_MAJOR, PROJECT_MINOR + 1);
  auto window = MakeWindow();
  dialogs.AnswerMessage(mrYes);
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  ExpectBox(0, DownloadDone, mtConfirmation);
  EXPECT_EQ(dialogs.Messages()[0].Buttons, (TMsgDlgButtons{mbYes, mbNo}));
  ExpectBox(1, QStringLiteral("Upgrade został przeprowadzony poprawnie"), mtInformation);
  EXPECT_EQ(window->UpgradePath->text(), Installed() + QStringLiteral("/meridox_sec.upg"));
  EXPECT_EQ(RunProgram(Program()), newer + QStringLiteral(".0.9"));
  EXPECT_EQ(RunProgram(Installed() + QStringLiteral("/meridox_sec.bak")), built);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/doc/zmiany.txt")), QByteArray("zmiany"));
  EXPECT_EQ(server.Requests(), 2);
  ExpectUsable(*window);
}

TEST_F(UpgrWndTest, DeclinedUpgradeAfterTheDownloadKeepsThePackageOnly) {
  Descriptor(Offer(newer));
  Package(PROJECT_MAJOR, PROJECT_MINOR + 1);
  auto window = MakeWindow();
  const QByteArray before = ReadFile(Program());
  dialogs.AnswerMessage(mrNo);
  window->GetUpgrade->click();
  EXPECT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(ReadFile(Program()), before);
  EXPECT_TRUE(QFile::exists(Installed() + QStringLiteral("/meridox_sec.upg")));
  ExpectUsable(*window);
}

// A package over plain HTTP whose image claims 2 GiB + 16 bytes and whose one chunk inflates past that.
TEST_F(UpgrWndTest, CraftedPackageFromTheServerIsRefusedWithNothingChanged) {
  Descriptor(Offer(newer));
  TPackageDamage crafted;
  crafted.ClaimEntry = 0, crafted.ClaimedLength = (1u << 31) + 16;
  crafted.ZeroChunkEntry = 0, crafted.ZeroChunkLength = (qint64(1) << 31) + (1 << 20);
  server.Route(QStringLiteral("/upd/pkg.upg"), {200, BuildPackage({{QStringLiteral("meridox_sec"), {}, true},
                                                                   {QStringLiteral("x.txt"), "x", true}},
                                                                  crafted)});
  auto window = MakeWindow();
  const auto before = FolderState(Installed());
  dialogs.AnswerMessage(mrYes);
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  ExpectBox(0, DownloadDone, mtConfirmation);
  // shown by the application's exception box
  EXPECT_EQ(dialogs.Messages()[1].Text,
            QStringLiteral("Plik w archiwum jest większy niż 256 MiB: meridox_sec."));
  EXPECT_EQ(dialogs.Messages()[1].Icon, mtError);
  auto after = FolderState(Installed());
  EXPECT_EQ(after.erase(QStringLiteral("/meridox_sec.upg")), 1u) << "the downloaded package";
  EXPECT_EQ(after, before);
  ExpectUsable(*window);
}

TEST_F(UpgrWndTest, OlderOfferIsAskedAndNoStopsSilently) {
  Descriptor(Offer(QStringLiteral("%1.%2").arg(PROJECT_MAJOR).arg(PROJECT_MINOR)));
  auto window = MakeWindow();
  dialogs.AnswerMessage(mrNo);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  ExpectBox(0, QStringLiteral("Nie znaleziono nowszej wersji programu. Kontynuować pobieranie ?"),
            mtConfirmation);
  EXPECT_EQ(server.Requests(), 1) << "no package fetched";
  ExpectUsable(*window);
}

TEST_F(UpgrWndTest, RefusalsShowTheirMessageAndLeaveTheWindowUsable) {
  const QByteArray before = ReadFile(Program());
  const struct {
    const char *Label;
    bool ServeDescriptor;
    QByteArray Text;
    QString Message;
  } cases[] = {
      {"descriptor missing on the server", false, {}, DownloadError()},
      {"major change refused", true, Offer(QStringLiteral("%1.0").arg(PROJECT_MAJOR + 1)),
       QStringLiteral("Nie znaleziono odpowiedniego upgrade'u")},
      {"package missing on the server", true, Offer(newer), DownloadError()},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Label);
    server.Route(QStringLiteral("/upd/meridox_sec.ver"), {c.ServeDescriptor ? 200 : 404, c.Text});
    dialogs.Clear();
    dialogs.AnswerMessage(mrOk);
    auto window = MakeWindow();
    window->GetUpgrade->click();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    ExpectBox(0, c.Message, mtError);
    ExpectUsable(*window);
  }
  EXPECT_EQ(ReadFile(Program()), before);
  EXPECT_FALSE(QFile::exists(Installed() + QStringLiteral("/meridox_sec.upg")))
      << "a failed package is deleted";
}

TEST_F(UpgrWndTest, LineWithOnlyTheLetterEndsTheCheckSilently) {
  Descriptor("P\r\n");
  auto window = MakeWindow();
  window->GetUpgrade->click();
  EXPECT_TRUE(dialogs.Messages().empty());
  ExpectUsable(*window);
}

TEST_F(UpgrWndTest, VersionThatIsNotANumberIsReportedAndTheWindowStaysUsable) {
  Descriptor(Offer(QStringLiteral("%1.x").arg(PROJECT_MAJOR)));
  auto window = MakeWindow();
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text,
            QStringLiteral("Błędny numer wersji w pliku meridox_sec.ver: %1.x.").arg(PROJECT_MAJOR));
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtError);
  ExpectUsable(*window);
}

TEST_F(UpgrWndTest, StalledPackageIsAbortedFromTheDownloadWindow) {
  Descriptor(Offer(newer));
  server.Route(QStringLiteral("/upd/pkg.upg"), {200, QByteArray(200000, 'x'), 5000});
  auto window = MakeWindow();
  bool abortable = false;
  server.OnStall = [&window, &abortable] {
    QMetaObject::invokeMethod(
        window.get(),
        [&window, &abortable] {
          TURLGetFileWnd *download = DownloadWindow();
          ASSERT_NE(download, nullptr);
          abortable = download->isVisible() && download->AbortBtn->isEnabled() && !window->isEnabled();
          download->AbortBtn->click();
        },
        Qt::QueuedConnection);
  };
  const QByteArray before = ReadFile(Program());
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  ExpectBox(0, DownloadError(), mtError);
  EXPECT_TRUE(abortable) << "the main window is disabled, the abort button is not";
  EXPECT_EQ(server.StallsLeftByClient(), 1) << "the transfer was stopped by the button";
  EXPECT_EQ(ReadFile(Program()), before);
  EXPECT_FALSE(QFile::exists(Installed() + QStringLiteral("/meridox_sec.upg")));
  ExpectUsable(*window);
}

// The window has no cancel button: Escape leaves it open. In the download window Escape is
// "Przerwij".
TEST_F(UpgrWndTest, EscapeKeepsTheWindowAndStopsADownload) {
  Descriptor(Offer(newer));
  server.Route(QStringLiteral("/upd/pkg.upg"), {200, QByteArray(200000, 'x'), 5000});
  auto window = MakeWindow();
  window->show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &escape);
  EXPECT_TRUE(window->isVisible());

  server.OnStall = [&window] {
    QMetaObject::invokeMethod(
        window.get(),
        [] {
          QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
          QApplication::sendEvent(DownloadWindow(), &key);
        },
        Qt::QueuedConnection);
  };
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ExpectBox(0, DownloadError(), mtError);
  EXPECT_EQ(server.StallsLeftByClient(), 1) << "Escape stopped the transfer";
  EXPECT_TRUE(window->isVisible());
  ExpectUsable(*window);
}

// A failure of the operating system is told in the program's words first, with the system's reason.
TEST_F(UpgrWndTest, AFolderInThePlaceOfTheBackupIsReportedAndNothingChanges) {
  const QString backup = Installed() + QStringLiteral("/meridox_sec.bak");
  ASSERT_TRUE(QDir().mkpath(backup + QStringLiteral("/stare wersje")));
  const auto before = FolderState(Installed());
  EXPECT_EQ(RefusedLocalUpgrade(PROJECT_MAJOR, PROJECT_MINOR + 1),
            QStringLiteral("Nie można utworzyć pliku: %1 (Jest katalogiem)").arg(backup));
  EXPECT_EQ(FolderState(Installed()), before);
}

// A link in the program's folder that leads back into it is one more road to the program: the package
// is refused and the old program still runs.
TEST_F(UpgrWndTest, MemberReachingTheProgramThroughALinkIsRefused) {
  ASSERT_EQ(::symlink(".", QFile::encodeName(Installed() + QStringLiteral("/self")).constData()), 0);
  const auto before = FolderState(Installed());
  // shown by the application's exception box
  EXPECT_EQ(RefusedLocalUpgrade(PROJECT_MAJOR, PROJECT_MINOR + 1,
                                {{QStringLiteral("self\\meridox_sec"), "junk", true}}),
            QStringLiteral("Niedozwolona nazwa pliku w archiwum: self\\meridox_sec."));
  ASSERT_FALSE(dialogs.Messages().empty());
  EXPECT_EQ(dialogs.Messages().back().Icon, mtError);
  EXPECT_EQ(FolderState(Installed()), before);
  EXPECT_EQ(RunProgram(Program()), built);
}

struct CutShortCase {
  const char *Label;
  std::function<TLoopbackServer::TRoute(const QByteArray &package)> Route;
};

void PrintTo(const CutShortCase &c, std::ostream *os) { *os << c.Label; }

class UpgrWndCutShort : public UpgrWndTest, public testing::WithParamInterface<CutShortCase> {};

// A transfer that ends early looks finished to the transfer itself; the package's checksum tells, and
// the person is told of a failed download before any question.
TEST_P(UpgrWndCutShort, DownloadIsAFailureAndNothingIsAsked) {
  Descriptor(Offer(newer));
  server.Route(QStringLiteral("/upd/pkg.upg"),
               GetParam().Route(PackageBytes(PROJECT_MAJOR, PROJECT_MINOR + 1)));
  const auto before = FolderState(Installed());
  auto window = MakeWindow();
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  ExpectBox(0, DownloadError() + QStringLiteral(" (Plik:%1 jest uszkodzony)").arg(DownloadedPackage()),
            mtError);
  EXPECT_EQ(FolderState(Installed()), before) << "the damaged package is deleted";
  EXPECT_EQ(RunProgram(Program()), built);
  ExpectUsable(*window);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, UpgrWndCutShort,
    testing::Values(CutShortCase{"WithoutALength",
                                 [](const QByteArray &package) {
                                   return TLoopbackServer::TRoute{200, package.left(package.size() / 2), -1,
                                                                  TLoopbackServer::NoLength};
                                 }},
                    CutShortCase{"WithAShorterLength",
                                 [](const QByteArray &package) {
                                   return TLoopbackServer::TRoute{200, package, -1, package.size() / 2};
                                 }}),
    [](const testing::TestParamInfo<CutShortCase> &info) { return std::string(info.param.Label); });

struct LimitCase {
  const char *Label;
  std::optional<TLoopbackServer::TRoute> Descriptor; // none: one that offers the package route
  TLoopbackServer::TRoute Package;
  const char *Reason;
};

void PrintTo(const LimitCase &c, std::ostream *os) { *os << c.Label; }

class UpgrWndLimits : public UpgrWndTest, public testing::WithParamInterface<LimitCase> {};

// An endless or oversized file and a server that stops sending end the download with a reason, and the
// window is usable again.
TEST_P(UpgrWndLimits, EndTheDownloadWithTheirReason) {
  const LimitCase &c = GetParam();
  if (c.Descriptor)
    server.Route(QStringLiteral("/upd/meridox_sec.ver"), *c.Descriptor);
  else
    Descriptor(Offer(newer));
  server.Route(QStringLiteral("/upd/pkg.upg"), c.Package);
  const auto before = FolderState(Installed());
  auto window = MakeWindow();
  window->StallSeconds = 1;
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  ExpectBox(0, DownloadError() + QStringLiteral(" (%1)").arg(QString::fromUtf8(c.Reason)), mtError);
  EXPECT_EQ(FolderState(Installed()), before) << "no part of a package is left";
  ExpectUsable(*window);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpgrWndLimits,
                         testing::Values(LimitCase{"EndlessDescriptor",
                                                   TLoopbackServer::TRoute{200, QByteArray(64 << 10, 'P'), -1,
                                                                           TLoopbackServer::BodyLength, true},
                                                   {},
                                                   "plik na serwerze jest większy niż 1 MiB"},
                                         LimitCase{"PackageDeclaringMoreThanAPackageMayHold",
                                                   std::nullopt,
                                                   {200, "AGZ1", -1, TMainWindow::MaxPackageBytes + 1},
                                                   "plik na serwerze jest większy niż 1024 MiB"},
                                         LimitCase{"SilentDescriptorServer",
                                                   TLoopbackServer::TRoute{200, {}, TLoopbackServer::Silent},
                                                   {},
                                                   "serwer nie przysłał danych przez 1 s"},
                                         LimitCase{"PackageStalledHalfWay",
                                                   std::nullopt,
                                                   {200, QByteArray(200000, 'x'), 5000},
                                                   "serwer nie przysłał danych przez 1 s"}),
                         [](const testing::TestParamInfo<LimitCase> &info) {
                           return std::string(info.param.Label);
                         });

TEST_F(UpgrWndTest, ProgramWithoutAVersionBlockMakesTheCheckDoNothing) {
  QFile::remove(Program());
  QFile plain(Program());
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.write("no version here");
  plain.close();
  auto window = MakeWindow();
  window->GetUpgrade->click();
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(server.Requests(), 0);
}

TEST_F(UpgrWndTest, WrongProgramPathIsRefused) {
  auto window = MakeWindow();
  window->Path->setText(dir.filePath(QStringLiteral("absent/meridox_sec")));
  dialogs.AnswerMessage(mrOk);
  dialogs.AnswerMessage(mrOk);
  window->GetUpgrade->click();
  window->MakeUpgradeBtn->click();
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  ExpectBox(0, QStringLiteral("Podano błędną ścieżkę do programu"), mtError);
  ExpectBox(1, QStringLiteral("Nie można otworzyć pliku: ") + window->Path->text(), mtError);
  EXPECT_EQ(server.Requests(), 0);
}

TEST_F(UpgrWndTest, LocalPackageOfANewerMajorIsRefusedWithNothingChanged) {
  const auto before = FolderState(Installed());
  EXPECT_EQ(
      RefusedLocalUpgrade(PROJECT_MAJOR + 1, 0),
      QStringLiteral("Upgrade nie może zostać przeprowadzony. Dotychczasowa wersja programu jest za stara."));
  EXPECT_EQ(FolderState(Installed()), before);
}

TEST_F(UpgrWndTest, LocalPackageOfTheSameVersionAsksFirst) {
  const QByteArray image = ReadFile(QStringLiteral(VERSION_PROBE));
  const QString package = dir.filePath(QStringLiteral("same.upg"));
  WritePackage(package, {{QStringLiteral("meridox_sec"),
                          WithVersion(image, PROJECT_MAJOR, PROJECT_MINOR, 5, 5), false}});
  auto window = MakeWindow();
  window->UpgradePath->setText(package);
  dialogs.AnswerMessage(mrYes);
  dialogs.AnswerMessage(mrOk);
  window->MakeUpgradeBtn->click();
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  ExpectBox(
      0,
      QStringLiteral("Dotychczasowa wersja programu jest taka sama lub nowsza od upgrade'u. Kontynuować ?"),
      mtConfirmation);
  ExpectBox(1, QStringLiteral("Upgrade został przeprowadzony poprawnie"), mtInformation);
  EXPECT_EQ(RunProgram(Program()), QStringLiteral("%1.%2.5.5").arg(PROJECT_MAJOR).arg(PROJECT_MINOR));
}

// The end of the desktop session: the program ends by itself with exit code 0 and never leaves a
// file half-written.
TEST_F(UpgrWndTest, SessionEndDuringADownloadStopsItAndLeavesNoPartOfThePackage) {
  Descriptor(Offer(newer));
  server.Route(QStringLiteral("/upd/pkg.upg"), {200, QByteArray(200000, 'x'), 5000});
  auto window = MakeWindow();
  window->show();
  Application()->SetMainForm(window.get());
  const auto notMain = qScopeGuard([] { Application()->SetMainForm(nullptr); });
  server.OnStall = [&window] {
    QMetaObject::invokeMethod(
        window.get(), [] { Application()->EndSession(); }, Qt::QueuedConnection);
  };
  const auto before = FolderState(Installed());
  QTimer::singleShot(0, window.get(), [&window] { window->GetUpgrade->click(); });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] { Application()->exit(7); });
  watchdog.start(30000);
  EXPECT_EQ(Application()->Run(), 0);
  EXPECT_EQ(server.StallsLeftByClient(), 1) << "the transfer was stopped";
  EXPECT_TRUE(dialogs.Messages().empty()) << "a stop by the session's end is no failure to report";
  EXPECT_EQ(FolderState(Installed()), before);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(DownloadWindow(), nullptr);
}

TEST_F(UpgrWndTest, SessionEndDuringAnInstallLetsItFinishWhole) {
  const QString package = dir.filePath(QStringLiteral("nowy.upg"));
  WritePackage(
      package,
      {{QStringLiteral("meridox_sec"),
        WithVersion(ReadFile(QStringLiteral(VERSION_PROBE)), PROJECT_MAJOR, PROJECT_MINOR + 1, 0, 9), true},
       {QStringLiteral("doc\\zmiany.txt"), "zmiany", true}});
  QProcess probe;
  ProgramProcess::StartOffscreen(probe, QStringLiteral(UPGRADE_SESSION_PROBE), {Program(), package},
                                 dir.filePath(QStringLiteral("config")));
  ASSERT_TRUE(probe.waitForFinished(30000));
  EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
  EXPECT_EQ(RunProgram(Program()), newer + QStringLiteral(".0.9"));
  EXPECT_EQ(RunProgram(Installed() + QStringLiteral("/meridox_sec.bak")), built);
  EXPECT_EQ(ReadFile(Installed() + QStringLiteral("/doc/zmiany.txt")), QByteArray("zmiany"));
  EXPECT_EQ(
      QDir(Installed()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
      (QStringList{QStringLiteral("doc"), QStringLiteral("meridox_sec"), QStringLiteral("meridox_sec.bak")}));
}

TEST_F(UpgrWndTest, SessionEndOfTheIdleProgramEndsItCleanly) {
  QProcess process;
  ProgramProcess::StartOffscreen(process, QStringLiteral(UPGRADE_PROGRAM), {},
                                 dir.filePath(QStringLiteral("config")));
  const auto stop = qScopeGuard([&] {
    process.kill();
    process.waitForFinished();
  });
  ProgramProcess::EndSession(process);
}

} // namespace
