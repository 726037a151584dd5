#include "MxCtrls.h"

#include "Actions.h"
#include "Application.h"
#include "Forms.h"
#include "Menus.h"
#include "MxCtlUtils.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTimer>

namespace {

int LiveButtons = 0;

// The face pattern of a button held down in a group: a checkerboard of face and highlight.
void FillExclusivePattern(TCanvas &canvas, const QRect &rect) {
  QPainter &painter = canvas.Painter();
  painter.fillRect(rect, canvas.Resolve(clBtnHighlight));
  painter.fillRect(rect, QBrush(canvas.Resolve(clBtnFace), Qt::Dense4Pattern));
}

} // namespace

TMxSpeedButton::TMxSpeedButton(QWidget *parent)
    : QWidget(parent), FGlyph(std::make_unique<TMxButtonGlyph>()) {
  setGeometry(0, 0, 25, 25);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::NoFocus);
  FGlyph->OnChange = [this] { update(); };
  ++LiveButtons;
}

TMxSpeedButton::~TMxSpeedButton() {
  --LiveButtons;
  FGlyph->OnChange = nullptr;
}

int TMxSpeedButton::InstanceCount() { return LiveButtons; }

// ---- properties

void TMxSpeedButton::SetAction(TAction *action) {
  if (action == FAction)
    return;
  disconnect(FActionConnection);
  FAction = action;
  if (action) {
    FActionConnection = connect(action, &QAction::changed, this, [this] { ActionChange(); });
    ActionChange();
  }
}

void TMxSpeedButton::ActionChange() {
  if (!FAction)
    return;
  SetCaption(FAction->Caption());
  setEnabled(FAction->Enabled());
  // A button without a parent would show as a window of its own.
  if (parentWidget())
    setVisible(FAction->Visible());
  setToolTip(FAction->Hint());
  if (FGroupIndex != 0)
    SetDown(FAction->Checked());
}

void TMxSpeedButton::SetCaption(const QString &value) {
  if (value == FCaption)
    return;
  FCaption = value;
  UpdateMnemonic();
  update();
}

void TMxSpeedButton::UpdateMnemonic() {
  if (FMnemonicId)
    releaseShortcut(FMnemonicId);
  FMnemonicId = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(FCaption);
  if (!mnemonic.isEmpty())
    FMnemonicId = grabShortcut(mnemonic);
}

void TMxSpeedButton::SetAlignment(TAlignment value) {
  if (value == FGlyph->Alignment())
    return;
  FGlyph->SetAlignment(value);
  update();
}

void TMxSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp)
    return;
  FAllowAllUp = value;
  BroadcastGroup();
}

void TMxSpeedButton::SetAllowTimer(bool value) {
  FAllowTimer = value;
  if (!value)
    StopRepeat();
}

void TMxSpeedButton::StopRepeat() {
  delete FRepeatTimer;
  FRepeatTimer = nullptr;
}

void TMxSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex)
    return;
  FGroupIndex = value;
  BroadcastGroup();
}

void TMxSpeedButton::SetDown(bool value) {
  if (FGroupIndex == 0)
    value = false;
  if (value != FDown) {
    if (FDown && !FAllowAllUp)
      return;
    FDown = value;
    if (value) {
      if (FState == rbsUp)
        update();
      FState = rbsExclusive;
    } else {
      FState = rbsUp;
    }
    repaint();
    if (value)
      BroadcastGroup();
  }
  update();
}

// What the group message did: every other member of the group hears of the change.
void TMxSpeedButton::BroadcastGroup() {
  if (FGroupIndex == 0 || !parentWidget())
    return;
  for (TMxSpeedButton *sibling : parentWidget()->findChildren<TMxSpeedButton *>(Qt::FindDirectChildrenOnly))
    if (sibling != this)
      sibling->ButtonPressed(this);
}

void TMxSpeedButton::ButtonPressed(TMxSpeedButton *sender) {
  if (sender->FGroupIndex != FGroupIndex)
    return;
  if (sender->FDown && FDown) {
    FDown = false;
    FState = rbsUp;
    if (FAction)
      FAction->SetChecked(false);
    repaint();
  }
  FAllowAllUp = sender->FAllowAllUp;
}

void TMxSpeedButton::SetDropDownMenu(QMenu *menu) {
  if (menu == FDropDownMenu)
    return;
  FDropDownMenu = menu;
  if (FMarkDropDown)
    update();
}

void TMxSpeedButton::SetFlat(bool value) {
  if (value == FFlat)
    return;
  FFlat = value;
  update();
}

void TMxSpeedButton::SetGlyph(const QImage &glyph) {
  FGlyph->SetGlyph(glyph);
  update();
}

void TMxSpeedButton::SetGrayedInactive(bool value) {
  if (value == FGrayedInactive)
    return;
  FGrayedInactive = value;
  update();
}

