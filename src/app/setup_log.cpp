#include "app/setup_log.h"

#include <string>

#include "catalogue/identity.h"
#include "catalogue/vers_info.h"
#include "catalogue/version.h"
#include "common/utils.h"
#include "platform/platform.h"

namespace {

ustring UtcStamp() {
  const TSystemTime t = Os().GetUtcTime();
  return DecOfInt(t.wYear) + u"-" + DecOfIntPadded(t.wMonth, 2) + u"-" + DecOfIntPadded(t.wDay, 2) + u" " + DecOfIntPadded(t.wHour, 2) +
         u":" + DecOfIntPadded(t.wMinute, 2) + u":" + DecOfIntPadded(t.wSecond, 2) + u" UTC";
}

}  // namespace

TSetupLog::TSetupLog(ustring path) : log_(std::move(path), cSetupLogStem) {}

ustring TSetupLog::DefaultPath() {
  const ustring temp = LogTempFolder();
  return temp.empty() ? temp : temp + cSetupLogName;
}

bool TSetupLog::Append(const std::vector<ustring>& lines) const { return log_.Append(lines); }

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
