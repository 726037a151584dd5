#pragma once

#include <QByteArray>
#include <cstdint>

// The tagged byte blocks the client library takes for connections, transactions and services.
class TIBParamBlock {
public:
  explicit TIBParamBlock(char version) { FBytes.append(version); }
  TIBParamBlock() = default;

  void AddTag(char tag) { FBytes.append(tag); }
  // Tag, one length byte, the bytes (connection and service attach blocks).
  void AddString(char tag, const QByteArray &value);
  void AddInt(char tag, int32_t value);
  // Tag, two length bytes, the bytes (service requests).
  void AddString2(char tag, const QByteArray &value);
  void AddInt4(char tag, int32_t value);

  const QByteArray &Bytes() const { return FBytes; }
  short Length() const { return static_cast<short>(FBytes.size()); }
  char *Data() { return FBytes.data(); }

private:
  QByteArray FBytes;
};
