// The payload records of a tampered or damaged setup file. Input: records end
// to end, each a 12-byte header and the phCmpSiz bytes its header announces
// (the last one may be cut short); they become the records 128, 129, ... of
// the emulated module, and a small intact record stands in for each one the
// input does not reach. Every record goes through both unpacking entries (in
// place and from a working buffer) and the integrity scan runs over the set.
// Properties: the two entries agree; a record that unpacks is exactly
// phOrgSiz bytes with the CRC-32 zlib computes for them; the scan's total is
// the sum of the flagged records when all unpack and -1 otherwise.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "catalogue/payload_files.h"
#include "engine/crc32.h"
#include "engine/mem_stream.h"
#include "engine/pay_head.h"
#include "engine/payload_store.h"
#include "engine/payload_unpack.h"
#include "fuzz_input.h"
#include "platform/wincodes.h"
#include "support/payload_records.h"

namespace {

// A header may ask for up to 4 GiB; the fuzzer's memory limit is far below
// that, and a real setup file carries nothing near it (the largest product
// file is about 7.5 MiB). Records that claim more are still offered to the
// unpacking, which must refuse them without reading or writing out of bounds,
// but they are not unpacked twice. A claim the record can reach is cut down
// to this size first: the zeros that stand in for a body shorter than
// phCmpSiz inflate too, and gigabytes of them would only measure the time and
// memory the fuzzer has, not the unpacking.
constexpr std::uint32_t cLargeOrgSiz = 16u << 20;

const TByteVec& StandIn() {
  static const TByteVec record = MakeRecord(SampleBytes(300, 7));
  return record;
}

std::uint32_t ZlibCrcOf(const std::uint8_t* data, std::size_t size) {
  return static_cast<std::uint32_t>(crc32(0, data, static_cast<uInt>(size)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The CRC unit against zlib's over the raw input, in one piece and in two.
  std::uint32_t crc = 0;
  CRC32Init(crc);
  CRC32Update(data, static_cast<std::int32_t>(size / 3), crc);
  CRC32Update(data + size / 3, static_cast<std::int32_t>(size - size / 3), crc);
  FUZZ_CHECK(~crc == ZlibCrcOf(data, size));

  TFuzzSystem<> system;
  TSimPlatform& sim = system.sim;
  std::vector<TByteVec> records;
  std::size_t pos = 0;
  while (pos < size && records.size() < cPayFileCount) {
    std::size_t length = size - pos;
    if (length >= cPayHeadSize) {
      const TPayHead head = DecodePayHead(data + pos);
      length = std::min<std::uint64_t>(length, cPayHeadSize + std::uint64_t{head.phCmpSiz});
    }
    records.emplace_back(data + pos, data + pos + length);
    if (length >= cPayHeadSize) {
      TPayHead head = DecodePayHead(records.back().data());
      if (head.phOrgSiz > cLargeOrgSiz && PayHeadReachable(head)) {
        head.phOrgSiz = cLargeOrgSiz;
        EncodePayHead(head, records.back().data());
      }
    }
    pos += length;
  }
  while (records.size() < cPayFileCount) records.push_back(StandIn());

  std::int64_t expected = 0;
  TMemStream reused;  // one buffer for every record, as the scan uses it
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const TByteVec& record = records[i];
    sim.resources[{cRtRcData, PayResourceId(static_cast<int>(i))}] = record;
    bool unpacked = false;
    if (record.size() >= cPayHeadSize) {
      const TPayHead head = DecodePayHead(record.data());
      unpacked = ReadPayloadEntry(static_cast<int>(i), reused);
      FUZZ_CHECK(reused.Position() == 0);
      if (unpacked) {
        FUZZ_CHECK(reused.Size() == head.phOrgSiz);
        FUZZ_CHECK(ZlibCrcOf(reused.Data(), reused.Size()) == head.phCrcVal);
      }
      if (head.phOrgSiz <= cLargeOrgSiz) {
        // The same record from a working buffer that holds the body.
        TMemStream buffer;
        buffer.Write(record.data() + cPayHeadSize, record.size() - cPayHeadSize);
        FUZZ_CHECK(UnpackPayload(buffer, head) == unpacked);
        FUZZ_CHECK(buffer.Position() == 0);
        if (unpacked)
          FUZZ_CHECK(buffer.Size() == reused.Size() &&
                     (buffer.Size() == 0 || std::memcmp(buffer.Data(), reused.Data(), buffer.Size()) == 0));
      }
    } else {
      bool refused = false;
      try {
        ReadPayloadEntry(static_cast<int>(i), reused);
      } catch (const EReadError&) {
        refused = true;
      }
      FUZZ_CHECK(refused);
    }
    if (!PayFiles[i].pfInstal || expected == -1) continue;
    expected = unpacked ? expected + static_cast<std::int64_t>(DecodePayHead(record.data()).phOrgSiz) : -1;
  }
  FUZZ_CHECK(CheckPayload() == expected);
  return 0;
}
