// Slicing by eight: one 64-bit load and eight table look-ups per eight bytes,
// the remaining 0 to 7 bytes one at a time. Table k maps a byte to the CRC
// contribution it makes when k zero bytes follow it, so the eight look-ups
// of one step advance the running value by eight bytes at once; the result
// equals the byte-by-byte definition.
//
// One such step depends on the one before, so a single pass is bound by the
// latency of its look-ups. Long inputs are therefore cut into blocks of four
// consecutive lanes that are sliced side by side (the first lane continues
// the running value, the others start from zero), and the lane values are
// joined afterwards: the register update is linear, so a lane's value
// carried over n more bytes is its value pushed through n zero bytes, which
// four further tables give for the fixed lane length. Every byte still goes
// through the same eight-byte steps in memory order.
#include "engine/crc32.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

namespace {

using TCrcTables = std::array<std::array<std::uint32_t, 256>, 8>;
using TShiftTables = std::array<std::array<std::uint32_t, 256>, 4>;

constexpr TCrcTables MakeTables() {
  TCrcTables t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (std::size_t k = 1; k < 8; ++k)
    for (std::size_t n = 0; n < 256; ++n) t[k][n] = t[0][t[k - 1][n] & 0xFFu] ^ (t[k - 1][n] >> 8);
  return t;
}

constexpr TCrcTables kTables = MakeTables();

constexpr std::size_t kLanes = 4;
constexpr std::size_t kLaneBytes = 1024;  // a multiple of 8

// Table j maps byte j of a running value to what that byte becomes after
// kLaneBytes zero bytes; built from the 32 single-bit values.
constexpr TShiftTables MakeShiftTables() {
  std::uint32_t bit[32] = {};
  for (int i = 0; i < 32; ++i) {
    std::uint32_t r = 1u << i;
    for (std::size_t k = 0; k < kLaneBytes; ++k) r = kTables[0][r & 0xFFu] ^ (r >> 8);
    bit[i] = r;
  }
  TShiftTables s{};
  for (int j = 0; j < 4; ++j)
    for (int v = 0; v < 256; ++v) {
      std::uint32_t x = 0;
      for (int b = 0; b < 8; ++b)
        if (((v >> b) & 1) != 0) x ^= bit[8 * j + b];
      s[j][v] = x;
    }
  return s;
}

constexpr TShiftTables kShift = MakeShiftTables();

// Eight bytes in memory order, the first one in the low byte.
inline std::uint64_t LoadEight(const unsigned char* p) {
  std::uint64_t w;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&w, p, sizeof w);
  } else {
    w = 0;
    for (int i = 7; i >= 0; --i) w = (w << 8) | p[i];
  }
  return w;
}

// One step: the eight bytes at p folded into the running value c.
inline std::uint32_t StepEight(const unsigned char* p, std::uint32_t c) {
  const std::uint64_t w = LoadEight(p) ^ c;
  const auto lo = static_cast<std::uint32_t>(w), hi = static_cast<std::uint32_t>(w >> 32);
  return (kTables[7][lo & 0xFFu] ^ kTables[6][(lo >> 8) & 0xFFu] ^ kTables[5][(lo >> 16) & 0xFFu] ^
          kTables[4][lo >> 24]) ^
         (kTables[3][hi & 0xFFu] ^ kTables[2][(hi >> 8) & 0xFFu] ^ kTables[1][(hi >> 16) & 0xFFu] ^
          kTables[0][hi >> 24]);
}

// The running value c carried over kLaneBytes zero bytes.
inline std::uint32_t ShiftLane(std::uint32_t c) {
  return kShift[0][c & 0xFFu] ^ kShift[1][(c >> 8) & 0xFFu] ^ kShift[2][(c >> 16) & 0xFFu] ^ kShift[3][c >> 24];
}

}  // namespace

void CRC32Init(std::uint32_t& crc) { crc = 0xFFFFFFFFu; }

std::uint32_t CRC32Update(const void* data, std::int32_t length, std::uint32_t& crc) {
  if (length <= 0) return crc;
  const auto* p = static_cast<const unsigned char*>(data);
  std::size_t n = static_cast<std::size_t>(length);
  std::uint32_t c = crc;
  while (n >= kLanes * kLaneBytes) {
    std::uint32_t lane[kLanes] = {c};
    for (std::size_t i = 0; i < kLaneBytes; i += 8) {
#pragma GCC unroll 4
      for (std::size_t l = 0; l < kLanes; ++l) lane[l] = StepEight(p + l * kLaneBytes + i, lane[l]);
    }
    c = lane[0];
    for (std::size_t l = 1; l < kLanes; ++l) c = ShiftLane(c) ^ lane[l];
    p += kLanes * kLaneBytes;
    n -= kLanes * kLaneBytes;
  }
  while (n >= 8) {
    c = StepEight(p, c);
    p += 8;
    n -= 8;
  }
  while (n-- > 0) c = kTables[0][(c ^ *p++) & 0xFFu] ^ (c >> 8);
  crc = c;
  return c;
}