void TMxSpeedButton::SetLayout(TButtonLayout value) {
  if (value == FLayout)
    return;
  FLayout = value;
  update();
}

void TMxSpeedButton::SetMargin(int value) {
  if (value == FMargin || value < -1)
    return;
  FMargin = value;
  update();
}

void TMxSpeedButton::SetMarkDropDown(bool value) {
  if (value == FMarkDropDown)
    return;
  FMarkDropDown = value;
  update();
}

void TMxSpeedButton::SetNumGlyphs(TMxNumGlyphs value) {
  FGlyph->SetNumGlyphs(std::min(value, 5));
  update();
}

void TMxSpeedButton::SetSpacing(int value) {
  if (value == FSpacing)
    return;
  FSpacing = value;
  update();
}

void TMxSpeedButton::SetStyle(TButtonStyle value) {
  if (value == FStyle)
    return;
  FStyle = value;
  update();
}

void TMxSpeedButton::SetTransparent(bool value) {
  if (value == FTransparent)
    return;
  FTransparent = value;
  update();
}

void TMxSpeedButton::SetWordWrap(bool value) {
  if (value == FGlyph->WordWrap())
    return;
  FGlyph->SetWordWrap(value);
  update();
}

void TMxSpeedButton::SetFontColor(TColor value) {
  if (FFontColor == value)
    return;
  FFontColor = value;
  update();
}

// ---- painting

void TMxSpeedButton::DrawContents(TCanvas &canvas, const QRect &rect, bool drawMark, TMxButtonState state) {
  const int flags = layoutDirection() == Qt::RightToLeft ? Qt::TextForceRightToLeft : 0;
  FGlyph->DrawButton(canvas, rect, FCaption, FLayout, FMargin, FSpacing, drawMark, state, flags);
}

void TMxSpeedButton::paintEvent(QPaintEvent *) {
  if (!isEnabled()) {
    FState = rbsDisabled;
    FDragging = false;
  } else if (FState == rbsDisabled) {
    FState = FDown && FGroupIndex != 0 ? rbsExclusive : rbsUp;
  }
  const TMxButtonState paintState = FFlat && !FMouseInControl ? rbsInactive : FState;

  QImage face(size(), QImage::Format_RGB32);
  {
    const QPalette &colours = palette();
    TCanvas canvas(&face, &colours);
    canvas.Font = TFont(font(), FFontColor);
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(face.rect());
    if (FTransparent)
      CopyParentImage(this, canvas.Painter());

    QRect rect = face.rect();
    if (paintState != rbsInactive || FState == rbsExclusive)
      DrawButtonFrame(canvas, rect, FState == rbsDown || FState == rbsExclusive, FFlat, FStyle);
    else
      rect.adjust(2, 2, -2, -2);

    if (FState == rbsExclusive && !FTransparent && (!FFlat || paintState == rbsInactive))
      FillExclusivePattern(canvas, rect.adjusted(-1, -1, 1, 1));

    if (FState == rbsDown || FState == rbsExclusive)
      rect.translate(1, 1);
    const TMxButtonState drawn = FState == rbsDisabled || !FGrayedInactive ? FState : paintState;
    DrawContents(canvas, rect, FMarkDropDown && FDropDownMenu, drawn);
  }
  QPainter(this).drawImage(0, 0, face);
}

// The image for the look the button shows now is made ahead of the first paint.
void TMxSpeedButton::PrepareLook() {
  FGlyph->CreateButtonGlyph(!isEnabled() ? rbsDisabled : FFlat ? rbsInactive : rbsUp);
}

// ---- mouse

bool TMxSpeedButton::InsideForTracking(const QPoint &pos) const {
  return pos.x() >= 0 && pos.x() < width() && pos.y() >= 0 && pos.y() <= height();
}

QPoint TMxSpeedButton::DropDownMenuPos() const {
  if (!FDropDownMenu)
    return mapToGlobal(QPoint(0, 0));
  const TPopupAlignment alignment = PopupAlignment(FDropDownMenu);
  if (alignment == paCenter)
    return mapToGlobal(QPoint(width() / 2, height()));
  if (FMenuPosition == dmpBottom)
    return mapToGlobal(alignment == paRight ? QPoint(width() + 1, height()) : QPoint(-1, height()));
  return mapToGlobal(alignment == paRight ? QPoint(-1, -1) : QPoint(width(), -1));
}

bool TMxSpeedButton::CheckMenuDropDown() {
  if (!FDropDownMenu || !PopupAutoPopup(FDropDownMenu))
    return false;
  // A click on the button while the menu is open only closes the menu.
  FDropDownMenu->setAttribute(Qt::WA_NoMouseReplay);
  FDropDownMenu->exec(PopupMenuOrigin(FDropDownMenu, DropDownMenuPos()));
  return true;
}

