// The fault sweep: the installation task runs through its worker once for
// every platform call it makes, with that one call failing, and once more
// with every call of that operation failing from there on. Each run must end
// with one end message and an outcome that fits the step the failed call
// belongs to, post the messages of that outcome and nothing else, and leave
// no key, file, link, apartment, event or runtime object open.
#include <gtest/gtest.h>

// The sweep exercises the portable code against the emulation; the Windows
// build would only run the same emulation again, several times slower.
#ifndef _WIN32

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "engine/thr_inst.h"
#include "shell/com_apartment.h"
#include "support/install_env.h"

namespace {

// Where a call happened in the run without faults.
enum TStepOf { kStart, kChecks, kFiles, kRegistration, kShortcuts, kW11, kEnd };
const char* const kStepNames[] = {"start", "checks", "files", "registration", "shortcuts", "w11", "end"};

struct TPoint {
  std::string op;
  std::uint64_t nth;  // 1-based among the calls of op
  TStepOf step;
};

struct TRun {
  std::vector<TStep> steps;
  bool raisedAtStart = false;
  std::vector<std::string> open;       // what the platform still holds
  std::vector<std::string> deployOpen;  // what the deployment service still holds
  std::map<std::string, std::uint64_t> counts;
};

void Arrange(TSimInstallOs& sim) {
  PutPayload(sim, true);
  sim.osBuild = 22631;  // the context-menu step runs too
  sim.comClasses.push_back(cClsidAssocRegUI);
}

TNewSetup Choices() {
  TNewSetup ns = NewInstallChoices(true);
  ns.nsCutDsk = true;
  ns.nsAssoci = {true, true, false, false, false, false, false, true};
  return ns;
}

TRun RunWithFaults(const std::function<void(TSimInstallOs&)>& faults) {
  TSimInstallOs sim;
  IPlatform* outer = SetOs(&sim);
  Arrange(sim);
  faults(sim);
  TRun run;
  try {
    TThrInst::Create(kWindow, Choices(), cTaskInstall);
  } catch (const EThreadStart&) {
    run.raisedAtStart = true;
  }
  sim.WaitThreads();
  sim.deploy.WaitIdle();
  run.steps = PostedSteps(sim);
  run.open = sim.DescribeOpen();
  run.deployOpen = sim.deploy.DescribeOpen();
  run.counts = sim.CallCounts();
  SetOs(outer);
  return run;
}

// The faultable calls of a run without faults, each with its step. The steps
// are told apart by the messages that end them and by the first payload read.
std::vector<TPoint> Points(std::vector<TStep>& baseline) {
  TSimInstallOs sim;
  IPlatform* outer = SetOs(&sim);
  Arrange(sim);
  TThrInst::Create(kWindow, Choices(), cTaskInstall);
  sim.WaitThreads();
  sim.deploy.WaitIdle();
  baseline = PostedSteps(sim);
  const std::vector<TSimCall> log = sim.CallLog();
  SetOs(outer);

  const auto& faultable = TSimPlatform::FaultableOperations();
  std::vector<TPoint> points;
  std::map<std::string, std::uint64_t> seen;
  TStepOf step = kStart;
  std::size_t posts = 0;
  for (const TSimCall& call : log) {
    // The file step opens with the note of the unfinished installation (the
    // checks only open keys), or else with the first payload read.
    if (step == kChecks && (call.op == "FindOwnResource" || call.op == "RegCreateKeyExW")) step = kFiles;
    if (std::find(faultable.begin(), faultable.end(), call.op) != faultable.end())
      points.push_back({call.op, ++seen[call.op], step});
    if (call.op == "PostWindowMessage") {
      const TStep& posted = baseline[posts++];
      if (posted.phase == 48) step = kChecks;
      if (posted.phase == 39) step = kRegistration;
      if (posted.phase == 40) step = kShortcuts;
      if (posted.phase == 41) step = kW11;
      if (posted.phase == 44) step = kEnd;
    }
  }
  return points;
}

// The messages of an outcome, without the context-menu step's progress.
std::vector<TStep> Canonical(int status, std::intptr_t code) {
  std::vector<TStep> steps{{2, 48, 1, 0}};
  if (status == 3) {
    steps.insert(steps.end(), {{2, 39, 1, 0}, {2, 40, 1, 0}});
  } else if (code >= 28 && code <= 36) {
    steps.insert(steps.end(), {{2, 38, 2, 0}, {2, static_cast<int>(code), 0, 0}});
  } else {
    for (int phase = 39; phase <= 41; ++phase) {
      if (phase > code) break;
      steps.push_back({2, phase, phase == code ? 2 : 1, 0});
    }
  }
  return steps;
}

// The codes a failure in `step` (or, with onward, in any later step) may end with.
bool FitsStep(TStepOf step, bool onward, std::intptr_t code) {
  if (code == 45) return true;
  const TStepOf failed = code >= 28 && code <= 36 ? kChecks
                         : code == 39             ? kFiles
                         : code == 40             ? kRegistration
                         : code == 41             ? kShortcuts
                                                  : kEnd;
  if (failed == kEnd) return false;
  return onward ? failed >= step : failed == step;
}

std::uint32_t FaultCode(const std::string& op) {
  static const std::set<std::string> hresults{"SHGetFolderPathW", "CoInitialize", "ProbeClassInstance",
                                              "ShellLinkCreate", "ShellLinkSetPath", "ShellLinkSetWorkingDirectory",
                                              "ShellLinkSetDescription", "ShellLinkSave"};
  return hresults.count(op) ? static_cast<std::uint32_t>(cE_FAIL) : cErrAccessDenied;
}

// Failures that the step must report (the rest may be tolerated).
std::intptr_t MustGive(const TPoint& p) {
  if (p.step == kRegistration && (p.op == "RegSetValueExW" || p.op == "RegCreateKeyExW")) return 40;
  if (p.step == kFiles && (p.op == "WriteFile" || p.op == "FindOwnResource")) return 39;
  if (p.step == kChecks && p.op == "GetDiskFreeSpaceExW") return 34;
  if (p.step == kChecks && p.op == "CreateDirectoryW") return 33;
  if (p.step == kShortcuts && p.op == "ShellLinkSave") return 41;
  return 0;
}

std::string Describe(const TPoint& p, bool onward) {
  return p.op + " #" + std::to_string(p.nth) + (onward ? " onward" : " once") + " (" + kStepNames[p.step] + ")";
}

void CheckRun(const TPoint& p, bool onward, const std::vector<TStep>& baseline, const TRun& run) {
  SCOPED_TRACE(Describe(p, onward));
  if (p.op == "StartThread") {
    EXPECT_TRUE(run.raisedAtStart);
    EXPECT_TRUE(run.steps.empty());
    return;
  }
  ASSERT_FALSE(run.raisedAtStart);
  std::uint64_t failedCalls = onward ? run.counts.at(p.op) - p.nth + 1 : 1;

  if (p.op == "PostWindowMessage") {
    // Only the lost messages are missing; the task runs as without the fault.
    std::vector<TStep> expected = baseline;
    if (onward) {
      expected.resize(p.nth - 1);
    } else {
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(p.nth - 1));
    }
    EXPECT_EQ(run.steps, expected);
  } else {
    ASSERT_FALSE(run.steps.empty());
    const TStep end = run.steps.back();
    EXPECT_EQ(std::count_if(run.steps.begin(), run.steps.end(), [](const TStep& s) { return s.phase == 49; }), 1);
    ASSERT_EQ(end.phase, 49);
    if (p.op == "ShellLinkCreate") {
      EXPECT_EQ(end.status, 3);
      EXPECT_EQ(end.lparam, 255);
    } else {
      EXPECT_EQ(end.status, 1);
      EXPECT_TRUE(FitsStep(p.step, onward, end.lparam)) << "result " << end.lparam;
      if (const std::intptr_t must = MustGive(p)) {
        EXPECT_EQ(end.lparam, must);
      }
    }
    std::vector<TStep> body;
    for (std::size_t i = 0; i + 1 < run.steps.size(); ++i)
      if (run.steps[i].phase < 42 || run.steps[i].phase > 44) body.push_back(run.steps[i]);
    EXPECT_EQ(body, Canonical(end.status, end.lparam));
  }

