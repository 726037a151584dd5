#include "ExDBGridCtlsForm.h"

#include "Application.h"
#include "DB.h"
#include "DBRichEdit.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "ExDBGridPicture.h"
#include "ExDBGridPrint.h"
#include "ExPrintDialog.h"
#include "ExStatusBar.h"
#include "Exceptions.h"
#include "Field.h"
#include "RtfFormat.h"
#include "TextFile.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// Where an OLE container keeps the bitmap it wraps.
constexpr int OleBitmapOffset = 0x4E;

// Asks for a file through the seam; an empty name when the person cancels.
QString ChooseFile(TFileDialogKind kind, const char *title, const char *filter, const char *defaultExt) {
  TFileDialogRequest request;
  request.Kind = kind;
  request.Title = QString::fromLatin1(title);
  request.Filter = QString::fromLatin1(filter);
  request.DefaultExt = QString::fromLatin1(defaultExt);
  return DialogSeam().FileDialog(request) ? request.FileName : QString();
}

QString KiloBytes(qsizetype size) { return QString::number((size + 1023) / 1024) + QStringLiteral("Kb"); }

QPushButton *PanelButton(TExStatusBar *bar, const char *name, const char *caption, int index) {
  auto *panel = new QWidget(bar);
  panel->setGeometry(2 + index * 67, 2, 65, 23);
  auto *button = new QPushButton(QString::fromLatin1(caption), panel);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(0, 0, 65, 23);
  button->setFlat(true);
  return button;
}

} // namespace

TExDBGridCtlsForm::TExDBGridCtlsForm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("ExDBGridCtlsForm"));
  SetBorderStyle(bsSizeToolWin);
  SetPosition(poScreenCenter);
  resize(400, 400);
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  FMemo1 = new QPlainTextEdit(this);
  FMemo1->setObjectName(QStringLiteral("Memo1"));
  FMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  FRichEdit1 = new QTextEdit(this);
  FRichEdit1->setObjectName(QStringLiteral("RichEdit1"));
  FRichEdit1->setLineWrapMode(QTextEdit::NoWrap);
  FRichEdit1->setAcceptRichText(false);
  FScrollBox1 = new QScrollArea(this);
  FScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  FDBImage = new QLabel;
  FDBImage->setObjectName(QStringLiteral("DBImage"));
  FDBImage->setContextMenuPolicy(Qt::CustomContextMenu);
  FScrollBox1->setWidget(FDBImage);
  FPopupMenu = new QMenu(this);
  FPopupMenu->setObjectName(QStringLiteral("PopupMenu"));
  connect(FPopupMenu->addAction(QStringLiteral("Open...")), &QAction::triggered, this,
          [this] { Guarded(this, [this] { FileOpen(); }); });
  connect(FPopupMenu->addAction(QStringLiteral("Save...")), &QAction::triggered, this,
          [this] { Guarded(this, [this] { SavebtnClick(); }); });
  FPopupMenu->addSeparator();
  int tag = 1;
  for (const char *caption : {"Cut...", "Copy...", "Paste..."}) {
    connect(FPopupMenu->addAction(QString::fromLatin1(caption)), &QAction::triggered, this,
            [this, tag] { Guarded(this, [this, tag] { MenuClick(tag); }); });
    ++tag;
  }
  FPopupMenu->addSeparator();
  connect(FPopupMenu->addAction(QStringLiteral("Clear...")), &QAction::triggered, this,
          [this] { Guarded(this, [this] { MenuClick(4); }); });
  connect(FDBImage, &QWidget::customContextMenuRequested, this,
          [this](QPoint pos) { FPopupMenu->popup(FDBImage->mapToGlobal(pos)); });
  FStatusBar = new TExStatusBar(this);
  FStatusBar->setObjectName(QStringLiteral("AdvStatusBar1"));
  FStatusBar->setFixedHeight(27);
  FOkbtn = PanelButton(FStatusBar, "Okbtn", "&Ok", 0);
  FCancelbtn = PanelButton(FStatusBar, "Cancelbtn", "&Cancel", 1);
  FSaveAsbtn = PanelButton(FStatusBar, "SaveAsbtn", "&Save As", 2);
  FPrintBtn = PanelButton(FStatusBar, "PrintBtn", "&Print", 3);
  connect(FOkbtn, &QPushButton::clicked, this, [this] { Guarded(this, [this] { OkbtnClick(); }); });
  connect(FCancelbtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  connect(FSaveAsbtn, &QPushButton::clicked, this, [this] { Guarded(this, [this] { SaveAsbtnClick(); }); });
  connect(FPrintBtn, &QPushButton::clicked, this, [this] { Guarded(this, [this] { PrintBtnClick(); }); });
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(FMemo1, 1);
  layout->addWidget(FRichEdit1, 1);
  layout->addWidget(FScrollBox1, 1);
  layout->addWidget(FStatusBar);
  FMemo1->installEventFilter(this);
  FRichEdit1->installEventFilter(this);
  ShowView(vwNone);
}

