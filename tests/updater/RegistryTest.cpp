#include "Registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every case works in its own config folder.
class RegistryTest : public testing::Test {
protected:
  void SetUp() override {
    saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

  QTemporaryDir dir;
  QByteArray saved;
};

TEST_F(RegistryTest, ValuesWrittenUnderAKeyReadBack) {
  {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\Halvek\\Meridox_sec 1"), false));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Halvek\\Meridox_sec 1"), true));
    reg.WriteString(QStringLiteral("Główny katalog"), QStringLiteral("/opt/meridox"));
    reg.WriteInteger(QStringLiteral("Liczba"), 42);
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Halvek"), false));
  ASSERT_TRUE(reg.OpenKey(QStringLiteral("Meridox_sec 1"), false)) << "relative to the open key";
  EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software/Halvek/Meridox_sec 1"));
  EXPECT_TRUE(reg.ValueExists(QStringLiteral("Główny katalog")));
  EXPECT_EQ(reg.ReadString(QStringLiteral("Główny katalog")), QStringLiteral("/opt/meridox"));
  EXPECT_EQ(reg.ReadInteger(QStringLiteral("Liczba")), 42);
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("brak")));
  EXPECT_EQ(reg.ReadString(QStringLiteral("brak")), QString());
  EXPECT_THROW(reg.ReadInteger(QStringLiteral("brak")), ERegistryException);
  EXPECT_EQ(reg.GetValueNames(), (QStringList{QStringLiteral("Główny katalog"), QStringLiteral("Liczba")}));
  EXPECT_TRUE(reg.DeleteValue(QStringLiteral("Liczba")));
  EXPECT_FALSE(reg.ValueExists(QStringLiteral("Liczba")));
  reg.CloseKey();
  EXPECT_EQ(reg.GetKeyNames(), QStringList{QStringLiteral("Software")});
}

TEST_F(RegistryTest, RootKeyChoosesTheFile) {
  TRegistry user;
  user.OpenKey(QStringLiteral("\\A"), true);
  user.WriteString(QStringLiteral("v"), QStringLiteral("user"));
  TRegistry machine;
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(machine.OpenKey(QStringLiteral("\\A"), false));
  EXPECT_NE(TRegistry::RootFileName(HKEY_CURRENT_USER), TRegistry::RootFileName(HKEY_LOCAL_MACHINE));
  EXPECT_TRUE(TRegistry::RootFileName(HKEY_CURRENT_USER).startsWith(dir.path()));
  EXPECT_TRUE(QFile::exists(TRegistry::RootFileName(HKEY_CURRENT_USER)));
}

TEST_F(RegistryTest, IniFileSectionsAreSubkeysAndReadingCreatesNothing) {
  TRegIniFile reader(QStringLiteral("\\Software\\Halvek"));
  EXPECT_EQ(reader.ReadString(QStringLiteral("Meridox_sec 1"), QStringLiteral("Główny katalog"),
                              QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_FALSE(QFile::exists(TRegistry::RootFileName(HKEY_CURRENT_USER)));

  TRegIniFile writer(QStringLiteral("\\Software\\Halvek"));
  writer.WriteString(QStringLiteral("Meridox_sec 1"), QStringLiteral("Główny katalog"),
                     QStringLiteral("/opt/m"));
  EXPECT_EQ(reader.ReadString(QStringLiteral("Meridox_sec 1"), QStringLiteral("Główny katalog"), QString()),
            QStringLiteral("/opt/m"));
  TRegistry plain;
  ASSERT_TRUE(plain.OpenKey(QStringLiteral("\\Software\\Halvek\\Meridox_sec 1"), false));
  EXPECT_EQ(plain.ReadString(QStringLiteral("Główny katalog")), QStringLiteral("/opt/m"));
}

} // namespace
