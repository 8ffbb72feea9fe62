// Unpacking, reading and scanning payload records: every outcome of the
// failure table, the edge cases of the record format, and damage of every
// single bit of a record.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <stdexcept>

#include "catalogue/payload_files.h"
#include "engine/payload_store.h"
#include "engine/payload_unpack.h"
#include "platform/wincodes.h"
#include "support/payload_records.h"
#include "support/sim_fixture.h"

namespace {

class PayloadStore : public SimFixture {
 public:
  void PutRecord(int index, const TByteVec& record) { sim.resources[{cRtRcData, PayResourceId(index)}] = record; }
  void RemoveRecord(int index) { sim.resources.erase({cRtRcData, PayResourceId(index)}); }

  // Unpacks a whole record (header and body) the way the interface describes
  // it: the body in the buffer from position 0.
  static bool UnpackViaBuffer(const TByteVec& record, TMemStream& buffer) {
    buffer.Clear();
    buffer.Write(record.data() + cPayHeadSize, record.size() - cPayHeadSize);
    buffer.SetPosition(buffer.Size() / 2);  // UnpackPayload reads from position 0 whatever the position
    return UnpackPayload(buffer, DecodePayHead(record.data()));
  }

  static TByteVec Content(const TMemStream& buffer) {
    return buffer.Size() == 0 ? TByteVec{} : TByteVec(buffer.Data(), buffer.Data() + buffer.Size());
  }

  // Fifteen small records, one per entry, each of a different size.
  std::int64_t PutAllRecords() {
    std::int64_t flagged = 0;
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      const TByteVec data = SampleBytes(100 + 37 * i, static_cast<std::uint32_t>(i));
      PutRecord(static_cast<int>(i), MakeRecord(data));
      if (PayFiles[i].pfInstal) flagged += static_cast<std::int64_t>(data.size());
    }
    return flagged;
  }
};

struct TRecordCase {
  const char* name;
  // Builds the record bytes from the file's data and its raw stream, and
  // sets what a successful unpack must give.
  std::function<TByteVec(const TByteVec& data, const TByteVec& stream, TByteVec& expected)> build;
  bool ok;
};

TByteVec Concat(TByteVec a, const TByteVec& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const TRecordCase kRecordCases[] = {
    {"intact", [](const TByteVec& d, const TByteVec& s, TByteVec& e) { e = d; return JoinRecord(HeadFor(d, s), s); },
     true},
    {"wrong header CRC",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TPayHead h = HeadFor(d, s);
       h.phCrcVal ^= 0x00010000u;
       return JoinRecord(h, s);
     },
     false},
    {"Adler-32 trailer appended, counted in phCmpSiz",
     [](const TByteVec& d, const TByteVec& s, TByteVec& e) {
       e = d;
       const std::uint32_t adler = static_cast<std::uint32_t>(adler32(1, d.data(), static_cast<uInt>(d.size())));
       const TByteVec withTrailer = Concat(s, {static_cast<std::uint8_t>(adler >> 24), static_cast<std::uint8_t>(adler >> 16),
                                               static_cast<std::uint8_t>(adler >> 8), static_cast<std::uint8_t>(adler)});
       return JoinRecord(HeadFor(d, withTrailer), withTrailer);
     },
     true},
    {"junk after the stream, not counted in phCmpSiz",
     [](const TByteVec& d, const TByteVec& s, TByteVec& e) {
       e = d;
       return Concat(JoinRecord(HeadFor(d, s), s), TByteVec(50, 0xA5));
     },
     true},
    {"junk after the stream, counted in phCmpSiz",
     [](const TByteVec& d, const TByteVec& s, TByteVec& e) {
       e = d;
       const TByteVec junk = Concat(s, TByteVec(50, 0xFF));
       return JoinRecord(HeadFor(d, junk), junk);
     },
     true},
    {"phOrgSiz one larger than the file",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TPayHead h = HeadFor(d, s);
       ++h.phOrgSiz;
       return JoinRecord(h, s);
     },
     false},
    {"phOrgSiz smaller, CRC of the whole file",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TPayHead h = HeadFor(d, s);
       h.phOrgSiz -= 10;
       return JoinRecord(h, s);
     },
     false},
    {"phOrgSiz smaller, CRC of exactly that prefix",
     [](const TByteVec& d, const TByteVec& s, TByteVec& e) {
       e.assign(d.begin(), d.end() - 10);
       TPayHead h = HeadFor(e, s);
       return JoinRecord(h, s);
     },
     true},
    {"phOrgSiz far beyond what the stream can give",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TPayHead h = HeadFor(d, s);
       h.phOrgSiz = 0xFFFFFFFFu;
       return JoinRecord(h, s);
     },
     false},
    {"phCmpSiz far beyond the record",
     [](const TByteVec& d, const TByteVec& s, TByteVec& e) {
       e = d;
       TPayHead h = HeadFor(d, s);
       h.phCmpSiz = 0xFFFFFFFFu;  // the zeros standing in for the rest are never reached
       return JoinRecord(h, s);
     },
     true},
    {"phCmpSiz zero",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TPayHead h = HeadFor(d, s);
       h.phCmpSiz = 0;
       return JoinRecord(h, s);
     },
     false},
    {"corrupt deflate data (reserved block type)",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TByteVec bad = s;
       bad[0] = 0x07;  // final block of type 3, which does not exist
       return JoinRecord(HeadFor(d, bad), bad);
     },
     false},
    {"record shorter than phCmpSiz (stream cut)",
     [](const TByteVec& d, const TByteVec& s, TByteVec&) {
       TByteVec record = JoinRecord(HeadFor(d, s), s);
       record.resize(record.size() - s.size() / 2);
       return record;
     },
     false},
    {"empty file",
     [](const TByteVec&, const TByteVec&, TByteVec& e) {
       e.clear();
       const TByteVec s = RawDeflate({});
       return JoinRecord(HeadFor({}, s), s);
     },
     true},
};

}  // namespace

