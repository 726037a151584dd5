#pragma once

#include "ArchDef.h"
#include "VersionBlock.h"

#include <QByteArray>
#include <cstdint>

// The runtime library's random generator as the package scrambling uses it.
class TRandomGenerator {
public:
  std::uint32_t Seed = 0;
  // A number in 0 .. range - 1.
  std::uint32_t Random(std::uint32_t range);
};

// The package reader with the scrambling of update packages: every data byte is XORed with a
// keystream that restarts for each member.
class TUpgradeArchiver : public TArchiver {
public:
  static constexpr std::uint32_t KeySeed = 0x3A9C5E17;

  void ResetKey() override;
  void ApplyKey(char *buffer, qint64 count) override;
  void BeginMember(const QString &folder, const TArchiveEntry &entry) override;
  void DecodeBuffer(char *buffer, qint64 count) override;

private:
  TRandomGenerator FRandom;
};

// Raises the reader's error when the file is not a whole update package: not an archive, a checksum
// that does not match, a chain of entries that breaks off. Decodes no member.
void VerifyPackage(const QString &fileName);

// A version block as the updater holds it: the marker and the value area after it.
struct TVersionBlock {
  VersionBlock::TBlockBytes Bytes = VersionBlock::Make(0, 0, 0, 0);

  std::uint32_t Version() const { return VersionBlock::ReadVersionDword(Bytes.Value); }
  std::uint16_t Major() const { return std::uint16_t(Version() >> 16); }
  std::uint16_t Minor() const { return std::uint16_t(Version()); }
};

// Finds the first marker in the first `size` bytes of the image; copies the value area after it into
// the block (copyOut) or the block's value area into the image. A missing marker, or one without a
// whole value area after it, raises "Brak ciągu identyfikującego".
void FindMarkedBlock(char *image, qint64 size, TVersionBlock &block, bool copyOut);
// The version block of a whole image.
TVersionBlock ImageVersionBlock(const QByteArray &image);
