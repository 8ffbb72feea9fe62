#include "support/install_env.h"

#include <map>
#include <ostream>

#include "catalogue/payload_files.h"
#include "engine/thr_inst.h"
#include "support/payload_records.h"

namespace {

std::size_t EntrySize(std::size_t index, bool small) {
  if (small) return 200 + 13 * index;
  if (index == cPayMainProgram) return (5u << 19) + 7;  // 2.5 MiB + 7: three write chunks
  return 3000 + 517 * index;
}

struct TPacked {
  std::vector<std::string> bytes;
  std::vector<TByteVec> records;
};

const TPacked& Packed(bool small) {
  static std::mutex lock;
  static std::map<bool, TPacked> cache;
  std::lock_guard<std::mutex> guard(lock);
  auto it = cache.find(small);
  if (it == cache.end()) {
    TPacked packed;
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      const TByteVec data = SampleBytes(EntrySize(i, small), static_cast<std::uint32_t>(i + 1));
      packed.bytes.emplace_back(data.begin(), data.end());
      packed.records.push_back(MakeRecord(data));
    }
    it = cache.emplace(small, std::move(packed)).first;
  }
  return it->second;
}

}  // namespace

std::uint32_t TSimInstallOs::StartThread(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> guard(threadLock_);
    ++running_;
  }
  const std::uint32_t err = TSimPlatform::StartThread([this, fn = std::move(fn)]() mutable {
    {
      std::unique_lock<std::mutex> guard(threadLock_);
      released_.wait(guard, [&] { return !held_; });
    }
    {
      auto body = std::move(fn);
      body();
    }  // the worker's function (and what it owns) is gone before we count it ended
    std::lock_guard<std::mutex> guard(threadLock_);
    if (--running_ == 0) threadEnded_.notify_all();
  });
  if (err != cErrSuccess) {
    std::lock_guard<std::mutex> guard(threadLock_);
    --running_;
  }
  return err;
}

void TSimInstallOs::HoldThreads() {
  std::lock_guard<std::mutex> guard(threadLock_);
  held_ = true;
}

void TSimInstallOs::ReleaseThreads() {
  std::lock_guard<std::mutex> guard(threadLock_);
  held_ = false;
  released_.notify_all();
}

void TSimInstallOs::WaitThreads() {
  std::unique_lock<std::mutex> guard(threadLock_);
  threadEnded_.wait(guard, [&] { return running_ == 0; });
}

void PutPayload(TSimPlatform& sim, bool small) {
  const TPacked& packed = Packed(small);
  for (std::size_t i = 0; i < cPayFileCount; ++i)
    sim.resources[{cRtRcData, PayResourceId(static_cast<int>(i))}] = packed.records[i];
}

std::string PayloadBytes(int index, bool small) { return Packed(small).bytes[static_cast<std::size_t>(index)]; }

std::int64_t PayloadTotal(bool small) {
  std::int64_t total = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i)
    if (PayFiles[i].pfInstal) total += static_cast<std::int64_t>(EntrySize(i, small));
  return total;
}

TNewSetup NewInstallChoices(bool small) {
  TNewSetup ns;
  ns.nsEulAgr = true;
  ns.nsInsTyp = cInsTypNew;
  ns.nsLangua = cLangEnglish;
  ns.nsInsLoc = kInstallDir;
  ns.nsTotSiz = PayloadTotal(small);
  return ns;
}

void PrintTo(const TStep& step, std::ostream* out) {
  *out << "{task " << step.task << ", phase " << step.phase << ", status " << step.status << ", lparam "
       << step.lparam << "}";
}

std::vector<TStep> PostedSteps(TSimPlatform& sim) {
  std::vector<TStep> steps;
  for (const TPostedMessage& m : sim.PostedMessages()) {
    if (m.msg != WM_SETUP_TASK || m.window != kWindow) continue;
    steps.push_back({static_cast<int>((m.wparam >> 16) & 0xFF), static_cast<int>((m.wparam >> 8) & 0xFF),
                     static_cast<int>(m.wparam & 0xFF), m.lparam});
  }
  return steps;
}

InstallFixture::InstallFixture(bool small) {
  previous_ = SetOs(&sim);
  PutPayload(sim, small);
}

InstallFixture::~InstallFixture() {
  sim.WaitThreads();
  SetOs(previous_);
}

void RunTaskThread(TSimInstallOs& sim, const TNewSetup& ns, std::uint8_t taskId) {
  TThrInst::Create(kWindow, ns, taskId);
  sim.WaitThreads();
}
