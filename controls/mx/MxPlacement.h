#pragma once

#include "MxAppUtils.h"

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;
class TFormPlacement;
class TMxWindowHook;

enum TPlacementOption { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPlacementOptions)

enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

// The size limits a placement imposes on its form; all 0 is the default (no limits).
class TWinMinMaxInfo {
public:
  enum TIndex {
    MaxPosLeftIndex,
    MaxPosTopIndex,
    MaxSizeHeightIndex,
    MaxSizeWidthIndex,
    MaxTrackHeightIndex,
    MaxTrackWidthIndex,
    MinTrackHeightIndex,
    MinTrackWidthIndex
  };

  explicit TWinMinMaxInfo(TFormPlacement *owner = nullptr) : FOwner(owner) {}
  TWinMinMaxInfo(const TWinMinMaxInfo &) = delete;
  TWinMinMaxInfo &operator=(const TWinMinMaxInfo &) = delete;

  int Value(TIndex index) const { return FValues[index]; }
  void SetValue(TIndex index, int value);
  int MaxPosLeft() const { return Value(MaxPosLeftIndex); }
  void SetMaxPosLeft(int v) { SetValue(MaxPosLeftIndex, v); }
  int MaxPosTop() const { return Value(MaxPosTopIndex); }
  void SetMaxPosTop(int v) { SetValue(MaxPosTopIndex, v); }
  int MaxSizeHeight() const { return Value(MaxSizeHeightIndex); }
  void SetMaxSizeHeight(int v) { SetValue(MaxSizeHeightIndex, v); }
  int MaxSizeWidth() const { return Value(MaxSizeWidthIndex); }
  void SetMaxSizeWidth(int v) { SetValue(MaxSizeWidthIndex, v); }
  int MaxTrackHeight() const { return Value(MaxTrackHeightIndex); }
  void SetMaxTrackHeight(int v) { SetValue(MaxTrackHeightIndex, v); }
  int MaxTrackWidth() const { return Value(MaxTrackWidthIndex); }
  void SetMaxTrackWidth(int v) { SetValue(MaxTrackWidthIndex, v); }
  int MinTrackHeight() const { return Value(MinTrackHeightIndex); }
  void SetMinTrackHeight(int v) { SetValue(MinTrackHeightIndex, v); }
  int MinTrackWidth() const { return Value(MinTrackWidthIndex); }
  void SetMinTrackWidth(int v) { SetValue(MinTrackWidthIndex, v); }

  void Assign(const TWinMinMaxInfo &source);
  bool DefaultMinMaxInfo() const;

private:
  TFormPlacement *FOwner;
  std::array<int, 8> FValues{};
};

// Lets another component save and load its own settings through a placement's store, at the
// moments the placement saves and restores.
class TIniLink {
public:
  TIniLink() = default;
  TIniLink(const TIniLink &) = delete;
  TIniLink &operator=(const TIniLink &) = delete;
  virtual ~TIniLink();

  TFormPlacement *Storage() const { return FStorage; }
  void SetStorage(TFormPlacement *value);
  // The placement's open store; empty outside its save and restore.
  TIniObject IniObject() const;
  // The placement's own section and "\", or empty when it names none.
  QString RootSection() const;

  virtual void SaveToIni();
  virtual void LoadFromIni();

  std::function<void(TIniLink *Sender)> OnSave;
  std::function<void(TIniLink *Sender)> OnLoad;

private:
  friend class TFormPlacement;
  TFormPlacement *FStorage = nullptr;
};

// Saves its form's placement (position, size, state, active control) into an ini file or the
// registry when the form closes, and restores it when the form is shown; can prevent resizing or
// impose size limits.
class TFormPlacement : public QObject {
public:
  explicit TFormPlacement(QObject *owner = nullptr);
  ~TFormPlacement() override;

  bool Active() const { return FActive; }
  void SetActive(bool value) { FActive = value; }
  // Empty: the default registry key (UseRegistry) or the default ini name.
  QString IniFileName() const;
  void SetIniFileName(const QString &value) { FIniFileName = value; }
  // Empty: the owner's default section.
  QString IniSection() const;
  void SetIniSection(const QString &value) { FIniSection = value; }
  const QString &StoredIniSection() const { return FIniSection; }
  TWinMinMaxInfo &MinMaxInfo() { return FWinMinMaxInfo; }
  void SetMinMaxInfo(const TWinMinMaxInfo &value) { FWinMinMaxInfo.Assign(value); }
  TPlacementOptions Options() const { return FOptions; }
  void SetOptions(TPlacementOptions value) { FOptions = value; }
  bool PreventResize() const { return FPreventResize; }
  void SetPreventResize(bool value);
  TPlacementRegRoot RegistryRoot() const { return FRegistryRoot; }
  void SetRegistryRoot(TPlacementRegRoot value) { FRegistryRoot = value; }
  bool UseRegistry() const { return FUseRegistry; }
  void SetUseRegistry(bool value) { FUseRegistry = value; }
  int Version() const { return FVersion; }
  void SetVersion(int value) { FVersion = value; }

  std::function<void(QObject *Sender)> OnSavePlacement;
  std::function<void(QObject *Sender)> OnRestorePlacement;

  void SaveFormPlacement();
  void RestoreFormPlacement();
  // Values in IniSection; the store is opened around each call when none is open.
  QString ReadString(const QString &ident, const QString &defaultValue);
  void WriteString(const QString &ident, const QString &value);
  int ReadInteger(const QString &ident, int defaultValue);
  void WriteInteger(const QString &ident, int value);
  void EraseSections();

  // The open store; empty outside an operation.
  TIniObject IniObject() const;
  // Called by TWinMinMaxInfo.
  void MinMaxInfoModified();

protected:
  virtual void WritePlacement();
  virtual void ReadPlacement();
  virtual QString ReadValue(const QString &section, const QString &ident, const QString &defaultValue);
  virtual void WriteValue(const QString &section, const QString &ident, const QString &value);

private:
  friend class TIniLink;
  class TStoreScope;
  struct TStore;

  QWidget *Form() const;
  void OpenStore(bool readOnly);
  void CloseStore(bool commit);
  void AddLink(TIniLink *link);
  void RemoveLink(TIniLink *link);
  void FormBeforeMessage(QEvent &event);
  void FormAfterMessage(QEvent &event);
  void RestoreActiveControl();
  bool LimitsWanted() const;
  void UpdateLimits();
  void UpdateMaximizeIcon();

  bool FActive = true;
  QString FIniFileName;
  QString FIniSection;
  TWinMinMaxInfo FWinMinMaxInfo{this};
  TPlacementOptions FOptions;
  bool FPreventResize = false;
  TPlacementRegRoot FRegistryRoot = prCurrentUser;
  bool FUseRegistry = false;
  int FVersion = 0;

  std::unique_ptr<TStore> FStore;
  std::vector<TIniLink *> FLinks;
  bool FSaved = false;
  bool FRestored = false;
  bool FDestroying = false;
  bool FClosing = false;
  bool FDefMaximize = false;
  TMxWindowHook *FWinHook = nullptr;
  QPointer<QWidget> FForm;
  // The form's own limits, kept while the placement imposes its own.
  bool FLimitsApplied = false;
  QSize FFormMinSize;
  QSize FFormMaxSize;
};
