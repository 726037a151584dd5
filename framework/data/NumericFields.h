#pragma once

#include "Bcd.h"
#include "Field.h"

// Numbers: right-aligned, formatted by DisplayFormat / EditFormat (FormatFloat patterns) when set.
class TNumericField : public TField {
public:
  const QString &DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const QString &value);
  const QString &EditFormat() const { return FEditFormat; }
  void SetEditFormat(const QString &value);
  void AssignDisplayProperties(const TField &source) override;

protected:
  TNumericField(QObject *owner, TFieldType dataType);
  [[noreturn]] void RangeError(double value, double min, double max) const;
  // Text and variants of the integer classes, through SetAsLargeInt and SetAsFloat.
  void SetIntegerText(const QString &value);
  void SetIntegerVariant(const QVariant &value);

private:
  QString FDisplayFormat, FEditFormat;
};

// Native formats: ftInteger / ftAutoInc int32, ftSmallint int16, ftWord uint16.
class TIntegerField : public TNumericField {
public:
  explicit TIntegerField(QObject *owner = nullptr);
  int DataSize() const override;
  int MinValue() const { return FMinValue; }
  void SetMinValue(int value) { FMinValue = value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value) { FMaxValue = value; }
  bool GetValue(int &value) const;
  void AssignDisplayProperties(const TField &source) override;

protected:
  TIntegerField(QObject *owner, TFieldType dataType, int minRange, int maxRange);
  int GetAsInteger() const override;
  qint64 GetAsLargeInt() const override { return GetAsInteger(); }
  double GetAsFloat() const override { return GetAsInteger(); }
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  QString GetText(bool displayText) const override;
  void SetAsIntegerValue(int value) override;
  void SetAsLargeIntValue(qint64 value) override;
  void SetAsFloatValue(double value) override;
  void SetAsStringValue(const QString &value) override { SetIntegerText(value); }
  void SetVarValue(const QVariant &value) override { SetIntegerVariant(value); }
  int GetDefaultWidth() const override { return 11; }

private:
  int FMinRange, FMaxRange;
  int FMinValue = 0, FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
public:
  explicit TSmallintField(QObject *owner = nullptr);

protected:
  int GetDefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
public:
  explicit TWordField(QObject *owner = nullptr);

protected:
  int GetDefaultWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
public:
  explicit TAutoIncField(QObject *owner = nullptr);
};

// Native format: int64.
class TLargeintField : public TNumericField {
public:
  explicit TLargeintField(QObject *owner = nullptr);
  int DataSize() const override { return 8; }
  qint64 MinValue() const { return FMinValue; }
  void SetMinValue(qint64 value) { FMinValue = value; }
  qint64 MaxValue() const { return FMaxValue; }
  void SetMaxValue(qint64 value) { FMaxValue = value; }
  bool GetValue(qint64 &value) const;
  void AssignDisplayProperties(const TField &source) override;

protected:
  qint64 GetAsLargeInt() const override;
  int GetAsInteger() const override;
  double GetAsFloat() const override { return double(GetAsLargeInt()); }
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  QString GetText(bool displayText) const override;
  void SetAsLargeIntValue(qint64 value) override;
  void SetAsIntegerValue(int value) override { SetAsLargeIntValue(value); }
  void SetAsFloatValue(double value) override;
  void SetAsStringValue(const QString &value) override { SetIntegerText(value); }
  void SetVarValue(const QVariant &value) override { SetIntegerVariant(value); }
  int GetDefaultWidth() const override { return 15; }

private:
  qint64 FMinValue = 0, FMaxValue = 0;
};

// Native format: double (ftFloat, ftCurrency).
class TFloatField : public TNumericField {
public:
  explicit TFloatField(QObject *owner = nullptr);
  int DataSize() const override { return 8; }
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value);
  int Precision() const { return FPrecision; }
  void SetPrecision(int value);
  double MinValue() const { return FMinValue; }
  void SetMinValue(double value) { FMinValue = value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double value) { FMaxValue = value; }
  bool GetValue(double &value) const;
  void AssignDisplayProperties(const TField &source) override;

protected:
  TFloatField(QObject *owner, TFieldType dataType);
  double GetAsFloat() const override;
  int GetAsInteger() const override;
  qint64 GetAsLargeInt() const override;
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  QString GetText(bool displayText) const override;
  void SetAsFloatValue(double value) override;
  void SetAsIntegerValue(int value) override { SetAsFloatValue(value); }
  void SetAsLargeIntValue(qint64 value) override { SetAsFloatValue(double(value)); }
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;

private:
  bool FCurrency = false;
  int FPrecision = 15;
  double FMinValue = 0, FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
public:
  explicit TCurrencyField(QObject *owner = nullptr);
};

// Native format: TBcd (34 bytes).
class TBCDField : public TNumericField {
public:
  explicit TBCDField(QObject *owner = nullptr);
  int DataSize() const override { return int(sizeof(TBcd)); }
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool value);
  int Precision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }
  double MinValue() const { return FMinValue; }
  void SetMinValue(double value) { FMinValue = value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double value) { FMaxValue = value; }
  bool GetValue(TBcd &value) const;
  void AssignDisplayProperties(const TField &source) override;

protected:
  double GetAsFloat() const override;
  int GetAsInteger() const override;
  qint64 GetAsLargeInt() const override;
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  QString GetText(bool displayText) const override;
  void SetAsFloatValue(double value) override;
  void SetAsIntegerValue(int value) override { SetAsLargeIntValue(value); }
  void SetAsLargeIntValue(qint64 value) override;
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;

private:
  void SetBcd(const TBcd &value);
  bool FCurrency = false;
  int FPrecision = 0;
  double FMinValue = 0, FMaxValue = 0;
};
