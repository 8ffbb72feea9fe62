// The option parser over any command text: the process's own command line
// and the uninstall command an earlier installation left in the registry are
// both text that someone else writes. Input: the text as UTF-16LE.
#include "common/cmdline.h"
#include "common/utils.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ustring text = Utf16Of(data, size);
  const TCmdParams params = ParseCmdLine(text);

  FUZZ_CHECK(params.cpSelLan == 0 || params.cpSelLan == 1);
  // The program path is the trimmed text before the first "/".
  const std::size_t slash = text.find(u'/');
  FUZZ_CHECK(params.cpPa0Exe == TrimControls(text.substr(0, slash)));
  FUZZ_CHECK(params.cpPa0Exe.find(u'/') == ustring::npos);

  // Without options the record keeps its defaults.
  const TCmdParams plain = ParseCmdLine(params.cpPa0Exe);
  FUZZ_CHECK(plain.cpPa0Exe == params.cpPa0Exe);
  FUZZ_CHECK(!plain.cpModSil && !plain.cpEulAgr && !plain.cpDskIco && !plain.cpCanOvr && plain.cpSelLan == 0);

  // Options are taken from the right, so one appended in front of the others
  // (right after the program path) is the one that wins.
  if (slash != ustring::npos) {
    const TCmdParams german = ParseCmdLine(text.substr(0, slash) + u" /L:1 /S:0" + text.substr(slash));
    FUZZ_CHECK(german.cpSelLan == 1 && !german.cpModSil);
  }
  return 0;
}
