#include "UParSql.h"

#include "Dialogs.h"
#include "IBQuery.h"
#include "StdCtrls.h"
#include "UIBParamsFrame.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TSQLParamsForm::TSQLParamsForm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("SQLParamsForm"));
  SetCaption(QStringLiteral("Parametry zapytania"));
  SetPosition(poScreenCenter);
  Frame = new TIBParamsFrame(this);
  ButtonPanel = new QWidget(this);
  ButtonPanel->setFixedHeight(41);
  btnOK = new TButton(ButtonPanel, QString::fromUtf8("Zatwierdź"));
  btnOK->SetModalResult(mrOk);
  btnOK->SetDefault(true);
  btnCancel = new TButton(ButtonPanel, QStringLiteral("Anuluj"));
  btnCancel->SetModalResult(mrCancel);
  auto *buttons = new QHBoxLayout(ButtonPanel);
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Frame, 1);
  layout->addWidget(ButtonPanel);
}

void TSQLParamsForm::Bind(TIBQuery *query) {
  FQuery = query;
  Frame->SetTransaction(query->Transaction());
  Frame->SetSQLParams(&query->SQLParams());
  Frame->SetParams(&query->Params());
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  ButtonPanel->hide();
  Frame->BuildPanels();
  ButtonPanel->show();
  resize(Frame->width(), Frame->height() + ButtonPanel->height());
  setFixedHeight(height());
  setMinimumWidth(width());
}

void TSQLParamsForm::WriteBack() { Frame->WriteValues(); }
