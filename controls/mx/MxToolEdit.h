#pragma once

#include "Dialogs.h"
#include "MaskEdit.h"
#include "MxCtrls.h"
#include "MxEditButtonGlyph.h"

#include <QFrame>
#include <QKeySequence>
#include <QPointer>
#include <QStringList>
#include <QVariant>

class TCustomComboEdit;

class EComboEditError : public Exception {
public:
  using Exception::Exception;
};

enum TPopupAlign { epaRight, epaLeft };
enum TFileEditStyle { fsEdit, fsComboBox };

enum TOpenOption {
  ofReadOnly = 0x1,
  ofOverwritePrompt = 0x2,
  ofHideReadOnly = 0x4,
  ofNoChangeDir = 0x8,
  ofAllowMultiSelect = 0x10,
  ofPathMustExist = 0x20,
  ofFileMustExist = 0x40,
  ofCreatePrompt = 0x80,
  ofNoValidate = 0x100
};
Q_DECLARE_FLAGS(TOpenOptions, TOpenOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenOptions)

// The default button pictures of the file edit and the date edit (two images), loaded once.
const QImage &FileEditGlyph();
const QImage &DateEditGlyph();

// The borderless drop-down window of an edit with a button. It never takes the focus; a left
// button released on it closes it, accepted when the release is inside.
class TPopupWindow : public QFrame {
  Q_OBJECT
public:
  explicit TPopupWindow(TCustomComboEdit *editor);

  virtual QVariant GetValue() = 0;
  virtual void SetValue(const QVariant &value) = 0;
  virtual void CloseUp(bool accept);
  virtual QString GetPopupText() { return QString(); }
  virtual void Show(QPoint origin);
  virtual void Hide();

  TCustomComboEdit *Editor() const { return FEditor; }
  std::function<void(QObject *sender, bool accept)> OnCloseUp;

protected:
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  TCustomComboEdit *FEditor;
};

// The button inside the edit's right edge.
class TEditButton : public TMxSpeedButton {
  Q_OBJECT
public:
  explicit TEditButton(TCustomComboEdit *editor, QWidget *parent);
  void Click() override;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  TCustomComboEdit *FEditor;
  bool FNoAction = false;
};

// A masked edit with a button at its right edge that fires OnButtonClick (also on ClickKey,
// Alt+Down) and may run a drop-down window. DirectInput off keeps the text from being typed into.
class TCustomComboEdit : public TCustomMaskEdit {
  Q_OBJECT
public:
  explicit TCustomComboEdit(QWidget *parent = nullptr);
  ~TCustomComboEdit() override;

