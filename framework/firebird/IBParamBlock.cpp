#include "IBParamBlock.h"

#include "Exceptions.h"

namespace {

void AppendLittleEndian(QByteArray &bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i)
    bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

void TIBParamBlock::AddString(char tag, const QByteArray &value) {
  if (value.size() > 255)
    throw EDatabaseError(QStringLiteral("Parameter value too long (%1 bytes)").arg(value.size()));
  FBytes.append(tag);
  FBytes.append(static_cast<char>(value.size()));
  FBytes.append(value);
}

void TIBParamBlock::AddInt(char tag, int32_t value) {
  FBytes.append(tag);
  FBytes.append(char(4));
  AppendLittleEndian(FBytes, static_cast<uint32_t>(value), 4);
}

void TIBParamBlock::AddString2(char tag, const QByteArray &value) {
  if (value.size() > 0xFFFF)
    throw EDatabaseError(QStringLiteral("Parameter value too long (%1 bytes)").arg(value.size()));
  FBytes.append(tag);
  AppendLittleEndian(FBytes, static_cast<uint32_t>(value.size()), 2);
  FBytes.append(value);
}

void TIBParamBlock::AddInt4(char tag, int32_t value) {
  FBytes.append(tag);
  AppendLittleEndian(FBytes, static_cast<uint32_t>(value), 4);
}
