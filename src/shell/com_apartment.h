// The worker thread's COM apartment and the probe for the system's
// association-registration UI, which decides how file associations are
// registered.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// CLSID_ApplicationAssociationRegistrationUI.
inline constexpr TGuid cClsidAssocRegUI{0x1968106D, 0xF3B5, 0x44CF, {0x89, 0x0E, 0x11, 0x6F, 0xCB, 0x9E, 0xCE, 0xF1}};

// Initialises COM for the calling thread as a single-threaded apartment; the
// HRESULT: 0 (S_OK) and 1 (S_FALSE, already initialised) are success.
std::int32_t ComInit();
// Ends the calling thread's COM use; one call per successful ComInit.
void ComDone();

// True when ComInit succeeded (0 or 1).
constexpr bool ComInitOk(std::int32_t result) { return result == cS_OK || result == cS_FALSE; }

// Calls ComDone when it goes out of scope, also when an exception passes.
class TComDoneGuard {
 public:
  TComDoneGuard() = default;
  ~TComDoneGuard() { ComDone(); }
  TComDoneGuard(const TComDoneGuard&) = delete;
  TComDoneGuard& operator=(const TComDoneGuard&) = delete;
};

// True when an instance of cClsidAssocRegUI can be created. Opens and closes
// its own apartment (false without ComDone when ComInit fails); never raises.
bool AssocRegUIAvailable();
