#include "UGrupy.h"

#include "DBCtrls.h"
#include "DBGridColumns.h"
#include "DBGrids.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "Fields.h"
#include "IBQuery.h"
#include "IBTransaction.h"
#include "StdCtrls.h"
#include "UFormLayout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TGrupyForm::TGrupyForm(QWidget *owner, TIBDatabase *database) : TForm(owner) {
  setObjectName(QStringLiteral("GrupyForm"));
  SetCaption(QStringLiteral("Grupy"));
  SetPosition(poMainFormCenter);

  Transaction = new TIBTransaction(this);
  Transaction->SetDefaultDatabase(database);
  Transaction->Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
  Transaction->SetDefaultAction(taRollback);
  grupy = new TIBQuery(this);
  grupy->setObjectName(QStringLiteral("grupy"));
  grupy->SetDatabase(database);
  grupy->SetTransaction(Transaction);
  grupy->SQL().Assign({QStringLiteral("select * from"), QStringLiteral("("),
                       QStringLiteral("select distinct GRUPA, 1 as srt from USERS"),
                       QStringLiteral("where GRUPA is not null"), QStringLiteral("union"),
                       QStringLiteral("select 'Wszystkie' as GRUPA ,0 as srt from rdb$database"),
                       QStringLiteral(")"), QStringLiteral("order by srt, GRUPA")});
  dsGrupy = new TDataSource(this);
  dsGrupy->SetDataSet(grupy);
  dsGrupy->SetAutoEdit(false);

  auto *outer = new QVBoxLayout(this);
  DBGrid1 = new TDBGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetDataSource(dsGrupy);
  TColumn *column = DBGrid1->Columns().Add();
  column->SetFieldName(QStringLiteral("GRUPA"));
  column->Title().SetCaption(QStringLiteral("Grupa"));
  outer->addWidget(DBGrid1);

  auto *buttons = new QHBoxLayout;
  DBNavigator1 = new TDBNavigator(this);
  DBNavigator1->SetDataSource(dsGrupy);
  DBNavigator1->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbRefresh});
  buttons->addWidget(DBNavigator1);
  buttons->addStretch();
  BitBtn1 = AddDialogButton(this, buttons, QStringLiteral("OK"), QStringLiteral("BitBtn1"), mrOk);
  BitBtn1->SetDefault(true);
  BitBtn2 = AddDialogButton(this, buttons, QStringLiteral("Anuluj"), QStringLiteral("BitBtn2"), mrCancel);
  outer->addLayout(buttons);
  resize(260, 320);
  FormCreate();
}

void TGrupyForm::FormCreate() {
  Transaction->StartTransaction();
  grupy->Open();
}

QString TGrupyForm::ChosenGroup() const { return grupy->FieldByName(QStringLiteral("GRUPA"))->AsString(); }
