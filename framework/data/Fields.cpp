#include "Fields.h"

#include "DB.h"
#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "Win1250.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <cstring>

namespace {

int DateDelta() { return DateTimeToTimeStamp(0).Date; }

} // namespace

// ---------------------------------------------------------------- TStringField

TStringField::TStringField(QObject *owner) : TField(owner, ftString) { TField::SetSize(20); }

void TStringField::SetFixedChar(bool value) {
  FFixedChar = value;
  SetDataType(value ? ftFixedChar : ftString);
}

bool TStringField::GetValue(QString &value) const {
  // Most texts are short: the native value is read onto the stack (a grid reads every shown value).
  char small[256];
  QByteArray large;
  char *buffer = small;
  if (DataSize() + 1 > int(sizeof small)) {
    large.resize(DataSize() + 1);
    buffer = large.data();
  }
  std::memset(buffer, 0, std::size_t(DataSize() + 1));
  if (!GetData(buffer)) {
    value.clear();
    return false;
  }
  value = Win1250::Decode(buffer, qsizetype(::strnlen(buffer, std::size_t(DataSize()))));
  if (FFixedChar) {
    while (value.endsWith(u' '))
      value.chop(1);
  }
  return true;
}

QString TStringField::GetAsString() const {
  QString value;
  GetValue(value);
  return value;
}

QVariant TStringField::GetAsVariant() const {
  QString value;
  return GetValue(value) ? QVariant(value) : QVariant();
}

int TStringField::GetAsInteger() const {
  const QString text = GetAsString().trimmed();
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok)
    InvalidValue(text, "integer");
  return value;
}

qint64 TStringField::GetAsLargeInt() const {
  const QString text = GetAsString().trimmed();
  bool ok = false;
  const qint64 value = text.toLongLong(&ok);
  if (!ok)
    InvalidValue(text, "integer");
  return value;
}

double TStringField::GetAsFloat() const {
  const QString text = GetAsString();
  double value;
  if (!TryStrToFloat(text, value))
    InvalidValue(text, "floating point");
  return value;
}

bool TStringField::GetAsBoolean() const {
  const QString text = GetAsString().trimmed();
  if (!text.isEmpty()) {
    const QChar c = text[0].toUpper();
    if (c == u'T' || c == u'Y')
      return true;
    if (c == u'F' || c == u'N')
      return false;
  }
  InvalidValue(text, "boolean");
}

double TStringField::GetAsDateTime() const { return StrToDateTime(GetAsString()); }

void TStringField::SetAsStringValue(const QString &value) {
  // Most texts are short: their native value is made on the stack.
  char small[256];
  QByteArray large;
  char *buffer = small;
  if (DataSize() > int(sizeof small)) {
    large.resize(DataSize());
    buffer = large.data();
  }
  const qsizetype length = Win1250::EncodeInto(QStringView(value).left(Size()), buffer);
  std::memset(buffer + length, 0, std::size_t(DataSize() - length));
  SetData(buffer);
}

void TStringField::SetAsIntegerValue(int value) { SetAsStringValue(QString::number(value)); }
void TStringField::SetAsLargeIntValue(qint64 value) { SetAsStringValue(QString::number(value)); }
void TStringField::SetAsFloatValue(double value) { SetAsStringValue(FloatToStr(value)); }
void TStringField::SetAsBooleanValue(bool value) {
  SetAsStringValue(value ? QStringLiteral("T") : QStringLiteral("F"));
}
void TStringField::SetAsDateTimeValue(double value) { SetAsStringValue(DateTimeToStr(value)); }

void TStringField::SetVarValue(const QVariant &value) {
  switch (value.typeId()) {
  case QMetaType::Double: return SetAsFloatValue(value.toDouble());
  case QMetaType::Bool: return SetAsBooleanValue(value.toBool());
  case QMetaType::QDate:
  case QMetaType::QDateTime: {
    double dateTime = 0;
    TryVarToDateTime(value, dateTime);
    return SetAsDateTimeValue(dateTime);
  }
  case QMetaType::QByteArray: return SetAsStringValue(QString::fromLatin1(value.toByteArray()));
  default:
    if (!value.canConvert<QString>())
      AccessError(QString::fromLatin1(value.typeName()));
    SetAsStringValue(value.toString());
  }
}

// ---------------------------------------------------------------- TBooleanField

TBooleanField::TBooleanField(QObject *owner) : TField(owner, ftBoolean) { SetDisplayValues(QString()); }

