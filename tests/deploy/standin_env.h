// The stand-in deployment service in this process (Windows build only):
// registered for its runtime classes on first use (volatile keys, removed
// again when the process ends), loaded from beside the test program, and
// driven through its exports.
#pragma once
#ifdef _WIN32
#include <string>
#include <vector>

#include "platform/deploy.h"

class TStandIn {
 public:
  static TStandIn& Get();
  IDeployment& RealDeploy() { return real_; }
  void Load(const std::string& scenario);  // fails the test when malformed
  void WaitIdle();
  std::string Leftovers();                   // alive or released too often
  std::vector<ustring> Lines(int what);      // 0 packages, 1 removals, 2 additions
  ~TStandIn();

 private:
  TStandIn();
  IDeployment& real_;
  void* module_ = nullptr;
  std::vector<ustring> registered_;  // class keys this process made
};
#endif
