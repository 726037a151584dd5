#include "Dialogs.h"

#include "Application.h"
#include "Forms.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>

namespace {

QMessageBox::ButtonRole ButtonRole(TMsgDlgBtn button) {
  switch (button) {
  case mbYes:
  case mbYesToAll:
  case mbAll: return QMessageBox::YesRole;
  case mbNo:
  case mbNoToAll: return QMessageBox::NoRole;
  case mbCancel:
  case mbAbort: return QMessageBox::RejectRole;
  case mbHelp: return QMessageBox::HelpRole;
  case mbOK:
  case mbRetry:
  case mbIgnore: return QMessageBox::AcceptRole;
  }
  return QMessageBox::AcceptRole;
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

// "*.TAB" matches "a.tab" too: each letter becomes a class of both cases.
QString CaseInsensitivePattern(const QString &pattern) {
  QString result;
  for (const QChar c : pattern)
    result +=
        c.toLower() != c.toUpper() ? QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper()) : QString(c);
  return result;
}

// The toolkit's own dialog: its texts come from the loaded translations and it shows the filters
// as written, whatever the desktop's native dialog would do.
void PrepareFileDialog(QFileDialog &dialog, const TFileDialogRequest &request) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(QtNameFilters(request.Filter));
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
}

// The program the desktop opens documents and addresses with.
QString DesktopOpener() { return QStandardPaths::findExecutable(QStringLiteral("xdg-open")); }

// What a title bar needs for the caption: window managers draw it in a bold title font beside the
// window's icon and its buttons (minimise, maximise, close), each about as wide as the bar is tall,
// inside the frame's borders.
int CaptionWidth(const QString &caption) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const QFontMetrics metrics(font);
  const int button = metrics.height() + 8;
  return metrics.horizontalAdvance(caption) + 5 * button;
}

// The toolkit never sizes a box wider than this.
int WidestBox(const QScreen &screen) {
  const int width = screen.availableGeometry().width();
  return width <= 1024 ? width : std::min(width - 480, 1000);
}

// The toolkit leaves only 50 pixels beside the caption in a box it sizes for its text, so a caption
// longer than the text came out cut ("Hasło nie spełni… bezpieczeństwa"). It sizes the box again on
// every layout request, from the layout's minimum width, and a window manager's framing brings more
// of them: a size set on the box does not last. The row of buttons spans the box, so as wide as the
// caption needs it keeps the box that wide through every sizing; it stays within the widest box, or
// its buttons would be cut off at the right.
class TMessageBoxWindow final : public QMessageBox {
public:
  using QMessageBox::QMessageBox;

protected:
  void showEvent(QShowEvent *event) override {
    if (auto *buttons = findChild<QDialogButtonBox *>()) {
      const QMargins margins = layout()->contentsMargins();
      const int wanted = std::min(CaptionWidth(windowTitle()), WidestBox(*screen()));
      buttons->setMinimumWidth(
          std::max(wanted - margins.left() - margins.right(), buttons->minimumSizeHint().width()));
    }
    QMessageBox::showEvent(event); // sizes the box
  }
};

class TWidgetDialogs final : public TDialogSeam {
public:
  int MessageBox(const TMessageRequest &request) override {
    // An empty caption stays empty: the toolkit would show the program's file name in its place.
    const QString caption = request.Caption.isEmpty() ? QStringLiteral(" ") : request.Caption;
    TMessageBoxWindow box(BoxIcon(request.Icon), caption, request.Text, QMessageBox::NoButton,
                          QApplication::activeWindow());
    std::vector<std::pair<QPushButton *, int>> buttons;
    for (size_t i = 0; i < request.Buttons.size(); ++i) {
      const TMsgDlgBtn kind = request.Buttons[i];
      QPushButton *b = box.addButton(MsgDlgButtonCaption(kind), ButtonRole(kind));
      buttons.emplace_back(b, ButtonResult(kind));
      if (static_cast<int>(i) == request.DefaultButton)
        box.setDefaultButton(b);
      if (kind == mbCancel || request.Buttons.size() == 1)
        box.setEscapeButton(b);
    }
    box.exec();
    for (const auto &[button, result] : buttons)
      if (box.clickedButton() == button)
        return result;
    return mrCancel;
  }

  int ShowModal(TForm &form) override { return form.ExecModal(); }

  bool FileDialog(TFileDialogRequest &request) override {
    QFileDialog dialog(QApplication::activeWindow(), request.Title, request.InitialDir);
    PrepareFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return false;
    request.Files = dialog.selectedFiles();
    request.FileName = request.Files.first();
    request.FilterIndex = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
    return true;
  }

  TShellOutcome ShellOpen(const QString &target) override {
    const bool address = target.contains(QStringLiteral("://"));
    if (!address && !QFileInfo::exists(target))
      return TShellOutcome::NoSuchFile;
    const QString opener = DesktopOpener();
    if (opener.isEmpty())
      return TShellOutcome::NoViewer;
    const QString argument = address ? target : QFileInfo(target).absoluteFilePath();
    return QProcess::startDetached(opener, {argument}) ? TShellOutcome::Opened : TShellOutcome::Failed;
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

QString MsgDlgButtonCaption(TMsgDlgBtn button) {
  // The toolkit's standard texts, which its translations turn into the user's language.
  const auto qt = [](const char *text) { return QCoreApplication::translate("QPlatformTheme", text); };
  switch (button) {
  case mbYes: return qt("&Yes");
  case mbNo: return qt("&No");
  case mbOK: return qt("OK");
  case mbCancel: return qt("Cancel");
  case mbAbort: return qt("Abort");
  case mbRetry: return qt("Retry");
  case mbIgnore: return qt("Ignore");
  case mbAll: return QString::fromUtf8("&Wszystkie"); // the toolkit has no such standard button
  case mbNoToAll: return qt("N&o to All");
  case mbYesToAll: return qt("Yes to &All");
  case mbHelp: return qt("Help");
  }
  return {};
}

QStringList TMessageRequest::ButtonCaptions() const {
  QStringList captions;
  for (const TMsgDlgBtn button : Buttons)
    captions.append(MsgDlgButtonCaption(button));
  return captions;
}

// "Text|*.a;*.b|..." becomes "Text (*.[aA] *.[bB])" and so on; the dialog hides the added group, so
// the description shows as it is written.
QStringList QtNameFilters(const QString &filter) {
  const QStringList parts = filter.split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
      patterns.append(CaseInsensitivePattern(pattern.trimmed()));
    entries.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
  }
  return entries;
}

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
