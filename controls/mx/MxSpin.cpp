#include "MxSpin.h"

#include "Application.h"
#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "Graphics.h"
#include "MxButtonGlyph.h"
#include "MxCtlUtils.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <limits>

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

// Starts (creating on first use) the repeat timer of a held button with the first pause.
template <class Button> void StartRepeat(Button *button, QTimer *&timer, int pause) {
  if (!timer) {
    timer = new QTimer(button);
    QObject::connect(timer, &QTimer::timeout, button,
                     [button] { Guarded(button, [button] { button->TimerExpired(); }); });
  }
  timer->setInterval(pause);
  timer->start();
}

// One tick: later ticks come at the repeat interval; a click that fails stops the repeat.
template <class F> void RepeatTick(QTimer *timer, int interval, bool held, F click) {
  if (!timer)
    return;
  timer->setInterval(interval);
  if (!held)
    return;
  try {
    click();
  } catch (...) {
    timer->stop();
    throw;
  }
}

int DefaultButtonWidth() {
  return std::min(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent), 15);
}

// Round to nearest, ties to even, kept inside the 64-bit range.
qint64 RoundToInt64(double value) {
  constexpr double limit = 9223372036854775807.0;
  if (!(value < limit))
    return std::numeric_limits<qint64>::max();
  if (value <= -limit)
    return std::numeric_limits<qint64>::min();
  return qint64(std::nearbyint(value));
}

// Fixed-point text with 15 significant digits and `decimals` after the separator.
QString FixedText(double value, int decimals) {
  if (value != 0 && std::fabs(value) >= 1e15)
    return FloatToStr(value);
  int exponent = 0;
  if (value != 0)
    exponent = int(std::floor(std::log10(std::fabs(value))));
  const int shown = std::min(decimals, std::max(0, 14 - exponent));
  QString text = QString::number(value, 'f', shown);
  if (decimals > shown)
    text += QString(shown == 0 ? QStringLiteral(".") : QString()) + QString(decimals - shown, u'0');
  // A value that rounds to zero shows no sign.
  if (text.startsWith(u'-') &&
      !std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
    text.remove(0, 1);
  return text.replace(u'.', FormatSettings().DecimalSeparator);
}

} // namespace

// ---- TMxSpinButton

TMxSpinButton::TMxSpinButton(QWidget *parent) : QWidget(parent) {
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
      StartRepeat(this, FRepeatTimer, FRepeat.Pause);
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
  RepeatTick(FRepeatTimer, FRepeat.Interval, FState != ssReleased && FDragging, [this] {
    if (FState == ssBottomDown)
      BottomClick();
    else
      TopClick();
  });
}

// ---- TMxUpDown

TMxUpDown::TMxUpDown(QWidget *parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  resize(DefaultButtonWidth(), 20);
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
  StartRepeat(this, FRepeatTimer, FRepeat.Pause);
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
  if (FRepeatTimer)
    FRepeatTimer->stop();
  update();
}

void TMxUpDown::TimerExpired() {
  RepeatTick(FRepeatTimer, FRepeat.Interval, FDragging && FInside, [this] { Click(FButton); });
}

// ---- TSpinValidator

// Every change of the text that does not come from the program (typing, pasting, dropping, the
// context menu) must insert only characters that typing would accept.
class TSpinValidator : public QValidator {
public:
  explicit TSpinValidator(TMxSpinEdit *edit) : QValidator(edit), FEdit(edit) {}

  State validate(QString &input, int &) const override {
    const QString &old = FEdit->FAcceptedText;
    if (input == old)
      return Acceptable;
    if (!FEdit->FEditorEnabled)
      return Invalid;
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < input.size() && old[prefix] == input[prefix])
      ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < input.size() - prefix &&
           old[old.size() - 1 - suffix] == input[input.size() - 1 - suffix])
      ++suffix;
    QString text = old.left(prefix) + old.right(suffix);
    const QString inserted = input.mid(prefix, input.size() - prefix - suffix);
    for (qsizetype i = 0; i < inserted.size(); ++i) {
      const QChar c = inserted[i];
      if (c.unicode() < 32 || !FEdit->CharAllowed(c, text))
        return Invalid;
      text.insert(prefix + i, c);
    }
    return Acceptable;
  }

private:
  TMxSpinEdit *FEdit;
};

// ---- TMxSpinEdit

TMxSpinEdit::TMxSpinEdit(QWidget *parent) : TCustomEdit(parent) {
  setValidator(new TSpinValidator(this));
  connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { FAcceptedText = text; });
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
  if (value == FDecimal)
    return;
  FDecimal = value;
  Reformat();
}

void TMxSpinEdit::SetValueType(TValueType value) {
  if (value == FValueType)
    return;
  const TValueType before = FValueType;
  FValueType = value;
  // The text is read as the new type; a text only the old type can read keeps its number.
  double number = 0;
  if (TryParse(Text(), value, number) || TryParse(Text(), before, number))
    SetValue(number);
  if (value != vtFloat) {
    FIncrement = double(RoundToInt64(FIncrement));
    if (FIncrement == 0)
      FIncrement = 1;
  }
}

void TMxSpinEdit::SetRepeat(const TSpinRepeat &value) {
  FRepeat = value;
  if (FButton)
    FButton->Repeat() = value;
  if (FUpDown)
    FUpDown->Repeat() = value;
}

