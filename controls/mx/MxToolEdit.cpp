#include "MxToolEdit.h"

#include "Application.h"
#include "FileUtil.h"
#include "MxCtlUtils.h"
#include "Resources.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStyle>

const QImage &FileEditGlyph() {
  static const QImage glyph = LoadBitmapResource(QStringLiteral("FEDITBMP"));
  return glyph;
}

const QImage &DateEditGlyph() {
  static const QImage glyph = LoadBitmapResource(QStringLiteral("DEDITBMP"));
  return glyph;
}

// ---- TPopupWindow

TPopupWindow::TPopupWindow(TCustomComboEdit *editor)
    : QFrame(editor,
             Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint),
      FEditor(editor) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setFocusPolicy(Qt::NoFocus);
  QFrame::hide();
}

void TPopupWindow::CloseUp(bool accept) {
  if (OnCloseUp)
    OnCloseUp(this, accept);
}

void TPopupWindow::Show(QPoint origin) {
  move(origin);
  QFrame::show();
}

void TPopupWindow::Hide() { QFrame::hide(); }

void TPopupWindow::mouseReleaseEvent(QMouseEvent *event) {
  QFrame::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) {
    const bool inside = contentsRect().contains(event->position().toPoint());
    Guarded(this, [&] { CloseUp(inside); });
  }
}

// ---- TEditButton

TEditButton::TEditButton(TCustomComboEdit *editor, QWidget *parent)
    : TMxSpeedButton(parent), FEditor(editor) {}

void TEditButton::Click() {
  if (FNoAction) {
    FNoAction = false;
    return;
  }
  TMxSpeedButton::Click();
}

void TEditButton::paintEvent(QPaintEvent *event) {
  TMxSpeedButton::paintEvent(event);
  if (State() == rbsDown || State() == rbsExclusive)
    return;
  QPainter painter(this);
  const bool newStyle = Style() == bsNew || (Style() == bsAutoDetect && NewStyleControls);
  const QPalette &colours = palette();
  painter.fillRect(QRect(0, 0, 1, height() - 1), ColorToQColor(newStyle ? clBtnFace : clBtnShadow, &colours));
  painter.fillRect(QRect(1, 1, 1, height() - 3), ColorToQColor(clBtnHighlight, &colours));
}

void TEditButton::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton) {
    FNoAction = FEditor->Popup() && FEditor->PopupVisible();
    if (FEditor->PopupVisible())
      Guarded(this, [this] { FEditor->PopupCloseUp(FEditor, true); });
    else if (FEditor->focusPolicy() & Qt::TabFocus && FEditor->isEnabled() && !FEditor->hasFocus())
      FEditor->setFocus(Qt::MouseFocusReason);
  }
  TMxSpeedButton::mousePressEvent(event);
}

// ---- TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget *parent)
    : TCustomMaskEdit(parent), FBtnControl(new QWidget(this)), FButton(new TEditButton(this, FBtnControl)),
      FGlyph(FButton) {
  FBtnControl->resize(21, 17);
  FButton->setGeometry(0, 0, FBtnControl->width(), FBtnControl->height());
  FButton->OnClick = [this](QObject *) { EditButtonClick(); };
  resize(121, 21);
  SetEditRect();
}

TCustomComboEdit::~TCustomComboEdit() {
  FButton->OnClick = nullptr;
  qApp->removeEventFilter(this);
}

int TCustomComboEdit::GetMinHeight() const {
  const int textHeight = std::min(QFontMetrics(QApplication::font()).height(), QFontMetrics(font()).height());
  return 4 + textHeight + 1;
}

void TCustomComboEdit::SetEditRect() { setTextMargins(0, 0, FBtnControl->width() + 2, 0); }

void TCustomComboEdit::UpdateBtnBounds() {
  const int buttonWidth = FButton->width();
  if (hasFrame())
    FBtnControl->setGeometry(width() - buttonWidth - 2, 2, buttonWidth, height() - 4);
  else
    FBtnControl->setGeometry(width() - buttonWidth, 0, buttonWidth, height());
  FButton->resize(buttonWidth, FBtnControl->height());
  SetEditRect();
}

void TCustomComboEdit::resizeEvent(QResizeEvent *event) {
  TCustomMaskEdit::resizeEvent(event);
  if (height() < GetMinHeight()) {
    resize(width(), GetMinHeight());
    return;
  }
  UpdateBtnBounds();
}

