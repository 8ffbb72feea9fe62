// The copy must be the file the original wrote, run from where the original
// put it, and it must be hard to misuse by hand:
// - its folder is made afresh (create-new, the restrictive descriptor given
//   at creation) under a random name from the system's generator, below a
//   parent under the Windows folder, where no standard user can rename a
//   child (the system account's own temporary folder where the system gives
//   one, else the Windows folder's Temp; a user's %TEMP% would not do: its
//   owner may rename any child whatever the child's descriptor says);
// - from the copy until the start the folder is held without delete sharing
//   and the copy's file without write or delete sharing, and the file is
//   checked to be ours, with one name, truly where it was written: nobody
//   can swap either in that time;
// - the copy inherits only the handle of the original;
// - the copy acts only when it runs from such a folder, only for the folder
//   of the process it was handed (which must be that folder's
//   Uninstall.exe), only after that process ended, under the one-setup
//   guard, and only while no installation is in the folder again.
#include "uninstall/uninst_self.h"

#include "catalogue/exit_codes.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/guarded_file.h"
#include "engine/one_setup.h"
#include "engine/process_hardening.h"
#include "platform/platform.h"
#include "platform/scoped_handle.h"
#include "shell/win_shl_to.h"
#include "uninstall/uninst_files.h"
#include "uninstall/uninst_registry.h"

namespace {

constexpr int cFolderAttempts = 16;
constexpr std::uint32_t cInfinite = 0xFFFFFFFFu;
constexpr char16_t cCopyFolderInfix[] = u"-Uninstall-";

bool StartsWithPath(const ustring& path, const ustring& folder) {
  return LowerAscii(path).rfind(LowerAscii(AddBackslash(folder)), 0) == 0;
}

// The folder with a trailing backslash; empty when the system can't say.
ustring CopyParent() {
  ustring windows;
  if (Os().GetWindowsDirectoryW(windows) != cErrSuccess || windows.empty()) return u"";
  ustring own;
  if (Os().GetTempPath2W(own) == cErrSuccess && !own.empty() && StartsWithPath(own, windows))
    return AddBackslash(own);
  return AddBackslash(windows) + u"Temp\\";
}

ustring RandomFolderName() {
  std::uint64_t random = 0;
  if (Os().GenRandom(&random, sizeof random) != cErrSuccess) return u"";
  return ustring(cProductName) + cCopyFolderInfix + HexOf(random, 16);
}

// A new private folder below the parent; empty when none could be made.
ustring MakePrivateFolder() {
  const ustring parent = CopyParent();
  if (parent.empty()) return u"";
  for (int attempt = 0; attempt < cFolderAttempts; ++attempt) {
    const ustring name = RandomFolderName();
    if (name.empty()) return u"";
    const ustring dir = parent + name;
    const std::uint32_t err = Os().CreatePrivateDirectoryW(dir);
    if (err == cErrSuccess) return dir;
    if (err != cErrAlreadyExists) return u"";
  }
  return u"";
}

// Starts the copy in dir; false when any step failed (the copy is then removed again).
bool StartCopy(const ustring& own, const ustring& dir, const ustring& folder, const TUnParams& params) {
  THandle heldDir = 0;
  ustring realDir;
  if (OpenFolderGuarded(dir, heldDir, realDir) != TGuardVerdict::Ok) return false;
  const TScopedHandle dirOwner(heldDir);
  const ustring copy = AddBackslash(dir) + PayFiles[cPayUninstaller].pfFilNam;
  if (Os().CopyFileW(own, copy) != cErrSuccess) return false;
  THandle image = 0;
  bool started = false;
  if (Os().CreateFileW(copy, cGenericRead | cFileReadAttributes | cReadControl, cFileShareRead, cOpenExisting,
                       cFileFlagOpenReparsePoint, image) == cErrSuccess) {
    const TScopedHandle imageOwner(image);
    THandle self = 0;
    if (CheckOpenFile(image, AddBackslash(realDir) + PayFiles[cPayUninstaller].pfFilNam) == TGuardVerdict::Ok &&
        Os().DuplicateOwnProcessHandle(self) == cErrSuccess) {
      THandle process = 0;
      started = Os().CreateProcessWithHandle(copy, CopyCommandLine(copy, params, self, folder), self, process) ==
                cErrSuccess;
      if (started) Os().CloseHandle(process);
      // The copy holds its own inherited handle; ours is no longer needed.
      Os().CloseHandle(self);
    }
  }
  if (!started) Os().DeleteFileW(copy);
  return started;
}

// Whether this program runs as a copy StartSelfRemoval made: from a folder
// of the copy's name right below the copy's parent.
bool RunsAsCopy(const ustring& own) {
  const ustring parent = CopyParent();
  if (parent.empty() || !StartsWithPath(own, parent)) return false;
  const ustring rest = own.substr(parent.size());
  const ustring prefix = ustring(cProductName) + cCopyFolderInfix;
  const std::size_t slash = rest.find(u'\\');
  return LowerAscii(rest).rfind(LowerAscii(prefix), 0) == 0 && slash != ustring::npos &&
         rest.find(u'\\', slash + 1) == ustring::npos;
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
  HardenProcess();
  const ustring own = Os().GetOwnModulePath();
  const ustring folder = params.upFolder;
  const ustring original = AddBackslash(folder) + PayFiles[cPayUninstaller].pfFilNam;
  // A hand-made /W: /D: does nothing: the program must run as a copy, and
  // the handle must be a process whose program is the folder's uninstaller
  // (a number that is no such handle is not closed either: it is not ours).
  const THandle process = static_cast<THandle>(params.upWaitFor);
  ustring image;
  if (!RunsAsCopy(own) || Os().GetProcessImagePath(process, image) != cErrSuccess ||
      !SamePathText(image, original))
    return cExitInvalidCommandLine;
  // The original ends after its last message; until then its file is held.
  const std::uint32_t waited = Os().WaitForSingleObject(process, cInfinite);
  Os().CloseHandle(process);
  if (waited != 0) return cExitInstallFailure;

  TUnReport report;
  {
    // Not while a setup changes the system; and a setup that ran in between
    // and installed into the folder again keeps its uninstaller.
    const TOneSetup one;
    if (!one.Acquired()) return cExitAlreadyRunning;
    if (InstalledIn(folder) != TInstalled::NotHere) return cExitInstallFailure;
    RemoveFileOrAtRestart(original, report);
    if (!report.urAtRestart.empty()) {
      ScheduleAtRestart(folder, report);  // after the file, so it goes once the file has gone
    } else if (Os().RemoveDirectoryW(folder) == cErrSuccess) {
      NotifyShellPath(cShcneRmdir, folder);
    }
  }

  // The copy can't delete itself either: it and its folder go at the restart.
  ustring dir = PathOfFile(own);
  if (dir.size() > 3) dir.pop_back();
  Os().MoveFileExW(own, u"", cMoveFileDelayUntilReboot);
  Os().MoveFileExW(dir, u"", cMoveFileDelayUntilReboot);
  return cExitSuccess;
}
