#include "GetFile.h"

#include "Application.h"
#include "NewCtrls.h"
#include "StdCtrls.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <limits>

namespace {

int ClampToInt(qint64 value) { return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max())); }

void ProcessMessages() {
  if (Application())
    Application()->ProcessMessages();
}

} // namespace

QString BindStatusText(unsigned statusCode) {
  switch (statusCode) {
  case BINDSTATUS_FINDINGRESOURCE: return QStringLiteral("Przeszukiwanie zasobów...");
  case BINDSTATUS_CONNECTING: return QStringLiteral("Łączenie...");
  case BINDSTATUS_BEGINDOWNLOADDATA: return QStringLiteral("Rozpoczęcie pobierania danych...");
  case BINDSTATUS_DOWNLOADINGDATA: return QStringLiteral("Pobieranie danych...");
  case BINDSTATUS_ENDDOWNLOADDATA: return QStringLiteral("Zakończenie pobierania danych...");
  case BINDSTATUS_USINGCACHEDCOPY: return QStringLiteral("Pobierania danych z cache'u...");
  case BINDSTATUS_SENDINGREQUEST: return QStringLiteral("Wysłanie żądania...");
  case BINDSTATUS_CACHEFILENAMEAVAILABLE: return QStringLiteral("Plik dostępny w cache'u...");
  default: return QString();
  }
}

HRESULT TBindCallback::OnStartBinding() {
  FWindow.show();
  ProcessMessages();
  return S_OK;
}

HRESULT TBindCallback::OnProgress(qint64 progress, qint64 progressMax, unsigned statusCode,
                                  const QString &statusText) {
  ProcessMessages();
  FWindow.MainStatus->setText(BindStatusText(statusCode));
  FWindow.MainStatus->repaint();
  if (FWindow.FShowStatusText) {
    FWindow.Status->setText(statusText);
    FWindow.Status->repaint();
  }
  FWindow.ProgressBar->SetMax(ClampToInt(progressMax));
  FWindow.ProgressBar->SetPosition(ClampToInt(progress));
  // The end of the program (the session ending meanwhile) stops the transfer as "Przerwij" does.
  const bool ending = Application() && Application()->Terminated();
  return FWindow.FAborted || ending ? E_ABORT : S_OK;
}

HRESULT TBindCallback::OnStopBinding(HRESULT) {
  if (FWindow.FCloseOnStop)
    FWindow.close();
  return S_OK;
}

TURLGetFileWnd::TURLGetFileWnd(QWidget *owner, QString url, QString fileName)
    : TForm(owner), FURL(std::move(url)), FFileName(std::move(fileName)) {
  setObjectName(QStringLiteral("URLGetFileWnd"));
  SetCaption(QStringLiteral("Pobieranie pliku"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  MainStatus = new QLabel(this);
  MainStatus->setObjectName(QStringLiteral("MainStatus"));
  Status = new QLabel(this);
  Status->setObjectName(QStringLiteral("Status"));
  ProgressBar = new TNewProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  AbortBtn = new TButton(this, QStringLiteral("Przerwij"));
  AbortBtn->setObjectName(QStringLiteral("AbortBtn"));
  AbortBtn->SetCancel(true); // Escape stops the download
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(MainStatus);
  layout->addWidget(Status);
  layout->addWidget(ProgressBar);
  layout->addWidget(AbortBtn, 0, Qt::AlignHCenter);
  connect(AbortBtn, &QPushButton::clicked, this, [this] { Guarded(this, [this] { AbortBtnClick(); }); });
}

HRESULT TURLGetFileWnd::Download(const TURLDownloadToFile &fn) {
  FAborted = false;
  ProgressBar->SetPosition(0);
  Status->clear();
  MainStatus->clear();
  TBindCallback callback(*this);
  FDownloading = true;
  const HRESULT result = fn(FURL, FFileName, callback);
  FDownloading = false;
  return result;
}

void TURLGetFileWnd::AbortBtnClick() { FAborted = true; }

// The window belongs to its owner; closing it during a download only stops the download.
void TURLGetFileWnd::closeEvent(QCloseEvent *event) {
  if (FDownloading) {
    FAborted = true;
    event->ignore();
    return;
  }
  TForm::closeEvent(event);
}
