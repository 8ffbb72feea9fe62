#include "engine/one_setup.h"

#include "catalogue/identity.h"

TOneSetup::TOneSetup() {
  const std::uint32_t err = Os().CreateMutexW(cSetupMutexName, mutex_);
  // Access denied means the mutex exists and belongs to an account whose
  // objects this one may not open: a setup started as the system account
  // (by a deployment tool, say) while an administrator starts another.
  acquired_ = err != cErrAlreadyExists && err != cErrAccessDenied;
}

TOneSetup::~TOneSetup() {
  if (mutex_ != 0) Os().CloseMutex(mutex_);
}
