#include "ExColSelectFrm.h"

#include "DB.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "ExStatusBar.h"
#include "Field.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int FieldRole = Qt::UserRole + 1;

} // namespace

TExColSelectFrm::TExColSelectFrm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("ExColSelectFrm"));
  SetCaption(QStringLiteral("Customize"));
  SetBorderStyle(bsSizeToolWin);
  SetPosition(poScreenCenter);
  resize(208, 279);
  FColList = new QListWidget(this);
  FColList->setObjectName(QStringLiteral("ColList"));
  FColList->setDragDropMode(QAbstractItemView::InternalMove);
  FColList->setDefaultDropAction(Qt::MoveAction);
  FStatusBar = new TExStatusBar(this);
  FStatusBar->setObjectName(QStringLiteral("AdvStatusBar1"));
  FStatusBar->setFixedHeight(27);
  FOkbtn = new QPushButton(QStringLiteral("&Ok"), FStatusBar);
  FOkbtn->setObjectName(QStringLiteral("Okbtn"));
  FOkbtn->setGeometry(2, 2, 75, 23);
  FOkbtn->setFlat(true);
  FCancelbtn = new QPushButton(QStringLiteral("&Cancel"), FStatusBar);
  FCancelbtn->setObjectName(QStringLiteral("Cancelbtn"));
  FCancelbtn->setGeometry(79, 2, 75, 23);
  FCancelbtn->setFlat(true);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(FColList);
  layout->addWidget(FStatusBar);
  connect(FOkbtn, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(FCancelbtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TExColSelectFrm::FormActivate() {
  FAccepted = true;
  FColList->clear();
  TDataSet *dataSet = FDataSource ? FDataSource->DataSet() : nullptr;
  if (!dataSet)
    return;
  for (int i = 0; i < dataSet->FieldCount(); ++i) {
    TField *field = dataSet->Fields(i);
    if (field->DisplayLabel().toUpper() == QLatin1String("<NO DISPLAY>"))
      continue;
    auto *item = new QListWidgetItem(field->DisplayLabel(), FColList);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
    item->setCheckState(field->Visible() ? Qt::Checked : Qt::Unchecked);
    item->setData(FieldRole, QVariant::fromValue(static_cast<QObject *>(field)));
  }
  if (FColList->count() > 0)
    FColList->setCurrentRow(0);
}

void TExColSelectFrm::FormClose(int modalResult) {
  if (modalResult != mrOk || !FAccepted)
    return;
  bool anyChecked = false;
  for (int i = 0; i < FColList->count(); ++i)
    anyChecked = anyChecked || FColList->item(i)->checkState() == Qt::Checked;
  if (!anyChecked) {
    MessageDlg(QStringLiteral("You Cannot Hide All The Columns."), mtWarning, {mbOK});
    return;
  }
  for (int i = 0; i < FColList->count(); ++i) {
    QListWidgetItem *item = FColList->item(i);
    if (auto *field = dynamic_cast<TField *>(item->data(FieldRole).value<QObject *>()))
      field->SetVisible(item->checkState() == Qt::Checked);
  }
}

void TExColSelectFrm::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    FAccepted = false;
    SetModalResult(mrCancel);
    return;
  }
  TForm::keyPressEvent(event);
}
