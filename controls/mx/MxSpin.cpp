#include "MxSpin.h"

#include "Application.h"
#include "Graphics.h"
#include "MxButtonGlyph.h"
#include "MxCtlUtils.h"
#include "MxSpinButtonHolder.h"
#include "MxSpinValidator.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

namespace {

// A 6 x 6 monochrome arrow, pointing up or down.
QImage ArrowGlyph(bool up) {
  QImage image(6, 6, QImage::Format_Mono);
  image.fill(1);
  for (int row = 0; row < 3; ++row) {
    const int y = up ? 1 + row : 4 - row;
    for (int x = 2 - row; x <= 3 + row; ++x)
      image.setPixel(x, y, 0);
  }
  return image;
}

} // namespace

// ---- TMxSpinButton

TMxSpinButton::TMxSpinButton(QWidget *parent) : QWidget(parent), FRepeater(this, [this] { TimerExpired(); }) {
  FUpGlyph = ArrowGlyph(true);
  FDownGlyph = ArrowGlyph(false);
  resize(20, 20);
  setAttribute(Qt::WA_OpaquePaintEvent);
  DrawAllFaces();
}

TMxSpinButton::~TMxSpinButton() = default;

void TMxSpinButton::SetUpGlyph(const QImage &value) {
  FUpGlyph = value.isNull() ? ArrowGlyph(true) : value;
  FInvalidate = true;
  update();
}

void TMxSpinButton::SetDownGlyph(const QImage &value) {
  FDownGlyph = value.isNull() ? ArrowGlyph(false) : value;
  FInvalidate = true;
  update();
}

bool TMxSpinButton::InUpperHalf(QPoint pos) const {
  if (width() <= 0)
    return true;
  return pos.y() <= height() - double(height()) / width() * pos.x();
}

QImage TMxSpinButton::DrawFace(TSpinState state) const {
  const int w = width(), h = height();
  QImage face(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
  const QPalette &colours = palette();
  TCanvas canvas(&face, &colours);
  canvas.Pen.Width = 1;
  canvas.Brush.Color = clBtnFace;
  canvas.Brush.Style = bsSolid;
  canvas.FillRect(QRect(0, 0, w, h));
  canvas.Brush.Color = clWindowFrame;
  canvas.FrameRect(QRect(0, 0, w, h));
  canvas.Pen.Color = clWindowFrame;
  canvas.MoveTo(-1, h);
  canvas.LineTo(w, -1);
  const bool top = state == ssTopDown, bottom = state == ssBottomDown;
  canvas.Pen.Color = top ? clBtnShadow : clBtnHighlight;
  canvas.Polyline({{1, h - 4}, {1, 1}, {w - 3, 1}});
  if (!top) {
    canvas.Pen.Color = clBtnShadow;
    canvas.MoveTo(1, h - 3);
    canvas.LineTo(w - 2, 0);
  }
  canvas.Pen.Color = bottom ? clBtnHighlight : clBtnShadow;
  canvas.Polyline({{2, h - 2}, {w - 2, h - 2}, {w - 2, 1}});
  canvas.Pen.Color = bottom ? clBtnShadow : clBtnHighlight;
  canvas.MoveTo(2, h - 2);
  canvas.LineTo(w - 1, 1);
  const int shift = top ? 2 : 1;
  DrawBitmapTransparent(canvas, int(std::lround(w / 4.0 - FUpGlyph.width() / 2.0)) + shift,
                        int(std::lround(h / 4.0 - FUpGlyph.height() / 2.0)) + shift, FUpGlyph, clDefault);
  DrawBitmapTransparent(canvas, int(std::lround(3.0 * w / 4 - FDownGlyph.width() / 2.0)) - 1,
                        int(std::lround(3.0 * h / 4 - FDownGlyph.height() / 2.0)) - 1, FDownGlyph, clDefault);
  if (bottom) {
    canvas.Pen.Color = clBtnShadow;
    canvas.MoveTo(3, h - 2);
    canvas.LineTo(w - 1, 2);
  }
  return face;
}

void TMxSpinButton::DrawAllFaces() {
  FTopDownFace = DrawFace(ssTopDown);
  FBottomDownFace = DrawFace(ssBottomDown);
  FNormalFace = DrawFace(ssReleased);
  FInvalidate = false;
}

void TMxSpinButton::paintEvent(QPaintEvent *) {
  if (!isEnabled())
    FDragging = false;
  if (FNormalFace.size() != size() || FInvalidate)
    DrawAllFaces();
  QPainter painter(this);
  painter.drawImage(0, 0,
                    FState == ssTopDown      ? FTopDownFace
                    : FState == ssBottomDown ? FBottomDownFace
                                             : FNormalFace);
}

void TMxSpinButton::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
    FInvalidate = true;
    update();
  }
}

