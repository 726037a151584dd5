#include "GetFile.h"

#include "Exceptions.h"
#include "LoopbackServer.h"
#include "NewCtrls.h"
#include "StdCtrls.h"
#include "UpdaterTestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(NewProgressBar, RangeBelowItsMinimumIsRefusedAndKept) {
  TNewProgressBar bar;
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 100);
  bar.SetMin(10);
  try {
    bar.SetMax(5);
    ADD_FAILURE() << "accepted";
  } catch (const EInvalidOperation &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("TNewProgressBar property out of range"));
  }
  EXPECT_EQ(bar.Min(), 10);
  EXPECT_EQ(bar.Max(), 100);
  bar.SetPosition(500);
  EXPECT_EQ(bar.Position(), 100) << "kept within the range";
}

TEST(BindCallback, ShowsThePhaseAndProgress) {
  TURLGetFileWnd window(nullptr, QString(), QString());
  TBindCallback callback(window);
  EXPECT_EQ(callback.OnProgress(10, 200, BINDSTATUS_DOWNLOADINGDATA, QStringLiteral("text")), S_OK);
  EXPECT_EQ(window.MainStatus->text(), QStringLiteral("Pobieranie danych..."));
  EXPECT_EQ(window.Status->text(), QString()) << "status text only when asked";
  EXPECT_EQ(window.ProgressBar->Max(), 200);
  EXPECT_EQ(window.ProgressBar->Position(), 10);

  window.SetShowStatusText(true);
  // no total reported: range 0..0 without an error; an unknown code empties the phase
  EXPECT_EQ(callback.OnProgress(0, 0, 3, QStringLiteral("text")), S_OK);
  EXPECT_EQ(window.MainStatus->text(), QString());
  EXPECT_EQ(window.Status->text(), QStringLiteral("text"));
  EXPECT_EQ(window.ProgressBar->Max(), 0);

  window.AbortBtn->click();
  EXPECT_EQ(callback.OnProgress(0, 0, BINDSTATUS_CONNECTING, QString()), E_ABORT);
  EXPECT_EQ(window.MainStatus->text(), QStringLiteral("Łączenie..."));
}

TEST(BindCallback, StopClosesTheWindowOnlyWhenAsked) {
  TURLGetFileWnd window(nullptr, QString(), QString());
  TBindCallback callback(window);
  callback.OnStartBinding();
  ASSERT_TRUE(window.isVisible());
  callback.OnStopBinding(S_OK);
  EXPECT_TRUE(window.isVisible());
  window.SetCloseOnStop(true);
  callback.OnStopBinding(S_OK);
  EXPECT_FALSE(window.isVisible());
}

TEST(BindCallback, StatusTexts) {
  const std::pair<unsigned, const char *> table[] = {{1, "Przeszukiwanie zasobów..."},
                                                     {2, "Łączenie..."},
                                                     {4, "Rozpoczęcie pobierania danych..."},
                                                     {5, "Pobieranie danych..."},
                                                     {6, "Zakończenie pobierania danych..."},
                                                     {10, "Pobierania danych z cache'u..."},
                                                     {11, "Wysłanie żądania..."},
                                                     {14, "Plik dostępny w cache'u..."},
                                                     {3, ""},
                                                     {99, ""}};
  for (const auto &[code, text] : table)
    EXPECT_EQ(BindStatusText(code), QString::fromUtf8(text)) << code;
}

constexpr TDownloadLimits OneMiB{1 << 20, 30};

class DownloadTest : public testing::Test {
protected:
  QString Target() const { return dir.filePath(QStringLiteral("meridox_sec.upg")); }
  HRESULT DownloadFrom(const QString &url, const TDownloadLimits &limits = OneMiB) {
    window.SetURL(url);
    window.SetFileName(Target());
    return window.Download([&limits](const QString &from, const QString &to, IBindStatusCallback &callback) {
      return URLDownloadToFile(from, to, callback, limits);
    });
  }
  HRESULT Download(const QString &path, const TDownloadLimits &limits = OneMiB) {
    return DownloadFrom(server.Url(path), limits);
  }
  void ExpectNoFile() const {
    EXPECT_FALSE(QFile::exists(Target())) << "no partial file";
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  }

  QTemporaryDir dir;
  TLoopbackServer server;
  TURLGetFileWnd window{nullptr, QString(), QString()};
};

TEST_F(DownloadTest, CompleteTransferWritesTheFile) {
  const QByteArray body(300000, 'p');
  server.Route(QStringLiteral("/pkg.upg"), {200, body});
  EXPECT_EQ(Download(QStringLiteral("/pkg.upg")), S_OK);
  EXPECT_EQ(ReadFile(Target()), body);
  EXPECT_TRUE(window.isVisible()) << "shown when the transfer starts, left to its owner";
  EXPECT_EQ(window.MainStatus->text(), QStringLiteral("Zakończenie pobierania danych..."));
  EXPECT_EQ(window.ProgressBar->Position(), body.size());
  EXPECT_FALSE(window.Aborted());
}

