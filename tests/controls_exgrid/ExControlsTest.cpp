#include "ExDateTimePicker.h"
#include "ExStatusBar.h"
#include "GridInput.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Shown {
  Shown() {
    GridInput::UseStableLook();
    window.resize(300, 120);
  }
  QWidget window;
};

QImage Grab(QWidget &widget) { return widget.grab().toImage(); }

TEST(ExDateTimePicker, FrameIsDrawnInBorderColour) {
  Shown shown;
  auto *picker = new TExDateTimePicker(&shown.window);
  picker->setGeometry(10, 10, 150, 24);
  picker->SetBorderColor(clRed);
  shown.window.show();
  const QImage image = Grab(*picker);
  for (QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(149, 23), QPoint(148, 12), QPoint(75, 22)})
    EXPECT_EQ(image.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
  EXPECT_NE(image.pixelColor(2, 12), QColor(Qt::red)) << "the frame is two pixels wide";
}

TEST(ExDateTimePicker, BorderInItsOwnColourShowsNoLine) {
  Shown shown;
  auto *picker = new TExDateTimePicker(&shown.window);
  picker->setGeometry(10, 10, 150, 24);
  picker->SetColor(clWhite);
  picker->SetBorderColor(clWhite);
  shown.window.show();
  const QImage image = Grab(*picker);
  const QColor inside = image.pixelColor(2, 12);
  EXPECT_EQ(inside, QColor(Qt::white));
  for (QPoint p : {QPoint(0, 0), QPoint(1, 12), QPoint(149, 12), QPoint(75, 23)})
    EXPECT_EQ(image.pixelColor(p), inside);
}

TEST(ExDateTimePicker, ValueAndKindRoundTrip) {
  TExDateTimePicker picker;
  picker.SetDateTime(EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 0));
  EXPECT_DOUBLE_EQ(picker.DateTime(), EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 0));
  picker.SetKind(dtkTime);
  EXPECT_EQ(picker.text(), TimeToStr(EncodeTime(13, 45, 10, 0)));
  picker.SetKind(dtkDate);
  EXPECT_EQ(picker.text(), DateToStr(EncodeDate(2024, 2, 29))) << "the program's short date format";
  picker.SetNull();
  EXPECT_TRUE(picker.IsNull());
  EXPECT_EQ(picker.text().trimmed(), "");
}

struct DisplayFormatCase {
  const char *format;
  const char *expected;
};

void PrintTo(const DisplayFormatCase &c, std::ostream *os) { *os << c.format; }

class ExDateTimePickerFormat : public testing::TestWithParam<DisplayFormatCase> {};

TEST_P(ExDateTimePickerFormat, FollowsTheProgramsFormat) {
  EXPECT_EQ(TExDateTimePicker::DisplayFormat(QString::fromLatin1(GetParam().format), u'.', u':'),
            QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Formats, ExDateTimePickerFormat,
                         testing::Values(DisplayFormatCase{"dd/mm/yyyy", "dd.MM.yyyy"},
                                         DisplayFormatCase{"yyyy-mm-dd", "yyyy-MM-dd"},
                                         DisplayFormatCase{"d/m/yy", "d.M.yy"},
                                         DisplayFormatCase{"hh:nn:ss", "HH:mm:ss"},
                                         DisplayFormatCase{"h:mm", "H:mm"}),
                         [](const testing::TestParamInfo<DisplayFormatCase> &info) {
                           QString name = QString::fromLatin1(info.param.format);
                           name.replace(QRegularExpression(QStringLiteral("[^A-Za-z]")), QStringLiteral("_"));
                           return name.toStdString();
                         });

TEST(ExDateTimePicker, MouseEventsReachHandlers) {
  Shown shown;
  auto *picker = new TExDateTimePicker(&shown.window);
  picker->setGeometry(10, 10, 150, 24);
  shown.window.show();
  std::vector<TMouseButton> downs;
  picker->OnMouseDown = [&](QObject *sender, TMouseButton button, TShiftState, int, int) {
    EXPECT_EQ(sender, picker);
    downs.push_back(button);
  };
  GridInput::Click(*picker, QPoint(20, 12));
  EXPECT_EQ(downs, std::vector<TMouseButton>({mbLeft}));
}

TEST(ExStatusBar, PlacedControlsAreChildrenAndMoveWithIt) {
  Shown shown;
  auto *bar = new TExStatusBar(&shown.window);
  bar->setGeometry(0, 90, 300, 27);
  auto *button = new QPushButton(QStringLiteral("&Ok"), bar);
  button->setGeometry(4, 2, 65, 23);
  shown.window.show();
  EXPECT_EQ(button->parentWidget(), bar);
  const QPoint before = button->mapTo(&shown.window, QPoint(0, 0));
  bar->move(0, 60);
  EXPECT_EQ(button->mapTo(&shown.window, QPoint(0, 0)), before - QPoint(0, 30));
  EXPECT_EQ(button->geometry(), QRect(4, 2, 65, 23));
}

} // namespace
