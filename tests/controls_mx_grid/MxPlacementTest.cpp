#include "MxPlacement.h"
#include "Application.h"
#include "Dialogs.h"
#include "Forms.h"
#include "IniFiles.h"
#include "MxAppUtils.h"
#include "Registry.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class TPlacedForm : public TForm {
  Q_OBJECT
public:
  explicit TPlacedForm(const QString &iniFile) {
    Placement = new TFormPlacement(this);
    Placement->SetIniFileName(iniFile);
    Button = new QPushButton(this);
    Button->setObjectName("btnOk");
    Other = new QPushButton(this);
    Other->setObjectName("btnOther");
  }
  TFormPlacement *Placement;
  QPushButton *Button;
  QPushButton *Other;
};

namespace {

class MxPlacementTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", oldConfigHome); }

  QString Stored(const QString &ident) const {
    return TMemIniFile(iniFile).ReadString("TPlacedForm", ident, "<missing>");
  }
  void Store(const std::vector<std::pair<QString, QString>> &values) const {
    TMemIniFile ini(iniFile);
    for (const auto &[ident, value] : values)
      ini.WriteString("TPlacedForm", ident, value);
    ini.UpdateFile();
  }

  QTemporaryDir dir;
  QByteArray oldConfigHome;
  QString iniFile = dir.filePath("placement.ini");
  const QString suffix = GetScreenSizeSuffix();
};

TEST_F(MxPlacementTest, APlacementSavedOnCloseIsRestoredOnTheNextShow) {
  {
    TPlacedForm form(iniFile);
    form.show();
    form.setGeometry(120, 80, 400, 300);
    form.close();
  }
  EXPECT_EQ(Stored("NormPos"), "120,80,520,380");
  EXPECT_EQ(Stored("NormPos" + suffix), "120,80,520,380");
  EXPECT_EQ(Stored("ShowCmd"), "1");
  EXPECT_EQ(Stored("FormVersion"), "0");
  EXPECT_EQ(Stored("PixelsPerInch"), QString::number(ScreenPixelsPerInch()));

  TPlacedForm again(iniFile);
  again.show();
  EXPECT_EQ(again.geometry(), QRect(120, 80, 400, 300));
}

TEST_F(MxPlacementTest, AModalResultSavesThePlacementAsWell) {
  TPlacedForm form(iniFile);
  form.show();
  form.setGeometry(30, 40, 350, 250);
  form.done(mrOk);
  EXPECT_EQ(Stored("NormPos"), "30,40,380,290");
}

TEST_F(MxPlacementTest, AnotherScreenResolutionRestoresTheStateButNotThePosition) {
  Store({{"PixelsPerInch", QString::number(ScreenPixelsPerInch() + 24)},
         {"NormPos", "10,10,610,410"},
         {"ShowCmd", QString::number(SW_MAXIMIZE)}});
  TPlacedForm form(iniFile);
  form.resize(300, 200);
  form.show();
  EXPECT_EQ(form.size(), QSize(300, 200));
  EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(MxPlacementTest, AStoredMinimizedStateMinimizesTheApplicationAfterwards) {
  Store({{"ShowCmd", QString::number(SW_SHOWMINIMIZED)}});
  TPlacedForm form(iniFile);
  form.show();
  EXPECT_FALSE(form.windowState() & Qt::WindowMinimized);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.windowState() & Qt::WindowMinimized);
}

