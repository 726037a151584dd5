#include "UIBParamPanel.h"

#include "IBSQL.h"
#include "IBTransaction.h"
#include "IBXSQLDA.h"
#include "MxDateEdit.h"
#include "MxSpin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <ibase.h>

namespace {

// Single quotes of the description become the double quotes of a comma text, a pair of them one
// single quote; a double quote of its own ends the text.
QString ConvertQuotes(const QString &rest) {
  QString out;
  for (qsizetype i = 0; i < rest.size(); ++i) {
    const QChar c = rest.at(i);
    const bool pair = i + 1 < rest.size() && rest.at(i + 1) == c;
    if (c == u'\'') {
      out += pair ? u'\'' : u'"';
      i += pair ? 1 : 0;
    } else if (c == u'"') {
      if (!pair)
        break;
      out += u'"';
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

QString QuotedForCommaText(const QString &text) {
  QString doubled = text;
  doubled.replace(u'"', QStringLiteral("\"\""));
  return u'"' + doubled + u'"';
}

// The first column of every row, each quoted, joined by ",".
QString ListQueryResult(const QString &sql, TIBTransaction *transaction) {
  if (!transaction)
    return QString();
  TIBSQL query;
  query.SetDatabase(transaction->DefaultDatabase());
  query.SetTransaction(transaction);
  query.SQL().SetText(sql);
  transaction->EnsureActive();
  query.ExecQuery();
  QStringList items;
  for (; !query.Eof(); query.Next())
    items.append(QuotedForCommaText(query.Fields(0).AsString()));
  query.Close();
  return items.join(u',');
}

void ReplaceSelectValue(TStringList &lines, const QString &key, TIBTransaction *transaction) {
  const QString value = lines.Values(key);
  if (value.toUpper().startsWith(QStringLiteral("@SELECT")))
    lines.SetValues(key, ListQueryResult(value.mid(1), transaction));
}

int BaseType(const TIBXSQLVAR *param) { return param->SQLType() & ~1; }

} // namespace

void ParseParamDescription(const QString &description, QString &caption, TStringList &lines,
                           TIBTransaction *transaction) {
  QString text = description;
  text.remove(QStringLiteral("\r\n"));
  const qsizetype hash = text.indexOf(u'#');
  caption = hash >= 0 ? text.left(hash) : text;
  QString rest = hash >= 0 ? text.mid(hash + 1) : text;
  if (!rest.isEmpty())
    rest = ConvertQuotes(rest);
  lines.SetText(rest.replace(u'#', u'\n'));
  ReplaceSelectValue(lines, QStringLiteral("VALUES"), transaction);
  ReplaceSelectValue(lines, QStringLiteral("DISPLAY"), transaction);
  if (lines.Values(QStringLiteral("DISPLAY")).isEmpty())
    lines.SetValues(QStringLiteral("DISPLAY"), lines.Values(QStringLiteral("VALUES")));
}

TIBParamPanel::TIBParamPanel(QWidget *owner) : QFrame(owner) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  FLabel = new QLabel(this);
  FNullCheck = new QCheckBox(QString::fromUtf8("Wartość pusta"), this);
  connect(FNullCheck, &QCheckBox::clicked, this, [this] { NullClick(); });
}

void TIBParamPanel::SetParam(TIBXSQLVAR *param) {
  if (param == FParam)
    return;
  FParam = param;
  if (FParam) {
    UpdateCaption();
    ReadNull();
    delete FEditor;
    FEditor = CreateEditor();
    FEditor->setParent(this);
    FEditor->installEventFilter(this);
    FEditor->show();
    SetupEditor();
    LoadValue();
  }
  Layout();
}

void TIBParamPanel::UpdateCaption() {
  QFont font = FLabel->font();
  font.setBold(true);
  font.setPointSize(10);
  FLabel->setFont(font);
  if (!FParam) {
    FLabel->clear();
    return;
  }
  ParseParamDescription(FDescription.isEmpty() ? FParam->Name() : FDescription, FCaption, FLines, FTransaction);
  FLabel->setText(FCaption);
}

void TIBParamPanel::ReadNull() { FNullCheck->setChecked(FParam->IsNull()); }

void TIBParamPanel::SetupEditor() { SetEditorEnabled(!FNullCheck->isChecked()); }

void TIBParamPanel::SetEditorEnabled(bool enabled) {
  FEditorEnabled = enabled;
  // The editor stays usable; its colour tells whether its value counts.
  QPalette palette = FEditor->palette();
  palette.setColor(QPalette::Base, enabled ? QColor(Qt::white) : QColor(0xdb, 0xdb, 0xdb));
  FEditor->setPalette(palette);
}

void TIBParamPanel::NullClick() {
  FEditorEnabled = !FNullCheck->isChecked();
  if (FEditor)
    SetEditorEnabled(!FNullCheck->isChecked());
}

bool TIBParamPanel::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FEditor && event->type() == QEvent::FocusIn && FNullCheck->isChecked()) {
    FNullCheck->setChecked(false);
    NullClick();
  }
  return QFrame::eventFilter(watched, event);
}

