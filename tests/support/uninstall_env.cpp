#include "support/uninstall_env.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "uninstall/uninst_self.h"
#include "uninstall/uninstall_run.h"

namespace fs = std::filesystem;

TMachineState Snapshot(TSimPlatform& sim) {
  TMachineState state;
  for (const THKey root : {cHkeyLocalMachine, cHkeyCurrentUser})
    for (const ustring& line : sim.DumpRegistry(root)) state.registry.push_back(ToUtf8(line));
  const fs::path root = sim.SandboxRoot();
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) {
      state.files[name] = "<dir>";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      state.files[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  state.packages = sim.deploy.Packages();
  return state;
}

std::vector<std::string> Missing(const TMachineState& a, const TMachineState& b) {
  std::vector<std::string> out;
  const std::set<std::string> reg(b.registry.begin(), b.registry.end());
  for (const std::string& line : a.registry)
    if (!reg.count(line)) out.push_back("registry " + line);
  for (const auto& [name, bytes] : a.files) {
    const auto it = b.files.find(name);
    if (it == b.files.end()) out.push_back("file " + name);
    else if (it->second != bytes) out.push_back("file " + name + " (other bytes)");
  }
  for (const ustring& package : a.packages)
    if (std::find(b.packages.begin(), b.packages.end(), package) == b.packages.end())
      out.push_back("package " + ToUtf8(package));
  return out;
}

void ApplyRestart(TSimPlatform& sim, std::size_t& done) {
  const std::vector<TSimRestartEntry> list = sim.RestartList();
  for (; done < list.size(); ++done) {
    const TSimRestartEntry& entry = list[done];
    std::error_code ec;
    const fs::path host = sim.HostPath(entry.from);
    if (!entry.to.empty()) {
      fs::rename(host, sim.HostPath(entry.to), ec);
    } else if (fs::is_directory(host, ec)) {
      if (fs::is_empty(host, ec)) fs::remove(host, ec);
    } else {
      fs::remove(host, ec);
    }
  }
}

TUninstallRun RunUninstaller(TSimPlatform& sim, const ustring& folder, const ustring& options,
                             const std::function<void()>& afterOriginal) {
  TUninstallRun run;
  const ustring own = AddBackslash(folder) + PayFiles[cPayUninstaller].pfFilNam;
  const std::size_t startsBefore = sim.ProcessStarts().size();
  sim.ownModulePath = own;
  sim.commandLine = own + options;
  sim.HoldAsRunningImage(own);
  run.code = RunUninstall(own, ParseUninstallCmdLine(sim.commandLine), run.report);
  sim.ReleaseHolds(own);  // the original has ended
  if (afterOriginal) afterOriginal();

  const std::vector<TSimProcessStart> starts = sim.ProcessStarts();
  if (starts.size() > startsBefore) {
    run.copyStarted = true;
    run.copyPath = starts.back().application;
    run.copyCommandLine = starts.back().commandLine;
    sim.ownModulePath = run.copyPath;
    sim.commandLine = run.copyCommandLine;
    sim.HoldAsRunningImage(run.copyPath);
    FinishAsCopy(ParseUninstallCmdLine(run.copyCommandLine));
    sim.ReleaseHolds(run.copyPath);
  }
  return run;
}
