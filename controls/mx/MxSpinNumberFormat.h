#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

enum TValueType { vtInteger, vtFloat, vtHex };

// Round to nearest, ties to even, kept inside the 64-bit range.
qint64 RoundToInt64(double value);

// The number a spin edit's text holds: how its value type reads and writes it, the bounds that
// clamp it and the characters that may join it. The text itself stays in the edit.
class TSpinNumberFormat {
public:
  TValueType ValueType() const { return FValueType; }
  void SetValueType(TValueType value) { FValueType = value; }
  // Digits after the separator for vtFloat.
  int Decimal() const { return FDecimal; }
  void SetDecimal(int value) { FDecimal = value; }
  double MinValue() const { return FMinValue; }
  void SetMinValue(double value) { FMinValue = value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double value) { FMaxValue = value; }

  // Reads the text as a number of the type; false when it is none.
  static bool Parse(const QString &text, TValueType type, double &value);
  // The text as a number; a text that is no number reads as MinValue (truncated for whole
  // numbers).
  double Read(const QString &text) const;
  // Raises EConvertError for a text that is neither empty nor a number of the type.
  void Check(const QString &text) const;
  // MinValue..MaxValue, only when they differ.
  double Clamp(double value) const;
  // The value's text as the type writes it (not clamped).
  QString Format(double value) const;
  // Whether the character may join the text: control characters, signs, digits, and what the
  // type adds (one decimal separator and one exponent, or the hexadecimal letters).
  bool Accepts(QChar key, const QString &text) const;

private:
  TValueType FValueType = vtInteger;
  int FDecimal = 2;
  double FMinValue = 0;
  double FMaxValue = 0;
};