void TCustomComboEdit::SetButtonWidth(int value) {
  if (value == FButton->width())
    return;
  FBtnControl->setVisible(value >= 2);
  if (value < width() || !isVisible()) {
    FButton->resize(value, FButton->height());
    FBtnControl->resize(value, FBtnControl->height());
    UpdateBtnBounds();
  }
  RecreateGlyph();
}

void TCustomComboEdit::ApplyReadOnly() {
  setReadOnly(FReadOnly || !FDirectInput || (FPopupVisible && FPopupEditDisabled));
}

void TCustomComboEdit::SetDirectInput(bool value) {
  FDirectInput = value;
  ApplyReadOnly();
}

void TCustomComboEdit::SetReadOnly(bool value) {
  if (value == FReadOnly)
    return;
  FReadOnly = value;
  ApplyReadOnly();
}

void TCustomComboEdit::RecreateGlyph() {
  FGlyph.Recreate(GlyphKind() == gkDefault ? GetDefaultGlyph() : nullptr);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind value) {
  if (value == GlyphKind())
    return;
  FGlyph.SetKind(value);
  RecreateGlyph();
  if (value == gkDefault && !FButton->Glyph().isNull())
    SetButtonWidth(std::max(FButton->Glyph().width() / FButton->NumGlyphs() + 6, ButtonWidth()));
  else if (value == gkDropDown)
    SetButtonWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void TCustomComboEdit::SetGlyph(const QImage &value) { FGlyph.SetCustom(value); }

void TCustomComboEdit::SetNumGlyphs(TMxNumGlyphs value) { FGlyph.SetNumGlyphs(value); }

void TCustomComboEdit::SetPopup(TPopupWindow *popup) {
  FPopup = popup;
  if (popup)
    popup->OnCloseUp = [this](QObject *sender, bool accept) { PopupCloseUp(sender, accept); };
}

// ---- button and drop-down

void TCustomComboEdit::EditButtonClick() {
  if (FReadOnly)
    return;
  ButtonClick();
}

void TCustomComboEdit::ButtonClick() {
  if (OnButtonClick)
    OnButtonClick(this);
  if (FPopup) {
    if (FPopupVisible)
      PopupCloseUp(FPopup, true);
    else
      PopupDropDown(true);
  }
}

void TCustomComboEdit::PopupDropDown(bool disableEdit) {
  if (!FPopup || GetReadOnly() || FPopupVisible)
    return;
  const QRect screenArea = screen()->geometry();
  QPoint p = mapToGlobal(QPoint(0, 0));
  int y = p.y() + height();
  if (y + FPopup->height() > screenArea.bottom() + 1)
    y = p.y() - FPopup->height();
  if (FPopupAlign == epaRight) {
    p.rx() -= FPopup->width() - width();
    if (p.x() < 0)
      p.rx() += FPopup->width() - width();
  } else if (p.x() + FPopup->width() > screenArea.right() + 1) {
    p.rx() -= FPopup->width() - width();
  }
  if (p.x() < 0)
    p.setX(0);
  else if (p.x() + FPopup->width() > screenArea.right() + 1)
    p.setX(screenArea.right() + 1 - FPopup->width());
  SetPopupValue(Text().isEmpty() ? QVariant() : QVariant(Text()));
  if (isEnabled() && focusPolicy() != Qt::NoFocus)
    setFocus(Qt::PopupFocusReason);
  ShowPopup(QPoint(p.x(), y));
  FPopupVisible = true;
  qApp->installEventFilter(this);
  if (disableEdit) {
    FPopupEditDisabled = true;
    ApplyReadOnly();
  }
}

void TCustomComboEdit::ShowPopup(QPoint origin) { FPopup->Show(origin); }

void TCustomComboEdit::HidePopup() { FPopup->Hide(); }

void TCustomComboEdit::PopupCloseUp(QObject *, bool accept) {
  if (!FPopup || !FPopupVisible)
    return;
  qApp->removeEventFilter(this);
  QVariant value = GetPopupValue();
  HidePopup();
  if (isEnabled() && focusPolicy() != Qt::NoFocus)
    setFocus(Qt::PopupFocusReason);
  FPopupEditDisabled = false;
  ApplyReadOnly();
  update();
  if (accept && AcceptPopup(value) && EditCanModify()) {
    AcceptValue(value);
    if (hasFocus() && FDirectInput)
      selectAll();
  }
  FPopupVisible = false;
}

void TCustomComboEdit::AcceptValue(const QVariant &value) {
  if (Text() == value.toString())
    return;
  SetText(value.toString());
  SetModified(true);
  FPopupVisible = FPopup && FPopup->isVisible();
  TCustomMaskEdit::Change();
}

void TCustomComboEdit::SetPopupValue(const QVariant &value) {
  if (FPopup)
    FPopup->SetValue(value);
}

QVariant TCustomComboEdit::GetPopupValue() { return FPopup ? FPopup->GetValue() : QVariant(QString()); }

void TCustomComboEdit::Change() {
  if (FPopupVisible)
    PopupChange();
  else
    TCustomMaskEdit::Change();
}

bool TCustomComboEdit::InsidePopupFamily(QObject *object) const {
  for (; object; object = object->parent())
    if (object == this || object == FPopup)
      return true;
  return false;
}

// While the drop-down is open, a press on any other control closes it unaccepted.
bool TCustomComboEdit::eventFilter(QObject *watched, QEvent *event) {
  if (FPopupVisible &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
      watched->isWidgetType() && !InsidePopupFamily(watched))
    Guarded(this, [this] { PopupCloseUp(this, false); });
  return TCustomMaskEdit::eventFilter(watched, event);
}

// ---- keyboard, mouse and focus

void TCustomComboEdit::keyPressEvent(QKeyEvent *event) {
  const QKeySequence pressed(event->keyCombination());
  if (!FClickKey.isEmpty() && pressed == FClickKey && ButtonWidth() > 0) {
    event->accept();
    Guarded(this, [this] { EditButtonClick(); });
    return;
  }
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if ((enter || event->key() == Qt::Key_Escape) && FPopupVisible) {
    event->accept();
    Guarded(this, [&] { PopupCloseUp(this, enter); });
    return;
  }
  TCustomMaskEdit::keyPressEvent(event);
}

void TCustomComboEdit::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && FPopup) {
    if (isEnabled())
      setFocus(Qt::MouseFocusReason);
    if (!hasFocus())
      return;
    if (FPopupVisible)
      Guarded(this, [this] { PopupCloseUp(this, false); });
  }
  TCustomMaskEdit::mousePressEvent(event);
}

