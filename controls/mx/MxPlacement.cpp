#include "MxPlacement.h"

#include "Application.h"
#include "Forms.h"
#include "IniFiles.h"
#include "MxHook.h"
#include "Registry.h"

#include <QCloseEvent>
#include <QWidget>
#include <algorithm>

namespace {

const QString FormVersionIdent = QStringLiteral("FormVersion");
const QString VisibleIdent = QStringLiteral("Visible");
const QString ActiveControlIdent = QStringLiteral("ActiveControl");

HKEY RootKeyOf(TPlacementRegRoot root) {
  switch (root) {
  case prCurrentUser: return HKEY_CURRENT_USER;
  case prLocalMachine: return HKEY_LOCAL_MACHINE;
  default: throw ERegistryException(QStringLiteral("Registry root not supported"));
  }
}

} // namespace

// TWinMinMaxInfo

void TWinMinMaxInfo::SetValue(TIndex index, int value) {
  if (FValues[index] == value)
    return;
  FValues[index] = value;
  if (FOwner)
    FOwner->MinMaxInfoModified();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo &source) {
  FValues = source.FValues;
  if (FOwner)
    FOwner->MinMaxInfoModified();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
  return std::all_of(FValues.begin(), FValues.end(), [](int v) { return v == 0; });
}

// TIniLink

TIniLink::~TIniLink() {
  OnSave = nullptr;
  OnLoad = nullptr;
  SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement *value) {
  if (FStorage == value)
    return;
  if (FStorage)
    FStorage->RemoveLink(this);
  if (value)
    value->AddLink(this);
}

TIniObject TIniLink::IniObject() const { return FStorage ? FStorage->IniObject() : TIniObject(); }

QString TIniLink::RootSection() const {
  if (!FStorage || FStorage->StoredIniSection().isEmpty())
    return QString();
  return FStorage->StoredIniSection() + u'\\';
}

void TIniLink::SaveToIni() {
  if (OnSave)
    OnSave(this);
}

void TIniLink::LoadFromIni() {
  if (OnLoad)
    OnLoad(this);
}

// TFormPlacement store

struct TFormPlacement::TStore {
  std::unique_ptr<TMemIniFile> Ini;
  std::unique_ptr<TRegIniFile> Reg;
  QString RegKey;
  bool Written = false;
};

// Opens the store for one operation when none is open, and closes it again; the ini file is
// written only when the operation completed.
class TFormPlacement::TStoreScope {
public:
  TStoreScope(TFormPlacement &placement, bool readOnly) : FPlacement(placement), FOwns(!placement.FStore) {
    if (FOwns)
      FPlacement.OpenStore(readOnly);
  }
  ~TStoreScope() {
    if (FOwns)
      FPlacement.CloseStore(false);
  }
  void Commit() {
    if (FOwns)
      FPlacement.CloseStore(true);
    FOwns = false;
  }

private:
  TFormPlacement &FPlacement;
  bool FOwns;
};

void TFormPlacement::OpenStore(bool readOnly) {
  auto store = std::make_unique<TStore>();
  if (FUseRegistry) {
    store->RegKey = IniFileName();
    store->Reg = std::make_unique<TRegIniFile>(store->RegKey);
    store->Reg->SetRootKey(RootKeyOf(FRegistryRoot));
  } else {
    store->Ini = std::make_unique<TMemIniFile>(IniFilePath(IniFileName()));
  }
  store->Written = !readOnly;
  FStore = std::move(store);
}

void TFormPlacement::CloseStore(bool commit) {
  std::unique_ptr<TStore> store = std::move(FStore);
  if (commit && store && store->Ini && store->Written)
    store->Ini->UpdateFile();
}

TIniObject TFormPlacement::IniObject() const {
  if (!FStore)
    return TIniObject();
  if (FStore->Reg)
    return TIniObject(FStore->Reg.get(), FStore->RegKey);
  return TIniObject(FStore->Ini.get());
}

// TFormPlacement