  TEditButton *Button() const { return FButton; }
  QWidget *ButtonContainer() const { return FBtnControl; }
  QString ButtonHint() const { return FButton->toolTip(); }
  void SetButtonHint(const QString &value) { FButton->setToolTip(value); }
  int ButtonWidth() const { return FButton->width(); }
  void SetButtonWidth(int value);
  const QKeySequence &ClickKey() const { return FClickKey; }
  void SetClickKey(const QKeySequence &value) { FClickKey = value; }
  bool DirectInput() const { return FDirectInput; }
  void SetDirectInput(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  TPopupAlign PopupAlign() const { return FPopupAlign; }
  void SetPopupAlign(TPopupAlign value) { FPopupAlign = value; }
  TGlyphKind GlyphKind() const { return FGlyph.Kind(); }
  void SetGlyphKind(TGlyphKind value);
  const QImage &Glyph() const { return FButton->Glyph(); }
  void SetGlyph(const QImage &value);
  TMxNumGlyphs NumGlyphs() const { return FButton->NumGlyphs(); }
  void SetNumGlyphs(TMxNumGlyphs value);
  bool PopupVisible() const { return FPopupVisible; }
  TPopupWindow *Popup() const { return FPopup; }

  bool EditCanModify() override { return !FReadOnly; }
  // 4 border pixels, the text height and one more.
  int GetMinHeight() const;

  // Opens the drop-down window under (or above) the edit.
  virtual void PopupDropDown(bool disableEdit);
  void PopupCloseUp(QObject *sender, bool accept);

  std::function<void(QObject *sender)> OnButtonClick;

protected:
  // nullptr: no default picture.
  virtual const QImage *GetDefaultGlyph() { return nullptr; }
  virtual void ShowPopup(QPoint origin);
  virtual void HidePopup();
  virtual bool AcceptPopup(QVariant &) { return true; }
  virtual void AcceptValue(const QVariant &value);
  virtual void SetPopupValue(const QVariant &value);
  virtual QVariant GetPopupValue();
  virtual void PopupChange() {}
  virtual bool GetReadOnly() const { return FReadOnly; }
  virtual void ButtonClick();

  // The drop-down window; owned by the descendant that makes it.
  void SetPopup(TPopupWindow *popup);
  void SetDefNumGlyphs(int value) { FGlyph.SetDefNumGlyphs(value); }
  void Change() override;
  void EditButtonClick();
  void UpdateBtnBounds();
  void SetEditRect();
  void RecreateGlyph();

  void resizeEvent(QResizeEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void changeEvent(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void ApplyReadOnly();
  bool InsidePopupFamily(QObject *object) const;

  QWidget *FBtnControl;
  TEditButton *FButton;
  TEditButtonGlyph FGlyph;
  QKeySequence FClickKey{Qt::ALT | Qt::Key_Down};
  bool FReadOnly = false;
  bool FDirectInput = true;
  bool FPopupVisible = false;
  bool FPopupEditDisabled = false;
  bool FFocused = false;
  TPopupAlign FPopupAlign = epaRight;
  QPointer<TPopupWindow> FPopup;
};

// The combo edit with every property in use.
class TComboEdit : public TCustomComboEdit {
  Q_OBJECT
public:
  using TCustomComboEdit::TCustomComboEdit;
};

// An edit for file names or folders: a file-open button, dropped files, and the dialog events.
class TFileDirEdit : public TCustomComboEdit {
  Q_OBJECT
public:
  explicit TFileDirEdit(QWidget *parent = nullptr);

  virtual QString LongName() = 0;
  virtual QString ShortName() = 0;

  bool AcceptFiles() const { return FAcceptFiles; }
  void SetAcceptFiles(bool value);

  std::function<void(QObject *sender, QString &name, bool &action)> OnBeforeDialog;
  std::function<void(QObject *sender, QString &name, bool &action)> OnAfterDialog;
  std::function<void(QObject *sender)> OnDropFiles;

  // Takes the dropped files as the file list (only the first unless several are allowed).
  void DropFiles(const QStringList &names);

protected:
  virtual void ReceptFileDir(const QString &name) = 0;
  virtual void ClearFileList() {}
  virtual void DoBeforeDialog(QString &name, bool &action);
  virtual void DoAfterDialog(QString &name, bool &action);
  const QImage *GetDefaultGlyph() override { return &FileEditGlyph(); }

  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

  bool FMultipleDirs = false;

private:
  bool FAcceptFiles = false;
};

// The file-name edit: the button runs the open or save dialog through the dialog seam; a name
// with a blank is shown in double quotes.
class TFilenameEdit : public TFileDirEdit {
  Q_OBJECT
public:
  // Nested: the dialog seam's own TFileDialogKind lives at namespace scope.
  enum TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };

  explicit TFilenameEdit(QWidget *parent = nullptr);

  QString FileName();
  void SetFileName(const QString &value);
  QString LongName() override;
  QString ShortName() override;

  TFileDialogKind DialogKind() const { return FDialogKind; }
  void SetDialogKind(TFileDialogKind value);
  const QString &DefaultExt() const { return FDialog.DefaultExt; }
  void SetDefaultExt(const QString &value) { FDialog.DefaultExt = value; }
  TFileEditStyle FileEditStyle() const { return FFileEditStyle; }
  void SetFileEditStyle(TFileEditStyle value) { FFileEditStyle = value; }
  const QString &Filter() const { return FDialog.Filter; }
  void SetFilter(const QString &value) { FDialog.Filter = value; }
  int FilterIndex() const { return FDialog.FilterIndex; }
  void SetFilterIndex(int value) { FDialog.FilterIndex = value; }
  const QString &InitialDir() const { return FDialog.InitialDir; }
  void SetInitialDir(const QString &value) { FDialog.InitialDir = value; }
  QStringList &HistoryList() { return FHistoryList; }
  const QString &DialogTitle() const { return FDialog.Title; }
  void SetDialogTitle(const QString &value) { FDialog.Title = value; }
  TOpenOptions DialogOptions() const { return FOptions; }
  void SetDialogOptions(TOpenOptions value);
  // The files chosen or dropped when several are allowed.
  const QStringList &DialogFiles() const { return FDialog.Files; }

  // S when such a file exists; a quoted S gives its first quoted name; otherwise S whole.
  static QString ClipFileName(const QString &s);
  // S in double quotes when it holds a blank and is not quoted yet.
  static QString AddQuotes(const QString &s);

protected:
  void ButtonClick() override;
  void ReceptFileDir(const QString &name) override;
  void ClearFileList() override;

private:
  void CreateEditDialog();

  TFileDialogRequest FDialog;
  TFileDialogKind FDialogKind = dkOpen;
  TFileEditStyle FFileEditStyle = fsEdit;
  TOpenOptions FOptions = ofHideReadOnly;
  QStringList FHistoryList;
};
