#pragma once

#include "Dialogs.h"
#include "Forms.h"
#include "GetFile.h"

#include <QString>

class QLabel;
class QLineEdit;
class TButton;

// The window of upgrade: names the installed program and the update package, applies the package,
// or first fetches the one that fits the installed version from the update server.
class TMainWindow : public TForm {
  Q_OBJECT
public:
  explicit TMainWindow(QWidget *owner = nullptr);

  // The folder on the update server that holds "meridox_sec.ver"; ends with "/".
  const QString &UpdateServer() const { return FUpdateServer; }

  void PathBtnClick();
  void UpgradePathBtnClick();
  void MakeUpgradeBtnClick();
  void GetUpgradeClick();
  void ExitBtnClick();

  QLabel *Lab;
  QLineEdit *Path;
  TButton *PathBtn;
  QLabel *Label2;
  QLineEdit *UpgradePath;
  TButton *UpgradePathBtn;
  TButton *MakeUpgradeBtn;
  TButton *GetUpgrade;
  TButton *ExitBtn;
  TFileDialogRequest OpenDialog1;
  TFileDialogRequest OpenDialog2;

  // Where the downloaded descriptor is kept: "meridox_sec.ver" beside upgrade.
  QString DescriptorPath;
  // How long a download waits for a server that sends nothing before it gives up.
  int StallSeconds = 30;

  // The most a download may bring: a descriptor is a few lines, a package holds members of up to
  // 256 MiB each.
  static constexpr qint64 MaxDescriptorBytes = qint64(1) << 20;
  static constexpr qint64 MaxPackageBytes = qint64(1) << 30;

private:
  void FormCreate();
  void BuildControls();
  void ChooseFile(TFileDialogRequest &dialog, QLineEdit *edit);
  QString DownloadErrorText() const;
  // The download error message, with what went wrong in parentheses where that is known.
  void ReportDownloadError(const QString &reason) const;
  // Runs the download window for one file of at most `maxBytes`; false after a failure, which it has
  // reported.
  bool Fetch(TURLGetFileWnd &window, const QString &url, const QString &fileName, qint64 maxBytes);
  // Whether the downloaded package is whole; a transfer cut short is reported as a failed download.
  bool PackageArrivedWhole(const QString &package) const;

  QString FUpdateServer;
  decltype(&URLDownloadToFile) FURLDownloadToFile = nullptr;
};

// The registry entry that names the install folder, and the update server's address beside it.
inline const QString InstallRegistryKey = QStringLiteral("\\Software\\Halvek");
inline const QString InstallRegistrySection = QStringLiteral("Meridox_sec 1");
inline const QString InstallFolderValue = QStringLiteral("Główny katalog");
inline const QString UpdateServerValue = QStringLiteral("Serwer aktualizacji");
inline const QString DefaultUpdateServer = QStringLiteral("http://localhost/meridox_sec/");