void TMxSpeedButton::PressLeft(const QPoint &pos) {
  if (!FDown) {
    FState = rbsDown;
    repaint();
  }
  FDragging = true;
  FMenuTracking = true;
  if (CheckMenuDropDown())
    ReleaseLogic(pos);
  FMenuTracking = false;
  if (FAllowTimer) {
    if (!FRepeatTimer) {
      FRepeatTimer = new QTimer(this);
      connect(FRepeatTimer, &QTimer::timeout, this,
              [this] { Guarded(this, [this] { RepeatTimerExpired(); }); });
    }
    FRepeatTimer->start(FInitPause);
  }
}

void TMxSpeedButton::mousePressEvent(QMouseEvent *event) {
  // The button handles its presses; none goes on to the control below.
  event->accept();
  if (FMenuTracking)
    return;
  if (!isEnabled())
    return;
  if (!FMouseInControl) {
    FMouseInControl = true;
    repaint();
  }
  if (event->button() == Qt::LeftButton) {
    const QPoint pos = event->position().toPoint();
    Guarded(this, [&] { PressLeft(pos); });
  } else {
    UpdateTracking();
  }
}

void TMxSpeedButton::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  if (!FDragging)
    return;
  const bool inside = InsideForTracking(event->position().toPoint());
  const TMxButtonState newState = FDown ? rbsExclusive : inside ? rbsDown : rbsUp;
  if (newState != FState) {
    FState = newState;
    repaint();
  }
}

void TMxSpeedButton::mouseReleaseEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() == Qt::LeftButton) {
    const QPoint pos = event->position().toPoint();
    Guarded(this, [&] { ReleaseLogic(pos); });
  } else {
    UpdateTracking();
  }
  if (FRepeatTimer)
    FRepeatTimer->stop();
}

void TMxSpeedButton::ReleaseLogic(const QPoint &pos) {
  if (!FDragging)
    return;
  FDragging = false;
  const bool inside = InsideForTracking(pos);
  if (FGroupIndex == 0) {
    FState = rbsUp;
    FMouseInControl = false;
    if (inside)
      repaint();
    else
      update();
  } else if (inside) {
    SetDown(!FDown);
    if (FDown)
      repaint();
  } else if (FDown) {
    FState = rbsExclusive;
    repaint();
  }
  if (inside && !FMenuTracking)
    Click();
  UpdateTracking();
}

void TMxSpeedButton::mouseDoubleClickEvent(QMouseEvent *event) {
  if (FMenuTracking)
    return;
  mousePressEvent(event);
  if (FDown && OnDblClick)
    Guarded(this, [this] { OnDblClick(this); });
}

void TMxSpeedButton::Click() {
  if (auto *form = qobject_cast<TForm *>(window()))
    form->SetModalResult(FModalResult);
  if (OnClick)
    OnClick(this);
  else if (FAction)
    FAction->Execute();
}

void TMxSpeedButton::RepeatTimerExpired() {
  if (!FRepeatTimer)
    return;
  FRepeatTimer->setInterval(FRepeatInterval);
  if (FState == rbsDown && FDragging) {
    try {
      Click();
    } catch (...) {
      FRepeatTimer->stop();
      throw;
    }
  }
}

void TMxSpeedButton::SetMouseInControl(bool value) {
  if (value == FMouseInControl)
    return;
  FMouseInControl = value;
  if (value) {
    if (FFlat)
      repaint();
    if (OnMouseEnter)
      OnMouseEnter(this);
  } else {
    if (FFlat)
      update();
    if (OnMouseLeave)
      OnMouseLeave(this);
  }
}

void TMxSpeedButton::UpdateTracking() {
  SetMouseInControl(isEnabled() && underMouse() && IsForegroundTask());
}

void TMxSpeedButton::enterEvent(QEnterEvent *event) {
  QWidget::enterEvent(event);
  if (isEnabled())
    Guarded(this, [this] { SetMouseInControl(true); });
}

void TMxSpeedButton::leaveEvent(QEvent *event) {
  QWidget::leaveEvent(event);
  if (!FDragging)
    Guarded(this, [this] { SetMouseInControl(false); });
}

void TMxSpeedButton::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
  case QEvent::EnabledChange:
    PrepareLook();
    Guarded(this, [this] { UpdateTracking(); });
    repaint();
    break;
  case QEvent::FontChange: update(); break;
  case QEvent::PaletteChange:
    FGlyph->Invalidate();
    update();
    break;
  default: break;
  }
}

bool TMxSpeedButton::event(QEvent *event) {
  if (event->type() == QEvent::Shortcut &&
      static_cast<QShortcutEvent *>(event)->shortcutId() == FMnemonicId) {
    if (isEnabled())
      Guarded(this, [this] { Click(); });
    return true;
  }
  if (event->type() == QEvent::Show)
    PrepareLook();
  return QWidget::event(event);
}
