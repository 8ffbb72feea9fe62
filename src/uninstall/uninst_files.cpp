// Deleting a product file. Windows refuses to delete a running program's
// image (5, access denied) and a file another process holds without delete
// sharing (32); both are "in use" and go at the next restart. A read-only
// file also gives 5: it is made writable and tried once more, so that only
// a file truly in use waits for the restart.
#include "uninstall/uninst_files.h"

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "platform/platform.h"

namespace {

bool InUse(std::uint32_t err) {
  return err == cErrAccessDenied || err == cErrSharingViolation || err == cErrLockViolation;
}


bool SamePath(const ustring& a, const ustring& b) { return LowerAscii(a) == LowerAscii(b); }

}  // namespace

ustring FirstFileInUse(const ustring& folder, const ustring& skip) {
  const ustring dir = AddBackslash(folder);
  for (const TPayFile& file : PayFiles) {
    const ustring path = dir + file.pfFilNam;
    if (!file.pfInstal || SamePath(path, skip)) continue;
    THandle handle = 0;
    const std::uint32_t err = Os().CreateFileW(path, cFileWriteData, 0, cOpenExisting, 0, handle);
    if (err == cErrSuccess) Os().CloseHandle(handle);
    if (err == cErrSharingViolation || err == cErrLockViolation) return path;
  }
  return u"";
}

void RemoveFileOrAtRestart(const ustring& path, TUnReport& report) {
  std::uint32_t err = Os().DeleteFileW(path);
  if (err == cErrAccessDenied && Os().SetFileAttributesW(path, cFileAttributeNormal) == cErrSuccess)
    err = Os().DeleteFileW(path);
  if (err == cErrSuccess || IsNotFound(err)) return;
  if (InUse(err)) {
    ScheduleAtRestart(path, report);
    return;
  }
  report.urLeft.push_back(path);
}

void ScheduleAtRestart(const ustring& path, TUnReport& report) {
  if (Os().MoveFileExW(path, u"", cMoveFileDelayUntilReboot) == cErrSuccess) {
    report.urAtRestart.push_back(path);
  } else {
    report.urLeft.push_back(path);
  }
}

void RemoveProductFiles(const ustring& folder, const ustring& skip, TUnReport& report) {
  const ustring dir = AddBackslash(folder);
  const std::size_t atRestartBefore = report.urAtRestart.size();
  for (const TPayFile& file : PayFiles) {
    const ustring path = dir + file.pfFilNam;
    if (!file.pfInstal || SamePath(path, skip)) continue;
    RemoveFileOrAtRestart(path, report);
  }
  // Files that wait for the restart keep the folder until then; the folder
  // is listed after them, so it goes once they have gone (and stays if the
  // user's own files are still in it).
  if (report.urAtRestart.size() > atRestartBefore) ScheduleAtRestart(dir.substr(0, dir.size() - 1), report);
}
