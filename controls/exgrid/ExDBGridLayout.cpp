// The column layout of TExDBGrid in the registry, its export and its search box.
#include "DBCtrls.h"
#include "ExDBGrid.h"
#include "ExDateTimePicker.h"

#include "Application.h"
#include "DB.h"
#include "Dialogs.h"
#include "Field.h"
#include "FieldDefs.h"
#include "Registry.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr int ManagedValues = 100;

QString ValueName(int index) { return QStringLiteral("Column%1").arg(index); }

// One stored column: "True|NAME,155", or the older "NAME,155" (always visible).
struct TLayoutEntry {
  QString FieldName;
  bool Visible = true;
  int Width = 0;
};

bool ParseEntry(const QString &value, TLayoutEntry &entry) {
  const int comma = value.indexOf(u',');
  if (comma < 0)
    return false;
  const int bar = value.indexOf(u'|');
  if (bar >= 0 && bar < comma) {
    entry.Visible = value.left(bar) == QLatin1String("True");
    entry.FieldName = value.mid(bar + 1, comma - bar - 1);
  } else {
    entry.Visible = true;
    entry.FieldName = value.left(comma);
  }
  const QString width = value.mid(comma + 1, 20);
  bool ok = false;
  entry.Width = width.toInt(&ok);
  if (!ok)
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(width));
  return !entry.FieldName.isEmpty();
}

} // namespace

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
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(key, true))
    throw ERegistryException(QStringLiteral("Cannot open the registry key ") + key);
  // Each value describes its own column, so a reordered grid comes back as it was.
  const int count = Columns().Count();
  for (int i = 0; i < count; ++i) {
    TColumn *column = Columns()[i];
    TField *field = column->Field();
    const bool visible = column->Visible() && (!field || field->Visible());
    registry.WriteString(ValueName(i), QLatin1String(visible ? "True|" : "False|") + column->FieldName() +
                                           u',' + QString::number(column->Width()));
  }
  for (int i = count; i <= ManagedValues; ++i)
    registry.DeleteValue(ValueName(i));
  registry.CloseKey();
}

void TExDBGrid::LoadLayout() {
  FGridAutoSize = false;
  FGridAutoWidth = awNone;
  const QString key = LayoutKey();
  TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
  if (!dataSet)
    return;
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(key, false))
    return;
  // Everything is read and checked before the first field changes, so a bad value changes nothing.
  std::vector<TLayoutEntry> entries;
  for (int i = 0;; ++i) {
    const QString value = registry.ReadString(ValueName(i));
    if (value.isEmpty())
      break;
    TLayoutEntry entry;
    if (ParseEntry(value, entry) && dataSet->FindField(entry.FieldName))
      entries.push_back(entry);
  }
  registry.CloseKey();
  BeginLayout();
  try {
    for (int i = 0; i < dataSet->FieldCount(); ++i)
      dataSet->Fields(i)->SetVisible(false);
    for (size_t i = 0; i < entries.size(); ++i) {
      TField *field = dataSet->FindField(entries[i].FieldName);
      field->SetIndex(int(i));
      field->SetVisible(entries[i].Visible);
    }
  } catch (...) {
    EndLayout();
    throw;
  }
  EndLayout();
  for (const TLayoutEntry &entry : entries)
    for (int c = 0; entry.Visible && c < Columns().Count(); ++c)
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
  QPalette palette = FSearchEdit->palette();
  palette.setColor(QPalette::Base, ColorToQColor(FEditColor));
  FSearchEdit->setPalette(palette);
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
  if (FMemoEditor && watched == FMemoEditor && MemoEditorEvent(event))
    return true;
  if (FDatePicker && watched == FDatePicker && DatePickerEvent(event))
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
