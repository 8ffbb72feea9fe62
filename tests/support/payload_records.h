// Payload records made in tests: the same layout the build's packer writes
// (12-byte header, raw deflate stream), with every field under the test's
// control.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/pay_head.h"

using TByteVec = std::vector<std::uint8_t>;

// Raw deflate stream of data (zlib, window bits -15) at the given level
// (0 gives stored blocks, which keep the data's own bytes visible).
TByteVec RawDeflate(const TByteVec& data, int level = 9);

// CRC-32 of data as zlib computes it: an independent reference.
std::uint32_t ZlibCrc(const TByteVec& data);

// The header a packer writes for data and its stream.
TPayHead HeadFor(const TByteVec& data, const TByteVec& stream);

// Header followed by stream.
TByteVec JoinRecord(const TPayHead& head, const TByteVec& stream);

// A well-formed record of data.
TByteVec MakeRecord(const TByteVec& data, int level = 9);

// Text-like bytes of the given length, different for each seed.
TByteVec SampleBytes(std::size_t length, std::uint32_t seed);
