#include "Dialogs.h"

#include "Application.h"
#include "Forms.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

QString ButtonText(TMsgDlgBtn button) {
  switch (button) {
  case mbYes: return QStringLiteral("&Yes");
  case mbNo: return QStringLiteral("&No");
  case mbOK: return QStringLiteral("OK");
  case mbCancel: return QStringLiteral("Cancel");
  case mbAbort: return QStringLiteral("&Abort");
  case mbRetry: return QStringLiteral("&Retry");
  case mbIgnore: return QStringLiteral("&Ignore");
  case mbAll: return QStringLiteral("&All");
  case mbNoToAll: return QStringLiteral("N&o to All");
  case mbYesToAll: return QStringLiteral("Yes to &All");
  case mbHelp: return QStringLiteral("&Help");
  }
  return {};
}

int ButtonResult(TMsgDlgBtn button) {
  switch (button) {
  case mbYes: return mrYes;
  case mbNo: return mrNo;
  case mbOK: return mrOk;
  case mbCancel: return mrCancel;
  case mbAbort: return mrAbort;
  case mbRetry: return mrRetry;
  case mbIgnore: return mrIgnore;
  case mbAll: return mrAll;
  case mbNoToAll: return mrNoToAll;
  case mbYesToAll: return mrYesToAll;
  case mbHelp: return mrNone;
  }
  return mrNone;
}

QMessageBox::Icon BoxIcon(TMsgDlgType type) {
  switch (type) {
  case mtWarning: return QMessageBox::Warning;
  case mtError: return QMessageBox::Critical;
  case mtInformation: return QMessageBox::Information;
  case mtConfirmation: return QMessageBox::Question;
  case mtCustom: return QMessageBox::NoIcon;
  }
  return QMessageBox::NoIcon;
}

// "Text|*.a;*.b|..." becomes Qt's "Text (*.a *.b);;..."
QString QtFilter(const QString &filter) {
  const QStringList parts = filter.split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    entries.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') + u')');
  return entries.join(QStringLiteral(";;"));
}

class TWidgetDialogs final : public TDialogSeam {
public:
  int MessageBox(const TMessageRequest &request) override {
    QMessageBox box(BoxIcon(request.Icon), request.Caption, request.Text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<std::pair<QPushButton *, int>> buttons;
    for (size_t i = 0; i < request.Buttons.size(); ++i) {
      QPushButton *b = box.addButton(ButtonText(request.Buttons[i]), QMessageBox::AcceptRole);
      buttons.emplace_back(b, ButtonResult(request.Buttons[i]));
      if (static_cast<int>(i) == request.DefaultButton)
        box.setDefaultButton(b);
    }
    box.exec();
    for (const auto &[button, result] : buttons)
      if (box.clickedButton() == button)
        return result;
    return mrCancel;
  }

  int ShowModal(TForm &form) override { return form.ExecModal(); }

  bool FileDialog(TFileDialogRequest &request) override {
    QFileDialog dialog(QApplication::activeWindow(), request.Title, request.InitialDir, QtFilter(request.Filter));
    const QStringList filters = dialog.nameFilters();
    if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
      dialog.selectNameFilter(filters[request.FilterIndex - 1]);
    if (!request.FileName.isEmpty())
      dialog.selectFile(request.FileName);
    dialog.setDefaultSuffix(request.DefaultExt);
    switch (request.Kind) {
    case TFileDialogKind::Open:
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
      break;
    case TFileDialogKind::Save:
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      break;
    case TFileDialogKind::Directory:
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly);
      break;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return false;
    request.Files = dialog.selectedFiles();
    request.FileName = request.Files.first();
    request.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
  }

  void ShellOpen(const QString &target) override {
    const QUrl url = target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
  }
};

TWidgetDialogs &WidgetDialogs() {
  static TWidgetDialogs dialogs;
  return dialogs;
}

TDialogSeam *gSeam = nullptr;

QString TypeCaption(TMsgDlgType type) {
  switch (type) {
  case mtWarning: return QStringLiteral("Warning");
  case mtError: return QStringLiteral("Error");
  case mtInformation: return QStringLiteral("Information");
  case mtConfirmation: return QStringLiteral("Confirm");
  case mtCustom: return Application() ? Application()->Title() : QString();
  }
  return {};
}

} // namespace

TDialogSeam &DialogSeam() { return gSeam ? *gSeam : WidgetDialogs(); }

void SetDialogSeam(TDialogSeam *seam) { gSeam = seam; }

TMessageRequest MessageBoxRequest(const QString &text, const QString &caption, unsigned flags) {
  TMessageRequest request;
  request.Text = text;
  request.Caption = caption;
  switch (flags & 0xF) {
  case MB_OKCANCEL: request.Buttons = {mbOK, mbCancel}; break;
  case MB_ABORTRETRYIGNORE: request.Buttons = {mbAbort, mbRetry, mbIgnore}; break;
  case MB_YESNOCANCEL: request.Buttons = {mbYes, mbNo, mbCancel}; break;
  case MB_YESNO: request.Buttons = {mbYes, mbNo}; break;
  case MB_RETRYCANCEL: request.Buttons = {mbRetry, mbCancel}; break;
  default: request.Buttons = {mbOK}; break;
  }
  switch (flags & 0xF0) {
  case MB_ICONERROR: request.Icon = mtError; break;
  case MB_ICONQUESTION: request.Icon = mtConfirmation; break;
  case MB_ICONWARNING: request.Icon = mtWarning; break;
  case MB_ICONINFORMATION: request.Icon = mtInformation; break;
  default: request.Icon = mtCustom; break;
  }
  const int defaultButton = static_cast<int>((flags & 0xF00) >> 8);
  request.DefaultButton = defaultButton < static_cast<int>(request.Buttons.size()) ? defaultButton : 0;
  return request;
}

int MessageBox(const QString &text, const QString &caption, unsigned flags) {
  return DialogSeam().MessageBox(MessageBoxRequest(text, caption, flags));
}

int MessageDlg(const QString &text, TMsgDlgType type, const TMsgDlgButtons &buttons) {
  TMessageRequest request;
  request.Text = text;
  request.Caption = TypeCaption(type);
  request.Icon = type;
  request.Buttons = buttons;
  // The first of Yes, OK or the first button is the default, as the class library chooses.
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] == mbOK || buttons[i] == mbYes) {
      request.DefaultButton = static_cast<int>(i);
      break;
    }
  return DialogSeam().MessageBox(request);
}

void ShowMessage(const QString &text) { MessageDlg(text, mtCustom, {mbOK}); }
