#include "Upg.h"

#include <QByteArrayView>
#include <cstring>

std::uint32_t TRandomGenerator::Random(std::uint32_t range) {
  Seed = Seed * 134775813u + 1u;
  return std::uint32_t((std::uint64_t(range) * Seed) >> 32);
}

void TUpgradeArchiver::ResetKey() { FRandom.Seed = KeySeed; }

void TUpgradeArchiver::ApplyKey(char *buffer, qint64 count) {
  for (qint64 i = 0; i < count; ++i) {
    std::uint32_t key = FRandom.Random(256);
    if (i % 59 == 0)
      key = FRandom.Random(256);
    buffer[i] = char(std::uint8_t(buffer[i]) ^ key);
  }
}

void TUpgradeArchiver::BeginMember(const QString &, const TArchiveEntry &) { ResetKey(); }

void TUpgradeArchiver::DecodeBuffer(char *buffer, qint64 count) { ApplyKey(buffer, count); }

void VerifyPackage(const QString &fileName) {
  TUpgradeArchiver archiver;
  archiver.Open(fileName, true);
  archiver.ForEachEntry();
}

namespace {

// Where the value area after the block's first marker begins.
qint64 ValueOffset(QByteArrayView image, const TVersionBlock &block) {
  const qint64 at = image.indexOf(QByteArrayView(block.Bytes.Marker, VersionBlock::MarkerSize));
  if (at < 0 || image.size() - at - VersionBlock::MarkerSize < VersionBlock::ValueSize)
    throw Exception(QStringLiteral("Brak ciągu identyfikującego"));
  return at + VersionBlock::MarkerSize;
}

} // namespace

void FindMarkedBlock(char *image, qint64 size, TVersionBlock &block, bool copyOut) {
  char *value = image + ValueOffset(QByteArrayView(image, size), block);
  if (copyOut)
    std::memcpy(block.Bytes.Value, value, VersionBlock::ValueSize);
  else
    std::memcpy(value, block.Bytes.Value, VersionBlock::ValueSize);
}

TVersionBlock ImageVersionBlock(const QByteArray &image) {
  TVersionBlock block;
  std::memcpy(block.Bytes.Value, image.constData() + ValueOffset(image, block), VersionBlock::ValueSize);
  return block;
}
