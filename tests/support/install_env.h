// A small emulated machine for the installation engine's tests: payload
// records of small sample files (one larger than a write chunk), the choices
// of a new installation into C:\Program Files\Corvalin, and worker threads
// whose end a test can wait for without timing anything.
#pragma once
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "common/setup_choices.h"
#include "common/task_msg.h"
#include "platform/sim/sim_platform.h"

inline constexpr THwnd kWindow = 0x4711;
inline const ustring kInstallDir = u"C:\\Program Files\\Corvalin\\";

// The emulated system, plus a count of the worker threads it started that
// are still running (their function not yet returned and destroyed).
class TSimInstallOs : public TSimPlatform {
 public:
  std::uint32_t StartThread(std::function<void()> fn) override;
  // Waits until every thread started so far has ended.
  void WaitThreads();
  // While held, started threads wait before running their function.
  void HoldThreads();
  void ReleaseThreads();

 private:
  std::mutex threadLock_;
  std::condition_variable threadEnded_;
  std::condition_variable released_;
  int running_ = 0;
  bool held_ = false;
};

// Puts the payload records into sim.resources: every flagged entry a sample
// file (entry 0, the main program, 2.5 MiB + 7 bytes, the others a few KiB
// each unless `small`, then all a few hundred bytes).
void PutPayload(TSimPlatform& sim, bool small = false);
// The bytes of PayFiles entry index as PutPayload packs them.
std::string PayloadBytes(int index, bool small = false);
// Sum of the flagged entries' sizes.
std::int64_t PayloadTotal(bool small = false);

// Licence accepted, new installation into kInstallDir, English, total size
// of the payload, nothing else chosen.
TNewSetup NewInstallChoices(bool small = false);

// A posted WM_SETUP_TASK message as (task, phase, status, lparam).
struct TStep {
  int task, phase, status;
  std::intptr_t lparam;
  friend bool operator==(const TStep&, const TStep&) = default;
};
void PrintTo(const TStep& step, std::ostream* out);
// Every WM_SETUP_TASK posted to kWindow, in order.
std::vector<TStep> PostedSteps(TSimPlatform& sim);

// Runs the task through a worker and waits until the worker has ended.
void RunTaskThread(TSimInstallOs& sim, const TNewSetup& ns, std::uint8_t taskId);

// A fresh emulated system with the payload, installed as the platform.
class InstallFixture : public testing::Test {
 protected:
  explicit InstallFixture(bool small = false);
  ~InstallFixture() override;

  TSimInstallOs sim;

 private:
  IPlatform* previous_ = nullptr;
};
