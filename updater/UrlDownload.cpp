#include "UrlDownload.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>
#include <curl/curl.h>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unistd.h>

namespace {

struct TTransfer {
  QTemporaryFile File;
  IBindStatusCallback &Callback;
  QString Url;
  TDownloadLimits Limits;
  bool Begun = false;
  bool WriteFailed = false;
  bool TooLarge = false;
  bool Stalled = false;
  curl_off_t Received = 0;
  QElapsedTimer SinceLastByte{};
};

size_t WriteBody(char *data, size_t size, size_t count, void *user) {
  auto *transfer = static_cast<TTransfer *>(user);
  const qint64 length = qint64(size * count);
  // A body without a declared length is bounded by what arrives.
  if (transfer->File.size() + length > transfer->Limits.MaxBytes) {
    transfer->TooLarge = true;
    return 0;
  }
  if (transfer->File.write(data, length) != length) {
    transfer->WriteFailed = true;
    return 0;
  }
  return size_t(length);
}

int Progress(void *user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto *transfer = static_cast<TTransfer *>(user);
  // A server that sends nothing for the limit's time, before its answer or in the middle, is given up.
  if (now != transfer->Received) {
    transfer->Received = now;
    transfer->SinceLastByte.start();
  } else if (transfer->SinceLastByte.hasExpired(qint64(transfer->Limits.StallSeconds) * 1000)) {
    transfer->Stalled = true;
    return 1;
  }
  unsigned status = BINDSTATUS_SENDINGREQUEST;
  if (now > 0) {
    status = transfer->Begun ? BINDSTATUS_DOWNLOADINGDATA : BINDSTATUS_BEGINDOWNLOADDATA;
    transfer->Begun = true;
  }
  return transfer->Callback.OnProgress(now, total, status, transfer->Url) == S_OK ? 0 : 1;
}

HRESULT Perform(TTransfer &transfer) {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl)
    return E_FAIL;
  const QByteArray url = transfer.Url.toUtf8();
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.constData());
  curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, long(transfer.Limits.StallSeconds));
  curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE, curl_off_t(transfer.Limits.MaxBytes));
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &transfer);
  transfer.SinceLastByte.start();
  const CURLcode code = curl_easy_perform(curl.get());
  if (code == CURLE_OPERATION_TIMEDOUT || transfer.Stalled)
    return INET_E_CONNECTION_TIMEOUT;
  if (code == CURLE_ABORTED_BY_CALLBACK)
    return E_ABORT;
  if (code == CURLE_FILESIZE_EXCEEDED || transfer.TooLarge)
    return E_FILE_TOO_LARGE;
  if (code != CURLE_OK || transfer.WriteFailed)
    return E_FAIL;
  const qint64 size = transfer.File.size();
  if (transfer.Callback.OnProgress(size, size, BINDSTATUS_ENDDOWNLOADDATA, transfer.Url) != S_OK)
    return E_ABORT;
  return transfer.File.flush() && ::fsync(transfer.File.handle()) == 0 ? S_OK : E_FAIL;
}

// rename() replaces a link at the name by the file, where a save file would write through the link
// onto whatever it names (the program itself, say).
bool MoveIntoPlace(QTemporaryFile &file, const QString &fileName) {
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(file.fileName()).constData(),
                          QFile::encodeName(fileName).constData(), error);
  if (error)
    return false;
  file.setAutoRemove(false);
  return true;
}

} // namespace

bool URLDownloadAvailable() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return initialised;
}

HRESULT URLDownloadToFile(const QString &url, const QString &fileName, IBindStatusCallback &callback,
                          const TDownloadLimits &limits) {
  if (!URLDownloadAvailable())
    return E_FAIL;
  const QFileInfo target(fileName);
  TTransfer transfer{QTemporaryFile(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                                    QStringLiteral(".XXXXXX")),
                     callback, url, limits};
  if (!transfer.File.open())
    return E_FAIL;
  callback.OnStartBinding();
  const QString host = QUrl(url).host();
  HRESULT result = callback.OnProgress(0, 0, BINDSTATUS_FINDINGRESOURCE, host);
  if (result == S_OK)
    result = callback.OnProgress(0, 0, BINDSTATUS_CONNECTING, host);
  result = result == S_OK ? Perform(transfer) : E_ABORT;
  if (result == S_OK && !MoveIntoPlace(transfer.File, fileName))
    result = E_FAIL;
  callback.OnStopBinding(result);
  return result;
}
