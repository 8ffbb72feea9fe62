// The process exit codes of the setup and of the uninstaller: one table for
// both programs and for the package-manager manifest generated at build
// time. The numbers are the Windows error codes of the same meaning (the
// names follow winerror.h), so deployment tools read them without a legend.
#pragma once
#include <array>
#include <cstdint>

inline constexpr std::uint32_t cExitSuccess = 0;              // ERROR_SUCCESS
inline constexpr std::uint32_t cExitAccessDenied = 5;         // ERROR_ACCESS_DENIED: not an administrator
inline constexpr std::uint32_t cExitDiskFull = 112;           // ERROR_DISK_FULL: not enough free space
inline constexpr std::uint32_t cExitUserExit = 1602;          // ERROR_INSTALL_USEREXIT
inline constexpr std::uint32_t cExitInstallFailure = 1603;    // ERROR_INSTALL_FAILURE
inline constexpr std::uint32_t cExitUnknownProduct = 1605;    // ERROR_UNKNOWN_PRODUCT (uninstaller)
inline constexpr std::uint32_t cExitAlreadyRunning = 1618;    // ERROR_INSTALL_ALREADY_RUNNING
inline constexpr std::uint32_t cExitPackageInvalid = 1620;    // ERROR_INSTALL_PACKAGE_INVALID
inline constexpr std::uint32_t cExitPlatformUnsupported = 1633;  // ERROR_INSTALL_PLATFORM_UNSUPPORTED
inline constexpr std::uint32_t cExitProductVersion = 1638;    // ERROR_PRODUCT_VERSION
inline constexpr std::uint32_t cExitInvalidCommandLine = 1639;  // ERROR_INVALID_COMMAND_LINE
inline constexpr std::uint32_t cExitRebootRequired = 3010;    // ERROR_SUCCESS_REBOOT_REQUIRED

// Which program can end with a code.
enum class TExitUser : std::uint8_t { Setup = 1, Uninstaller = 2, Both = 3 };

// One row per code; the manifest generator and the tests walk this table.
struct TExitCodeRow {
  std::uint32_t ecCode;
  const char* ecName;       // the winerror.h name
  const char* ecMeaning;    // what it means for this product, in English
  TExitUser ecUser;
};

inline constexpr std::array<TExitCodeRow, 12> ExitCodes{{
    {cExitSuccess, "ERROR_SUCCESS", "installed or removed", TExitUser::Both},
    {cExitAccessDenied, "ERROR_ACCESS_DENIED", "administrator rights are required", TExitUser::Setup},
    {cExitDiskFull, "ERROR_DISK_FULL", "not enough free space", TExitUser::Setup},
    {cExitUserExit, "ERROR_INSTALL_USEREXIT", "the user cancelled", TExitUser::Both},
    {cExitInstallFailure, "ERROR_INSTALL_FAILURE", "a step failed", TExitUser::Both},
    {cExitUnknownProduct, "ERROR_UNKNOWN_PRODUCT", "the product is not installed here", TExitUser::Uninstaller},
    {cExitAlreadyRunning, "ERROR_INSTALL_ALREADY_RUNNING", "another setup is running", TExitUser::Both},
    {cExitPackageInvalid, "ERROR_INSTALL_PACKAGE_INVALID", "the setup file is damaged", TExitUser::Setup},
    {cExitPlatformUnsupported, "ERROR_INSTALL_PLATFORM_UNSUPPORTED", "this system is not supported",
     TExitUser::Setup},
    {cExitProductVersion, "ERROR_PRODUCT_VERSION", "the installed version cannot be updated by this setup",
     TExitUser::Setup},
    {cExitInvalidCommandLine, "ERROR_INVALID_COMMAND_LINE",
     "an option is missing or not acceptable (licence not accepted, folder not allowed)", TExitUser::Setup},
    {cExitRebootRequired, "ERROR_SUCCESS_REBOOT_REQUIRED",
     "installed or removed; a file that was in use is deleted at the next restart", TExitUser::Both},
}};

// Ascending and unique, so a lookup can stop at the first larger code.
constexpr bool ExitCodesAscending() {
  for (std::size_t i = 1; i < ExitCodes.size(); ++i)
    if (ExitCodes[i - 1].ecCode >= ExitCodes[i].ecCode) return false;
  return true;
}
static_assert(ExitCodesAscending(), "exit codes must be ascending and unique");
