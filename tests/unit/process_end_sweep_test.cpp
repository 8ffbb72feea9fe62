// The process-end sweep: an unattended new installation, an update and an
// uninstallation are each ended (as a kill or a power cut ends them) at
// every operation they make, once per operation, on a fresh emulated system.
// The same command is then run again on that system: it must end with 0 or
// 3010 and leave what an uninterrupted run leaves (files byte for byte,
// registry, links, the restart list), and an uninstallation after it must
// bring back the machine as it was before the first run. Each sweep prints
// how many points it covered and how long it took.
#include <gtest/gtest.h>

// The sweep exercises the portable code against the emulation; the Windows
// build would only run the same emulation again, several times slower.
#ifndef _WIN32

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>

#include "app/setup_run.h"
#include "catalogue/exit_codes.h"
#include "catalogue/payload_files.h"
#include "common/cmdline.h"
#include "common/utils.h"
#include "support/uninstall_env.h"
#include "support/wizard_env.h"

namespace {

const ustring kSetupCommand = u"\"C:\\Setup\\Corvalin-Setup.exe\" /S:1 /E:1";
const ustring kTemp = u"C:\\Users\\Tester\\AppData\\Local\\Temp";
const std::string kTempPrefix = "C/Users/Tester/AppData/Local/Temp/";
// The uninstaller's copy lies in a folder of its own below the Windows temp folder.
const std::string kCopyPrefix = "C/Windows/Temp/Corvalin-Uninstall-";

bool InTemp(const std::string& name) { return name.rfind(kTempPrefix, 0) == 0 || name.rfind(kCopyPrefix, 0) == 0; }

// What a run leaves, without what is in the temporary folders: the setup's
// log (every run appends to it) and the uninstaller's copies (see Sweep).
struct TEndState {
  TMachineState machine;
  std::vector<TSimRestartEntry> restart;
};

bool SameRestart(const std::vector<TSimRestartEntry>& a, const std::vector<TSimRestartEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].from != b[i].from || a[i].to != b[i].to) return false;
  return true;
}

// How many things the temporary folder holds beyond the log.
std::size_t TempLeftovers(const TMachineState& machine) {
  std::size_t n = 0;
  for (const auto& [name, bytes] : machine.files)
    if (InTemp(name) && name != kTempPrefix + "Corvalin-Setup.log") ++n;
  return n;
}

TEndState EndState(TSimInstallOs& sim, std::size_t* tempLeftovers = nullptr) {
  TEndState state{Snapshot(sim), sim.RestartList()};
  if (tempLeftovers != nullptr) *tempLeftovers = TempLeftovers(state.machine);
  std::erase_if(state.machine.files, [](const auto& file) { return InTemp(file.first); });
  return state;
}

// Differences in files and registry, and (withRestart) in the restart list;
// after a restart the list is spent, and only the machine counts.
std::string Differences(const TEndState& got, const TEndState& want, bool withRestart) {
  std::string text;
  for (const std::string& line : Missing(want.machine, got.machine)) text += "\n  missing: " + line;
  for (const std::string& line : Missing(got.machine, want.machine)) text += "\n  extra: " + line;
  if (withRestart && !SameRestart(got.restart, want.restart))
    text += "\n  restart list: " + std::to_string(got.restart.size()) + " entries, wanted " +
            std::to_string(want.restart.size());
  return text;
}

// A fresh machine on which the start-up checks pass, installed as the platform.
class TMachine {
 public:
  TMachine() {
    previous_ = SetOs(&sim);
    PutPayload(sim, true);
    for (int lang = 0; lang < 2; ++lang)
      sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst + lang)}] = TextRecord({});
    sim.resources[{cRtRcData, PayResourceId(cPayLicenseFirst)}] = TextRecord(kLicenseEn);
    sim.resources[{cRtRcData, PayResourceId(cPayLicenseFirst + 1)}] = TextRecord(kLicenseDe);
    sim.MakeDirs(kTemp);
  }
  ~TMachine() {
    sim.WaitThreads();
    SetOs(previous_);
  }

  std::uint32_t Setup() {
    CmdParams = TCmdParams{};
    sim.commandLine = kSetupCommand;
    const std::uint32_t code = RunSetup(sim.commandLine);
    sim.WaitThreads();
    return code;
  }
  std::uint32_t Uninstall() {
    if (!sim.HasFile(kInstallDir + PayFiles[cPayUninstaller].pfFilNam)) return cExitUnknownProduct;
    return RunUninstaller(sim, kInstallDir, u" /S:1").code;
  }
  // The restart, which removes the uninstaller's copy.
  void Restart() {
    std::size_t done = 0;
    ApplyRestart(sim, done);
  }

  TSimInstallOs sim;

 private:
  IPlatform* previous_ = nullptr;
};

