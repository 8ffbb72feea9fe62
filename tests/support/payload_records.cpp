#include "support/payload_records.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

TByteVec RawDeflate(const TByteVec& data, int level) {
  z_stream s{};
  if (deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  TByteVec out(deflateBound(&s, static_cast<uLong>(data.size())) + 16);
  s.next_in = const_cast<Bytef*>(data.data());
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&s, Z_FINISH);
  out.resize(out.size() - s.avail_out);
  deflateEnd(&s);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

std::uint32_t ZlibCrc(const TByteVec& data) {
  return static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

TPayHead HeadFor(const TByteVec& data, const TByteVec& stream) {
  return TPayHead{ZlibCrc(data), static_cast<std::uint32_t>(stream.size()), static_cast<std::uint32_t>(data.size())};
}

TByteVec JoinRecord(const TPayHead& head, const TByteVec& stream) {
  TByteVec record(cPayHeadSize + stream.size());
  EncodePayHead(head, record.data());
  std::copy(stream.begin(), stream.end(), record.begin() + cPayHeadSize);
  return record;
}

TByteVec MakeRecord(const TByteVec& data, int level) {
  const TByteVec stream = RawDeflate(data, level);
  return JoinRecord(HeadFor(data, stream), stream);
}

TByteVec SampleBytes(std::size_t length, std::uint32_t seed) {
  static const char* const kWords[] = {"hash ", "file ", "value ", "check ", "folder ", "the ", "of ", "list\r\n"};
  TByteVec out;
  std::uint32_t x = seed * 2654435761u + 1;
  while (out.size() < length) {
    x = x * 1103515245u + 12345u;
    const char* w = kWords[(x >> 16) % 8];
    while (*w != 0 && out.size() < length) out.push_back(static_cast<std::uint8_t>(*w++));
    if ((x >> 8) % 5 == 0 && out.size() < length) out.push_back(static_cast<std::uint8_t>(x >> 24));
  }
  return out;
}
