#include "app/setup_exit.h"

#include "common/task_msg.h"
#include "engine/startup.h"

std::uint32_t ExitCodeOfStartup(std::uint8_t code) {
  switch (code) {
    case cStartOk: return cExitSuccess;
    case cStartWrongBitness: return cExitPlatformUnsupported;
    case cStartDamaged: return cExitPackageInvalid;
    case cStartNoAdmin: return cExitAccessDenied;
    case cStartUninstallFirst: return cExitProductVersion;
    default: return cExitInstallFailure;  // 5 and 6: the system folders can't be determined
  }
}

std::uint32_t ExitCodeOfTaskResult(std::uint8_t code) {
  switch (code) {
    case cStaSettingsOk:
    case cStaInstallOk: return cExitSuccess;
    case cStaFreeSpace: return cExitDiskFull;
    default: return cExitInstallFailure;
  }
}

std::uint32_t ExitCodeOfInstallation(std::uint8_t code, bool restartNeeded) {
  const std::uint32_t exitCode = ExitCodeOfTaskResult(code);
  return exitCode == cExitSuccess && restartNeeded ? cExitRebootRequired : exitCode;
}
