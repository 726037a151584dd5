#include "IBValues.h"

#include "Bcd.h"
#include "Fields.h"
#include "Params.h"
#include "Win1250.h"

#include <algorithm>
#include <cstring>

namespace {

// TTimeStamp.Date (days since 0001-01-01, plus one) of the server's day 0 (1858-11-17).
constexpr int kNativeDateOfIscEpoch = 678576;

QByteArray TextBytes(const TIBXSQLVAR &column) {
  const XSQLVAR &var = column.SQLVar();
  if (column.SQLType() == SQL_VARYING)
    return QByteArray(var.sqldata + 2, IBRead<short>(var.sqldata));
  return QByteArray(var.sqldata, var.sqllen);
}

template <typename T> void Put(char *out, T value) { std::memcpy(out, &value, sizeof value); }

} // namespace

TIBFieldShape IBFieldShape(const TIBXSQLVAR &column, bool utf8) {
  const int scale = column.SQLScale();
  const bool binaryText = column.CharsetId() == kCharsetOctets;
  const int charBytes = utf8 && !binaryText ? 4 : 1;
  switch (column.SQLType()) {
  case SQL_TEXT:
    return binaryText ? TIBFieldShape{ftBytes, column.Size(), 0}
                      : TIBFieldShape{ftFixedChar, column.Size() / charBytes, 0};
  case SQL_VARYING:
    return binaryText ? TIBFieldShape{ftVarBytes, column.Size(), 0}
                      : TIBFieldShape{ftString, column.Size() / charBytes, 0};
  case SQL_SHORT: return scale < 0 ? TIBFieldShape{ftBCD, -scale, 4} : TIBFieldShape{ftSmallint, 0, 0};
  case SQL_LONG: return scale < 0 ? TIBFieldShape{ftBCD, -scale, 9} : TIBFieldShape{ftInteger, 0, 0};
  case SQL_INT64: return scale < 0 ? TIBFieldShape{ftBCD, -scale, 18} : TIBFieldShape{ftLargeint, 0, 0};
  case SQL_FLOAT:
  case SQL_DOUBLE:
  case SQL_D_FLOAT: return {ftFloat, 0, 0};
  case SQL_TIMESTAMP: return {ftDateTime, 0, 0};
  case SQL_TYPE_DATE: return {ftDate, 0, 0};
  case SQL_TYPE_TIME: return {ftTime, 0, 0};
  case SQL_BOOLEAN: return {ftBoolean, 0, 0};
  case SQL_BLOB: return {column.SQLSubtype() == isc_blob_text ? ftMemo : ftBlob, 0, 0};
  default: return {ftUnknown, 0, 0};
  }
}