// Every case of the table gives the same result through the buffer interface,
// through the record read in place and through the scan's check (one window
// reused for all cases), and the buffer stands at position 0.
TEST_F(PayloadStore, RecordCasesUnpackAsSpecified) {
  const TByteVec data = SampleBytes(5000, 1);
  const TByteVec stream = RawDeflate(data);
  TMemStream window;
  for (const TRecordCase& c : kRecordCases) {
    SCOPED_TRACE(c.name);
    TByteVec expected;
    const TByteVec record = c.build(data, stream, expected);

    TMemStream viaBuffer;
    EXPECT_EQ(UnpackViaBuffer(record, viaBuffer), c.ok);
    EXPECT_EQ(viaBuffer.Position(), 0u);

    PutRecord(cPayLicenseFirst, record);
    TMemStream inPlace;
    EXPECT_EQ(ReadPayloadEntry(cPayLicenseFirst, inPlace), c.ok);
    EXPECT_EQ(inPlace.Position(), 0u);
    EXPECT_EQ(CheckPayloadBody(record.data() + cPayHeadSize, record.size() - cPayHeadSize, DecodePayHead(record.data()),
                               window),
              c.ok);
    if (c.ok) {
      EXPECT_EQ(Content(viaBuffer), expected);
      EXPECT_EQ(Content(inPlace), expected);
      EXPECT_EQ(inPlace.Size(), DecodePayHead(record.data()).phOrgSiz);
    }
  }
}

// The bound on phOrgSiz against phCmpSiz lets the most compressible real
// data through: several MiB of zeros packed at level 9 unpack, through the
// buffer and read in place.
TEST_F(PayloadStore, MiBOfZerosAtLevel9Unpack) {
  for (std::size_t size : {std::size_t{3} << 20, (std::size_t{15} << 19) + 1}) {
    const TByteVec zeros(size, 0);
    const TByteVec record = MakeRecord(zeros, 9);
    const TPayHead head = DecodePayHead(record.data());
    SCOPED_TRACE(testing::Message() << size << " bytes packed into " << head.phCmpSiz);
    TMemStream viaBuffer;
    EXPECT_TRUE(UnpackViaBuffer(record, viaBuffer));
    EXPECT_EQ(Content(viaBuffer), zeros);
    PutRecord(cPayMainProgram, record);
    TMemStream inPlace;
    EXPECT_TRUE(ReadPayloadEntry(cPayMainProgram, inPlace));
    EXPECT_EQ(inPlace.Size(), size);
  }
}

