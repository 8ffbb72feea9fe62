// The version resource of the setup's own file, as a tampered download may
// carry it. Input: the version block. It is queried directly by the block
// reader the emulated version API answers with, and read through
// ReadVersionInfo and SetupVersionText as the wizard reads it.
// Properties: every answer lies inside the block; every value read is
// terminated within its buffer; the version text is empty or " v" and a
// prefix of the file version.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "catalogue/vers_info.h"
#include "common/utils.h"
#include "fuzz_input.h"
#include "platform/sim/version_block.h"

namespace {

// The paths a reader of this block asks for, and some it could.
const char16_t* const kQueries[] = {
    u"\\",
    u"\\VarFileInfo\\Translation",
    u"\\StringFileInfo\\040904E4\\FileVersion",
    u"\\StringFileInfo\\040904e4\\ProductVersion",
    u"\\StringFileInfo\\040704E4\\FileVersion",
    u"\\StringFileInfo\\040904E4",
    u"\\StringFileInfo",
    u"\\\\VarFileInfo\\\\",
};

constexpr std::size_t kFirstStringQuery = 2, kLastStringQuery = 4;

volatile std::uint8_t sink;

// Reads every byte of [p, p + n): AddressSanitizer reports any outside the block.
void Touch(const void* p, std::size_t n) {
  const auto* bytes = static_cast<const std::uint8_t*>(p);
  std::uint8_t x = 0;
  for (std::size_t i = 0; i < n; ++i) x ^= bytes[i];
  sink = x;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t q = 0; q < std::size(kQueries); ++q) {
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (!VersionBlockQuery(data, size, kQueries[q], value, length)) continue;
    const auto* at = static_cast<const std::uint8_t*>(value);
    FUZZ_CHECK(at >= data && at <= data + size);
    // A string value counts UTF-16 units and callers read that many; other
    // values count bytes (or units of a text node, which covers at least as many).
    const std::size_t bytes = q >= kFirstStringQuery && q <= kLastStringQuery ? 2 * std::size_t{length} : length;
    FUZZ_CHECK(bytes <= static_cast<std::size_t>(data + size - at));
    Touch(at, bytes);
  }

  TFuzzSystem<> system;
  TSimPlatform& sim = system.sim;
  sim.versionBlocks[LowerAscii(sim.ownModulePath)] = std::vector<std::uint8_t>(data, data + size);

  TVersInfoArr arr;
  std::uint32_t count = 0;
  const bool found = ReadVersionInfo(sim.ownModulePath, arr, count);
  FUZZ_CHECK(arr.size() == count);
  for (const TLocaVersInfo& info : arr)
    for (const auto& value : info.Values) FUZZ_CHECK(value[cVersValueUnits] == 0);

  const ustring text = SetupVersionText(sim.ownModulePath);
  if (!text.empty()) {
    FUZZ_CHECK(found && count == 1);
    const ustring fileVersion(arr[0].Values[cVersFileVersion]);
    FUZZ_CHECK(text.compare(0, 2, u" v") == 0);
    FUZZ_CHECK(fileVersion.compare(0, text.size() - 2, text, 2) == 0);
  }
  return 0;
}