  // Nothing stays open, except what the system itself refused to close.
  std::size_t refused = 0;
  for (const std::string& item : run.open) {
    const bool closeRefused = (p.op == "CloseHandle" && item.rfind("file ", 0) == 0) ||
                              (p.op == "RegCloseKey" && item.rfind("key ", 0) == 0);
    if (closeRefused) {
      ++refused;
    } else {
      ADD_FAILURE() << "left open: " << item;
    }
  }
  EXPECT_LE(refused, failedCalls);
  if (p.op == "RegCloseKey" && !onward) {
    EXPECT_EQ(refused, 0u) << "a refused close is tried again";
  }
  EXPECT_TRUE(run.deployOpen.empty()) << testing::PrintToString(run.deployOpen);
}

// Every faultable call of the installation, failed once and failed onward.
TEST(InstallFaultSweep, EveryCallFails) {
  std::vector<TStep> baseline;
  const std::vector<TPoint> points = Points(baseline);
  ASSERT_EQ(baseline.back(), (TStep{2, 49, 1, 45}));
  std::map<std::string, int> perOp;
  int runs = 0;
  for (const TPoint& p : points) {
    for (bool onward : {false, true}) {
      const TRun run = RunWithFaults([&](TSimInstallOs& sim) {
        if (onward) {
          sim.FailFrom(p.op, p.nth, FaultCode(p.op));
        } else {
          sim.FailCall(p.op, p.nth, FaultCode(p.op));
        }
      });
      CheckRun(p, onward, baseline, run);
      ++runs;
      ++perOp[p.op];
    }
  }
  std::cout << "[ sweep    ] " << points.size() << " fault points, " << runs << " runs:";
  for (const auto& [op, n] : perOp) std::cout << " " << op << "=" << n / 2;
  std::cout << std::endl;
  RecordProperty("fault_points", static_cast<int>(points.size()));
  RecordProperty("runs", runs);
}

}  // namespace

#endif  // _WIN32
