// The earlier installation as read back from its uninstall entry: the four
// values of HKLM\...\Uninstall\Corvalin hold whatever types and bytes another
// program (or a damaged registry) left there. GetUInstInfo must read them
// through the registry layer without a fault, take exactly the values of the
// right types, and InitNewSetup must turn any of it into a start-up code.
//
// Input: a flags byte (bit 0: no entry at all; bit 1: the entry refuses
// queries), then registry values (fuzz_input.h) whose name selector picks one
// of the entry's names.
#include <array>

#include "common/cmdline.h"
#include "common/setup_choices.h"
#include "common/utils.h"
#include "engine/startup.h"
#include "fuzz_input.h"
#include "platform/wincodes.h"

namespace {

const ustring kEntry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
// The four the reader asks for, another spelling of one (names ignore case)
// and one it never reads.
const std::array<const char16_t*, 6> kNames{u"InstallLocation", u"UninstallString", u"Version",
                                            u"DisplayVersion",  u"displayversion",  u"Publisher"};

struct TStored {
  bool present = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput in(data, size);
  const std::uint8_t flags = in.Byte();
  const bool noEntry = (flags & 1) != 0;
  const bool denied = (flags & 2) != 0;
  std::array<TStored, 4> stored;

  TFuzzSystem<> system;
  TSimPlatform& sim = system.sim;
  if (!noEntry) sim.AddKey(cHkeyLocalMachine, kEntry);
  for (TFuzzRegValue& v : ReadRegValues(in)) {
    if (noEntry) continue;
    const std::size_t name = v.name % kNames.size();
    const std::size_t slot = name == 4 ? 3 : name;  // the other spelling is the same value
    if (slot < stored.size()) stored[slot] = {true, v.type, v.data};
    sim.PutValue(cHkeyLocalMachine, kEntry, kNames[name], v.type, std::move(v.data));
  }
  if (denied) sim.DenyKeyAccess(cHkeyLocalMachine, kEntry, cKeyQueryValue);

  const auto isString = [](const TStored& s) { return s.present && s.type == cRegSz; };
  const bool readable = !noEntry && !denied && isString(stored[0]) && isString(stored[1]) && stored[2].present &&
                        stored[2].type == cRegDword && stored[2].data.size() <= 4 && isString(stored[3]);

  TUInstInfo info;
  const bool read = GetUInstInfo(info);
  system.ExpectNothingOpen();
  FUZZ_CHECK(read == readable);
  if (read) {
    const TCmdParams command = ParseCmdLine(TextOfRegData(stored[1].data));
    FUZZ_CHECK(info.uiInsLoc == TextOfRegData(stored[0].data));
    FUZZ_CHECK(info.uiUnInst == command.cpPa0Exe);
    FUZZ_CHECK(info.uiSelLan == command.cpSelLan);
    FUZZ_CHECK(info.uiDspVer == TextOfRegData(stored[3].data));
    std::uint32_t version = 0;
    for (std::size_t b = 0; b < stored[2].data.size(); ++b) version |= std::uint32_t{stored[2].data[b]} << (8 * b);
    FUZZ_CHECK(info.uiVerMaj == version >> 24 && info.uiVerMin == ((version >> 16) & 0xFF) &&
               info.uiVerBui == (version & 0xFFFF));
  }

  // The decision between a new installation and an update, on whatever came back.
  TNewSetup ns;
  const std::uint8_t code = InitNewSetup(ns);
  system.ExpectNothingOpen();
  FUZZ_CHECK(code == 0 || code == 4);
  if (!read) FUZZ_CHECK(code == 0 && ns.nsInsTyp == cInsTypNew);
  if (ns.nsInsTyp == cInsTypUpdate) {
    FUZZ_CHECK(read && code == 0);
    FUZZ_CHECK(ns.nsInsLoc == AddBackslash(info.uiInsLoc) && ns.nsLangua == info.uiSelLan);
  } else {
    FUZZ_CHECK(ns.nsInsTyp == cInsTypNew && ns.nsInsLoc == u"C:\\Program Files\\Corvalin\\");
  }
  return 0;
}