// A record shorter than its phCmpSiz reads as if padded with zeros: a
// stored stream whose last bytes are zeros still unpacks when they are cut
// off, and nothing beyond the record is read (the sanitizer build checks).
TEST_F(PayloadStore, ShortRecordIsReadAsZeroPadded) {
  TByteVec data = SampleBytes(300, 2);
  data.insert(data.end(), 40, 0);
  const TByteVec stream = RawDeflate(data, 0);  // stored: the data's own bytes end the stream
  ASSERT_EQ(TByteVec(stream.end() - 40, stream.end()), TByteVec(40, 0));
  TByteVec record = JoinRecord(HeadFor(data, stream), stream);
  record.resize(record.size() - 40);

  TMemStream buffer;
  EXPECT_TRUE(UnpackViaBuffer(record, buffer));
  EXPECT_EQ(Content(buffer), data);
  PutRecord(cPayLicenseFirst, record);
  ASSERT_TRUE(ReadPayloadEntry(cPayLicenseFirst, buffer));
  EXPECT_EQ(Content(buffer), data);

  // Cutting one more byte, which is not zero, makes it fail.
  record.pop_back();
  EXPECT_FALSE(UnpackViaBuffer(record, buffer));
  PutRecord(cPayLicenseFirst, record);
  EXPECT_FALSE(ReadPayloadEntry(cPayLicenseFirst, buffer));
}

// A header that claims more than the record's own bytes could inflate to
// counts on the zero padding. A stored block whose data all come from the
// padding still unpacks; a claim of nearly 4 GiB that the padding does not
// deliver fails without the room for it having been reserved.
TEST_F(PayloadStore, ClaimBeyondTheRecordsBytesIsNotReservedUpFront) {
  const TByteVec storedBlockHeader{0x01, 0xFF, 0xFF, 0x00, 0x00};  // final, stored, 65535 bytes
  const TByteVec zeros(0xFFFF, 0);
  const TByteVec fromPadding =
      JoinRecord(TPayHead{ZlibCrc(zeros), 5 + 0xFFFF, 0xFFFF}, storedBlockHeader);
  TMemStream buffer;
  EXPECT_TRUE(UnpackViaBuffer(fromPadding, buffer));
  EXPECT_EQ(Content(buffer), zeros);
  PutRecord(cPayLicenseFirst, fromPadding);
  ASSERT_TRUE(ReadPayloadEntry(cPayLicenseFirst, buffer));
  EXPECT_EQ(Content(buffer), zeros);

  TMemStream window;
  EXPECT_TRUE(CheckPayloadBody(fromPadding.data() + cPayHeadSize, fromPadding.size() - cPayHeadSize,
                               DecodePayHead(fromPadding.data()), window));

  const TByteVec claim = JoinRecord(TPayHead{0, 0xFFFFFF00u, 0xFFFFFF00u}, storedBlockHeader);
  EXPECT_FALSE(UnpackViaBuffer(claim, buffer));
  EXPECT_FALSE(CheckPayloadBody(claim.data() + cPayHeadSize, claim.size() - cPayHeadSize, DecodePayHead(claim.data()),
                                window));
  EXPECT_LE(window.Capacity(), 1u << 20);
  PutRecord(cPayLicenseFirst, claim);
  TMemStream fresh;
  EXPECT_FALSE(ReadPayloadEntry(cPayLicenseFirst, fresh));
  EXPECT_LE(fresh.Capacity(), 4u << 20);
}

