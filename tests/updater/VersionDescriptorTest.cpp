#include "VersionDescriptor.h"

#include "Exceptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct DescriptorCase {
  const char *Label;
  std::vector<QByteArray> Lines;
  int Answer; // -1: no question expected; 0 / 1: the question is asked and answered No / Yes
  TDescriptorOutcome Outcome;
  const char *Address;
};

void PrintTo(const DescriptorCase &c, std::ostream *os) { *os << c.Label; }

class DescriptorLines : public testing::TestWithParam<DescriptorCase> {};

// The installed program is 1.4 throughout.
TEST_P(DescriptorLines, FindsThePackageForTheInstalledVersion) {
  const DescriptorCase c = GetParam();
  int asked = 0;
  const TDescriptorResult result = FindUpgrade(QList<QByteArray>(c.Lines.begin(), c.Lines.end()), 1, 4, [&] {
    ++asked;
    return c.Answer == 1;
  });
  EXPECT_EQ(asked, c.Answer < 0 ? 0 : 1);
  EXPECT_EQ(result.Outcome, c.Outcome);
  EXPECT_EQ(result.Address, QString::fromLatin1(c.Address));
}

using O = TDescriptorOutcome;

INSTANTIATE_TEST_SUITE_P(
    Cases, DescriptorLines,
    testing::Values(
        DescriptorCase{"OtherLetterSkippedNewerTaken",
                       {"X 1.9 http://h/x.upg", "P 1.5 http://h/a.upg"},
                       -1,
                       O::Found,
                       "http://h/a.upg"},
        DescriptorCase{"MajorChangeNotOffered", {"P 2.0 http://h/b.upg"}, -1, O::NotFound, ""},
        DescriptorCase{"OtherMajorSkipped",
                       {"P 2.0 http://h/b.upg", "p\t1.7\thttp://h/c.upg"},
                       -1,
                       O::Found,
                       "http://h/c.upg"},
        DescriptorCase{"OlderTakenOnYes", {"P 1.3 http://h/d.upg"}, 1, O::Found, "http://h/d.upg"},
        DescriptorCase{
            "OlderRefusedOnNo", {"P 1.3 http://h/d.upg", "P 1.5 http://h/e.upg"}, 0, O::Stopped, ""},
        DescriptorCase{"SameIsAsked", {"P 1.4 http://h/f.upg"}, 1, O::Found, "http://h/f.upg"},
        DescriptorCase{"OnlyTheLetterStops", {"P", "P 1.5 http://h/g.upg"}, -1, O::Stopped, ""},
        DescriptorCase{"VersionWithoutDotStops", {"P 15 http://h/g.upg"}, -1, O::Stopped, ""},
        DescriptorCase{"NoAddressStops", {"P 1.5"}, -1, O::Stopped, ""},
        DescriptorCase{"LineWithoutTokenStops", {"...", "P 1.5 http://h/g.upg"}, -1, O::Stopped, ""},
        DescriptorCase{
            "BlankLinesPassedOver", {"", "  \t", "P 1.5 http://h/h.upg", ""}, -1, O::Found, "http://h/h.upg"},
        DescriptorCase{"EmptyFileFindsNothing", {}, -1, O::NotFound, ""}),
    [](const testing::TestParamInfo<DescriptorCase> &info) { return std::string(info.param.Label); });

TEST(Descriptor, VersionThatIsNotANumberIsAClearError) {
  for (const QByteArray &line :
       {QByteArray("P 1.x http://h/a.upg"), QByteArray("P a.5 http://h/a.upg"), QByteArray("P 1. u")}) {
    try {
      FindUpgrade({line}, 1, 4, [] { return true; });
      ADD_FAILURE() << line.constData();
    } catch (const EConvertError &e) {
      EXPECT_EQ(e.Message(), QStringLiteral("Błędny numer wersji w pliku meridox_sec.ver: ") +
                                 QString::fromLatin1(line.split(' ')[1]));
    }
  }
}

TEST(Descriptor, ReadsCrLfAndLfLines) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("meridox_sec.ver"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("X\r\nP 1.5 u\n\r\n");
  file.close();
  QList<QByteArray> lines;
  ASSERT_TRUE(ReadDescriptorLines(path, lines));
  EXPECT_EQ(lines, (QList<QByteArray>{"X", "P 1.5 u", "", ""}));
  EXPECT_FALSE(ReadDescriptorLines(dir.filePath(QStringLiteral("absent.ver")), lines));
}

} // namespace
