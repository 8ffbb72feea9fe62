#include "app/one_setup.h"

#include "catalogue/identity.h"

TOneSetup::TOneSetup() {
  const std::uint32_t err = Os().CreateMutexW(cSetupMutexName, mutex_);
  acquired_ = err != cErrAlreadyExists;
}

TOneSetup::~TOneSetup() {
  if (mutex_ != 0) Os().CloseMutex(mutex_);
}