void TBooleanField::SetDisplayValues(const QString &value) {
  FDisplayValues = value;
  if (value.isEmpty()) {
    FTextTrue = QStringLiteral("True");
    FTextFalse = QStringLiteral("False");
  } else {
    const int sep = int(value.indexOf(u';'));
    FTextTrue = sep < 0 ? value : value.left(sep);
    FTextFalse = sep < 0 ? QString() : value.mid(sep + 1);
  }
  PropertyChanged(true);
}

bool TBooleanField::GetAsBoolean() const {
  qint16 value = 0;
  return GetData(&value) && value != 0;
}

QString TBooleanField::GetAsString() const {
  qint16 value = 0;
  if (!GetData(&value))
    return QString();
  return value != 0 ? FTextTrue : FTextFalse;
}

QVariant TBooleanField::GetAsVariant() const {
  qint16 value = 0;
  return GetData(&value) ? QVariant(value != 0) : QVariant();
}

void TBooleanField::SetAsBooleanValue(bool value) {
  const qint16 data = value ? 1 : 0;
  SetData(&data);
}

void TBooleanField::SetAsStringValue(const QString &value) {
  if (value.isEmpty())
    return Clear();
  if (FTextFalse.startsWith(value, Qt::CaseInsensitive))
    return SetAsBooleanValue(false);
  if (FTextTrue.startsWith(value, Qt::CaseInsensitive))
    return SetAsBooleanValue(true);
  InvalidValue(value, "boolean");
}

void TBooleanField::SetVarValue(const QVariant &value) {
  if (value.typeId() == QMetaType::QString)
    return SetAsStringValue(value.toString());
  if (!value.canConvert<bool>())
    AccessError(QString::fromLatin1(value.typeName()));
  SetAsBooleanValue(value.toBool());
}

int TBooleanField::GetDefaultWidth() const { return int(std::max(FTextTrue.size(), FTextFalse.size())); }

void TBooleanField::AssignDisplayProperties(const TField &source) {
  TField::AssignDisplayProperties(source);
  if (const auto *boolean = dynamic_cast<const TBooleanField *>(&source))
    SetDisplayValues(boolean->FDisplayValues);
}

// ---------------------------------------------------------------- TDateTimeField

TDateTimeField::TDateTimeField(QObject *owner) : TDateTimeField(owner, ftDateTime) {}
TDateTimeField::TDateTimeField(QObject *owner, TFieldType dataType) : TField(owner, dataType) {}
TDateField::TDateField(QObject *owner) : TDateTimeField(owner, ftDate) {}
TTimeField::TTimeField(QObject *owner) : TDateTimeField(owner, ftTime) {}

int TDateTimeField::DataSize() const { return DataType() == ftDateTime ? 8 : 4; }

void TDateTimeField::SetDisplayFormat(const QString &value) { ChangeProperty(FDisplayFormat, value, false); }

bool TDateTimeField::GetValue(double &value) const {
  union {
    double msecs;
    qint32 part;
  } data{};
  if (!GetData(&data))
    return false;
  TTimeStamp stamp;
  if (DataType() == ftDate) {
    stamp.Date = data.part;
  } else if (DataType() == ftTime) {
    stamp.Date = DateDelta();
    stamp.Time = data.part;
  } else {
    stamp = MSecsToTimeStamp(data.msecs);
  }
  value = TimeStampToDateTime(stamp);
  return true;
}

double TDateTimeField::GetAsDateTime() const {
  double value = 0;
  GetValue(value);
  return value;
}

QString TDateTimeField::GetAsString() const { return GetText(false); }

QVariant TDateTimeField::GetAsVariant() const {
  double value;
  if (!GetValue(value))
    return QVariant();
  if (DataType() == ftDate)
    return DateTimeToQDate(value);
  if (DataType() == ftTime)
    return DateTimeToQTime(value);
  return DateTimeToQDateTime(value);
}

QString TDateTimeField::GetText(bool displayText) const {
  double value;
  if (!GetValue(value))
    return QString();
  if (displayText && !FDisplayFormat.isEmpty())
    return FormatDateTime(FDisplayFormat, value);
  if (DataType() == ftDate)
    return FormatDateTime(FormatSettings().ShortDateFormat, value);
  if (DataType() == ftTime)
    return FormatDateTime(FormatSettings().LongTimeFormat, value);
  return FormatDateTime(QStringLiteral("c"), value);
}