// The main form's rules (minimizing the whole application, opening maximized with the default
// position) hold for the main form only; any other form takes its stored state itself.
TEST_F(MxPlacementTest, MainFormRulesHoldForTheMainFormOnly) {
  struct Case {
    const char *Name;
    bool IsMain;
    int ShowCmd; // 0: none stored
    bool FormMinimized, OtherMinimized, FormMaximized;
  };
  const Case cases[] = {
      {"main form stored minimized", true, SW_SHOWMINIMIZED, true, true, false},
      {"other form stored minimized", false, SW_SHOWMINIMIZED, true, false, false},
      {"main form, default position", true, 0, false, false, true},
      {"other form, default position", false, 0, false, false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(iniFile);
    if (c.ShowCmd)
      Store({{"ShowCmd", QString::number(c.ShowCmd)}});
    TForm other;
    other.show();
    TPlacedForm form(iniFile);
    form.SetPosition(poDefault);
    Application()->SetMainForm(c.IsMain ? static_cast<TForm *>(&form) : &other);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(bool(form.windowState() & Qt::WindowMinimized), c.FormMinimized);
    EXPECT_EQ(bool(other.windowState() & Qt::WindowMinimized), c.OtherMinimized);
    EXPECT_EQ(bool(form.windowState() & Qt::WindowMaximized), c.FormMaximized);
    Application()->SetMainForm(nullptr);
  }
}

TEST_F(MxPlacementTest, AFixedBorderKeepsTheSizeAndTakesOnlyTheCorner) {
  Store({{"NormPos", "15,25,915,725"}});
  TPlacedForm form(iniFile);
  form.SetBorderStyle(bsSingle);
  form.resize(300, 200);
  form.show();
  EXPECT_EQ(form.geometry(), QRect(15, 25, 300, 200));
}

TEST_F(MxPlacementTest, ACentredFormTakesTheStoredPositionAndStaysThere) {
  Store({{"NormPos", "15,25,315,225"}});
  TPlacedForm form(iniFile);
  form.SetPosition(poScreenCenter);
  form.show();
  EXPECT_EQ(form.Position(), poDesigned);
  EXPECT_EQ(form.geometry(), QRect(15, 25, 300, 200));
}

TEST_F(MxPlacementTest, AnOlderFormVersionRestoresNothingAndTheNextSaveWritesTheNewOne) {
  Store({{"FormVersion", "1"}, {"NormPos", "15,25,315,225"}});
  TPlacedForm form(iniFile);
  form.Placement->SetVersion(2);
  form.resize(200, 100);
  form.show();
  EXPECT_EQ(form.size(), QSize(200, 100));
  form.close();
  EXPECT_EQ(Stored("FormVersion"), "2");
}

TEST_F(MxPlacementTest, TheActiveControlIsStoredByNameAndFocusedAgain) {
  {
    TPlacedForm form(iniFile);
    form.Placement->SetOptions(fpPosition | fpActiveControl);
    form.show();
    form.Other->setFocus();
    form.close();
  }
  EXPECT_EQ(Stored("ActiveControl"), "btnOther");
  TPlacedForm again(iniFile);
  again.Placement->SetOptions(fpPosition | fpActiveControl);
  again.show();
  EXPECT_EQ(again.focusWidget(), again.Other);
}

TEST_F(MxPlacementTest, LinksSaveAndLoadThroughTheOpenStore) {
  TIniLink link;
  std::vector<QString> seen;
  link.OnSave = [&](TIniLink *sender) {
    IniWriteString(sender->IniObject(), sender->RootSection() + "Grid", "Width", "77");
    seen.push_back("save");
  };
  link.OnLoad = [&](TIniLink *sender) {
    seen.push_back("load " +
                   IniReadString(sender->IniObject(), sender->RootSection() + "Grid", "Width", "none"));
  };
  {
    TPlacedForm form(iniFile);
    form.Placement->SetIniSection("Main");
    link.SetStorage(form.Placement);
    EXPECT_FALSE(link.IniObject());
    form.show();
    form.close();
  }
  EXPECT_EQ(link.Storage(), nullptr);
  EXPECT_EQ(TMemIniFile(iniFile).ReadString("Main\\Grid", "Width", ""), "77");
  TPlacedForm again(iniFile);
  again.Placement->SetIniSection("Main");
  link.SetStorage(again.Placement);
  again.show();
  EXPECT_EQ(seen, (std::vector<QString>{"load none", "save", "load 77"}));
}

TEST_F(MxPlacementTest, PreventResizeFixesTheShownSize) {
  TPlacedForm form(iniFile);
  form.resize(320, 240);
  form.show();
  form.Placement->SetPreventResize(true);
  EXPECT_EQ(form.minimumSize(), QSize(320, 240));
  EXPECT_EQ(form.maximumSize(), QSize(320, 240));
  form.Placement->SetPreventResize(false);
  form.resize(400, 300);
  EXPECT_EQ(form.size(), QSize(400, 300));
}

TEST_F(MxPlacementTest, MinMaxInfoLimitsOnlyWhatIsSet) {
  TPlacedForm form(iniFile);
  form.show();
  form.Placement->MinMaxInfo().SetMinTrackWidth(250);
  form.Placement->MinMaxInfo().SetMaxTrackHeight(500);
  EXPECT_EQ(form.minimumWidth(), 250);
  EXPECT_EQ(form.maximumHeight(), 500);
  EXPECT_EQ(form.minimumHeight(), 0);
}

TEST_F(MxPlacementTest, ThePlacementCanLiveInTheRegistry) {
  {
    TPlacedForm form(iniFile);
    form.Placement->SetUseRegistry(true);
    form.Placement->SetIniFileName("Software\\Meridox\\Test");
    form.show();
    form.setGeometry(50, 60, 300, 200);
    form.close();
  }
  TRegIniFile reg("Software\\Meridox\\Test");
  EXPECT_EQ(reg.ReadString("TPlacedForm", "NormPos", ""), "50,60,350,260");
  TPlacedForm again(iniFile);
  again.Placement->SetUseRegistry(true);
  again.Placement->SetIniFileName("Software\\Meridox\\Test");
  again.show();
  EXPECT_EQ(again.geometry(), QRect(50, 60, 300, 200));
}

TEST_F(MxPlacementTest, IniValuesQuotedAtBothEndsGetOneMorePairAndReadBackUnchanged) {
  const std::vector<std::pair<QString, QString>> cases = {
      {"plain", "plain"},   {"\"quoted\"", "\"\"quoted\"\""},       {"'single'", "\"'single'\""},
      {"\"open", "\"open"}, {"in \"middle\" x", "in \"middle\" x"}, {"\"", "\"\"\""},
  };
  TMemIniFile ini(iniFile);
  for (const auto &[value, stored] : cases) {
    IniWriteString(&ini, "S", "V", value);
    EXPECT_EQ(ini.ReadString("S", "V", ""), stored) << value.toStdString();
    EXPECT_EQ(IniReadString(&ini, "S", "V", ""), value) << value.toStdString();
  }
}

TEST_F(MxPlacementTest, DefaultSectionsFollowTheFormAndTheControlNames) {
  TPlacedForm form(iniFile);
  EXPECT_EQ(GetDefaultSection(&form), "TPlacedForm");
  EXPECT_EQ(GetDefaultSection(form.Button), "TPlacedFormbtnOk");
  form.Placement->setObjectName("Placement");
  EXPECT_EQ(GetDefaultSection(form.Placement), "TPlacedForm.Placement");
  QWidget panel;
  panel.setObjectName("Panel");
  QPushButton child(&panel);
  child.setObjectName("btn");
  EXPECT_EQ(GetDefaultSection(&child), "Panelbtn");
  EXPECT_EQ(GetDefaultSection(nullptr), "");
}

TEST_F(MxPlacementTest, APathlessIniNameLivesInTheConfigFolder) {
  EXPECT_EQ(IniFilePath("app.INI"), dir.filePath("app.INI"));
  EXPECT_EQ(IniFilePath(iniFile), iniFile);
  EXPECT_TRUE(GetDefaultIniName().endsWith(".INI"));
  EXPECT_FALSE(GetDefaultIniName().contains('/'));
}

} // namespace

#include "MxPlacementTest.moc"
