#include "engine/prepare_task.h"

#include "common/task_msg.h"
#include "common/utils.h"
#include "engine/app_registration.h"
#include "engine/file_checks.h"
#include "engine/unfinished_mark.h"
#include "platform/platform.h"
#include "shell/win_shl_to.h"

namespace {
constexpr std::uint8_t cUndecided = 255;

bool FolderResolves(int csidl) {
  ustring folder;
  return GetSpecialFolder(csidl, folder);
}
}  // namespace

std::uint8_t RunSetupChecks(const TNewSetup& ns, bool& created) {
  created = false;
  std::uint8_t code = cUndecided;
  if (!ns.nsEulAgr) return cStaEulaNotAccepted;

  if (ns.nsInsTyp == cInsTypUpdate) {
    if (!DirPresent(ns.nsInsLoc)) code = cStaPathNotFound;
  } else {
    // Free space is measured on the folder's volume, so the folder must exist.
    const std::uint32_t err = CreateFolder(ns.nsInsLoc);
    created = err == cErrSuccess;
    if (!created && err != cErrAlreadyExists) code = cStaPathNotCreated;
  }
  if (code != cUndecided) return code;

  if (!HasFreeSpace(ns.nsInsLoc, ns.nsTotSiz)) return cStaFreeSpace;
  if (AnyPayloadFileExists(ns.nsInsLoc)) {
    if (!PayloadFilesReplaceable(ns.nsInsLoc)) return cStaFilesInUse;
    // Files this setup left in the folder of its own unfinished installation
    // are its own work; any other folder's product files are someone else's.
    if (!ns.nsCanOvr && !UnfinishedIn(ns.nsInsLoc)) return cStaFilesToReplace;
  }
  if (!CheckBaseKeys()) return cStaBaseKeys;
  if (!FolderResolves(cCsidlCommonPrograms)) return cStaMenuPath;
  if (ns.nsCutDsk && !FolderResolves(cCsidlCommonDesktopDirectory)) return cStaDesktopDir;
  return cStaSettingsOk;
}

std::uint8_t PrepareTask(const TNewSetup& ns) {
  bool created = false;
  const std::uint8_t code = RunSetupChecks(ns, created);
  // Leaves the system as it was found; a folder that got content stays.
  if (created) Os().RemoveDirectoryW(ns.nsInsLoc);
  return code;
}