TFormPlacement::TFormPlacement(QObject *owner) : QObject(owner) {
  FForm = qobject_cast<TForm *>(owner);
  if (!FForm)
    return;
  FOptions = fpState | fpPosition;
  FDefMaximize = FForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
  FWinHook = new TMxWindowHook(this);
  FWinHook->BeforeMessage = [this](QObject *, QEvent &event, bool &) { FormBeforeMessage(event); };
  FWinHook->AfterMessage = [this](QObject *, QEvent &event, bool &) { FormAfterMessage(event); };
  FWinHook->SetWinControl(FForm);
}

TFormPlacement::~TFormPlacement() {
  FStore.reset();
  for (TIniLink *link : std::vector(FLinks))
    link->FStorage = nullptr;
  FLinks.clear();
  if (FWinHook)
    FWinHook->SetActive(false);
  if (FForm && FLimitsApplied) {
    FForm->setMinimumSize(FFormMinSize);
    FForm->setMaximumSize(FFormMaxSize);
  }
}

QWidget *TFormPlacement::Form() const { return FForm; }

QString TFormPlacement::IniFileName() const {
  if (!FIniFileName.isEmpty())
    return FIniFileName;
  return FUseRegistry ? GetDefaultIniRegKey() : GetDefaultIniName();
}

QString TFormPlacement::IniSection() const {
  return FIniSection.isEmpty() ? GetDefaultSection(parent()) : FIniSection;
}

void TFormPlacement::AddLink(TIniLink *link) {
  FLinks.push_back(link);
  link->FStorage = this;
}

void TFormPlacement::RemoveLink(TIniLink *link) {
  link->FStorage = nullptr;
  std::erase(FLinks, link);
}

void TFormPlacement::FormBeforeMessage(QEvent &event) {
  if (event.type() == QEvent::Show && !event.spontaneous() && FActive)
    Guarded(this, [this] { RestoreFormPlacement(); });
  else if (event.type() == QEvent::Close)
    FClosing = true;
}

void TFormPlacement::FormAfterMessage(QEvent &event) {
  switch (event.type()) {
  case QEvent::Close:
    FClosing = false;
    if (event.isAccepted() && FActive && FForm)
      Guarded(this, [this] { SaveFormPlacement(); });
    break;
  case QEvent::Hide:
    // Hidden without a close (a modal result, or the form going away): still save once.
    if (!FClosing && !event.spontaneous() && FActive && !FSaved && FForm) {
      FDestroying = !qobject_cast<TForm *>(FForm.data());
      Guarded(this, [this] { SaveFormPlacement(); });
      FDestroying = false;
    }
    break;
  case QEvent::Show: UpdateLimits(); break;
  default: break;
  }
}

void TFormPlacement::SaveFormPlacement() {
  if (FActive && !FRestored)
    return;
  TStoreScope store(*this, false);
  IniWriteInteger(IniObject(), IniSection(), FormVersionIdent, FVersion);
  WritePlacement();
  if (OnSavePlacement)
    OnSavePlacement(this);
  FSaved = true;
  store.Commit();
}

void TFormPlacement::WritePlacement() {
  const TIniObject ini = IniObject();
  const QString section = IniSection();
  if (FForm) {
    if (FOptions & (fpState | fpPosition)) {
      WriteFormPlacement(FForm, ini, section);
      IniWriteInteger(ini, section, VisibleIdent, FDestroying ? 1 : 0);
    }
    QWidget *active = FForm->focusWidget();
    if ((FOptions & fpActiveControl) && active && active != FForm)
      IniWriteString(ini, section, ActiveControlIdent, active->objectName());
  }
  for (TIniLink *link : std::vector(FLinks))
    link->SaveToIni();
}

void TFormPlacement::RestoreFormPlacement() {
  FSaved = false;
  {
    TStoreScope store(*this, true);
    if (IniReadInteger(IniObject(), IniSection(), FormVersionIdent, 0) >= FVersion) {
      ReadPlacement();
      FRestored = true;
      if (OnRestorePlacement)
        OnRestorePlacement(this);
      if (FOptions & fpActiveControl)
        RestoreActiveControl();
    }
  }
  FRestored = true;
  UpdateLimits();
}

