#include "UpgrWnd.h"

#include "Application.h"
#include "Common.h"
#include "Registry.h"
#include "StagedFiles.h"
#include "StdCtrls.h"
#include "Upg.h"
#include "UpgradeInstaller.h"
#include "VersionDescriptor.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <memory>

namespace {

void ErrorBox(const QString &text) { MessageBox(text, QString(), MB_OK | MB_ICONERROR); }

bool Ask(const QString &text) { return MessageBox(text, QString(), MB_YESNO | MB_ICONQUESTION) == mrYes; }

// What went wrong, where the person can do something about it; other failures have no reason.
QString DownloadFailureReason(HRESULT result, const TDownloadLimits &limits) {
  if (result == INET_E_CONNECTION_TIMEOUT)
    return QStringLiteral("serwer nie przysłał danych przez %1 s").arg(limits.StallSeconds);
  if (result == E_FILE_TOO_LARGE)
    return QStringLiteral("plik na serwerze jest większy niż %1 MiB").arg(limits.MaxBytes >> 20);
  return QString();
}

TFileDialogRequest OpenDialog(const QString &title, const QString &filter) {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Open;
  request.Title = title;
  request.Filter = filter;
  return request;
}

} // namespace

TMainWindow::TMainWindow(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("MainWindow"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  BuildControls();
  FormCreate();
}

void TMainWindow::BuildControls() {
  const auto button = [this](const char *name, const QString &caption, void (TMainWindow::*handler)()) {
    auto *b = new TButton(this, caption);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this,
            [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
    return b;
  };
  Lab = new QLabel(this);
  Path = new QLineEdit(this);
  Path->setObjectName(QStringLiteral("Path"));
  PathBtn = button("PathBtn", QStringLiteral("Zmień"), &TMainWindow::PathBtnClick);
  Label2 = new QLabel(QStringLiteral("Ścieżka do pliku z upgrade'm:"), this);
  UpgradePath = new QLineEdit(this);
  UpgradePath->setObjectName(QStringLiteral("UpgradePath"));
  UpgradePathBtn = button("UpgradePathBtn", QStringLiteral("Zmień"), &TMainWindow::UpgradePathBtnClick);
  MakeUpgradeBtn =
      button("MakeUpgradeBtn", QStringLiteral("Przeprowadź upgrade"), &TMainWindow::MakeUpgradeBtnClick);
  GetUpgrade = button("GetUpgrade", QStringLiteral("Pobierz z Internetu"), &TMainWindow::GetUpgradeClick);
  GetUpgrade->setEnabled(false);
  ExitBtn = button("ExitBtn", QStringLiteral("Wyjście"), &TMainWindow::ExitBtnClick);

  auto *grid = new QGridLayout(this);
  grid->addWidget(Lab, 0, 0, 1, 2);
  grid->addWidget(Path, 1, 0);
  grid->addWidget(PathBtn, 1, 1);
  grid->addWidget(Label2, 2, 0, 1, 2);
  grid->addWidget(UpgradePath, 3, 0);
  grid->addWidget(UpgradePathBtn, 3, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(MakeUpgradeBtn);
  buttons->addWidget(GetUpgrade);
  buttons->addStretch();
  buttons->addWidget(ExitBtn);
  grid->addLayout(buttons, 4, 0, 1, 2);
  Path->setMinimumWidth(360);

  OpenDialog1 = OpenDialog(QStringLiteral("Wskaż plik wykonywalny z programem"),
                           QStringLiteral("Programy (meridox_sec)|meridox_sec|Wszystkie pliki (*)|*"));
  OpenDialog2 = OpenDialog(QStringLiteral("Wskaż plik z upgrade'm"),
                           QStringLiteral("Upgrade programu (*.upg)|*.upg|Wszystkie pliki (*)|*"));
}

void TMainWindow::FormCreate() {
  SetCaption(QStringLiteral("Uaktualnienie programu Meridox_sec"));
  Lab->setText(QStringLiteral("Ścieżka do programu Meridox_sec:"));
  UpgradePath->setText(QStringLiteral("meridox_sec.upg"));
  TRegIniFile registry(InstallRegistryKey);
  const QString folder = registry.ReadString(InstallRegistrySection, InstallFolderValue, QString());
  Path->setText(AddTrailingBackslash(folder) + QStringLiteral("meridox_sec"));
  // What an install killed half-way left behind goes now, before it can pile up.
  TStagedFiles::RemoveLeftovers(QFileInfo(Path->text()).absolutePath());
  FUpdateServer = AddTrailingBackslash(
      registry.ReadString(InstallRegistrySection, UpdateServerValue, DefaultUpdateServer));
  FURLDownloadToFile = URLDownloadToFile;
  GetUpgrade->setEnabled(URLDownloadAvailable());
  DescriptorPath = AddTrailingBackslash(QFileInfo(QCoreApplication::applicationFilePath()).absolutePath()) +
                   QStringLiteral("meridox_sec.ver");
}

void TMainWindow::ChooseFile(TFileDialogRequest &dialog, QLineEdit *edit) {
  dialog.FileName = edit->text();
  if (DialogSeam().FileDialog(dialog))
    edit->setText(dialog.FileName);
}

void TMainWindow::PathBtnClick() { ChooseFile(OpenDialog1, Path); }

void TMainWindow::UpgradePathBtnClick() { ChooseFile(OpenDialog2, UpgradePath); }

void TMainWindow::ExitBtnClick() { close(); }

QString TMainWindow::DownloadErrorText() const {
  return QStringLiteral("Błąd podczas ściągania pliku. Spróbuj pobrać upgrade ponownie, jeżeli się to nie "
                        "powiedzie połącz się z serwerem: ") +
         FUpdateServer + QStringLiteral(" i pobierz upgrade bezpośrednio przy użyciu przeglądarki WWW");
}

// A download the end of the program stopped is no failure to tell the person about.
void TMainWindow::ReportDownloadError(const QString &reason) const {
  if (!Application() || !Application()->Terminated())
    ErrorBox(WithSystemReason(DownloadErrorText(), reason));
}

bool TMainWindow::Fetch(TURLGetFileWnd &window, const QString &url, const QString &fileName,
                        qint64 maxBytes) {
  window.SetURL(url);
  window.SetFileName(fileName);
  const TDownloadLimits limits{maxBytes, StallSeconds};
  const HRESULT result =
      window.Download([this, &limits](const QString &from, const QString &to, IBindStatusCallback &callback) {
        return FURLDownloadToFile(from, to, callback, limits);
      });
  if (result == S_OK)
    return true;
  ReportDownloadError(DownloadFailureReason(result, limits));
  return false;
}

bool TMainWindow::PackageArrivedWhole(const QString &package) const {
  try {
    VerifyPackage(package);
    return true;
  } catch (const EArchiveError &e) {
    ReportDownloadError(e.Message());
    return false;
  }
}

void TMainWindow::GetUpgradeClick() {
  if (!QFileInfo(Path->text()).isFile()) {
    ErrorBox(QStringLiteral("Podano błędną ścieżkę do programu"));
    return;
  }
  TVersionBlock installed;
  try {
    QByteArray image;
    if (!ReadWholeFile(Path->text(), image))
      return;
    installed = ImageVersionBlock(image);
  } catch (const Exception &) {
    return; // a program without a version block: nothing to compare, nothing said
  }
  // A window of its own rather than a Qt child: Qt disables the children of a disabled window, and
  // "Przerwij" must stay usable while this one is disabled.
  auto window = std::make_unique<TURLGetFileWnd>(nullptr, QString(), QString());
  setEnabled(false);
  // Whatever happens, this window becomes usable again and the download window goes.
  auto restore = qScopeGuard([&] {
    setEnabled(true);
    window.reset();
  });
  if (!Fetch(*window, FUpdateServer + QStringLiteral("meridox_sec.ver"), DescriptorPath, MaxDescriptorBytes))
    return;
  QList<QByteArray> lines;
  if (!ReadDescriptorLines(DescriptorPath, lines)) {
    ErrorBox(QStringLiteral("Nie można otworzyć pliku: ") + DescriptorPath);
    return;
  }
  const TDescriptorResult offer = FindUpgrade(lines, installed.Major(), installed.Minor(), [] {
    return Ask(QStringLiteral("Nie znaleziono nowszej wersji programu. Kontynuować pobieranie ?"));
  });
  if (offer.Outcome == TDescriptorOutcome::Stopped)
    return;
  if (offer.Outcome == TDescriptorOutcome::NotFound) {
    ErrorBox(QStringLiteral("Nie znaleziono odpowiedniego upgrade'u"));
    return;
  }
  const QString package =
      AddTrailingBackslash(QFileInfo(Path->text()).absolutePath()) + QStringLiteral("meridox_sec.upg");
  if (!Fetch(*window, offer.Address, package, MaxPackageBytes) || !PackageArrivedWhole(package)) {
    QFile::remove(package);
    return;
  }
  UpgradePath->setText(package);
  restore.dismiss();
  setEnabled(true);
  window.reset();
  if (Ask(QStringLiteral("Pobieranie pliku zakończyło się. Dokonać upgrade'u ?")))
    MakeUpgradeBtnClick();
}

void TMainWindow::MakeUpgradeBtnClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto cursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
  QByteArray image;
  if (!ReadWholeFile(Path->text(), image)) {
    ErrorBox(QStringLiteral("Nie można otworzyć pliku: ") + Path->text());
    return;
  }
  TUpgradeInstaller installer(Path->text(), UpgradePath->text());
  installer.OnConfirmNotNewer = [] {
    return Ask(QStringLiteral(
        "Dotychczasowa wersja programu jest taka sama lub nowsza od upgrade'u. Kontynuować ?"));
  };
  if (!installer.Execute(image))
    return;
  MessageBox(QStringLiteral("Upgrade został przeprowadzony poprawnie"), QString(),
             MB_OK | MB_ICONINFORMATION);
}
