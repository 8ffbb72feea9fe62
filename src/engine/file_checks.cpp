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
    THandle file = 0;
    // Exclusive: succeeds only when nobody else has the file open.
    const std::uint32_t err = Os().CreateFileW(path, cFileWriteData, 0, cOpenExisting, 0, file);
    if (err == cErrSuccess) {
      Os().CloseHandle(file);
    } else if (err == cErrFileNotFound) {
      // Nothing to replace.
    } else if (err == cErrSharingViolation) {
      // Held by another process: fine if it can be moved aside (a running program can).
      if (!CanSwapFile(path, static_cast<int>(i))) return false;
    } else {
      return false;  // read-only, access denied, ...
    }
  }
  return true;
}

bool CanSwapFile(const ustring& path, int index) {
  const ustring temp = TempNameFor(path, index);
  if (Os().MoveFileExW(path, temp, cMoveFileReplaceExisting) != cErrSuccess) return false;
  Os().MoveFileExW(temp, path, cMoveFileReplaceExisting);
  return true;
}

ustring TempNameFor(const ustring& path, int index) {
  return PathOfFile(path) + HexOf(TimeTag(static_cast<std::uint32_t>(index)), 8) + cTempExt;
}
