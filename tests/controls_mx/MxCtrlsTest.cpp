#include "MxCtrls.h"
#include "Actions.h"
#include "Exceptions.h"
#include "Input.h"
#include "Menus.h"

#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QImage Glyph(int width, int height, QColor color = Qt::blue) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  image.setPixelColor(width / 2, height / 2, color);
  return image;
}

struct Clicks {
  int Count = 0;
  void Attach(TMxSpeedButton &button) {
    button.OnClick = [this](QObject *) { ++Count; };
  }
};

} // namespace

TEST(MxSpeedButton, GlyphCountFollowsTheBitmap) {
  TMxSpeedButton button;
  button.SetGlyph(Glyph(64, 16));
  EXPECT_EQ(button.NumGlyphs(), 4);
  button.SetGlyph(Glyph(96, 16));
  EXPECT_EQ(button.NumGlyphs(), 1);
  button.SetNumGlyphs(7);
  EXPECT_EQ(button.NumGlyphs(), 5);
  button.SetMargin(3);
  button.SetMargin(-2);
  EXPECT_EQ(button.Margin(), 3);
  EXPECT_EQ(button.size(), QSize(25, 25));
}

TEST(MxSpeedButton, DisabledLookOfOneAndTwoGlyphs) {
  TMxButtonGlyph glyph;
  QImage one(8, 8, QImage::Format_RGB32);
  one.fill(QColor(255, 0, 255));
  one.setPixelColor(2, 2, Qt::black);
  glyph.SetGlyph(one);
  const int disabledIndex = glyph.CreateButtonGlyph(rbsDisabled);
  const QImage &embossed = glyph.List()->Image(disabledIndex);
  EXPECT_EQ(QColorToColor(embossed.pixelColor(2, 2)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(QColorToColor(embossed.pixelColor(3, 3)), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(embossed.pixelColor(0, 0).alpha(), 0); // the face colour is the mask

  QImage two(16, 8, QImage::Format_RGB32);
  two.fill(QColor(255, 0, 255));
  two.setPixelColor(1, 1, Qt::red);
  two.setPixelColor(9, 1, Qt::green);
  glyph.SetGlyph(two);
  const int secondIndex = glyph.CreateButtonGlyph(rbsDisabled);
  const QImage &second = glyph.List()->Image(secondIndex);
  EXPECT_EQ(second.pixelColor(1, 1), QColor(Qt::green));
  EXPECT_EQ(second.pixelColor(0, 0).alpha(), 0);
  const int inactiveIndex = glyph.CreateButtonGlyph(rbsInactive);
  const QImage &inactive = glyph.List()->Image(inactiveIndex);
  const int grey = (77 * 255) >> 8;
  EXPECT_EQ(inactive.pixelColor(1, 1), QColor(grey, grey, grey));
}

TEST(MxSpeedButton, GlyphListsAreSharedAndSlotsReused) {
  auto first = std::make_unique<TMxButtonGlyph>();
  TMxButtonGlyph second;
  first->SetGlyph(Glyph(16, 16));
  second.SetGlyph(Glyph(16, 16, Qt::red));
  first->CreateButtonGlyph(rbsUp);
  second.CreateButtonGlyph(rbsUp);
  ASSERT_EQ(first->List(), second.List());
  TGlyphList *list = second.List();
  EXPECT_EQ(list->Count(), 2);
  first.reset();
  EXPECT_EQ(list->Count(), 1);
  second.CreateButtonGlyph(rbsInactive);
  EXPECT_EQ(list->Slots(), 2);
  EXPECT_EQ(list->Count(), 2);
}

TEST(MxSpeedButton, GlyphCacheLivesWhileGlyphsDo) {
  {
    TMxButtonGlyph glyph;
    glyph.SetGlyph(Glyph(8, 8));
    glyph.CreateButtonGlyph(rbsUp);
    EXPECT_NE(GlyphCache(), nullptr);
  }
  EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(MxSpeedButton, GroupKeepsOneButtonDown) {
  QWidget parent;
  TMxSpeedButton first(&parent), second(&parent), other(&parent);
  for (TMxSpeedButton *button : {&first, &second})
    button->SetGroupIndex(1);
  other.SetGroupIndex(2);
  other.SetDown(true);
  input::Click(&first);
  EXPECT_TRUE(first.Down());
  EXPECT_EQ(first.State(), rbsExclusive);
  input::Click(&second);
  EXPECT_TRUE(second.Down());
  EXPECT_FALSE(first.Down());
  EXPECT_EQ(first.State(), rbsUp);
  EXPECT_TRUE(other.Down());
  input::Click(&second); // without AllowAllUp a down button stays down
  EXPECT_TRUE(second.Down());
  second.SetAllowAllUp(true);
  EXPECT_TRUE(first.AllowAllUp());
  input::Click(&second);
  EXPECT_FALSE(second.Down());
}

TEST(MxSpeedButton, UngroupedButtonCannotBeDownAndClicksInsideOnly) {
  TMxSpeedButton button;
  Clicks clicks;
  clicks.Attach(button);
  button.SetDown(true);
  EXPECT_FALSE(button.Down());
  input::Click(&button);
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_EQ(button.State(), rbsUp);
  input::Press(&button, QPoint(5, 5));
  EXPECT_EQ(button.State(), rbsDown);
  input::Mouse(&button, QEvent::MouseMove, QPoint(40, 5));
  EXPECT_EQ(button.State(), rbsUp);
  input::Release(&button, QPoint(40, 5));
  EXPECT_EQ(clicks.Count, 1);
}

TEST(MxSpeedButton, AutoRepeatWhileHeld) {
  TMxSpeedButton button;
  Clicks clicks;
  clicks.Attach(button);
  button.SetAllowTimer(true);
  input::Press(&button, QPoint(5, 5));
  EXPECT_EQ(clicks.Count, 0);
  ASSERT_NE(button.RepeatTimer(), nullptr);
  EXPECT_TRUE(button.RepeatTimer()->isActive());
  EXPECT_EQ(button.RepeatTimer()->interval(), 500);
  button.RepeatTimerExpired();
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_EQ(button.RepeatTimer()->interval(), 100);
  button.RepeatTimerExpired();
  EXPECT_EQ(clicks.Count, 2);
  input::Mouse(&button, QEvent::MouseMove, QPoint(40, 5));
  button.RepeatTimerExpired(); // the pointer left the button
  EXPECT_EQ(clicks.Count, 2);
  input::Mouse(&button, QEvent::MouseMove, QPoint(5, 5));
  input::Release(&button, QPoint(5, 5));
  EXPECT_EQ(clicks.Count, 3);
  EXPECT_FALSE(button.RepeatTimer()->isActive());
  button.SetAllowTimer(false);
  EXPECT_EQ(button.RepeatTimer(), nullptr);
}

TEST(MxSpeedButton, RepeatStopsWhenAClickRaises) {
  TMxSpeedButton button;
  button.SetAllowTimer(true);
  button.OnClick = [](QObject *) { throw Exception("refused"); };
  input::Press(&button, QPoint(5, 5));
  EXPECT_THROW(button.RepeatTimerExpired(), Exception);
  EXPECT_FALSE(button.RepeatTimer()->isActive());
}

TEST(MxSpeedButton, DropDownMenuOpensOnPressWithoutClick) {
  QWidget parent;
  parent.resize(200, 100);
  TMxSpeedButton button(&parent);
  button.move(10, 10);
  QMenu menu;
  menu.addAction(QStringLiteral("Podział z tabulatorem"));
  button.SetDropDownMenu(&menu);
  TAction action(&parent, "ExportTableAction", "Exportuj tabelę");
  int executed = 0;
  action.OnExecute = [&](QObject *) { ++executed; };
  button.SetAction(&action);
  EXPECT_EQ(button.Caption(), "Exportuj tabelę");

  QPoint openedAt;
  int shown = 0;
  QObject::connect(&menu, &QMenu::aboutToShow, [&] {
    ++shown;
    QTimer::singleShot(0, &menu, [&] {
      openedAt = menu.pos();
      input::Press(&button, QPoint(5, 5)); // a press on the button while its menu is open
      menu.close();
    });
  });
  input::Click(&button);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(executed, 0);
  EXPECT_EQ(openedAt, button.mapToGlobal(QPoint(-1, button.height())));
  EXPECT_EQ(button.State(), rbsUp);

  button.SetDropDownMenu(nullptr);
  input::Click(&button);
  EXPECT_EQ(executed, 1);
}

// The menu opens at the point its position and alignment give, with the edge its alignment names.
TEST(MxSpeedButton, DropDownMenuHonoursItsPositionAndAlignment) {
  struct Case {
    const char *Name;
    TMxDropDownMenuPos Position;
    TPopupAlignment Alignment;
    QPoint Point;        // in the button, for a 40 x 20 button
    int MenuEdgeAtPoint; // 0 left edge, 1 right edge, 2 middle
  };
  const Case cases[] = {
      {"bottom, left", dmpBottom, paLeft, {-1, 20}, 0},
      {"bottom, right", dmpBottom, paRight, {41, 20}, 1},
      {"bottom, centre", dmpBottom, paCenter, {20, 20}, 2},
      {"right, left", dmpRight, paLeft, {40, -1}, 0},
      {"right, right", dmpRight, paRight, {-1, -1}, 1},
      {"right, centre", dmpRight, paCenter, {20, 20}, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    QWidget parent;
    parent.setGeometry(300, 200, 400, 300);
    TMxSpeedButton button(&parent);
    button.setGeometry(150, 100, 40, 20);
    parent.show();
    TPopupMenu menu;
    menu.addAction(QString::fromUtf8("Podział z tabulatorem"));
    menu.SetAlignment(c.Alignment);
    button.SetDropDownMenu(&menu);
    button.SetMenuPosition(c.Position);
    EXPECT_EQ(button.DropDownMenuPos(), button.mapToGlobal(c.Point));
    QRect opened;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
      QTimer::singleShot(0, &menu, [&] {
        opened = menu.geometry();
        menu.close();
      });
    });
    input::Click(&button);
    const QPoint point = button.mapToGlobal(c.Point);
    const int edge = c.MenuEdgeAtPoint == 0   ? opened.left()
                     : c.MenuEdgeAtPoint == 1 ? opened.left() + opened.width()
                                              : opened.center().x();
    EXPECT_NEAR(edge, point.x(), 1);
    EXPECT_EQ(opened.top(), point.y());
  }
}

TEST(MxSpeedButton, AMenuThatDoesNotPopUpByItselfLeavesTheButtonAPlainButton) {
  TMxSpeedButton button;
  button.resize(40, 20);
  TPopupMenu menu;
  menu.addAction(QStringLiteral("x"));
  menu.SetAutoPopup(false);
  button.SetDropDownMenu(&menu);
  int shown = 0, clicks = 0;
  QObject::connect(&menu, &QMenu::aboutToShow, [&] { ++shown; });
  button.OnClick = [&](QObject *) { ++clicks; };
  input::Click(&button);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(clicks, 1);
}

TEST(MxSpeedButton, ActionStateAndGroupChecked) {
  QWidget parent;
  TMxSpeedButton button(&parent);
  TAction action(&parent, "A", "Caption");
  button.SetGroupIndex(3);
  action.setCheckable(true);
  action.SetChecked(true);
  button.SetAction(&action);
  EXPECT_TRUE(button.Down());
  action.SetEnabled(false);
  EXPECT_FALSE(button.isEnabled());
  action.SetVisible(false);
  EXPECT_TRUE(button.isHidden());
  action.SetCaption("Other");
  EXPECT_EQ(button.Caption(), "Other");
}

TEST(MxSpeedButton, LongCaptionIsShortened) {
  TMxButtonGlyph glyph;
  QImage image(1, 1, QImage::Format_RGB32);
  TCanvas canvas(&image);
  const TButtonLayoutResult laid = glyph.CalcButtonLayout(
      canvas, QRect(0, 0, 40, 25), QStringLiteral("Exportuj tabelę"), blGlyphLeft, -1, 1, false, 0);
  EXPECT_TRUE(laid.Caption.endsWith(QStringLiteral("...")));
  EXPECT_LE(laid.TextBounds.width(), 40);
  glyph.SetWordWrap(true);
  EXPECT_EQ(glyph
                .CalcButtonLayout(canvas, QRect(0, 0, 40, 25), QStringLiteral("Exportuj tabelę"), blGlyphLeft,
                                  -1, 1, false, 0)
                .Caption,
            "Exportuj tabelę");
}

TEST(MxSpeedButton, GlyphLeftLayoutPlacesGlyphThenText) {
  TMxButtonGlyph glyph;
  glyph.SetGlyph(Glyph(16, 16));
  QImage image(1, 1, QImage::Format_RGB32);
  TCanvas canvas(&image);
  const TButtonLayoutResult laid =
      glyph.CalcButtonLayout(canvas, QRect(0, 0, 100, 24), QStringLiteral("Ok"), blGlyphLeft, 4, 2, false, 0);
  EXPECT_EQ(laid.GlyphPos, QPoint(4, 4));
  EXPECT_EQ(laid.TextBounds.left(), 4 + 16 + 2);
  // Free margin and spacing share the free length in three.
  const TButtonLayoutResult shared = glyph.CalcButtonLayout(
      canvas, QRect(0, 0, 100, 24), QStringLiteral("Ok"), blGlyphLeft, -1, -1, false, 0);
  const int third = (100 - 16 - shared.TextBounds.width()) / 3;
  EXPECT_EQ(shared.GlyphPos.x(), third);
  EXPECT_EQ(shared.TextBounds.left(), third + 16 + third);
  // Without text the spacing is 0 and the margin centres the glyph.
  const TButtonLayoutResult alone =
      glyph.CalcButtonLayout(canvas, QRect(0, 0, 100, 24), QString(), blGlyphLeft, -1, -1, false, 0);
  EXPECT_EQ(alone.GlyphPos.x(), 50 - 8);
}

TEST(MxSpeedButton, FlatButtonOutsideIsGreyWithoutFrame) {
  QWidget parent;
  parent.resize(60, 60);
  parent.setStyleSheet(QString());
  TMxSpeedButton button(&parent);
  QImage glyph(8, 8, QImage::Format_RGB32);
  glyph.fill(QColor(255, 0, 255));
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x)
      glyph.setPixelColor(x, y, Qt::red);
  button.SetGlyph(glyph);
  button.SetFlat(true);
  const QImage flat = button.grab().toImage();
  const QColor centre = flat.pixelColor(12, 12);
  EXPECT_EQ(centre.red(), centre.green());
  EXPECT_EQ(QColorToColor(flat.pixelColor(0, 0)), ColorToRGB(clBtnFace, &button.palette()));
  button.SetFlat(false);
  const QImage raised = button.grab().toImage();
  EXPECT_EQ(raised.pixelColor(12, 12), QColor(Qt::red));
  EXPECT_EQ(QColorToColor(raised.pixelColor(0, 0)), ColorToRGB(clBtnHighlight, &button.palette()));
}

TEST(MxSpeedButton, TimerButtonDefaults) {
  TMxTimerSpeedButton button;
  EXPECT_TRUE(button.AllowTimer());
  EXPECT_EQ(button.Style(), bsWin31);
  EXPECT_EQ(button.InitPause(), 500);
  EXPECT_EQ(button.RepeatInterval(), 100);
}

TEST(MxSpeedButton, PressesStayWithTheButton) {
  struct Recorder : QWidget {
    int Presses = 0;
    void mousePressEvent(QMouseEvent *) override { ++Presses; }
  } parent;
  TMxSpeedButton button(&parent);
  input::Click(&button);
  input::Press(&button, QPoint(1, 1));
  input::Mouse(&button, QEvent::MouseMove, QPoint(40, 1));
  input::Release(&button, QPoint(40, 1));
  EXPECT_EQ(parent.Presses, 0);
}

TEST(MxSpeedButton, TransparentButtonShowsWhatLiesBelow) {
  QWidget parent;
  parent.resize(60, 60);
  QPalette colours = parent.palette();
  colours.setColor(QPalette::Window, QColor(0, 128, 0));
  parent.setPalette(colours);
  parent.setAutoFillBackground(true);
  TMxSpeedButton button(&parent);
  button.move(10, 10);
  button.SetFlat(true);
  button.SetTransparent(true);
  parent.show();
  EXPECT_EQ(button.grab().toImage().pixelColor(12, 12), QColor(0, 128, 0));
  button.SetTransparent(false);
  EXPECT_NE(button.grab().toImage().pixelColor(12, 12), QColor(0, 128, 0));
}
