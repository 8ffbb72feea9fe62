// One setup or uninstallation at a time: a named mutex, held for the
// process's life. Whoever comes second leaves the system alone.
//
// The mutex lives in a private namespace whose boundary holds the
// Administrators group, so that a standard user who makes an object of the
// same name (in the global space, or in a namespace of their own) blocks
// nothing. Where the system has no private namespaces (Wine 8) it is the
// global mutex as before.
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
  THandle space_ = 0;  // the private namespace, open while the mutex is
  THandle mutex_ = 0;
  bool acquired_ = false;
};
