// The PE resource reader over any file: natively it takes the payload records
// and the version block out of a built Corvalin-Setup.exe, so a damaged or
// tampered file reaches it. Input: the file's bytes. Properties: it opens or
// refuses without reading outside the bytes; whatever it finds lies wholly
// inside them.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "platform/sim/pe_resources.h"
#include "platform/wincodes.h"

namespace {

volatile std::uint8_t sink;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TPeResources pe;
  std::string error;
  if (pe.Open(data, size, error) != TPeStatus::Found) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  struct TWanted {
    std::uint32_t type, id;
  };
  std::vector<TWanted> wanted{{cRtVersion, 1}, {24, 1}, {3, 1}, {10, 1}};  // version, manifest, icon
  for (std::uint32_t id = 128; id <= 142; ++id) wanted.push_back({cRtRcData, id});
  for (const TWanted& w : wanted) {
    const std::uint8_t* found = nullptr;
    std::uint32_t length = 0;
    error.clear();
    const TPeStatus status = pe.Find(w.type, w.id, found, length, error);
    if (status == TPeStatus::Malformed) FUZZ_CHECK(!error.empty());
    if (status != TPeStatus::Found) continue;
    FUZZ_CHECK(found >= data && found <= data + size && length <= static_cast<std::size_t>(data + size - found));
    std::uint8_t x = 0;
    for (std::uint32_t i = 0; i < length; ++i) x ^= found[i];
    sink = x;
  }
  return 0;
}
