// What the stand-in deployment service does, read from a scenario text:
// "key=value" pairs separated by ';', e.g.
//   packages=A_1.0.0.0_x64__id,B_1.0.0.0_x64__id;add=error:80073CF3:Blocked.;addtiming=atonce
// Keys (all optional):
//   packages      full names registered for the current user at the start
//   remove, add   complete | canceled | error:<hex code>:<text> | status:<n>
//   removetiming, addtiming
//                 normal (progress after both handlers are set, then the end),
//                 atonce (finished before the operation is handed out),
//                 lateprogress (one more progress report once the caller let go),
//                 never (ends only after the caller let go of the operation)
//   fullnamefails the nth full name read in a lookup fails (1-based, 0 = none)
//   errortextfails 1: reading a result's error text fails
//   added         full name registered by a completed addition
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/types.h"

namespace standin {

enum class TTiming { Normal, AtOnce, LateProgress, Never };

struct TOutcome {
  std::int32_t status = 1;  // AsyncStatus: Completed
  std::int32_t extendedCode = 0;
  ustring errorText;
  TTiming timing = TTiming::Normal;
};

struct TScenario {
  std::vector<ustring> packages;
  TOutcome removal;
  TOutcome addition;
  unsigned fullNameFails = 0;
  bool errorTextFails = false;
  ustring added = u"Corvalin.w11ContextMenu_1.0.0.0_x64__k3v9qd2mzt8wa";
};

// The scenario of a text; false (and the default scenario) for a malformed one.
bool ParseScenario(const std::string& text, TScenario& scenario);

}  // namespace standin
