// The end of the emulated process: a kill, a power cut, a logoff in the
// middle of a run. From the chosen operation on, every operation fails the
// way its kind of result says (a Win32 error, an HRESULT, no instance, false
// or 0), so none of them changes the system; what was written before stays.
// When the process is gone, the system closes what it held.
#include <algorithm>
#include <array>
#include <string_view>

#include "platform/sim/sim_state.h"
#include "platform/wincodes.h"

namespace {

constexpr std::uint32_t cErrShutdownInProgress = 1115;  // what a dying process would see, if anything
constexpr std::uint32_t cHresultShutdown = 0x8007045Bu;  // the same as an HRESULT

// The operations whose result is an HRESULT (the rest: a Win32 error, or a
// Boolean or count that fails whatever the code).
constexpr std::array<std::string_view, 10> cHresultOps{
    "SHGetFolderPathW",        "CoInitialize",          "ProbeClassInstance", "ShellLinkCreate",
    "ShellLinkSetPath",        "ShellLinkSetWorkingDirectory", "ShellLinkSetDescription", "ShellLinkSave",
    "ShellLinkLoad",           "ShellLinkGetPath"};

std::uint32_t FailureOf(const char* op) {
  const std::string_view name(op);
  if (name == "ShellExecuteW") return 0;  // an instance value of 32 or less is a failure
  if (std::find(cHresultOps.begin(), cHresultOps.end(), name) != cHresultOps.end()) return cHresultShutdown;
  return cErrShutdownInProgress;
}

}  // namespace

std::optional<std::uint32_t> TSimPlatform::TState::CountOperation(const char* op) {
  ++operationsSeen;
  if (!processEnded && endAtOperation != 0 && operationsSeen >= endAtOperation) {
    processEnded = true;
    if (onProcessEnd) onProcessEnd();
  }
  if (!processEnded) return std::nullopt;
  return FailureOf(op);
}

void TSimPlatform::EndProcessAt(std::uint64_t nth) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->endAtOperation = state_->operationsSeen + nth;
  state_->onProcessEnd = [this] {
    {
      std::lock_guard<std::mutex> lock(messageLock_);
      processEnded_ = true;
    }
    messagePosted_.notify_all();
  };
}

bool TSimPlatform::ProcessEnded() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->processEnded;
}

std::uint64_t TSimPlatform::OperationsSeen() {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->operationsSeen;
}

void TSimPlatform::ReleaseEndedProcess() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->files.clear();
  state_->keys.clear();
  state_->links.clear();
  state_->mutexes.clear();
  state_->processes.clear();
  state_->apartments.clear();
  state_->processEnded = false;
  state_->endAtOperation = 0;
  std::lock_guard<std::mutex> lock(messageLock_);
  processEnded_ = false;
}
