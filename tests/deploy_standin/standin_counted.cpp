#include "standin_counted.h"

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/winrt_ids.h"

namespace standin {
namespace {

struct TLedger {
  std::mutex lock;
  std::map<std::string, long> live;
  std::map<std::string, long> overReleased;
};

TLedger& Ledger() {
  static TLedger* ledger = new TLedger;  // outlives every object, also at unload
  return *ledger;
}

}  // namespace

void CountBorn(const char* kind) {
  std::lock_guard<std::mutex> guard(Ledger().lock);
  ++Ledger().live[kind];
}

void CountDied(const char* kind) {
  std::lock_guard<std::mutex> guard(Ledger().lock);
  --Ledger().live[kind];
}

void CountOverRelease(const char* kind) {
  std::lock_guard<std::mutex> guard(Ledger().lock);
  ++Ledger().overReleased[kind];
}

long LiveObjects() {
  std::lock_guard<std::mutex> guard(Ledger().lock);
  long total = 0;
  for (const auto& entry : Ledger().live) total += entry.second;
  return total;
}

long OverReleases() {
  std::lock_guard<std::mutex> guard(Ledger().lock);
  long total = 0;
  for (const auto& entry : Ledger().overReleased) total += entry.second;
  return total;
}

std::string Describe() {
  std::lock_guard<std::mutex> guard(Ledger().lock);
  std::string text;
  for (const auto& [kind, count] : Ledger().live) {
    if (count != 0) text += kind + " alive: " + std::to_string(count) + "\n";
  }
  for (const auto& [kind, count] : Ledger().overReleased) {
    if (count != 0) text += kind + " released too often: " + std::to_string(count) + "\n";
  }
  return text;
}

bool Same(const GUID& a, const TGuid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

ULONG TCounted::DoAddRef() {
  if (dead_.load()) {
    // A reference taken on a dead object is as wrong as one given back twice.
    CountOverRelease(kind_);
    return 0;
  }
  return ++refs_;
}

ULONG TCounted::DoRelease() {
  ULONG seen = refs_.load();
  do {
    if (seen == 0) {
      CountOverRelease(kind_);
      return 0;
    }
  } while (!refs_.compare_exchange_weak(seen, seen - 1));
  if (seen - 1 == 0) {
    dead_ = true;
    Dispose();
    CountDied(kind_);
    // The memory stays: a later call on this object must be counted, not crash.
  }
  return seen - 1;
}

HRESULT TCounted::DoQueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (dead_.load()) {
    CountOverRelease(kind_);
    return E_UNEXPECTED;
  }
  void* answer = Answers(iid);
  if (answer == nullptr) return E_NOINTERFACE;
  DoAddRef();
  *object = answer;
  return S_OK;
}

}  // namespace standin
