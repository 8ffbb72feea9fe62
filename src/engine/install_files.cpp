#include "engine/install_files.h"

#include <algorithm>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/file_checks.h"
#include "engine/mem_stream.h"
#include "engine/payload_store.h"
#include "platform/scoped_handle.h"
#include "shell/win_shl_to.h"

namespace {

std::uint32_t CreateTarget(const ustring& path, THandle& file) {
  file = 0;
  return Os().CreateFileW(path, cFileWriteData, cFileShareRead, cCreateAlways, cFileAttributeNormal, file);
}

// The whole buffer from its start, at most one chunk per call. A chunk that
// a byte-range lock turns away wrote nothing and is tried again while the
// file's patience lasts.
bool WriteAll(THandle file, const TMemStream& buffer, THoldPatience& patience) {
  const std::uint8_t* data = buffer.Data();
  std::size_t left = buffer.Size();
  while (left > 0) {
    const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(left, cWriteChunk));
    std::uint32_t written = 0;
    const std::uint32_t err = RetryWhileHeld(patience, [&] { return Os().WriteFile(file, data, chunk, written); });
    if (err != cErrSuccess || written != chunk) return false;
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
  THoldPatience patience;
  return MoveAsideForReboot(path, index, patience);
}

bool MoveAsideForReboot(const ustring& path, int index, THoldPatience& patience) {
  ustring temp;
  return MoveAsideForReboot(path, index, patience, temp);
}

bool MoveAsideForReboot(const ustring& path, int index, THoldPatience& patience, ustring& temp) {
  temp = TempNameFor(path, index);
  if (RetryWhileHeld(patience, [&] { return Os().MoveFileExW(path, temp, cMoveFileReplaceExisting); }) !=
      cErrSuccess)
    return false;
  if (ScheduleDeleteAtReboot(temp)) return true;
  // The old file would stay under a temporary name for good while its own
  // name stays empty: give it its name back so the folder is as it was. The
  // way back waits for a reader of the new name with patience of its own.
  THoldPatience back;
  RetryWhileHeld(back, [&] { return Os().MoveFileExW(temp, path, cMoveFileReplaceExisting); });
  return false;
}

THandle OpenTarget(const ustring& path, int index) {
  THoldPatience patience;
  return OpenTarget(path, index, patience);
}

THandle OpenTarget(const ustring& path, int index, THoldPatience& patience) {
  bool movedAside = false;
  return OpenTarget(path, index, patience, movedAside);
}

THandle OpenTarget(const ustring& path, int index, THoldPatience& patience, bool& movedAside) {
  movedAside = false;
  // A reader holding the old file for a moment is waited for: moving the
  // file aside would leave it for the next restart although nobody runs it.
  THandle file = 0;
  if (RetryWhileHeld(patience, [&] { return CreateTarget(path, file); }) == cErrSuccess) return file;
  if (!MoveAsideForReboot(path, index, patience)) return 0;
  movedAside = true;
  CreateTarget(path, file);
  return file;
}

bool InstallFiles(const ustring& folder) {
  std::vector<int> atRestart;
  return InstallFiles(folder, atRestart);
}

bool InstallFiles(const ustring& folder, std::vector<int>& atRestart) {
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
      THoldPatience patience;  // one per file, for its open, move aside and writes
      bool movedAside = false;
      TScopedHandle file(OpenTarget(dir + PayFiles[j].pfFilNam, static_cast<int>(j), patience, movedAside));
      // Even when the new file then fails, the old one waits for the restart.
      if (movedAside) atRestart.push_back(static_cast<int>(j));
      if (file.get() == 0 || !WriteAll(file.get(), buffer, patience)) {
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