TEST_F(DownloadTest, HttpErrorIsAFailureAndSavesNoErrorPage) {
  QFile old(Target());
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("previous");
  old.close();
  EXPECT_EQ(Download(QStringLiteral("/missing.upg")), E_FAIL);
  EXPECT_EQ(ReadFile(Target()), QByteArray("previous"));
  EXPECT_EQ(server.Requests(), 1);
}

// A link at the package's name (to the program, say) is replaced by the package, never written
// through; a failed download leaves the link as it was.
TEST_F(DownloadTest, LinkAtTheFileNameIsReplacedNotWrittenThrough) {
  const QString program = dir.filePath(QStringLiteral("meridox_sec"));
  QFile file(program);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("old program");
  file.close();
  ASSERT_TRUE(QFile::link(program, Target()));

  EXPECT_EQ(Download(QStringLiteral("/missing.upg")), E_FAIL);
  EXPECT_EQ(QFileInfo(Target()).symLinkTarget(), program);

  server.Route(QStringLiteral("/pkg.upg"), {200, QByteArray("package")});
  EXPECT_EQ(Download(QStringLiteral("/pkg.upg")), S_OK);
  EXPECT_FALSE(QFileInfo(Target()).isSymLink());
  EXPECT_EQ(ReadFile(Target()), QByteArray("package"));
  EXPECT_EQ(ReadFile(program), QByteArray("old program"));
}

TEST_F(DownloadTest, UnreachableServerIsAFailure) {
  EXPECT_EQ(DownloadFrom(QStringLiteral("http://127.0.0.1:1/x")), E_FAIL);
  EXPECT_FALSE(QFile::exists(Target()));
}

TEST_F(DownloadTest, StalledTransferStopsOnTheAbortButton) {
  server.Route(QStringLiteral("/slow.upg"), {200, QByteArray(100000, 's'), 1000});
  // The click arrives through the event queue, which the download lets run while it waits.
  server.OnStall = [this] {
    QMetaObject::invokeMethod(window.AbortBtn, &QAbstractButton::click, Qt::QueuedConnection);
  };
  EXPECT_EQ(Download(QStringLiteral("/slow.upg")), E_ABORT);
  EXPECT_TRUE(window.Aborted());
  EXPECT_EQ(server.StallsLeftByClient(), 1);
  ExpectNoFile();
}

TEST_F(DownloadTest, ClosingTheWindowDuringADownloadStopsIt) {
  server.Route(QStringLiteral("/slow.upg"), {200, QByteArray(100000, 's'), 1000});
  server.OnStall = [this] { QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection); };
  EXPECT_EQ(Download(QStringLiteral("/slow.upg")), E_ABORT);
  EXPECT_FALSE(QFile::exists(Target()));
}

struct LimitCase {
  const char *Label;
  TLoopbackServer::TRoute Route;
  TDownloadLimits Limits;
  HRESULT Result;
};

void PrintTo(const LimitCase &c, std::ostream *os) { *os << c.Label; }

class DownloadLimits : public DownloadTest, public testing::WithParamInterface<LimitCase> {};

// A server can neither fill the disk nor keep the download waiting: past a limit the transfer fails
// and leaves no file; a body of exactly the bound still arrives.
TEST_P(DownloadLimits, EndTheTransfer) {
  const LimitCase &c = GetParam();
  server.Route(QStringLiteral("/f"), c.Route);
  EXPECT_EQ(Download(QStringLiteral("/f"), c.Limits), c.Result);
  if (c.Result == S_OK) {
    EXPECT_EQ(ReadFile(Target()), c.Route.Body);
    return;
  }
  ExpectNoFile();
  if (c.Result == INET_E_CONNECTION_TIMEOUT) {
    EXPECT_EQ(server.StallsLeftByClient(), 1) << "the client gave up, not the server";
  }
}

constexpr qsizetype Mib = 1 << 20;
constexpr qint64 NoLength = TLoopbackServer::NoLength;
constexpr qint64 BodyLength = TLoopbackServer::BodyLength;

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadLimits,
    testing::Values(
        LimitCase{
            "EndlessBody", {200, QByteArray(64 << 10, 'e'), -1, BodyLength, true}, OneMiB, E_FILE_TOO_LARGE},
        LimitCase{"BodyPastTheBoundWithoutALength",
                  {200, QByteArray(Mib + 1, 'b'), -1, NoLength},
                  OneMiB,
                  E_FILE_TOO_LARGE},
        LimitCase{"BodyOfTheBoundWithoutALength", {200, QByteArray(Mib, 'b'), -1, NoLength}, OneMiB, S_OK},
        LimitCase{"DeclaredLengthPastTheBound", {200, "short", -1, 2 * Mib}, OneMiB, E_FILE_TOO_LARGE},
        LimitCase{
            "StallInTheBody", {200, QByteArray(100000, 's'), 1000}, {Mib, 1}, INET_E_CONNECTION_TIMEOUT},
        LimitCase{"ServerThatNeverAnswers",
                  {200, {}, TLoopbackServer::Silent},
                  {Mib, 1},
                  INET_E_CONNECTION_TIMEOUT}),
    [](const testing::TestParamInfo<LimitCase> &info) { return std::string(info.param.Label); });

} // namespace
