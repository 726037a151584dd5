#include "DBCtrls.h"

#include "Application.h"
#include "DB.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "FieldDataLink.h"
#include "MaskEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

namespace {

// Keys that change the text; Return also does in a memo.
bool ChangesText(QKeyEvent *event, bool multiLine) {
  if (multiLine && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
    return true;
  return TCustomEdit::IsEditingKey(event);
}

Qt::Alignment QtAlignment(TAlignment alignment) {
  switch (alignment) {
  case taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
  case taCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
  default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

} // namespace

// ---------------------------------------------------------------- TDBFieldControl

TDBFieldControl::TDBFieldControl(QObject *control) : FDataLink(std::make_unique<TFieldDataLink>()) {
  FDataLink->SetControl(control);
}

TDBFieldControl::~TDBFieldControl() = default;

TDataSource *TDBFieldControl::DataSource() const { return FDataLink->DataSource(); }
void TDBFieldControl::SetDataSource(TDataSource *value) { FDataLink->SetDataSource(value); }
const QString &TDBFieldControl::DataField() const { return FDataLink->FieldName(); }
void TDBFieldControl::SetDataField(const QString &value) { FDataLink->SetFieldName(value); }
TField *TDBFieldControl::Field() const { return FDataLink->Field(); }
bool TDBFieldControl::ReadOnly() const { return FDataLink->ReadOnly(); }
void TDBFieldControl::SetReadOnly(bool value) { FDataLink->SetReadOnly(value); }

// ---------------------------------------------------------------- TDBEdit

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent), TDBFieldControl(this) {
  FDataLink->OnDataChange = [this](TFieldDataLink *) { DataChange(); };
  FDataLink->OnEditingChange = [this](TFieldDataLink *) { EditingChange(); };
  FDataLink->OnUpdateData = [this](TFieldDataLink *) { UpdateData(); };
  connect(this, &QLineEdit::textEdited, this, [this] { FDataLink->Modified(); });
  EditingChange();
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::ShowFieldText() {
  TField *field = FDataLink->Field();
  if (!field) {
    clear();
    return;
  }
  setAlignment(QtAlignment(field->Alignment()));
  if (auto *text = dynamic_cast<TStringField *>(field))
    setMaxLength(text->Size());
  else
    setMaxLength(32767);
  const QString shown = FFocused && FDataLink->CanModify() ? field->Text() : field->DisplayText();
  // Setting the same text again would move the cursor the person is typing at.
  if (shown != text())
    setText(shown);
}

void TDBEdit::DataChange() { ShowFieldText(); }

void TDBEdit::EditingChange() { QLineEdit::setReadOnly(!FDataLink->Editing()); }

void TDBEdit::UpdateData() { FDataLink->Field()->SetText(text()); }

void TDBEdit::keyPressEvent(QKeyEvent *event) {
  Guarded(this, [&] {
    if (event->key() == Qt::Key_Escape && FDataLink->Editing()) {
      FDataLink->Reset();
      selectAll();
      event->accept();
      return;
    }
    if (ChangesText(event, false) && !FDataLink->Edit()) {
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
  });
}

void TDBEdit::focusInEvent(QFocusEvent *event) {
  QLineEdit::focusInEvent(event);
  FFocused = true;
  FDataLink->Reset();
}

void TDBEdit::focusOutEvent(QFocusEvent *event) {
  Guarded(this, [&] {
    try {
      FDataLink->UpdateRecord();
    } catch (...) {
      selectAll();
      setFocus();
      throw;
    }
    FFocused = false;
    FDataLink->Reset();
  });
  QLineEdit::focusOutEvent(event);
}

// ---------------------------------------------------------------- TDBCheckBox

namespace {

bool ValueMatch(const QString &values, const QString &text) {
  for (const QString &value : values.split(u';'))
    if (value.compare(text, Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

} // namespace

TDBCheckBox::TDBCheckBox(QWidget *parent) : QCheckBox(parent), TDBFieldControl(this) {
  FDataLink->OnDataChange = [this](TFieldDataLink *) { DataChange(); };
  FDataLink->OnUpdateData = [this](TFieldDataLink *) { UpdateData(); };
}

TDBCheckBox::~TDBCheckBox() = default;

void TDBCheckBox::SetValueChecked(const QString &value) {
  FValueChecked = value;
  DataChange();
}

void TDBCheckBox::SetValueUnchecked(const QString &value) {
  FValueUnchecked = value;
  DataChange();
}

Qt::CheckState TDBCheckBox::FieldState() const {
  const TField *field = FDataLink->Field();
  if (!field)
    return Qt::Unchecked;
  if (field->IsNull())
    return Qt::PartiallyChecked;
  if (field->DataType() == ftBoolean)
    return field->AsBoolean() ? Qt::Checked : Qt::Unchecked;
  const QString text = field->Text();
  if (ValueMatch(FValueChecked, text))
    return Qt::Checked;
  if (ValueMatch(FValueUnchecked, text))
    return Qt::Unchecked;
  return Qt::PartiallyChecked;
}

void TDBCheckBox::DataChange() {
  const Qt::CheckState state = FieldState();
  setTristate(state == Qt::PartiallyChecked);
  setCheckState(state);
}

void TDBCheckBox::nextCheckState() {
  Guarded(this, [&] {
    if (!FDataLink->Edit())
      return;
    const Qt::CheckState next = checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    setTristate(false);
    setCheckState(next);
    FDataLink->Modified();
    // A check box has no text in progress: the choice goes to the field at once.
    FDataLink->UpdateRecord();
  });
}

void TDBCheckBox::UpdateData() {
  TField *field = FDataLink->Field();
  if (checkState() == Qt::PartiallyChecked)
    field->Clear();
  else if (field->DataType() == ftBoolean)
    field->SetAsBoolean(checkState() == Qt::Checked);
  else
    field->SetText((checkState() == Qt::Checked ? FValueChecked : FValueUnchecked).section(u';', 0, 0));
}

// ---------------------------------------------------------------- TDBMemo

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent), TDBFieldControl(this) {
  FDataLink->OnDataChange = [this](TFieldDataLink *) { DataChange(); };
  FDataLink->OnEditingChange = [this](TFieldDataLink *) { EditingChange(); };
  FDataLink->OnUpdateData = [this](TFieldDataLink *) { UpdateData(); };
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!FLoading)
      FDataLink->Modified();
  });
  EditingChange();
}

TDBMemo::~TDBMemo() = default;

void TDBMemo::DataChange() {
  const TField *field = FDataLink->Field();
  QString text;
  if (field)
    text = field->IsBlob() ? field->AsString() : field->Text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (text == toPlainText())
    return;
  FLoading = true;
  setPlainText(text);
  FLoading = false;
}

void TDBMemo::EditingChange() { QPlainTextEdit::setReadOnly(!FDataLink->Editing()); }

void TDBMemo::UpdateData() {
  QString text = toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  TField *field = FDataLink->Field();
  if (field->IsBlob())
    field->SetAsString(text);
  else
    field->SetText(text);
}

void TDBMemo::keyPressEvent(QKeyEvent *event) {
  Guarded(this, [&] {
    if (event->key() == Qt::Key_Escape && FDataLink->Editing()) {
      FDataLink->Reset();
      event->accept();
      return;
    }
    if (ChangesText(event, true) && !FDataLink->Edit()) {
      event->accept();
      return;
    }
    QPlainTextEdit::keyPressEvent(event);
  });
}

void TDBMemo::focusOutEvent(QFocusEvent *event) {
  Guarded(this, [&] { FDataLink->UpdateRecord(); });
  QPlainTextEdit::focusOutEvent(event);
}

// ---------------------------------------------------------------- TDBNavigator

namespace {

class TNavDataLink : public TDataLink {
public:
  explicit TNavDataLink(TDBNavigator *navigator) : FNavigator(navigator) {}

protected:
  void ActiveChanged() override { FNavigator->UpdateButtons(); }
  void EditingChanged() override { FNavigator->UpdateButtons(); }
  void DataSetChanged() override { FNavigator->UpdateButtons(); }

private:
  TDBNavigator *FNavigator;
};

const std::array<const char *, nbRefresh + 1> DefaultHints = {
    "First record",  "Prior record", "Next record", "Last record", "Insert record",
    "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};

const std::array<const char *, nbRefresh + 1> Glyphs = {"|\u25C0", "\u25C0", "\u25B6", "\u25B6|", "+",
                                                        "\u2212",  "\u25B2", "\u2714", "\u2716",  "\u21BB"};

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent)
    : QWidget(parent), FDataLink(std::make_unique<TNavDataLink>(this)) {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = nbFirst; i <= nbRefresh; ++i) {
    const auto kind = TNavigateBtn(i);
    auto *button = new QToolButton(this);
    button->setText(QString::fromUtf8(Glyphs[std::size_t(i)]));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [this, kind] { Guarded(this, [&] { BtnClick(kind); }); });
    layout->addWidget(button);
    FButtons[std::size_t(i)] = button;
    FVisibleButtons.insert(kind);
  }
  SetHints({});
  UpdateButtons();
}

TDBNavigator::~TDBNavigator() = default;

TDataSource *TDBNavigator::DataSource() const { return FDataLink->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource *value) {
  FDataLink->SetDataSource(value);
  UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(const TButtonSet &value) {
  FVisibleButtons = value;
  for (int i = nbFirst; i <= nbRefresh; ++i)
    FButtons[std::size_t(i)]->setVisible(value.count(TNavigateBtn(i)) > 0);
}

void TDBNavigator::SetHints(const QStringList &value) {
  FHints = value;
  for (int i = nbFirst; i <= nbRefresh; ++i) {
    const QString hint = i < value.size() && !value[i].isEmpty()
                             ? value[i]
                             : QString::fromLatin1(DefaultHints[std::size_t(i)]);
    FButtons[std::size_t(i)]->setToolTip(hint);
  }
}

void TDBNavigator::UpdateButtons() {
  const bool active = FDataLink->Active();
  TDataSet *dataSet = FDataLink->DataSet();
  const bool up = active && !dataSet->Bof();
  const bool down = active && !dataSet->Eof();
  const bool canModify = active && dataSet->CanModify();
  const bool editing = FDataLink->Editing();
  const bool enabled[] = {up,
                          up,
                          down,
                          down,
                          canModify,
                          canModify && !(dataSet->Bof() && dataSet->Eof()),
                          canModify && !editing,
                          canModify && editing,
                          canModify && editing,
                          active};
  for (int i = nbFirst; i <= nbRefresh; ++i)
    FButtons[std::size_t(i)]->setEnabled(enabled[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  TDataSet *dataSet = FDataLink->DataSet();
  if (!dataSet)
    return;
  if (BeforeAction)
    BeforeAction(this, button);
  switch (button) {
  case nbFirst: dataSet->First(); break;
  case nbPrior: dataSet->Prior(); break;
  case nbNext: dataSet->Next(); break;
  case nbLast: dataSet->Last(); break;
  case nbInsert: dataSet->Insert(); break;
  case nbEdit: dataSet->Edit(); break;
  case nbPost: dataSet->Post(); break;
  case nbCancel: dataSet->Cancel(); break;
  case nbRefresh: dataSet->Refresh(); break;
  case nbDelete:
    if (!FConfirmDelete ||
        MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, {mbOK, mbCancel}) != mrCancel)
      dataSet->Delete();
    break;
  }
  if (OnClick)
    OnClick(this, button);
}
