#pragma once

#include "Forms.h"
#include "UrlDownload.h"

#include <functional>

class QLabel;
class TButton;
class TNewProgressBar;
class TURLGetFileWnd;

// The call that fetches an address into a file, in the platform's shape.
using TURLDownloadToFile =
    std::function<HRESULT(const QString &url, const QString &fileName, IBindStatusCallback &callback)>;

// Reports a running download to its window, on the calling thread.
class TBindCallback : public IBindStatusCallback {
public:
  explicit TBindCallback(TURLGetFileWnd &window) : FWindow(window) {}
  HRESULT OnStartBinding() override;
  HRESULT OnProgress(qint64 progress, qint64 progressMax, unsigned statusCode,
                     const QString &statusText) override;
  HRESULT OnStopBinding(HRESULT result) override;

private:
  TURLGetFileWnd &FWindow;
};

// The window that shows a download's phase and progress and lets the person stop it. It is freed
// by its owner; closing it while a download runs stops the download.
class TURLGetFileWnd : public TForm {
  Q_OBJECT
public:
  TURLGetFileWnd(QWidget *owner, QString url, QString fileName);

  void SetURL(const QString &url) { FURL = url; }
  void SetFileName(const QString &fileName) { FFileName = fileName; }
  // Whether the window closes itself when the transfer ends, and shows the transfer's own status text.
  void SetCloseOnStop(bool value) { FCloseOnStop = value; }
  void SetShowStatusText(bool value) { FShowStatusText = value; }
  bool Aborted() const { return FAborted; }

  // Zero when the file was written; anything else is a failure.
  HRESULT Download(const TURLDownloadToFile &fn);
  void AbortBtnClick();

  QLabel *MainStatus;
  QLabel *Status;
  TNewProgressBar *ProgressBar;
  TButton *AbortBtn;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  friend class TBindCallback;

  QString FURL;
  QString FFileName;
  bool FCloseOnStop = false;
  bool FShowStatusText = false;
  bool FAborted = false;
  bool FDownloading = false;
};

// The phase text of a status code; empty for codes without one.
QString BindStatusText(unsigned statusCode);
