// Times the payload integrity scan over the build's payload records:
//  (a) CheckPayload through the store, as the setup runs it at start (on
//      one thread per core), and the same scan forced onto one thread;
//  (b) the floor for that work: plain zlib inflate of each flagged record
//      into a buffer allocated beforehand, plus zlib's crc32, nothing else;
//  (c) CRC32Update against zlib's crc32 on the largest file.
// Prints each time (best of several runs), the ratios, the throughput, the
// peak heap the scan needs beyond the records themselves against its bound,
// and the machine's load average (the figures mean little on a busy machine).
//
//   payload_bench [records folder] [runs]
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "catalogue/payload_files.h"
#include "engine/crc32.h"
#include "engine/pay_head.h"
#include "engine/payload_scan.h"
#include "engine/payload_store.h"
#include "platform/sim/record_source.h"
#include "platform/sim/sim_platform.h"
#include "platform/wincodes.h"

namespace {

using TClock = std::chrono::steady_clock;

double BestSeconds(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int r = 0; r < runs; ++r) {
    const auto start = TClock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(TClock::now() - start).count());
  }
  return best;
}

double MiBps(std::uint64_t bytes, double seconds) { return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds; }

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  if (!(in >> one >> five >> fifteen)) return "unknown";
  return one + " " + five + " " + fifteen;
}

struct TRecord {
  const std::uint8_t* data;
  std::uint32_t size;
  TPayHead head;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : CORVALIN_PAYLOAD_RECORDS_DIR;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;

  TSimPlatform sim;
  std::string error;
  const int loaded = LoadRecordFolder(sim, folder, error);
  if (loaded != static_cast<int>(cPayFileCount)) {
    std::fprintf(stderr, "payload_bench: %d of the fifteen records found in %s %s\n", loaded < 0 ? 0 : loaded,
                 folder.c_str(), error.c_str());
    return 1;
  }
  SetOs(&sim);

