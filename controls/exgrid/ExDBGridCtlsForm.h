#pragma once

#include "Forms.h"

#include <QByteArray>
#include <QImage>

class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTextEdit;
class TDataSource;
class TExStatusBar;
class TField;

// The popup field editor of memo, formatted-memo and picture cells: the field's text, rich text or
// picture in a view of its own, with OK, Cancel, Save As and Print.
class TExDBGridCtlsForm : public TForm {
public:
  enum TView { vwNone, vwMemo, vwRichEdit, vwPicture };

  explicit TExDBGridCtlsForm(QWidget *owner = nullptr);

  // Set by the grid before the form shows.
  void SetCaptionText(const QString &value) { FCaptionText = value; }
  void SetField(TField *value) { FField = value; }
  void SetDataSource(TDataSource *value) { FDataSource = value; }

  TView View() const { return FView; }
  QPlainTextEdit *Memo1() const { return FMemo1; }
  QTextEdit *RichEdit1() const { return FRichEdit1; }
  QLabel *DBImage() const { return FDBImage; }
  QMenu *PopupMenu() const { return FPopupMenu; }
  // The picture as the view holds it: its bytes as read or loaded, and the decoded image.
  const QImage &Picture() const { return FPicture; }
  QPushButton *Okbtn() const { return FOkbtn; }
  QPushButton *Cancelbtn() const { return FCancelbtn; }
  QPushButton *SaveAsbtn() const { return FSaveAsbtn; }
  QPushButton *PrintBtn() const { return FPrintBtn; }

  // Fills the view from the field.
  void FormActivate();
  // Writes the view back into the field where the dataset allows it, then closes with mrYes.
  void OkbtnClick();
  // The shown text into a text file, line by line.
  void SaveAsbtnClick();
  void PrintBtnClick();
  // The picture menu: "Open...", "Save...", then Cut, Copy, Paste and Clear by tag (1-4).
  void FileOpen();
  void SavebtnClick();
  void MenuClick(int Tag);

protected:
  void keyPressEvent(QKeyEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void ShowView(TView view);
  void LoadPicture(const QByteArray &blob);
  void SetPicture(const QByteArray &bytes, const QImage &image);
  bool DataSetWritable() const;
  QStringList ShownLines() const;

  QString FCaptionText;
  TField *FField = nullptr;
  TDataSource *FDataSource = nullptr;
  TView FView = vwNone;
  QPlainTextEdit *FMemo1;
  QTextEdit *FRichEdit1;
  QScrollArea *FScrollBox1;
  QLabel *FDBImage;
  QMenu *FPopupMenu;
  TExStatusBar *FStatusBar;
  QPushButton *FOkbtn;
  QPushButton *FCancelbtn;
  QPushButton *FSaveAsbtn;
  QPushButton *FPrintBtn;
  QByteArray FPictureBytes;
  QImage FPicture;
};
