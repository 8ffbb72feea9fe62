// The integrity scan on several threads gives what the record-by-record
// definition gives (the flagged total, or -1), whatever the thread count and
// wherever the damaged record sits; it opens every flagged record at most
// once and never a read-me record.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/payload_scan.h"
#include "engine/payload_store.h"
#include "engine/payload_unpack.h"
#include "platform/sim/record_source.h"
#include "platform/wincodes.h"
#include "support/payload_facts.h"
#include "support/payload_records.h"
#include "support/sim_fixture.h"

namespace {

const unsigned kThreadCounts[] = {1, 2, 8};

class PayloadScan : public SimFixture {
 public:
  TByteVec& Record(int index) { return sim.resources.at({cRtRcData, PayResourceId(index)}); }
  void RemoveRecord(int index) { sim.resources.erase({cRtRcData, PayResourceId(index)}); }

  // The definition: the flagged records one after the other in table order,
  // stopping at the first that fails.
  std::int64_t SequentialTotal() {
    TMemStream buffer;
    std::int64_t total = 0;
    try {
      for (std::size_t i = 0; i < cPayFileCount; ++i) {
        if (!PayFiles[i].pfInstal) continue;
        if (!ReadPayloadEntry(static_cast<int>(i), buffer)) return -1;
        total += static_cast<std::int64_t>(buffer.Size());
      }
    } catch (...) {
      return -1;
    }
    return total;
  }

  // The flagged entry whose record inflates to the most bytes.
  int LargestFlagged() {
    int largest = -1;
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      if (!PayFiles[i].pfInstal) continue;
      const std::uint32_t s = DecodePayHead(Record(static_cast<int>(i)).data()).phOrgSiz;
      if (largest < 0 || s > size) largest = static_cast<int>(i), size = s;
    }
    return largest;
  }

  // How often each record id was asked of the resource layer so far.
  std::map<ustring, int> ResourceLookups() {
    std::map<ustring, int> lookups;
    for (const TSimCall& c : sim.CallLog())
      if (c.op == "FindOwnResource") ++lookups[c.subject];
    return lookups;
  }

  static ustring Subject(std::size_t index) {
    return DecOfInt(static_cast<std::int32_t>(cRtRcData)) + u"/" +
           DecOfInt(static_cast<std::int32_t>(PayResourceId(static_cast<int>(index))));
  }

  // Scans with 1, 2 and 8 threads and compares each with the definition
  // (computed first); each scan looks up every flagged record at most once
  // and no read-me record.
  void ExpectSameAsDefinition() {
    const std::int64_t expected = SequentialTotal();
    for (unsigned threads : kThreadCounts) {
      SCOPED_TRACE(testing::Message() << threads << " threads");
      auto lookups = ResourceLookups();
      EXPECT_EQ(CheckPayloadOnThreads(threads), expected);
      const auto after = ResourceLookups();
      for (std::size_t i = 0; i < cPayFileCount; ++i) {
        const ustring subject = Subject(i);
        const int count = (after.count(subject) ? after.at(subject) : 0) - lookups[subject];
        if (PayFiles[i].pfInstal)
          EXPECT_LE(count, 1) << "record " << PayResourceId(static_cast<int>(i)) << " opened twice";
        else
          EXPECT_EQ(count, 0) << "read-me record " << PayResourceId(static_cast<int>(i)) << " opened";
      }
    }
  }

  // Fifteen records of different sizes with the largest in the middle of
  // the table; the read-me records absent, so that opening one would fail.
  // Packed once for all tests (deflate at level 9 is the slow part).
  void PutRecords() {
    static const std::vector<TByteVec> records = [] {
      std::vector<TByteVec> made(cPayFileCount);
      for (std::size_t i = 0; i < cPayFileCount; ++i)
        if (PayFiles[i].pfInstal)
          made[i] = MakeRecord(SampleBytes(i == 7 ? 300000 : 2000 + 1500 * i, static_cast<std::uint32_t>(i)));
      return made;
    }();
    for (std::size_t i = 0; i < cPayFileCount; ++i)
      if (PayFiles[i].pfInstal) sim.resources[{cRtRcData, PayResourceId(static_cast<int>(i))}] = records[i];
  }
};