void TCustomComboEdit::focusInEvent(QFocusEvent *event) {
  const bool autoSelect = AutoSelect();
  SetAutoSelect(autoSelect && FDirectInput);
  TCustomMaskEdit::focusInEvent(event);
  SetAutoSelect(autoSelect);
  FFocused = true;
}

void TCustomComboEdit::focusOutEvent(QFocusEvent *event) {
  TCustomMaskEdit::focusOutEvent(event);
  FFocused = false;
  if (event->reason() != Qt::PopupFocusReason)
    Guarded(this, [this] { PopupCloseUp(this, false); });
}

void TCustomComboEdit::changeEvent(QEvent *event) {
  TCustomMaskEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange)
    FButton->setEnabled(isEnabled());
  else if (event->type() == QEvent::FontChange)
    SetEditRect();
  else if (event->type() == QEvent::LayoutDirectionChange && FPopup)
    FPopup->setLayoutDirection(layoutDirection());
}

// ---- TFileDirEdit

TFileDirEdit::TFileDirEdit(QWidget *parent) : TCustomComboEdit(parent) { SetGlyphKind(gkDefault); }

void TFileDirEdit::SetAcceptFiles(bool value) {
  FAcceptFiles = value;
  setAcceptDrops(value);
}

void TFileDirEdit::DoBeforeDialog(QString &name, bool &action) {
  if (OnBeforeDialog)
    OnBeforeDialog(this, name, action);
}

void TFileDirEdit::DoAfterDialog(QString &name, bool &action) {
  if (OnAfterDialog)
    OnAfterDialog(this, name, action);
}

void TFileDirEdit::DropFiles(const QStringList &names) {
  ClearFileList();
  for (const QString &name : names) {
    ReceptFileDir(name);
    if (!FMultipleDirs)
      break;
  }
  if (!names.isEmpty() && OnDropFiles)
    OnDropFiles(this);
}

