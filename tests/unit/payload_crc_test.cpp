// The payload's CRC-32: known values, and the sliced loop against the
// byte-by-byte definition.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/crc32.h"
#include "support/payload_records.h"

namespace {

// The definition itself, one bit at a time: independent of any table.
std::uint32_t BitwiseCrc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

std::uint32_t Crc(const void* data, std::int32_t length) {
  std::uint32_t crc = 0;
  CRC32Init(crc);
  CRC32Update(data, length, crc);
  return ~crc;
}

}  // namespace

// The check values the record format is defined by: "abc" and empty input.
TEST(PayloadCrc, KnownValues) {
  EXPECT_EQ(Crc("abc", 3), 0x352441C2u);
  EXPECT_EQ(Crc("", 0), 0u);
  EXPECT_EQ(Crc("123456789", 9), 0xCBF43926u);
}

// Init sets 0xFFFFFFFF; Update stores the running value and returns it, uncomplemented.
TEST(PayloadCrc, InitAndUpdateContract) {
  std::uint32_t crc = 0x12345678u;
  CRC32Init(crc);
  EXPECT_EQ(crc, 0xFFFFFFFFu);
  const std::uint32_t returned = CRC32Update("abc", 3, crc);
  EXPECT_EQ(returned, crc);
  EXPECT_EQ(crc, ~0x352441C2u);
  EXPECT_EQ(CRC32Update("abc", 0, crc), ~0x352441C2u);   // nothing to fold
  EXPECT_EQ(CRC32Update("abc", -5, crc), ~0x352441C2u);  // a negative length folds nothing
}

// Every length 0-64 at every alignment 0-7 equals the bit-by-bit definition,
// so the eight-byte steps, the tail and unaligned loads all agree.
TEST(PayloadCrc, SlicedEqualsDefinitionAtEveryLengthAndAlignment) {
  const TByteVec data = SampleBytes(64 + 8 + 8, 7);
  alignas(8) std::uint8_t buffer[64 + 16];
  for (std::size_t align = 0; align < 8; ++align) {
    for (std::size_t length = 0; length <= 64; ++length) {
      std::memcpy(buffer + align, data.data() + length % 7, length);
      ASSERT_EQ(Crc(buffer + align, static_cast<std::int32_t>(length)), BitwiseCrc(buffer + align, length))
          << "length " << length << " alignment " << align;
    }
  }
}

// Folding a buffer in uneven pieces gives the value of one pass, and both
// equal zlib's crc32 on a large buffer with every byte value.
TEST(PayloadCrc, PiecewiseEqualsWholeAndZlib) {
  TByteVec data = SampleBytes(100003, 3);
  for (std::size_t i = 0; i < data.size(); i += 97) data[i] = static_cast<std::uint8_t>(i * 31);
  std::uint32_t pieces = 0;
  CRC32Init(pieces);
  std::size_t at = 0;
  for (std::int32_t step = 1; at < data.size(); step = step * 3 % 1021 + 1) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(step), data.size() - at);
    CRC32Update(data.data() + at, static_cast<std::int32_t>(n), pieces);
    at += n;
  }
  EXPECT_EQ(~pieces, Crc(data.data(), static_cast<std::int32_t>(data.size())));
  EXPECT_EQ(~pieces, ZlibCrc(data));
}

// Inputs long enough for the side-by-side lanes, at and around their block
// size and at odd alignments, equal zlib's crc32 and the bitwise definition.
TEST(PayloadCrc, LongInputsAroundTheLaneBlocksEqualZlib) {
  const TByteVec data = SampleBytes(70000, 11);
  for (std::size_t length : {4095u, 4096u, 4097u, 8191u, 8192u + 7u, 12288u + 5u, 65536u + 3u}) {
    for (std::size_t align : {0u, 3u}) {
      const TByteVec slice(data.begin() + static_cast<std::ptrdiff_t>(align),
                           data.begin() + static_cast<std::ptrdiff_t>(align + length));
      const std::uint32_t crc = Crc(data.data() + align, static_cast<std::int32_t>(length));
      ASSERT_EQ(crc, ZlibCrc(slice)) << "length " << length << " alignment " << align;
      ASSERT_EQ(crc, BitwiseCrc(slice.data(), slice.size())) << "length " << length << " alignment " << align;
    }
  }
}

