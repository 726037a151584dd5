#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class TForm;

// Modal results; the Windows message-box results share these numbers.
enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = std::vector<TMsgDlgBtn>;

// Flags of MessageBox: one button set, one icon, one default button.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONERROR = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONHAND = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_ICONASTERISK = 0x40,
  MB_DEFBUTTON1 = 0x000,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
};

// One question or notice for the person at the screen.
struct TMessageRequest {
  QString Text;
  QString Caption;
  TMsgDlgType Icon = mtCustom; // mtCustom: no icon
  TMsgDlgButtons Buttons;
  int DefaultButton = 0; // index into Buttons

  // The texts the buttons show, in the toolkit's language ("&Tak", "&Nie" with the Polish texts).
  QStringList ButtonCaptions() const;
};

// The text a standard button shows, from the toolkit's translations.
QString MsgDlgButtonCaption(TMsgDlgBtn button);

enum class TFileDialogKind { Open, Save, Directory };

struct TFileDialogRequest {
  TFileDialogKind Kind = TFileDialogKind::Open;
  QString Title;
  QString Filter; // "Description|*.ext;*.ext2|Other|*.*"
  int FilterIndex = 1;
  QString InitialDir;
  QString DefaultExt;
  QString FileName; // in: the proposed name; out: the chosen one
  bool MultiSelect = false;
  QStringList Files; // out, with MultiSelect
};

// The toolkit's name filters for a filter of the class library's form: each entry shows its
// description exactly as written, and matches its patterns without regard to letter case, as the
// platform's file dialogs do.
QStringList QtNameFilters(const QString &filter);

// What came of opening a document or address in the desktop's program for it.
enum class TShellOutcome {
  Opened,     // the desktop's opener was started with it
  NoSuchFile, // a local document that does not exist
  NoViewer,   // the desktop has no program to open it with
  Failed,     // the opener could not be started
};

// Everything a person answers goes through this seam; tests replace it with a scripted one.
class TDialogSeam {
public:
  virtual ~TDialogSeam() = default;
  // Returns the modal result of the pressed button.
  virtual int MessageBox(const TMessageRequest &request) = 0;
  // Shows the form modally and returns its modal result.
  virtual int ShowModal(TForm &form) = 0;
  // Returns whether the person chose a file; the choice is written into the request.
  virtual bool FileDialog(TFileDialogRequest &request) = 0;
  // Opens a document or address in the desktop's default program (the browser for HTML).
  virtual TShellOutcome ShellOpen(const QString &target) = 0;
};

TDialogSeam &DialogSeam();
// Installs a seam (not owned); nullptr puts the real widgets back.
void SetDialogSeam(TDialogSeam *seam);

// The class library's message calls, all through the seam.
int MessageBox(const QString &text, const QString &caption, unsigned flags);
int MessageDlg(const QString &text, TMsgDlgType type, const TMsgDlgButtons &buttons);
void ShowMessage(const QString &text);
TMessageRequest MessageBoxRequest(const QString &text, const QString &caption, unsigned flags);