struct TDamage {
  const char* name;
  std::function<void(TByteVec& record)> apply;
};

// Damage found only after the whole record is inflated, and damage the
// decompressor finds in its first bytes.
const TDamage kDamages[] = {
    {"wrong CRC in the header", [](TByteVec& r) { r[1] ^= 0x40; }},
    {"corrupt deflate stream", [](TByteVec& r) { r[cPayHeadSize] = 0x07; }},  // block type 3
    {"stream cut short", [](TByteVec& r) { r.resize(r.size() - r.size() / 3); }},
};

}  // namespace

// Intact: every thread count gives the flagged total.
TEST_F(PayloadScan, IntactPayloadGivesTheFlaggedTotal) {
  PutRecords();
  ASSERT_GT(SequentialTotal(), 0);
  ExpectSameAsDefinition();
}

// One damaged record, first, last or largest, gives -1 with every thread count.
TEST_F(PayloadScan, OneDamagedRecordAnywhereGivesMinusOne) {
  PutRecords();
  const int positions[] = {cPayMainProgram, cPayUninstaller, LargestFlagged()};
  ASSERT_EQ(positions[2], 7);
  for (const int at : positions) {
    for (const TDamage& d : kDamages) {
      SCOPED_TRACE(testing::Message() << d.name << " in record " << PayResourceId(at));
      PutRecords();
      d.apply(Record(at));
      ASSERT_EQ(SequentialTotal(), -1);
      ExpectSameAsDefinition();
    }
  }
}

// A missing flagged record or one shorter than its header fails the scan
// before anything is inflated; an impossible header too.
TEST_F(PayloadScan, MissingOrHeaderlessRecordGivesMinusOne) {
  const std::function<void(PayloadScan&)> damages[] = {
      [](PayloadScan& t) { t.RemoveRecord(cPayUninstaller); },
      [](PayloadScan& t) { t.Record(cPayShellExt).resize(cPayHeadSize - 1); },
      [](PayloadScan& t) { EncodePayHead(TPayHead{0, 1, 0xFFFFFFFFu}, t.Record(cPayMainProgram).data()); },
  };
  for (const auto& damage : damages) {
    PutRecords();
    damage(*this);
    ExpectSameAsDefinition();
  }
}

// The build's sample payload (fifteen realistic records): the same total
// with every thread count, and -1 with one damaged record first, last or
// largest.
TEST_F(PayloadScan, SamplePayloadMatchesTheDefinition) {
  std::string error;
  ASSERT_EQ(LoadRecordFolder(sim, PayloadFacts().recordsDir, error), static_cast<int>(cPayFileCount)) << error;
  ASSERT_GT(SequentialTotal(), 0);
  ExpectSameAsDefinition();
  const TByteVec largest = Record(LargestFlagged());
  for (const int at : {cPayMainProgram, cPayUninstaller, LargestFlagged()}) {
    SCOPED_TRACE(testing::Message() << "damaged record " << PayResourceId(at));
    TByteVec& record = Record(at);
    const TByteVec intact = record;
    record[cPayHeadSize + (record.size() - cPayHeadSize) / 2] ^= 0x20;
    ASSERT_EQ(SequentialTotal(), -1);
    ExpectSameAsDefinition();
    record = intact;
  }
  EXPECT_EQ(Record(LargestFlagged()), largest);
}

// A scan started ahead gives its result to the next CheckPayload only; the
// one after that scans again (and sees what changed meanwhile).
TEST_F(PayloadScan, StartedScanIsTakenByTheNextCheckOnly) {
  PutRecords();
  const std::int64_t total = SequentialTotal();
  ASSERT_GT(total, 0);
  StartPayloadCheck();
  StartPayloadCheck();  // one started scan at a time
  EXPECT_EQ(CheckPayload(), total);
  std::int64_t none = 0;
  EXPECT_FALSE(TakeStartedPayloadCheck(none));
  Record(cPayMainProgram)[1] ^= 0x40;
  EXPECT_EQ(CheckPayload(), -1);
}

