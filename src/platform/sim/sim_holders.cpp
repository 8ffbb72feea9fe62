// Who holds a file, as a test has set it: the emulated Restart Manager.
#include "common/utils.h"
#include "platform/sim/sim_state.h"

std::vector<ustring> TSimPlatform::ProgramsHoldingFile(const ustring& path) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Log("ProgramsHoldingFile", path);
  for (const auto& [held, names] : fileHolders)
    if (LowerAscii(held) == LowerAscii(path)) return names;
  return {};
}