  std::vector<TRecord> flagged;
  std::vector<TPayHead> heads;
  std::uint64_t payloadBytes = 0, inflatedBytes = 0, compressedBytes = 0;
  std::uint32_t largestOrg = 0, largestCmp = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const auto& bytes = sim.resources.at({cRtRcData, PayResourceId(static_cast<int>(i))});
    payloadBytes += bytes.size();
    if (!PayFiles[i].pfInstal) continue;
    const TRecord r{bytes.data() + cPayHeadSize, static_cast<std::uint32_t>(bytes.size() - cPayHeadSize),
                    DecodePayHead(bytes.data())};
    flagged.push_back(r);
    heads.push_back(r.head);
    inflatedBytes += r.head.phOrgSiz;
    compressedBytes += r.head.phCmpSiz;
    if (r.head.phOrgSiz > largestOrg) {
      largestOrg = r.head.phOrgSiz;
      largestCmp = r.head.phCmpSiz;
    }
  }

  // (a) The store's scan, and the heap it needs beyond the loaded records.
  std::int64_t total = 0;
  ResetHeapPeak();
  const std::size_t heapBefore = HeapInUse();
  total = CheckPayload();
  const std::size_t peakExtra = HeapPeak() - heapBefore;
  if (total < 0) {
    std::fprintf(stderr, "payload_bench: the scan failed\n");
    return 1;
  }
  const std::function<void()> scanWork = [&] { total = CheckPayload(); };
  std::int64_t oneThreadTotal = 0;
  const std::function<void()> oneThreadWork = [&] { oneThreadTotal = CheckPayloadOnThreads(1); };
  const unsigned threads = ScanThreadsFor(ScanThreadCount(), flagged.size());

  // (b) The floor: inflate and crc32 only, into a buffer that exists already.
  std::vector<std::uint8_t> out(largestOrg);
  bool baselineOk = true;
  const std::function<void()> baselineWork = [&] {
    for (const TRecord& r : flagged) {
      z_stream s{};
      inflateInit2(&s, -MAX_WBITS);
      s.next_in = r.data;
      s.avail_in = std::min(r.size, r.head.phCmpSiz);
      s.next_out = out.data();
      s.avail_out = r.head.phOrgSiz;
      inflate(&s, Z_FINISH);
      inflateEnd(&s);
      baselineOk = baselineOk && s.avail_out == 0 &&
                   crc32(0, out.data(), r.head.phOrgSiz) == r.head.phCrcVal;
    }
  };
  // Alternating the two, so that load from elsewhere on the machine hits
  // both alike; the best run of each counts.
  double scan = 1e30, oneThread = 1e30, baseline = 1e30;
  for (int r = 0; r < runs; ++r) {
    scan = std::min(scan, BestSeconds(1, scanWork));
    oneThread = std::min(oneThread, BestSeconds(1, oneThreadWork));
    baseline = std::min(baseline, BestSeconds(1, baselineWork));
  }
  if (!baselineOk) {
    std::fprintf(stderr, "payload_bench: the baseline did not reproduce the files\n");
    return 1;
  }
  if (oneThreadTotal != total) {
    std::fprintf(stderr, "payload_bench: the one-thread scan gave %lld, the threaded one %lld\n",
                 static_cast<long long>(oneThreadTotal), static_cast<long long>(total));
    return 1;
  }

  // (c) The CRC alone, on the largest file (as inflated in `out` by one more pass).
  const TRecord* largest = &flagged.front();
  for (const TRecord& r : flagged)
    if (r.head.phOrgSiz > largest->head.phOrgSiz) largest = &r;
  {
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    s.next_in = largest->data;
    s.avail_in = largest->size;
    s.next_out = out.data();
    s.avail_out = largest->head.phOrgSiz;
    inflate(&s, Z_FINISH);
    inflateEnd(&s);
  }
  const std::uint32_t n = largest->head.phOrgSiz;
  const int crcRuns = runs * 5;
  std::uint32_t ours = 0;
  unsigned long theirs = 0;
  double crcOurs = 1e30, crcZlib = 1e30;
  for (int r = 0; r < crcRuns; ++r) {
    crcOurs = std::min(crcOurs, BestSeconds(1, [&] {
                         CRC32Init(ours);
                         CRC32Update(out.data(), static_cast<std::int32_t>(n), ours);
                         ours = ~ours;
                       }));
    crcZlib = std::min(crcZlib, BestSeconds(1, [&] { theirs = crc32(0, out.data(), n); }));
  }
  if (ours != theirs || ours != largest->head.phCrcVal) {
    std::fprintf(stderr, "payload_bench: CRC values differ\n");
    return 1;
  }

  std::printf("payload: %zu flagged records, %llu bytes inflated from %llu compressed; records in memory %llu bytes\n",
              flagged.size(), static_cast<unsigned long long>(inflatedBytes),
              static_cast<unsigned long long>(compressedBytes), static_cast<unsigned long long>(payloadBytes));
  std::printf("largest record: phCmpSiz %u, phOrgSiz %u; best of %d runs (CRC: %d)\n", largestCmp, largestOrg, runs,
              crcRuns);
  std::printf("(a) CheckPayload, %u threads  %8.2f ms  %8.1f MiB/s  total %lld\n", threads, scan * 1e3,
              MiBps(inflatedBytes, scan), static_cast<long long>(total));
  std::printf("    same scan on 1 thread   %8.2f ms  %8.1f MiB/s\n", oneThread * 1e3, MiBps(inflatedBytes, oneThread));
  std::printf("(b) zlib inflate + crc32    %8.2f ms  %8.1f MiB/s  (one thread)\n", baseline * 1e3,
              MiBps(inflatedBytes, baseline));
  std::printf("    ratio a/b               %8.3f   (target <= 0.60 on 2 cores; %u cores here)\n", scan / baseline,
              ScanThreadCount());
  std::printf("    ratio 1 thread/b        %8.3f   (target <= 1.10)\n", oneThread / baseline);
  std::printf("(c) CRC32Update             %8.3f ms  %8.1f MiB/s\n", crcOurs * 1e3, MiBps(n, crcOurs));
  std::printf("    zlib crc32              %8.3f ms  %8.1f MiB/s\n", crcZlib * 1e3, MiBps(n, crcZlib));
  std::printf("    ratio CRC32Update/zlib  %8.3f   (target <= 1.00)\n", crcOurs / crcZlib);
  const std::uint64_t bound = ScanMemoryBound(threads, heads);
  if (AllocCounterActive()) {
    std::printf("peak extra heap of (a)      %zu bytes (%.2f MiB); bound %u x (phCmpSiz+phOrgSiz) + 1 MiB = %llu bytes: %s\n",
                peakExtra, static_cast<double>(peakExtra) / (1024.0 * 1024.0), threads,
                static_cast<unsigned long long>(bound), peakExtra <= bound ? "within" : "OVER");
  } else {
    std::printf("peak extra heap of (a)      not measured in this build (the sanitizers own malloc); bound %llu bytes\n",
                static_cast<unsigned long long>(bound));
  }
  std::printf("load average while measuring: %s\n", LoadAverage().c_str());
  SetOs(nullptr);
  return 0;
}
