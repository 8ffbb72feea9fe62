// Registry values of any type and any bytes read through the registry layer:
// strings of odd length, without a terminator, empty, of the wrong type,
// DWORDs of the wrong size. Input: registry values (fuzz_input.h) under one
// key of the machine and one of the user. Properties: ReadString succeeds
// exactly for REG_SZ and gives the text up to the first NUL (an odd last
// byte is half a unit); ReadDWord exactly for REG_DWORD of at most four
// bytes; ReadRootString agrees with ReadString from both roots; failures
// leave empty results; every key is closed again.
#include <array>

#include "fuzz_input.h"
#include "platform/wincodes.h"
#include "shell/reg_tools.h"

namespace {

const ustring kKey = u"SOFTWARE\\Classes\\.fuzz";
// The default value, a plain name and the same name in other letters.
const std::array<const char16_t*, 4> kNames{u"", u"Value", u"VALUE", u"Other"};

struct TStored {
  bool present = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

void CheckValue(THKey root, const ustring& name, const TStored& stored) {
  TRegKey key;
  FUZZ_CHECK(OpenKey(root, kKey, cKeyQueryValue, key.Out()));
  ustring text = u"stale";
  const bool isString = stored.present && stored.type == cRegSz;
  FUZZ_CHECK(ReadString(key.Get(), name, text) == isString);
  FUZZ_CHECK(text == (isString ? TextOfRegData(stored.data) : ustring()));

  std::uint32_t number = 0xDEADBEEF;
  const bool isDword = stored.present && stored.type == cRegDword && stored.data.size() <= 4;
  FUZZ_CHECK(ReadDWord(key.Get(), name, number) == isDword);
  std::uint32_t expected = 0;
  if (isDword)
    for (std::size_t b = 0; b < stored.data.size(); ++b) expected |= std::uint32_t{stored.data[b]} << (8 * b);
  FUZZ_CHECK(number == expected);
  FUZZ_CHECK(key.Close() == cErrSuccess);

  ustring viaRoot = u"stale";
  FUZZ_CHECK(ReadRootString(root, kKey, name, viaRoot) == isString);
  FUZZ_CHECK(viaRoot == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput in(data, size);
  TFuzzSystem<> system;
  TSimPlatform& sim = system.sim;
  std::array<std::array<TStored, 3>, 2> stored;  // [root][name, the two spellings of Value as one]
  const THKey roots[2] = {cHkeyLocalMachine, cHkeyCurrentUser};
  for (THKey root : roots) sim.AddKey(root, kKey);
  for (TFuzzRegValue& v : ReadRegValues(in)) {
    const std::size_t root = v.name >> 7;
    const std::size_t name = v.name % kNames.size();
    const std::size_t slot = name == 2 ? 1 : name == 3 ? 2 : name;
    stored[root][slot] = {true, v.type, v.data};
    sim.PutValue(roots[root], kKey, kNames[name], v.type, std::move(v.data));
  }
  for (std::size_t root = 0; root < 2; ++root)
    for (std::size_t name = 0; name < kNames.size(); ++name)
      CheckValue(roots[root], kNames[name], stored[root][name == 2 ? 1 : name == 3 ? 2 : name]);
  system.ExpectNothingOpen();
  return 0;
}
