// The column layout of TExDBGrid in the registry, its export and its search box.
#include "DBCtrls.h"
#include "ExDBGrid.h"
#include "ExDBGridEditors.h"
#include "ExDBGridLayoutStore.h"

#include "Application.h"
#include "DB.h"
#include "Dialogs.h"
#include "Field.h"
#include "FieldDefs.h"
#include "Registry.h"

#include <QKeyEvent>
#include <QLineEdit>

// --- export ---

void TExDBGrid::ExportGrid(const QString &FileName) {
  if (!DataLink()->Active())
    return;
  const QString fileName = FileName.isEmpty() ? TExDBGridExport::DefaultFileName() : FileName;
  TExDBGridExport::Write(*this, FExportDelimiter, fileName);
  MessageDlg(QStringLiteral("Exported To File: ") + fileName, mtInformation, {mbOK});
}

// --- layout ---

QString TExDBGrid::LayoutKey() {
  if (FRegistrySaveName.isEmpty())
    FRegistrySaveName = QStringLiteral("ExDBGrid");
  return QStringLiteral("\\Software\\") + FRegistrySaveName;
}

void TExDBGrid::SaveLayout() {
  const QString key = LayoutKey();
  if (!DataLink()->Active())
    return;
  // Each value describes its own column, so a reordered grid comes back as it was.
  std::vector<TLayoutEntry> entries;
  for (int i = 0; i < Columns().Count(); ++i) {
    TColumn *column = Columns()[i];
    TField *field = column->Field();
    entries.push_back(
        {column->FieldName(), column->Visible() && (!field || field->Visible()), column->Width()});
  }
  TExDBGridLayoutStore::Save(key, entries);
}

void TExDBGrid::LoadLayout() {
  FGridAutoSize = false;
  FGridAutoWidth = awNone;
  const QString key = LayoutKey();
  TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
  if (!dataSet)
    return;
  const std::optional<std::vector<TLayoutEntry>> stored = TExDBGridLayoutStore::Load(key);
  if (!stored)
    return;
  std::vector<TLayoutEntry> entries;
  for (const TLayoutEntry &entry : *stored)
    if (dataSet->FindField(entry.FieldName))
      entries.push_back(entry);
  // Fields the layout does not name (a layout of another dataset names none) stay as they are.
  BeginLayout();
  try {
    for (size_t i = 0; i < entries.size(); ++i) {
      TField *field = dataSet->FindField(entries[i].FieldName);
      field->SetIndex(std::min(int(i), dataSet->FieldCount() - 1));
      field->SetVisible(entries[i].Visible);
    }
  } catch (...) {
    EndLayout();
    throw;
  }
  EndLayout();
  for (const TLayoutEntry &entry : entries)
    for (int c = 0; entry.Visible && entry.Width >= 0 && c < Columns().Count(); ++c)
      if (Columns()[c]->FieldName().compare(entry.FieldName, Qt::CaseInsensitive) == 0)
        Columns()[c]->SetWidth(entry.Width);
}

// --- search box ---

void TExDBGrid::SetSearchMode(bool value) {
  if (FSearchMode == value)
    return;
  FSearchMode = value;
  if (!value)
    HideSearchEdit();
  InvalidateGrid();
}

void TExDBGrid::TitleClick(TColumn *Column) {
  if (FSearchMode && Column)
    ShowSearchEdit(Column);
  TDBGrid::TitleClick(Column);
}

void TExDBGrid::ShowSearchEdit(TColumn *Column) {
  const QRect rect = CellRect(Column->Index() + IndicatorOffset(), 0);
  if (!FSearchEdit) {
    FSearchEdit = new QLineEdit(viewport());
    FSearchEdit->setFrame(false);
    connect(FSearchEdit, &QLineEdit::textChanged, this,
            [this] { Guarded(this, [this] { SearchEditChange(); }); });
    connect(FSearchEdit, &QLineEdit::returnPressed, this, [this] { HideSearchEdit(); });
    connect(FSearchEdit, &QLineEdit::editingFinished, this, [this] {
      if (FSearchEdit->isVisible() && !FSearchEdit->hasFocus())
        HideSearchEdit();
    });
    FSearchEdit->installEventFilter(this);
  }
  FSearchEdit->hide();
  FSearchEdit->setGeometry(rect);
  FSearchEdit->setFont(Font().ToQFont());
  ApplyEditColor(*FSearchEdit, FEditColor);
  TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
  TField *field = Column->Field();
  if (!dataSet || !field)
    return;
  // Searching needs an index on exactly that field.
  bool indexed = false;
  for (int i = 0; i < dataSet->IndexDefs().Count(); ++i)
    indexed = indexed || dataSet->IndexDefs().Items(i)->Fields() == field->FieldName();
  if (!indexed)
    return;
  FSearchEdit->setProperty("searchField", field->FieldName());
  FSearchEdit->blockSignals(true);
  FSearchEdit->clear();
  FSearchEdit->blockSignals(false);
  FSearchEdit->show();
  FSearchEdit->setFocus(Qt::OtherFocusReason);
}

void TExDBGrid::SearchEditChange() {
  const QString text = FSearchEdit->text();
  TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
  if (text.isEmpty() || !dataSet)
    return;
  dataSet->Locate(FSearchEdit->property("searchField").toString(), text, loCaseInsensitive | loPartialKey);
}

bool TExDBGrid::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FSearchEdit && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
    HideSearchEdit();
    return true;
  }
  if (FEditors && FEditors->Filter(watched, event))
    return true;
  if (FFormControl && watched == FFormControl && FormControlEvent(event))
    return true;
  return TDBGrid::eventFilter(watched, event);
}

void TExDBGrid::HideSearchEdit() {
  if (!FSearchEdit || !FSearchEdit->isVisible())
    return;
  FSearchEdit->hide();
  if (!hasFocus())
    setFocus(Qt::OtherFocusReason);
}
