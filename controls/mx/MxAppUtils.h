#pragma once

#include <QPoint>
#include <QString>
#include <functional>

class QObject;
class QWidget;
class TMemIniFile;
class TRegIniFile;

// The store that placements and layouts read and write: an ini file or a registry ini file.
// Routines given neither read their defaults and write nothing.
struct TIniObject {
  TIniObject() = default;
  TIniObject(TMemIniFile *ini) : Ini(ini) {}
  // The registry ini file with the key it was made on (the sections are subkeys of it).
  TIniObject(TRegIniFile *reg, QString regKey) : Reg(reg), RegKey(std::move(regKey)) {}
  explicit operator bool() const { return Ini || Reg; }
  bool operator==(const TIniObject &) const = default;

  TMemIniFile *Ini = nullptr;
  TRegIniFile *Reg = nullptr;
  QString RegKey;
};

// Part of the default registry key (empty: none) and whether it uses the application's title.
inline QString DefCompanyName;
inline bool RegUseAppTitle = false;
// When set, gives the default ini file name.
inline std::function<QString()> OnGetDefaultIniName;

// A form: its class name; a control: its form's class name (or its parent's name) followed by its
// name; another component owned by a form: "<form class>.<name>"; nullptr: empty.
QString GetDefaultSection(const QObject *component);
// The executable's file name with the extension ".INI", without path.
QString GetDefaultIniName();
// "Software\[<company>\]<title or executable name without extension>".
QString GetDefaultIniRegKey();
// Where an ini file of that name lives: a name without a folder goes to the user's config folder.
QString IniFilePath(const QString &fileName);

QString IniReadString(TIniObject ini, const QString &section, const QString &ident,
                      const QString &defaultValue);
int IniReadInteger(TIniObject ini, const QString &section, const QString &ident, int defaultValue);
// An ini file reads back a value quoted at both ends without its quotes, so such a value is
// written inside one more pair of double quotes.
void IniWriteString(TIniObject ini, const QString &section, const QString &ident, const QString &value);
void IniWriteInteger(TIniObject ini, const QString &section, const QString &ident, int value);
void IniEraseSection(TIniObject ini, const QString &section);

// "(<width>x<height>)" of the screen in pixels.
QString GetScreenSizeSuffix();
// The value under ident + screen-size suffix, else under the plain ident.
QString ReadPosStr(TIniObject ini, const QString &section, const QString &ident);
// Written under both idents.
void WritePosStr(TIniObject ini, const QString &section, const QString &ident, const QString &value);

// Window placement flags and show commands as stored.
enum : int { WPF_SETMINPOSITION = 1, WPF_RESTORETOMAXIMIZED = 2 };
enum : int {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_SHOWMINIMIZED = 2,
  SW_MAXIMIZE = 3,
  SW_SHOWNOACTIVATE = 4,
  SW_SHOW = 5,
  SW_MINIMIZE = 6,
  SW_SHOWMINNOACTIVE = 7,
  SW_SHOWNA = 8,
  SW_RESTORE = 9,
};

// A window's placement: flags, show command, minimized and maximized positions, and the normal
// position as left, top, right and bottom (right and bottom just outside).
struct TWindowPlacement {
  int Flags = 0;
  int ShowCmd = SW_SHOWNORMAL;
  QPoint MinPosition{-1, -1};
  QPoint MaxPosition{-1, -1};
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};
TWindowPlacement GetWindowPlacement(const QWidget *window);
// Applies the normal position; the window state stays as it is.
void SetWindowPlacement(QWidget *window, const TWindowPlacement &placement);
int ScreenPixelsPerInch();

// Writes "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and "NormPos" of the form.
void WriteFormPlacement(QWidget *form, TIniObject ini, const QString &section);
// Reads them back: the position with loadPosition, the window state with loadState.
void ReadFormPlacement(QWidget *form, TIniObject ini, const QString &section, bool loadState,
                       bool loadPosition);
