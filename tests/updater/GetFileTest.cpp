#include "GetFile.h"

#include "Exceptions.h"
#include "LoopbackServer.h"
#include "NewCtrls.h"
#include "StdCtrls.h"
#include "UpdaterTestHelpers.h"

#include <QDir>
#include <QFile>
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

class DownloadTest : public testing::Test {
protected:
  QString Target() const { return dir.filePath(QStringLiteral("meridox_sec.upg")); }
  HRESULT Download(const QString &path) {
    window.SetURL(server.Url(path));
    window.SetFileName(Target());
    return window.Download(URLDownloadToFile);
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

TEST_F(DownloadTest, UnreachableServerIsAFailure) {
  window.SetURL(QStringLiteral("http://127.0.0.1:1/x"));
  window.SetFileName(Target());
  EXPECT_EQ(window.Download(URLDownloadToFile), E_FAIL);
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
  EXPECT_FALSE(QFile::exists(Target())) << "no partial file";
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(DownloadTest, ClosingTheWindowDuringADownloadStopsIt) {
  server.Route(QStringLiteral("/slow.upg"), {200, QByteArray(100000, 's'), 1000});
  server.OnStall = [this] { QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection); };
  EXPECT_EQ(Download(QStringLiteral("/slow.upg")), E_ABORT);
  EXPECT_FALSE(QFile::exists(Target()));
}

} // namespace
