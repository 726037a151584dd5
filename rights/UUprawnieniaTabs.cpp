// The page control with one tab per program group, each tab's controls, and a tab's settings.
#include "UUprawnienia.h"

#include "Application.h"
#include "MxSpin.h"
#include "PageControl.h"
#include "RadioGroup.h"
#include "StdCtrls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// The form's members for the tab sheets and level radio groups, in the order of the groups.
TTabSheet *TUprawnieniaForm::*const kSheets[ProgramGroupCount] = {
    &TUprawnieniaForm::KORVIN,  &TUprawnieniaForm::VELDAR,  &TUprawnieniaForm::PLOMER,
    &TUprawnieniaForm::SARNIK,  &TUprawnieniaForm::TULVAR,  &TUprawnieniaForm::BRONTEL,
    &TUprawnieniaForm::FENNO,   &TUprawnieniaForm::DRAVEL,  &TUprawnieniaForm::HOLMAR,
    &TUprawnieniaForm::GRESSON, &TUprawnieniaForm::PELKAR,  &TUprawnieniaForm::NIRVOS,
    &TUprawnieniaForm::TESSAL,  &TUprawnieniaForm::QUENTO,  &TUprawnieniaForm::BAVIRO,
    &TUprawnieniaForm::SOLMET,  &TUprawnieniaForm::TORMISK, &TUprawnieniaForm::KAPRENA};
struct LevelGroup {
  TRadioGroup *TUprawnieniaForm::*Member;
  const char *Name;
};
const LevelGroup kLevelGroups[ProgramGroupCount] = {
    {&TUprawnieniaForm::KNMPrawaRadioBox, "KNMPrawaRadioBox"},
    {&TUprawnieniaForm::VELDARPrawaRadioBox, "VELDARPrawaRadioBox"},
    {&TUprawnieniaForm::PLOMERRadioBox, "PLOMERRadioBox"},
    {&TUprawnieniaForm::SARNIKRadioBox, "SARNIKRadioBox"},
    {&TUprawnieniaForm::TULVARRadioBox, "TULVARRadioBox"},
    {&TUprawnieniaForm::BRONTELRadioBox, "BRONTELRadioBox"},
    {&TUprawnieniaForm::FENNORadioBox, "FENNORadioBox"},
    {&TUprawnieniaForm::DRAVELRadioBox, "DRAVELRadioBox"},
    {&TUprawnieniaForm::HolmarRadioBox, "HolmarRadioBox"},
    {&TUprawnieniaForm::GRESSONRadioBox, "GRESSONRadioBox"},
    {&TUprawnieniaForm::PELKARRadioBox, "PELKARRadioBox"},
    {&TUprawnieniaForm::NIRVOSRadioBox, "NIRVOSRadioBox"},
    {&TUprawnieniaForm::TESSALRadioBox, "TESSALRadioBox"},
    {&TUprawnieniaForm::QUENTORadioBox, "QUENTORadioBox"},
    {&TUprawnieniaForm::BAVIRORadioBox, "BAVIRORadioBox"},
    {&TUprawnieniaForm::SOLMETRadioBox, "SOLMETRadioBox"},
    {&TUprawnieniaForm::TORMISKPrawaRadioBox, "TORMISKPrawaRadioBox"},
    {&TUprawnieniaForm::KAPRENARadioBox, "KAPRENARadioBox"}};

