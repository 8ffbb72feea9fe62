// The log of the setup and of the uninstaller: UTF-8 with a byte-order mark,
// CR LF line ends, always appended (an existing file of ours is never
// truncated), and never written through anything a hostile user prepared
// (engine/guarded_file.h). When the path asked for is refused, the lines go
// to a fresh file of the same stem in the temporary folder, which the log
// made itself and whose first line says which path it could not use; when
// that can't be made either, nowhere. A log that cannot be written changes
// nothing else: the caller goes on.
#pragma once
#include <vector>

#include "common/types.h"
#include "engine/guarded_file.h"

// The temporary folder of the logs and of the uninstaller's copy: for the
// system account GetTempPath2W's own folder (only it and the administrators
// can write there), where the system has the call; else GetTempPathW's.
// With a trailing backslash; empty when unknown.
ustring LogTempFolder();

// The text as one line of the log: a CR or LF (or another line break a
// viewer honours) can't start a line of its own.
ustring OneLogLine(const ustring& text);

class TGuardedLog {
 public:
  // wanted: the path asked for (empty: no log at all); stem: the name of
  // the fresh files ("Corvalin-Setup" gives "Corvalin-Setup-<16 hex>.log").
  TGuardedLog(ustring wanted, ustring stem) : wanted_(std::move(wanted)), stem_(std::move(stem)) {}

  const ustring& Wanted() const { return wanted_; }
  // Where the lines went so far: the wanted path, a fresh file, or empty.
  const ustring& Written() const { return target_; }
  // Why the wanted path was not used (Ok when it was, or before the first line).
  TGuardVerdict Refusal() const { return refusal_; }

  // Appends the lines, each ended by CR LF; a new file starts with the
  // byte-order mark. False when nothing could be written.
  bool Append(const std::vector<ustring>& lines);

 private:
  ustring wanted_;
  ustring stem_;
  ustring target_;
  bool resolved_ = false;
  TGuardVerdict refusal_ = TGuardVerdict::Ok;
};

// Appends bytes to the file at path under the rules above (a new or empty
// file gets the mark first). Exposed for the tests of the rules.
TGuardVerdict AppendGuarded(const ustring& path, const std::string& bytes);