void TFormPlacement::ReadPlacement() {
  if (FForm)
    ReadFormPlacement(FForm, IniObject(), IniSection(), FOptions & fpState, FOptions & fpPosition);
  for (TIniLink *link : std::vector(FLinks))
    link->LoadFromIni();
}

void TFormPlacement::RestoreActiveControl() {
  const QString name = IniReadString(IniObject(), IniSection(), ActiveControlIdent, QString());
  if (!FForm || name.isEmpty())
    return;
  QWidget *control = FForm->findChild<QWidget *>(name);
  if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
    control->setFocus();
}

QString TFormPlacement::ReadValue(const QString &section, const QString &ident, const QString &defaultValue) {
  TStoreScope store(*this, true);
  return IniReadString(IniObject(), section, ident, defaultValue);
}

void TFormPlacement::WriteValue(const QString &section, const QString &ident, const QString &value) {
  TStoreScope store(*this, false);
  IniWriteString(IniObject(), section, ident, value);
  store.Commit();
}

QString TFormPlacement::ReadString(const QString &ident, const QString &defaultValue) {
  return ReadValue(IniSection(), ident, defaultValue);
}

void TFormPlacement::WriteString(const QString &ident, const QString &value) {
  WriteValue(IniSection(), ident, value);
}

int TFormPlacement::ReadInteger(const QString &ident, int defaultValue) {
  TStoreScope store(*this, true);
  return IniReadInteger(IniObject(), IniSection(), ident, defaultValue);
}

void TFormPlacement::WriteInteger(const QString &ident, int value) {
  TStoreScope store(*this, false);
  IniWriteInteger(IniObject(), IniSection(), ident, value);
  store.Commit();
}

void TFormPlacement::EraseSections() {
  TStoreScope store(*this, false);
  IniEraseSection(IniObject(), IniSection());
  store.Commit();
}

// Size limits: Qt windows take minimum and maximum sizes where the platform asked the window.

bool TFormPlacement::LimitsWanted() const { return FPreventResize || !FWinMinMaxInfo.DefaultMinMaxInfo(); }

void TFormPlacement::UpdateLimits() {
  if (!FForm)
    return;
  if (!LimitsWanted()) {
    if (FLimitsApplied) {
      FForm->setMinimumSize(FFormMinSize);
      FForm->setMaximumSize(FFormMaxSize);
      FLimitsApplied = false;
    }
    return;
  }
  if (!FLimitsApplied) {
    FFormMinSize = FForm->minimumSize();
    FFormMaxSize = FForm->maximumSize();
    FLimitsApplied = true;
  }
  if (FPreventResize) {
    if (FForm->isVisible())
      FForm->setFixedSize(FForm->size());
    return;
  }
  const TWinMinMaxInfo &info = FWinMinMaxInfo;
  FForm->setMinimumSize(info.MinTrackWidth() ? info.MinTrackWidth() : FFormMinSize.width(),
                        info.MinTrackHeight() ? info.MinTrackHeight() : FFormMinSize.height());
  FForm->setMaximumSize(info.MaxTrackWidth() ? info.MaxTrackWidth() : FFormMaxSize.width(),
                        info.MaxTrackHeight() ? info.MaxTrackHeight() : FFormMaxSize.height());
}

void TFormPlacement::MinMaxInfoModified() { UpdateLimits(); }

void TFormPlacement::SetPreventResize(bool value) {
  if (!FForm || value == FPreventResize)
    return;
  FPreventResize = value;
  if (value)
    FDefMaximize = FForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
  UpdateMaximizeIcon();
  UpdateLimits();
}

void TFormPlacement::UpdateMaximizeIcon() {
  const auto *form = qobject_cast<TForm *>(FForm.data());
  const bool wanted = !FPreventResize && FDefMaximize && !(form && form->BorderStyle() == bsDialog);
  if (FForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint) == wanted)
    return;
  // Changing the flags hides the window; the form must not save or restore meanwhile.
  const bool wasActive = FActive;
  const bool visible = FForm->isVisible();
  FActive = false;
  FForm->setWindowFlag(Qt::WindowMaximizeButtonHint, wanted);
  if (visible)
    FForm->show();
  FActive = wasActive;
}
