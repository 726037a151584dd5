#include "StoreFixture.h"

#include "Fields.h"

#include "Win1250.h"

#include <cstring>

// Writes the value through a scratch buffer in the field's native format, the way the table does.
void StoreFixture::Put(TwoxRecord &record, TField *field, const QVariant &value) {
  if (value.isNull()) {
    Store.WriteField(record, field, nullptr);
    return;
  }
  QByteArray native(field->DataSize() + 1, '\0');
  switch (field->DataType()) {
  case ftString:
  case ftFixedChar: {
    const QByteArray text = Win1250::Encode(value.toString());
    std::memcpy(native.data(), text.constData(),
                std::size_t(std::min<qsizetype>(text.size(), field->Size())));
    break;
  }
  case ftInteger:
  case ftAutoInc: {
    const qint32 v = value.toInt();
    std::memcpy(native.data(), &v, sizeof v);
    break;
  }
  case ftFloat: {
    const double v = value.toDouble();
    std::memcpy(native.data(), &v, sizeof v);
    break;
  }
  case ftLargeint: {
    const qint64 v = value.toLongLong();
    std::memcpy(native.data(), &v, sizeof v);
    break;
  }
  default: ADD_FAILURE() << "type not handled by the fixture";
  }
  Store.WriteField(record, field, native.constData());
}

TwoxRecord *StoreFixture::Add(const QVariantList &values) {
  auto record = Store.AllocRecord();
  for (int i = 0; i < values.size(); ++i)
    Put(*record, Fields.Fields(i), values[i]);
  return Store.AppendRecord(std::move(record));
}