void TFileDirEdit::dragEnterEvent(QDragEnterEvent *event) {
  if (FAcceptFiles && event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    TCustomComboEdit::dragEnterEvent(event);
}

void TFileDirEdit::dropEvent(QDropEvent *event) {
  if (!FAcceptFiles || !event->mimeData()->hasUrls()) {
    TCustomComboEdit::dropEvent(event);
    return;
  }
  QStringList names;
  for (const QUrl &url : event->mimeData()->urls())
    if (url.isLocalFile())
      names << QDir::toNativeSeparators(url.toLocalFile());
  event->acceptProposedAction();
  Guarded(this, [&] { DropFiles(names); });
}

// ---- TFilenameEdit

TFilenameEdit::TFilenameEdit(QWidget *parent) : TFileDirEdit(parent) {
  FDialog.Title = QStringLiteral("Browse");
  FDialog.Filter = QStringLiteral("All files (*.*)|*.*");
  CreateEditDialog();
}

void TFilenameEdit::CreateEditDialog() {
  FDialog.Kind = FDialogKind == dkSave || FDialogKind == dkSavePicture ? ::TFileDialogKind::Save
                                                                       : ::TFileDialogKind::Open;
  FDialog.MultiSelect = FOptions.testFlag(ofAllowMultiSelect);
}

void TFilenameEdit::SetDialogKind(TFileDialogKind value) {
  if (value == FDialogKind)
    return;
  FDialogKind = value;
  CreateEditDialog();
}

void TFilenameEdit::SetDialogOptions(TOpenOptions value) {
  if (value == FOptions)
    return;
  FOptions = value;
  FMultipleDirs = value.testFlag(ofAllowMultiSelect);
  CreateEditDialog();
  if (!FMultipleDirs)
    ClearFileList();
}

QString TFilenameEdit::ClipFileName(const QString &s) {
  if (!s.isEmpty() && QFileInfo::exists(s))
    return s;
  // Only a quoted name is cut at its closing quote; an unquoted one may hold blanks.
  if (s.startsWith(u'"'))
    return ParamStrFromCommandLine(s, 0);
  return s;
}

QString TFilenameEdit::AddQuotes(const QString &s) {
  if (s.contains(u' ') && !s.startsWith(u'"'))
    return u'"' + s + u'"';
  return s;
}

QString TFilenameEdit::FileName() { return ClipFileName(Text()); }

void TFilenameEdit::SetFileName(const QString &value) {
  if (!value.isEmpty() && !ValidFileName(ClipFileName(value)))
    throw EComboEditError(QStringLiteral("Invalid file name - %1").arg(value));
  SetText(AddQuotes(value));
  ClearFileList();
}

QString TFilenameEdit::LongName() { return LongFileName(FileName()); }

QString TFilenameEdit::ShortName() { return ShortFileName(FileName()); }

void TFilenameEdit::ClearFileList() { FDialog.Files.clear(); }

void TFilenameEdit::ReceptFileDir(const QString &name) {
  if (FMultipleDirs) {
    if (FDialog.Files.isEmpty())
      SetFileName(name);
    FDialog.Files << name;
  } else {
    SetFileName(name);
  }
}

void TFilenameEdit::ButtonClick() {
  TFileDirEdit::ButtonClick();
  QString temp = ClipFileName(Text());
  bool action = true;
  DoBeforeDialog(temp, action);
  if (!action)
    return;
  if (ValidFileName(temp)) {
    const QFileInfo info(temp);
    if (DirExists(info.path()) && info.path() != QStringLiteral("."))
      SetInitialDir(info.path());
    if (info.fileName().isEmpty() || !ValidFileName(info.fileName()))
      temp.clear();
  }
  FDialog.FileName = temp;
  const bool chosen = DialogSeam().FileDialog(FDialog);
  if (chosen)
    temp = FDialog.FileName;
  if (isEnabled())
    setFocus(Qt::OtherFocusReason);
  // A cancelled dialog leaves the text as it was unless the after-dialog handler chose a name.
  const QString offered = temp;
  DoAfterDialog(temp, action);
  if (action && (chosen || temp != offered)) {
    SetText(AddQuotes(temp));
    if (chosen)
      SetInitialDir(QFileInfo(FDialog.FileName).path());
  }
}
