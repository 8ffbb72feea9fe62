// The checks made before the wizard opens and the defaults of a new
// installation or an update. Each operation answers with a start-up code
// (0 = all passed); a non-zero code holds the wizard on its Welcome page.
#pragma once
#include <cstdint>

#include "common/setup_choices.h"
#include "common/types.h"

constexpr std::uint8_t cStartOk = 0;
constexpr std::uint8_t cStartWrongBitness = 1;    // the setup's word size does not match the system
constexpr std::uint8_t cStartDamaged = 2;         // a payload record failed the integrity scan
constexpr std::uint8_t cStartNoAdmin = 3;         // not a member of the Administrators group
constexpr std::uint8_t cStartUninstallFirst = 4;  // an earlier installation can't be updated
constexpr std::uint8_t cStartNoSystemDir = 5;     // the system directory can't be determined
constexpr std::uint8_t cStartNoProgramsDir = 6;   // the program-files folder can't be determined

// What an earlier installation left in its uninstall entry; all zero by default.
struct TUInstInfo {
  TSuLang uiSelLan = 0;        // the /L: option of the stored uninstall command, else 0
  std::uint32_t uiVerMaj = 0;  // bits 24-31 of Version
  std::uint32_t uiVerMin = 0;  // bits 16-23
  std::uint32_t uiVerBui = 0;  // bits 0-15
  ustring uiDspVer;            // DisplayVersion
  ustring uiUnInst;            // the uninstaller's path: UninstallString without its options
  ustring uiInsLoc;            // InstallLocation
};

// Bitness, system directory, payload scan (total into nsTotSiz, -1 when it
// failed), administrators test, in that order: 0, 1, 2, 3 or 5.
std::uint8_t CheckStartup(std::int64_t& nsTotSiz);
// New installation in the programs folder, or an update in the earlier one
// (with its language): 0, 4 or 6. Sets nsInsTyp and nsInsLoc, for an update nsLangua.
std::uint8_t InitNewSetup(TNewSetup& ns);
// Reads the earlier installation's uninstall entry; true when all four values
// were read with their types (REG_SZ, and REG_DWORD for Version).
bool GetUInstInfo(TUInstInfo& info);
// Whether the calling thread's token is in S-1-5-32-544; false when the question fails.
bool IsAdminMember();
// True for this 64-bit setup; fixed when it is built.
bool IsWin64Build();
// The logon name of the user running the setup; empty when unknown.
ustring GetLogonUserName();
