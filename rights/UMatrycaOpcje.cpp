#include "UMatrycaOpcje.h"

#include "Application.h"
#include "DBGridColumns.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "ExDBGrid.h"
#include "Fields.h"
#include "StdCtrls.h"
#include "woxMemTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QString kDruk = QStringLiteral("Druk");
const QString kDrukUsers = QStringLiteral("DRUK");

// The copied columns are read-only; only the "Drukuj" box may change.
void AddField(TwoxMemTable *table, const char *name, TFieldType type, int size = 0,
              const char *label = nullptr) {
  TField *field = CreateFieldOfType(type, table);
  field->SetFieldName(QString::fromLatin1(name));
  if (size > 0)
    field->SetSize(size);
  if (label)
    field->SetDisplayLabel(QString::fromUtf8(label));
  field->SetReadOnly(type != ftBoolean);
  field->SetDataSet(table);
}

// Calls visit on every record from the first, the controls held still meanwhile.
template <class Visit> void ForEachRecord(TDataSet *table, Visit &&visit) {
  table->DisableControls();
  try {
    for (table->First(); !table->Eof(); table->Next())
      visit();
  } catch (...) {
    table->EnableControls();
    throw;
  }
  table->EnableControls();
}

// "Zaznacz wszystko" and "Odznacz wszystko": edit, set, post, next.
void TickAll(TDataSet *table, const QString &box, bool value) {
  TField *field = table->FieldByName(box);
  ForEachRecord(table, [&] {
    table->Edit();
    field->SetAsBoolean(value);
    table->Post();
  });
}

TButton *NewButton(QWidget *parent, const char *name, const QString &caption) {
  auto *button = new TButton(parent, caption);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

TExDBGrid *NewGrid(QWidget *parent, const char *name, TDataSource *source,
                   std::initializer_list<const char *> columns) {
  auto *grid = new TExDBGrid(parent);
  grid->setObjectName(QString::fromLatin1(name));
  grid->SetDataSource(source);
  for (const char *column : columns)
    grid->Columns().Add()->SetFieldName(QString::fromLatin1(column));
  return grid;
}

// A list's label above its grid, its two buttons below.
QLayout *GridBox(const QString &label, TExDBGrid *grid, TButton *pickAll, TButton *clearAll) {
  auto *box = new QVBoxLayout;
  box->addWidget(new QLabel(label, grid->parentWidget()));
  box->addWidget(grid, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(pickAll);
  buttons->addWidget(clearAll);
  buttons->addStretch(1);
  box->addLayout(buttons);
  return box;
}

} // namespace

TMatrycaOpcje::TMatrycaOpcje(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("MatrycaOpcje"));
  SetCaption(QStringLiteral("Elementy matrycy"));
  SetBorderStyle(bsDialog);
  SetPosition(poOwnerFormCenter);
  CreateTables();

  ExDBGrid1 = NewGrid(this, "ExDBGrid1", DataSourceBazy, {"Nazwa", "Baza", "Druk"});
  ExDBGrid2 = NewGrid(this, "ExDBGrid2", DataSourceUsers, {"USER_NAME", "DRUK"});
  Button1 = NewButton(this, "Button1", QStringLiteral("Zaznacz wszystko"));
  Button2 = NewButton(this, "Button2", QStringLiteral("Odznacz wszystko"));
  Button3 = NewButton(this, "Button3", QStringLiteral("Zaznacz wszystko"));
  Button4 = NewButton(this, "Button4", QStringLiteral("Odznacz wszystko"));

  auto *layout = new QVBoxLayout(this);
  auto *lists = new QHBoxLayout;
  lists->addLayout(GridBox(QStringLiteral("Lista baz do wydruku:"), ExDBGrid1, Button1, Button2), 3);
  lists->addLayout(GridBox(QString::fromUtf8("Lista użytkowników do wydruku:"), ExDBGrid2, Button3, Button4),
                   2);
  layout->addLayout(lists, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  BitBtn1 = NewButton(this, "BitBtn1", QStringLiteral("OK"));
  BitBtn1->SetModalResult(mrOk);
  BitBtn1->SetDefault(true);
  BitBtn2 = NewButton(this, "BitBtn2", QStringLiteral("Anuluj"));
  BitBtn2->SetModalResult(mrCancel);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  layout->addLayout(buttons);

  connect(Button1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button1Click(Button1); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button2Click(Button2); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button3Click(Button3); }); });
  connect(Button4, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button4Click(Button4); }); });
  resize(760, 460);
}