// Every single-bit flip of a record's header and stream gives false, or true
// with the file's exact bytes; never a crash, never wrong bytes. Flips of
// the stored CRC are always caught.
TEST_F(PayloadStore, EverySingleBitFlipIsCaughtOrHarmless) {
  const TByteVec data = SampleBytes(400, 4);
  const TByteVec intact = MakeRecord(data);
  TMemStream buffer;
  for (std::size_t bit = 0; bit < intact.size() * 8; ++bit) {
    TByteVec record = intact;
    record[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    PutRecord(cPayLicenseFirst, record);
    const bool inPlace = ReadPayloadEntry(cPayLicenseFirst, buffer);
    if (inPlace) {
      ASSERT_EQ(Content(buffer), data) << "bit " << bit;
    }
    TMemStream viaBuffer;
    ASSERT_EQ(UnpackViaBuffer(record, viaBuffer), inPlace) << "bit " << bit;
    ASSERT_EQ(CheckPayloadBody(record.data() + cPayHeadSize, record.size() - cPayHeadSize, DecodePayHead(record.data()),
                               viaBuffer),
              inPlace)
        << "bit " << bit;
    if (bit < 32) {
      ASSERT_FALSE(inPlace) << "a flip in phCrcVal went unnoticed, bit " << bit;
    }
  }
}

// One buffer serves a large and then a small record: afterwards it holds
// exactly the small file at position 0.
TEST_F(PayloadStore, ReusedBufferHoldsExactlyTheLastFile) {
  const TByteVec large = SampleBytes(200000, 5), small = SampleBytes(123, 6);
  PutRecord(5, MakeRecord(large));
  PutRecord(6, MakeRecord(small));
  TMemStream buffer;
  ASSERT_TRUE(ReadPayloadEntry(5, buffer));
  EXPECT_EQ(Content(buffer), large);
  buffer.SetPosition(777);
  ASSERT_TRUE(ReadPayloadEntry(6, buffer));
  EXPECT_EQ(buffer.Size(), small.size());
  EXPECT_EQ(buffer.Position(), 0u);
  EXPECT_EQ(Content(buffer), small);
}

// A missing record raises the resource layer's exception; a record without
// a whole header and an index outside the table raise as well.
TEST_F(PayloadStore, ReadRaisesForMissingOrHeaderlessRecords) {
  TMemStream buffer;
  EXPECT_THROW(ReadPayloadEntry(cPayShellExt, buffer), EResNotFound);
  PutRecord(cPayShellExt, TByteVec(cPayHeadSize - 1, 0));
  EXPECT_THROW(ReadPayloadEntry(cPayShellExt, buffer), EReadError);
  EXPECT_THROW(ReadPayloadEntry(-1, buffer), std::out_of_range);
  EXPECT_THROW(ReadPayloadEntry(static_cast<int>(cPayFileCount), buffer), std::out_of_range);
}

// The scan adds the sizes of the flagged files only.
TEST_F(PayloadStore, ScanSumsTheFlaggedFiles) {
  const std::int64_t flagged = PutAllRecords();
  EXPECT_EQ(CheckPayload(), flagged);
}

// The read-me records are never opened by the scan: missing or damaged,
// they do not change its result.
TEST_F(PayloadStore, ScanNeverOpensTheReadMes) {
  const std::int64_t flagged = PutAllRecords();
  RemoveRecord(cPayReadMeFirst);
  PutRecord(cPayReadMeFirst + 1, TByteVec{1, 2, 3});
  EXPECT_EQ(CheckPayload(), flagged);
}

// Any flagged record that is missing, too short for its header, or does not
// unpack makes the scan return -1 (and nothing escapes from it).
TEST_F(PayloadStore, ScanFailsOnAnyBadFlaggedRecord) {
  struct TDamage {
    const char* name;
    std::function<void(PayloadStore&)> apply;
  };
  const TDamage damages[] = {
      {"missing", [](PayloadStore& t) { t.RemoveRecord(cPayUninstaller); }},
      {"header only half there", [](PayloadStore& t) { t.PutRecord(cPayMainProgram, TByteVec(6, 0)); }},
      {"wrong CRC",
       [](PayloadStore& t) {
         TByteVec r = MakeRecord(SampleBytes(999, 9));
         r[0] ^= 1;
         t.PutRecord(cPayCtxMenuPackage, r);
       }},
      {"stream cut short",
       [](PayloadStore& t) {
         TByteVec r = MakeRecord(SampleBytes(999, 9));
         r.resize(r.size() - 20);
         t.PutRecord(cPayLicenseFirst + 1, r);
       }},
  };
  for (const TDamage& d : damages) {
    SCOPED_TRACE(d.name);
    sim.resources.clear();
    PutAllRecords();
    d.apply(*this);
    EXPECT_EQ(CheckPayload(), -1);
  }
}
