#include "UMatrycaUprawnien.h"

#include "Application.h"
#include "DBCtrls.h"
#include "DBGridColumns.h"
#include "DataSource.h"
#include "DatabaseListFormat.h"
#include "DatabaseListKeeper.h"
#include "DatabaseRoleGrants.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBTransaction.h"
#include "MxDBCtrl.h"
#include "ProgramFolder.h"
#include "ProgramGroups.h"
#include "StdCtrls.h"
#include "Win1250.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const QStringList kNavigatorHints = {QStringLiteral("Pierwszy"), QStringLiteral("Poprzedni"),
                                     QStringLiteral("Następny"), QStringLiteral("Ostatni"),
                                     QStringLiteral("Wstaw"),    QStringLiteral("Usuń"),
                                     QStringLiteral("Edycja"),   QStringLiteral("Zatwierdż zmiany"),
                                     QStringLiteral("Anuluj"),   QStringLiteral("Odśwież")};

TDBNavigator *NewNavigator(QWidget *parent, const char *name, TDataSource *source,
                           const TButtonSet &buttons) {
  auto *navigator = new TDBNavigator(parent);
  navigator->setObjectName(QString::fromLatin1(name));
  navigator->SetDataSource(source);
  navigator->SetVisibleButtons(buttons);
  navigator->SetHints(kNavigatorHints);
  return navigator;
}

TButton *NewButton(QWidget *parent, const char *name, const QString &caption) {
  auto *button = new TButton(parent, caption);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

} // namespace

TMatrycaUprawnien::TMatrycaUprawnien(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("MatrycaUprawnien"));
  SetCaption(QString::fromUtf8("Matryca uprawnień"));
  SetPosition(poOwnerFormCenter);
  CreateDataComponents();
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(CreateGrid(), 1);
  layout->addLayout(CreateButtons());
  resize(720, 420);
  FormCreate(this);
}

TMatrycaUprawnien::~TMatrycaUprawnien() = default;

QString TMatrycaUprawnien::ListPath() { return ProgramFolder() + QStringLiteral("bazy.txt"); }

void TMatrycaUprawnien::CreateDataComponents() {
  TableBazy = new TwoxMemTable(this);
  TableBazy->setObjectName(QStringLiteral("TableBazy"));
  for (const auto &[name, size] :
       {std::pair{"Nazwa", 200}, std::pair{"Baza", BazaSize}, std::pair{"Grupa", 100}}) {
    TField *field = CreateFieldOfType(ftString, TableBazy);
    field->SetFieldName(QString::fromLatin1(name));
    field->SetSize(size);
    field->SetDataSet(TableBazy);
  }
  // The list's own layout: a header line and quoted values, no definitions section.
  CSVFormat = new TDatabaseListFormat(this);
  CSVFormat->setObjectName(QStringLiteral("CSVFormat"));
  CSVFormat->SetsfDef(0);
  CSVFormat->SetsfQuoteOnlyStrings(sfSaveQuoteOnlyStrings);
  CSVFormat->SetFileName(ListPath());
  TableBazy->SetDefaultFormat(CSVFormat);
  FDatabaseList = std::make_unique<TDatabaseListKeeper>(ListPath(), *TableBazy);
  DataSource = new TDataSource(this);
  DataSource->SetDataSet(TableBazy);

  Database = new TIBDatabase(this);
  Database->setObjectName(QStringLiteral("Database"));
  Database->SetSQLDialect(3);
  Database->SetLoginPrompt(false);
  Transaction = new TIBTransaction(this);
  Transaction->setObjectName(QStringLiteral("Transaction"));
  Transaction->SetDefaultDatabase(Database);
  Database->SetDefaultTransaction(Transaction);
  Query = new TIBQuery(this);
  Query->setObjectName(QStringLiteral("Query"));
  Query->SetDatabase(Database);
  Query->SetTransaction(Transaction);
  Query->SQL().SetText(TDatabaseRoleGrants::SQL());
}

QWidget *TMatrycaUprawnien::CreateGrid() {
  DBGrid = new TMxDBGrid(this);
  DBGrid->setObjectName(QStringLiteral("DBGrid"));
  DBGrid->SetDataSource(DataSource);
  for (const auto &[name, width] :
       {std::pair{"Nazwa", 200}, std::pair{"Baza", 330}, std::pair{"Grupa", 110}}) {
    TColumn *column = DBGrid->Columns().Add();
    column->SetFieldName(QString::fromLatin1(name));
    column->SetWidth(width);
  }
  DBGrid->Columns()[1]->SetButtonStyle(cbsEllipsis);
  DBGrid->OnEditButtonClick = [this](QObject *sender) { DBGridEditButtonClick(sender); };
  return DBGrid;
}

