#include "Resources.h"

#include <QGuiApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The same picture, pixel for pixel, whatever format each was loaded in.
QImage Pixels(const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32); }

class ProgramEntry : public testing::TestWithParam<const char *> {
protected:
  void TearDown() override {
    QGuiApplication::setWindowIcon(QIcon());
    QGuiApplication::setDesktopFileName(QString());
  }
};

TEST_P(ProgramEntry, WindowsShowTheEntrysIconAndTheDesktopGroupsThemUnderIt) {
  const QString entry = QString::fromLatin1(GetParam());
  SetProgramMenuEntry(entry);
  EXPECT_EQ(QGuiApplication::desktopFileName(), entry);

  QWidget window;
  const QIcon icon = window.windowIcon();
  ASSERT_FALSE(icon.isNull());
  const QImage installed(QStringLiteral(ICON_FOLDER "/%1.png").arg(entry));
  ASSERT_FALSE(installed.isNull());
  EXPECT_EQ(Pixels(icon.pixmap(installed.size()).toImage()), Pixels(installed));
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramEntry, testing::Values("meridox_sec", "meridox_sec-upgrade"),
                         [](const testing::TestParamInfo<const char *> &info) {
                           return QString::fromLatin1(info.param).replace(u'-', u'_').toStdString();
                         });

TEST(ProgramEntryIcon, AnEntryWithoutAPictureHasANullIcon) {
  EXPECT_TRUE(LoadProgramIcon(QStringLiteral("meridox_sec-nieznany")).isNull());
}

} // namespace