void TMxSpinButton::TopClick() {
  if (OnTopClick) {
    OnTopClick(this);
    if (!FDragging)
      FState = ssReleased;
  }
}

void TMxSpinButton::BottomClick() {
  if (OnBottomClick) {
    OnBottomClick(this);
    if (!FDragging)
      FState = ssReleased;
  }
}

void TMxSpinButton::mousePressEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !isEnabled())
    return;
  const QPoint pos = event->position().toPoint();
  Guarded(this, [&] {
    if (FFocusControl && (FFocusControl->focusPolicy() & Qt::TabFocus) && FFocusControl->isEnabled() &&
        !FFocusControl->hasFocus())
      FFocusControl->setFocus(Qt::MouseFocusReason);
    FDragging = true;
    if (FState == ssReleased) {
      FLastState = ssReleased;
      FState = InUpperHalf(pos) ? ssTopDown : ssBottomDown;
      if (FState == ssTopDown)
        TopClick();
      else
        BottomClick();
      if (FState != FLastState) {
        FLastState = FState;
        repaint();
      }
      FRepeater.Start();
    }
  });
}

void TMxSpinButton::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  if (!FDragging)
    return;
  const QPoint pos = event->position().toPoint();
  const TSpinState before = FState;
  if (pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height()) {
    const TSpinState half = InUpperHalf(pos) ? ssTopDown : ssBottomDown;
    if (FState != half)
      FState = FLastState == half ? half : ssReleased;
  } else {
    FState = ssReleased;
  }
  if (FState != before)
    repaint();
}

void TMxSpinButton::mouseReleaseEvent(QMouseEvent *event) {
  event->accept();
  if (!FDragging)
    return;
  FDragging = false;
  const QPoint pos = event->position().toPoint();
  if (pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height()) {
    FState = ssReleased;
    FLastState = ssReleased;
    repaint();
  }
}

void TMxSpinButton::TimerExpired() {
  FRepeater.Tick(FState != ssReleased && FDragging, [this] {
    if (FState == ssBottomDown)
      BottomClick();
    else
      TopClick();
  });
}

// ---- TMxUpDown

TMxUpDown::TMxUpDown(QWidget *parent) : QWidget(parent), FRepeater(this, [this] { TimerExpired(); }) {
  setFocusPolicy(Qt::NoFocus);
  resize(DefaultSpinButtonWidth(), 20);
}

TMxUpDown::~TMxUpDown() { OnClick = nullptr; }

void TMxUpDown::Click(TUDBtnType button) {
  if (OnClick)
    OnClick(this, button);
}

void TMxUpDown::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const int half = height() / 2;
  const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
  for (int i = 0; i < 2; ++i) {
    const TUDBtnType button = i == 0 ? btNext : btPrev;
    QStyleOptionButton frame;
    frame.initFrom(this);
    frame.rect = halves[i];
    const bool down = FDragging && FInside && FButton == button;
    frame.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &frame, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = halves[i].adjusted(2, 1, -2, -1);
    style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
                           &painter, this);
  }
}

