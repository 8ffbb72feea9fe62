// A target that fails on purpose, for replay_refusals.sh: the replay driver
// must turn each way an input can fail into a failed run, promptly (under
// Wine an unhandled fault would otherwise wait in the debugger). The first
// byte picks the failure.
#include <cstdint>
#include <stdexcept>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t kind = size > 0 ? data[0] : 0;
  if (kind == 'p') FUZZ_CHECK(size == 0);  // a broken property
  if (kind == 'f') {                       // an access violation
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  if (kind == 'e') throw std::runtime_error("escaped");  // an exception nobody catches
  return 0;
}
