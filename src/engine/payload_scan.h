// The integrity scan on several threads. The flagged records are independent
// of each other, so they are inflated and checked side by side; the result
// is the one of the record-by-record definition: the sum of their inflated
// sizes, or -1 when any of them is missing, unreadable or does not unpack.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/payload_store.h"

// The threads the scan uses on this machine: one per core (at least one).
unsigned ScanThreadCount();

// The scan with at most `threads` threads (the caller's own among them),
// never more threads than flagged records. Every flagged record is opened
// exactly once, on the calling thread, before any inflation; the records
// without the install flag are never opened. The records are handed out
// largest first; once one fails the others give up. Each thread inflates
// through one small window of its own (CheckPayloadBody), so the heap the
// scan needs stays far below ScanMemoryBound(threads, records). Never throws.
std::int64_t CheckPayloadOnThreads(unsigned threads);

// Starts the scan on a thread of its own at once, so that it runs while the
// window is being built; the next CheckPayload waits for and returns its
// result instead of scanning again (later calls scan anew). Without a thread
// to start, CheckPayload simply scans when asked. Never throws.
void StartPayloadCheck();

// The result of a scan started by StartPayloadCheck and not taken yet
// (waiting for it); false when there is none.
bool TakeStartedPayloadCheck(std::int64_t& total);

// The threads a scan with `requested` threads runs on for `records` records.
unsigned ScanThreadsFor(unsigned requested, std::size_t records);

// The most memory the scan may hold: threads x (phCmpSiz + phOrgSiz of the
// largest record) + 1 MiB for zlib's state and the bookkeeping.
std::uint64_t ScanMemoryBound(unsigned threads, const std::vector<TPayHead>& heads);