void TIBParamPanel::Layout() {
  FLabel->adjustSize();
  FNullCheck->adjustSize();
  FLabel->move(5, 5);
  FNullCheck->move(5, FLabel->geometry().bottom() + 10);
  int bottom = std::max(FLabel->geometry().bottom(), FNullCheck->geometry().bottom());
  int right = std::max(FLabel->geometry().right(), FNullCheck->geometry().right());
  if (FEditor) {
    FEditor->resize(FEditor->sizeHint().expandedTo(QSize(150, 0)));
    FEditor->move(FNullCheck->geometry().right() + 20, FNullCheck->y());
    bottom = std::max(bottom, FEditor->geometry().bottom());
    right = std::max(right, FEditor->geometry().right());
  }
  setFixedHeight(bottom + 5);
  setMinimumWidth(right + 5);
  resize(right + 5, bottom + 5);
}

void TIBParamPanel::WriteValue() {
  if (FNullCheck->isChecked())
    FParam->SetIsNull(true);
}

QComboBox *TIBParamPanel::ChoiceEditor() {
  const QString values = FLines.Values(QStringLiteral("VALUES"));
  if (values.isEmpty())
    return nullptr;
  FValues.SetCommaText(values);
  return new QComboBox;
}

void TIBParamPanel::SetupChoice() {
  auto *combo = qobject_cast<QComboBox *>(Editor());
  if (!combo)
    return;
  TStringList display;
  display.SetCommaText(FLines.Values(QStringLiteral("DISPLAY")));
  for (int i = 0; i < display.Count(); ++i)
    combo->addItem(display[i]);
  combo->setEditable(false);
}

void TIBParamPanel::LoadChoice() {
  auto *combo = qobject_cast<QComboBox *>(Editor());
  int index = -1;
  for (int i = 0; i < FValues.Count() && index < 0; ++i)
    if (FValues[i] == FParam->AsString())
      index = i;
  combo->setCurrentIndex(index);
}

bool TIBParamPanel::WriteChoice() {
  auto *combo = qobject_cast<QComboBox *>(Editor());
  if (!combo)
    return false;
  // Without a choice the parameter keeps its value.
  const int index = combo->currentIndex();
  if (index >= 0 && index < FValues.Count())
    Param()->SetAsString(FValues[index]);
  return true;
}

QWidget *TIBStringParamPanel::CreateEditor() {
  if (QComboBox *combo = ChoiceEditor())
    return combo;
  return new QLineEdit;
}

void TIBStringParamPanel::SetupEditor() {
  TIBParamPanel::SetupEditor();
  SetupChoice();
}

void TIBStringParamPanel::LoadValue() {
  if (auto *edit = qobject_cast<QLineEdit *>(Editor()))
    edit->setText(Param()->AsString());
  else
    LoadChoice();
}

