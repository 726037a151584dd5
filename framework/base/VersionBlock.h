#pragma once

#include <array>
#include <cstdint>

// The version block that every meridox_sec image carries and that upgrade finds by scanning the
// image: a fixed marker, then a value area laid out as a short string whose bytes 1-4 hold the
// version dword (little-endian, high word = major, low word = minor). Bytes 5-8 hold release and
// build, which the updater does not compare.
namespace VersionBlock {

inline constexpr int MarkerSize = 20;
inline constexpr int ValueSize = 241;
inline constexpr std::array<std::uint8_t, MarkerSize> Marker = {0xBE, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
                                                                0xB8, 0xB9, 0xB1, 0xB2, 0x0B, 0x0B, 0x0D,
                                                                0x0D, 0x0F, 0x0F, 0x0A, 0x0A, 0x0C};

// Length byte of the value string: the version dword and the two further 16-bit numbers.
inline constexpr std::uint8_t ValueLength = 8;

struct TBlockBytes {
  std::uint8_t Marker[MarkerSize];
  std::uint8_t Value[ValueSize];
};
static_assert(sizeof(TBlockBytes) == MarkerSize + ValueSize);

constexpr std::uint32_t VersionDword(std::uint16_t major, std::uint16_t minor) {
  return (std::uint32_t(major) << 16) | minor;
}

// Writes the version into a value area.
constexpr void SetVersion(std::uint8_t *value, std::uint16_t major, std::uint16_t minor,
                          std::uint16_t release, std::uint16_t build) {
  const std::uint32_t dword = VersionDword(major, minor);
  value[0] = ValueLength;
  for (int i = 0; i < 4; ++i)
    value[1 + i] = std::uint8_t(dword >> (8 * i));
  value[5] = std::uint8_t(release);
  value[6] = std::uint8_t(release >> 8);
  value[7] = std::uint8_t(build);
  value[8] = std::uint8_t(build >> 8);
}

constexpr std::uint32_t ReadVersionDword(const std::uint8_t *value) {
  return std::uint32_t(value[1]) | (std::uint32_t(value[2]) << 8) | (std::uint32_t(value[3]) << 16) |
         (std::uint32_t(value[4]) << 24);
}

constexpr TBlockBytes Make(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                           std::uint16_t build) {
  TBlockBytes block{};
  for (int i = 0; i < MarkerSize; ++i)
    block.Marker[i] = Marker[i];
  SetVersion(block.Value, major, minor, release, build);
  return block;
}

} // namespace VersionBlock