// A thread gives up a record once another thread's record has failed.
TEST(PayloadUnpack, AbandonedInflationGivesFalse) {
  const TByteVec data = SampleBytes(100000, 3);
  const TByteVec record = MakeRecord(data, 1);
  const TPayHead head = DecodePayHead(record.data());
  TMemStream buffer;
  std::atomic<bool> abandon{false};
  EXPECT_TRUE(UnpackPayloadFrom(record.data() + cPayHeadSize, record.size() - cPayHeadSize, head, buffer, &abandon));
  EXPECT_EQ(buffer.Size(), data.size());
  abandon = true;
  EXPECT_FALSE(UnpackPayloadFrom(record.data() + cPayHeadSize, record.size() - cPayHeadSize, head, buffer, &abandon));
  EXPECT_EQ(buffer.Position(), 0u);
}

// The scan's check folds the file in piece by piece through a small window:
// files ending just before, at and after a piece boundary, and a header that
// covers only a prefix ending on a boundary, give the verdict of the whole
// unpack; a wrong CRC still fails, and the window stays small.
TEST(PayloadUnpack, PiecewiseCheckGivesTheWholeUnpacksVerdict) {
  constexpr std::size_t cPiece = 256u << 10;
  const TByteVec data = SampleBytes(3 * cPiece + 7, 9);
  TMemStream window;
  for (const std::size_t size : {cPiece - 1, cPiece, cPiece + 1, 2 * cPiece, data.size()}) {
    SCOPED_TRACE(testing::Message() << size << " bytes");
    const TByteVec file(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size));
    const TByteVec record = MakeRecord(file, 6);
    const TPayHead head = DecodePayHead(record.data());
    const std::uint8_t* body = record.data() + cPayHeadSize;
    const std::size_t bodySize = record.size() - cPayHeadSize;
    EXPECT_TRUE(CheckPayloadBody(body, bodySize, head, window));
    TPayHead wrong = head;
    wrong.phCrcVal ^= 1u;
    EXPECT_FALSE(CheckPayloadBody(body, bodySize, wrong, window));
    // Only the first piece, with the CRC of exactly those bytes.
    const TByteVec prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(size, cPiece)));
    const TPayHead first{ZlibCrc(prefix), head.phCmpSiz, static_cast<std::uint32_t>(prefix.size())};
    TMemStream whole;
    EXPECT_TRUE(UnpackPayloadFrom(body, bodySize, first, whole));
    EXPECT_TRUE(CheckPayloadBody(body, bodySize, first, window));
  }
  EXPECT_LE(window.Capacity(), 2 * cPiece);
  std::atomic<bool> abandon{true};
  const TByteVec record = MakeRecord(data, 6);
  EXPECT_FALSE(CheckPayloadBody(record.data() + cPayHeadSize, record.size() - cPayHeadSize,
                                DecodePayHead(record.data()), window, &abandon));
}

// Never more threads than records, at least one; the memory bound counts
// the largest record's compressed and inflated bytes once per thread.
TEST(PayloadScanLimits, ThreadsAndMemoryBound) {
  EXPECT_EQ(ScanThreadsFor(8, 13), 8u);
  EXPECT_EQ(ScanThreadsFor(8, 3), 3u);
  EXPECT_EQ(ScanThreadsFor(0, 13), 1u);
  EXPECT_EQ(ScanThreadsFor(2, 0), 1u);
  EXPECT_GE(ScanThreadCount(), 1u);
  const std::vector<TPayHead> heads = {{0, 100, 1000}, {0, 900, 500}, {0, 10, 20}};
  EXPECT_EQ(ScanMemoryBound(2, heads), 2u * 1400u + (1u << 20));
}
