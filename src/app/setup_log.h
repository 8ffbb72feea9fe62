// The setup's log: the guarded log of engine/guarded_log.h (UTF-8 with a
// byte-order mark, CR LF line ends, always appended, never through a link or
// into someone else's file). A log that cannot be written changes nothing
// else: the caller goes on.
#pragma once
#include <cstdint>
#include <vector>

#include "common/types.h"
#include "engine/guarded_log.h"

class TSetupLog {
 public:
  // An empty path writes nothing.
  explicit TSetupLog(ustring path = ustring());

  // Corvalin-Setup.log in the log's temporary folder (LogTempFolder); empty
  // when that folder is unknown.
  static ustring DefaultPath();

  const ustring& Path() const { return log_.Wanted(); }
  // Where the lines went: Path(), a fresh Corvalin-Setup-<16 hex>.log in the
  // temporary folder when Path() was refused, or empty.
  const ustring& Written() const { return log_.Written(); }
  // Appends the lines, each ended by CR LF; a new (empty) file starts with
  // the byte-order mark. False when nothing could be written.
  bool Append(const std::vector<ustring>& lines) const;

 private:
  mutable TGuardedLog log_;  // appending changes where it goes, not what the log is
};

constexpr int cStartupNotRun = -1;

// The header of one run: time (UTC), the setup's version, the command line
// and the start-up code (cStartupNotRun when the checks did not run).
std::vector<ustring> LogHeader(const ustring& commandLine, int startupCode);
// The end of one run: the status code and the exit code, then an empty line.
std::vector<ustring> LogFooter(std::uint8_t statusCode, std::uint32_t exitCode);
