// One setup or uninstallation at a time: the machine-wide named mutex, held
// for the process's life. Whoever comes second leaves the system alone.
#pragma once
#include "platform/platform.h"

class TOneSetup {
 public:
  // Creates (or opens) the mutex; Acquired() tells whether this process was first.
  TOneSetup();
  ~TOneSetup();
  TOneSetup(const TOneSetup&) = delete;
  TOneSetup& operator=(const TOneSetup&) = delete;

  // True when no other setup held the mutex (not even one this account may
  // not open). A mutex that cannot be made for any other reason counts as
  // acquired: a missing guard must not stop every installation.
  bool Acquired() const { return acquired_; }

 private:
  THandle mutex_ = 0;
  bool acquired_ = false;
};