void TIBStringParamPanel::WriteValue() {
  if (!WriteChoice())
    Param()->SetAsString(static_cast<QLineEdit *>(Editor())->text());
  TIBParamPanel::WriteValue();
}

QWidget *TIBNumericParamPanel::CreateEditor() {
  if (QComboBox *combo = ChoiceEditor())
    return combo;
  return new TMxSpinEdit;
}

void TIBNumericParamPanel::SetupEditor() {
  TIBParamPanel::SetupEditor();
  SetupChoice();
  auto *spin = qobject_cast<TMxSpinEdit *>(Editor());
  if (!spin)
    return;
  spin->SetButtonKind(bkStandard);
  const auto bounds = [spin](double min, double max, TValueType type) {
    spin->SetMinValue(min);
    spin->SetMaxValue(max);
    spin->SetValueType(type);
  };
  // Scaled numbers (NUMERIC, DECIMAL) are stored as integers but entered with their decimals.
  const TValueType wholeOrScaled = Param()->SQLScale() < 0 ? vtFloat : vtInteger;
  switch (BaseType(Param())) {
  case SQL_LONG:
    bounds(-2147483648.0, 2147483647.0, wholeOrScaled);
    break;
  case SQL_SHORT:
    bounds(-32768, 32767, wholeOrScaled);
    break;
  case SQL_INT64:
    bounds(0, 0, wholeOrScaled);
    break;
  case SQL_DOUBLE:
  case SQL_FLOAT:
    bounds(0, 0, vtFloat);
    break;
  default:
    break;
  }
}

void TIBNumericParamPanel::LoadValue() {
  if (auto *spin = qobject_cast<TMxSpinEdit *>(Editor()))
    spin->SetValue(Param()->AsDouble());
  else
    LoadChoice();
}

void TIBNumericParamPanel::WriteValue() {
  if (!WriteChoice())
    Param()->SetAsDouble(static_cast<TMxSpinEdit *>(Editor())->Value());
  TIBParamPanel::WriteValue();
}

QWidget *TIBDateTimeParamPanel::CreateEditor() { return new TDateEdit; }

void TIBDateTimeParamPanel::SetupEditor() {
  TIBParamPanel::SetupEditor();
  auto *edit = static_cast<TDateEdit *>(Editor());
  edit->SetDialogTitle(QString::fromUtf8("Wybierz datę"));
  edit->SetGlyphKind(gkDropDown);
}

void TIBDateTimeParamPanel::WriteValue() {
  // An empty date edit is no date: NULL, not the null date's 1899-12-30.
  const TDateTime date = static_cast<TDateEdit *>(Editor())->Date();
  if (date == 0)
    Param()->SetIsNull(true);
  else
    Param()->SetAsDateTime(date);
  TIBParamPanel::WriteValue();
}

TIBParamPanel *CreateParamPanel(int sqlType, QWidget *owner) {
  enum TKind { pkString, pkNumeric, pkDate };
  static const struct {
    int Code;
    TKind Kind;
  } classes[] = {{SQL_VARYING, pkString}, {SQL_TEXT, pkString},     {SQL_DOUBLE, pkNumeric},  {SQL_FLOAT, pkNumeric},
                 {SQL_LONG, pkNumeric},   {SQL_SHORT, pkNumeric},   {SQL_TIMESTAMP, pkDate},  {SQL_BLOB, pkString},
                 {SQL_D_FLOAT, pkNumeric}, {SQL_ARRAY, pkString},   {SQL_QUAD, pkString},     {SQL_TYPE_TIME, pkDate},
                 {SQL_TYPE_DATE, pkDate}, {SQL_INT64, pkNumeric},   {590, pkNumeric}};
  const int code = sqlType & ~1;
  for (const auto &entry : classes) {
    if (entry.Code != code)
      continue;
    switch (entry.Kind) {
    case pkString:
      return new TIBStringParamPanel(owner);
    case pkNumeric:
      return new TIBNumericParamPanel(owner);
    case pkDate:
      return new TIBDateTimeParamPanel(owner);
    }
  }
  return nullptr;
}
