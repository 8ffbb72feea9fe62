// Every append opens the file as itself, without write sharing, checks what
// it is, and writes at the end: two setups that log at once take turns, so
// the one that finds the file empty is the only one to write the mark.
#include "engine/guarded_log.h"

#include <string>

#include "common/utils.h"
#include "platform/scoped_handle.h"

namespace {

constexpr std::uint32_t cLogAccess = cFileAppendData | cFileReadAttributes | cReadControl;
constexpr int cBusyAttempts = 100;  // a turn of another setup's append: far below a second
constexpr std::uint32_t cBusyPauseMs = 10;
constexpr int cFreshAttempts = 8;
constexpr char cMark[] = "\xEF\xBB\xBF";

// Opens the file as itself: existing, else created anew (never through a
// link: CreateFileW with create-new fails at any link, dangling or not).
std::uint32_t OpenAsItself(const ustring& path, THandle& file) {
  std::uint32_t err = cErrSuccess;
  for (int turn = 0; turn < cBusyAttempts; ++turn) {
    err = Os().CreateFileW(path, cLogAccess, cFileShareRead, cOpenExisting, cFileFlagOpenReparsePoint, file);
    if (err == cErrFileNotFound)
      err = Os().CreateFileW(path, cLogAccess, cFileShareRead, cCreateNewDisposition,
                             cFileFlagOpenReparsePoint | cFileAttributeNormal, file);
    // 80: made by someone else just now, or a dangling link: look again.
    if (err != cErrSharingViolation && err != cErrFileExists) return err;
    Os().Sleep(cBusyPauseMs);
  }
  return err;
}

TGuardVerdict WriteAtEnd(THandle file, const std::string& bytes) {
  std::uint64_t end = 0;
  if (Os().SetFilePointerEx(file, 0, cFileEnd, end) != cErrSuccess) return TGuardVerdict::CannotOpen;
  std::string all;
  if (end == 0) all = cMark;
  all += bytes;
  std::uint32_t written = 0;
  const bool ok = Os().WriteFile(file, all.data(), static_cast<std::uint32_t>(all.size()), written) == cErrSuccess &&
                  written == all.size();
  return ok ? TGuardVerdict::Ok : TGuardVerdict::CannotOpen;
}

std::string BytesOf(const std::vector<ustring>& lines) {
  std::string bytes;
  for (const ustring& line : lines) bytes += ToUtf8(OneLogLine(line)) + "\r\n";
  return bytes;
}

ustring FreshName(const ustring& stem) {
  std::uint64_t random = 0;
  if (Os().GenRandom(&random, sizeof random) != cErrSuccess) return u"";
  ustring name = stem;
  name += u'-';
  name += HexOf(random, 16);
  name += u".log";
  return name;
}

}  // namespace

ustring LogTempFolder() {
  ustring temp;
  if (Os().GetTempPath2W(temp) != cErrSuccess || temp.empty()) {
    temp.clear();
    if (Os().GetTempPathW(temp) != cErrSuccess) return u"";
  }
  return temp.empty() ? temp : AddBackslash(temp);
}

ustring OneLogLine(const ustring& text) {
  ustring out;
  for (char16_t c : text) {
    if (c == u'\r') {
      out += u"<CR>";
    } else if (c == u'\n') {
      out += u"<LF>";
    } else if (c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 || c == 0x2029) {
      out += u'<';
      out += HexOf(static_cast<std::uint32_t>(c), 4);
      out += u'>';
    } else {
      out += c;
    }
  }
  return out;
}

TGuardVerdict AppendGuarded(const ustring& path, const std::string& bytes) {
  if (path.empty() || IsDevicePath(path)) return TGuardVerdict::DevicePath;
  ustring full;
  if (Os().GetFullPathNameW(path, full) != cErrSuccess || full.empty()) return TGuardVerdict::CannotOpen;
  // A reserved name (NUL, COM1...) becomes a device path here.
  if (IsDevicePath(full)) return TGuardVerdict::DevicePath;
  const std::size_t slash = full.rfind(u'\\');
  if (slash == ustring::npos || slash + 1 == full.size()) return TGuardVerdict::CannotOpen;
  THandle folder = 0;
  ustring realFolder;
  const TGuardVerdict folderVerdict = OpenFolderGuarded(full.substr(0, slash + 1), folder, realFolder);
  if (folderVerdict != TGuardVerdict::Ok) return folderVerdict;
  const TScopedHandle folderOwner(folder);
  THandle file = 0;
  const std::uint32_t err = OpenAsItself(full, file);
  if (err == cErrSharingViolation) return TGuardVerdict::Busy;
  if (err == cErrFileExists) return TGuardVerdict::LinkAtPath;
  if (err != cErrSuccess) return TGuardVerdict::CannotOpen;
  const TScopedHandle fileOwner(file);
  const TGuardVerdict verdict = CheckOpenFile(file, AddBackslash(realFolder) + full.substr(slash + 1));
  if (verdict != TGuardVerdict::Ok) return verdict;
  return WriteAtEnd(file, bytes);
}

bool TGuardedLog::Append(const std::vector<ustring>& lines) {
  if (wanted_.empty()) return false;
  if (resolved_) return !target_.empty() && AppendGuarded(target_, BytesOf(lines)) == TGuardVerdict::Ok;
  resolved_ = true;
  refusal_ = AppendGuarded(wanted_, BytesOf(lines));
  if (refusal_ == TGuardVerdict::Ok) {
    target_ = wanted_;
    return true;
  }
  // A fresh file of our own: a name nobody could have prepared, made with
  // create-new in a folder that passed the same checks.
  std::vector<ustring> noted{u"Log: " + wanted_ + u" was not used (" + VerdictText(refusal_) + u")."};
  noted.insert(noted.end(), lines.begin(), lines.end());
  const ustring folder = LogTempFolder();
  for (int attempt = 0; attempt < cFreshAttempts && !folder.empty(); ++attempt) {
    const ustring name = FreshName(stem_);
    if (name.empty()) break;
    // A fresh file must be made now, not found: one that exists already is
    // no fresh file, whoever made it.
    THandle probe = 0;
    const std::uint32_t exists = Os().CreateFileW(folder + name, cFileReadAttributes, cFileShareRead | cFileShareWrite,
                                                  cOpenExisting, cFileFlagOpenReparsePoint, probe);
    if (exists == cErrSuccess) {
      Os().CloseHandle(probe);
      continue;
    }
    const TGuardVerdict fresh = AppendGuarded(folder + name, BytesOf(noted));
    if (fresh == TGuardVerdict::Ok) {
      target_ = folder + name;
      return true;
    }
    if (fresh != TGuardVerdict::LinkAtPath && fresh != TGuardVerdict::Busy) break;
  }
  return false;
}
