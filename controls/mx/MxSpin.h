#pragma once

#include "DBTypes.h"
#include "MaskEdit.h"
#include "MxSpinNumberFormat.h"
#include "MxSpinRepeater.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QTimer;
class TSpinButtonHolder;

enum TSpinButtonKind { bkStandard, bkDiagonal };

// A square split by its diagonal into an up half (upper left) and a down half (lower right). A
// press steps at once and repeats while the mouse stays on the pressed half.
class TMxSpinButton : public QWidget {
  Q_OBJECT
public:
  enum TSpinState { ssReleased, ssTopDown, ssBottomDown };

  explicit TMxSpinButton(QWidget *parent = nullptr);
  ~TMxSpinButton() override;

  const QImage &UpGlyph() const { return FUpGlyph; }
  // A null image puts back the built-in glyph.
  void SetUpGlyph(const QImage &value);
  const QImage &DownGlyph() const { return FDownGlyph; }
  void SetDownGlyph(const QImage &value);
  QWidget *FocusControl() const { return FFocusControl; }
  void SetFocusControl(QWidget *value) { FFocusControl = value; }
  TSpinState State() const { return FState; }
  TSpinRepeat &Repeat() { return FRepeater.Timings(); }
  QTimer *RepeatTimer() const { return FRepeater.Timer(); }
  // Whether the point lies in the upper half (on or above the diagonal).
  bool InUpperHalf(QPoint pos) const;
  // One tick of the repeat timer.
  void TimerExpired();

  std::function<void(QObject *sender)> OnTopClick;
  std::function<void(QObject *sender)> OnBottomClick;

  QSize sizeHint() const override { return QSize(20, 20); }

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void TopClick();
  void BottomClick();
  void DrawAllFaces();
  QImage DrawFace(TSpinState state) const;

  TSpinState FState = ssReleased;
  QImage FUpGlyph;
  QImage FDownGlyph;
  bool FDragging = false;
  bool FInvalidate = true;
  QImage FTopDownFace;
  QImage FBottomDownFace;
  TSpinRepeater FRepeater;
  QImage FNormalFace;
  TSpinState FLastState = ssReleased;
  QPointer<QWidget> FFocusControl;
};

enum TUDBtnType { btNext, btPrev };

// The standard up-down control: an up arrow over a down arrow; a press clicks at once and repeats
// while held on the same arrow.
class TMxUpDown : public QWidget {
  Q_OBJECT
public:
  explicit TMxUpDown(QWidget *parent = nullptr);
  ~TMxUpDown() override;

  // The arrow under the point: btNext for the upper half.
  TUDBtnType ButtonAt(QPoint pos) const { return pos.y() < height() / 2 ? btNext : btPrev; }
  TSpinRepeat &Repeat() { return FRepeater.Timings(); }
  QTimer *RepeatTimer() const { return FRepeater.Timer(); }
  void TimerExpired();
  void Click(TUDBtnType button);

  std::function<void(QObject *sender, TUDBtnType button)> OnClick;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  bool FDragging = false;
  bool FInside = false;
  TUDBtnType FButton = btNext;
  TSpinRepeater FRepeater;
};

// A numeric edit with spin buttons at its side: integer, floating or hexadecimal values, bounds,
// step and the accepted characters. The value lives only in the text.
class TMxSpinEdit : public TCustomEdit {
  Q_OBJECT
public:
  explicit TMxSpinEdit(QWidget *parent = nullptr);
  ~TMxSpinEdit() override;

  TAlignment Alignment() const { return TCustomEdit::Alignment(); }
  void SetAlignment(TAlignment value) { TCustomEdit::SetAlignment(value); }
  bool ArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool value);
  TSpinButtonKind ButtonKind() const;
  void SetButtonKind(TSpinButtonKind value);
  int Decimal() const { return FFormat.Decimal(); }
  void SetDecimal(int value);
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool value) { FEditorEnabled = value; }
  double Increment() const { return FIncrement; }
  void SetIncrement(double value) { FIncrement = value; }
  double MaxValue() const { return FFormat.MaxValue(); }
  void SetMaxValue(double value) { FFormat.SetMaxValue(value); }
  double MinValue() const { return FFormat.MinValue(); }
  void SetMinValue(double value) { FFormat.SetMinValue(value); }
  TValueType ValueType() const { return FFormat.ValueType(); }
  void SetValueType(TValueType value);

  // The text as a number of the value type. Never raises: a text that is no number reads as
  // MinValue (truncated for whole numbers); leaving the edit reports such a text.
  double Value() const { return FFormat.Read(Text()); }
  // Raises EConvertError for a text that is neither empty nor a number of the value type.
  void CheckText() const { FFormat.Check(Text()); }
  // Clamps the value into the bounds and writes it as text.
  void SetValue(double value);
  int AsInteger() const;
  void SetAsInteger(int value) { SetValue(value); }
  // MinValue..MaxValue, only when they differ.
  double CheckValue(double value) const { return FFormat.Clamp(value); }

  virtual bool AcceptsChar(QChar key) const;
  virtual void StepUp();
  virtual void StepDown();

  TMxSpinButton *SpinButton() const;
  TMxUpDown *UpDown() const;
  int ButtonWidth() const;
  int MinHeight() const;
  // Timing of the auto-repeat of whichever button the edit shows (kept across button changes).
  void SetRepeat(const TSpinRepeat &value);

  std::function<void(QObject *sender)> OnTopClick;
  std::function<void(QObject *sender)> OnBottomClick;

protected:
  void Change() override;
  bool EditCanModify() override { return FEditorEnabled && !ReadOnly(); }
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  // Whether the character may join the text (the typed and pasted check).
  bool CharAllowed(QChar key, const QString &text) const;
  // Value := Value, when the text is a number.
  void Reformat();
  void Step(double delta, const std::function<void(QObject *)> &event);
  void RecreateButton();
  void ResizeButton();
  void SetEditRect();
  void UpDownClick(QObject *sender, TUDBtnType button);

  bool FChanging = false;
  bool FArrowKeys = true;
  TSpinButtonKind FButtonKind = bkDiagonal;
  bool FEditorEnabled = true;
  double FIncrement = 1.0;
  TSpinNumberFormat FFormat;
  std::unique_ptr<TSpinButtonHolder> FButtons;
};