void TMxUpDown::mousePressEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !isEnabled())
    return;
  FDragging = true;
  FInside = true;
  FButton = ButtonAt(event->position().toPoint());
  update();
  FRepeater.Start();
  Guarded(this, [this] { Click(FButton); });
}

void TMxUpDown::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  if (!FDragging)
    return;
  const QPoint pos = event->position().toPoint();
  const bool inside = rect().contains(pos) && ButtonAt(pos) == FButton;
  if (inside != FInside) {
    FInside = inside;
    update();
  }
}

void TMxUpDown::mouseReleaseEvent(QMouseEvent *event) {
  event->accept();
  FDragging = false;
  FRepeater.Stop();
  update();
}

void TMxUpDown::TimerExpired() {
  FRepeater.Tick(FDragging && FInside, [this] { Click(FButton); });
}

// ---- TMxSpinEdit

TMxSpinEdit::TMxSpinEdit(QWidget *parent)
    : TCustomEdit(parent), FButtons(std::make_unique<TSpinButtonHolder>(this)) {
  setValidator(new TSpinValidator(
      this, [this] { return FEditorEnabled; },
      [this](QChar key, const QString &text) { return CharAllowed(key, text); }));
  FButtons->OnSpinClick = [this](bool up) {
    if (up)
      StepUp();
    else
      StepDown();
  };
  FButtons->OnUpDownClick = [this](QObject *sender, TUDBtnType button) { UpDownClick(sender, button); };
  connect(this, &QLineEdit::inputRejected, this, [] { Beep(); });
  FChanging = true;
  SetText(QStringLiteral("0"));
  FChanging = false;
  RecreateButton();
}

TMxSpinEdit::~TMxSpinEdit() { FChanging = true; }

void TMxSpinEdit::SetArrowKeys(bool value) {
  FArrowKeys = value;
  ResizeButton();
}

TSpinButtonKind TMxSpinEdit::ButtonKind() const { return NewStyleControls ? FButtonKind : bkDiagonal; }

void TMxSpinEdit::SetButtonKind(TSpinButtonKind value) {
  const TSpinButtonKind before = ButtonKind();
  FButtonKind = value;
  if (ButtonKind() != before) {
    RecreateButton();
    ResizeButton();
    SetEditRect();
  }
}

void TMxSpinEdit::SetDecimal(int value) {
  value = std::clamp(value, 0, 255);
  if (value == FFormat.Decimal())
    return;
  FFormat.SetDecimal(value);
  Reformat();
}

void TMxSpinEdit::SetValueType(TValueType value) {
  const TValueType before = FFormat.ValueType();
  if (value == before)
    return;
  FFormat.SetValueType(value);
  // The text is read as the new type; a text only the old type can read keeps its number.
  double number = 0;
  if (TSpinNumberFormat::Parse(Text(), value, number) || TSpinNumberFormat::Parse(Text(), before, number))
    SetValue(number);
  if (value != vtFloat) {
    FIncrement = double(RoundToInt64(FIncrement));
    if (FIncrement == 0)
      FIncrement = 1;
  }
}

void TMxSpinEdit::SetRepeat(const TSpinRepeat &value) { FButtons->SetRepeat(value); }

TMxSpinButton *TMxSpinEdit::SpinButton() const { return FButtons->SpinButton(); }

TMxUpDown *TMxSpinEdit::UpDown() const { return FButtons->UpDown(); }

void TMxSpinEdit::SetValue(double value) { SetText(FFormat.Format(CheckValue(value))); }

// The low 32 bits of the value truncated towards zero.
int TMxSpinEdit::AsInteger() const { return int(quint32(quint64(RoundToInt64(std::trunc(Value()))))); }

void TMxSpinEdit::Reformat() {
  double number = 0;
  if (TSpinNumberFormat::Parse(Text(), FFormat.ValueType(), number))
    SetValue(number);
}

