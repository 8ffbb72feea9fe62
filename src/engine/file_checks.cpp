#include "engine/file_checks.h"

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "platform/platform.h"

namespace {
constexpr char16_t cTempExt[] = u".tmp";
}  // namespace

bool HasFreeSpace(const ustring& path, std::int64_t size) {
  std::uint64_t available = 0;
  if (Os().GetDiskFreeSpaceExW(path, available) != cErrSuccess) return false;
  return size < static_cast<std::int64_t>(available);
}

bool AnyPayloadFileExists(const ustring& folder) {
  const ustring dir = AddBackslash(folder);
  for (const TPayFile& file : PayFiles) {
    if (file.pfInstal && FilePresent(dir + file.pfFilNam)) return true;
  }
  return false;
}

bool PayloadFilesReplaceable(const ustring& folder) {
  const ustring dir = AddBackslash(folder);
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    if (!PayFiles[i].pfInstal) continue;
    const ustring path = dir + PayFiles[i].pfFilNam;
    THoldPatience patience;
    // Exclusive: succeeds only when nobody else has the file open. A reader
    // that holds it for a moment is waited for, so that it is not taken for
    // a running program.
    const std::uint32_t err = RetryWhileHeld(patience, [&] {
      THandle file = 0;
      const std::uint32_t opened = Os().CreateFileW(path, cFileWriteData, 0, cOpenExisting, 0, file);
      if (opened == cErrSuccess) Os().CloseHandle(file);
      return opened;
    });
    if (err == cErrSuccess || err == cErrFileNotFound) {
      // Free to replace, or nothing to replace.
    } else if (err == cErrSharingViolation) {
      // Held by another process: fine if it can be moved aside (a running program can).
      if (!CanSwapFile(path, static_cast<int>(i), patience)) return false;
    } else {
      return false;  // read-only, access denied, a lasting lock, ...
    }
  }
  return true;
}

bool CanSwapFile(const ustring& path, int index) {
  THoldPatience patience;
  return CanSwapFile(path, index, patience);
}

bool CanSwapFile(const ustring& path, int index, THoldPatience& patience) {
  const ustring temp = TempNameFor(path, index);
  if (RetryWhileHeld(patience, [&] { return Os().MoveFileExW(path, temp, cMoveFileReplaceExisting); }) !=
      cErrSuccess)
    return false;
  // The shell and scanners notice the new name and may open it at once. The
  // earlier installation's file must not stay under a temporary name, so the
  // way back gets patience of its own; a file that can't return is not
  // replaceable.
  THoldPatience back;
  return RetryWhileHeld(back, [&] { return Os().MoveFileExW(temp, path, cMoveFileReplaceExisting); }) ==
         cErrSuccess;
}

ustring TempNameFor(const ustring& path, int index) {
  return PathOfFile(path) + HexOf(TimeTag(static_cast<std::uint32_t>(index)), 8) + cTempExt;
}
