#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstring>
#include <ibase.h>
#include <memory>
#include <vector>

class TIBSQL;
class TIBXSQLDA;

// Character set id of binary text (CHAR/VARCHAR ... CHARACTER SET OCTETS).
constexpr int kCharsetOctets = 1;

// A value of the client's layout, read from a buffer of any alignment.
template <typename T> T IBRead(const char *data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

// Exact decimal text ("-12.50", '.' as the point) of a scaled integer.
QString IBScaledToString(qint64 value, int scale);

// TDateTime (days since 1899-12-30) and the server's date, time and timestamp encodings.
namespace IBDateTime {
double FromTimestamp(const ISC_TIMESTAMP &value);
ISC_TIMESTAMP ToTimestamp(double dateTime);
QDateTime ToQDateTime(const ISC_TIMESTAMP &value);
ISC_TIMESTAMP FromQDateTime(const QDateTime &value);
QDate ToQDate(ISC_DATE value);
ISC_DATE FromQDate(const QDate &value);
QTime ToQTime(ISC_TIME value);
ISC_TIME FromQTime(const QTime &value);
} // namespace IBDateTime

// One parameter or result column of a prepared statement: its description from the server and its
// value. Result values are read from the last fetched row; parameter values are kept until the
// statement runs, and a value set on one occurrence of a named parameter reaches every occurrence.
// Dates come as QDate, QTime and QDateTime (wall-clock, no zone), scaled numbers as double in
// Value() and exactly in AsString(), binary text and blobs as QByteArray.
class TIBXSQLVAR {
public:
  TIBXSQLVAR(TIBXSQLDA *owner, int index);

  int Index() const { return FIndex; }
  // Parameter name (upper-case unless it was quoted) or column alias.
  const QString &Name() const { return FName; }
  QString SQLName() const;
  QString RelationName() const;
  // The client API's type code without the nullable bit, as the server described it.
  int SQLType() const { return FType; }
  int SQLSubtype() const { return FSubtype; }
  int SQLScale() const { return FScale; }
  // Bytes of the value (characters times bytes per character for text).
  int Size() const { return FLength; }
  // Character set of text columns; of text blobs too.
  int CharsetId() const;
  bool IsNullable() const { return FNullable; }

  bool IsNull() const;
  QVariant Value() const;
  QString AsString() const;
  int AsInteger() const;
  qint64 AsInt64() const;
  double AsDouble() const;
  bool AsBoolean() const;
  double AsDateTime() const;
  // Text as it crossed the wire, blob contents, binary values.
  QByteArray AsBytes() const;
  // The value held in the client's layout (result columns): sqldata, or nullptr for null.
  const char *Data() const;
  const XSQLVAR &SQLVar() const { return Var(); }
  // A SMALLINT, INTEGER or BIGINT result as stored, before its scale applies.
  qint64 RawInteger() const;

  void SetValue(const QVariant &value);
  void SetAsString(const QString &value) { SetValue(value); }
  void SetAsInteger(int value) { SetValue(value); }
  void SetAsInt64(qint64 value) { SetValue(value); }
  void SetAsDouble(double value) { SetValue(value); }
  void SetAsBoolean(bool value) { SetValue(value); }
  void SetAsDateTime(double dateTime);
  void SetAsBytes(const QByteArray &value) { SetValue(value); }
  void SetIsNull(bool value);
  void Clear() { SetValue(QVariant()); }

private:
  friend class TIBXSQLDA;
  XSQLVAR &Var() const;
  void Describe(const QString &name);
  void StoreValue(const QVariant &value);
  // Puts the parameter's value into the XSQLVAR in a type the server converts from.
  void Bind();
  void BindText(const QByteArray &bytes);
  // A value in the described type's own layout.
  template <typename T> void BindNumber(T value);
  qint64 ScaledInteger() const;
  void BindInteger(qint64 value);
  QVariant DecodeValue() const;
  QByteArray TextBytes(const QVariant &value) const;

  TIBXSQLDA *FOwner;
  int FIndex;
  QString FName;
  short FType = 0, FSubtype = 0, FScale = 0, FLength = 0;
  bool FNullable = false;
  QVariant FValue;
  QByteArray FParamData;
  short FParamNull = -1;
};

// The parameters or the result columns of a statement, over one XSQLDA.
class TIBXSQLDA {
public:
  explicit TIBXSQLDA(TIBSQL *statement);
  ~TIBXSQLDA();
  TIBXSQLDA(const TIBXSQLDA &) = delete;
  TIBXSQLDA &operator=(const TIBXSQLDA &) = delete;

  int Count() const { return static_cast<int>(FVars.size()); }
  // Inline, with the error apart: a fetch reads every column of every row through these.
  TIBXSQLVAR &Vars(int index) {
    if (index < 0 || index >= Count())
      OutOfRange(index);
    return *FVars[std::size_t(index)];
  }
  const TIBXSQLVAR &Vars(int index) const { return const_cast<TIBXSQLDA *>(this)->Vars(index); }
  TIBXSQLVAR &operator[](int index) { return Vars(index); }
  // Case-insensitive; nullptr when there is none.
  TIBXSQLVAR *Find(const QString &name);
  // Raises "Field "X" not found" / "Parameter "X" not found".
  TIBXSQLVAR &ByName(const QString &name);
  QStringList Names() const;

  TIBSQL &Statement() const { return *FStatement; }
  XSQLDA *Data() const { return FData; }
  // The buffer behind the result columns' sqldata and sqlind.
  const QByteArray &RowBuffer() const { return FRowBuffer; }

  // Size for n variables; the contents are described afterwards.
  void Resize(int count);
  // After the server described the variables: names and, for results, the row buffer.
  void Describe(const QStringList &names, bool input);
  void BindParams();
  void Clear();

private:
  friend class TIBXSQLVAR;
  void SetByName(const QString &name, const QVariant &value, const TIBXSQLVAR *origin);
  [[noreturn]] void OutOfRange(int index) const;

  TIBSQL *FStatement;
  XSQLDA *FData = nullptr;
  bool FInput = false;
  std::vector<std::unique_ptr<TIBXSQLVAR>> FVars;
  QByteArray FRowBuffer;
};

// What a fetch asks of every column of every row, inline.
inline XSQLVAR &TIBXSQLVAR::Var() const { return FOwner->FData->sqlvar[FIndex]; }

inline bool TIBXSQLVAR::IsNull() const {
  if (FOwner->FInput)
    return !FValue.isValid() || FValue.isNull();
  return *Var().sqlind == -1;
}

inline const char *TIBXSQLVAR::Data() const { return IsNull() ? nullptr : Var().sqldata; }
