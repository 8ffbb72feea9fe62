// Why the records are opened before any thread starts: the resource layer is
// asked once per record and in table order (as the one-thread scan does it),
// a missing record or an impossible header fails the scan before any work,
// and the threads then touch only memory that stays put (the module's
// mapped resources), so they share nothing but two atomics.
#include "engine/payload_scan.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <future>
#include <mutex>
#include <thread>

#include "catalogue/payload_files.h"
#include "engine/payload_unpack.h"

namespace {

// Work shared by the scan threads: the records largest first, the next one
// to take and whether any has failed.
struct TScanWork {
  std::vector<TPayRecord> records;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
};

// Takes records until none is left or one has failed. The scan needs only
// each record's verdict, not the file: the thread inflates into a small
// window of its own, reused for every piece of every record, and checks
// each piece while it is still in the core's cache. So the threads neither
// stream whole files through memory nor fault in fresh pages for them.
void ScanRecords(TScanWork& work) noexcept {
  try {
    TMemStream window;
    while (!work.failed.load(std::memory_order_relaxed)) {
      const std::size_t at = work.next.fetch_add(1, std::memory_order_relaxed);
      if (at >= work.records.size()) return;
      const TPayRecord& r = work.records[at];
      if (!CheckPayloadBody(r.body, r.size, r.head, window, &work.failed)) {
        work.failed.store(true, std::memory_order_relaxed);
        return;
      }
    }
  } catch (...) {
    work.failed.store(true, std::memory_order_relaxed);
  }
}

// The scan started ahead of its caller, if any.
std::mutex startedLock;
std::future<std::int64_t> started;

}  // namespace

void StartPayloadCheck() {
  std::lock_guard<std::mutex> guard(startedLock);
  if (started.valid()) return;
  try {
    started = std::async(std::launch::async, [] { return CheckPayloadOnThreads(ScanThreadCount()); });
  } catch (...) {
    // No thread: CheckPayload scans when it is asked.
  }
}

bool TakeStartedPayloadCheck(std::int64_t& total) {
  std::future<std::int64_t> result;
  {
    std::lock_guard<std::mutex> guard(startedLock);
    result = std::move(started);
  }
  if (!result.valid()) return false;
  total = result.get();  // CheckPayloadOnThreads never throws
  return true;
}

unsigned ScanThreadCount() { return std::max(1u, std::thread::hardware_concurrency()); }

unsigned ScanThreadsFor(unsigned requested, std::size_t records) {
  return static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(std::max(1u, requested), records)));
}

std::uint64_t ScanMemoryBound(unsigned threads, const std::vector<TPayHead>& heads) {
  std::uint64_t largest = 0;
  for (const TPayHead& h : heads)
    largest = std::max<std::uint64_t>(largest, static_cast<std::uint64_t>(h.phCmpSiz) + h.phOrgSiz);
  return threads * largest + (1u << 20);
}

std::int64_t CheckPayloadOnThreads(unsigned threads) {
  try {
    TScanWork work;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      if (!PayFiles[i].pfInstal) continue;
      const TPayRecord r = OpenPayloadRecord(static_cast<int>(i));
      if (!PayHeadReachable(r.head)) return -1;
      total += r.head.phOrgSiz;
      work.records.push_back(r);
    }
    // Largest first: the long inflations start at once and the short ones
    // fill the gaps, so the threads finish close together.
    std::stable_sort(work.records.begin(), work.records.end(),
                     [](const TPayRecord& a, const TPayRecord& b) { return a.head.phOrgSiz > b.head.phOrgSiz; });

    const unsigned count = ScanThreadsFor(threads, work.records.size());
    std::vector<std::thread> helpers;
    helpers.reserve(count - 1);
    for (unsigned t = 1; t < count; ++t) {
      try {
        helpers.emplace_back(ScanRecords, std::ref(work));
      } catch (...) {
        // No thread (or no memory for one): fewer threads, the ones running
        // take the rest. Letting it escape would destroy joinable threads.
        break;
      }
    }
    ScanRecords(work);
    for (std::thread& h : helpers) h.join();
    return work.failed.load() ? -1 : total;
  } catch (...) {
    // A missing or unreadable record, or no memory: the payload cannot be
    // proved intact.
    return -1;
  }
}
