#include "MxAppUtils.h"

#include "Application.h"
#include "Forms.h"
#include "IniFiles.h"
#include "Registry.h"
#include "StrUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

namespace {

QString ClassName(const QObject *object) { return QString::fromLatin1(object->metaObject()->className()); }

const TForm *ParentForm(const QWidget *control) { return qobject_cast<const TForm *>(control->window()); }

bool BeginsAndEndsWithQuote(const QString &value) {
  return !value.isEmpty() && value.front() == value.back() &&
         (value.front() == u'"' || value.front() == u'\'');
}

// What reading an ini value takes away: one pair of quotes around it.
bool QuotedAtBothEnds(const QString &value) { return value.size() >= 2 && BeginsAndEndsWithQuote(value); }

QString RegSectionKey(const TIniObject &ini, const QString &section) {
  return QStringLiteral("\\") + ini.RegKey + QStringLiteral("\\") + section;
}

const QString PosDelims = QStringLiteral(" ,");

int WordAsInt(const QString &text, int n, int defaultValue) {
  return StrToIntDef(ExtractWord(n, text, PosDelims), defaultValue);
}

QString FourInts(int a, int b, int c, int d) {
  return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

} // namespace

QString GetDefaultSection(const QObject *component) {
  if (!component)
    return QString();
  if (qobject_cast<const TForm *>(component))
    return ClassName(component);
  const QString name = component->objectName();
  if (const auto *control = qobject_cast<const QWidget *>(component)) {
    if (const TForm *form = ParentForm(control))
      return ClassName(form) + name;
    if (const QWidget *parent = control->parentWidget())
      return parent->objectName() + name;
    return name;
  }
  if (const auto *owner = qobject_cast<const TForm *>(component->parent()))
    return QStringLiteral("%1.%2").arg(ClassName(owner), name);
  return name;
}

QString GetDefaultIniName() {
  if (OnGetDefaultIniName)
    return OnGetDefaultIniName();
  const QString exe = Application() ? Application()->ExeName() : QString();
  return QFileInfo(exe).completeBaseName() + QStringLiteral(".INI");
}

QString GetDefaultIniRegKey() {
  QString key = QStringLiteral("Software\\");
  if (!DefCompanyName.isEmpty())
    key += DefCompanyName + u'\\';
  const QString title = Application() ? Application()->Title() : QString();
  if (RegUseAppTitle && !title.isEmpty())
    return key + title;
  const QString exe = Application() ? Application()->ExeName() : QString();
  return key + QFileInfo(exe).completeBaseName();
}

QString IniFilePath(const QString &fileName) {
  if (fileName.isEmpty() || QFileInfo(fileName).fileName() != fileName)
    return fileName;
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(fileName);
}

QString IniReadString(TIniObject ini, const QString &section, const QString &ident,
                      const QString &defaultValue) {
  if (ini.Reg)
    return ini.Reg->ReadString(section, ident, defaultValue);
  if (!ini.Ini || !ini.Ini->ValueExists(section, ident))
    return defaultValue;
  const QString value = ini.Ini->ReadString(section, ident, defaultValue);
  return QuotedAtBothEnds(value) ? value.mid(1, value.size() - 2) : value;
}

int IniReadInteger(TIniObject ini, const QString &section, const QString &ident, int defaultValue) {
  return StrToIntDef(IniReadString(ini, section, ident, QString()), defaultValue);
}

void IniWriteString(TIniObject ini, const QString &section, const QString &ident, const QString &value) {
  if (ini.Reg)
    ini.Reg->WriteString(section, ident, value);
  else if (ini.Ini)
    ini.Ini->WriteString(section, ident, BeginsAndEndsWithQuote(value) ? u'"' + value + u'"' : value);
}

void IniWriteInteger(TIniObject ini, const QString &section, const QString &ident, int value) {
  IniWriteString(ini, section, ident, QString::number(value));
}

void IniEraseSection(TIniObject ini, const QString &section) {
  if (ini.Ini) {
    ini.Ini->EraseSection(section);
  } else if (ini.Reg && ini.Reg->OpenKey(RegSectionKey(ini, section), false)) {
    for (const QString &name : ini.Reg->GetValueNames())
      ini.Reg->DeleteValue(name);
    ini.Reg->CloseKey();
  }
}

QString GetScreenSizeSuffix() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  const QSize size = screen ? screen->size() : QSize();
  return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

QString ReadPosStr(TIniObject ini, const QString &section, const QString &ident) {
  const QString value = IniReadString(ini, section, ident + GetScreenSizeSuffix(), QString());
  return value.isEmpty() ? IniReadString(ini, section, ident, QString()) : value;
}

void WritePosStr(TIniObject ini, const QString &section, const QString &ident, const QString &value) {
  IniWriteString(ini, section, ident + GetScreenSizeSuffix(), value);
  IniWriteString(ini, section, ident, value);
}

int ScreenPixelsPerInch() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

TWindowPlacement GetWindowPlacement(const QWidget *window) {
  TWindowPlacement placement;
  const Qt::WindowStates state = window->windowState();
  if (state & Qt::WindowMinimized) {
    placement.ShowCmd = SW_SHOWMINIMIZED;
    if (state & Qt::WindowMaximized)
      placement.Flags |= WPF_RESTORETOMAXIMIZED;
  } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
    placement.ShowCmd = SW_MAXIMIZE;
  }
  const QRect normal = window->isWindow() ? window->normalGeometry() : window->geometry();
  const QRect rect = normal.isValid() ? normal : window->geometry();
  placement.Left = rect.left();
  placement.Top = rect.top();
  placement.Right = rect.left() + rect.width();
  placement.Bottom = rect.top() + rect.height();
  return placement;
}

