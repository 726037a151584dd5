#include "USqlmlF.h"

#include "ActionTools.h"
#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "MemoText.h"
#include "StdCtrls.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

TSQLMonListForm::TSQLMonListForm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("SQLMonListForm"));
  CreateActions();
  SetAction(UpdateFormA);
  PytaniaGrid = new QTableWidget(this);
  PytaniaGrid->setObjectName(QStringLiteral("PytaniaGrid"));
  PytaniaGrid->setColumnCount(1);
  PytaniaGrid->setColumnWidth(0, 220);
  PytaniaGrid->verticalHeader()->setDefaultSectionSize(15);
  PytaniaGrid->horizontalHeader()->hide();
  PytaniaGrid->verticalHeader()->hide();
  PytaniaGrid->setShowGrid(true);
  PytaniaGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  OpisMemo = new QPlainTextEdit(this);
  OpisMemo->setObjectName(QStringLiteral("OpisMemo"));
  FormatMemo = new QPlainTextEdit(this);
  FormatMemo->setObjectName(QStringLiteral("FormatMemo"));
  BitBtn1 = new TButton(this, QString::fromUtf8("Zatwierdź"));
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->SetModalResult(mrOk);
  BitBtn2 = new TButton(this, QStringLiteral("Anuluj"));
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setShortcut(Qt::Key_Escape);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { Guarded(this, [this] { BitBtn2Click(); }); });
  connect(PytaniaGrid, &QTableWidget::currentCellChanged, this,
          [this] { Guarded(this, [this] { PytaniaGridClick(); }); });

  auto *tools = new QHBoxLayout;
  AddActionButtons(tools, this, {OdswierzA, DodajA, ModyfikujA, ZapiszA});
  tools->addStretch();
  auto *texts = new QVBoxLayout;
  texts->addWidget(new QLabel(QStringLiteral("Opis:"), this));
  texts->addWidget(OpisMemo);
  texts->addWidget(new QLabel(QStringLiteral("Format pytania:"), this));
  texts->addWidget(FormatMemo, 1);
  auto *body = new QHBoxLayout;
  body->addWidget(PytaniaGrid);
  body->addLayout(texts, 1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
  resize(640, 400);

  // As a form's creation handler: an unreadable file is reported, the form is made all the same.
  Guarded(this, [this] { OdswierzA->Execute(); });
  UpdateFormAUpdate();
}

void TSQLMonListForm::CreateActions() {
  using F = TSQLMonListForm;
  OdswierzA = NewAction(this, "OdswierzA", "Odśwież listę", &F::OdswierzAExecute);
  DodajA = NewAction(this, "DodajA", "Nowy", &F::DodajAExecute);
  ModyfikujA = NewAction(this, "ModyfikujA", "Modyfikuj", &F::ModyfikujAExecute);
  ZapiszA = NewAction(this, "ZapiszA", "Zapisz", &F::ZapiszAExecute);
  UpdateFormA = NewAction<F>(this, "UpdateFormA", "Wybór zapytania SQL", nullptr);
  UpdateFormA->OnUpdate = [this](QObject *) { UpdateFormAUpdate(); };
}

void TSQLMonListForm::showEvent(QShowEvent *event) {
  TForm::showEvent(event);
  if (FMode == mdNew) {
    FCurrentRow = PytaniaGrid->rowCount();
    Guarded(this, [this] { DodajAExecute(); });
  }
}

void TSQLMonListForm::LoadAll() {
  FItems.FreeAll();
  for (const QString &path : SQLFiles()) {
    FItems.Add(ReadSQLItem(path).release());
  }
}

void TSQLMonListForm::FillGrid() {
  FMoving = true;
  PytaniaGrid->setRowCount(FItems.Count());
  for (int i = 0; i < FItems.Count(); ++i)
    PytaniaGrid->setItem(i, 0, new QTableWidgetItem(FItems.GetItem(i)->Name));
  FMoving = false;
}

void TSQLMonListForm::OdswierzAExecute() {
  // The grid goes first: its rows point at the items that LoadAll frees.
  PytaniaGrid->setRowCount(0);
  try {
    LoadAll();
  } catch (...) {
    FillGrid();
    throw;
  }
  FillGrid();
  if (FItems.Count() > 0) {
    MoveTo(0);
    ShowSelected();
  }
}

void TSQLMonListForm::MoveTo(int row) {
  FMoving = true;
  PytaniaGrid->setCurrentCell(row, 0);
  FMoving = false;
}

void TSQLMonListForm::ShowSelected() {
  const int r = PytaniaGrid->currentRow();
  if (r >= 0 && r < FItems.Count()) {
    OpisMemo->setPlainText(FItems.GetItem(r)->Description);
    FormatMemo->setPlainText(FItems.GetItem(r)->SQL);
  } else {
    OpisMemo->clear();
    FormatMemo->clear();
    if (QTableWidgetItem *cell = PytaniaGrid->item(r, 0))
      cell->setText(QString());
  }
}

