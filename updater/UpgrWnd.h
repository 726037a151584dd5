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

private:
  void FormCreate();
  void BuildControls();
  void ChooseFile(TFileDialogRequest &dialog, QLineEdit *edit);
  QString DownloadErrorText() const;
  void ReportDownloadError() const;
  // Runs the download window for one file; false after a failure, which it has reported.
  bool Fetch(TURLGetFileWnd &window, const QString &url, const QString &fileName);

  QString FUpdateServer;
  TURLDownloadToFile FURLDownloadToFile;
};

// The registry entry that names the install folder, and the update server's address beside it.
inline const QString InstallRegistryKey = QStringLiteral("\\Software\\Halvek");
inline const QString InstallRegistrySection = QStringLiteral("Meridox_sec 1");
inline const QString InstallFolderValue = QStringLiteral("Główny katalog");
inline const QString UpdateServerValue = QStringLiteral("Serwer aktualizacji");
inline const QString DefaultUpdateServer = QStringLiteral("http://localhost/meridox_sec/");