QCheckBox *NewCheckBox(QWidget *parent, const char *name, const char *caption) {
  auto *box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

TButton *NewButton(QWidget *parent, const char *name, const char *caption) {
  auto *button = new TButton(parent, QString::fromUtf8(caption));
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QListWidget *NewList(QWidget *parent, const char *name) {
  auto *list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  return list;
}

QListWidget *NewCheckList(QWidget *parent, const char *name, const QStringList &items) {
  QListWidget *list = NewList(parent, name);
  for (const QString &text : items) {
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  return list;
}

// The sheet's own layout: the level radio group above, the group's controls below.
QVBoxLayout *SheetLayout(TTabSheet *sheet) { return static_cast<QVBoxLayout *>(sheet->layout()); }

using THandler = void (TUprawnieniaForm::*)(QObject *);

// A click runs the form's handler with the control as the sender; its errors reach the application.
template <class Control, class Signal>
void Wire(TUprawnieniaForm &form, Control *control, Signal signal, THandler handler) {
  QObject::connect(control, signal, &form,
                   [&form, control, handler] { Guarded(&form, [&] { (form.*handler)(control); }); });
}

struct BoxPart {
  QCheckBox *TUprawnieniaForm::*Member;
  const char *Name;
  const char *Caption;
};

// "Uprawnienia w programie": a "Zarządca" box first, then the boxes it drives; returns them all.
std::vector<QCheckBox *> ManagerGroup(TUprawnieniaForm &form, QGroupBox *group,
                                      std::initializer_list<BoxPart> parts, THandler managerClick) {
  auto *layout = new QVBoxLayout(group);
  std::vector<QCheckBox *> boxes;
  for (const BoxPart &part : parts) {
    QCheckBox *box = form.*part.Member = NewCheckBox(group, part.Name, part.Caption);
    layout->addWidget(box);
    boxes.push_back(box);
  }
  Wire(form, boxes.front(), &QCheckBox::toggled, managerClick);
  return boxes;
}

// The pair "Prawa użytkownika:" / "Wszystkie prawa:" with "<", ">", "<<", ">>" between them.
struct RightsPair {
  const char *Prefix;
  QListWidget *TUprawnieniaForm::*User;
  QListWidget *TUprawnieniaForm::*All;
  TButton *TUprawnieniaForm::*Buttons[4];
  THandler Clicks[4];
};

QGridLayout *CreateRightsPair(TUprawnieniaForm &form, QWidget *sheet, const RightsPair &pair) {
  const auto name = [&pair](const char *part) { return QByteArray(pair.Prefix) + part; };
  form.*pair.User = NewList(sheet, name("UserRights").constData());
  form.*pair.All = NewList(sheet, name("AllRights").constData());
  auto *grid = new QGridLayout;
  grid->addWidget(new QLabel(QString::fromUtf8("Prawa użytkownika:"), sheet), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Wszystkie prawa:"), sheet), 0, 2);
  grid->addWidget(form.*pair.User, 1, 0, 5, 1);
  grid->addWidget(form.*pair.All, 1, 2, 5, 1);
  const char *const names[4] = {"ToUser", "ToAll", "AllToUser", "AllToAll"};
  const char *const captions[4] = {"<", ">", "<<", ">>"};
  for (int i = 0; i < 4; ++i) {
    TButton *button = form.*pair.Buttons[i] = NewButton(sheet, name(names[i]).constData(), captions[i]);
    Wire(form, button, &QPushButton::clicked, pair.Clicks[i]);
    grid->addWidget(button, i + 1, 1);
  }
  return grid;
}

} // namespace

void TUprawnieniaForm::CreatePageControl() {
  PageControl = new TPageControl(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->SetMultiLine(true);
  CreateKorvinTab();
  CreateVeldarTab();
  NewGroupTab(pgPlomer, "PLOMERRadioBox");
  CreateCheckBoxTab(pgSarnik, CBSarnik, "CBSarnik", "Prawo globalnej zmiany pól");
  CreateCheckBoxTab(pgTulvar, CBTulvar, "CBTulvar", "Zapis do słownika adresów");
  CreateBrontelTab();
  CreateCheckBoxTab(pgFenno, FENNOCheckBox, "FENNOCheckBox", "Usuwanie kartotek z archiwum");
  CreateDravelTab();
  CreateHolmarTab();
  NewGroupTab(pgGresson, "GRESSONRadioBox");
  NewGroupTab(pgPelkar, "PELKARRadioBox");
  NewGroupTab(pgNirvos, "NIRVOSRadioBox");
  CreateTessalTab();
  NewGroupTab(pgQuento, "QUENTORadioBox");
  CreateBaviroTab();
  NewGroupTab(pgSolmet, "SOLMETRadioBox");
  CreateTormiskTab();
  CreateKaprenaTab();
  for (int group = 0; group < ProgramGroupCount; ++group) {
    this->*kSheets[group] = Tab(group).Sheet;
    this->*kLevelGroups[group].Member = Tab(group).Level;
    SheetLayout(Tab(group).Sheet)->addStretch(1);
  }
}

TUprawnieniaForm::TGroupTab &TUprawnieniaForm::NewGroupTab(int group, const char *levelName) {
  TGroupTab &tab = FGroupTabs[static_cast<size_t>(group)];
  const TProgramGroup &program = ProgramGroups()[static_cast<size_t>(group)];
  const QString &name = program.Name;
  tab.Sheet = new TTabSheet(PageControl, name);
  tab.Sheet->setObjectName(name);
  new QVBoxLayout(tab.Sheet);
  tab.Level = new TRadioGroup(tab.Sheet, QStringLiteral("Uprawnienia kontrolowane przez serwer"));
  tab.Level->setObjectName(QString::fromLatin1(levelName));
  QStringList items{QStringLiteral("Tylko odczyt"), QStringLiteral("Zapis i odczyt")};
  if (program.AdministratorLevel)
    items.append(QStringLiteral("Administrator"));
  tab.Level->SetItems(items);
  tab.Level->SetColumns(static_cast<int>(items.size()));
  tab.Level->SetItemIndex(0);
  SheetLayout(tab.Sheet)->addWidget(tab.Level);
  return tab;
}

void TUprawnieniaForm::CreateCheckBoxTab(int group, QCheckBox *&box, const char *name, const char *caption) {
  TGroupTab &tab = NewGroupTab(group, kLevelGroups[group].Name);
  box = NewCheckBox(tab.Sheet, name, caption);
  SheetLayout(tab.Sheet)->addWidget(box);
  tab.Boxes = {box};
}

void TUprawnieniaForm::CreateKorvinTab() {
  TGroupTab &tab = NewGroupTab(pgKorvin, "KNMPrawaRadioBox");
  TTabSheet *sheet = tab.Sheet;
  RightsKind = new TRadioGroup(sheet, QStringLiteral("Lista praw dla"));
  RightsKind->setObjectName(QStringLiteral("RightsKind"));
  RightsKind->SetItems({QString::fromUtf8("działek"), QStringLiteral("warstw"), QString::fromUtf8("obiektów"),
                        QStringLiteral("inne")});
  RightsKind->SetColumns(4);
  RightsKind->SetItemIndex(0);
  RightsKind->OnClick = [this](QObject *sender) { RightsKindClick(sender); };
  QStringList numbers;
  for (int i = 1; i <= 32; ++i)
    numbers.append(QString::number(i));
  ObjectRights = NewCheckList(sheet, "ObjectRights", numbers);
  // Eight columns of four, filled top to bottom.
  ObjectRights->setFlow(QListView::TopToBottom);
  ObjectRights->setWrapping(true);
  ObjectRights->setResizeMode(QListView::Adjust);
  ObjectRights->setGridSize(QSize(48, 20));
  ObjectRights->setFixedSize(8 * 48 + 8, 4 * 20 + 8);
  ObjectRights->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  tab.CheckList = ObjectRights;
  tab.Rights = &FKorvinRights;

  QVBoxLayout *layout = SheetLayout(sheet);
  layout->addWidget(RightsKind);
  layout->addLayout(
      CreateRightsPair(*this, sheet,
                       {"",
                        &TUprawnieniaForm::UserRights,
                        &TUprawnieniaForm::AllRights,
                        {&TUprawnieniaForm::ToUser, &TUprawnieniaForm::ToAll, &TUprawnieniaForm::AllToUser,
                         &TUprawnieniaForm::AllToAll},
                        {&TUprawnieniaForm::ToUserClick, &TUprawnieniaForm::ToAllClick,
                         &TUprawnieniaForm::AllToUserClick, &TUprawnieniaForm::AllToAllClick}}));
  layout->addWidget(ObjectRights);
}

void TUprawnieniaForm::CreateVeldarTab() {
  TGroupTab &tab = NewGroupTab(pgVeldar, "VELDARPrawaRadioBox");
  auto *box = new QGroupBox(QStringLiteral("Uprawnienia w programie"), tab.Sheet);
  tab.Boxes = ManagerGroup(*this, box,
                           {{&TUprawnieniaForm::ADMCheck, "ADMCheck", "Zarządca"},
                            {&TUprawnieniaForm::PrintCheck, "PrintCheck", "Drukowanie"},
                            {&TUprawnieniaForm::EditCheck, "EditCheck", "Zatwierdzanie zmian"},
                            {&TUprawnieniaForm::ExpCheck, "ExpCheck", "Eksporty GML i SWDE"}},
                           &TUprawnieniaForm::ADMCheckClick);
  rgSkany = new TRadioGroup(tab.Sheet, QString::fromUtf8("Baza skanów"));
  rgSkany->setObjectName(QStringLiteral("rgSkany"));
  rgSkany->SetItems(
      {QStringLiteral("Brak"), QStringLiteral("Tylko odczyt"), QStringLiteral("Zapis i odczyt")});
  rgSkany->SetItemIndex(0);
  tab.Scans = rgSkany;
  SheetLayout(tab.Sheet)->addWidget(box);
  SheetLayout(tab.Sheet)->addWidget(rgSkany);
}

void TUprawnieniaForm::CreateBrontelTab() {
  TGroupTab &tab = NewGroupTab(pgBrontel, "BRONTELRadioBox");
  CLBBrontel = NewCheckList(tab.Sheet, "CLBBrontel",
                            {QStringLiteral("Dane podstawowe"), QStringLiteral("Pesel"),
                             QString::fromUtf8("Imiona rodziców, nazwisko rodowe"),
                             QStringLiteral("Dane o rodzicach"), QStringLiteral("Zmiana nazwiska/imion"),
                             QString::fromUtf8("Współmałżonek(ka)"), QStringLiteral("Zmiana stanu cywilnego"),
                             QStringLiteral("Zmiana adresu"), QStringLiteral("Drukowanie")});
  BrontelIle = new TMxSpinEdit(tab.Sheet);
  BrontelIle->setObjectName(QStringLiteral("BrontelIle"));
  // A fraction may be typed; the writer keeps its whole part.
  BrontelIle->SetValueType(vtFloat);
  tab.CheckList = CLBBrontel;
  tab.RecordLimit = BrontelIle;
  auto *limit = new QHBoxLayout;
  limit->addWidget(new QLabel(QString::fromUtf8("Max liczba rekordów zwracanych"), tab.Sheet));
  limit->addWidget(BrontelIle);
  limit->addStretch(1);
  SheetLayout(tab.Sheet)->addWidget(CLBBrontel);
  SheetLayout(tab.Sheet)->addLayout(limit);
}

void TUprawnieniaForm::CreateDravelTab() {
  TGroupTab &tab = NewGroupTab(pgDravel, "DRAVELRadioBox");
  auto *box = new QGroupBox(QStringLiteral("Uprawnienia w programie"), tab.Sheet);
  tab.Boxes = ManagerGroup(*this, box,
                           {{&TUprawnieniaForm::CBDravelADM, "CBDravelADM", "Zarządca"},
                            {&TUprawnieniaForm::CBDravelPRINT, "CBDravelPRINT", "Drukowanie"},
                            {&TUprawnieniaForm::CBDravelEDIT, "CBDravelEDIT", "Przypisy"}},
                           &TUprawnieniaForm::CBDravelADMClick);
  SheetLayout(tab.Sheet)->addWidget(box);
}

void TUprawnieniaForm::CreateHolmarTab() {
  TGroupTab &tab = NewGroupTab(pgHolmar, "HolmarRadioBox");
  HolmarGroupBox = new QGroupBox(QStringLiteral("Uprawnienia w programie"), tab.Sheet);
  HolmarGroupBox->setObjectName(QStringLiteral("HolmarGroupBox"));
  tab.Boxes = ManagerGroup(*this, HolmarGroupBox,
                           {{&TUprawnieniaForm::CheckBoxADM, "CheckBoxADM", "Zarządca"},
                            {&TUprawnieniaForm::CheckBoxPRINT, "CheckBoxPRINT", "Drukowanie"},
                            {&TUprawnieniaForm::CheckBoxODS, "CheckBoxODS", "Odsetki"}},
                           &TUprawnieniaForm::CheckBoxADMClick);
  SheetLayout(tab.Sheet)->addWidget(HolmarGroupBox);
}

void TUprawnieniaForm::CreateBaviroTab() {
  TGroupTab &tab = NewGroupTab(pgBaviro, "BAVIRORadioBox");
  BAVIROCheckBox = NewCheckBox(tab.Sheet, "BAVIROCheckBox", "Prawo administratora");
  auto *note = new QLabel(
      QString::fromUtf8("Powyższe uprawnienia zostaną przypisane \r\ndo wszystkich sygnatur spraw"),
      tab.Sheet);
  note->setStyleSheet(QStringLiteral("color: #FF0000; font-weight: bold;"));
  tab.Boxes = {BAVIROCheckBox};
  SheetLayout(tab.Sheet)->addWidget(BAVIROCheckBox);
  SheetLayout(tab.Sheet)->addWidget(note);
}

void TUprawnieniaForm::CreateTormiskTab() {
  TGroupTab &tab = NewGroupTab(pgTormisk, "TORMISKPrawaRadioBox");
  TTabSheet *sheet = tab.Sheet;
  tab.Rights = &FTormiskRights;
  SheetLayout(sheet)->addLayout(CreateRightsPair(
      *this, sheet,
      {"Tormisk",
       &TUprawnieniaForm::TormiskUserRights,
       &TUprawnieniaForm::TormiskAllRights,
       {&TUprawnieniaForm::TormiskToUser, &TUprawnieniaForm::TormiskToAll,
        &TUprawnieniaForm::TormiskAllToUser, &TUprawnieniaForm::TormiskAllToAll},
       {&TUprawnieniaForm::TormiskToUserClick, &TUprawnieniaForm::TormiskToAllClick,
        &TUprawnieniaForm::TormiskAllToUserClick, &TUprawnieniaForm::TormiskAllToAllClick}}));
}

void TUprawnieniaForm::CreateKaprenaTab() {
  // No level "Administrator": two items in two columns.
  TGroupTab &tab = NewGroupTab(pgKaprena, "KAPRENARadioBox");
  FINANSECheckBox = NewCheckBox(tab.Sheet, "FINANSECheckBox", "Finanse");
  tab.Boxes = {FINANSECheckBox};
  SheetLayout(tab.Sheet)->addWidget(FINANSECheckBox);
}

TTabSettings TUprawnieniaForm::TabSettings(int group) const {
  const TGroupTab &tab = Tab(group);
  TTabSettings settings;
  settings.Level = tab.Level->ItemIndex();
  for (const QCheckBox *box : tab.Boxes)
    if (box->isChecked())
      settings.Ticked.append(box->objectName());
  if (tab.Scans)
    settings.Scans = tab.Scans->ItemIndex();
  if (tab.CheckList)
    for (int i = 0; i < tab.CheckList->count(); ++i)
      if (tab.CheckList->item(i)->checkState() == Qt::Checked)
        settings.ListMask |= 1u << i;
  if (tab.RecordLimit)
    settings.RecordLimit = tab.RecordLimit->Value();
  if (tab.Rights)
    settings.Rights = *tab.Rights;
  return settings;
}

void TUprawnieniaForm::SetTabSettings(int group, const TTabSettings &settings) {
  const TGroupTab &tab = Tab(group);
  tab.Level->SetItemIndex(settings.Level);
  // A box that a "Zarządca" box set before it has locked keeps what that box gave it.
  for (QCheckBox *box : tab.Boxes)
    if (box->isEnabled())
      box->setChecked(settings.Ticked.contains(box->objectName()));
  if (tab.Scans)
    tab.Scans->SetItemIndex(settings.Scans);
  if (tab.CheckList)
    for (int i = 0; i < tab.CheckList->count(); ++i)
      tab.CheckList->item(i)->setCheckState((settings.ListMask >> i) & 1u ? Qt::Checked : Qt::Unchecked);
  if (tab.RecordLimit)
    tab.RecordLimit->SetValue(settings.RecordLimit);
  if (tab.Rights) {
    *tab.Rights = settings.Rights;
    if (tab.Rights == &FKorvinRights)
      RefreshKorvinRightsLists();
    else
      RefreshTormiskRightsLists();
  }
}

void TUprawnieniaForm::ApplyManager(QCheckBox *manager, std::initializer_list<QCheckBox *> boxes) {
  for (QCheckBox *box : boxes) {
    box->setChecked(manager->isChecked());
    box->setEnabled(!manager->isChecked());
  }
}

void TUprawnieniaForm::ADMCheckClick(QObject *) { ApplyManager(ADMCheck, {PrintCheck, EditCheck, ExpCheck}); }

void TUprawnieniaForm::CBDravelADMClick(QObject *) {
  ApplyManager(CBDravelADM, {CBDravelPRINT, CBDravelEDIT});
}

void TUprawnieniaForm::CheckBoxADMClick(QObject *) {
  ApplyManager(CheckBoxADM, {CheckBoxPRINT, CheckBoxODS});
}