void TDateTimeField::SetAsDateTimeValue(double value) {
  const TTimeStamp stamp = DateTimeToTimeStamp(value);
  if (stamp.Date <= 0)
    InvalidValue(QString::number(value), "date");
  if (DataType() == ftDate) {
    const qint32 data = stamp.Date;
    SetData(&data);
  } else if (DataType() == ftTime) {
    const qint32 data = stamp.Time;
    SetData(&data);
  } else {
    const double data = TimeStampToMSecs(stamp);
    SetData(&data);
  }
}

void TDateTimeField::SetAsStringValue(const QString &value) {
  if (QStringView(value).trimmed().isEmpty())
    return Clear();
  if (DataType() == ftDate)
    return SetAsDateTimeValue(StrToDate(value));
  if (DataType() == ftTime)
    return SetAsDateTimeValue(StrToTime(value));
  SetAsDateTimeValue(StrToDateTime(value));
}

void TDateTimeField::SetVarValue(const QVariant &value) {
  // Text goes by the field's own kind (a date, a time or both).
  if (value.typeId() == QMetaType::QString)
    return SetAsStringValue(value.toString());
  double number;
  if (!TryVarToDateTime(value, number))
    AccessError(QString::fromLatin1(value.typeName()));
  SetAsDateTimeValue(number);
}

int TDateTimeField::GetDefaultWidth() const {
  const double sample = EncodeDate(2000, 12, 31) + EncodeTime(23, 59, 59, 0);
  if (DataType() == ftDate)
    return int(FormatDateTime(FormatSettings().ShortDateFormat, sample).size());
  if (DataType() == ftTime)
    return int(FormatDateTime(FormatSettings().LongTimeFormat, sample).size());
  return int(FormatDateTime(QStringLiteral("c"), sample).size());
}

void TDateTimeField::AssignDisplayProperties(const TField &source) {
  TField::AssignDisplayProperties(source);
  if (const auto *dateTime = dynamic_cast<const TDateTimeField *>(&source))
    FDisplayFormat = dateTime->FDisplayFormat;
}

// ---------------------------------------------------------------- TBinaryField

TBinaryField::TBinaryField(QObject *owner, TFieldType dataType) : TField(owner, dataType) {
  TField::SetSize(16);
}
TBytesField::TBytesField(QObject *owner) : TBinaryField(owner, ftBytes) {}
TVarBytesField::TVarBytesField(QObject *owner) : TBinaryField(owner, ftVarBytes) {}

int TBinaryField::DataSize() const { return DataType() == ftVarBytes ? Size() + 2 : Size(); }

QByteArray TBinaryField::GetAsBytes() const {
  QByteArray buffer(DataSize(), '\0');
  if (!GetData(buffer.data()))
    return QByteArray();
  if (DataType() != ftVarBytes)
    return buffer;
  quint16 length;
  std::memcpy(&length, buffer.constData(), 2);
  return buffer.mid(2, std::min<int>(length, Size()));
}

QString TBinaryField::GetAsString() const { return QString::fromLatin1(GetAsBytes()); }

QVariant TBinaryField::GetAsVariant() const { return IsNull() ? QVariant() : QVariant(GetAsBytes()); }

void TBinaryField::SetAsBytesValue(const QByteArray &value) {
  QByteArray buffer(DataSize(), '\0');
  const int length = std::min<int>(int(value.size()), Size());
  if (DataType() == ftVarBytes) {
    const quint16 prefix = quint16(length);
    std::memcpy(buffer.data(), &prefix, 2);
    std::memcpy(buffer.data() + 2, value.constData(), std::size_t(length));
  } else {
    std::memcpy(buffer.data(), value.constData(), std::size_t(length));
  }
  SetData(buffer.constData());
}

void TBinaryField::SetAsStringValue(const QString &value) { SetAsBytesValue(value.toLatin1()); }

void TBinaryField::SetVarValue(const QVariant &value) { SetAsBytesValue(value.toByteArray()); }

// ---------------------------------------------------------------- TBlobField

TBlobField::TBlobField(QObject *owner) : TBlobField(owner, ftBlob) {}
TBlobField::TBlobField(QObject *owner, TFieldType dataType) : TField(owner, dataType) {}
TMemoField::TMemoField(QObject *owner) : TBlobField(owner, ftMemo) {}
TGraphicField::TGraphicField(QObject *owner) : TBlobField(owner, ftGraphic) {}

