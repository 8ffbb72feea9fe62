// The deployment service a test runs against, from one description for both
// backends: natively the emulated service; in the Windows build the real
// bridge to the Windows Runtime with the stand-in deployment service behind
// it (registered for the package manager, the add options and, where the
// runtime lacks it, the Uri class). Everything else, the version query that
// decides eligibility included, is the emulated system's: the test seam that
// puts a Windows 11 build under the bridge.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"

// How one deployment ends and when.
enum class TDeployTiming {
  Normal,        // progress once both handlers are set, then the end
  AtOnce,        // finished before the operation is handed out
  LateProgress,  // one more progress report once the caller let go
  Never,         // nothing until the caller let go of the operation
};
struct TDeployEnd {
  std::int32_t status = cAsyncCompleted;
  std::int32_t extendedCode = 0;
  ustring errorText;
  TDeployTiming timing = TDeployTiming::Normal;
};
struct TDeployScenario {
  std::vector<ustring> packages;  // registered for the current user at the start
  TDeployEnd removal, addition;
  unsigned fullNameFails = 0;     // the nth full name read in a lookup fails
  bool errorTextFails = false;    // reading a result's error text fails
};

class TDeployBackend {
 public:
  // Installs the backend as the process's platform (build 22631) with the scenario.
  explicit TDeployBackend(const TDeployScenario& scenario);
  ~TDeployBackend();  // puts the previous platform back
  TDeployBackend(const TDeployBackend&) = delete;
  TDeployBackend& operator=(const TDeployBackend&) = delete;

  static bool Real();                     // the real bridge and the stand-in
  std::vector<TPostedMessage> Posted();   // in the order posted
  std::vector<ustring> Packages();        // registered for the current user now
  std::vector<ustring> Removals();        // full names asked to be removed
  void WaitIdle();                        // every deployment delivered its last report
  // What the service still holds or was given back too often; empty when all is well.
  std::string Leftovers();
  TSimPlatform& Sim() { return *sim_; }

 private:
  std::unique_ptr<TSimPlatform> sim_;
  IPlatform* previous_ = nullptr;
};
