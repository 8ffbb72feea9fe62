// The uninstaller on the emulated system: the machine's state as data (for
// before/after comparisons), the next restart's deletions, and one whole
// uninstallation as Windows would run it (the original, then its copy).
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "uninstall/uninst_params.h"
#include "uninstall/uninst_report.h"

// Registry (both roots), files and folders (with their bytes) and the
// packages of the current user.
struct TMachineState {
  std::vector<std::string> registry;
  std::map<std::string, std::string> files;  // sandbox path -> bytes ("<dir>" for a folder)
  std::vector<ustring> packages;
  friend bool operator==(const TMachineState&, const TMachineState&) = default;
};
TMachineState Snapshot(TSimPlatform& sim);
// Lines of a that b lacks (registry lines, files, packages), for messages and subset checks.
std::vector<std::string> Missing(const TMachineState& a, const TMachineState& b);

// What the system does at the next restart: the pending deletions, in order
// (a folder only when it is empty by then); the list is then spent.
void ApplyRestart(TSimPlatform& sim, std::size_t& done);

struct TUninstallRun {
  std::uint32_t code = 0;
  TUnReport report;
  bool copyStarted = false;
  ustring copyPath;         // where the copy ran from
  ustring copyCommandLine;
};

// Runs Uninstall.exe from folder with the command-line options as the
// uninstall entry would give them: the original (its image held as a running
// program's) and then, when it started one, its copy; afterOriginal runs
// between the two (what others do once the original has ended).
TUninstallRun RunUninstaller(TSimPlatform& sim, const ustring& folder, const ustring& options,
                             const std::function<void()>& afterOriginal = {});
