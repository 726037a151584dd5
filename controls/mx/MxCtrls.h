#pragma once

#include "Actions.h"
#include "MxButtonGlyph.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QTimer;

// A tool button drawn by the program: glyph, caption, optional drop-down menu with its marker,
// auto-repeat while held, exclusive groups (GroupIndex), flat and transparent looks.
class TMxSpeedButton : public QWidget {
  Q_OBJECT
public:
  explicit TMxSpeedButton(QWidget *parent = nullptr);
  ~TMxSpeedButton() override;

  static int InstanceCount();

  TAction *Action() const { return FAction; }
  void SetAction(TAction *action);
  const QString &Caption() const { return FCaption; }
  void SetCaption(const QString &value);
  TAlignment Alignment() const { return FGlyph->Alignment(); }
  void SetAlignment(TAlignment value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool AllowTimer() const { return FAllowTimer; }
  void SetAllowTimer(bool value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  QMenu *DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(QMenu *menu);
  TMxDropDownMenuPos MenuPosition() const { return FMenuPosition; }
  void SetMenuPosition(TMxDropDownMenuPos value) { FMenuPosition = value; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  // The colour of the caption (the class library's Font.Color).
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor value);
  const QImage &Glyph() const { return FGlyph->Glyph(); }
  void SetGlyph(const QImage &glyph);
  bool GrayedInactive() const { return FGrayedInactive; }
  void SetGrayedInactive(bool value);
  int InitPause() const { return FInitPause; }
  void SetInitPause(int value) { FInitPause = value; }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  bool MarkDropDown() const { return FMarkDropDown; }
  void SetMarkDropDown(bool value);
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }
  TMxNumGlyphs NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(TMxNumGlyphs value);
  int RepeatInterval() const { return FRepeatInterval; }
  void SetRepeatInterval(int value) { FRepeatInterval = value; }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  TButtonStyle Style() const { return FStyle; }
  void SetStyle(TButtonStyle value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool WordWrap() const { return FGlyph->WordWrap(); }
  void SetWordWrap(bool value);

  TMxButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }
  TMxButtonGlyph &ButtonGlyph() { return *FGlyph; }
  // The repeat timer while it exists (made by a press with AllowTimer).
  QTimer *RepeatTimer() const { return FRepeatTimer; }
  // One tick of the repeat timer: clicks while the button is held down.
  void RepeatTimerExpired();
  // The screen point where the drop-down menu opens.
  QPoint DropDownMenuPos() const;

  virtual void Click();

  std::function<void(QObject *sender)> OnClick;
  std::function<void(QObject *sender)> OnDblClick;
  std::function<void(QObject *sender)> OnMouseEnter;
  std::function<void(QObject *sender)> OnMouseLeave;

  QSize sizeHint() const override { return QSize(25, 25); }

protected:
  // Draws glyph, caption and (with the marker flag) the drop-down marker.
  virtual void DrawContents(TCanvas &canvas, const QRect &rect, bool drawMark, TMxButtonState state);
  virtual void ActionChange();

  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void enterEvent(QEnterEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void changeEvent(QEvent *event) override;
  bool event(QEvent *event) override;

private:
  void PressLeft(const QPoint &pos);
  void ReleaseLogic(const QPoint &pos);
  bool CheckMenuDropDown();
  bool InsideForTracking(const QPoint &pos) const;
  void UpdateTracking();
  void SetMouseInControl(bool value);
  void BroadcastGroup();
  void ButtonPressed(TMxSpeedButton *sender);
  void StopRepeat();
  void PrepareLook();
  void UpdateMnemonic();

  std::unique_ptr<TMxButtonGlyph> FGlyph;
  QPointer<TAction> FAction;
  QMetaObject::Connection FActionConnection;
  QString FCaption;
  bool FAllowAllUp = false;
  bool FAllowTimer = false;
  int FGroupIndex = 0;
  bool FDown = false;
  QPointer<QMenu> FDropDownMenu;
  TMxDropDownMenuPos FMenuPosition = dmpBottom;
  bool FFlat = false;
  TColor FFontColor = clBtnText;
  bool FGrayedInactive = true;
  int FInitPause = 500;
  TButtonLayout FLayout = blGlyphTop;
  int FMargin = -1;
  bool FMarkDropDown = true;
  int FModalResult = 0;
  int FRepeatInterval = 100;
  int FSpacing = 1;
  TButtonStyle FStyle = bsAutoDetect;
  bool FTransparent = false;
  bool FDragging = false;
  bool FMouseInControl = false;
  bool FMenuTracking = false;
  QTimer *FRepeatTimer = nullptr;
  TMxButtonState FState = rbsUp;
  int FMnemonicId = 0;
};

// The calendar's navigation button: repeats while held, old-style frame.
class TMxTimerSpeedButton : public TMxSpeedButton {
  Q_OBJECT
public:
  explicit TMxTimerSpeedButton(QWidget *parent = nullptr) : TMxSpeedButton(parent) {
    SetAllowTimer(true);
    SetStyle(bsWin31);
  }
};
