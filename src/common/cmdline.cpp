#include "common/cmdline.h"

#include "common/utils.h"

TCmdParams CmdParams;

namespace {

// Applies one option of the shape "/X:v" (already trimmed, length >= 4).
void ApplyOption(const ustring& opt, TCmdParams& params) {
  const char16_t letter = opt[1];
  ustring value;
  if (opt.size() == 4) {
    value = opt.substr(3, 1);
  } else if (opt[3] == u'"' && opt.back() == u'"') {
    value = opt.substr(4, opt.size() - 5);
  } else {
    value = opt.substr(3);
  }
  const char16_t upper = (letter >= u'a' && letter <= u'z') ? static_cast<char16_t>(letter - 32) : letter;
  // Texts: taken whatever their length. U is recognised and skipped.
  if (upper == u'P') {
    params.cpDirGiv = true;
    params.cpInsDir = value;
    return;
  }
  if (upper == u'R') {
    params.cpLogGiv = true;
    params.cpLogFil = value;
    return;
  }
  if (upper == u'U') return;
  if (value.size() != 1) return;
  std::int64_t number = 0;
  if (!TextToInt64(value, number)) number = -1;
  switch (upper) {
    case u'S': params.cpModSil = number == 1; break;
    case u'E': params.cpEulAgr = number == 1; break;
    case u'I': params.cpDskIco = number == 1; break;
    case u'O': params.cpCanOvr = number == 1; break;
    case u'L':
      if (number == 0 || number == 1) {
        params.cpSelLan = static_cast<TSuLang>(number);
        params.cpLanGiv = true;
      }
      break;
    default: break;
  }
}

}  // namespace

TCmdParams ParseCmdLine(const ustring& text) {
  TCmdParams params;
  ustring rest = TrimControls(text);
  int i = LastCharOf(u"/", rest);
  while (i > 0) {
    const ustring opt = TrimControls(rest.substr(static_cast<std::size_t>(i - 1)));
    if (opt.size() >= 4 && opt[0] == u'/' && opt[2] == u':') ApplyOption(opt, params);
    rest = rest.substr(0, static_cast<std::size_t>(i - 1));
    i = LastCharOf(u"/", rest);
  }
  params.cpPa0Exe = TrimControls(rest);
  return params;
}
