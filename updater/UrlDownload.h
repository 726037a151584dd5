#pragma once

#include <QString>
#include <QtGlobal>

// The URL download of the platform, on libcurl: one call that returns when the transfer ends and
// reports to a status callback on the calling thread while it runs.
using HRESULT = long;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_ABORT = HRESULT(0x80004004L);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005L);
// The server sent nothing for the limit's time, while connecting or in the middle of the body.
inline constexpr HRESULT INET_E_CONNECTION_TIMEOUT = HRESULT(0x800C000BL);
// The body is longer than the limit allows, by its declared length or by what arrived.
inline constexpr HRESULT E_FILE_TOO_LARGE = HRESULT(0x800700DFL); // HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)

enum TBindStatus : unsigned {
  BINDSTATUS_FINDINGRESOURCE = 1,
  BINDSTATUS_CONNECTING = 2,
  BINDSTATUS_BEGINDOWNLOADDATA = 4,
  BINDSTATUS_DOWNLOADINGDATA = 5,
  BINDSTATUS_ENDDOWNLOADDATA = 6,
  BINDSTATUS_USINGCACHEDCOPY = 10,
  BINDSTATUS_SENDINGREQUEST = 11,
  BINDSTATUS_CACHEFILENAMEAVAILABLE = 14,
};

class IBindStatusCallback {
public:
  virtual ~IBindStatusCallback() = default;
  virtual HRESULT OnStartBinding() = 0;
  // Any result but S_OK stops the transfer.
  virtual HRESULT OnProgress(qint64 progress, qint64 progressMax, unsigned statusCode,
                             const QString &statusText) = 0;
  virtual HRESULT OnStopBinding(HRESULT result) = 0;
};

// What one transfer may take: a server cannot fill the disk, nor keep the program waiting for ever.
struct TDownloadLimits {
  qint64 MaxBytes = 0;
  int StallSeconds = 30;
};

// Whether downloads can run at all (the transfer library initialised).
bool URLDownloadAvailable();

// Fetches the address into the file: S_OK once the whole body is in place; E_ABORT when the callback
// stopped it; INET_E_CONNECTION_TIMEOUT and E_FILE_TOO_LARGE past the limits; E_FAIL for every other
// failure, an HTTP error status included. The file is written under a temporary name and renamed into
// place only when complete, so a failure leaves it as it was; a link at the name is replaced by the
// file, never written through.
HRESULT URLDownloadToFile(const QString &url, const QString &fileName, IBindStatusCallback &callback,
                          const TDownloadLimits &limits);