bool TMxSpinEdit::CharAllowed(QChar key, const QString &text) const {
  if (!FEditorEnabled)
    return key.unicode() < 32 && key != u'\b';
  return FFormat.Accepts(key, text);
}

bool TMxSpinEdit::AcceptsChar(QChar key) const { return CharAllowed(key, Text()); }

void TMxSpinEdit::Change() {
  if (!FChanging)
    TCustomEdit::Change();
}

void TMxSpinEdit::Step(double delta, const std::function<void(QObject *)> &event) {
  if (ReadOnly()) {
    Beep();
    return;
  }
  const QString before = Text();
  const double next = Value() + delta;
  FChanging = true;
  try {
    SetValue(next);
  } catch (...) {
    FChanging = false;
    throw;
  }
  FChanging = false;
  if (QString::compare(Text(), before, Qt::CaseInsensitive) != 0) {
    SetModified(true);
    Change();
  }
  if (event)
    event(this);
}

void TMxSpinEdit::StepUp() { Step(FIncrement, OnTopClick); }

void TMxSpinEdit::StepDown() { Step(-FIncrement, OnBottomClick); }

void TMxSpinEdit::UpDownClick(QObject *, TUDBtnType button) {
  if ((focusPolicy() & Qt::TabFocus) && isEnabled() && isVisible() && !hasFocus())
    setFocus(Qt::MouseFocusReason);
  if (button == btNext)
    StepUp();
  else
    StepDown();
}

// ---- the button

int TMxSpinEdit::ButtonWidth() const { return FButtons->Width(); }

void TMxSpinEdit::RecreateButton() {
  FButtons->Rebuild(ButtonKind());
  ResizeButton();
}

void TMxSpinEdit::ResizeButton() {
  FButtons->Place(NewStyleControls && hasFrame(), layoutDirection() == Qt::RightToLeft);
  SetEditRect();
}

void TMxSpinEdit::SetEditRect() {
  if (layoutDirection() == Qt::RightToLeft)
    setTextMargins(ButtonWidth() + 1, 0, 0, 0);
  else
    setTextMargins(0, 0, ButtonWidth() + 2, 0);
}

int TMxSpinEdit::MinHeight() const { return QFontMetrics(font()).height() + 4 + 1; }

void TMxSpinEdit::resizeEvent(QResizeEvent *event) {
  TCustomEdit::resizeEvent(event);
  if (height() < MinHeight()) {
    resize(width(), MinHeight());
    return;
  }
  ResizeButton();
}

void TMxSpinEdit::changeEvent(QEvent *event) {
  TCustomEdit::changeEvent(event);
  switch (event->type()) {
  case QEvent::EnabledChange:
    FButtons->SetEnabled(isEnabled());
    ResizeButton();
    break;
  case QEvent::FontChange:
  case QEvent::LayoutDirectionChange: ResizeButton(); break;
  default: break;
  }
}

// ---- keys and focus

void TMxSpinEdit::keyPressEvent(QKeyEvent *event) {
  if (FArrowKeys && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
    event->accept();
    Guarded(this, [&] {
      if (event->key() == Qt::Key_Up)
        StepUp();
      else
        StepDown();
    });
    return;
  }
  const QString text = event->text();
  const bool typed = text.size() == 1 && (text[0].isPrint() || text[0].unicode() < 32) &&
                     !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (typed && !AcceptsChar(text[0])) {
    event->accept();
    Beep();
    return;
  }
  if (!FEditorEnabled && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
    event->accept();
    Beep();
    return;
  }
  TCustomEdit::keyPressEvent(event);
}

void TMxSpinEdit::focusOutEvent(QFocusEvent *event) {
  TCustomEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
    return;
  try {
    CheckText();
    const double value = Value();
    if (CheckValue(value) != value)
      SetValue(value);
  } catch (...) {
    setFocus(Qt::OtherFocusReason);
    HandleCurrentException(this);
  }
}