struct TSweep {
  const char* name;
  std::function<void(TMachine&)> before;          // what the machine holds before the run
  std::function<std::uint32_t(TMachine&)> run;    // the command that is ended and run again
};

// The run's operations, counted on an uninterrupted run.
std::uint64_t CountOperations(const TSweep& sweep, TEndState& end, TEndState& start) {
  TMachine m;
  start = EndState(m.sim);
  sweep.before(m);
  const std::uint64_t first = m.sim.OperationsSeen();
  const std::uint32_t code = sweep.run(m);
  EXPECT_TRUE(code == cExitSuccess || code == cExitRebootRequired) << sweep.name << ": " << code;
  end = EndState(m.sim);
  return m.sim.OperationsSeen() - first;
}

void Sweep(const TSweep& sweep, bool uninstalls) {
  TEndState end, start;
  const std::uint64_t total = CountOperations(sweep, end, start);
  ASSERT_GT(total, 10u);
  const auto began = std::chrono::steady_clock::now();
  std::uint64_t points = 0;
  std::uint64_t copiesLeft = 0;       // points after which an uninstaller's copy stayed in the temporary folder
  std::uint64_t uninstallerLeft = 0;  // points after which only Uninstall.exe and the folder were left
  for (std::uint64_t n = 1; n <= total; ++n) {
    SCOPED_TRACE(std::string(sweep.name) + ", ended at operation " + std::to_string(n));
    TMachine m;
    sweep.before(m);
    m.sim.EndProcessAt(n);
    sweep.run(m);
    ASSERT_TRUE(m.sim.ProcessEnded()) << "the run made fewer operations than counted";
    m.sim.ReleaseEndedProcess();
    ++points;

    const std::uint32_t again = sweep.run(m);
    if (uninstalls && again == cExitUnknownProduct) {
      // Ended after the uninstall entry and the note had gone, before the
      // copy had deleted Uninstall.exe and the folder: the run again finds
      // nothing registered (as for a stray uninstaller), and nothing of the
      // product is left but those two.
      ++uninstallerLeft;
      m.Restart();
      std::size_t left = 0;
      TEndState got = EndState(m.sim, &left);
      copiesLeft += left > 0;
      got.machine.files.erase("C/Program Files/Corvalin/Uninstall.exe");
      got.machine.files.erase("C/Program Files/Corvalin");
      ASSERT_EQ(Differences(got, start, false), "");
      continue;
    }
    ASSERT_TRUE(again == cExitSuccess || again == cExitRebootRequired) << "run again: " << again;
    if (uninstalls) {
      m.Restart();
      std::size_t left = 0;
      const TEndState got = EndState(m.sim, &left);
      copiesLeft += left > 0;
      ASSERT_EQ(Differences(got, start, false), "");
      continue;
    }
    ASSERT_EQ(Differences(EndState(m.sim), end, true), "");
    // And the installation it completed is removed like any other.
    ASSERT_EQ(m.Uninstall(), cExitSuccess);
    m.Restart();
    ASSERT_EQ(Differences(EndState(m.sim), start, false), "");
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
  std::cout << "[ sweep    ] " << sweep.name << ": " << points << " points in " << ms.count() << " ms";
  if (uninstalls)
    std::cout << "; only Uninstall.exe and the folder were left after " << uninstallerLeft
              << ", the uninstaller's copy stayed in the temporary folder after " << copiesLeft;
  std::cout << "\n";
}

const auto kNothing = [](TMachine&) {};
const auto kInstalled = [](TMachine& m) { ASSERT_EQ(m.Setup(), cExitSuccess); };

TEST(ProcessEndSweep, NewInstallation) {
  Sweep({"new installation", kNothing, [](TMachine& m) { return m.Setup(); }}, false);
}

TEST(ProcessEndSweep, Update) {
  Sweep({"update", kInstalled, [](TMachine& m) { return m.Setup(); }}, false);
}

TEST(ProcessEndSweep, Uninstallation) {
  Sweep({"uninstallation", kInstalled, [](TMachine& m) { return m.Uninstall(); }}, true);
}

}  // namespace

#endif  // _WIN32