QLayout *TMatrycaUprawnien::CreateButtons() {
  DBNavigator1 = NewNavigator(this, "DBNavigator1", DataSource, {nbFirst, nbPrior, nbNext, nbLast});
  DBNavigator2 = NewNavigator(this, "DBNavigator2", DataSource,
                              {nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh});
  cbPokaz = new QCheckBox(QString::fromUtf8("Pokaż w przeglądarce"), this);
  cbPokaz->setObjectName(QStringLiteral("cbPokaz"));
  cbPokaz->setChecked(true);
  BitBtn1 = NewButton(this, "BitBtn1", QString::fromUtf8("Utwórz matrycę"));
  BitBtn3 = NewButton(this, "BitBtn3", QString::fromUtf8("Zapisz i wyjdź"));
  BitBtn2 = NewButton(this, "BitBtn2", QStringLiteral("Anuluj"));
  BitBtn2->SetModalResult(mrCancel);
  // Both are default buttons, but the toolkit keeps only the last one set: Enter makes the matrix,
  // which asks before it writes anything, rather than overwrite the list and close.
  BitBtn3->SetDefault(true);
  BitBtn1->SetDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { BitBtn1Click(BitBtn1); }); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { Guarded(this, [this] { BitBtn3Click(BitBtn3); }); });

  auto *rows = new QVBoxLayout;
  auto *navigators = new QHBoxLayout;
  navigators->addWidget(DBNavigator1);
  navigators->addWidget(DBNavigator2);
  navigators->addStretch(1);
  rows->addLayout(navigators);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(cbPokaz);
  buttons->addStretch(1);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn3);
  buttons->addWidget(BitBtn2);
  rows->addLayout(buttons);
  return rows;
}

void TMatrycaUprawnien::FormCreate(QObject *) {
  TableBazy->Open();
  // An unreadable list is told, and the window opens with the table as it was before the load.
  try {
    FDatabaseList->Load();
  } catch (...) {
    HandleCurrentException(this);
  }
  SetupGroupPickList();
}

void TMatrycaUprawnien::SetupGroupPickList() {
  TField *group = TableBazy->FindField(QStringLiteral("GRUPA"));
  for (int i = 0; i < DBGrid->Columns().Count(); ++i) {
    TColumn *column = DBGrid->Columns()[i];
    if (!group || column->Field() != group)
      continue;
    for (const TProgramGroup &programGroup : ProgramGroups())
      column->PickList().append(programGroup.Name);
    column->PickList().sort(Qt::CaseInsensitive);
    column->SetDropDownRows(ProgramGroupCount);
    return;
  }
}

void TMatrycaUprawnien::DBGridEditButtonClick(QObject *) {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Open;
  request.Filter = QStringLiteral("Baza Firebird (*.fdb)|*.fdb|Wszystkie pliki|*.*");
  if (!DialogSeam().FileDialog(request))
    return;
  if (const QString refusal = RefusedPath(request.FileName); !refusal.isEmpty()) {
    MessageBox(refusal, QStringLiteral("Uwaga"), MB_ICONEXCLAMATION);
    Abort();
  }
  TField *field = DBGrid->SelectedField();
  if (!field)
    return;
  TableBazy->Edit();
  field->SetAsString(request.FileName);
}

QString TMatrycaUprawnien::RefusedPath(const QString &path) {
  // The field would keep only the start of a longer path.
  if (path.size() > BazaSize)
    return QString::fromUtf8("Ścieżka pliku ma %1 znaków, a pole „Baza” mieści najwyżej %2:\r\n%3")
        .arg(QString::number(path.size()), QString::number(BazaSize), path);
  if (!Win1250::CanEncode(path))
    return QString::fromUtf8("Ścieżka pliku ma znaki, których nie da się zapisać w pliku bazy.txt "
                             "(Windows-1250):\r\n%1")
        .arg(path);
  return QString();
}

void TMatrycaUprawnien::PostPendingEdit() {
  if (TableBazy->State() == dsEdit || TableBazy->State() == dsInsert)
    TableBazy->Post();
}

void TMatrycaUprawnien::BitBtn3Click(QObject *) {
  PostPendingEdit();
  FDatabaseList->Save();
  SetModalResult(mrOk);
}

void TMatrycaUprawnien::BitBtn1Click(QObject *) {
  PostPendingEdit();
  GenerateRightsMatrix();
  SetModalResult(mrOk);
}