void TExDBGridCtlsForm::ShowView(TView view) {
  FView = view;
  FMemo1->setVisible(view == vwMemo);
  FRichEdit1->setVisible(view == vwRichEdit);
  FScrollBox1->setVisible(view == vwPicture);
  const bool text = view == vwMemo || view == vwRichEdit;
  FSaveAsbtn->parentWidget()->setVisible(text);
  FPrintBtn->parentWidget()->setVisible(text);
}

bool TExDBGridCtlsForm::DataSetWritable() const {
  TDataSet *dataSet = FDataSource ? FDataSource->DataSet() : nullptr;
  return dataSet && dataSet->Active() && dataSet->CanModify() && FField && FField->CanModify();
}

void TExDBGridCtlsForm::FormActivate() {
  SetCaption(FCaptionText);
  if (!FField)
    return;
  const TFieldType type = FField->DataType();
  if (type == ftMemo || type == ftBytes) {
    FMemo1->setPlainText(FField->AsString().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    FMemo1->setReadOnly(!DataSetWritable());
    ShowView(vwMemo);
  } else if (type == ftFmtMemo) {
    // A richer RTF than the editor writes shows as its text and cannot be changed here.
    const bool readable = TDBRichEdit::LoadRich(*FRichEdit1, FField->AsBytes());
    FRichEdit1->setReadOnly(!readable || !DataSetWritable());
    ShowView(vwRichEdit);
  } else {
    LoadPicture(FField->AsBytes());
    ShowView(vwPicture);
  }
}

void TExDBGridCtlsForm::LoadPicture(const QByteArray &blob) {
  // A bitmap, a bitmap in an OLE container, a JPEG image: each tried when the one before failed.
  QImage image = blob.startsWith("BM") ? DecodeGridPicture(blob) : QImage();
  if (!image.isNull()) {
    SetCaption(FCaptionText + QStringLiteral(" - Bitmap Image - ") + KiloBytes(blob.size()));
    SetPicture(blob, image);
    return;
  }
  SetCaption(FCaptionText + QStringLiteral(" - OLE Bitmap Image - ") + KiloBytes(blob.size()));
  const QByteArray wrapped = blob.mid(OleBitmapOffset);
  image = wrapped.startsWith("BM") ? DecodeGridPicture(wrapped) : QImage();
  if (!image.isNull()) {
    SetPicture(wrapped, image);
    return;
  }
  image = blob.startsWith("\xFF\xD8") ? DecodeGridPicture(blob) : QImage();
  if (!image.isNull()) {
    SetCaption(FCaptionText + QStringLiteral(" - Jpeg Image - ") + KiloBytes(blob.size()));
    SetPicture(blob, image);
    return;
  }
  SetPicture(QByteArray(), QImage());
}

void TExDBGridCtlsForm::SetPicture(const QByteArray &bytes, const QImage &image) {
  FPictureBytes = bytes;
  FPicture = image;
  FDBImage->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
  FDBImage->adjustSize();
}

void TExDBGridCtlsForm::OkbtnClick() {
  if (!FDataSource)
    throw Exception(QStringLiteral("Datasource Not Assigned"));
  TDataSet *dataSet = FDataSource->DataSet();
  if (FField && (FView == vwMemo || FView == vwRichEdit) && DataSetWritable() && !FRichEdit1->isReadOnly()) {
    dataSet->Edit();
    if (FView == vwMemo)
      FField->SetAsString(FMemo1->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
    else
      FField->SetAsBytes(TRtfFormat::Write(*FRichEdit1->document()));
  } else if (FField && FView == vwPicture && dataSet &&
             (dataSet->State() == dsEdit || dataSet->State() == dsInsert)) {
    if (FPicture.isNull())
      FField->Clear();
    else
      FField->SetAsBytes(FPictureBytes.startsWith("\xFF\xD8") ? FPictureBytes
                                                              : EncodeGridPicture(FPicture, "BMP"));
  }
  SetModalResult(mrYes);
}

QStringList TExDBGridCtlsForm::ShownLines() const {
  const QString text = FView == vwMemo ? FMemo1->toPlainText() : FRichEdit1->toPlainText();
  return text.split(u'\n');
}

void TExDBGridCtlsForm::SaveAsbtnClick() {
  if (FView != vwMemo && FView != vwRichEdit)
    return;
  const QString fileName =
      ChooseFile(TFileDialogKind::Save, "Save Text As", "Text Documents (*.txt)|*.txt", "*.txt");
  if (fileName.isEmpty())
    return;
  TextFile::WriteLines(fileName, ShownLines());
  ShowMessage(fileName + QStringLiteral(" Saved !"));
}

void TExDBGridCtlsForm::PrintBtnClick() {
  if (FView != vwMemo && FView != vwRichEdit)
    return;
  QPrinter printer;
  TExPrintDialog dialog(this);
  if (!dialog.Execute(printer))
    return;
  if (FView == vwRichEdit) {
    printer.setDocName(FCaptionText);
    FRichEdit1->document()->print(&printer);
    return;
  }
  try {
    TExDBGridPrint::Lines(ShownLines(), printer);
  } catch (const EInOutError &) {
    MessageDlg(QStringLiteral("Error Printing Text."), mtError, {mbOK});
  }
}

void TExDBGridCtlsForm::FileOpen() {
  const QString fileName = ChooseFile(
      TFileDialogKind::Open, "Load Picture File",
      "Bitmap files (*.bmp)|*.bmp|Jpeg files (*.jpg *.jpeg)|*.jpg; *.jpeg|All files (*.*)|*.*", "*.bmp");
  if (fileName.isEmpty())
    return;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
  const QByteArray bytes = file.read(qint64(MaxGridPicturePixels) * 4 + 1);
  const QImage image = DecodeGridPicture(bytes);
  if (image.isNull())
    throw EConvertError(
        QStringLiteral("\"%1\" is not a bitmap or JPEG picture this editor can read").arg(fileName));
  SetPicture(bytes, image);
}

void TExDBGridCtlsForm::SavebtnClick() {
  if (FPicture.isNull())
    return;
  const QString fileName =
      ChooseFile(TFileDialogKind::Save, "Save Bitmap As",
                 "Bitmap files (*.bmp)|*.bmp|Jpeg files (*.jpg *.jpeg)|*.jpg; *.jpeg", "*.bmp");
  if (fileName.isEmpty())
    return;
  const bool jpeg = fileName.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
                    fileName.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
  const QByteArray bytes = jpeg && FPictureBytes.startsWith("\xFF\xD8")
                               ? FPictureBytes
                               : EncodeGridPicture(FPicture, jpeg ? "JPG" : "BMP");
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
  ShowMessage(fileName + QStringLiteral(" Saved !"));
}

void TExDBGridCtlsForm::MenuClick(int Tag) {
  QClipboard *clipboard = QApplication::clipboard();
  switch (Tag) {
  case 1:
  case 2:
    if (!FPicture.isNull())
      clipboard->setImage(FPicture);
    if (Tag == 1)
      SetPicture(QByteArray(), QImage());
    break;
  case 3: {
    const QImage image = clipboard->image();
    if (!image.isNull())
      SetPicture(EncodeGridPicture(image, "BMP"), image);
    break;
  }
  case 4: SetPicture(QByteArray(), QImage()); break;
  default: break;
  }
}

void TExDBGridCtlsForm::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    SetModalResult(mrCancel);
    return;
  }
  TForm::keyPressEvent(event);
}

bool TExDBGridCtlsForm::eventFilter(QObject *watched, QEvent *event) {
  if ((watched == FMemo1 || watched == FRichEdit1) && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
    SetModalResult(mrCancel);
    return true;
  }
  return TForm::eventFilter(watched, event);
}
