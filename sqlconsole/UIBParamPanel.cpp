#include "UIBParamPanel.h"

#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "IBXSQLDA.h"
#include "MxDateEdit.h"
#include "MxSpin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <ibase.h>
#include <utility>

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
    items.append(AnsiQuotedStr(query.Fields(0).AsString(), u'"'));
  query.Close();
  return items.join(u',');
}

void ReplaceSelectValue(TStringList &lines, const QString &key, TIBTransaction *transaction) {
  const QString value = lines.Values(key);
  if (value.toUpper().startsWith(QStringLiteral("@SELECT")))
    lines.SetValues(key, ListQueryResult(value.mid(1), transaction));
}

int BaseType(const TIBXSQLVAR *param) { return param->SQLType() & ~1; }

// Whole and scaled numbers are carried as the exact text typed: through a double BIGINT loses digits,
// and a number past its type's range is refused rather than changed.
bool IsExactNumber(const TIBXSQLVAR *param) {
  const int type = BaseType(param);
  return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64;
}

// The range of a whole number of the parameter's type.
std::pair<qint64, qint64> WholeNumberRange(const TIBXSQLVAR *param) {
  switch (BaseType(param)) {
  case SQL_SHORT: return {-32768, 32767};
  case SQL_LONG: return {-2147483648LL, 2147483647LL};
  default: return {INT64_MIN, INT64_MAX};
  }
}

qint64 PowerOfTen(int exponent) {
  qint64 power = 1;
  while (exponent-- > 0)
    power *= 10;
  return power;
}

// The decimal text of an exact number as typed ("-12,50" or "-12.50"), with "." as its point.
QString ExactNumberText(const QString &typed, const TIBXSQLVAR *param) {
  static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
  QString text = typed.trimmed();
  text.replace(FormatSettings().DecimalSeparator, u'.');
  if (text.isEmpty())
    return QStringLiteral("0");
  if (!number.match(text).hasMatch() || (param->SQLScale() == 0 && text.contains(u'.')))
    throw EConvertError(
        QString::fromUtf8("„%1” nie jest poprawną wartością parametru %2").arg(typed, param->Name()));
  return text;
}

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
    FEditor = nullptr;
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
  ParseParamDescription(FDescription.isEmpty() ? FParam->Name() : FDescription, FCaption, FLines,
                        FTransaction);
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
  // A shown text without a stored value would run the statement with NULL.
  TStringList display;
  display.SetCommaText(FLines.Values(QStringLiteral("DISPLAY")));
  if (display.Count() > FValues.Count())
    throw Exception(
        QString::fromUtf8("Parametr „%1”: lista DISPLAY ma więcej pozycji (%2) niż lista VALUES (%3).")
            .arg(FCaption.isEmpty() ? FParam->Name() : FCaption)
            .arg(display.Count())
            .arg(FValues.Count()));
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
  const int scale = -Param()->SQLScale();
  // Scaled numbers (NUMERIC, DECIMAL) are stored as whole numbers but entered with their decimals;
  // the limits of the stored number apply.
  const auto bounds = [spin, scale](double min, double max, TValueType type) {
    const double factor = double(PowerOfTen(scale));
    spin->SetMinValue(min / factor);
    spin->SetMaxValue(max / factor);
    spin->SetValueType(scale > 0 ? vtFloat : type);
    if (scale > 0)
      spin->SetDecimal(scale);
  };
  // Whole and scaled numbers get no limits: the spin would pull a value typed past them back to the
  // limit unseen; writing it refuses such a value instead.
  switch (BaseType(Param())) {
  case SQL_LONG:
  case SQL_SHORT:
  case SQL_INT64: bounds(0, 0, vtInteger); break;
  case SQL_DOUBLE:
  case SQL_FLOAT: bounds(0, 0, vtFloat); break;
  default: break;
  }
}

void TIBNumericParamPanel::LoadValue() {
  auto *spin = qobject_cast<TMxSpinEdit *>(Editor());
  if (!spin)
    LoadChoice();
  else if (IsExactNumber(Param()) && !Param()->IsNull())
    spin->SetText(Param()->AsString().replace(u'.', FormatSettings().DecimalSeparator));
  else
    spin->SetValue(Param()->AsDouble());
}

void TIBNumericParamPanel::WriteValue() {
  if (!WriteChoice()) {
    auto *spin = static_cast<TMxSpinEdit *>(Editor());
    if (!IsExactNumber(Param()))
      Param()->SetAsDouble(spin->CheckValue(spin->Value()));
    else if (Param()->SQLScale() < 0)
      Param()->SetAsString(ExactNumberText(spin->Text(), Param()));
    else {
      bool ok = false;
      const qint64 value = ExactNumberText(spin->Text(), Param()).toLongLong(&ok);
      const auto [min, max] = WholeNumberRange(Param());
      if (!ok || value < min || value > max)
        throw EConvertError(QString::fromUtf8("„%1” nie mieści się w zakresie parametru %2")
                                .arg(spin->Text(), Param()->Name()));
      Param()->SetAsInt64(value);
    }
  }
  TIBParamPanel::WriteValue();
}

