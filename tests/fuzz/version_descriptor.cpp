#include "Exceptions.h"
#include "VersionDescriptor.h"

#include <cstdint>

// The version descriptor as the updater downloads it: any bytes from the network.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QList<QByteArray> lines =
      SplitDescriptorLines(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
  for (const bool answer : {false, true}) {
    try {
      FindUpgrade(lines, 4, 0, [answer] { return answer; });
    } catch (const EConvertError &) {
      // a version that is not a number is refused clearly
    }
  }
  return 0;
}