void TSQLMonListForm::PytaniaGridClick() {
  if (FMoving)
    return;
  if (FMode == mdBrowse) {
    FCurrentRow = PytaniaGrid->currentRow();
    ShowSelected();
    return;
  }
  if (PytaniaGrid->currentRow() == FCurrentRow)
    return;
  MessageBox(QString::fromUtf8("Należy zatwierdzić lub anulować wprowadzanie zmian."),
             QStringLiteral("Uwaga"), MB_OK | MB_ICONINFORMATION);
  MoveTo(FCurrentRow);
  Abort();
}

QLineEdit *TSQLMonListForm::NameEditor() const {
  const int row = FCurrentRow;
  return row >= 0 && row < PytaniaGrid->rowCount()
             ? qobject_cast<QLineEdit *>(PytaniaGrid->cellWidget(row, 0))
             : nullptr;
}

void TSQLMonListForm::OpenNameEditor(int row) {
  auto *editor = new QLineEdit(CellText(row));
  editor->setObjectName(QStringLiteral("NameEditor"));
  PytaniaGrid->setCellWidget(row, 0, editor);
  editor->setFocus();
}

void TSQLMonListForm::CloseNameEditor() {
  for (int row = 0; row < PytaniaGrid->rowCount(); ++row)
    PytaniaGrid->removeCellWidget(row, 0);
}

QString TSQLMonListForm::CellText(int row) const {
  if (auto *editor = qobject_cast<QLineEdit *>(PytaniaGrid->cellWidget(row, 0)))
    return editor->text();
  const QTableWidgetItem *cell = PytaniaGrid->item(row, 0);
  return cell ? cell->text() : QString();
}

void TSQLMonListForm::DodajAExecute() {
  FItems.Add(new TSQLItem);
  const int last = FItems.Count() - 1;
  PytaniaGrid->setRowCount(FItems.Count());
  PytaniaGrid->setItem(last, 0, new QTableWidgetItem);
  // Moving there counts as a click: in browse mode the new row becomes the edited one, its empty
  // texts shown.
  PytaniaGrid->setCurrentCell(last, 0);
  FMode = mdNew;
  UpdateFormAUpdate();
  OpenNameEditor(last);
}

void TSQLMonListForm::ModyfikujAExecute() {
  if (FItems.Count() == 0) {
    DodajAExecute();
    return;
  }
  FCurrentRow = PytaniaGrid->currentRow();
  FMode = mdEdit;
  UpdateFormAUpdate();
  OpenNameEditor(FCurrentRow);
}

void TSQLMonListForm::Refuse(const char *text) {
  MessageBox(QString::fromUtf8(text), QStringLiteral("Uwaga"), MB_OK | MB_ICONINFORMATION);
  Abort();
}

void TSQLMonListForm::ZapiszAExecute() {
  const int row = PytaniaGrid->currentRow();
  TSQLItem *item = FItems.GetItem(row);
  const QString name = CellText(row);
  // The file's header holds the description on one line: a line break there would push the "****"
  // line off its place and turn the header into part of the statement.
  const QString description = OneLine(OpisMemo->toPlainText());
  const QString sql = MemoText(FormatMemo);
  // A file without a name lists as its file name; one without a statement reads back without its header.
  if (name.trimmed().isEmpty())
    Refuse("Podaj nazwę zapytania.");
  if (sql.trimmed().isEmpty())
    Refuse("Podaj treść zapytania.");
  QString target;
  if (FMode == mdEdit && !item->FileName.isEmpty()) {
    target = SQLFolder() + item->FileName;
  } else {
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Save;
    request.DefaultExt = QStringLiteral("sql");
    request.Filter = QStringLiteral("Pliki SQL|*.sql");
    request.InitialDir = SQLFolder();
    if (!DialogSeam().FileDialog(request))
      Abort();
    target = request.FileName;
  }
  WriteSQLItem(target, name, description, sql);
  item->FileName = QFileInfo(target).fileName();
  item->Name = name;
  item->Description = description;
  item->SQL = sql;
  CloseNameEditor();
  PytaniaGrid->item(row, 0)->setText(name);
  FMode = mdBrowse;
  UpdateFormAUpdate();
}

void TSQLMonListForm::BitBtn2Click() {
  if (FMode == mdBrowse)
    SetModalResult(mrCancel);
  else
    LeaveEditing();
}

void TSQLMonListForm::reject() {
  // Closed by its window button while a row is new or edited: the row is given up as by "Anuluj".
  if (FMode != mdBrowse)
    LeaveEditing();
  TForm::reject();
}

void TSQLMonListForm::LeaveEditing() {
  CloseNameEditor();
  if (FMode == mdNew) {
    const int row = PytaniaGrid->currentRow();
    FMoving = true;
    PytaniaGrid->removeRow(row);
    FMoving = false;
    FItems.DeleteAndFree(row);
  }
  FMode = mdBrowse;
  UpdateFormAUpdate();
  ShowSelected();
}

void TSQLMonListForm::UpdateFormAUpdate() {
  const bool browsing = FMode == mdBrowse;
  BitBtn1->setEnabled(browsing);
  DodajA->SetEnabled(browsing);
  ModyfikujA->SetEnabled(browsing);
  ZapiszA->SetEnabled(!browsing);
  OdswierzA->SetEnabled(browsing);
  OpisMemo->setReadOnly(browsing);
  FormatMemo->setReadOnly(browsing);
}