void SetWindowPlacement(QWidget *window, const TWindowPlacement &placement) {
  const QRect rect(placement.Left, placement.Top, placement.Right - placement.Left,
                   placement.Bottom - placement.Top);
  const Qt::WindowStates state = window->windowState();
  const Qt::WindowStates sized = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
  // Only a window in the normal state takes a geometry as its normal position.
  if (state & sized)
    window->setWindowState(state & ~sized);
  window->setGeometry(rect);
  if (state & sized)
    window->setWindowState(state);
}

void WriteFormPlacement(QWidget *form, TIniObject ini, const QString &section) {
  const TWindowPlacement placement = GetWindowPlacement(form);
  IniWriteInteger(ini, section, QStringLiteral("Flags"), placement.Flags);
  IniWriteInteger(ini, section, QStringLiteral("ShowCmd"), placement.ShowCmd);
  IniWriteInteger(ini, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch());
  WritePosStr(ini, section, QStringLiteral("MinMaxPos"),
              FourInts(placement.MinPosition.x(), placement.MinPosition.y(), placement.MaxPosition.x(),
                       placement.MaxPosition.y()));
  WritePosStr(ini, section, QStringLiteral("NormPos"),
              FourInts(placement.Left, placement.Top, placement.Right, placement.Bottom));
}

namespace {

void ReadPosition(QWidget *form, TIniObject ini, const QString &section, TWindowPlacement &placement) {
  placement.Flags = IniReadInteger(ini, section, QStringLiteral("Flags"), placement.Flags);
  const QString minMax = ReadPosStr(ini, section, QStringLiteral("MinMaxPos"));
  const QString norm = ReadPosStr(ini, section, QStringLiteral("NormPos"));
  const bool found = (!minMax.isEmpty() || !norm.isEmpty()) &&
                     IniReadInteger(ini, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch()) ==
                         ScreenPixelsPerInch();
  if (!found)
    return;
  placement.MinPosition = QPoint(WordAsInt(minMax, 1, 0), WordAsInt(minMax, 2, 0));
  placement.MaxPosition = QPoint(WordAsInt(minMax, 3, 0), WordAsInt(minMax, 4, 0));
  const QRect current = form->geometry();
  placement.Left = WordAsInt(norm, 1, current.left());
  placement.Top = WordAsInt(norm, 2, current.top());
  placement.Right = WordAsInt(norm, 3, current.left() + current.width());
  placement.Bottom = WordAsInt(norm, 4, current.top() + current.height());
  auto *tform = qobject_cast<TForm *>(form);
  if (tform && tform->BorderStyle() != bsSizeable && tform->BorderStyle() != bsSizeToolWin) {
    // A fixed border keeps the form's size; only the top-left corner is taken.
    placement.Right = placement.Left + current.width();
    placement.Bottom = placement.Top + current.height();
  }
  if (placement.Right <= placement.Left)
    return;
  if (tform && (tform->Position() == poScreenCenter || tform->Position() == poDesktopCenter))
    tform->SetPosition(poDesigned);
  SetWindowPlacement(form, placement);
}

// There is no application window here: minimizing the application minimizes its visible windows.
void MinimizeApplication() {
  QTimer::singleShot(0, qApp, [] {
    for (QWidget *window : QApplication::topLevelWidgets())
      if (window->isVisible())
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
  });
}

// The main form's rules hold for the main form, and for every form of a program without one.
bool TakesMainFormRules(const QWidget *form) {
  const TForm *main = Application() ? Application()->MainForm() : nullptr;
  return !main || main == form;
}

void ReadState(QWidget *form, TIniObject ini, const QString &section) {
  const auto *tform = qobject_cast<TForm *>(form);
  const bool mainRules = TakesMainFormRules(form);
  bool maximized = mainRules && tform && tform->Position() == poDefault;
  bool minimized = false;
  switch (IniReadInteger(ini, section, QStringLiteral("ShowCmd"), 0)) {
  case SW_SHOWNORMAL:
  case SW_SHOW:
  case SW_RESTORE: maximized = false; break;
  case SW_SHOWMINIMIZED:
  case SW_MINIMIZE:
  case SW_SHOWMINNOACTIVE: minimized = true; break;
  case SW_MAXIMIZE: maximized = true; break;
  default: break;
  }
  const Qt::WindowStates state = form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (minimized && mainRules) {
    // The main form stays normal; the application as a whole is minimized.
    form->setWindowState(state);
    MinimizeApplication();
    return;
  }
  if (minimized)
    form->setWindowState(state | Qt::WindowMinimized);
  else
    form->setWindowState(maximized ? state | Qt::WindowMaximized : state);
}

} // namespace

void ReadFormPlacement(QWidget *form, TIniObject ini, const QString &section, bool loadState,
                       bool loadPosition) {
  if (!loadState && !loadPosition)
    return;
  TWindowPlacement placement = GetWindowPlacement(form);
  if (loadPosition)
    ReadPosition(form, ini, section, placement);
  if (loadState)
    ReadState(form, ini, section);
  form->update();
}