TMatrycaOpcje::~TMatrycaOpcje() = default;

void TMatrycaOpcje::CreateTables() {
  TableBazy = new TwoxMemTable(this);
  TableBazy->setObjectName(QStringLiteral("TableBazy"));
  AddField(TableBazy, "Nazwa", ftString, 200);
  AddField(TableBazy, "Baza", ftString, 300);
  AddField(TableBazy, "Druk", ftBoolean, 0, "Drukuj");
  TableBazy->OnLoadRecord = [this](TDataSet *dataSet, bool &accept) { TableBazyLoadRecord(dataSet, accept); };
  TableBazy->Open();

  TableUsers = new TwoxMemTable(this);
  TableUsers->setObjectName(QStringLiteral("TableUsers"));
  AddField(TableUsers, "USER_NAME", ftString, 50, "Użytkownik");
  TableUsers->FieldByName(QStringLiteral("USER_NAME"))->SetRequired(true);
  AddField(TableUsers, "PSWD_DATE", ftDateTime);
  AddField(TableUsers, "FIRST_NAME", ftString, 50);
  AddField(TableUsers, "SECOND_NAME", ftString, 50);
  AddField(TableUsers, "USER_ID", ftString, 11);
  AddField(TableUsers, "PSWD_VALID", ftSmallint);
  AddField(TableUsers, "DRUK", ftBoolean, 0, "Drukuj");
  TableUsers->OnLoadRecord = [this](TDataSet *dataSet, bool &accept) {
    TableUsersLoadRecord(dataSet, accept);
  };
  TableUsers->Open();

  DataSourceBazy = new TDataSource(this);
  DataSourceBazy->SetDataSet(TableBazy);
  DataSourceUsers = new TDataSource(this);
  DataSourceUsers->SetDataSet(TableUsers);
}

void TMatrycaOpcje::TableBazyLoadRecord(TDataSet *DataSet, bool &) {
  DataSet->FieldByName(kDruk)->SetAsBoolean(true);
}

void TMatrycaOpcje::TableUsersLoadRecord(TDataSet *DataSet, bool &) {
  DataSet->FieldByName(kDrukUsers)->SetAsBoolean(true);
}

void TMatrycaOpcje::Button1Click(QObject *) { TickAll(TableBazy, kDruk, true); }

void TMatrycaOpcje::Button2Click(QObject *) { TickAll(TableBazy, kDruk, false); }

void TMatrycaOpcje::Button3Click(QObject *) { TickAll(TableUsers, kDrukUsers, true); }

void TMatrycaOpcje::Button4Click(QObject *) { TickAll(TableUsers, kDrukUsers, false); }

std::vector<TMatrixDatabase> TMatrycaOpcje::PickedDatabases() {
  std::vector<TMatrixDatabase> picked;
  TField *nazwa = TableBazy->FieldByName(QStringLiteral("Nazwa"));
  TField *baza = TableBazy->FieldByName(QStringLiteral("Baza"));
  TField *druk = TableBazy->FieldByName(kDruk);
  ForEachRecord(TableBazy, [&] {
    if (druk->AsBoolean())
      picked.push_back({nazwa->AsString(), baza->AsString()});
  });
  return picked;
}

QStringList TMatrycaOpcje::PickedUsers() {
  QStringList picked;
  TField *name = TableUsers->FieldByName(QStringLiteral("USER_NAME"));
  TField *druk = TableUsers->FieldByName(kDrukUsers);
  ForEachRecord(TableUsers, [&] {
    if (druk->AsBoolean())
      picked.append(name->AsString());
  });
  return picked;
}