void TBlobField::SetBlobType(TFieldType value) {
  if (!IsBlobType(value))
    FieldError(QStringLiteral("%1 is not a blob type").arg(FieldTypeNames[std::size_t(value)]));
  SetDataType(value);
}

QByteArray TBlobField::GetAsBytes() const {
  if (!DataSet())
    throw EDatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
  if (IsNull())
    return QByteArray();
  const std::unique_ptr<QIODevice> stream =
      DataSet()->CreateBlobStream(const_cast<TBlobField *>(this), bmRead);
  return stream->readAll();
}

int TBlobField::BlobSize() const { return int(GetAsBytes().size()); }

void TBlobField::SetAsBytesValue(const QByteArray &value) {
  if (!DataSet())
    throw EDatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
  DataSet()->CheckFieldWritable(this);
  std::unique_ptr<QIODevice> stream = DataSet()->CreateBlobStream(this, bmWrite);
  if (!value.isEmpty() && stream->write(value) != value.size())
    FieldError(QStringLiteral("Cannot write the value of field '%1'").arg(DisplayName()));
  stream.reset();
}

void TBlobField::Clear() { SetAsBytesValue(QByteArray()); }

QString TBlobField::GetAsString() const { return QString::fromLatin1(GetAsBytes()); }
void TBlobField::SetAsStringValue(const QString &value) { SetAsBytesValue(value.toLatin1()); }
QVariant TBlobField::GetAsVariant() const { return IsNull() ? QVariant() : QVariant(GetAsBytes()); }
void TBlobField::SetVarValue(const QVariant &value) { SetAsBytesValue(value.toByteArray()); }

QString TBlobField::GetText(bool displayText) const {
  if (!displayText)
    return GetAsString();
  QString name = FieldTypeNames[std::size_t(DataType())];
  if (DataType() == ftFmtMemo)
    name = QStringLiteral("Memo");
  return u'(' + (IsNull() ? name.toLower() : name.toUpper()) + u')';
}

void TBlobField::LoadFromFile(const QString &fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
  SetAsBytesValue(file.readAll());
}

void TBlobField::SaveToFile(const QString &fileName) const {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly) || file.write(GetAsBytes()) < 0 || !file.commit())
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}

void TBlobField::AssignDisplayProperties(const TField &source) {
  TField::AssignDisplayProperties(source);
  if (const auto *blob = dynamic_cast<const TBlobField *>(&source); blob && IsBlobType(blob->DataType()))
    SetDataType(blob->DataType());
}

QString TMemoField::GetAsString() const { return Win1250::Decode(GetAsBytes()); }
void TMemoField::SetAsStringValue(const QString &value) { SetAsBytesValue(Win1250::Encode(value)); }
void TMemoField::SetVarValue(const QVariant &value) {
  if (value.typeId() == QMetaType::QByteArray)
    return SetAsBytesValue(value.toByteArray());
  SetAsStringValue(value.toString());
}

// ---------------------------------------------------------------- factory

TField *CreateFieldOfType(TFieldType type, QObject *owner) {
  switch (type) {
  case ftString:
  case ftWideString: return new TStringField(owner);
  case ftFixedChar: {
    auto *field = new TStringField(owner);
    field->SetFixedChar(true);
    return field;
  }
  case ftSmallint: return new TSmallintField(owner);
  case ftInteger: return new TIntegerField(owner);
  case ftWord: return new TWordField(owner);
  case ftAutoInc: return new TAutoIncField(owner);
  case ftLargeint: return new TLargeintField(owner);
  case ftBoolean: return new TBooleanField(owner);
  case ftFloat: return new TFloatField(owner);
  case ftCurrency: return new TCurrencyField(owner);
  case ftBCD: return new TBCDField(owner);
  case ftDate: return new TDateField(owner);
  case ftTime: return new TTimeField(owner);
  case ftDateTime: return new TDateTimeField(owner);
  case ftBytes: return new TBytesField(owner);
  case ftVarBytes: return new TVarBytesField(owner);
  case ftMemo:
  case ftFmtMemo: {
    auto *field = new TMemoField(owner);
    field->SetBlobType(type);
    return field;
  }
  case ftGraphic: return new TGraphicField(owner);
  case ftBlob:
  case ftParadoxOle:
  case ftDBaseOle:
  case ftTypedBinary: {
    auto *field = new TBlobField(owner);
    field->SetBlobType(type);
    return field;
  }
  default: return nullptr;
  }
}
