// Where this build's payload lies, read when the tests run rather than
// compiled in: a build pointed at other product files then only repacks and
// relinks, and no test object is compiled again. CTest passes the facts file
// (written by tests/payload.cmake) in CORVALIN_PAYLOAD_FACTS.
#pragma once
#include <filesystem>

struct TPayloadFacts {
  std::filesystem::path sourceDir;   // the fifteen product files packed
  std::filesystem::path recordsDir;  // payload_<id>.rec and payload.rc
  std::filesystem::path setupExe;    // a built Corvalin-Setup.exe to check; empty when none
};

// The facts of this build, read afresh; the calling test fails (and the
// facts are empty) when the file is missing or incomplete.
TPayloadFacts PayloadFacts();
