#include "shell/com_apartment.h"

std::int32_t ComInit() { return Os().CoInitialize(); }

void ComDone() { Os().CoUninitialize(); }

bool AssocRegUIAvailable() {
  if (!ComInitOk(ComInit())) return false;
  TComDoneGuard done;
  try {
    // The platform releases the probe's instance before answering, so it is
    // gone before the apartment ends.
    return Os().ProbeClassInstance(cClsidAssocRegUI) >= 0;
  } catch (...) {
    // The class's own code may raise while it is created: then it is not usable.
    return false;
  }
}
