// The private folder is made afresh under a new name (never one that exists:
// another user could have prepared it) and lets no one but the system and
// the administrators write, so nothing can be placed beside the copy for it
// to load; the copy restricts its library search like the original anyway.
#include "uninstall/uninst_self.h"

#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "platform/platform.h"
#include "shell/win_shl_to.h"
#include "uninstall/uninst_files.h"

namespace {

constexpr int cFolderAttempts = 16;
constexpr std::uint32_t cInfinite = 0xFFFFFFFFu;

// A new private folder below the temporary folder; empty when none could be made.
ustring MakePrivateFolder() {
  ustring temp;
  if (Os().GetTempPathW(temp) != cErrSuccess || temp.empty()) return u"";
  for (int attempt = 0; attempt < cFolderAttempts; ++attempt) {
    const ustring dir = AddBackslash(temp) + cProductName + u"-Uninstall-" +
                        HexOf(TimeTag(static_cast<std::uint32_t>(attempt) * 0x1111u), 8);
    const std::uint32_t err = Os().CreatePrivateDirectoryW(dir);
    if (err == cErrSuccess) return dir;
    if (err != cErrAlreadyExists) return u"";
  }
  return u"";
}

// Starts the copy in dir; false when any step failed (the copy is then removed again).
bool StartCopy(const ustring& own, const ustring& dir, const ustring& folder, const TUnParams& params) {
  const ustring copy = AddBackslash(dir) + PayFiles[cPayUninstaller].pfFilNam;
  if (Os().CopyFileW(own, copy) != cErrSuccess) return false;
  THandle self = 0;
  bool started = false;
  if (Os().DuplicateOwnProcessHandle(self) == cErrSuccess) {
    THandle process = 0;
    started = Os().CreateProcessW(copy, CopyCommandLine(copy, params, self, folder), true, process) == cErrSuccess;
    if (started) Os().CloseHandle(process);
    // The copy holds its own inherited handle; ours is no longer needed.
    Os().CloseHandle(self);
  }
  if (!started) Os().DeleteFileW(copy);
  return started;
}

}  // namespace

bool StartSelfRemoval(const ustring& own, const ustring& folder, const TUnParams& params, TUnReport& report) {
  const ustring dir = MakePrivateFolder();
  if (!dir.empty()) {
    if (StartCopy(own, dir, folder, params)) return true;
    Os().RemoveDirectoryW(dir);
  }
  // No copy: the system removes the uninstaller and the folder at the restart.
  ScheduleAtRestart(own, report);
  ustring bare = AddBackslash(folder);
  bare.pop_back();
  ScheduleAtRestart(bare, report);
  return false;
}

std::uint32_t FinishAsCopy(const TUnParams& params) {
  const THandle original = static_cast<THandle>(params.upWaitFor);
  // The original ends after its last message; until then its file is held.
  Os().WaitForSingleObject(original, cInfinite);
  Os().CloseHandle(original);

  TUnReport report;
  const ustring folder = params.upFolder;
  RemoveFileOrAtRestart(AddBackslash(folder) + PayFiles[cPayUninstaller].pfFilNam, report);
  if (!report.urAtRestart.empty()) {
    ScheduleAtRestart(folder, report);  // after the file, so it goes once the file has gone
  } else if (Os().RemoveDirectoryW(folder) == cErrSuccess) {
    NotifyShellPath(cShcneRmdir, folder);
  }

  // The copy can't delete itself either: it and its folder go at the restart.
  const ustring own = Os().GetOwnModulePath();
  ustring dir = PathOfFile(own);
  if (dir.size() > 3) dir.pop_back();
  Os().MoveFileExW(own, u"", cMoveFileDelayUntilReboot);
  Os().MoveFileExW(dir, u"", cMoveFileDelayUntilReboot);
  return cExitSuccess;
}
