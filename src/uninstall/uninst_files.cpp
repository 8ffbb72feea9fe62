// Deleting a product file. Windows refuses to delete a running program's
// image (5, access denied) and a file another process holds without delete
// sharing (32); both are "in use" and go at the next restart. A read-only
// file also gives 5: it is made writable and tried once more, so that only
// a file truly in use waits for the restart. A momentary hold (a scanner,
// the shell reading an icon) is waited for first.
//
// A file that waits for the restart is never scheduled under its own name:
// an installation between this run and the restart would put the product's
// new file there, and the restart would delete it. It is moved to a
// temporary name in the same folder, and that name is scheduled, as the
// setup does with a file it replaces. A file that can't be moved is left
// (the run fails and can be repeated) rather than scheduled by its name.
#include "uninstall/uninst_files.h"

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/hold_patience.h"
#include "engine/install_files.h"
#include "platform/platform.h"

namespace {

bool InUse(std::uint32_t err) {
  return err == cErrAccessDenied || err == cErrSharingViolation || err == cErrLockViolation;
}


bool SamePath(const ustring& a, const ustring& b) { return LowerAscii(a) == LowerAscii(b); }

// The PayFiles index of path's name, which makes its temporary name differ
// from those of the other files moved aside in the same millisecond; one
// beyond the table for any other file.
int IndexForTempName(const ustring& path) {
  const ustring name = LowerAscii(path.substr(PathOfFile(path).size()));
  for (std::size_t i = 0; i < cPayFileCount; ++i)
    if (LowerAscii(PayFiles[i].pfFilNam) == name) return static_cast<int>(i);
  return static_cast<int>(cPayFileCount);
}

void FileAtRestart(const ustring& path, THoldPatience& patience, TUnReport& report) {
  ustring temp;
  if (MoveAsideForReboot(path, IndexForTempName(path), patience, temp)) {
    report.urAtRestart.push_back(temp);
  } else {
    report.urLeft.push_back(path);
  }
}

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
  THoldPatience patience;  // for the deletes and the move aside together
  const auto remove = [&] { return RetryWhileHeld(patience, [&] { return Os().DeleteFileW(path); }); };
  std::uint32_t err = remove();
  if (err == cErrAccessDenied && Os().SetFileAttributesW(path, cFileAttributeNormal) == cErrSuccess) err = remove();
  if (err == cErrSuccess || IsNotFound(err)) return;
  if (InUse(err)) {
    FileAtRestart(path, patience, report);
    return;
  }
  report.urLeft.push_back(path);
}

void ScheduleAtRestart(const ustring& path, TUnReport& report) {
  if (FilePresent(path)) {
    THoldPatience patience;
    FileAtRestart(path, patience, report);
    return;
  }
  // A folder keeps its name: at the restart it goes only when it is empty by
  // then, so an installation made before the restart keeps it.
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
