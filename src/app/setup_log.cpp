#include "app/setup_log.h"

#include <string>

#include "catalogue/identity.h"
#include "catalogue/vers_info.h"
#include "catalogue/version.h"
#include "common/utils.h"
#include "platform/platform.h"
#include "platform/scoped_handle.h"

namespace {

ustring UtcStamp() {
  const TSystemTime t = Os().GetUtcTime();
  return DecOfInt(t.wYear) + u"-" + DecOfIntPadded(t.wMonth, 2) + u"-" + DecOfIntPadded(t.wDay, 2) + u" " + DecOfIntPadded(t.wHour, 2) +
         u":" + DecOfIntPadded(t.wMinute, 2) + u":" + DecOfIntPadded(t.wSecond, 2) + u" UTC";
}

}  // namespace

ustring TSetupLog::DefaultPath() {
  ustring temp;
  if (Os().GetTempPathW(temp) != cErrSuccess || temp.empty()) return ustring();
  return AddBackslash(temp) + cSetupLogName;
}

bool TSetupLog::Append(const std::vector<ustring>& lines) const {
  if (path_.empty()) return false;
  std::string bytes;
  for (const ustring& line : lines) bytes += ToUtf8(line) + "\r\n";
  THandle file = 0;
  // Open always: a missing log is created, an existing file is kept whole.
  // Others may read it, and a second setup append its own lines meanwhile:
  // with the right to append only, each write lands at the end as it is
  // then, so neither overwrites the other.
  if (Os().CreateFileW(path_, cFileAppendData, cFileShareRead | cFileShareWrite, cOpenAlwaysDisposition,
                       cFileAttributeNormal, file) != cErrSuccess)
    return false;
  const TScopedHandle owner(file);
  std::uint64_t end = 0;
  if (Os().SetFilePointerEx(file, 0, cFileEnd, end) != cErrSuccess) return false;
  if (end == 0) bytes.insert(0, "\xEF\xBB\xBF");
  std::uint32_t written = 0;
  return Os().WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written) == cErrSuccess &&
         written == bytes.size();
}

std::vector<ustring> LogHeader(const ustring& commandLine, int startupCode) {
  return {u"==== " + ustring(cProductName) + u" setup, " + UtcStamp() + u" ====",
          u"Setup version: " + ComposeTitleLine() + SetupVersionText(Os().GetOwnModulePath()),
          u"Command line: " + commandLine,
          u"Start-up code: " + (startupCode == cStartupNotRun ? ustring(u"not run") : DecOfInt(startupCode))};
}

std::vector<ustring> LogFooter(std::uint8_t statusCode, std::uint32_t exitCode) {
  return {u"Status code: " + DecOfInt(statusCode), u"Exit code: " + DecOfInt(static_cast<std::int32_t>(exitCode)),
          u""};
}