TBcd IBScaledToBcd(qint64 value, int scale) {
  // Runs for every fetched NUMERIC value: the digits go most significant first, and pairs pack into
  // bytes directly.
  const int places = std::clamp(-scale, 0, 18); // the server's largest scale; more would not fit below
  const bool negative = value < 0;
  quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
  char digits[24];
  const int size = int(sizeof digits), pointAt = size - places;
  int begin = size, end = size;
  do {
    digits[--begin] = char(magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0 || begin >= pointAt); // at least one digit before the point
  while (begin < pointAt - 1 && digits[begin] == 0)
    ++begin;
  int kept = places;
  while (kept > 0 && digits[end - 1] == 0) {
    --end;
    --kept;
  }
  TBcd result;
  const int count = end - begin;
  for (int k = 0; k + 1 < count; k += 2)
    result.Fraction[k / 2] = std::uint8_t(digits[begin + k] << 4 | digits[begin + k + 1]);
  if (count % 2 != 0)
    result.Fraction[count / 2] = std::uint8_t(digits[end - 1] << 4);
  result.Precision = std::uint8_t(count);
  result.SignSpecialPlaces = std::uint8_t((negative ? 0x80 : 0) | kept);
  return result;
}

QByteArray IBUtf8ToNative(const QByteArray &bytes) { return Win1250::Encode(QString::fromUtf8(bytes)); }

void IBStoreColumn(const TIBXSQLVAR &column, const TField &field, char *slot, bool utf8) {
  const char *data = column.Data();
  slot[0] = data ? 1 : 0;
  if (!data)
    return;
  char *out = slot + 1;
  switch (field.DataType()) {
  case ftString:
  case ftFixedChar:
  case ftWideString: {
    if (utf8) {
      const QByteArray bytes = IBUtf8ToNative(TextBytes(column));
      const auto length = std::min<qsizetype>(bytes.size(), field.Size());
      std::memcpy(out, bytes.constData(), std::size_t(length));
      out[length] = '\0';
      return;
    }
    // Windows-1250 text goes as it came, without a copy in between: this runs for every fetched row.
    const XSQLVAR &var = column.SQLVar();
    const bool varying = column.SQLType() == SQL_VARYING;
    const char *text = varying ? var.sqldata + 2 : var.sqldata;
    const int size = varying ? IBRead<short>(var.sqldata) : var.sqllen;
    const int length = std::clamp(size, 0, field.Size());
    std::memcpy(out, text, std::size_t(length));
    out[length] = '\0';
    return;
  }
  case ftBytes: {
    const QByteArray bytes = TextBytes(column);
    std::memcpy(out, bytes.constData(), std::size_t(std::min<qsizetype>(bytes.size(), field.Size())));
    return;
  }
  case ftVarBytes: {
    const QByteArray bytes = TextBytes(column);
    const auto length = static_cast<quint16>(std::min<qsizetype>(bytes.size(), field.Size()));
    Put(out, length);
    std::memcpy(out + 2, bytes.constData(), length);
    return;
  }
  case ftSmallint: return Put(out, static_cast<qint16>(column.RawInteger()));
  case ftInteger:
  case ftAutoInc: return Put(out, static_cast<qint32>(column.RawInteger()));
  case ftLargeint: return Put(out, static_cast<qint64>(column.RawInteger()));
  case ftBCD: return Put(out, IBScaledToBcd(column.RawInteger(), column.SQLScale()));
  case ftFloat:
  case ftCurrency: return Put(out, column.AsDouble());
  case ftBoolean: return Put(out, static_cast<qint16>(data[0] != 0 ? 1 : 0));
  case ftDate: return Put(out, static_cast<qint32>(IBRead<ISC_DATE>(data) + kNativeDateOfIscEpoch));
  case ftTime: return Put(out, static_cast<qint32>(IBRead<ISC_TIME>(data) / 10));
  case ftDateTime: {
    const auto stamp = IBRead<ISC_TIMESTAMP>(data);
    return Put(out,
               double(stamp.timestamp_date + kNativeDateOfIscEpoch) * 86400000.0 + stamp.timestamp_time / 10);
  }
  default: slot[0] = 0; return;
  }
}

void IBStoreBlob(const TIBXSQLVAR &column, TIBCustomDataSet::TBlobSlot &slot) {
  slot = TIBCustomDataSet::TBlobSlot();
  if (const char *data = column.Data()) {
    slot.IsNull = false;
    std::memcpy(&slot.Id, data, sizeof slot.Id);
  }
}

QVariant IBParamValue(const TField &field) {
  if (field.IsNull())
    return {};
  switch (field.DataType()) {
  case ftBCD: {
    TBcd value;
    field.GetData(&value);
    return BcdToStr(value);
  }
  case ftDate:
  case ftTime:
  case ftDateTime: return field.AsDateTime();
  case ftString:
  case ftFixedChar:
  case ftWideString:
  case ftMemo:
  case ftFmtMemo: return field.AsString();
  case ftBytes:
  case ftVarBytes:
  case ftBlob:
  case ftGraphic:
  case ftTypedBinary: return field.AsBytes();
  case ftBoolean: return field.AsBoolean();
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
  case ftLargeint: return field.AsLargeInt();
  case ftFloat:
  case ftCurrency: return field.AsFloat();
  default: return field.Value();
  }
}

QVariant IBParamValue(const TParam &param) {
  const TFieldType type = param.DataType();
  if (!param.IsNull() && (type == ftDate || type == ftTime || type == ftDateTime))
    return param.AsDateTime();
  return param.Value();
}
