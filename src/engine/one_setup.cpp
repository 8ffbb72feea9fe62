#include "engine/one_setup.h"

#include "catalogue/identity.h"

TOneSetup::TOneSetup() {
  // Any failure to make the namespace (none on this system, say) leaves the
  // global name: a guard that any user can squat is still better than none.
  const bool inNamespace = Os().OpenAdminNamespace(cSetupNamespace, space_) == cErrSuccess;
  if (!inNamespace) space_ = 0;
  const std::uint32_t err = Os().CreateMutexW(inNamespace ? cSetupGuardName : cSetupMutexName, mutex_);
  // Access denied means the mutex exists and belongs to an account whose
  // objects this one may not open: a setup started as the system account
  // (by a deployment tool, say) while an administrator starts another.
  acquired_ = err != cErrAlreadyExists && err != cErrAccessDenied;
}

TOneSetup::~TOneSetup() {
  if (mutex_ != 0) Os().CloseMutex(mutex_);
  if (space_ != 0) Os().CloseAdminNamespace(space_);
}
