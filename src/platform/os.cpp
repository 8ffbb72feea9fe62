// Backend selection: the real Windows backend in the Windows build, the
// emulated one natively. Tests replace it per test with SetOs.
#include <atomic>

#include "platform/platform.h"
#include "platform/sim/sim_platform.h"
#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#endif

namespace {

IPlatform& DefaultPlatform() {
#ifdef _WIN32
  static IPlatform* instance = CreateWin32Platform();
#else
  static IPlatform* instance = new TSimPlatform();
#endif
  return *instance;
}

std::atomic<IPlatform*> current{nullptr};

}  // namespace

IPlatform& Os() {
  IPlatform* platform = current.load(std::memory_order_acquire);
  return platform != nullptr ? *platform : DefaultPlatform();
}

IPlatform* SetOs(IPlatform* platform) { return current.exchange(platform, std::memory_order_acq_rel); }
