// The 12-byte header in front of every payload record: three unsigned 32-bit
// little-endian numbers, then phCmpSiz bytes of raw deflate data. Header-only,
// so that the build's packing tool writes exactly what the store reads.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t cPayHeadSize = 12;

struct TPayHead {
  std::uint32_t phCrcVal;  // CRC-32 of the inflated file
  std::uint32_t phCmpSiz;  // bytes of the raw deflate stream after the header
  std::uint32_t phOrgSiz;  // size of the inflated file
};

// The header stored in the first cPayHeadSize bytes at p.
inline TPayHead DecodePayHead(const std::uint8_t* p) {
  auto u32 = [p](std::size_t at) {
    return static_cast<std::uint32_t>(p[at]) | static_cast<std::uint32_t>(p[at + 1]) << 8 |
           static_cast<std::uint32_t>(p[at + 2]) << 16 | static_cast<std::uint32_t>(p[at + 3]) << 24;
  };
  return TPayHead{u32(0), u32(4), u32(8)};
}

// Writes the header into the cPayHeadSize bytes at p.
inline void EncodePayHead(const TPayHead& head, std::uint8_t* p) {
  const std::uint32_t fields[3] = {head.phCrcVal, head.phCmpSiz, head.phOrgSiz};
  for (std::size_t f = 0; f < 3; ++f)
    for (std::size_t b = 0; b < 4; ++b) p[f * 4 + b] = static_cast<std::uint8_t>(fields[f] >> (8 * b));
}