bool TMxSpinEdit::TryParse(const QString &text, TValueType type, double &value) const {
  bool ok = false;
  const QString s = text.trimmed();
  switch (type) {
  case vtFloat: return TryStrToFloat(s, value);
  case vtHex: {
    const bool negative = s.startsWith(u'-');
    const QString digits = s.startsWith(u'-') || s.startsWith(u'+') ? s.mid(1) : s;
    if (digits.isEmpty() || digits.startsWith(u'+') || digits.startsWith(u'-'))
      return false;
    const qint64 number = qint64(digits.toULongLong(&ok, 16));
    value = double(negative ? -number : number);
    return ok;
  }
  default: {
    const qint64 number = s.toLongLong(&ok, 10);
    value = double(number);
    return ok;
  }
  }
}

double TMxSpinEdit::Value() const {
  double value = 0;
  if (TryParse(Text(), FValueType, value))
    return value;
  return FValueType == vtFloat ? FMinValue : std::trunc(FMinValue);
}

void TMxSpinEdit::CheckText() const {
  const QString text = Text();
  double value = 0;
  if (text.trimmed().isEmpty() || TryParse(text, FValueType, value))
    return;
  if (FValueType == vtFloat)
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

double TMxSpinEdit::CheckValue(double value) const {
  if (FMinValue == FMaxValue)
    return value;
  if (value < FMinValue)
    return FMinValue;
  return value > FMaxValue ? FMaxValue : value;
}

QString TMxSpinEdit::FormatValue(double value) const {
  switch (FValueType) {
  case vtFloat: return FixedText(value, FDecimal);
  case vtHex: return QString::number(quint64(RoundToInt64(value)), 16).toUpper();
  default: return QString::number(RoundToInt64(value));
  }
}

void TMxSpinEdit::SetValue(double value) { SetText(FormatValue(CheckValue(value))); }

// The low 32 bits of the value truncated towards zero.
int TMxSpinEdit::AsInteger() const { return int(quint32(quint64(RoundToInt64(std::trunc(Value()))))); }

void TMxSpinEdit::Reformat() {
  double number = 0;
  if (TryParse(Text(), FValueType, number))
    SetValue(number);
}

bool TMxSpinEdit::CharAllowed(QChar key, const QString &text) const {
  if (!FEditorEnabled)
    return key.unicode() < 32 && key != u'\b';
  if (key.unicode() < 32)
    return true;
  if (key == u'+' || key == u'-' || (key >= u'0' && key <= u'9'))
    return true;
  if (FValueType == vtFloat) {
    const QChar separator = FormatSettings().DecimalSeparator;
    if (key == separator && !text.contains(separator))
      return true;
    if ((key == u'E' || key == u'e') && !text.toUpper().contains(u'E'))
      return true;
  } else if (FValueType == vtHex) {
    const QChar upper = key.toUpper();
    return upper >= u'A' && upper <= u'F' && key.unicode() < 128;
  }
  return false;
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

int TMxSpinEdit::ButtonWidth() const {
  if (FUpDown)
    return FUpDown->width();
  if (FButton)
    return FBtnWindow->width();
  return DefaultButtonWidth();
}

void TMxSpinEdit::RecreateButton() {
  delete FButton;
  delete FBtnWindow;
  delete FUpDown;
  FButton = nullptr;
  FBtnWindow = nullptr;
  FUpDown = nullptr;
  if (ButtonKind() == bkStandard) {
    FUpDown = new TMxUpDown(this);
    FUpDown->Repeat() = FRepeat;
    FUpDown->setEnabled(isEnabled());
    FUpDown->OnClick = [this](QObject *sender, TUDBtnType button) { UpDownClick(sender, button); };
    FUpDown->show();
  } else {
    FBtnWindow = new QWidget(this);
    FBtnWindow->setGeometry(0, 0, height(), height());
    FButton = new TMxSpinButton(FBtnWindow);
    FButton->Repeat() = FRepeat;
    FButton->setEnabled(isEnabled());
    FButton->SetFocusControl(this);
    FButton->OnTopClick = [this](QObject *) { StepUp(); };
    FButton->OnBottomClick = [this](QObject *) { StepDown(); };
    FButton->setGeometry(0, 0, FBtnWindow->width(), FBtnWindow->height());
    FBtnWindow->show();
  }
  ResizeButton();
}

void TMxSpinEdit::ResizeButton() {
  const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
  const int w = width(), h = height();
  if (FUpDown) {
    const int bw = DefaultButtonWidth();
    FUpDown->setGeometry(rightToLeft ? 0 : w - bw, 0, bw, h);
  } else if (FButton) {
    const bool framed = NewStyleControls && hasFrame();
    QRect host = framed ? QRect(w - h + 1, 1, h - 3, h - 3) : QRect(w - h, 0, h, h);
    if (rightToLeft)
      host = framed ? QRect(1, 1, h - 3, h - 3) : QRect(0, 0, h, h);
    FBtnWindow->setGeometry(host);
    FButton->setGeometry(0, 0, host.width(), host.height());
  }
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
    if (FUpDown)
      FUpDown->setEnabled(isEnabled());
    if (FButton)
      FButton->setEnabled(isEnabled());
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
