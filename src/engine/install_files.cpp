#include "engine/install_files.h"

#include <algorithm>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/file_checks.h"
#include "engine/mem_stream.h"
#include "engine/payload_store.h"
#include "shell/win_shl_to.h"

namespace {

// Closes the target file on every path out of a record's sub-steps.
class TTargetFile {
 public:
  explicit TTargetFile(THandle handle) : handle_(handle) {}
  ~TTargetFile() {
    if (handle_ != 0) Os().CloseHandle(handle_);
  }
  TTargetFile(const TTargetFile&) = delete;
  TTargetFile& operator=(const TTargetFile&) = delete;
  THandle get() const { return handle_; }

 private:
  THandle handle_;
};

THandle CreateTarget(const ustring& path) {
  THandle file = 0;
  if (Os().CreateFileW(path, cFileWriteData, cFileShareRead, cCreateAlways, cFileAttributeNormal, file) !=
      cErrSuccess)
    return 0;
  return file;
}

// The whole buffer from its start, at most one chunk per call.
bool WriteAll(THandle file, const TMemStream& buffer) {
  const std::uint8_t* data = buffer.Data();
  std::size_t left = buffer.Size();
  while (left > 0) {
    const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(left, cWriteChunk));
    std::uint32_t written = 0;
    if (Os().WriteFile(file, data, chunk, written) != cErrSuccess || written != chunk) return false;
    data += chunk;
    left -= chunk;
  }
  return true;
}

}  // namespace

bool ScheduleDeleteAtReboot(const ustring& path) {
  return Os().MoveFileExW(path, u"", cMoveFileDelayUntilReboot) == cErrSuccess;
}

bool MoveAsideForReboot(const ustring& path, int index) {
  const ustring temp = TempNameFor(path, index);
  if (Os().MoveFileExW(path, temp, cMoveFileReplaceExisting) != cErrSuccess) return false;
  if (ScheduleDeleteAtReboot(temp)) return true;
  // The old file would stay under a temporary name for good while its own
  // name stays empty: give it its name back so the folder is as it was.
  Os().MoveFileExW(temp, path, cMoveFileReplaceExisting);
  return false;
}

THandle OpenTarget(const ustring& path, int index) {
  const THandle file = CreateTarget(path);
  if (file != 0) return file;
  if (!MoveAsideForReboot(path, index)) return 0;
  return CreateTarget(path);
}

bool InstallFiles(const ustring& folder) {
  const ustring dir = AddBackslash(folder);
  bool failed = false;
  int written = 0;
  TMemStream buffer;  // one working buffer for every record
  for (std::size_t j = 0; j < cPayFileCount && !failed; ++j) {
    if (!PayFiles[j].pfInstal) continue;
    try {
      if (!ReadPayloadEntry(static_cast<int>(j), buffer)) {
        failed = true;
        break;
      }
      TTargetFile file(OpenTarget(dir + PayFiles[j].pfFilNam, static_cast<int>(j)));
      if (file.get() == 0 || !WriteAll(file.get(), buffer)) {
        failed = true;
      } else {
        ++written;
      }
    } catch (...) {
      // A missing record, no memory for it, ...: the step fails; the file
      // (if one was open) is already closed.
      failed = true;
    }
  }
  if (written > 0) NotifyShellPath(cShcneUpdateDir, folder);
  return !failed;
}
