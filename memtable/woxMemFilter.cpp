#include "woxMemFilter.h"

#include "DateTimeUtils.h"
#include "Fields.h"
#include "FilterExpr.h"
#include "FormatSettings.h"
#include "woxMemTableError.h"

#include <cmath>
#include <limits>

namespace {

bool IsNumber(const QVariant &v) {
  const int type = v.typeId();
  return type == QMetaType::LongLong || type == QMetaType::Double || type == QMetaType::Bool;
}

bool IsString(const QVariant &v) { return v.typeId() == QMetaType::QString; }

// Both values as doubles (texts converted); false when one does not convert.
bool AsDoubles(const QVariant &a, const QVariant &b, double &x, double &y) {
  auto convert = [](const QVariant &v, double &out) {
    if (IsString(v))
      return TryStrToFloat(v.toString(), out);
    out = v.toDouble();
    return true;
  };
  return convert(a, x) && convert(b, y);
}

QString AsciiCase(const QString &text, bool upper) {
  QString result = text;
  for (QChar &c : result) {
    const char16_t u = c.unicode();
    if (upper && u >= u'a' && u <= u'z')
      c = QChar(u - 32);
    else if (!upper && u >= u'A' && u <= u'Z')
      c = QChar(u + 32);
  }
  return result;
}

QVariant FieldValue(const TField &field) {
  if (field.IsNull())
    return QVariant();
  switch (field.DataType()) {
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
  case ftLargeint: return qlonglong(field.AsLargeInt());
  case ftBoolean: return field.AsBoolean();
  case ftFloat:
  case ftCurrency:
  case ftBCD: return field.AsFloat();
  case ftDate:
  case ftTime:
  case ftDateTime: return field.AsDateTime();
  default: return field.AsString();
  }
}

QVariant ConstantValue(const TFilterNode &node) {
  if (!node.Value.isValid())
    return QVariant();
  switch (node.DataType) {
  case ftUnknown: return QVariant();
  case ftString:
  case ftFixedChar:
  case ftWideString:
  case ftMemo: return node.Value.toString();
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
  case ftLargeint: return node.Value.toLongLong();
  case ftBoolean: return node.Value.toBool();
  case ftFloat:
  case ftCurrency:
  case ftBCD:
  case ftDate:
  case ftTime:
  case ftDateTime: return node.Value.toDouble();
  default: MemTableError(QStringLiteral("Unknown fieldtype (%1)").arg(int(node.DataType)));
  }
}

// -1, 0, 1; false when the values cannot be compared (a null among them).
bool CompareValues(const QVariant &a, const QVariant &b, const TFilterNode &node, int &result) {
  if (!a.isValid() || !b.isValid())
    return false;
  if (IsString(a) && IsString(b)) {
    QString x = a.toString(), y = b.toString();
    if (node.PartialLength > 0) {
      x.truncate(node.PartialLength);
      y.truncate(node.PartialLength);
    }
    const int c = x.compare(y, node.CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    result = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return true;
  }
  if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong) {
    const qlonglong x = a.toLongLong(), y = b.toLongLong();
    result = x < y ? -1 : (x > y ? 1 : 0);
    return true;
  }
  double x, y;
  if (!AsDoubles(a, b, x, y))
    return false;
  result = x < y ? -1 : (x > y ? 1 : 0);
  return true;
}

QVariant Comparison(const TFilterNode &node) {
  int c;
  if (!CompareValues(EvaluateFilter(*node.Args[0]), EvaluateFilter(*node.Args[1]), node, c))
    return false;
  switch (node.Operator) {
  case coEQ: return c == 0;
  case coNE: return c != 0;
  case coGT: return c > 0;
  case coLT: return c < 0;
  case coGE: return c >= 0;
  case coLE: return c <= 0;
  default: MemTableError(QStringLiteral("Operator not supported (%1).").arg(int(node.Operator)));
  }
}

[[noreturn]] void OverflowError() { MemTableError(QStringLiteral("Integer overflow in filter expression")); }

// Whole-number arithmetic that refuses results outside 64 bits.
qlonglong CheckedInteger(TCANOperator op, qlonglong x, qlonglong y) {
  qlonglong result = 0;
  const bool overflow = op == coADD   ? __builtin_add_overflow(x, y, &result)
                        : op == coSUB ? __builtin_sub_overflow(x, y, &result)
                                      : __builtin_mul_overflow(x, y, &result);
  if (overflow)
    OverflowError();
  return result;
}

QVariant Arithmetic(TCANOperator op, const QVariant &a, const QVariant &b) {
  if (!a.isValid() || !b.isValid())
    return QVariant();
  if (op == coADD && IsString(a) && IsString(b))
    return a.toString() + b.toString();
  const bool integers = a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong;
  if (op == coMOD || op == coREM) {
    const qlonglong x = a.toLongLong(), y = b.toLongLong();
    if (y == 0)
      return QVariant();
    // The smallest value divided by -1 does not fit; its remainder is 0 all the same.
    return y == -1 ? QVariant(qlonglong(0)) : QVariant(x % y);
  }
  if (integers && op != coDIV)
    return CheckedInteger(op, a.toLongLong(), b.toLongLong());
  double x, y;
  if (!AsDoubles(a, b, x, y))
    return QVariant();
  switch (op) {
  case coADD: return x + y;
  case coSUB: return x - y;
  case coMUL: return x * y;
  default: return y == 0 ? QVariant() : QVariant(x / y);
  }
}

QVariant Binary(const TFilterNode &node) {
  const QVariant a = EvaluateFilter(*node.Args[0]);
  switch (node.Operator) {
  case coAND: return FilterResultAccepts(a) && FilterResultAccepts(EvaluateFilter(*node.Args[1]));
  case coOR: return FilterResultAccepts(a) || FilterResultAccepts(EvaluateFilter(*node.Args[1]));
  case coLIKE: {
    const QVariant mask = EvaluateFilter(*node.Args[1]);
    return a.isValid() && mask.isValid() && MatchesMask(a.toString(), mask.toString(), node.CaseInsensitive);
  }
  case coIN:
    for (const auto &element : node.Args[1]->Args) {
      int c;
      if (CompareValues(a, EvaluateFilter(*element), node, c) && c == 0)
        return true;
    }
    return false;
  case coADD:
  case coSUB:
  case coMUL:
  case coDIV:
  case coMOD:
  case coREM: return Arithmetic(node.Operator, a, EvaluateFilter(*node.Args[1]));
  case coEQ:
  case coNE:
  case coGT:
  case coLT:
  case coGE:
  case coLE: return Comparison(node);
  default: MemTableError(QStringLiteral("Operator not supported (%1).").arg(int(node.Operator)));
  }
}

QVariant Unary(const TFilterNode &node) {
  const QVariant a = EvaluateFilter(*node.Args[0]);
  switch (node.Operator) {
  case coISBLANK: return !a.isValid();
  case coNOTBLANK: return a.isValid();
  case coNOT: return !FilterResultAccepts(a);
  case coMINUS:
    if (!a.isValid())
      return QVariant();
    if (a.typeId() != QMetaType::LongLong)
      return -a.toDouble();
    if (a.toLongLong() == std::numeric_limits<qlonglong>::min())
      OverflowError();
    return -a.toLongLong();
  case coUPPER:
  case coLOWER: return a.isValid() ? QVariant(AsciiCase(a.toString(), node.Operator == coUPPER)) : QVariant();
  default: MemTableError(QStringLiteral("Operator not supported (%1).").arg(int(node.Operator)));
  }
}

[[noreturn]] void ParameterError(const QString &name) {
  MemTableError(QStringLiteral("Invalid or missing parameter for function %1").arg(name));
}

// A date-time value of the years 1 to 9999; anything else cannot be taken apart.
double DateTimeArgument(const QString &name, const QVariant &value) {
  double result;
  if (IsString(value) ? !TryStrToDateTime(value.toString(), result) : !IsNumber(value))
    ParameterError(name);
  if (!IsString(value))
    result = value.toDouble();
  if (!(result >= MinDateTime && result <= MaxDateTime))
    ParameterError(name);
  return result;
}

// DATE or TIME of a text read with the given short date format.
double ParseWithFormat(const QString &name, const QString &text, const QString &format) {
  TFormatSettingsScope scope;
  FormatSettings().ShortDateFormat = format;
  // The format's own separator separates the text's parts.
  for (const QChar c : format)
    if (!c.isLetter()) {
      FormatSettings().DateSeparator = c;
      break;
    }
  double result;
  const bool ok = name == QLatin1String("TIME")
                      ? TryStrToTime(text, result)
                      : TryStrToDate(text, result) || TryStrToDateTime(text, result);
  if (!ok)
    ParameterError(name);
  return result;
}

QVariant Substring(const QString &name, const std::vector<QVariant> &args) {
  if (args.size() < 2)
    ParameterError(name);
  QVariant start = args[1], length = args.size() > 2 ? args[2] : QVariant(0);
  if (IsString(start) && start.toString().contains(u',')) {
    const QStringList parts = start.toString().split(u',');
    start = parts[0].trimmed();
    length = parts[1].trimmed();
  }
  bool okStart = false, okLength = false;
  const qlonglong from = start.toLongLong(&okStart), count = length.toLongLong(&okLength);
  if (!okStart || !okLength || from < 1)
    ParameterError(name);
  const QString text = args[0].toString();
  return count <= 0 ? text.mid(from - 1) : text.mid(from - 1, count);
}

QVariant Function(const TFilterNode &node) {
  const QString &name = node.FunctionName;
  std::vector<QVariant> args;
  for (const auto &arg : node.Args)
    args.push_back(EvaluateFilter(*arg));
  if (name == QLatin1String("GETDATE"))
    return Now();
  static const QStringList known = {"UPPER", "LOWER", "SUBSTRING", "TRIM",   "TRIMLEFT", "TRIMRIGHT", "YEAR",
                                    "MONTH", "DAY",   "HOUR",      "MINUTE", "SECOND",   "DATE",      "TIME"};
  if (!known.contains(name))
    MemTableError(QStringLiteral("Invalid function name %1").arg(name));
  if (args.empty())
    ParameterError(name);
  if (!args[0].isValid())
    return QVariant();
  if (name == QLatin1String("UPPER") || name == QLatin1String("LOWER"))
    return AsciiCase(args[0].toString(), name == QLatin1String("UPPER"));
  if (name == QLatin1String("SUBSTRING"))
    return Substring(name, args);
  if (name == QLatin1String("TRIM"))
    return args[0].toString().trimmed();
  if (name == QLatin1String("TRIMLEFT") || name == QLatin1String("TRIMRIGHT")) {
    QString text = args[0].toString();
    const bool left = name == QLatin1String("TRIMLEFT");
    while (!text.isEmpty() && (left ? text.front() : text.back()).isSpace()) {
      if (left)
        text.remove(0, 1);
      else
        text.chop(1);
    }
    return text;
  }
  if ((name == QLatin1String("DATE") || name == QLatin1String("TIME")) && args.size() > 1 &&
      IsString(args[0]))
    return ParseWithFormat(name, args[0].toString(), args[1].toString());
  const double value = DateTimeArgument(name, args[0]);
  if (name == QLatin1String("DATE"))
    return std::floor(value);
  if (name == QLatin1String("TIME"))
    return value - std::floor(value);
  int year, month, day, hour, minute, second, msec;
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, msec);
  const int parts[] = {year, month, day, hour, minute, second};
  static const QStringList partNames = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"};
  return qlonglong(parts[partNames.indexOf(name)]);
}

} // namespace

bool FilterResultAccepts(const QVariant &value) {
  if (!value.isValid())
    return false;
  if (IsString(value))
    return value.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
  return value.toDouble() != 0;
}

QVariant EvaluateFilter(const TFilterNode &node) {
  switch (node.NodeClass) {
  case nodeFIELD: return FieldValue(*node.Field);
  case nodeCONST: return ConstantValue(node);
  case nodeUNARY: return Unary(node);
  case nodeBINARY: return Binary(node);
  case nodeCOMPARE: return Comparison(node);
  case nodeFUNC: return Function(node);
  default: MemTableError(QStringLiteral("Unknown operator (%1)").arg(int(node.NodeClass)));
  }
}
