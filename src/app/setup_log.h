// The setup's log: UTF-8 with a byte-order mark, CR LF line ends, always
// appended (an existing file, someone else's too, is never truncated). A log
// that cannot be written changes nothing else: the caller goes on.
#pragma once
#include <cstdint>
#include <vector>

#include "common/types.h"

class TSetupLog {
 public:
  // An empty path writes nothing.
  explicit TSetupLog(ustring path = ustring()) : path_(std::move(path)) {}

  // The temporary folder's Corvalin-Setup.log; empty when that folder is unknown.
  static ustring DefaultPath();

  const ustring& Path() const { return path_; }
  // Appends the lines, each ended by CR LF; a new (empty) file starts with
  // the byte-order mark. False when the file could not be written.
  bool Append(const std::vector<ustring>& lines) const;

 private:
  ustring path_;
};

constexpr int cStartupNotRun = -1;

// The header of one run: time (UTC), the setup's version, the command line
// and the start-up code (cStartupNotRun when the checks did not run).
std::vector<ustring> LogHeader(const ustring& commandLine, int startupCode);
// The end of one run: the status code and the exit code, then an empty line.
std::vector<ustring> LogFooter(std::uint8_t statusCode, std::uint32_t exitCode);