QWidget *TIBDateTimeParamPanel::CreateEditor() {
  switch (BaseType(Param())) {
  case SQL_TYPE_TIME: return new QTimeEdit;
  case SQL_TIMESTAMP: return new QDateTimeEdit;
  default: return new TDateEdit;
  }
}

void TIBDateTimeParamPanel::SetupEditor() {
  TIBParamPanel::SetupEditor();
  if (auto *edit = qobject_cast<TDateEdit *>(Editor())) {
    edit->SetDialogTitle(QString::fromUtf8("Wybierz datę"));
    edit->SetGlyphKind(gkDropDown);
  } else if (auto *stamp = qobject_cast<QDateTimeEdit *>(Editor())) {
    const bool timeOnly = BaseType(Param()) == SQL_TYPE_TIME;
    stamp->setDisplayFormat(timeOnly ? QStringLiteral("HH:mm:ss") : QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    stamp->setCalendarPopup(!timeOnly);
    if (!timeOnly)
      stamp->setDateTime(QDateTime(DateTimeToQDate(Date()), QTime(0, 0)));
  }
}

void TIBDateTimeParamPanel::LoadValue() {
  // The date edit starts empty; a time or a moment has no empty state and starts from the value.
  auto *stamp = qobject_cast<QDateTimeEdit *>(Editor());
  if (!stamp || Param()->IsNull())
    return;
  const QVariant value = Param()->Value();
  if (BaseType(Param()) == SQL_TYPE_TIME)
    stamp->setTime(value.toTime());
  else if (value.toDateTime().isValid())
    stamp->setDateTime(value.toDateTime());
}

void TIBDateTimeParamPanel::WriteValue() {
  if (auto *edit = qobject_cast<TDateEdit *>(Editor())) {
    // An empty date edit is no date: NULL, not the null date's 1899-12-30.
    const TDateTime date = edit->Date();
    if (date == 0)
      Param()->SetIsNull(true);
    else
      Param()->SetAsDateTime(date);
  } else if (auto *stamp = qobject_cast<QDateTimeEdit *>(Editor())) {
    if (BaseType(Param()) == SQL_TYPE_TIME)
      Param()->SetValue(stamp->time());
    else
      Param()->SetValue(stamp->dateTime());
  }
  TIBParamPanel::WriteValue();
}

QWidget *TIBBooleanParamPanel::CreateEditor() { return new QCheckBox(QStringLiteral("Tak")); }

void TIBBooleanParamPanel::LoadValue() {
  static_cast<QCheckBox *>(Editor())->setChecked(!Param()->IsNull() && Param()->AsBoolean());
}

void TIBBooleanParamPanel::WriteValue() {
  Param()->SetAsBoolean(static_cast<QCheckBox *>(Editor())->isChecked());
  TIBParamPanel::WriteValue();
}

TIBParamPanel *CreateParamPanel(int sqlType, QWidget *owner) {
  enum TKind { pkString, pkNumeric, pkDate, pkBoolean };
  static const struct {
    int Code;
    TKind Kind;
  } classes[] = {{SQL_VARYING, pkString},
                 {SQL_TEXT, pkString},
                 {SQL_DOUBLE, pkNumeric},
                 {SQL_FLOAT, pkNumeric},
                 {SQL_LONG, pkNumeric},
                 {SQL_SHORT, pkNumeric},
                 {SQL_TIMESTAMP, pkDate},
                 {SQL_BLOB, pkString},
                 {SQL_D_FLOAT, pkNumeric},
                 {SQL_ARRAY, pkString},
                 {SQL_QUAD, pkString},
                 {SQL_TYPE_TIME, pkDate},
                 {SQL_TYPE_DATE, pkDate},
                 {SQL_INT64, pkNumeric},
                 {590, pkNumeric},
                 // The Firebird 3 client's BOOLEAN.
                 {SQL_BOOLEAN, pkBoolean}};
  const int code = sqlType & ~1;
  for (const auto &entry : classes) {
    if (entry.Code != code)
      continue;
    switch (entry.Kind) {
    case pkString: return new TIBStringParamPanel(owner);
    case pkNumeric: return new TIBNumericParamPanel(owner);
    case pkDate: return new TIBDateTimeParamPanel(owner);
    case pkBoolean: return new TIBBooleanParamPanel(owner);
    }
  }
  return nullptr;
}
