#include "uninstall/uninst_params.h"

#include <string>

#include "catalogue/fixed_text.h"
#include "common/cmdline.h"
#include "common/utils.h"

namespace {

constexpr char16_t cWaitOption[] = u" /W:";
constexpr char16_t cFolderOption[] = u" /D:\"";

// The text after the last occurrence of option up to the next space (or the
// end), "" when the option is absent.
ustring WordAfter(const ustring& text, const ustring& option) {
  const std::size_t at = text.rfind(option);
  if (at == ustring::npos) return u"";
  const std::size_t start = at + option.size();
  const std::size_t end = text.find(u' ', start);
  return text.substr(start, end == ustring::npos ? ustring::npos : end - start);
}

}  // namespace

TUnParams ParseUninstallCmdLine(const ustring& text) {
  TUnParams params;
  // The folder goes first: whatever it holds is no option of ours.
  ustring rest = text;
  const std::size_t folderAt = text.rfind(cFolderOption);
  if (folderAt != ustring::npos) {
    const std::size_t start = folderAt + TextLength(cFolderOption);
    const std::size_t end = text.find(u'"', start);
    if (end != ustring::npos && end > start) params.upFolder = text.substr(start, end - start);
    rest = text.substr(0, folderAt);
  }
  const TCmdParams options = ParseCmdLine(rest);
  params.upSilent = options.cpModSil;
  params.upLangua = options.cpSelLan;
  std::int64_t handle = 0;
  if (TextToInt64(WordAfter(rest, cWaitOption), handle) && handle > 0) params.upWaitFor = static_cast<std::uint64_t>(handle);
  return params;
}

ustring CopyCommandLine(const ustring& copyPath, const TUnParams& original, std::uint64_t waitFor,
                        const ustring& folder) {
  ustring line = u"\"" + copyPath + u"\"";
  if (original.upSilent) line += u" /S:1";
  if (original.upLangua == cLangGerman) line += u" /l:1";
  line += cWaitOption + FromUtf8(std::to_string(waitFor));
  ustring bare = folder;
  while (bare.size() > 3 && bare.back() == u'\\') bare.pop_back();
  return line + cFolderOption + bare + u"\"";
}
