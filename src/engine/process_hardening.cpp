#include "engine/process_hardening.h"

#include "platform/platform.h"

void HardenProcess() {
  // The result is not asked for: without the mitigation the program runs as
  // it always did.
  Os().EnforceRedirectionTrust();
}
