#include "MxSpinButtonHolder.h"

#include <QApplication>
#include <QStyle>
#include <algorithm>

int DefaultSpinButtonWidth() {
  return std::min(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent), 15);
}

int TSpinButtonHolder::Width() const {
  if (FUpDown)
    return FUpDown->width();
  if (FButton)
    return FBtnWindow->width();
  return DefaultSpinButtonWidth();
}

void TSpinButtonHolder::Rebuild(TSpinButtonKind kind) {
  delete FButton;
  delete FBtnWindow;
  delete FUpDown;
  FButton = nullptr;
  FBtnWindow = nullptr;
  FUpDown = nullptr;
  if (kind == bkStandard) {
    FUpDown = new TMxUpDown(FEdit);
    FUpDown->Repeat() = FRepeat;
    FUpDown->setEnabled(FEdit->isEnabled());
    FUpDown->OnClick = [this](QObject *sender, TUDBtnType button) {
      if (OnUpDownClick)
        OnUpDownClick(sender, button);
    };
    FUpDown->show();
  } else {
    const int h = FEdit->height();
    FBtnWindow = new QWidget(FEdit);
    FBtnWindow->setGeometry(0, 0, h, h);
    FButton = new TMxSpinButton(FBtnWindow);
    FButton->Repeat() = FRepeat;
    FButton->setEnabled(FEdit->isEnabled());
    FButton->SetFocusControl(FEdit);
    FButton->OnTopClick = [this](QObject *) {
      if (OnSpinClick)
        OnSpinClick(true);
    };
    FButton->OnBottomClick = [this](QObject *) {
      if (OnSpinClick)
        OnSpinClick(false);
    };
    FButton->setGeometry(0, 0, FBtnWindow->width(), FBtnWindow->height());
    FBtnWindow->show();
  }
}

void TSpinButtonHolder::Place(bool framed, bool rightToLeft) {
  const int w = FEdit->width(), h = FEdit->height();
  if (FUpDown) {
    const int bw = DefaultSpinButtonWidth();
    FUpDown->setGeometry(rightToLeft ? 0 : w - bw, 0, bw, h);
  } else if (FButton) {
    QRect host = framed ? QRect(w - h + 1, 1, h - 3, h - 3) : QRect(w - h, 0, h, h);
    if (rightToLeft)
      host = framed ? QRect(1, 1, h - 3, h - 3) : QRect(0, 0, h, h);
    FBtnWindow->setGeometry(host);
    FButton->setGeometry(0, 0, host.width(), host.height());
  }
}

void TSpinButtonHolder::SetEnabled(bool value) {
  if (FUpDown)
    FUpDown->setEnabled(value);
  if (FButton)
    FButton->setEnabled(value);
}

void TSpinButtonHolder::SetRepeat(const TSpinRepeat &value) {
  FRepeat = value;
  if (FButton)
    FButton->Repeat() = value;
  if (FUpDown)
    FUpDown->Repeat() = value;
}
