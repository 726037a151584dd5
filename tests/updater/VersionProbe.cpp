// Prints the version found in this program's own image, as "major.minor.release.build".
#include "Upg.h"
#include "UpgradeInstaller.h"

#include <cstdio>

int main() {
  QByteArray image;
  if (!ReadWholeFile(QStringLiteral("/proc/self/exe"), image))
    return 2;
  const TVersionBlock block = ImageVersionBlock(image);
  const std::uint8_t *value = block.Bytes.Value;
  std::printf("%u.%u.%u.%u\n", block.Major(), block.Minor(), value[5] | (value[6] << 8),
              value[7] | (value[8] << 8));
  return 0;
}
