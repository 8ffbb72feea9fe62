// The uninstaller's fault sweep: after a clean installation, the
// uninstallation runs once for every platform call it makes with that one
// call failing, and once more with every call of that operation failing from
// its first call on. Each run must end with 1603 (something is left, and the
// uninstall entry stays for another run) or with 0 or 3010 and, after the
// restart, a machine as it was before the installation; it must never remove
// anything that was there before the installation, and must leave no key,
// handle, link, apartment or runtime object open.
#include <gtest/gtest.h>

// The sweep exercises the portable code against the emulation; the Windows
// build would only run the same emulation again, several times slower.
#ifndef _WIN32

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "catalogue/exit_codes.h"
#include "shell/com_apartment.h"
#include "shell/w11_ctx_menu.h"
#include "support/install_env.h"
#include "support/uninstall_env.h"

namespace {

const ustring kPackageUrl = u"file:///C:/Program%20Files/Corvalin/Corvalin_w11CtxMn_Pack.msix";
const ustring kEntry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

enum TPhase { kOriginal, kCopy };

struct TPoint {
  std::string op;
  std::uint64_t nth;  // 1-based among the calls of op after the installation
  TPhase phase;
};

struct TSweepRun {
  TUninstallRun run;
  TMachineState before, after;  // before the installation; after the restart
  std::vector<std::string> open, deployOpen;
  bool entryLeft = false;
};

void Arrange(TSimInstallOs& sim) {
  PutPayload(sim, true);
  sim.osBuild = 22631;
  sim.deploy.packageFiles[kPackageUrl] = cPkgFullName;
  sim.comClasses.push_back(cClsidAssocRegUI);
}

void Install(TSimInstallOs& sim) {
  TNewSetup ns = NewInstallChoices(true);
  ns.nsCutDsk = true;
  ns.nsAssoci = {true, true, false, false, false, false, false, true};
  RunTaskThread(sim, ns, cTaskInstall);
  sim.deploy.WaitIdle();
}

TSweepRun RunSweep(const std::function<void(TSimInstallOs&)>& faults, std::vector<TSimCall>* log = nullptr) {
  TSimInstallOs sim;
  IPlatform* outer = SetOs(&sim);
  Arrange(sim);
  TSweepRun result;
  result.before = Snapshot(sim);
  Install(sim);
  const std::size_t installCalls = sim.CallLog().size();
  faults(sim);
  result.run = RunUninstaller(sim, kInstallDir, u" /S:1");
  sim.deploy.WaitIdle();
  if (log != nullptr) {
    const std::vector<TSimCall> all = sim.CallLog();
    log->assign(all.begin() + static_cast<std::ptrdiff_t>(installCalls), all.end());
  }
  result.entryLeft = sim.HasKey(cHkeyLocalMachine, kEntry);
  result.open = sim.DescribeOpen();
  result.deployOpen = sim.deploy.DescribeOpen();
  std::size_t restarted = 0;
  ApplyRestart(sim, restarted);
  result.after = Snapshot(sim);
  SetOs(outer);
  return result;
}

std::uint32_t FaultCode(const std::string& op) {
  static const std::set<std::string> hresults{"SHGetFolderPathW", "CoInitialize", "ShellLinkCreate", "ShellLinkLoad",
                                              "ShellLinkGetPath"};
  return hresults.count(op) ? static_cast<std::uint32_t>(cE_FAIL) : cErrAccessDenied;
}

// Leftovers a failure in the copy may cause: the original's file can't be
// reached any more by anyone but the restart, and the copy may fail to put
// itself on the restart's list. The original has already ended with 0.
bool CopyLeftover(const std::string& line) {
  return line.find("C/Program Files/Corvalin") != std::string::npos ||
         line.find("Windows/Temp/Corvalin-Uninstall-") != std::string::npos;
}

void Check(const TPoint& p, bool onward, const TSweepRun& r) {
  SCOPED_TRACE(p.op + " #" + std::to_string(p.nth) + (onward ? " onward" : " once") +
               (p.phase == kCopy ? " (copy)" : " (original)"));
  const std::uint32_t code = r.run.code;
  ASSERT_TRUE(code == cExitSuccess || code == cExitRebootRequired || code == cExitInstallFailure) << code;
  // Nothing that was there before the installation is ever removed.
  EXPECT_EQ(Missing(r.before, r.after), std::vector<std::string>{});
  const std::vector<std::string> left = Missing(r.after, r.before);
  if (code == cExitInstallFailure) {
    EXPECT_FALSE(r.run.report.urLeft.empty());
    EXPECT_TRUE(r.entryLeft) << "the uninstall entry stays for another run";
    EXPECT_FALSE(r.run.copyStarted);
  } else if (p.phase == kOriginal) {
    EXPECT_EQ(left, std::vector<std::string>{}) << "reported " << code << " yet left";
  } else {
    for (const std::string& line : left) EXPECT_TRUE(CopyLeftover(line)) << line;
  }
  for (const std::string& item : r.open) {
    const bool closeRefused = (p.op == "CloseHandle" && (item.rfind("file ", 0) == 0 || item.rfind("process", 0) == 0)) ||
                              (p.op == "RegCloseKey" && item.rfind("key ", 0) == 0);
    EXPECT_TRUE(closeRefused) << "left open: " << item;
  }
  EXPECT_TRUE(r.deployOpen.empty()) << testing::PrintToString(r.deployOpen);
}

// Every faultable call of an uninstallation, failed once; each operation failed from its first call on.
TEST(UninstallFaultSweep, EveryCallFails) {
  std::vector<TSimCall> log;
  const TSweepRun clean = RunSweep([](TSimInstallOs&) {}, &log);
  ASSERT_EQ(clean.run.code, cExitSuccess);
  ASSERT_EQ(Missing(clean.after, clean.before), std::vector<std::string>{});

  const auto& faultable = TSimPlatform::FaultableOperations();
  std::vector<TPoint> points;
  std::map<std::string, std::uint64_t> seen;
  TPhase phase = kOriginal;
  for (const TSimCall& call : log) {
    if (call.op == "WaitForSingleObject") phase = kCopy;  // the copy's first call
    if (std::find(faultable.begin(), faultable.end(), call.op) != faultable.end())
      points.push_back({call.op, ++seen[call.op], phase});
  }
  std::map<std::string, int> perOp;
  int runs = 0;
  for (const TPoint& p : points) {
    Check(p, false, RunSweep([&](TSimInstallOs& sim) { sim.FailCall(p.op, p.nth, FaultCode(p.op)); }));
    ++runs;
    ++perOp[p.op];
    if (p.nth == 1) {
      Check(p, true, RunSweep([&](TSimInstallOs& sim) { sim.FailFrom(p.op, 1, FaultCode(p.op)); }));
      ++runs;
    }
  }
  std::cout << "[ sweep    ] " << points.size() << " fault points, " << runs << " runs:";
  for (const auto& [op, n] : perOp) std::cout << " " << op << "=" << n;
  std::cout << std::endl;
  RecordProperty("fault_points", static_cast<int>(points.size()));
}

}  // namespace

#endif  // _WIN32
